#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "numerics/Errors.h"
#include "numerics/FFTs.h"

namespace {

// Fixed pseudo-random samples in [-1, 1), the same on every run.
ComplexArray TestSignal(int n, uint32_t seed) {
  ComplexArray x(static_cast<size_t>(n));
  uint32_t state = seed;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / (1u << 23) - 1.0;
  };
  for (Complex& value : x) {
    value.re = next();
    value.im = next();
  }
  return x;
}

// Forward DFT by the definition, in extended precision, with the angle reduced modulo n.
ComplexArray DirectDft(const ComplexArray& x) {
  const int n = static_cast<int>(x.size());
  const long double twoPi = 6.283185307179586476925L;
  ComplexArray y(x.size());
  for (int k = 0; k < n; ++k) {
    long double re = 0, im = 0;
    for (int j = 0; j < n; ++j) {
      const long double angle = -twoPi * static_cast<long double>((int64_t{j} * k) % n) / n;
      const long double c = std::cos(angle), s = std::sin(angle);
      re += x[j].re * c - x[j].im * s;
      im += x[j].re * s + x[j].im * c;
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

std::vector<int> TestLengths() {
  std::vector<int> lengths;
  for (int n = 1; n <= 64; ++n) lengths.push_back(n);
  for (int n : {77, 96, 128, 210, 1000, 1021, 1205, 2048}) lengths.push_back(n);
  return lengths;
}

// Error bound of one transform, relative to the RMS magnitude of the exact result: the 14-digit
// butterfly constants cost up to 1.7e-14 per pass (Radix5SinSum), and the twiddle and root
// recurrences grow with the length. Measured worst cases: 1.8e-14 (N = 5), 6.9e-14 (N = 1000,
// three radix-10 passes; N = 1021), 5.9e-14 (N = 1205), 5.6e-14 (N = 2048).
double DftTolerance(int n) { return 2.5e-14 * static_cast<double>(FactorizeLength(n).size()) + 1e-16 * n; }

TEST(FftTest, ForwardMatchesDirectDft) {
  for (int n : TestLengths()) {
    const ComplexArray x = TestSignal(n, 12345u + n);
    ComplexArray y(x.size());
    ForwardFft(x.data(), y.data(), n);
    EXPECT_LT(RelativeError(y, DirectDft(x)), DftTolerance(n)) << "N = " << n;
  }
}

TEST(FftTest, InverseIsScaledConjugateTransform) {
  for (int n : {1, 2, 7, 16, 20, 77, 1205}) {
    const ComplexArray x = TestSignal(n, 777u);
    ComplexArray conjugate(x);
    for (Complex& value : conjugate) value.im = -value.im;
    ComplexArray want = DirectDft(conjugate);
    for (Complex& value : want) value = MakeComplex(value.re / n, -value.im / n);
    ComplexArray y(x.size());
    MixedRadixFft(x.data(), y.data(), n);
    EXPECT_LT(RelativeError(y, want), DftTolerance(n)) << "N = " << n;
  }
}

TEST(FftTest, RoundTripRestoresInput) {
  for (int n : {1205, 1021, 2048, 1000, 96, 77, 10, 7}) {
    const ComplexArray x = TestSignal(n, 99u);
    ComplexArray spectrum(x.size()), back(x.size());
    ForwardFft(x.data(), spectrum.data(), n);
    MixedRadixFft(spectrum.data(), back.data(), n);
    EXPECT_LT(RelativeError(back, x), 2 * DftTolerance(n)) << "N = " << n;
  }
}

TEST(FftTest, InPlaceEqualsOutOfPlace) {
  for (int n : {6, 16, 60, 128, 210, 1205}) {
    const ComplexArray x = TestSignal(n, 5u);
    ComplexArray separate(x.size());
    ForwardFft(x.data(), separate.data(), n);
    ComplexArray inPlace(x);
    ForwardFft(inPlace.data(), inPlace.data(), n);
    ComplexArray inverseSeparate(x.size());
    MixedRadixFft(x.data(), inverseSeparate.data(), n);
    ComplexArray inverseInPlace(x);
    MixedRadixFft(inverseInPlace.data(), inverseInPlace.data(), n);
    for (int k = 0; k < n; ++k) {
      EXPECT_EQ(inPlace[k].re, separate[k].re) << n << " " << k;
      EXPECT_EQ(inPlace[k].im, separate[k].im) << n << " " << k;
      EXPECT_EQ(inverseInPlace[k].re, inverseSeparate[k].re) << n << " " << k;
      EXPECT_EQ(inverseInPlace[k].im, inverseSeparate[k].im) << n << " " << k;
    }
  }
}

TEST(FftTest, SignConventionAndScaling) {
  const ComplexArray ramp = {{1, 0}, {2, 0}, {3, 0}, {4, 0}};
  const ComplexArray forward = {{10, 0}, {-2, 2}, {-2, 0}, {-2, -2}};
  const ComplexArray inverse = {{2.5, 0}, {-0.5, -0.5}, {-0.5, 0}, {-0.5, 0.5}};
  ComplexArray y(4);
  ForwardFft(ramp.data(), y.data(), 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(y[k].re, forward[k].re, 1e-14);
    EXPECT_NEAR(y[k].im, forward[k].im, 1e-14);
  }
  MixedRadixFft(ramp.data(), y.data(), 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(y[k].re, inverse[k].re, 1e-15);
    EXPECT_NEAR(y[k].im, inverse[k].im, 1e-15);
  }

  const ComplexArray three = {{1, 0}, {2, 0}, {3, 0}};
  ComplexArray z(3);
  MixedRadixFft(three.data(), z.data(), 3);
  EXPECT_NEAR(z[0].re, 2, 1e-15);
  EXPECT_NEAR(z[1].re, -0.5, 1e-15);
  EXPECT_NEAR(z[1].im, -0.2886751, 1e-7);
  EXPECT_NEAR(z[2].im, 0.2886751, 1e-7);

  const ComplexArray one = {{0.25, -3}};
  ComplexArray w(1);
  MixedRadixFft(one.data(), w.data(), 1);
  EXPECT_EQ(w[0].re, 0.25);
  EXPECT_EQ(w[0].im, -3);
}

TEST(FftTest, ZeroLengthLeavesOutputUntouched) {
  ComplexArray y = {{7, 8}};
  MixedRadixFft(nullptr, y.data(), 0);
  ForwardFft(nullptr, y.data(), 0);
  EXPECT_EQ(y[0].re, 7);
  EXPECT_EQ(y[0].im, 8);
}

TEST(FftTest, FactorLists) {
  const std::vector<std::pair<int, std::vector<int>>> cases = {
      {1, {1}},          {2, {2}},          {6, {2, 3}},        {7, {7}},
      {10, {10}},        {14, {7, 2}},      {16, {4, 4}},       {20, {2, 10}},
      {60, {2, 3, 10}},  {77, {11, 7}},     {96, {3, 4, 8}},    {128, {4, 4, 8}},
      {210, {7, 3, 10}}, {1000, {10, 10, 10}}, {1205, {241, 5}}, {2048, {4, 8, 8, 8}},
      {2062, {1031, 2}}, {0, {}},
  };
  for (const auto& [n, factors] : cases) EXPECT_EQ(FactorizeLength(n), factors) << "N = " << n;
}

TEST(FftTest, PrimeFactorAboveLimitRaisesBeforeWriting) {
  for (int n : {1031, 2062}) {
    const ComplexArray x = TestSignal(n, 3u);
    ComplexArray y(x.size(), MakeComplex(42, -42));
    for (bool inverse : {false, true}) {
      try {
        if (inverse) {
          MixedRadixFft(x.data(), y.data(), n);
        } else {
          ForwardFft(x.data(), y.data(), n);
        }
        ADD_FAILURE() << "N = " << n << " transformed";
      } catch (const EMathError& error) {
        EXPECT_STREQ(error.what(),
                     "Prime factor for FFT length too large. Change value for cMaxPrimeFactor in FFTs unit");
      }
      for (const Complex& value : y) {
        ASSERT_EQ(value.re, 42);
        ASSERT_EQ(value.im, -42);
      }
    }
  }
}

TEST(FftTest, NegativeLengthIsRangeError) {
  ComplexArray y(1, MakeComplex(1, 1));
  EXPECT_THROW(
      {
        try {
          MixedRadixFft(y.data(), y.data(), -1);
        } catch (const UserError& error) {
          EXPECT_STREQ(error.what(), "範囲チェックエラー");
          throw;
        }
      },
      UserError);
  EXPECT_THROW(ForwardFft(y.data(), y.data(), -5), UserError);
  EXPECT_EQ(y[0].re, 1);
}

}  // namespace
