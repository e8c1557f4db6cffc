#include "pipeline/Fields.h"

namespace {

// The window's fields as it starts: each control's name, its text and whether it is read-only. The
// window starts coupled, so Edit2 and Edit3 are locked; the attenuation is never editable.
struct FieldStart {
  Field field;
  const char* name;
  const char* text;
  bool locked;
};

constexpr FieldStart FieldStarts[FieldCount] = {
    {Field::Edit1, "Edit1", "901", false},          {Field::Edit2, "Edit2", "300", true},
    {Field::Edit3, "Edit3", "2000", true},          {Field::Edit4, "Edit4", "2000", false},
    {Field::Edit5, "Edit5", "300", false},          {Field::Edit6, "Edit6", "300", false},
    {Field::Edit7, "Edit7", "900", false},          {Field::Edit8, "Edit8", "144", true},
    {Field::Edit9, "Edit9", "701", false},          {Field::Edit10, "Edit10", "301", false},
    {Field::EditShelbL, "EditShelbL", "200", false}, {Field::EditShelbH, "EditShelbH", "800", false},
};

constexpr bool InFieldOrder() {
  for (int i = 0; i < FieldCount; ++i)
    if (static_cast<int>(FieldStarts[i].field) != i) return false;
  return true;
}
static_assert(InFieldOrder(), "one row per field, in the order of Field");

const FieldStart& StartOf(Field field) { return FieldStarts[static_cast<int>(field)]; }

}  // namespace

const char* FieldName(Field field) { return StartOf(field).name; }

const char* CaptionName(Caption caption) {
  switch (caption) {
    case Caption::Label18: return "Label18";
    case Caption::Label20: return "Label20";
    case Caption::Label21: return "Label21";
    case Caption::Label28: return "Label28";
    case Caption::LabelShelbDb: return "LabelShelbDb";
  }
  return "";
}

std::string DefaultText(Field field) { return StartOf(field).text; }

bool LockedAtStart(Field field) { return StartOf(field).locked; }

std::string DefaultCaption(Caption caption) {
  switch (caption) {
    case Caption::Label18: return "CutOff Hz";
    case Caption::Label20: return "Ideal Taps";
    case Caption::Label21: return "振幅の最大値：CMax =";
    case Caption::Label28: return "Total N Tap = 901";
    case Caption::LabelShelbDb: return "+0dB";
  }
  return "";
}
