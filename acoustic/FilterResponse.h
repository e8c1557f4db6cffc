#pragma once

#include <complex>
#include <span>
#include <vector>

// The frequency response of an FIR filter with its centre delay taken out:
//   H(f) e^{j 2 pi f M / rateHz} = sum over k of coeffs[k] e^{-j 2 pi f (k - M) / rateHz},
// M = (coeffs.size() - 1) / 2 samples (a half sample for an even length), at each frequency of
// frequencyHz (any real values; rateHz > 0). A linear-phase filter comes out real. Evaluated directly
// in double, pairing the taps k and 2M - k; the angles are reduced exactly and recomputed every
// 64 taps, so the result keeps about 14 digits relative to the sum of |coeffs| at any length.
// Runs on the worker threads of RunParallel with the same result on any number of them.
// An empty filter has the response 0.
std::vector<std::complex<double>> CentredResponse(std::span<const double> coeffs,
                                                  std::span<const double> frequencyHz, int rateHz);
