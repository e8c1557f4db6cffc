#pragma once

// Floating-point faults are errors of the tool, never silent NaN or infinity and never signals.
// The checked operations below raise UserError with the tool's texts where IEEE arithmetic would
// produce an infinity or a NaN; the sticky-flag pair catches whatever a stage computed unchecked.

[[noreturn]] void RaiseZeroDivide();
[[noreturn]] void RaiseInvalidOperation();
[[noreturn]] void RaiseOverflow();

// a / b. b == 0 is a division by zero for a != 0 and an invalid operation for a == 0;
// a finite quotient that overflows is an overflow.
double CheckedDivide(double a, double b);

// Square root; a negative argument is an invalid operation.
double CheckedSqrt(double x);

// Common logarithm; 0 is a division by zero, a negative argument an invalid operation.
double CheckedLog10(double x);

// Returns x when finite; an infinity is an overflow, a NaN an invalid operation.
double CheckFinite(double x);

// Clears the sticky invalid, division-by-zero and overflow flags of this thread.
void ClearFloatingPointFlags();

// Raises the error for the first sticky flag set since the last clear (invalid operation first,
// then division by zero, then overflow) and clears the flags; returns quietly when none is set.
void CheckFloatingPointFlags();
