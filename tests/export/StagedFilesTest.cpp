// Replacing a set of files: the complete new set or exactly the old one after any failure, signal
// or concurrent export; targets that are not regular files; links; modes; long names.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "export/DirectoryLock.h"
#include "export/StagedFiles.h"
#include "tests/export/SyscallFaults.h"
#include "tests/numerics/ErrorText.h"
#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

class TempDir : public testing_support::ScratchDir {
 public:
  TempDir() : testing_support::ScratchDir("firxover-staged") {}
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every entry of the directory with its content ("<dir>" for directories, "<other>" for the rest).
std::map<std::string, std::string> Contents(const fs::path& directory) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) {
      contents[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      contents[name] = ReadAll(entry.path());
    } else {
      contents[name] = entry.is_directory() ? "<dir>" : "<other>";
    }
  }
  return contents;
}

const std::vector<std::string> cSetNames = {"xo-low.txt", "xo-mid.txt", "xo-high.txt", "xo-sum.txt"};

// The set a generation writes: each file names its generation and itself.
std::map<std::string, std::string> Generation(int generation) {
  std::map<std::string, std::string> set;
  for (const std::string& name : cSetNames) set[name] = "generation " + std::to_string(generation) + " " + name;
  return set;
}

void WriteSet(const fs::path& directory, int generation) {
  StagedFiles staged;
  for (const auto& [name, text] : Generation(generation)) {
    staged.Stage(directory / name, [&](StagedOutput& output) { output.Write(text); });
  }
  staged.Commit();
}

// Resets the injected faults whatever way a test ends.
class StagedFilesTest : public testing::Test {
 protected:
  void TearDown() override { SyscallFaults::Clear(); }
  TempDir dir_;
};

// Fails the rename that would place the file of this name.
std::function<int(const char*, const char*)> FailPlacing(const std::string& name, int error) {
  return [name, error](const char* from, const char* to) {
    const bool placing = std::strstr(from, ".new") != nullptr && fs::path(to).filename() == name;
    return placing ? error : 0;
  };
}

}  // namespace

TEST_F(StagedFilesTest, ANewSetReplacesTheOldOneWhole) {
  WriteSet(dir_.Path(), 1);
  EXPECT_EQ(Contents(dir_.Path()), Generation(1));
  WriteSet(dir_.Path(), 2);
  EXPECT_EQ(Contents(dir_.Path()), Generation(2));
}

// A rename that fails after others succeeded puts back the old files it had already replaced.
TEST_F(StagedFilesTest, ALaterRenameFailingKeepsTheOldSet) {
  for (const bool hardLinks : {true, false}) {
    SCOPED_TRACE(hardLinks ? "with hard links" : "old files moved aside");
    WriteSet(dir_.Path(), 1);
    if (!hardLinks) SyscallFaults::OnLink = [](const char*, const char*) { return EPERM; };
    SyscallFaults::OnRename = FailPlacing("xo-sum.txt", EBUSY);
    EXPECT_EQ(ErrorText([&] { WriteSet(dir_.Path(), 2); }),
              "Cannot write '" + (dir_.Path() / "xo-sum.txt").string() + "': Device or resource busy");
    EXPECT_EQ(Contents(dir_.Path()), Generation(1));
    SyscallFaults::Clear();
  }
}

TEST_F(StagedFilesTest, WithoutHardLinksTheSetIsStillReplaced) {
  WriteSet(dir_.Path(), 1);
  SyscallFaults::OnLink = [](const char*, const char*) { return EPERM; };
  WriteSet(dir_.Path(), 2);
  EXPECT_EQ(Contents(dir_.Path()), Generation(2));
}

// Files that did not exist before are taken away again: the directory is as it was.
TEST_F(StagedFilesTest, AFailedFirstExportLeavesNothing) {
  std::ofstream(dir_.Path() / "unrelated") << "kept";
  SyscallFaults::OnRename = FailPlacing("xo-sum.txt", EXDEV);
  EXPECT_EQ(ErrorText([&] { WriteSet(dir_.Path(), 1); }),
            "Cannot write '" + (dir_.Path() / "xo-sum.txt").string() + "': Invalid cross-device link");
  EXPECT_EQ(Contents(dir_.Path()), (std::map<std::string, std::string>{{"unrelated", "kept"}}));
}

// When even putting an old file back fails, it stays under its second name, which the message gives.
TEST_F(StagedFilesTest, AnOldFileThatCannotBePutBackIsNeverRemoved) {
  WriteSet(dir_.Path(), 1);
  SyscallFaults::OnRename = [](const char* from, const char* to) {
    if (std::strstr(from, ".new") != nullptr && fs::path(to).filename() == "xo-mid.txt") return EIO;
    if (std::strstr(from, ".old") != nullptr && fs::path(to).filename() == "xo-low.txt") return EIO;
    return 0;
  };
  const std::string message = ErrorText([&] { WriteSet(dir_.Path(), 2); });
  SyscallFaults::Clear();
  const std::string prefix = "Cannot write '" + (dir_.Path() / "xo-mid.txt").string() +
                             "': Input/output error; the previous '" + (dir_.Path() / "xo-low.txt").string() +
                             "' is kept as '";
  ASSERT_EQ(message.substr(0, prefix.size()), prefix);
  const fs::path backup = message.substr(prefix.size(), message.size() - prefix.size() - 1);
  EXPECT_EQ(ReadAll(backup), Generation(1)["xo-low.txt"]);
  std::map<std::string, std::string> expected = Generation(1);
  expected["xo-low.txt"] = Generation(2)["xo-low.txt"];
  expected[backup.filename().string()] = Generation(1)["xo-low.txt"];
  EXPECT_EQ(Contents(dir_.Path()), expected);
}

// A failure while writing, or a cancel from the writer, removes the temporaries and changes nothing.
TEST_F(StagedFilesTest, AWriterFailingLeavesTheOldSet) {
  WriteSet(dir_.Path(), 1);
  {
    StagedFiles staged;
    staged.Stage(dir_.Path() / "xo-low.txt", [](StagedOutput& output) { output.Write("new"); });
    EXPECT_THROW(staged.Stage(dir_.Path() / "xo-mid.txt", [](StagedOutput&) { throw CommandCancelled(); }),
                 CommandCancelled);
    EXPECT_EQ(staged.Size(), 1u);
    EXPECT_EQ(Contents(dir_.Path()).size(), 5u);  // the old set and the one staged temporary
  }
  EXPECT_EQ(Contents(dir_.Path()), Generation(1));
}

TEST_F(StagedFilesTest, AReplacedFileKeepsItsModeAndOwner) {
  const fs::path file = dir_.Path() / "xo-low.txt";
  std::ofstream(file) << "old";
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(file.c_str(), 1234, 5678), 0);
  }
  StagedFiles staged;
  staged.Stage(file, [](StagedOutput& output) { output.Write("new"); });
  staged.Commit();
  struct stat status {};
  ASSERT_EQ(::stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(status.st_uid, 1234u);
    EXPECT_EQ(status.st_gid, 5678u);
  }
  EXPECT_EQ(ReadAll(file), "new");
}

// The temporary's name is short, so every name the file system takes can be replaced.
TEST_F(StagedFilesTest, NamesUpToTheFileSystemLimit) {
  const fs::path longest = dir_.Path() / std::string(255, 'n');
  std::ofstream(longest) << "old";
  StagedFiles staged;
  staged.Stage(longest, [](StagedOutput& output) { output.Write("new"); });
  staged.Commit();
  EXPECT_EQ(Contents(dir_.Path()), (std::map<std::string, std::string>{{std::string(255, 'n'), "new"}}));

  const fs::path tooLong = dir_.Path() / std::string(256, 'n');
  EXPECT_EQ(ErrorText([&] { StagedFiles().Stage(tooLong, [](StagedOutput&) {}); }),
            "Cannot write '" + tooLong.string() + "': File name too long");
}

struct RefusedCase {
  const char* name;
  std::function<fs::path(const fs::path&)> make;  // makes the target in the directory, returns it
  std::function<std::string(const fs::path&)> reason;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class RefusedTarget : public testing::TestWithParam<RefusedCase> {};

// A target that exists and is not a regular file (nor a link to one) is refused and left as it is.
TEST_P(RefusedTarget, IsNamedAndLeftAlone) {
  TempDir dir;
  const fs::path target = GetParam().make(dir.Path());
  const auto before = Contents(dir.Path());
  struct stat statusBefore {};
  ASSERT_EQ(::lstat(target.c_str(), &statusBefore), 0);
  StagedFiles staged;
  EXPECT_EQ(ErrorText([&] { staged.Stage(target, [](StagedOutput& output) { output.Write("x"); }); }),
            "Cannot write '" + target.string() + "': " + GetParam().reason(dir.Path()));
  struct stat statusAfter {};
  ASSERT_EQ(::lstat(target.c_str(), &statusAfter), 0);
  EXPECT_EQ(statusAfter.st_mode, statusBefore.st_mode);
  EXPECT_EQ(statusAfter.st_ino, statusBefore.st_ino);
  EXPECT_EQ(Contents(dir.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RefusedTarget,
    testing::Values(
        RefusedCase{"character_device", [](const fs::path&) { return fs::path("/dev/null"); },
                    [](const fs::path&) { return std::string("it is a character device, not a regular file"); }},
        RefusedCase{"named_pipe",
                    [](const fs::path& dir) {
                      ::mkfifo((dir / "pipe").c_str(), 0600);
                      return dir / "pipe";
                    },
                    [](const fs::path&) { return std::string("it is a named pipe, not a regular file"); }},
        RefusedCase{"directory",
                    [](const fs::path& dir) {
                      fs::create_directory(dir / "sub");
                      return dir / "sub";
                    },
                    [](const fs::path&) { return std::string("Is a directory"); }},
        RefusedCase{"link_to_a_device",
                    [](const fs::path& dir) {
                      fs::create_symlink("/dev/null", dir / "null-link");
                      return dir / "null-link";
                    },
                    [](const fs::path&) {
                      return std::string("it leads to '/dev/null', a character device, not a regular file");
                    }},
        RefusedCase{"link_to_nothing",
                    [](const fs::path& dir) {
                      fs::create_symlink(dir / "missing", dir / "dangling");
                      return dir / "dangling";
                    },
                    [](const fs::path&) { return std::string("it is a symbolic link to a file that does not exist"); }},
        RefusedCase{"link_to_a_directory",
                    [](const fs::path& dir) {
                      fs::create_directory(dir / "real");
                      fs::create_symlink(dir / "real", dir / "dir-link");
                      return dir / "dir-link";
                    },
                    [](const fs::path& dir) {
                      return "it leads to '" + fs::canonical(dir / "real").string() + "', a directory, not a regular file";
                    }}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

// A link to a regular file is written through: the file it leads to is replaced, the link stays.
TEST_F(StagedFilesTest, ALinkIsWrittenThrough) {
  fs::create_directory(dir_.Path() / "real");
  const fs::path file = dir_.Path() / "real" / "filter.txt";
  std::ofstream(file) << "old";
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  fs::create_symlink("real/filter.txt", dir_.Path() / "current.txt");
  StagedFiles staged;
  staged.Stage(dir_.Path() / "current.txt", [](StagedOutput& output) { output.Write("new"); });
  staged.Commit();
  EXPECT_EQ(Contents(dir_.Path()),
            (std::map<std::string, std::string>{{"current.txt", "-> real/filter.txt"}, {"real", "<dir>"}}));
  EXPECT_EQ(Contents(dir_.Path() / "real"), (std::map<std::string, std::string>{{"filter.txt", "new"}}));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::mask, fs::perms::owner_read | fs::perms::owner_write);
}

// Two outputs of one set that are the same file, however spelt, are refused before anything is written.
TEST_F(StagedFilesTest, TheSameFileTwiceIsRefused) {
  const fs::path a = dir_.Path() / "a.txt";
  std::ofstream(a) << "old";
  fs::create_symlink("a.txt", dir_.Path() / "b.txt");
  struct Case {
    fs::path second;
    std::string message;
  };
  const std::string same = "Two outputs would write the same file '" + a.string() + "'";
  for (const Case& c : {Case{a, same + "."}, Case{dir_.Path() / "." / "a.txt", same + " (also given as '" +
                                                                             (dir_.Path() / "." / "a.txt").string() + "')."},
                        Case{dir_.Path() / "b.txt", same + " (also given as '" + (dir_.Path() / "b.txt").string() + "')."}}) {
    StagedFiles staged;
    staged.Stage(a, [](StagedOutput& output) { output.Write("first"); });
    EXPECT_EQ(ErrorText([&] { staged.Stage(c.second, [](StagedOutput& output) { output.Write("second"); }); }),
              c.message);
  }
  EXPECT_EQ(Contents(dir_.Path()), (std::map<std::string, std::string>{{"a.txt", "old"}, {"b.txt", "-> a.txt"}}));
  EXPECT_EQ(RepeatedOutput({dir_.Path() / "x", dir_.Path() / "y"}), std::nullopt);
  EXPECT_EQ(RepeatedOutput({dir_.Path() / "x", dir_.Path() / "y", dir_.Path() / "sub" / ".." / "x"}),
            std::make_pair(dir_.Path() / "x", dir_.Path() / "sub" / ".." / "x"));
}

// A target that became a directory while the set was written is refused at the commit; nothing moves.
TEST_F(StagedFilesTest, ATargetReplacedMeanwhileIsRefusedAtTheCommit) {
  WriteSet(dir_.Path(), 1);
  StagedFiles staged;
  for (const auto& [name, text] : Generation(2)) {
    staged.Stage(dir_.Path() / name, [&](StagedOutput& output) { output.Write(text); });
  }
  fs::remove(dir_.Path() / "xo-sum.txt");
  fs::create_directory(dir_.Path() / "xo-sum.txt");
  EXPECT_EQ(ErrorText([&] { staged.Commit(); }), "Cannot write '" + (dir_.Path() / "xo-sum.txt").string() + "': Is a directory");
  std::map<std::string, std::string> expected = Generation(1);
  expected["xo-sum.txt"] = "<dir>";
  EXPECT_EQ(Contents(dir_.Path()), expected);
}

namespace {

// Starts `child` in a forked process that exits 0, or 3 when it raises.
pid_t Spawn(const std::function<void()>& child) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      child();
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(0);
  }
  return pid;
}

// Runs `child` in a forked process and returns its wait status.
int InChild(const std::function<void()>& child) {
  int status = 0;
  ::waitpid(Spawn(child), &status, 0);
  return status;
}

}  // namespace

// A signal while the set is written removes the temporaries and ends the process with that signal.
TEST_F(StagedFilesTest, ASignalWhileWritingKeepsTheOldSet) {
  WriteSet(dir_.Path(), 1);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const int status = InChild([&] {
      StagedFiles staged;
      for (const auto& [name, text] : Generation(2)) {
        staged.Stage(dir_.Path() / name, [&](StagedOutput& output) {
          output.Write(text);
          if (name == "xo-mid.txt") ::raise(signal);
        });
      }
      staged.Commit();
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(Contents(dir_.Path()), Generation(1));
  }
}

// A signal in the middle of the renames waits for the last one: the whole new set, then the signal.
TEST_F(StagedFilesTest, ASignalDuringTheCommitWaitsForItsEnd) {
  WriteSet(dir_.Path(), 1);
  const int status = InChild([&] {
    int renames = 0;
    SyscallFaults::OnRename = [&](const char*, const char*) {
      if (++renames == 2) ::raise(SIGTERM);
      return 0;
    };
    WriteSet(dir_.Path(), 2);
    std::ofstream(dir_.Path() / "after-the-commit") << "the signal came late";
  });
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(Contents(dir_.Path()), Generation(2));
}

// Two processes replacing one set take turns: a reader that takes the same lock only ever sees a
// complete set, and so does the last look.
TEST_F(StagedFilesTest, ConcurrentExportsNeverMix) {
  WriteSet(dir_.Path(), 0);
  constexpr int cRounds = 40;
  std::vector<pid_t> writers;
  for (const int first : {1, 2}) {
    writers.push_back(Spawn([&] {
      for (int round = 0; round < cRounds; ++round) WriteSet(dir_.Path(), first + 2 * round);
    }));
  }
  int looks = 0;
  int mixed = 0;
  for (bool running = true; running;) {
    running = false;
    for (const pid_t pid : writers) running |= ::waitpid(pid, nullptr, WNOHANG) == 0;
    const DirectoryLocks lock({dir_.Path()});
    // Temporaries of a set being written may be there meanwhile, never once both have ended.
    auto contents = Contents(dir_.Path());
    std::erase_if(contents, [](const auto& entry) { return entry.first.rfind(".fx", 0) == 0; });
    const std::string first = contents.begin()->second;
    const int generation = std::stoi(first.substr(std::strlen("generation ")));
    if (contents != Generation(generation)) ++mixed;
    ++looks;
  }
  for (const pid_t pid : writers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(mixed, 0) << "of " << looks;
  const auto contents = Contents(dir_.Path());
  const bool lastOfEither = contents == Generation(2 * cRounds - 1) || contents == Generation(2 * cRounds);
  EXPECT_TRUE(lastOfEither);
}
