// The deviation of a filter from a pure delay against the literal evaluation: every term of H(f)
// summed in quadruple precision with its angle reduced exactly, at 44100 and 48000 Hz, for sums
// close to a delay (the exported crossover sums) and far from it, of odd and even length.
#include <gtest/gtest.h>
#include <quadmath.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "display/Response.h"
#include "numerics/Errors.h"

namespace {

struct Literal {
  double responseError = 0;
  double magnitudeDb = 0;
};

// max over the grid of |H(f) - e^(-j 2 pi f D / rate)| and of |20 log10 |H(f)||, each term's angle
// 2 pi f (2n - (length - 1)) / (2 rate) reduced as an integer first.
Literal LiteralDeviation(const std::vector<double>& taps, int rateHz) {
  Literal literal;
  const __float128 pi = acosq(-1);
  const int64_t period = 2 * int64_t{rateHz};
  const int64_t twiceCentre = static_cast<int64_t>(taps.size()) - 1;
  std::vector<__float128> cosines(period), sines(period);
  for (int64_t k = 0; k < period; ++k) {
    cosines[k] = cosq(2 * pi * k / period);
    sines[k] = sinq(2 * pi * k / period);
  }
  for (int i = 1; i <= GridPointCount; ++i) {
    const int64_t hz = GridFrequency(i);
    __float128 re = 0, im = 0;
    for (size_t n = 0; n < taps.size(); ++n) {
      int64_t k = hz * (2 * static_cast<int64_t>(n) - twiceCentre) % period;
      if (k < 0) k += period;
      re += taps[n] * cosines[k];
      im -= taps[n] * sines[k];
    }
    const __float128 error = sqrtq((re - 1) * (re - 1) + im * im);
    literal.responseError = std::max(literal.responseError, static_cast<double>(error));
    const double magnitude = static_cast<double>(sqrtq(re * re + im * im));
    literal.magnitudeDb = std::max(literal.magnitudeDb, std::fabs(20 * std::log10(magnitude)));
  }
  return literal;
}

// A unit impulse at the centre with every tap disturbed symmetrically by up to `size`, the same every run.
std::vector<double> NearDelay(size_t length, double size, unsigned stream) {
  std::mt19937 random(stream);
  std::uniform_real_distribution<double> disturbance(-size, size);
  std::vector<double> taps(length);
  for (size_t n = 0; n < (length + 1) / 2; ++n) taps[n] = taps[length - 1 - n] = disturbance(random);
  if (length % 2 == 1) taps[length / 2] += 1.0;
  return taps;
}

}  // namespace

TEST(DelayDeviation, AgainstTheLiteralEvaluation) {
  struct Row {
    std::vector<double> taps;
    const char* name;
  };
  const Row rows[] = {
      {NearDelay(901, 1e-17, 1), "901 taps, double rounding"},
      {NearDelay(2105, 3e-8, 2), "2105 taps, float rounding"},
      {NearDelay(301, 1e-3, 3), "301 taps, far from a delay"},
      {NearDelay(64, 1e-3, 4), "64 taps, a half-sample centre"},
      {std::vector<double>{0.25, 0.5, 0.25}, "a short low-pass"},
  };
  for (const int rateHz : {44100, 48000}) {
    for (const Row& row : rows) {
      const Literal literal = LiteralDeviation(row.taps, rateHz);
      const DelayDeviation fast = MeasureDelayDeviation(row.taps, rateHz);
      // Relative to the deviation itself where the centre's tap is taken out before the transform,
      // relative to the delay where it cannot be (a half-sample centre).
      const double scale = row.taps.size() % 2 == 1 ? literal.responseError : 1.0;
      EXPECT_NEAR(fast.LargestResponseError, literal.responseError, 1e-9 * scale + 1e-30)
          << row.name << " at " << rateHz;
      EXPECT_NEAR(fast.LargestMagnitudeDb, literal.magnitudeDb, 1e-9 * literal.magnitudeDb + 1e-13)
          << row.name << " at " << rateHz;
      EXPECT_FALSE(fast.VanishesOnGrid);
    }
  }
}

TEST(DelayDeviation, KnownValuesAndRefusals) {
  const std::vector<double> impulse{0, 0, 1, 0, 0};
  const DelayDeviation exact = MeasureDelayDeviation(impulse, 44100);
  EXPECT_EQ(exact.LargestTapError, 0.0);
  EXPECT_EQ(exact.LargestResponseError, 0.0);
  EXPECT_EQ(exact.LargestMagnitudeDb, 0.0);

  // Half of a delay everywhere: 0.5 from it, 20 log10 2 dB below it.
  const std::vector<double> half{0, 0, 0, 0.5, 0, 0, 0};
  const DelayDeviation halved = MeasureDelayDeviation(half, 48000);
  EXPECT_EQ(halved.LargestTapError, 0.5);
  EXPECT_NEAR(halved.LargestResponseError, 0.5, 1e-15);
  EXPECT_NEAR(halved.LargestMagnitudeDb, 20 * std::log10(2.0), 1e-12);

  // The largest tap error is the tap's own distance from the impulse.
  const std::vector<double> off{0.125, 0.75, -0.125};
  EXPECT_EQ(MeasureDelayDeviation(off, 44100).LargestTapError, 0.25);

  EXPECT_EQ(MeasureDelayDeviation(std::vector<double>{}, 44100).LargestResponseError, 0.0);
  EXPECT_THROW(MeasureDelayDeviation(impulse, 7999), UserError);
}
