#include "window/Appearance.h"

#include <QFont>
#include <QMessageBox>
#include <cmath>

namespace {

// Text that can be read on a background, the level the WCAG ask of body text.
constexpr double cReadableContrast = 4.5;

double RelativeLuminance(const QColor& colour) {
  auto linear = [](double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  const QColor rgb = colour.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

FieldColours FieldColoursFor(const QPalette& palette) {
  const QColor text = palette.color(QPalette::Active, QPalette::Text);
  const QColor white(255, 255, 255);
  // White where the palette's text reads on it (every light theme); the palette's own base where it
  // does not (a dark theme, whose text is light).
  const QColor editable = ContrastRatio(text, white) >= cReadableContrast ? white : palette.color(QPalette::Active, QPalette::Base);
  QColor locked = palette.color(QPalette::Active, QPalette::Midlight);
  if (ContrastRatio(text, locked) < cReadableContrast) locked = palette.color(QPalette::Active, QPalette::AlternateBase);
  if (ContrastRatio(text, locked) < cReadableContrast) locked = editable;
  return {editable, locked, text};
}

QPalette DarkDesktopPalette() {
  const QColor window(53, 53, 53), base(42, 42, 42), text(230, 230, 230);
  QPalette palette(text, window, window.lighter(150), window.darker(200), window.darker(130), text,
                   QColor(255, 255, 255), base, window);
  palette.setColor(QPalette::Midlight, window.lighter(125));
  palette.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
  palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
  palette.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
  palette.setColor(QPalette::ToolTipBase, window);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
  return palette;
}

SurfaceColours SurfaceColoursFor(const QPalette& palette) {
  return {palette.color(QPalette::Active, QPalette::Window), palette.color(QPalette::Active, QPalette::WindowText)};
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& title, const std::string& text,
                                            const QFont& font) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title,
                                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                                           QMessageBox::Ok, parent);
  box->setObjectName(QStringLiteral("MessageBox"));
  box->setTextFormat(Qt::PlainText);
  box->setFont(font);
  return box;
}
