#include <gtest/gtest.h>

#include <string>

#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

template <typename Parse>
std::string ErrorOf(Parse parse, const std::string& text) {
  try {
    parse(text);
  } catch (const UserError& error) {
    return error.what();
  }
  return "no error";
}

TEST(TextConvertTest, IntegersWithinTheSignedRange) {
  const std::pair<const char*, int32_t> cases[] = {
      {"901", 901},  {" -12 ", -12}, {"+7", 7}, {"\t3\t", 3}, {"-0", 0}, {"007", 7},
      {"2147483647", 2147483647},   {"-2147483648", INT32_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseInteger(text), value) << text;
}

TEST(TextConvertTest, NonIntegersNameTheirText) {
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999", "300.5", "1,5", "abc", "", " ",
                           "+", "-", "1 2", "0x10", "1e3", "٣"}) {
    EXPECT_EQ(ErrorOf(ParseInteger, text), "'" + std::string(text) + "' は整数ではありません") << text;
  }
}

TEST(TextConvertTest, Reals) {
  const std::pair<const char*, double> cases[] = {
      {"200", 200},   {" -1.5e3 ", -1500}, {"+.5", 0.5}, {"5.", 5},   {"1E-2", 0.01},
      {"39.99", 39.99}, {"1e-400", 0},     {"-0.0000", 0}, {"1.7976931348623157e308", 1.7976931348623157e308},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseReal(text), value) << text;
}

TEST(TextConvertTest, NonRealsNameTheirText) {
  for (const char* text : {"1e400", "-1e400", "1000e306", "nan", "NaN", "inf", "-inf", "1,5", "abc", "", " ",
                           ".", "e5", "1e", "1e+", "1.5.2", "0x1p3", "+-1"}) {
    EXPECT_EQ(ErrorOf(ParseReal, text), "'" + std::string(text) + "' は浮動小数点数ではありません") << text;
  }
}

TEST(TextConvertTest, GeneralForm) {
  const std::pair<double, const char*> cases[] = {
      {400, "400"},      {1e20, "1E20"},      {1.5e-7, "1.5E-7"},       {0.1 + 0.2, "0.3"},
      {80, "80"},        {-2.25, "-2.25"},    {0, "0"},                 {1.0 / 3, "0.333333333333333"},
      {1e15, "1E15"},    {123456789012345, "123456789012345"},          {0.0001, "0.0001"},
      {2.5e-5, "2.5E-5"}, {-1e100, "-1E100"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatGeneral(value), text) << text;
}

}  // namespace
