#include "design/Shelf.h"

#include <cmath>
#include <cstddef>

#include "design/Kaiser.h"
#include "numerics/Complexs.h"
#include "numerics/Errors.h"
#include "numerics/FFTs.h"
#include "numerics/FloatingPoint.h"
#include "numerics/SampleRate.h"

namespace {

// The window's shape is fixed; the attenuation field is for the crossover bands only.
constexpr double ShelfBeta = 4.0;

// Number of positive-frequency bins, 1 .. 602.
constexpr int PositiveBins = ShelfLength / 2;

long double ExtendedLog10(long double x) {
  if (std::isnan(x) || x < 0) RaiseInvalidOperation();
  if (x == 0) RaiseZeroDivide();
  return std::log10(x);
}

// ShelfGain for the bins of one design. The corners' logarithms and the gain above f2 are the same
// for every bin: each is computed once, when a bin first needs it, by the same expression.
class ShelfGains {
 public:
  ShelfGains(double f1, double f2, int a) : f1_(f1), f2_(f2), a_(a) {}

  double operator()(double f) {
    if (f <= f1_) return 1.0;
    if (f >= f2_) {
      if (!haveCut_) {
        cut_ = CheckFinite(static_cast<double>(std::pow(10.0L, -static_cast<long double>(a_) / 20)));
        haveCut_ = true;
      }
      return cut_;
    }
    if (!haveLogs_) {
      logF1_ = ExtendedLog10(f1_);
      logSpan_ = ExtendedLog10(f2_) - logF1_;
      haveLogs_ = true;
    }
    const long double ramp = (ExtendedLog10(f) - logF1_) / logSpan_;
    return CheckFinite(static_cast<double>(std::pow(10.0L, ramp * -static_cast<long double>(a_) / 20)));
  }

 private:
  double f1_, f2_;
  int a_;
  bool haveCut_ = false;
  double cut_ = 0.0;
  bool haveLogs_ = false;
  long double logF1_ = 0.0L, logSpan_ = 0.0L;
};

}  // namespace

double ShelfGain(double f, double f1, double f2, int a) { return ShelfGains(f1, f2, a)(f); }

void DesignShelf(double f1, double f2, int a, int rateHz, RealArray& coeffs) {
  if (coeffs.size() < static_cast<size_t>(ShelfLength)) throw UserError(Messages::RangeCheck);
  const double binSpacing = RequireSampleRate(rateHz) / static_cast<double>(ShelfLength);

  // A real, even spectrum (bin k and bin N-k alike) gives a real impulse response, symmetric
  // about time 0. The zero-frequency bin is always unity.
  ComplexArray spectrum(ShelfLength);
  spectrum[0] = MakeComplex(1.0, 0.0);
  ShelfGains shelfGain(f1, f2, a);
  for (int i = 0; i < PositiveBins; ++i) {
    const double gain = shelfGain(static_cast<double>((i + 1) * static_cast<long double>(binSpacing)));
    spectrum[1 + i] = MakeComplex(gain, 0.0);
    spectrum[ShelfLength - 1 - i] = MakeComplex(gain, 0.0);
  }

  ComplexArray impulse(ShelfLength);
  MixedRadixFft(spectrum.data(), impulse.data(), ShelfLength);

  // Rotate time 0 to the centre index 602 so that the filter is causal.
  for (int j = 0; j < ShelfLength; ++j) coeffs[j] = impulse[(j + PositiveBins + 1) % ShelfLength].re;

  // The span passed is the full length, so the taper is centred on 602.5, half a sample after
  // the main lobe; the taps are slightly asymmetric by design. Samples n and ShelfLength - n lie
  // alike about that centre: where their Bessel arguments are equal, so are their weights
  // (KaiserWeight), and the series is summed once for both.
  coeffs[0] = coeffs[0] * KaiserWindow(ShelfLength, 0, ShelfBeta);
  for (int n = 1; n <= ShelfLength / 2; ++n) {
    const int mirror = ShelfLength - n;
    const double argument = KaiserArgument(ShelfLength, n, ShelfBeta);
    const double mirrorArgument = KaiserArgument(ShelfLength, mirror, ShelfBeta);
    const double weight = KaiserWeight(argument, ShelfBeta);
    coeffs[n] = coeffs[n] * weight;
    coeffs[mirror] = coeffs[mirror] * (mirrorArgument == argument ? weight : KaiserWeight(mirrorArgument, ShelfBeta));
  }
}
