#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <numbers>

#include "acoustic/Measurement.h"
#include "acoustic/LogInterpolation.h"
#include "acoustic/MinimumPhase.h"
#include "tests/acoustic/Synthetic.h"

namespace {

constexpr double cPi = std::numbers::pi;

// The integral of ln coth(v/2) from 0 to x by the midpoint rule on the substitution v = w^2, which
// takes away the logarithmic singularity at 0.
double SlowLnCothIntegral(double x) {
  const int steps = 200000;
  const double top = std::sqrt(x);
  double sum = 0.0;
  for (int i = 0; i < steps; ++i) {
    const double w = (i + 0.5) * top / steps;
    const double v = w * w;
    sum += 2.0 * w * std::log(1.0 / std::tanh(v / 2.0));
  }
  return sum * top / steps;
}

TEST(MinimumPhaseTest, KernelIntegral) {
  for (double x : {1e-6, 0.01, 0.3, 0.8813, 0.8814, 1.5, 4.0, 12.0})
    EXPECT_NEAR(LnCothIntegral(x), SlowLnCothIntegral(x), 1e-8 * (1 + x)) << x;
  EXPECT_EQ(LnCothIntegral(0.0), 0.0);
  EXPECT_DOUBLE_EQ(LnCothIntegral(-1.5), -LnCothIntegral(1.5));
  EXPECT_DOUBLE_EQ(LnCothIntegral(INFINITY), cPi * cPi / 4);
  EXPECT_DOUBLE_EQ(LnCothIntegral(60.0), cPi * cPi / 4);
  // The two series meet without a step.
  const double below = std::nextafter(0.88137358701954302523, 0.0);
  EXPECT_NEAR(LnCothIntegral(below), LnCothIntegral(0.88137358701954302523), 1e-15);
}

// Phases of a measurement built from response at pointsPerOctave, compared with the response's own
// phase at every point from checkFromHz to checkToHz.
double LargestPhaseError(const Response& response, double fromHz, double toHz, int pointsPerOctave,
                         double checkFromHz, double checkToHz) {
  const Measurement m = ParseMeasurement(MeasurementText(response, fromHz, toHz, pointsPerOctave, false), "m.txt");
  EXPECT_EQ(m.Phase, PhaseSource::MinimumPhase);
  double largest = 0.0;
  for (size_t i = 0; i < m.FrequencyHz.size(); ++i) {
    const double f = m.FrequencyHz[i];
    if (f < checkFromHz || f > checkToHz) continue;
    const double expected = std::arg(response(f)) * 180.0 / cPi;
    largest = std::max(largest, std::fabs(std::remainder(m.PhaseDeg[i] - expected, 360.0)));
  }
  return largest;
}

TEST(MinimumPhaseTest, PowerLawsHaveConstantPhase) {
  // |H| = f^n is the magnitude of (j f)^n: n * 90 degrees at every frequency, the tails included.
  for (double order : {-2.0, -1.0, 1.0, 3.0}) {
    const std::vector<double> f = {10, 100, 1000, 5000, 20000};
    std::vector<double> db;
    for (double hz : f) db.push_back(20.0 * order * std::log10(hz));
    for (double phase : MinimumPhaseDeg(f, db)) EXPECT_NEAR(phase, 90.0 * order, 1e-6) << order;
  }
  // A flat magnitude has no phase.
  for (double phase : MinimumPhaseDeg(std::vector<double>{20, 20000}, std::vector<double>{85, 85}))
    EXPECT_NEAR(phase, 0.0, 1e-12);
}

TEST(MinimumPhaseTest, AnalogSystems) {
  // A 1st-order low-pass at 1 kHz measured far beyond its corner.
  EXPECT_LT(LargestPhaseError(FirstOrderLowPass(1000), 10, 100000, 24, 10, 100000), 0.01);
  // A closed-box woofer: 2nd-order high-pass at 50 Hz, Q 0.707, measured from 10 Hz to 20 kHz.
  EXPECT_LT(LargestPhaseError(SecondOrderHighPass(50, 0.707), 10, 20000, 48, 10, 20000), 0.25);
  // A tweeter measured from 200 Hz, well below its 1500 Hz corner.
  EXPECT_LT(LargestPhaseError(SecondOrderHighPass(1500, 0.7), 200, 40000, 48, 200, 40000), 0.1);
  // A peaky woofer (Q 2 at 40 Hz) measured from 10 Hz: at the bottom end the slope of the last third
  // of an octave is still steeper than the roll-off below it, so the first octave is a few degrees out.
  EXPECT_LT(LargestPhaseError(SecondOrderHighPass(40, 2.0), 10, 20000, 48, 10, 20000), 5.0);
  EXPECT_LT(LargestPhaseError(SecondOrderHighPass(40, 2.0), 10, 20000, 48, 60, 20000), 0.7);
  // Sparse points (1/3 octave): the level is linear between them, so only near the corner does the
  // phase differ from the smooth curve's by more than a little.
  EXPECT_LT(LargestPhaseError(SecondOrderHighPass(50, 0.707), 10, 20000, 3, 10, 20000), 1.0);
}

TEST(MinimumPhaseTest, SteepEndsAreLimited) {
  // 100 dB within an octave at the bottom end: the tail continues at 6 powers of f, not 16.6.
  const std::vector<double> f = {10, 20, 40, 20000};
  const std::vector<double> db = {-100, 0, 0, 0};
  const std::vector<double> phase = MinimumPhaseDeg(f, db);
  for (double p : phase) EXPECT_TRUE(std::isfinite(p));
  // Below 10 Hz the level falls by 6 powers of f: at 10 Hz that tail alone is worth 6 * 45 degrees,
  // the cell above it about 16.6 * 90 * 0.3, and far above everything is flat again.
  EXPECT_NEAR(phase[3], 0.0, 1.0);
  // Two points a hair apart, an enormous slope: still finite.
  for (double p : MinimumPhaseDeg(std::vector<double>{1000, 1000.000001}, std::vector<double>{0, 900}))
    EXPECT_TRUE(std::isfinite(p));
}

TEST(MinimumPhaseTest, ExtremeRangesStayFinite) {
  const std::vector<double> f = {1e-300, 1.0, 1e300};
  const std::vector<double> db = {-1000, 0, 1000};
  for (double p : MinimumPhaseDeg(f, db)) EXPECT_TRUE(std::isfinite(p));
  // Two points 600 decades apart: the relative step between them overflows a double.
  const std::vector<double> ends = {1e-300, 1e300};
  for (double p : MinimumPhaseDeg(ends, std::vector<double>{-1000, 1000})) EXPECT_TRUE(std::isfinite(p));
  const LogPosition middle = LocateLogFrequency(ends, 1.0);
  EXPECT_EQ(middle.Index, 0u);
  EXPECT_NEAR(middle.Weight, 0.5, 1e-15);
  EXPECT_NEAR(LocateLogFrequency(ends, 1e150).Weight, 0.75, 1e-15);
}

}  // namespace
