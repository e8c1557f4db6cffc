#include "acoustic/AcousticStatistics.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "acoustic/AcousticCsv.h"
#include "numerics/TextConvert.h"

namespace {

// Fixed notation with the given decimals, '.' as the point whatever the locale; no "-0.00".
std::string Fixed(double value, int decimals) {
  char buffer[400];
  const double scale = std::pow(10.0, decimals);
  if (std::round(value * scale) == 0.0) value = 0.0;
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

}  // namespace

StatisticsRange SumStatisticsRange(double midLowHz, double midHighHz) { return {midLowHz / 2.0, midHighHz * 2.0}; }

std::optional<AcousticStatistics> SumStatistics(const AcousticResponse& response, double midLowHz,
                                                double midHighHz) {
  AcousticStatistics statistics;
  const StatisticsRange range = SumStatisticsRange(midLowHz, midHighHz);
  statistics.FromHz = range.FromHz;
  statistics.ToHz = range.ToHz;
  std::vector<size_t> inside;
  for (size_t i = 0; i < response.FrequencyHz.size(); ++i)
    if (response.FrequencyHz[i] >= statistics.FromHz && response.FrequencyHz[i] <= statistics.ToHz)
      inside.push_back(i);
  if (inside.empty()) return std::nullopt;

  std::vector<double> levels;
  for (size_t i : inside) levels.push_back(std::max(LevelDb(response.Sum[i]), StatisticsFloorDb));
  double total = 0.0;
  for (double level : levels) total += level;
  statistics.PointCount = static_cast<int>(levels.size());
  statistics.MeanDb = total / static_cast<double>(levels.size());
  const size_t peak = static_cast<size_t>(std::max_element(levels.begin(), levels.end()) - levels.begin());
  const size_t dip = static_cast<size_t>(std::min_element(levels.begin(), levels.end()) - levels.begin());
  statistics.PeakHz = response.FrequencyHz[inside[peak]];
  statistics.PeakDb = levels[peak];
  statistics.DipHz = response.FrequencyHz[inside[dip]];
  statistics.DipDb = levels[dip];
  statistics.LargestDeviationDb =
      std::max(statistics.PeakDb - statistics.MeanDb, statistics.MeanDb - statistics.DipDb);
  return statistics;
}

std::string StatisticsText(const std::optional<AcousticStatistics>& statistics, double midLowHz, double midHighHz) {
  const StatisticsRange bounds = SumStatisticsRange(midLowHz, midHighHz);
  const std::string range = FormatGeneral(bounds.FromHz) + " to " + FormatGeneral(bounds.ToHz) + " Hz";
  if (!statistics) return "Acoustic sum from " + range + ": no output frequency in this range\n";
  const AcousticStatistics& s = *statistics;
  return "Acoustic sum from " + range + " (" + std::to_string(s.PointCount) + " points): mean " + Fixed(s.MeanDb, 2) +
         " dB, largest deviation " + Fixed(s.LargestDeviationDb, 2) + " dB\n" + "  peak " + Fixed(s.PeakDb, 2) +
         " dB at " + Fixed(s.PeakHz, 1) + " Hz, dip " + Fixed(s.DipDb, 2) + " dB at " + Fixed(s.DipHz, 1) + " Hz\n";
}
