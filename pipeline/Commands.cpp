#include "pipeline/Commands.h"

#include "numerics/Errors.h"

// Interim definitions until the command pipeline lands.
void CalcCommand(FieldAccess&, DesignState&) { throw UserError("Calc is not available yet"); }
void LengthEstimateCommand(FieldAccess&) { throw UserError("The length estimate is not available yet"); }
