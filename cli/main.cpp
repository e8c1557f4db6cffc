#include <malloc.h>

#include <iostream>

#include "cli/Cli.h"
#include "cli/DescriptorOutput.h"

int main(int argc, char** argv) {
  // A run lasts milliseconds and allocates the same few arrays of a transform's length several
  // times: kept on the heap when freed, instead of mapped and unmapped each time, they are touched
  // (page-faulted) once. Arrays of a long design (64 MiB and more) are still mapped on their own.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  // Standard output through a buffer that keeps the reason of a failed write for the message.
  DescriptorOutput buffer(1);
  std::ostream out(&buffer);
  return RunCli(argc, argv, out, std::cerr);
}
