#include "analysis/Measures.h"

#include <algorithm>
#include <cmath>

namespace {

// Magnitudes below this have no level above LevelFloorDb.
const double cFloorMagnitude = std::pow(10.0, LevelFloorDb / 20);

// The interpolated point between grid points k and k + 1 where a line through (k, a) and (k + 1, b)
// reaches target; a != b.
double Interpolated(size_t k, double a, double b, double target) {
  return static_cast<double>(k) + (target - a) / (b - a);
}

// Keeps the candidate nearer to nearHz (the lower one of two equally near).
void KeepNearest(std::optional<double>& best, double candidate, double nearHz) {
  if (!best || std::fabs(candidate - nearHz) < std::fabs(*best - nearHz)) best = candidate;
}

}  // namespace

double LevelDb(double magnitude) {
  const double size = std::fabs(magnitude);
  if (!(size >= cFloorMagnitude)) return LevelFloorDb;
  return std::max(LevelFloorDb, 20 * std::log10(size));
}

std::vector<double> LevelsDb(std::span<const std::complex<double>> spectrum) {
  std::vector<double> levels(spectrum.size());
  for (size_t f = 0; f < spectrum.size(); ++f) levels[f] = LevelDb(std::abs(spectrum[f]));
  return levels;
}

std::optional<double> LevelCrossingHz(std::span<const double> levelsDb, double levelDb, Slope slope, double nearHz) {
  std::optional<double> best;
  for (size_t k = 0; k + 1 < levelsDb.size(); ++k) {
    const double a = levelsDb[k];
    const double b = levelsDb[k + 1];
    const bool crosses = slope == Slope::Falling ? (a >= levelDb && b < levelDb) : (a < levelDb && b >= levelDb);
    if (crosses) KeepNearest(best, Interpolated(k, a, b, levelDb), nearHz);
  }
  return best;
}

std::optional<EqualLevel> EqualLevelNear(std::span<const double> aDb, std::span<const double> bDb, double nearHz) {
  const size_t count = std::min(aDb.size(), bDb.size());
  const auto floored = [&](size_t k) { return aDb[k] <= LevelFloorDb && bDb[k] <= LevelFloorDb; };
  std::optional<double> best;
  for (size_t k = 0; k < count; ++k) {
    if (floored(k)) continue;
    const double d = aDb[k] - bDb[k];
    if (d == 0) {
      KeepNearest(best, static_cast<double>(k), nearHz);
      continue;
    }
    if (k + 1 >= count || floored(k + 1)) continue;
    const double next = aDb[k + 1] - bDb[k + 1];
    if ((d < 0 && next > 0) || (d > 0 && next < 0)) KeepNearest(best, Interpolated(k, d, next, 0.0), nearHz);
  }
  if (!best) return std::nullopt;
  const size_t k = static_cast<size_t>(*best);
  const double fraction = *best - static_cast<double>(k);
  const double level = fraction == 0 ? aDb[k] : aDb[k] + fraction * (aDb[k + 1] - aDb[k]);
  return EqualLevel{*best, level};
}

std::optional<LevelSpan> LevelsBetween(std::span<const double> levelsDb, double fromHz, double toHz) {
  if (levelsDb.empty() || !(fromHz <= toHz)) return std::nullopt;
  const double last = static_cast<double>(levelsDb.size() - 1);
  const double first = std::ceil(std::max(fromHz, 0.0));
  const double end = std::floor(std::min(toHz, last));
  if (first > end) return std::nullopt;
  LevelSpan span{levelsDb[static_cast<size_t>(first)], levelsDb[static_cast<size_t>(first)]};
  for (size_t f = static_cast<size_t>(first); f <= static_cast<size_t>(end); ++f) {
    span.MinDb = std::min(span.MinDb, levelsDb[f]);
    span.MaxDb = std::max(span.MaxDb, levelsDb[f]);
  }
  return span;
}

size_t LargestTapIndex(std::span<const double> taps) {
  size_t largest = 0;
  for (size_t n = 1; n < taps.size(); ++n)
    if (std::fabs(taps[n]) > std::fabs(taps[largest])) largest = n;
  return largest;
}

int64_t PreRingingSamples(std::span<const double> taps) {
  if (taps.empty()) return 0;
  const size_t largest = LargestTapIndex(taps);
  const double threshold = std::fabs(taps[largest]) * 1e-3;
  if (threshold == 0) return 0;
  size_t first = 0;
  while (std::fabs(taps[first]) < threshold) ++first;
  return static_cast<int64_t>(largest - first);
}
