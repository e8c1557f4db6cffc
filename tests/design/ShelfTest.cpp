#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "design/Shelf.h"
#include "numerics/Errors.h"

namespace {

constexpr double BinSpacing = 44100.0 / ShelfLength;

double MagnitudeDb(const RealArray& taps, double frequencyHz) {
  std::complex<long double> sum = 0;
  const long double step = -2 * 3.141592653589793238463L * frequencyHz / 44100;
  for (size_t n = 0; n < taps.size(); ++n) sum += static_cast<long double>(taps[n]) * std::polar(1.0L, step * n);
  return static_cast<double>(20 * std::log10(std::abs(sum)));
}

TEST(ShelfTest, GainsOfTheBins) {
  const double stop = std::pow(10.0, -6.0 / 20);
  EXPECT_NEAR(stop, 0.5011872, 5e-8);
  for (int bin = 1; bin <= 602; ++bin) {
    const double gain = ShelfGain(bin * BinSpacing, 200, 800, 6);
    if (bin <= 5) {
      EXPECT_EQ(gain, 1.0) << bin;
    } else if (bin >= 22) {
      EXPECT_DOUBLE_EQ(gain, stop) << bin;
    } else {
      EXPECT_LT(gain, 1.0) << bin;
      EXPECT_GT(gain, stop) << bin;
    }
  }
  EXPECT_NEAR(ShelfGain(6 * BinSpacing, 200, 800, 6), 0.9545156, 5e-8);
  EXPECT_NEAR(ShelfGain(21 * BinSpacing, 200, 800, 6), 0.5113047, 5e-8);
  // Half the cut at the geometric mean; the corners belong to their flat regions.
  EXPECT_NEAR(20 * std::log10(ShelfGain(400, 200, 800, 6)), -3.0, 1e-12);
  EXPECT_EQ(ShelfGain(200, 200, 800, 6), 1.0);
  EXPECT_DOUBLE_EQ(ShelfGain(800, 200, 800, 6), stop);
  EXPECT_EQ(ShelfGain(BinSpacing, 40, 80, 6), 1.0);
  EXPECT_LT(ShelfGain(2 * BinSpacing, 40, 80, 6), 1.0);
  EXPECT_DOUBLE_EQ(ShelfGain(3 * BinSpacing, 40, 80, 6), stop);
  EXPECT_EQ(ShelfGain(5000, 200, 800, 0), 1.0);
}

TEST(ShelfTest, SixDecibelShelf) {
  RealArray taps(ShelfLength);
  DesignShelf(200, 800, 6, taps);
  EXPECT_NEAR(taps[602], 0.5102313, 5e-8);
  EXPECT_NEAR(taps[601], 0.0090370, 5e-8);
  EXPECT_NEAR(taps[603], 0.0090371, 5e-8);
  EXPECT_NE(taps[601], taps[603]);

  const std::pair<double, double> response[] = {
      {20, 0.0}, {100, 0.0}, {200, -0.20}, {400, -2.99}, {800, -5.95}, {2000, -6.00}, {10000, -6.00},
  };
  for (const auto& [frequency, db] : response) {
    EXPECT_NEAR(MagnitudeDb(taps, frequency), db, frequency <= 100 ? 0.001 : 0.005) << frequency;
  }
}

TEST(ShelfTest, NoCutIsTheWindowedImpulse) {
  RealArray taps(ShelfLength, 3.0);
  DesignShelf(200, 800, 0, taps);
  for (int n = 0; n < ShelfLength; ++n) EXPECT_NEAR(taps[n], n == 602 ? 0.9999988 : 0.0, n == 602 ? 5e-8 : 1e-15) << n;
}

TEST(ShelfTest, ShortOutputIsRangeErrorAndUntouched) {
  RealArray taps(ShelfLength - 1, 7.0);
  try {
    DesignShelf(200, 800, 6, taps);
    ADD_FAILURE() << "designed into a short array";
  } catch (const UserError& error) {
    EXPECT_STREQ(error.what(), "範囲チェックエラー");
  }
  EXPECT_EQ(taps, RealArray(ShelfLength - 1, 7.0));
}

}  // namespace
