// The acoustic model's costs: the filters' responses at the 527 output frequencies (the direct sum,
// which grows with the length) and the minimum phase of a measurement without phase.
#include <benchmark/benchmark.h>

#include "bench/BenchFilters.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "acoustic/AcousticModel.h"
#include "acoustic/FilterResponse.h"
#include "acoustic/Measurement.h"
#include "numerics/CoreTypes.h"
#include "numerics/ParallelWork.h"

namespace {

// One filter at the output frequencies; range(0) taps, range(1) worker threads (0: one per core).
void BM_CentredResponse(benchmark::State& state) {
  const std::vector<double> h = RandomSymmetricFilter(state.range(0));
  const std::vector<double> frequencies = AcousticFrequencies(SampleRate);
  SetWorkerThreadCount(static_cast<int>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(CentredResponse(h, frequencies, SampleRate));
  SetWorkerThreadCount(0);
  state.SetItemsProcessed(state.iterations() * state.range(0) * static_cast<int64_t>(frequencies.size()));
}
BENCHMARK(BM_CentredResponse)
    ->Args({2105, 1})
    ->Args({100001, 1})
    ->Args({1000001, 1})
    ->Args({1000001, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole model for three ways of range(0) taps with ideal drivers.
void BM_ComputeAcoustic(benchmark::State& state) {
  const std::vector<double> h = RandomSymmetricFilter(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeAcoustic(DriverSet{}, {h, h, h}, SampleRate));
}
BENCHMARK(BM_ComputeAcoustic)->Arg(2105)->Arg(1000001)->Unit(benchmark::kMillisecond)->UseRealTime();

// Parsing a 1/48-octave measurement of 20 Hz .. 20 kHz without phase: the minimum phase dominates.
void BM_ParseWithoutPhase(benchmark::State& state) {
  std::string text;
  for (int n = 0; n <= 478; ++n) {
    const double f = 20.0 * std::pow(2.0, n / 48.0);
    text += std::to_string(f) + " " + std::to_string(85.0 - 3.0 * std::log2(1 + 50.0 / f)) + "\n";
  }
  for (auto _ : state) benchmark::DoNotOptimize(ParseMeasurement(text, "bench.frd"));
}
BENCHMARK(BM_ParseWithoutPhase)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
