#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/ExitCleanup.h"
#include "export/OutputTarget.h"

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
  // Lets the set's progress hook run (StagedFiles::SetTick); writers that bypass the buffer call it
  // between chunks. Whatever the hook raises (CommandCancelled) ends the write.
  void Tick() const {
    if (tick_) tick_();
  }
  void SetTick(std::function<void()> tick) { tick_ = std::move(tick); }
  // Raises the error of writing the target with the reason errno gives.
  [[noreturn]] void Fail(int error) const;
  [[noreturn]] void Fail(const std::string& reason) const;

 private:
  int fd_;
  std::filesystem::path target_;
  std::string buffer_;
  std::function<void()> tick_;
};

// A set of files replaced together: afterwards the targets hold the complete new set, or, after any
// failure, cancel or signal, exactly the files they held before; no temporary is left behind.
//
// Each file is written to a temporary in its target's directory (a short name, so that targets of
// up to 255 bytes work), flushed to disk and given the mode (and, for the superuser, the owner) of
// the file it replaces. Commit locks the directories (DirectoryLocks), so concurrent exports take
// turns; keeps each old file under a second name (a hard link) until every rename has succeeded;
// and on a failing rename puts the old files back. SIGINT, SIGTERM and SIGHUP wait until the commit
// has finished; before it they remove the temporaries and end the process (ExitCleanup). Only
// SIGKILL or a power loss in the middle of Commit can leave a mix, with the old files kept beside
// them as ".fx<pid>-<n>.old".
class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  ~StagedFiles();

  // Creates the temporary for `target`, lets `write` fill it and closes it. Raises UserError
  // "Cannot write '<target>': <reason>" when the target is not a regular file (OutputTarget), when
  // the file cannot be made, written or flushed, and RepeatedOutputMessage when the set already
  // holds the same file. Whatever `write` raises passes through; the set stays as it was before.
  void Stage(const std::filesystem::path& target, const std::function<void(StagedOutput&)>& write);

  // Moves every staged file onto its target. Raises UserError "Cannot write '<target>': <reason>"
  // when one cannot be placed, after restoring every file it had replaced.
  void Commit();

  size_t Size() const { return staged_.size(); }

  // Called while long files are written (after every buffered megabyte, and wherever a writer
  // calls StagedOutput::Tick), so that a caller can show progress and cancel: what it raises ends
  // the staging, and the targets keep what they held.
  void SetTick(std::function<void()> tick) { tick_ = std::move(tick); }

 private:
  void CommitLocked();

  struct Entry {
    OutputTarget target;
    std::filesystem::path temporary;
    std::unique_ptr<ExitCleanup> cleanup;
  };
  std::vector<Entry> staged_;
  std::function<void()> tick_;
};

// "Cannot write '<path>': <reason>", the text of every export failure.
std::string CannotWriteMessage(const std::filesystem::path& path, const std::string& reason);
