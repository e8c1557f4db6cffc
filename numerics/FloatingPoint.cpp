#include "numerics/FloatingPoint.h"

#include <cfenv>
#include <cmath>

#include "numerics/Errors.h"

void RaiseZeroDivide() { throw UserError(Messages::ZeroDivide); }
void RaiseInvalidOperation() { throw UserError(Messages::InvalidOperation); }
void RaiseOverflow() { throw UserError(Messages::Overflow); }

double CheckedDivide(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) RaiseInvalidOperation();
  if (b == 0.0) {
    if (a == 0.0) RaiseInvalidOperation();
    RaiseZeroDivide();
  }
  if (std::isinf(a) && std::isinf(b)) RaiseInvalidOperation();
  return CheckFinite(a / b);
}

double CheckedSqrt(double x) {
  if (std::isnan(x) || x < 0.0) RaiseInvalidOperation();
  return std::sqrt(x);
}

double CheckedLog10(double x) {
  if (std::isnan(x) || x < 0.0) RaiseInvalidOperation();
  if (x == 0.0) RaiseZeroDivide();
  return CheckFinite(std::log10(x));
}

double CheckFinite(double x) {
  if (std::isnan(x)) RaiseInvalidOperation();
  if (std::isinf(x)) RaiseOverflow();
  return x;
}

void ClearFloatingPointFlags() { std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW); }

void CheckFloatingPointFlags() {
  const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  if (raised == 0) return;
  ClearFloatingPointFlags();
  if (raised & FE_INVALID) RaiseInvalidOperation();
  if (raised & FE_DIVBYZERO) RaiseZeroDivide();
  RaiseOverflow();
}
