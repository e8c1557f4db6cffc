#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <cstdint>
#include <string>

#include "display/Canvas.h"

// The Qt colour of a 0x00BBGGRR colour, and back (alpha dropped).
QColor ToQColor(Colour colour);
Colour FromQColor(const QColor& colour);

// A Canvas over a QImage that the caller owns and keeps alive. Lines and frames are rasterised pixel
// by pixel (Bresenham), clipped to the image in 64-bit arithmetic so that any int coordinate is legal;
// the dotted pen is one pixel on, one pixel off, starting on at the current position and running on
// across consecutive LineTo calls until the next MoveTo. Texts go through QPainter in the given font
// and text colour (the window-text colour: black unless the desktop palette says otherwise), on an
// opaque cell of the brush colour; a QGuiApplication must exist. The pen starts solid black and the
// brush white; for the window's label layer the caller sets the brush to the window colour.
class QtImageCanvas : public Canvas {
 public:
  QtImageCanvas(QImage& image, const QFont& font, const QColor& textColour = QColor(0, 0, 0));
  void SetTextColor(const QColor& colour);

  void SetPenColor(Colour colour) override;
  void SetPenStyle(PenStyle style) override;
  void SetBrushColor(Colour colour) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const std::string& utf8Text) override;

 private:
  // Pixels of the line from (x0, y0) towards (x1, y1), end excluded, the dot pattern starting at
  // `phase`; returns the phase after the line.
  int64_t DrawSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase);
  void PlotPen(int64_t x, int64_t y, int64_t phase);

  QImage& image_;
  QFont font_;
  QColor text_;
  QColor pen_;
  PenStyle style_ = PenStyle::Solid;
  QColor brush_;
  int x_ = 0;
  int y_ = 0;
  int64_t dotPhase_ = 0;
};
