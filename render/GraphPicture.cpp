#include "render/GraphPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>

#include "render/QtCanvas.h"

namespace {

// The renderer's view of a window that is not there.
class PictureHost : public GraphHost {
 public:
  explicit PictureHost(const GraphView& view) : view_(view) {}
  bool FrequencyAxisLog() const override { return view_.FrequencyAxisLog; }
  bool AmplitudeAxisLog() const override { return view_.AmplitudeAxisLog; }
  std::string LowMarkerText() const override { return view_.LowMarkerText; }
  std::string HighMarkerText() const override { return view_.HighMarkerText; }
  ImageGeometry Image1() const override { return GraphImage1; }
  void SetBusyCursor(bool) override {}
  void ProcessPendingEvents() override {}

 private:
  const GraphView& view_;
};

}  // namespace

GraphPictures RenderGraphPictures(const GraphCurves& curves, const GraphView& view, const QFont& font,
                                  const QColor& background) {
  QImage image1(GraphImage1.Width, GraphImage1.Height, QImage::Format_RGB32);
  image1.fill(Qt::white);
  QImage labels(GraphClientWidth, GraphClientHeight, QImage::Format_ARGB32_Premultiplied);
  labels.fill(Qt::transparent);
  {
    QtImageCanvas imageCanvas(image1, font);
    QtImageCanvas labelCanvas(labels, font);
    labelCanvas.SetBrushColor(FromQColor(background));
    PictureHost host(view);
    RedrawGraph(imageCanvas, labelCanvas, curves, host);
  }
  GraphPictures pictures;
  pictures.Labelled = ComposeLabelledGraph(labels, image1, QPoint(GraphImage1.Left, GraphImage1.Top), background);
  pictures.Image1 = std::move(image1);
  return pictures;
}

QImage ComposeLabelledGraph(const QImage& labelLayer, const QImage& image1, QPoint image1At, const QColor& background) {
  QImage picture(GraphClientWidth, GraphClientHeight, QImage::Format_RGB32);
  picture.fill(background);
  QPainter painter(&picture);
  painter.drawImage(0, 0, labelLayer);
  painter.drawImage(image1At, image1);
  painter.end();
  return picture;
}

std::string EncodePng(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
