#pragma once

// The export of a design's filters as one set of files; the formats, the summary and the curves CSV
// have their own headers, included here for the callers of the export.
#include <filesystem>
#include <string>
#include <vector>

#include "export/CurvesCsv.h"
#include "export/ExportSummary.h"
#include "export/FilterFormats.h"
#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"

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
std::vector<std::filesystem::path> ExportFilters(const DesignState& state, const CalcRecord& record,
                                                 const std::filesystem::path& directory, const std::string& prefix,
                                                 FilterFormat format, const ExportProgress& progress = {});

