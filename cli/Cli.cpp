#include "cli/Cli.h"

#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "analysis/AcousticReport.h"
#include "analysis/Report.h"
#include "analysis/ReportInputs.h"
#include "analysis/ReportJson.h"
#include "analysis/ReportText.h"
#include "cli/CliAcoustic.h"
#include "cli/CliDesignFile.h"
#include "cli/CliExport.h"
#include "cli/DescriptorOutput.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "export/OutputTarget.h"
#include "export/SaveDesign.h"
#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "pipeline/Commands.h"
#include "pipeline/DesignState.h"
#include "pipeline/MemoryFields.h"
#include "pipeline/WindowHandlers.h"

namespace {

constexpr int ExitDone = 0;
constexpr int ExitCommandFailed = 1;
constexpr int ExitUsage = 2;

// The in-memory fields with the progress of the Calc, and then of the export, shown as one line each
// on err, rewritten in place as the whole percentage grows and ended when that stage is over.
class ProgressFields : public MemoryFields {
 public:
  explicit ProgressFields(std::ostream* err) : err_(err) {}

  // Starts the line of the next stage ("Export"), ending the previous one.
  void BeginStage(const char* label) {
    EndLine();
    label_ = label;
    shownPercent_ = -1;
    ended_ = false;
  }

  void ReportProgress(double fraction) override {
    if (err_ == nullptr) return;
    const int percent = static_cast<int>(fraction * 100);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    ended_ = fraction >= 1.0;
    *err_ << "\r" << label_ << " " << percent << "%" << (ended_ ? "\n" : "") << std::flush;
  }
  // Ends a line that a failing Calc left open, so that its message starts a line of its own.
  void EndLine() {
    if (err_ != nullptr && shownPercent_ >= 0 && !ended_) *err_ << "\n";
    ended_ = true;
  }

 private:
  std::ostream* err_;
  const char* label_ = "Calc";
  int shownPercent_ = -1;
  bool ended_ = false;
};

// Everything printed must reach its destination: a full disk or a closed descriptor must not pass
// for success. Returns false, with the message on err, when it did not.
bool FlushedOut(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out) return true;
  const auto* descriptor = dynamic_cast<const DescriptorOutput*>(out.rdbuf());
  const int error = descriptor != nullptr ? descriptor->Error() : 0;
  err << "Cannot write to standard output" << (error != 0 ? ": " + std::generic_category().message(error) : "")
      << "\n";
  return false;
}

// The files the request would write, in the order written.
std::vector<std::filesystem::path> OutputFiles(const CliRequest& request) {
  std::vector<std::filesystem::path> files;
  if (request.exportDirectory) {
    files = ExportFileNames(*request.exportDirectory, request.exportPrefix, request.exportFormat);
  }
  for (const auto& file :
       {request.curvesFile, request.pngFile, request.labelledPngFile, request.acousticCsvFile, request.saveFile}) {
    if (file) files.emplace_back(*file);
  }
  return files;
}

// The rate in place of every {rate} of the names the request writes to.
void SubstituteRate(CliRequest& request, int rateHz) {
  if (request.exportDirectory) request.exportDirectory = WithRate(*request.exportDirectory, rateHz);
  request.exportPrefix = WithRate(request.exportPrefix, rateHz);
  for (std::optional<std::string>* file :
       {&request.curvesFile, &request.pngFile, &request.labelledPngFile, &request.acousticCsvFile}) {
    if (*file) **file = WithRate(**file, rateHz);
  }
}

int UsageError(std::ostream& err, const std::string& message) {
  err << "firxover-cli: " << ToValidUtf8(message) << "\n" << UsageSummary()
      << "Try 'firxover-cli --help' for the options.\n";
  return ExitUsage;
}

}  // namespace

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.usageError.empty()) return UsageError(err, parsed.usageError);
  CliRequest request = parsed.request;
  if (request.command == CliCommand::Help) {
    out << HelpText();
    return FlushedOut(out, err) ? ExitDone : ExitCommandFailed;
  }
  if (request.command == CliCommand::Version) {
    out << "firxover-cli " << FIRXOVER_VERSION << "\n";
    return FlushedOut(out, err) ? ExitDone : ExitCommandFailed;
  }
  ProgressFields fields(request.progress ? &err : nullptr);
  // The design file first, so that every other option overrides it; a file that cannot be used
  // stops the command before anything is computed or written.
  DesignSettings loaded;
  if (request.loadFile) {
    try {
      loaded = ReadDesignFile(*request.loadFile);
    } catch (const UserError& error) {
      err << ToValidUtf8(error.Text()) << "\n";
      return ExitCommandFailed;
    }
    LoadDesignSettings(loaded, fields);
  }
  for (const auto& [field, text] : request.texts) fields.SetText(field, text);
  if (request.adjustChecked) fields.SetAdjustChecked(*request.adjustChecked);
  if (request.shelfCutDb) SetShelfCut(fields, *request.shelfCutDb);
  if (request.rateHz) fields.SetRateHz(*request.rateHz);
  SubstituteRate(request, fields.RateHz());
  // One file for two outputs would leave only the last of them.
  if (const auto repeated = RepeatedOutput(OutputFiles(request))) {
    return UsageError(err, RepeatedOutputMessage(repeated->first, repeated->second));
  }

  DesignState state;
  const bool report = request.command == CliCommand::Report;
  const bool design = request.command == CliCommand::Design || report;
  // The drivers' measurements are read before anything is computed or written: a file that cannot
  // be used stops the command.
  std::optional<DriverSet> drivers;
  if (design) {
    if (const std::optional<DriverSetups> setups = RequestedDrivers(request, loaded)) {
      try {
        drivers = LoadDrivers(*setups);
      } catch (const UserError& error) {
        err << ToValidUtf8(error.Text()) << "\n";
        return ExitCommandFailed;
      }
      if (HasDriverOption(request) || loaded.drivers) loaded.drivers = *setups;
    }
  }
  std::optional<CalcRecord> calc;
  bool completed = false;
  if (design) {
    const CalcOutcome outcome = CalcCommand(fields, state);
    fields.EndLine();
    ShowCalcOutcome(fields, outcome);
    calc = outcome.Record;
    completed = outcome.Status == CalcStatus::Completed;
  } else {
    completed = RunReported(fields, [&] { LengthEstimateCommand(fields); });
  }
  // Files are written only from a Calc that completed; a file that cannot be written is reported
  // like a command error.
  bool failed = !completed;
  if (calc && WantsExport(request)) {
    GraphView view;
    view.FrequencyAxisLog = loaded.logFrequency;
    view.AmplitudeAxisLog = loaded.logLevel;
    fields.BeginStage("Export");
    failed = !RunReported(fields, [&] {
      RunExports(request, fields, state, *calc, view, [&](double fraction) { fields.ReportProgress(fraction); });
    });
    fields.EndLine();
  }
  std::optional<AcousticResponse> acoustic;
  if (calc && drivers && !RunReported(fields, [&] {
        acoustic = RunAcoustic(request, *drivers, ReportInputFor(state, *calc), err);
      })) {
    failed = true;
  }
  // The fields as the command left them, tap counts made odd included, even when it ended with
  // a message: the design as it stands can be opened and corrected.
  if (request.saveFile && !RunReported(fields, [&] {
        SaveDesignFile(*request.saveFile, CurrentDesignSettings(fields, loaded));
      })) {
    failed = true;
  }

  if (report) {
    // The report of the Calc that completed; a failed Calc has none to print.
    std::string text;
    if (calc) {
      // A failed export before it stays a failure.
      failed = !RunReported(fields, [&] {
        const ReportInput input = ReportInputFor(state, *calc);
        const DesignReport measured = ComputeReport(input);
        std::optional<AcousticReport> section;
        if (acoustic) section = AcousticReportFor(input, *drivers, *acoustic);
        if (request.json) {
          nlohmann::ordered_json json = ReportJson(measured);
          if (section) json["acoustic"] = AcousticReportJson(*section);
          // Measurement file names may hold any bytes; JSON texts must be UTF-8.
          text = json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
        } else {
          text = ReportText(measured) + (section ? ToValidUtf8(AcousticReportText(*section)) : "");
        }
      }) || failed;
    }
    out << text;
  } else if (request.json) {
    WriteJson(out, fields, state);
  } else if (completed) {
    const Caption first = design ? Caption::Label21 : Caption::Label18;
    const Caption second = design ? Caption::Label28 : Caption::Label20;
    out << ToValidUtf8(fields.CaptionText(first)) << "\n" << ToValidUtf8(fields.CaptionText(second)) << "\n";
  }
  if (!FlushedOut(out, err)) failed = true;
  for (const std::string& message : fields.Messages()) err << ToValidUtf8(message) << "\n";
  return failed ? ExitCommandFailed : ExitDone;
}
