#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <span>
#include <vector>

// The curves of the analysis window, computed from a design's four exported filters (low, mid,
// high, sum) without Qt: the responses at every whole Hz, the taps and their running sum, each cut
// down to at most a few thousand points so that a filter of a million taps draws as fast as a short
// one.

enum class AnalysisPlot { Magnitude, Phase, GroupDelay, Impulse, Step };
inline constexpr std::array<AnalysisPlot, 5> AllAnalysisPlots = {AnalysisPlot::Magnitude, AnalysisPlot::Phase,
                                                                 AnalysisPlot::GroupDelay, AnalysisPlot::Impulse,
                                                                 AnalysisPlot::Step};

// Phase and group delay are left out at frequencies where a filter's level is below this: there the
// response is rounding noise, its phase arbitrary and the group delay (a ratio of two tiny numbers)
// unbounded.
constexpr double PhaseFloorDb = -100.0;

// How many buckets a curve is cut into; each keeps at most its lowest and highest point (the first
// and last buckets also the curve's ends).
constexpr size_t AnalysisBuckets = 1500;

// One drawn curve: X ascending (Hz for the frequency plots, ms for the time plots), Y in the plot's
// unit (dB, degrees, ms, tap value). Every point is one of the curve's own samples, never an average.
struct AnalysisCurve {
  std::vector<double> X, Y;
};

// The four filters of one plot, in the order low, mid, high, sum.
using AnalysisCurveSet = std::array<AnalysisCurve, 4>;

struct AnalysisCurves {
  int RateHz = 0;
  std::array<AnalysisCurveSet, 5> Plots;  // indexed by AnalysisPlot
  const AnalysisCurveSet& Of(AnalysisPlot plot) const { return Plots[static_cast<size_t>(plot)]; }
};

// The bucket boundaries of a log-spaced cut of the indices fromIndex .. toIndex (inclusive, 1 <=
// fromIndex <= toIndex): a strictly increasing list that starts at fromIndex and ends at toIndex + 1,
// at most buckets + 1 long, each bucket at least one index wide.
std::vector<size_t> LogBucketEdges(size_t fromIndex, size_t toIndex, size_t buckets);

// The same, evenly spaced over 0 .. count - 1 (an empty list for count 0).
std::vector<size_t> EvenBucketEdges(size_t count, size_t buckets);

// Keeps of values[i], for each bucket [edges[k], edges[k+1]), the lowest and the highest point (one
// when they coincide), and the first and last points of the whole curve, in index order, at
// x = i * xScale: at most 2 per bucket plus 2. Non-finite values, and those whose keep[i] is
// 0 when keep is not empty, are left out.
AnalysisCurve KeepExtremes(std::span<const double> values, std::span<const size_t> edges, double xScale,
                           std::span<const unsigned char> keep = {});

// The angle of a response in degrees, wrapped to (-180, 180]. Angles within 1e-6 degrees of -180 count
// as 180: the response of a sign-flipped band is real up to rounding noise, and that noise must not
// draw a line across the whole plot at every frequency.
double WrappedDegrees(std::complex<double> response);

// Every curve of the four filters (low, mid, high, sum; each may be empty) at rateHz (a valid sampling
// rate, see numerics/SampleRate.h):
// - Magnitude: 20 log10 |H(f)| in dB at f = 1 .. rateHz/2 Hz, log-spaced buckets.
// - Phase: the angle of H(f) e^{j 2 pi f d / rateHz} in degrees, wrapped to (-180, 180], where d =
//   (taps - 1)/2 is the filter's bulk delay, so that a linear-phase filter reads 0 or 180.
// - GroupDelay: -d(angle H)/d(omega) in ms, the bulk delay included, from the transform of n h[n]:
//   tau(f) = Re(DFT(n h[n]) / DFT(h[n])) samples.
// Both left out where the level is below PhaseFloorDb.
// - Impulse: h[n] at n * 1000 / rateHz ms; Step: the running sum of h, evenly spaced buckets.
// Throws UserError for a rate out of range.
AnalysisCurves ComputeAnalysisCurves(const std::array<std::span<const double>, 4>& filters, int rateHz,
                                     size_t buckets = AnalysisBuckets);
