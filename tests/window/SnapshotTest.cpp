// firxover-snapshot as a process: bad options are messages, the picture replaces its file whole and
// is written through a link, and what is not a regular file is left alone.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

struct SnapshotRun {
  int status = -1;
  std::string err;  // the tool's own lines (Qt's notes on the environment left out)
};

SnapshotRun Snapshot(const std::vector<std::string>& arguments) {
  std::string command = std::string("QT_QPA_PLATFORM=offscreen '") + FIRXOVER_SNAPSHOT_BINARY + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = ::pclose(pipe);
  SnapshotRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("QStandardPaths:", 0) != 0) run.err += line + "\n";
  }
  return run;
}

class ScratchDir : public testing_support::ScratchDir {
 public:
  ScratchDir() : testing_support::ScratchDir("firxover-snapshot") {}
};

const std::string Usage =
    "usage: firxover-snapshot OUT.png [--dark] [--size WxH] [--slider POS] [--linear-frequency] [--linear-amplitude] "
    "[--estimate] [--calc]\n";

}  // namespace

TEST(Snapshot, BadOptionsAreMessages) {
  ScratchDir dir;
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{dir / "a.png", "--slider", "abc"}, "option --slider takes a position from 0 to 6, not 'abc'"},
      {{dir / "a.png", "--slider", "7"}, "option --slider takes a position from 0 to 6, not '7'"},
      {{dir / "a.png", "--slider", "99999999999999999999"},
       "option --slider takes a position from 0 to 6, not '99999999999999999999'"},
      {{dir / "a.png", "--slider"}, "option --slider needs a position from 0 to 6"},
      {{dir / "a.png", "--size", "800"}, "option --size takes WIDTHxHEIGHT (1 to 10000 pixels each), not '800'"},
      {{dir / "a.png", "--size", "0x600"}, "option --size takes WIDTHxHEIGHT (1 to 10000 pixels each), not '0x600'"},
      {{dir / "a.png", "--size", "800x99999"},
       "option --size takes WIDTHxHEIGHT (1 to 10000 pixels each), not '800x99999'"},
      {{dir / "a.png", "--size"}, "option --size needs WIDTHxHEIGHT"},
      {{dir / "a.png", "--bogus"}, "unknown option '--bogus'"},
      {{}, "an output file is needed"},
  };
  for (const auto& [arguments, message] : rows) {
    const SnapshotRun run = Snapshot(arguments);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.err, "firxover-snapshot: " + message + "\n" + Usage);
  }
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(Snapshot, WritesThroughALinkAndRefusesDevices) {
  ScratchDir dir;
  std::ofstream(dir / "real.png") << "old";
  fs::create_symlink("real.png", dir / "link.png");
  const SnapshotRun written = Snapshot({dir / "link.png", "--slider", "3", "--calc"});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
  const QImage picture(QString::fromStdString(dir / "real.png"));
  EXPECT_EQ(picture.width(), 788);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);  // no temporary left

  const SnapshotRun refused = Snapshot({"/dev/null"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "firxover-snapshot: Cannot write '/dev/null': it is a character device, not a regular file\n");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}
