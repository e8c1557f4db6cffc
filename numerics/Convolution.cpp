#include "numerics/Convolution.h"

#include <algorithm>
#include <cstdint>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"

void ConvolveReal(const double* a, int la, const double* b, int lb, double* c, int lc) {
  if (la < 0 || lb < 0 || lc < 0) throw UserError(Messages::RangeCheck);
  const int64_t fullLength = (la == 0 || lb == 0) ? 0 : int64_t{la} + lb - 1;
  if (lc < fullLength) throw UserError(Messages::RangeCheck);
  const int full = static_cast<int>(fullLength);

  const RealArray xa(a, a + la);
  const RealArray xb(b, b + lb);
  std::fill(c, c + lc, 0.0);
  for (int n = 0; n < full; ++n) {
    // Only the terms inside both sequences; the zero-extended ones add nothing.
    const int first = std::max(0, n - lb + 1);
    const int last = std::min(n, la - 1);
    double sum = 0.0;
    for (int k = first; k <= last; ++k) {
      // Each product joins the running sum in extended precision; the sum is rounded per step.
      sum = static_cast<double>(static_cast<long double>(xa[k]) * xb[n - k] + sum);
    }
    c[n] = sum;
  }
}
