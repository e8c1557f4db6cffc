#include "acoustic/DriverResponse.h"

#include <cmath>
#include <numbers>

#include "acoustic/LogInterpolation.h"
#include "numerics/TextConvert.h"

std::vector<std::complex<double>> DriverResponseAt(const Measurement& measurement,
                                                   std::span<const double> frequencyHz) {
  std::vector<std::complex<double>> response;
  response.reserve(frequencyHz.size());
  for (double f : frequencyHz) {
    const LogPosition position = LocateLogFrequency(measurement.FrequencyHz, f);
    const double magnitude = std::pow(10.0, ValueAt(measurement.LevelDb, position) / 20.0);
    // Whole turns off before the angle is formed, so a phase of many turns keeps its digits.
    const double phaseDeg = std::remainder(ValueAt(measurement.PhaseDeg, position), 360.0);
    response.push_back(std::polar(magnitude, phaseDeg * (std::numbers::pi / 180.0)));
  }
  return response;
}

std::optional<std::string> HeldRangeNote(const Measurement& measurement, double lowHz, double highHz) {
  if (lowHz >= measurement.FrequencyHz.front() && highHz <= measurement.FrequencyHz.back()) return std::nullopt;
  return "'" + measurement.Name + "' was measured from " + FormatGeneral(measurement.FrequencyHz.front()) + " to " +
         FormatGeneral(measurement.FrequencyHz.back()) + " Hz; outside that range its end points are held";
}

std::optional<std::string> DerivedPhaseNote(const Measurement& measurement) {
  if (measurement.Phase != PhaseSource::MinimumPhase) return std::nullopt;
  return "'" + measurement.Name + "' has no phase: the minimum phase of its magnitude is used";
}
