#include <gtest/gtest.h>

#include <numeric>

#include "numerics/Convolution.h"
#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"

namespace {

RealArray Sequence(int n, double scale) {
  RealArray values(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) values[i] = scale * ((i * 37 % 11) - 5.0) / (i + 1);
  return values;
}

RealArray Convolve(const RealArray& a, const RealArray& b, int outputLength) {
  RealArray c(static_cast<size_t>(outputLength), -1.0);
  ConvolveReal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), c.data(),
               outputLength);
  return c;
}

TEST(ConvolutionTest, SingleSamplesAndIdentity) {
  EXPECT_EQ(Convolve({3}, {-2.5}, 1), RealArray({-7.5}));
  const RealArray b = Sequence(9, 1);
  EXPECT_EQ(Convolve({1}, b, 9), b);
}

TEST(ConvolutionTest, ShiftedImpulseDelaysTheOtherInput) {
  const RealArray b = Sequence(7, 0.5);
  RealArray a(5, 0.0);
  a[3] = 1;
  const RealArray c = Convolve(a, b, 11);
  for (int n = 0; n < 11; ++n) EXPECT_EQ(c[n], (n >= 3 && n < 10) ? b[n - 3] : 0.0) << n;
}

TEST(ConvolutionTest, CommutesAndMultipliesSums) {
  const RealArray a = Sequence(301, 1), b = Sequence(1205, 0.01);
  const RealArray ab = Convolve(a, b, 1505), ba = Convolve(b, a, 1505);
  for (int n = 0; n < 1505; ++n) EXPECT_NEAR(ab[n], ba[n], 1e-14) << n;
  const double sumA = std::accumulate(a.begin(), a.end(), 0.0);
  const double sumB = std::accumulate(b.begin(), b.end(), 0.0);
  EXPECT_NEAR(std::accumulate(ab.begin(), ab.end(), 0.0), sumA * sumB, 1e-12);
}

TEST(ConvolutionTest, LongerOutputKeepsZerosAfterTheFullLength) {
  const RealArray c = Convolve({1, 2}, {3, 4, 5}, 8);
  EXPECT_EQ(c, RealArray({3, 10, 13, 10, 0, 0, 0, 0}));
}

TEST(ConvolutionTest, OutputMayBeAnInput) {
  RealArray buffer = {1, 2, 0, 0};
  ConvolveReal(buffer.data(), 2, buffer.data(), 2, buffer.data(), 4);
  EXPECT_EQ(buffer, RealArray({1, 4, 4, 0}));
}

TEST(ConvolutionTest, InvalidLengthsAreRangeErrorsAndLeaveOutput) {
  const RealArray a = {1, 2}, b = {3, 4, 5};
  struct Case {
    int la, lb, lc;
  };
  for (const Case& bad : {Case{2, 3, 3}, Case{-1, 3, 4}, Case{2, -3, 4}, Case{2, 3, -1}}) {
    RealArray c(4, 9.0);
    try {
      ConvolveReal(a.data(), bad.la, b.data(), bad.lb, c.data(), bad.lc);
      ADD_FAILURE() << bad.la << " " << bad.lb << " " << bad.lc;
    } catch (const UserError& error) {
      EXPECT_STREQ(error.what(), "範囲チェックエラー");
    }
    EXPECT_EQ(c, RealArray(4, 9.0));
  }
  RealArray c(3, 9.0);
  ConvolveReal(a.data(), 0, b.data(), 3, c.data(), 3);
  EXPECT_EQ(c, RealArray(3, 0.0));
}

}  // namespace
