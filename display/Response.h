#pragma once

#include <functional>
#include <span>

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

// One curve pair to fill from a filter's coefficients.
struct ResponseTarget {
  const RealArray& coeffs;
  ResponseCurve& magnitude;
  ResponseCurve& level;
};

// EvaluateResponse for each target in turn, every filter summed over count coefficients: all are
// computed in one pass that shares the angle look-ups, then stored in order, each by the failure rule
// above, so a failing target leaves the later ones untouched. stored runs after each target is stored.
void EvaluateResponses(std::span<const ResponseTarget> targets, int count, const std::function<void()>& stored = {});

// Magnitudes |H(f(i))| of filters[c][0 .. count-1] for the grid points firstPoint .. lastPoint (within
// 1 .. 950) into magnitudes[c][0 .. lastPoint-firstPoint], as EvaluateResponse computes each of
// them; an overflowing sum gives infinity or NaN here, for the caller to refuse. count <= 0 gives zeros.
void EvaluateMagnitudes(std::span<const RealArray* const> filters, int count, int firstPoint, int lastPoint,
                        std::span<double* const> magnitudes);

// Work units (terms of the grid points' sums) that EvaluateResponse reports for one filter of count taps.
double ResponseWork(int count);
