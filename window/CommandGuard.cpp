#include "window/CommandGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

CommandGuard::CommandGuard(QWidget& window) : QObject(&window), window_(window) {}

bool CommandGuard::Run(const std::function<void()>& command) {
  if (running_) return false;
  running_ = true;
  QCoreApplication::instance()->installEventFilter(this);
  struct Release {
    CommandGuard& guard;
    ~Release() {
      QCoreApplication::instance()->removeEventFilter(&guard);
      guard.running_ = false;
      if (guard.closeRequested_) {
        guard.closeRequested_ = false;
        // From the event loop, not from inside the handler that ran the command.
        QTimer::singleShot(0, &guard.window_, [window = &guard.window_] { window->close(); });
      }
    }
  } release{*this};
  command();
  return true;
}

bool CommandGuard::eventFilter(QObject* watched, QEvent* event) {
  if (!running_ || !watched->isWidgetType()) return false;
  QWidget* widget = static_cast<QWidget*>(watched);
  // Only the window's own controls: a dialog opened meanwhile is a window of its own.
  if (widget->window() != &window_) return false;
  if (event->type() == QEvent::Close && widget == &window_) {
    closeRequested_ = true;
    event->ignore();
    return true;
  }
  if (!IsUserInput(event->type())) return false;
  return !(passThrough_ && passThrough_(widget));
}
