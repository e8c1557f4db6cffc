#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "tests/support/CliInProcess.h"

namespace {

using ReportRun = testing_support::CliRun;

ReportRun RunReport(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "report");
  return testing_support::RunCliInProcess(std::move(arguments));
}

TEST(CliReport, PlainTextOfTheDefaults) {
  const ReportRun run = RunReport({});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.rfind("Design report at 44100 Hz: levels in dB (20 log10 |H|) at every whole Hz from 0 to 22050 Hz\n\n"
                          "Filters as exported\n",
                          0),
            0u);
  EXPECT_NE(run.out.find("\n  low         901  450 samples    10.204 ms     0.000 dB at "), std::string::npos);
  EXPECT_NE(run.out.find("\n  sum         901  450 samples    10.204 ms     0.000 dB at "), std::string::npos);
  EXPECT_NE(run.out.find("   0.000 ms (0 samples)\n"), std::string::npos);
  EXPECT_NE(run.out.find("\n  low/mid      300.00 Hz at -6.02 dB (meant near 300.00 Hz)\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nSum against a pure delay of 450 samples\n"), std::string::npos);
}

TEST(CliReport, JsonWithTheDesignOptions) {
  const ReportRun run = RunReport({"--low-taps", "1000", "--attenuation=60", "--no-adjust", "--shelf-cut", "4", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["filters"]["sum"]["taps"], 1001 + 1204);
  EXPECT_EQ(json["filters"]["low"]["latency_samples"], 1102.0);
  EXPECT_EQ(json["bands"]["low"]["upper_edge"]["shaping_taps"], 1001);
  EXPECT_EQ(json["bands"]["mid"]["lower_edge"]["shaped_by"], "mid");
  EXPECT_EQ(json["bands"]["high"]["attenuation_asked_db"], 60.0);
  EXPECT_EQ(json["sum"]["target"], "shelf");
}

TEST(CliReport, FailuresAndUsage) {
  // A field the Calc cannot read: its message, exit 1, no report.
  const ReportRun unreadable = RunReport({"--low-taps", "abc"});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(unreadable.out, "");
  EXPECT_EQ(unreadable.err, "'abc' は整数ではありません\n");
  const ReportRun refused = RunReport({"--shelf-f1", "39", "--json"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "f1 should be higher than 40：入力できる数値は40以上です。\n");
  // The report writes no files.
  const ReportRun exporting = RunReport({"--export", "out"});
  EXPECT_EQ(exporting.status, 2);
  EXPECT_EQ(exporting.err.substr(0, exporting.err.find('\n')), "firxover-cli: unknown option '--export' for report");
  const ReportRun estimateOption = RunReport({"--pass", "300"});
  EXPECT_EQ(estimateOption.status, 2);
}

}  // namespace
