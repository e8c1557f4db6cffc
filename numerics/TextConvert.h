#pragma once

#include <cstdint>
#include <string>

// Text of an integer field: optional blanks, an optional sign, decimal digits, optional blanks,
// within the 32-bit signed range. Anything else raises UserError "'%s' は整数ではありません".
int32_t ParseInteger(const std::string& text);

// Text of a real field: optional blanks, a decimal number with '.' as the point and an optional
// exponent, optional blanks; the value must be finite. Anything else (nan, inf, a comma, an
// out-of-range exponent) raises UserError "'%s' は浮動小数点数ではありません".
double ParseReal(const std::string& text);

// The general real-to-text form: shortest decimal of at most 15 significant digits, no trailing
// zeros; exponent form ("1E20", "1.5E-7") below 1E-4 and from 1E15 on.
std::string FormatGeneral(double value);
