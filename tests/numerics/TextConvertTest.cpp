#include <gtest/gtest.h>

#include "numerics/TextConvert.h"
#include "tests/numerics/ErrorText.h"

namespace {

TEST(TextConvertTest, Integers) {
  const std::pair<const char*, int32_t> cases[] = {
      {"901", 901}, {" -12 ", -12}, {"+7", 7}, {"\t3\t", 3}, {"-0", 0}, {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseInteger(text), value) << text;
  for (std::string text : {"2147483648", "-2147483649", "99999999999999999999", "300.5", "1,5", "abc", "", " ",
                           "+", "1 2", "0x10", "1e3"}) {
    EXPECT_EQ(ErrorText([&] { ParseInteger(text); }), "'" + text + "' は整数ではありません");
  }
}

TEST(TextConvertTest, Reals) {
  const std::pair<const char*, double> cases[] = {
      {"200", 200}, {" -1.5e3 ", -1500}, {"+.5", 0.5}, {"5.", 5}, {"1E-2", 0.01}, {"39.99", 39.99},
      {"1e-400", 0}, {"1.7976931348623157e308", 1.7976931348623157e308},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseReal(text), value) << text;
  for (std::string text : {"1e400", "-1e400", "1000e306", "nan", "inf", "-inf", "1,5", "abc", "", " ", ".", "e5",
                           "1e", "1.5.2", "0x1p3", "+-1"}) {
    EXPECT_EQ(ErrorText([&] { ParseReal(text); }), "'" + text + "' は浮動小数点数ではありません");
  }
}

TEST(TextConvertTest, GeneralForm) {
  const std::pair<double, const char*> cases[] = {
      {400, "400"}, {1e20, "1E20"}, {1.5e-7, "1.5E-7"}, {0.1 + 0.2, "0.3"}, {-2.25, "-2.25"}, {0, "0"},
      {1.0 / 3, "0.333333333333333"}, {1e15, "1E15"}, {123456789012345, "123456789012345"},
      {0.0001, "0.0001"}, {-1e100, "-1E100"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatGeneral(value), text);
}

}  // namespace
