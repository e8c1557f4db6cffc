#include <gtest/gtest.h>

#include <sstream>

#include "acoustic/AcousticCsv.h"
#include "acoustic/AcousticStatistics.h"

namespace {

// A response on three frequencies with chosen values.
AcousticResponse Chosen() {
  AcousticResponse r;
  r.FrequencyHz = {10, 20, 40};
  r.Way[0] = {{1, 0}, {0, 0}, {-1, 0}};
  r.Way[1] = {{0, 1}, {0, -1}, {-1, -1e-300}};
  r.Way[2] = {{10, 0}, {0.1, 0}, {-0.0, 0}};
  r.Sum = {{11, 1}, {0.1, -1}, {-1, -1}};
  return r;
}

TEST(AcousticCsvTest, Text) {
  const std::string csv = AcousticCsv(Chosen());
  const std::string expected =
      "freq_hz,low_db,low_deg,mid_db,mid_deg,high_db,high_deg,sum_db,sum_deg\n"
      "10,0,0,0,90,20,0,20.863598306747484,5.1944289077348058\n"
      "20,-inf,0,0,-90,-20,0,0.043213737826425083,-84.289406862500357\n"
      "40,0,180,0,180,-inf,0,3.0102999566398121,-135\n";
  EXPECT_EQ(csv, expected);
}

TEST(AcousticCsvTest, PhaseWrapsToTheHalfOpenTurn) {
  EXPECT_EQ(WrappedPhaseDeg({-1, 0}), 180.0);
  EXPECT_EQ(WrappedPhaseDeg({-1, -0.0}), 180.0);
  EXPECT_EQ(WrappedPhaseDeg({-1, -1e-300}), 180.0);  // atan2 gives -180 here
  EXPECT_EQ(WrappedPhaseDeg({-1, 1e-300}), 180.0);
  EXPECT_EQ(WrappedPhaseDeg({0, -2}), -90.0);
  EXPECT_EQ(WrappedPhaseDeg({0, 0}), 0.0);
  EXPECT_FALSE(std::signbit(WrappedPhaseDeg({1, -0.0})));
  EXPECT_EQ(LevelDb({0, 0}), -INFINITY);
  EXPECT_EQ(LevelDb({3, 4}), 20 * std::log10(5.0));
}

TEST(AcousticStatisticsTest, MeanDeviationPeakAndDip) {
  AcousticResponse r;
  r.FrequencyHz = {100, 200, 400, 800, 1600, 3200};
  const double levels[] = {30, 2, -1, 0, 1, 30};
  for (double db : levels) r.Sum.push_back(std::polar(std::pow(10.0, db / 20), 1.0));
  // Mid band 400 .. 800 Hz: 200 .. 1600 Hz counts, four points with a mean of 0.5 dB.
  const std::optional<AcousticStatistics> s = SumStatistics(r, 400, 800);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->FromHz, 200);
  EXPECT_EQ(s->ToHz, 1600);
  EXPECT_EQ(s->PointCount, 4);
  EXPECT_NEAR(s->MeanDb, 0.5, 1e-12);
  EXPECT_NEAR(s->LargestDeviationDb, 1.5, 1e-12);
  EXPECT_EQ(s->PeakHz, 200);
  EXPECT_NEAR(s->PeakDb, 2, 1e-12);
  EXPECT_EQ(s->DipHz, 400);
  EXPECT_NEAR(s->DipDb, -1, 1e-12);
  EXPECT_EQ(StatisticsText(s, 400, 800),
            "Acoustic sum from 200 to 1600 Hz (4 points): mean 0.50 dB, largest deviation 1.50 dB\n"
            "  peak 2.00 dB at 200.0 Hz, dip -1.00 dB at 400.0 Hz\n");
  // Nothing between 0.5 and 4 Hz.
  EXPECT_FALSE(SumStatistics(r, 1, 2));
  EXPECT_EQ(StatisticsText(SumStatistics(r, 1, 2), 1, 2),
            "Acoustic sum from 0.5 to 4 Hz: no output frequency in this range\n");
}

TEST(AcousticStatisticsTest, ANullCountsAsTheFloor) {
  AcousticResponse r;
  r.FrequencyHz = {100, 200};
  r.Sum = {1.0, 0.0};
  const std::optional<AcousticStatistics> s = SumStatistics(r, 100, 100);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->MeanDb, StatisticsFloorDb / 2);
  EXPECT_EQ(s->DipDb, StatisticsFloorDb);
  EXPECT_EQ(s->DipHz, 200);
  EXPECT_EQ(s->LargestDeviationDb, -StatisticsFloorDb / 2);
}

}  // namespace
