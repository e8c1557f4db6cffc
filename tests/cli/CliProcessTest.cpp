// firxover-cli as a process: what it prints must arrive or the command fails, pictures are drawn
// whatever Qt platform the environment names, and one file is never given to two outputs.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

using testing_support::ProcessRun;

// Runs firxover-cli (or `binary`) with its standard output on `outPath` and extra environment settings.
ProcessRun RunCli(const std::vector<std::string>& arguments, const std::string& outPath,
                  const std::vector<std::string>& environment = {}, const std::string& binary = FIRXOVER_CLI_BINARY) {
  return testing_support::RunProcess(binary, arguments, outPath, environment);
}

class ScratchDir : public testing_support::ScratchDir {
 public:
  ScratchDir() : testing_support::ScratchDir("firxover-cli") {}
};

}  // namespace

// A full device takes nothing: every way of printing fails with a message and exit status 1.
TEST(CliProcess, OutputThatCannotBeWrittenFails) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"design", "--json"}, {"design"}, {"estimate", "--json"}, {"--help"}, {"--version"}}) {
    const ProcessRun run = RunCli(arguments, "/dev/full");
    EXPECT_EQ(run.status, 1) << arguments[0];
    EXPECT_EQ(run.err, "Cannot write to standard output: No space left on device\n") << arguments[0];
  }
  ScratchDir dir;
  const ProcessRun written = RunCli({"design", "--json"}, dir / "out.json");
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_GT(fs::file_size(dir / "out.json"), 100000u);
}

// The pictures are drawn offscreen even where the environment names a platform that cannot start.
TEST(CliProcess, PicturesWhateverThePlatformSays) {
  for (const char* platform : {"QT_QPA_PLATFORM=wayland", "QT_QPA_PLATFORM=xcb", "QT_QPA_PLATFORM=no-such-platform"}) {
    ScratchDir dir;
    const ProcessRun run = RunCli({"design", "--png", dir / "g.png", "--export", dir.Path().string()}, dir / "out.txt",
                           {platform, "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(run.status, 0) << platform << ": " << run.err;
    EXPECT_TRUE(fs::is_regular_file(dir / "g.png")) << platform;
    EXPECT_GT(fs::file_size(dir / "out.txt"), 0u) << platform;
  }
}

// /dev/null and a pipe are never replaced by a regular file; the message names them.
TEST(CliProcess, TargetsThatAreNotFilesAreLeftAlone) {
  ScratchDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  const ProcessRun null = RunCli({"design", "--png", "/dev/null"}, dir / "out.txt");
  EXPECT_EQ(null.status, 1);
  EXPECT_EQ(null.err, "Cannot write '/dev/null': it is a character device, not a regular file\n");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  const ProcessRun pipe = RunCli({"design", "--curves", dir / "pipe"}, dir / "out.txt");
  EXPECT_EQ(pipe.status, 1);
  EXPECT_EQ(pipe.err, "Cannot write '" + (dir / "pipe") + "': it is a named pipe, not a regular file\n");
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
}

// SIGINT or SIGTERM while a set is written (seen on its progress line) ends the command with that
// signal, leaves the old set whole and takes every temporary away.
TEST(CliProcess, ASignalDuringAnExportKeepsTheOldSet) {
  for (const int signal : {SIGINT, SIGTERM}) {
    ScratchDir dir;
    const ProcessRun first = RunCli({"design", "--export", dir.Path().string(), "--format", "f32"}, dir / "out.txt");
    ASSERT_EQ(first.status, 0) << first.err;
    fs::remove(dir / "out.txt");
    std::map<std::string, uintmax_t> before;
    for (const auto& entry : fs::directory_iterator(dir.Path())) before[entry.path().filename()] = entry.file_size();

    const std::string errPath = (fs::temp_directory_path() / ("firxover-progress-" + std::to_string(::getpid()))).string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int out = ::open("/dev/null", O_WRONLY);
      ::dup2(out, 1);
      ::dup2(err, 2);
      const std::string directory = dir.Path().string();
      ::execl(FIRXOVER_CLI_BINARY, FIRXOVER_CLI_BINARY, "design", "--low-taps", "1000001", "--progress", "--export",
              directory.c_str(), "--format", "f32", static_cast<char*>(nullptr));
      ::_exit(126);
    }
    // Waits for the export's progress line; the process is signalled in the middle of the set.
    bool exporting = false;
    for (int look = 0; look < 60000 && !exporting; ++look) {
      std::ifstream in(errPath);
      std::stringstream text;
      text << in.rdbuf();
      exporting = text.str().find("Export 1") != std::string::npos;
      if (!exporting) ::usleep(1000);
    }
    ASSERT_TRUE(exporting);
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    fs::remove(errPath);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    std::map<std::string, uintmax_t> after;
    for (const auto& entry : fs::directory_iterator(dir.Path())) after[entry.path().filename()] = entry.file_size();
    EXPECT_EQ(after, before);
  }
}

// libsndfile is loaded only to write WAV files: the program does not link it, text formats are
// written where it cannot be loaded, and a WAV export there fails with the loader's reason, leaving
// the old set as it was.
TEST(CliProcess, LibsndfileIsLoadedOnlyForWav) {
  FILE* pipe = ::popen("ldd " FIRXOVER_CLI_BINARY, "r");
  ASSERT_NE(pipe, nullptr);
  std::string libraries;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) libraries.append(buffer, n);
  ::pclose(pipe);
  ASSERT_NE(libraries.find("libc.so"), std::string::npos) << libraries;
  EXPECT_EQ(libraries.find("libsndfile"), std::string::npos) << libraries;

  ScratchDir dir;
  // A file that is no library, found first by the loader.
  const fs::path lib = dir.Path() / "lib";
  fs::create_directories(lib);
  std::ofstream(lib / "libsndfile.so.1") << "not a library";
  const std::string brokenLoader = "LD_LIBRARY_PATH=" + lib.string();
  const ProcessRun text = RunCli({"design", "--export", dir / "set", "--format", "txt"}, dir / "out.txt", {brokenLoader});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(fs::is_regular_file(dir.Path() / "set" / "firxover-low.txt"));

  const ProcessRun first = RunCli({"design", "--export", dir / "set"}, dir / "out.txt");
  ASSERT_EQ(first.status, 0) << first.err;
  const uintmax_t lowSize = fs::file_size(dir.Path() / "set" / "firxover-low.wav");
  const ProcessRun wav =
      RunCli({"design", "--low-taps", "2001", "--export", dir / "set"}, dir / "out.txt", {brokenLoader});
  EXPECT_EQ(wav.status, 1);
  EXPECT_EQ(wav.err.rfind("Cannot write '" + (dir.Path() / "set" / "firxover-low.wav").string() + "': cannot load libsndfile.so.1: ", 0),
            0u)
      << wav.err;
  EXPECT_EQ(fs::file_size(dir.Path() / "set" / "firxover-low.wav"), lowSize);
}
