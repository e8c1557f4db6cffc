#pragma once

#include "numerics/CoreTypes.h"

// Tap count of the shelving filter: 5 * 241, a length the mixed-radix FFT takes directly.
constexpr int ShelfLength = 1205;

// Desired linear gain at f Hz of a shelf that is 1 up to f1 (inclusive), 10^(-a/20) from f2 on
// (inclusive), and a straight line in dB over log frequency between them; a is the cut in dB.
// Throws UserError when the ramp is reached with f1 <= 0 or a result leaves the double range.
double ShelfGain(double f, double f1, double f2, int a);

// The linear-phase shelving filter of ShelfLength taps (main lobe at index 602), designed by
// frequency sampling on the ShelfLength-point DFT grid (bins rateHz / ShelfLength Hz apart) and
// tapered by a Kaiser window of beta 4. f1 >= 40 Hz and f2 >= 2 * f1 are the corners in Hz, a
// (0 .. 6) the cut in dB. coeffs must already hold ShelfLength elements; a shorter array throws
// UserError (Messages::RangeCheck) and a rate outside MinSampleRate .. MaxSampleRate UserError
// (SampleRateMessage), coeffs untouched.
void DesignShelf(double f1, double f2, int a, int rateHz, RealArray& coeffs);
