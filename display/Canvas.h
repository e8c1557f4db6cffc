#pragma once

#include <cstdint>
#include <string>

// A 24-bit colour encoded 0x00BBGGRR.
using Colour = uint32_t;
inline constexpr Colour Black = 0, White = 0xFFFFFF, Red = 255, Blue = 0xFF0000;

enum class PenStyle { Solid, Dot };

// A 2-D drawing surface with the operations the graph renderer needs. Coordinates are pixels, origin
// at the top left, y downward; any int is legal and the surface clips silently to its own area.
// Lines and frames are one pixel wide.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // Colour of later lines and frames.
  virtual void SetPenColor(Colour colour) = 0;
  // Solid or dotted for later lines and frames.
  virtual void SetPenStyle(PenStyle style) = 0;
  // Fill colour of later rectangles and background of later texts.
  virtual void SetBrushColor(Colour colour) = 0;
  // Sets the current position; draws nothing.
  virtual void MoveTo(int x, int y) = 0;
  // Line with the pen from the current position to (x, y), end point excluded; (x, y) becomes current.
  virtual void LineTo(int x, int y) = 0;
  // Fills columns x1 .. x2-1, rows y1 .. y2-1 with the brush and outlines that area with the pen.
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  // The UTF-8 text in the surface's font, its cell's top left at (x, y), on an opaque brush background.
  virtual void TextOut(int x, int y, const std::string& utf8Text) = 0;
};
