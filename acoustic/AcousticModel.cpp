#include "acoustic/AcousticModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustic/DriverResponse.h"
#include "acoustic/DriverSetup.h"
#include "acoustic/FilterResponse.h"
#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

constexpr double cLowestHz = 10.0;
constexpr double cHighestHz = 20000.0;
constexpr int cPointsPerOctave = 48;

}  // namespace

const char* WayName(Way way) {
  switch (way) {
    case Way::Low: return "low";
    case Way::Mid: return "mid";
    case Way::High: return "high";
  }
  return "?";
}

void CheckDriverSettings(const DriverSet& drivers) {
  for (Way way : AllWays) {
    const DriverSettings& settings = drivers[static_cast<int>(way)];
    const std::string who = std::string("The ") + WayName(way) + " driver's ";
    if (!IsDriverDelay(settings.DelayMs))
      throw UserError(who + "delay " + FormatGeneral(settings.DelayMs) + " ms is outside -" +
                      FormatGeneral(MaxDriverDelayMs) + " .. " + FormatGeneral(MaxDriverDelayMs) + " ms");
    if (!IsDriverTrim(settings.TrimDb))
      throw UserError(who + "trim " + FormatGeneral(settings.TrimDb) + " dB is outside -" +
                      FormatGeneral(MaxDriverTrimDb) + " .. " + FormatGeneral(MaxDriverTrimDb) + " dB");
  }
}

std::vector<double> AcousticFrequencies(int rateHz) {
  const double highestHz = std::min(cHighestHz, rateHz / 2.0);
  std::vector<double> frequencies;
  for (int n = 0;; ++n) {
    const double f = cLowestHz * std::exp2(static_cast<double>(n) / cPointsPerOctave);
    if (f > highestHz) break;
    frequencies.push_back(f);
  }
  return frequencies;
}

AcousticResponse ComputeAcoustic(const DriverSet& drivers,
                                 const std::array<std::span<const double>, WayCount>& filters, int rateHz) {
  if (!IsSampleRate(rateHz)) throw UserError("The sampling rate " + std::to_string(rateHz) + " Hz is not supported");
  CheckDriverSettings(drivers);
  if (filters[1].size() != filters[0].size() || filters[2].size() != filters[0].size())
    throw UserError("The three filters differ in length: " + std::to_string(filters[0].size()) + ", " +
                    std::to_string(filters[1].size()) + " and " + std::to_string(filters[2].size()) + " taps");

  AcousticResponse result;
  result.FrequencyHz = AcousticFrequencies(rateHz);
  const std::vector<double>& frequencies = result.FrequencyHz;
  result.Sum.assign(frequencies.size(), 0.0);
  for (Way way : AllWays) {
    const int w = static_cast<int>(way);
    const DriverSettings& settings = drivers[w];
    if (settings.Driver) {
      result.Driver[w] = DriverResponseAt(*settings.Driver, frequencies);
      if (auto note = HeldRangeNote(*settings.Driver, frequencies.front(), frequencies.back()))
        result.HeldRanges.push_back(*note);
      if (auto note = DerivedPhaseNote(*settings.Driver)) result.DerivedPhases.push_back(*note);
    } else {
      result.Driver[w].assign(frequencies.size(), 1.0);
    }
    const std::vector<std::complex<double>> filter = CentredResponse(filters[w], frequencies, rateHz);
    const double gain = (settings.Sign == Polarity::Inverted ? -1.0 : 1.0) * std::pow(10.0, settings.TrimDb / 20.0);
    std::vector<std::complex<double>>& acoustic = result.Way[w];
    acoustic.resize(frequencies.size());
    for (size_t i = 0; i < frequencies.size(); ++i) {
      // The delay in whole turns taken off first, so a long delay keeps the angle's digits.
      const double turns = std::remainder(frequencies[i] * settings.DelayMs / 1000.0, 1.0);
      const std::complex<double> delay = std::polar(1.0, -2.0 * std::numbers::pi * turns);
      acoustic[i] = gain * result.Driver[w][i] * filter[i] * delay;
      result.Sum[i] += acoustic[i];
    }
  }
  return result;
}
