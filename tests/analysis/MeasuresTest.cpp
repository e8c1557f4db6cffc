#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/Measures.h"

namespace {

TEST(LevelDb, RealDecibelsWithAFloorForSilence) {
  EXPECT_EQ(LevelDb(1.0), 0.0);
  EXPECT_EQ(LevelDb(10.0), 20.0);
  EXPECT_NEAR(LevelDb(0.5), -6.020599913279624, 1e-12);
  EXPECT_NEAR(LevelDb(-0.5), -6.020599913279624, 1e-12);
  EXPECT_EQ(LevelDb(0.0), LevelFloorDb);
  EXPECT_EQ(LevelDb(1e-30), LevelFloorDb);
  EXPECT_EQ(LevelDb(std::nan("")), LevelFloorDb);
  EXPECT_NEAR(LevelDb(1e-19), -380.0, 1e-9);
}

TEST(LevelCrossingHz, InterpolatesInDbBetweenTheTwoGridPoints) {
  const std::vector<double> falling = {0, -1, -2, -4, -8, -16};
  EXPECT_DOUBLE_EQ(*LevelCrossingHz(falling, -3, Slope::Falling, 0), 2.5);
  EXPECT_DOUBLE_EQ(*LevelCrossingHz(falling, -6, Slope::Falling, 0), 3.5);
  // A grid point exactly at the level is the crossing.
  EXPECT_DOUBLE_EQ(*LevelCrossingHz(falling, -4, Slope::Falling, 0), 3.0);
  EXPECT_FALSE(LevelCrossingHz(falling, -3, Slope::Rising, 0));
  EXPECT_FALSE(LevelCrossingHz(falling, -20, Slope::Falling, 0));
  EXPECT_FALSE(LevelCrossingHz(std::vector<double>{}, -3, Slope::Falling, 0));
}

TEST(LevelCrossingHz, TakesTheCrossingNearestTheCutoff) {
  // Falls through -3 dB near 1.5 and again near 6.5 after a ripple back up.
  const std::vector<double> levels = {0, -2, -4, -2, -1, -2, -4, -8};
  EXPECT_DOUBLE_EQ(*LevelCrossingHz(levels, -3, Slope::Falling, 1), 1.5);
  EXPECT_DOUBLE_EQ(*LevelCrossingHz(levels, -3, Slope::Falling, 6), 5.5);
  EXPECT_DOUBLE_EQ(*LevelCrossingHz(levels, -3, Slope::Rising, 6), 2.5);
}

TEST(EqualLevelNear, CrossingOfTwoCurvesAndItsLevel) {
  const std::vector<double> falling = {0, -2, -4, -6, -8};
  const std::vector<double> rising = {-9, -7, -5, -3, -1};
  const auto equal = EqualLevelNear(falling, rising, 2);
  ASSERT_TRUE(equal);
  EXPECT_DOUBLE_EQ(equal->Hz, 2.25);
  EXPECT_DOUBLE_EQ(equal->LevelDb, -4.5);
  // Equal at a grid point.
  const auto atPoint = EqualLevelNear(std::vector<double>{0, -3, -6}, std::vector<double>{-6, -3, 0}, 0);
  ASSERT_TRUE(atPoint);
  EXPECT_EQ(atPoint->Hz, 1.0);
  EXPECT_EQ(atPoint->LevelDb, -3.0);
  // Parallel curves never meet; silence on both sides is no crossing.
  EXPECT_FALSE(EqualLevelNear(falling, std::vector<double>{1, -1, -3, -5, -7}, 2));
  const std::vector<double> silent(5, LevelFloorDb);
  EXPECT_FALSE(EqualLevelNear(silent, silent, 2));
}

TEST(LevelsBetween, WholeHzInsideTheRangeClampedToTheGrid) {
  const std::vector<double> levels = {-1, 0.5, -0.25, -40, -60, -50};
  const auto pass = LevelsBetween(levels, 0, 2.5);
  ASSERT_TRUE(pass);
  EXPECT_EQ(pass->MinDb, -1);
  EXPECT_EQ(pass->MaxDb, 0.5);
  const auto stop = LevelsBetween(levels, 3.2, 100);
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->MinDb, -60);
  EXPECT_EQ(stop->MaxDb, -50);
  const auto below = LevelsBetween(levels, -10, 0);
  ASSERT_TRUE(below);
  EXPECT_EQ(below->MaxDb, -1);
  EXPECT_FALSE(LevelsBetween(levels, 3.2, 3.8));  // no whole Hz inside
  EXPECT_FALSE(LevelsBetween(levels, 4, 3));
  EXPECT_FALSE(LevelsBetween(levels, 6, 10));
  EXPECT_FALSE(LevelsBetween(levels, INFINITY, INFINITY));
}

TEST(PreRingingSamples, FromTheFirstTapWithin60DbToTheLargest) {
  // The largest tap is -2 at index 5; 60 dB below it is 0.002.
  const std::vector<double> taps = {1e-9, -0.0019, 0.002, 0.1, 1, -2, 1, 0.1, 0.002};
  EXPECT_EQ(LargestTapIndex(taps), 5u);
  EXPECT_EQ(PreRingingSamples(taps), 3);
  EXPECT_EQ(PreRingingSamples(std::vector<double>{0, 0, 1}), 0);
  EXPECT_EQ(PreRingingSamples(std::vector<double>{1, 1, 1}), 0);
  EXPECT_EQ(PreRingingSamples(std::vector<double>{0, 0, 0}), 0);
  EXPECT_EQ(PreRingingSamples(std::vector<double>{}), 0);
}

}  // namespace
