#pragma once

#include "designfile/DesignFile.h"
#include "pipeline/MemoryFields.h"

// The slider moved to the position of `cutDb` (0 .. 6) by hand: the cut label beside it follows.
void SetShelfCut(MemoryFields& fields, int cutDb);

// Sets the fields from a design file as the window does when it opens one: every text, the
// "adjust coefficient" box, the slider and the sampling rate.
void LoadDesignSettings(const DesignSettings& settings, MemoryFields& fields);

// The fields as they stand, as a design file. What the fields do not hold (the graph's axes, the
// driver settings) comes from `base`: the file loaded, or the start state.
DesignSettings CurrentDesignSettings(const MemoryFields& fields, const DesignSettings& base);
