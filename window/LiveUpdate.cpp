#include "window/LiveUpdate.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>

#include "pipeline/CalcOutcome.h"
#include "window/CommandGuard.h"
#include "window/Unit1.h"

namespace {

constexpr int DefaultPauseMs = 300;

}  // namespace

QMenu* ViewMenuOf(TForm1& form) {
  if (auto* menu = form.menuBar()->findChild<QMenu*>(QStringLiteral("ViewMenu"))) return menu;
  QMenu* menu = form.menuBar()->addMenu(QStringLiteral("View"));
  menu->setObjectName(QStringLiteral("ViewMenu"));
  return menu;
}

LiveUpdate::LiveUpdate(TForm1& form, QMenu* viewMenu) : QObject(&form), form_(form) {
  setObjectName(QStringLiteral("LiveUpdate"));
  action_ = viewMenu->addAction(QStringLiteral("Live update"));
  action_->setObjectName(QStringLiteral("ActionLiveUpdate"));
  action_->setCheckable(true);
  connect(action_, &QAction::toggled, this, [this](bool on) { SetEnabled(on); });

  for (QTimer* timer : {&calcTimer_, &estimateTimer_}) {
    timer->setSingleShot(true);
    timer->setInterval(DefaultPauseMs);
  }
  connect(&calcTimer_, &QTimer::timeout, this, [this] {
    if (enabled_) form_.Button1Click();
  });
  connect(&estimateTimer_, &QTimer::timeout, this, [this] {
    if (enabled_) form_.Button5Click();
  });

  for (QLineEdit* edit : {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit9, form.Edit10,
                          form.EditShelbL, form.EditShelbH, form.Edit8})
    connect(edit, &QLineEdit::textEdited, this, [this] { DesignEdited(); });
  for (QLineEdit* edit : {form.Edit6, form.Edit7, form.Edit8})
    connect(edit, &QLineEdit::textEdited, this, [this] { EstimateEdited(); });
  connect(form.TrackBarShelbGain, &QSlider::valueChanged, this, [this] { DesignEdited(); });
  connect(form.CheckBox3, &QCheckBox::clicked, this, [this] { DesignEdited(); });
  // The rate changes no field, but the design and the estimate both depend on it.
  form.AddRateListener([this](int) {
    DesignEdited();
    EstimateEdited();
  });

  form.AddCalcListener([this](const CalcOutcome& outcome) {
    if (!enabled_) return;
    switch (outcome.Status) {
      case CalcStatus::Completed: ShowCompleted(); break;
      case CalcStatus::Cancelled: form_.statusBar()->showMessage(QStringLiteral("Recalculating…")); break;
      // A refusal or a failure has put its message in the status bar already.
      case CalcStatus::Refused:
      case CalcStatus::Failed: break;
    }
  });
}

void LiveUpdate::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  action_->setChecked(enabled);
  calcTimer_.stop();
  estimateTimer_.stop();
  // The design's controls may take input during a Calc only while a newer edit is to cancel it.
  if (enabled) {
    form_.Guard().SetPassThrough([this](const QWidget* widget) {
      for (const QWidget* control :
           std::initializer_list<const QWidget*>{form_.Edit1, form_.Edit2, form_.Edit3, form_.Edit4, form_.Edit5,
                                                 form_.Edit9, form_.Edit10, form_.EditShelbL, form_.EditShelbH,
                                                 form_.Edit6, form_.Edit7, form_.Edit8, form_.TrackBarShelbGain,
                                                 form_.CheckBox3})
        if (widget == control) return true;
      return false;
    });
  } else {
    form_.Guard().SetPassThrough({});
  }
  form_.SetLive(enabled);
  if (enabled) form_.statusBar()->showMessage(QStringLiteral("Live update: edits recalculate after a pause."));
}

void LiveUpdate::SetPause(int milliseconds) {
  calcTimer_.setInterval(milliseconds);
  estimateTimer_.setInterval(milliseconds);
}

void LiveUpdate::DesignEdited() {
  if (!enabled_) return;
  // The running Calc read fields that have changed since: it stops at its next report.
  if (form_.CommandRunning()) form_.RequestCancel();
  calcTimer_.start();
}

void LiveUpdate::EstimateEdited() {
  if (!enabled_) return;
  estimateTimer_.start();
}

void LiveUpdate::ShowCompleted() {
  const CalcRecord* record = form_.LastCalc() ? &*form_.LastCalc() : nullptr;
  if (!record) return;
  const int32_t taps = record->Cascaded ? record->CascadeLength : record->TotalTaps;
  form_.statusBar()->showMessage(QStringLiteral("Updated: %1 taps per filter").arg(taps));
}

LiveUpdate* LiveUpdateOf(TForm1& form) {
  if (QObject* live = form.findChild<QObject*>(QStringLiteral("LiveUpdate"), Qt::FindDirectChildrenOnly))
    return static_cast<LiveUpdate*>(live);
  return new LiveUpdate(form, ViewMenuOf(form));
}
