#pragma once

#include <filesystem>

#include "designfile/DesignFile.h"

// Writes the design file for `settings` at `path` through the staged writing of the exports: the
// whole document appears under its name or nothing changes, so a failure keeps the previous file.
// Raises UserError "Cannot write '<path>': <reason>".
void SaveDesignFile(const std::filesystem::path& path, const DesignSettings& settings);
