#pragma once

#include <QObject>
#include <functional>

class QWidget;

// One command of the window at a time. A command (Calc, a redraw, an export) may dispatch pending
// events so that the window keeps painting and its progress dialog answers; while it runs, the
// user's input to the window (mouse, keys, wheel, closing it) is dropped, so nothing can start a
// second command inside the first or change the fields under it. Dialogs of their own (the progress
// dialog, a message box) still get their input. Closing the window meanwhile is remembered and done
// once the command has returned.
class CommandGuard : public QObject {
 public:
  explicit CommandGuard(QWidget& window);

  // Runs `command` unless one is already running; returns whether it ran. Whatever `command` raises
  // passes through, the guard released.
  bool Run(const std::function<void()>& command);
  bool Running() const { return running_; }

  // Controls whose input still reaches them while a command runs (live update lets the design's
  // fields, slider and coupling box through, so that a newer edit can cancel the running Calc).
  // Empty: every control of the window is held off.
  void SetPassThrough(std::function<bool(const QWidget*)> passes) { passThrough_ = std::move(passes); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  bool running_ = false;
  bool closeRequested_ = false;
  std::function<bool(const QWidget*)> passThrough_;
};
