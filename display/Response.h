#pragma once

#include "numerics/CoreTypes.h"

// Magnitude response of the FIR filter coeffs[0 .. count-1] at the 950 grid points: magnitude[i] gets
// |H(f(i))|, level[i] gets (20·log10|H| + 100) / 100, unclamped. count <= 0 sums no terms.
// A magnitude of exactly 0 is stored, then raises UserError "0 による浮動小数点数除算" with level[i]
// and every later point left as they were; element 0 of both curves is never touched.
// The points are split over the worker threads (numerics/ParallelWork.h), whose progress it reports;
// each point's sum runs in ascending k with the cosine and sine of the exactly reduced angle, so the
// result is the same however the points are split.
void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count);

// The same curves by the literal per-term evaluation: cosine and sine of the unreduced extended
// angle 2·k·π·f / 44100 for every term. Slow; the fast evaluation is checked against it.
void EvaluateResponseReference(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level,
                               int count);

// Magnitudes |H(f(i))| of coeffs[0 .. count-1] for the grid points firstPoint .. lastPoint (within
// 1 .. 950) into magnitudes[0 .. lastPoint-firstPoint], as EvaluateResponse computes each of them;
// an overflowing sum gives infinity or NaN here, for the caller to refuse. count <= 0 gives zeros.
void EvaluateMagnitudes(const RealArray& coeffs, int count, int firstPoint, int lastPoint, double* magnitudes);

// Work units (multiply-adds of one grid point's sum) that EvaluateResponse reports for count taps.
double ResponseWork(int count);
