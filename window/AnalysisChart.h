#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/AnalysisCurves.h"

class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QAbstractAxis;
class QPushButton;

enum class AxisScale { Linear, Logarithmic };

// What one plot shows: its axes, their units, and how the readout writes values.
struct ChartLayout {
  QString Title;
  QString XTitle, YTitle;
  AxisScale XScale = AxisScale::Linear;
  QString XUnit, YUnit;
  int XDecimals = 0, YDecimals = 2;
  bool FixedY = false;  // Y always FixedYFrom .. FixedYTo (the wrapped phase, ticks every 45 degrees)
  double FixedYFrom = 0, FixedYTo = 0;
  int YTicks = 6;  // about how many tick intervals the Y axis shows
};

// The layout of each plot of the analysis window.
ChartLayout ChartLayoutOf(AnalysisPlot plot);

// The line colours of the four filters (low, mid, high, sum) for a palette: one set for light
// backgrounds, one for dark ones, the sum in the palette's text colour.
std::array<QColor, 4> FilterColours(const QPalette& palette);

// How one curve of a chart looks: its legend name, its colour (an index into FilterColours) and line.
struct SeriesLook {
  QString Name;
  size_t Colour = 0;
  Qt::PenStyle Line = Qt::SolidLine;
};

// The four filters: "low", "mid", "high" and "sum", solid, each in its own colour.
std::vector<SeriesLook> FilterLooks();

// One plot of the analysis window: a chart of its curves (the four filters unless told otherwise)
// with a legend whose markers hide and
// show their curves, wheel zoom about the mouse, rubber-band zoom by dragging, reset by double click
// or the "Reset zoom" button, the values under the mouse in a readout line, and "Save PNG…" and
// "Save SVG…" with a file dialog.
class AnalysisChart : public QWidget {
 public:
  using MessageSink = std::function<void(const std::string&)>;

  AnalysisChart(const ChartLayout& layout, MessageSink messages, QWidget* parent = nullptr,
                std::vector<SeriesLook> looks = FilterLooks());

  // Draws these curves, one for each look in order (missing ones empty), and shows them whole;
  // hidden curves stay hidden.
  void SetCurves(std::span<const AnalysisCurve> curves);
  const std::vector<AnalysisCurve>& Curves() const { return curves_; }

  QChart* Chart() const { return chart_; }
  QChartView* View() const { return view_; }
  QLineSeries* Series(size_t filter) const { return series_[filter]; }
  QAbstractAxis* XAxis() const { return xAxis_; }
  QAbstractAxis* YAxis() const { return yAxis_; }
  QLabel* Readout() const { return readout_; }

  // What a click on a filter's legend marker does: hides its curve, or shows it again.
  void ToggleFilter(size_t filter);
  // Zooms by factor (< 1 in, > 1 out) about a point of the plot area, in chart coordinates.
  void ZoomAbout(QPointF chartPoint, double factor);
  // Back to the whole curves.
  void ResetZoom();
  // The readout for the mouse at x (in the X unit): x and each visible filter's value at its drawn
  // point nearest x.
  QString ReadoutAt(double x) const;
  // Writes the chart as it is shown; a file that cannot be written shows why in the message box and
  // returns false. Nothing is left behind on failure.
  bool SavePng(const QString& file);
  bool SaveSvg(const QString& file);

 protected:
  void changeEvent(QEvent* event) override;

 private:
  class ZoomView;
  void ApplyColours();
  void ShowMouse(QPointF chartPoint);
  void AskAndSave(bool svg);
  QString Format(double value, int decimals, const QString& unit) const;

  ChartLayout layout_;
  MessageSink messages_;
  QChart* chart_ = nullptr;
  QChartView* view_ = nullptr;
  QAbstractAxis* xAxis_ = nullptr;
  QAbstractAxis* yAxis_ = nullptr;
  std::vector<SeriesLook> looks_;
  std::vector<QLineSeries*> series_;
  QLabel* readout_ = nullptr;
  std::vector<AnalysisCurve> curves_;
  double xFrom_ = 1, xTo_ = 2, yFrom_ = 0, yTo_ = 1;  // the whole curves
  bool recolouring_ = false;
};
