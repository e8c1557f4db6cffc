#include "numerics/Complexs.h"

Complex MakeComplex(double re, double im) { return Complex{re, im}; }

Complex ComplexAdd(Complex a, Complex b) { return Complex{a.re + b.re, a.im + b.im}; }

Complex ComplexSub(Complex a, Complex b) { return Complex{a.re - b.re, a.im - b.im}; }

Complex ComplexMul(Complex a, Complex b) {
  // The two products meet in the 80-bit format, so each component is rounded once, not three times.
  const long double re = static_cast<long double>(a.re) * b.re - static_cast<long double>(a.im) * b.im;
  const long double im = static_cast<long double>(a.im) * b.re + static_cast<long double>(a.re) * b.im;
  return Complex{static_cast<double>(re), static_cast<double>(im)};
}

Complex ComplexScale(Complex a, double s) { return Complex{s * a.re, s * a.im}; }
