#pragma once

#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

// Calc: validates the shelving corners, designs the shelf and the three bands, cascades them when
// the cut is at least 1 dB, evaluates the four responses, writes CMax and the total length and
// redraws. Raises UserError; whatever was written before the error stays.
void CalcCommand(FieldAccess& fields, DesignState& state);

// The Kaiser length estimate: reads Edit6, Edit7, Edit8 and writes Label18 and Label20.
void LengthEstimateCommand(FieldAccess& fields);
