#pragma once

#include <complex>
#include <cstddef>
#include <memory>

#include <fftw3.h>

// The one place the process makes FFTW plans. FFTW executes a plan from any thread, but making or
// destroying one is not thread-safe, so every plan comes from here: made once per kind and length
// under one lock, kept until exit, with FFTW_ESTIMATE (no timing runs, the same plan every start).

struct FftwDeleter {
  void operator()(void* memory) const { fftw_free(memory); }
};
// Storage from fftw_malloc, aligned as the plans expect.
using FftwRealBuffer = std::unique_ptr<double[], FftwDeleter>;
using FftwComplexBuffer = std::unique_ptr<fftw_complex[], FftwDeleter>;

// Uninitialised aligned buffers of count elements (count >= 1). Throw std::bad_alloc when out of memory.
FftwRealBuffer AllocateFftwReal(size_t count);
FftwComplexBuffer AllocateFftwComplex(size_t count);

// Real-to-half-complex forward transform of length n >= 1, unscaled: out[f] = sum_k in[k] e^{-2 pi i k f / n},
// f = 0 .. n/2. Execute with fftw_execute_dft_r2c on buffers from the functions above; the input is kept.
fftw_plan RealForwardPlan(int n);

// Half-complex-to-real inverse of length n >= 1, unscaled (n times the inverse DFT). fftw_execute_dft_c2r
// overwrites its input.
fftw_plan RealInversePlan(int n);
