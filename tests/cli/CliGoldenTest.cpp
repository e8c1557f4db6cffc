// The CLI's JSON for three designs against the outputs kept in tests/cli/golden/: every field and
// label text, every length, and every coefficient read back as the same double. The response curves
// come from an FFT whose rounding depends on the machine's vector unit, so a magnitude may move by
// 1e-12 and its level by what that implies; anything more is a change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "tests/support/CliInProcess.h"

namespace {

using nlohmann::json;

struct GoldenCase {
  const char* file;
  std::vector<std::string> arguments;
};

json RunJson(std::vector<std::string> arguments) {
  const testing_support::CliRun run = testing_support::RunCliInProcess(std::move(arguments));
  EXPECT_EQ(run.status, 0) << run.err;
  return json::parse(run.out);
}

json ReadGolden(const std::string& name) {
  std::ifstream file(std::string(FIRXOVER_GOLDEN_DIR) + "/" + name);
  EXPECT_TRUE(file) << name;
  return json::parse(file);
}

// How far a curve value may move: none for anything but the magnitude curves (…Mag), the levels (…Db)
// taken from them, and CMax, the largest magnitude.
double Slack(const std::string& key, const json& parent, size_t index) {
  constexpr double magnitudeSlack = 1e-12;
  if (key.size() > 3 && key.ends_with("Mag")) return magnitudeSlack;
  if (key.size() > 2 && key.ends_with("Db")) {
    const std::string magnitudeKey = key.substr(0, key.size() - 2) + "Mag";
    if (!parent.contains(magnitudeKey) || !parent[magnitudeKey][index].is_number()) return 0.0;
    const double magnitude = parent[magnitudeKey][index].get<double>();
    return 1e-15 + 20 / (100 * std::log(10.0)) * magnitudeSlack / std::max(magnitude - magnitudeSlack, 1e-300) * 1.01;
  }
  return 0.0;
}

// Compares member by member, so that a difference names its key and the first index that differs.
void ExpectSame(const json& actual, const json& golden, const std::string& where, const std::string& key = "",
                const json* parent = nullptr) {
  ASSERT_EQ(actual.type(), golden.type()) << where;
  if (golden.is_object()) {
    ASSERT_EQ(actual.size(), golden.size()) << where;
    for (const auto& [name, value] : golden.items()) {
      ASSERT_TRUE(actual.contains(name)) << where << "." << name;
      ExpectSame(actual[name], value, where + "." + name, name, &golden);
    }
  } else if (golden.is_array()) {
    ASSERT_EQ(actual.size(), golden.size()) << where;
    for (size_t i = 0; i < golden.size(); ++i) {
      if (actual[i] == golden[i]) continue;
      const double slack = parent != nullptr && golden[i].is_number() ? Slack(key, *parent, i) : 0.0;
      if (slack > 0 && actual[i].is_number() &&
          std::fabs(actual[i].get<double>() - golden[i].get<double>()) <= slack) {
        continue;
      }
      ADD_FAILURE() << where << "[" << i << "]: " << actual[i].dump() << " instead of " << golden[i].dump();
      return;
    }
  } else if (key == "CMax" && golden.is_number() && actual.is_number()) {
    EXPECT_NEAR(actual.get<double>(), golden.get<double>(), 1e-12) << where;  // the largest magnitude
  } else {
    EXPECT_EQ(actual, golden) << where;
  }
}

class CliGolden : public testing::TestWithParam<GoldenCase> {};

TEST_P(CliGolden, JsonIsUnchanged) {
  const GoldenCase& row = GetParam();
  const json golden = ReadGolden(row.file);
  const json actual = RunJson(row.arguments);
  ExpectSame(actual, golden, row.file);
}

INSTANTIATE_TEST_SUITE_P(
    Designs, CliGolden,
    testing::Values(GoldenCase{"defaults.json", {"design", "--json"}},
                    GoldenCase{"shelf-cut-6.json", {"design", "--shelf-cut", "6", "--json"}},
                    GoldenCase{"mixed.json",
                               {"design", "--no-adjust", "--low-taps", "600", "--mid-taps", "1001", "--high-taps",
                                "255", "--low-cut", "250", "--mid-low", "350", "--mid-high", "2500", "--high-cut",
                                "3000", "--shelf-cut", "3", "--shelf-f1", "150", "--shelf-f2", "700", "--json"}}),
    [](const testing::TestParamInfo<GoldenCase>& info) {
      std::string name = info.param.file;
      name = name.substr(0, name.find('.'));
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

}  // namespace
