#include "acoustic/DriverSetup.h"

#include <cmath>

bool IsDriverDelay(double delayMs) { return std::fabs(delayMs) <= MaxDriverDelayMs; }

bool IsDriverTrim(double trimDb) { return std::fabs(trimDb) <= MaxDriverTrimDb; }

DriverSet LoadDrivers(const DriverSetups& setups) {
  DriverSet drivers;
  for (Way way : AllWays) {
    const int w = static_cast<int>(way);
    const DriverSetup& setup = setups[w];
    if (!setup.File.empty()) drivers[w].Driver = ReadMeasurement(setup.File);
    drivers[w].DelayMs = setup.DelayMs;
    drivers[w].Sign = setup.Sign;
    drivers[w].TrimDb = setup.TrimDb;
  }
  CheckDriverSettings(drivers);
  return drivers;
}
