#pragma once

#include <array>
#include <complex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustic/Measurement.h"

// What reaches the listener: each way's driver through its filter, and their sum. For way w with
// filter H_w, measured driver D_w, delay t_w (ms), polarity p_w (+1 or -1) and level trim g_w (dB):
//   A_w(f) = p_w 10^(g_w / 20) D_w(f) H_w(f) e^{-j 2 pi f t_w / 1000},   S = A_low + A_mid + A_high,
// with the filters' shared centre delay, (taps - 1) / 2 samples, taken out of every H_w so that the
// phases stay readable.

enum class Way { Low, Mid, High };
constexpr int WayCount = 3;
constexpr std::array<Way, WayCount> AllWays = {Way::Low, Way::Mid, Way::High};

// "low", "mid", "high": the ways as options, columns and messages name them.
const char* WayName(Way way);

enum class Polarity { Normal, Inverted };

// Limits of a driver's settings: a delay within +-MaxDriverDelayMs, a trim within +-MaxDriverTrimDb.
constexpr double MaxDriverDelayMs = 1000.0;
constexpr double MaxDriverTrimDb = 100.0;

struct DriverSettings {
  std::optional<Measurement> Driver;  // none: an ideal driver, 0 dB and 0 degrees at every frequency
  double DelayMs = 0.0;
  Polarity Sign = Polarity::Normal;
  double TrimDb = 0.0;
};
using DriverSet = std::array<DriverSettings, WayCount>;

// Raises UserError "The <way> driver's delay <x> ms is outside -1000 .. 1000 ms" or "... trim <x> dB
// is outside -100 .. 100 dB" for a setting beyond its limits (or not finite).
void CheckDriverSettings(const DriverSet& drivers);

// The output frequencies at rateHz: f_n = 10 * 2^(n/48) Hz for n = 0, 1, ... while
// f_n <= min(20000, rateHz / 2); 527 of them at 44100 Hz.
std::vector<double> AcousticFrequencies(int rateHz);

struct AcousticResponse {
  std::vector<double> FrequencyHz;                                  // AcousticFrequencies
  std::array<std::vector<std::complex<double>>, WayCount> Driver;  // D_w as measured (1 when ideal)
  std::array<std::vector<std::complex<double>>, WayCount> Way;     // A_w
  std::vector<std::complex<double>> Sum;                            // S
  std::vector<std::string> HeldRanges;     // HeldRangeNote of each measurement the frequencies leave
  std::vector<std::string> DerivedPhases;  // DerivedPhaseNote of each measurement without phase
};

// The model at the output frequencies of rateHz (a valid rate, IsSampleRate) for the three filters as
// exported, each as long as the others, indexed by Way. Raises UserError for settings beyond their
// limits (CheckDriverSettings) or filters of different lengths.
AcousticResponse ComputeAcoustic(const DriverSet& drivers,
                                 const std::array<std::span<const double>, WayCount>& filters, int rateHz);
