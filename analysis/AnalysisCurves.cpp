#include "analysis/AnalysisCurves.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>

#include "analysis/Measures.h"
#include "numerics/FoldedDft.h"
#include "numerics/SampleRate.h"

std::vector<size_t> LogBucketEdges(size_t fromIndex, size_t toIndex, size_t buckets) {
  std::vector<size_t> edges{fromIndex};
  if (buckets == 0) buckets = 1;
  const double logFrom = std::log(static_cast<double>(fromIndex));
  const double logEnd = std::log(static_cast<double>(toIndex) + 1.0);
  for (size_t k = 1; k <= buckets; ++k) {
    const double edge = std::exp(logFrom + (logEnd - logFrom) * static_cast<double>(k) / static_cast<double>(buckets));
    const size_t index = std::min(toIndex + 1, static_cast<size_t>(std::llround(edge)));
    if (index > edges.back()) edges.push_back(index);
  }
  if (edges.back() != toIndex + 1) edges.push_back(toIndex + 1);
  return edges;
}

std::vector<size_t> EvenBucketEdges(size_t count, size_t buckets) {
  if (count == 0) return {};
  if (buckets == 0) buckets = 1;
  std::vector<size_t> edges{0};
  for (size_t k = 1; k <= buckets; ++k) {
    // k * count / buckets without overflow for any realistic count.
    const size_t index = static_cast<size_t>(static_cast<unsigned __int128>(k) * count / buckets);
    if (index > edges.back()) edges.push_back(index);
  }
  return edges;
}

AnalysisCurve KeepExtremes(std::span<const double> values, std::span<const size_t> edges, double xScale,
                           std::span<const unsigned char> keep) {
  AnalysisCurve curve;
  const auto usable = [&](size_t i) { return std::isfinite(values[i]) && (keep.empty() || keep[i] != 0); };
  for (size_t k = 0; k + 1 < edges.size(); ++k) {
    const size_t none = edges[k + 1];
    size_t lowest = none, highest = none, first = none, last = none;
    for (size_t i = edges[k]; i < edges[k + 1]; ++i) {
      if (!usable(i)) continue;
      if (first == none) first = i;
      last = i;
      if (lowest == none || values[i] < values[lowest]) lowest = i;
      if (highest == none || values[i] > values[highest]) highest = i;
    }
    if (lowest == none) continue;
    // The curve's own ends stay too, so that it spans its whole range.
    std::vector<size_t> kept{lowest, highest};
    if (k == 0) kept.push_back(first);
    if (k + 2 == edges.size()) kept.push_back(last);
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    for (size_t i : kept) {
      curve.X.push_back(static_cast<double>(i) * xScale);
      curve.Y.push_back(values[i]);
    }
  }
  return curve;
}

double WrappedDegrees(std::complex<double> response) {
  const double degrees = std::atan2(response.imag(), response.real()) * 180.0 / std::numbers::pi;
  return degrees <= -180.0 + 1e-6 ? 180.0 : degrees;
}

namespace {

struct FrequencyCurves {
  AnalysisCurve Magnitude, Phase, GroupDelay;
};

FrequencyCurves FrequencyCurvesOf(std::span<const double> taps, int rateHz, size_t buckets) {
  FrequencyCurves curves;
  const size_t nyquist = static_cast<size_t>(rateHz / 2);
  if (taps.empty() || nyquist < 1) return curves;
  const std::vector<std::complex<double>> response = FoldedSpectrum(taps, rateHz);
  // The bulk delay (taps - 1)/2 is taken about the middle tap: n h[n] = (n - centre) h[n] + centre h[n]
  // keeps the weights small, so the ratio below loses no digits for a million taps.
  const int64_t last = static_cast<int64_t>(taps.size()) - 1;
  const double centre = static_cast<double>(last) / 2.0;
  std::vector<double> weighted(taps.size());
  for (size_t n = 0; n < taps.size(); ++n) weighted[n] = (static_cast<double>(n) - centre) * taps[n];
  const std::vector<std::complex<double>> weightedResponse = FoldedSpectrum(weighted, rateHz);

  std::vector<double> levels(nyquist + 1), phases(nyquist + 1), delaysMs(nyquist + 1);
  std::vector<unsigned char> audible(nyquist + 1);
  for (size_t f = 0; f <= nyquist; ++f) {
    levels[f] = LevelDb(std::abs(response[f]));
    audible[f] = levels[f] >= PhaseFloorDb ? 1 : 0;
    // e^{j 2 pi f centre / rate} = e^{j pi f last / rate}: f * last reduced modulo 2 rate in whole
    // numbers, so that the angle stays exact however long the filter.
    const int64_t turns = static_cast<int64_t>((static_cast<unsigned __int128>(f) * static_cast<uint64_t>(last)) %
                                               (2 * static_cast<uint64_t>(rateHz)));
    const double angle = std::numbers::pi * static_cast<double>(turns) / rateHz;
    const std::complex<double> aligned = response[f] * std::polar(1.0, angle);
    phases[f] = WrappedDegrees(aligned);
    const double samples = centre + (weightedResponse[f] / response[f]).real();
    delaysMs[f] = samples * 1000.0 / rateHz;
  }
  const std::vector<size_t> edges = LogBucketEdges(1, nyquist, buckets);
  curves.Magnitude = KeepExtremes(levels, edges, 1.0);
  curves.Phase = KeepExtremes(phases, edges, 1.0, audible);
  curves.GroupDelay = KeepExtremes(delaysMs, edges, 1.0, audible);
  return curves;
}

}  // namespace

AnalysisCurves ComputeAnalysisCurves(const std::array<std::span<const double>, 4>& filters, int rateHz, size_t buckets) {
  RequireSampleRate(rateHz);
  AnalysisCurves curves;
  curves.RateHz = rateHz;
  const double msPerSample = 1000.0 / rateHz;
  for (size_t filter = 0; filter < filters.size(); ++filter) {
    const std::span<const double> taps = filters[filter];
    FrequencyCurves frequency = FrequencyCurvesOf(taps, rateHz, buckets);
    curves.Plots[static_cast<size_t>(AnalysisPlot::Magnitude)][filter] = std::move(frequency.Magnitude);
    curves.Plots[static_cast<size_t>(AnalysisPlot::Phase)][filter] = std::move(frequency.Phase);
    curves.Plots[static_cast<size_t>(AnalysisPlot::GroupDelay)][filter] = std::move(frequency.GroupDelay);

    const std::vector<size_t> edges = EvenBucketEdges(taps.size(), buckets);
    curves.Plots[static_cast<size_t>(AnalysisPlot::Impulse)][filter] = KeepExtremes(taps, edges, msPerSample);
    // The running sum in long double: a million small terms keep their last digits.
    std::vector<double> step(taps.size());
    long double running = 0;
    for (size_t n = 0; n < taps.size(); ++n) step[n] = static_cast<double>(running += taps[n]);
    curves.Plots[static_cast<size_t>(AnalysisPlot::Step)][filter] = KeepExtremes(step, edges, msPerSample);
  }
  return curves;
}
