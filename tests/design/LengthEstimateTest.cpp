#include <gtest/gtest.h>

#include "design/LengthEstimate.h"
#include "numerics/Errors.h"
#include "tests/numerics/ErrorText.h"

namespace {

TEST(LengthEstimateTest, IdealTapsAtSeveralRates) {
  struct Row {
    double passHz, stopHz;
    int rateHz;
    int32_t taps;
  };
  const Row rows[] = {
      {300, 900, 44100, 699},   {1000, 1100, 44100, 4179},   {0, 22050, 44100, 21},
      {300, 900, 48000, 759},   {300, 900, 96000, 1517},     {1000, 1100, 192000, 18189},
      // From 0 to the Nyquist frequency is the widest transition at every rate: D = 136 / (2.285 pi).
      {0, 24000, 48000, 21},    {0, 48000, 96000, 21},       {0, 384000, 768000, 21},
      {0, 4000, 8000, 21},      {900, 300, 96000, 1517},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(KaiserIdealTaps(row.passHz, row.stopHz, 144, row.rateHz), row.taps)
        << row.passHz << " " << row.stopHz << " " << row.rateHz;
  }
}

TEST(LengthEstimateTest, TransitionWidthIsTheFormulaTurnedAround) {
  EXPECT_NEAR(KaiserTransitionWidthHz(144, 901, 44100), 464.1612869866042, 1e-9);
  EXPECT_NEAR(KaiserTransitionWidthHz(40, 201, 44100), 491.4648921034632, 1e-9);
  EXPECT_NEAR(KaiserTransitionWidthHz(144, 901, 96000), 464.1612869866042 * 96000 / 44100, 1e-9);
  // The estimate for that width gives the tap count back (or the next odd count, since the estimate
  // is the smallest odd count above N and N itself may round down).
  for (const int rateHz : {8000, 44100, 96000, 768000}) {
    for (const int64_t taps : {3, 101, 901, 65537}) {
      for (const double attenuationDb : {21.0, 60.0, 144.0}) {
        const double widthHz = KaiserTransitionWidthHz(attenuationDb, taps, rateHz);
        const int32_t estimate = KaiserIdealTaps(1000, 1000 + widthHz, attenuationDb, rateHz);
        EXPECT_TRUE(estimate == taps || estimate == taps + 2) << rateHz << " " << taps << " " << attenuationDb;
      }
    }
  }
  EXPECT_EQ(KaiserTransitionWidthHz(8, 901, 44100), 0);
  EXPECT_EQ(KaiserTransitionWidthHz(-3, 901, 44100), 0);
  EXPECT_EQ(KaiserTransitionWidthHz(144, 1, 44100), 0);
}

// Edges and rate scaled together describe the same normalised transition.
TEST(LengthEstimateTest, ScalingEdgesWithTheRateKeepsTheCount) {
  for (int factor : {2, 4}) {
    EXPECT_EQ(KaiserIdealTaps(300.0 * factor, 900.0 * factor, 144, 44100 * factor), 699) << factor;
    EXPECT_EQ(KaiserIdealTaps(1000.0 * factor, 1100.0 * factor, 144, 44100 * factor), 4179) << factor;
  }
  // The count grows in proportion to the rate for fixed edges.
  const int32_t at48 = KaiserIdealTaps(1000, 1100, 144, 48000);
  const int32_t at96 = KaiserIdealTaps(1000, 1100, 144, 96000);
  EXPECT_NEAR(at96, 2.0 * at48, 3);
}

TEST(LengthEstimateTest, Failures) {
  EXPECT_EQ(ErrorText([] { KaiserIdealTaps(300, 300, 144, 48000); }), Messages::ZeroDivide);
  EXPECT_EQ(ErrorText([] { KaiserIdealTaps(300, 300, 8, 48000); }), Messages::InvalidOperation);
  EXPECT_EQ(ErrorText([] { KaiserIdealTaps(300, 300.0000001, 144, 96000); }), Messages::RangeCheck);
  EXPECT_EQ(ErrorText([] { KaiserIdealTaps(300, 900, 144, 0); }),
            "'0' is not a sampling rate: give a whole number of Hz from 8000 to 768000.");
  EXPECT_EQ(ErrorText([] { KaiserIdealTaps(300, 900, 144, 768001); }),
            "'768001' is not a sampling rate: give a whole number of Hz from 8000 to 768000.");
}

}  // namespace
