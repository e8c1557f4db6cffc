#include "design/Kaiser.h"

#include <array>
#include <bit>
#include <cmath>

#include "numerics/FloatingPoint.h"

namespace {

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
  // half^k by repeated squaring in extended precision: the squares half^(2^j) multiplied into the
  // power in increasing j. The highest one comes last, so half^k is half^(k - 2^j) times half^(2^j)
  // for the highest bit j of k, and each power is one multiplication from an earlier one.
  std::array<long double, 31> powers;
  powers[0] = 1.0L;
  double sum = 0.0;
  // Unrolled: the choice of each power's factors is then fixed at compile time.
#pragma GCC unroll 30
  for (int k = 1; k <= 30; ++k) {
    const int highest = std::bit_floor(static_cast<unsigned>(k));
    const long double square = highest == 1 ? half : powers[highest / 2] * powers[highest / 2];
    powers[k] = k == highest ? square : powers[k - highest] * square;
    const long double q = powers[k] / Factorials()[k];
    // The terms are positive: once a sum overflows it stays infinite, and the check below raises it.
    sum = static_cast<double>(sum + q * q);
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

double KaiserArgument(int m, double n, double beta) {
  if (std::isnan(n) || std::isnan(beta)) RaiseInvalidOperation();
  if (m == 0) {
    if (n == 0) RaiseInvalidOperation();
    RaiseZeroDivide();
  }
  const long double v = 1.0L - (2.0L * n) / m;
  const long double r = 1.0L - v * v;
  // Outside 0 .. m the radicand is negative.
  if (r < 0) RaiseInvalidOperation();
  return CheckFinite(static_cast<double>(beta * std::sqrt(r)));
}

double KaiserWeight(double argument, double beta) {
  return static_cast<double>(static_cast<long double>(BesselI0(argument)) / WindowNormaliser(beta));
}

double KaiserWindow(int m, double n, double beta) { return KaiserWeight(KaiserArgument(m, n, beta), beta); }
