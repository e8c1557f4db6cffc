#pragma once

// firxover-cli run inside the test process: its exit status and what it printed.
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace testing_support {

struct CliRun {
  int status = 0;
  std::string out;
  std::string err;
};

// argv[0] is "firxover-cli", followed by `arguments`.
inline CliRun RunCliInProcess(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "firxover-cli");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(arguments.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

}  // namespace testing_support
