#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text of an integer field: optional blanks, an optional sign, decimal digits, optional blanks,
// within the 32-bit signed range. Anything else raises UserError "'%s' は整数ではありません".
int32_t ParseInteger(const std::string& text);

// Text of a real field: optional blanks, a decimal number with '.' as the point and an optional
// exponent, optional blanks; the value must be finite. Anything else (nan, inf, a comma, an
// out-of-range exponent) raises UserError "'%s' は浮動小数点数ではありません".
double ParseReal(const std::string& text);

// A decimal number as ParseReal accepts it, without surrounding blanks: its value (0 for one too small
// for a double, an infinity of its sign for one too large), or nothing when the text is not a number.
std::optional<double> ParseDecimal(std::string_view text);

// The general real-to-text form: shortest decimal of at most 15 significant digits, no trailing
// zeros; exponent form ("1E20", "1.5E-7") below 1E-4 and from 1E15 on.
std::string FormatGeneral(double value);

// The shortest decimal text that reads back (ParseReal) to exactly `value`, which must be finite:
// plain digits from 1e-6 up to 1e21 ("0.1", "1000", "-0"), exponent form outside ("1e+21", "1.5e-7").
std::string FormatShortest(double value);

// The length of the well-formed UTF-8 sequence that starts at bytes[i] (i < bytes.size()), or 0 when
// there is none: no overlong forms, no surrogates, nothing above U+10FFFF.
size_t Utf8SequenceLength(std::string_view bytes, size_t i);

// Whether every byte belongs to a well-formed UTF-8 sequence.
bool IsValidUtf8(std::string_view bytes);

// The form of numbers in exported files: 17 significant digits ("%.17g"), '.' as the point,
// reads back to the same double.
std::string FormatExact(double value);
