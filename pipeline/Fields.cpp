#include "pipeline/Fields.h"

const char* FieldName(Field field) {
  switch (field) {
    case Field::Edit1: return "Edit1";
    case Field::Edit2: return "Edit2";
    case Field::Edit3: return "Edit3";
    case Field::Edit4: return "Edit4";
    case Field::Edit5: return "Edit5";
    case Field::Edit6: return "Edit6";
    case Field::Edit7: return "Edit7";
    case Field::Edit8: return "Edit8";
    case Field::Edit9: return "Edit9";
    case Field::Edit10: return "Edit10";
    case Field::EditShelbL: return "EditShelbL";
    case Field::EditShelbH: return "EditShelbH";
  }
  return "";
}

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

std::string DefaultText(Field field) {
  switch (field) {
    case Field::Edit1: return "901";
    case Field::Edit2: return "300";
    case Field::Edit3: return "2000";
    case Field::Edit4: return "2000";
    case Field::Edit5: return "300";
    case Field::Edit6: return "300";
    case Field::Edit7: return "900";
    case Field::Edit8: return "144";
    case Field::Edit9: return "701";
    case Field::Edit10: return "301";
    case Field::EditShelbL: return "200";
    case Field::EditShelbH: return "800";
  }
  return "";
}

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
