#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "acoustic/AcousticModel.h"
#include "export/Export.h"
#include "pipeline/DesignState.h"
#include "pipeline/Fields.h"

enum class CliCommand { Design, Report, Estimate, Help, Version };

// The driver options of one way (cli/CliAcousticOptions.h); each given one overrides the design file.
struct CliDriverOptions {
  std::optional<std::string> file;
  std::optional<double> delayMs;
  std::optional<Polarity> sign;
  std::optional<double> trimDb;
};

// One command line, read but not yet run. Field values are kept as the texts the user typed, so
// that the commands parse them exactly as they parse the window's fields.
struct CliRequest {
  CliCommand command = CliCommand::Help;
  std::vector<std::pair<Field, std::string>> texts;  // in the order given; a later one wins
  std::optional<bool> adjustChecked;                 // CheckBox3
  std::optional<int> shelfCutDb;                     // 0 .. 6, the slider at position 6 - cut
  std::optional<int> rateHz;                         // --rate: MinSampleRate .. MaxSampleRate
  bool json = false;
  bool progress = false;  // --progress: the Calc's progress as a line on stderr (design only)
  // What the design writes besides its output (design only).
  std::optional<std::string> exportDirectory;       // --export: the filters and their summary
  FilterFormat exportFormat = FilterFormat::Wav32;  // --format
  std::string exportPrefix = "firxover";            // --prefix
  std::optional<std::string> curvesFile;            // --curves: the response curves as CSV
  std::optional<std::string> pngFile;               // --png: Image1
  std::optional<std::string> labelledPngFile;       // --png-labelled: the graph with its axis labels
  // The drivers behind the ways and the acoustic CSV (design and report).
  std::array<CliDriverOptions, WayCount> drivers;
  std::optional<std::string> acousticCsvFile;  // --acoustic-csv
  // Design files (design and estimate): --load is read before every other option is applied,
  // wherever it stands; --save writes the fields as they stand after the command.
  std::optional<std::string> loadFile;
  std::optional<std::string> saveFile;
};

struct ParsedCommandLine {
  CliRequest request;
  std::string usageError;  // empty when the command line is well formed
};

// Reads argv[1 ..]: the command word, then "--name value" or "--name=value" options. A value is taken
// as it stands, even when it begins with '-'.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// The full help text, and the short reminder printed after a usage error.
std::string HelpText();
std::string UsageSummary();
