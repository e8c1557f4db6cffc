#include <gtest/gtest.h>

#include <cfenv>
#include <limits>

#include "numerics/FloatingPoint.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const std::string ZeroDivide = "0 による浮動小数点数除算";
const std::string Invalid = "不正な浮動小数点数演算命令";
const std::string Overflow = "浮動小数点数のオーバーフロー";

TEST(FloatingPointTest, CheckedHelpers) {
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { CheckedDivide(1, 0); }, ZeroDivide},       {[] { CheckedDivide(-1, 0); }, ZeroDivide},
      {[] { CheckedDivide(0, 0); }, Invalid},          {[] { CheckedDivide(NaN, 1); }, Invalid},
      {[] { CheckedDivide(Inf, Inf); }, Invalid},      {[] { CheckedDivide(1e308, 1e-308); }, Overflow},
      {[] { CheckedSqrt(-1); }, Invalid},              {[] { CheckedSqrt(NaN); }, Invalid},
      {[] { CheckedLog10(0); }, ZeroDivide},           {[] { CheckedLog10(-1); }, Invalid},
      {[] { CheckFinite(Inf); }, Overflow},            {[] { CheckFinite(-Inf); }, Overflow},
      {[] { CheckFinite(NaN); }, Invalid},             {RaiseZeroDivide, ZeroDivide},
      {RaiseInvalidOperation, Invalid},                {RaiseOverflow, Overflow},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ErrorText(cases[i].first), cases[i].second) << i;
  EXPECT_EQ(CheckedDivide(6, 3), 2);
  EXPECT_EQ(CheckedDivide(1, Inf), 0);
  EXPECT_EQ(CheckedSqrt(6.25), 2.5);
  EXPECT_EQ(CheckedLog10(1000), 3);
  EXPECT_EQ(CheckFinite(-1e-310), -1e-310);
}

TEST(FloatingPointTest, StickyFlagsRaiseInvalidFirstAndClear) {
  ClearFloatingPointFlags();
  EXPECT_EQ(ErrorText(CheckFloatingPointFlags), "no error");
  std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
  EXPECT_EQ(ErrorText(CheckFloatingPointFlags), Invalid);
  EXPECT_EQ(ErrorText(CheckFloatingPointFlags), "no error");
  std::feraiseexcept(FE_OVERFLOW | FE_DIVBYZERO);
  EXPECT_EQ(ErrorText(CheckFloatingPointFlags), ZeroDivide);
  std::feraiseexcept(FE_OVERFLOW);
  EXPECT_EQ(ErrorText(CheckFloatingPointFlags), Overflow);
  std::feraiseexcept(FE_UNDERFLOW | FE_INEXACT);
  EXPECT_EQ(ErrorText(CheckFloatingPointFlags), "no error");
}

}  // namespace
