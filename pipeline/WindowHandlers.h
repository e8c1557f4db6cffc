#pragma once

#include <functional>

#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

// "adjust coefficient" clicked: when now ticked, Edit2 and Edit3 take the texts of Edit5 and Edit4
// and become read-only; otherwise both become editable and keep their texts.
void ApplyCoupling(FieldAccess& fields);

// The total length from the tap fields as they stand (typed, not yet made odd): the largest of the
// three counts, and with a cut of 1 dB or more that count cascaded with the shelf. Writes TotalTaps,
// ShelfLength and, when cascaded, CascadeLength into the state and the length into Label28. Raises
// UserError for a tap field that is not an integer (read high, mid, low) or a length beyond 32 bits.
void ShowTotalLength(FieldAccess& fields, DesignState& state);

// The shelving slider moved: the cut, its label and the total length, from the tap fields as typed.
// A tap field that is not an integer raises UserError after the cut label is updated.
void ApplyShelfSlider(FieldAccess& fields, DesignState& state);

// Runs one handler: a UserError becomes the message box, an exhausted allocation the range-check
// message, a cancel ends it quietly. The busy cursor is always back to the default afterwards.
// Returns whether the handler ran to its end.
bool RunReported(FieldAccess& fields, const std::function<void()>& handler);
