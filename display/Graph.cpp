#include "display/Graph.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/FloatingPoint.h"
#include "numerics/TextConvert.h"

namespace {

// Every real-to-pixel conversion truncates toward zero in 64 bits. A position beyond the 32-bit
// range (a marker typed far off the axis, a curve value far out of scale) is clamped into that
// range instead of keeping its low 32 bits, so it is drawn off the picture on its own side and is
// never wrapped back onto it.
constexpr double cTruncationLimit = 0x1p62;

int64_t Truncate64(double value) {
  if (std::isnan(value) || value >= cTruncationLimit) return int64_t{1} << 62;
  if (value <= -cTruncationLimit) return -(int64_t{1} << 62);
  return static_cast<int64_t>(value);
}

int ToCoordinate(int64_t position) {
  if (position > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (position < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(position);
}

// Column of a frequency in Hz on the linear axis: 0 Hz at the left edge, 10000 Hz one past the last column.
int LinearColumn(double frequencyHz, int width) { return ToCoordinate(Truncate64(frequencyHz / 10000 * width)); }

// Column of a frequency in Hz on the logarithmic axis: 10 Hz at the left edge, 10000 Hz one past the
// last column. 0 Hz raises the division-by-zero error, a negative frequency the invalid operation.
int LogColumn(double frequencyHz, int width) {
  return ToCoordinate(Truncate64((CheckedLog10(frequencyHz) - 1) / (std::log10(10000.0) - 1) * width));
}

// Row of a curve value: 1.2 at the top row, 0 on row `height`, just below the picture.
int CurveRow(double value, int height) {
  const double scale = height - height / 6.0;
  return ToCoordinate(int64_t{height} - Truncate64(scale * value));
}

template <typename ColumnOf>
void PlotCurve(Canvas& canvas, int height, const ResponseCurve& curve, bool highlight, ColumnOf columnOf) {
  canvas.SetPenStyle(PenStyle::Solid);
  canvas.SetPenColor(highlight ? Blue : Black);
  // Every curve starts afresh from one row above the row of 1.0, not from the previous curve's end.
  canvas.MoveTo(0, height / 6);
  for (int i = 1; i <= GridPointCount; ++i) canvas.LineTo(columnOf(i), CurveRow(curve[i], height));
  canvas.SetPenColor(Black);
}

void VerticalLine(Canvas& canvas, int x, int height) {
  canvas.MoveTo(x, 0);
  canvas.LineTo(x, height);
}

// Restores the default cursor on every exit of the redraw, error exits included.
class BusyCursor {
 public:
  explicit BusyCursor(GraphHost& host) : host_(host) { host_.SetBusyCursor(true); }
  ~BusyCursor() { host_.SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  GraphHost& host_;
};

}  // namespace

void PlotCurveLinear(Canvas& imageCanvas, int width, int height, const ResponseCurve& curve, bool highlight) {
  PlotCurve(imageCanvas, height, curve, highlight, [width](int i) {
    if (i <= 500) return LinearColumn(i * 1.0 * 2.0, width);
    return LinearColumn(GridFrequency(i), width);
  });
}

void PlotCurveLog(Canvas& imageCanvas, int width, int height, const ResponseCurve& curve, bool highlight) {
  PlotCurve(imageCanvas, height, curve, highlight, [width](int i) { return LogColumn(GridFrequency(i), width); });
}

void RedrawGraph(Canvas& imageCanvas, Canvas& windowCanvas, const GraphCurves& curves, GraphHost& host) {
  const BusyCursor busy(host);
  const ImageGeometry image = host.Image1();
  const int W = image.Width;
  const int H = image.Height;
  const int L = image.Left;
  const int T = image.Top;
  const bool frequencyLog = host.FrequencyAxisLog();
  const bool amplitudeLog = host.AmplitudeAxisLog();

  // A redraw that failed on a marker left the pen red or blue; the frame and grid are always black.
  imageCanvas.SetPenColor(Black);
  imageCanvas.SetPenStyle(PenStyle::Solid);
  imageCanvas.SetBrushColor(White);
  imageCanvas.Rectangle(0, 0, W, H);
  imageCanvas.SetPenStyle(PenStyle::Dot);

  // Rows of the values 0.2 .. 1.0, that is -80 .. 0 dB.
  for (int i = 1; i <= 5; ++i) {
    const int y = ToCoordinate(int64_t{H} - Truncate64(static_cast<double>(int64_t{i} * H) / 6));
    imageCanvas.MoveTo(0, y);
    imageCanvas.LineTo(W, y);
  }

  if (frequencyLog) {
    // 20 .. 90, 100 .. 900, 1000 .. 9000 Hz; the edges 10 Hz and 10000 Hz get no line.
    for (int b = 20; b < 10000; b += b < 100 ? 10 : b < 1000 ? 100 : 1000) VerticalLine(imageCanvas, LogColumn(b, W), H);
  } else {
    for (int i = 1; i <= 9; ++i) VerticalLine(imageCanvas, ToCoordinate(Truncate64(W / 10.0 * i)), H);
  }

  const auto markerColumn = [&](const std::string& text) {
    const double markerHz = ParseReal(text);
    return frequencyLog ? LogColumn(markerHz, W) : LinearColumn(markerHz, W);
  };
  imageCanvas.SetPenColor(Red);
  imageCanvas.SetPenStyle(PenStyle::Solid);
  VerticalLine(imageCanvas, markerColumn(host.LowMarkerText()), H);
  imageCanvas.SetPenColor(Blue);
  VerticalLine(imageCanvas, markerColumn(host.HighMarkerText()), H);
  imageCanvas.SetPenColor(Black);
  imageCanvas.SetPenStyle(PenStyle::Dot);

  // The blanks are part of the texts: drawn opaque, they cover what the other frequency mode left.
  const int labelRow = T + H;
  if (frequencyLog) {
    windowCanvas.TextOut(L + W - 20, labelRow, "10000Hz");
    windowCanvas.TextOut(L + W / 2 - 20, labelRow, "                         1000Hz");
    windowCanvas.TextOut(L + W / 3 - 20, labelRow, "   100Hz");
    windowCanvas.TextOut(L - 10, labelRow, "10Hz");
  } else {
    windowCanvas.TextOut(L + W - 20, labelRow, "10000Hz");
    windowCanvas.TextOut(L + W / 2 - 10, labelRow, "5000Hz                                      ");
    windowCanvas.TextOut(L + W / 3 - 10, labelRow, "                 ");
    windowCanvas.TextOut(L - 10, labelRow, "0Hz ");
  }

  const int sixth = H / 6;
  if (amplitudeLog) {
    windowCanvas.TextOut(L - 25, T + sixth - 5, "0dB ");
    windowCanvas.TextOut(L - 35, T + 3 * sixth - 3, "-40dB");
    windowCanvas.TextOut(L - 35, T + 5 * sixth - 3, "-80dB");
  } else {
    windowCanvas.TextOut(L - 25, T + sixth - 5, " 1.0 ");
    windowCanvas.TextOut(L - 38, T + 3 * sixth - 3, "    0.6 ");
    windowCanvas.TextOut(L - 38, T + 5 * sixth - 3, "    0.2 ");
  }

  const auto plot = frequencyLog ? PlotCurveLog : PlotCurveLinear;
  if (amplitudeLog) {
    plot(imageCanvas, W, H, curves.LowDb, false);
    plot(imageCanvas, W, H, curves.MidDb, false);
    plot(imageCanvas, W, H, curves.HighDb, false);
    plot(imageCanvas, W, H, curves.SumDb, true);
  } else {
    plot(imageCanvas, W, H, curves.LowMag, false);
    plot(imageCanvas, W, H, curves.MidMag, false);
    plot(imageCanvas, W, H, curves.HighMag, false);
    plot(imageCanvas, W, H, curves.SumMag, true);
  }

  // The image repaints while the pending messages are dispatched; the cursor returns to default after.
  host.ProcessPendingEvents();
}
