#pragma once

// Counting pixels in pictures of the window and its plots.
#include <QColor>
#include <QImage>

#include <cstdlib>

namespace testing_support {

// Pixels of `image` within `tolerance` (per channel) of `colour`.
inline int CountNear(const QImage& image, const QColor& colour, int tolerance) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - colour.red()) <= tolerance && std::abs(pixel.green() - colour.green()) <= tolerance &&
          std::abs(pixel.blue() - colour.blue()) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

}  // namespace testing_support
