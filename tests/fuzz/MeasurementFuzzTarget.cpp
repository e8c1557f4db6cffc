// libFuzzer entry over the bytes of a driver measurement file: every violated invariant aborts, so
// that the input is kept as a crash.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/MeasurementFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string violation = RunMeasurementInput(data, size);
  if (!violation.empty()) {
    std::fprintf(stderr, "invariant violated: %s\n", violation.c_str());
    std::abort();
  }
  return 0;
}
