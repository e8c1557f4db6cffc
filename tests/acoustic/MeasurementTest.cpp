#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "acoustic/Measurement.h"
#include "numerics/TextConvert.h"
#include "tests/numerics/ErrorText.h"

namespace {

std::string ParseError(const std::string& text) { return ErrorText([&] { ParseMeasurement(text, "w.frd"); }); }

TEST(MeasurementTest, Layouts) {
  struct Row {
    const char* name;
    std::string text;
  };
  const Row rows[] = {
      {"blanks", "20 85.5 -10\n40 86 -20\n"},
      {"tabs and CR LF", "20\t85.5\t-10\r\n40\t86\t-20\r\n"},
      {"commas", "20,85.5,-10\n40,86,-20\n"},
      {"comma and blanks", "20, 85.5, -10\n40 ,86 , -20,\n"},
      {"semicolons", "20;85.5;-10\n40;86;-20\n"},
      {"old Mac line ends", "20 85.5 -10\r40 86 -20\r"},
      {"header, comments, blank lines", "\xEF\xBB\xBF* made by hand\nFreq SPL Phase\n\n20 85.5 -10\n   \n* mid comment\n"
                                        "40 86 -20\n\n"},
      {"signs and exponents", "+2e1 +85.5 -1e1\n4.0E1 8.6e+1 -2.0e+1"},
      {"header with a number", "Measured 1/3 octave at 2.83 V\n20 85.5 -10\n40 86 -20\n"},
  };
  for (const Row& row : rows) {
    const Measurement m = ParseMeasurement(row.text, "w.frd");
    EXPECT_EQ(m.Name, "w.frd");
    EXPECT_EQ(m.FrequencyHz, (std::vector<double>{20, 40})) << row.name;
    EXPECT_EQ(m.LevelDb, (std::vector<double>{85.5, 86})) << row.name;
    EXPECT_EQ(m.PhaseDeg, (std::vector<double>{-10, -20})) << row.name;
    EXPECT_EQ(m.Phase, PhaseSource::Measured) << row.name;
  }
}

TEST(MeasurementTest, PhaseIsUnwrapped) {
  const Measurement m = ParseMeasurement("100 0 170\n200 0 -170\n300 0 150\n400 0 -60\n500 0 100\n", "w.frd");
  // Each step is the shortest turn from the one before: +20, -40, +150, +160.
  EXPECT_EQ(m.PhaseDeg, (std::vector<double>{170, 190, 150, 300, 460}));
  const Measurement unwrapped = ParseMeasurement("100 0 -1000\n200 0 -1100\n", "w.frd");
  EXPECT_EQ(unwrapped.PhaseDeg, (std::vector<double>{-1000, -1100}));
}

TEST(MeasurementTest, WithoutPhaseColumnThePhaseIsDerived) {
  // A level rising 6.0206 dB an octave everywhere is the magnitude of j f: +90 degrees.
  std::string text;
  for (int n = 0; n <= 10; ++n) text += std::to_string(20 << n) + " " + FormatExact(20.0 * std::log10(1 << n)) + "\n";
  const Measurement m = ParseMeasurement(text, "rise.txt");
  EXPECT_EQ(m.Phase, PhaseSource::MinimumPhase);
  ASSERT_EQ(m.PhaseDeg.size(), 11u);
  for (double phase : m.PhaseDeg) EXPECT_NEAR(phase, 90.0, 1e-6);
}

TEST(MeasurementTest, Failures) {
  const std::pair<std::string, std::string> cases[] = {
      {"20 85\n40 abc\n", "'w.frd' line 2: 'abc' is not a number"},
      {"20 85\n40 86\nend of data\n", "'w.frd' line 3: 'end' is not a number"},
      {"20 85\n40 1e999\n", "'w.frd' line 2: '1e999' is not a finite number"},
      {"20 85 -10\n40 86 -1e400\n", "'w.frd' line 2: '-1e400' is not a finite number"},
      {"20 85 nan\n", "'w.frd' line 1: 'nan' is not a number"},
      {"2.83 V at 1 m\n20 85\n40 86\n", "'w.frd' line 1: 'V' is not a number"},
      {"Freq SPL\n20 85 0 1\n", "'w.frd' line 2: 4 values; a point is frequency (Hz), level (dB) and optionally phase "
                                "(degrees)"},
      {"20 85\n40\n", "'w.frd' line 2: 1 value; a point is frequency (Hz), level (dB) and optionally phase (degrees)"},
      {"20 85 0\n40 86\n", "'w.frd' line 2: 2 values where line 1 has 3"},
      {"* x\n20 85\n40 86 0\n", "'w.frd' line 3: 3 values where line 2 has 2"},
      {"20,85\n40,,86\n", "'w.frd' line 2: empty field"},
      {"20 85\n;40 86\n", "'w.frd' line 2: empty field"},
      {"0 85\n40 86\n", "'w.frd' line 1: frequency 0 Hz is not above 0"},
      {"-20 85\n40 86\n", "'w.frd' line 1: frequency -20 Hz is not above 0"},
      {"20 85\n\n20.0 86\n", "'w.frd' line 3: frequency 20.0 Hz is not above 20 Hz of line 1"},
      {"20 85\n40 86\n30 87\n", "'w.frd' line 3: frequency 30 Hz is not above 40 Hz of line 2"},
      {"20 85\n40 1000.5\n", "'w.frd' line 2: level 1000.5 dB is outside -1000 .. 1000 dB"},
      {"20;85,5\n40;86,1\n", "'w.frd' line 1: ',' between digits: the decimal point must be '.'"},
      {"20\t85,5\n40\t86,1\n", "'w.frd' line 1: ',' between digits: the decimal point must be '.'"},
      {"", "'w.frd' line 1: end of file after no point; a measurement needs at least 2 lines of frequency (Hz), "
           "level (dB) and optionally phase (degrees)"},
      {"* only\nheader\n20 85\n\n", "'w.frd' line 4: end of file after 1 point; a measurement needs at least 2 lines "
                                    "of frequency (Hz), level (dB) and optionally phase (degrees)"},
      {std::string("RIFF\0\0\0\0WAVE", 12), "'w.frd' line 1: end of file after no point; a measurement needs at least 2 "
                                            "lines of frequency (Hz), level (dB) and optionally phase (degrees)"},
      {"20 85\n40 86\n50 8" + std::string(1, '\0') + "6\n",
       "'w.frd' line 3: '8?6' is not a number"},
      {"20 85\n40 86\n50 " + std::string(60, 'x') + "\n",
       "'w.frd' line 3: '" + std::string(40, 'x') + "...' is not a number"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(ParseError(text), message) << text;
}

class MeasurementFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("firxover-measurement-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::filesystem::path Write(const std::string& name, const std::string& text) {
    const std::filesystem::path file = directory_ / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  std::filesystem::path directory_;
};

TEST_F(MeasurementFileTest, ReadsAFile) {
  const std::filesystem::path file = Write("tweeter.frd", "* tweeter\n1000 90 -30\n2000 91 -60\n");
  const Measurement m = ReadMeasurement(file);
  EXPECT_EQ(m.Name, file.string());
  EXPECT_EQ(m.FrequencyHz, (std::vector<double>{1000, 2000}));
  EXPECT_EQ(ErrorText([&] { ReadMeasurement(Write("bad.frd", "1000 90\n900 91\n")); }),
            "'" + (directory_ / "bad.frd").string() + "' line 2: frequency 900 Hz is not above 1000 Hz of line 1");
}

TEST_F(MeasurementFileTest, RefusesWhatCannotBeRead) {
  const std::string missing = (directory_ / "missing.frd").string();
  EXPECT_EQ(ErrorText([&] { ReadMeasurement(missing); }), "Cannot read '" + missing + "': No such file or directory");
  EXPECT_EQ(ErrorText([&] { ReadMeasurement(directory_); }),
            "Cannot read '" + directory_.string() + "': not a regular file");
  // A FIFO with no writer: refused at once, never waited on.
  const std::filesystem::path fifo = directory_ / "pipe.frd";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ErrorText([&] { ReadMeasurement(fifo); }), "Cannot read '" + fifo.string() + "': not a regular file");
  // A sparse file one byte over the limit.
  const std::filesystem::path large = Write("large.frd", "20 85\n40 86\n");
  std::filesystem::resize_file(large, MaxMeasurementFileBytes + 1);
  EXPECT_EQ(ErrorText([&] { ReadMeasurement(large); }),
            "Cannot read '" + large.string() + "': larger than 32 MiB, too large for a measurement file");
  if (::geteuid() != 0) {
    const std::filesystem::path locked = Write("locked.frd", "20 85\n40 86\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    EXPECT_EQ(ErrorText([&] { ReadMeasurement(locked); }), "Cannot read '" + locked.string() + "': Permission denied");
  }
}

}  // namespace
