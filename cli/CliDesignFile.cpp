#include "cli/CliDesignFile.h"

#include <string>

#include "pipeline/DesignState.h"

namespace {

constexpr Field AllFields[FieldCount] = {Field::Edit1, Field::Edit2,  Field::Edit3,      Field::Edit4,
                                         Field::Edit5, Field::Edit6,  Field::Edit7,      Field::Edit8,
                                         Field::Edit9, Field::Edit10, Field::EditShelbL, Field::EditShelbH};

}  // namespace

void SetShelfCut(MemoryFields& fields, int cutDb) {
  fields.SetSliderPosition(SliderPositionOfCut(cutDb));
  fields.SetCaption(Caption::LabelShelbDb, "+" + std::to_string(cutDb) + "dB");
}

void LoadDesignSettings(const DesignSettings& settings, MemoryFields& fields) {
  for (Field field : AllFields) fields.SetText(field, settings.Text(field));
  fields.SetAdjustChecked(settings.adjustChecked);
  fields.SetRateHz(settings.rateHz);
  if (SliderPositionOfCut(settings.shelfCutDb) != fields.SliderPosition()) SetShelfCut(fields, settings.shelfCutDb);
}

DesignSettings CurrentDesignSettings(const MemoryFields& fields, const DesignSettings& base) {
  DesignSettings settings = base;
  for (Field field : AllFields) settings.Text(field) = fields.Text(field);
  settings.adjustChecked = fields.AdjustChecked();
  settings.shelfCutDb = ShelfCutOfPosition(fields.SliderPosition());
  settings.rateHz = fields.RateHz();
  return settings;
}
