#include "render/PictureModule.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "numerics/CoreTypes.h"
#include "numerics/Errors.h"
#include "render/GraphPicture.h"
#include "render/WindowFont.h"

namespace {

// The pictures need a Qt Gui application; a caller may already have one.
std::unique_ptr<QGuiApplication> EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  // Always offscreen: a platform named in the environment (a desktop session's wayland carried into
  // ssh or cron) may be unable to start, and Qt aborts the process when it cannot.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt keeps the arguments for the application's lifetime.
  static int argc = 1;
  static char name[] = "firxover-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

void CopyMessage(const std::string& text, char* message, size_t capacity) {
  if (message == nullptr || capacity == 0) return;
  const size_t length = std::min(text.size(), capacity - 1);
  std::memcpy(message, text.data(), length);
  message[length] = '\0';
}

// The request's curves as the renderer reads them; the caller's arrays are the design state's own.
const ResponseCurve& Curve(const FirxoverPictureRequest& request, int k) {
  return *reinterpret_cast<const ResponseCurve*>(request.curves[k]);
}

void Render(const FirxoverPictureRequest& request, FirxoverPictureSink sink, void* context) {
  if (request.abi != FIRXOVER_PICTURE_ABI || request.curveLength != static_cast<int>(ResponseCurve().size())) {
    throw UserError("The picture module does not match this firxover-cli; reinstall firxover.");
  }
  const std::unique_ptr<QGuiApplication> application = EnsureGuiApplication();
  const GraphCurves curves{Curve(request, 0), Curve(request, 1), Curve(request, 2), Curve(request, 3),
                           Curve(request, 4), Curve(request, 5), Curve(request, 6), Curve(request, 7)};
  GraphView view;
  view.FrequencyAxisLog = request.frequencyAxisLog != 0;
  view.AmplitudeAxisLog = request.amplitudeAxisLog != 0;
  view.LowMarkerText = request.lowMarkerText;
  view.HighMarkerText = request.highMarkerText;
  const GraphPictures pictures =
      RenderGraphPictures(curves, view, GraphLabelFont(), QGuiApplication::palette().color(QPalette::Window));
  const QImage* const images[] = {&pictures.Image1, &pictures.Labelled};
  const bool wanted[] = {request.wantImage1 != 0, request.wantLabelled != 0};
  for (int labelled = 0; labelled < 2; ++labelled) {
    if (!wanted[labelled]) continue;
    const std::string png = EncodePng(*images[labelled]);
    if (sink(context, labelled, png.data(), png.size()) != 0) throw std::bad_alloc();
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int firxover_render_pictures(const FirxoverPictureRequest* request,
                                                                               FirxoverPictureSink sink,
                                                                               void* context, char* message,
                                                                               size_t capacity) {
  try {
    Render(*request, sink, context);
    return 0;
  } catch (const UserError& error) {
    CopyMessage(error.Text(), message, capacity);
    return 1;
  } catch (const std::bad_alloc&) {
    return 2;
  } catch (const std::exception& error) {
    CopyMessage(error.what(), message, capacity);
    return 1;
  }
}
