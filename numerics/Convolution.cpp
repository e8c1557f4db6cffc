#include "numerics/Convolution.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "numerics/FftwPlans.h"
#include "numerics/ParallelWork.h"

namespace {

// Outputs per task of the split over the worker threads: a whole number of passes of either width.
constexpr int cOutputsPerTask = 1024;

// Two or four doubles in one register; their products and sums round as the scalar ones do.
typedef double Pair __attribute__((vector_size(16)));
typedef double Quad __attribute__((vector_size(32)));

// The terms of c[n] lie at max(0, n-lb+1) <= k <= min(n, la-1); the zero-extended ones add nothing.
int FirstTerm(int n, int lb) { return std::max(0, n - lb + 1); }
int LastTerm(int n, int la) { return std::min(n, la - 1); }

// One output's sum over k = first .. last, continuing from sum: the product rounded to double, the
// new sum rounded to double, in ascending k.
double SumTerms(const double* a, const double* b, int n, int first, int last, double sum) {
  for (int k = first; k <= last; ++k) sum += a[k] * b[n - k];
  return sum;
}

// Outputs n0 .. n0+Outputs-1, summed side by side in one pass over k, whose terms a[k]·b[n-k] read b
// contiguously. Each output starts with its own terms below the range they all share, goes through
// the shared range a register's width of outputs at a time, and ends with its own terms above it:
// every output sees its terms in ascending k, exactly as a scalar loop would. Enough registers of
// sums are kept that their additions overlap instead of each waiting for the last.
template <typename Vector, int Outputs>
[[gnu::always_inline]] inline void SumBlockOf(const double* a, int la, const double* b, int lb, int n0, double* c) {
  constexpr int Width = sizeof(Vector) / sizeof(double);
  constexpr int Registers = Outputs / Width;
  const int sharedFirst = FirstTerm(n0 + Outputs - 1, lb);
  const int sharedLast = LastTerm(n0, la);
  double sums[Outputs];
  for (int j = 0; j < Outputs; ++j) {
    const int n = n0 + j;
    sums[j] = SumTerms(a, b, n, FirstTerm(n, lb), std::min(sharedFirst - 1, LastTerm(n, la)), 0.0);
  }
  if (sharedFirst <= sharedLast) {
    Vector lanes[Registers];
    __builtin_memcpy(lanes, sums, sizeof lanes);
    for (int k = sharedFirst; k <= sharedLast; ++k) {
      Vector factor;
      for (int w = 0; w < Width; ++w) factor[w] = a[k];
      const double* const window = b + (n0 - k);
      // Unrolled, so that the sums stay in registers.
#pragma GCC unroll 8
      for (int r = 0; r < Registers; ++r) {
        Vector values;
        __builtin_memcpy(&values, window + Width * r, sizeof values);
        lanes[r] += factor * values;
      }
    }
    __builtin_memcpy(sums, lanes, sizeof lanes);
  }
  for (int j = 0; j < Outputs; ++j) {
    const int n = n0 + j;
    const int first = std::max(FirstTerm(n, lb), std::max(sharedFirst, sharedLast + 1));
    c[j] = SumTerms(a, b, n, first, LastTerm(n, la), sums[j]);
  }
}

// The sums of outputs begin .. end-1: a block at a time where a whole block fits, then one by one.
template <typename Vector, int Outputs>
[[gnu::always_inline]] inline void SumRangeOf(const double* a, int la, const double* b, int lb, int begin, int end,
                                              double* c) {
  int n = begin;
  for (; n + Outputs <= end; n += Outputs) SumBlockOf<Vector, Outputs>(a, la, b, lb, n, c + n);
  for (; n < end; ++n) c[n] = SumTerms(a, b, n, FirstTerm(n, lb), LastTerm(n, la), 0.0);
}

void SumRangeSse2(const double* a, int la, const double* b, int lb, int begin, int end, double* c) {
  SumRangeOf<Pair, 16>(a, la, b, lb, begin, end, c);
}

// Four outputs per register where the processor has AVX2 (without FMA: no contraction of the
// product into the sum).
[[gnu::target("avx2")]] void SumRangeAvx2(const double* a, int la, const double* b, int lb, int begin, int end,
                                           double* c) {
  SumRangeOf<Quad, 32>(a, la, b, lb, begin, end, c);
}

// The overlap-save blocks of a convolution with a kernel of kernelLength taps: transforms of
// blockSize points, each giving blockSize - kernelLength + 1 outputs.
struct FftBlocks {
  int blockSize;
  int outputsPerBlock;
};

FftBlocks BlocksFor(int kernelLength, int64_t fullLength) {
  // Four kernel lengths per block keep three quarters of each transform useful; a result shorter than
  // that is one block.
  int64_t size = 1024;
  while (size < 4 * int64_t{kernelLength} && size < fullLength) size *= 2;
  while (size < kernelLength) size *= 2;
  return {static_cast<int>(size), static_cast<int>(size - kernelLength + 1)};
}

// The root of the sum of squares, scaled so that it cannot overflow.
double Norm(const RealArray& values) {
  double largest = 0.0;
  for (double value : values) largest = std::max(largest, std::fabs(value));
  if (largest == 0.0 || !std::isfinite(largest)) return largest;
  long double sum = 0.0L;
  for (double value : values) sum += static_cast<long double>(value / largest) * (value / largest);
  return largest * static_cast<double>(std::sqrt(sum));
}

// The direct sums of outputs begin .. end-1, in the widest registers the processor has unless
// twoLanes.
void SumRange(const RealArray& xa, const RealArray& xb, int begin, int end, double* c, bool twoLanes) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  const int la = static_cast<int>(xa.size()), lb = static_cast<int>(xb.size());
  (avx2 && !twoLanes ? SumRangeAvx2 : SumRangeSse2)(xa.data(), la, xb.data(), lb, begin, end, c);
}

void ConvolveDirect(const RealArray& xa, const RealArray& xb, double* c, int full, bool twoLanes) {
  const int la = static_cast<int>(xa.size()), lb = static_cast<int>(xb.size());
  const int64_t taskCount = (full + cOutputsPerTask - 1) / cOutputsPerTask;
  // Progress counts multiply-adds; a task's share is taken as the average.
  const double workPerTask = taskCount > 0 ? static_cast<double>(la) * lb / static_cast<double>(taskCount) : 0;
  RunParallel(taskCount, workPerTask, [&](int64_t task) {
    const int begin = static_cast<int>(task * cOutputsPerTask);
    SumRange(xa, xb, begin, std::min(begin + cOutputsPerTask, full), c, twoLanes);
  });
}

// The rounding of a sum of terms in any order stays within gamma(m)·(sum of |terms|), m the count.
double SumErrorFactor(int terms) {
  const double unit = 0x1p-53;
  return terms * unit / (1 - terms * unit);
}

// Overlap-save: each block of outputs is the circular convolution of its stretch of the longer input
// with the shorter one, both transformed to blockSize points. Every output is computed once, by one
// block, so the result does not depend on the threads.
// The FFT's error spreads evenly over the outputs, while the direct sum's grows with the size of an
// output's terms; an output whose terms are large enough that the direct sum's rounding may reach
// cDirectRoundingBudget is therefore summed directly, to the same bits as ConvolveDirect. Bounding the
// terms of c[n] by max |signal| over its window times sum |kernel| leaves only the few thousand outputs
// around the centre of a designed filter to the direct sum.
constexpr double cDirectRoundingBudget = 0.5e-15;

void ConvolveFft(const RealArray& xa, const RealArray& xb, double* c, int full) {
  const bool aIsSignal = xa.size() >= xb.size();
  const RealArray& signal = aIsSignal ? xa : xb;
  const RealArray& kernel = aIsSignal ? xb : xa;
  const int n = static_cast<int>(signal.size()), m = static_cast<int>(kernel.size());
  const int la = static_cast<int>(xa.size()), lb = static_cast<int>(xb.size());
  const FftBlocks blocks = BlocksFor(m, full);
  const int size = blocks.blockSize;
  const size_t bins = static_cast<size_t>(size) / 2 + 1;
  const fftw_plan forward = RealForwardPlan(size);
  const fftw_plan inverse = RealInversePlan(size);

  FftwComplexBuffer kernelSpectrum = AllocateFftwComplex(bins);
  double kernelAbsSum = 0.0;
  {
    FftwRealBuffer padded = AllocateFftwReal(static_cast<size_t>(size));
    std::copy(kernel.begin(), kernel.end(), padded.get());
    std::fill(padded.get() + m, padded.get() + size, 0.0);
    fftw_execute_dft_r2c(forward, padded.get(), kernelSpectrum.get());
    for (double value : kernel) kernelAbsSum += std::fabs(value);
  }
  // Above this largest |signal| in its window, an output is summed directly.
  const double directAbove = cDirectRoundingBudget / (SumErrorFactor(m) * kernelAbsSum);
  const double scale = 1.0 / size;
  const int64_t taskCount = (full + blocks.outputsPerBlock - 1) / blocks.outputsPerBlock;
  // Progress counts the multiply-adds of the direct sum, as there, shared evenly between the blocks.
  const double workPerTask = static_cast<double>(la) * lb / static_cast<double>(taskCount);
  RunParallel(taskCount, workPerTask, [&](int64_t task) {
    const int64_t first = task * blocks.outputsPerBlock;  // first output of the block
    const int64_t start = first - (m - 1);                // signal index of the block's first point
    const int count = static_cast<int>(std::min<int64_t>(blocks.outputsPerBlock, full - first));
    FftwRealBuffer stretch = AllocateFftwReal(static_cast<size_t>(size));
    FftwComplexBuffer spectrum = AllocateFftwComplex(bins);
    for (int t = 0; t < size; ++t) {
      const int64_t index = start + t;
      stretch[t] = (index >= 0 && index < n) ? signal[static_cast<size_t>(index)] : 0.0;
    }
    // Output i of the block takes its terms from stretch[i .. i+m-1]: which ones need the direct sum.
    std::vector<bool> direct(static_cast<size_t>(count), false);
    {
      std::vector<int> window;  // indices of decreasing |stretch|, the front the largest in the window
      size_t front = 0;
      for (int t = 0; t < count + m - 1; ++t) {
        const double value = std::fabs(stretch[t]);
        while (window.size() > front && std::fabs(stretch[window.back()]) <= value) window.pop_back();
        window.push_back(t);
        const int i = t - (m - 1);
        if (i < 0) continue;
        if (window[front] < i) ++front;
        if (!(std::fabs(stretch[window[front]]) <= directAbove)) direct[static_cast<size_t>(i)] = true;
      }
    }
    fftw_execute_dft_r2c(forward, stretch.get(), spectrum.get());
    for (size_t f = 0; f < bins; ++f) {
      const double re = spectrum[f][0] * kernelSpectrum[f][0] - spectrum[f][1] * kernelSpectrum[f][1];
      const double im = spectrum[f][0] * kernelSpectrum[f][1] + spectrum[f][1] * kernelSpectrum[f][0];
      spectrum[f][0] = re * scale;
      spectrum[f][1] = im * scale;
    }
    fftw_execute_dft_c2r(inverse, spectrum.get(), stretch.get());
    std::copy_n(stretch.get() + (m - 1), count, c + first);
    for (int i = 0; i < count;) {
      if (!direct[static_cast<size_t>(i)]) {
        ++i;
        continue;
      }
      int end = i;
      while (end < count && direct[static_cast<size_t>(end)]) ++end;
      SumRange(xa, xb, static_cast<int>(first) + i, static_cast<int>(first) + end, c, false);
      i = end;
    }
  });
}

}  // namespace

double ConvolutionCost(int la, int lb) {
  if (la <= 0 || lb <= 0) return 0.0;
  const int64_t full = int64_t{la} + lb - 1;
  if (!ConvolutionUsesFft(la, lb, 0.0, 0.0)) return static_cast<double>(la) * lb;
  // Two transforms of a block cost about 4·N·log2(N) multiply-adds of the direct sum (measured with
  // BM_ConvolutionMethods); the few outputs summed directly add little.
  const FftBlocks blocks = BlocksFor(std::min(la, lb), full);
  const double blockCount = std::ceil(static_cast<double>(full) / blocks.outputsPerBlock);
  return blockCount * 4 * blocks.blockSize * std::log2(static_cast<double>(blocks.blockSize));
}

bool ConvolutionUsesFft(int la, int lb, double normA, double normB) {
  const int shorter = std::min(la, lb), longer = std::max(la, lb);
  if (longer < cFftConvolutionMinLength || shorter < cFftConvolutionMinKernel) return false;
  return normA * normB <= cFftConvolutionNormLimit;
}

namespace {

void Convolve(const double* a, int la, const double* b, int lb, double* c, int lc, ConvolutionMethod method) {
  if (la < 0 || lb < 0 || lc < 0) throw UserError(Messages::RangeCheck);
  const int64_t fullLength = (la == 0 || lb == 0) ? 0 : int64_t{la} + lb - 1;
  if (lc < fullLength) throw UserError(Messages::RangeCheck);
  const int full = static_cast<int>(fullLength);

  const RealArray xa(a, a + la);
  const RealArray xb(b, b + lb);
  std::fill(c, c + lc, 0.0);
  if (full == 0) return;
  if (method == ConvolutionMethod::Chosen) {
    method = ConvolutionUsesFft(la, lb, Norm(xa), Norm(xb)) ? ConvolutionMethod::Fft : ConvolutionMethod::Direct;
  }
  if (method == ConvolutionMethod::Direct || method == ConvolutionMethod::DirectTwoLanes) {
    ConvolveDirect(xa, xb, c, full, method == ConvolutionMethod::DirectTwoLanes);
  } else {
    ConvolveFft(xa, xb, c, full);
  }
}

}  // namespace

void ConvolveReal(const double* a, int la, const double* b, int lb, double* c, int lc) {
  Convolve(a, la, b, lb, c, lc, ConvolutionMethod::Chosen);
}

void ConvolveRealBy(ConvolutionMethod method, const double* a, int la, const double* b, int lb, double* c, int lc) {
  Convolve(a, la, b, lb, c, lc, method);
}
