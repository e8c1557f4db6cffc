#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "tests/support/CliInProcess.h"
#include "cli/Json.h"
#include "cli/Options.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"

namespace {

using testing_support::CliRun;

CliRun RunTool(std::vector<std::string> arguments) { return testing_support::RunCliInProcess(std::move(arguments)); }

// The numbers of the JSON array that follows "name":[ in text, read back with strtod.
std::vector<double> JsonArray(const std::string& text, const std::string& name) {
  const std::string key = "\"" + name + "\":[";
  const size_t start = text.find(key);
  if (start == std::string::npos) return {};
  std::vector<double> values;
  const char* cursor = text.c_str() + start + key.size();
  while (*cursor != ']') {
    char* end = nullptr;
    values.push_back(std::strtod(cursor, &end));
    cursor = *end == ',' ? end + 1 : end;
  }
  return values;
}

TEST(Cli, EstimatePrintsBothLabels) {
  const CliRun defaults = RunTool({"estimate"});
  EXPECT_EQ(defaults.status, 0);
  EXPECT_EQ(defaults.out, "CutOff     ：600Hz\nIdeal Taps： 699\n");
  EXPECT_EQ(defaults.err, "");
  const CliRun given = RunTool({"estimate", "--pass", "1000", "--stop=1100"});
  EXPECT_EQ(given.out, "CutOff     ：1050Hz\nIdeal Taps： 4179\n");
}

TEST(Cli, DesignWithDefaultsPrintsCMaxAndTotalLength) {
  const CliRun run = RunTool({"design"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "振幅係数の最大値：CMax = 1.000000\nTotal Ntap = 901\n");
  EXPECT_EQ(run.err, "");
}

TEST(Cli, JsonHoldsTheWholeOutcomeAndReadsBackExactly) {
  const CliRun run = RunTool({"design", "--low-taps", "31", "--mid-taps", "30", "--high-taps=31", "--shelf-cut", "2",
                          "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  MemoryFields fields;
  for (Field field : {Field::Edit1, Field::Edit9, Field::Edit10}) fields.SetText(field, "31");
  fields.SetSliderPosition(4);
  DesignState state;
  ASSERT_EQ(CalcCommand(fields, state).Status, CalcStatus::Completed);

  EXPECT_NE(run.out.find("\"Edit9\":\"31\""), std::string::npos);
  EXPECT_NE(run.out.find("\"Label28\":\"Total Ntap = 1235\""), std::string::npos);
  EXPECT_NE(run.out.find("\"LabelShelbDb\":\"+2dB\""), std::string::npos);
  EXPECT_NE(run.out.find("\"TotalTaps\":31,\"ShelfLength\":1205,\"CascadeLength\":1235,\"ShelfCutDb\":2,"),
            std::string::npos);
  const size_t cMax = run.out.find("\"CMax\":");
  ASSERT_NE(cMax, std::string::npos);
  EXPECT_EQ(std::strtod(run.out.c_str() + cMax + 7, nullptr), ComputeCMax(state));
  EXPECT_EQ(JsonArray(run.out, "LowCascade"), state.LowCascade);
  EXPECT_EQ(JsonArray(run.out, "ShelfCoeffs"), state.ShelfCoeffs);
  EXPECT_EQ(JsonArray(run.out, "SumCoeffs"), state.SumCoeffs);
  const std::vector<double> sumDb = JsonArray(run.out, "SumDb");
  ASSERT_EQ(sumDb.size(), 950u);
  for (int i = 1; i <= GridPointCount; ++i) EXPECT_EQ(sumDb[i - 1], state.SumDb[i]) << i;
  const std::vector<double> freq = JsonArray(run.out, "freq");
  ASSERT_EQ(freq.size(), 950u);
  EXPECT_EQ(freq.front(), 2);
  EXPECT_EQ(freq[500], 1020);
  EXPECT_EQ(freq.back(), 10000);
}

TEST(Cli, CommandErrorGoesToStderrWithStatusOne) {
  const CliRun plain = RunTool({"design", "--low-taps", "abc"});
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.out, "");
  EXPECT_EQ(plain.err, Messages::NotInteger("abc") + "\n");

  const CliRun refused = RunTool({"design", "--shelf-f1", "39"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, std::string(Messages::ShelfF1TooLow) + "\n");

  // With --json the object still shows the fields and labels as the failed command left them.
  const CliRun estimate = RunTool({"estimate", "--pass", "300", "--stop", "300", "--json"});
  EXPECT_EQ(estimate.status, 1);
  EXPECT_EQ(estimate.err, std::string(Messages::ZeroDivide) + "\n");
  EXPECT_NE(estimate.out.find("\"Label18\":\"CutOff     ：300Hz\",\"Label20\":\"Ideal Taps\""), std::string::npos);
}

TEST(Cli, ValuesMayBeginWithAMinus) {
  for (const auto& arguments : {std::vector<std::string>{"design", "--low-taps", "-5", "--json"},
                                std::vector<std::string>{"design", "--low-taps=-5", "--json"}}) {
    const CliRun run = RunTool(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string(Messages::RangeCheck) + "\n");
    EXPECT_NE(run.out.find("\"Edit1\":\"-3\""), std::string::npos);  // normalised before the refusal
  }
}

TEST(Cli, TextsThatAreNotUtf8AreRepairedInTheOutput) {
  const CliRun run = RunTool({"design", "--mid-low", "\xff\"x", "--json"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, Messages::NotInteger("\xEF\xBF\xBD\"x") + "\n");
  EXPECT_NE(run.out.find("\"Edit5\":\"\xEF\xBF\xBD\\\"x\""), std::string::npos);
  // Quotes, backslashes and control characters are escaped: the text reads back as typed.
  const CliRun escaped = RunTool({"estimate", "--pass", "a\\b\n\x01\x7fü", "--json"});
  EXPECT_EQ(escaped.status, 1);
  EXPECT_EQ(nlohmann::json::parse(escaped.out)["fields"]["Edit6"], "a\\b\n\x01\x7fü");
  EXPECT_NE(escaped.out.find("\"Edit6\":\"a\\\\b\\n\\u0001\x7fü\""), std::string::npos);
}

TEST(Cli, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"frobnicate"},
      {"design", "--foo"},
      {"design", "-x"},
      {"design", "stray"},
      {"design", "--low-taps"},
      {"design", "--json=yes"},
      {"design", "--shelf-cut", "7"},
      {"design", "--shelf-cut", "-1"},
      {"design", "--shelf-cut", "two"},
      {"estimate", "--low-taps", "5"},
      {"estimate", "--no-adjust"},
  };
  for (const auto& row : rows) {
    const CliRun run = RunTool(row);
    const std::string line = row.empty() ? "(none)" : row.back();
    EXPECT_EQ(run.status, 2) << line;
    EXPECT_EQ(run.out, "") << line;
    EXPECT_EQ(run.err.rfind("firxover-cli: ", 0), 0u) << line;
    EXPECT_NE(run.err.find("Usage: firxover-cli design"), std::string::npos) << line;
  }
}

TEST(Cli, HelpAndVersion) {
  for (const auto& arguments : {std::vector<std::string>{"--help"}, std::vector<std::string>{"design", "--help"}}) {
    const CliRun help = RunTool(arguments);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: firxover-cli design", 0), 0u);
    EXPECT_NE(help.out.find("--shelf-cut N"), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  const CliRun version = RunTool({"--version"});
  EXPECT_EQ(version.status, 0);
  const std::string prefix = "firxover-cli ";
  ASSERT_EQ(version.out.rfind(prefix, 0), 0u) << version.out;
  const std::string number = version.out.substr(prefix.size());
  EXPECT_EQ(number.find_first_not_of("0123456789."), number.size() - 1) << version.out;  // then "\n"
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << version.out;
}

TEST(CliOptions, EachDesignOptionSetsItsField) {
  const std::vector<std::pair<std::string, Field>> rows = {
      {"--low-taps", Field::Edit1},    {"--mid-taps", Field::Edit9},     {"--high-taps", Field::Edit10},
      {"--low-cut", Field::Edit2},     {"--mid-low", Field::Edit5},      {"--mid-high", Field::Edit4},
      {"--high-cut", Field::Edit3},    {"--shelf-f1", Field::EditShelbL}, {"--shelf-f2", Field::EditShelbH},
      {"--attenuation", Field::Edit8},
  };
  for (const auto& [option, field] : rows) {
    const char* argv[] = {"firxover-cli", "design", option.c_str(), " 12 "};
    const ParsedCommandLine parsed = ParseCommandLine(4, argv);
    ASSERT_EQ(parsed.usageError, "") << option;
    ASSERT_EQ(parsed.request.texts.size(), 1u);
    EXPECT_EQ(parsed.request.texts[0].first, field) << option;
    EXPECT_EQ(parsed.request.texts[0].second, " 12 ") << option;  // the text as typed
  }
  const char* argv[] = {"firxover-cli", "design", "--no-adjust", "--shelf-cut=6", "--adjust", "--no-adjust"};
  const ParsedCommandLine parsed = ParseCommandLine(6, argv);
  ASSERT_EQ(parsed.usageError, "");
  EXPECT_EQ(parsed.request.adjustChecked, false);
  EXPECT_EQ(parsed.request.shelfCutDb, 6);
  EXPECT_FALSE(parsed.request.json);
}

}  // namespace

namespace {

TEST(Cli, ProgressIsOneLineOnStderrOnlyWhenAsked) {
  const CliRun quiet = RunTool({"design", "--shelf-cut", "6"});
  EXPECT_EQ(quiet.err, "");
  const CliRun shown = RunTool({"design", "--shelf-cut", "6", "--progress"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, quiet.out);
  ASSERT_FALSE(shown.err.empty());
  EXPECT_EQ(shown.err.front(), '\r');
  EXPECT_EQ(std::count(shown.err.begin(), shown.err.end(), '\n'), 1);
  EXPECT_TRUE(shown.err.ends_with("100%\n")) << shown.err;
  // A failing Calc still ends its progress line before the message.
  const CliRun failed = RunTool({"design", "--progress", "--low-taps", "1"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(failed.err.ends_with("\n" + std::string("不正な浮動小数点数演算命令") + "\n") ||
              failed.err == std::string("不正な浮動小数点数演算命令") + "\n")
      << failed.err;
}

}  // namespace
