#pragma once

#include <filesystem>
#include <string>

#include "pipeline/DesignState.h"

// The eight curves as CSV: freq_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db,
// one row per grid point, the dB columns 20 log10 of the magnitude.
std::string CurvesCsv(const DesignState& state);
// Writes CurvesCsv to the file, atomically. Raises UserError as ExportFilters does.
void ExportCurves(const DesignState& state, const std::filesystem::path& file);

