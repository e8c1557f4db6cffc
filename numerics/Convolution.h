#pragma once

// Full linear convolution: c[j] = sum over k of a[k] * b[j-k], j = 0 .. la+lb-2; c[la+lb-1 .. lc-1]
// are set to 0. la, lb >= 1 and lc >= la+lb-1. The inputs are copied first, so c may share storage
// with a or b. Throws UserError (Messages::RangeCheck) before c is written when a length is negative
// or lc is too short; an empty input gives an all-zero c.
// Short convolutions are the direct sum, terms added in ascending k, each product and sum rounded to
// double: the same bits on any number of threads. Long ones between inputs of moderate size
// (ConvolutionUsesFft) go through FFTs by overlap-save, also independent of the threads.
void ConvolveReal(const double* a, int la, const double* b, int lb, double* c, int lc);

// The FFT takes over when the longer input has at least cFftConvolutionMinLength values and the shorter
// at least cFftConvolutionMinKernel, and the product of the inputs' Euclidean norms is at most
// cFftConvolutionNormLimit. Its rounding error grows with that product, the direct sum's with the
// size of the terms: for designed bands and shelves (norms up to 1) the two results were measured
// within 7e-16 of each other up to 1,000,001 taps, the FFT's the closer to the exact sum. The FFT is
// faster from a few hundred taps on (BM_ConvolutionMethods); the direct sums stay up to 4095 taps so
// that the usual designs keep their bits.
constexpr int cFftConvolutionMinLength = 4096;
constexpr int cFftConvolutionMinKernel = 64;
constexpr double cFftConvolutionNormLimit = 1.0;
bool ConvolutionUsesFft(int la, int lb, double normA, double normB);

// The expected cost of ConvolveReal for inputs of those lengths within the norm limit, in multiply-adds
// of the direct sum: la·lb where the direct sum runs, less where the FFT does. For progress weights.
double ConvolutionCost(int la, int lb);

// How ConvolveRealBy computes: as ConvolveReal chooses, always by the direct sum, the direct sum with
// two doubles per register even where the processor has wider ones (the same bits), or always by FFT
// (whose error then has no guaranteed bound). For the benchmarks and the tests.
enum class ConvolutionMethod { Chosen, Direct, DirectTwoLanes, Fft };
void ConvolveRealBy(ConvolutionMethod method, const double* a, int la, const double* b, int lb, double* c, int lc);
