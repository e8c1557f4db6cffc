#include "display/Response.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "numerics/FoldedDft.h"
#include "numerics/ParallelWork.h"
#include "numerics/SampleRate.h"

namespace {

constexpr long double cPi = std::numbers::pi_v<long double>;

// The extended angle of the literal evaluation, products left to right and the division last; the
// lower grid enters its frequency as i·2 so that the product order matches the 2 Hz steps.
long double Angle(int k, int i, int rateHz) {
  if (i <= 500) return static_cast<long double>(k) * 2 * cPi * i * 2 / rateHz;
  return static_cast<long double>(k) * 2 * cPi * GridFrequency(i) / rateHz;
}

double Magnitude(double re, double im) {
  const long double re2 = static_cast<long double>(re) * re;
  const long double im2 = static_cast<long double>(im) * im;
  return static_cast<double>(std::sqrt(re2 + im2));
}

// Coefficients whose largest magnitude lies within 2^±cUnscaledExponent go to the transform as they are:
// with at most 2^31 taps and a transform of at most 2^20 points no sum comes near overflow or the
// subnormal range.
constexpr int cUnscaledExponent = 900;

// H(f) of a real filter from the bins 0 .. period/2 of its folded transform (GridPeriod): f in bins is
// f·period/rate, taken modulo the period; above half the period the bin of period - b holds the
// conjugate.
std::complex<double> GridValue(std::span<const std::complex<double>> bins, int64_t frequencyHz, int rateHz) {
  const int period = GridPeriod(rateHz);
  const int64_t bin = frequencyHz / (rateHz / period) % period;
  return bin <= period / 2 ? bins[static_cast<size_t>(bin)] : std::conj(bins[static_cast<size_t>(period - bin)]);
}

// The magnitudes of one filter's first count coefficients at the grid points firstPoint .. lastPoint.
// Coefficients near the ends of the double range are first scaled by a power of two, which is exact,
// so that their largest is near 1: the transform's sums cannot overflow on the way to a finite
// magnitude, and a magnitude beyond the double range comes out as infinity, as the literal sum's
// overflow does.
void FilterMagnitudes(const RealArray& coeffs, int count, int rateHz, int firstPoint, int lastPoint, double* out) {
  const size_t terms = static_cast<size_t>(std::clamp(count, 0, static_cast<int>(coeffs.size())));
  const std::span<const double> taps(coeffs.data(), terms);
  double largest = 0.0;
  for (double value : taps) largest = std::max(largest, std::fabs(value));
  int exponent = 0;
  std::vector<double> scaled;
  if (largest > 0.0 && std::isfinite(largest) && std::abs(std::ilogb(largest)) > cUnscaledExponent) {
    exponent = std::ilogb(largest);
    scaled.assign(taps.begin(), taps.end());
    for (double& value : scaled) value = std::ldexp(value, -exponent);
  }
  const std::span<const std::complex<double>> bins = FoldedBins(scaled.empty() ? taps : scaled, GridPeriod(rateHz));
  for (int i = firstPoint; i <= lastPoint; ++i) {
    const std::complex<double> value = GridValue(bins, GridFrequency(i), rateHz);
    out[i - firstPoint] = std::ldexp(Magnitude(value.real(), value.imag()), exponent);
  }
}

// The stored magnitudes and levels of points 1 .. 950 in ascending order, with the failure rule of a
// zero magnitude.
void Store(const double* magnitudes, ResponseCurve& magnitude, ResponseCurve& level) {
  for (int i = 1; i <= GridPointCount; ++i) {
    const double m = CheckFinite(magnitudes[i - 1]);
    magnitude[i] = m;
    // The stored double, not the extended square root, is what the level is taken from.
    if (m == 0.0) RaiseZeroDivide();
    level[i] = CheckFinite(static_cast<double>((20 * std::log10(static_cast<long double>(m)) + 100) / 100));
  }
}

}  // namespace

void EvaluateMagnitudes(std::span<const RealArray* const> filters, int count, int rateHz, int firstPoint,
                        int lastPoint, std::span<double* const> magnitudes) {
  for (size_t c = 0; c < filters.size(); ++c) {
    FilterMagnitudes(*filters[c], count, rateHz, firstPoint, lastPoint, magnitudes[c]);
  }
}

double ResponseWork(int count, int rateHz) {
  // The folding adds each coefficient once; a real FFT of length n costs about n·log2(n) such units.
  const double period = std::max(rateHz > 0 ? GridPeriod(rateHz) : 0, 2);
  return (count > 0 ? count : 0) + period * std::log2(period);
}

void PrepareResponses(int rateHz) {
  if (IsSampleRate(rateHz)) PrepareFoldedBins(GridPeriod(rateHz));
}

void EvaluateResponses(std::span<const ResponseTarget> targets, int count, int rateHz,
                       const std::function<void()>& stored) {
  if (!IsSampleRate(rateHz)) throw UserError(Messages::RangeCheck);
  std::vector<std::array<double, GridPointCount>> magnitudes(targets.size());
  // One task per filter: its folding and its transform.
  RunParallel(static_cast<int64_t>(targets.size()), ResponseWork(count, rateHz), [&](int64_t task) {
    const size_t t = static_cast<size_t>(task);
    FilterMagnitudes(targets[t].coeffs, count, rateHz, 1, GridPointCount, magnitudes[t].data());
  });
  for (size_t t = 0; t < targets.size(); ++t) {
    Store(magnitudes[t].data(), targets[t].magnitude, targets[t].level);
    if (stored) stored();
  }
}

void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count,
                      int rateHz) {
  const ResponseTarget target{coeffs, magnitude, level};
  EvaluateResponses({&target, 1}, count, rateHz);
}

void EvaluateResponseReference(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count,
                               int rateHz) {
  if (!IsSampleRate(rateHz)) throw UserError(Messages::RangeCheck);
  std::array<double, GridPointCount> magnitudes;
  for (int i = 1; i <= GridPointCount; ++i) {
    double re = 0.0;
    double im = 0.0;
    for (int k = 0; k < count; ++k) {
      // The angle goes unreduced to cosine and sine; each is rounded to double, and the product with
      // the coefficient is carried unrounded into the sum, which is rounded to double every step.
      const double c = static_cast<double>(std::cos(Angle(k, i, rateHz)));
      const double s = static_cast<double>(std::sin(Angle(k, i, rateHz)));
      re = static_cast<double>(static_cast<long double>(coeffs[k]) * c + re);
      im = static_cast<double>(static_cast<long double>(coeffs[k]) * s + im);
    }
    magnitudes[i - 1] = Magnitude(re, im);
  }
  Store(magnitudes.data(), magnitude, level);
}

DelayDeviation MeasureDelayDeviation(std::span<const double> taps, int rateHz,
                                     const std::function<void(double fraction)>& progress) {
  DelayDeviation deviation;
  const int64_t period = 2 * int64_t{RequireSampleRate(rateHz)};
  const size_t length = taps.size();
  if (length == 0) return deviation;
  // Phases are counted in half samples, as the centre may be one: the delay's angle at f Hz is
  // 2 pi f (length - 1) / (2 rate), whose numerator is an exact integer reduced before any rounding.
  const int64_t twiceCentre = static_cast<int64_t>(length) - 1;
  const bool whole = twiceCentre % 2 == 0;
  std::vector<double> residual(taps.begin(), taps.end());
  for (size_t n = 0; n < length; ++n) {
    const double impulse = 2 * static_cast<int64_t>(n) == twiceCentre ? 1.0 : 0.0;
    deviation.LargestTapError = std::max(deviation.LargestTapError, std::fabs(taps[n] - impulse));
  }
  // With a whole centre the transform sees the taps less the delay itself, whose response is the
  // deviation; with a half-sample centre there is no tap to take the delay from.
  if (whole) residual[static_cast<size_t>(twiceCentre / 2)] -= 1.0;
  // Copied out of the transform's buffers: the progress callback below may evaluate other responses.
  const std::span<const std::complex<double>> folded = FoldedBins(residual, GridPeriod(rateHz));
  const std::vector<std::complex<double>> bins(folded.begin(), folded.end());
  for (int i = 1; i <= GridPointCount; ++i) {
    if (progress) progress(static_cast<double>(i - 1) / GridPointCount);
    const int64_t hz = GridFrequency(i);
    const std::complex<double> value = GridValue(bins, hz, rateHz);
    // The residual's response turned by the delay's phase, so that the delay itself is 1.
    const long double angle = 2 * cPi * static_cast<long double>((hz * twiceCentre) % period) / period;
    const long double c = std::cos(angle), s = std::sin(angle);
    const long double re = value.real() * c - value.imag() * s;
    const long double im = value.real() * s + value.imag() * c;
    const long double errorRe = whole ? re : re - 1;
    const long double totalRe = whole ? re + 1 : re;
    deviation.LargestResponseError =
        std::max(deviation.LargestResponseError, static_cast<double>(std::sqrt(errorRe * errorRe + im * im)));
    const double magnitude = static_cast<double>(std::sqrt(totalRe * totalRe + im * im));
    if (magnitude == 0) {
      if (!deviation.VanishesOnGrid) deviation.VanishingHz = static_cast<int>(hz);
      deviation.VanishesOnGrid = true;
      continue;
    }
    deviation.LargestMagnitudeDb = std::max(deviation.LargestMagnitudeDb, std::fabs(20 * CheckedLog10(magnitude)));
  }
  return deviation;
}
