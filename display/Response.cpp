#include "display/Response.h"

#include <algorithm>
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
// error of several units in the last place of the double cosine, the reduced one none. Angles past
// the first quarter turn are reduced further by the exact symmetries of cosine and sine, so that
// only a quarter of the table costs a cosine and a sine.
const std::vector<Pair>& AngleTable() {
  static const std::vector<Pair> table = [] {
    constexpr int half = cHalfRate / 2;  // 11025: the angle π
    std::vector<Pair> values(cHalfRate);
    for (int r = 0; 2 * r <= half; ++r) {
      const long double angle = 2 * cPi * (2 * r) / SampleRate;
      const double c = static_cast<double>(std::cos(angle));
      const double s = static_cast<double>(std::sin(angle));
      values[r] = Pair{c, s};              // θ
      values[half - r] = Pair{-c, s};      // π − θ
      values[half + r] = Pair{-c, -s};     // π + θ
      if (r > 0) values[cHalfRate - r] = Pair{c, -s};  // 2π − θ
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

// Sums the P grid points first .. first+P-1 of C filters in one pass over the coefficients: the C
// filters share each point's angle look-up, and the P·C independent accumulators hide the latency of
// the additions. Each sum runs in ascending k, with the product rounded to double and each new sum
// rounded to double, whatever P and C are.
template <int C, int P>
void SumPoints(const double* const* filters, int count, int first, double* const* magnitudes, int offset) {
  const Pair* const table = AngleTable().data();
  int step[P];
  int phase[P];
  Pair sum[P][C];
  for (int j = 0; j < P; ++j) {
    step[j] = GridFrequency(first + j) / 2;
    phase[j] = 0;
    for (int c = 0; c < C; ++c) sum[j][c] = Pair{0.0, 0.0};
  }
  for (int k = 0; k < count; ++k) {
    Pair coefficient[C];
#pragma GCC unroll 4
    for (int c = 0; c < C; ++c) coefficient[c] = Pair{filters[c][k], filters[c][k]};
    // Unrolled, so that the accumulators and phases stay in registers.
#pragma GCC unroll 16
    for (int j = 0; j < P; ++j) {
      const Pair angle = table[phase[j]];
#pragma GCC unroll 4
      for (int c = 0; c < C; ++c) sum[j][c] += coefficient[c] * angle;
      phase[j] += step[j];
      if (phase[j] >= cHalfRate) phase[j] -= cHalfRate;
    }
  }
  for (int j = 0; j < P; ++j) {
    for (int c = 0; c < C; ++c) magnitudes[c][offset + j] = Magnitude(sum[j][c][0], sum[j][c][1]);
  }
}

// Points per pass for C filters at once: as many accumulators as the SSE registers hold.
template <int C>
constexpr int PointsPerPass() {
  return C >= 3 ? 2 : (C == 2 ? 3 : 8);
}

template <int C>
void SumRange(const double* const* filters, int count, int firstPoint, int lastPoint, double* const* magnitudes) {
  constexpr int width = PointsPerPass<C>();
  int point = firstPoint;
  for (; point + width - 1 <= lastPoint; point += width) {
    SumPoints<C, width>(filters, count, point, magnitudes, point - firstPoint);
  }
  for (; point <= lastPoint; ++point) SumPoints<C, 1>(filters, count, point, magnitudes, point - firstPoint);
}

// Grid points per task of the split over the worker threads.
constexpr int cPointsPerTask = 8;

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

void EvaluateMagnitudes(std::span<const RealArray* const> filters, int count, int firstPoint, int lastPoint,
                        std::span<double* const> magnitudes) {
  const int terms = count > 0 ? count : 0;
  for (size_t done = 0; done < filters.size();) {
    // At most four filters per pass; their data pointers, and where their magnitudes go.
    const size_t group = std::min<size_t>(filters.size() - done, 4);
    const double* data[4];
    for (size_t c = 0; c < group; ++c) data[c] = filters[done + c]->data();
    double* const* out = magnitudes.data() + done;
    switch (group) {
      case 1: SumRange<1>(data, terms, firstPoint, lastPoint, out); break;
      case 2: SumRange<2>(data, terms, firstPoint, lastPoint, out); break;
      case 3: SumRange<3>(data, terms, firstPoint, lastPoint, out); break;
      default: SumRange<4>(data, terms, firstPoint, lastPoint, out); break;
    }
    done += group;
  }
}

double ResponseWork(int count) { return static_cast<double>(GridPointCount) * (count > 0 ? count : 0); }

void EvaluateResponses(std::span<const ResponseTarget> targets, int count, const std::function<void()>& stored) {
  std::vector<std::array<double, GridPointCount>> magnitudes(targets.size());
  std::vector<const RealArray*> filters;
  for (const ResponseTarget& target : targets) filters.push_back(&target.coeffs);
  constexpr int taskCount = (GridPointCount + cPointsPerTask - 1) / cPointsPerTask;
  const double workPerTask = ResponseWork(count) * static_cast<double>(targets.size()) / taskCount;
  RunParallel(taskCount, workPerTask, [&](int64_t task) {
    const int first = 1 + static_cast<int>(task) * cPointsPerTask;
    const int last = std::min(first + cPointsPerTask - 1, GridPointCount);
    std::vector<double*> out;
    for (auto& curve : magnitudes) out.push_back(curve.data() + (first - 1));
    EvaluateMagnitudes(filters, count, first, last, out);
  });
  for (size_t t = 0; t < targets.size(); ++t) {
    Store(magnitudes[t].data(), targets[t].magnitude, targets[t].level);
    if (stored) stored();
  }
}

void EvaluateResponse(const RealArray& coeffs, ResponseCurve& magnitude, ResponseCurve& level, int count) {
  const ResponseTarget target{coeffs, magnitude, level};
  EvaluateResponses({&target, 1}, count);
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
