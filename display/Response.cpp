#include "display/Response.h"

#include <array>
#include <cmath>
#include <vector>

#include "numerics/FloatingPoint.h"
#include "numerics/ParallelWork.h"

namespace {

constexpr long double cPi = 3.141592653589793238462643383279502884L;

// Every grid frequency is a whole, even number of hertz, so k·f is an even whole number and its angle
// 2π·k·f / 44100 depends only on (k·f / 2) mod 22050: one period holds 22050 distinct angles.
constexpr int cHalfRate = SampleRate / 2;

constexpr bool GridIsEven() {
  for (int i = 1; i <= GridPointCount; ++i) {
    if (GridFrequency(i) % 2 != 0 || GridFrequency(i) / 2 >= cHalfRate) return false;
  }
  return true;
}
static_assert(GridIsEven(), "the angle table needs whole, even grid frequencies below the sample rate");

// A cosine and sine pair, or an accumulator (re, im): one SIMD register, lane-wise IEEE arithmetic,
// so a pair gives exactly what two separate doubles would.
typedef double Pair __attribute__((vector_size(16)));

// cos and sin of 2π·r / 22050 for r = 0 .. 22049, computed once in extended precision from the exactly
// reduced angle and rounded to double: the unreduced extended angle of a long filter carries an
// error of several units in the last place of the double cosine, the reduced one none.
const std::vector<Pair>& AngleTable() {
  static const std::vector<Pair> table = [] {
    std::vector<Pair> values(cHalfRate);
    for (int r = 0; r < cHalfRate; ++r) {
      const long double angle = 2 * cPi * (2 * r) / SampleRate;
      values[r] = Pair{static_cast<double>(std::cos(angle)), static_cast<double>(std::sin(angle))};
    }
    return values;
  }();
  return table;
}

// The extended angle of the literal evaluation, products left to right and the division last; the
// lower grid enters its frequency as i·2 so that the product order matches the 2 Hz steps.
long double Angle(int k, int i) {
  if (i <= 500) return static_cast<long double>(k) * 2 * cPi * i * 2 / SampleRate;
  return static_cast<long double>(k) * 2 * cPi * GridFrequency(i) / SampleRate;
}

double Magnitude(double re, double im) {
  const long double re2 = static_cast<long double>(re) * re;
  const long double im2 = static_cast<long double>(im) * im;
  return static_cast<double>(std::sqrt(re2 + im2));
}

// Sums the P grid points first .. first+P-1 in one pass over the coefficients: P independent
// accumulators hide the latency of the additions. Each point's sum runs in ascending k, with the
// product rounded to double and each new sum rounded to double, whatever P is.
template <int P>
void SumPoints(const double* coeffs, int count, int first, double* magnitudes) {
  const Pair* const table = AngleTable().data();
  int step[P];
  int phase[P];
  Pair sum[P];
  for (int j = 0; j < P; ++j) {
    step[j] = GridFrequency(first + j) / 2;
    phase[j] = 0;
    sum[j] = Pair{0.0, 0.0};
  }
  for (int k = 0; k < count; ++k) {
    const Pair coefficient = Pair{coeffs[k], coeffs[k]};
    for (int j = 0; j < P; ++j) {
      sum[j] += coefficient * table[phase[j]];
      phase[j] += step[j];
      if (phase[j] >= cHalfRate) phase[j] -= cHalfRate;
    }
  }
  for (int j = 0; j < P; ++j) magnitudes[j] = Magnitude(sum[j][0], sum[j][1]);
}

// Grid points per task of the split; the tail of a range goes through the narrower passes.
constexpr int cPointsPerPass = 8;
constexpr int cPointsPerTask = cPointsPerPass;

// The stored magnitudes and levels of points 1 .. 950 in ascending order, with the failure rule of a
// zero magnitude.
void Store(const double* magnitudes, ResponseCurve& magnitude, ResponseCurve& level) {
  for (int i = 1; i <= GridPointCount; ++i) {
    const double m = CheckFinite(magnitudes[i - 1]);
    magnitude[i] = m;
    // The stored double, not the extended square root, is what the level is taken from.
    if (m == 0.0) RaiseZeroDivide();
    level[i] = CheckFinite(static_cast<double>((20 * std::log10(static_cast<long double>(m)) + 100) / 100));
  }
}

}  // namespace

void EvaluateMagnitudes(const RealArray& coeffs, int count, int firstPoint, int lastPoint, double* magnitudes) {
  const double* const data = coeffs.data();
  const int terms = count > 0 ? count : 0;
  int point = firstPoint;
  for (; point + cPointsPerPass - 1 <= lastPoint; point += cPointsPerPass) {
    SumPoints<cPointsPerPass>(data, terms, point, magnitudes + (point - firstPoint));
  }
  for (; point + 3 <= lastPoint; point += 4) SumPoints<4>(data, terms, point, magnitudes + (point - firstPoint));
  for (; point <= lastPoint; ++point) SumPoints<1>(data, terms, point, magnitudes + (point - firstPoint));
}

double ResponseWork(int count) { return static_cast<double>(GridPointCount) * (count > 0 ? count : 0); }

void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count) {
  std::array<double, GridPointCount> magnitudes;
  constexpr int taskCount = (GridPointCount + cPointsPerTask - 1) / cPointsPerTask;
  const double workPerTask = ResponseWork(count) / taskCount;
  RunParallel(taskCount, workPerTask, [&](int64_t task) {
    const int first = 1 + static_cast<int>(task) * cPointsPerTask;
    const int last = std::min(first + cPointsPerTask - 1, GridPointCount);
    EvaluateMagnitudes(coeffs, count, first, last, magnitudes.data() + (first - 1));
  });
  Store(magnitudes.data(), magnitude, level);
}

void EvaluateResponseReference(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level,
                               int count) {
  std::array<double, GridPointCount> magnitudes;
  for (int i = 1; i <= GridPointCount; ++i) {
    double re = 0.0;
    double im = 0.0;
    for (int k = 0; k < count; ++k) {
      // The angle goes unreduced to cosine and sine; each is rounded to double, and the product with
      // the coefficient is carried unrounded into the sum, which is rounded to double every step.
      const double c = static_cast<double>(std::cos(Angle(k, i)));
      const double s = static_cast<double>(std::sin(Angle(k, i)));
      re = static_cast<double>(static_cast<long double>(coeffs[k]) * c + re);
      im = static_cast<double>(static_cast<long double>(coeffs[k]) * s + im);
    }
    magnitudes[i - 1] = Magnitude(re, im);
  }
  Store(magnitudes.data(), magnitude, level);
}
