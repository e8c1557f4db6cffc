#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <tuple>

#include "design/Kaiser.h"
#include "design/Shelf.h"
#include "numerics/Complexs.h"
#include "numerics/FFTs.h"
#include "tests/design/Magnitude.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double Bin = 44100.0 / ShelfLength;

TEST(ShelfTest, Gains) {
  const double stop = std::pow(10.0, -6.0 / 20);
  for (int bin = 1; bin <= 602; ++bin) {
    const double gain = ShelfGain(bin * Bin, 200, 800, 6);
    if (bin <= 5 || bin >= 22) {
      EXPECT_DOUBLE_EQ(gain, bin <= 5 ? 1.0 : stop) << bin;
    } else {
      EXPECT_TRUE(gain < 1 && gain > stop) << bin;
    }
  }
  EXPECT_NEAR(ShelfGain(6 * Bin, 200, 800, 6), 0.9545156, 5e-8);
  EXPECT_NEAR(ShelfGain(21 * Bin, 200, 800, 6), 0.5113047, 5e-8);
  EXPECT_NEAR(20 * std::log10(ShelfGain(400, 200, 800, 6)), -3.0, 1e-12);
  EXPECT_EQ(ShelfGain(200, 200, 800, 6), 1.0);  // the corners belong to the flat parts
  EXPECT_DOUBLE_EQ(ShelfGain(800, 200, 800, 6), stop);
  EXPECT_EQ(ShelfGain(Bin, 40, 80, 6), 1.0);
  EXPECT_LT(ShelfGain(2 * Bin, 40, 80, 6), 1.0);
  EXPECT_DOUBLE_EQ(ShelfGain(3 * Bin, 40, 80, 6), stop);
}

TEST(ShelfTest, SixDecibelShelf) {
  RealArray taps(ShelfLength);
  DesignShelf(200, 800, 6, SampleRate, taps);
  EXPECT_NEAR(taps[602], 0.5102313, 5e-8);
  EXPECT_NEAR(taps[601], 0.0090370, 5e-8);
  EXPECT_NEAR(taps[603], 0.0090371, 5e-8);
  const std::pair<double, double> response[] = {
      {20, 0.0}, {100, 0.0}, {200, -0.20}, {400, -2.99}, {800, -5.95}, {2000, -6.00}, {10000, -6.00},
  };
  for (const auto& [f, db] : response) {
    EXPECT_NEAR(20 * std::log10(Magnitude(taps, f)), db, f <= 100 ? 0.001 : 0.005) << f;
  }
}

TEST(ShelfTest, NoCutAndShortOutput) {
  RealArray taps(ShelfLength, 3.0);
  DesignShelf(200, 800, 0, SampleRate, taps);
  for (int n = 0; n < ShelfLength; ++n) EXPECT_NEAR(taps[n], n == 602 ? 0.9999988 : 0.0, n == 602 ? 5e-8 : 1e-15);
  RealArray shortTaps(ShelfLength - 1, 7.0);
  EXPECT_EQ(ErrorText([&] { DesignShelf(200, 800, 6, SampleRate, shortTaps); }), "範囲チェックエラー");
  EXPECT_EQ(shortTaps, RealArray(ShelfLength - 1, 7.0));
}

// The shelf at rate rateHz written out: the inverse DFT of the sampled gains as a cosine sum in
// extended precision, rotated so that time 0 lands on tap 602, then the same Kaiser taper.
RealArray ReferenceShelf(double f1, double f2, int a, int rateHz) {
  constexpr long double TwoPi = 6.283185307179586477L;
  const double bin = static_cast<double>(rateHz) / ShelfLength;
  RealArray gains(ShelfLength);
  gains[0] = 1.0;
  for (int k = 1; k <= ShelfLength / 2; ++k) gains[k] = gains[ShelfLength - k] = ShelfGain(k * bin, f1, f2, a);
  RealArray taps(ShelfLength);
  for (int j = 0; j < ShelfLength; ++j) {
    const int time = (j + ShelfLength / 2 + 1) % ShelfLength;
    long double sum = 0;
    for (int k = 0; k < ShelfLength; ++k) sum += gains[k] * std::cos(TwoPi * ((static_cast<long>(k) * time) % ShelfLength) / ShelfLength);
    taps[j] = static_cast<double>(sum / ShelfLength) * KaiserWindow(ShelfLength, j, 4.0);
  }
  return taps;
}

// At other rates the bins lie rateHz / 1205 apart, so the same corners fall on fewer bins: the
// shelf still follows its corners in Hz, not in shares of the rate.
TEST(ShelfTest, OtherRates) {
  for (int rate : {48000, 96000}) {
    RealArray taps(ShelfLength);
    DesignShelf(200, 800, 6, rate, taps);
    const RealArray reference = ReferenceShelf(200, 800, 6, rate);
    for (int j = 0; j < ShelfLength; ++j) EXPECT_NEAR(taps[j], reference[j], 1e-15) << rate << " " << j;
  }
  // Response in dB at the corners, their geometric mean and beyond, at 48 and 96 kHz.
  const std::tuple<int, double, double> response[] = {
      {48000, 20, 0.00},   {48000, 200, -0.15}, {48000, 400, -2.99}, {48000, 800, -5.95},
      {48000, 2000, -6.00}, {48000, 10000, -6.00}, {96000, 20, 0.00},  {96000, 200, -0.41},
      {96000, 400, -2.96}, {96000, 800, -5.91}, {96000, 2000, -6.00}, {96000, 10000, -6.00},
  };
  for (const auto& [rate, f, db] : response) {
    RealArray taps(ShelfLength);
    DesignShelf(200, 800, 6, rate, taps);
    EXPECT_NEAR(20 * std::log10(Magnitude(taps, f, rate)), db, 0.005) << rate << " " << f;
  }
  RealArray untouched(ShelfLength, 7.0);
  EXPECT_EQ(ErrorText([&] { DesignShelf(200, 800, 6, 7999, untouched); }),
            "'7999' is not a sampling rate: give a whole number of Hz from 8000 to 768000.");
  EXPECT_EQ(untouched, RealArray(ShelfLength, 7.0));
}

// The design computes the corners' logarithms and the gain above f2 once, and one Bessel series for
// two samples whose arguments agree: the taps are, bit for bit, those of each bin's ShelfGain, the
// transform, and each sample's own KaiserWindow.
TEST(ShelfTest, SharedValuesGiveTheBinByBinAndSampleBySampleBits) {
  const std::tuple<double, double, int, int> designs[] = {
      {200, 800, 6, 44100}, {40, 80, 1, 44100}, {123.4, 7000, 5, 48000}, {1000, 30000, 3, 96000}, {45, 90, 6, 8000}};
  for (const auto& [f1, f2, a, rate] : designs) {
    ComplexArray spectrum(ShelfLength);
    spectrum[0] = MakeComplex(1.0, 0.0);
    const double bin = rate / static_cast<double>(ShelfLength);
    for (int k = 1; k <= ShelfLength / 2; ++k) {
      const double gain = ShelfGain(static_cast<double>(k * static_cast<long double>(bin)), f1, f2, a);
      spectrum[k] = spectrum[ShelfLength - k] = MakeComplex(gain, 0.0);
    }
    ComplexArray impulse(ShelfLength);
    MixedRadixFft(spectrum.data(), impulse.data(), ShelfLength);
    RealArray taps(ShelfLength);
    DesignShelf(f1, f2, a, rate, taps);
    for (int j = 0; j < ShelfLength; ++j) {
      const double expected = impulse[(j + ShelfLength / 2 + 1) % ShelfLength].re * KaiserWindow(ShelfLength, j, 4.0);
      ASSERT_EQ(std::bit_cast<uint64_t>(taps[j]), std::bit_cast<uint64_t>(expected)) << f1 << " " << rate << " " << j;
    }
  }
}

}  // namespace
