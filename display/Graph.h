#pragma once

#include <string>

#include "display/Canvas.h"
#include "numerics/CoreTypes.h"

// The eight curves of the design state, linear magnitudes and normalised dB values per band.
struct GraphCurves {
  const ResponseCurve& LowMag;
  const ResponseCurve& MidMag;
  const ResponseCurve& HighMag;
  const ResponseCurve& SumMag;
  const ResponseCurve& LowDb;
  const ResponseCurve& MidDb;
  const ResponseCurve& HighDb;
  const ResponseCurve& SumDb;
};

// What the graph is drawn with besides the curves: the two axis check boxes and the marker texts.
struct GraphView {
  bool FrequencyAxisLog = true;         // CheckBox1
  bool AmplitudeAxisLog = true;         // CheckBox2
  std::string LowMarkerText = "300";    // Edit5
  std::string HighMarkerText = "2000";  // Edit4
};

// Position of Image1 in the main window's client area and its size, in pixels.
struct ImageGeometry {
  int Left;
  int Top;
  int Width;
  int Height;
};

// What the renderer reads of the window and the platform services it uses.
class GraphHost {
 public:
  virtual ~GraphHost() = default;
  // CheckBox1: logarithmic frequency axis.
  virtual bool FrequencyAxisLog() const = 0;
  // CheckBox2: logarithmic (normalised dB) amplitude axis.
  virtual bool AmplitudeAxisLog() const = 0;
  // Text of Edit5, the red crossover marker in Hz.
  virtual std::string LowMarkerText() const = 0;
  // Text of Edit4, the blue crossover marker in Hz.
  virtual std::string HighMarkerText() const = 0;
  virtual ImageGeometry Image1() const = 0;
  // The application-wide busy cursor when true, the default cursor when false.
  virtual void SetBusyCursor(bool busy) = 0;
  // Dispatches every pending window message.
  virtual void ProcessPendingEvents() = 0;
};

// Clears and redraws the graph: field, grid, markers and curves on imageCanvas, axis labels around
// the image on windowCanvas. Raises UserError when a marker text is not a number, or is 0 or negative
// on the logarithmic frequency axis; the picture then keeps what was drawn before the failing marker.
// The busy cursor is shown meanwhile and the default cursor restored on every exit.
void RedrawGraph(Canvas& imageCanvas, Canvas& windowCanvas, const GraphCurves& curves, GraphHost& host);

// One curve, elements 1 .. 950, as a 950-segment polyline on a width × height picture, against the
// linear (0 .. 10000 Hz) or logarithmic (10 .. 10000 Hz) frequency axis; the value 1.2 is at the top
// and 0 one row below the bottom. Blue when highlight is true, black otherwise; leaves the pen black.
void PlotCurveLinear(Canvas& imageCanvas, int width, int height, const ResponseCurve& curve, bool highlight);
void PlotCurveLog(Canvas& imageCanvas, int width, int height, const ResponseCurve& curve, bool highlight);
