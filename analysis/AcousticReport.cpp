#include "analysis/AcousticReport.h"

#include "numerics/TextConvert.h"

namespace {

using Json = nlohmann::ordered_json;

std::string DriverLine(Way way, const WayDriverReport& driver) {
  std::string text = "  " + std::string(WayName(way)) + ":";
  text.resize(8, ' ');
  text += driver.File ? "'" + *driver.File + "'" : std::string("ideal driver");
  if (driver.Phase) text += *driver.Phase == PhaseSource::Measured ? " (measured phase)" : " (minimum phase)";
  text += ", delay " + FormatGeneral(driver.DelayMs) + " ms, " + (driver.Inverted ? "inverted" : "normal polarity") +
          ", trim " + FormatGeneral(driver.TrimDb) + " dB\n";
  return text;
}

Json OrNull(const std::optional<AcousticStatistics>& statistics, double AcousticStatistics::*member) {
  return statistics ? Json((*statistics).*member) : Json(nullptr);
}

}  // namespace

AcousticResponse AcousticResponseFor(const ReportInput& input, const DriverSet& drivers) {
  return ComputeAcoustic(drivers, {input.Low, input.Mid, input.High}, input.RateHz);
}

AcousticReport AcousticReportFor(const ReportInput& input, const DriverSet& drivers, const AcousticResponse& response) {
  AcousticReport report;
  for (Way way : AllWays) {
    const DriverSettings& settings = drivers[static_cast<int>(way)];
    WayDriverReport& driver = report.Drivers[static_cast<int>(way)];
    if (settings.Driver) {
      driver.File = settings.Driver->Name;
      driver.Phase = settings.Driver->Phase;
    }
    driver.DelayMs = settings.DelayMs;
    driver.Inverted = settings.Sign == Polarity::Inverted;
    driver.TrimDb = settings.TrimDb;
  }
  report.Statistics = SumStatistics(response, input.MidLowHz, input.MidHighHz);
  report.MidLowHz = input.MidLowHz;
  report.MidHighHz = input.MidHighHz;
  report.HeldRanges = response.HeldRanges;
  report.DerivedPhases = response.DerivedPhases;
  return report;
}

std::string AcousticReportText(const AcousticReport& report) {
  std::string text = "\nDrivers through the exported filters (their common latency taken out)\n";
  for (Way way : AllWays) text += DriverLine(way, report.Drivers[static_cast<int>(way)]);
  text += StatisticsText(report.Statistics, report.MidLowHz, report.MidHighHz);
  for (const std::string& note : report.HeldRanges) text += "  note: " + note + "\n";
  for (const std::string& note : report.DerivedPhases) text += "  note: " + note + "\n";
  return text;
}

nlohmann::ordered_json AcousticReportJson(const AcousticReport& report) {
  Json json;
  json["drivers"] = Json::object();
  for (Way way : AllWays) {
    const WayDriverReport& driver = report.Drivers[static_cast<int>(way)];
    Json& entry = json["drivers"][WayName(way)];
    entry["file"] = driver.File ? Json(*driver.File) : Json(nullptr);
    entry["phase"] = !driver.Phase ? Json(nullptr) : Json(*driver.Phase == PhaseSource::Measured ? "measured" : "minimum");
    entry["delay_ms"] = driver.DelayMs;
    entry["inverted"] = driver.Inverted;
    entry["trim_db"] = driver.TrimDb;
  }
  const StatisticsRange range = SumStatisticsRange(report.MidLowHz, report.MidHighHz);
  json["from_hz"] = range.FromHz;
  json["to_hz"] = range.ToHz;
  json["points"] = report.Statistics ? report.Statistics->PointCount : 0;
  json["mean_db"] = OrNull(report.Statistics, &AcousticStatistics::MeanDb);
  json["largest_deviation_db"] = OrNull(report.Statistics, &AcousticStatistics::LargestDeviationDb);
  json["peak_hz"] = OrNull(report.Statistics, &AcousticStatistics::PeakHz);
  json["peak_db"] = OrNull(report.Statistics, &AcousticStatistics::PeakDb);
  json["dip_hz"] = OrNull(report.Statistics, &AcousticStatistics::DipHz);
  json["dip_db"] = OrNull(report.Statistics, &AcousticStatistics::DipDb);
  json["held_ranges"] = report.HeldRanges;
  json["derived_phases"] = report.DerivedPhases;
  return json;
}
