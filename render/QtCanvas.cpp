#include "render/QtCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdlib>

namespace {

// Offset along the minor axis after `step` steps of a line with `major` steps along its major axis
// and `minor` along the other: step·minor/major rounded, halves away from the start. The product
// needs up to 66 bits for lines spanning the whole int range.
int64_t MinorOffset(int64_t step, int64_t major, int64_t minor) {
  const __int128 numerator = static_cast<__int128>(2) * step * minor + major;
  return static_cast<int64_t>(numerator / (static_cast<__int128>(2) * major));
}

}  // namespace

QColor ToQColor(Colour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

Colour FromQColor(const QColor& colour) {
  return static_cast<Colour>(colour.red()) | static_cast<Colour>(colour.green()) << 8 |
         static_cast<Colour>(colour.blue()) << 16;
}

QtImageCanvas::QtImageCanvas(QImage& image, const QFont& font, const QColor& textColour)
    : image_(image), font_(font), text_(textColour), pen_(ToQColor(Black)), brush_(ToQColor(White)) {}

void QtImageCanvas::SetTextColor(const QColor& colour) { text_ = colour; }

void QtImageCanvas::SetPenColor(Colour colour) { pen_ = ToQColor(colour); }

void QtImageCanvas::SetPenStyle(PenStyle style) { style_ = style; }

void QtImageCanvas::SetBrushColor(Colour colour) { brush_ = ToQColor(colour); }

void QtImageCanvas::MoveTo(int x, int y) {
  x_ = x;
  y_ = y;
  dotPhase_ = 0;
}

void QtImageCanvas::LineTo(int x, int y) {
  dotPhase_ = DrawSegment(x_, y_, x, y, dotPhase_);
  x_ = x;
  y_ = y;
}

void QtImageCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (x2 <= x1 || y2 <= y1) return;
  const int64_t left = std::max<int64_t>(x1, 0);
  const int64_t top = std::max<int64_t>(y1, 0);
  const int64_t right = std::min<int64_t>(x2, image_.width());
  const int64_t bottom = std::min<int64_t>(y2, image_.height());
  for (int64_t y = top; y < bottom; ++y)
    for (int64_t x = left; x < right; ++x) image_.setPixelColor(static_cast<int>(x), static_cast<int>(y), brush_);

  // The outline runs once round the covered area's border pixels, the dot pattern continuing round it.
  const int64_t lastX = int64_t{x2} - 1;
  const int64_t lastY = int64_t{y2} - 1;
  if (lastX == x1 || lastY == y1) {
    const int64_t phase = DrawSegment(x1, y1, lastX, lastY, 0);
    PlotPen(lastX, lastY, phase);
    return;
  }
  int64_t phase = DrawSegment(x1, y1, lastX, y1, 0);
  phase = DrawSegment(lastX, y1, lastX, lastY, phase);
  phase = DrawSegment(lastX, lastY, x1, lastY, phase);
  DrawSegment(x1, lastY, x1, y1, phase);
}

void QtImageCanvas::TextOut(int x, int y, const std::string& utf8Text) {
  const QString text = QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size()));
  QPainter painter(&image_);
  painter.setFont(font_);
  const QFontMetrics metrics = painter.fontMetrics();
  const int64_t width = metrics.horizontalAdvance(text);
  const int64_t height = metrics.height();
  // A cell wholly off the image draws nothing; one that reaches into it has coordinates near its area,
  // where QPainter's int arithmetic is safe.
  if (x >= image_.width() || y >= image_.height() || x + width <= 0 || y + height <= 0) return;
  painter.fillRect(QRect(x, y, static_cast<int>(width), static_cast<int>(height)), brush_);
  painter.setPen(text_);
  painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

void QtImageCanvas::PlotPen(int64_t x, int64_t y, int64_t phase) {
  if (style_ == PenStyle::Dot && phase % 2 != 0) return;
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  image_.setPixelColor(static_cast<int>(x), static_cast<int>(y), pen_);
}

int64_t QtImageCanvas::DrawSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase) {
  const int64_t dx = x1 - x0;
  const int64_t dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
  const int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
  if (major == 0) return phase;
  const int64_t majorStart = xMajor ? x0 : y0;
  const int64_t minorStart = xMajor ? y0 : x0;
  const int64_t majorSign = (xMajor ? dx : dy) > 0 ? 1 : -1;
  const int64_t minorSign = (xMajor ? dy : dx) >= 0 ? 1 : -1;
  const int64_t majorLimit = xMajor ? image_.width() : image_.height();
  const int64_t minorLimit = xMajor ? image_.height() : image_.width();

  // Steps 0 .. major-1 are drawn. Keep those whose major coordinate lies on the image...
  int64_t first = 0;
  int64_t last = major - 1;
  if (majorSign > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorLimit - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - (majorLimit - 1));
    last = std::min(last, majorStart);
  }
  // ...then, the minor offset growing monotonically with the step, those whose minor coordinate does.
  const int64_t lowestOffset = minorSign > 0 ? -minorStart : minorStart - (minorLimit - 1);
  const int64_t highestOffset = minorSign > 0 ? minorLimit - 1 - minorStart : minorStart;
  if (first <= last) {
    int64_t low = first, high = last + 1;
    while (low < high) {
      const int64_t mid = low + (high - low) / 2;
      if (MinorOffset(mid, major, minor) >= lowestOffset) high = mid;
      else low = mid + 1;
    }
    first = low;
    low = first - 1, high = last;
    while (low < high) {
      const int64_t mid = high - (high - low) / 2;
      if (MinorOffset(mid, major, minor) <= highestOffset) low = mid;
      else high = mid - 1;
    }
    last = low;
  }
  for (int64_t step = first; step <= last; ++step) {
    const int64_t along = majorStart + majorSign * step;
    const int64_t across = minorStart + minorSign * MinorOffset(step, major, minor);
    PlotPen(xMajor ? along : across, xMajor ? across : along, phase + step);
  }
  return (phase + major) % 2;
}
