// Prints, as a C++ raw string literal, FFTW's wisdom for the transforms a process most often plans:
// the forward transforms of each common rate (the responses at every whole Hz, and on the grid) and
// both transforms of the convolution blocks. Run at build time; the program imports it before its first plan.
#include <cstdio>
#include <cstdlib>

#include "numerics/CoreTypes.h"
#include "numerics/FftwPlans.h"
#include "numerics/SampleRate.h"

int main() {
  for (const int rateHz : CommonSampleRates) {
    RealForwardPlan(rateHz);
    RealForwardPlan(GridPeriod(rateHz));
  }
  RealForwardPlan(ConvolutionBlockLength);
  RealInversePlan(ConvolutionBlockLength);
  char* wisdom = fftw_export_wisdom_to_string();
  if (wisdom == nullptr) return 1;
  std::printf("R\"wisdom(%s)wisdom\"\n", wisdom);
  std::free(wisdom);
  return std::ferror(stdout) ? 1 : 0;
}
