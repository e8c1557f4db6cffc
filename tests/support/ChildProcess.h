#pragma once

// A program run as a child process: its exit status and the lines it wrote to standard error.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testing_support {

struct ProcessRun {
  int status = -1;  // exit status, or 128 + signal
  std::string err;  // without Qt's own lines about the environment (QStandardPaths: ...)
};

// Runs `binary` with `arguments`, standard output on `outPath`, and `environment` ("NAME=value")
// added to the test's own.
inline ProcessRun RunProcess(const std::string& binary, const std::vector<std::string>& arguments,
                             const std::string& outPath = "/dev/null", const std::vector<std::string>& environment = {}) {
  const std::filesystem::path errFile =
      std::filesystem::temp_directory_path() / ("firxover-child-err-" + std::to_string(::getpid()));
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) ::_exit(125);
    ::dup2(out, 1);
    ::dup2(err, 2);
    for (const std::string& setting : environment) ::putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(binary.c_str(), argv.data());
    ::_exit(126);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream in(errFile);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("QStandardPaths:", 0) != 0) run.err += line + "\n";
  }
  std::filesystem::remove(errFile);
  return run;
}

}  // namespace testing_support
