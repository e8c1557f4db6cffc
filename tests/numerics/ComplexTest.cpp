#include <gtest/gtest.h>

#include <cmath>

#include "numerics/Complexs.h"

namespace {

void ExpectComplex(Complex got, double re, double im) {
  EXPECT_EQ(got.re, re);
  EXPECT_EQ(got.im, im);
}

TEST(ComplexTest, Operations) {
  ExpectComplex(ComplexMul(MakeComplex(0, 1), MakeComplex(0, 1)), -1, 0);
  ExpectComplex(ComplexMul(MakeComplex(3, 4), MakeComplex(3, -4)), 25, 0);
  ExpectComplex(ComplexAdd(MakeComplex(1.5, -2), MakeComplex(0.25, 8)), 1.75, 6);
  ExpectComplex(ComplexSub(MakeComplex(1.5, -2), MakeComplex(0.25, 8)), 1.25, -10);
  ExpectComplex(ComplexScale(MakeComplex(2, -3), -0.5), -1, 1.5);
  for (const Complex a : {MakeComplex(0.1, -7e300), MakeComplex(-3.25, 1e-300), MakeComplex(0, 0)}) {
    ExpectComplex(ComplexSub(a, a), 0, 0);
    ExpectComplex(ComplexScale(a, 1), a.re, a.im);
    ExpectComplex(ComplexMul(MakeComplex(1, 0), a), a.re, a.im);
  }
}

TEST(ComplexTest, MulRoundsEachComponentOnce) {
  // (1 + 2^-30)^2 - 1 is 2^-29 + 2^-60 exactly; a product rounded to double first loses the 2^-60.
  const double x = 1 + std::ldexp(1.0, -30);
  const Complex product = ComplexMul(MakeComplex(x, 1), MakeComplex(x, 1));
  EXPECT_EQ(product.re, std::ldexp(1.0, -29) + std::ldexp(1.0, -60));
  EXPECT_EQ(product.im, 2 * x);
}

TEST(ComplexTest, GrownArrayHoldsZeros) {
  ComplexArray values;
  values.resize(5);
  for (const Complex& value : values) ExpectComplex(value, 0, 0);
}

}  // namespace
