#pragma once

#include <complex>

#include "numerics/CoreTypes.h"

// |H(f)| of the taps at frequencyHz (at the rate rateHz) by the plain DFT sum, in extended precision.
inline double Magnitude(const RealArray& taps, double frequencyHz, int rateHz = 44100) {
  std::complex<long double> sum = 0;
  const long double step = -2 * 3.141592653589793238463L * frequencyHz / rateHz;
  for (size_t n = 0; n < taps.size(); ++n) sum += static_cast<long double>(taps[n]) * std::polar(1.0L, step * n);
  return static_cast<double>(std::abs(sum));
}
