#pragma once

#include <functional>

#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

// "adjust coefficient" clicked: when now ticked, Edit2 and Edit3 take the texts of Edit5 and Edit4
// and become read-only; otherwise both become editable and keep their texts.
void ApplyCoupling(FieldAccess& fields);

// The shelving slider moved: the cut, its label and the total length, from the tap fields as typed.
// A tap field that is not an integer raises UserError after the cut label is updated.
void ApplyShelfSlider(FieldAccess& fields, DesignState& state);

// Runs one handler: a UserError becomes the message box, an exhausted allocation the range-check
// message, a cancel ends it quietly. The busy cursor is always back to the default afterwards.
// Returns whether the handler ran to its end.
bool RunReported(FieldAccess& fields, const std::function<void()>& handler);
