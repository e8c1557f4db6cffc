#include "pipeline/WindowHandlers.h"

#include <new>
#include <string>

#include "design/Shelf.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

void ApplyCoupling(FieldAccess& fields) {
  if (fields.AdjustChecked()) {
    fields.SetText(Field::Edit2, fields.Text(Field::Edit5));
    fields.SetLocked(Field::Edit2, true);
    fields.SetText(Field::Edit3, fields.Text(Field::Edit4));
    fields.SetLocked(Field::Edit3, true);
  } else {
    fields.SetLocked(Field::Edit2, false);
    fields.SetLocked(Field::Edit3, false);
  }
}

void ShowTotalLength(FieldAccess& fields, DesignState& state) {
  const int32_t high = ParseInteger(fields.Text(Field::Edit10));
  const int32_t mid = ParseInteger(fields.Text(Field::Edit9));
  const int32_t low = ParseInteger(fields.Text(Field::Edit1));
  state.TotalTaps = MaxOfThree(low, mid, high);
  state.ShelfLength = ShelfLength;
  if (CascadesWithShelf(state.ShelfCutDb)) {
    state.CascadeLength = CascadeLengthOf(state.ShelfLength, state.TotalTaps);
    fields.SetCaption(Caption::Label28, "Total Ntap = " + std::to_string(state.CascadeLength));
  } else {
    fields.SetCaption(Caption::Label28, "Total Ntap = " + std::to_string(state.TotalTaps));
  }
}

void ApplyShelfSlider(FieldAccess& fields, DesignState& state) {
  state.ShelfCutDb = ShelfCutOfPosition(fields.SliderPosition());
  fields.SetCaption(Caption::LabelShelbDb, "+" + std::to_string(state.ShelfCutDb) + "dB");
  ShowTotalLength(fields, state);
}

bool RunReported(FieldAccess& fields, const std::function<void()>& handler) {
  bool completed = false;
  try {
    handler();
    completed = true;
  } catch (const CommandCancelled&) {
  } catch (const UserError& error) {
    fields.SetBusyCursor(false);
    fields.ShowMessage(error.Text());
  } catch (const std::bad_alloc&) {
    fields.SetBusyCursor(false);
    fields.ShowMessage(Messages::RangeCheck);
  } catch (const std::length_error&) {
    fields.SetBusyCursor(false);
    fields.ShowMessage(Messages::RangeCheck);
  }
  fields.SetBusyCursor(false);
  return completed;
}
