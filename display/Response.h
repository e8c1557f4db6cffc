#pragma once

#include "numerics/CoreTypes.h"

// Magnitude response of the FIR filter coeffs[0 .. count-1] at the 950 grid points: magnitude[i] gets
// |H(f(i))|, level[i] gets (20·log10|H| + 100) / 100, unclamped. count <= 0 sums no terms.
// A magnitude of exactly 0 is stored, then raises UserError "0 による浮動小数点数除算" with level[i]
// and every later point left as they were; element 0 of both curves is never touched.
void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count);
