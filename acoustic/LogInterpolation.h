#pragma once

#include <cstddef>
#include <span>

// Where a frequency falls among the points of a measurement, for values interpolated linearly in
// log frequency: value = v[Index] + Weight * (v[Index + 1] - v[Index]). Outside the measured range
// the nearest end point is held (Weight 0 at the first point, 1 at the last).
struct LogPosition {
  std::size_t Index = 0;
  double Weight = 0.0;
};

// frequencyHz: positive and strictly increasing, at least 2 points; f: a positive frequency in Hz.
LogPosition LocateLogFrequency(std::span<const double> frequencyHz, double f);

// The value at a located position; values has one element per measured frequency.
double ValueAt(std::span<const double> values, LogPosition position);
