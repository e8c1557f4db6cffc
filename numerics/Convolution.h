#pragma once

// Full linear convolution by the direct sum: c[j] = sum over k of a[k] * b[j-k], j = 0 .. la+lb-2,
// terms added in ascending k; c[la+lb-1 .. lc-1] are set to 0. la, lb >= 1 and lc >= la+lb-1.
// The inputs are copied first, so c may share storage with a or b. Throws UserError
// (Messages::RangeCheck) before c is written when a length is negative or lc is too short; an
// empty input gives an all-zero c.
void ConvolveReal(const double* a, int la, const double* b, int lb, double* c, int lc);
