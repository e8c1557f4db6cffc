// firxover-cli at other sampling rates: --rate on every command, its refusals, "Rate" in the JSON
// state, {rate} in the names of the files written, and the rate kept in design files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "designfile/DesignFile.h"
#include "numerics/SampleRate.h"
#include "tests/support/CliInProcess.h"
#include "tests/support/Scratch.h"

namespace {

using testing_support::CliRun;
using testing_support::ScratchDir;

CliRun RunRate(std::vector<std::string> arguments) { return testing_support::RunCliInProcess(std::move(arguments)); }

TEST(CliRate, InvalidRatesAreUsageErrors) {
  for (const std::string command : {"design", "report", "estimate"}) {
    for (const std::string rate : {"0", "7999", "768001", "48000.5", "abc", "", "-48000", "48k"}) {
      const CliRun run = RunRate({command, "--rate", rate});
      EXPECT_EQ(run.status, 2) << command << " " << rate;
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err.rfind("firxover-cli: option --rate: '" + rate +
                                  "' is not a sampling rate: give a whole number of Hz from 8000 to 768000.\n",
                              0),
                0u)
          << run.err;
    }
  }
  EXPECT_EQ(RunRate({"design", "--rate"}).status, 2);
}

TEST(CliRate, JsonStateCarriesTheRate) {
  const nlohmann::json standard = nlohmann::json::parse(RunRate({"design", "--json"}).out);
  EXPECT_EQ(standard["state"]["Rate"], 44100);
  for (const int rate : {8000, 48000, 96000, 768000}) {
    const CliRun run = RunRate({"design", "--rate=" + std::to_string(rate), "--low-taps", "301", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["state"]["Rate"], rate);
    // Another rate designs other taps from the same fields; the lengths stay.
    EXPECT_EQ(json["state"]["TotalTaps"], 701);
    EXPECT_NE(json["state"]["LowCoeffs"], standard["state"]["LowCoeffs"]);
  }
  const CliRun estimate = RunRate({"estimate", "--rate", "48000", "--json"});
  EXPECT_EQ(nlohmann::json::parse(estimate.out)["state"]["Rate"], 48000);
  EXPECT_EQ(RunRate({"estimate", "--rate", "96000"}).out, "CutOff     ：600Hz\nIdeal Taps： 1517\n");
  EXPECT_EQ(RunRate({"estimate", "--rate", "44100"}).out, RunRate({"estimate"}).out);
}

TEST(CliRate, PlaceholderNamesOneSetPerRate) {
  const ScratchDir scratch("firxover-rate");
  for (const std::string rate : {"48000", "96000"}) {
    const CliRun run = RunRate({"design", "--rate", rate, "--low-taps", "101", "--mid-taps", "101", "--high-taps", "101",
                            "--export", scratch / "set-{rate}", "--format", "txt", "--prefix", "xo-{rate}", "--curves",
                            scratch / "curves-{rate}.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  EXPECT_EQ(scratch.Names(),
            (std::vector<std::string>{"curves-48000.csv", "curves-96000.csv", "set-48000", "set-96000"}));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(scratch / "set-96000"))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"xo-96000-high.txt", "xo-96000-low.txt", "xo-96000-mid.txt",
                                             "xo-96000-shelf.txt", "xo-96000-sum.txt", "xo-96000-summary.txt"}));
  // Two outputs that the rate makes one are refused before anything is written.
  const CliRun same = RunRate({"design", "--curves", scratch / "c-{rate}.csv", "--png", scratch / "c-44100.csv"});
  EXPECT_EQ(same.status, 2);
  EXPECT_FALSE(std::filesystem::exists(scratch / "c-44100.csv"));
}

TEST(CliRate, DesignFilesKeepTheRate) {
  const ScratchDir scratch("firxover-rate");
  DesignSettings settings;
  settings.rateHz = 96000;
  const std::string file = scratch / "d.firxover.json";
  std::ofstream(file) << FormatDesignFile(settings);
  // Loading sets the rate; --rate overrides it wherever it stands; saving keeps the rate used.
  EXPECT_EQ(nlohmann::json::parse(RunRate({"design", "--load", file, "--json"}).out)["state"]["Rate"], 96000);
  EXPECT_EQ(nlohmann::json::parse(RunRate({"design", "--rate", "48000", "--load", file, "--json"}).out)["state"]["Rate"],
            48000);
  ASSERT_EQ(RunRate({"estimate", "--load", file, "--rate", "192000", "--save", scratch / "s.firxover.json"}).status, 0);
  EXPECT_EQ(ReadDesignFile(scratch / "s.firxover.json").rateHz, 192000);
  ASSERT_EQ(RunRate({"estimate", "--save", scratch / "t.firxover.json"}).status, 0);
  EXPECT_EQ(ReadDesignFile(scratch / "t.firxover.json").rateHz, 44100);
}

}  // namespace
