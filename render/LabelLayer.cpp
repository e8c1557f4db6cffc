#include "render/LabelLayer.h"

void LabelLayerCanvas::TextOut(int x, int y, const std::string& text) {
  if (clearPending_) {
    layer_.fill(Qt::transparent);
    clearPending_ = false;
  }
  canvas_.TextOut(x, y, text);
}
