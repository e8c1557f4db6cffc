#include "acoustic/FilterResponse.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "numerics/ParallelWork.h"

namespace {

// Frequencies evaluated side by side in one task: the inner loop runs across them.
constexpr size_t cLanes = 8;
// Tap pairs between two exact evaluations of the rotating phasor.
constexpr int64_t cAnchorInterval = 64;

// e^{j pi x turnsPerSample * twiceOffset}, the phasor of an offset of twiceOffset / 2 samples at a
// frequency of turnsPerSample turns a sample. The product is formed exactly (the rounding error
// recovered with an fma) and reduced by whole turns before the sine and cosine.
std::complex<double> Phasor(double turnsPerSample, int64_t twiceOffset) {
  const double x = static_cast<double>(twiceOffset);
  const double product = turnsPerSample * x;
  const double error = std::fma(turnsPerSample, x, -product);
  // product / 2 in whole turns: |reduced| <= 1, exactly.
  const double reduced = product - 2.0 * std::nearbyint(product / 2.0);
  const double angle = std::numbers::pi * (reduced + error);
  return {std::cos(angle), std::sin(angle)};
}

}  // namespace

std::vector<std::complex<double>> CentredResponse(std::span<const double> coeffs,
                                                  std::span<const double> frequencyHz, int rateHz) {
  const size_t count = frequencyHz.size();
  std::vector<std::complex<double>> response(count);
  const size_t n = coeffs.size();
  if (n == 0 || count == 0) return response;

  // Pair p joins the taps at offsets +-(p + 1) from the centre (odd length), +-(p + 1/2) (even):
  // h[c-d] e^{j w d} + h[c+d] e^{-j w d} = (h[c-d] + h[c+d]) cos wd + j (h[c-d] - h[c+d]) sin wd.
  const bool odd = n % 2 == 1;
  const size_t pairs = n / 2;
  const size_t lowCentre = n / 2 - 1;  // the lower tap of the first pair
  const size_t highCentre = odd ? n / 2 + 1 : n / 2;
  std::vector<double> sums(pairs);
  std::vector<double> differences(pairs);
  bool symmetric = true;
  for (size_t p = 0; p < pairs; ++p) {
    const double below = coeffs[lowCentre - p];
    const double above = coeffs[highCentre + p];
    sums[p] = below + above;
    differences[p] = below - above;
    symmetric = symmetric && differences[p] == 0.0;
  }
  const double centre = odd ? coeffs[n / 2] : 0.0;
  const int64_t firstTwiceOffset = odd ? 2 : 1;

  const size_t tasks = (count + cLanes - 1) / cLanes;
  RunParallel(static_cast<int64_t>(tasks), static_cast<double>(pairs * cLanes) * (symmetric ? 1.0 : 1.5),
              [&](int64_t task) {
    const size_t first = static_cast<size_t>(task) * cLanes;
    const size_t lanes = std::min(cLanes, count - first);
    std::array<double, cLanes> turns{}, stepRe{}, stepIm{}, re{}, im{}, sumRe{}, sumIm{};
    for (size_t lane = 0; lane < lanes; ++lane) {
      turns[lane] = frequencyHz[first + lane] / rateHz;
      const std::complex<double> step = Phasor(turns[lane], 2);
      stepRe[lane] = step.real();
      stepIm[lane] = step.imag();
    }
    for (size_t start = 0; start < pairs; start += cAnchorInterval) {
      const size_t end = std::min(pairs, start + cAnchorInterval);
      for (size_t lane = 0; lane < lanes; ++lane) {
        const std::complex<double> z = Phasor(turns[lane], firstTwiceOffset + 2 * static_cast<int64_t>(start));
        re[lane] = z.real();
        im[lane] = z.imag();
      }
      for (size_t p = start; p < end; ++p) {
        const double s = sums[p];
        const double d = differences[p];
        for (size_t lane = 0; lane < cLanes; ++lane) {
          sumRe[lane] += s * re[lane];
          sumIm[lane] += d * im[lane];
          const double nextRe = re[lane] * stepRe[lane] - im[lane] * stepIm[lane];
          const double nextIm = re[lane] * stepIm[lane] + im[lane] * stepRe[lane];
          re[lane] = nextRe;
          im[lane] = nextIm;
        }
      }
    }
    for (size_t lane = 0; lane < lanes; ++lane)
      response[first + lane] = {centre + sumRe[lane], symmetric ? 0.0 : sumIm[lane]};
  });
  return response;
}
