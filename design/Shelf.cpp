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

}  // namespace

double ShelfGain(double f, double f1, double f2, int a) {
  if (f <= f1) return 1.0;
  if (f >= f2) return CheckFinite(static_cast<double>(std::pow(10.0L, -static_cast<long double>(a) / 20)));
  const long double logF1 = ExtendedLog10(f1);
  const long double ramp = (ExtendedLog10(f) - logF1) / (ExtendedLog10(f2) - logF1);
  return CheckFinite(static_cast<double>(std::pow(10.0L, ramp * -static_cast<long double>(a) / 20)));
}

void DesignShelf(double f1, double f2, int a, int rateHz, RealArray& coeffs) {
  if (coeffs.size() < static_cast<size_t>(ShelfLength)) throw UserError(Messages::RangeCheck);
  const double binSpacing = RequireSampleRate(rateHz) / static_cast<double>(ShelfLength);

  // A real, even spectrum (bin k and bin N-k alike) gives a real impulse response, symmetric
  // about time 0. The zero-frequency bin is always unity.
  ComplexArray spectrum(ShelfLength);
  spectrum[0] = MakeComplex(1.0, 0.0);
  for (int i = 0; i < PositiveBins; ++i) {
    const double gain = ShelfGain(static_cast<double>((i + 1) * static_cast<long double>(binSpacing)), f1, f2, a);
    spectrum[1 + i] = MakeComplex(gain, 0.0);
    spectrum[ShelfLength - 1 - i] = MakeComplex(gain, 0.0);
  }

  ComplexArray impulse(ShelfLength);
  MixedRadixFft(spectrum.data(), impulse.data(), ShelfLength);

  // Rotate time 0 to the centre index 602 so that the filter is causal.
  for (int j = 0; j < ShelfLength; ++j) coeffs[j] = impulse[(j + PositiveBins + 1) % ShelfLength].re;

  // The span passed is the full length, so the taper is centred on 602.5, half a sample after
  // the main lobe; the taps are slightly asymmetric by design.
  for (int n = 0; n < ShelfLength; ++n) coeffs[n] = coeffs[n] * KaiserWindow(ShelfLength, n, ShelfBeta);
}
