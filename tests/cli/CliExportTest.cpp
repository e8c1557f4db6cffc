// firxover-cli's files: the filters and their summary, the curves and the two pictures.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "tests/support/CliInProcess.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"
#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

using ExportRun = testing_support::CliRun;

ExportRun Cli(std::vector<std::string> arguments) { return testing_support::RunCliInProcess(std::move(arguments)); }

class ScratchDir : public testing_support::ScratchDir {
 public:
  ScratchDir() : testing_support::ScratchDir("firxover-cli") {}
};

}  // namespace

TEST(CliExport, WritesFiltersCurvesAndPictures) {
  ScratchDir dir;
  const ExportRun run = Cli({"design", "--shelf-cut", "6", "--export", dir.Path().string(), "--format=txt", "--prefix",
                       "xo", "--curves", dir / "curves.csv", "--png", dir / "image1.png", "--png-labelled",
                       dir / "graph.png"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.Count(), 9u);  // five filters, the summary, the curves, two pictures

  MemoryFields fields;
  fields.SetSliderPosition(0);
  DesignState state;
  ASSERT_EQ(CalcCommand(fields, state).Status, CalcStatus::Completed);
  EXPECT_EQ(run.out, fields.CaptionText(Caption::Label21) + "\nTotal Ntap = 2105\n");
  std::ifstream sum(dir / "xo-sum.txt");
  std::vector<double> taps;
  for (std::string line; std::getline(sum, line);) taps.push_back(std::strtod(line.c_str(), nullptr));
  EXPECT_EQ(taps, state.SumCascade);
  std::ifstream curves(dir / "curves.csv");
  int lines = 0;
  for (std::string line; std::getline(curves, line);) ++lines;
  EXPECT_EQ(lines, 951);

  EXPECT_EQ(QImage(QString::fromStdString(dir / "image1.png")).size(), QSize(681, 337));
  const QImage graph(QString::fromStdString(dir / "graph.png"));
  EXPECT_EQ(graph.size(), QSize(788, 599));
  EXPECT_EQ(graph.pixelColor(56 + 335, 200 + 10), QColor(Qt::red));  // the marker at Edit5 = 300 Hz
}

// Every output's directory is made when missing, parents too, and only the one it needs.
TEST(CliExport, MakesMissingDirectories) {
  ScratchDir dir;
  const ExportRun run = Cli({"design", "--export", dir / "sets/a/b", "--format", "dbl", "--prefix", "xo", "--curves",
                             dir / "curves/c.csv", "--png", dir / "pictures/p/image1.png", "--png-labelled",
                             dir / "pictures/q/graph.png"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(dir / "sets/a/b"), {})), 6u);
  EXPECT_TRUE(fs::is_regular_file(dir / "curves/c.csv"));
  EXPECT_TRUE(fs::is_regular_file(dir / "pictures/p/image1.png"));
  EXPECT_TRUE(fs::is_regular_file(dir / "pictures/q/graph.png"));
  EXPECT_EQ(dir.Count(), 3u);  // sets, curves, pictures

  // Relative to the working directory, as the README's example runs it.
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path());
  const ExportRun relative = Cli({"design", "--shelf-cut", "3", "--export", "out", "--prefix", "xo", "--curves",
                                  "out/xo-response.csv", "--png", "out/xo-graph.png"});
  fs::current_path(before);
  ASSERT_EQ(relative.status, 0) << relative.err;
  EXPECT_TRUE(fs::is_regular_file(dir / "out/xo-low.wav"));
  EXPECT_TRUE(fs::is_regular_file(dir / "out/xo-response.csv"));
  EXPECT_TRUE(fs::is_regular_file(dir / "out/xo-graph.png"));
}

TEST(CliExport, FailuresWriteNothing) {
  ScratchDir dir;
  // A file where a directory is to be made: refused with exit 1, the file left as it was.
  std::ofstream(dir / "taken") << "kept";
  const std::vector<std::pair<std::vector<std::string>, std::string>> blocked = {
      {{"design", "--export", dir / "taken"}, dir / "taken"},
      {{"design", "--export", dir / "taken/sub"}, dir / "taken/sub"},
      {{"design", "--curves", dir / "taken/c.csv"}, dir / "taken"},
      {{"design", "--png", dir / "taken/g/g.png"}, dir / "taken/g"},
      {{"design", "--png-labelled", dir / "taken/g.png"}, dir / "taken"},
  };
  for (const auto& [arguments, directory] : blocked) {
    const ExportRun run = Cli(arguments);
    EXPECT_EQ(run.status, 1) << directory;
    EXPECT_EQ(run.out, "振幅係数の最大値：CMax = 1.000000\nTotal Ntap = 901\n");  // the Calc itself completed
    EXPECT_EQ(run.err, "Cannot create directory '" + directory + "': Not a directory\n");
  }
  EXPECT_EQ(dir.Count(), 1u);
  std::ifstream taken(dir / "taken");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(taken), {}), "kept");
  fs::remove(dir / "taken");

  const ExportRun calcFails = Cli({"design", "--low-taps", "abc", "--export", dir.Path().string(), "--png", dir / "g.png"});
  EXPECT_EQ(calcFails.status, 1);
  EXPECT_EQ(calcFails.err, "'abc' は整数ではありません\n");
  EXPECT_EQ(dir.Count(), 0u);
}

TEST(CliExport, UsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{"design", "--export", "d", "--format", "mp3"},
       "option --format takes wav, wav64, txt, f32, dbl or csv, not 'mp3'"},
      {{"design", "--export", "d", "--prefix", "a/b"}, "The file name prefix 'a/b' must not contain '/'."},
      {{"design", "--export", "d", "--prefix="}, "The file name prefix is empty."},
      {{"design", "--format", "wav"}, "options --format and --prefix need --export DIR"},
      {{"design", "--png="}, "option --png needs a file or directory name"},
      {{"design", "--export"}, "option --export needs a value"},
      {{"estimate", "--curves", "c.csv"}, "unknown option '--curves' for estimate"},
      {{"design", "--export", "d", "--prefix", "xo", "--curves", "d/xo-summary.txt"},
       "Two outputs would write the same file 'd/xo-summary.txt'."},
      {{"design", "--export", "d", "--format", "txt", "--png", "d/../d/firxover-low.txt"},
       "Two outputs would write the same file 'd/firxover-low.txt' (also given as 'd/../d/firxover-low.txt')."},
      {{"design", "--png", "g.png", "--png-labelled", "./g.png"},
       "Two outputs would write the same file 'g.png' (also given as './g.png')."},
  };
  for (const auto& [arguments, message] : rows) {
    const ExportRun run = Cli(arguments);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "firxover-cli: " + message);
  }
}

// --progress shows the export as a line of its own after the Calc's; without it nothing is shown.
TEST(CliExport, ProgressOfTheExport) {
  ScratchDir dir;
  const ExportRun shown = Cli({"design", "--progress", "--export", dir.Path().string(), "--format", "txt"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.err.find("\rCalc 100%\n\rExport 0%"), std::string::npos) << shown.err;
  EXPECT_EQ(shown.err.substr(shown.err.size() - std::string("\rExport 100%\n").size()), "\rExport 100%\n");
  const ExportRun quiet = Cli({"design", "--export", dir.Path().string(), "--format", "txt"});
  EXPECT_EQ(quiet.err, "");
}
