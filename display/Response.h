#pragma once

#include <functional>
#include <span>

#include "numerics/CoreTypes.h"

// Magnitude response of the FIR filter coeffs[0 .. count-1] at the 950 grid points for a sampling rate
// of rateHz (MinSampleRate .. MaxSampleRate; otherwise UserError "範囲チェックエラー"): magnitude[i]
// gets |H(f(i))| with H(f) = sum_k coeffs[k]·e^{-j 2π k f / rateHz}, level[i] gets
// (20·log10|H| + 100) / 100, unclamped. count <= 0 sums no terms.
// A magnitude of exactly 0 is stored, then raises UserError "0 による浮動小数点数除算" with level[i]
// and every later point left as they were; a magnitude beyond the double range raises
// "浮動小数点数のオーバーフロー" and a NaN "不正な浮動小数点数演算命令", that point and every later one
// untouched. Element 0 of both curves is never touched.
// Every grid frequency is an even number of hertz, so with an even rate H(f) is bin f/2 mod rateHz/2
// of the (rateHz/2)-point DFT of the coefficients folded modulo rateHz/2 (numerics/FoldedDft.h); with
// an odd rate, bin f mod rateHz of the rate-point one: O(count + rate·log rate) per filter, within
// 1e-12 absolute of the literal evaluation below. The result does not depend on the
// number of worker threads.
void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count,
                      int rateHz);

// The same curves by the literal per-term evaluation: cosine and sine of the unreduced extended
// angle 2·k·π·f / rateHz for every term, 950·count of them. Slow; the fast evaluation is checked
// against it.
void EvaluateResponseReference(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count,
                               int rateHz);

// One curve pair to fill from a filter's coefficients.
struct ResponseTarget {
  const RealArray& coeffs;
  ResponseCurve& magnitude;
  ResponseCurve& level;
};

// EvaluateResponse for each target in turn, every filter summed over count coefficients: the filters are
// transformed side by side on the worker threads (numerics/ParallelWork.h), whose progress it reports in
// ResponseWork units per filter, then stored in order, each by the failure rule above, so a failing
// target leaves the later ones untouched. stored runs after each target is stored.
void EvaluateResponses(std::span<const ResponseTarget> targets, int count, int rateHz,
                       const std::function<void()>& stored = {});

// Magnitudes |H(f(i))| of filters[c][0 .. count-1] for the grid points firstPoint .. lastPoint (within
// 1 .. 950) into magnitudes[c][0 .. lastPoint-firstPoint], as EvaluateResponse computes each of
// them; a magnitude beyond the double range gives infinity here, for the caller to refuse. count <= 0
// gives zeros.
void EvaluateMagnitudes(std::span<const RealArray* const> filters, int count, int rateHz, int firstPoint,
                        int lastPoint, std::span<double* const> magnitudes);

// Work units (additions of the folding and of the transform) that EvaluateResponses reports for one
// filter of count taps at rateHz.
double ResponseWork(int count, int rateHz);

// Makes the transform the responses at rateHz use, so that EvaluateResponses does not wait for it; may
// run on another thread while the filters are designed. Does nothing for a rate out of range.
void PrepareResponses(int rateHz);

// How far a linear-phase filter lies from a pure delay of D = (length - 1) / 2 samples (a half sample
// for an even length), on the grid at rateHz. Errors are linear (not dB); 0 means exact.
struct DelayDeviation {
  double LargestTapError = 0.0;       // max |s[n] - unit impulse at the centre|
  double LargestResponseError = 0.0;  // max over the grid of |H(f) - e^(-j 2 pi f D / rate)|
  double LargestMagnitudeDb = 0.0;    // max over the grid of |20 log10 |H(f)||
  bool VanishesOnGrid = false;        // |H(f)| is exactly 0 at some grid point (then LargestMagnitudeDb is unset)
  int VanishingHz = 0;
};

// The deviation of the finite taps from a pure delay. The response comes from the folded spectrum
// (numerics/FoldedDft.h) of the taps less the unit impulse at the centre, so a deviation far below the
// double precision of H itself is measured to its own precision; the delay's phase is reduced exactly
// as an integer modulo twice the rate. rateHz is MinSampleRate .. MaxSampleRate, else UserError
// SampleRateMessage. progress is told 0 .. 1 as the grid is walked; what it raises ends the measure.
DelayDeviation MeasureDelayDeviation(std::span<const double> taps, int rateHz,
                                     const std::function<void(double fraction)>& progress = {});
