#pragma once

#include <complex>
#include <span>
#include <vector>

// The spectrum of the coefficients folded modulo period: bins 0 .. period/2 of their period-point DFT,
// bins[b] = sum_k coeffs[k] * e^{-j 2 pi k b / period}. Since e^{-j 2 pi k b / period} depends only on
// k mod period, the coefficients are folded modulo the period and given to one real FFT of that length:
// O(N + period log period) for N taps. period is 1 .. MaxSampleRate; otherwise throws UserError
// (Messages::RangeCheck). The view lives in this thread's buffers, valid until its next call here.
// An empty filter gives all zeros; a NaN or infinite coefficient reaches every bin.
std::span<const std::complex<double>> FoldedBins(std::span<const double> coeffs, int period);

// The response of an FIR filter at every whole frequency from 0 Hz to rateHz/2 Hz:
// result[f] = H(f) = sum_k coeffs[k] * e^{-j 2 pi k f / rateHz}, f = 0 .. rateHz/2 (rateHz/2 + 1 values):
// FoldedBins with the rate as the period, copied. Thread-safe.
std::vector<std::complex<double>> FoldedSpectrum(std::span<const double> coeffs, int rateHz);

// Makes the transform FoldedBins uses for period now (numerics/FftwPlans.h), so that its first call
// does not wait for it; may run on another thread beside other work. Ignores a period out of range and
// a failure, which the transform's own call then reports.
void PrepareFoldedBins(int period);
