#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "display/Response.h"
#include "numerics/Errors.h"

namespace {

constexpr double cSentinel = -7.25;

ResponseCurve Filled(double value) {
  ResponseCurve curve;
  curve.fill(value);
  return curve;
}

TEST(EvaluateResponse, SingleUnitTapIsFlatAtUnityAndZeroDb) {
  ResponseCurve magnitude = Filled(cSentinel), level = Filled(cSentinel);
  EvaluateResponse({1.0}, magnitude, level, 1, SampleRate);
  for (int i = 1; i <= GridPointCount; ++i) {
    EXPECT_EQ(magnitude[i], 1.0) << i;
    EXPECT_EQ(level[i], 1.0) << i;
  }
  EXPECT_EQ(magnitude[0], cSentinel);
  EXPECT_EQ(level[0], cSentinel);
}

TEST(EvaluateResponse, TwoHalfTapsFollowTheCosineAndIgnoreElementsBeyondCount) {
  ResponseCurve magnitude, level, longMagnitude, longLevel;
  EvaluateResponse({0.5, 0.5}, magnitude, level, 2, SampleRate);
  EvaluateResponse({0.5, 0.5, 3.0, -8.0}, longMagnitude, longLevel, 2, SampleRate);
  EXPECT_NEAR(magnitude[500], 0.99746365, 5e-9);
  EXPECT_NEAR(magnitude[950], 0.75680883, 5e-9);
  for (int i = 1; i <= GridPointCount; ++i) {
    EXPECT_NEAR(magnitude[i], std::cos(std::numbers::pi * GridFrequency(i) / SampleRate), 1e-15) << i;
    EXPECT_NEAR(level[i], (20 * std::log10(magnitude[i]) + 100) / 100, 1e-15) << i;
    EXPECT_EQ(longMagnitude[i], magnitude[i]) << i;
    EXPECT_EQ(longLevel[i], level[i]) << i;
  }
}

TEST(EvaluateResponse, LevelsOutsideTheAxisAreStoredUnclamped) {
  const struct { double tap, level; } rows[] = {{10.0, 1.2}, {0.000001, -0.2}, {-10.0, 1.2}};
  for (const auto& row : rows) {
    ResponseCurve magnitude, level;
    EvaluateResponse({row.tap}, magnitude, level, 1, SampleRate);
    EXPECT_NEAR(magnitude[123], std::fabs(row.tap), 1e-15);
    EXPECT_NEAR(level[123], row.level, 1e-15) << row.tap;
  }
}

TEST(EvaluateResponse, ZeroMagnitudeFailsAtPointOneLeavingTheRestAsItWas) {
  const struct { RealArray coeffs; int count; } rows[] = {{{1.0}, 0}, {{1.0}, -3}, {{0.0, 0.0, 0.0}, 3}};
  for (const auto& row : rows) {
    ResponseCurve magnitude = Filled(cSentinel), level = Filled(cSentinel);
    try {
      EvaluateResponse(row.coeffs, magnitude, level, row.count, SampleRate);
      ADD_FAILURE() << "no error for count " << row.count;
    } catch (const UserError& error) {
      EXPECT_STREQ(error.what(), "0 による浮動小数点数除算");
    }
    EXPECT_EQ(magnitude[1], 0.0);
    for (int i = 0; i <= GridPointCount; ++i) {
      if (i != 1) {
        EXPECT_EQ(magnitude[i], cSentinel) << i;
      }
      EXPECT_EQ(level[i], cSentinel) << i;
    }
  }
}

// An independent direct sum in long double over an irregular filter; the binding rounding points
// keep the result within a few ulps of it.
TEST(EvaluateResponse, AgreesWithADirectSum) {
  RealArray coeffs;
  for (int k = 0; k < 61; ++k) coeffs.push_back(std::sin(0.37 * k * k + 1.0) / (k + 2));
  ResponseCurve magnitude, level;
  EvaluateResponse(coeffs, magnitude, level, static_cast<int>(coeffs.size()), SampleRate);
  for (int i = 1; i <= GridPointCount; i += 37) {
    long double re = 0, im = 0;
    for (size_t k = 0; k < coeffs.size(); ++k) {
      const long double theta = 2.0L * std::numbers::pi_v<long double> * k * GridFrequency(i) / SampleRate;
      re += coeffs[k] * std::cos(theta);
      im -= coeffs[k] * std::sin(theta);
    }
    EXPECT_NEAR(magnitude[i], std::sqrt(re * re + im * im), 1e-13) << i;
  }
}

// At other rates the same sum with the rate in the angle; above half the rate (8 kHz at 8000 Hz) the
// frequency folds back, which a direct sum does by itself.
TEST(EvaluateResponse, OtherRatesAgreeWithADirectSum) {
  RealArray coeffs;
  for (int k = 0; k < 47; ++k) coeffs.push_back(std::cos(0.91 * k * k) / (k + 1));
  for (const int rateHz : {MinSampleRate, 11025, 48000, 96000, 192000, MaxSampleRate}) {
    ResponseCurve magnitude, level;
    EvaluateResponse(coeffs, magnitude, level, static_cast<int>(coeffs.size()), rateHz);
    for (int i = 1; i <= GridPointCount; i += 7) {
      long double re = 0, im = 0;
      for (size_t k = 0; k < coeffs.size(); ++k) {
        const long double theta = 2.0L * std::numbers::pi_v<long double> * k * GridFrequency(i) / rateHz;
        re += coeffs[k] * std::cos(theta);
        im -= coeffs[k] * std::sin(theta);
      }
      EXPECT_NEAR(magnitude[i], std::sqrt(re * re + im * im), 1e-13) << rateHz << " Hz, point " << i;
    }
  }
}

TEST(EvaluateResponse, ARateOutsideTheRangeIsARangeErrorLeavingTheCurves) {
  for (const int rateHz : {0, -44100, MinSampleRate - 1, MaxSampleRate + 1}) {
    for (const auto evaluate : {EvaluateResponse, EvaluateResponseReference}) {
      ResponseCurve magnitude = Filled(cSentinel), level = Filled(cSentinel);
      try {
        evaluate({1.0, 0.5}, magnitude, level, 2, rateHz);
        ADD_FAILURE() << "no error at " << rateHz;
      } catch (const UserError& error) {
        EXPECT_STREQ(error.what(), "範囲チェックエラー");
      }
      EXPECT_EQ(magnitude, Filled(cSentinel));
      EXPECT_EQ(level, Filled(cSentinel));
    }
  }
}

}  // namespace
