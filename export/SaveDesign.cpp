#include "export/SaveDesign.h"

#include <string>

#include "export/StagedFiles.h"

void SaveDesignFile(const std::filesystem::path& path, const DesignSettings& settings) {
  // Driver files are kept relative to the design file's directory.
  const std::string document = FormatDesignFile(settings, path.has_parent_path() ? path.parent_path() : ".");
  StagedFiles files;
  files.Stage(path, [&](StagedOutput& output) { output.Write(document); });
  files.Commit();
}
