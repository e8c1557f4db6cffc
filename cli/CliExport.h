#pragma once

#include "cli/Options.h"
#include "export/Export.h"
#include "display/Graph.h"
#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"
#include "pipeline/MemoryFields.h"

// Whether the request asks for any file besides the printed output.
bool WantsExport(const CliRequest& request);

// Writes what the request asks for from the Calc that has just completed on these fields: the
// filters with their summary, the curves, the two pictures, drawn with the axes of `view`. The
// pictures are drawn headless on the offscreen platform whatever QT_QPA_PLATFORM says, by the picture
// module (cli/PictureModule.h); a module that cannot be loaded fails the run before any file is
// written. Raises UserError at the first file that cannot be written; the files written before it
// stay. The filters' progress goes to `progress`.
void RunExports(const CliRequest& request, const MemoryFields& fields, const DesignState& state,
                const CalcRecord& calc, GraphView view, const ExportProgress& progress = {});
