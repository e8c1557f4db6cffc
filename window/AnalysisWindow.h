#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "pipeline/CalcOutcome.h"
#include "window/AnalysisChart.h"

class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QTabWidget;
class TForm1;

// The analysis window: the responses of the filters of the last completed Calc (the ones an export
// writes, cascades included) in tabs, Magnitude, Phase, Group delay, Impulse and Step, and the design
// report as selectable text. Non-modal; it follows every completed Calc, and before the first one
// says to press Calc. While hidden it only notes the Calc and draws when shown again.
class AnalysisWindow : public QWidget {
 public:
  using MessageSink = AnalysisChart::MessageSink;

  AnalysisWindow(const DesignState& state, MessageSink messages, QWidget* parent = nullptr);

  // A Calc has completed with this record: the window draws its filters now when visible, else when
  // next shown.
  void FollowCalc(const CalcRecord& record);

  // Adds a tab after the others (the window takes the widget); returns its index.
  int AddTab(QWidget* tab, const QString& title);

  // Called after each drawing of a completed Calc, with the state and the record drawn.
  void OnDrawn(std::function<void(const DesignState&, const CalcRecord&)> listener);

  AnalysisChart* Chart(AnalysisPlot plot) const { return charts_[static_cast<size_t>(plot)]; }
  QTabWidget* Tabs() const { return tabs_; }
  QPlainTextEdit* ReportView() const { return report_; }
  // The line above the tabs: rate, taps, which filters, latency.
  QLabel* Summary() const { return summary_; }
  // The placeholder's text while no Calc is drawn ("Press Calc…" or why the design cannot be drawn).
  QLabel* Placeholder() const { return placeholder_; }
  // The generation of the Calc the tabs show; empty before the first.
  std::optional<uint64_t> ShownGeneration() const { return shownGeneration_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Draw();
  void ShowPlaceholder(const std::string& text);

  const DesignState& state_;
  MessageSink messages_;
  QStackedWidget* pages_ = nullptr;
  QLabel* placeholder_ = nullptr;
  QLabel* summary_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  std::array<AnalysisChart*, 5> charts_{};
  QPlainTextEdit* report_ = nullptr;
  std::optional<CalcRecord> record_;
  bool stale_ = false;
  std::optional<uint64_t> shownGeneration_;
  std::vector<std::function<void(const DesignState&, const CalcRecord&)>> drawnListeners_;
};

// The shortcut of "View > Analysis…": Ctrl+Shift+Y, which no standard key binding takes.
QKeySequence AnalysisShortcut();

// Adds "Analysis…" to the form's "View" menu, and makes the analysis window it opens (a child window
// of the form, hidden until asked for, with an "Acoustic" tab for the form's drivers) and tells it
// of every completed Calc; returns the window. The form's drivers must exist.
AnalysisWindow* MakeAnalysisWindow(TForm1& form);
