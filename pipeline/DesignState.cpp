#include "pipeline/DesignState.h"

int32_t MaxOfThree(int32_t a, int32_t b, int32_t c) {
  if (a < b) a = b;
  return a < c ? c : a;
}
