// The analysis window's costs at one Calc: its curves (two folded transforms, the cuts) and the design
// report, for the four filters of 901 taps (the defaults) up to 1,000,001 taps.
#include <benchmark/benchmark.h>

#include "bench/BenchFilters.h"

#include <random>
#include <vector>

#include "analysis/Report.h"
#include "numerics/CoreTypes.h"
#include "analysis/AnalysisCurves.h"

namespace {

// Every curve of the five plots for four filters of range(0) taps.
void BM_AnalysisCurves(benchmark::State& state) {
  const std::vector<double> h = RandomSymmetricFilter(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeAnalysisCurves({h, h, h, h}, SampleRate));
}
BENCHMARK(BM_AnalysisCurves)->Arg(901)->Arg(65535)->Arg(1000001)->Unit(benchmark::kMillisecond);

// The report the Report tab shows, for filters of range(0) taps.
void BM_DesignReport(benchmark::State& state) {
  const std::vector<double> h = RandomSymmetricFilter(state.range(0));
  ReportInput input;
  input.Low = input.Mid = input.High = input.Sum = h;
  input.BareLow = input.BareMid = input.BareHigh = h;
  input.AttenuationDb = 100;
  input.LowTaps = input.MidTaps = input.HighTaps = state.range(0);
  input.LowCutHz = input.MidLowHz = 300;
  input.MidHighHz = input.HighCutHz = 2000;
  for (auto _ : state) benchmark::DoNotOptimize(ComputeReport(input));
}
BENCHMARK(BM_DesignReport)->Arg(901)->Arg(65535)->Arg(1000001)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
