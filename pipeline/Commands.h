#pragma once

#include <cstdint>

#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

// The largest tap count whose arrays a Calc may ask for: 2^24 - 1 taps make arrays of 128 MiB, of
// which one cascaded Calc holds about ten at its peak (about 1.3 GiB). A larger count is refused with
// the range-check error when its array is sized, so that no request ends in an out-of-memory kill.
inline constexpr int32_t MaxTapCount = 16777215;

struct NormalizedTaps {
  int32_t count;   // odd: (p div 2) * 2 + 1, div truncating toward zero
  int32_t centre;  // count div 2, truncating
};

// Reads an integer tap field, forces the count odd and writes its decimal text back into the field.
// 900 becomes 901; 0, 1 and -1 give 1; -2 and -3 give -1. Raises UserError for a non-integer text.
NormalizedTaps NormalizeTapCount(FieldAccess& fields, Field field);

// The largest linear magnitude of any single band on the grid (the sum curve takes no part), the
// value the CMax label shows. 0 for curves that are all zero.
double ComputeCMax(const DesignState& state);

// Calc: validates the shelving corners, designs the shelf and the three bands at the fields' rate
// (a rate outside MinSampleRate .. MaxSampleRate fails with SampleRateMessage), cascades them when
// the cut is at least 1 dB, evaluates the four responses, writes CMax and the total length and
// redraws. Returns what happened; never raises. A corner out of range is refused (its message shown,
// the field corrected, nothing else touched). An error or a cancel stops it part way: whatever was
// written before stays, and the error's text is the outcome's message, not yet shown.
[[nodiscard]] CalcOutcome CalcCommand(FieldAccess& fields, DesignState& state);

// The Kaiser length estimate at the fields' rate: reads Edit6, Edit7, Edit8 and writes Label18 and Label20. Raises
// UserError for a field that is not a number, for equal band edges (after Label18 is written) and
// for values whose results cannot be held in their integers.
void LengthEstimateCommand(FieldAccess& fields);
