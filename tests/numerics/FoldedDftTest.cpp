#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "numerics/FftwPlans.h"
#include "numerics/FoldedDft.h"
#include "numerics/SampleRate.h"
#include "tests/numerics/ErrorText.h"

namespace {

// Fixed pseudo-random coefficients in [-1, 1).
std::vector<double> TestFilter(size_t n, uint32_t state) {
  std::vector<double> h(n);
  for (double& value : h) value = static_cast<double>((state = state * 1664525u + 1013904223u) >> 8) / (1 << 23) - 1;
  return h;
}

// H(f) by the definition in long double, each term's angle reduced exactly as k*f mod rate and the
// unit circle tabulated once per rate.
class DirectResponse {
 public:
  explicit DirectResponse(int rateHz) : rate_(rateHz), cosines_(rateHz), sines_(rateHz) {
    for (int r = 0; r < rateHz; ++r) {
      const long double angle = -2 * std::numbers::pi_v<long double> * r / rateHz;
      cosines_[r] = std::cos(angle);
      sines_[r] = std::sin(angle);
    }
  }
  std::complex<long double> At(const std::vector<double>& h, int f) const {
    long double re = 0, im = 0;
    int64_t phase = 0;  // k*f mod rate, stepped by f
    for (double value : h) {
      re += value * cosines_[phase];
      im += value * sines_[phase];
      phase += f;
      if (phase >= rate_) phase -= rate_;
    }
    return {re, im};
  }

 private:
  int rate_;
  std::vector<long double> cosines_, sines_;
};

double AbsoluteSum(const std::vector<double>& h) {
  double sum = 0;
  for (double value : h) sum += std::fabs(value);
  return sum;
}

// Largest |FFT - direct| over the bins 0, step, 2*step, ... and the last bin.
double WorstError(const std::vector<double>& h, int rateHz, int step) {
  const std::vector<std::complex<double>> spectrum = FoldedSpectrum(h, rateHz);
  const DirectResponse direct(rateHz);
  double worst = 0;
  const int last = rateHz / 2;
  for (int f = 0; f <= last; f = (f == last) ? last + 1 : std::min(f + step, last)) {
    const std::complex<long double> want = direct.At(h, f);
    worst = std::max(worst, static_cast<double>(std::abs(std::complex<long double>(spectrum[f]) - want)));
  }
  return worst;
}

TEST(FoldedDftTest, BinCountIsHalfTheRatePlusOne) {
  for (int rate : {1, 2, 3, 8001, 44100, 48000}) {
    EXPECT_EQ(FoldedSpectrum(std::vector<double>{1.0}, rate).size(), static_cast<size_t>(rate / 2 + 1)) << rate;
  }
}

// Short filters and filters longer than the rate, at a spread of bins including 0 and rate/2: the
// error against the direct long-double evaluation, relative to the sum of |h| (the scale of the rounding
// of any sum of the terms), measured at most 4.5e-17.
TEST(FoldedDftTest, MatchesDirectLongDoubleSum) {
  struct Case {
    int rate;
    size_t taps;
    int binStep;
  };
  for (const Case& c : {Case{44100, 1205, 7}, Case{48000, 511, 3}, Case{8001, 2047, 1}, Case{44100, 50001, 97},
                        Case{48000, 100000, 241}, Case{8001, 40003, 31}, Case{8001, 8001, 7}, Case{8001, 8002, 7}}) {
    const std::vector<double> h = TestFilter(c.taps, 77u + c.taps);
    EXPECT_LT(WorstError(h, c.rate, c.binStep), 2e-16 * AbsoluteSum(h)) << c.rate << " Hz, " << c.taps << " taps";
  }
}

TEST(FoldedDftTest, KnownSpectra) {
  // A delayed impulse: e^{-j 2 pi d f / rate}; a delay of d + rate gives the same.
  for (size_t delay : {size_t{0}, size_t{5}, size_t{44105}}) {
    std::vector<double> h(delay + 1, 0.0);
    h[delay] = 1;
    const auto spectrum = FoldedSpectrum(h, 44100);
    for (int f : {0, 1, 1000, 11025, 22050}) {
      const double angle = -2 * std::numbers::pi * static_cast<double>((delay % 44100) * f % 44100) / 44100;
      EXPECT_NEAR(spectrum[f].real(), std::cos(angle), 1e-15) << delay << " " << f;
      EXPECT_NEAR(spectrum[f].imag(), std::sin(angle), 1e-15) << delay << " " << f;
    }
  }
  // A full period of ones passes only DC: H(0) = rate, a whole number of turns elsewhere.
  const auto boxcar = FoldedSpectrum(std::vector<double>(48000, 1.0), 48000);
  EXPECT_DOUBLE_EQ(boxcar[0].real(), 48000.0);
  for (size_t f = 1; f < boxcar.size(); ++f) ASSERT_LT(std::abs(boxcar[f]), 1e-9) << f;
  // +1 at k and -1 at k + rate fold to exactly zero.
  std::vector<double> cancel(16002, 0.0);
  cancel[3] = 1;
  cancel[3 + 8001] = -1;
  for (const auto& value : FoldedSpectrum(cancel, 8001)) ASSERT_EQ(std::abs(value), 0.0);
}

TEST(FoldedDftTest, EmptyFilterAndBadRates) {
  for (const auto& value : FoldedSpectrum({}, 44100)) ASSERT_EQ(value, std::complex<double>(0, 0));
  const std::vector<double> h{1.0, 2.0};
  for (int rate : {0, -1, -44100, MaxSampleRate + 1}) {
    EXPECT_EQ(ErrorText([&] { FoldedSpectrum(h, rate); }), Messages::RangeCheck) << rate;
  }
  EXPECT_EQ(FoldedSpectrum(h, MaxSampleRate).size(), static_cast<size_t>(MaxSampleRate / 2 + 1));
}

// The grid's transform: at an even rate the folded bins of half its length are the responses at the
// even frequencies, bin b at 2b Hz; the buffers of one thread serve lengths growing and shrinking
// from call to call.
TEST(FoldedDftTest, BinsOfHalfTheRateAreTheEvenFrequencies) {
  for (const int rate : {44100, 48000, 8002}) {
    const std::vector<double> h = TestFilter(static_cast<size_t>(rate) + 777, static_cast<uint32_t>(rate));
    const DirectResponse direct(rate);
    for (const int period : {rate / 2, rate}) {
      const std::span<const std::complex<double>> bins = FoldedBins(h, period);
      ASSERT_EQ(bins.size(), static_cast<size_t>(period / 2 + 1));
      const int step = rate / period;
      for (int b = 0; b <= period / 2; b += 37) {
        const std::complex<long double> want = direct.At(h, b * step);
        ASSERT_LT(std::abs(std::complex<long double>(bins[b]) - want), 2e-16 * AbsoluteSum(h)) << rate << " " << b;
      }
    }
  }
  EXPECT_EQ(GridPeriod(44100), 22050);
  EXPECT_EQ(GridPeriod(11025), 11025);
  for (int i = 1; i <= GridPointCount; ++i) ASSERT_EQ(GridFrequency(i) % 2, 0) << i;
}

// Plans are made on first use from several threads at once; every thread gets the single-threaded
// result bit for bit.
TEST(FoldedDftTest, ConcurrentCallsGiveTheSameBits) {
  const std::vector<double> h = TestFilter(3000, 5u);
  const std::vector<int> rates = {9001, 9002, 9003, 9004, 9001, 9002, 9003, 9004};
  std::vector<std::vector<std::complex<double>>> results(rates.size());
  {
    std::vector<std::jthread> threads;
    for (size_t t = 0; t < rates.size(); ++t) threads.emplace_back([&, t] { results[t] = FoldedSpectrum(h, rates[t]); });
  }
  for (size_t t = 0; t < rates.size(); ++t) {
    const auto again = FoldedSpectrum(h, rates[t]);
    ASSERT_EQ(results[t].size(), again.size());
    for (size_t f = 0; f < again.size(); ++f) ASSERT_EQ(results[t][f], again[f]) << rates[t] << " " << f;
  }
}

}  // namespace

// The wisdom compiled in is FFTW's own text for the common transforms, and FFTW reads it back; the
// transforms planned with it are the ones the tests above check against the definition.
TEST(FftwWisdom, BuiltInWisdomIsReadable) {
  const std::string wisdom = BuiltInFftwWisdom();
  ASSERT_EQ(wisdom.rfind("(fftw-3", 0), 0u) << wisdom.substr(0, 40);
  EXPECT_EQ(fftw_import_wisdom_from_string(wisdom.c_str()), 1);
  for (const int rateHz : CommonSampleRates) {
    const std::vector<double> h = TestFilter(3 * static_cast<size_t>(rateHz) / 2, static_cast<uint32_t>(rateHz));
    const std::vector<std::complex<double>> spectrum = FoldedSpectrum(h, rateHz);
    // Bin 0 is the plain sum of the taps.
    long double sum = 0;
    for (double value : h) sum += value;
    EXPECT_NEAR(spectrum[0].real(), static_cast<double>(sum), 1e-9) << rateHz;
  }
}
