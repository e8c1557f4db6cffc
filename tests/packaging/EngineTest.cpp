// The README's recipes for convolution engines, run as written: the BruteFIR configuration is
// taken from the README itself, fed an exported set and a seeded noise signal, and its output is
// compared with a direct convolution in long double; the SoX line likewise. Skipped when the
// engine is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
static_assert(std::endian::native == std::endian::little, "the raw files are little-endian");

constexpr int InputFrames = 12000;
constexpr int NoiseFrames = 6000;   // the rest is silence, so every filter's tail is in the output

bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good()) << path;
}

std::vector<double> ReadDoubles(const fs::path& path) {
  const std::string bytes = ReadText(path);
  std::vector<double> values(bytes.size() / sizeof(double));
  std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
  return values;
}

void WriteDoubles(const fs::path& path, const std::vector<double>& values) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(values.data()),
            static_cast<std::streamsize>(values.size() * sizeof(double)));
  ASSERT_TRUE(out.good()) << path;
}

// The fenced block of the README whose first line starts with `firstLine`, without the fences.
std::string ReadmeBlock(const std::string& firstLine) {
  const std::string readme = ReadText(FIRXOVER_README);
  const size_t start = readme.find("```\n" + firstLine);
  if (start == std::string::npos) return {};
  const size_t body = start + 4;
  const size_t end = readme.find("\n```", body);
  return end == std::string::npos ? std::string() : readme.substr(body, end + 1 - body);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string WithFilterLength(const std::string& config, const std::string& filterLength) {
  const size_t at = config.find("filter_length: ");
  const size_t end = config.find(';', at);
  return config.substr(0, at) + "filter_length: " + filterLength + config.substr(end);
}

// y[n] = sum_k h[k] x[n - k], the first `frames` outputs, summed in long double.
std::vector<double> Convolve(const std::vector<double>& x, const std::vector<double>& h, size_t frames) {
  std::vector<double> y(frames, 0.0);
  for (size_t n = 0; n < frames; ++n) {
    long double sum = 0.0L;
    for (size_t k = 0; k < h.size() && k <= n; ++k) {
      if (n - k < x.size()) sum += static_cast<long double>(h[k]) * x[n - k];
    }
    y[n] = static_cast<double>(sum);
  }
  return y;
}

double LargestDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double largest = 0.0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
  return largest;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("firxover-engine-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
    std::mt19937 random(20261209);
    std::normal_distribution<double> noise(0.0, 0.1);
    input_.assign(InputFrames, 0.0);
    for (int i = 0; i < NoiseFrames; ++i) input_[i] = noise(random);
    input_[100] = 0.5;
    WriteDoubles(dir_ / "in.raw", input_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Exports the design of `options` into out/ with the prefix xo.
  void Export(const std::string& options, const std::string& format) {
    const std::string command = std::string("cd ") + Quoted(dir_) + " && " + Quoted(FIRXOVER_CLI) +
                                " design " + options + " --export out --format " + format +
                                " --prefix xo >cli.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(dir_ / "cli.log");
  }

  // Runs brutefir on `config` and returns its three output channels.
  std::vector<std::vector<double>> RunBrutefir(const std::string& config) {
    WriteText(dir_ / "xo.conf", config);
    const std::string command =
        "cd " + Quoted(dir_) + " && brutefir -nodefault -quiet xo.conf >brutefir.log 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadText(dir_ / "brutefir.log");
    const std::vector<double> interleaved = ReadDoubles(dir_ / "out.raw");
    EXPECT_EQ(interleaved.size(), 3u * InputFrames);
    std::vector<std::vector<double>> channels(3);
    for (size_t i = 0; i < interleaved.size(); ++i) channels[i % 3].push_back(interleaved[i]);
    return channels;
  }

  // The largest difference of each band's channel from the exact convolution.
  std::vector<double> BandErrors(const std::vector<std::vector<double>>& channels) {
    std::vector<double> errors;
    const char* bands[] = {"low", "mid", "high"};
    for (int band = 0; band < 3; ++band) {
      const std::vector<double> taps = ReadDoubles(dir_ / "out" / (std::string("xo-") + bands[band] + ".dbl"));
      errors.push_back(LargestDifference(channels[band], Convolve(input_, taps, InputFrames)));
    }
    return errors;
  }

  fs::path dir_;
  std::vector<double> input_;
};

TEST_F(EngineTest, ReadmeBrutefirConfigurationSplitsTheInputIntoTheThreeBands) {
  if (!HaveProgram("brutefir")) GTEST_SKIP() << "brutefir is not installed";
  const std::string config = ReadmeBlock("## xo.conf:");
  ASSERT_FALSE(config.empty()) << "no BruteFIR configuration in the README";
  Export("", "dbl");
  const auto channels = RunBrutefir(config);
  for (double error : BandErrors(channels)) EXPECT_LT(error, 1e-14);
  // The defaults adjust the mid band so that the three sum to a delay of (901 - 1) / 2 samples.
  double largest = 0.0;
  for (int n = 450; n < InputFrames; ++n) {
    largest = std::max(largest, std::fabs(channels[0][n] + channels[1][n] + channels[2][n] - input_[n - 450]));
  }
  EXPECT_LT(largest, 1e-14);
}

TEST_F(EngineTest, ReadmeBrutefirConfigurationReadsTheTextExport) {
  if (!HaveProgram("brutefir")) GTEST_SKIP() << "brutefir is not installed";
  std::string config = ReadmeBlock("## xo.conf:");
  ASSERT_FALSE(config.empty());
  Export("", "dbl");
  Export("", "txt");
  // As the README's comment says: the .txt files with format "text".
  config = Replaced(config, ".dbl\";  format: \"FLOAT64_LE\"", ".txt\";  format: \"text\"");
  config = Replaced(config, ".dbl\"; format: \"FLOAT64_LE\"", ".txt\"; format: \"text\"");
  ASSERT_EQ(config.find("FLOAT64_LE\"; }"), std::string::npos) << config;
  for (double error : BandErrors(RunBrutefir(config))) EXPECT_LT(error, 1e-14);
}

TEST_F(EngineTest, BrutefirFilterLengthMustHoldEveryTap) {
  if (!HaveProgram("brutefir")) GTEST_SKIP() << "brutefir is not installed";
  const std::string config = ReadmeBlock("## xo.conf:");
  ASSERT_FALSE(config.empty());
  // A cascade with the shelf: 901 + 1204 = 2105 taps.
  Export("--shelf-cut 3", "dbl");
  ASSERT_EQ(ReadDoubles(dir_ / "out" / "xo-low.dbl").size(), 2105u);
  for (const char* enough : {"4096", "1024,3", "256,9"}) {
    for (double error : BandErrors(RunBrutefir(WithFilterLength(config, enough)))) {
      EXPECT_LT(error, 1e-14) << "filter_length " << enough;
    }
  }
  // 2048 taps of 2105: the tail is dropped without a word, and the output is wrong.
  const auto errors = BandErrors(RunBrutefir(WithFilterLength(config, "1024,2")));
  EXPECT_GT(*std::max_element(errors.begin(), errors.end()), 1e-13);
}

TEST_F(EngineTest, SoxFirReadsTheTextExportAndRemovesTheLatency) {
  if (!HaveProgram("sox")) GTEST_SKIP() << "sox is not installed";
  Export("", "txt");
  Export("", "dbl");
  const std::string command = "cd " + Quoted(dir_) +
                              " && sox -t f64 -r 44100 -c 1 in.raw -t f64 low.raw fir out/xo-low.txt >sox.log 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(dir_ / "sox.log");
  const std::vector<double> output = ReadDoubles(dir_ / "low.raw");
  ASSERT_EQ(output.size(), input_.size());
  const std::vector<double> taps = ReadDoubles(dir_ / "out" / "xo-low.dbl");
  const std::vector<double> delayed = Convolve(input_, taps, InputFrames + 450);
  std::vector<double> aligned(delayed.begin() + 450, delayed.end());
  EXPECT_LT(LargestDifference(output, aligned), 1e-8);
  // Not aligned, the same output is far off: the latency really was removed.
  EXPECT_GT(LargestDifference(output, delayed), 1e-3);
}

}  // namespace
