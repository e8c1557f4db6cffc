#include "cli/Json.h"

#include <nlohmann/json.hpp>
#include <span>
#include <string_view>
#include <utility>

#include "numerics/TextConvert.h"
#include "pipeline/Commands.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// An array of numbers, element by element: a design's arrays may hold millions of values, which
// are not copied into a document first.
void WriteNumbers(std::ostream& out, std::span<const double> values) {
  out << '[';
  for (size_t i = 0; i < values.size(); ++i) out << (i ? "," : "") << Json(values[i]).dump();
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

void WriteJson(std::ostream& out, const MemoryFields& fields, const DesignState& state) {
  Json texts = Json::object();
  for (int i = 0; i < FieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    texts[FieldName(field)] = ToValidUtf8(fields.Text(field));
  }
  Json labels = Json::object();
  for (int i = 0; i < CaptionCount; ++i) {
    const auto caption = static_cast<Caption>(i);
    labels[CaptionName(caption)] = ToValidUtf8(fields.CaptionText(caption));
  }
  // The lengths and CMax share the first line of "state".
  Json lengths = Json::object();
  lengths["TotalTaps"] = state.TotalTaps;
  lengths["ShelfLength"] = state.ShelfLength;
  lengths["CascadeLength"] = state.CascadeLength;
  lengths["ShelfCutDb"] = state.ShelfCutDb;
  lengths["CMax"] = ComputeCMax(state);
  lengths["Rate"] = fields.RateHz();  // the rate the command ran at, also when no Calc completed
  const std::pair<const char*, const RealArray*> arrays[] = {
      {"LowCoeffs", &state.LowCoeffs},     {"MidCoeffs", &state.MidCoeffs},   {"HighCoeffs", &state.HighCoeffs},
      {"SumCoeffs", &state.SumCoeffs},     {"ShelfCoeffs", &state.ShelfCoeffs}, {"LowCascade", &state.LowCascade},
      {"MidCascade", &state.MidCascade},   {"HighCascade", &state.HighCascade}, {"SumCascade", &state.SumCascade},
  };
  const std::pair<const char*, const ResponseCurve*> curves[] = {
      {"LowMag", &state.LowMag}, {"MidMag", &state.MidMag}, {"HighMag", &state.HighMag}, {"SumMag", &state.SumMag},
      {"LowDb", &state.LowDb},   {"MidDb", &state.MidDb},   {"HighDb", &state.HighDb},   {"SumDb", &state.SumDb},
  };
  Json grid = Json::array();
  for (int i = 1; i <= GridPointCount; ++i) grid.push_back(GridFrequency(i));

  out << "{\n\"fields\":" << texts.dump() << ",\n\"labels\":" << labels.dump() << ",\n\"state\":{\n";
  const std::string lengthsText = lengths.dump();
  out << std::string_view(lengthsText).substr(1, lengthsText.size() - 2);  // their members, without braces
  for (const auto& [name, values] : arrays) {
    out << ",\n" << Json(name).dump() << ':';
    WriteNumbers(out, *values);
  }
  // The curves at grid points 1 .. 950; index 0 is unused.
  for (const auto& [name, curve] : curves) {
    out << ",\n" << Json(name).dump() << ':';
    WriteNumbers(out, std::span<const double>(*curve).subspan(1, GridPointCount));
  }
  out << "\n},\n\"freq\":" << grid.dump() << "\n}\n";
}
