#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

namespace ExportMessages {
inline constexpr const char* NothingYet = "Nothing to export yet: press Calc and let it complete first.";
inline constexpr const char* StateChanged =
    "The design has changed since the last Calc: press Calc again before exporting.";
}  // namespace ExportMessages

// What a completed Calc designed: its generation in the state, the cut and the lengths it wrote (the
// slider changes the state's integers afterwards without recomputing anything), which filters the
// graph shows, and the design fields as it read them.
struct CalcRecord {
  uint64_t Generation = 0;    // DesignState::Generation when the Calc completed
  bool Cascaded = false;      // the graph shows the cascades (cut >= 1 dB), else the bare bands
  int32_t ShelfCutDb = 0;
  int32_t TotalTaps = 0;      // length of the bare bands
  int32_t CascadeLength = 0;  // length of the cascades
  int32_t ShelfLength = 0;
  int RateHz = SampleRate;    // the sampling rate of the filters, Hz
  bool AdjustChecked = false;
  int SliderPosition = 0;
  double CMax = 0.0;
  std::vector<std::pair<Field, std::string>> FieldTexts;  // the design fields in the order the Calc reads them
};

enum class CalcStatus {
  Completed,  // the state holds a whole new design; Record says what it is
  Refused,    // a shelving corner was out of range: its message shown, the field corrected, the state untouched
  Failed,     // an error stopped it part way; the state may be half rewritten
  Cancelled,  // the user stopped it part way; the state may be half rewritten
};

struct CalcOutcome {
  CalcStatus Status = CalcStatus::Failed;
  std::string Message;              // Refused: the validation message; Failed: the error text
  std::optional<CalcRecord> Record;  // set exactly when Completed
};

// The design inputs in the order the Calc reads them, with what each one means.
struct DesignFieldRole {
  Field field;
  const char* role;
};
std::span<const DesignFieldRole> DesignFieldRoles();

// The record of the Calc that has just completed on these fields and this state.
CalcRecord RecordCalc(const FieldAccess& fields, const DesignState& state);

// The four filters the graph showed after the record's Calc (bare bands when the cut was 0, cascades
// otherwise) and the shelving filter, viewed in the state. Raises UserError StateChanged when another
// Calc has started on the state since.
struct ExportedFilters {
  std::span<const double> Low, Mid, High, Sum, Shelf;
  bool Cascaded = false;
};
ExportedFilters SelectFilters(const DesignState& state, const CalcRecord& record);

// Hands a Calc's outcome to the fields the way every handler ends: the busy cursor back to the
// default, and a failure's text in the message box (a refusal has shown its message already, at the
// moment it corrected the field).
void ShowCalcOutcome(FieldAccess& fields, const CalcOutcome& outcome);
