// The real window offscreen under a few hundred random edits and clicks from a fixed random start
// value: every message is one of the tool's texts, the cursor always comes back, the coupled fields
// and the cut label always agree with their controls, and at the end the window still designs.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <cmath>
#include <random>

#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/DesignState.h"
#include "window/Unit1.h"

namespace {

constexpr int ActionCount = 300;
constexpr unsigned RandomStart = 20240611;

// Texts a user might type. Tap counts stay small or are far beyond the tap limit, so that every
// Calc is short; the rest covers signs, exponents, blanks, commas and plain garbage.
const char* const Typed[] = {
    "31",   "61",   "0",    "1",     "-1",    "2",       "-7",          "2147483647", "1073741824", "100000000",
    "",     " ",    "abc",  "300.5", "1e400", "1e-400",  "-0",          "+15",        "2e3",        "1,5",
    "40",   "39.99", "200", "800",   "80",    "400",     "1e308",       "22050",      "11025",      "2000",
    "300",  "144",  "8",    "1e8",   "-300",  "99999999999", "0x10",    " 51 ",       "nan",        "inf",
};

bool Finite(const DesignState& state) {
  for (const ResponseCurve* curve : {&state.LowMag, &state.MidMag, &state.HighMag, &state.SumMag, &state.LowDb,
                                     &state.MidDb, &state.HighDb, &state.SumDb}) {
    for (double v : *curve) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

}  // namespace

class RobustnessTest : public QObject {
  Q_OBJECT

 private slots:
  void randomEditsAndClicks() {
    DesignState state;
    TForm1 form(state);
    QStringList unknown;
    int messageCount = 0;
    QString lastMessage;
    form.SetMessageSink([&](const std::string& text) {
      ++messageCount;
      lastMessage = QString::fromStdString(text);
      if (!IsToolText(form, text)) unknown << QString::fromStdString(text);
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QLineEdit* const edits[] = {form.Edit1, form.Edit2, form.Edit3, form.Edit4,  form.Edit5,      form.Edit6,
                                form.Edit7, form.Edit8, form.Edit9, form.Edit10, form.EditShelbL, form.EditShelbH};
    QCheckBox* const boxes[] = {form.CheckBox1, form.CheckBox2, form.CheckBox3};
    const Qt::Key sliderKeys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};

    std::mt19937 random(RandomStart);
    const auto pick = [&random](int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); };
    int calcs = 0;
    for (int action = 0; action < ActionCount; ++action) {
      switch (pick(8)) {
        case 0:
        case 1:
        case 2: {
          // Typing replaces the whole text; a read-only field takes none of it.
          QLineEdit* edit = edits[pick(std::size(edits))];
          const QString before = edit->text();
          QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
          QTest::keyClicks(edit, QString::fromLatin1(Typed[pick(std::size(Typed))]));
          if (edit->isReadOnly()) QCOMPARE(edit->text(), before);
          break;
        }
        case 3:
          QTest::mouseClick(form.Button1, Qt::LeftButton);
          ++calcs;
          break;
        case 4:
          QTest::mouseClick(form.Button5, Qt::LeftButton);
          break;
        case 5:
        case 6: {
          QCheckBox* box = boxes[pick(std::size(boxes))];
          QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
          break;
        }
        case 7:
          QTest::keyClick(form.TrackBarShelbGain, sliderKeys[pick(std::size(sliderKeys))]);
          break;
      }
      // What holds after every event, whatever it was.
      QVERIFY2(QApplication::overrideCursor() == nullptr, qPrintable(QString("busy cursor after action %1").arg(action)));
      QCOMPARE(form.LabelShelbDb->text(), QString("+%1dB").arg(6 - form.TrackBarShelbGain->value()));
      const bool coupled = form.CheckBox3->isChecked();
      QCOMPARE(form.Edit2->isReadOnly(), coupled);
      QCOMPARE(form.Edit3->isReadOnly(), coupled);
      QVERIFY(form.Edit8->isReadOnly());
      QVERIFY2(Finite(state), qPrintable(QString("NaN or infinity after action %1").arg(action)));
      QVERIFY(form.isVisible());
    }
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(" | ")));
    QVERIFY(calcs > 0);
    QVERIFY(messageCount > 0);
    qInfo("%d actions, %d Calc presses, %d messages", ActionCount, calcs, messageCount);

    // Still responding: a known design from clean fields gives its known labels. Coupling afresh
    // copies the clean mid-band edges into the read-only crossover fields.
    const int before = messageCount;
    for (QLineEdit* edit : {form.Edit1, form.Edit9, form.Edit10}) edit->setText("31");
    form.Edit5->setText("300");
    form.Edit4->setText("2000");
    if (form.CheckBox3->isChecked()) QTest::mouseClick(form.CheckBox3, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseClick(form.CheckBox3, Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(form.CheckBox3->isChecked());
    QCOMPARE(form.Edit2->text(), QString("300"));
    form.EditShelbL->setText("200");
    form.EditShelbH->setText("800");
    QTest::keyClick(form.TrackBarShelbGain, Qt::Key_End);  // position 6, no shelving
    form.CheckBox1->setChecked(true);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QVERIFY2(messageCount == before, qPrintable(lastMessage));
    QCOMPARE(form.Label28->text(), QString("Total Ntap = 31"));
    QCOMPARE(form.Label21->text(), QString::fromUtf8("振幅係数の最大値：CMax = ") +
                                       QString::number(ComputeCMax(state), 'f', 6));
    QCOMPARE(form.LabelShelbDb->text(), QString("+0dB"));
    QCOMPARE(state.TotalTaps, 31);
    for (int i = 1; i <= GridPointCount; ++i) QVERIFY(std::fabs(state.SumMag[i] - 1.0) < 1e-9);
    QTest::keyClick(form.TrackBarShelbGain, Qt::Key_Home);  // position 0, 6 dB
    QCOMPARE(form.Label28->text(), QString("Total Ntap = 1235"));
    QCOMPARE(form.LabelShelbDb->text(), QString("+6dB"));
  }

 private:
  // One of the tool's own texts: a fixed message, or a conversion message quoting a field's text.
  static bool IsToolText(const TForm1& form, const std::string& text) {
    for (const char* fixed : {Messages::RangeCheck, Messages::ZeroDivide, Messages::InvalidOperation, Messages::Overflow,
                              Messages::FftLength, Messages::ShelfF1TooLow, Messages::ShelfF2TooLow}) {
      if (text == fixed) return true;
    }
    for (int i = 0; i < FieldCount; ++i) {
      const std::string fieldText = form.Text(static_cast<Field>(i));
      if (text == Messages::NotInteger(fieldText) || text == Messages::NotReal(fieldText)) return true;
    }
    return false;
  }
};

QTEST_MAIN(RobustnessTest)
#include "RobustnessTest.moc"
