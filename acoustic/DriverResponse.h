#pragma once

#include <complex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustic/Measurement.h"

// A measured driver's response at each of frequencyHz (positive): 10^(dB/20) e^{j phase}, with the
// level in dB and the unwrapped phase linear in log frequency between measured points and held at
// the nearest end point outside the measured range.
std::vector<std::complex<double>> DriverResponseAt(const Measurement& measurement,
                                                   std::span<const double> frequencyHz);

// "'<name>' was measured from <first> to <last> Hz; outside that range its end points are held",
// when [lowHz, highHz] reaches beyond the measured range; nothing otherwise.
std::optional<std::string> HeldRangeNote(const Measurement& measurement, double lowHz, double highHz);

// "'<name>' has no phase: the minimum phase of its magnitude is used" for a derived phase; nothing
// for a measured one.
std::optional<std::string> DerivedPhaseNote(const Measurement& measurement);
