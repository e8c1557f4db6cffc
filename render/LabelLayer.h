#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <string>

#include "display/Canvas.h"
#include "render/QtCanvas.h"

// The surface of the graph's axis labels, transparent where nothing is drawn. A redraw draws every
// label of the current axis modes, so the layer is cleared when the first of them arrives: labels of
// the other mode leave no remnants where the substitute face's blanks are narrower than the designed
// face's, and a redraw that stops before its labels leaves the previous ones standing.
class LabelLayerCanvas : public Canvas {
 public:
  LabelLayerCanvas(QImage& layer, const QFont& font) : layer_(layer), canvas_(layer, font) {}
  void SetTextColor(const QColor& colour) { canvas_.SetTextColor(colour); }
  // The next text clears the layer first.
  void BeginRedraw() { clearPending_ = true; }
  void SetPenColor(Colour colour) override { canvas_.SetPenColor(colour); }
  void SetPenStyle(PenStyle style) override { canvas_.SetPenStyle(style); }
  void SetBrushColor(Colour colour) override { canvas_.SetBrushColor(colour); }
  void MoveTo(int x, int y) override { canvas_.MoveTo(x, y); }
  void LineTo(int x, int y) override { canvas_.LineTo(x, y); }
  void Rectangle(int x1, int y1, int x2, int y2) override { canvas_.Rectangle(x1, y1, x2, y2); }
  void TextOut(int x, int y, const std::string& text) override;

 private:
  QImage& layer_;
  QtImageCanvas canvas_;
  bool clearPending_ = false;
};
