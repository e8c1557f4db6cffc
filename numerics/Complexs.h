#pragma once

#include <vector>

// A complex number as a plain pair of doubles, real part first.
struct Complex {
  double re;
  double im;
};

// Zero-based contiguous array of Complex; growing it fills the new elements with (0, 0).
using ComplexArray = std::vector<Complex>;

// (re, im).
Complex MakeComplex(double re, double im);

// a + b, component by component.
Complex ComplexAdd(Complex a, Complex b);

// a - b, component by component.
Complex ComplexSub(Complex a, Complex b);

// a * b. Each component's two products are combined in extended precision and rounded once.
Complex ComplexMul(Complex a, Complex b);

// (s * a.re, s * a.im).
Complex ComplexScale(Complex a, double s);
