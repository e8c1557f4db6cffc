#include "cli/CliExport.h"

#include <new>

#include "cli/PictureModule.h"
#include "export/Export.h"
#include "export/OutputDirectory.h"
#include "export/PictureFile.h"
#include "export/StagedFiles.h"
#include "numerics/Errors.h"

namespace {

// Draws the graph as the window shows it and saves the pictures the request names.
void SavePictures(const CliRequest& request, const MemoryFields& fields, const DesignState& state, GraphView view) {
  // The markers at the mid band's edges, as the window draws them.
  view.LowMarkerText = fields.Text(Field::Edit5);
  view.HighMarkerText = fields.Text(Field::Edit4);
  const EncodedPictures pictures =
      DrawPictures(CurvesOf(state), view, request.pngFile.has_value(), request.labelledPngFile.has_value());
  if (request.pngFile) {
    CreateParentDirectory(*request.pngFile);
    SavePngBytes(*request.pngFile, pictures.Image1);
  }
  if (request.labelledPngFile) {
    CreateParentDirectory(*request.labelledPngFile);
    SavePngBytes(*request.labelledPngFile, pictures.Labelled);
  }
}

}  // namespace

bool WantsExport(const CliRequest& request) {
  return request.exportDirectory || request.curvesFile || request.pngFile || request.labelledPngFile;
}

void RunExports(const CliRequest& request, const MemoryFields& fields, const DesignState& state,
                const CalcRecord& calc, GraphView view, const ExportProgress& progress) {
  const bool pictures = request.pngFile || request.labelledPngFile;
  // Without its picture module the run writes nothing.
  if (pictures) LoadPictureModule();
  // Each output's directory is made, parents too, just before its file is written.
  if (request.exportDirectory) {
    CreateOutputDirectory(*request.exportDirectory);
    ExportFilters(state, calc, *request.exportDirectory, request.exportPrefix, request.exportFormat, progress);
  }
  if (request.curvesFile) {
    CreateParentDirectory(*request.curvesFile);
    ExportCurves(state, *request.curvesFile);
  }
  if (!pictures) return;

  // Memory that runs out while the pictures are drawn is the pictures' failure, named by their file.
  const std::string firstPicture = request.pngFile ? *request.pngFile : *request.labelledPngFile;
  try {
    SavePictures(request, fields, state, view);
  } catch (const std::bad_alloc&) {
    throw UserError(CannotWriteMessage(firstPicture, "not enough memory to draw the picture"));
  }
}
