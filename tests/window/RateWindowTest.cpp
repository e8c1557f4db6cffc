// The sampling rate in the window offscreen: the Design menu's rate items, the heading Label6 per
// rate, "Other…" refusing bad text, a Calc at the chosen rate, and the several-rates export.
#include <sndfile.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "designfile/DesignFile.h"
#include "numerics/SampleRate.h"
#include "pipeline/DesignState.h"
#include "window/DesignFileMenu.h"
#include "window/DesignMenu.h"
#include "window/Unit1.h"

namespace {

QStringList FieldTexts(TForm1& form) {
  QStringList texts;
  for (QLineEdit* edit : {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit6, form.Edit7,
                          form.Edit8, form.Edit9, form.Edit10, form.EditShelbL, form.EditShelbH}) {
    texts << edit->text();
  }
  return texts;
}

int WavRate(const QString& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
  if (file == nullptr) return -1;
  sf_close(file);
  return info.samplerate;
}

}  // namespace

class RateWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    messages_.clear();
    form_->SetMessageSink([this](const std::string& text) { messages_ << QString::fromStdString(text); });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() { form_.reset(); }

  void headingTexts_data() {
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("kilohertz");
    QTest::newRow("44.1") << 44100 << "44.1";
    QTest::newRow("48") << 48000 << "48";
    QTest::newRow("88.2") << 88200 << "88.2";
    QTest::newRow("96") << 96000 << "96";
    QTest::newRow("176.4") << 176400 << "176.4";
    QTest::newRow("192") << 192000 << "192";
    QTest::newRow("other") << 22050 << "22.05";
    QTest::newRow("lowest") << 8000 << "8";
    QTest::newRow("odd") << 44101 << "44.101";
  }
  void headingTexts() {
    QFETCH(int, rate);
    QFETCH(QString, kilohertz);
    const QString expected = QString::fromUtf8("カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が") + kilohertz +
                             QString::fromUtf8("KHzの場合）");
    QCOMPARE(HeadingText(rate), expected);
    form_->SetRateHz(rate);
    QCOMPARE(form_->Label6->text(), expected);
    QVERIFY(form_->windowTitle().endsWith("(Kaiser window, " + kilohertz + " kHz)"));
  }

  void startsAt44100AsBefore() {
    QCOMPARE(form_->RateHz(), 44100);
    QCOMPARE(form_->Label6->text(),
             QString::fromUtf8("カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が44.1KHzの場合）"));
    QCOMPARE(form_->windowTitle(),
             QString("firxover 1.0 - three-way FIR crossover designer (Kaiser window, 44.1 kHz)"));
  }

  void designMenuBetweenFileAndView() {
    QStringList titles;
    for (QAction* action : form_->menuBar()->actions()) titles << action->text();
    QCOMPARE(titles.mid(0, 2), (QStringList{"File", "Design"}));
    QMenu* rates = form_->findChild<QMenu*>("RateMenu");
    QVERIFY(rates);
    QStringList items;
    for (QAction* action : rates->actions()) items << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(items, (QStringList{"44.1 kHz", "48 kHz", "88.2 kHz", "96 kHz", "176.4 kHz", "192 kHz", "-",
                                 QString::fromUtf8("Other…")}));
  }

  void choosing48kHzThenCalc() {
    const QStringList fields = FieldTexts(*form_);
    const QPixmap before = form_->Client()->grab(QRect(0, 30, 788, 569));
    form_->findChild<QAction*>("ActionRate48000")->trigger();
    QCOMPARE(form_->RateHz(), 48000);
    QCOMPARE(FieldTexts(*form_), fields);
    QCOMPARE(form_->Label6->text(),
             QString::fromUtf8("カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が48KHzの場合）"));
    // Below the heading the client area is as it was.
    QCOMPARE(form_->Client()->grab(QRect(0, 30, 788, 569)).toImage(), before.toImage());
    QCOMPARE(state_->Generation, uint64_t{0});  // no Calc ran

    form_->Button1->click();
    QVERIFY(form_->LastCalc().has_value());
    QCOMPARE(state_->RateHz, 48000);
    QCOMPARE(form_->LastCalc()->RateHz, 48000);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(form_->Label20->text(), QString("Ideal Taps"));
    form_->Button5->click();
    QCOMPARE(form_->Label20->text(), QString::fromUtf8("Ideal Taps： 759"));

    // The menu ticks the rate in force however it was set.
    QMenu* rates = form_->findChild<QMenu*>("RateMenu");
    form_->SetRateHz(96000);
    emit rates->aboutToShow();
    QVERIFY(form_->findChild<QAction*>("ActionRate96000")->isChecked());
    form_->SetRateHz(50000);
    emit rates->aboutToShow();
    QVERIFY(form_->findChild<QAction*>("ActionRateOther")->isChecked());
    QCOMPARE(form_->findChild<QAction*>("ActionRateOther")->text(), QString::fromUtf8("Other (50 kHz)…"));
  }

  void otherRefusesBadText_data() {
    QTest::addColumn<QString>("text");
    for (const char* text : {"0", "7999", "768001", "48000.5", "abc", "", "-48000"}) QTest::newRow(text) << text;
  }
  void otherRefusesBadText() {
    QFETCH(QString, text);
    form_->SetRateHz(96000);
    QVERIFY(!ApplyRateText(*form_, text));
    QCOMPARE(messages_, QStringList{QString::fromStdString(SampleRateMessage(text.toStdString()))});
    QCOMPARE(form_->RateHz(), 96000);
    QVERIFY(form_->Label6->text().contains("96KHz"));
  }
  void otherTakesAWholeNumber() {
    QVERIFY(ApplyRateText(*form_, " 50000 "));
    QCOMPARE(form_->RateHz(), 50000);
    QVERIFY(form_->Label6->text().contains(QString::fromUtf8("50KHzの場合")));
    QVERIFY(messages_.isEmpty());
  }

  void designFilesCarryTheRate() {
    QSettings(QStringLiteral("firxover"), QStringLiteral("firxover")).clear();
    QTemporaryDir dir;
    DesignDocument* document = DocumentOf(*form_);
    QVERIFY(document);
    QStringList questions;
    document->SetUnsavedPrompt([&questions](const QString& question) {
      questions << question;
      return DesignDocument::Answer::Discard;
    });
    form_->findChild<QAction*>("ActionRate96000")->trigger();
    QVERIFY(document->Modified());  // a rate of its own is a change to the design
    QVERIFY(form_->windowTitle().endsWith("(Kaiser window, 96 kHz)"));
    const QString file = dir.filePath("d.firxover.json");
    QVERIFY(document->SaveTo(file));
    QCOMPARE(ReadDesignFile(QFile::encodeName(file).toStdString()).rateHz, 96000);
    QVERIFY(!document->Modified());
    form_->SetRateHz(44100);
    QVERIFY(document->Modified());
    QVERIFY(document->OpenFile(file));
    QCOMPARE(questions.size(), 1);  // the changed rate was an unsaved change
    QCOMPARE(form_->RateHz(), 96000);
    QVERIFY(form_->Label6->text().contains("96KHz"));
    QVERIFY(form_->windowTitle().startsWith("d.firxover.json - "));
    QVERIFY(form_->windowTitle().endsWith("(Kaiser window, 96 kHz)"));
  }

  void severalRatesEachTheirOwnSet() {
    QTemporaryDir dir;
    form_->Button1->click();
    const uint64_t generation = state_->Generation;
    const RealArray sum = state_->SumCoeffs;
    QVERIFY(ExportFiltersForRates(*form_, dir.path(), "xo", FilterFormat::Wav32, {48000, 96000}));
    QVERIFY(messages_.isEmpty());
    for (const int rate : {48000, 96000}) {
      for (const char* part : {"low", "mid", "high", "sum", "shelf"}) {
        QCOMPARE(WavRate(dir.filePath(QString("xo-%1-%2.wav").arg(rate).arg(part))), rate);
      }
      QVERIFY(QFile::exists(dir.filePath(QString("xo-%1-summary.txt").arg(rate))));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 12);
    // The window's own design stays: no Calc of it ran.
    QCOMPARE(state_->Generation, generation);
    QCOMPARE(state_->SumCoeffs, sum);
    QCOMPARE(form_->RateHz(), 44100);
    QCOMPARE(PrefixForRate("xo", 48000), std::string("xo-48000"));
    QCOMPARE(PrefixForRate("{rate}/xo", 48000), std::string("48000/xo"));

    // A design that cannot be computed names its rate; the sets before it stay.
    form_->Edit1->setText("abc");
    QVERIFY(!ExportFiltersForRates(*form_, dir.path(), "bad", FilterFormat::Wav32, {192000}));
    QCOMPARE(messages_, QStringList{QString::fromUtf8("The design at 192000 Hz: 'abc' は整数ではありません")});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 12);
  }

 private:
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
  QStringList messages_;
};

QTEST_MAIN(RateWindowTest)
#include "RateWindowTest.moc"
