#include "display/Response.h"

#include <cmath>

#include "numerics/FloatingPoint.h"

namespace {

constexpr long double cPi = 3.141592653589793238462643383279502884L;

// The angle 2·k·π·f / 44100 in extended precision, products left to right and the division last.
// The lower grid enters its frequency as i·2 so that the product order matches the 2 Hz steps.
long double Angle(int k, int i) {
  if (i <= 500) return static_cast<long double>(k) * 2 * cPi * i * 2 / SampleRate;
  return static_cast<long double>(k) * 2 * cPi * GridFrequency(i) / SampleRate;
}

}  // namespace

void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count) {
  for (int i = 1; i <= GridPointCount; ++i) {
    double re = 0.0;
    double im = 0.0;
    for (int k = 0; k < count; ++k) {
      // The angle goes unreduced to cosine and sine; each is rounded to double, and the product with
      // the coefficient is carried unrounded into the sum, which is rounded to double every step.
      const double c = static_cast<double>(std::cos(Angle(k, i)));
      const double s = static_cast<double>(std::sin(Angle(k, i)));
      re = static_cast<double>(static_cast<long double>(coeffs[k]) * c + re);
      im = static_cast<double>(static_cast<long double>(coeffs[k]) * s + im);
    }
    const long double re2 = static_cast<long double>(re) * re;
    const long double im2 = static_cast<long double>(im) * im;
    const double m = CheckFinite(static_cast<double>(std::sqrt(re2 + im2)));
    magnitude[i] = m;
    // The stored double, not the extended square root, is what the level is taken from.
    if (m == 0.0) RaiseZeroDivide();
    level[i] = CheckFinite(static_cast<double>((20 * std::log10(static_cast<long double>(m)) + 100) / 100));
  }
}
