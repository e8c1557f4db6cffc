#include "export/StagedFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "numerics/Errors.h"

namespace {

constexpr size_t cFlushBytes = size_t{1} << 20;
constexpr int cNameAttempts = 100;

std::atomic<unsigned> temporaryCounter{0};

// A hidden name in the target's own directory, so that the rename stays on one file system.
std::filesystem::path TemporaryName(const std::filesystem::path& target, unsigned serial) {
  const std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(serial);
  return target.parent_path() / name;
}

std::string Reason(int error) { return std::generic_category().message(error); }

// Closes the descriptor once, whatever the path out of Stage.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  // Closes now; returns errno of a failing close, 0 otherwise.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

}  // namespace

std::string CannotWriteMessage(const std::filesystem::path& path, const std::string& reason) {
  return "Cannot write '" + path.string() + "': " + reason;
}

void StagedOutput::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= cFlushBytes) Flush();
}

void StagedOutput::Flush() {
  const char* data = buffer_.data();
  size_t left = buffer_.size();
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  buffer_.clear();
}

void StagedOutput::Fail(int error) const { Fail(Reason(error)); }

void StagedOutput::Fail(const std::string& reason) const { throw UserError(CannotWriteMessage(target_, reason)); }

StagedFiles::~StagedFiles() {
  for (const Entry& entry : staged_) ::unlink(entry.temporary.c_str());
}

void StagedFiles::Stage(const std::filesystem::path& target, const std::function<void(StagedOutput&)>& write) {
  std::error_code ignored;
  if (std::filesystem::is_directory(target, ignored)) {
    throw UserError(CannotWriteMessage(target, Reason(EISDIR)));
  }
  staged_.reserve(staged_.size() + 1);  // so that registering the temporary below cannot fail
  int fd = -1;
  std::filesystem::path temporary;
  for (int attempt = 0; attempt < cNameAttempts && fd < 0; ++attempt) {
    temporary = TemporaryName(target, temporaryCounter++);
    // Mode 0666 less the umask, as the file would get if it were created directly.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) throw UserError(CannotWriteMessage(target, Reason(errno)));
  }
  if (fd < 0) throw UserError(CannotWriteMessage(target, Reason(EEXIST)));
  Descriptor descriptor(fd);
  // Registered at once: from here on the temporary is removed on every way out.
  staged_.push_back({temporary, target});

  StagedOutput output(fd, target);
  write(output);
  output.Flush();
  // The data reaches the disk before the rename makes it visible under its name.
  if (::fsync(fd) != 0) output.Fail(errno);
  if (const int error = descriptor.Close(); error != 0) output.Fail(error);
}

void StagedFiles::Commit() {
  std::vector<std::filesystem::path> placed;
  for (size_t i = 0; i < staged_.size(); ++i) {
    const Entry entry = staged_[i];
    if (::rename(entry.temporary.c_str(), entry.target.c_str()) != 0) {
      const int error = errno;
      for (const std::filesystem::path& path : placed) ::unlink(path.c_str());
      // The temporaries not yet moved go with the destructor.
      staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(i));
      throw UserError(CannotWriteMessage(entry.target, Reason(error)));
    }
    placed.push_back(entry.target);
  }
  staged_.clear();
  // Makes the new names durable as well; a directory that cannot be synced changes nothing written.
  std::vector<std::filesystem::path> directories;
  for (const std::filesystem::path& path : placed) {
    const std::filesystem::path directory = path.parent_path().empty() ? "." : path.parent_path();
    if (std::find(directories.begin(), directories.end(), directory) != directories.end()) continue;
    directories.push_back(directory);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
  }
}
