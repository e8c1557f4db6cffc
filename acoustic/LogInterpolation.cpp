#include "acoustic/LogInterpolation.h"

#include <algorithm>
#include <cmath>

LogPosition LocateLogFrequency(std::span<const double> frequencyHz, double f) {
  const size_t last = frequencyHz.size() - 1;
  if (f <= frequencyHz.front()) return {0, 0.0};
  if (f >= frequencyHz.back()) return {last - 1, 1.0};
  // The first point above f; the one before it is at or below f.
  const size_t above = static_cast<size_t>(std::upper_bound(frequencyHz.begin(), frequencyHz.end(), f) -
                                           frequencyHz.begin());
  const size_t below = above - 1;
  // log1p of the relative step keeps the weight exact for points very close together; for points
  // far apart the step may overflow (1e-300 to 1e300 Hz), where differences of logs are exact enough.
  const double base = frequencyHz[below];
  const double step = (frequencyHz[above] - base) / base;
  const double weight = step < 1.0 ? std::log1p((f - base) / base) / std::log1p(step)
                                   : (std::log(f) - std::log(base)) / (std::log(frequencyHz[above]) - std::log(base));
  return {below, std::clamp(weight, 0.0, 1.0)};
}

double ValueAt(std::span<const double> values, LogPosition position) {
  const double a = values[position.Index];
  const double b = values[position.Index + 1];
  if (position.Weight == 0.0) return a;
  if (position.Weight == 1.0) return b;
  return a + position.Weight * (b - a);
}
