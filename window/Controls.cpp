#include "window/Controls.h"

#include <QPainter>
#include <QStyleOptionSlider>
#include <QStylePainter>

ShelfSlider::ShelfSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {
  // Position 0 at the top; the down arrow moves the thumb down, to a larger position.
  setInvertedAppearance(true);
  setInvertedControls(true);
}

void ShelfSlider::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
  if (tickPosition() != NoTicks) option.subControls |= QStyle::SC_SliderTickmarks;
  // Styles fill the groove on the side of the minimum. Drawn as the mirror image (the maximum at the
  // top, the value mirrored) the thumb lands on the same pixel and the fill lies below it; tick
  // marks are symmetric, and hit-testing keeps the real geometry.
  option.upsideDown = !option.upsideDown;
  option.sliderPosition = option.maximum - (option.sliderPosition - option.minimum);
  option.sliderValue = option.maximum - (option.sliderValue - option.minimum);
  painter.drawComplexControl(QStyle::CC_Slider, option);
}

CaptionedGroupBox::CaptionedGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

int CaptionedGroupBox::FrameTop() const { return fontMetrics().height() / 2; }

void CaptionedGroupBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  const int top = FrameTop();
  const QRect frame = rect().adjusted(0, top, -1, -1);
  // Etched: a dark line with a light one inside and to its lower right.
  painter.setPen(colours.color(QPalette::Mid));
  painter.drawRect(frame.adjusted(0, 0, -1, -1));
  painter.setPen(colours.color(QPalette::Light));
  painter.drawRect(frame.adjusted(1, 1, 0, 0));
  // The caption on the frame, on the window's background.
  const QFontMetrics metrics = fontMetrics();
  const QRect caption(8, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
  painter.fillRect(caption, colours.color(QPalette::Window));
  painter.setPen(colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(caption, Qt::AlignCenter, title());
}
