#pragma once

// Filters for the benchmarks: the same pseudo-random symmetric taps in every run.
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<double> RandomSymmetricFilter(int64_t length) {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> tap(-1.0, 1.0);
  std::vector<double> h(length);
  for (int64_t k = 0; k <= length / 2; ++k) h[k] = h[length - 1 - k] = tap(random);
  return h;
}
