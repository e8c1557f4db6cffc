#include "numerics/TextConvert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "numerics/Errors.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text without its surrounding blanks.
std::string_view Trimmed(const std::string& text) {
  std::string_view view(text);
  while (!view.empty() && IsBlank(view.front())) view.remove_prefix(1);
  while (!view.empty() && IsBlank(view.back())) view.remove_suffix(1);
  return view;
}

// Whether the view is a decimal number: [sign] (digits [. [digits]] | . digits) [e [sign] digits].
bool IsDecimalNumber(std::string_view view) {
  size_t i = 0;
  if (i < view.size() && (view[i] == '+' || view[i] == '-')) ++i;
  size_t mantissaDigits = 0;
  while (i < view.size() && IsDigit(view[i])) ++i, ++mantissaDigits;
  if (i < view.size() && view[i] == '.') {
    ++i;
    while (i < view.size() && IsDigit(view[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < view.size() && (view[i] == 'e' || view[i] == 'E')) {
    ++i;
    if (i < view.size() && (view[i] == '+' || view[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < view.size() && IsDigit(view[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == view.size();
}

// For a decimal number (IsDecimalNumber) whose value lies outside the double range: whether its
// magnitude is at least 1, from the position of its first significant digit and its exponent.
bool IsAboveOne(std::string_view view) {
  size_t i = 0;
  if (view[i] == '+' || view[i] == '-') ++i;
  int64_t position = 0;  // decimal exponent of the first significant digit, plus one
  bool significant = false;
  bool afterPoint = false;
  for (; i < view.size() && view[i] != 'e' && view[i] != 'E'; ++i) {
    if (view[i] == '.') {
      afterPoint = true;
    } else if (!significant && view[i] == '0') {
      if (afterPoint) --position;
    } else {
      significant = true;
      if (!afterPoint) ++position;
    }
  }
  int64_t exponent = 0;
  if (i < view.size()) {
    ++i;
    const bool negative = view[i] == '-';
    if (view[i] == '+' || view[i] == '-') ++i;
    for (; i < view.size(); ++i) exponent = std::min<int64_t>(exponent * 10 + (view[i] - '0'), int64_t{1} << 40);
    if (negative) exponent = -exponent;
  }
  return position + exponent > 0;
}

}  // namespace

int32_t ParseInteger(const std::string& text) {
  std::string_view view = Trimmed(text);
  bool negative = false;
  if (!view.empty() && (view.front() == '+' || view.front() == '-')) {
    negative = view.front() == '-';
    view.remove_prefix(1);
  }
  if (view.empty()) throw UserError(Messages::NotInteger(text));
  int64_t magnitude = 0;
  for (char c : view) {
    if (!IsDigit(c)) throw UserError(Messages::NotInteger(text));
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > int64_t{1} << 31) throw UserError(Messages::NotInteger(text));
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) throw UserError(Messages::NotInteger(text));
  return static_cast<int32_t>(value);
}

std::optional<double> ParseDecimal(std::string_view view) {
  if (!IsDecimalNumber(view)) return std::nullopt;
  // from_chars takes no leading '+' and, unlike strtod, ignores the process locale.
  if (view.front() == '+') view.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (end != view.data() + view.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // from_chars leaves value untouched when out of range, so the text itself tells an overflow
    // (not a finite number) from an underflow (reads as zero).
    if (IsAboveOne(view)) return view.front() == '-' ? -HUGE_VAL : HUGE_VAL;
    return 0.0;
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

double ParseReal(const std::string& text) {
  const std::optional<double> value = ParseDecimal(Trimmed(text));
  if (!value || !std::isfinite(*value)) throw UserError(Messages::NotReal(text));
  return *value;
}

std::string FormatGeneral(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string digits(buffer, result.ptr);
  const size_t e = digits.find('e');
  if (e == std::string::npos) return digits;
  // "1.5e-07" becomes "1.5E-7", "1e+20" becomes "1E20".
  std::string mantissa = digits.substr(0, e);
  std::string exponent = digits.substr(e + 1);
  bool negative = false;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    negative = exponent[0] == '-';
    exponent.erase(0, 1);
  }
  while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
  return mantissa + "E" + (negative ? "-" : "") + exponent;
}

std::string FormatShortest(double value) {
  // Shortest round-trip digits in scientific form, d[.ddd]e±x, then laid out as plain decimal
  // wherever that stays readable.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  const std::string_view scientific(buffer, static_cast<size_t>(result.ptr - buffer));
  const size_t e = scientific.find('e');
  std::string_view mantissa = scientific.substr(0, e);
  const bool negative = !mantissa.empty() && mantissa.front() == '-';
  if (negative) mantissa.remove_prefix(1);
  std::string digits;
  for (char c : mantissa)
    if (c != '.') digits += c;
  int exponent = 0;
  std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+' ? 1 : 0),
                  scientific.data() + scientific.size(), exponent);
  const std::string sign = negative ? "-" : "";
  const int count = static_cast<int>(digits.size());
  // Position of the decimal point after the first `point` digits.
  const int point = exponent + 1;
  if (point > 21 || point < -5) {
    const std::string fraction = count > 1 ? "." + digits.substr(1) : "";
    return sign + digits.substr(0, 1) + fraction + "e" + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent));
  }
  if (point >= count) return sign + digits + std::string(static_cast<size_t>(point - count), '0');
  if (point > 0) return sign + digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
  return sign + "0." + std::string(static_cast<size_t>(-point), '0') + digits;
}

size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > bytes.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string FormatExact(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
  return std::string(buffer, result.ptr);
}
