#include "export/SaveDesign.h"

#include <string>

#include "export/StagedFiles.h"

void SaveDesignFile(const std::filesystem::path& path, const DesignSettings& settings) {
  const std::string document = FormatDesignFile(settings);
  StagedFiles files;
  files.Stage(path, [&](StagedOutput& output) { output.Write(document); });
  files.Commit();
}
