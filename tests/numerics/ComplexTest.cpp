#include <gtest/gtest.h>

#include <cmath>

#include "numerics/Complexs.h"

namespace {

bool Same(Complex a, double re, double im) { return a.re == re && a.im == im; }

TEST(ComplexTest, Operations) {
  EXPECT_TRUE(Same(ComplexMul(MakeComplex(0, 1), MakeComplex(0, 1)), -1, 0));
  EXPECT_TRUE(Same(ComplexMul(MakeComplex(3, 4), MakeComplex(3, -4)), 25, 0));
  EXPECT_TRUE(Same(ComplexAdd(MakeComplex(1.5, -2), MakeComplex(0.25, 8)), 1.75, 6));
  EXPECT_TRUE(Same(ComplexSub(MakeComplex(1.5, -2), MakeComplex(0.25, 8)), 1.25, -10));
  EXPECT_TRUE(Same(ComplexScale(MakeComplex(2, -3), -0.5), -1, 1.5));
  for (const Complex a : {MakeComplex(0.1, -7e300), MakeComplex(-3.25, 1e-300)}) {
    EXPECT_TRUE(Same(ComplexSub(a, a), 0, 0));
    EXPECT_TRUE(Same(ComplexScale(a, 1), a.re, a.im));
    EXPECT_TRUE(Same(ComplexMul(MakeComplex(1, 0), a), a.re, a.im));
  }
  // (1 + 2^-30)^2 - 1 is 2^-29 + 2^-60: a product rounded to double before the sum loses the 2^-60.
  const double x = 1 + std::ldexp(1.0, -30);
  EXPECT_TRUE(Same(ComplexMul(MakeComplex(x, 1), MakeComplex(x, 1)), std::ldexp(1.0, -29) + std::ldexp(1.0, -60), 2 * x));
  ComplexArray grown;
  grown.resize(5);
  for (const Complex& value : grown) EXPECT_TRUE(Same(value, 0, 0));
}

}  // namespace
