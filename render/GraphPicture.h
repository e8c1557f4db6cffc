#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <string>

#include "display/Graph.h"

// The window's layout of the graph: Image1 at (56, 200), 681 x 337, in a client area of 788 x 599. The
// window is built on these, so a picture drawn here matches the window's pixels.
inline constexpr int GraphClientWidth = 788;
inline constexpr int GraphClientHeight = 599;
inline constexpr ImageGeometry GraphImage1{56, 200, 681, 337};

struct GraphPictures {
  QImage Image1;    // 681 x 337, as the picture control holds it
  QImage Labelled;  // 788 x 599: the axis labels on the background with Image1 in its place
};

// Draws the graph with the window's renderer, headless: needs a QGuiApplication (any platform,
// offscreen included). Raises UserError for a marker text the renderer refuses.
GraphPictures RenderGraphPictures(const GraphCurves& curves, const GraphView& view, const QFont& font,
                                  const QColor& background);

// The labelled graph: background, then the label layer (transparent where nothing is drawn), then
// Image1 at its place, as the window shows them without its controls.
QImage ComposeLabelledGraph(const QImage& labelLayer, const QImage& image1, QPoint image1At, const QColor& background);

// The image encoded as PNG; empty when Qt cannot encode it (a null image).
std::string EncodePng(const QImage& image);
