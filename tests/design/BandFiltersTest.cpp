#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "numerics/ParallelWork.h"
#include "tests/design/Magnitude.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double Beta = 14.91006;
const std::string RangeError = "範囲チェックエラー";

struct BandCase {
  const char* name;
  RealArray taps;
  double centre, next;                              // taps c and c + 1
  std::vector<std::pair<double, double>> response;  // frequency, magnitude
  double tolerance;
};

TEST(BandFiltersTest, DesignedBands) {
  const BandCase cases[] = {
      {"low", DesignLowPass(901, 300, Beta, SampleRate), 600.0 / 44100, 0.0136008162, {{300, 0.5}, {20, 1}, {2000, 0}}, 5e-8},
      {"mid", DesignBandPass(701, 300, 2000, Beta, SampleRate), 3400.0 / 44100, 0.0758746866,
       {{300, 0.5}, {1000, 1}, {2000, 0.5}}, 1e-3},
      {"high", DesignHighPass(301, 2000, Beta, SampleRate), 1 - 4000.0 / 44100, -0.0894518149, {{2000, 0.5}, {5000, 1}}, 1e-2},
  };
  for (const BandCase& band : cases) {
    const size_t c = band.taps.size() / 2;
    EXPECT_DOUBLE_EQ(band.taps[c], band.centre) << band.name;
    EXPECT_NEAR(band.taps[c + 1], band.next, 5e-11) << band.name;
    for (size_t n = 0; n < c; ++n) EXPECT_NEAR(band.taps[n], band.taps[2 * c - n], 1e-17) << band.name << " " << n;
    for (const auto& [f, magnitude] : band.response) {
      EXPECT_NEAR(Magnitude(band.taps, f), magnitude, band.tolerance) << band.name << " " << f;
    }
  }
  EXPECT_NEAR(DesignLowPass(901, 300, Beta, SampleRate)[0], 8.52468e-10, 5e-16);
}

TEST(BandFiltersTest, ShortAndDegenerateBands) {
  const RealArray three = DesignLowPass(3, 1000, Beta, SampleRate);
  EXPECT_DOUBLE_EQ(three[0], std::sin(2 * M_PI * 1000 / 44100) / BesselI0(Beta) / M_PI);
  EXPECT_EQ(three[0], three[2]);
  for (double tap : DesignLowPass(101, 0, Beta, SampleRate)) EXPECT_EQ(tap, 0.0);
  const RealArray high = DesignHighPass(101, 0, Beta, SampleRate);
  for (int n = 0; n < 101; ++n) EXPECT_NEAR(high[n], n == 50 ? 1.0 : 0.0, 1e-16) << n;

  EXPECT_EQ(ErrorText([] { DesignLowPass(1, 300, Beta, SampleRate); }), "不正な浮動小数点数演算命令");
  EXPECT_EQ(ErrorText([] { DesignBandPass(1, 300, 2000, Beta, SampleRate); }), "不正な浮動小数点数演算命令");
  EXPECT_EQ(ErrorText([] { DesignHighPass(-1, 2000, Beta, SampleRate); }), RangeError);
}

TEST(BandFiltersTest, CentreAndSum) {
  RealArray band(301);
  for (int j = 0; j < 301; ++j) band[j] = j + 1;
  const RealArray centred = CentreBand(band, 901);
  ASSERT_EQ(centred.size(), 901u);
  for (int i = 0; i < 901; ++i) EXPECT_EQ(centred[i], (i >= 300 && i <= 600) ? i - 299 : 0.0) << i;
  EXPECT_EQ(CentreBand(band, 301), band);
  EXPECT_EQ(ErrorText([&band] { CentreBand(band, 299); }), RangeError);
  EXPECT_EQ(SumBands({1, 2, 3}, {10, 20, 30}, {100, 200, 300, 400}, 3), RealArray({111, 222, 333}));
  EXPECT_EQ(ErrorText([] { SumBands({1, 2}, {1}, {1, 2}, 2); }), RangeError);
}

// The default three-way design with "adjust coefficient": crossovers at 300 and 2000 Hz.
TEST(BandFiltersTest, AdjustedBandsSumToAUnitImpulse) {
  const int total = 901, centre = 450;
  const RealArray low = CentreBand(DesignLowPass(901, 300, Beta, SampleRate), total);
  RealArray mid = CentreBand(DesignBandPass(701, 300, 2000, Beta, SampleRate), total);
  const RealArray high = CentreBand(DesignHighPass(301, 2000, Beta, SampleRate), total);
  const RealArray sum = SumBands(low, mid, high, total);
  EXPECT_NEAR(sum[centre], 1.0, 1e-15);

  RealArray shortMid(total - 1, 5.0);
  EXPECT_EQ(ErrorText([&] { AdjustMidBand(low, shortMid, high, sum, total); }), RangeError);
  EXPECT_EQ(shortMid, RealArray(total - 1, 5.0));

  AdjustMidBand(low, mid, high, sum, total);
  const RealArray adjusted = SumBands(low, mid, high, total);
  for (int i = 0; i < total; ++i) EXPECT_NEAR(adjusted[i], i == centre ? 1.0 : 0.0, 1e-16) << i;
  for (double f : {20.0, 300.0, 2000.0, 10000.0}) EXPECT_NEAR(Magnitude(adjusted, f), 1.0, 1e-13) << f;
}

// The three designs at other rates against the window-method formulas written out tap by tap: the
// band-pass as a difference of two sines, the high-pass as the negated low-pass at fh (the same
// ideal response as the shifted prototype), in extended precision.
TEST(BandFiltersTest, OtherRatesAgainstTheFormulas) {
  constexpr long double Pi = 3.141592653589793238463L;
  for (int rate : {48000, 96000}) {
    const int l = 301, c = 150;
    const RealArray low = DesignLowPass(l, 300, Beta, rate);
    const RealArray mid = DesignBandPass(l, 300, 2000, Beta, rate);
    const RealArray high = DesignHighPass(l, 2000, Beta, rate);
    EXPECT_DOUBLE_EQ(low[c], 600.0 / rate) << rate;
    EXPECT_DOUBLE_EQ(mid[c], 3400.0 / rate) << rate;
    EXPECT_DOUBLE_EQ(high[c], 1 - 4000.0 / rate) << rate;
    for (int n = 0; n < l; ++n) {
      if (n == c) continue;
      const int k = n - c;
      const long double w = KaiserWindow(l - 1, n, Beta);
      const long double lowTap = w * std::sin(2 * Pi * k * 300 / rate) / (Pi * k);
      const long double midTap = w * (std::sin(2 * Pi * k * 2000 / rate) - std::sin(2 * Pi * k * 300 / rate)) / (Pi * k);
      const long double highTap = -w * std::sin(2 * Pi * k * 2000 / rate) / (Pi * k);
      EXPECT_NEAR(low[n], static_cast<double>(lowTap), 1e-17) << rate << " " << n;
      EXPECT_NEAR(mid[n], static_cast<double>(midTap), 1e-17) << rate << " " << n;
      EXPECT_NEAR(high[n], static_cast<double>(highTap), 1e-16) << rate << " " << n;
    }
  }
}

// A band at another rate is what it is for the cutoff's share of that rate: 480 Hz at 48000 is the
// same filter as 441 Hz at 44100; and the response falls to one half at the cutoff at every rate.
TEST(BandFiltersTest, CutoffsAreSharesOfTheRate) {
  const RealArray at48 = DesignLowPass(901, 480, Beta, 48000);
  const RealArray at44 = DesignLowPass(901, 441, Beta, 44100);
  for (size_t n = 0; n < at48.size(); ++n) EXPECT_NEAR(at48[n], at44[n], 1e-17) << n;
  // The same transition in Hz needs a length in proportion to the rate: 901 taps at 44100 Hz.
  for (int rate : {48000, 96000, 192000}) {
    const int taps = 901 * rate / 44100 / 2 * 2 + 1;
    const RealArray low = DesignLowPass(taps, 300, Beta, rate);
    const RealArray high = DesignHighPass(taps, 300, Beta, rate);
    EXPECT_NEAR(Magnitude(low, 300, rate), 0.5, 1e-3) << rate;
    EXPECT_NEAR(Magnitude(low, 20, rate), 1.0, 1e-3) << rate;
    EXPECT_NEAR(Magnitude(low, 2000, rate), 0.0, 1e-6) << rate;
    EXPECT_NEAR(Magnitude(high, 300, rate), 0.5, 1e-3) << rate;
    EXPECT_NEAR(Magnitude(high, 2000, rate), 1.0, 1e-3) << rate;
    EXPECT_NEAR(Magnitude(high, 20, rate), 0.0, 1e-3) << rate;
  }
}

TEST(BandFiltersTest, RatesOutsideTheRangeDesignNothing) {
  const std::string message = "' is not a sampling rate: give a whole number of Hz from 8000 to 768000.";
  EXPECT_EQ(ErrorText([] { DesignLowPass(901, 300, Beta, 7999); }), "'7999" + message);
  EXPECT_EQ(ErrorText([] { DesignBandPass(701, 300, 2000, Beta, 0); }), "'0" + message);
  EXPECT_EQ(ErrorText([] { DesignHighPass(301, 2000, Beta, 768001); }), "'768001" + message);
}

// With "adjust coefficient" the three bands sum to a pure delay at any rate.
TEST(BandFiltersTest, AdjustedSumIsAPureDelayAtOtherRates) {
  for (int rate : {48000, 96000}) {
    const int total = 901, centre = 450;
    const RealArray low = CentreBand(DesignLowPass(901, 300, Beta, rate), total);
    RealArray mid = CentreBand(DesignBandPass(701, 300, 2000, Beta, rate), total);
    const RealArray high = CentreBand(DesignHighPass(301, 2000, Beta, rate), total);
    AdjustMidBand(low, mid, high, SumBands(low, mid, high, total), total);
    const RealArray adjusted = SumBands(low, mid, high, total);
    for (int i = 0; i < total; ++i) EXPECT_NEAR(adjusted[i], i == centre ? 1.0 : 0.0, 1e-16) << rate << " " << i;
  }
}

// The taps are split over the worker threads; every split gives the taps one thread computes, each
// equal to its own window weight times its ideal response.
TEST(BandDesignSplit, AnyNumberOfThreadsGivesTheSameTaps) {
  const double beta = KaiserBeta(144);
  SetWorkerThreadCount(1);
  const RealArray low = DesignLowPass(20001, 300, beta, 44100), high = DesignHighPass(9001, 2000, beta, 48000);
  for (const int threads : {2, 3, 7}) {
    SetWorkerThreadCount(threads);
    EXPECT_EQ(DesignLowPass(20001, 300, beta, 44100), low) << threads;
    EXPECT_EQ(DesignHighPass(9001, 2000, beta, 48000), high) << threads;
  }
  SetWorkerThreadCount(0);
  for (const int n : {0, 2047, 2048, 10000, 20000}) {
    const int k = n - 10000;
    const long double w = KaiserWindow(20000, n, beta);
    const long double ideal = k == 0 ? 2 * 300.0L / 44100
                                     : std::sin(k * 2 * std::numbers::pi_v<long double> * 300 / 44100) /
                                           (k * std::numbers::pi_v<long double>);
    EXPECT_NEAR(low[n], static_cast<double>(w * ideal), 1e-18) << n;
  }
}

}  // namespace

namespace {

// Every tap on its own, the window weight from KaiserWindow at that tap: what the designs compute
// when nothing is shared between the two halves.
template <typename Tap>
RealArray TapByTap(int l, double beta, Tap tap) {
  RealArray taps(static_cast<size_t>(l));
  for (int n = 0; n < l; ++n) taps[n] = static_cast<double>(tap(n - l / 2, static_cast<long double>(KaiserWindow(l - 1, n, beta))));
  return taps;
}

}  // namespace

// The designs take one window weight and one tap for each mirrored pair where the pair's weights
// agree: the result is the tap-by-tap computation bit for bit, for odd and even lengths, any rate,
// any cutoff and shape, and lengths that span several tasks of the worker threads.
TEST(BandFiltersTest, MirroredHalvesAreTheTapByTapComputation) {
  constexpr long double Pi = std::numbers::pi_v<long double>;
  constexpr long double TwoPi = 2 * Pi;
  struct Case {
    int l;
    double fl, fh, beta;
    int rate;
  };
  const Case cases[] = {{3, 300, 2000, Beta, 44100},       {5, 300, 2000, Beta, 44100},
                        {901, 300, 2000, Beta, 44100},    {900, 300, 2000, Beta, 44100},
                        {65535, 123.4, 5678.9, 5.65326, 48000}, {40001, 1000, 1001, 0.0, 8000},
                        {4097, 21.7, 19999.3, 9.0, 192000},     {20001, 3000, 7000, 14.91006, 11025}};
  for (const Case& c : cases) {
    const long double rate = c.rate;
    const RealArray low = TapByTap(c.l, c.beta, [&](int k, long double w) -> long double {
      if (k == 0) return w * 2 * c.fl / rate;
      return std::sin(k * TwoPi * c.fl / rate) * w / (k * Pi);
    });
    const long double width = static_cast<long double>(c.fh) - c.fl, sum = static_cast<long double>(c.fh) + c.fl;
    const RealArray mid = TapByTap(c.l, c.beta, [&](int k, long double w) -> long double {
      if (k == 0) return w * 2 * width / rate;
      return 2 * w / (k * Pi) * std::cos(k * Pi * sum / rate) * std::sin(k * Pi * width / rate);
    });
    const long double prototype = 1.0L - 2 * static_cast<long double>(c.fh) / rate;
    const RealArray high = TapByTap(c.l, c.beta, [&](int k, long double w) -> long double {
      if (k == 0) return w * prototype;
      return (k % 2 == 0 ? 1.0L : -1.0L) * w * std::sin(k * Pi * prototype) / (k * Pi);
    });
    const RealArray designedLow = DesignLowPass(c.l, c.fl, c.beta, c.rate);
    const RealArray designedMid = DesignBandPass(c.l, c.fl, c.fh, c.beta, c.rate);
    const RealArray designedHigh = DesignHighPass(c.l, c.fh, c.beta, c.rate);
    int differing = 0;
    for (int n = 0; n < c.l; ++n) {
      differing += std::memcmp(&low[n], &designedLow[n], sizeof(double)) != 0;
      differing += std::memcmp(&mid[n], &designedMid[n], sizeof(double)) != 0;
      differing += std::memcmp(&high[n], &designedHigh[n], sizeof(double)) != 0;
    }
    EXPECT_EQ(differing, 0) << c.l << " taps at " << c.rate << " Hz";
  }
}
