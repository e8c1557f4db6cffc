#pragma once

#include <complex>
#include <string>

#include "acoustic/AcousticModel.h"

// The text of the acoustic CSV: the header
//   freq_hz,low_db,low_deg,mid_db,mid_deg,high_db,high_deg,sum_db,sum_deg
// and one row per output frequency with each way's A_w and the sum S, numbers in the
// shortest-round-trip form. Levels are 20 log10 |value| ("-inf" for a magnitude of exactly zero),
// phases in degrees wrapped to (-180, 180] (0 where the magnitude is zero).
std::string AcousticCsv(const AcousticResponse& response);

// 20 log10 |value|; -infinity for 0.
double LevelDb(std::complex<double> value);

// The angle of value in degrees within (-180, 180]; 0 for 0.
double WrappedPhaseDeg(std::complex<double> value);
