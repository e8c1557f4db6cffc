#include "cli/CliExport.h"

#include <QGuiApplication>
#include <QPalette>
#include <memory>
#include <new>

#include "export/Export.h"
#include "export/OutputDirectory.h"
#include "export/PictureFile.h"
#include "export/StagedFiles.h"
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

// Draws the graph as the window shows it and saves the pictures the request names.
void DrawPictures(const CliRequest& request, const MemoryFields& fields, const DesignState& state, GraphView view) {
  const std::unique_ptr<QGuiApplication> application = EnsureGuiApplication();
  // The markers at the mid band's edges, as the window draws them.
  view.LowMarkerText = fields.Text(Field::Edit5);
  view.HighMarkerText = fields.Text(Field::Edit4);
  const GraphPictures pictures =
      RenderGraphPictures(CurvesOf(state), view, GraphLabelFont(), QGuiApplication::palette().color(QPalette::Window));
  if (request.pngFile) {
    CreateParentDirectory(*request.pngFile);
    SavePngBytes(*request.pngFile, EncodePng(pictures.Image1));
  }
  if (request.labelledPngFile) {
    CreateParentDirectory(*request.labelledPngFile);
    SavePngBytes(*request.labelledPngFile, EncodePng(pictures.Labelled));
  }
}

}  // namespace

bool WantsExport(const CliRequest& request) {
  return request.exportDirectory || request.curvesFile || request.pngFile || request.labelledPngFile;
}

void RunExports(const CliRequest& request, const MemoryFields& fields, const DesignState& state,
                const CalcRecord& calc, GraphView view, const ExportProgress& progress) {
  // Each output's directory is made, parents too, just before its file is written.
  if (request.exportDirectory) {
    CreateOutputDirectory(*request.exportDirectory);
    ExportFilters(state, calc, *request.exportDirectory, request.exportPrefix, request.exportFormat, progress);
  }
  if (request.curvesFile) {
    CreateParentDirectory(*request.curvesFile);
    ExportCurves(state, *request.curvesFile);
  }
  if (!request.pngFile && !request.labelledPngFile) return;

  // Memory that runs out while the pictures are drawn is the pictures' failure, named by their file.
  const std::string firstPicture = request.pngFile ? *request.pngFile : *request.labelledPngFile;
  try {
    DrawPictures(request, fields, state, view);
  } catch (const std::bad_alloc&) {
    throw UserError(CannotWriteMessage(firstPicture, "not enough memory to draw the picture"));
  }
}
