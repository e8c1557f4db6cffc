#include "design/Kaiser.h"

#include <array>
#include <cmath>

#include "numerics/FloatingPoint.h"

namespace {

// base^k for k >= 1 by repeated squaring, in extended precision.
long double IntegerPower(long double base, int k) {
  long double result = 1.0L;
  while (k > 0) {
    if (k & 1) result *= base;
    base *= base;
    k >>= 1;
  }
  return result;
}

// 0! .. 30!, as Factorial computes them: every term of every Bessel series divides by one.
const std::array<double, 31>& Factorials() {
  static const std::array<double, 31> table = [] {
    std::array<double, 31> values{};
    for (int k = 0; k <= 30; ++k) values[k] = Factorial(k);
    return values;
  }();
  return table;
}

// I0(beta) of the last window weighed on this thread: it is the same for every weight of a window.
double WindowNormaliser(double beta) {
  thread_local double lastBeta = 0.0;
  thread_local double lastValue = 1.0;
  if (beta != lastBeta) {
    lastValue = BesselI0(beta);
    lastBeta = beta;
  }
  return lastValue;
}

}  // namespace

double Factorial(int k) {
  double product = 1.0;
  for (int i = 1; i <= k; ++i) product = CheckFinite(product * i);
  return product;
}

double BesselI0(double x) {
  if (std::isnan(x)) RaiseInvalidOperation();
  const long double half = static_cast<long double>(x) / 2;
  double sum = 0.0;
  for (int k = 1; k <= 30; ++k) {
    const long double q = IntegerPower(half, k) / Factorials()[k];
    sum = CheckFinite(static_cast<double>(sum + q * q));
  }
  return CheckFinite(static_cast<double>(1.0L + sum));
}

double KaiserBeta(double a) {
  long double beta;
  if (a > 50) {
    beta = 0.1102L * (a - 8.7L);
  } else if (a < 21) {
    beta = 0.0L;
  } else {
    const long double excess = a - 21.0L;
    const long double power = excess > 0 ? std::exp(0.4L * std::log(excess)) : 0.0L;
    beta = 0.5842L * power + 0.07886L * excess;
  }
  return CheckFinite(static_cast<double>(beta));
}

double KaiserWindow(int m, double n, double beta) {
  if (std::isnan(n) || std::isnan(beta)) RaiseInvalidOperation();
  if (m == 0) {
    if (n == 0) RaiseInvalidOperation();
    RaiseZeroDivide();
  }
  const long double v = 1.0L - (2.0L * n) / m;
  const long double r = 1.0L - v * v;
  // Outside 0 .. m the radicand is negative.
  if (r < 0) RaiseInvalidOperation();
  const double argument = CheckFinite(static_cast<double>(beta * std::sqrt(r)));
  return static_cast<double>(static_cast<long double>(BesselI0(argument)) / WindowNormaliser(beta));
}
