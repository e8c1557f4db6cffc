#pragma once

#include <vector>

#include "numerics/Complexs.h"

// Largest prime factor above 5 that a transform length may have: the capacity of the butterfly
// work arrays.
constexpr int cMaxPrimeFactor = 1021;

// Inverse DFT scaled by 1/n: y[k] = (1/n) * sum x[j] * exp(+2*pi*i*j*k/n), k = 0 .. n-1.
// x and y hold at least n values and may be the same array; n = 0 leaves y untouched.
// Throws EMathError (Messages::FftLength) for a prime factor above cMaxPrimeFactor, before y is
// written; UserError (Messages::RangeCheck) for n < 0.
void MixedRadixFft(const Complex* x, Complex* y, int n);

// Forward DFT without scaling: y[k] = sum x[j] * exp(-2*pi*i*j*k/n). Arguments, aliasing and
// errors as for MixedRadixFft.
void ForwardFft(const Complex* x, Complex* y, int n);

// The radices of the passes for a length n >= 1, first pass first: the special radices 10, 8, 5,
// 4, 3, 2 as often as they divide (2*8 taken as 4*4), then the remaining primes, with the largest
// prime above 5 in front. 1 gives (1); n <= 0 gives an empty list.
std::vector<int> FactorizeLength(int n);
