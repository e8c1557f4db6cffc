#pragma once

#include <QColor>
#include <QPalette>
#include <memory>
#include <string>

class QFont;
class QMessageBox;
class QWidget;

// The colours the window takes from the desktop palette, each from one rule, so that a dark desktop
// theme reads as well as a light one. Under a light palette they are the layout's own: editable
// fields white, read-only ones in the 3D-light colour, text in the palette's text colour.
struct FieldColours {
  QColor editableBase;  // background of an editable field
  QColor lockedBase;    // background of a read-only field (3D-light)
  QColor text;          // text of both
};
FieldColours FieldColoursFor(const QPalette& palette);

// The surface of the axis labels: the button face behind the window-text colour.
struct SurfaceColours {
  QColor background;
  QColor text;
};
SurfaceColours SurfaceColoursFor(const QPalette& palette);

// A dark desktop palette of the usual kind (light text on dark grey), for looking at the window the
// way users of dark themes see it: firxover-snapshot --dark and the tests.
QPalette DarkDesktopPalette();

// The contrast ratio of two colours, 1 (none) to 21 (black on white), as the WCAG define it.
double ContrastRatio(const QColor& a, const QColor& b);

// The window's message box: one OK button, the text shown as it stands (never as rich text), in the
// window's own font so that every message looks alike. Shown with exec() by the caller.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& title, const std::string& text,
                                            const QFont& font);
