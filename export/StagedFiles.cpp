#include "export/StagedFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

#include "export/DirectoryLock.h"
#include "numerics/Errors.h"

namespace {

constexpr size_t cFlushBytes = size_t{1} << 20;
constexpr int cNameAttempts = 100;

std::atomic<unsigned> nameCounter{0};

// A short hidden name in the target's own directory, so that the rename stays on one file system
// and a target name of any length the file system allows still leaves room for it.
std::filesystem::path SiblingName(const std::filesystem::path& target, const char* suffix) {
  const std::string name = ".fx" + std::to_string(::getpid()) + "-" + std::to_string(nameCounter++) + suffix;
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
  int Get() const { return fd_; }
  // Closes now; returns errno of a failing close, 0 otherwise.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// What Commit did to one target, so that it can be undone.
struct Placement {
  bool hadOld = false;
  std::filesystem::path backup;  // the old file's second name while the commit runs
  bool linked = false;           // the backup was made before any rename, as a hard link
  bool movedAside = false;       // no hard links here: the old file was renamed to the backup name
  bool placed = false;
};

}  // namespace

std::string CannotWriteMessage(const std::filesystem::path& path, const std::string& reason) {
  return "Cannot write '" + path.string() + "': " + reason;
}

void StagedOutput::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= cFlushBytes) {
    Flush();
    Tick();
  }
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

void StagedFiles::Stage(const std::filesystem::path& path, const std::function<void(StagedOutput&)>& write) {
  OutputTarget target = ResolveOutputTarget(path);
  const std::filesystem::path place = ComparablePath(target.Destination);
  for (const Entry& entry : staged_) {
    if (ComparablePath(entry.target.Destination) == place) {
      throw UserError(RepeatedOutputMessage(entry.target.Named, path));
    }
  }
  staged_.reserve(staged_.size() + 1);  // so that registering the temporary below cannot fail

  int fd = -1;
  std::filesystem::path temporary;
  std::unique_ptr<ExitCleanup> cleanup;
  {
    // A signal between creating the temporary and registering it would leave it behind.
    DeferredSignals hold;
    for (int attempt = 0; attempt < cNameAttempts && fd < 0; ++attempt) {
      temporary = SiblingName(target.Destination, ".new");
      // Mode 0666 less the umask, as the file would get if it were created directly.
      fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) throw UserError(CannotWriteMessage(path, Reason(errno)));
    }
    if (fd < 0) throw UserError(CannotWriteMessage(path, Reason(EEXIST)));
    try {
      cleanup = std::make_unique<ExitCleanup>(temporary.string());
    } catch (...) {
      ::close(fd);
      ::unlink(temporary.c_str());
      throw;
    }
  }
  Descriptor descriptor(fd);
  // Registered at once: from here on the temporary is removed on every way out.
  staged_.push_back({target, temporary, std::move(cleanup)});
  try {
    StagedOutput output(fd, path);
    output.SetTick(tick_);
    // The replacement keeps the old file's permissions; only the superuser can keep its owner too
    // (the owner first: changing it clears set-id bits that the mode then puts back).
    if (target.Exists) {
      if (::geteuid() == 0 && ::fchown(fd, target.Owner, target.Group) != 0) output.Fail(errno);
      if (::fchmod(fd, target.Mode) != 0) output.Fail(errno);
    }
    write(output);
    output.Flush();
    // The data reaches the disk before the rename makes it visible under its name.
    if (::fsync(fd) != 0) output.Fail(errno);
    if (const int error = descriptor.Close(); error != 0) output.Fail(error);
  } catch (...) {
    ::unlink(staged_.back().temporary.c_str());
    staged_.pop_back();
    throw;
  }
}

void StagedFiles::Commit() {
  if (staged_.empty()) return;
  DeferredSignals hold;
  try {
    CommitLocked();
  } catch (...) {
    // Whatever failed, the temporaries not placed go now (placed ones no longer exist).
    for (const Entry& entry : staged_) ::unlink(entry.temporary.c_str());
    staged_.clear();
    throw;
  }
}

void StagedFiles::CommitLocked() {
  std::vector<std::filesystem::path> directories;
  for (const Entry& entry : staged_) directories.push_back(entry.target.Destination.parent_path());
  const DirectoryLocks locks(directories);

  std::vector<Placement> placements(staged_.size());
  // Removes the backups that are still only second names of files in place.
  auto dropBackups = [&] {
    for (const Placement& placement : placements) {
      if (placement.linked) ::unlink(placement.backup.c_str());
    }
  };
  // Puts the old files back, the last placed first, and raises the failure. An old file that
  // cannot be put back keeps its backup name, which the message gives: it is never removed.
  auto undoAndFail = [&](size_t failed, int error) {
    std::string kept;
    for (size_t i = staged_.size(); i-- > 0;) {
      Placement& placement = placements[i];
      const std::filesystem::path& destination = staged_[i].target.Destination;
      if (placement.placed || placement.movedAside) {
        if (placement.hadOld) {
          if (::rename(placement.backup.c_str(), destination.c_str()) == 0) {
            placement.linked = false;
          } else {
            placement.linked = false;
            kept += "; the previous '" + staged_[i].target.Named.string() + "' is kept as '" +
                    placement.backup.string() + "'";
          }
        } else {
          ::unlink(destination.c_str());
        }
      }
    }
    dropBackups();
    throw UserError(CannotWriteMessage(staged_[failed].target.Named, Reason(error)) + kept);
  };

  // The targets may have changed while the set was written: look again, now that no other export
  // can change them, and keep a second name of each old file.
  for (size_t i = 0; i < staged_.size(); ++i) {
    const std::filesystem::path& destination = staged_[i].target.Destination;
    Placement& placement = placements[i];
    struct stat status {};
    if (::lstat(destination.c_str(), &status) != 0) {
      if (errno == ENOENT) continue;
      undoAndFail(i, errno);
    }
    if (!S_ISREG(status.st_mode)) {
      dropBackups();
      (void)ResolveOutputTarget(staged_[i].target.Named);  // raises the message for what is there now
      throw UserError(CannotWriteMessage(staged_[i].target.Named, "it is no longer a regular file"));
    }
    placement.hadOld = true;
    for (int attempt = 0; attempt < cNameAttempts && !placement.linked; ++attempt) {
      placement.backup = SiblingName(destination, ".old");
      if (::link(destination.c_str(), placement.backup.c_str()) == 0) {
        placement.linked = true;
      } else if (errno != EEXIST) {
        break;  // a file system without hard links: the old file is moved aside just before its rename
      }
    }
  }

  for (size_t i = 0; i < staged_.size(); ++i) {
    const Entry& entry = staged_[i];
    Placement& placement = placements[i];
    if (placement.hadOld && !placement.linked) {
      placement.backup = SiblingName(entry.target.Destination, ".old");
      if (::rename(entry.target.Destination.c_str(), placement.backup.c_str()) != 0) undoAndFail(i, errno);
      placement.movedAside = true;
    }
    if (::rename(entry.temporary.c_str(), entry.target.Destination.c_str()) != 0) undoAndFail(i, errno);
    placement.placed = true;
  }
  for (const Placement& placement : placements) {
    if (placement.hadOld) ::unlink(placement.backup.c_str());
  }
  staged_.clear();
  locks.Sync();
}
