#include "analysis/ReportText.h"

#include <charconv>
#include <cmath>

namespace {

// Fixed decimals; a value that rounds to zero shows no sign.
std::string Fixed(double value, int decimals) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

// Three significant digits, for values that range from rounding noise to whole decibels.
std::string Significant(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 3);
  return std::string(buffer, result.ptr);
}

std::string RightAligned(const std::string& text, size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Hz(double value) { return Fixed(value, 2) + " Hz"; }

// A cutoff as typed: a whole number without decimals, otherwise two.
std::string CutoffHz(double value) {
  return (value == std::floor(value) && std::fabs(value) < 1e15 ? Fixed(value, 0) : Fixed(value, 2)) + " Hz";
}

std::string Range(const FrequencyRange& range) { return Fixed(range.FromHz, 2) + " .. " + Hz(range.ToHz); }

std::string Samples(double samples) {
  return (samples == std::floor(samples) ? Fixed(samples, 0) : Fixed(samples, 1)) + " samples";
}

// Column widths of the filter table.
constexpr size_t cNameWidth = 6, cTapsWidth = 9, cLatencyWidth = 24, cGainWidth = 22;

std::string FilterRow(const char* name, const FilterReport& filter) {
  const std::string latency = Padded(Samples(filter.LatencySamples), 14) + RightAligned(Fixed(filter.LatencyMs, 3) + " ms", 10);
  const std::string gain = RightAligned(Fixed(filter.PeakGainDb, 3) + " dB", 11) + " at " +
                           RightAligned(std::to_string(filter.PeakHz), 5) + " Hz";
  return "  " + Padded(name, cNameWidth) + RightAligned(std::to_string(filter.Taps), cTapsWidth) + "  " +
         Padded(latency, cLatencyWidth) + "  " + Padded(gain, cGainWidth) + "  " +
         RightAligned(Fixed(filter.PreRingingMs, 3) + " ms", 9) + " (" + Samples(static_cast<double>(filter.PreRingingSamples)) +
         ")\n";
}

std::string Crossing(const char* level, const std::optional<double>& hz) {
  return std::string(level) + (hz ? " at " + Hz(*hz) : " not reached");
}

std::string EdgeLines(const char* which, const EdgeReport& edge) {
  return std::string(which) + " edge " + CutoffHz(edge.CutoffHz) + ": " + Crossing("-3 dB", edge.Minus3DbHz) + ", " +
         Crossing("-6 dB", edge.Minus6DbHz) + "\n" + std::string(8, ' ') + "  transition width " +
         Hz(edge.TransitionWidthHz) + " (" + BandName(edge.ShapedBy) + " band, " + std::to_string(edge.ShapingTaps) +
         " taps)\n";
}

std::string BandLines(const char* name, const BandReport& band) {
  const std::string indent(8, ' ');
  std::string text = "  " + Padded(name, 6);
  bool first = true;
  const auto edge = [&](const char* which, const std::optional<EdgeReport>& report) {
    if (!report) return;
    text += (first ? "" : indent) + EdgeLines(which, *report);
    first = false;
  };
  edge("lower", band.LowerEdge);
  edge("upper", band.UpperEdge);
  text += indent + "pass band ";
  if (!band.PassBand) {
    text += "empty (the transition bands meet)\n";
  } else {
    text += Range(*band.PassBand) + ": ripple " +
            (band.PassBandRippleDb ? Significant(*band.PassBandRippleDb) + " dB" : std::string("not measured")) + "\n";
  }
  text += indent + (band.StopBands.size() > 1 ? "stop bands " : "stop band ");
  if (band.StopBands.empty()) {
    text += "empty\n";
  } else {
    for (size_t k = 0; k < band.StopBands.size(); ++k) text += (k > 0 ? ", " : "") + Range(band.StopBands[k]);
    text += ": attenuation " +
            (band.StopBandAttenuationDb ? Fixed(*band.StopBandAttenuationDb, 2) + " dB" : std::string("not measured")) +
            " (asked " + Significant(band.AttenuationAskedDb) + " dB)\n";
  }
  return text;
}

std::string CrossoverLine(const char* name, const CrossoverReport& crossover) {
  std::string text = "  " + Padded(name, 10);
  if (!crossover.Hz) return text + "the bands do not cross (meant near " + Hz(crossover.NearHz) + ")\n";
  return text + RightAligned(Hz(*crossover.Hz), 12) + " at " + Fixed(*crossover.LevelDb, 2) + " dB (meant near " +
         Hz(crossover.NearHz) + ")\n";
}

}  // namespace

std::string ReportText(const DesignReport& report) {
  const double nyquistHz = report.RateHz / 2;
  std::string text = "Design report at " + std::to_string(report.RateHz) + " Hz: levels in dB (20 log10 |H|) at every whole Hz from 0 to " +
                     Fixed(nyquistHz, 0) + " Hz\n\n";
  text += report.Sum.ShelfTarget ? "Filters as exported, each cascaded with the shelving filter\n"
                                 : "Filters as exported\n";
  text += "  " + Padded("filter", cNameWidth) + RightAligned("taps", cTapsWidth) + "  " + Padded("latency", cLatencyWidth) +
          "  " + Padded("peak gain", cGainWidth + 1) + "  pre-ringing (60 dB)\n";
  for (size_t k = 0; k < report.Filters.size(); ++k) text += FilterRow(FilterName(k), report.Filters[k]);

  text += "\nBands";
  text += report.Sum.ShelfTarget ? " before the shelving filter" : "";
  text += " (pass band and stop band half a transition width either side of each cutoff)\n";
  for (size_t k = 0; k < report.Bands.size(); ++k) text += BandLines(BandName(AllBands[k]), report.Bands[k]);

  text += "\nCrossovers: equal levels of the bands";
  text += report.Sum.ShelfTarget ? " before the shelving filter" : "";
  text += ", nearest where they are meant to cross\n";
  text += CrossoverLine("low/mid", report.LowMid);
  text += CrossoverLine("mid/high", report.MidHigh);

  const SumReport& sum = report.Sum;
  text += "\nSum against ";
  text += sum.ShelfTarget ? "the shelving filter delayed by " + Samples(sum.TargetDelaySamples) + "\n"
                          : "a pure delay of " + Samples(sum.TargetDelaySamples) + "\n";
  text += "  largest magnitude deviation: " + Significant(sum.DeviationDb) + " dB in double, " +
          Significant(sum.DeviationFloat32Db) + " dB with each band rounded to 32-bit float\n";
  text += "  largest tap difference:      " + Significant(sum.LargestTapDifference) + "\n";
  return text;
}
