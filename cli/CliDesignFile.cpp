#include "cli/CliDesignFile.h"

#include <string>

namespace {

// The slider's bottom position, where the cut is 0 dB; each step up adds 1 dB.
constexpr int SliderBottom = 6;

constexpr Field AllFields[FieldCount] = {Field::Edit1, Field::Edit2,  Field::Edit3,      Field::Edit4,
                                         Field::Edit5, Field::Edit6,  Field::Edit7,      Field::Edit8,
                                         Field::Edit9, Field::Edit10, Field::EditShelbL, Field::EditShelbH};

}  // namespace

void SetShelfCut(MemoryFields& fields, int cutDb) {
  fields.SetSliderPosition(SliderBottom - cutDb);
  fields.SetCaption(Caption::LabelShelbDb, "+" + std::to_string(cutDb) + "dB");
}

void LoadDesignSettings(const DesignSettings& settings, MemoryFields& fields) {
  for (Field field : AllFields) fields.SetText(field, settings.Text(field));
  fields.SetAdjustChecked(settings.adjustChecked);
  if (SliderBottom - settings.shelfCutDb != fields.SliderPosition()) SetShelfCut(fields, settings.shelfCutDb);
}

DesignSettings CurrentDesignSettings(const MemoryFields& fields, const DesignSettings& base) {
  DesignSettings settings = base;
  for (Field field : AllFields) settings.Text(field) = fields.Text(field);
  settings.adjustChecked = fields.AdjustChecked();
  settings.shelfCutDb = SliderBottom - fields.SliderPosition();
  return settings;
}
