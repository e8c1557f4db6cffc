#include "export/OutputDirectory.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "numerics/Errors.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const fs::path& directory, int error) {
  throw UserError("Cannot create directory '" + directory.string() + "': " +
                  std::generic_category().message(error));
}

}  // namespace

void CreateOutputDirectory(const fs::path& directory) {
  if (directory.empty()) return;
  std::error_code error;
  if (fs::is_directory(directory, error)) return;
  // Walk down from the first missing component, so that a file in the way is named as such rather
  // than as the system's "File exists" and nothing but a missing name is ever created.
  fs::path made;
  for (const fs::path& part : directory) {
    made /= part;
    const fs::file_status status = fs::symlink_status(made, error);
    if (status.type() == fs::file_type::none) Fail(directory, error.value());  // e.g. a parent not searchable
    if (status.type() == fs::file_type::directory) continue;
    if (status.type() == fs::file_type::symlink) {
      if (fs::is_directory(made, error)) continue;
      Fail(directory, fs::exists(made, error) ? ENOTDIR : ENOENT);  // a link to a file, or dangling
    }
    if (status.type() != fs::file_type::not_found) Fail(directory, ENOTDIR);
    if (!fs::create_directory(made, error) && error) {
      // Another process may have made it meanwhile; anything else is the system's refusal.
      std::error_code again;
      if (fs::is_directory(made, again)) continue;
      Fail(directory, error.value());
    }
  }
}

void CreateParentDirectory(const fs::path& file) { CreateOutputDirectory(file.parent_path()); }
