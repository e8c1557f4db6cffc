// Filters exported at other sampling rates: WAV headers read back with libsndfile carry the rate,
// the summary states it and measures latency and the sum at it; at 44100 Hz nothing changes.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/Export.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"
#include "tests/support/Scratch.h"

namespace {

struct RateCase {
  int rateHz;
  FilterFormat format;
};

class RateExport : public testing::TestWithParam<RateCase> {};

TEST_P(RateExport, HeadersAndSummaryCarryTheRate) {
  const RateCase row = GetParam();
  MemoryFields fields;
  fields.SetRateHz(row.rateHz);
  fields.SetSliderPosition(3);  // a cascaded design, so that every file is a filter of the rate
  DesignState state;
  const CalcOutcome outcome = CalcCommand(fields, state);
  ASSERT_EQ(outcome.Status, CalcStatus::Completed) << outcome.Message;
  const testing_support::ScratchDir dir("firxover-rate-export");
  const auto files = ExportFilters(state, *outcome.Record, dir.Path(), "xo", row.format);
  ASSERT_EQ(files.size(), 6u);
  for (size_t k = 0; k < 5; ++k) {
    SF_INFO info{};
    SNDFILE* file = sf_open(files[k].c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr) << files[k];
    EXPECT_EQ(info.samplerate, row.rateHz) << files[k];
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.frames, k == 4 ? 1205 : 2105) << files[k];
    sf_close(file);
  }
  std::ifstream in(files.back());
  const std::string summary{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string rate = std::to_string(row.rateHz);
  // Latency (length - 1) / 2 samples in ms at the rate: 1052 samples, 602 for the shelf.
  char low[64], shelf[64];
  std::snprintf(low, sizeof low, "%.3f ms", 1052.0 / row.rateHz * 1000);
  std::snprintf(shelf, sizeof shelf, "%.3f ms", 602.0 / row.rateHz * 1000);
  const std::string bits = row.format == FilterFormat::Wav32 ? "32" : "64";
  for (const std::string& expected :
       {"Sample rate: " + rate + " Hz, mono\n", "Format: WAV, mono, " + rate + " Hz, " + bits + "-bit IEEE float\n",
        "xo-low.wav                      2105      1052 samples    " + std::string(low) + "\n",
        "xo-shelf.wav                    1205      602 samples     " + std::string(shelf) + "\n",
        "\nDesign report at " + rate + " Hz: "}) {
    EXPECT_NE(summary.find(expected), std::string::npos) << expected << "\n" << summary;
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, RateExport,
                         testing::Values(RateCase{44100, FilterFormat::Wav32}, RateCase{48000, FilterFormat::Wav32},
                                         RateCase{96000, FilterFormat::Wav64}, RateCase{192000, FilterFormat::Wav32}));

TEST(RateExport, DelayMeasuredAtTheRate) {
  // A pure delay is exact at every rate; a sum of half the impulse and half of it one sample later
  // is a first-order low-pass whose deviation grows with f / rate: smaller at the higher rate.
  const std::vector<double> impulse{0, 0, 1, 0, 0};
  for (int rateHz : {8000, 48000, 96000, 768000}) {
    EXPECT_NEAR(MeasureDelayDeviation(impulse, FilterFormat::Wav64, {}, rateHz).LargestResponseError, 0.0, 1e-18);
  }
  const std::vector<double> pair{0.5, 0.5};
  const double at48 = MeasureDelayDeviation(pair, FilterFormat::Wav64, {}, 48000).LargestMagnitudeDb;
  const double at96 = MeasureDelayDeviation(pair, FilterFormat::Wav64, {}, 96000).LargestMagnitudeDb;
  // |H(f)| = cos(pi f / rate) at f = 10 kHz, the top of the grid.
  EXPECT_NEAR(at48, -20 * std::log10(std::cos(3.14159265358979323846 * 10000 / 48000)), 1e-9);
  EXPECT_NEAR(at96, -20 * std::log10(std::cos(3.14159265358979323846 * 10000 / 96000)), 1e-9);
  EXPECT_THROW(MeasureDelayDeviation(pair, FilterFormat::Wav64, {}, 7999), UserError);
  EXPECT_EQ(FilterFormatDescription(FilterFormat::Wav32, 44100), "WAV, mono, 44100 Hz, 32-bit IEEE float");
  EXPECT_EQ(FilterFormatDescription(FilterFormat::Text, 48000),
            "text, one coefficient a line (%.17g, '.' as the point), no header");
}

}  // namespace
