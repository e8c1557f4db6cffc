// The CLI's JSON for three designs against the outputs kept in tests/cli/golden/: every field and
// label text, every length, and every coefficient and curve value read back as the same double.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace {

using nlohmann::json;

struct GoldenCase {
  const char* file;
  std::vector<std::string> arguments;
};

json RunJson(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "firxover-cli");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  EXPECT_EQ(RunCli(static_cast<int>(arguments.size()), argv.data(), out, err), 0) << err.str();
  return json::parse(out.str());
}

json ReadGolden(const std::string& name) {
  std::ifstream file(std::string(FIRXOVER_GOLDEN_DIR) + "/" + name);
  EXPECT_TRUE(file) << name;
  return json::parse(file);
}

// Compares member by member, so that a difference names its key and the first index that differs.
void ExpectSame(const json& actual, const json& golden, const std::string& where) {
  ASSERT_EQ(actual.type(), golden.type()) << where;
  if (golden.is_object()) {
    ASSERT_EQ(actual.size(), golden.size()) << where;
    for (const auto& [key, value] : golden.items()) {
      ASSERT_TRUE(actual.contains(key)) << where << "." << key;
      ExpectSame(actual[key], value, where + "." + key);
    }
  } else if (golden.is_array()) {
    ASSERT_EQ(actual.size(), golden.size()) << where;
    for (size_t i = 0; i < golden.size(); ++i) {
      if (actual[i] != golden[i]) {
        ADD_FAILURE() << where << "[" << i << "]: " << actual[i].dump() << " instead of " << golden[i].dump();
        return;
      }
    }
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
