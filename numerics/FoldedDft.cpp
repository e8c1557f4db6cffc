#include "numerics/FoldedDft.h"

#include <algorithm>
#include <cstddef>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "numerics/FftwPlans.h"

std::vector<std::complex<double>> FoldedSpectrum(std::span<const double> coeffs, int rateHz) {
  if (rateHz < 1 || rateHz > MaxSampleRate) throw UserError(Messages::RangeCheck);
  const size_t rate = static_cast<size_t>(rateHz);
  const size_t binCount = rate / 2 + 1;

  FftwRealBuffer folded = AllocateFftwReal(rate);
  const size_t head = std::min(rate, coeffs.size());
  std::copy_n(coeffs.begin(), head, folded.get());
  std::fill(folded.get() + head, folded.get() + rate, 0.0);
  // Added period by period in ascending k, so each folded value has one fixed summation order.
  for (size_t start = rate; start < coeffs.size(); start += rate) {
    const size_t count = std::min(rate, coeffs.size() - start);
    const double* period = coeffs.data() + start;
    double* target = folded.get();
    for (size_t r = 0; r < count; ++r) target[r] += period[r];
  }

  FftwComplexBuffer spectrum = AllocateFftwComplex(binCount);
  fftw_execute_dft_r2c(RealForwardPlan(rateHz), folded.get(), spectrum.get());
  std::vector<std::complex<double>> result(binCount);
  for (size_t f = 0; f < binCount; ++f) result[f] = {spectrum[f][0], spectrum[f][1]};
  return result;
}
