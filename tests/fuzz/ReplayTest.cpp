// Every input the fuzzer ever crashed on, and the starting corpus, replayed through the same driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/DesignFileFuzz.h"
#include "tests/fuzz/ExportFuzzDriver.h"
#include "tests/fuzz/FuzzDriver.h"
#include "tests/fuzz/MeasurementFuzz.h"

namespace {

std::vector<std::filesystem::path> InputsIn(const char* folder) {
  std::vector<std::filesystem::path> paths;
  const std::filesystem::path directory = std::filesystem::path(FIRXOVER_FUZZ_DIR) / folder;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    if (entry.is_regular_file() && entry.path().filename() != "README") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

using FuzzRunner = std::string (*)(const uint8_t* data, size_t size);

void ReplayAll(const char* folder, FuzzRunner run = RunFuzzInput) {
  const std::vector<std::filesystem::path> paths = InputsIn(folder);
  ASSERT_FALSE(paths.empty()) << folder;
  for (const std::filesystem::path& path : paths) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "") << path.filename();
  }
}

TEST(FuzzReplay, CrashInputsStayFixed) { ReplayAll("regressions"); }

TEST(FuzzReplay, StartingCorpusHoldsEveryInvariant) { ReplayAll("corpus"); }

TEST(FuzzReplay, DesignFileCorpusHoldsEveryInvariant) { ReplayAll("designfile-corpus", RunDesignFileInput); }

TEST(FuzzReplay, MeasurementCorpusHoldsEveryInvariant) { ReplayAll("measurement-corpus", RunMeasurementInput); }

TEST(FuzzReplay, FileSetCorpusHoldsOldSetOrNewSet) { ReplayAll("export-corpus", RunExportFuzzInput); }

}  // namespace
