#pragma once

#include <vector>

#include "numerics/Errors.h"
#include "pipeline/MemoryFields.h"

// The in-memory fields that also record what a command did to them: every progress report, whether
// the busy cursor was ever shown, how often the graph was redrawn; and that can cancel the command
// at a chosen progress report.
class RecordingFields : public MemoryFields {
 public:
  void SetBusyCursor(bool busy) override {
    MemoryFields::SetBusyCursor(busy);
    if (busy) busyShown_ = true;
  }
  void Redraw() override {
    MemoryFields::Redraw();
    ++redrawCount_;
  }
  // Records the share; raises CommandCancelled at the report numbered CancelAtReport (from 1).
  void ReportProgress(double fraction) override {
    progress_.push_back(fraction);
    if (static_cast<int>(progress_.size()) == cancelAtReport_) throw CommandCancelled();
  }

  void CancelAtReport(int report) { cancelAtReport_ = report; }
  const std::vector<double>& ProgressReports() const { return progress_; }
  // Whether the busy cursor was shown at any time.
  bool BusyCursorShown() const { return busyShown_; }
  int RedrawCount() const { return redrawCount_; }

 private:
  bool busyShown_ = false;
  int redrawCount_ = 0;
  std::vector<double> progress_;
  int cancelAtReport_ = 0;  // 0: never
};
