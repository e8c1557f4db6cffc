#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Where an output file really goes. A name that does not exist yet is created; an existing regular
// file is replaced whole; a symbolic link is written through: the file it leads to is replaced in
// its own directory and the link stays. Everything else (directories, devices, named pipes, sockets,
// links to those or to nothing) is refused, so that an export never replaces /dev/null or a pipe.
struct OutputTarget {
  std::filesystem::path Named;        // as given, for messages
  std::filesystem::path Destination;  // the name that is replaced: Named, or where its link leads
  bool Exists = false;
  mode_t Mode = 0;  // permission bits of the existing file, kept by its replacement
  uid_t Owner = 0;
  gid_t Group = 0;
};

// Raises UserError "Cannot write '<named>': <reason>" for a target that exists and is not a regular
// file, or a link that does not lead to one.
OutputTarget ResolveOutputTarget(const std::filesystem::path& named);

// The same file under two names (equal paths, or paths that meet once links and "." and ".." are
// resolved): the first pair found, in the order given.
std::optional<std::pair<std::filesystem::path, std::filesystem::path>> RepeatedOutput(
    const std::vector<std::filesystem::path>& outputs);

// "Two outputs would write the same file '<a>'.", with " (also given as '<b>')" before the
// period when b is spelt otherwise.
std::string RepeatedOutputMessage(const std::filesystem::path& a, const std::filesystem::path& b);

// The same place as RepeatedOutput compares: links and dot segments resolved as far as the path exists.
std::filesystem::path ComparablePath(const std::filesystem::path& path);
