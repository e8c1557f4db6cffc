#include "tests/fuzz/MeasurementFuzz.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "acoustic/AcousticModel.h"
#include "acoustic/DriverResponse.h"
#include "acoustic/Measurement.h"
#include "numerics/Errors.h"

namespace {

constexpr const char* FuzzFileName = "fuzz.frd";

// Lines as the parser counts them: LF, CR LF and CR each end one; an unended last line counts too.
size_t LineCount(std::string_view text) {
  size_t lines = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
  }
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') ++lines;
  return lines;
}

bool AllFinite(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

std::string RunMeasurementInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Measurement measurement;
  try {
    measurement = ParseMeasurement(text, FuzzFileName);
  } catch (const UserError& error) {
    const std::string prefix = std::string("'") + FuzzFileName + "' line ";
    const std::string& message = error.Text();
    if (message.rfind(prefix, 0) != 0) return "refusal without the file's name and a line: " + message;
    size_t digits = prefix.size();
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') ++digits;
    if (digits == prefix.size() || message.compare(digits, 2, ": ") != 0 || message.size() == digits + 2)
      return "refusal without a line number and a reason: " + message;
    const unsigned long line = std::stoul(message.substr(prefix.size(), digits - prefix.size()));
    if (line < 1 || line > std::max<size_t>(LineCount(text), 1)) return "refusal naming a line the text lacks: " + message;
    return "";
  }
  const std::vector<double>& f = measurement.FrequencyHz;
  if (f.size() < 2) return "a measurement of fewer than 2 points";
  if (measurement.LevelDb.size() != f.size() || measurement.PhaseDeg.size() != f.size())
    return "levels or phases not one per frequency";
  if (!AllFinite(f) || !AllFinite(measurement.LevelDb) || !AllFinite(measurement.PhaseDeg))
    return "a value that is not finite";
  if (f.front() <= 0) return "a frequency not above 0";
  for (size_t i = 1; i < f.size(); ++i)
    if (!(f[i] > f[i - 1])) return "frequencies not strictly increasing";
  for (const std::complex<double>& value : DriverResponseAt(measurement, AcousticFrequencies(44100)))
    if (!std::isfinite(value.real()) || !std::isfinite(value.imag())) return "a response that is not finite";
  return "";
}
