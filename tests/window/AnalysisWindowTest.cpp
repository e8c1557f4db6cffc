// The analysis window offscreen: opened from "View > Analysis…", it asks for a Calc, then draws the
// filters of every completed Calc in each tab with sane axes and no NaN, its legend hides and shows
// curves, zoom and reset move the axes, the readout writes the values under the mouse, the pictures
// it saves hold curves, and its Report tab holds the design report as text.
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSlider>
#include <QWheelEvent>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>
#include <cmath>

#include "analysis/ReportInputs.h"
#include "analysis/ReportText.h"
#include "pipeline/DesignState.h"
#include "tests/support/Pixels.h"
#include "window/AnalysisWindow.h"
#include "window/Appearance.h"
#include "window/Unit1.h"

namespace {

std::pair<double, double> RangeOf(QAbstractAxis* axis) {
  if (auto* log = qobject_cast<QLogValueAxis*>(axis)) return {log->min(), log->max()};
  auto* value = qobject_cast<QValueAxis*>(axis);
  return {value->min(), value->max()};
}

using testing_support::CountNear;

QAction* ActionNamed(QWidget& window, const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }

}  // namespace

class AnalysisWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    lightPalette_ = QApplication::palette();
  }

  void cleanup() {
    form_.reset();
    QApplication::setPalette(lightPalette_);
  }

  // "View > Analysis…" opens the window, with a shortcut that no standard key binding uses; before
  // any Calc it asks for one.
  void opensFromTheViewMenuAndAsksForACalc() {
    MakeForm();
    QAction* action = ActionNamed(*form_, "ActionAnalysis");
    QVERIFY(action);
    QCOMPARE(action->text(), QString::fromUtf8("Analysis…"));
    QCOMPARE(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Y")));
    for (int key = QKeySequence::HelpContents; key <= QKeySequence::Cancel; ++key) {
      const QList<QKeySequence> bindings = QKeySequence::keyBindings(static_cast<QKeySequence::StandardKey>(key));
      QVERIFY2(!bindings.contains(action->shortcut()), qPrintable(QString::number(key)));
    }
    AnalysisWindow* window = form_->Analysis();
    QVERIFY(!window->isVisible());
    action->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(window->Placeholder()->isVisible());
    QCOMPARE(window->Placeholder()->text(), QString("Press Calc in the main window: its filters' responses show here."));
    QVERIFY(!window->ShownGeneration());
  }

  // After a Calc each tab holds the four filters: points drawn, at most a few thousand, all finite,
  // the axes around them; the Report tab the design's report.
  void eachTabDrawnAfterACalc() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    QCOMPARE(window->ShownGeneration(), std::optional<uint64_t>(form_->LastCalc()->Generation));
    QVERIFY(window->Tabs()->isVisible());
    QCOMPARE(window->Tabs()->count(), 7);
    QStringList titles;
    for (int i = 0; i < window->Tabs()->count(); ++i) titles << window->Tabs()->tabText(i);
    QCOMPARE(titles, (QStringList{"Magnitude", "Phase", "Group delay", "Impulse", "Step", "Report", "Acoustic"}));
    for (AnalysisPlot plot : AllAnalysisPlots) {
      AnalysisChart* chart = window->Chart(plot);
      QCOMPARE(chart->Chart()->series().size(), 4);
      const auto [xFrom, xTo] = RangeOf(chart->XAxis());
      const auto [yFrom, yTo] = RangeOf(chart->YAxis());
      QVERIFY(xFrom < xTo && yFrom < yTo);
      for (size_t filter = 0; filter < 4; ++filter) {
        const QList<QPointF> points = chart->Series(filter)->points();
        QVERIFY(points.size() > 10);
        QVERIFY(points.size() <= 3002);
        for (const QPointF& point : points) {
          QVERIFY(std::isfinite(point.x()) && std::isfinite(point.y()));
          QVERIFY(point.x() >= xFrom && point.x() <= xTo);
          if (plot != AnalysisPlot::Magnitude) QVERIFY(point.y() >= yFrom && point.y() <= yTo);
        }
      }
    }
    // Magnitude: 1 Hz to the Nyquist frequency; the sum flat at 0 dB; the top just above it.
    AnalysisChart* magnitude = window->Chart(AnalysisPlot::Magnitude);
    QCOMPARE(RangeOf(magnitude->XAxis()), (std::pair<double, double>{1.0, 22050.0}));
    QCOMPARE(RangeOf(magnitude->YAxis()).second, 10.0);
    for (const QPointF& point : magnitude->Series(3)->points()) QVERIFY(std::fabs(point.y()) < 0.01);
    QCOMPARE(RangeOf(window->Chart(AnalysisPlot::Phase)->YAxis()), (std::pair<double, double>{-180.0, 180.0}));
    // Every filter is linear-phase with the same length: the group delay is the latency, (taps - 1)/2.
    const double latencyMs = (static_cast<double>(form_->State().LowCoeffs.size()) - 1) / 2 * 1000.0 / 44100;
    for (size_t filter = 0; filter < 4; ++filter) {
      for (const QPointF& point : window->Chart(AnalysisPlot::GroupDelay)->Series(filter)->points())
        QVERIFY2(std::fabs(point.y() - latencyMs) < 1e-6, qPrintable(QString::number(point.x())));
    }
    const std::string report = ReportText(ComputeReport(ReportInputFor(form_->State(), *form_->LastCalc())));
    QCOMPARE(window->ReportView()->toPlainText(), QString::fromStdString(report));
    QVERIFY(window->ReportView()->isReadOnly());
    QVERIFY(window->ReportView()->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(window->Summary()->text(),
             QString("44.1 kHz, 901 taps in each filter, the bare bands; latency 450.0 samples, 10.204 ms."));
  }

  // With the bass lift on, the window shows the cascades the export writes: 1204 taps longer.
  void showsTheCascadesWithTheShelf() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->TrackBarShelbGain->setValue(3);
    form_->Button1Click();
    QCOMPARE(window->Summary()->text(),
             QString("44.1 kHz, 2105 taps in each filter, the bands with the shelving filter; latency 1052.0 samples, 23.855 ms."));
    // The sum is the shelving filter: the bass 3 dB above the treble.
    const AnalysisCurve& sum = window->Chart(AnalysisPlot::Magnitude)->Curves()[3];
    QVERIFY2(std::fabs(sum.Y.front() - sum.Y.back() - 3.0) < 0.05, qPrintable(QString::number(sum.Y.back())));
    QCOMPARE(window->Chart(AnalysisPlot::Impulse)->Curves()[0].X.back(), 2104 * 1000.0 / 44100);
  }

  // The window follows every completed Calc: a new cutoff moves the low band's curve.
  void followsTheNextCalc() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    const uint64_t first = *window->ShownGeneration();
    const AnalysisCurve before = window->Chart(AnalysisPlot::Magnitude)->Curves()[0];
    form_->Edit5->setText("600");
    form_->Button1Click();
    QVERIFY(form_->LastCalc());
    QVERIFY(*window->ShownGeneration() > first);
    QCOMPARE(*window->ShownGeneration(), form_->LastCalc()->Generation);
    const AnalysisCurve after = window->Chart(AnalysisPlot::Magnitude)->Curves()[0];
    QVERIFY(before.Y != after.Y);
    QVERIFY(window->ReportView()->toPlainText().contains("600"));
  }

  // Hidden, the window only notes a Calc; shown, it draws it.
  void drawsWhenShownAgain() {
    MakeForm();
    AnalysisWindow* window = form_->Analysis();
    form_->Button1Click();
    QVERIFY(!window->ShownGeneration());
    OpenAnalysis();
    QCOMPARE(window->ShownGeneration(), std::optional<uint64_t>(form_->LastCalc()->Generation));
  }

  // A click on a legend marker hides its curve and takes it out of the readout; a second shows it.
  void legendMarkersHideAndShow() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    AnalysisChart* chart = window->Chart(AnalysisPlot::Magnitude);
    QLegendMarker* marker = chart->Chart()->legend()->markers(chart->Series(1)).value(0);
    QVERIFY(marker);
    QVERIFY(chart->ReadoutAt(1000).contains("mid"));
    emit marker->clicked();
    QVERIFY(!chart->Series(1)->isVisible());
    QVERIFY(marker->isVisible());
    QVERIFY(!chart->ReadoutAt(1000).contains("mid"));
    QVERIFY(chart->ReadoutAt(1000).contains("low"));
    emit marker->clicked();
    QVERIFY(chart->Series(1)->isVisible());
    QVERIFY(chart->ReadoutAt(1000).contains("mid"));
  }

  // The readout: the mouse's frequency or time, then each visible filter's value at its drawn
  // point nearest it (nearest in log frequency on a log axis).
  void readoutTexts() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    AnalysisCurveSet curves;
    curves[0] = {{1, 10, 100}, {0, -3.0103, -20}};
    curves[3] = {{1, 10, 100}, {0.004, -0.0004, 0.5}};
    window->Chart(AnalysisPlot::Magnitude)->SetCurves(curves);
    QCOMPARE(window->Chart(AnalysisPlot::Magnitude)->ReadoutAt(12), QString("f = 12 Hz   low -3.01 dB   sum 0.00 dB"));
    QCOMPARE(window->Chart(AnalysisPlot::Magnitude)->ReadoutAt(40), QString("f = 40 Hz   low -20.00 dB   sum 0.50 dB"));
    QCOMPARE(window->Chart(AnalysisPlot::Magnitude)->ReadoutAt(3), QString("f = 3 Hz   low 0.00 dB   sum 0.00 dB"));
    window->Chart(AnalysisPlot::Phase)->SetCurves(curves);
    // 5 Hz lies nearer 10 Hz than 1 Hz in log frequency (not in Hz); -0.0004 shows without its sign.
    QCOMPARE(window->Chart(AnalysisPlot::Phase)->ReadoutAt(5), QString::fromUtf8("f = 5 Hz   low -3.0°   sum 0.0°"));
    AnalysisCurveSet times;
    times[2] = {{0, 0.5, 1.0}, {0.1, 0.25, -0.125}};
    window->Chart(AnalysisPlot::Impulse)->SetCurves(times);
    QCOMPARE(window->Chart(AnalysisPlot::Impulse)->ReadoutAt(0.8), QString("t = 0.800 ms   high -0.125000"));
  }

  // Wheel zoom about a point keeps that point and narrows both axes; reset shows the whole curves.
  void zoomAndReset() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    AnalysisChart* chart = window->Chart(AnalysisPlot::Magnitude);
    const auto xWhole = RangeOf(chart->XAxis());
    const auto yWhole = RangeOf(chart->YAxis());
    const QRectF area = chart->Chart()->plotArea();
    chart->ZoomAbout(area.center(), 0.5);
    const auto xZoomed = RangeOf(chart->XAxis());
    const auto yZoomed = RangeOf(chart->YAxis());
    // Half the decades and half the decibels, about the middle.
    QVERIFY(std::fabs(std::log10(xZoomed.second / xZoomed.first) - std::log10(xWhole.second / xWhole.first) / 2) < 1e-9);
    QVERIFY(std::fabs(std::sqrt(xZoomed.first * xZoomed.second) - std::sqrt(xWhole.first * xWhole.second)) < 1e-6);
    QVERIFY(std::fabs((yZoomed.second - yZoomed.first) - (yWhole.second - yWhole.first) / 2) < 1e-9);
    QTest::mouseDClick(chart->View()->viewport(), Qt::LeftButton, {}, area.center().toPoint());
    QCOMPARE(RangeOf(chart->XAxis()), xWhole);
    QCOMPARE(RangeOf(chart->YAxis()), yWhole);
    chart->ZoomAbout(area.center(), 0.5);
    chart->findChild<QPushButton*>("ResetZoom")->click();
    QCOMPARE(RangeOf(chart->XAxis()), xWhole);
  }

  // The mouse: a wheel notch up zooms in about the pointer, a drag zooms into its rectangle, a
  // right click shows the whole curves again; the readout follows the pointer.
  void mouseZoomAndReadout() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    AnalysisChart* chart = window->Chart(AnalysisPlot::Impulse);
    window->Tabs()->setCurrentWidget(chart);
    QVERIFY(QTest::qWaitForWindowExposed(chart->View()));
    const auto xWhole = RangeOf(chart->XAxis());
    const QRectF area = chart->Chart()->plotArea();
    const QPoint centre = chart->View()->mapFromScene(chart->Chart()->mapToScene(area.center()));
    QWidget* viewport = chart->View()->viewport();
    QWheelEvent wheel(QPointF(centre), QPointF(viewport->mapToGlobal(centre)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    const auto xWheel = RangeOf(chart->XAxis());
    QVERIFY(std::fabs((xWheel.second - xWheel.first) - (xWhole.second - xWhole.first) / 1.25) < 1e-9);

    QTest::mouseClick(viewport, Qt::RightButton, {}, centre);
    QCOMPARE(RangeOf(chart->XAxis()), xWhole);
    const QPoint from = centre - QPoint(int(area.width() / 4), int(area.height() / 4));
    const QPoint to = centre + QPoint(int(area.width() / 8), int(area.height() / 8));
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    const auto xDragged = RangeOf(chart->XAxis());
    QVERIFY2(xDragged.second - xDragged.first < (xWhole.second - xWhole.first) / 2,
             qPrintable(QString("%1 .. %2").arg(xDragged.first).arg(xDragged.second)));
    QTest::mouseClick(viewport, Qt::RightButton, {}, centre);
    QCOMPARE(RangeOf(chart->XAxis()), xWhole);

    QTest::mouseMove(viewport, centre);
    QVERIFY2(chart->Readout()->text().startsWith("t = ") && chart->Readout()->text().contains("sum "),
             qPrintable(chart->Readout()->text()));
  }

  // A theme switched while the window is open recolours its plots.
  void switchingThemeRecoloursThePlots() {
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    AnalysisChart* chart = window->Chart(AnalysisPlot::Magnitude);
    QCOMPARE(chart->Series(0)->pen().color(), FilterColours(lightPalette_)[0]);
    QApplication::setPalette(DarkDesktopPalette());
    QCoreApplication::processEvents();
    QCOMPARE(chart->Series(0)->pen().color(), FilterColours(DarkDesktopPalette())[0]);
    QCOMPARE(chart->Series(3)->pen().color(), DarkDesktopPalette().color(QPalette::WindowText));
    QCOMPARE(chart->Chart()->backgroundBrush().color(), DarkDesktopPalette().color(QPalette::Base));
  }

  // Saved pictures: a PNG whose pixels show each filter's colour, an SVG with the curves as paths;
  // a folder that is not there is refused with a message and leaves no file.
  void savesPngAndSvg_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
  }
  void savesPngAndSvg() {
    QFETCH(bool, dark);
    if (dark) QApplication::setPalette(DarkDesktopPalette());
    MakeForm();
    AnalysisWindow* window = OpenAnalysis();
    form_->Button1Click();
    QTemporaryDir dir;
    const std::array<QColor, 4> colours = FilterColours(QApplication::palette());
    const QColor background = QApplication::palette().color(QPalette::Base);
    for (AnalysisPlot plot : {AnalysisPlot::Magnitude, AnalysisPlot::Impulse}) {
      AnalysisChart* chart = window->Chart(plot);
      window->Tabs()->setCurrentWidget(chart);
      const QString png = dir.filePath(QString("plot%1.png").arg(static_cast<int>(plot)));
      QVERIFY(chart->SavePng(png));
      QImage image(png);
      QVERIFY(!image.isNull());
      QCOMPARE(image.size(), chart->View()->size());
      if (qEnvironmentVariableIsSet("FIRXOVER_KEEP_PICTURES"))
        image.save(QString("/tmp/analysis-%1-%2.png").arg(static_cast<int>(plot)).arg(dark ? "dark" : "light"));
      QVERIFY(CountNear(image, background, 2) > image.width() * image.height() / 3);
      for (size_t filter = 0; filter < 4; ++filter) {
        QVERIFY2(ContrastRatio(colours[filter], background) >= 3.0, qPrintable(QString::number(filter)));
        if (plot == AnalysisPlot::Magnitude) {
          QVERIFY2(CountNear(image, colours[filter], 30) > 100, qPrintable(QString::number(filter)));
        }
      }
      const QString svg = dir.filePath("plot.svg");
      QVERIFY(chart->SaveSvg(svg));
      QFile file(svg);
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QByteArray text = file.readAll();
      QVERIFY(text.contains("<svg"));
      QVERIFY(text.contains("<path") || text.contains("<polyline"));
      QVERIFY(text.contains(colours[0].name().toLatin1()));
    }
    if (qEnvironmentVariableIsSet("FIRXOVER_KEEP_PICTURES"))
      window->grab().save(QString("/tmp/analysis-window-%1.png").arg(dark ? "dark" : "light"));
    QStringList messages;
    form_->SetMessageSink([&](const std::string& text) { messages << QString::fromStdString(text); });
    const QString missing = dir.filePath("missing/plot.png");
    QVERIFY(!window->Chart(AnalysisPlot::Step)->SavePng(missing));
    QVERIFY(!window->Chart(AnalysisPlot::Step)->SaveSvg(dir.filePath("missing/plot.svg")));
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[0].startsWith("Cannot write " + missing + ": "), qPrintable(messages[0]));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
  }

 private:
  void MakeForm() {
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    form_->SetMessageSink([](const std::string& text) { QFAIL(text.c_str()); });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  AnalysisWindow* OpenAnalysis() {
    ActionNamed(*form_, "ActionAnalysis")->trigger();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(form_->Analysis());
    return form_->Analysis();
  }

  QPalette lightPalette_;
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
};

QTEST_MAIN(AnalysisWindowTest)
#include "AnalysisWindowTest.moc"
