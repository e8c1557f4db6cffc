// firxover-cli with driver measurements: the options, the acoustic CSV, the report's acoustic
// section, refusals, and the drivers kept in design files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Options.h"
#include "designfile/DesignFile.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/Scratch.h"

namespace fs = std::filesystem;

namespace {

using CliResult = testing_support::CliRun;

CliResult Cli(std::vector<std::string> arguments) { return testing_support::RunCliInProcess(std::move(arguments)); }

std::vector<std::vector<double>> CsvRows(const std::string& text) {
  std::vector<std::vector<double>> rows;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // the header
  while (std::getline(lines, line)) {
    std::vector<double> row;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) row.push_back(cell == "-inf" ? -INFINITY : std::stod(cell));
    rows.push_back(row);
  }
  return rows;
}

// The phase in degrees brought into (-180, 180].
double Wrapped(double degrees) {
  const double wrapped = std::remainder(degrees, 360.0);
  return wrapped == -180.0 ? 180.0 : wrapped;
}

class CliAcoustic : public testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_ / name; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  static std::string Contents(const std::string& path) { return testing_support::ReadBytes(path); }
  std::vector<std::string> Names() const { return scratch_.Names(); }

  testing_support::ScratchDir scratch_{"firxover-cli-acoustic"};
  const fs::path& directory_ = scratch_.Path();
};

TEST_F(CliAcoustic, IdealDriversOfTheAdjustedBandsSumFlat) {
  // The default design's bands sum to a pure delay; with ideal drivers and that delay taken out the
  // acoustic sum is 0 dB and 0 degrees everywhere.
  const std::string csv = Path("made/on/demand/acoustic.csv");
  const CliResult run = Cli({"report", "--acoustic-csv", csv, "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::json acoustic = nlohmann::json::parse(run.out)["acoustic"];
  EXPECT_EQ(acoustic["from_hz"], 150.0);
  EXPECT_EQ(acoustic["to_hz"], 4000.0);
  EXPECT_EQ(acoustic["points"], 227);  // 10 * 2^(n/48) for n = 188 .. 414
  EXPECT_NEAR(acoustic["mean_db"].get<double>(), 0.0, 1e-9);
  EXPECT_LT(acoustic["largest_deviation_db"].get<double>(), 1e-9);
  EXPECT_EQ(acoustic["held_ranges"], nlohmann::json::array());
  EXPECT_EQ(acoustic["drivers"]["mid"],
            nlohmann::json::parse(R"({"file": null, "phase": null, "delay_ms": 0.0, "inverted": false, "trim_db": 0.0})"));

  const std::string text = Contents(csv);
  ASSERT_EQ(text.substr(0, text.find('\n')), "freq_hz,low_db,low_deg,mid_db,mid_deg,high_db,high_deg,sum_db,sum_deg");
  const auto rows = CsvRows(text);
  ASSERT_EQ(rows.size(), 527u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 9u);
    EXPECT_NEAR(row[7], 0.0, 1e-9) << row[0];
    EXPECT_NEAR(row[8], 0.0, 1e-7) << row[0];
    // A linear-phase band with its latency out is real: 0 or 180 degrees.
    for (int column : {2, 4, 6}) EXPECT_TRUE(row[column] == 0.0 || row[column] == 180.0) << row[0];
  }
  // Far inside each band the way carries the whole level; 640 Hz and 5120 Hz are grid points.
  EXPECT_EQ(rows[0][0], 10.0);
  EXPECT_NEAR(rows[0][1], 0.0, 1e-6);
  EXPECT_EQ(rows[288][0], 640.0);
  EXPECT_NEAR(rows[288][3], 0.0, 1e-3);
  EXPECT_EQ(rows[432][0], 5120.0);
  EXPECT_NEAR(rows[432][5], 0.0, 1e-3);

  // The filters as exported: with a 6 dB cut each band carries the shelving filter, 0 dB in the bass
  // and -6 dB above its upper corner.
  const CliResult shelf = Cli({"design", "--shelf-cut", "6", "--acoustic-csv", csv});
  ASSERT_EQ(shelf.status, 0) << shelf.err;
  const auto shelved = CsvRows(Contents(csv));
  EXPECT_NEAR(shelved[48][7], 0.0, 0.01);    // 20 Hz
  EXPECT_NEAR(shelved[432][7], -6.0, 0.01);  // 5120 Hz
  EXPECT_NEAR(shelved[432][8], 0.0, 0.01);

  // At the design's rate: 8000 Hz ends the grid at 10 * 2^(414/48) = 3948 Hz, and the file is named
  // by the rate.
  const CliResult slow = Cli({"report", "--rate", "8000", "--acoustic-csv", Path("a-{rate}.csv"), "--json"});
  ASSERT_EQ(slow.status, 0) << slow.err;
  const auto slowRows = CsvRows(Contents(Path("a-8000.csv")));
  ASSERT_EQ(slowRows.size(), 415u);
  EXPECT_NEAR(slowRows.back()[0], 3948.06, 0.01);
  EXPECT_LT(nlohmann::json::parse(slow.out)["acoustic"]["largest_deviation_db"].get<double>(), 1e-9);

  // The text report ends with the section.
  const CliResult plain = Cli({"report", "--low-trim-db", "0"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find("\n\nDrivers through the exported filters (their common latency taken out)\n"
                           "  low:  ideal driver, delay 0 ms, normal polarity, trim 0 dB\n"
                           "  mid:  ideal driver, delay 0 ms, normal polarity, trim 0 dB\n"
                           "  high: ideal driver, delay 0 ms, normal polarity, trim 0 dB\n"
                           "Acoustic sum from 150 to 4000 Hz (227 points): mean 0.00 dB, largest deviation 0.00 dB\n"
                           "  peak 0.00 dB at "),
            std::string::npos)
      << plain.out;
}

TEST_F(CliAcoustic, ReversedMidLeavesADipAtACrossover) {
  const CliResult run = Cli({"report", "--mid-invert", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json acoustic = nlohmann::json::parse(run.out)["acoustic"];
  EXPECT_EQ(acoustic["drivers"]["mid"]["inverted"], true);
  // The bands cancel where two of them meet: near 300 Hz or near 2000 Hz.
  const double dipHz = acoustic["dip_hz"];
  EXPECT_TRUE(std::fabs(std::log2(dipHz / 300.0)) < 0.25 || std::fabs(std::log2(dipHz / 2000.0)) < 0.25) << dipHz;
  EXPECT_LT(acoustic["dip_db"].get<double>(), -20.0);
  EXPECT_GT(acoustic["largest_deviation_db"].get<double>(), 20.0);
  // Inverting it back restores the flat sum.
  const CliResult back = Cli({"report", "--mid-invert", "--mid-no-invert", "--json"});
  EXPECT_LT(nlohmann::json::parse(back.out)["acoustic"]["largest_deviation_db"].get<double>(), 1e-9);
}

TEST_F(CliAcoustic, MeasuredDriversWithTrimAndDelay) {
  // Flat drivers at 85 dB with a measured phase of 0, trimmed to 0 dB and each delayed by 0.1 ms:
  // the sum keeps 0 dB and takes the delay's phase, -360 f 0.1 / 1000 degrees.
  const std::string flat = Write("drivers/flat.frd", "* flat\n5 85 0\n40000 85 0\n");
  const std::string csv = Path("a.csv");
  std::vector<std::string> arguments = {"design", "--acoustic-csv", csv};
  for (const std::string way : {"low", "mid", "high"}) {
    arguments.insert(arguments.end(), {"--" + way + "-driver", flat, "--" + way + "-trim-db", "-85",
                                       "--" + way + "-delay-ms=0.1"});
  }
  const CliResult run = Cli(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find("CMax = 1.000000\nTotal Ntap = 901\n"), std::string::npos) << run.out;
  const auto rows = CsvRows(Contents(csv));
  ASSERT_EQ(rows.size(), 527u);
  for (size_t i : {0u, 100u, 288u, 400u, 526u}) {
    EXPECT_NEAR(rows[i][7], 0.0, 1e-9) << rows[i][0];
    EXPECT_NEAR(rows[i][8], Wrapped(-360.0 * rows[i][0] * 0.1 / 1000.0), 1e-6) << rows[i][0];
  }
  EXPECT_NEAR(rows[288][8], -23.04, 1e-9);  // at 640 Hz

  // A measurement narrower than the grid, without phase: a line on stderr, notes in the report.
  const std::string woofer = Write("woofer.txt", "Frequency Level\n100 90\n1000 90\n10000 70\n");
  const CliResult notes = Cli({"report", "--low-driver", woofer});
  ASSERT_EQ(notes.status, 0) << notes.err;
  const std::string held = "'" + woofer + "' was measured from 100 to 10000 Hz; outside that range its end points are held";
  EXPECT_EQ(notes.err, held + "\n");
  EXPECT_NE(notes.out.find("  low:  '" + woofer + "' (minimum phase), delay 0 ms, normal polarity, trim 0 dB\n"),
            std::string::npos);
  EXPECT_NE(notes.out.find("  note: " + held + "\n  note: '" + woofer +
                           "' has no phase: the minimum phase of its magnitude is used\n"),
            std::string::npos)
      << notes.out;
  // A file name that is not UTF-8 is shown with U+FFFD in its place.
  const std::string latin1 = Write("woofer-\xE9.txt", "100 90\n1000 90\n10000 70\n");
  const CliResult named = Cli({"report", "--low-driver", latin1, "--json"});
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(nlohmann::json::parse(named.out)["acoustic"]["drivers"]["low"]["file"], Path("woofer-\uFFFD.txt"));
  EXPECT_NE(Cli({"report", "--low-driver", latin1}).out.find("-\uFFFD.txt' (minimum phase)"), std::string::npos);
  const CliResult json = Cli({"report", "--low-driver", woofer, "--json"});
  const nlohmann::json acoustic = nlohmann::json::parse(json.out)["acoustic"];
  EXPECT_EQ(acoustic["held_ranges"], nlohmann::json::array({held}));
  EXPECT_EQ(acoustic["drivers"]["low"]["phase"], "minimum");
  EXPECT_EQ(acoustic["drivers"]["low"]["file"], woofer);
}

TEST_F(CliAcoustic, BadMeasurementsStopEverything) {
  const std::string bad = Write("bad.frd", "* header\n20 85 0\n30 abc 0\n");
  const std::string descending = Write("descending.frd", "20 85\n19 85\n");
  const std::string missing = Path("missing.frd");
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{"--mid-driver", bad}, "'" + bad + "' line 3: 'abc' is not a number"},
      {{"--high-driver", descending}, "'" + descending + "' line 2: frequency 19 Hz is not above 20 Hz of line 1"},
      {{"--low-driver", missing}, "Cannot read '" + missing + "': No such file or directory"},
      {{"--low-driver", directory_.string()}, "Cannot read '" + directory_.string() + "': not a regular file"},
  };
  for (const auto& [options, message] : rows) {
    for (const std::string command : {"design", "report"}) {
      std::vector<std::string> arguments = {command, "--acoustic-csv", Path("out/a.csv"), "--save", Path("d.json")};
      if (command == "design") arguments.insert(arguments.end(), {"--curves", Path("c.csv"), "--export", Path("x")});
      arguments.insert(arguments.end(), options.begin(), options.end());
      const CliResult run = Cli(arguments);
      EXPECT_EQ(run.status, 1) << message;
      EXPECT_EQ(run.out, "") << message;
      EXPECT_EQ(run.err, message + "\n");
      EXPECT_EQ(Names(), (std::vector<std::string>{"bad.frd", "descending.frd"})) << message;
    }
  }
}

TEST_F(CliAcoustic, UsageErrors) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
      {{"design", "--low-delay-ms", "abc"}, "option --low-delay-ms takes a number of ms from -1000 to 1000, not 'abc'"},
      {{"report", "--mid-delay-ms=1000.01"}, "option --mid-delay-ms takes a number of ms from -1000 to 1000, not '1000.01'"},
      {{"design", "--high-delay-ms", "nan"}, "option --high-delay-ms takes a number of ms from -1000 to 1000, not 'nan'"},
      {{"design", "--high-trim-db", "-101"}, "option --high-trim-db takes a number of dB from -100 to 100, not '-101'"},
      {{"design", "--low-trim-db", " 1"}, "option --low-trim-db takes a number of dB from -100 to 100, not ' 1'"},
      {{"design", "--low-driver", ""}, "option --low-driver needs a file name"},
      {{"report", "--acoustic-csv="}, "option --acoustic-csv needs a file name"},
      {{"design", "--mid-invert=yes"}, "option --mid-invert takes no value"},
      {{"design", "--mid-driver"}, "option --mid-driver needs a value"},
      {{"estimate", "--low-driver", "w.frd"}, "unknown option '--low-driver' for estimate"},
      {{"design", "--side-driver", "w.frd"}, "unknown option '--side-driver' for design"},
      {{"design", "--acoustic-csv", "a.csv", "--curves", "./a.csv"}, "Two outputs would write the same file './a.csv' (also given as 'a.csv')."},
  };
  for (const auto& [arguments, message] : rows) {
    const CliResult run = Cli(arguments);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "firxover-cli: " + message);
  }
  // Values within the limits, the limits included; the last of each option wins.
  const char* argv[] = {"firxover-cli", "report", "--low-delay-ms", "-1000", "--low-delay-ms", "2.5",
                        "--high-trim-db", "100", "--mid-invert", "--high-driver=t.frd"};
  const ParsedCommandLine parsed = ParseCommandLine(10, argv);
  ASSERT_EQ(parsed.usageError, "");
  EXPECT_EQ(parsed.request.drivers[0].delayMs, 2.5);
  EXPECT_EQ(parsed.request.drivers[2].trimDb, 100.0);
  EXPECT_EQ(parsed.request.drivers[1].sign, Polarity::Inverted);
  EXPECT_EQ(parsed.request.drivers[2].file, "t.frd");
  EXPECT_FALSE(parsed.request.drivers[0].file);
}

TEST_F(CliAcoustic, DesignFilesKeepTheDriversRelativeToThemselves) {
  const std::string woofer = Write("speaker/drivers/woofer.frd", "10 90 0\n30000 90 0\n");
  const std::string tweeter = Write("speaker/drivers/tweeter.frd", "10 80 0\n30000 80 0\n");
  const std::string saved = Path("speaker/designs/three way.firxover.json");
  fs::create_directories(fs::path(saved).parent_path());
  const CliResult save = Cli({"design", "--low-driver", woofer, "--low-trim-db", "-90", "--high-driver", tweeter,
                              "--high-invert", "--high-delay-ms", "0.25", "--save", saved});
  ASSERT_EQ(save.status, 0) << save.err;
  const nlohmann::json document = nlohmann::json::parse(Contents(saved));
  EXPECT_EQ(document["drivers"], nlohmann::json::parse(R"({
      "low": {"file": "../drivers/woofer.frd", "delayMs": 0.0, "inverted": false, "trimDb": -90.0},
      "mid": {"delayMs": 0.0, "inverted": false, "trimDb": 0.0},
      "high": {"file": "../drivers/tweeter.frd", "delayMs": 0.25, "inverted": true, "trimDb": 0.0}})"));

  // Read back from anywhere, the files resolve against the design's directory, and the design's
  // settings reach the model; an option overrides the file's setting.
  const CliResult loaded = Cli({"report", "--load", saved, "--high-no-invert", "--json"});
  ASSERT_EQ(loaded.status, 0) << loaded.err;
  const nlohmann::json drivers = nlohmann::json::parse(loaded.out)["acoustic"]["drivers"];
  EXPECT_EQ(drivers["low"]["file"], fs::path(woofer).lexically_normal().string());
  EXPECT_EQ(drivers["low"]["trim_db"], -90.0);
  EXPECT_EQ(drivers["high"]["delay_ms"], 0.25);
  EXPECT_EQ(drivers["high"]["inverted"], false);

  // Saved elsewhere, the paths follow the new directory; the settings read back the same.
  const std::string moved = Path("elsewhere/copy.json");
  fs::create_directories(Path("elsewhere"));
  const CliResult copy = Cli({"design", "--load", saved, "--save", moved});
  ASSERT_EQ(copy.status, 0) << copy.err;
  EXPECT_EQ(nlohmann::json::parse(Contents(moved))["drivers"]["low"]["file"], "../speaker/drivers/woofer.frd");
  EXPECT_EQ(ReadDesignFile(moved).drivers, ReadDesignFile(saved).drivers);

  // A design file whose driver measurement has gone: the command stops before writing.
  fs::remove(tweeter);
  const CliResult gone = Cli({"design", "--load", saved, "--save", Path("never.json")});
  EXPECT_EQ(gone.status, 1);
  EXPECT_EQ(gone.err, "Cannot read '" + fs::path(tweeter).lexically_normal().string() + "': No such file or directory\n");
  EXPECT_FALSE(fs::exists(Path("never.json")));
  // A bad "drivers" object is the design file's refusal.
  const std::string badShape = Write("bad.json", R"({"format": "firxover-design", "version": 1,
      "drivers": {"mid": {"trimDb": 200}}})");
  const CliResult refused = Cli({"report", "--load", badShape});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "Cannot open design file '" + badShape +
                             "': \"drivers\".\"mid\".\"trimDb\" must be a number of dB from -100 to 100\n");
}

}  // namespace
