#pragma once

#include <QObject>
#include <QTimer>

class QAction;
class QMenu;
class TForm1;

// "Live update": while on, every edit of a design field, move of the shelving slider and click of the
// coupling box recalculates once the user pauses; an edit during a running Calc cancels it, and the
// next Calc starts from the fields as they then stand. The estimate fields rerun the length estimate.
// Messages go to a status bar below the client area instead of message boxes. Off by default: the
// window then behaves as it always has.
class LiveUpdate : public QObject {
 public:
  // Adds the checkable "Live update" item to `viewMenu`.
  LiveUpdate(TForm1& form, QMenu* viewMenu);

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  QAction* Action() const { return action_; }
  // The pause after the last edit before recalculating, in milliseconds.
  void SetPause(int milliseconds);

 private:
  void DesignEdited();
  void EstimateEdited();
  void ShowCompleted();

  TForm1& form_;
  QAction* action_;
  QTimer calcTimer_;
  QTimer estimateTimer_;
  bool enabled_ = false;
  int calcsStarted_ = 0;
};

// The form's "View" menu, made on first use.
QMenu* ViewMenuOf(TForm1& form);

// The window's live update, made with its View menu.
LiveUpdate* LiveUpdateOf(TForm1& form);
