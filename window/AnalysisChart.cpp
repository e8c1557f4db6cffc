#include "window/AnalysisChart.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// One wheel notch zooms in or out by this factor.
constexpr double WheelZoomFactor = 1.25;

bool IsDark(const QPalette& palette) { return palette.color(QPalette::Window).lightness() < 128; }

// Rounds a range outwards to a readable step and makes sure it is not empty.
std::pair<double, double> PaddedRange(double from, double to) {
  if (!(from <= to)) return {-1, 1};
  const double magnitude = std::max(std::fabs(from), std::fabs(to));
  const double pad = std::max({(to - from) * 0.05, magnitude * 1e-3, 1e-9});
  return {from - pad, to + pad};
}

// The round tick interval (1, 2 or 5 times a power of ten) nearest to span / ticks; in degrees,
// 45 for spans of more than half a turn.
double RoundTickInterval(double span, int ticks, bool degrees) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  if (degrees && span > 180) return 45;
  const double raw = span / ticks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double best = power;
  for (double step : {2.0, 5.0, 10.0}) {
    if (std::fabs(std::log(step * power / raw)) < std::fabs(std::log(best / raw))) best = step * power;
  }
  return best;
}

// Ticks on round values, kept round as the axis zooms.
void UseRoundTicks(QValueAxis* axis, int ticks, bool degrees = false) {
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  const auto update = [axis, ticks, degrees](double from, double to) {
    axis->setTickInterval(RoundTickInterval(to - from, ticks, degrees));
  };
  QObject::connect(axis, &QValueAxis::rangeChanged, axis, update);
  update(axis->min(), axis->max());
}

}  // namespace

ChartLayout ChartLayoutOf(AnalysisPlot plot) {
  ChartLayout layout;
  switch (plot) {
    case AnalysisPlot::Magnitude:
      layout = {"Magnitude", "Frequency (Hz)", "Level (dB)", AxisScale::Logarithmic, "Hz", "dB", 0, 2};
      layout.YTicks = 10;
      break;
    case AnalysisPlot::Phase:
      layout = {"Phase, bulk delay removed", "Frequency (Hz)", "Phase (degrees)", AxisScale::Logarithmic, "Hz",
                QString::fromUtf8("°"), 0, 1};
      layout.FixedY = true;
      layout.FixedYFrom = -180;
      layout.FixedYTo = 180;
      layout.YTicks = 9;
      break;
    case AnalysisPlot::GroupDelay:
      layout = {"Group delay", "Frequency (Hz)", "Group delay (ms)", AxisScale::Logarithmic, "Hz", "ms", 0, 3};
      break;
    case AnalysisPlot::Impulse:
      layout = {"Impulse response", "Time (ms)", "Tap value", AxisScale::Linear, "ms", "", 3, 6};
      break;
    case AnalysisPlot::Step:
      layout = {"Step response", "Time (ms)", "Step value", AxisScale::Linear, "ms", "", 3, 6};
      break;
  }
  return layout;
}

std::array<QColor, 4> FilterColours(const QPalette& palette) {
  const QColor sum = palette.color(QPalette::WindowText);
  if (IsDark(palette)) return {QColor(255, 140, 60), QColor(60, 205, 150), QColor(110, 170, 255), sum};
  return {QColor(200, 80, 0), QColor(0, 135, 95), QColor(0, 95, 200), sum};
}

std::vector<SeriesLook> FilterLooks() {
  return {{QStringLiteral("low"), 0}, {QStringLiteral("mid"), 1}, {QStringLiteral("high"), 2}, {QStringLiteral("sum"), 3}};
}

// The chart view: forwards the wheel, the mouse position and double clicks to the chart panel, and
// leaves dragging to the rubber band.
class AnalysisChart::ZoomView : public QChartView {
 public:
  ZoomView(QChart* chart, AnalysisChart& owner) : QChartView(chart), owner_(owner) {
    setRubberBand(QChartView::RectangleRubberBand);
    setMouseTracking(true);
    setRenderHint(QPainter::Antialiasing);
  }

 protected:
  void wheelEvent(QWheelEvent* event) override {
    const int steps = event->angleDelta().y();
    if (steps == 0) return;
    owner_.ZoomAbout(ChartPoint(event->position()), steps > 0 ? 1.0 / WheelZoomFactor : WheelZoomFactor);
    event->accept();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    owner_.ShowMouse(ChartPoint(event->position()));
    QChartView::mouseMoveEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    owner_.ResetZoom();
    event->accept();
  }
  // A right click zooms out one rubber-band step in QChartView; here it shows the whole curves, the
  // same as a double click, so that zooming never strays from the ranges the plot chose.
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      owner_.ResetZoom();
      event->accept();
      return;
    }
    QChartView::mouseReleaseEvent(event);
  }

 private:
  QPointF ChartPoint(QPointF viewPoint) const { return chart()->mapFromScene(mapToScene(viewPoint.toPoint())); }
  AnalysisChart& owner_;
};

AnalysisChart::AnalysisChart(const ChartLayout& layout, MessageSink messages, QWidget* parent, std::vector<SeriesLook> looks)
    : QWidget(parent), layout_(layout), messages_(std::move(messages)), looks_(std::move(looks)) {
  chart_ = new QChart;
  chart_->setTitle(layout_.Title);
  chart_->legend()->setAlignment(Qt::AlignBottom);
  chart_->setBackgroundRoundness(0);
  chart_->layout()->setContentsMargins(0, 0, 0, 0);
  if (layout_.XScale == AxisScale::Logarithmic) {
    auto* axis = new QLogValueAxis;
    axis->setBase(10);
    axis->setLabelFormat(QStringLiteral("%g"));
    axis->setMinorTickCount(8);
    xAxis_ = axis;
  } else {
    auto* axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%g"));
    UseRoundTicks(axis, 8);
    xAxis_ = axis;
  }
  auto* yAxis = new QValueAxis;
  yAxis->setLabelFormat(QStringLiteral("%g"));
  UseRoundTicks(yAxis, layout_.YTicks, layout_.FixedY);
  yAxis_ = yAxis;
  xAxis_->setTitleText(layout_.XTitle);
  yAxis_->setTitleText(layout_.YTitle);
  chart_->addAxis(xAxis_, Qt::AlignBottom);
  chart_->addAxis(yAxis_, Qt::AlignLeft);
  series_.resize(looks_.size());
  for (size_t filter = 0; filter < series_.size(); ++filter) {
    auto* series = new QLineSeries;
    series->setName(looks_[filter].Name);
    chart_->addSeries(series);
    series->attachAxis(xAxis_);
    series->attachAxis(yAxis_);
    series_[filter] = series;
    for (QLegendMarker* marker : chart_->legend()->markers(series))
      connect(marker, &QLegendMarker::clicked, this, [this, filter] { ToggleFilter(filter); });
  }

  view_ = new ZoomView(chart_, *this);
  view_->setMinimumSize(480, 300);
  readout_ = new QLabel(this);
  readout_->setObjectName(QStringLiteral("Readout"));
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  readout_->setMinimumWidth(200);
  auto* reset = new QPushButton(QStringLiteral("Reset zoom"), this);
  reset->setObjectName(QStringLiteral("ResetZoom"));
  auto* savePng = new QPushButton(QString::fromUtf8("Save PNG…"), this);
  savePng->setObjectName(QStringLiteral("SavePng"));
  auto* saveSvg = new QPushButton(QString::fromUtf8("Save SVG…"), this);
  saveSvg->setObjectName(QStringLiteral("SaveSvg"));
  connect(reset, &QPushButton::clicked, this, [this] { ResetZoom(); });
  connect(savePng, &QPushButton::clicked, this, [this] { AskAndSave(false); });
  connect(saveSvg, &QPushButton::clicked, this, [this] { AskAndSave(true); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(readout_, 1);
  buttons->addWidget(reset);
  buttons->addWidget(savePng);
  buttons->addWidget(saveSvg);
  auto* column = new QVBoxLayout(this);
  column->addWidget(view_, 1);
  column->addLayout(buttons);
  ApplyColours();
  SetCurves({});
}

void AnalysisChart::ApplyColours() {
  const QPalette palette = QApplication::palette();
  const QColor background = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  QColor grid = palette.color(QPalette::Mid);
  chart_->setBackgroundBrush(background);
  view_->setBackgroundBrush(background);
  chart_->setTitleBrush(text);
  chart_->legend()->setLabelColor(text);
  for (QAbstractAxis* axis : {xAxis_, yAxis_}) {
    axis->setLabelsColor(text);
    axis->setTitleBrush(text);
    axis->setGridLineColor(grid);
    axis->setLinePenColor(text);
  }
  grid.setAlpha(110);
  xAxis_->setMinorGridLineColor(grid);
  const std::array<QColor, 4> colours = FilterColours(palette);
  for (size_t filter = 0; filter < series_.size(); ++filter) {
    const SeriesLook& look = looks_[filter];
    QPen pen(colours[look.Colour % colours.size()]);
    pen.setWidthF(look.Colour == 3 ? 1.5 : 2.0);
    pen.setStyle(look.Line);
    series_[filter]->setPen(pen);
  }
}

void AnalysisChart::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  const bool paletteChanged =
      event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange;
  if (paletteChanged && !recolouring_) {
    recolouring_ = true;
    ApplyColours();
    recolouring_ = false;
  }
}

void AnalysisChart::SetCurves(std::span<const AnalysisCurve> curves) {
  curves_.assign(curves.begin(), curves.begin() + static_cast<std::ptrdiff_t>(std::min(curves.size(), series_.size())));
  curves_.resize(series_.size());
  double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
  for (size_t filter = 0; filter < series_.size(); ++filter) {
    const AnalysisCurve& curve = curves_[filter];
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.X.size()));
    for (size_t i = 0; i < curve.X.size(); ++i) {
      points.append(QPointF(curve.X[i], curve.Y[i]));
      if (layout_.XScale == AxisScale::Logarithmic && curve.X[i] <= 0) continue;
      xLow = std::min(xLow, curve.X[i]);
      xHigh = std::max(xHigh, curve.X[i]);
      yLow = std::min(yLow, curve.Y[i]);
      yHigh = std::max(yHigh, curve.Y[i]);
    }
    series_[filter]->replace(points);
  }
  if (!(xLow <= xHigh)) {
    xLow = layout_.XScale == AxisScale::Logarithmic ? 1 : 0;
    xHigh = layout_.XScale == AxisScale::Logarithmic ? 20000 : 1;
  }
  if (xLow == xHigh) xHigh = layout_.XScale == AxisScale::Logarithmic ? xLow * 2 : xLow + 1;
  xFrom_ = xLow;
  xTo_ = xHigh;
  if (layout_.FixedY) {
    yFrom_ = layout_.FixedYFrom;
    yTo_ = layout_.FixedYTo;
  } else if (layout_.YUnit == QStringLiteral("dB") && yLow <= yHigh) {
    // Levels in whole tens, the top just above the highest level, at most 200 dB down from it.
    yTo_ = 10 * std::ceil((yHigh + 1) / 10);
    yFrom_ = std::max(10 * std::floor(yLow / 10), yTo_ - 200);
  } else {
    std::tie(yFrom_, yTo_) = PaddedRange(yLow, yHigh);
  }
  ResetZoom();
}

void AnalysisChart::ResetZoom() {
  chart_->zoomReset();
  xAxis_->setRange(xFrom_, xTo_);
  yAxis_->setRange(yFrom_, yTo_);
}

void AnalysisChart::ZoomAbout(QPointF chartPoint, double factor) {
  const QRectF area = chart_->plotArea();
  if (area.width() <= 0 || area.height() <= 0 || !(factor > 0)) return;
  const bool logX = layout_.XScale == AxisScale::Logarithmic;
  const auto xRange = [&](QAbstractAxis* axis) {
    if (auto* log = qobject_cast<QLogValueAxis*>(axis)) return std::pair{log->min(), log->max()};
    auto* value = static_cast<QValueAxis*>(axis);
    return std::pair{value->min(), value->max()};
  };
  auto [xMin, xMax] = xRange(xAxis_);
  auto [yMin, yMax] = xRange(yAxis_);
  const double u = std::clamp((chartPoint.x() - area.left()) / area.width(), 0.0, 1.0);
  const double v = std::clamp((area.bottom() - chartPoint.y()) / area.height(), 0.0, 1.0);
  // About the point under the mouse: it stays where it is, the rest moves towards or away from it.
  const auto scaled = [factor](double from, double to, double at) {
    const double centre = from + (to - from) * at;
    return std::pair{centre + (from - centre) * factor, centre + (to - centre) * factor};
  };
  if (logX) {
    auto [from, to] = scaled(std::log10(xMin), std::log10(xMax), u);
    xAxis_->setRange(std::pow(10.0, from), std::pow(10.0, to));
  } else {
    auto [from, to] = scaled(xMin, xMax, u);
    xAxis_->setRange(from, to);
  }
  auto [from, to] = scaled(yMin, yMax, v);
  yAxis_->setRange(from, to);
}

void AnalysisChart::ToggleFilter(size_t filter) {
  QLineSeries* series = series_[filter];
  series->setVisible(!series->isVisible());
  // Hiding a series hides its marker too; the marker stays, dimmed, so that a click brings it back.
  for (QLegendMarker* marker : chart_->legend()->markers(series)) {
    marker->setVisible(true);
    QColor label = marker->labelBrush().color();
    label.setAlphaF(series->isVisible() ? 1.0 : 0.4);
    marker->setLabelBrush(label);
    QBrush brush = marker->brush();
    QColor fill = brush.color();
    fill.setAlphaF(series->isVisible() ? 1.0 : 0.3);
    brush.setColor(fill);
    marker->setBrush(brush);
  }
}

QString AnalysisChart::Format(double value, int decimals, const QString& unit) const {
  QString text = QString::number(value, 'f', decimals);
  if (text.startsWith(QLatin1Char('-')) && text.count(QRegularExpression(QStringLiteral("[1-9]"))) == 0) text.remove(0, 1);
  if (unit.isEmpty()) return text;
  return unit == QString::fromUtf8("°") ? text + unit : text + QLatin1Char(' ') + unit;
}

QString AnalysisChart::ReadoutAt(double x) const {
  const bool frequency = layout_.XUnit == QStringLiteral("Hz");
  QString text = (frequency ? QStringLiteral("f = ") : QStringLiteral("t = ")) + Format(x, layout_.XDecimals, layout_.XUnit);
  for (size_t filter = 0; filter < series_.size(); ++filter) {
    const AnalysisCurve& curve = curves_[filter];
    if (!series_[filter]->isVisible() || curve.X.empty()) continue;
    // The drawn point nearest x: on a log axis nearest in log frequency.
    const auto after = std::lower_bound(curve.X.begin(), curve.X.end(), x);
    size_t index = static_cast<size_t>(after - curve.X.begin());
    if (index == curve.X.size()) {
      index = curve.X.size() - 1;
    } else if (index > 0) {
      const double below = curve.X[index - 1], above = curve.X[index];
      const bool log = layout_.XScale == AxisScale::Logarithmic && below > 0 && x > 0;
      const double toBelow = log ? std::log(x / below) : x - below;
      const double toAbove = log ? std::log(above / x) : above - x;
      if (toBelow <= toAbove) --index;
    }
    text += QStringLiteral("   ") + looks_[filter].Name + QLatin1Char(' ') +
            Format(curve.Y[index], layout_.YDecimals, layout_.YUnit);
  }
  return text;
}

void AnalysisChart::ShowMouse(QPointF chartPoint) {
  if (!chart_->plotArea().contains(chartPoint)) {
    readout_->clear();
    return;
  }
  const QPointF value = chart_->mapToValue(chartPoint, series_[0]);
  readout_->setText(ReadoutAt(value.x()));
}

namespace {

// Writes through a QSaveFile: the file appears whole, or the old one stays.
bool WriteWhole(const QString& file, const std::function<bool(QIODevice&)>& write, const AnalysisChart::MessageSink& messages) {
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    messages("Cannot write " + file.toStdString() + ": " + out.errorString().toStdString());
    return false;
  }
  if (!write(out)) {
    out.cancelWriting();
    messages("Cannot write " + file.toStdString() + ": the picture could not be encoded.");
    return false;
  }
  if (!out.commit()) {
    messages("Cannot write " + file.toStdString() + ": " + out.errorString().toStdString());
    return false;
  }
  return true;
}

}  // namespace

bool AnalysisChart::SavePng(const QString& file) {
  const QImage image = view_->grab().toImage();
  return WriteWhole(file, [&](QIODevice& out) { return image.save(&out, "PNG"); }, messages_);
}

bool AnalysisChart::SaveSvg(const QString& file) {
  return WriteWhole(
      file,
      [&](QIODevice& out) {
        QSvgGenerator generator;
        generator.setOutputDevice(&out);
        generator.setSize(view_->size());
        generator.setViewBox(QRect(QPoint(0, 0), view_->size()));
        generator.setTitle(layout_.Title);
        QPainter painter;
        if (!painter.begin(&generator)) return false;
        view_->render(&painter);
        return painter.end();
      },
      messages_);
}

void AnalysisChart::AskAndSave(bool svg) {
  const QString base = layout_.Title.section(QLatin1Char(','), 0, 0).toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
  const QString file = QFileDialog::getSaveFileName(
      this, svg ? QStringLiteral("Save plot as SVG") : QStringLiteral("Save plot as PNG"),
      QStringLiteral("firxover-") + base + (svg ? QStringLiteral(".svg") : QStringLiteral(".png")),
      svg ? QStringLiteral("SVG pictures (*.svg)") : QStringLiteral("PNG pictures (*.png)"));
  if (file.isEmpty()) return;
  if (svg)
    SaveSvg(file);
  else
    SavePng(file);
}
