#include <gtest/gtest.h>

#include <cmath>

#include "design/Shelf.h"
#include "tests/design/Magnitude.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double Bin = 44100.0 / ShelfLength;

TEST(ShelfTest, Gains) {
  const double stop = std::pow(10.0, -6.0 / 20);
  for (int bin = 1; bin <= 602; ++bin) {
    const double gain = ShelfGain(bin * Bin, 200, 800, 6);
    if (bin <= 5 || bin >= 22) {
      EXPECT_DOUBLE_EQ(gain, bin <= 5 ? 1.0 : stop) << bin;
    } else {
      EXPECT_TRUE(gain < 1 && gain > stop) << bin;
    }
  }
  EXPECT_NEAR(ShelfGain(6 * Bin, 200, 800, 6), 0.9545156, 5e-8);
  EXPECT_NEAR(ShelfGain(21 * Bin, 200, 800, 6), 0.5113047, 5e-8);
  EXPECT_NEAR(20 * std::log10(ShelfGain(400, 200, 800, 6)), -3.0, 1e-12);
  EXPECT_EQ(ShelfGain(200, 200, 800, 6), 1.0);  // the corners belong to the flat parts
  EXPECT_DOUBLE_EQ(ShelfGain(800, 200, 800, 6), stop);
  EXPECT_EQ(ShelfGain(Bin, 40, 80, 6), 1.0);
  EXPECT_LT(ShelfGain(2 * Bin, 40, 80, 6), 1.0);
  EXPECT_DOUBLE_EQ(ShelfGain(3 * Bin, 40, 80, 6), stop);
}

TEST(ShelfTest, SixDecibelShelf) {
  RealArray taps(ShelfLength);
  DesignShelf(200, 800, 6, taps);
  EXPECT_NEAR(taps[602], 0.5102313, 5e-8);
  EXPECT_NEAR(taps[601], 0.0090370, 5e-8);
  EXPECT_NEAR(taps[603], 0.0090371, 5e-8);
  const std::pair<double, double> response[] = {
      {20, 0.0}, {100, 0.0}, {200, -0.20}, {400, -2.99}, {800, -5.95}, {2000, -6.00}, {10000, -6.00},
  };
  for (const auto& [f, db] : response) {
    EXPECT_NEAR(20 * std::log10(Magnitude(taps, f)), db, f <= 100 ? 0.001 : 0.005) << f;
  }
}

TEST(ShelfTest, NoCutAndShortOutput) {
  RealArray taps(ShelfLength, 3.0);
  DesignShelf(200, 800, 0, taps);
  for (int n = 0; n < ShelfLength; ++n) EXPECT_NEAR(taps[n], n == 602 ? 0.9999988 : 0.0, n == 602 ? 5e-8 : 1e-15);
  RealArray shortTaps(ShelfLength - 1, 7.0);
  EXPECT_EQ(ErrorText([&] { DesignShelf(200, 800, 6, shortTaps); }), "範囲チェックエラー");
  EXPECT_EQ(shortTaps, RealArray(ShelfLength - 1, 7.0));
}

}  // namespace
