#pragma once

#include <filesystem>

// Output directories are made on demand, parents too, as build and export tools do: a directory
// that exists (or a symbolic link to one) is used as it is, and nothing that is not a directory is
// ever replaced or removed. An empty path is the working directory.
// Raises UserError "Cannot create directory '<directory>': <reason>" with the system's reason, or
// "Not a directory" when a file (or anything else that is no directory) holds the name.
void CreateOutputDirectory(const std::filesystem::path& directory);

// CreateOutputDirectory for the directory `file` is to be written into.
void CreateParentDirectory(const std::filesystem::path& file);
