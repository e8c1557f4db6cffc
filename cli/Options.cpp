#include "cli/Options.h"

#include <string_view>

#include "cli/CliAcousticOptions.h"
#include "numerics/Errors.h"
#include "numerics/SampleRate.h"
#include "numerics/TextConvert.h"

namespace {

struct FieldOption {
  std::string_view name;
  Field field;
  std::string_view valueName;
  std::string_view role;
};

// The design options map one-to-one onto the window's fields.
constexpr FieldOption DesignOptions[] = {
    {"--low-taps", Field::Edit1, "N", "low band tap count"},
    {"--mid-taps", Field::Edit9, "N", "mid band tap count"},
    {"--high-taps", Field::Edit10, "N", "high band tap count"},
    {"--low-cut", Field::Edit2, "HZ", "low band cutoff (mid band lower edge while adjusting)"},
    {"--mid-low", Field::Edit5, "HZ", "mid band lower edge"},
    {"--mid-high", Field::Edit4, "HZ", "mid band upper edge"},
    {"--high-cut", Field::Edit3, "HZ", "high band cutoff (mid band upper edge while adjusting)"},
    {"--shelf-f1", Field::EditShelbL, "HZ", "lower shelving corner f1"},
    {"--shelf-f2", Field::EditShelbH, "HZ", "upper shelving corner f2"},
    {"--attenuation", Field::Edit8, "DB", "stop-band attenuation"},
};

constexpr FieldOption EstimateOptions[] = {
    {"--pass", Field::Edit6, "HZ", "pass-band edge"},
    {"--stop", Field::Edit7, "HZ", "stop-band edge"},
    {"--attenuation", Field::Edit8, "DB", "stop-band attenuation"},
};

constexpr std::string_view ShelfCutOption = "--shelf-cut";
constexpr std::string_view RateOption = "--rate";

// The design-file options of every command, each with a file name.
bool IsDesignFileOption(std::string_view name) { return name == "--load" || name == "--save"; }

// The export options of design, each with a value.
constexpr std::string_view ExportOptions[] = {"--export", "--format", "--prefix", "--curves", "--png", "--png-labelled"};

bool IsExportOption(std::string_view name) {
  for (std::string_view option : ExportOptions)
    if (option == name) return true;
  return false;
}

// Stores one export option; returns the usage error, or an empty text.
std::string SetExportOption(CliRequest& request, std::string_view name, const std::string& value) {
  if (name == "--format") {
    const std::optional<FilterFormat> format = FilterFormatFromName(value);
    if (!format) return "option --format takes wav, wav64, txt, f32, dbl or csv, not '" + value + "'";
    request.exportFormat = *format;
    return "";
  }
  if (name == "--prefix") {
    request.exportPrefix = value;
    return PrefixProblem(value);
  }
  if (value.empty()) return "option " + std::string(name) + " needs a file or directory name";
  if (name == "--export") request.exportDirectory = value;
  if (name == "--curves") request.curvesFile = value;
  if (name == "--png") request.pngFile = value;
  if (name == "--png-labelled") request.labelledPngFile = value;
  return "";
}
constexpr int MaxShelfCutDb = ShelfCutOfPosition(0);

template <size_t Count>
const FieldOption* FindOption(const FieldOption (&options)[Count], std::string_view name) {
  for (const FieldOption& option : options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::string OptionLines(std::string_view command) {
  std::string text;
  auto line = [&text](std::string_view left, const std::string& right) {
    std::string padded(left);
    padded.resize(24, ' ');
    text += "  " + padded + right + "\n";
  };
  auto fieldLines = [&](const auto& options) {
    for (const FieldOption& option : options) {
      line(std::string(option.name) + " " + std::string(option.valueName),
           std::string(option.role) + ", " + FieldName(option.field) + " (\"" + DefaultText(option.field) + "\")");
    }
  };
  auto rateLine = [&] {
    line(std::string(RateOption) + " HZ", "sampling rate of the design, " + std::to_string(MinSampleRate) + " .. " +
                                              std::to_string(MaxSampleRate) + " Hz (" + std::to_string(SampleRate) + ")");
  };
  if (command == "design") {
    fieldLines(DesignOptions);
    line("--adjust, --no-adjust", "\"adjust coefficient\", CheckBox3 (ticked)");
    line(std::string(ShelfCutOption) + " N", "shelving cut in dB, 0 .. 6 (0); the slider at position 6 - N");
    rateLine();
    line("--export DIR", "write the filters and a summary into DIR (made, parents too, when missing)");
    line("--format F", "their format: wav (32-bit float, the default), wav64, txt, f32, dbl or csv");
    line("--prefix NAME", "their names: NAME-low.wav, -mid, -high, -sum, -shelf, -summary.txt (firxover)");
    line("", "{rate} in DIR, NAME and the files below is replaced by the rate in Hz");
    line("--curves FILE", "write the eight response curves as CSV (magnitudes and dB)");
    line("--png FILE", "write the graph picture Image1 (681 x 337) as PNG");
    line("--png-labelled FILE", "write the graph with its axis labels (788 x 599) as PNG");
    line("--progress", "show the progress of the Calc and of the export as lines on stderr");
    text += DriverOptionLines();
  } else if (command == "report") {
    fieldLines(DesignOptions);
    line("--adjust, --no-adjust", "\"adjust coefficient\", CheckBox3 (ticked)");
    line(std::string(ShelfCutOption) + " N", "shelving cut in dB, 0 .. 6 (0)");
    rateLine();
    line("--progress", "show the Calc's progress as a line on stderr");
    text += DriverOptionLines();
    line("--load FILE", "take the fields from the design file FILE first; the other options override them");
    line("--save FILE", "write the fields as they stand after the command to the design file FILE");
    line("--json", "print the report as one JSON object");
    return text;
  } else {
    fieldLines(EstimateOptions);
    rateLine();
  }
  line("--load FILE", "take the fields from the design file FILE first; the other options override them");
  line("--save FILE", "write the fields as they stand after the command to the design file FILE");
  line("--json", "print the fields, labels, design state and grid as one JSON object");
  return text;
}

}  // namespace

std::string UsageSummary() {
  return "Usage: firxover-cli design [--load FILE] [options] [--rate HZ] [--json]\n"
         "                          [--export DIR [--format F] [--prefix NAME]] [--curves FILE] [--png FILE]\n"
         "                          [--png-labelled FILE] [--save FILE] [driver options] [--acoustic-csv FILE]\n"
         "       firxover-cli report [--load FILE] [design options] [--rate HZ] [driver options]\n"
         "                          [--acoustic-csv FILE] [--json] [--save FILE]\n"
         "       firxover-cli estimate [--load FILE] [--pass HZ] [--stop HZ] [--attenuation DB] [--rate HZ]\n"
         "                            [--json] [--save FILE]\n"
         "       firxover-cli --help | --version\n";
}

std::string HelpText() {
  return UsageSummary() +
         "\nRuns the crossover Calc or the Kaiser length estimate of the window without it. Each option\n"
         "value is taken as the text of its field, so it is read and checked as the window reads it.\n"
         "\ndesign: the three-way crossover; prints CMax and the total length.\n" +
         OptionLines("design") +
         "\nreport: the design's Calc, then what its filters achieve: latency, peak gain, pre-ringing,\n"
         "band edges, ripple, stop-band attenuation, crossovers, and how flat the sum is.\n" +
         OptionLines("report") +
         "\nestimate: the Kaiser length estimate; prints the cutoff and the recommended taps.\n" +
         OptionLines("estimate") +
         "\nExit status: 0 done, 1 the command reported an error (its message on stderr),"
         " 2 a usage error.\n";
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine parsed;
  CliRequest& request = parsed.request;
  auto fail = [&parsed](const std::string& message) {
    parsed.usageError = message;
    return parsed;
  };

  if (argc < 2) return fail("no command given");
  const std::string_view word = argv[1];
  if (word == "--help" || word == "-h") {
    request.command = CliCommand::Help;
    return parsed;
  }
  if (word == "--version") {
    request.command = CliCommand::Version;
    return parsed;
  }
  if (word == "design") {
    request.command = CliCommand::Design;
  } else if (word == "report") {
    request.command = CliCommand::Report;
  } else if (word == "estimate") {
    request.command = CliCommand::Estimate;
  } else {
    return fail("unknown command '" + std::string(word) + "'");
  }

  // report takes the design's fields, check box, slider and progress, but writes no files.
  const bool designs = request.command == CliCommand::Design || request.command == CliCommand::Report;
  bool formatOrPrefixGiven = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.size() < 3 || argument.substr(0, 2) != "--") {
      return fail("unexpected argument '" + std::string(argument) + "'");
    }
    const size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const bool inlineValue = equals != std::string_view::npos;

    const bool isFlag = name == "--json" || name == "--help" || name == "--version" ||
                        (designs && (name == "--adjust" || name == "--no-adjust" || name == "--progress" ||
                                     IsDriverFlag(name)));
    if (isFlag) {
      if (inlineValue) return fail("option " + std::string(name) + " takes no value");
      if (name == "--json") request.json = true;
      if (name == "--help") request.command = CliCommand::Help;
      if (name == "--version") request.command = CliCommand::Version;
      if (name == "--adjust") request.adjustChecked = true;
      if (name == "--no-adjust") request.adjustChecked = false;
      if (name == "--progress") request.progress = true;
      SetDriverFlag(request, name);
      if (name == "--help" || name == "--version") return parsed;
      continue;
    }

    const FieldOption* option = designs ? FindOption(DesignOptions, name) : FindOption(EstimateOptions, name);
    const bool isShelfCut = designs && name == ShelfCutOption;
    const bool isRate = name == RateOption;
    const bool isExport = request.command == CliCommand::Design && IsExportOption(name);
    const bool isDesignFile = IsDesignFileOption(name);
    const bool isDriver = designs && IsDriverValueOption(name);
    if (option == nullptr && !isShelfCut && !isRate && !isExport && !isDesignFile && !isDriver) {
      return fail("unknown option '" + std::string(name) + "' for " + std::string(word));
    }
    std::string value;
    if (inlineValue) {
      value = std::string(argument.substr(equals + 1));
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      return fail("option " + std::string(name) + " needs a value");
    }

    if (option != nullptr) {
      request.texts.emplace_back(option->field, value);
      continue;
    }
    if (isDesignFile) {
      if (value.empty()) return fail("option " + std::string(name) + " needs a file name");
      (name == "--load" ? request.loadFile : request.saveFile) = value;
      continue;
    }
    if (isDriver) {
      if (const std::string problem = SetDriverOption(request, name, value); !problem.empty()) return fail(problem);
      continue;
    }
    if (isExport) {
      if (const std::string problem = SetExportOption(request, name, value); !problem.empty()) return fail(problem);
      formatOrPrefixGiven = formatOrPrefixGiven || name == "--format" || name == "--prefix";
      continue;
    }
    if (isRate) {
      try {
        request.rateHz = ParseSampleRate(value);
      } catch (const UserError& error) {
        return fail("option " + std::string(RateOption) + ": " + error.Text());
      }
      continue;
    }
    int cutDb = -1;
    try {
      cutDb = ParseInteger(value);
    } catch (const UserError&) {
    }
    if (cutDb < 0 || cutDb > MaxShelfCutDb) {
      return fail("option " + std::string(ShelfCutOption) + " takes a whole number of dB from 0 to 6, not '" +
                  value + "'");
    }
    request.shelfCutDb = cutDb;
  }
  if (formatOrPrefixGiven && !request.exportDirectory) return fail("options --format and --prefix need --export DIR");
  return parsed;
}
