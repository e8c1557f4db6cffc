// The drivers in the window: "Design > Drivers…" reads each way's measurement on OK and the analysis
// window's Acoustic tab draws each driver, each way through its filter and the sum; a file that cannot
// be parsed is named with its line and reason and changes nothing; design files keep the drivers.
#include <QAction>
#include <QChart>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <complex>
#include <numbers>

#include "pipeline/DesignState.h"
#include "window/AnalysisAcoustic.h"
#include "window/AnalysisWindow.h"
#include "window/DesignFileMenu.h"
#include "window/DriversDialog.h"
#include "window/Unit1.h"

namespace {

// A driver measured flat at 90 dB with zero phase from 5 Hz to 40 kHz, one point a third octave.
QByteArray FlatDriver() {
  QByteArray text = "* flat test driver\nFreq(Hz) SPL(dB) Phase(deg)\n";
  for (double hz = 5; hz <= 40000; hz *= std::pow(2.0, 1.0 / 3)) text += QByteArray::number(hz, 'f', 4) + "\t90.0\t0\n";
  return text;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
  QFile file(dir.filePath(name));
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(text);
  return file.fileName();
}

// The level of a way through its filter at f, computed here on its own: |sum h[n] e^{-j 2 pi f n / rate}|.
double NaiveLevelDb(std::span<const double> taps, double hz, int rateHz) {
  std::complex<long double> sum = 0;
  for (size_t n = 0; n < taps.size(); ++n) {
    const long double angle = -2.0L * std::numbers::pi_v<long double> * hz * static_cast<long double>(n) / rateHz;
    sum += static_cast<long double>(taps[n]) * std::complex<long double>(std::cos(angle), std::sin(angle));
  }
  return static_cast<double>(20.0L * std::log10(std::abs(sum)));
}

}  // namespace

class DriversDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }

  void cleanup() {
    form_.reset();
    messages_.clear();
  }

  // "Design > Drivers…" is there; OK with a measurement reads it and the Acoustic tab draws it: the
  // driver at 90 dB, the low way 3 dB lower through its filter, every output frequency, the notes.
  void acceptedDriverDrawsTheAcousticTab() {
    MakeForm();
    QAction* action = form_->findChild<QAction*>("ActionDrivers");
    QVERIFY(action);
    QCOMPARE(action->text(), QString::fromUtf8("Drivers…"));
    QTemporaryDir dir;
    const QString woofer = WriteFile(dir, "woofer.frd", FlatDriver());
    DriversDialog dialog(*form_->Drivers(), Sink(), form_.get());
    dialog.Controls(Way::Low).File->setText(woofer);
    dialog.Controls(Way::Low).TrimDb->setValue(-3);
    dialog.Controls(Way::High).Inverted->setChecked(true);
    dialog.Controls(Way::Mid).DelayMs->setValue(0.25);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(messages_, QStringList());
    const std::optional<DriverSetups> setups = form_->Drivers()->Setups();
    QVERIFY(setups);
    QCOMPARE(QString::fromStdString((*setups)[0].File), woofer);
    QCOMPARE((*setups)[0].TrimDb, -3.0);
    QCOMPARE((*setups)[1].DelayMs, 0.25);
    QVERIFY((*setups)[2].Sign == Polarity::Inverted);
    QVERIFY((*setups)[1].File.empty());

    AnalysisWindow* window = form_->Analysis();
    form_->findChild<QAction*>("ActionAnalysis")->trigger();
    form_->Button1Click();
    auto* tab = static_cast<AcousticTab*>(window->findChild<QWidget*>("AcousticTab"));
    QVERIFY(tab);
    window->Tabs()->setCurrentWidget(tab);
    QVERIFY(tab->isVisible());
    const size_t points = AcousticFrequencies(44100).size();
    QCOMPARE(points, size_t(527));
    for (AnalysisChart* chart : {tab->Magnitude(), tab->Phase()}) {
      QCOMPARE(chart->Chart()->series().size(), 7);
      for (size_t series = 0; series < 7; ++series) {
        // The phase of a way is left out deep in its stop band.
        if (chart == tab->Magnitude() || series < 3) QCOMPARE(size_t(chart->Series(series)->count()), points);
        QVERIFY(chart->Series(series)->count() > 100);
      }
    }
    QCOMPARE(tab->Magnitude()->Series(0)->name(), QString("low driver"));
    QCOMPARE(tab->Magnitude()->Series(6)->name(), QString("sum"));
    const AnalysisCurve& driver = tab->Magnitude()->Curves()[0];
    for (double level : driver.Y) QVERIFY(std::fabs(level - 90.0) < 1e-9);
    // The low way: 90 dB, trimmed by 3 dB, through the low filter.
    const AnalysisCurve& low = tab->Magnitude()->Curves()[3];
    const std::span<const double> lowTaps = form_->State().LowCoeffs;
    for (size_t i = 0; i < low.X.size(); i += 37) {
      QVERIFY2(std::fabs(low.Y[i] - (87.0 + NaiveLevelDb(lowTaps, low.X[i], 44100))) < 1e-6,
               qPrintable(QString::number(low.X[i])));
    }
    // An ideal mid driver: 0 dB, 0 degrees.
    for (double level : tab->Magnitude()->Curves()[1].Y) QVERIFY(std::fabs(level) < 1e-12);
    for (double degrees : tab->Phase()->Curves()[1].Y) QVERIFY(std::fabs(degrees) < 1e-12);
    // The measurement starts at 5 Hz and ends at 40 kHz: nothing is held, nothing derived.
    QCOMPARE(tab->Notes()->text(), QString());
    if (qEnvironmentVariableIsSet("FIRXOVER_KEEP_PICTURES")) {
      QTest::qWait(100);
      window->grab().save("/tmp/analysis-acoustic.png");
      DriversDialog shown(*form_->Drivers(), Sink(), form_.get());
      shown.show();
      shown.grab().save("/tmp/drivers-dialog.png");
    }
  }

  // Long filters are modelled on a worker thread: the tab says so meanwhile, then shows the same
  // curves as when modelled at once.
  void longFiltersAreModelledInTheBackground() {
    MakeForm();
    QTemporaryDir dir;
    const QString woofer = WriteFile(dir, "woofer.frd", FlatDriver());
    {
      DriversDialog dialog(*form_->Drivers(), Sink(), form_.get());
      dialog.Controls(Way::Low).File->setText(woofer);
      dialog.accept();
    }
    form_->findChild<QAction*>("ActionAnalysis")->trigger();
    auto* tab = static_cast<AcousticTab*>(form_->Analysis()->findChild<QWidget*>("AcousticTab"));
    form_->Analysis()->Tabs()->setCurrentWidget(tab);
    form_->Button1Click();
    const std::vector<AnalysisCurve> atOnce = tab->Magnitude()->Curves();
    const std::vector<AnalysisCurve> phaseAtOnce = tab->Phase()->Curves();
    QVERIFY(!atOnce[3].X.empty());

    tab->SetBackgroundFromTaps(0);
    const uint64_t drawn = tab->DrawnCount();
    form_->Button1Click();
    QCOMPARE(tab->Notes()->text(), QString::fromUtf8("Computing the acoustic response…"));
    QTRY_VERIFY_WITH_TIMEOUT(tab->DrawnCount() > drawn, 30000);
    QCOMPARE(tab->DrawnCount(), drawn + 1);
    for (size_t series = 0; series < atOnce.size(); ++series) {
      QCOMPARE(tab->Magnitude()->Curves()[series].Y, atOnce[series].Y);
      QCOMPARE(tab->Phase()->Curves()[series].Y, phaseAtOnce[series].Y);
    }
    QCOMPARE(tab->Notes()->text(), QString());
  }

  // A measurement without phase: its minimum phase is derived, and the tab says so; a range short of
  // the output frequencies is held, and the tab says that too.
  void derivedPhaseAndHeldRangeAreNoted() {
    MakeForm();
    QTemporaryDir dir;
    const QString tweeter = WriteFile(dir, "tweeter.txt", "1000 88\n2000 89\n5000 89\n10000 87\n");
    DriversDialog dialog(*form_->Drivers(), Sink(), form_.get());
    dialog.Controls(Way::High).File->setText(tweeter);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    form_->findChild<QAction*>("ActionAnalysis")->trigger();
    form_->Button1Click();
    auto* tab = static_cast<AcousticTab*>(form_->Analysis()->findChild<QWidget*>("AcousticTab"));
    form_->Analysis()->Tabs()->setCurrentWidget(tab);
    const QString notes = tab->Notes()->text();
    QVERIFY2(notes.contains(tweeter) && notes.contains("minimum phase"), qPrintable(notes));
    QVERIFY2(notes.count(tweeter) >= 2, qPrintable(notes));  // derived phase and held range
  }

  // A file that cannot be parsed: one message naming it, its line and the reason; the dialog stays
  // open; the drivers stay as they were. Clear empties the file field.
  void badFileChangesNothing() {
    MakeForm();
    QTemporaryDir dir;
    const QString good = WriteFile(dir, "good.frd", FlatDriver());
    DriversDialog first(*form_->Drivers(), Sink(), form_.get());
    first.Controls(Way::Mid).File->setText(good);
    first.accept();
    const std::optional<DriverSetups> before = form_->Drivers()->Setups();
    QVERIFY(before);

    const QString bad = WriteFile(dir, "bad.frd", "100 90\n200 91\n150 92\n");
    DriversDialog dialog(*form_->Drivers(), Sink(), form_.get());
    QCOMPARE(dialog.Controls(Way::Mid).File->text(), good);  // the dialog opens on the current drivers
    dialog.Controls(Way::Low).File->setText(bad);
    dialog.Controls(Way::Low).TrimDb->setValue(6);
    dialog.accept();
    QVERIFY(dialog.result() != int(QDialog::Accepted));
    QCOMPARE(messages_, QStringList{"'" + bad + "' line 3: frequency 150 Hz is not above 200 Hz of line 2"});
    QVERIFY(form_->Drivers()->Setups() == before);

    messages_.clear();
    const QString missing = dir.filePath("missing.frd");
    dialog.Controls(Way::Low).File->setText(missing);
    dialog.accept();
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith("Cannot read '" + missing + "': "), qPrintable(messages_[0]));
    QVERIFY(form_->Drivers()->Setups() == before);

    dialog.findChild<QPushButton*>("midClear")->click();
    dialog.findChild<QPushButton*>("lowClear")->click();
    QCOMPARE(dialog.Controls(Way::Mid).File->text(), QString());
    dialog.Controls(Way::Low).TrimDb->setValue(0);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!form_->Drivers()->Setups());  // ideal drivers all round: none, as a fresh window has
  }

  // Design files keep the drivers: saved with the design, set again when the file is opened.
  void designFilesKeepTheDrivers() {
    MakeForm();
    QTemporaryDir dir;
    const QString woofer = WriteFile(dir, "woofer.frd", FlatDriver());
    {
      DriversDialog dialog(*form_->Drivers(), Sink(), form_.get());
      dialog.Controls(Way::Low).File->setText(woofer);
      dialog.Controls(Way::Low).DelayMs->setValue(-1.5);
      dialog.accept();
    }
    DesignDocument* document = DocumentOf(*form_);
    QVERIFY(document->Modified());
    QVERIFY(document->SaveTo(dir.filePath("speaker.json")));
    QVERIFY(!document->Modified());
    const std::optional<DriverSetups> saved = form_->Drivers()->Setups();

    MakeForm();
    QVERIFY(!form_->Drivers()->Setups());
    QVERIFY(DocumentOf(*form_)->OpenFile(dir.filePath("speaker.json")));
    QVERIFY(form_->Drivers()->Setups() == saved);
    QVERIFY(!DocumentOf(*form_)->Modified());
  }

 private:
  DriversDialog::MessageSink Sink() {
    return [this](const std::string& text) { messages_ << QString::fromStdString(text); };
  }

  void MakeForm() {
    form_.reset();
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    form_->SetMessageSink([this](const std::string& text) { messages_ << QString::fromStdString(text); });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
  QStringList messages_;
};

QTEST_MAIN(DriversDialogTest)
#include "DriversDialogTest.moc"
