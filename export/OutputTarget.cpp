#include "export/OutputTarget.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "export/StagedFiles.h"
#include "numerics/Errors.h"

namespace {

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

[[noreturn]] void Refuse(const std::filesystem::path& named, const std::string& reason) {
  throw UserError(CannotWriteMessage(named, reason));
}

std::string Reason(int error) { return std::generic_category().message(error); }

void TakeAttributes(OutputTarget& target, const struct stat& status) {
  target.Exists = true;
  target.Mode = status.st_mode & 07777;
  target.Owner = status.st_uid;
  target.Group = status.st_gid;
}

}  // namespace

OutputTarget ResolveOutputTarget(const std::filesystem::path& named) {
  OutputTarget target;
  target.Named = named;
  target.Destination = named;
  struct stat status {};
  if (::lstat(named.c_str(), &status) != 0) {
    // A missing name is created; any other reason (a file where a directory should be) is the answer.
    if (errno == ENOENT) return target;
    Refuse(named, Reason(errno));
  }
  if (S_ISREG(status.st_mode)) {
    TakeAttributes(target, status);
    return target;
  }
  if (S_ISDIR(status.st_mode)) Refuse(named, Reason(EISDIR));
  if (!S_ISLNK(status.st_mode)) Refuse(named, "it is " + KindOf(status.st_mode) + ", not a regular file");

  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(named.c_str(), nullptr), &std::free);
  if (!resolved) {
    if (errno == ENOENT) Refuse(named, "it is a symbolic link to a file that does not exist");
    Refuse(named, Reason(errno));
  }
  if (::lstat(resolved.get(), &status) != 0) Refuse(named, Reason(errno));
  if (!S_ISREG(status.st_mode)) {
    Refuse(named, "it leads to '" + std::string(resolved.get()) + "', " + KindOf(status.st_mode) +
                      ", not a regular file");
  }
  target.Destination = resolved.get();
  TakeAttributes(target, status);
  return target;
}

std::filesystem::path ComparablePath(const std::filesystem::path& path) {
  std::error_code error;
  // Absolute first: a relative name none of whose parts exists would otherwise stay relative.
  const std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
  std::filesystem::path comparable = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute : comparable;
}

std::optional<std::pair<std::filesystem::path, std::filesystem::path>> RepeatedOutput(
    const std::vector<std::filesystem::path>& outputs) {
  std::vector<std::filesystem::path> seen;
  for (const std::filesystem::path& output : outputs) {
    const std::filesystem::path place = ComparablePath(output);
    for (size_t i = 0; i < seen.size(); ++i) {
      if (seen[i] == place) return std::make_pair(outputs[i], output);
    }
    seen.push_back(place);
  }
  return std::nullopt;
}

std::string RepeatedOutputMessage(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::string text = "Two outputs would write the same file '" + a.string() + "'";
  if (b != a) text += " (also given as '" + b.string() + "')";
  text += ".";
  return text;
}
