#include "cli/CliAcoustic.h"

#include "acoustic/AcousticCsv.h"
#include "analysis/AcousticReport.h"
#include "cli/Json.h"
#include "export/OutputDirectory.h"
#include "export/StagedFiles.h"

bool HasDriverOption(const CliRequest& request) {
  for (const CliDriverOptions& driver : request.drivers)
    if (driver.file || driver.delayMs || driver.sign || driver.trimDb) return true;
  return false;
}

std::optional<DriverSetups> RequestedDrivers(const CliRequest& request, const DesignSettings& loaded) {
  if (!HasDriverOption(request) && !request.acousticCsvFile && !loaded.drivers) return std::nullopt;
  DriverSetups setups = loaded.drivers.value_or(DriverSetups{});
  for (Way way : AllWays) {
    const CliDriverOptions& given = request.drivers[static_cast<int>(way)];
    DriverSetup& setup = setups[static_cast<int>(way)];
    if (given.file) setup.File = *given.file;
    if (given.delayMs) setup.DelayMs = *given.delayMs;
    if (given.sign) setup.Sign = *given.sign;
    if (given.trimDb) setup.TrimDb = *given.trimDb;
  }
  return setups;
}

AcousticResponse RunAcoustic(const CliRequest& request, const DriverSet& drivers, const ReportInput& input,
                             std::ostream& err) {
  AcousticResponse response = AcousticResponseFor(input, drivers);
  for (const std::string& note : response.HeldRanges) err << ToValidUtf8(note) << "\n";
  if (request.acousticCsvFile) {
    CreateParentDirectory(*request.acousticCsvFile);
    WriteAcousticCsv(response, *request.acousticCsvFile);
  }
  return response;
}

void WriteAcousticCsv(const AcousticResponse& response, const std::filesystem::path& file) {
  const std::string text = AcousticCsv(response);
  StagedFiles staged;
  staged.Stage(file, [&](StagedOutput& output) { output.Write(text); });
  staged.Commit();
}
