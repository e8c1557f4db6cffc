#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Where a measurement's phase comes from.
enum class PhaseSource {
  Measured,      // the file's third column
  MinimumPhase,  // derived from the magnitude (acoustic/MinimumPhase.h): the file had no phase
};

// One driver's measured response: frequencies in Hz (positive, strictly increasing, at least two),
// the level in dB and the phase in degrees at each, the phase unwrapped so that neighbouring points
// differ by at most 180 degrees.
struct Measurement {
  std::string Name;  // the file as the user named it, for messages
  std::vector<double> FrequencyHz;
  std::vector<double> LevelDb;
  std::vector<double> PhaseDeg;
  PhaseSource Phase = PhaseSource::Measured;
};

// Levels a measurement may hold, in dB: far beyond any real driver, yet 10^(dB/20) stays finite.
constexpr double MaxMeasuredLevelDb = 1000.0;

// The largest measurement file read, in bytes: about a million points, far more than any
// measurement program writes, while a file given by mistake is refused before it fills memory.
constexpr std::size_t MaxMeasurementFileBytes = 32u << 20;

// Parses the text of a measurement file (".frd", ".txt"): one point a line, frequency in Hz, level
// in dB and optionally phase in degrees, separated by blanks, tabs, one ',' or one ';'; '.' is the
// decimal point. Blank lines and lines starting with '*' are skipped anywhere, lines that do not start
// with a number (headers) only before the first point; CR LF and CR line ends are accepted, a leading UTF-8 byte-order
// mark ignored. Every point has as many values as the first. Without a phase column the phase is the
// minimum phase of the magnitude. Any other text raises UserError "'<name>' line <n>: <reason>".
Measurement ParseMeasurement(std::string_view text, const std::string& name);

// Reads and parses a measurement file. Raises UserError "Cannot read '<file>': <reason>" when it cannot
// be read, is not a regular file or is larger than MaxMeasurementFileBytes, and the errors of
// ParseMeasurement otherwise.
Measurement ReadMeasurement(const std::filesystem::path& file);
