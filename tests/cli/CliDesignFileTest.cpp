// firxover-cli with design files: --load before every other option, --save after the command.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "tests/support/CliInProcess.h"
#include "designfile/DesignFile.h"

namespace fs = std::filesystem;

namespace {

using CliResult = testing_support::CliRun;

CliResult Cli(std::vector<std::string> arguments) { return testing_support::RunCliInProcess(std::move(arguments)); }

class CliDesignFile : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "firxover-cli-design-XXXXXX").string();
    directory_ = ::mkdtemp(name.data());
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::string Path(const std::string& name) const { return (directory_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  std::string Save(const std::string& name, const DesignSettings& settings) const {
    return Write(name, FormatDesignFile(settings));
  }
  static std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path directory_;
};

// A design unlike the start state in every setting the CLI has an option for.
DesignSettings MixedDesign() {
  DesignSettings settings;
  settings.Text(Field::Edit1) = "601";
  settings.Text(Field::Edit9) = "401";
  settings.Text(Field::Edit10) = "201";
  settings.Text(Field::Edit2) = "250";
  settings.Text(Field::Edit5) = "350";
  settings.Text(Field::Edit4) = "2500";
  settings.Text(Field::Edit3) = "2400";
  settings.Text(Field::EditShelbL) = "100";
  settings.Text(Field::EditShelbH) = "500";
  settings.Text(Field::Edit8) = "80";
  settings.adjustChecked = false;
  settings.shelfCutDb = 3;
  return settings;
}

const std::vector<std::string> MixedOptions = {
    "--low-taps", "601", "--mid-taps", "401", "--high-taps", "201", "--low-cut", "250", "--mid-low", "350",
    "--mid-high", "2500", "--high-cut", "2400", "--shelf-f1", "100", "--shelf-f2", "500", "--attenuation", "80",
    "--no-adjust", "--shelf-cut", "3"};

TEST_F(CliDesignFile, LoadGivesTheSameDesignAsTheOptions) {
  const std::string file = Save("mixed.firxover.json", MixedDesign());
  std::vector<std::string> byOptions = {"design", "--json"};
  byOptions.insert(byOptions.end(), MixedOptions.begin(), MixedOptions.end());
  const CliResult expected = Cli(byOptions);
  ASSERT_EQ(expected.status, 0) << expected.err;
  const CliResult loaded = Cli({"design", "--load", file, "--json"});
  EXPECT_EQ(loaded.status, 0) << loaded.err;
  // Compared whole, printed only in part: the JSON holds every coefficient.
  EXPECT_TRUE(loaded.out == expected.out) << loaded.out.substr(0, 800);
  DesignSettings estimate;
  estimate.Text(Field::Edit6) = "1000";
  estimate.Text(Field::Edit7) = "1100";
  estimate.Text(Field::Edit8) = "80";
  const CliResult estimated = Cli({"estimate", "--load", Save("estimate.json", estimate)});
  EXPECT_EQ(estimated.out, Cli({"estimate", "--pass", "1000", "--stop", "1100", "--attenuation", "80"}).out);
  EXPECT_EQ(estimated.out, "CutOff     ：1050Hz\nIdeal Taps： 2213\n");
}

TEST_F(CliDesignFile, OtherOptionsOverrideTheFileWhereverLoadStands) {
  const std::string file = Save("mixed.firxover.json", MixedDesign());
  std::vector<std::string> byOptions = {"design", "--json"};
  byOptions.insert(byOptions.end(), MixedOptions.begin(), MixedOptions.end());
  for (const char* extra : {"--low-taps=901", "--adjust", "--shelf-cut=0"}) byOptions.push_back(extra);
  const CliResult expected = Cli(byOptions);
  const CliResult before = Cli({"design", "--low-taps=901", "--adjust", "--shelf-cut=0", "--load", file, "--json"});
  const CliResult after = Cli({"design", "--load=" + file, "--low-taps=901", "--adjust", "--shelf-cut=0", "--json"});
  EXPECT_TRUE(before.out == expected.out) << before.out.substr(0, 800);
  EXPECT_TRUE(after.out == expected.out) << after.out.substr(0, 800);
  EXPECT_NE(before.out.find("\"Edit1\":\"901\""), std::string::npos);
  EXPECT_NE(before.out.find("\"LabelShelbDb\":\"+0dB\""), std::string::npos);
}

TEST_F(CliDesignFile, SaveWritesTheFieldsAfterTheCommand) {
  const std::string saved = Path("out.firxover.json");
  std::vector<std::string> arguments = {"design", "--save", saved};
  arguments.insert(arguments.end(), MixedOptions.begin(), MixedOptions.end());
  arguments.insert(arguments.end(), {"--mid-taps", "400"});  // made odd by the Calc
  const CliResult run = Cli(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Contents(saved), FormatDesignFile(MixedDesign()));

  // A design loaded and saved again unchanged is the same file, byte for byte, with what the
  // command line cannot set (the axes, the driver settings).
  const std::string original = Write("original.json", R"({"format": "firxover-design", "version": 1,
      "logFrequency": false, "drivers": {"low": {"file": "w.frd"}}, "fields": {"passHz": "abc"}})");
  const std::string copy = Path("copy.json");
  const CliResult again = Cli({"estimate", "--load", original, "--save", copy});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "'abc' は浮動小数点数ではありません\n");
  DesignSettings expected;
  expected.logFrequency = false;
  expected.Text(Field::Edit6) = "abc";
  expected.drivers = DriverSetups{};
  (*expected.drivers)[0].File = "w.frd";
  EXPECT_EQ(Contents(copy), FormatDesignFile(expected));
}

TEST_F(CliDesignFile, SaveAlsoWhenTheCommandEndedWithItsMessage) {
  const std::string saved = Path("refused.firxover.json");
  // f1 below 40 Hz: the Calc corrects the field, says so and stops.
  const CliResult run = Cli({"design", "--shelf-f1", "30", "--low-taps", "x9", "--save", saved});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  const DesignSettings written = ReadDesignFile(saved);
  EXPECT_EQ(written.Text(Field::EditShelbL), "40");
  EXPECT_EQ(written.Text(Field::Edit1), "x9");
  EXPECT_EQ(run.err, "f1 should be higher than 40：入力できる数値は40以上です。\n");
}

TEST_F(CliDesignFile, ABadFileStopsTheCommandAndWritesNothing) {
  const std::string png = Path("graph.png");
  const std::string saved = Path("saved.json");
  const std::pair<std::string, std::string> cases[] = {
      {"missing.json", "No such file or directory"},
      {"empty.json", "the file is empty"},
      {"text.json", "it is not JSON (line 1, column 1: syntax error while parsing value - invalid literal)"},
      {"binary.json", "it holds binary data, not JSON text (byte 0 at offset 0)"},
      {"array.json", "it is not a firxover design (not a JSON object)"},
      {"newer.json", "it was written by a newer firxover (design file version 2; this one reads up to version 1)"},
      {"type.json", "\"shelfCutDb\" must be a whole number of dB from 0 to 6"},
      {"huge.json", "it is larger than 1 MB (1048576 bytes), too large for a design file"},
  };
  Write("empty.json", "");
  Write("text.json", "lowTaps=901");
  Write("binary.json", std::string(16, '\0'));
  Write("array.json", "[]");
  Write("newer.json", R"({"format": "firxover-design", "version": 2})");
  Write("type.json", R"({"format": "firxover-design", "version": 1, "shelfCutDb": "6"})");
  Write("huge.json", std::string(MaxDesignFileBytes + 1, ' '));
  const std::vector<std::string> before = Names();
  for (const auto& [name, reason] : cases) {
    const CliResult run = Cli({"design", "--json", "--png", png, "--export", Path("set"), "--save", saved, "--load",
                         Path(name)});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_EQ(run.err, "Cannot open design file '" + Path(name) + "': " + reason + "\n");
    EXPECT_EQ(Names(), before) << name;
    EXPECT_EQ(Cli({"estimate", "--load", Path(name)}).status, 1) << name;
  }
}

TEST_F(CliDesignFile, ReportLoadsAndSaves) {
  const std::string file = Save("mixed.firxover.json", MixedDesign());
  std::vector<std::string> byOptions = {"report", "--json"};
  byOptions.insert(byOptions.end(), MixedOptions.begin(), MixedOptions.end());
  const CliResult expected = Cli(byOptions);
  ASSERT_EQ(expected.status, 0) << expected.err;
  const std::string saved = Path("saved.firxover.json");
  const CliResult loaded = Cli({"report", "--load", file, "--json", "--save", saved});
  EXPECT_EQ(loaded.status, 0) << loaded.err;
  EXPECT_TRUE(loaded.out == expected.out) << loaded.out.substr(0, 400);
  EXPECT_EQ(Contents(saved), Contents(file));
  // A save that fails fails the command, even though the report was printed.
  const CliResult unsaved = Cli({"report", "--load", file, "--save", Path("none/x.json")});
  EXPECT_EQ(unsaved.status, 1);
  EXPECT_FALSE(unsaved.out.empty());
  EXPECT_EQ(unsaved.err, "Cannot write '" + Path("none/x.json") + "': No such file or directory\n");
}

TEST_F(CliDesignFile, SaveFailuresAndUsage) {
  const std::string nowhere = Path("no such folder/a.json");
  const CliResult run = Cli({"design", "--save", nowhere});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "振幅係数の最大値：CMax = 1.000000\nTotal Ntap = 901\n");
  EXPECT_EQ(run.err, "Cannot write '" + nowhere + "': No such file or directory\n");

  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"design", "--load"}, {"design", "--load="}, {"estimate", "--save="}}) {
    const CliResult usage = Cli(arguments);
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err.substr(0, usage.err.find('\n')),
              arguments.back() == "--load" ? "firxover-cli: option --load needs a value"
                                           : "firxover-cli: option " + arguments.back().substr(0, 6) +
                                                 " needs a file name");
  }
}

TEST_F(CliDesignFile, PicturesUseTheFilesAxes) {
  DesignSettings linear;
  linear.logFrequency = false;
  linear.logLevel = false;
  const std::string file = Save("linear.json", linear);
  ASSERT_EQ(Cli({"design", "--load", file, "--png", Path("linear.png")}).status, 0);
  ASSERT_EQ(Cli({"design", "--png", Path("log.png")}).status, 0);
  const QImage linearImage(QString::fromStdString(Path("linear.png")));
  const QImage logImage(QString::fromStdString(Path("log.png")));
  ASSERT_EQ(linearImage.size(), QSize(681, 337));
  // The markers (red at 300 Hz, blue at 2000 Hz) at x = f / 10000 * 681 on the linear axis, at
  // (log10 f - 1) / 3 * 681 on the logarithmic one; row 3 lies above every curve.
  const QColor red(255, 0, 0), blue(0, 0, 255);
  EXPECT_EQ(linearImage.pixelColor(20, 3), red);
  EXPECT_EQ(linearImage.pixelColor(136, 3), blue);
  EXPECT_NE(linearImage.pixelColor(335, 3), red);
  EXPECT_NE(linearImage.pixelColor(522, 3), blue);
  EXPECT_EQ(logImage.pixelColor(335, 3), red);
  EXPECT_EQ(logImage.pixelColor(522, 3), blue);
  EXPECT_NE(logImage.pixelColor(136, 3), blue);
}

}  // namespace
