#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "design/Shelf.h"
#include "display/Response.h"
#include "numerics/Convolution.h"
#include "numerics/Errors.h"
#include "numerics/ParallelWork.h"

namespace {

// Restores the default number of worker threads when a test is done with its own.
struct WorkerCount {
  explicit WorkerCount(int count) { SetWorkerThreadCount(count); }
  ~WorkerCount() { SetWorkerThreadCount(0); }
};

// The three bands of a design centred in the longest count, the mid band adjusted or not, and each
// cascaded with the shelving filter of cutDb when cutDb > 0.
std::vector<RealArray> Design(int lowTaps, int midTaps, int highTaps, double lowHz, double highHz, bool adjust,
                              int cutDb) {
  const double beta = KaiserBeta(144);
  const int total = std::max({lowTaps, midTaps, highTaps});
  RealArray low = CentreBand(DesignLowPass(lowTaps, lowHz, beta, SampleRate), total);
  RealArray mid = CentreBand(DesignBandPass(midTaps, lowHz, highHz, beta, SampleRate), total);
  RealArray high = CentreBand(DesignHighPass(highTaps, highHz, beta, SampleRate), total);
  if (adjust) AdjustMidBand(low, mid, high, SumBands(low, mid, high, total), total);
  std::vector<RealArray> bands = {low, mid, high, SumBands(low, mid, high, total)};
  if (cutDb == 0) return bands;
  RealArray shelf(ShelfLength);
  DesignShelf(200, 800, cutDb, SampleRate, shelf);
  for (RealArray& band : bands) {
    RealArray cascade(band.size() + ShelfLength - 1);
    ConvolveReal(band.data(), static_cast<int>(band.size()), shelf.data(), ShelfLength, cascade.data(),
                 static_cast<int>(cascade.size()));
    band = cascade;
  }
  return bands;
}

// A non-symmetric array from a fixed random start value: no linear phase, no structure to hide an error behind.
RealArray RandomTaps(int count) {
  std::mt19937 generator(20240611);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  RealArray taps(static_cast<size_t>(count));
  for (double& tap : taps) tap = value(generator);
  return taps;
}

// Every magnitude within 1e-12 absolute of the literal evaluation. A level follows from its magnitude,
// so it may differ by what that difference moves it (20 / (100 ln 10) times the relative difference)
// and a rounding more: deep in the stop band a tiny magnitude makes that far more than 1e-12.
void ExpectMatchesReference(const RealArray& coeffs, const std::string& name, int rateHz = SampleRate) {
  const int count = static_cast<int>(coeffs.size());
  ResponseCurve fastMagnitude, fastLevel, referenceMagnitude, referenceLevel;
  EvaluateResponse(coeffs, fastMagnitude, fastLevel, count, rateHz);
  EvaluateResponseReference(coeffs, referenceMagnitude, referenceLevel, count, rateHz);
  for (int i = 1; i <= GridPointCount; ++i) {
    const double reference = referenceMagnitude[i];
    const double difference = std::fabs(fastMagnitude[i] - reference);
    ASSERT_LE(difference, 1e-12) << name << " point " << i;
    const double levelSlack = 20 / (100 * std::log(10.0)) * difference / std::min(reference, fastMagnitude[i]) * 1.01;
    ASSERT_LE(std::fabs(fastLevel[i] - referenceLevel[i]), 1e-15 + levelSlack) << name << " point " << i;
  }
}

TEST(EvaluateResponseFast, MatchesTheLiteralEvaluation) {
  ExpectMatchesReference({1.0}, "one tap");
  ExpectMatchesReference({0.5, 0.5}, "two taps");
  ExpectMatchesReference({0.25, -1.5, 0.75}, "three taps");
  ExpectMatchesReference(RandomTaps(1000), "random 1000");
  ExpectMatchesReference(RandomTaps(1000), "random 1000 at 48 kHz", 48000);
  ExpectMatchesReference(RandomTaps(300), "random 300 at 8 kHz", MinSampleRate);
  const struct {
    int low, mid, high;
    double lowHz, highHz;
    bool adjust;
    int cutDb;
    std::vector<int> bands;  // which of low, mid, high, sum to compare
  } rows[] = {
      {901, 701, 301, 300, 2000, true, 0, {0, 1, 2, 3}},
      {301, 301, 301, 150, 5000, false, 0, {0, 1, 2, 3}},
      {65, 33, 17, 1000, 3000, true, 0, {0, 1, 2, 3}},
      {901, 701, 301, 300, 2000, true, 6, {0, 3}},
      {501, 401, 201, 400, 2500, false, 3, {1, 2}},
  };
  for (const auto& row : rows) {
    const std::vector<RealArray> bands =
        Design(row.low, row.mid, row.high, row.lowHz, row.highHz, row.adjust, row.cutDb);
    for (const int band : row.bands) {
      ExpectMatchesReference(bands[band], std::to_string(row.low) + "/" + std::to_string(row.cutDb) + " dB band " +
                                              std::to_string(band) + (row.adjust ? " adjusted" : ""));
    }
  }
}

// Long filters, where the literal evaluation takes minutes: against a direct sum in long double over
// the exactly reduced angles, every 5th point. The default design's 65535-tap cascades at 44.1 kHz,
// and a filter longer than the rate folding onto itself at 8 kHz.
TEST(EvaluateResponseFast, LongFiltersMatchADirectLongDoubleSum) {
  const std::vector<RealArray> bands = Design(65535, 701, 301, 300, 2000, true, 6);
  const struct {
    const RealArray& coeffs;
    int rateHz;
    const char* name;
  } rows[] = {{bands[0], SampleRate, "65535 low band"}, {bands[3], SampleRate, "65535 sum"},
              {RandomTaps(20011), MinSampleRate, "random 20011 at 8 kHz"}};
  for (const auto& row : rows) {
    const int count = static_cast<int>(row.coeffs.size());
    ResponseCurve magnitude, level;
    EvaluateResponse(row.coeffs, magnitude, level, count, row.rateHz);
    std::vector<long double> cosines(row.rateHz), sines(row.rateHz);
    for (int r = 0; r < row.rateHz; ++r) {
      cosines[r] = std::cos(2 * std::numbers::pi_v<long double> * r / row.rateHz);
      sines[r] = std::sin(2 * std::numbers::pi_v<long double> * r / row.rateHz);
    }
    for (int i = 1; i <= GridPointCount; i += 5) {
      long double re = 0, im = 0;
      int64_t phase = 0;
      for (const double tap : row.coeffs) {
        re += tap * cosines[phase];
        im -= tap * sines[phase];
        phase = (phase + GridFrequency(i)) % row.rateHz;
      }
      ASSERT_NEAR(magnitude[i], static_cast<double>(std::sqrt(re * re + im * im)), 1e-12) << row.name << " point " << i;
    }
  }
}

// Coefficients near the ends of the double range give the magnitudes the literal sums give, relative
// to their size, and a magnitude beyond the range is an overflow as there.
TEST(EvaluateResponseFast, ExtremeScalesKeepTheirPrecision) {
  for (const double scale : {0x1p1000, 0x1p-1000}) {
    RealArray coeffs = RandomTaps(200);
    for (double& value : coeffs) value *= scale;
    ResponseCurve fast, fastLevel, reference, referenceLevel;
    EvaluateResponse(coeffs, fast, fastLevel, 200, SampleRate);
    EvaluateResponseReference(coeffs, reference, referenceLevel, 200, SampleRate);
    for (int i = 1; i <= GridPointCount; ++i) {
      ASSERT_NEAR(fast[i] / scale, reference[i] / scale, 1e-13) << scale << " point " << i;
    }
  }
  ResponseCurve magnitude, level;
  try {
    EvaluateResponse({0x1p1023, 0x1p1023, 0x1p1023}, magnitude, level, 3, SampleRate);
    ADD_FAILURE() << "no overflow";
  } catch (const UserError& error) {
    EXPECT_STREQ(error.what(), "浮動小数点数のオーバーフロー");
  }
}

TEST(EvaluateResponseFast, FailsAsTheLiteralEvaluationDoes) {
  const struct {
    RealArray coeffs;
    int count;
    const char* message;
  } rows[] = {
      {{1.0}, 0, "0 による浮動小数点数除算"},
      {{0.0, 0.0, 0.0}, 3, "0 による浮動小数点数除算"},
      {{1e308, 1e308, 1e308}, 3, "浮動小数点数のオーバーフロー"},
  };
  for (const auto& row : rows) {
    for (const auto evaluate : {EvaluateResponse, EvaluateResponseReference}) {
      ResponseCurve magnitude, level;
      magnitude.fill(-7.25);
      level.fill(-7.25);
      try {
        evaluate(row.coeffs, magnitude, level, row.count, SampleRate);
        ADD_FAILURE() << "no error for " << row.message;
      } catch (const UserError& error) {
        EXPECT_STREQ(error.what(), row.message);
      }
      const bool zero = std::string(row.message) == "0 による浮動小数点数除算";
      EXPECT_EQ(magnitude[1], zero ? 0.0 : -7.25);
      for (int i = 2; i <= GridPointCount; ++i) EXPECT_EQ(magnitude[i], -7.25) << i;
      for (int i = 0; i <= GridPointCount; ++i) EXPECT_EQ(level[i], -7.25) << i;
    }
  }
}

// One filter's magnitudes for points first .. last, summed alone or alongside others.
std::vector<double> Magnitudes(const std::vector<const RealArray*>& filters, size_t which, int count, int first,
                               int last) {
  std::vector<std::vector<double>> out(filters.size(), std::vector<double>(last - first + 1));
  std::vector<double*> pointers;
  for (auto& values : out) pointers.push_back(values.data());
  EvaluateMagnitudes(filters, count, SampleRate, first, last, pointers);
  return out[which];
}

// However the points are grouped into passes and tasks, beside however many other filters, and
// whichever thread sums them, each point's sum is the same sequence of operations: the curves agree
// to the bit.
TEST(EvaluateResponseFast, SplitsGiveBitIdenticalResults) {
  const std::vector<RealArray> bands = Design(901, 701, 301, 300, 2000, true, 6);
  const RealArray& coeffs = bands[1];
  const int count = static_cast<int>(coeffs.size());

  const std::vector<double> whole = Magnitudes({&coeffs}, 0, count, 1, GridPointCount);
  std::vector<double> single, uneven;
  for (int i = 1; i <= GridPointCount; i += 19) single.push_back(Magnitudes({&coeffs}, 0, count, i, i)[0]);
  for (int first = 1, width = 1; first <= GridPointCount; first += width, width = width % 13 + 2) {
    const int last = std::min(first + width - 1, GridPointCount);
    const std::vector<double> part = Magnitudes({&bands[0], &coeffs, &bands[2]}, 1, count, first, last);
    uneven.insert(uneven.end(), part.begin(), part.end());
  }
  for (size_t j = 0; j < single.size(); ++j) EXPECT_EQ(single[j], whole[19 * j]) << 1 + 19 * j;
  EXPECT_EQ(uneven, whole);
  const std::vector<const RealArray*> five = {&bands[0], &bands[2], &bands[3], &bands[0], &coeffs};
  EXPECT_EQ(Magnitudes(five, 4, count, 1, GridPointCount), whole);
  EXPECT_EQ(Magnitudes({&bands[3], &coeffs}, 1, count, 1, GridPointCount), whole);

  ResponseCurve oneMagnitude{}, oneLevel{};
  {
    const WorkerCount workers(1);
    EvaluateResponse(coeffs, oneMagnitude, oneLevel, count, SampleRate);
  }
  for (const int threads : {2, 3, 7}) {
    const WorkerCount workers(threads);
    std::array<ResponseCurve, 4> magnitude{}, level{};
    const ResponseTarget targets[] = {{bands[0], magnitude[0], level[0]},
                                      {coeffs, magnitude[1], level[1]},
                                      {bands[2], magnitude[2], level[2]},
                                      {bands[3], magnitude[3], level[3]}};
    int stored = 0;
    EvaluateResponses(targets, count, SampleRate, [&stored] { ++stored; });
    EXPECT_EQ(stored, 4);
    EXPECT_EQ(magnitude[1], oneMagnitude) << threads;
    EXPECT_EQ(level[1], oneLevel) << threads;
  }
  for (int i = 1; i <= GridPointCount; ++i) EXPECT_EQ(oneMagnitude[i], whole[i - 1]) << i;
}

// Targets are stored in order: one that fails leaves the later ones as they were.
TEST(EvaluateResponseFast, AFailingTargetLeavesTheLaterOnesUntouched) {
  const RealArray good = {0.5, 0.25}, zero = {0.0, 0.0};
  std::array<ResponseCurve, 3> magnitude{}, level{};
  const ResponseTarget targets[] = {
      {good, magnitude[0], level[0]}, {zero, magnitude[1], level[1]}, {good, magnitude[2], level[2]}};
  int stored = 0;
  try {
    EvaluateResponses(targets, 2, SampleRate, [&stored] { ++stored; });
    ADD_FAILURE() << "no error";
  } catch (const UserError& error) {
    EXPECT_STREQ(error.what(), "0 による浮動小数点数除算");
  }
  EXPECT_EQ(stored, 1);
  EXPECT_NEAR(magnitude[0][950], std::hypot(0.5 + 0.25 * std::cos(2 * std::numbers::pi * 10000 / 44100),
                                          0.25 * std::sin(2 * std::numbers::pi * 10000 / 44100)), 1e-15);
  EXPECT_EQ(magnitude[1][1], 0.0);
  EXPECT_EQ(magnitude[1][2], 0.0);  // as it was: untouched
  EXPECT_EQ(level[1][1], 0.0);
  EXPECT_EQ(magnitude[2], ResponseCurve{});
}

}  // namespace
