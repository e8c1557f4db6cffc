// The analysis window's curves against a naive transform in long double: levels, phase with the bulk
// delay removed, group delay (against the slope of the reference phase), and the cuts that keep
// a million taps drawable without losing a peak.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "analysis/AnalysisCurves.h"

namespace {

using Complex = std::complex<long double>;

Complex NaiveResponse(const std::vector<double>& taps, long double hz, int rateHz) {
  Complex sum = 0;
  for (size_t n = 0; n < taps.size(); ++n) {
    const long double angle = -2.0L * std::numbers::pi_v<long double> * hz * static_cast<long double>(n) / rateHz;
    sum += static_cast<long double>(taps[n]) * Complex(std::cos(angle), std::sin(angle));
  }
  return sum;
}

double NaiveLevelDb(const std::vector<double>& taps, double hz, int rateHz) {
  return static_cast<double>(20.0L * std::log10(std::abs(NaiveResponse(taps, hz, rateHz))));
}

// Degrees in (-180, 180] of the response with the bulk delay (taps - 1)/2 taken out.
double NaivePhaseDegrees(const std::vector<double>& taps, double hz, int rateHz) {
  const long double delay = (static_cast<long double>(taps.size()) - 1) / 2;
  const long double turn = 2.0L * std::numbers::pi_v<long double> * hz * delay / rateHz;
  const Complex aligned = NaiveResponse(taps, hz, rateHz) * Complex(std::cos(turn), std::sin(turn));
  double degrees = static_cast<double>(std::atan2(aligned.imag(), aligned.real()) * 180.0L / std::numbers::pi_v<long double>);
  return degrees <= -180.0 ? degrees + 360.0 : degrees;
}

// -dphi/domega by a central difference of the reference phase, in ms.
double NaiveGroupDelayMs(const std::vector<double>& taps, double hz, int rateHz) {
  const long double step = 1e-3L;
  const Complex above = NaiveResponse(taps, hz + step, rateHz), below = NaiveResponse(taps, hz - step, rateHz);
  const long double dPhase = std::arg(above / below);
  const long double dOmega = 2.0L * std::numbers::pi_v<long double> * 2 * step / rateHz;
  return static_cast<double>(-dPhase / dOmega * 1000.0L / rateHz);
}

double WrappedDifference(double a, double b) {
  double difference = std::fmod(a - b, 360.0);
  if (difference > 180) difference -= 360;
  if (difference <= -180) difference += 360;
  return difference;
}

std::vector<double> RandomTaps(size_t count, unsigned stream) {
  std::mt19937 generator(stream);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::vector<double> taps(count);
  for (double& tap : taps) tap = normal(generator);
  return taps;
}

const AnalysisCurve& CurveOf(const AnalysisCurves& curves, AnalysisPlot plot, size_t filter = 0) {
  return curves.Of(plot)[filter];
}

AnalysisCurves CurvesOfOne(const std::vector<double>& taps, int rateHz) {
  return ComputeAnalysisCurves({std::span<const double>(taps), {}, {}, {}}, rateHz);
}

}  // namespace

TEST(AnalysisCurves, FrequencyCurvesMatchANaiveTransformAtEveryDrawnPoint) {
  const int rateHz = 8000;
  for (const auto& taps : {RandomTaps(31, 7), RandomTaps(64, 11), std::vector<double>{0.25, 1.0, -0.5}}) {
    SCOPED_TRACE(taps.size());
    const AnalysisCurves curves = CurvesOfOne(taps, rateHz);
    const AnalysisCurve& magnitude = CurveOf(curves, AnalysisPlot::Magnitude);
    // 4000 grid points in 1500 log buckets: the low ones hold one frequency each, so every frequency
    // below the first shared bucket is drawn.
    ASSERT_GT(magnitude.X.size(), 1000u);
    for (size_t i = 0; i < magnitude.X.size(); ++i) {
      EXPECT_EQ(magnitude.X[i], std::round(magnitude.X[i]));
      EXPECT_NEAR(magnitude.Y[i], NaiveLevelDb(taps, magnitude.X[i], rateHz), 1e-9) << magnitude.X[i];
    }
    const AnalysisCurve& phase = CurveOf(curves, AnalysisPlot::Phase);
    ASSERT_FALSE(phase.X.empty());
    for (size_t i = 0; i < phase.X.size(); ++i)
      EXPECT_NEAR(WrappedDifference(phase.Y[i], NaivePhaseDegrees(taps, phase.X[i], rateHz)), 0.0, 1e-8) << phase.X[i];
    const AnalysisCurve& delay = CurveOf(curves, AnalysisPlot::GroupDelay);
    ASSERT_FALSE(delay.X.empty());
    for (size_t i = 0; i < delay.X.size(); ++i)
      EXPECT_NEAR(delay.Y[i], NaiveGroupDelayMs(taps, delay.X[i], rateHz), 1e-5) << delay.X[i];
  }
}

TEST(AnalysisCurves, KnownResponses) {
  const int rateHz = 48000;
  {
    // A delayed impulse, 3 taps after the middle of 11: 0 dB, group delay 8 samples, the phase turning
    // by 3 samples' worth against the bulk delay.
    std::vector<double> taps(11, 0.0);
    taps[8] = 1.0;
    const AnalysisCurves curves = CurvesOfOne(taps, rateHz);
    for (double level : CurveOf(curves, AnalysisPlot::Magnitude).Y) EXPECT_NEAR(level, 0.0, 1e-12);
    for (double ms : CurveOf(curves, AnalysisPlot::GroupDelay).Y) EXPECT_NEAR(ms, 8 * 1000.0 / rateHz, 1e-12);
    const AnalysisCurve& phase = CurveOf(curves, AnalysisPlot::Phase);
    for (size_t i = 0; i < phase.X.size(); ++i)
      EXPECT_NEAR(WrappedDifference(phase.Y[i], -360.0 * phase.X[i] * 3 / rateHz), 0.0, 1e-9);
    EXPECT_EQ(CurveOf(curves, AnalysisPlot::Impulse).Y, taps);
  }
  {
    // A symmetric filter: linear phase, so the phase with its bulk delay removed is 0 or 180 and
    // the group delay is the bulk delay wherever the level is above the floor.
    const std::vector<double> taps{-0.02, 0.05, 0.3, 0.5, 0.3, 0.05, -0.02};
    const AnalysisCurves curves = CurvesOfOne(taps, rateHz);
    for (double degrees : CurveOf(curves, AnalysisPlot::Phase).Y)
      EXPECT_TRUE(std::fabs(degrees) < 1e-9 || degrees == 180.0) << degrees;
    for (double ms : CurveOf(curves, AnalysisPlot::GroupDelay).Y) EXPECT_NEAR(ms, 3 * 1000.0 / rateHz, 1e-9);
    const AnalysisCurve& step = CurveOf(curves, AnalysisPlot::Step);
    ASSERT_EQ(step.Y.size(), taps.size());
    EXPECT_DOUBLE_EQ(step.Y.back(), 1.16);
    EXPECT_DOUBLE_EQ(step.X.back(), 6 * 1000.0 / rateHz);
  }
  {
    // 0.3 - 0.5 z^-1 + 0.3 z^-2 is -0.5 + 0.6 cos(omega) about its middle tap: positive below
    // 48000 acos(5/6) / 2 pi = 4.45 kHz, negative above, so its phase reads 0 then 180 (never its
    // rounding-noise twin near -180).
    const AnalysisCurves curves = CurvesOfOne({0.3, -0.5, 0.3}, rateHz);
    const AnalysisCurve& phase = CurveOf(curves, AnalysisPlot::Phase);
    const double signChangeHz = rateHz * std::acos(5.0 / 6.0) / (2 * std::numbers::pi);
    for (size_t i = 0; i < phase.X.size(); ++i) {
      if (std::fabs(phase.X[i] - signChangeHz) < 2) continue;
      if (phase.X[i] < signChangeHz) {
        EXPECT_NEAR(phase.Y[i], 0.0, 1e-9) << phase.X[i];
      } else {
        EXPECT_NEAR(phase.Y[i], 180.0, 1e-9) << phase.X[i];  // never near -180
      }
    }
  }
}

TEST(AnalysisCurves, PhaseAndGroupDelayLeaveOutDeepNulls) {
  // 1 + z^-1 has an exact zero at the Nyquist frequency, and (1 + z^-1)^2 levels below -100 dB just
  // under it: neither phase nor group delay is drawn there, the level is (at its floor).
  const int rateHz = 8000;
  const std::vector<double> taps{1.0, 2.0, 1.0};
  const AnalysisCurves curves = CurvesOfOne(taps, rateHz);
  const AnalysisCurve& magnitude = CurveOf(curves, AnalysisPlot::Magnitude);
  EXPECT_EQ(magnitude.X.back(), 4000.0);
  EXPECT_LT(magnitude.Y.back(), -100.0);
  for (AnalysisPlot plot : {AnalysisPlot::Phase, AnalysisPlot::GroupDelay}) {
    const AnalysisCurve& curve = CurveOf(curves, plot);
    ASSERT_FALSE(curve.X.empty());
    EXPECT_LT(curve.X.back(), 4000.0);
    for (size_t i = 0; i < curve.X.size(); ++i) {
      EXPECT_GE(NaiveLevelDb(taps, curve.X[i], rateHz), PhaseFloorDb);
      EXPECT_TRUE(std::isfinite(curve.Y[i]));
    }
  }
}

TEST(AnalysisCurves, AMillionTapsDrawInAFewThousandPointsKeepingTheirPeaks) {
  const int rateHz = 44100;
  std::vector<double> taps = RandomTaps(1000001, 3);
  taps[123457] = 50.0;  // a lone peak and a lone dip in the middle of buckets
  taps[876543] = -60.0;
  const std::vector<double> mid(taps.rbegin(), taps.rend());
  const AnalysisCurves curves = ComputeAnalysisCurves({taps, mid, {}, taps}, rateHz);
  for (AnalysisPlot plot : AllAnalysisPlots) {
    for (size_t filter : {0u, 1u, 3u}) {
      const AnalysisCurve& curve = curves.Of(plot)[filter];
      SCOPED_TRACE(static_cast<int>(plot));
      EXPECT_GT(curve.X.size(), 100u);
      EXPECT_LE(curve.X.size(), 2 * AnalysisBuckets + 2);
      ASSERT_EQ(curve.X.size(), curve.Y.size());
      for (size_t i = 0; i < curve.X.size(); ++i) {
        EXPECT_TRUE(std::isfinite(curve.Y[i]));
        if (i > 0) {
          ASSERT_LT(curve.X[i - 1], curve.X[i]);
        }
      }
    }
    EXPECT_TRUE(curves.Of(plot)[2].X.empty());  // no taps, no curve
  }
  const AnalysisCurve& impulse = CurveOf(curves, AnalysisPlot::Impulse);
  EXPECT_EQ(*std::max_element(impulse.Y.begin(), impulse.Y.end()), 50.0);
  EXPECT_EQ(*std::min_element(impulse.Y.begin(), impulse.Y.end()), -60.0);
  EXPECT_NE(std::find(impulse.X.begin(), impulse.X.end(), 123457 * 1000.0 / rateHz), impulse.X.end());
  EXPECT_EQ(impulse.X.front(), 0.0);
  EXPECT_EQ(impulse.X.back(), 1000000 * 1000.0 / rateHz);
  // Every drawn point is one of the taps at its own time.
  for (size_t i = 0; i < impulse.X.size(); ++i) {
    EXPECT_EQ(impulse.Y[i], taps[static_cast<size_t>(std::llround(impulse.X[i] * rateHz / 1000.0))]);
  }
  long double total = 0;
  for (double tap : taps) total += tap;
  EXPECT_NEAR(CurveOf(curves, AnalysisPlot::Step).Y.back(), static_cast<double>(total), 1e-9);
  const AnalysisCurve& magnitude = CurveOf(curves, AnalysisPlot::Magnitude);
  EXPECT_EQ(magnitude.X.front(), 1.0);
  EXPECT_EQ(magnitude.X.back(), 22050.0);
}

TEST(AnalysisCurves, BucketEdges) {
  for (auto [from, to, buckets] : {std::tuple<size_t, size_t, size_t>{1, 22050, 1500}, {1, 3, 1500}, {1, 384000, 1500},
                                  {5, 5, 10}, {1, 100, 1}}) {
    const std::vector<size_t> edges = LogBucketEdges(from, to, buckets);
    EXPECT_EQ(edges.front(), from);
    EXPECT_EQ(edges.back(), to + 1);
    EXPECT_LE(edges.size(), buckets + 1);
    for (size_t k = 1; k < edges.size(); ++k) EXPECT_LT(edges[k - 1], edges[k]);
    if (to - from + 1 <= buckets / 20) {
      EXPECT_EQ(edges.size(), to - from + 2);  // one index each
    }
  }
  // A log cut: buckets widen with frequency, roughly by the same ratio each.
  const std::vector<size_t> edges = LogBucketEdges(1, 22050, 1500);
  // 22051^(1/1500) = 1.00668: the last bucket is about 147 Hz wide, the first ones 1 Hz.
  EXPECT_NEAR(static_cast<double>(edges[edges.size() - 1] - edges[edges.size() - 2]), 147.0, 2.0);
  EXPECT_EQ(edges[1] - edges[0], 1u);
  for (auto [count, buckets] : {std::pair<size_t, size_t>{0, 10}, {7, 10}, {1000001, 1500}, {3000, 1500}}) {
    const std::vector<size_t> even = EvenBucketEdges(count, buckets);
    if (count == 0) {
      EXPECT_TRUE(even.empty());
      continue;
    }
    EXPECT_EQ(even.front(), 0u);
    EXPECT_EQ(even.back(), count);
    EXPECT_EQ(even.size(), std::min(count, buckets) + 1);
  }
}

TEST(AnalysisCurves, KeepExtremesKeepsTheLowestAndHighestOfEachBucketInOrder) {
  const std::vector<double> values{3, 1, 4, 1, 5, 9, 2, 6, NAN, 5, 3, 5};
  const std::vector<size_t> edges{0, 4, 8, 12};
  const AnalysisCurve curve = KeepExtremes(values, edges, 0.5);
  // The first bucket keeps its first point too, the last its last (5 at 11, after its lowest 3 at 10).
  EXPECT_EQ(curve.X, (std::vector<double>{0.0, 0.5, 1.0, 2.5, 3.0, 4.5, 5.0, 5.5}));
  EXPECT_EQ(curve.Y, (std::vector<double>{3, 1, 4, 9, 2, 5, 3, 5}));
  const std::vector<unsigned char> keep{1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0};
  const AnalysisCurve kept = KeepExtremes(values, edges, 1.0, keep);
  EXPECT_EQ(kept.X, (std::vector<double>{0, 1, 2, 9}));
  EXPECT_EQ(kept.Y, (std::vector<double>{3, 1, 4, 5}));
}

TEST(AnalysisCurves, WrappedDegrees) {
  EXPECT_EQ(WrappedDegrees({1, 0}), 0.0);
  EXPECT_EQ(WrappedDegrees({-1, 0}), 180.0);
  EXPECT_EQ(WrappedDegrees({-1, -1e-12}), 180.0);  // rounding noise below the axis
  EXPECT_EQ(WrappedDegrees({-1, -0.0}), 180.0);
  EXPECT_NEAR(WrappedDegrees({0, -1}), -90.0, 1e-12);
  EXPECT_NEAR(WrappedDegrees({-1, -1e-3}), -180.0 + 0.0572958, 1e-6);
}

TEST(AnalysisCurves, RefusesARateOutOfRange) {
  const std::vector<double> taps{1.0};
  for (int rate : {7999, 768001, 0}) {
    try {
      CurvesOfOne(taps, rate);
      ADD_FAILURE() << rate;
    } catch (const UserError& error) {
      EXPECT_EQ(error.Text(), SampleRateMessage(std::to_string(rate)));
    }
  }
}
