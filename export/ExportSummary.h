#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "display/Response.h"
#include "export/FilterFormats.h"
#include "numerics/SampleRate.h"
#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"

// Told how far a long export has come, 0 .. 1; what it raises (CommandCancelled) ends the export
// before anything is replaced.
using ExportProgress = std::function<void(double fraction)>;

// The plain-text summary written beside the filters (ExportFilters adds the design report after it):
// the design fields, each file's taps and latency, and how far the exported sum lies from a pure
// delay once rounded to the file's format.
std::string SummaryText(const CalcRecord& record, const ExportedFilters& filters,
                        const std::vector<std::filesystem::path>& files, FilterFormat format,
                        const ExportProgress& progress = {});

// How far a linear-phase sum, rounded to the file's sample format, lies from a pure delay of
// (length - 1) / 2 samples (display/Response.h). rateHz: the sampling rate the grid frequencies are
// taken at (MinSampleRate .. MaxSampleRate, else UserError SampleRateMessage).
DelayDeviation MeasureDelayDeviation(std::span<const double> sum, FilterFormat format,
                                     const ExportProgress& progress = {}, int rateHz = SampleRate);
