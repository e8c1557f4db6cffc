#pragma once

#include "numerics/CoreTypes.h"

// The three crossover bands: ideal impulse responses around the centre tap c = l/2, weighted by a
// Kaiser window of span l-1 and shape beta. l is the odd, positive tap count; frequencies are in
// Hz at the sampling rate rateHz and are taken as given (0, above rateHz / 2, reversed edges). A
// count of 1 is a window of span 0 and throws UserError (Messages::InvalidOperation); a negative
// count throws UserError (Messages::RangeCheck); a count of 0 gives an empty array. A rate outside
// MinSampleRate .. MaxSampleRate throws UserError (SampleRateMessage) before any tap is computed.

// The cost of one tap (a window weight: two 30-term Bessel series in extended precision, and a sine)
// in multiply-adds of a convolution, as the designs report their progress (numerics/ParallelWork.h);
// their taps are split over the worker threads, which changes no bit.
inline constexpr double BandTapWork = 4000;

// Low-pass with cutoff fl: l taps.
RealArray DesignLowPass(int l, double fl, double beta, int rateHz);

// Band-pass from the lower edge fa to the upper edge fb: l taps.
RealArray DesignBandPass(int l, double fa, double fb, double beta, int rateHz);

// High-pass with cutoff fh, the low-pass at rateHz / 2 - fh Hz shifted by (-1)^k: l taps.
RealArray DesignHighPass(int l, double fh, double beta, int rateHz);

// The band in the middle of t elements (centre tap at t/2), zeros around it; t >= band.size().
// Throws UserError (Messages::RangeCheck) for a t that is negative or shorter than the band.
RealArray CentreBand(const RealArray& band, int t);

// Element-wise (a[i] + b[i]) + c[i] for i = 0 .. n-1. Throws UserError (Messages::RangeCheck) for
// a negative n or an array shorter than n.
RealArray SumBands(const RealArray& a, const RealArray& b, const RealArray& c, int n);

// The "adjust coefficient" step: mid[i] = (mid[i] + d[i]) - s[i] with d the unit impulse at t/2 and
// s the sum of the three centred bands, so that low + mid + high becomes a pure delay. low and high
// are left as they are. Throws UserError (Messages::RangeCheck), mid untouched, for a negative t or
// a mid or s shorter than t.
void AdjustMidBand(const RealArray& low, RealArray& mid, const RealArray& high, const RealArray& s, int t);
