#include "export/DirectoryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <tuple>

namespace {

struct Opened {
  dev_t device;
  ino_t inode;
  int fd;
};

}  // namespace

DirectoryLocks::DirectoryLocks(const std::vector<std::filesystem::path>& directories) {
  std::vector<Opened> opened;
  for (const std::filesystem::path& directory : directories) {
    const std::filesystem::path name = directory.empty() ? "." : directory;
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
      ::close(fd);
      continue;
    }
    const bool seen = std::any_of(opened.begin(), opened.end(), [&](const Opened& other) {
      return other.device == status.st_dev && other.inode == status.st_ino;
    });
    if (seen) {
      ::close(fd);
      continue;
    }
    opened.push_back({status.st_dev, status.st_ino, fd});
  }
  std::sort(opened.begin(), opened.end(), [](const Opened& a, const Opened& b) {
    return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
  });
  for (const Opened& directory : opened) {
    while (::flock(directory.fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    descriptors_.push_back(directory.fd);
  }
}

DirectoryLocks::~DirectoryLocks() {
  // Closing the descriptor releases its lock.
  for (const int fd : descriptors_) ::close(fd);
}

void DirectoryLocks::Sync() const {
  // A directory that cannot be synced changes nothing already written.
  for (const int fd : descriptors_) ::fsync(fd);
}
