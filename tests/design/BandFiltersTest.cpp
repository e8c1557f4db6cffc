#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <string>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "numerics/Errors.h"

namespace {

constexpr double DefaultBeta = 14.91006;

// |H(f)| by the plain DFT sum over the taps.
double Magnitude(const RealArray& taps, double frequencyHz) {
  std::complex<long double> sum = 0;
  const long double step = -2 * 3.141592653589793238463L * frequencyHz / 44100;
  for (size_t n = 0; n < taps.size(); ++n) sum += static_cast<long double>(taps[n]) * std::polar(1.0L, step * n);
  return static_cast<double>(std::abs(sum));
}

std::string ErrorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const UserError& error) {
    return error.what();
  }
  return "no error";
}

void ExpectSymmetric(const RealArray& taps) {
  for (size_t n = 0; n < taps.size(); ++n) EXPECT_NEAR(taps[n], taps[taps.size() - 1 - n], 1e-17) << n;
}

TEST(BandFiltersTest, LowPass) {
  const RealArray low = DesignLowPass(901, 300, DefaultBeta);
  ASSERT_EQ(low.size(), 901u);
  EXPECT_DOUBLE_EQ(low[450], 600.0 / 44100);
  EXPECT_NEAR(low[451], 0.0136008162, 5e-11);
  EXPECT_NEAR(low[0], 8.52468e-10, 5e-16);
  ExpectSymmetric(low);
  EXPECT_NEAR(Magnitude(low, 300), 0.5, 5e-8);
  EXPECT_NEAR(Magnitude(low, 20), 1.0, 1e-6);
  EXPECT_LT(Magnitude(low, 2000), 1e-6);
}

TEST(BandFiltersTest, BandPass) {
  const RealArray mid = DesignBandPass(701, 300, 2000, DefaultBeta);
  ASSERT_EQ(mid.size(), 701u);
  EXPECT_DOUBLE_EQ(mid[350], 3400.0 / 44100);
  EXPECT_NEAR(mid[351], 0.0758746866, 5e-11);
  ExpectSymmetric(mid);
  EXPECT_NEAR(Magnitude(mid, 300), 0.5, 1e-3);
  EXPECT_NEAR(Magnitude(mid, 2000), 0.5, 1e-3);
  EXPECT_NEAR(Magnitude(mid, 1000), 1.0, 1e-3);
}

TEST(BandFiltersTest, HighPass) {
  const RealArray high = DesignHighPass(301, 2000, DefaultBeta);
  ASSERT_EQ(high.size(), 301u);
  EXPECT_DOUBLE_EQ(high[150], 1 - 4000.0 / 44100);
  EXPECT_NEAR(high[151], -0.0894518149, 5e-11);
  ExpectSymmetric(high);
  EXPECT_NEAR(Magnitude(high, 2000), 0.5, 1e-2);
  EXPECT_NEAR(Magnitude(high, 5000), 1.0, 1e-3);
}

TEST(BandFiltersTest, ShortestBandCarriesTheWindowEnds) {
  const double ends = 1 / BesselI0(DefaultBeta);
  const RealArray low = DesignLowPass(3, 1000, DefaultBeta);
  EXPECT_DOUBLE_EQ(low[1], 2000.0 / 44100);
  EXPECT_DOUBLE_EQ(low[0], std::sin(2 * M_PI * 1000 / 44100) * ends / M_PI);
  EXPECT_EQ(low[0], low[2]);
}

TEST(BandFiltersTest, ZeroCutoffs) {
  for (double tap : DesignLowPass(101, 0, DefaultBeta)) EXPECT_EQ(tap, 0.0);
  const RealArray high = DesignHighPass(101, 0, DefaultBeta);
  for (int n = 0; n < 101; ++n) EXPECT_NEAR(high[n], n == 50 ? 1.0 : 0.0, 1e-16) << n;
}

TEST(BandFiltersTest, InvalidCounts) {
  const std::string invalid = "不正な浮動小数点数演算命令";
  EXPECT_EQ(ErrorOf([] { DesignLowPass(1, 300, DefaultBeta); }), invalid);
  EXPECT_EQ(ErrorOf([] { DesignBandPass(1, 300, 2000, DefaultBeta); }), invalid);
  EXPECT_EQ(ErrorOf([] { DesignHighPass(1, 2000, DefaultBeta); }), invalid);
  EXPECT_EQ(ErrorOf([] { DesignLowPass(-1, 300, DefaultBeta); }), "範囲チェックエラー");
  EXPECT_TRUE(DesignHighPass(0, 2000, DefaultBeta).empty());
}

TEST(BandFiltersTest, CentreBandPadsWithZeros) {
  RealArray band(301);
  for (int j = 0; j < 301; ++j) band[j] = j + 1;
  const RealArray centred = CentreBand(band, 901);
  ASSERT_EQ(centred.size(), 901u);
  for (int i = 0; i < 901; ++i) EXPECT_EQ(centred[i], (i >= 300 && i <= 600) ? i - 299 : 0.0) << i;
  EXPECT_EQ(CentreBand(band, 301), band);
  EXPECT_EQ(ErrorOf([&band] { CentreBand(band, 299); }), "範囲チェックエラー");
  EXPECT_EQ(ErrorOf([&band] { CentreBand(band, -1); }), "範囲チェックエラー");
}

TEST(BandFiltersTest, SumBandsAddsElementwise) {
  EXPECT_EQ(SumBands({1, 2, 3}, {10, 20, 30}, {100, 200, 300, 400}, 3), RealArray({111, 222, 333}));
  EXPECT_EQ(SumBands({1, 2}, {1, 2}, {1, 2}, 1), RealArray({3}));
  EXPECT_EQ(ErrorOf([] { SumBands({1, 2}, {1}, {1, 2}, 2); }), "範囲チェックエラー");
  EXPECT_EQ(ErrorOf([] { SumBands({}, {}, {}, -1); }), "範囲チェックエラー");
}

// The default three-way design, "adjust coefficient" ticked: crossovers at 300 and 2000 Hz.
TEST(BandFiltersTest, AdjustedBandsSumToAUnitImpulse) {
  const int total = 901, centre = 450;
  const RealArray low = CentreBand(DesignLowPass(901, 300, DefaultBeta), total);
  RealArray mid = CentreBand(DesignBandPass(701, 300, 2000, DefaultBeta), total);
  const RealArray high = CentreBand(DesignHighPass(301, 2000, DefaultBeta), total);
  const RealArray sum = SumBands(low, mid, high, total);
  EXPECT_NEAR(sum[centre], 1.0, 1e-15);

  const RealArray lowBefore = low, highBefore = high;
  AdjustMidBand(low, mid, high, sum, total);
  EXPECT_EQ(low, lowBefore);
  EXPECT_EQ(high, highBefore);
  const RealArray adjusted = SumBands(low, mid, high, total);
  for (int i = 0; i < total; ++i) EXPECT_NEAR(adjusted[i], i == centre ? 1.0 : 0.0, 1e-16) << i;
  for (double f : {20.0, 300.0, 1000.0, 2000.0, 10000.0}) EXPECT_NEAR(Magnitude(adjusted, f), 1.0, 1e-13) << f;

  RealArray shortMid(total - 1, 5.0);
  EXPECT_EQ(ErrorOf([&] { AdjustMidBand(low, shortMid, high, sum, total); }), "範囲チェックエラー");
  EXPECT_EQ(shortMid, RealArray(total - 1, 5.0));
}

}  // namespace
