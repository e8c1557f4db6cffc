#pragma once

#include "analysis/Report.h"
#include "pipeline/CalcOutcome.h"
#include "pipeline/DesignState.h"

// The report's inputs for the design a completed Calc left in the state: the filters the graph
// showed, the bare bands, the shelving filter when the bands contain it, and the tap counts,
// cutoffs and attenuation as the Calc took them from its fields (normalised tap counts; with
// "adjust coefficient" the low and high cutoffs are the mid band's edges). The spans view the
// state. Raises UserError (ExportMessages::StateChanged) when another Calc has started since.
ReportInput ReportInputFor(const DesignState& state, const CalcRecord& record);
