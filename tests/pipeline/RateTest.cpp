// The Calc and the length estimate at the rate the fields hold: the bands against Kaiser's formulas
// written out at that rate, the responses against the literal DFT at that rate, the shelf at its
// corners, the adjusted sum a pure delay, the estimate's Nyquist, and a rate out of range refused.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <string>

#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"

namespace {

constexpr long double Pi = std::numbers::pi_v<long double>;

// I0 by its power series, summed until the terms no longer change the sum.
long double ReferenceI0(long double x) {
  long double sum = 1, term = 1;
  for (int k = 1; k < 500 && term > sum * 1e-22L; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
  }
  return sum;
}

// Tap k (centre 0) of the Kaiser low-pass of `count` taps cutting at cutHz at rateHz: the ideal
// low-pass sin(2 pi k fc / fs) / (pi k), 2 fc / fs at the centre, times the Kaiser window for the
// stop-band attenuation attenuationDb (beta = 0.1102 (A - 8.7) above 50 dB).
double ReferenceLowTap(int k, int count, double cutHz, double attenuationDb, int rateHz) {
  const long double beta = 0.1102L * (attenuationDb - 8.7L);
  const long double half = (count - 1) / 2;
  const long double ratio = k / half;
  const long double window = ReferenceI0(beta * std::sqrt(1 - ratio * ratio)) / ReferenceI0(beta);
  const long double ideal = k == 0 ? 2 * cutHz / rateHz : std::sin(2 * Pi * k * cutHz / rateHz) / (Pi * k);
  return static_cast<double>(ideal * window);
}

// |H(f)| by the plain DFT sum at rateHz, in extended precision.
double LiteralMagnitude(const RealArray& taps, double frequencyHz, int rateHz) {
  std::complex<long double> sum = 0;
  for (size_t n = 0; n < taps.size(); ++n) {
    sum += static_cast<long double>(taps[n]) * std::polar(1.0L, -2 * Pi * frequencyHz * n / rateHz);
  }
  return static_cast<double>(std::abs(sum));
}

MemoryFields SmallDesignAt(int rateHz, bool adjust, int cutDb) {
  MemoryFields fields;
  fields.SetRateHz(rateHz);
  fields.SetAdjustChecked(adjust);
  fields.SetSliderPosition(SliderPositionOfCut(cutDb));
  fields.SetText(Field::Edit1, "201");
  fields.SetText(Field::Edit9, "201");
  fields.SetText(Field::Edit10, "201");
  return fields;
}

class RateCalc : public testing::TestWithParam<int> {};

TEST_P(RateCalc, BandsAndResponsesAreThoseOfTheRate) {
  const int rateHz = GetParam();
  MemoryFields fields = SmallDesignAt(rateHz, false, 0);
  DesignState state;
  const CalcOutcome outcome = CalcCommand(fields, state);
  ASSERT_EQ(outcome.Status, CalcStatus::Completed) << outcome.Message;
  EXPECT_EQ(state.RateHz, rateHz);
  EXPECT_EQ(outcome.Record->RateHz, rateHz);

  ASSERT_EQ(state.LowCoeffs.size(), 201u);
  for (int n = 0; n < 201; ++n) {
    const double expected = ReferenceLowTap(n - 100, 201, 300, 144, rateHz);
    EXPECT_NEAR(state.LowCoeffs[n], expected, 1e-15 + 1e-12 * std::fabs(expected)) << n;
  }
  // The curves at a few grid points, from the low band's response to the sum's.
  for (int i : {1, 50, 150, 300, 500, 501, 700, 950}) {
    const double f = GridFrequency(i);
    EXPECT_NEAR(state.LowMag[i], LiteralMagnitude(state.LowCoeffs, f, rateHz), 1e-10) << f;
    EXPECT_NEAR(state.MidMag[i], LiteralMagnitude(state.MidCoeffs, f, rateHz), 1e-10) << f;
    EXPECT_NEAR(state.SumMag[i], LiteralMagnitude(state.SumCoeffs, f, rateHz), 1e-10) << f;
  }
}

TEST_P(RateCalc, AdjustedSumIsAPureDelay) {
  const int rateHz = GetParam();
  MemoryFields fields = SmallDesignAt(rateHz, true, 0);
  DesignState state;
  ASSERT_EQ(CalcCommand(fields, state).Status, CalcStatus::Completed);
  for (int n = 0; n < 201; ++n) EXPECT_NEAR(state.SumCoeffs[n], n == 100 ? 1.0 : 0.0, 1e-15) << n;
  for (int i = 1; i <= GridPointCount; ++i) EXPECT_NEAR(state.SumMag[i], 1.0, 1e-14) << i;
}

TEST_P(RateCalc, ShelfAtItsCorners) {
  const int rateHz = GetParam();
  MemoryFields fields = SmallDesignAt(rateHz, true, 6);
  DesignState state;
  ASSERT_EQ(CalcCommand(fields, state).Status, CalcStatus::Completed);
  const auto db = [&](double f) { return 20 * std::log10(LiteralMagnitude(state.ShelfCoeffs, f, rateHz)); };
  // Flat below f1 = 200 Hz, the full cut above f2 = 800 Hz, half of it between on the log scale; the
  // gains are sampled rateHz / 1205 Hz apart (80 Hz at 96000), which rounds the corners by a bin.
  EXPECT_NEAR(db(20), 0.0, 0.01);
  EXPECT_NEAR(db(200), 0.0, 0.5);
  EXPECT_NEAR(db(400), -3.0, 0.05);
  EXPECT_NEAR(db(800), -6.0, 0.1);
  EXPECT_NEAR(db(4000), -6.0, 0.01);
  // The bins sit rateHz / 1205 apart, so the taps differ between rates.
  MemoryFields standard = SmallDesignAt(SampleRate, true, 6);
  DesignState standardState;
  ASSERT_EQ(CalcCommand(standard, standardState).Status, CalcStatus::Completed);
  EXPECT_NE(state.ShelfCoeffs, standardState.ShelfCoeffs);
}

INSTANTIATE_TEST_SUITE_P(Rates, RateCalc, testing::Values(48000, 96000));

TEST(RateEstimate, NyquistIsHalfTheRate) {
  const auto idealTaps = [](int rateHz, const char* pass, const char* stop) {
    MemoryFields fields;
    fields.SetRateHz(rateHz);
    fields.SetText(Field::Edit6, pass);
    fields.SetText(Field::Edit7, stop);
    LengthEstimateCommand(fields);
    return fields.CaptionText(Caption::Label20);
  };
  // N = 136 / (2.285 * 2 pi 600 / rate) + 1: 699 at 44100, 758.7 -> 759 at 48000, 1516.5 -> 1517 at 96000.
  EXPECT_EQ(idealTaps(44100, "300", "900"), "Ideal Taps： 699");
  EXPECT_EQ(idealTaps(48000, "300", "900"), "Ideal Taps： 759");
  EXPECT_EQ(idealTaps(96000, "300", "900"), "Ideal Taps： 1517");
  // Edges and rate scaled together leave the estimate as it is.
  EXPECT_EQ(idealTaps(96000, "600", "1800"), idealTaps(48000, "300", "900"));
  // Edges up to Nyquist: the transition of 48000 / 2 - 20000 Hz.
  EXPECT_EQ(idealTaps(48000, "20000", "24000"), idealTaps(96000, "40000", "48000"));
}

TEST(RateRefused, OutOfRangeFailsTheCalcAndTheEstimate) {
  for (int rateHz : {0, 7999, 768001}) {
    MemoryFields fields;
    fields.SetRateHz(rateHz);
    DesignState state;
    const CalcOutcome outcome = CalcCommand(fields, state);
    EXPECT_EQ(outcome.Status, CalcStatus::Failed);
    EXPECT_EQ(outcome.Message, SampleRateMessage(std::to_string(rateHz)));
    EXPECT_TRUE(state.LowCoeffs.empty());
    try {
      LengthEstimateCommand(fields);
      ADD_FAILURE() << rateHz;
    } catch (const UserError& error) {
      EXPECT_EQ(error.Text(), SampleRateMessage(std::to_string(rateHz)));
    }
  }
}

TEST(SliderRule, CutsAndPositionsRoundTrip) {
  for (int position = 0; position <= SliderBottom; ++position) {
    EXPECT_EQ(ShelfCutOfPosition(position), 6 - position);
    EXPECT_EQ(SliderPositionOfCut(ShelfCutOfPosition(position)), position);
  }
  EXPECT_EQ(CascadeLengthOf(1205, 901), 2105);
  EXPECT_EQ(CascadeLengthOf(1205, INT32_MAX - 1204), INT32_MAX);
  EXPECT_THROW(CascadeLengthOf(1205, INT32_MAX - 1203), UserError);
}

TEST(RateNames, PlaceholderReplacedEverywhere) {
  EXPECT_EQ(WithRate("xo-{rate}", 48000), "xo-48000");
  EXPECT_EQ(WithRate("{rate}/{rate}.png", 96000), "96000/96000.png");
  EXPECT_EQ(WithRate("plain", 48000), "plain");
  EXPECT_EQ(WithRate("{rat}{rate", 48000), "{rat}{rate");
}

}  // namespace
