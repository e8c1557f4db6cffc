#include "numerics/Convolution.h"

#include <algorithm>
#include <cstdint>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "numerics/ParallelWork.h"

namespace {

// Outputs summed side by side in one pass over k: their terms a[k]·b[n-k] read b contiguously.
constexpr int cOutputsPerPass = 8;
// Outputs per task of the split over the worker threads.
constexpr int cOutputsPerTask = 64 * cOutputsPerPass;

typedef double Pair __attribute__((vector_size(16)));

// The terms of c[n] lie at max(0, n-lb+1) <= k <= min(n, la-1); the zero-extended ones add nothing.
int FirstTerm(int n, int lb) { return std::max(0, n - lb + 1); }
int LastTerm(int n, int la) { return std::min(n, la - 1); }

// One output's sum over k = first .. last, continuing from sum: the product rounded to double, the
// new sum rounded to double, in ascending k.
double SumTerms(const double* a, const double* b, int n, int first, int last, double sum) {
  for (int k = first; k <= last; ++k) sum += a[k] * b[n - k];
  return sum;
}

// Outputs n0 .. n0+7. Each starts with its own terms below the range the eight share, goes through
// the shared range two outputs per register, and ends with its own terms above it: every output sees
// its terms in ascending k, exactly as a scalar loop would.
void SumBlock(const double* a, int la, const double* b, int lb, int n0, double* c) {
  const int sharedFirst = FirstTerm(n0 + cOutputsPerPass - 1, lb);
  const int sharedLast = LastTerm(n0, la);
  double sums[cOutputsPerPass];
  for (int j = 0; j < cOutputsPerPass; ++j) {
    const int n = n0 + j;
    sums[j] = SumTerms(a, b, n, FirstTerm(n, lb), std::min(sharedFirst - 1, LastTerm(n, la)), 0.0);
  }
  if (sharedFirst <= sharedLast) {
    Pair lanes[cOutputsPerPass / 2];
    for (int p = 0; p < cOutputsPerPass / 2; ++p) lanes[p] = Pair{sums[2 * p], sums[2 * p + 1]};
    for (int k = sharedFirst; k <= sharedLast; ++k) {
      const Pair factor = Pair{a[k], a[k]};
      const double* const window = b + (n0 - k);
      // Unrolled, so that the sums stay in registers.
#pragma GCC unroll 8
      for (int p = 0; p < cOutputsPerPass / 2; ++p) {
        Pair values;
        __builtin_memcpy(&values, window + 2 * p, sizeof values);
        lanes[p] += factor * values;
      }
    }
    for (int p = 0; p < cOutputsPerPass / 2; ++p) {
      sums[2 * p] = lanes[p][0];
      sums[2 * p + 1] = lanes[p][1];
    }
  }
  for (int j = 0; j < cOutputsPerPass; ++j) {
    const int n = n0 + j;
    const int first = std::max(FirstTerm(n, lb), std::max(sharedFirst, sharedLast + 1));
    c[j] = SumTerms(a, b, n, first, LastTerm(n, la), sums[j]);
  }
}

}  // namespace

void ConvolveReal(const double* a, int la, const double* b, int lb, double* c, int lc) {
  if (la < 0 || lb < 0 || lc < 0) throw UserError(Messages::RangeCheck);
  const int64_t fullLength = (la == 0 || lb == 0) ? 0 : int64_t{la} + lb - 1;
  if (lc < fullLength) throw UserError(Messages::RangeCheck);
  const int full = static_cast<int>(fullLength);

  const RealArray xa(a, a + la);
  const RealArray xb(b, b + lb);
  std::fill(c, c + lc, 0.0);
  const int64_t taskCount = (full + cOutputsPerTask - 1) / cOutputsPerTask;
  // Progress counts multiply-adds; a task's share is taken as the average.
  const double workPerTask = taskCount > 0 ? static_cast<double>(la) * lb / static_cast<double>(taskCount) : 0;
  RunParallel(taskCount, workPerTask, [&](int64_t task) {
    const int begin = static_cast<int>(task * cOutputsPerTask);
    const int end = std::min(begin + cOutputsPerTask, full);
    int n = begin;
    for (; n + cOutputsPerPass <= end; n += cOutputsPerPass) SumBlock(xa.data(), la, xb.data(), lb, n, c + n);
    for (; n < end; ++n) c[n] = SumTerms(xa.data(), xb.data(), n, FirstTerm(n, lb), LastTerm(n, la), 0.0);
  });
}
