#pragma once

#include <filesystem>
#include <optional>
#include <ostream>

#include "acoustic/AcousticModel.h"
#include "acoustic/DriverSetup.h"
#include "analysis/Report.h"
#include "cli/Options.h"
#include "designfile/DesignFile.h"

// The drivers of a design or report command: the design file's, each overridden by the options
// given; nothing when the command names no driver (no driver option, no --acoustic-csv, no "drivers"
// in the design file).
std::optional<DriverSetups> RequestedDrivers(const CliRequest& request, const DesignSettings& loaded);

// Whether the command line gives any driver setting (which a saved design file then keeps).
bool HasDriverOption(const CliRequest& request);

// The acoustic response of the design the Calc completed (ReportInputFor), with a line on err for
// every measurement the output frequencies leave, and the CSV written when the request asks for it
// (its directory made first, the file replaced whole or not at all). Raises UserError when the CSV
// cannot be written.
AcousticResponse RunAcoustic(const CliRequest& request, const DriverSet& drivers, const ReportInput& input,
                             std::ostream& err);

// Writes the acoustic CSV (acoustic/AcousticCsv.h) through the staged writing of the exports.
// Raises UserError "Cannot write '<file>': <reason>".
void WriteAcousticCsv(const AcousticResponse& response, const std::filesystem::path& file);
