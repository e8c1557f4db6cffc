// Export of the last Calc: every format read back, the summary, the curves and the
// failure rules (message, nothing left behind).
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "analysis/Report.h"
#include "analysis/ReportInputs.h"
#include "analysis/ReportText.h"
#include "export/Export.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"
#include "pipeline/WindowHandlers.h"
#include "tests/numerics/ErrorText.h"
#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

struct Design {
  MemoryFields fields;
  DesignState state;
  CalcRecord record;
};

// A completed Calc on the window's defaults, the slider at the given position.
std::unique_ptr<Design> Calculate(int sliderPosition) {
  auto design = std::make_unique<Design>();
  design->fields.SetSliderPosition(sliderPosition);
  const CalcOutcome outcome = CalcCommand(design->fields, design->state);
  EXPECT_EQ(outcome.Status, CalcStatus::Completed) << outcome.Message;
  if (outcome.Record) design->record = *outcome.Record;
  return design;
}

class TempDir : public testing_support::ScratchDir {
 public:
  TempDir() : testing_support::ScratchDir("firxover-export") {}
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<double> SplitReals(const std::string& line) {
  std::vector<double> values;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) values.push_back(std::strtod(cell.c_str(), nullptr));
  return values;
}

double AsStored(double value, bool single) { return single ? static_cast<float>(value) : value; }

}  // namespace

struct RoundTripCase {
  const char* name;
  int sliderPosition;
  FilterFormat format;
};

class FilterRoundTrip : public testing::TestWithParam<RoundTripCase> {};

// Every file holds exactly the state's coefficients of the Calc, rounded to the file's format.
TEST_P(FilterRoundTrip, ReadsBackTheDesignedCoefficients) {
  const RoundTripCase& row = GetParam();
  const auto design = Calculate(row.sliderPosition);
  const DesignState& state = design->state;
  const bool cascaded = row.sliderPosition != 6;
  const RealArray* expected[] = {cascaded ? &state.LowCascade : &state.LowCoeffs,
                                 cascaded ? &state.MidCascade : &state.MidCoeffs,
                                 cascaded ? &state.HighCascade : &state.HighCoeffs,
                                 cascaded ? &state.SumCascade : &state.SumCoeffs, &state.ShelfCoeffs};
  ASSERT_EQ(expected[0]->size(), cascaded ? 2105u : 901u);
  TempDir dir;
  const auto files = ExportFilters(state, design->record, dir.Path(), "xo", row.format);
  const bool single = row.format == FilterFormat::Wav32 || row.format == FilterFormat::Float32;

  if (row.format == FilterFormat::Csv) {
    ASSERT_EQ(dir.Names(), (std::vector<std::string>{"xo-bands.csv", "xo-shelf.csv", "xo-summary.txt"}));
    const auto bands = Lines(ReadAll(files[0]));
    ASSERT_EQ(bands.size(), expected[0]->size() + 1);
    EXPECT_EQ(bands[0], "tap,low,mid,high,sum");
    for (size_t n = 0; n < expected[0]->size(); ++n) {
      const auto row = SplitReals(bands[n + 1]);
      ASSERT_EQ(row.size(), 5u);
      EXPECT_EQ(row[0], static_cast<double>(n));
      for (int k = 0; k < 4; ++k) ASSERT_EQ(row[k + 1], (*expected[k])[n]) << n;
    }
    const auto shelf = Lines(ReadAll(files[1]));
    ASSERT_EQ(shelf.size(), 1206u);
    EXPECT_EQ(shelf[0], "tap,shelf");
    for (size_t n = 0; n < 1205; ++n) ASSERT_EQ(SplitReals(shelf[n + 1])[1], state.ShelfCoeffs[n]);
    return;
  }

  const std::string extension = FilterFormatExtension(row.format);
  ASSERT_EQ(dir.Names(), (std::vector<std::string>{"xo-high" + extension, "xo-low" + extension, "xo-mid" + extension,
                                                   "xo-shelf" + extension, "xo-sum" + extension, "xo-summary.txt"}));
  for (int k = 0; k < 5; ++k) {
    const RealArray& taps = *expected[k];
    std::vector<double> read;
    if (row.format == FilterFormat::Wav32 || row.format == FilterFormat::Wav64) {
      SF_INFO info{};
      SNDFILE* file = sf_open(files[k].c_str(), SFM_READ, &info);
      ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
      EXPECT_EQ(info.samplerate, 44100);
      EXPECT_EQ(info.channels, 1);
      EXPECT_EQ(info.format, SF_FORMAT_WAV | (single ? SF_FORMAT_FLOAT : SF_FORMAT_DOUBLE));
      read.resize(static_cast<size_t>(info.frames));
      EXPECT_EQ(sf_read_double(file, read.data(), info.frames), info.frames);
      sf_close(file);
    } else if (row.format == FilterFormat::Text) {
      for (const std::string& line : Lines(ReadAll(files[k]))) read.push_back(std::strtod(line.c_str(), nullptr));
    } else {
      const std::string bytes = ReadAll(files[k]);
      const size_t width = single ? 4 : 8;
      ASSERT_EQ(bytes.size() % width, 0u);
      for (size_t at = 0; at < bytes.size(); at += width) {
        uint64_t bits = 0;  // little-endian, whatever the host
        for (size_t b = width; b-- > 0;) bits = bits << 8 | static_cast<unsigned char>(bytes[at + b]);
        read.push_back(single ? std::bit_cast<float>(static_cast<uint32_t>(bits)) : std::bit_cast<double>(bits));
      }
    }
    ASSERT_EQ(read.size(), taps.size()) << files[k];
    for (size_t n = 0; n < taps.size(); ++n) ASSERT_EQ(read[n], AsStored(taps[n], single)) << files[k] << " tap " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FilterRoundTrip,
    testing::Values(RoundTripCase{"wav_bare", 6, FilterFormat::Wav32}, RoundTripCase{"wav_cascade", 0, FilterFormat::Wav32},
                    RoundTripCase{"wav64_cascade", 0, FilterFormat::Wav64}, RoundTripCase{"txt_bare", 6, FilterFormat::Text},
                    RoundTripCase{"f32_cascade", 2, FilterFormat::Float32}, RoundTripCase{"dbl_bare", 6, FilterFormat::Float64},
                    RoundTripCase{"csv_cascade", 0, FilterFormat::Csv}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// The slider changes the state's cut and lengths without recomputing: the export keeps to what the
// Calc designed.
TEST(ExportSelection, FollowsTheCalcNotTheSliderMovedAfterIt) {
  auto design = Calculate(6);
  design->fields.SetSliderPosition(0);
  ApplyShelfSlider(design->fields, design->state);
  ASSERT_EQ(design->state.ShelfCutDb, 6);
  ASSERT_EQ(design->state.CascadeLength, 2105);
  const ExportedFilters filters = SelectFilters(design->state, design->record);
  EXPECT_FALSE(filters.Cascaded);
  EXPECT_EQ(filters.Sum.size(), 901u);
  EXPECT_EQ(filters.Sum.data(), design->state.SumCoeffs.data());

  // A later Calc that fails part way leaves the arrays half rewritten: the record no longer fits.
  design->fields.SetText(Field::Edit4, "x");
  ASSERT_EQ(CalcCommand(design->fields, design->state).Status, CalcStatus::Failed);
  EXPECT_EQ(ErrorText([&] { SelectFilters(design->state, design->record); }), ExportMessages::StateChanged);
}

TEST(ExportSummary, ListsFieldsTapsLatencyAndTheSumAgainstADelay) {
  const auto design = Calculate(6);
  TempDir dir;
  const auto files = ExportFilters(design->state, design->record, dir.Path(), "xo", FilterFormat::Wav32);
  const std::string summary = ReadAll(files.back());
  for (const char* expected :
       {"Sample rate: 44100 Hz, mono", "Format: WAV, mono, 44100 Hz, 32-bit IEEE float", "without shelving (cut 0 dB)",
        "Edit1               low band taps               901\n", "EditShelbH          shelving corner f2, Hz      800\n",
        "CheckBox3           adjust coefficient          ticked\n", "+0dB (position 6)", "1.000000",
        "xo-low.wav                      901       450 samples     10.204 ms\n",
        "xo-shelf.wav                    1205      602 samples     13.651 ms\n",
        "Sum against a pure delay of 450 samples"}) {
    EXPECT_NE(summary.find(expected), std::string::npos) << expected << "\n" << summary;
  }
  // The design report of the same filters follows.
  const size_t report = summary.find("\nDesign report at 44100 Hz: ");
  ASSERT_NE(report, std::string::npos);
  EXPECT_NE(summary.find("\n  low         901  450 samples    10.204 ms", report), std::string::npos);
  EXPECT_NE(summary.find("\n  low/mid      300.00 Hz at -6.02 dB", report), std::string::npos);
  EXPECT_EQ(summary.substr(report + 1), ReportText(ComputeReport(ReportInputFor(design->state, design->record))));
}

TEST(DelayDeviation, KnownSums) {
  const std::vector<double> impulse{0, 0, 1, 0, 0};
  const DelayDeviation exact = MeasureDelayDeviation(impulse, FilterFormat::Wav64);
  EXPECT_EQ(exact.LargestTapError, 0.0);
  EXPECT_NEAR(exact.LargestResponseError, 0.0, 1e-18);
  EXPECT_NEAR(exact.LargestMagnitudeDb, 0.0, 1e-15);

  const std::vector<double> half{0, 0, 0.5, 0, 0};
  const DelayDeviation halved = MeasureDelayDeviation(half, FilterFormat::Wav64);
  EXPECT_EQ(halved.LargestTapError, 0.5);
  EXPECT_NEAR(halved.LargestResponseError, 0.5, 1e-15);
  EXPECT_NEAR(halved.LargestMagnitudeDb, 6.0206, 1e-4);

  // 0.1 is not a float: rounding to 32 bits shows as the tap error of the float nearest to it.
  const std::vector<double> tenth{0.1, 1, 0};
  EXPECT_EQ(MeasureDelayDeviation(tenth, FilterFormat::Float32).LargestTapError, static_cast<double>(0.1f));
  EXPECT_EQ(MeasureDelayDeviation(tenth, FilterFormat::Text).LargestTapError, 0.1);
}

TEST(ExportCurves, RealDecibelsOnTheGrid) {
  const auto design = Calculate(0);
  TempDir dir;
  ExportCurves(design->state, dir.Path() / "curves.csv");
  const auto lines = Lines(ReadAll(dir.Path() / "curves.csv"));
  ASSERT_EQ(lines.size(), 951u);
  EXPECT_EQ(lines[0], "freq_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db");
  const DesignState& s = design->state;
  for (int i = 1; i <= 950; ++i) {
    const auto row = SplitReals(lines[static_cast<size_t>(i)]);
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[0], GridFrequency(i));
    const double mags[] = {s.LowMag[i], s.MidMag[i], s.HighMag[i], s.SumMag[i]};
    for (int k = 0; k < 4; ++k) {
      ASSERT_EQ(row[1 + k], mags[k]);
      ASSERT_EQ(row[5 + k], 20 * std::log10(mags[k]));
    }
  }
  EXPECT_NEAR(SplitReals(lines[950])[8], -6.0, 0.05);  // the shelf's cut at 10 kHz
  EXPECT_EQ(lines[1].substr(0, 2), "2,");
}

struct FailureCase {
  const char* name;
  const char* directory;  // under the temporary directory
  const char* reason;
};

class ExportFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ExportFailure, NamesTheFileAndLeavesNothingBehind) {
  const auto design = Calculate(6);
  TempDir dir;
  std::ofstream(dir.Path() / "plain-file") << "x";
  const fs::path target = dir.Path() / GetParam().directory;
  EXPECT_EQ(ErrorText([&] { ExportFilters(design->state, design->record, target, "xo", FilterFormat::Wav32); }),
            "Cannot write '" + (target / "xo-low.wav").string() + "': " + GetParam().reason);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"plain-file"});
}

INSTANTIATE_TEST_SUITE_P(Directories, ExportFailure,
                         testing::Values(FailureCase{"missing", "no-such-dir", "No such file or directory"},
                                         FailureCase{"not_a_directory", "plain-file", "Not a directory"}),
                         [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(ExportFailure, UnwritableDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const auto design = Calculate(6);
  TempDir dir;
  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ErrorText([&] { ExportCurves(design->state, dir.Path() / "c.csv"); }),
            "Cannot write '" + (dir.Path() / "c.csv").string() + "': Permission denied");
  fs::permissions(dir.Path(), fs::perms::owner_all);
  EXPECT_TRUE(dir.Names().empty());
}

// A file that fails after others were written takes them away again; an older file stays as it was.
TEST(ExportFailure, ALaterFileTakesTheEarlierOnesAway) {
  const auto design = Calculate(6);
  TempDir dir;
  fs::create_directory(dir.Path() / "xo-sum.txt");
  std::ofstream(dir.Path() / "xo-low.txt") << "older";
  EXPECT_EQ(ErrorText([&] { ExportFilters(design->state, design->record, dir.Path(), "xo", FilterFormat::Text); }),
            "Cannot write '" + (dir.Path() / "xo-sum.txt").string() + "': Is a directory");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"xo-low.txt", "xo-sum.txt"}));
  EXPECT_EQ(ReadAll(dir.Path() / "xo-low.txt"), "older");

  fs::remove(dir.Path() / "xo-sum.txt");
  ExportFilters(design->state, design->record, dir.Path(), "xo", FilterFormat::Text);
  EXPECT_EQ(dir.Names().size(), 6u);  // replaced in place, no temporaries left
  EXPECT_NE(ReadAll(dir.Path() / "xo-low.txt"), "older");
}

TEST(ExportFailure, Prefixes) {
  EXPECT_EQ(PrefixProblem("my design"), "");
  EXPECT_EQ(PrefixProblem(""), "The file name prefix is empty.");
  EXPECT_EQ(PrefixProblem(".."), "The file name prefix '..' is not a file name.");
  EXPECT_EQ(PrefixProblem("a/b"), "The file name prefix 'a/b' must not contain '/'.");
}

TEST(FilterFormats, NamesAndExtensions) {
  const std::pair<const char*, const char*> rows[] = {{"wav", ".wav"}, {"wav64", ".wav"}, {"txt", ".txt"},
                                                      {"f32", ".f32"}, {"dbl", ".dbl"},   {"csv", ".csv"}};
  for (const auto& [name, extension] : rows) {
    const auto format = FilterFormatFromName(name);
    ASSERT_TRUE(format.has_value()) << name;
    EXPECT_STREQ(FilterFormatName(*format), name);
    EXPECT_STREQ(FilterFormatExtension(*format), extension);
  }
  EXPECT_FALSE(FilterFormatFromName("WAV").has_value());
}

