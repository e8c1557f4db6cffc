#include <gtest/gtest.h>

#include <cfenv>
#include <functional>
#include <limits>
#include <string>

#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::string ErrorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const UserError& error) {
    return error.what();
  }
  return "no error";
}

TEST(FloatingPointTest, CheckedHelpersRaiseTheirTexts) {
  const std::string zeroDivide = "0 による浮動小数点数除算";
  const std::string invalid = "不正な浮動小数点数演算命令";
  const std::string overflow = "浮動小数点数のオーバーフロー";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { CheckedDivide(1, 0); }, zeroDivide},
      {[] { CheckedDivide(-1, 0); }, zeroDivide},
      {[] { CheckedDivide(0, 0); }, invalid},
      {[] { CheckedDivide(NaN, 1); }, invalid},
      {[] { CheckedDivide(Infinity, Infinity); }, invalid},
      {[] { CheckedDivide(1e308, 1e-308); }, overflow},
      {[] { CheckedSqrt(-1); }, invalid},
      {[] { CheckedSqrt(NaN); }, invalid},
      {[] { CheckedLog10(0); }, zeroDivide},
      {[] { CheckedLog10(-1); }, invalid},
      {[] { CheckFinite(Infinity); }, overflow},
      {[] { CheckFinite(-Infinity); }, overflow},
      {[] { CheckFinite(NaN); }, invalid},
      {[] { RaiseZeroDivide(); }, zeroDivide},
      {[] { RaiseInvalidOperation(); }, invalid},
      {[] { RaiseOverflow(); }, overflow},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ErrorOf(cases[i].first), cases[i].second) << i;
}

TEST(FloatingPointTest, CheckedHelpersPassValidValues) {
  EXPECT_EQ(CheckedDivide(6, 3), 2);
  EXPECT_EQ(CheckedDivide(1, Infinity), 0);
  EXPECT_EQ(CheckedSqrt(6.25), 2.5);
  EXPECT_EQ(CheckedSqrt(0), 0);
  EXPECT_EQ(CheckedLog10(1000), 3);
  EXPECT_EQ(CheckFinite(-1e-310), -1e-310);
}

TEST(FloatingPointTest, StickyFlagsRaiseInvalidFirstAndClear) {
  ClearFloatingPointFlags();
  EXPECT_EQ(ErrorOf(CheckFloatingPointFlags), "no error");
  std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
  EXPECT_EQ(ErrorOf(CheckFloatingPointFlags), "不正な浮動小数点数演算命令");
  EXPECT_EQ(ErrorOf(CheckFloatingPointFlags), "no error");
  std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO);
  EXPECT_EQ(ErrorOf(CheckFloatingPointFlags), "0 による浮動小数点数除算");
  std::feraiseexcept(FE_OVERFLOW);
  EXPECT_EQ(ErrorOf(CheckFloatingPointFlags), "浮動小数点数のオーバーフロー");
  std::feraiseexcept(FE_UNDERFLOW | FE_INEXACT);
  EXPECT_EQ(ErrorOf(CheckFloatingPointFlags), "no error");
}

}  // namespace
