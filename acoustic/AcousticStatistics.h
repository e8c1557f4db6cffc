#pragma once

#include <optional>
#include <string>

#include "acoustic/AcousticModel.h"

// How flat the speaker's sum is around the mid band: over the output frequencies from half the mid
// band's lower edge to twice its upper edge (both included), the mean of the sum's level in dB, the
// largest distance of the level from that mean, and the frequencies of the highest and lowest level
// (the first of equals). A level below StatisticsFloorDb (a null, -inf for an exact zero) counts as
// that floor, so the figures stay finite.
struct AcousticStatistics {
  double FromHz = 0.0;  // the range asked for
  double ToHz = 0.0;
  int PointCount = 0;  // output frequencies within it
  double MeanDb = 0.0;
  double LargestDeviationDb = 0.0;  // >= 0
  double PeakHz = 0.0;
  double PeakDb = 0.0;
  double DipHz = 0.0;
  double DipDb = 0.0;
};

constexpr double StatisticsFloorDb = -300.0;

// The range the statistics cover for the mid band from midLowHz to midHighHz: half the lower edge to
// twice the upper edge.
struct StatisticsRange {
  double FromHz = 0.0;
  double ToHz = 0.0;
};
StatisticsRange SumStatisticsRange(double midLowHz, double midHighHz);

// The statistics of response.Sum for the mid band from midLowHz to midHighHz; nothing when no output
// frequency lies in the range.
std::optional<AcousticStatistics> SumStatistics(const AcousticResponse& response, double midLowHz,
                                                double midHighHz);

// The report's lines for the statistics, or the line saying that the range holds no output frequency:
//   "Acoustic sum from 150 to 4000 Hz (163 points): mean 0.12 dB, largest deviation 1.35 dB"
//   "  peak 1.23 dB at 2378.4 Hz, dip -1.35 dB at 307.5 Hz"
std::string StatisticsText(const std::optional<AcousticStatistics>& statistics, double midLowHz, double midHighHz);
