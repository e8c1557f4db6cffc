#pragma once

#include <span>
#include <vector>

// The slope of the level beyond the measured range is held within +-MaxTailOrder (in powers of f,
// 6.0206 dB an octave each): steeper ends are noise, not a driver.
constexpr double MaxTailOrder = 6.0;

// The minimum phase, in degrees, of a magnitude known at measured points: frequencyHz positive and
// strictly increasing (at least 2 points), levelDb finite, one per frequency. Returns one phase per
// point, continuous (not wrapped).
//
// The level is taken as linear in log frequency between the points, like every measured curve of
// the tool, and as continuing with the slope of its end third of an octave beyond the measured range
// (that slope limited to +-MaxTailOrder times 20 dB a decade), since a driver keeps rolling off
// below and above its measurement. The phase is Bode's relation
//   phi(u0) = 1/pi * integral dL/du * ln coth(|u - u0| / 2) du,   u = ln f, L = ln |H|,
// evaluated with L linear between nodes of a dense log-spaced grid (1/384 octave, at most
// 131073 nodes), the kernel integrated exactly over each grid cell and over the two tails, and the
// sum over the cells as one FFT convolution.
std::vector<double> MinimumPhaseDeg(std::span<const double> frequencyHz, std::span<const double> levelDb);

// The integral of ln coth(|v|/2) from 0 to x, in closed form; odd in x, +-pi^2/4 at +-infinity.
double LnCothIntegral(double x);
