#include "acoustic/AcousticCsv.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "numerics/TextConvert.h"

namespace {

std::string LevelText(double levelDb) { return std::isinf(levelDb) ? "-inf" : FormatExact(levelDb); }

}  // namespace

double LevelDb(std::complex<double> value) {
  const double magnitude = std::abs(value);
  if (magnitude == 0.0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(magnitude);
}

double WrappedPhaseDeg(std::complex<double> value) {
  if (value == 0.0) return 0.0;
  const double degrees = std::atan2(value.imag(), value.real()) * (180.0 / std::numbers::pi);
  // atan2 reaches -180 on the negative real axis (from below); that angle is written as 180.
  if (degrees <= -180.0) return 180.0;
  return degrees + 0.0;  // no "-0"
}

std::string AcousticCsv(const AcousticResponse& response) {
  std::string text = "freq_hz";
  for (Way way : AllWays) text += std::string(",") + WayName(way) + "_db," + WayName(way) + "_deg";
  text += ",sum_db,sum_deg\n";
  for (size_t i = 0; i < response.FrequencyHz.size(); ++i) {
    text += FormatExact(response.FrequencyHz[i]);
    for (Way way : AllWays) {
      const std::complex<double> value = response.Way[static_cast<int>(way)][i];
      text += "," + LevelText(LevelDb(value)) + "," + FormatExact(WrappedPhaseDeg(value));
    }
    text += "," + LevelText(LevelDb(response.Sum[i])) + "," + FormatExact(WrappedPhaseDeg(response.Sum[i])) + "\n";
  }
  return text;
}
