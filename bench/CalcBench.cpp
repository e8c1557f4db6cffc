// The stages of a Calc and the whole command at the tap counts that matter: the default design
// (901 taps, 2105 with the shelf), 65535 and 1,000,001 taps, each with the shelf at +6 dB.

#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "design/Shelf.h"
#include "display/Response.h"
#include "numerics/Convolution.h"
#include "numerics/FoldedDft.h"
#include "pipeline/Commands.h"
#include "pipeline/DesignState.h"
#include "pipeline/MemoryFields.h"

namespace {

const double cBeta = KaiserBeta(144);

// The default low band of taps, centred in itself, as the Calc makes it.
RealArray LowBand(int taps) { return DesignLowPass(taps, 300, cBeta, SampleRate); }

RealArray Shelf() {
  RealArray shelf(ShelfLength);
  DesignShelf(200, 800, 6, SampleRate, shelf);
  return shelf;
}

void BM_ShelfDesign(benchmark::State& state) {
  RealArray shelf(ShelfLength);
  for (auto _ : state) {
    DesignShelf(200, 800, 6, SampleRate, shelf);
    benchmark::DoNotOptimize(shelf.data());
  }
}
BENCHMARK(BM_ShelfDesign)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_LowPassDesign(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(LowBand(static_cast<int>(state.range(0))));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LowPassDesign)->Arg(901)->Arg(65535)->Arg(1000001)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Convolution(benchmark::State& state) {
  const int taps = static_cast<int>(state.range(0));
  const RealArray band = LowBand(taps), shelf = Shelf();
  RealArray cascade(static_cast<size_t>(taps) + ShelfLength - 1);
  for (auto _ : state) {
    ConvolveReal(band.data(), taps, shelf.data(), ShelfLength, cascade.data(), static_cast<int>(cascade.size()));
    benchmark::DoNotOptimize(cascade.data());
  }
  state.SetItemsProcessed(state.iterations() * taps * ShelfLength);
}
BENCHMARK(BM_Convolution)->Arg(901)->Arg(65535)->Arg(1000001)->Unit(benchmark::kMillisecond)->UseRealTime();

// The direct sum (0) against the FFT (1) at band lengths around where the FFT takes over.
void BM_ConvolutionMethods(benchmark::State& state) {
  const auto method = state.range(0) == 0 ? ConvolutionMethod::Direct : ConvolutionMethod::Fft;
  const int taps = static_cast<int>(state.range(1));
  const RealArray band = LowBand(taps), shelf = Shelf();
  RealArray cascade(static_cast<size_t>(taps) + ShelfLength - 1);
  for (auto _ : state) {
    ConvolveRealBy(method, band.data(), taps, shelf.data(), ShelfLength, cascade.data(), static_cast<int>(cascade.size()));
    benchmark::DoNotOptimize(cascade.data());
  }
  state.SetItemsProcessed(state.iterations() * taps * ShelfLength);
}
BENCHMARK(BM_ConvolutionMethods)
    ->ArgsProduct({{0, 1}, {65, 257, 901, 4097, 65535}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The folded FFT of one filter at a rate, the core of a response.
void BM_FoldedSpectrum(benchmark::State& state) {
  const int taps = static_cast<int>(state.range(0));
  const int rateHz = static_cast<int>(state.range(1));
  const RealArray coeffs = LowBand(taps);
  for (auto _ : state) benchmark::DoNotOptimize(FoldedSpectrum(coeffs, rateHz));
}
BENCHMARK(BM_FoldedSpectrum)
    ->Args({2105, 44100})
    ->Args({2105, 48000})
    ->Args({2105, 192000})
    ->Args({1001205, 44100})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One curve of count taps: the default cascade is 2105.
void BM_Response(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const RealArray coeffs = LowBand(count % 2 == 0 ? count + 1 : count);
  ResponseCurve magnitude, level;
  for (auto _ : state) {
    EvaluateResponse(coeffs, magnitude, level, count, SampleRate);
    benchmark::DoNotOptimize(magnitude.data());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_Response)->Arg(901)->Arg(2105)->Arg(66739)->Arg(1001205)->Unit(benchmark::kMillisecond)->UseRealTime();

// The four curves of a Calc summed side by side, as the Calc sums them.
void BM_FourResponses(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const RealArray coeffs = LowBand(count % 2 == 0 ? count + 1 : count);
  std::array<ResponseCurve, 4> magnitude, level;
  const ResponseTarget targets[] = {{coeffs, magnitude[0], level[0]},
                                    {coeffs, magnitude[1], level[1]},
                                    {coeffs, magnitude[2], level[2]},
                                    {coeffs, magnitude[3], level[3]}};
  for (auto _ : state) {
    EvaluateResponses(targets, count, SampleRate);
    benchmark::DoNotOptimize(magnitude.data());
  }
  state.SetItemsProcessed(state.iterations() * 4 * count);
}
BENCHMARK(BM_FourResponses)->Arg(2105)->Arg(66739)->Arg(1001205)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ResponseReference(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const RealArray coeffs = LowBand(count);
  ResponseCurve magnitude, level;
  for (auto _ : state) {
    EvaluateResponseReference(coeffs, magnitude, level, count, SampleRate);
    benchmark::DoNotOptimize(magnitude.data());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ResponseReference)->Arg(2105)->Unit(benchmark::kMillisecond)->Iterations(2);

// The whole Calc on the window's defaults with the low band at taps and the shelf at cutDb.
void BM_Calc(benchmark::State& state) {
  const int taps = static_cast<int>(state.range(0));
  const int cutDb = static_cast<int>(state.range(1));
  for (auto _ : state) {
    MemoryFields fields;
    fields.SetText(Field::Edit1, std::to_string(taps));
    fields.SetSliderPosition(6 - cutDb);
    DesignState design;
    const CalcOutcome outcome = CalcCommand(fields, design);
    if (outcome.Status != CalcStatus::Completed) state.SkipWithError(outcome.Message.c_str());
    benchmark::DoNotOptimize(design.SumMag.data());
  }
}
BENCHMARK(BM_Calc)
    ->Args({901, 0})
    ->Args({901, 6})
    ->Args({65535, 6})
    ->Args({65535, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Calc)->Args({1000001, 6})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
