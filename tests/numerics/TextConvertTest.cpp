#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <random>

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

TEST(TextConvertTest, ShortestForm) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"}, {1e3, "1000"}, {901, "901"}, {-2.25, "-2.25"}, {0, "0"}, {-0.0, "-0"},
      {0.1 + 0.2, "0.30000000000000004"}, {1e21, "1e+21"}, {1e20, "100000000000000000000"},
      {123456789e12, "123456789000000000000"}, {1e-6, "0.000001"}, {1.5e-7, "1.5e-7"}, {1e-7, "1e-7"},
      {-1.25e-300, "-1.25e-300"}, {1.7976931348623157e308, "1.7976931348623157e+308"},
      {5e-324, "5e-324"}, {100000, "100000"}, {2000.5, "2000.5"}, {0.000123, "0.000123"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatShortest(value), text);
}

// Every text reads back to the same double, and one significant digit less (printf's own rounding,
// an independent formatter) never does: the text is the shortest.
TEST(TextConvertTest, ShortestFormReadsBackAndIsShortest) {
  std::mt19937_64 random(20261209);
  for (int i = 0; i < 20000; ++i) {
    double value = std::bit_cast<double>(random());
    if (!std::isfinite(value)) continue;
    if (i % 2 == 0) value = static_cast<double>(random() % 2000000) / std::pow(10.0, static_cast<int>(random() % 12));
    const std::string text = FormatShortest(value);
    ASSERT_EQ(std::bit_cast<uint64_t>(ParseReal(text)), std::bit_cast<uint64_t>(value)) << text;
    // Significant digits: the mantissa's digits less leading zeros, and less the trailing zeros
    // that only place a whole number's point.
    std::string significant;
    for (char c : text.substr(0, text.find('e')))
      if (c >= '0' && c <= '9') significant += c;
    significant.erase(0, std::min(significant.find_first_not_of('0'), significant.size()));
    if (text.find_first_of(".e") == std::string::npos) {
      while (significant.size() > 1 && significant.back() == '0') significant.pop_back();
    }
    const int digits = static_cast<int>(significant.size());
    if (digits <= 1) continue;
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*e", digits - 2, value);
    EXPECT_NE(ParseReal(shorter), value) << text << " vs " << shorter;
  }
}

TEST(TextConvertTest, Utf8Validity) {
  for (std::string_view good : std::initializer_list<std::string_view>{"", "abc", "日本語", "\xF0\x9F\x8E\xB5", "\xEF\xBC\x9A", std::string_view("a\0b", 3),
                                "\xC2\x80", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  }
  // A lone continuation byte, a truncated sequence, overlong forms, a surrogate, beyond U+10FFFF, 0xFF.
  for (std::string_view bad : std::initializer_list<std::string_view>{"\x80", "a\xC3", "\xE6\x97", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                               "\xF4\x90\x80\x80", "\xFF", "ok\xFE"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
  EXPECT_EQ(Utf8SequenceLength("\xE6\x97\xA5x", 0), 3u);
  EXPECT_EQ(Utf8SequenceLength("\xE6\x97\xA5x", 3), 1u);
  EXPECT_EQ(Utf8SequenceLength("\xE6\x97", 0), 0u);
}

}  // namespace

namespace {

TEST(TextConvertTest, Decimals) {
  EXPECT_EQ(ParseDecimal("+2e1"), 20.0);
  EXPECT_EQ(ParseDecimal(".5"), 0.5);
  EXPECT_EQ(ParseDecimal("1e-400"), 0.0);
  EXPECT_EQ(ParseDecimal("1e400"), HUGE_VAL);
  EXPECT_EQ(ParseDecimal("-1e400"), -HUGE_VAL);
  for (const char* text : {"", " 1", "1 ", "nan", "inf", "1,5", "0x10", "1e", "abc", "-"})
    EXPECT_FALSE(ParseDecimal(text).has_value()) << text;
}

TEST(TextConvertTest, ExactForm) {
  for (double value : {0.1, 1.0 / 3, -2.5e-300, 19896.974154825857, 1e22, 5e-324}) {
    const std::string text = FormatExact(value);
    EXPECT_EQ(ParseDecimal(text), value) << text;
  }
  EXPECT_EQ(FormatExact(20), "20");
  EXPECT_EQ(FormatExact(0.1), "0.10000000000000001");
  EXPECT_EQ(FormatExact(-180), "-180");
}

}  // namespace
