#include "design/BandFilters.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>

#include "design/Kaiser.h"
#include "numerics/Errors.h"
#include "numerics/ParallelWork.h"
#include "numerics/SampleRate.h"

namespace {

constexpr long double Pi = std::numbers::pi_v<long double>;
constexpr long double TwoPi = 2 * Pi;

// Taps per task of the split over the worker threads.
constexpr int cTapsPerTask = 2048;

// Calls tap(k, w) for n = 0 .. l-1, k = n - l/2, w the window weight, and stores its result as tap n.
// Every tap is computed on its own, so the split over the worker threads changes no bit; of several
// failing taps, the error is the one of the first in order.
//
// Every band's tap is even in k: the sine over k is even, and so are the cosine and the alternating
// sign, and IEEE arithmetic and the long-double sine and cosine are exactly odd or even in their
// argument. So for an odd l, tap l-1-n (k negated) is tap n, bit for bit, whenever the two window
// weights are equal, which they are when their Bessel arguments are (the two halves of 1 - 2n/m can
// round apart by an ulp). Each pair is then computed once; a pair whose arguments differ is computed
// twice, as any tap.
template <typename Tap>
RealArray DesignBand(int l, double beta, Tap tap) {
  if (l < 0) throw UserError(Messages::RangeCheck);
  RealArray taps(static_cast<size_t>(l));
  const int centre = l / 2;
  const bool mirrored = l % 2 == 1;
  // With mirrored taps the tasks cover the first half and the centre; each writes both halves.
  const int computed = mirrored ? centre + 1 : l;
  const int64_t taskCount = (int64_t{computed} + cTapsPerTask - 1) / cTapsPerTask;
  RunParallel(taskCount, (mirrored ? 2 : 1) * cTapsPerTask * BandTapWork, [&](int64_t task) {
    const int begin = static_cast<int>(task * cTapsPerTask);
    const int end = static_cast<int>(std::min<int64_t>(int64_t{begin} + cTapsPerTask, computed));
    for (int n = begin; n < end; ++n) {
      const double argument = KaiserArgument(l - 1, n, beta);
      const double value = static_cast<double>(tap(n - centre, KaiserWeight(argument, beta)));
      taps[n] = value;
      if (!mirrored || n == centre) continue;
      const int mirror = l - 1 - n;
      const double mirrorArgument = KaiserArgument(l - 1, mirror, beta);
      taps[mirror] = mirrorArgument == argument
                         ? value
                         : static_cast<double>(tap(mirror - centre, KaiserWeight(mirrorArgument, beta)));
    }
  });
  return taps;
}

void RequireLength(const RealArray& array, int n) {
  if (array.size() < static_cast<size_t>(n)) throw UserError(Messages::RangeCheck);
}

}  // namespace

RealArray DesignLowPass(int l, double fl, double beta, int rateHz) {
  const long double rate = RequireSampleRate(rateHz);
  return DesignBand(l, beta, [fl, rate](int k, long double w) -> long double {
    if (k == 0) return w * 2 * fl / rate;
    return std::sin(k * TwoPi * fl / rate) * w / (k * Pi);
  });
}

RealArray DesignBandPass(int l, double fa, double fb, double beta, int rateHz) {
  const long double rate = RequireSampleRate(rateHz);
  const long double width = static_cast<long double>(fb) - fa;
  const long double centreSum = static_cast<long double>(fb) + fa;
  return DesignBand(l, beta, [=](int k, long double w) -> long double {
    if (k == 0) return w * 2 * width / rate;
    // A cosine at the band centre times a sine at its half width: the difference of two low-passes.
    const long double scale = 2 * w / (k * Pi);
    return scale * std::cos(k * Pi * centreSum / rate) * std::sin(k * Pi * width / rate);
  });
}

RealArray DesignHighPass(int l, double fh, double beta, int rateHz) {
  const long double rate = RequireSampleRate(rateHz);
  const long double prototype = 1.0L - 2 * static_cast<long double>(fh) / rate;
  return DesignBand(l, beta, [prototype](int k, long double w) -> long double {
    if (k == 0) return w * prototype;
    const long double sign = (k % 2 == 0) ? 1.0L : -1.0L;
    return sign * w * std::sin(k * Pi * prototype) / (k * Pi);
  });
}

RealArray CentreBand(const RealArray& band, int t) {
  if (t < 0 || static_cast<size_t>(t) < band.size()) throw UserError(Messages::RangeCheck);
  RealArray centred(static_cast<size_t>(t), 0.0);
  const size_t first = static_cast<size_t>(t / 2) - band.size() / 2;
  for (size_t j = 0; j < band.size(); ++j) centred[first + j] = band[j];
  return centred;
}

RealArray SumBands(const RealArray& a, const RealArray& b, const RealArray& c, int n) {
  if (n < 0) throw UserError(Messages::RangeCheck);
  RequireLength(a, n);
  RequireLength(b, n);
  RequireLength(c, n);
  RealArray sum(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) sum[i] = static_cast<double>((static_cast<long double>(a[i]) + b[i]) + c[i]);
  return sum;
}

void AdjustMidBand(const RealArray& /*low*/, RealArray& mid, const RealArray& /*high*/, const RealArray& s,
                   int t) {
  if (t < 0) throw UserError(Messages::RangeCheck);
  RequireLength(mid, t);
  RequireLength(s, t);
  // mid becomes d - low - high, written as mid + d - (low + mid + high) with the sum s.
  const int centre = t / 2;
  for (int i = 0; i < t; ++i) {
    const long double impulse = (i == centre) ? 1.0L : 0.0L;
    mid[i] = static_cast<double>((static_cast<long double>(mid[i]) + impulse) - s[i]);
  }
}
