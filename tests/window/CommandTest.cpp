// One command at a time: input during a Calc, a redraw or an export never starts another one inside
// it, and message boxes show what was typed as plain text.
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <memory>

#include "pipeline/DesignState.h"
#include "window/ExportMenu.h"
#include "window/Unit1.h"

class CommandTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    messages_.clear();
    form_->SetMessageSink([this](const std::string& text) { messages_.push_back(QString::fromStdString(text)); });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    // The progress dialog at the first report, so that events are dispatched inside every Calc.
    form_->SetProgressDelay(0);
  }
  void cleanup() { form_.reset(); }

  // Runs `inside` from the event dispatch of the next Calc, then that Calc to its end.
  void CalcWith(const std::function<void()>& inside) {
    bool ran = false;
    QTimer::singleShot(0, form_.get(), [&] {
      if (ran || !form_->CommandRunning()) return;
      ran = true;
      inside();
    });
    form_->Button1Click();
    QVERIFY(ran);
  }

  // Thousands of Calc requests during a Calc start nothing inside it and collapse into one more Calc.
  void requestsDuringACalcCollapseIntoOne() {
    const uint64_t before = state_->Generation;
    uint64_t inside = 0;
    CalcWith([&] {
      for (int i = 0; i < 3000; ++i) form_->Button1->click();
      inside = state_->Generation;
    });
    QCOMPARE(inside, before + 1);  // only the running Calc had started
    QCOMPARE(state_->Generation, before + 1);
    QTRY_COMPARE(state_->Generation, before + 2);  // the one pending Calc, from the event loop
    QTest::qWait(50);
    QCOMPARE(state_->Generation, before + 2);
    QVERIFY(!form_->CommandRunning());
    QVERIFY(form_->LastCalc().has_value());
    QCOMPARE(form_->LastCalc()->Generation, state_->Generation);
    QCOMPARE(messages_, QStringList{});
  }

  // The user's clicks, keys and slider moves during a Calc are dropped: the fields, the slider and
  // the state the Calc records stay as they were when it started.
  void inputDuringACalcIsDropped() {
    const uint64_t before = state_->Generation;
    const QString estimate = form_->Label20->text();
    CalcWith([&] {
      QTest::mouseClick(form_->Button1, Qt::LeftButton);
      QTest::keyClicks(form_->Edit1, "77");
      QTest::keyClick(form_->TrackBarShelbGain, Qt::Key_Up);
      QTest::mouseClick(form_->Button5, Qt::LeftButton);
    });
    QTest::qWait(50);
    QCOMPARE(state_->Generation, before + 1);
    QCOMPARE(form_->Edit1->text(), QString("901"));
    QCOMPARE(form_->TrackBarShelbGain->value(), 6);
    QCOMPARE(form_->LastCalc()->SliderPosition, 6);
    QCOMPARE(form_->Label20->text(), estimate);
    // Afterwards the same input works as always.
    QTest::keyClick(form_->TrackBarShelbGain, Qt::Key_Up);
    QCOMPARE(form_->TrackBarShelbGain->value(), 5);
  }

  // A slider moved by the program during a Calc applies after it; what is exported stays the Calc's.
  void aSliderChangeDuringACalcComesAfterIt() {
    CalcWith([&] { form_->TrackBarShelbGain->setValue(0); });
    QCOMPARE(form_->LastCalc()->ShelfCutDb, 0);
    QTRY_COMPARE(state_->ShelfCutDb, 6);
    QCOMPARE(form_->LabelShelbDb->text(), QString("+6dB"));
    QTemporaryDir dir;
    QVERIFY(ExportFiltersTo(*form_, dir.path(), "xo", FilterFormat::Text));
    QFile sum(dir.filePath("xo-sum.txt"));
    QVERIFY(sum.open(QIODevice::ReadOnly));
    QCOMPARE(sum.readAll().count('\n'), 901);  // the bare bands the Calc designed and the graph shows
  }

  // No export starts inside a Calc; closing the window waits for the Calc to end.
  void exportAndCloseDuringACalc() {
    form_->Button1Click();
    QTemporaryDir dir;
    bool exported = true;
    CalcWith([&] {
      exported = ExportCurvesTo(*form_, dir.filePath("c.csv"));
      form_->close();
      QVERIFY(form_->isVisible());
    });
    QVERIFY(!exported);
    QVERIFY(QDir(dir.path()).isEmpty());
    QTRY_VERIFY(!form_->isVisible());
  }

  // Cancel in the progress dialog of an export keeps the set the directory held, file for file.
  void cancellingAnExportKeepsTheOldSet() {
    form_->SetProgressDelay(60000);
    form_->Button1Click();
    QTemporaryDir dir;
    QVERIFY(ExportFiltersTo(*form_, dir.path(), "xo", FilterFormat::Text));
    auto contents = [&] {
      QMap<QString, QByteArray> files;
      for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly)) files[name] = file.readAll();
      }
      return files;
    };
    const auto before = contents();
    QCOMPARE(before.size(), 6);

    form_->TrackBarShelbGain->setValue(0);
    form_->Button1Click();
    form_->SetProgressDelay(0);
    QString label;
    QTimer::singleShot(0, form_.get(), [&] {
      QVERIFY(form_->Progress() != nullptr);
      label = form_->Progress()->labelText();
      form_->Progress()->cancel();
    });
    QVERIFY(!ExportFiltersTo(*form_, dir.path(), "xo", FilterFormat::Text));
    QCOMPARE(label, QString::fromUtf8("書き出し中… Exporting…"));
    QCOMPARE(contents(), before);
    QCOMPARE(messages_, QStringList{});
    QVERIFY(form_->Progress() == nullptr);
    QVERIFY(!form_->CommandRunning());

    form_->SetProgressDelay(60000);  // and without Cancel the new set replaces it whole
    QVERIFY(ExportFiltersTo(*form_, dir.path(), "xo", FilterFormat::Text));
    QCOMPARE(contents().size(), 6);
    QVERIFY(contents()["xo-sum.txt"] != before["xo-sum.txt"]);
  }

  // Typed text that looks like markup shows as typed.
  void messageBoxesShowPlainText() {
    form_->SetMessageSink(nullptr);
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, form_.get(), [&] {
      auto* box = form_->findChild<QMessageBox*>("MessageBox");
      QVERIFY(box != nullptr);
      format = box->textFormat();
      for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text().contains("9")) shown = label->text(), format = std::min(format, label->textFormat());
      }
      box->accept();
    });
    form_->Edit1->setText("<b>9</b><br>x");
    form_->SetProgressDelay(60000);
    form_->Button1Click();
    QCOMPARE(shown, QString::fromUtf8("'<b>9</b><br>x' は整数ではありません"));
    QCOMPARE(format, Qt::PlainText);
  }

 private:
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
  QStringList messages_;
};

QTEST_MAIN(CommandTest)
#include "CommandTest.moc"
