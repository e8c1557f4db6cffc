#include "analysis/ReportInputs.h"

#include <algorithm>
#include <string>

#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

// The text a field held when the Calc completed.
const std::string& RecordedText(const CalcRecord& record, Field field) {
  const auto entry = std::find_if(record.FieldTexts.begin(), record.FieldTexts.end(),
                                  [field](const auto& pair) { return pair.first == field; });
  if (entry == record.FieldTexts.end()) throw UserError(ExportMessages::StateChanged);
  return entry->second;
}

}  // namespace

ReportInput ReportInputFor(const DesignState& state, const CalcRecord& record) {
  const ExportedFilters filters = SelectFilters(state, record);
  ReportInput input;
  input.RateHz = record.RateHz;
  input.Low = filters.Low;
  input.Mid = filters.Mid;
  input.High = filters.High;
  input.Sum = filters.Sum;
  input.BareLow = state.LowCoeffs;
  input.BareMid = state.MidCoeffs;
  input.BareHigh = state.HighCoeffs;
  if (filters.Cascaded) input.Shelf = filters.Shelf;
  // The Calc has read and normalised every one of these texts, so they parse.
  const auto integer = [&](Field field) { return ParseInteger(RecordedText(record, field)); };
  input.AttenuationDb = ParseReal(RecordedText(record, Field::Edit8));
  input.LowTaps = integer(Field::Edit1);
  input.MidTaps = integer(Field::Edit9);
  input.HighTaps = integer(Field::Edit10);
  input.MidLowHz = integer(Field::Edit5);
  input.MidHighHz = integer(Field::Edit4);
  input.LowCutHz = record.AdjustChecked ? input.MidLowHz : integer(Field::Edit2);
  input.HighCutHz = record.AdjustChecked ? input.MidHighHz : integer(Field::Edit3);
  input.MidShape = record.AdjustChecked ? MidBandShape::Remainder : MidBandShape::BandPass;
  return input;
}
