#pragma once

#include <array>
#include <string>

#include "acoustic/AcousticModel.h"

// What the user chose for the driver of one way, before its measurement is read: the file (empty
// for an ideal driver) and the way's delay, polarity and trim. The window's and the CLI's driver
// settings and the design file's "drivers" object all hold this.
struct DriverSetup {
  std::string File;  // the measurement file as a path the process can open; empty: an ideal driver
  double DelayMs = 0.0;
  Polarity Sign = Polarity::Normal;
  double TrimDb = 0.0;

  bool operator==(const DriverSetup&) const = default;
};
using DriverSetups = std::array<DriverSetup, WayCount>;

// Whether a delay or a trim lies within its limits (MaxDriverDelayMs, MaxDriverTrimDb); false for a
// value that is not finite.
bool IsDriverDelay(double delayMs);
bool IsDriverTrim(double trimDb);

// Reads the measurement of every way that names a file (ReadMeasurement) and checks the settings
// (CheckDriverSettings). Raises the UserError of the first file that cannot be read or parsed, in
// the order low, mid, high, or of the first setting beyond its limits.
DriverSet LoadDrivers(const DriverSetups& setups);
