#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "export/StagedFiles.h"
#include "pipeline/CalcOutcome.h"

// How the filters are written, one file per filter (CSV: the four bands in one file).
enum class FilterFormat {
  Wav32,    // WAV, mono, at the design's rate, 32-bit IEEE float
  Wav64,    // WAV, mono, at the design's rate, 64-bit IEEE float
  Text,     // one coefficient a line, "%.17g", '.' as the point
  Float32,  // raw little-endian 32-bit float, no header
  Float64,  // raw little-endian 64-bit float, no header
  Csv,      // tap,low,mid,high,sum
};

// The command-line names: wav, wav64, txt, f32, dbl, csv.
std::optional<FilterFormat> FilterFormatFromName(std::string_view name);
const char* FilterFormatName(FilterFormat format);
// The file name extension with its dot: ".wav", ".txt", ".f32", ".dbl", ".csv".
const char* FilterFormatExtension(FilterFormat format);
// What the summary says of the format, for filters at rateHz: "WAV, mono, 48000 Hz, 32-bit IEEE float".
std::string FilterFormatDescription(FilterFormat format, int rateHz);

// Whether the format holds 32-bit floats.
bool SinglePrecision(FilterFormat format);

// The value a file of this format holds for x: float32 rounds to nearest, the other forms read back
// exactly. A value beyond the float range would become infinite: raises the overflow error.
double StoredValue(double x, FilterFormat format);

// Writes one filter in the format (not CSV); rateHz goes into the header of the formats that have one.
// Failures go through the output (StagedOutput::Fail).
void WriteFilter(StagedOutput& output, std::span<const double> taps, FilterFormat format, int rateHz);
// The CSV files: tap,low,mid,high,sum and tap,shelf.
void WriteBandsCsv(StagedOutput& output, const ExportedFilters& filters);
void WriteShelfCsv(StagedOutput& output, std::span<const double> shelf);
