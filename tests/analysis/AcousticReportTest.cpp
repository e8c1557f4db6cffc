// The report's acoustic section: the drivers it names, its statistics against a direct computation,
// its notes, and its exact text and JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/AcousticReport.h"

namespace {

// A two-band design at 8000 Hz: a 3-tap low pass [1/4, 1/2, 1/4], the high band its complement, no mid.
struct TwoBands {
  std::vector<double> low = {0.25, 0.5, 0.25};
  std::vector<double> mid = {0.0, 0.0, 0.0};
  std::vector<double> high = {-0.25, 0.5, -0.25};
  ReportInput Input() const {
    ReportInput input;
    input.RateHz = 8000;
    input.Low = low;
    input.Mid = mid;
    input.High = high;
    input.MidLowHz = 500;
    input.MidHighHz = 1000;
    return input;
  }
};

TEST(AcousticReportTest, InvertedHighAgainstTheClosedForm) {
  // With the latency out the low band is (1 + cos w) / 2 and the high band (1 - cos w) / 2, so an
  // inverted high way makes the sum cos w, w = 2 pi f / rate.
  const TwoBands bands;
  DriverSet drivers;
  drivers[2].Sign = Polarity::Inverted;
  const AcousticResponse response = AcousticResponseFor(bands.Input(), drivers);
  const AcousticReport report = AcousticReportFor(bands.Input(), drivers, response);
  ASSERT_TRUE(report.Statistics);
  double total = 0;
  int count = 0;
  double lowest = INFINITY;
  double lowestHz = 0;
  double firstHz = 0;
  for (double f : AcousticFrequencies(8000)) {
    if (f < 250 || f > 2000) continue;
    if (count == 0) firstHz = f;
    const double level = 20 * std::log10(std::fabs(std::cos(2 * std::numbers::pi * f / 8000)));
    total += level;
    ++count;
    if (level < lowest) {
      lowest = level;
      lowestHz = f;
    }
  }
  EXPECT_EQ(report.Statistics->PointCount, count);
  EXPECT_NEAR(report.Statistics->MeanDb, total / count, 1e-9);
  EXPECT_NEAR(report.Statistics->DipDb, lowest, 1e-9);
  EXPECT_EQ(report.Statistics->DipHz, lowestHz);  // the last grid point below 2000 Hz, where cos w reaches 0
  // The level falls all the way: the peak is the first grid point of the range, 10 * 2^(223/48) Hz.
  EXPECT_NEAR(firstHz, 250.34, 0.01);
  EXPECT_EQ(report.Statistics->PeakHz, firstHz);
  EXPECT_NEAR(report.Statistics->PeakDb, 20 * std::log10(std::cos(2 * std::numbers::pi * firstHz / 8000)), 1e-9);
}

TEST(AcousticReportTest, TextAndJson) {
  const TwoBands bands;
  DriverSet drivers;
  drivers[0].Driver = ParseMeasurement("100 80\n1000 80\n", "woofer.txt");
  drivers[0].TrimDb = -80;
  drivers[1].DelayMs = 0.5;
  drivers[2].Driver = ParseMeasurement("10 0 0\n4000 0 0\n", "tweeter.frd");
  drivers[2].Sign = Polarity::Inverted;
  const AcousticResponse response = AcousticResponseFor(bands.Input(), drivers);
  const AcousticReport report = AcousticReportFor(bands.Input(), drivers, response);
  const std::string text = AcousticReportText(report);
  const std::string head =
      "\nDrivers through the exported filters (their common latency taken out)\n"
      "  low:  'woofer.txt' (minimum phase), delay 0 ms, normal polarity, trim -80 dB\n"
      "  mid:  ideal driver, delay 0.5 ms, normal polarity, trim 0 dB\n"
      "  high: 'tweeter.frd' (measured phase), delay 0 ms, inverted, trim 0 dB\n"
      "Acoustic sum from 250 to 2000 Hz (144 points): mean ";
  EXPECT_EQ(text.substr(0, head.size()), head) << text;
  const std::string tail =
      "  note: 'woofer.txt' was measured from 100 to 1000 Hz; outside that range its end points are held\n"
      "  note: 'woofer.txt' has no phase: the minimum phase of its magnitude is used\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;

  const nlohmann::ordered_json json = AcousticReportJson(report);
  EXPECT_EQ(json["drivers"]["low"].dump(),
            R"({"file":"woofer.txt","phase":"minimum","delay_ms":0.0,"inverted":false,"trim_db":-80.0})");
  EXPECT_EQ(json["drivers"]["mid"].dump(), R"({"file":null,"phase":null,"delay_ms":0.5,"inverted":false,"trim_db":0.0})");
  EXPECT_EQ(json["drivers"]["high"]["phase"], "measured");
  EXPECT_EQ(json["from_hz"], 250.0);
  EXPECT_EQ(json["to_hz"], 2000.0);
  EXPECT_EQ(json["points"], 144);
  EXPECT_EQ(json["mean_db"], report.Statistics->MeanDb);
  // The tweeter covers 10 .. 4000 Hz, the whole grid at 8000 Hz: no note for it.
  EXPECT_EQ(json["held_ranges"].size(), 1u);
  EXPECT_EQ(json["derived_phases"].size(), 1u);
  const std::vector<std::string> keys = {"drivers", "from_hz", "to_hz", "points", "mean_db", "largest_deviation_db",
                                         "peak_hz", "peak_db", "dip_hz", "dip_db", "held_ranges", "derived_phases"};
  std::vector<std::string> names;
  for (const auto& item : json.items()) names.push_back(item.key());
  EXPECT_EQ(names, keys);
}

}  // namespace
