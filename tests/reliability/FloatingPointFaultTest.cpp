// Floating-point faults reached by what a user types: each ends its handler with the tool's own
// message, and no curve or array ever holds a NaN or an infinity for the graph to draw.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "pipeline/Commands.h"
#include "tests/pipeline/RecordingFields.h"
#include "pipeline/WindowHandlers.h"
#include "tests/pipeline/RunCalc.h"

namespace {

bool Finite(const DesignState& state) {
  for (const ResponseCurve* curve : {&state.LowMag, &state.MidMag, &state.HighMag, &state.SumMag, &state.LowDb,
                                     &state.MidDb, &state.HighDb, &state.SumDb}) {
    for (double v : *curve) {
      if (!std::isfinite(v)) return false;
    }
  }
  for (const RealArray* array : {&state.LowCoeffs, &state.MidCoeffs, &state.HighCoeffs, &state.SumCoeffs,
                                 &state.ShelfCoeffs, &state.LowCascade, &state.MidCascade, &state.HighCascade,
                                 &state.SumCascade}) {
    for (double v : *array) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

// Small bands keep each Calc short; the faults do not depend on the length.
RecordingFields SmallDesign() {
  RecordingFields fields;
  for (Field field : {Field::Edit1, Field::Edit9, Field::Edit10}) fields.SetText(field, "31");
  return fields;
}

struct TypedFault {
  const char* name;
  std::vector<std::pair<Field, const char*>> texts;
  bool adjust;
  bool estimate;  // Button5 instead of Button1
  std::string message;
};

void PrintTo(const TypedFault& row, std::ostream* out) { *out << row.name; }

class TypedFaults : public testing::TestWithParam<TypedFault> {};

TEST_P(TypedFaults, EndTheHandlerWithTheToolsMessage) {
  const TypedFault& row = GetParam();
  RecordingFields fields = SmallDesign();
  fields.SetAdjustChecked(row.adjust);
  for (const auto& [field, text] : row.texts) fields.SetText(field, text);
  DesignState state;
  const bool ran =
      row.estimate ? RunReported(fields, [&] { LengthEstimateCommand(fields); }) : RunCalc(fields, state);
  EXPECT_FALSE(ran);
  EXPECT_EQ(fields.Messages(), std::vector<std::string>{row.message});
  EXPECT_TRUE(Finite(state));
  // No result label and no redraw: the graph keeps the last successful Calc.
  EXPECT_EQ(fields.CaptionText(Caption::Label21), DefaultCaption(Caption::Label21));
  EXPECT_EQ(fields.CaptionText(Caption::Label20), DefaultCaption(Caption::Label20));
  EXPECT_EQ(fields.RedrawCount(), 0);
  EXPECT_FALSE(fields.BusyCursor());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, TypedFaults,
    testing::Values(
        // A 0 Hz low-pass has no response at all: its magnitude is exactly 0 and has no level.
        TypedFault{"LowCutAtZero", {{Field::Edit2, "0"}}, false, false, Messages::ZeroDivide},
        TypedFault{"EqualBandEdges", {{Field::Edit6, "500"}, {Field::Edit7, "500"}}, true, true, Messages::ZeroDivide},
        // A single tap is a Kaiser window of span 0, weighed at its only sample: 0 / 0.
        TypedFault{"SingleTap", {{Field::Edit9, "0"}}, true, false, Messages::InvalidOperation},
        TypedFault{"EqualEdgesAt8Db",
                   {{Field::Edit6, "500"}, {Field::Edit7, "500"}, {Field::Edit8, "8"}},
                   true, true, Messages::InvalidOperation},
        // Beta grows with the attenuation until the Bessel series leaves the double range.
        TypedFault{"HugeAttenuation", {{Field::Edit8, "1e8"}}, true, false, Messages::Overflow},
        TypedFault{"DoubledCornerOverflows", {{Field::EditShelbL, "1e308"}, {Field::EditShelbH, "1.7e308"}}, true,
                   false, Messages::Overflow},
        TypedFault{"NegativeTaps", {{Field::Edit10, "-3"}}, true, false, Messages::RangeCheck},
        TypedFault{"EstimateBeyond32Bits", {{Field::Edit6, "300"}, {Field::Edit7, "300.000001"}}, true, true,
                   Messages::RangeCheck}),
    [](const testing::TestParamInfo<TypedFault>& info) { return std::string(info.param.name); });

// Extreme but valid texts in every design field: the Calc either runs to its end or stops with a
// message, and in both cases every stored value stays finite.
TEST(TypedExtremes, NeverStoreNaNOrInfinity) {
  const std::vector<std::vector<std::pair<Field, const char*>>> rows = {
      {{Field::EditShelbL, "1e300"}, {Field::EditShelbH, "1e301"}},
      {{Field::EditShelbL, "40"}, {Field::EditShelbH, "1.7976931348623157e308"}},
      {{Field::Edit5, "2147483647"}, {Field::Edit4, "-2147483648"}},
      {{Field::Edit5, "-2147483648"}, {Field::Edit4, "22050"}},
      {{Field::Edit8, "0"}},
      {{Field::Edit8, "3e6"}},
      {{Field::Edit8, "-1e308"}},
      {{Field::Edit5, "11025"}, {Field::Edit4, "11025"}},
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    for (bool adjust : {true, false}) {
      RecordingFields fields = SmallDesign();
      fields.SetAdjustChecked(adjust);
      fields.SetSliderPosition(i % 2 == 0 ? 6 : 1);
      fields.SetText(Field::Edit2, "-2147483648");
      fields.SetText(Field::Edit3, "2147483647");
      for (const auto& [field, text] : rows[i]) fields.SetText(field, text);
      DesignState state;
      const bool ran = RunCalc(fields, state);
      EXPECT_TRUE(Finite(state)) << i << " " << adjust;
      EXPECT_EQ(fields.Messages().size(), ran ? 0u : 1u) << i << " " << adjust;
    }
  }
}

// The sticky-flag pair catches what an unchecked stage computed; the flags come from real
// arithmetic here, not from raising them by hand.
TEST(FloatingPointTrap, EachFaultOfRealArithmeticBecomesItsMessage) {
  volatile double zero = 0.0;
  volatile double one = 1.0;
  volatile double largest = DBL_MAX;
  volatile double tiny = DBL_MIN;
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { volatile double r = one / zero; (void)r; }, Messages::ZeroDivide},
      {[&] { volatile double r = std::log10(zero); (void)r; }, Messages::ZeroDivide},
      {[&] { volatile double r = zero / zero; (void)r; }, Messages::InvalidOperation},
      {[&] { volatile double r = std::sqrt(-one); (void)r; }, Messages::InvalidOperation},
      {[&] { volatile double r = largest * 2; (void)r; }, Messages::Overflow},
      {[&] { volatile double r = std::exp(largest); (void)r; }, Messages::Overflow},
      // Underflow and inexact results pass silently.
      {[&] { volatile double r = tiny * tiny; (void)r; }, ""},
      {[&] { volatile double r = one / 3; (void)r; }, ""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    ClearFloatingPointFlags();
    cases[i].first();
    std::string message;
    try {
      CheckFloatingPointFlags();
    } catch (const UserError& error) {
      message = error.what();
    }
    EXPECT_EQ(message, cases[i].second) << i;
    // Raising clears the flags, so the next check is quiet.
    EXPECT_NO_THROW(CheckFloatingPointFlags()) << i;
  }
}

// The checked helpers meet the same faults before IEEE arithmetic can turn them into NaN or infinity.
TEST(FloatingPointTrap, CheckedHelpersRaiseEachMessage) {
  const auto messageOf = [](const std::function<double()>& operation) {
    try {
      operation();
    } catch (const UserError& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  EXPECT_EQ(messageOf([] { return CheckedDivide(1, 0); }), Messages::ZeroDivide);
  EXPECT_EQ(messageOf([] { return CheckedLog10(0); }), Messages::ZeroDivide);
  EXPECT_EQ(messageOf([] { return CheckedDivide(0, 0); }), Messages::InvalidOperation);
  EXPECT_EQ(messageOf([] { return CheckedSqrt(-1e-300); }), Messages::InvalidOperation);
  EXPECT_EQ(messageOf([] { return CheckedLog10(-1); }), Messages::InvalidOperation);
  EXPECT_EQ(messageOf([] { return CheckFinite(std::nan("")); }), Messages::InvalidOperation);
  EXPECT_EQ(messageOf([] { return CheckedDivide(DBL_MAX, 0.5); }), Messages::Overflow);
  EXPECT_EQ(messageOf([] { return CheckFinite(-HUGE_VAL); }), Messages::Overflow);
  EXPECT_EQ(messageOf([] { return CheckedDivide(DBL_MIN, 1e300); }), "");  // underflow passes
}

}  // namespace
