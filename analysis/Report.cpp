#include "analysis/Report.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "analysis/Measures.h"
#include "design/LengthEstimate.h"
#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "numerics/FoldedDft.h"

namespace {

using Spectrum = std::vector<std::complex<double>>;

// The levels a band's -3 dB and -6 dB frequencies are taken at.
constexpr double cHalfPowerDb = -3.0;
constexpr double cHalfAmplitudeDb = -6.0;

FilterReport MeasureFilter(std::span<const double> taps, const std::vector<double>& levels, int rateHz) {
  FilterReport report;
  report.Taps = static_cast<int64_t>(taps.size());
  report.LatencySamples = (static_cast<double>(taps.size()) - 1) / 2;
  report.LatencyMs = report.LatencySamples / rateHz * 1000;
  const auto peak = std::max_element(levels.begin(), levels.end());
  report.PeakGainDb = *peak;
  report.PeakHz = static_cast<int>(peak - levels.begin());
  report.PreRingingSamples = PreRingingSamples(taps);
  report.PreRingingMs = static_cast<double>(report.PreRingingSamples) / rateHz * 1000;
  return report;
}

EdgeReport MeasureEdge(const std::vector<double>& levels, double cutoffHz, Band shapedBy, int64_t shapingTaps,
                       Slope slope, const ReportInput& input) {
  EdgeReport edge;
  edge.CutoffHz = cutoffHz;
  edge.ShapedBy = shapedBy;
  edge.ShapingTaps = shapingTaps;
  edge.TransitionWidthHz = KaiserTransitionWidthHz(input.AttenuationDb, shapingTaps, input.RateHz);
  edge.Minus3DbHz = LevelCrossingHz(levels, cHalfPowerDb, slope, cutoffHz);
  edge.Minus6DbHz = LevelCrossingHz(levels, cHalfAmplitudeDb, slope, cutoffHz);
  return edge;
}

// A range clamped to 0 .. nyquistHz; empty when nothing of it is left.
std::optional<FrequencyRange> Clamped(double fromHz, double toHz, double nyquistHz) {
  const FrequencyRange range{std::max(fromHz, 0.0), std::min(toHz, nyquistHz)};
  if (!(range.FromHz <= range.ToHz)) return std::nullopt;
  return range;
}

// Ripple and attenuation over the band's pass and stop bands, placed by its edges.
void MeasureRegions(BandReport& band, const std::vector<double>& levels, double nyquistHz) {
  const double passFrom = band.LowerEdge ? band.LowerEdge->CutoffHz + band.LowerEdge->TransitionWidthHz / 2 : 0.0;
  const double passTo = band.UpperEdge ? band.UpperEdge->CutoffHz - band.UpperEdge->TransitionWidthHz / 2 : nyquistHz;
  band.PassBand = Clamped(passFrom, passTo, nyquistHz);
  if (band.LowerEdge) {
    const auto stop = Clamped(0.0, band.LowerEdge->CutoffHz - band.LowerEdge->TransitionWidthHz / 2, nyquistHz);
    if (stop) band.StopBands.push_back(*stop);
  }
  if (band.UpperEdge) {
    const auto stop = Clamped(band.UpperEdge->CutoffHz + band.UpperEdge->TransitionWidthHz / 2, nyquistHz, nyquistHz);
    if (stop) band.StopBands.push_back(*stop);
  }
  if (band.PassBand) {
    if (const auto span = LevelsBetween(levels, band.PassBand->FromHz, band.PassBand->ToHz)) {
      band.PassBandRippleDb = span->MaxDb - span->MinDb;
    }
  }
  for (const FrequencyRange& stop : band.StopBands) {
    if (const auto span = LevelsBetween(levels, stop.FromHz, stop.ToHz)) {
      const double attenuation = -span->MaxDb;
      band.StopBandAttenuationDb = std::min(band.StopBandAttenuationDb.value_or(attenuation), attenuation);
    }
  }
}

CrossoverReport MeasureCrossover(const std::vector<double>& a, const std::vector<double>& b, double nearHz) {
  CrossoverReport crossover;
  crossover.NearHz = nearHz;
  if (const auto equal = EqualLevelNear(a, b, nearHz)) {
    crossover.Hz = equal->Hz;
    crossover.LevelDb = equal->LevelDb;
  }
  return crossover;
}

// max over the grid of |level(s) - level(t)|, the magnitude deviation in dB.
double LargestDeviationDb(const Spectrum& sum, const std::vector<double>& targetLevels) {
  double largest = 0;
  for (size_t f = 0; f < sum.size(); ++f) {
    largest = std::max(largest, std::fabs(LevelDb(std::abs(sum[f])) - targetLevels[f]));
  }
  return largest;
}

// The value a 32-bit float file holds for x (rounded to nearest); beyond the float range it would
// be infinite, which is an overflow.
double AsFloat32(double x) {
  if (!(std::fabs(x) <= std::numeric_limits<float>::max())) RaiseOverflow();
  return static_cast<float>(x);
}

}  // namespace

const char* BandName(Band band) {
  switch (band) {
    case Band::Low: return "low";
    case Band::Mid: return "mid";
    case Band::High: return "high";
  }
  return "";
}

const char* FilterName(size_t filter) {
  constexpr const char* names[] = {"low", "mid", "high", "sum"};
  return filter < std::size(names) ? names[filter] : "";
}

DesignReport ComputeReport(const ReportInput& input) {
  if (!IsSampleRate(input.RateHz)) throw UserError(Messages::RangeCheck);
  const size_t length = input.Sum.size();
  const std::span<const double> exported[] = {input.Low, input.Mid, input.High, input.Sum};
  const std::span<const double> bare[] = {input.BareLow, input.BareMid, input.BareHigh};
  const double unitImpulse[] = {1.0};
  const std::span<const double> shelf = input.Shelf.empty() ? std::span<const double>(unitImpulse) : input.Shelf;
  const bool lengthsHold =
      length > 0 && std::all_of(std::begin(exported), std::end(exported), [&](auto f) { return f.size() == length; }) &&
      std::all_of(std::begin(bare), std::end(bare), [&](auto b) { return b.size() == input.BareLow.size(); }) &&
      length >= shelf.size() && (length - shelf.size()) % 2 == 0;
  if (!lengthsHold) throw UserError(Messages::RangeCheck);

  const int rate = input.RateHz;
  const double nyquistHz = rate / 2;
  DesignReport report;
  report.RateHz = rate;
  report.AttenuationAskedDb = input.AttenuationDb;

  std::array<Spectrum, 4> spectra;
  for (size_t k = 0; k < 4; ++k) {
    spectra[k] = FoldedSpectrum(exported[k], rate);
    report.Filters[k] = MeasureFilter(exported[k], LevelsDb(spectra[k]), rate);
  }

  std::array<std::vector<double>, 3> bareLevels;
  for (size_t k = 0; k < 3; ++k) bareLevels[k] = LevelsDb(FoldedSpectrum(bare[k], rate));

  // With "adjust coefficient" the mid band is what the others leave, so its edges are theirs.
  const bool remainder = input.MidShape == MidBandShape::Remainder;
  BandReport& low = report.Bands[0];
  BandReport& mid = report.Bands[1];
  BandReport& high = report.Bands[2];
  low.UpperEdge = MeasureEdge(bareLevels[0], input.LowCutHz, Band::Low, input.LowTaps, Slope::Falling, input);
  mid.LowerEdge = MeasureEdge(bareLevels[1], input.MidLowHz, remainder ? Band::Low : Band::Mid,
                              remainder ? input.LowTaps : input.MidTaps, Slope::Rising, input);
  mid.UpperEdge = MeasureEdge(bareLevels[1], input.MidHighHz, remainder ? Band::High : Band::Mid,
                              remainder ? input.HighTaps : input.MidTaps, Slope::Falling, input);
  high.LowerEdge = MeasureEdge(bareLevels[2], input.HighCutHz, Band::High, input.HighTaps, Slope::Rising, input);
  for (size_t k = 0; k < 3; ++k) {
    report.Bands[k].AttenuationAskedDb = input.AttenuationDb;
    MeasureRegions(report.Bands[k], bareLevels[k], nyquistHz);
  }

  report.LowMid = MeasureCrossover(bareLevels[0], bareLevels[1], (input.LowCutHz + input.MidLowHz) / 2);
  report.MidHigh = MeasureCrossover(bareLevels[1], bareLevels[2], (input.MidHighHz + input.HighCutHz) / 2);

  // The target: the shelving filter (or a unit impulse) placed so that its centre meets the sum's.
  SumReport& sum = report.Sum;
  sum.ShelfTarget = !input.Shelf.empty();
  const size_t offset = (length - shelf.size()) / 2;
  sum.TargetDelaySamples = static_cast<double>(offset);
  const std::vector<double> targetLevels = LevelsDb(FoldedSpectrum(shelf, rate));
  sum.DeviationDb = LargestDeviationDb(spectra[3], targetLevels);
  std::vector<double> rounded(length);
  for (size_t n = 0; n < length; ++n) {
    rounded[n] = (AsFloat32(input.Low[n]) + AsFloat32(input.Mid[n])) + AsFloat32(input.High[n]);
  }
  sum.DeviationFloat32Db = LargestDeviationDb(FoldedSpectrum(rounded, rate), targetLevels);
  for (size_t n = 0; n < length; ++n) {
    const double target = n >= offset && n - offset < shelf.size() ? shelf[n - offset] : 0.0;
    sum.LargestTapDifference = std::max(sum.LargestTapDifference, std::fabs(input.Sum[n] - target));
  }
  return report;
}
