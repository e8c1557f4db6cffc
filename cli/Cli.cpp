#include "cli/Cli.h"

#include <string>

#include "cli/CliExport.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "pipeline/Commands.h"
#include "pipeline/DesignState.h"
#include "pipeline/MemoryFields.h"
#include "pipeline/WindowHandlers.h"

namespace {

constexpr int ExitDone = 0;
constexpr int ExitCommandFailed = 1;
constexpr int ExitUsage = 2;

}  // namespace

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
  if (!parsed.usageError.empty()) {
    err << "firxover-cli: " << ToValidUtf8(parsed.usageError) << "\n" << UsageSummary()
        << "Try 'firxover-cli --help' for the options.\n";
    return ExitUsage;
  }
  const CliRequest& request = parsed.request;
  if (request.command == CliCommand::Help) {
    out << HelpText();
    return ExitDone;
  }
  if (request.command == CliCommand::Version) {
    out << "firxover-cli " << FIRXOVER_VERSION << "\n";
    return ExitDone;
  }

  MemoryFields fields;
  for (const auto& [field, text] : request.texts) fields.SetText(field, text);
  if (request.adjustChecked) fields.SetAdjustChecked(*request.adjustChecked);
  if (request.shelfCutDb) {
    // Moved there by hand, the slider would show its cut beside it as well.
    fields.SetSliderPosition(6 - *request.shelfCutDb);
    fields.SetCaption(Caption::LabelShelbDb, "+" + std::to_string(*request.shelfCutDb) + "dB");
  }

  DesignState state;
  const bool design = request.command == CliCommand::Design;
  const bool ranToEnd = RunReported(fields, [&] {
    if (design) {
      CalcCommand(fields, state);
    } else {
      LengthEstimateCommand(fields);
    }
  });
  // A validation message stops the command without an error, but it produced no result either.
  const bool calcFailed = !ranToEnd || !fields.Messages().empty();
  // Files are written only from a Calc that completed; a file that cannot be written is reported
  // like a command error.
  bool failed = calcFailed;
  if (design && !calcFailed && WantsExport(request)) {
    failed = !RunReported(fields, [&] { RunExports(request, fields, state); });
  }

  if (request.json) {
    WriteJson(out, fields, state);
  } else if (!calcFailed) {
    const Caption first = design ? Caption::Label21 : Caption::Label18;
    const Caption second = design ? Caption::Label28 : Caption::Label20;
    out << ToValidUtf8(fields.CaptionText(first)) << "\n" << ToValidUtf8(fields.CaptionText(second)) << "\n";
  }
  for (const std::string& message : fields.Messages()) err << ToValidUtf8(message) << "\n";
  return failed ? ExitCommandFailed : ExitDone;
}
