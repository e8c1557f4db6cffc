#include "export/PictureFile.h"

#include "export/StagedFiles.h"
#include "numerics/Errors.h"

void SavePngBytes(const std::filesystem::path& file, std::string_view png) {
  if (png.empty()) throw UserError(CannotWriteMessage(file, "the picture cannot be encoded as PNG"));
  StagedFiles staged;
  staged.Stage(file, [&](StagedOutput& output) { output.Write(png); });
  staged.Commit();
}
