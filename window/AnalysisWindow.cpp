#include "window/AnalysisWindow.h"

#include <QAction>
#include <QFontDatabase>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "analysis/ReportInputs.h"
#include "analysis/ReportText.h"
#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "window/AnalysisAcoustic.h"
#include "window/LiveUpdate.h"
#include "window/Unit1.h"

namespace {

constexpr const char* PressCalc = "Press Calc in the main window: its filters' responses show here.";

const char* TabTitle(AnalysisPlot plot) {
  switch (plot) {
    case AnalysisPlot::Magnitude: return "Magnitude";
    case AnalysisPlot::Phase: return "Phase";
    case AnalysisPlot::GroupDelay: return "Group delay";
    case AnalysisPlot::Impulse: return "Impulse";
    case AnalysisPlot::Step: return "Step";
  }
  return "";
}

}  // namespace

AnalysisWindow::AnalysisWindow(const DesignState& state, MessageSink messages, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), messages_(std::move(messages)) {
  setObjectName(QStringLiteral("AnalysisWindow"));
  setWindowTitle(QStringLiteral("firxover - analysis"));
  pages_ = new QStackedWidget(this);
  placeholder_ = new QLabel(QString::fromUtf8(PressCalc), pages_);
  placeholder_->setObjectName(QStringLiteral("AnalysisPlaceholder"));
  placeholder_->setAlignment(Qt::AlignCenter);
  placeholder_->setWordWrap(true);
  placeholder_->setTextFormat(Qt::PlainText);
  pages_->addWidget(placeholder_);

  auto* shown = new QWidget(pages_);
  summary_ = new QLabel(shown);
  summary_->setObjectName(QStringLiteral("AnalysisSummary"));
  summary_->setTextFormat(Qt::PlainText);
  tabs_ = new QTabWidget(shown);
  tabs_->setObjectName(QStringLiteral("AnalysisTabs"));
  for (AnalysisPlot plot : AllAnalysisPlots) {
    auto* chart = new AnalysisChart(ChartLayoutOf(plot), messages_, tabs_);
    chart->setObjectName(QString::fromLatin1(TabTitle(plot)).remove(QLatin1Char(' ')) + QStringLiteral("Chart"));
    charts_[static_cast<size_t>(plot)] = chart;
    tabs_->addTab(chart, QString::fromLatin1(TabTitle(plot)));
  }
  report_ = new QPlainTextEdit(tabs_);
  report_->setObjectName(QStringLiteral("ReportView"));
  report_->setReadOnly(true);
  report_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  tabs_->addTab(report_, QStringLiteral("Report"));
  auto* shownColumn = new QVBoxLayout(shown);
  shownColumn->addWidget(summary_);
  shownColumn->addWidget(tabs_, 1);
  pages_->addWidget(shown);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(pages_);
  resize(900, 640);
}

void AnalysisWindow::FollowCalc(const CalcRecord& record) {
  record_ = record;
  stale_ = true;
  if (isVisible()) Draw();
}

int AnalysisWindow::AddTab(QWidget* tab, const QString& title) { return tabs_->addTab(tab, title); }

void AnalysisWindow::OnDrawn(std::function<void(const DesignState&, const CalcRecord&)> listener) {
  drawnListeners_.push_back(std::move(listener));
}

void AnalysisWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) Draw();
}

void AnalysisWindow::Draw() {
  stale_ = false;
  if (!record_) return;
  try {
    const ReportInput input = ReportInputFor(state_, *record_);
    const AnalysisCurves curves = ComputeAnalysisCurves({input.Low, input.Mid, input.High, input.Sum}, input.RateHz);
    const DesignReport measured = ComputeReport(input);
    const std::string report = ReportText(measured);
    for (AnalysisPlot plot : AllAnalysisPlots) Chart(plot)->SetCurves(curves.Of(plot));
    report_->setPlainText(QString::fromStdString(report));
    const FilterReport& sum = measured.Filters[3];
    summary_->setText(QString::fromStdString(KilohertzText(input.RateHz) + " kHz, " + std::to_string(sum.Taps) +
                                             " taps in each filter, " +
                                             (input.Shelf.empty() ? "the bare bands" : "the bands with the shelving filter") +
                                             "; latency " + QString::number(sum.LatencySamples, 'f', 1).toStdString() +
                                             " samples, " + QString::number(sum.LatencyMs, 'f', 3).toStdString() + " ms."));
    shownGeneration_ = record_->Generation;
    pages_->setCurrentIndex(1);
    for (const auto& listener : drawnListeners_) listener(state_, *record_);
  } catch (const UserError& error) {
    // The state has moved on since this Calc (one that failed part way): nothing of it to draw.
    ShowPlaceholder(error.Text());
  } catch (const std::bad_alloc&) {
    ShowPlaceholder("Not enough memory to draw the responses of this design.");
  }
}

void AnalysisWindow::ShowPlaceholder(const std::string& text) {
  shownGeneration_.reset();
  placeholder_->setText(QString::fromStdString(text));
  pages_->setCurrentIndex(0);
}

QKeySequence AnalysisShortcut() { return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Y); }

AnalysisWindow* MakeAnalysisWindow(TForm1& form) {
  auto* window = new AnalysisWindow(form.State(), [&form](const std::string& text) { form.ShowMessage(text); }, &form);
  QAction* action = ViewMenuOf(form)->addAction(QString::fromUtf8("Analysis…"));
  action->setObjectName(QStringLiteral("ActionAnalysis"));
  action->setShortcut(AnalysisShortcut());
  QObject::connect(action, &QAction::triggered, window, [window] {
    window->show();
    window->raise();
    window->activateWindow();
  });
  auto* acoustic = new AcousticTab(*form.Drivers(), [&form](const std::string& text) { form.ShowMessage(text); });
  window->AddTab(acoustic, QStringLiteral("Acoustic"));
  window->OnDrawn([acoustic](const DesignState& state, const CalcRecord& record) { acoustic->ShowDesign(state, record); });
  form.AddCalcListener([window](const CalcOutcome& outcome) {
    if (outcome.Status == CalcStatus::Completed && outcome.Record) window->FollowCalc(*outcome.Record);
  });
  return window;
}
