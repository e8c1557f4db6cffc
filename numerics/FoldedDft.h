#pragma once

#include <complex>
#include <span>
#include <vector>

// The response of an FIR filter at every whole frequency from 0 Hz to rateHz/2 Hz:
// result[f] = H(f) = sum_k coeffs[k] * e^{-j 2 pi k f / rateHz}, f = 0 .. rateHz/2 (rateHz/2 + 1 values).
// Since f is a whole number of Hz the exponential depends only on k mod rateHz, so the coefficients are
// folded modulo the rate and given to one real FFT of length rateHz: O(N + rate log rate) for N taps.
// rateHz is 1 .. MaxSampleRate; otherwise throws UserError (Messages::RangeCheck). Thread-safe. An
// empty filter gives all zeros; a NaN or infinite coefficient reaches every bin.
std::vector<std::complex<double>> FoldedSpectrum(std::span<const double> coeffs, int rateHz);
