#include "pipeline/DesignState.h"

#include <limits>

#include "numerics/Errors.h"

int32_t MaxOfThree(int32_t a, int32_t b, int32_t c) {
  if (a < b) a = b;
  return a < c ? c : a;
}

int32_t CascadeLengthOf(int32_t shelfLength, int32_t totalTaps) {
  const int64_t length = int64_t{shelfLength} + totalTaps - 1;
  if (length > std::numeric_limits<int32_t>::max()) throw UserError(Messages::RangeCheck);
  return static_cast<int32_t>(length);
}

GraphCurves CurvesOf(const DesignState& state) {
  return {state.LowMag, state.MidMag, state.HighMag, state.SumMag,
          state.LowDb,  state.MidDb,  state.HighDb,  state.SumDb};
}
