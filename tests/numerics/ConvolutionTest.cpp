#include <gtest/gtest.h>

#include <numeric>

#include "numerics/Convolution.h"
#include "numerics/CoreTypes.h"
#include "tests/numerics/ErrorText.h"

namespace {

RealArray Sequence(int n, double scale) {
  RealArray values(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) values[i] = scale * ((i * 37 % 11) - 5.0) / (i + 1);
  return values;
}

RealArray Convolve(const RealArray& a, const RealArray& b, int outputLength) {
  RealArray c(static_cast<size_t>(outputLength), -1.0);
  ConvolveReal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), c.data(), outputLength);
  return c;
}

TEST(ConvolutionTest, KnownSequences) {
  EXPECT_EQ(Convolve({3}, {-2.5}, 1), RealArray({-7.5}));
  EXPECT_EQ(Convolve({1}, Sequence(9, 1), 9), Sequence(9, 1));
  EXPECT_EQ(Convolve({0, 0, 0, 1, 0}, {4, 5, 6}, 7), RealArray({0, 0, 0, 4, 5, 6, 0}));
  EXPECT_EQ(Convolve({1, 2}, {3, 4, 5}, 8), RealArray({3, 10, 13, 10, 0, 0, 0, 0}));
  RealArray buffer = {1, 2, 0, 0};  // the output may be an input
  ConvolveReal(buffer.data(), 2, buffer.data(), 2, buffer.data(), 4);
  EXPECT_EQ(buffer, RealArray({1, 4, 4, 0}));
}

TEST(ConvolutionTest, CommutesAndMultipliesSums) {
  const RealArray a = Sequence(301, 1), b = Sequence(1205, 0.01);
  const RealArray ab = Convolve(a, b, 1505), ba = Convolve(b, a, 1505);
  for (int n = 0; n < 1505; ++n) EXPECT_NEAR(ab[n], ba[n], 1e-14) << n;
  EXPECT_NEAR(std::accumulate(ab.begin(), ab.end(), 0.0),
              std::accumulate(a.begin(), a.end(), 0.0) * std::accumulate(b.begin(), b.end(), 0.0), 1e-12);
}

TEST(ConvolutionTest, InvalidLengthsAreRangeErrorsAndLeaveOutput) {
  const RealArray a = {1, 2}, b = {3, 4, 5};
  for (const auto& [la, lb, lc] : {std::tuple{2, 3, 3}, {-1, 3, 4}, {2, -3, 4}, {2, 3, -1}}) {
    RealArray c(4, 9.0);
    EXPECT_EQ(ErrorText([&] { ConvolveReal(a.data(), la, b.data(), lb, c.data(), lc); }), "範囲チェックエラー");
    EXPECT_EQ(c, RealArray(4, 9.0));
  }
  RealArray c(3, 9.0);
  ConvolveReal(a.data(), 0, b.data(), 3, c.data(), 3);
  EXPECT_EQ(c, RealArray(3, 0.0));
}

}  // namespace
