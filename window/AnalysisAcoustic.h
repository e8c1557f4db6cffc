#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

#include "acoustic/AcousticModel.h"
#include "pipeline/CalcOutcome.h"
#include "window/AnalysisChart.h"

class QLabel;
class WindowDrivers;

// The curves of the acoustic tab from the model's response: each way's measurement ("low driver",
// dashed), each way through its filter ("low") and the sum, in the order of AcousticLooks; levels in
// dB (magnitude) or phases in degrees wrapped to (-180, 180] (phase; left out where a curve lies more
// than -PhaseFloorDb below its own peak, there it is rounding noise).
std::vector<SeriesLook> AcousticLooks();
std::vector<AnalysisCurve> AcousticCurves(const AcousticResponse& response, AnalysisPlot plot);

// The analysis window's "Acoustic" tab: what reaches the listener from each driver through its filter
// and from the whole speaker, magnitude above phase, with the notes of held ranges and derived
// phases below. Drawn for the last Calc the analysis window drew and the window's drivers, again
// after each change of either, when the tab is shown.
class AcousticTab : public QWidget {
 public:
  AcousticTab(WindowDrivers& drivers, AnalysisChart::MessageSink messages, QWidget* parent = nullptr);

  // The design to draw: the state and the record of a completed Calc.
  void ShowDesign(const DesignState& state, const CalcRecord& record);

  AnalysisChart* Magnitude() const { return magnitude_; }
  AnalysisChart* Phase() const { return phase_; }
  // The notes (held ranges, derived phases) or why nothing can be drawn.
  QLabel* Notes() const { return notes_; }
  // Filters of at least this many taps are modelled on a worker thread (a million taps take about a
  // second), the tab saying so meanwhile; shorter ones at once.
  void SetBackgroundFromTaps(size_t taps) { backgroundFromTaps_ = taps; }
  // How many drawings have been shown (each a completed model or a reason for none).
  uint64_t DrawnCount() const { return drawnCount_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Draw();
  void Show(const AcousticResponse& response);
  void ShowReason(const std::string& reason);

  WindowDrivers& drivers_;
  AnalysisChart* magnitude_ = nullptr;
  AnalysisChart* phase_ = nullptr;
  QLabel* notes_ = nullptr;
  const DesignState* state_ = nullptr;
  std::optional<CalcRecord> record_;
  bool stale_ = false;
  size_t backgroundFromTaps_ = 65536;
  uint64_t request_ = 0;  // the latest drawing asked for; older background results are dropped
  uint64_t drawnCount_ = 0;
};
