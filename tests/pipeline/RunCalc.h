#pragma once

#include "pipeline/CalcOutcome.h"
#include "pipeline/Commands.h"

// Presses Calc the way the window's button does: runs it and shows its outcome on the fields.
// Returns whether it completed.
inline bool RunCalc(FieldAccess& fields, DesignState& state) {
  const CalcOutcome outcome = CalcCommand(fields, state);
  ShowCalcOutcome(fields, outcome);
  return outcome.Status == CalcStatus::Completed;
}
