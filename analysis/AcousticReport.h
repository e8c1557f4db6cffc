#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "acoustic/AcousticModel.h"
#include "acoustic/AcousticStatistics.h"
#include "analysis/Report.h"

// The acoustic section of a report: the drivers behind the exported filters and how flat their sum
// is around the mid band (acoustic/AcousticStatistics.h).

struct WayDriverReport {
  std::optional<std::string> File;  // the measurement as named; none for an ideal driver
  std::optional<PhaseSource> Phase;  // with a file: measured or derived
  double DelayMs = 0;
  bool Inverted = false;
  double TrimDb = 0;
};

struct AcousticReport {
  std::array<WayDriverReport, WayCount> Drivers;
  double MidLowHz = 0;  // the mid band's edges as designed
  double MidHighHz = 0;
  std::optional<AcousticStatistics> Statistics;  // none when no output frequency lies in the range
  std::vector<std::string> HeldRanges;
  std::vector<std::string> DerivedPhases;
};

// The model for the design's exported filters at its rate (ComputeAcoustic).
AcousticResponse AcousticResponseFor(const ReportInput& input, const DriverSet& drivers);

// The section for a response of these drivers, over the range around input's mid band.
AcousticReport AcousticReportFor(const ReportInput& input, const DriverSet& drivers, const AcousticResponse& response);

// The section as text (a blank line, then its lines, each ended by '\n') and as the JSON object
// under "acoustic": drivers.{low,mid,high}.{file,phase,delay_ms,inverted,trim_db}, from_hz, to_hz,
// points, mean_db, largest_deviation_db, peak_hz, peak_db, dip_hz, dip_db (null without a point in
// the range), held_ranges, derived_phases.
std::string AcousticReportText(const AcousticReport& report);
nlohmann::ordered_json AcousticReportJson(const AcousticReport& report);
