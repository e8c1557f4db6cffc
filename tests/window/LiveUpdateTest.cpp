// Live update: off by default (the window as it always was); when on, edits recalculate after a
// pause, a newer edit cancels the running Calc, and messages go to the status bar.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStatusBar>
#include <QtTest>
#include <memory>

#include "pipeline/DesignState.h"
#include "window/LiveUpdate.h"
#include "window/Unit1.h"

class LiveUpdateTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    state_ = std::make_unique<DesignState>();
    form_ = std::make_unique<TForm1>(*state_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    outcomes_.clear();
    form_->AddCalcListener([this](const CalcOutcome& outcome) { outcomes_.push_back(outcome.Status); });
    live_ = LiveUpdateOf(*form_);
    live_->SetPause(20);
  }
  void cleanup() { form_.reset(); }

  // Off: the item is there, unchecked; edits recalculate nothing and no status bar shows.
  void offByDefault() {
    QVERIFY(live_->Action() != nullptr);
    QCOMPARE(live_->Action()->text(), QString("Live update"));
    QVERIFY(live_->Action()->isCheckable());
    QVERIFY(!live_->Action()->isChecked());
    QVERIFY(!form_->Live());
    QVERIFY(form_->statusBar()->isHidden());
    const uint64_t before = state_->Generation;
    QTest::keyClicks(form_->Edit1, "1");
    QTest::qWait(100);
    QCOMPARE(state_->Generation, before);
  }

  // On: a typed tap count is recalculated after the pause, the client area stays where and as large
  // as it was, and the status bar below it says what happened.
  void editsRecalculateAfterAPause() {
    const QRect clientBefore = form_->Client()->geometry();
    const QPoint clientAt = form_->Client()->mapTo(form_.get(), QPoint(0, 0));
    const int heightBefore = form_->height();
    live_->Action()->trigger();
    QVERIFY(form_->Live());
    QVERIFY(form_->statusBar()->isVisible());
    QCOMPARE(form_->Client()->geometry(), clientBefore);
    QCOMPARE(form_->Client()->mapTo(form_.get(), QPoint(0, 0)), clientAt);
    QCOMPARE(form_->height(), heightBefore + form_->statusBar()->sizeHint().height());
    QVERIFY(form_->statusBar()->geometry().top() >= form_->Client()->mapTo(form_.get(), QPoint(0, 599)).y());

    form_->Edit1->selectAll();
    QTest::keyClicks(form_->Edit1, "1000");
    QTRY_VERIFY(form_->LastCalc().has_value());
    QCOMPARE(form_->Edit1->text(), QString("1001"));  // made odd, as by Calc
    QCOMPARE(outcomes_, std::vector<CalcStatus>{CalcStatus::Completed});
    QCOMPARE(form_->statusBar()->currentMessage(), QString("Updated: 1001 taps per filter"));

    // The slider recalculates too: the cascades, 1001 + 1204 taps.
    form_->TrackBarShelbGain->setValue(3);
    QTRY_COMPARE(outcomes_.size(), size_t{2});
    QCOMPARE(form_->LastCalc()->ShelfCutDb, 3);
    QCOMPARE(form_->statusBar()->currentMessage(), QString("Updated: 2205 taps per filter"));

    // So does a new sampling rate, though it changes no field; the estimate follows it too.
    const QString estimate = form_->Label20->text();
    form_->SetRateHz(96000);
    QTRY_COMPARE(outcomes_.size(), size_t{3});
    QCOMPARE(form_->LastCalc()->RateHz, 96000);
    QTRY_VERIFY(form_->Label20->text() != estimate);
  }

  // A field the Calc refuses shows its message in the status bar, not in a box; the estimate fields
  // rerun the estimate.
  void messagesGoToTheStatusBar() {
    live_->SetEnabled(true);
    form_->Edit9->selectAll();
    QTest::keyClicks(form_->Edit9, "abc");
    QTRY_COMPARE(outcomes_.size(), size_t{1});
    QCOMPARE(outcomes_[0], CalcStatus::Failed);
    QCOMPARE(form_->statusBar()->currentMessage(), QString::fromUtf8("'abc' は整数ではありません"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    const QString estimate = form_->Label20->text();
    form_->Edit7->selectAll();
    QTest::keyClicks(form_->Edit7, "1500");
    QTRY_VERIFY(form_->Label20->text() != estimate);
  }

  // An edit that arrives while a Calc runs cancels it; the next Calc reads the edited fields.
  void aNewerEditCancelsTheRunningCalc() {
    live_->SetEnabled(true);
    const uint64_t before = state_->Generation;
    bool edited = false;
    QTimer::singleShot(0, form_.get(), [&] {
      if (!form_->CommandRunning()) return;
      edited = true;
      form_->Edit9->selectAll();
      QTest::keyClicks(form_->Edit9, "401");
    });
    form_->Button1Click();
    QVERIFY(edited);
    QCOMPARE(outcomes_, std::vector<CalcStatus>{CalcStatus::Cancelled});
    QVERIFY(!form_->LastCalc().has_value());
    QTRY_COMPARE(outcomes_.size(), size_t{2});
    QCOMPARE(outcomes_[1], CalcStatus::Completed);
    QCOMPARE(state_->Generation, before + 2);
    QCOMPARE(form_->Edit9->text(), QString("401"));
    bool midRead = false;
    for (const auto& [field, text] : form_->LastCalc()->FieldTexts)
      if (field == Field::Edit9) midRead = text == "401";
    QVERIFY(midRead);
  }

  // Switched off again: the status bar goes, the window takes its old height, and input during a
  // command is held off again.
  void offAgainRestoresTheWindow() {
    const int heightBefore = form_->height();
    live_->SetEnabled(true);
    live_->SetEnabled(false);
    QVERIFY(!live_->Action()->isChecked());
    QVERIFY(form_->statusBar()->isHidden());
    QCOMPARE(form_->height(), heightBefore);
    QStringList messages;
    form_->SetMessageSink([&](const std::string& text) { messages << QString::fromStdString(text); });
    form_->SetProgressDelay(0);
    QTimer::singleShot(0, form_.get(), [&] {
      if (form_->CommandRunning()) QTest::keyClicks(form_->Edit9, "7");
    });
    form_->Button1Click();
    QCOMPARE(outcomes_, std::vector<CalcStatus>{CalcStatus::Completed});
    QCOMPARE(form_->Edit9->text(), QString("701"));
  }

 private:
  std::unique_ptr<DesignState> state_;
  std::unique_ptr<TForm1> form_;
  LiveUpdate* live_ = nullptr;
  std::vector<CalcStatus> outcomes_;
};

QTEST_MAIN(LiveUpdateTest)
#include "LiveUpdateTest.moc"
