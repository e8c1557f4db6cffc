#include "pipeline/CalcOutcome.h"

#include "numerics/Errors.h"
#include "pipeline/Commands.h"

namespace {

constexpr DesignFieldRole DesignFields[] = {
    {Field::EditShelbL, "shelving corner f1, Hz"},
    {Field::EditShelbH, "shelving corner f2, Hz"},
    {Field::Edit1, "low band taps"},
    {Field::Edit9, "mid band taps"},
    {Field::Edit10, "high band taps"},
    {Field::Edit2, "low band cutoff, Hz"},
    {Field::Edit5, "mid band lower edge, Hz"},
    {Field::Edit4, "mid band upper edge, Hz"},
    {Field::Edit3, "high band cutoff, Hz"},
    {Field::Edit8, "stop-band attenuation, dB"},
};

}  // namespace

std::span<const DesignFieldRole> DesignFieldRoles() { return DesignFields; }

CalcRecord RecordCalc(const FieldAccess& fields, const DesignState& state) {
  CalcRecord record;
  record.Generation = state.Generation;
  record.Cascaded = CascadesWithShelf(state.ShelfCutDb);
  record.ShelfCutDb = state.ShelfCutDb;
  record.TotalTaps = state.TotalTaps;
  record.CascadeLength = state.CascadeLength;
  record.ShelfLength = state.ShelfLength;
  record.RateHz = state.RateHz;
  record.AdjustChecked = fields.AdjustChecked();
  record.SliderPosition = fields.SliderPosition();
  record.CMax = ComputeCMax(state);
  for (const DesignFieldRole& entry : DesignFields) record.FieldTexts.emplace_back(entry.field, fields.Text(entry.field));
  return record;
}

ExportedFilters SelectFilters(const DesignState& state, const CalcRecord& record) {
  if (record.Generation != state.Generation) throw UserError(ExportMessages::StateChanged);
  ExportedFilters filters;
  filters.Cascaded = record.Cascaded;
  filters.Low = filters.Cascaded ? state.LowCascade : state.LowCoeffs;
  filters.Mid = filters.Cascaded ? state.MidCascade : state.MidCoeffs;
  filters.High = filters.Cascaded ? state.HighCascade : state.HighCoeffs;
  filters.Sum = filters.Cascaded ? state.SumCascade : state.SumCoeffs;
  filters.Shelf = state.ShelfCoeffs;
  return filters;
}

void ShowCalcOutcome(FieldAccess& fields, const CalcOutcome& outcome) {
  fields.SetBusyCursor(false);
  if (outcome.Status == CalcStatus::Failed) fields.ShowMessage(outcome.Message);
}
