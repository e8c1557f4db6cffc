// Output directories made on demand: parents too, existing ones and links to them used as they are,
// and a file (or a dangling link) in the way refused with the system's reason and left untouched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/OutputDirectory.h"
#include "tests/numerics/ErrorText.h"

namespace fs = std::filesystem;

namespace {

class OutputDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("firxover-dirs-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override {
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(root_);
  }
  void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
  std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }
  std::string Refusal(const fs::path& path, const std::string& reason) {
    return "Cannot create directory '" + path.string() + "': " + reason;
  }
  fs::path root_;
};

TEST_F(OutputDirectory, CreatesTheDirectoryAndEveryMissingParent) {
  const fs::path deep = root_ / "out" / "sets" / "2026";
  CreateOutputDirectory(deep);
  EXPECT_TRUE(fs::is_directory(deep));
  // Again: nothing to do, and what the directory holds stays.
  WriteFile(deep / "kept.txt", "kept");
  CreateOutputDirectory(deep);
  EXPECT_EQ(ReadFile(deep / "kept.txt"), "kept");
  // A trailing separator and "." parts name the same directory.
  CreateOutputDirectory(root_ / "out" / "." / "sets" / "2026" / "");
  EXPECT_EQ(std::distance(fs::directory_iterator(deep), fs::directory_iterator()), 1);
}

TEST_F(OutputDirectory, RelativePathsStartAtTheWorkingDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(root_);
  CreateOutputDirectory("a/b");
  CreateOutputDirectory("");  // the working directory itself
  CreateParentDirectory("c/d/graph.png");
  CreateParentDirectory("graph.png");
  fs::current_path(before);
  EXPECT_TRUE(fs::is_directory(root_ / "a" / "b"));
  EXPECT_TRUE(fs::is_directory(root_ / "c" / "d"));
  EXPECT_FALSE(fs::exists(root_ / "c" / "d" / "graph.png"));
  EXPECT_FALSE(fs::exists(root_ / "graph.png"));
}

TEST_F(OutputDirectory, FollowsLinksToDirectories) {
  fs::create_directory(root_ / "real");
  fs::create_directory_symlink(root_ / "real", root_ / "link");
  CreateOutputDirectory(root_ / "link");
  CreateOutputDirectory(root_ / "link" / "inside");
  EXPECT_TRUE(fs::is_symlink(root_ / "link"));
  EXPECT_TRUE(fs::is_directory(root_ / "real" / "inside"));
}

TEST_F(OutputDirectory, RefusesWhatIsNotADirectoryAndLeavesItAlone) {
  WriteFile(root_ / "out", "a file named like the directory");
  EXPECT_EQ(ErrorText([&] { CreateOutputDirectory(root_ / "out"); }),
            Refusal(root_ / "out", "Not a directory"));
  EXPECT_EQ(ErrorText([&] { CreateOutputDirectory(root_ / "out" / "sub"); }),
            Refusal(root_ / "out" / "sub", "Not a directory"));
  EXPECT_EQ(ErrorText([&] { CreateParentDirectory(root_ / "out" / "graph.png"); }),
            Refusal(root_ / "out", "Not a directory"));
  EXPECT_EQ(ReadFile(root_ / "out"), "a file named like the directory");

  fs::create_symlink(root_ / "out", root_ / "to-file");
  EXPECT_EQ(ErrorText([&] { CreateOutputDirectory(root_ / "to-file"); }),
            Refusal(root_ / "to-file", "Not a directory"));
  fs::create_symlink(root_ / "nowhere", root_ / "dangling");
  EXPECT_EQ(ErrorText([&] { CreateOutputDirectory(root_ / "dangling" / "sub"); }),
            Refusal(root_ / "dangling" / "sub", "No such file or directory"));
  EXPECT_TRUE(fs::is_symlink(root_ / "to-file"));
  EXPECT_TRUE(fs::is_symlink(root_ / "dangling"));
  EXPECT_FALSE(fs::exists(root_ / "nowhere"));
}

TEST_F(OutputDirectory, ReportsTheSystemsRefusal) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  fs::permissions(root_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ErrorText([&] { CreateOutputDirectory(root_ / "a" / "b"); }),
            Refusal(root_ / "a" / "b", "Permission denied"));
  EXPECT_FALSE(fs::exists(root_ / "a"));
}

}  // namespace
