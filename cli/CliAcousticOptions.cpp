#include "cli/CliAcousticOptions.h"

#include <optional>

#include "acoustic/DriverSetup.h"
#include "cli/Options.h"
#include "numerics/TextConvert.h"

namespace {

enum class DriverOption { File, DelayMs, TrimDb, Invert, NoInvert };

struct DriverOptionName {
  std::string_view suffix;
  DriverOption option;
};

constexpr DriverOptionName Suffixes[] = {
    {"-driver", DriverOption::File},     {"-delay-ms", DriverOption::DelayMs}, {"-trim-db", DriverOption::TrimDb},
    {"-invert", DriverOption::Invert},   {"-no-invert", DriverOption::NoInvert},
};

constexpr std::string_view AcousticCsvOption = "--acoustic-csv";

struct NamedDriverOption {
  Way way;
  DriverOption option;
};

// "--mid-trim-db" -> the mid way's trim; nothing for any other name.
std::optional<NamedDriverOption> FindDriverOption(std::string_view name) {
  if (name.substr(0, 2) != "--") return std::nullopt;
  name.remove_prefix(2);
  for (Way way : AllWays) {
    const std::string_view wayName = WayName(way);
    if (name.substr(0, wayName.size()) != wayName) continue;
    const std::string_view rest = name.substr(wayName.size());
    for (const DriverOptionName& entry : Suffixes)
      if (rest == entry.suffix) return NamedDriverOption{way, entry.option};
  }
  return std::nullopt;
}

bool IsFlag(DriverOption option) { return option == DriverOption::Invert || option == DriverOption::NoInvert; }

// A number within +-limit as the option's value, or nothing.
std::optional<double> Bounded(const std::string& value, bool (*within)(double)) {
  const std::optional<double> number = ParseDecimal(value);
  if (!number || !within(*number)) return std::nullopt;
  return *number + 0.0;  // no "-0" kept
}

}  // namespace

bool IsDriverFlag(std::string_view name) {
  const auto found = FindDriverOption(name);
  return found && IsFlag(found->option);
}

bool IsDriverValueOption(std::string_view name) {
  const auto found = FindDriverOption(name);
  return name == AcousticCsvOption || (found && !IsFlag(found->option));
}

void SetDriverFlag(CliRequest& request, std::string_view name) {
  const auto found = FindDriverOption(name);
  if (!found || !IsFlag(found->option)) return;
  request.drivers[static_cast<int>(found->way)].sign =
      found->option == DriverOption::Invert ? Polarity::Inverted : Polarity::Normal;
}

std::string SetDriverOption(CliRequest& request, std::string_view name, const std::string& value) {
  const std::string option(name);
  if (name == AcousticCsvOption) {
    if (value.empty()) return "option " + option + " needs a file name";
    request.acousticCsvFile = value;
    return "";
  }
  const auto found = FindDriverOption(name);
  if (!found) return "unknown option '" + option + "'";
  CliDriverOptions& driver = request.drivers[static_cast<int>(found->way)];
  switch (found->option) {
    case DriverOption::File:
      if (value.empty()) return "option " + option + " needs a file name";
      driver.file = value;
      return "";
    case DriverOption::DelayMs:
      driver.delayMs = Bounded(value, IsDriverDelay);
      if (driver.delayMs) return "";
      return "option " + option + " takes a number of ms from -" + FormatGeneral(MaxDriverDelayMs) + " to " +
             FormatGeneral(MaxDriverDelayMs) + ", not '" + value + "'";
    case DriverOption::TrimDb:
      driver.trimDb = Bounded(value, IsDriverTrim);
      if (driver.trimDb) return "";
      return "option " + option + " takes a number of dB from -" + FormatGeneral(MaxDriverTrimDb) + " to " +
             FormatGeneral(MaxDriverTrimDb) + ", not '" + value + "'";
    case DriverOption::Invert:
    case DriverOption::NoInvert:
      break;
  }
  return "option " + option + " takes no value";
}

std::string DriverOptionLines() {
  std::string text;
  auto line = [&text](std::string_view left, const std::string& right) {
    std::string padded(left);
    padded.resize(24, ' ');
    text += "  " + padded + right + "\n";
  };
  line("--low-driver FILE", "the low way's driver measurement (.frd, .txt); without one, an ideal driver");
  line("--low-delay-ms X", "the low way's acoustic delay in ms, -" + FormatGeneral(MaxDriverDelayMs) + " .. " +
                               FormatGeneral(MaxDriverDelayMs) + " (0)");
  line("--low-trim-db X", "the low way's level trim in dB, -" + FormatGeneral(MaxDriverTrimDb) + " .. " +
                              FormatGeneral(MaxDriverTrimDb) + " (0)");
  line("--low-invert", "the low way's driver in reversed polarity");
  line("--low-no-invert", "the low way's driver in normal polarity (the default; overrides a design file)");
  line("--mid-..., --high-...", "the same for the mid and the high way");
  line("--acoustic-csv FILE", "write each way's driver through its filter and their sum as CSV");
  return text;
}
