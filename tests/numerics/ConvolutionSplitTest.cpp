#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "numerics/Convolution.h"
#include "numerics/CoreTypes.h"
#include "numerics/ParallelWork.h"

namespace {

RealArray RandomSequence(int n, unsigned start) {
  std::mt19937 generator(start);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  RealArray values(static_cast<size_t>(n));
  for (double& v : values) v = value(generator);
  return values;
}

// Each output summed alone over its own terms in ascending k, product and sum rounded to double.
RealArray DirectSum(const RealArray& a, const RealArray& b, int outputLength) {
  const int la = static_cast<int>(a.size()), lb = static_cast<int>(b.size());
  RealArray c(static_cast<size_t>(outputLength), 0.0);
  for (int n = 0; n < la + lb - 1; ++n) {
    double sum = 0.0;
    for (int k = std::max(0, n - lb + 1); k <= std::min(n, la - 1); ++k) sum += a[k] * b[n - k];
    c[n] = sum;
  }
  return c;
}

// Outputs summed side by side, two or four to a register, edges where they share few terms, blocks
// cut anywhere, any number of threads: every output is still its own ascending sum, to the bit.
TEST(ConvolutionSplitTest, EveryLengthWidthAndThreadCountGivesTheDirectSum) {
  const std::tuple<int, int, int> shapes[] = {{1, 1, 1},     {1, 9, 10},    {9, 1, 9},         {3, 5, 9},
                                              {7, 8, 14},    {8, 7, 20},    {17, 3, 19},       {31, 40, 70},
                                              {33, 33, 65},  {100, 1205, 1304}, {1205, 901, 2105}, {4097, 1205, 5301}};
  for (const auto& [la, lb, lc] : shapes) {
    const RealArray a = RandomSequence(la, 7 + la), b = RandomSequence(lb, 11 + lb);
    const RealArray expected = DirectSum(a, b, lc);
    for (const int threads : {1, 2, 3}) {
      SetWorkerThreadCount(threads);
      for (const ConvolutionMethod method : {ConvolutionMethod::Direct, ConvolutionMethod::DirectTwoLanes}) {
        RealArray c(static_cast<size_t>(lc), -1.0);
        ConvolveRealBy(method, a.data(), la, b.data(), lb, c.data(), lc);
        EXPECT_EQ(c, expected) << la << " * " << lb << " on " << threads << " threads, method "
                               << static_cast<int>(method);
      }
      RealArray chosen(static_cast<size_t>(lc), -1.0);
      ConvolveReal(a.data(), la, b.data(), lb, chosen.data(), lc);
      // Random values of norm above 1 keep even the longest to the direct sum.
      EXPECT_EQ(chosen, expected) << la << " * " << lb;
    }
    SetWorkerThreadCount(0);
  }
}

}  // namespace
