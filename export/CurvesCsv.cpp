#include "export/CurvesCsv.h"

#include "export/StagedFiles.h"
#include "numerics/FloatingPoint.h"
#include "numerics/TextConvert.h"

std::string CurvesCsv(const DesignState& state) {
  const ResponseCurve* const magnitudes[] = {&state.LowMag, &state.MidMag, &state.HighMag, &state.SumMag};
  std::string text = "freq_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db\n";
  for (int i = 1; i <= GridPointCount; ++i) {
    text += std::to_string(GridFrequency(i));
    for (const ResponseCurve* curve : magnitudes) text += "," + FormatExact((*curve)[i]);
    // Real decibels, not the graph's normalised level; a magnitude of 0 has none and is an error.
    for (const ResponseCurve* curve : magnitudes) text += "," + FormatExact(20 * CheckedLog10((*curve)[i]));
    text += "\n";
  }
  return text;
}

void ExportCurves(const DesignState& state, const std::filesystem::path& file) {
  const std::string text = CurvesCsv(state);
  StagedFiles staged;
  staged.Stage(file, [&](StagedOutput& output) { output.Write(text); });
  staged.Commit();
}
