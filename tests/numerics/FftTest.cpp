#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "numerics/FFTs.h"
#include "tests/numerics/ErrorText.h"

namespace {

// Fixed pseudo-random samples in [-1, 1).
ComplexArray TestSignal(int n, uint32_t state) {
  ComplexArray x(static_cast<size_t>(n));
  auto next = [&state] { return static_cast<double>((state = state * 1664525u + 1013904223u) >> 8) / (1 << 23) - 1; };
  for (Complex& value : x) value = MakeComplex(next(), next());
  return x;
}

// Forward DFT by the definition in extended precision, the angle reduced modulo n.
ComplexArray DirectDft(const ComplexArray& x) {
  const int n = static_cast<int>(x.size());
  ComplexArray y(x.size());
  for (int k = 0; k < n; ++k) {
    long double re = 0, im = 0;
    for (int j = 0; j < n; ++j) {
      const long double angle = -6.283185307179586476925L * ((int64_t{j} * k) % n) / n;
      re += x[j].re * std::cos(angle) - x[j].im * std::sin(angle);
      im += x[j].re * std::sin(angle) + x[j].im * std::cos(angle);
    }
    y[k] = MakeComplex(static_cast<double>(re), static_cast<double>(im));
  }
  return y;
}

// Largest component error relative to the RMS magnitude of the reference.
double RelativeError(const ComplexArray& got, const ComplexArray& want) {
  double worst = 0, power = 0;
  for (size_t k = 0; k < want.size(); ++k) {
    worst = std::max({worst, std::fabs(got[k].re - want[k].re), std::fabs(got[k].im - want[k].im)});
    power += want[k].re * want[k].re + want[k].im * want[k].im;
  }
  return worst / std::sqrt(power / want.size());
}

// Bound of one transform relative to the RMS of the exact result: the 14-digit butterfly constants
// cost up to 1.7e-14 per pass (Radix5SinSum), the twiddle and root recurrences grow with the length.
// Measured: 1.8e-14 (N = 5), 6.9e-14 (N = 1000 and 1021), 5.9e-14 (1205), 5.6e-14 (2048).
double Tolerance(int n) { return 2.5e-14 * static_cast<double>(FactorizeLength(n).size()) + 1e-16 * n; }

TEST(FftTest, ForwardMatchesDirectDft) {
  std::vector<int> lengths = {77, 96, 128, 210, 1000, 1021, 1205, 2048};
  for (int n = 1; n <= 64; ++n) lengths.push_back(n);
  for (int n : lengths) {
    const ComplexArray x = TestSignal(n, 12345u + n);
    ComplexArray y(x.size());
    ForwardFft(x.data(), y.data(), n);
    EXPECT_LT(RelativeError(y, DirectDft(x)), Tolerance(n)) << "N = " << n;
  }
}

TEST(FftTest, RoundTripAndInPlace) {
  for (int n : {1205, 1021, 2048, 1000, 96, 77, 60, 16}) {
    const ComplexArray x = TestSignal(n, 99u);
    ComplexArray spectrum(x.size()), back(x.size());
    ForwardFft(x.data(), spectrum.data(), n);
    MixedRadixFft(spectrum.data(), back.data(), n);
    EXPECT_LT(RelativeError(back, x), 2 * Tolerance(n)) << "N = " << n;

    ComplexArray forward(x), inverse(spectrum);
    ForwardFft(forward.data(), forward.data(), n);
    MixedRadixFft(inverse.data(), inverse.data(), n);
    for (int k = 0; k < n; ++k) {
      ASSERT_TRUE(forward[k].re == spectrum[k].re && forward[k].im == spectrum[k].im) << n << " " << k;
      ASSERT_TRUE(inverse[k].re == back[k].re && inverse[k].im == back[k].im) << n << " " << k;
    }
  }
}

TEST(FftTest, SignConventionAndScaling) {
  struct Case {
    ComplexArray x, forward, inverse;
  };
  const Case cases[] = {
      {{{0.25, -3}}, {{0.25, -3}}, {{0.25, -3}}},
      {{{1, 2}, {3, -1}}, {{4, 1}, {-2, 3}}, {{2, 0.5}, {-1, 1.5}}},
      {{{1, 0}, {2, 0}, {3, 0}}, {{6, 0}, {-1.5, 0.8660254037844386}, {-1.5, -0.8660254037844386}},
       {{2, 0}, {-0.5, -0.28867513459481287}, {-0.5, 0.28867513459481287}}},
      {{{1, 0}, {2, 0}, {3, 0}, {4, 0}}, {{10, 0}, {-2, 2}, {-2, 0}, {-2, -2}},
       {{2.5, 0}, {-0.5, -0.5}, {-0.5, 0}, {-0.5, 0.5}}},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.x.size());
    ComplexArray forward(c.x.size()), inverse(c.x.size());
    ForwardFft(c.x.data(), forward.data(), n);
    MixedRadixFft(c.x.data(), inverse.data(), n);
    for (int k = 0; k < n; ++k) {
      EXPECT_NEAR(forward[k].re, c.forward[k].re, 1e-13) << n << " " << k;
      EXPECT_NEAR(forward[k].im, c.forward[k].im, 1e-13) << n << " " << k;
      EXPECT_NEAR(inverse[k].re, c.inverse[k].re, 1e-13) << n << " " << k;
      EXPECT_NEAR(inverse[k].im, c.inverse[k].im, 1e-13) << n << " " << k;
    }
  }
}

TEST(FftTest, FactorLists) {
  const std::pair<int, std::vector<int>> cases[] = {
      {1, {1}},          {2, {2}},        {6, {2, 3}},          {7, {7}},           {10, {10}},
      {14, {7, 2}},      {16, {4, 4}},    {20, {2, 10}},        {60, {2, 3, 10}},   {77, {11, 7}},
      {96, {3, 4, 8}},   {128, {4, 4, 8}}, {210, {7, 3, 10}},   {1000, {10, 10, 10}}, {1205, {241, 5}},
      {2048, {4, 8, 8, 8}}, {2062, {1031, 2}}, {0, {}},
  };
  for (const auto& [n, factors] : cases) EXPECT_EQ(FactorizeLength(n), factors) << "N = " << n;
}

TEST(FftTest, RefusedLengthsLeaveOutputUntouched) {
  const std::string tooLarge = "Prime factor for FFT length too large. Change value for cMaxPrimeFactor in FFTs unit";
  for (int n : {1031, 2062}) {
    const ComplexArray x = TestSignal(n, 3u);
    ComplexArray y(x.size(), MakeComplex(42, -42));
    EXPECT_THROW(ForwardFft(x.data(), y.data(), n), EMathError);
    EXPECT_EQ(ErrorText([&] { MixedRadixFft(x.data(), y.data(), n); }), tooLarge);
    for (const Complex& value : y) ASSERT_TRUE(value.re == 42 && value.im == -42) << n;
  }
  ComplexArray y = {{7, 8}};
  MixedRadixFft(nullptr, y.data(), 0);
  ForwardFft(nullptr, y.data(), 0);
  EXPECT_EQ(ErrorText([&] { MixedRadixFft(y.data(), y.data(), -1); }), "範囲チェックエラー");
  EXPECT_EQ(ErrorText([&] { ForwardFft(y.data(), y.data(), -5); }), "範囲チェックエラー");
  EXPECT_TRUE(y[0].re == 7 && y[0].im == 8);
}

}  // namespace
