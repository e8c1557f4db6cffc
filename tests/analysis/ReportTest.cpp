#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "analysis/Measures.h"
#include "analysis/Report.h"
#include "analysis/ReportInputs.h"
#include "analysis/ReportJson.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"

namespace {

constexpr long double cPi = 3.141592653589793238462643383279502884L;

// |H(f)| of the taps at every whole Hz from 0 to rate/2 by the plain DFT sum in long double; the
// angle of tap n is looked up at n f mod rate in a table, so no angle loses precision.
std::vector<long double> ReferenceMagnitudes(std::span<const double> taps, int rate) {
  std::vector<long double> cosines(rate), sines(rate);
  for (int m = 0; m < rate; ++m) {
    cosines[m] = std::cos(2 * cPi * m / rate);
    sines[m] = std::sin(2 * cPi * m / rate);
  }
  std::vector<long double> magnitudes(rate / 2 + 1);
  for (int f = 0; f <= rate / 2; ++f) {
    long double re = 0, im = 0;
    int index = 0;
    for (const double tap : taps) {
      re += tap * cosines[index];
      im -= tap * sines[index];
      index += f;
      if (index >= rate) index -= rate;
    }
    magnitudes[f] = std::sqrt(re * re + im * im);
  }
  return magnitudes;
}

// The level in dB at any frequency, by the plain DFT sum.
double ReferenceLevelAt(std::span<const double> taps, double hz, int rate) {
  std::complex<long double> sum = 0;
  for (size_t n = 0; n < taps.size(); ++n) sum += static_cast<long double>(taps[n]) * std::polar(1.0L, -2 * cPi * hz * n / rate);
  return static_cast<double>(20 * std::log10(std::abs(sum)));
}

std::vector<double> ReferenceLevels(std::span<const double> taps, int rate) {
  std::vector<double> levels;
  for (const long double magnitude : ReferenceMagnitudes(taps, rate)) {
    levels.push_back(static_cast<double>(20 * std::log10(magnitude)));
  }
  return levels;
}

double ReferenceMax(const std::vector<double>& levels, double fromHz, double toHz, double sign = 1) {
  double largest = -INFINITY;
  for (int f = static_cast<int>(std::ceil(fromHz)); f <= toHz; ++f) largest = std::max(largest, sign * levels[f]);
  return sign * largest;
}

// A Calc on the window's fields and the report of what it made.
struct Design {
  MemoryFields fields;
  DesignState state;
  ReportInput input;
};

std::unique_ptr<Design> RunDesign(const std::vector<std::pair<Field, std::string>>& texts, bool adjust,
                                  int sliderPosition) {
  auto design = std::make_unique<Design>();
  MemoryFields& fields = design->fields;
  for (const auto& [field, text] : texts) fields.SetText(field, text);
  fields.SetAdjustChecked(adjust);
  fields.SetSliderPosition(sliderPosition);
  const CalcOutcome outcome = CalcCommand(fields, design->state);
  if (!outcome.Record) throw std::runtime_error("the Calc did not complete: " + outcome.Message);
  design->input = ReportInputFor(design->state, *outcome.Record);
  return design;
}

std::vector<double> Float32Sum(const ReportInput& input) {
  std::vector<double> sum(input.Sum.size());
  for (size_t n = 0; n < sum.size(); ++n) {
    sum[n] = (static_cast<double>(static_cast<float>(input.Low[n])) + static_cast<float>(input.Mid[n])) +
             static_cast<float>(input.High[n]);
  }
  return sum;
}

// The peak gains of the exported filters against levels from the plain DFT.
void ExpectFiltersAgreeWithReference(const DesignReport& report, const ReportInput& input) {
  const std::span<const double> exported[] = {input.Low, input.Mid, input.High, input.Sum};
  for (size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(FilterName(k));
    const std::vector<double> levels = ReferenceLevels(exported[k], input.RateHz);
    const double peak = ReferenceMax(levels, 0, input.RateHz / 2);
    EXPECT_NEAR(report.Filters[k].PeakGainDb, peak, 1e-9);
    EXPECT_NEAR(levels[report.Filters[k].PeakHz], peak, 1e-9);
  }
}

// The per-band numbers against levels from the plain DFT: -3 and -6 dB frequencies (the reference
// level there), ripple and attenuation over the report's own ranges, crossings of equal level.
void ExpectBandsAgreeWithReference(const DesignReport& report, const ReportInput& input) {
  const int rate = input.RateHz;
  const std::span<const double> bare[] = {input.BareLow, input.BareMid, input.BareHigh};
  std::vector<std::vector<double>> bareLevels;
  for (size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(BandName(AllBands[k]));
    bareLevels.push_back(ReferenceLevels(bare[k], rate));
    const BandReport& band = report.Bands[k];
    for (const auto& edge : {band.LowerEdge, band.UpperEdge}) {
      if (!edge) continue;
      ASSERT_TRUE(edge->Minus3DbHz && edge->Minus6DbHz);
      // Between two whole Hz the level is close to a straight line in dB.
      EXPECT_NEAR(ReferenceLevelAt(bare[k], *edge->Minus3DbHz, rate), -3, 2e-3);
      EXPECT_NEAR(ReferenceLevelAt(bare[k], *edge->Minus6DbHz, rate), -6, 2e-3);
      EXPECT_NEAR(*edge->Minus3DbHz, edge->CutoffHz, edge->TransitionWidthHz / 2);
    }
    ASSERT_TRUE(band.PassBand && band.PassBandRippleDb && band.StopBandAttenuationDb);
    const double ripple = ReferenceMax(bareLevels[k], band.PassBand->FromHz, band.PassBand->ToHz) -
                          ReferenceMax(bareLevels[k], band.PassBand->FromHz, band.PassBand->ToHz, -1);
    EXPECT_NEAR(*band.PassBandRippleDb, ripple, 1e-9);
    double stopPeak = -INFINITY;
    for (const FrequencyRange& stop : band.StopBands) {
      stopPeak = std::max(stopPeak, ReferenceMax(bareLevels[k], stop.FromHz, stop.ToHz));
    }
    EXPECT_NEAR(*band.StopBandAttenuationDb, -stopPeak, 1e-4);
  }
  const std::pair<const CrossoverReport*, std::pair<size_t, size_t>> crossovers[] = {
      {&report.LowMid, {0, 1}}, {&report.MidHigh, {1, 2}}};
  for (const auto& [crossover, bands] : crossovers) {
    ASSERT_TRUE(crossover->Hz && crossover->LevelDb);
    const double a = ReferenceLevelAt(bare[bands.first], *crossover->Hz, rate);
    const double b = ReferenceLevelAt(bare[bands.second], *crossover->Hz, rate);
    EXPECT_NEAR(a, b, 2e-3);
    EXPECT_NEAR(*crossover->LevelDb, a, 2e-3);
  }
}

// max |20 log10 (|S| / |T|)| by the plain DFT, T the shelving filter or a unit impulse.
double ReferenceDeviationDb(std::span<const double> sum, std::span<const double> shelf, int rate) {
  const std::vector<long double> s = ReferenceMagnitudes(sum, rate);
  const double impulse[] = {1.0};
  const std::vector<long double> t = ReferenceMagnitudes(shelf.empty() ? std::span<const double>(impulse) : shelf, rate);
  long double largest = 0;
  for (size_t f = 0; f < s.size(); ++f) largest = std::max(largest, std::fabs(20 * std::log10(s[f] / t[f])));
  return static_cast<double>(largest);
}

TEST(DesignReport, WindowDefaults) {
  const auto design = RunDesign({}, true, 6);
  const DesignReport report = ComputeReport(design->input);
  EXPECT_EQ(report.RateHz, 44100);
  EXPECT_EQ(report.AttenuationAskedDb, 144);

  // Latency and pre-ringing, exactly: the pre-ringing counts come from an independent design of the
  // same bands, checked to lie clear of the 60 dB threshold.
  const int64_t preRinging[] = {286, 263, 63, 0};
  for (size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(FilterName(k));
    const FilterReport& filter = report.Filters[k];
    EXPECT_EQ(filter.Taps, 901);
    EXPECT_EQ(filter.LatencySamples, 450);
    EXPECT_DOUBLE_EQ(filter.LatencyMs, 10.204081632653061);
    EXPECT_EQ(filter.PreRingingSamples, preRinging[k]);
    EXPECT_DOUBLE_EQ(filter.PreRingingMs, preRinging[k] / 44.1);
  }

  // The mid band is what the others leave: its lower edge is the low band's (901 taps), its upper
  // edge the high band's (301 taps).
  const BandReport& low = report.Bands[0];
  const BandReport& mid = report.Bands[1];
  const BandReport& high = report.Bands[2];
  EXPECT_FALSE(low.LowerEdge);
  EXPECT_FALSE(high.UpperEdge);
  EXPECT_EQ(low.UpperEdge->ShapedBy, Band::Low);
  EXPECT_EQ(mid.LowerEdge->ShapedBy, Band::Low);
  EXPECT_EQ(mid.LowerEdge->ShapingTaps, 901);
  EXPECT_EQ(mid.UpperEdge->ShapedBy, Band::High);
  EXPECT_EQ(mid.UpperEdge->ShapingTaps, 301);
  EXPECT_EQ(high.LowerEdge->ShapingTaps, 301);
  EXPECT_NEAR(low.UpperEdge->TransitionWidthHz, 464.1612869866042, 1e-9);
  EXPECT_NEAR(mid.UpperEdge->TransitionWidthHz, 1392.4838609598125, 1e-9);
  EXPECT_NEAR(low.PassBand->ToHz, 300 - 464.1612869866042 / 2, 1e-9);
  EXPECT_EQ(low.PassBand->FromHz, 0);
  ASSERT_EQ(mid.StopBands.size(), 2u);
  EXPECT_NEAR(mid.StopBands[1].FromHz, 2000 + 1392.4838609598125 / 2, 1e-9);
  EXPECT_EQ(mid.StopBands[1].ToHz, 22050);
  // The bands are half amplitude at their cutoffs, so -6 dB lies just inside.
  EXPECT_GT(*low.UpperEdge->Minus6DbHz, 299);
  EXPECT_LT(*low.UpperEdge->Minus6DbHz, 300);
  EXPECT_GT(*high.LowerEdge->Minus6DbHz, 2000);
  EXPECT_LT(*high.LowerEdge->Minus6DbHz, 2001);
  // Kaiser's window holds the attenuation asked, and the pass band is flat to well below 0.001 dB.
  for (const BandReport& band : report.Bands) {
    EXPECT_EQ(band.AttenuationAskedDb, 144);
    EXPECT_GT(*band.StopBandAttenuationDb, 138);
    EXPECT_LT(*band.PassBandRippleDb, 1e-3);
  }
  EXPECT_NEAR(*report.LowMid.Hz, 300, 0.5);
  EXPECT_NEAR(*report.LowMid.LevelDb, -6.02, 0.01);
  EXPECT_NEAR(*report.MidHigh.Hz, 2000, 0.5);
  EXPECT_NEAR(*report.MidHigh.LevelDb, -6.02, 0.01);
  EXPECT_EQ(report.LowMid.NearHz, 300);
  EXPECT_EQ(report.MidHigh.NearHz, 2000);

  // The adjusted sum is a pure delay up to rounding; 32-bit floats move it measurably, and little.
  const SumReport& sum = report.Sum;
  EXPECT_FALSE(sum.ShelfTarget);
  EXPECT_EQ(sum.TargetDelaySamples, 450);
  EXPECT_LT(sum.DeviationDb, 1e-12);
  EXPECT_LT(sum.LargestTapDifference, 1e-15);
  EXPECT_GT(sum.DeviationFloat32Db, 1e-8);
  EXPECT_LT(sum.DeviationFloat32Db, 1e-4);
  EXPECT_NEAR(sum.DeviationFloat32Db, ReferenceDeviationDb(Float32Sum(design->input), {}, 44100), 1e-10);

  ExpectFiltersAgreeWithReference(report, design->input);
  ExpectBandsAgreeWithReference(report, design->input);
}

TEST(DesignReport, CascadeWithTheShelvingFilter) {
  const auto design = RunDesign({}, true, 0);
  const ReportInput& input = design->input;
  const DesignReport report = ComputeReport(input);
  for (const FilterReport& filter : report.Filters) {
    EXPECT_EQ(filter.Taps, 2105);
    EXPECT_EQ(filter.LatencySamples, 1052);
    EXPECT_DOUBLE_EQ(filter.LatencyMs, 1052 / 44.1);
  }
  // The sum follows the shelving filter: 0 dB in the bass, 6 dB down in the treble.
  const SumReport& sum = report.Sum;
  EXPECT_TRUE(sum.ShelfTarget);
  EXPECT_EQ(sum.TargetDelaySamples, 450);
  EXPECT_LT(sum.DeviationDb, 1e-9);
  EXPECT_LT(sum.LargestTapDifference, 1e-15);
  EXPECT_GT(sum.DeviationFloat32Db, 1e-8);
  EXPECT_LT(sum.DeviationFloat32Db, 1e-4);
  EXPECT_NEAR(sum.DeviationFloat32Db, ReferenceDeviationDb(Float32Sum(input), input.Shelf, 44100), 1e-9);
  EXPECT_NEAR(report.Filters[2].PeakGainDb, -6.0, 0.01);
  ExpectFiltersAgreeWithReference(report, input);

  // Bands and crossovers are measured before the shelving filter: the same as without it.
  const DesignReport bare = ComputeReport(RunDesign({}, true, 6)->input);
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(report.Bands[k].PassBandRippleDb, bare.Bands[k].PassBandRippleDb);
    EXPECT_EQ(report.Bands[k].StopBandAttenuationDb, bare.Bands[k].StopBandAttenuationDb);
  }
  EXPECT_EQ(report.LowMid.Hz, bare.LowMid.Hz);
  EXPECT_EQ(report.MidHigh.LevelDb, bare.MidHigh.LevelDb);
}

TEST(DesignReport, CascadeWithoutAdjustmentDepartsFromTheShelf) {
  const auto design = RunDesign({}, false, 3);
  const ReportInput& input = design->input;
  const DesignReport report = ComputeReport(input);
  EXPECT_GT(report.Sum.DeviationDb, 0.01);
  EXPECT_NEAR(report.Sum.DeviationDb, ReferenceDeviationDb(input.Sum, input.Shelf, 44100), 1e-9);
  EXPECT_GT(report.Sum.LargestTapDifference, 1e-3);
}

TEST(DesignReport, UnequalTapCountsAndLowAttenuation) {
  const auto design = RunDesign({{Field::Edit1, "300"},
                                 {Field::Edit9, "201"},
                                 {Field::Edit10, "101"},
                                 {Field::Edit2, "500"},
                                 {Field::Edit5, "500"},
                                 {Field::Edit4, "3000"},
                                 {Field::Edit3, "3000"},
                                 {Field::Edit8, "40"}},
                                false, 6);
  const ReportInput& input = design->input;
  const DesignReport report = ComputeReport(input);
  const int64_t preRinging[] = {150, 100, 49, 115};
  for (size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(FilterName(k));
    EXPECT_EQ(report.Filters[k].Taps, 301);
    EXPECT_EQ(report.Filters[k].LatencySamples, 150);
    EXPECT_EQ(report.Filters[k].PreRingingSamples, preRinging[k]);
  }
  // Each band shapes its own edges; the mid band's 201 taps make them wider than the low band's.
  const BandReport& mid = report.Bands[1];
  EXPECT_EQ(mid.LowerEdge->ShapedBy, Band::Mid);
  EXPECT_EQ(mid.UpperEdge->ShapingTaps, 201);
  EXPECT_NEAR(mid.LowerEdge->TransitionWidthHz, 491.4648921034632, 1e-9);
  EXPECT_NEAR(report.Bands[0].UpperEdge->TransitionWidthHz, 327.64326140230884, 1e-9);
  // At 40 dB the window leaves ripple of 2 x 0.01 linear and stop bands near 40 dB.
  for (const BandReport& band : report.Bands) {
    EXPECT_EQ(band.AttenuationAskedDb, 40);
    EXPECT_GT(*band.PassBandRippleDb, 0.05);
    EXPECT_LT(*band.PassBandRippleDb, 0.35);
    EXPECT_GT(*band.StopBandAttenuationDb, 36);
    EXPECT_LT(*band.StopBandAttenuationDb, 46);
  }
  EXPECT_GT(report.Sum.DeviationDb, 0.01);
  EXPECT_NEAR(report.Sum.DeviationDb, ReferenceDeviationDb(input.Sum, {}, 44100), 1e-9);
  ExpectFiltersAgreeWithReference(report, input);
  ExpectBandsAgreeWithReference(report, input);
}

TEST(DesignReport, SilentBandHasFiniteNumbers) {
  // A low band of zeros: nothing crosses, its levels lie at the floor.
  auto design = RunDesign({}, false, 6);
  const std::vector<double> silence(901, 0.0);
  design->input.Low = design->input.BareLow = silence;
  const DesignReport report = ComputeReport(design->input);
  const BandReport& low = report.Bands[0];
  EXPECT_EQ(report.Filters[0].PeakGainDb, LevelFloorDb);
  EXPECT_EQ(report.Filters[0].PreRingingSamples, 0);
  EXPECT_FALSE(low.UpperEdge->Minus3DbHz);
  EXPECT_EQ(*low.PassBandRippleDb, 0);
  EXPECT_EQ(*low.StopBandAttenuationDb, -LevelFloorDb);
  EXPECT_FALSE(report.LowMid.Hz);
  const std::string json = ReportJson(report).dump();
  EXPECT_EQ(json.find("nan"), std::string::npos);
  EXPECT_EQ(json.find("inf"), std::string::npos);
  EXPECT_NE(json.find(R"("minus_3db_hz":null)"), std::string::npos);
}

TEST(DesignReport, OtherRates) {
  // The 1 Hz grid runs to each rate's Nyquist frequency; lengths and widths scale with the rate.
  auto design = RunDesign({}, true, 6);
  design->input.RateHz = 96000;
  const DesignReport report = ComputeReport(design->input);
  EXPECT_DOUBLE_EQ(report.Filters[0].LatencyMs, 450 / 96.0);
  EXPECT_EQ(report.Bands[0].StopBands[0].ToHz, 48000);
  EXPECT_NEAR(report.Bands[0].UpperEdge->TransitionWidthHz, 464.1612869866042 * 96000 / 44100, 1e-9);
  EXPECT_NEAR(report.Bands[0].StopBandAttenuationDb.value(),
              -ReferenceMax(ReferenceLevels(design->input.BareLow, 96000), report.Bands[0].StopBands[0].FromHz, 48000),
              1e-4);
}

TEST(DesignReport, RefusesInconsistentFilters) {
  auto design = RunDesign({}, true, 6);
  const auto refusal = [](const ReportInput& input) {
    try {
      ComputeReport(input);
    } catch (const UserError& error) {
      return error.Text();
    }
    return std::string("no error");
  };
  ReportInput input = design->input;
  input.RateHz = 7999;
  EXPECT_EQ(refusal(input), Messages::RangeCheck);
  input = design->input;
  input.Mid = input.Mid.first(900);
  EXPECT_EQ(refusal(input), Messages::RangeCheck);
  input = design->input;
  input.BareHigh = {};
  EXPECT_EQ(refusal(input), Messages::RangeCheck);
  input = design->input;
  input.Low = input.Mid = input.High = input.Sum = {};
  EXPECT_EQ(refusal(input), Messages::RangeCheck);
  input = design->input;
  input.Shelf = design->state.ShelfCoeffs;  // longer than the bare sum
  EXPECT_EQ(refusal(input), Messages::RangeCheck);
  EXPECT_EQ(refusal(design->input), "no error");
}

TEST(ReportInputFor, WhatTheCalcDesigned) {
  // Coupled: the low and high cutoffs are the mid band's edges whatever Edit2 and Edit3 hold.
  auto coupled = RunDesign({{Field::Edit1, "900"}, {Field::Edit2, "999"}, {Field::Edit3, "5000"}}, true, 6);
  EXPECT_EQ(coupled->input.LowTaps, 901);
  EXPECT_EQ(coupled->input.LowCutHz, 300);
  EXPECT_EQ(coupled->input.HighCutHz, 2000);
  EXPECT_EQ(coupled->input.MidShape, MidBandShape::Remainder);
  EXPECT_TRUE(coupled->input.Shelf.empty());
  EXPECT_EQ(coupled->input.Sum.data(), coupled->state.SumCoeffs.data());
  const auto apart = RunDesign({{Field::Edit2, "999"}, {Field::Edit3, "5000"}, {Field::Edit8, "60.5"}}, false, 4);
  EXPECT_EQ(apart->input.LowCutHz, 999);
  EXPECT_EQ(apart->input.HighCutHz, 5000);
  EXPECT_EQ(apart->input.AttenuationDb, 60.5);
  EXPECT_EQ(apart->input.MidShape, MidBandShape::BandPass);
  EXPECT_EQ(apart->input.Shelf.size(), 1205u);
  EXPECT_EQ(apart->input.Sum.data(), apart->state.SumCascade.data());
  EXPECT_EQ(apart->input.BareMid.data(), apart->state.MidCoeffs.data());

  // A record of an earlier Calc no longer describes the state.
  MemoryFields fields;
  DesignState state;
  const CalcOutcome first = CalcCommand(fields, state);
  ASSERT_TRUE(first.Record);
  ASSERT_TRUE(CalcCommand(fields, state).Record);
  try {
    ReportInputFor(state, *first.Record);
    ADD_FAILURE() << "no error";
  } catch (const UserError& error) {
    EXPECT_EQ(error.Text(), ExportMessages::StateChanged);
  }
}

TEST(DesignReportJson, KeysAndValues) {
  const auto design = RunDesign({}, true, 6);
  const DesignReport report = ComputeReport(design->input);
  const nlohmann::ordered_json json = ReportJson(report);
  std::vector<std::string> keys;
  for (const auto& item : json.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"rate_hz", "attenuation_asked_db", "filters", "bands", "crossovers", "sum"}));
  const auto keysOf = [](const nlohmann::ordered_json& object) {
    std::string text;
    for (const auto& item : object.items()) text += item.key() + " ";
    return text;
  };
  EXPECT_EQ(keysOf(json["filters"]), "low mid high sum ");
  EXPECT_EQ(keysOf(json["filters"]["sum"]),
            "taps latency_samples latency_ms peak_gain_db peak_hz pre_ringing_samples pre_ringing_ms ");
  EXPECT_EQ(keysOf(json["bands"]), "low mid high ");
  EXPECT_EQ(keysOf(json["bands"]["mid"]),
            "lower_edge upper_edge passband_hz stopbands_hz passband_ripple_db stopband_attenuation_db "
            "attenuation_asked_db ");
  EXPECT_EQ(keysOf(json["bands"]["mid"]["upper_edge"]),
            "cutoff_hz shaped_by shaping_taps transition_width_hz minus_3db_hz minus_6db_hz ");
  EXPECT_EQ(keysOf(json["crossovers"]), "low_mid mid_high ");
  EXPECT_EQ(keysOf(json["crossovers"]["low_mid"]), "near_hz hz level_db ");
  EXPECT_EQ(keysOf(json["sum"]),
            "target target_delay_samples deviation_db deviation_float32_db largest_tap_difference ");

  EXPECT_EQ(json["rate_hz"], 44100);
  EXPECT_EQ(json["filters"]["low"]["latency_samples"], 450.0);
  EXPECT_EQ(json["filters"]["high"]["pre_ringing_samples"], 63);
  EXPECT_EQ(json["bands"]["low"]["lower_edge"], nullptr);
  EXPECT_EQ(json["bands"]["mid"]["upper_edge"]["shaped_by"], "high");
  EXPECT_EQ(json["bands"]["mid"]["upper_edge"]["shaping_taps"], 301);
  EXPECT_EQ(json["bands"]["high"]["stopband_attenuation_db"], *report.Bands[2].StopBandAttenuationDb);
  EXPECT_EQ(json["bands"]["mid"]["stopbands_hz"][1][1], 22050.0);
  EXPECT_EQ(json["crossovers"]["mid_high"]["hz"], *report.MidHigh.Hz);
  EXPECT_EQ(json["sum"]["target"], "pure_delay");
  EXPECT_EQ(json["sum"]["deviation_float32_db"], report.Sum.DeviationFloat32Db);
  // Every number reads back to the same double.
  EXPECT_EQ(nlohmann::ordered_json::parse(json.dump()), json);
  EXPECT_EQ(ReportJson(ComputeReport(RunDesign({}, true, 2)->input))["sum"]["target"], "shelf");
}

}  // namespace
