#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "numerics/CoreTypes.h"

// What a design achieved, measured on its filters at every whole frequency from 0 Hz to the Nyquist
// frequency, levels in real dB (20 log10 |H|, floored at LevelFloorDb).

// How the mid band was made: by the band-pass formula, or as what the low and high bands leave of a
// unit impulse ("adjust coefficient"), in which case its edges are shaped by the low and high bands.
enum class MidBandShape { BandPass, Remainder };

enum class Band { Low, Mid, High };
inline constexpr Band AllBands[] = {Band::Low, Band::Mid, Band::High};

// The design to measure. Every span must stay valid during ComputeReport.
struct ReportInput {
  int RateHz = SampleRate;
  // The four filters as exported: the bare bands and their sum, or the cascades with the shelving
  // filter when Shelf is not empty. All four have the same length.
  std::span<const double> Low, Mid, High, Sum;
  // The three bands before any shelving filter, centred in their common length.
  std::span<const double> BareLow, BareMid, BareHigh;
  // The shelving filter the exported filters contain; empty when they contain none.
  std::span<const double> Shelf;
  double AttenuationDb = 0;                                    // as typed
  int64_t LowTaps = 0, MidTaps = 0, HighTaps = 0;              // each band's own (odd) tap count
  double LowCutHz = 0, MidLowHz = 0, MidHighHz = 0, HighCutHz = 0;  // the cutoffs as designed
  MidBandShape MidShape = MidBandShape::BandPass;
};

struct FilterReport {
  int64_t Taps = 0;
  double LatencySamples = 0;  // (taps - 1) / 2
  double LatencyMs = 0;
  double PeakGainDb = 0;  // the largest level (headroom needed above 0 dB)
  int PeakHz = 0;         // where it is reached (the lowest such frequency)
  int64_t PreRingingSamples = 0;
  double PreRingingMs = 0;
};

// One cutoff of a band.
struct EdgeReport {
  double CutoffHz = 0;
  Band ShapedBy = Band::Low;  // the band whose window shapes this edge
  int64_t ShapingTaps = 0;
  double TransitionWidthHz = 0;  // Kaiser's dF for the typed attenuation and ShapingTaps
  std::optional<double> Minus3DbHz, Minus6DbHz;  // the crossing nearest the cutoff, if any
};

struct FrequencyRange {
  double FromHz = 0;
  double ToHz = 0;
};

struct BandReport {
  std::optional<EdgeReport> LowerEdge;  // mid and high bands
  std::optional<EdgeReport> UpperEdge;  // low and mid bands
  // The pass band ends and the stop band starts half a transition width either side of each
  // cutoff, clamped to 0 .. Nyquist. A range is left out when it holds no frequency.
  std::optional<FrequencyRange> PassBand;
  std::vector<FrequencyRange> StopBands;
  std::optional<double> PassBandRippleDb;        // max - min level over the pass band
  std::optional<double> StopBandAttenuationDb;   // - the largest level over the stop bands
  double AttenuationAskedDb = 0;
};

struct CrossoverReport {
  double NearHz = 0;  // where the two bands are meant to cross: the mean of their cutoffs
  std::optional<double> Hz;       // equal levels nearest NearHz
  std::optional<double> LevelDb;  // the level there
};

struct SumReport {
  bool ShelfTarget = false;        // target: the shelving filter (delayed) instead of a pure delay
  double TargetDelaySamples = 0;   // the pure delay, or how far the shelving filter is shifted
  double DeviationDb = 0;          // max over the grid of |20 log10 (|S| / |T|)|
  double DeviationFloat32Db = 0;   // the same with each band rounded to 32-bit float
  double LargestTapDifference = 0; // max |s[n] - t[n]|, in double
};

struct DesignReport {
  int RateHz = SampleRate;
  double AttenuationAskedDb = 0;
  std::array<FilterReport, 4> Filters;  // low, mid, high, sum
  std::array<BandReport, 3> Bands;      // low, mid, high
  CrossoverReport LowMid, MidHigh;
  SumReport Sum;
};

// "low", "mid", "high", and "sum" for the fourth filter.
const char* BandName(Band band);
const char* FilterName(size_t filter);

// Measures the design. Throws UserError (Messages::RangeCheck) for a rate outside MinSampleRate ..
// MaxSampleRate, exported filters of unequal or zero length, bare bands of unequal length, or a
// sum shorter than the shelving filter.
DesignReport ComputeReport(const ReportInput& input);
