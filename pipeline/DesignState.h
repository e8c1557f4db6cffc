#pragma once

#include <cstdint>

#include "display/Graph.h"
#include "numerics/CoreTypes.h"

// The results of the last design: what Calc writes, what the slider handler adjusts and what the
// graph draws. A fresh instance is the program's start state: every array empty, every integer 0,
// every curve value 0.0.
struct DesignState {
  RealArray LowCoeffs;
  RealArray MidCoeffs;
  RealArray HighCoeffs;
  RealArray SumCoeffs;
  RealArray ShelfCoeffs;
  RealArray LowCascade;
  RealArray MidCascade;
  RealArray HighCascade;
  RealArray SumCascade;

  int32_t TotalTaps = 0;
  int32_t ShelfLength = 0;
  int32_t CascadeLength = 0;
  int32_t ShelfCutDb = 0;
  // The sampling rate the arrays and curves were computed at, in Hz; written by the Calc.
  int RateHz = SampleRate;

  // Counts the Calcs that have started rewriting this state, so that a record of an earlier Calc
  // can tell that the arrays are no longer the ones it describes.
  uint64_t Generation = 0;

  ResponseCurve LowMag{};
  ResponseCurve MidMag{};
  ResponseCurve HighMag{};
  ResponseCurve SumMag{};
  ResponseCurve LowDb{};
  ResponseCurve MidDb{};
  ResponseCurve HighDb{};
  ResponseCurve SumDb{};
};

// The largest of three tap counts: a is raised to b if smaller, then the larger of that and c.
int32_t MaxOfThree(int32_t a, int32_t b, int32_t c);

// Whether a Calc at this shelving cut cascades the bands with the shelf (and the graph shows the
// cascades): from 1 dB up. At 0 dB the bare bands are shown and the shelf is designed but unused.
constexpr bool CascadesWithShelf(int32_t shelfCutDb) { return shelfCutDb >= 1; }

// The shelving slider: position 0 at the top (6 dB cut) down to SliderBottom (0 dB); each step up
// adds 1 dB. The cut of a position and the position of a cut.
inline constexpr int SliderBottom = 6;
constexpr int32_t ShelfCutOfPosition(int position) { return SliderBottom - position; }
constexpr int SliderPositionOfCut(int32_t cutDb) { return SliderBottom - cutDb; }

// The length of the bands cascaded with a shelf, shelfLength + totalTaps - 1, computed in 64 bits so
// that a count near the 32-bit limit cannot wrap; raises UserError Messages::RangeCheck when it leaves
// the 32-bit range of the lengths.
int32_t CascadeLengthOf(int32_t shelfLength, int32_t totalTaps);

// The eight curves of the state, as the graph draws them: what the last Calc evaluated (the bare
// bands at a cut of 0 dB, the cascades otherwise).
GraphCurves CurvesOf(const DesignState& state);
