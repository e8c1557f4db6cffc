#include "export/Export.h"

#include "analysis/Report.h"
#include "analysis/ReportInputs.h"
#include "analysis/ReportText.h"
#include "export/StagedFiles.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"

std::string PrefixProblem(const std::string& prefix) {
  if (prefix.empty()) return "The file name prefix is empty.";
  if (prefix == "." || prefix == "..") return "The file name prefix '" + prefix + "' is not a file name.";
  if (prefix.find('/') != std::string::npos || prefix.find('\0') != std::string::npos) {
    return "The file name prefix '" + prefix + "' must not contain '/'.";
  }
  return "";
}

std::vector<std::filesystem::path> ExportFileNames(const std::filesystem::path& directory, const std::string& prefix,
                                                   FilterFormat format) {
  std::vector<std::filesystem::path> files;
  const std::string extension = FilterFormatExtension(format);
  if (format == FilterFormat::Csv) {
    files.push_back(directory / (prefix + "-bands.csv"));
    files.push_back(directory / (prefix + "-shelf.csv"));
  } else {
    for (const char* part : {"-low", "-mid", "-high", "-sum", "-shelf"}) files.push_back(directory / (prefix + part + extension));
  }
  files.push_back(directory / (prefix + "-summary.txt"));
  return files;
}

std::vector<std::filesystem::path> ExportFilters(const DesignState& state, const CalcRecord& record,
                                                 const std::filesystem::path& directory, const std::string& prefix,
                                                 FilterFormat format, const ExportProgress& progress) {
  if (const std::string problem = PrefixProblem(prefix); !problem.empty()) throw UserError(problem);
  const ExportedFilters filters = SelectFilters(state, record);
  const std::vector<std::filesystem::path> files = ExportFileNames(directory, prefix, format);
  // The filters take a small share of the time; the summary's measure of the sum at every grid
  // frequency takes the rest.
  constexpr double cWritingShare = 0.1;
  size_t written = 0;
  auto report = [&](double fraction) {
    if (progress) progress(fraction);
  };
  auto reportWriting = [&] { report(cWritingShare * static_cast<double>(written) / static_cast<double>(files.size() - 1)); };
  StagedFiles staged;
  staged.SetTick(reportWriting);
  auto stage = [&](const std::filesystem::path& file, const std::function<void(StagedOutput&)>& write) {
    reportWriting();
    staged.Stage(file, write);
    ++written;
  };
  if (format == FilterFormat::Csv) {
    stage(files[0], [&](StagedOutput& output) { WriteBandsCsv(output, filters); });
    stage(files[1], [&](StagedOutput& output) { WriteShelfCsv(output, filters.Shelf); });
  } else {
    const std::span<const double> all[] = {filters.Low, filters.Mid, filters.High, filters.Sum, filters.Shelf};
    for (size_t k = 0; k < std::size(all); ++k) {
      stage(files[k], [&](StagedOutput& output) { WriteFilter(output, all[k], format, record.RateHz); });
    }
  }
  // The summary ends with the design report of the same filters.
  const std::string summary = SummaryText(record, filters, files, format,
                                          [&](double fraction) {
                                            report(cWritingShare + (1 - cWritingShare) * fraction);
                                          }) +
                              "\n" + ReportText(ComputeReport(ReportInputFor(state, record)));
  staged.Stage(files.back(), [&](StagedOutput& output) { output.Write(summary); });
  staged.Commit();
  report(1.0);
  return files;
}

