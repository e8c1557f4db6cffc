#pragma once

#include <array>
#include <string>
#include <vector>

#include "pipeline/Fields.h"

// The window's controls held in memory, starting from the window's defaults: what the CLI runs the
// commands on, and what the tests drive them through. Messages are collected instead of shown, and a
// redraw only returns the cursor to the default, as the graph's redraw does.
class MemoryFields : public FieldAccess {
 public:
  MemoryFields();

  std::string Text(Field field) const override;
  void SetText(Field field, const std::string& text) override;
  void SetLocked(Field field, bool locked) override;
  bool Locked(Field field) const override;

  bool AdjustChecked() const override { return adjustChecked_; }
  int SliderPosition() const override { return sliderPosition_; }
  void SetAdjustChecked(bool checked) { adjustChecked_ = checked; }
  void SetSliderPosition(int position) { sliderPosition_ = position; }
  int RateHz() const override { return rateHz_; }
  // Any rate is held; the commands refuse one outside MinSampleRate .. MaxSampleRate.
  void SetRateHz(int rateHz) { rateHz_ = rateHz; }

  std::string CaptionText(Caption caption) const override;
  void SetCaption(Caption caption, const std::string& text) override;

  void ShowMessage(const std::string& text) override { messages_.push_back(text); }
  void SetBusyCursor(bool busy) override;
  void Redraw() override;
  // Every message shown, in order.
  const std::vector<std::string>& Messages() const { return messages_; }
  bool BusyCursor() const { return busy_; }

 private:
  std::array<std::string, FieldCount> texts_;
  std::array<bool, FieldCount> locked_{};
  std::array<std::string, CaptionCount> captions_;
  bool adjustChecked_ = true;
  int sliderPosition_ = 6;
  int rateHz_ = SampleRate;
  std::vector<std::string> messages_;
  bool busy_ = false;
};
