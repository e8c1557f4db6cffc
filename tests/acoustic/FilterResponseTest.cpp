#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "acoustic/FilterResponse.h"
#include "numerics/ParallelWork.h"
#include "tests/acoustic/Synthetic.h"

namespace {

TEST(FilterResponseTest, MatchesTheDirectSum) {
  std::mt19937_64 random(18);
  std::uniform_real_distribution<double> tap(-1.0, 1.0);
  const std::vector<double> frequencies = {0.0, 10.0, 997.3, 11025.0, 22049.9, 22050.0, 30000.0, -440.0};
  for (size_t length : {1u, 2u, 3u, 4u, 63u, 64u, 65u, 128u, 129u, 1000u, 4097u}) {
    std::vector<double> h(length);
    for (double& x : h) x = tap(random);
    const std::vector<std::complex<double>> response = CentredResponse(h, frequencies, 44100);
    double scale = 0.0;
    for (double x : h) scale += std::fabs(x);
    for (size_t i = 0; i < frequencies.size(); ++i) {
      const std::complex<long double> expected = NaiveCentredResponse(h, frequencies[i], 44100);
      EXPECT_NEAR(response[i].real(), static_cast<double>(expected.real()), 1e-14 * scale) << length;
      EXPECT_NEAR(response[i].imag(), static_cast<double>(expected.imag()), 1e-14 * scale) << length;
    }
  }
}

TEST(FilterResponseTest, LinearPhaseComesOutReal) {
  const std::vector<double> h = WindowedLowPass(901, 300, 44100);
  const std::vector<double> frequencies = {10.0, 300.0, 1234.5678};
  const std::vector<std::complex<double>> response = CentredResponse(h, frequencies, 44100);
  for (const std::complex<double>& value : response) EXPECT_EQ(value.imag(), 0.0);
  EXPECT_NEAR(response[0].real(), 1.0, 1e-3);
  EXPECT_NEAR(response[1].real(), 0.5, 1e-3);
  // Known values: [1/4, 1/2, 1/4] is cos^2(pi f / rate) once centred.
  const std::vector<double> smoother = {0.25, 0.5, 0.25};
  const double f = 1000.0;
  const double expected = std::pow(std::cos(std::numbers::pi * f / 8000), 2);
  EXPECT_NEAR(CentredResponse(smoother, std::vector<double>{f}, 8000)[0].real(), expected, 1e-16);
  // A unit impulse at the centre has the response 1; an even-length pair, cos of half a sample.
  EXPECT_EQ(CentredResponse(std::vector<double>{0, 0, 1, 0, 0}, std::vector<double>{5000}, 44100)[0], 1.0);
  EXPECT_NEAR(CentredResponse(std::vector<double>{0.5, 0.5}, std::vector<double>{f}, 8000)[0].real(),
              std::cos(std::numbers::pi * f / 8000), 1e-16);
  EXPECT_TRUE(CentredResponse({}, frequencies, 44100) == std::vector<std::complex<double>>(3));
}

// A million taps at frequencies whose angles reduce exactly in integers: f = rate * p / q turns, so
// the term of offset m is at (p m mod q) / q turns.
TEST(FilterResponseTest, KeepsItsDigitsAtAMillionTaps) {
  const int rate = 48000;
  const int64_t length = 1000001;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> tap(-1.0, 1.0);
  std::vector<double> h(length);
  for (double& x : h) x = tap(random) * 1e-3;
  double scale = 0.0;
  for (double x : h) scale += std::fabs(x);
  const int64_t centre = length / 2;
  const std::pair<int64_t, int64_t> fractions[] = {{12345, 48000}, {20000, 48000}, {7, 96000}};
  std::vector<double> frequencies;
  for (const auto& [p, q] : fractions) frequencies.push_back(static_cast<double>(rate) * p / q);
  const std::vector<std::complex<double>> response = CentredResponse(h, frequencies, rate);
  for (size_t i = 0; i < frequencies.size(); ++i) {
    const auto [p, q] = fractions[i];
    std::complex<long double> sum = 0;
    for (int64_t k = 0; k < length; ++k) {
      const int64_t m = k - centre;
      const int64_t residue = ((p * m) % q + q) % q;
      const long double angle = -2 * std::numbers::pi_v<long double> * residue / q;
      sum += static_cast<long double>(h[k]) * std::complex<long double>(std::cos(angle), std::sin(angle));
    }
    EXPECT_NEAR(response[i].real(), static_cast<double>(sum.real()), 1e-13 * scale) << frequencies[i];
    EXPECT_NEAR(response[i].imag(), static_cast<double>(sum.imag()), 1e-13 * scale) << frequencies[i];
  }
}

TEST(FilterResponseTest, SameResultOnAnyNumberOfThreads) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> tap(-1.0, 1.0);
  std::vector<double> h(200001);
  for (double& x : h) x = tap(random);
  std::vector<double> frequencies;
  for (int n = 0; n < 100; ++n) frequencies.push_back(10.0 * std::pow(2.0, n / 10.0));
  std::vector<std::vector<std::complex<double>>> results;
  for (int threads : {1, 2, 3, 7}) {
    SetWorkerThreadCount(threads);
    results.push_back(CentredResponse(h, frequencies, 44100));
  }
  SetWorkerThreadCount(0);
  for (size_t i = 1; i < results.size(); ++i) EXPECT_TRUE(results[i] == results[0]);
}

}  // namespace
