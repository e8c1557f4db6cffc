#include "acoustic/MinimumPhase.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustic/LogInterpolation.h"
#include "numerics/FftwPlans.h"

namespace {

// Grid spacing in ln f: 1/384 octave.
constexpr double cNodeStep = std::numbers::ln2 / 384.0;
constexpr int cMaxNodes = (1 << 17) + 1;
// Where the two series of LnCothIntegral have the same argument, sqrt(2) - 1: ln(1 + sqrt 2).
constexpr double cSeriesSwitch = 0.88137358701954302523;
constexpr double cQuarterPiSquared = std::numbers::pi * std::numbers::pi / 4.0;
constexpr double cNepersPerDb = std::numbers::ln10 / 20.0;

// Legendre's chi function chi_2(z) = sum over odd k of z^k / k^2, for 0 <= z <= sqrt(2) - 1,
// where 40 terms reach the last bit.
double LegendreChi2(double z) {
  const double z2 = z * z;
  double power = z;
  double sum = 0.0;
  for (int k = 1; k < 100 && power > 0.0; k += 2) {
    const double term = power / (static_cast<double>(k) * k);
    sum += term;
    if (term < sum * 1e-17) break;
    power *= z2;
  }
  return sum;
}

// The level in nepers at ln f = u, linear in u between the measured points.
double NepersAt(std::span<const double> frequencyHz, std::span<const double> levelDb, double u) {
  return cNepersPerDb * ValueAt(levelDb, LocateLogFrequency(frequencyHz, std::exp(u)));
}

}  // namespace

double LnCothIntegral(double x) {
  const double a = std::fabs(x);
  double value = 0.0;
  if (a >= cSeriesSwitch) {
    // 1/2 ln coth(v/2) = sum over odd k of e^{-kv}/k, integrated from a to infinity.
    value = cQuarterPiSquared - 2.0 * LegendreChi2(std::exp(-a));
  } else if (a > 0.0) {
    // Landen's identity chi_2(e^-a) + chi_2(tanh(a/2)) = pi^2/8 + a/2 ln tanh(a/2).
    const double t = std::tanh(a / 2.0);
    value = -a * std::log(t) + 2.0 * LegendreChi2(t);
  }
  return std::copysign(value, x);
}

std::vector<double> MinimumPhaseDeg(std::span<const double> frequencyHz, std::span<const double> levelDb) {
  const size_t pointCount = frequencyHz.size();
  const double uLow = std::log(frequencyHz.front());
  const double uHigh = std::log(frequencyHz.back());
  const double span = uHigh - uLow;
  const int nodes = static_cast<int>(std::clamp(std::ceil(span / cNodeStep) + 1.0, 2.0, double{cMaxNodes}));
  const double step = span / (nodes - 1);

  // Slopes (nepers per neper) of the cells between nodes, and of the two tails.
  std::vector<double> nodeNepers(static_cast<size_t>(nodes));
  for (int j = 0; j < nodes; ++j)
    nodeNepers[j] = NepersAt(frequencyHz, levelDb, j + 1 == nodes ? uHigh : uLow + j * step);
  const double endSpan = std::min(span, std::numbers::ln2 / 3.0);
  const auto tailSlope = [&](double uNear, double uFar) {
    const double slope =
        (NepersAt(frequencyHz, levelDb, uFar) - NepersAt(frequencyHz, levelDb, uNear)) / (uFar - uNear);
    return std::clamp(slope, -MaxTailOrder, MaxTailOrder);
  };
  const double lowSlope = tailSlope(uLow, uLow + endSpan);
  const double highSlope = tailSlope(uHigh - endSpan, uHigh);

  // phase_j = sum over cells i of slope_i * W(i - j), with W(m) the kernel's integral over
  // [m, m + 1] steps: a convolution of the slopes with W reversed, of length 3 nodes - 4, taken
  // circularly on a power of two of at least 2 nodes, which leaves the outputs used unaliased.
  int size = 1;
  while (size < 2 * nodes) size *= 2;
  const int bins = size / 2 + 1;
  FftwRealBuffer slopes = AllocateFftwReal(size);
  FftwRealBuffer kernel = AllocateFftwReal(size);
  std::fill(slopes.get(), slopes.get() + size, 0.0);
  std::fill(kernel.get(), kernel.get() + size, 0.0);
  for (int i = 0; i + 1 < nodes; ++i) slopes[i] = (nodeNepers[i + 1] - nodeNepers[i]) / step;
  for (int t = 0; t <= 2 * nodes - 3; ++t) {
    const int m = nodes - 2 - t;
    kernel[t] = LnCothIntegral((m + 1) * step) - LnCothIntegral(m * step);
  }
  FftwComplexBuffer slopeBins = AllocateFftwComplex(bins);
  FftwComplexBuffer kernelBins = AllocateFftwComplex(bins);
  fftw_execute_dft_r2c(RealForwardPlan(size), slopes.get(), slopeBins.get());
  fftw_execute_dft_r2c(RealForwardPlan(size), kernel.get(), kernelBins.get());
  for (int k = 0; k < bins; ++k) {
    const double re = slopeBins[k][0] * kernelBins[k][0] - slopeBins[k][1] * kernelBins[k][1];
    const double im = slopeBins[k][0] * kernelBins[k][1] + slopeBins[k][1] * kernelBins[k][0];
    slopeBins[k][0] = re;
    slopeBins[k][1] = im;
  }
  fftw_execute_dft_c2r(RealInversePlan(size), slopeBins.get(), slopes.get());

  std::vector<double> nodePhase(static_cast<size_t>(nodes));
  for (int j = 0; j < nodes; ++j) {
    const double cells = slopes[j + nodes - 2] / size;
    const double below = lowSlope * (cQuarterPiSquared - LnCothIntegral(j * step));
    const double above = highSlope * (cQuarterPiSquared - LnCothIntegral((nodes - 1 - j) * step));
    nodePhase[j] = (cells + below + above) / std::numbers::pi * (180.0 / std::numbers::pi);
  }

  // Back to the measured points, linearly between nodes.
  std::vector<double> phaseDeg(pointCount);
  for (size_t k = 0; k < pointCount; ++k) {
    const double position = std::clamp((std::log(frequencyHz[k]) - uLow) / step, 0.0, double(nodes - 1));
    const int node = std::min(static_cast<int>(position), nodes - 2);
    const double weight = position - node;
    phaseDeg[k] = nodePhase[node] + weight * (nodePhase[node + 1] - nodePhase[node]);
  }
  return phaseDeg;
}
