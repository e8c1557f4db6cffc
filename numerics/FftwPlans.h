#pragma once

#include <complex>
#include <cstddef>
#include <memory>

#include <fftw3.h>

// The one place the process makes FFTW plans. FFTW executes a plan from any thread, but making or
// destroying one is not thread-safe, so every plan comes from here: made once per kind and length
// under one lock, kept until exit, with FFTW_ESTIMATE (no timing runs, the same plan every start).
// Before the first plan the wisdom recorded at build time for the common lengths is imported, so
// that those plans are found instead of searched for (about 8 ms for 44100 points): the same plans,
// made faster. On another machine whatever of it does not apply is ignored.

struct FftwDeleter {
  void operator()(void* memory) const { fftw_free(memory); }
};
// Storage from fftw_malloc, aligned as the plans expect.
using FftwRealBuffer = std::unique_ptr<double[], FftwDeleter>;
using FftwComplexBuffer = std::unique_ptr<fftw_complex[], FftwDeleter>;

// The block length of the FFT convolution with a kernel as long as the shelving filter.
inline constexpr int ConvolutionBlockLength = 8192;

// The wisdom recorded at build time for the common lengths, as FFTW's text; empty in the tool that
// records it.
const char* BuiltInFftwWisdom();

// Uninitialised aligned buffers of count elements (count >= 1). Throw std::bad_alloc when out of memory.
FftwRealBuffer AllocateFftwReal(size_t count);
FftwComplexBuffer AllocateFftwComplex(size_t count);

// Real-to-half-complex forward transform of length n >= 1, unscaled: out[f] = sum_k in[k] e^{-2 pi i k f / n},
// f = 0 .. n/2. Execute with fftw_execute_dft_r2c on buffers from the functions above; the input is kept.
fftw_plan RealForwardPlan(int n);

// Half-complex-to-real inverse of length n >= 1, unscaled (n times the inverse DFT). fftw_execute_dft_c2r
// overwrites its input.
fftw_plan RealInversePlan(int n);
