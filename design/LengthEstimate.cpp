#include "design/LengthEstimate.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "numerics/SampleRate.h"

namespace {

constexpr long double cPi = std::numbers::pi_v<long double>;

}  // namespace

int64_t KaiserCutoffHz(double passHz, double stopHz) {
  const long double cutoffHz = std::trunc((static_cast<long double>(passHz) + stopHz) / 2);
  if (!(cutoffHz >= -0x1p63L && cutoffHz < 0x1p63L)) RaiseInvalidOperation();
  return static_cast<int64_t>(cutoffHz);
}

int32_t KaiserIdealTaps(double passHz, double stopHz, double attenuationDb, int rateHz) {
  // Each edge as an angle in radians per sample, rounded to double: f / Nyquist * pi.
  const long double nyquistHz = RequireSampleRate(rateHz) / 2.0L;
  const double passOmega = static_cast<double>(passHz / nyquistHz * cPi);
  const double stopOmega = static_cast<double>(stopHz / nyquistHz * cPi);
  const double transition = std::fabs(passOmega - stopOmega);
  const long double excessDb = static_cast<long double>(attenuationDb) - KaiserExcessDb;
  const long double width = KaiserWidthFactor * transition;
  if (width == 0) {
    if (excessDb == 0) RaiseInvalidOperation();
    RaiseZeroDivide();
  }
  const double estimate = CheckFinite(static_cast<double>(excessDb / width));

  // N is held in 32 bits like every tap count: a value outside the 64-bit range cannot be truncated
  // at all, one outside the 32-bit range (or whose odd successor is) fails the range check.
  const long double taps = std::trunc(static_cast<long double>(estimate) + 1);
  if (!(taps >= -0x1p63L && taps < 0x1p63L)) RaiseInvalidOperation();
  const int64_t n = static_cast<int64_t>(taps);
  const int64_t ideal = n % 2 != 0 ? n + 2 : n + 1;
  if (n < std::numeric_limits<int32_t>::min() || ideal > std::numeric_limits<int32_t>::max()) {
    throw UserError(Messages::RangeCheck);
  }
  return static_cast<int32_t>(ideal);
}

double KaiserTransitionWidthHz(double attenuationDb, int64_t tapCount, int rateHz) {
  if (!(attenuationDb > KaiserExcessDb) || tapCount < 2) return 0;
  return static_cast<double>(rateHz * (attenuationDb - KaiserExcessDb) / (2 * cPi * KaiserWidthFactor * (tapCount - 1)));
}
