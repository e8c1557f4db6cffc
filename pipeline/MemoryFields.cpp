#include "pipeline/MemoryFields.h"

MemoryFields::MemoryFields() {
  for (int i = 0; i < FieldCount; ++i) {
    texts_[i] = DefaultText(static_cast<Field>(i));
    locked_[i] = LockedAtStart(static_cast<Field>(i));
  }
  for (int i = 0; i < CaptionCount; ++i) captions_[i] = DefaultCaption(static_cast<Caption>(i));
}

std::string MemoryFields::Text(Field field) const { return texts_[static_cast<int>(field)]; }

void MemoryFields::SetText(Field field, const std::string& text) { texts_[static_cast<int>(field)] = text; }

void MemoryFields::SetLocked(Field field, bool locked) { locked_[static_cast<int>(field)] = locked; }

bool MemoryFields::Locked(Field field) const { return locked_[static_cast<int>(field)]; }

std::string MemoryFields::CaptionText(Caption caption) const { return captions_[static_cast<int>(caption)]; }

void MemoryFields::SetCaption(Caption caption, const std::string& text) {
  captions_[static_cast<int>(caption)] = text;
}

void MemoryFields::SetBusyCursor(bool busy) { busy_ = busy; }

void MemoryFields::Redraw() { busy_ = false; }
