#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// An open temporary file beside its target. Writes go through a buffer; every failure raises
// UserError naming the target (not the temporary) and the system's reason.
class StagedOutput {
 public:
  StagedOutput(int fd, std::filesystem::path target) : fd_(fd), target_(std::move(target)) {}
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  int Descriptor() const { return fd_; }
  const std::filesystem::path& Target() const { return target_; }

  void Write(std::string_view bytes);
  void Write(const void* data, size_t size) { Write(std::string_view(static_cast<const char*>(data), size)); }
  // Writes what is buffered to the descriptor, for writers (libsndfile) that use it directly.
  void Flush();
  // Raises the error of writing the target with the reason errno gives.
  [[noreturn]] void Fail(int error) const;
  [[noreturn]] void Fail(const std::string& reason) const;

 private:
  int fd_;
  std::filesystem::path target_;
  std::string buffer_;
};

// A set of files that appear together or not at all. Each is written to a temporary file in its
// target's directory and flushed to disk; Commit renames them onto their targets. Destroying the
// set before Commit removes every temporary, so a failure part way leaves nothing behind.
class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  ~StagedFiles();

  // Creates the temporary for `target`, lets `write` fill it and closes it. Raises UserError
  // "Cannot write '<target>': <reason>" when the file cannot be made, written or flushed.
  void Stage(const std::filesystem::path& target, const std::function<void(StagedOutput&)>& write);

  // Moves every staged file onto its target, replacing an older file of that name. A target that
  // cannot be replaced raises UserError; the targets placed before it are removed again.
  void Commit();

 private:
  struct Entry {
    std::filesystem::path temporary;
    std::filesystem::path target;
  };
  std::vector<Entry> staged_;
};

// "Cannot write '<path>': <reason>", the text of every export failure.
std::string CannotWriteMessage(const std::filesystem::path& path, const std::string& reason);
