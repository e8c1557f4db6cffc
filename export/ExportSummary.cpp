#include "export/ExportSummary.h"

#include <charconv>

#include "numerics/FloatingPoint.h"
#include "pipeline/Commands.h"

namespace {

const char* RoleOf(Field field) {
  for (const DesignFieldRole& entry : DesignFieldRoles())
    if (entry.field == field) return entry.role;
  return "";
}

std::string Fixed(double value, int decimals) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// (length - 1) / 2 samples, the centre of a linear-phase filter; a half sample for an even length.
std::string LatencySamples(size_t length) {
  if (length % 2 == 1) return std::to_string((length - 1) / 2);
  return Fixed((static_cast<double>(length) - 1) / 2, 1);
}

std::string LatencyColumns(size_t length, int rateHz) {
  const double milliseconds = (static_cast<double>(length) - 1) / 2 / rateHz * 1000;
  return Padded(LatencySamples(length) + " samples", 16) + Fixed(milliseconds, 3) + " ms";
}

std::string Decibels(double linear) {
  if (linear == 0) return "exact (no deviation)";
  return Fixed(20 * CheckedLog10(linear), 1) + " dB";
}

}  // namespace

DelayDeviation MeasureDelayDeviation(std::span<const double> sum, FilterFormat format, const ExportProgress& progress,
                                     int rateHz) {
  std::vector<double> stored(sum.size());
  for (size_t n = 0; n < sum.size(); ++n) stored[n] = StoredValue(sum[n], format);
  return MeasureDelayDeviation(std::span<const double>(stored), rateHz, progress);
}

std::string SummaryText(const CalcRecord& record, const ExportedFilters& filters,
                        const std::vector<std::filesystem::path>& files, FilterFormat format,
                        const ExportProgress& progress) {
  std::string text = "firxover filter export\n\n";
  text += "Sample rate: " + std::to_string(record.RateHz) + " Hz, mono\n";
  text += "Format: " + FilterFormatDescription(format, record.RateHz) + "\n";
  if (filters.Cascaded) {
    text += "Bands: low, mid, high and their sum, each cascaded with the shelving filter (cut " +
            std::to_string(record.ShelfCutDb) + " dB), as the graph shows them\n";
  } else {
    text += "Bands: low, mid, high and their sum, without shelving (cut 0 dB), as the graph shows them\n";
  }
  text += "Shelving filter: on its own, " + std::to_string(filters.Shelf.size()) + " taps" +
          (filters.Cascaded ? " (already contained in the bands above)\n" : " (not applied to the bands above)\n");

  text += "\nDesign fields\n";
  for (const auto& [field, value] : record.FieldTexts) {
    text += "  " + Padded(FieldName(field), 20) + Padded(RoleOf(field), 28) + value + "\n";
  }
  text += "  " + Padded("CheckBox3", 20) + Padded("adjust coefficient", 28) +
          (record.AdjustChecked ? "ticked" : "not ticked") + "\n";
  text += "  " + Padded("TrackBarShelbGain", 20) + Padded("shelving cut", 28) + "+" + std::to_string(record.ShelfCutDb) +
          "dB (position " + std::to_string(record.SliderPosition) + ")\n";
  text += "  " + Padded("Label21", 20) + Padded("largest band magnitude", 28) + Fixed(record.CMax, 6) + "\n";

  text += "\nFiles\n  " + Padded("file", 32) + Padded("taps", 10) + "latency" + "\n";
  const int rateHz = record.RateHz;
  auto fileRow = [&text, rateHz](const std::string& name, size_t taps) {
    text += "  " + Padded(name, 32) + Padded(std::to_string(taps), 10) + LatencyColumns(taps, rateHz) + "\n";
  };
  if (format == FilterFormat::Csv) {
    fileRow(files[0].filename().string() + " (low,mid,high,sum)", filters.Sum.size());
    fileRow(files[1].filename().string(), filters.Shelf.size());
  } else {
    const std::span<const double> all[] = {filters.Low, filters.Mid, filters.High, filters.Sum, filters.Shelf};
    for (size_t k = 0; k < std::size(all); ++k) fileRow(files[k].filename().string(), all[k].size());
  }

  const size_t length = filters.Sum.size();
  const DelayDeviation deviation = MeasureDelayDeviation(filters.Sum, format, progress, record.RateHz);
  text += "\nSum against a pure delay of " + LatencySamples(length) + " samples, as the file holds it (" +
          std::string(SinglePrecision(format) ? "rounded to 32-bit float" : "64-bit float; text reads back exactly") +
          ")\n";
  text += "  largest tap error against a unit impulse at the centre:  " + Decibels(deviation.LargestTapError) + "\n";
  text += "  largest response error |H(f) - delay|, 2 Hz .. 10000 Hz: " + Decibels(deviation.LargestResponseError) + "\n";
  if (deviation.VanishesOnGrid) {
    text += "  magnitude: the sum vanishes at " + std::to_string(deviation.VanishingHz) + " Hz\n";
  } else {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, deviation.LargestMagnitudeDb, std::chars_format::general, 3);
    text += "  largest magnitude deviation from 0 dB, same range:       " + std::string(buffer, result.ptr) + " dB\n";
  }
  if (filters.Cascaded) {
    text += "  (the sum contains the shelving filter, so it departs from a pure delay by design)\n";
  }
  return text;
}

