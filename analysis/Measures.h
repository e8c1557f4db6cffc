#pragma once

#include <complex>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Measurements on a filter's taps and on its levels at every whole frequency from 0 Hz to the
// Nyquist frequency (index = Hz), the grid that FoldedSpectrum gives.

// Levels at or below this are reported as it: a magnitude under 1e-20, an exact 0 included, has no
// finite level, and every real filter's rounding noise lies far above it.
constexpr double LevelFloorDb = -400.0;

// 20 log10 |magnitude| in dB, LevelFloorDb for magnitudes below 10^(LevelFloorDb / 20).
double LevelDb(double magnitude);

// LevelDb of every bin of a spectrum.
std::vector<double> LevelsDb(std::span<const std::complex<double>> spectrum);

enum class Slope { Falling, Rising };

// The frequency in Hz nearest nearHz where the levels cross levelDb in the given direction (falling:
// from >= levelDb to below it; rising: from below to >= levelDb), interpolated linearly in dB
// between the two grid points around the crossing. Empty when the levels never cross it that way.
std::optional<double> LevelCrossingHz(std::span<const double> levelsDb, double levelDb, Slope slope, double nearHz);

struct EqualLevel {
  double Hz = 0;       // interpolated between the two grid points around the crossing
  double LevelDb = 0;  // the (interpolated) level both curves have there
};

// The frequency nearest nearHz where the two level curves (same grid) are equal, interpolated
// linearly in dB. Stretches where both lie at LevelFloorDb do not count. Empty when they never meet.
std::optional<EqualLevel> EqualLevelNear(std::span<const double> aDb, std::span<const double> bDb, double nearHz);

struct LevelSpan {
  double MinDb = 0;
  double MaxDb = 0;
};

// Smallest and largest level over the grid points f with fromHz <= f <= toHz (each clamped to the
// grid); empty when no grid point lies in that range.
std::optional<LevelSpan> LevelsBetween(std::span<const double> levelsDb, double fromHz, double toHz);

// Index of the tap with the largest magnitude (the first of equal ones); 0 for no taps.
size_t LargestTapIndex(std::span<const double> taps);

// Samples from the first tap whose magnitude reaches 60 dB below the largest tap's (|h| >= 1e-3
// max |h|) to the largest tap. 0 for no taps or all-zero taps.
int64_t PreRingingSamples(std::span<const double> taps);
