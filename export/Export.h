#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

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

// A prefix is a plain file name part: not empty, no '/', no NUL, not "." or "..". Returns what is
// wrong with it, or an empty text.
std::string PrefixProblem(const std::string& prefix);

// The files one export writes, in the order written: <prefix>-low, -mid, -high, -sum and -shelf with
// the format's extension (CSV: <prefix>-bands.csv and <prefix>-shelf.csv), then <prefix>-summary.txt.
std::vector<std::filesystem::path> ExportFileNames(const std::filesystem::path& directory, const std::string& prefix,
                                                   FilterFormat format);

// Writes the filters of the record's Calc and the summary into an existing directory. All files
// appear together or none does. Raises UserError "Cannot write '<file>': <reason>", or for a bad
// prefix or a changed state; returns the paths written.
// Told how far a long export has come, 0 .. 1; what it raises (CommandCancelled) ends the export
// before anything is replaced.
using ExportProgress = std::function<void(double fraction)>;

std::vector<std::filesystem::path> ExportFilters(const DesignState& state, const CalcRecord& record,
                                                 const std::filesystem::path& directory, const std::string& prefix,
                                                 FilterFormat format, const ExportProgress& progress = {});

// The plain-text summary written beside the filters (ExportFilters adds the design report after it):
// the design fields, each file's taps and latency, and how far the exported sum lies from a pure
// delay once rounded to the file's format.
std::string SummaryText(const CalcRecord& record, const ExportedFilters& filters,
                        const std::vector<std::filesystem::path>& files, FilterFormat format,
                        const ExportProgress& progress = {});

// How far a linear-phase sum, rounded to the file's sample format, lies from a pure delay of
// (length - 1) / 2 samples. Errors are linear (not dB); 0 means exact.
struct DelayDeviation {
  double LargestTapError = 0.0;       // max |s[n] - unit impulse at the centre|
  double LargestResponseError = 0.0;  // max over the grid of |H(f) - e^(-j 2 pi f D / rate)|
  double LargestMagnitudeDb = 0.0;    // max over the grid of |20 log10 |H(f)||
  bool VanishesOnGrid = false;        // |H(f)| is exactly 0 at some grid point (then LargestMagnitudeDb is unset)
  int VanishingHz = 0;
};
// rateHz: the sampling rate the grid frequencies are taken at (MinSampleRate .. MaxSampleRate, else
// UserError SampleRateMessage).
DelayDeviation MeasureDelayDeviation(std::span<const double> sum, FilterFormat format,
                                     const ExportProgress& progress = {}, int rateHz = SampleRate);

// The eight curves as CSV: freq_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db,
// one row per grid point, the dB columns 20 log10 of the magnitude.
std::string CurvesCsv(const DesignState& state);
// Writes CurvesCsv to the file, atomically. Raises UserError as ExportFilters does.
void ExportCurves(const DesignState& state, const std::filesystem::path& file);

