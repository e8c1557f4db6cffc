#pragma once

#include <filesystem>
#include <vector>

// Exclusive advisory locks (flock) on directories, held for the object's lifetime, so that two
// processes replacing files in one directory take turns. The directory itself is locked, so no lock
// file is ever left behind. Directories are locked in one fixed order (device, inode) whatever order
// they come in, so two sets sharing directories cannot deadlock. A directory that cannot be opened
// for reading is not locked (the renames into it report their own errors); the lock is released
// when the process ends, however it ends.
class DirectoryLocks {
 public:
  explicit DirectoryLocks(const std::vector<std::filesystem::path>& directories);
  DirectoryLocks(const DirectoryLocks&) = delete;
  DirectoryLocks& operator=(const DirectoryLocks&) = delete;
  ~DirectoryLocks();

  // Makes the names changed in the locked directories durable (fsync of each directory).
  void Sync() const;

 private:
  std::vector<int> descriptors_;
};
