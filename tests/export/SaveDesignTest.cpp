#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/SaveDesign.h"
#include "numerics/Errors.h"
#include "tests/numerics/ErrorText.h"

namespace fs = std::filesystem;

namespace {

// In a child process: saves the start state with files limited to 100 bytes; returns the error.
std::string SaveUnderFileSizeLimit(const fs::path& path) {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{100, 100};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  return ErrorText([&] { SaveDesignFile(path, DesignSettings()); });
}

class SaveDesignTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "firxover-save-XXXXXX").string();
    directory_ = ::mkdtemp(name.data());
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string Contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  fs::path directory_;
};

TEST_F(SaveDesignTest, WritesTheDocumentAndReplacesAnOlderOne) {
  const fs::path path = directory_ / "speaker.firxover.json";
  DesignSettings first;
  first.Text(Field::Edit1) = "1001";
  SaveDesignFile(path, first);
  EXPECT_EQ(Contents(path), FormatDesignFile(first));
  DesignSettings second;
  second.shelfCutDb = 5;
  second.Text(Field::Edit7) = "x\xFFy";
  SaveDesignFile(path, second);
  EXPECT_EQ(ReadDesignFile(path), second);
  EXPECT_EQ(Names(), std::vector<std::string>{"speaker.firxover.json"});
}

TEST_F(SaveDesignTest, FailuresNameTheFileAndChangeNothing) {
  const fs::path missing = directory_ / "no such folder" / "a.firxover.json";
  EXPECT_EQ(ErrorText([&] { SaveDesignFile(missing, DesignSettings()); }),
            "Cannot write '" + missing.string() + "': No such file or directory");
  fs::create_directory(directory_ / "taken");
  EXPECT_EQ(ErrorText([&] { SaveDesignFile(directory_ / "taken", DesignSettings()); }),
            "Cannot write '" + (directory_ / "taken").string() + "': Is a directory");
  EXPECT_TRUE(fs::is_directory(directory_ / "taken"));
  EXPECT_EQ(Names(), std::vector<std::string>{"taken"});
}

// A write that fails half way (the file-size limit stands in for a full disk) keeps the previous
// file whole and leaves no temporary beside it.
TEST_F(SaveDesignTest, AFailedWriteKeepsThePreviousFile) {
  const fs::path path = directory_ / "speaker.firxover.json";
  const std::string previous = "{\"previous\": true}\n";
  std::ofstream(path, std::ios::binary) << previous;
  EXPECT_EXIT(std::_Exit(SaveUnderFileSizeLimit(path) == "Cannot write '" + path.string() + "': File too large" ? 0 : 1),
              testing::ExitedWithCode(0), "");
  EXPECT_EQ(Contents(path), previous);
  EXPECT_EQ(Names(), std::vector<std::string>{"speaker.firxover.json"});
}

}  // namespace
