#include "numerics/FoldedDft.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "numerics/FftwPlans.h"

namespace {

// The folded coefficients and their bins, kept per thread between calls: the curves of one Calc are
// transforms of one length, so their buffers are allocated, and their pages touched, once.
struct Workspace {
  size_t capacity = 0;
  FftwRealBuffer folded;
  FftwComplexBuffer bins;

  void Reserve(size_t period) {
    if (period <= capacity) return;
    folded.reset();
    bins.reset();
    capacity = 0;
    folded = AllocateFftwReal(period);
    bins = AllocateFftwComplex(period / 2 + 1);
    capacity = period;
  }
};

bool IsPeriod(int period) { return period >= 1 && period <= MaxSampleRate; }

}  // namespace

std::span<const std::complex<double>> FoldedBins(std::span<const double> coeffs, int period) {
  if (!IsPeriod(period)) throw UserError(Messages::RangeCheck);
  const size_t length = static_cast<size_t>(period);
  const size_t binCount = length / 2 + 1;
  thread_local Workspace workspace;
  workspace.Reserve(length);
  double* const folded = workspace.folded.get();

  const size_t head = std::min(length, coeffs.size());
  std::copy_n(coeffs.begin(), head, folded);
  std::fill(folded + head, folded + length, 0.0);
  // Added period by period in ascending k, so each folded value has one fixed summation order.
  for (size_t start = length; start < coeffs.size(); start += length) {
    const size_t count = std::min(length, coeffs.size() - start);
    const double* period = coeffs.data() + start;
    for (size_t r = 0; r < count; ++r) folded[r] += period[r];
  }

  fftw_execute_dft_r2c(RealForwardPlan(period), folded, workspace.bins.get());
  // fftw_complex is laid out as std::complex<double>, as FFTW documents.
  return {reinterpret_cast<const std::complex<double>*>(workspace.bins.get()), binCount};
}

std::vector<std::complex<double>> FoldedSpectrum(std::span<const double> coeffs, int rateHz) {
  const std::span<const std::complex<double>> bins = FoldedBins(coeffs, rateHz);
  return {bins.begin(), bins.end()};
}

void PrepareFoldedBins(int period) {
  if (!IsPeriod(period)) return;
  try {
    RealForwardPlan(period);
  } catch (const std::bad_alloc&) {
    // The transform's own call makes the plan again and reports it.
  }
}
