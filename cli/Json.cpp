#include "cli/Json.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "numerics/TextConvert.h"
#include "pipeline/Commands.h"

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

void WriteArray(std::ostream& out, const RealArray& values) {
  out << '[';
  for (size_t i = 0; i < values.size(); ++i) out << (i ? "," : "") << JsonNumber(values[i]);
  out << ']';
}

void WriteCurve(std::ostream& out, const ResponseCurve& curve) {
  out << '[';
  for (int i = 1; i <= GridPointCount; ++i) out << (i > 1 ? "," : "") << JsonNumber(curve[i]);
  out << ']';
}

}  // namespace

std::string ToValidUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      text += ReplacementCharacter;
      ++i;
    } else {
      text += bytes.substr(i, length);
      i += length;
    }
  }
  return text;
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string JsonString(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string literal = "\"";
  for (char c : ToValidUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      literal += '\\';
      literal += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      literal += "\\u00";
      literal += hex[byte >> 4];
      literal += hex[byte & 0xF];
    } else {
      literal += c;
    }
  }
  return literal + "\"";
}

void WriteJson(std::ostream& out, const MemoryFields& fields, const DesignState& state) {
  out << "{\n\"fields\":{";
  for (int i = 0; i < FieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    out << (i ? "," : "") << JsonString(FieldName(field)) << ':' << JsonString(fields.Text(field));
  }
  out << "},\n\"labels\":{";
  for (int i = 0; i < CaptionCount; ++i) {
    const auto caption = static_cast<Caption>(i);
    out << (i ? "," : "") << JsonString(CaptionName(caption)) << ':' << JsonString(fields.CaptionText(caption));
  }
  out << "},\n\"state\":{\n";
  // Integers through to_string, so that no stream locale can group their digits.
  out << "\"TotalTaps\":" << std::to_string(state.TotalTaps) << ",\"ShelfLength\":" << std::to_string(state.ShelfLength)
      << ",\"CascadeLength\":" << std::to_string(state.CascadeLength)
      << ",\"ShelfCutDb\":" << std::to_string(state.ShelfCutDb) << ",\"CMax\":" << JsonNumber(ComputeCMax(state));
  const std::pair<const char*, const RealArray*> arrays[] = {
      {"LowCoeffs", &state.LowCoeffs},     {"MidCoeffs", &state.MidCoeffs},   {"HighCoeffs", &state.HighCoeffs},
      {"SumCoeffs", &state.SumCoeffs},     {"ShelfCoeffs", &state.ShelfCoeffs}, {"LowCascade", &state.LowCascade},
      {"MidCascade", &state.MidCascade},   {"HighCascade", &state.HighCascade}, {"SumCascade", &state.SumCascade},
  };
  for (const auto& [name, values] : arrays) {
    out << ",\n" << JsonString(name) << ':';
    WriteArray(out, *values);
  }
  const std::pair<const char*, const ResponseCurve*> curves[] = {
      {"LowMag", &state.LowMag}, {"MidMag", &state.MidMag}, {"HighMag", &state.HighMag}, {"SumMag", &state.SumMag},
      {"LowDb", &state.LowDb},   {"MidDb", &state.MidDb},   {"HighDb", &state.HighDb},   {"SumDb", &state.SumDb},
  };
  for (const auto& [name, curve] : curves) {
    out << ",\n" << JsonString(name) << ':';
    WriteCurve(out, *curve);
  }
  out << "\n},\n\"freq\":[";
  for (int i = 1; i <= GridPointCount; ++i) out << (i > 1 ? "," : "") << std::to_string(GridFrequency(i));
  out << "]\n}\n";
}
