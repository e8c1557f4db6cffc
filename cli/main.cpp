#include <iostream>

#include "cli/Cli.h"
#include "cli/DescriptorOutput.h"

int main(int argc, char** argv) {
  // Standard output through a buffer that keeps the reason of a failed write for the message.
  DescriptorOutput buffer(1);
  std::ostream out(&buffer);
  return RunCli(argc, argv, out, std::cerr);
}
