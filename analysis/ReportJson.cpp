#include "analysis/ReportJson.h"

namespace {

using Json = nlohmann::ordered_json;

Json Optional(const std::optional<double>& value) { return value ? Json(*value) : Json(nullptr); }

Json RangeJson(const FrequencyRange& range) { return Json::array({range.FromHz, range.ToHz}); }

Json FilterJson(const FilterReport& filter) {
  Json json;
  json["taps"] = filter.Taps;
  json["latency_samples"] = filter.LatencySamples;
  json["latency_ms"] = filter.LatencyMs;
  json["peak_gain_db"] = filter.PeakGainDb;
  json["peak_hz"] = filter.PeakHz;
  json["pre_ringing_samples"] = filter.PreRingingSamples;
  json["pre_ringing_ms"] = filter.PreRingingMs;
  return json;
}

Json EdgeJson(const std::optional<EdgeReport>& edge) {
  if (!edge) return nullptr;
  Json json;
  json["cutoff_hz"] = edge->CutoffHz;
  json["shaped_by"] = BandName(edge->ShapedBy);
  json["shaping_taps"] = edge->ShapingTaps;
  json["transition_width_hz"] = edge->TransitionWidthHz;
  json["minus_3db_hz"] = Optional(edge->Minus3DbHz);
  json["minus_6db_hz"] = Optional(edge->Minus6DbHz);
  return json;
}

Json BandJson(const BandReport& band) {
  Json json;
  json["lower_edge"] = EdgeJson(band.LowerEdge);
  json["upper_edge"] = EdgeJson(band.UpperEdge);
  json["passband_hz"] = band.PassBand ? RangeJson(*band.PassBand) : Json(nullptr);
  json["stopbands_hz"] = Json::array();
  for (const FrequencyRange& stop : band.StopBands) json["stopbands_hz"].push_back(RangeJson(stop));
  json["passband_ripple_db"] = Optional(band.PassBandRippleDb);
  json["stopband_attenuation_db"] = Optional(band.StopBandAttenuationDb);
  json["attenuation_asked_db"] = band.AttenuationAskedDb;
  return json;
}

Json CrossoverJson(const CrossoverReport& crossover) {
  Json json;
  json["near_hz"] = crossover.NearHz;
  json["hz"] = Optional(crossover.Hz);
  json["level_db"] = Optional(crossover.LevelDb);
  return json;
}

}  // namespace

nlohmann::ordered_json ReportJson(const DesignReport& report) {
  Json json;
  json["rate_hz"] = report.RateHz;
  json["attenuation_asked_db"] = report.AttenuationAskedDb;
  json["filters"] = Json::object();
  for (size_t k = 0; k < report.Filters.size(); ++k) json["filters"][FilterName(k)] = FilterJson(report.Filters[k]);
  json["bands"] = Json::object();
  for (size_t k = 0; k < report.Bands.size(); ++k) json["bands"][BandName(AllBands[k])] = BandJson(report.Bands[k]);
  json["crossovers"]["low_mid"] = CrossoverJson(report.LowMid);
  json["crossovers"]["mid_high"] = CrossoverJson(report.MidHigh);
  Json& sum = json["sum"];
  sum["target"] = report.Sum.ShelfTarget ? "shelf" : "pure_delay";
  sum["target_delay_samples"] = report.Sum.TargetDelaySamples;
  sum["deviation_db"] = report.Sum.DeviationDb;
  sum["deviation_float32_db"] = report.Sum.DeviationFloat32Db;
  sum["largest_tap_difference"] = report.Sum.LargestTapDifference;
  return json;
}
