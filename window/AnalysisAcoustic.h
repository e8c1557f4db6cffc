#pragma once

#include <QWidget>
#include <optional>

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

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Draw();

  WindowDrivers& drivers_;
  AnalysisChart* magnitude_ = nullptr;
  AnalysisChart* phase_ = nullptr;
  QLabel* notes_ = nullptr;
  const DesignState* state_ = nullptr;
  std::optional<CalcRecord> record_;
  bool stale_ = false;
};
