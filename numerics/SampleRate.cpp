#include "numerics/SampleRate.h"

#include <cstddef>

#include "numerics/Errors.h"

std::string SampleRateMessage(const std::string& text) {
  return "'" + text + "' is not a sampling rate: give a whole number of Hz from " + std::to_string(MinSampleRate) +
         " to " + std::to_string(MaxSampleRate) + ".";
}

int RequireSampleRate(long long rateHz) {
  if (!IsSampleRate(rateHz)) throw UserError(SampleRateMessage(std::to_string(rateHz)));
  return static_cast<int>(rateHz);
}

int ParseSampleRate(const std::string& text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  size_t first = 0, last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  // Seven digits already exceed the largest rate; counting stops before the value could overflow.
  long long value = 0;
  size_t digits = 0;
  for (size_t i = first; i < last; ++i) {
    if (text[i] < '0' || text[i] > '9' || ++digits > 12) throw UserError(SampleRateMessage(text));
    value = value * 10 + (text[i] - '0');
  }
  if (digits == 0 || !IsSampleRate(value)) throw UserError(SampleRateMessage(text));
  return static_cast<int>(value);
}

std::string KilohertzText(int rateHz) {
  std::string text = std::to_string(rateHz / 1000);
  int fraction = rateHz % 1000;
  if (fraction == 0) return text;
  std::string decimals = std::to_string(fraction);
  decimals.insert(0, 3 - decimals.size(), '0');
  while (decimals.back() == '0') decimals.pop_back();
  return text + "." + decimals;
}

std::string WithRate(std::string_view text, int rateHz) {
  std::string result;
  const std::string rate = std::to_string(rateHz);
  for (size_t start = 0;;) {
    const size_t found = text.find(RatePlaceholder, start);
    if (found == std::string_view::npos) return result.append(text.substr(start));
    result.append(text.substr(start, found - start)).append(rate);
    start = found + RatePlaceholder.size();
  }
}
