#include "window/AnalysisAcoustic.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>
#include <cmath>
#include <memory>
#include <numbers>

#include "analysis/AcousticReport.h"
#include "analysis/Measures.h"
#include "analysis/ReportInputs.h"
#include "numerics/Errors.h"
#include "window/DriversDialog.h"

std::vector<SeriesLook> AcousticLooks() {
  std::vector<SeriesLook> looks;
  for (Way way : AllWays)
    looks.push_back({QString::fromLatin1(WayName(way)) + QStringLiteral(" driver"), static_cast<size_t>(way), Qt::DashLine});
  for (Way way : AllWays) looks.push_back({QString::fromLatin1(WayName(way)), static_cast<size_t>(way), Qt::SolidLine});
  looks.push_back({QStringLiteral("sum"), 3, Qt::SolidLine});
  return looks;
}

std::vector<AnalysisCurve> AcousticCurves(const AcousticResponse& response, AnalysisPlot plot) {
  const auto curveOf = [&](const std::vector<std::complex<double>>& values) {
    AnalysisCurve curve;
    double loudest = 0;
    for (const std::complex<double>& value : values) loudest = std::max(loudest, std::abs(value));
    // As on the Phase tab: no phase where the curve lies more than 100 dB below its own peak.
    const double quietest = loudest * std::pow(10.0, PhaseFloorDb / 20);
    for (size_t i = 0; i < values.size() && i < response.FrequencyHz.size(); ++i) {
      if (plot == AnalysisPlot::Phase && !(std::abs(values[i]) >= quietest)) continue;
      double y = 0;
      if (plot == AnalysisPlot::Phase) {
        y = WrappedDegrees(values[i]);
      } else {
        y = LevelDb(std::abs(values[i]));
      }
      if (!std::isfinite(y)) continue;
      curve.X.push_back(response.FrequencyHz[i]);
      curve.Y.push_back(y);
    }
    return curve;
  };
  std::vector<AnalysisCurve> curves;
  for (const auto& driver : response.Driver) curves.push_back(curveOf(driver));
  for (const auto& way : response.Way) curves.push_back(curveOf(way));
  curves.push_back(curveOf(response.Sum));
  return curves;
}

AcousticTab::AcousticTab(WindowDrivers& drivers, AnalysisChart::MessageSink messages, QWidget* parent)
    : QWidget(parent), drivers_(drivers) {
  setObjectName(QStringLiteral("AcousticTab"));
  ChartLayout magnitude = ChartLayoutOf(AnalysisPlot::Magnitude);
  magnitude.Title = QStringLiteral("Acoustic magnitude");
  magnitude.YTicks = 5;  // half a window high: fewer labels
  ChartLayout phase = ChartLayoutOf(AnalysisPlot::Phase);
  phase.Title = QStringLiteral("Acoustic phase, the filters' shared latency removed");
  auto* splitter = new QSplitter(Qt::Vertical, this);
  magnitude_ = new AnalysisChart(magnitude, messages, splitter, AcousticLooks());
  magnitude_->setObjectName(QStringLiteral("AcousticMagnitudeChart"));
  phase_ = new AnalysisChart(phase, messages, splitter, AcousticLooks());
  phase_->setObjectName(QStringLiteral("AcousticPhaseChart"));
  notes_ = new QLabel(this);
  notes_->setObjectName(QStringLiteral("AcousticNotes"));
  notes_->setTextFormat(Qt::PlainText);
  notes_->setWordWrap(true);
  notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* column = new QVBoxLayout(this);
  column->addWidget(splitter, 1);
  column->addWidget(notes_);
  drivers_.OnChanged([this] {
    stale_ = true;
    if (isVisible()) Draw();
  });
}

void AcousticTab::ShowDesign(const DesignState& state, const CalcRecord& record) {
  state_ = &state;
  record_ = record;
  stale_ = true;
  if (isVisible()) Draw();
}

void AcousticTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_) Draw();
}

namespace {

// What a worker thread models: copies of everything, so that a Calc may rewrite the state meanwhile.
struct AcousticJob {
  DriverSet Drivers;
  std::array<std::vector<double>, WayCount> Filters;
  int RateHz = 0;
};

struct AcousticResult {
  std::optional<AcousticResponse> Response;
  std::string Reason;  // why there is none
};

AcousticResult RunAcousticJob(const AcousticJob& job) {
  try {
    return {ComputeAcoustic(job.Drivers, {job.Filters[0], job.Filters[1], job.Filters[2]}, job.RateHz), {}};
  } catch (const UserError& error) {
    return {std::nullopt, error.Text()};
  } catch (const std::bad_alloc&) {
    return {std::nullopt, "Not enough memory for the acoustic response of this design."};
  }
}

}  // namespace

void AcousticTab::Draw() {
  stale_ = false;
  if (!state_ || !record_) return;
  const uint64_t request = ++request_;
  try {
    const ReportInput input = ReportInputFor(*state_, *record_);
    const DriverSet& drivers = drivers_.Loaded();
    if (input.Low.size() < backgroundFromTaps_) {
      Show(AcousticResponseFor(input, drivers));
      return;
    }
    auto job = std::make_shared<AcousticJob>();
    job->Drivers = drivers;
    job->Filters = {std::vector<double>(input.Low.begin(), input.Low.end()),
                    std::vector<double>(input.Mid.begin(), input.Mid.end()),
                    std::vector<double>(input.High.begin(), input.High.end())};
    job->RateHz = input.RateHz;
    notes_->setText(QString::fromUtf8("Computing the acoustic response…"));
    auto* watcher = new QFutureWatcher<AcousticResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, request] {
      watcher->deleteLater();
      if (request != request_) return;  // a newer drawing has been asked for
      const AcousticResult result = watcher->result();
      if (result.Response)
        Show(*result.Response);
      else
        ShowReason(result.Reason);
    });
    watcher->setFuture(QtConcurrent::run([job] { return RunAcousticJob(*job); }));
  } catch (const UserError& error) {
    ShowReason(error.Text());
  } catch (const std::bad_alloc&) {
    ShowReason("Not enough memory for the acoustic response of this design.");
  }
}

void AcousticTab::Show(const AcousticResponse& response) {
  magnitude_->SetCurves(AcousticCurves(response, AnalysisPlot::Magnitude));
  phase_->SetCurves(AcousticCurves(response, AnalysisPlot::Phase));
  QStringList notes;
  for (const std::string& note : response.DerivedPhases) notes << QString::fromStdString(note);
  for (const std::string& note : response.HeldRanges) notes << QString::fromStdString(note);
  if (!drivers_.Setups()) notes.prepend(QString::fromUtf8("Ideal drivers (0 dB, 0°) in every way: Design > Drivers… loads their measurements."));
  notes_->setText(notes.join(QLatin1Char('\n')));
  ++drawnCount_;
}

void AcousticTab::ShowReason(const std::string& reason) {
  magnitude_->SetCurves({});
  phase_->SetCurves({});
  notes_->setText(QString::fromStdString(reason));
  ++drawnCount_;
}
