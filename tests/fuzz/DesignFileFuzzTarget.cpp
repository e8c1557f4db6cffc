// libFuzzer entry over the bytes of a design file: every violated invariant aborts, so that the
// input is kept as a crash.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/DesignFileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string violation = RunDesignFileInput(data, size);
  if (!violation.empty()) {
    std::fprintf(stderr, "invariant violated: %s\n", violation.c_str());
    std::abort();
  }
  return 0;
}
