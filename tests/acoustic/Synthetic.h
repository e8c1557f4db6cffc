#pragma once

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "numerics/TextConvert.h"

// Measurements and filters built from known analytic responses, for the acoustic tests.

using Response = std::function<std::complex<double>(double frequencyHz)>;

// The analog 2nd-order high-pass s^2 / (s^2 + s w0/q + w0^2) at s = j 2 pi f.
inline Response SecondOrderHighPass(double cornerHz, double q) {
  return [=](double f) {
    const std::complex<double> s(0.0, f / cornerHz);
    return s * s / (s * s + s / q + 1.0);
  };
}

// The analog 1st-order low-pass 1 / (1 + s/w0).
inline Response FirstOrderLowPass(double cornerHz) {
  return [=](double f) { return 1.0 / (1.0 + std::complex<double>(0.0, f / cornerHz)); };
}

// A measurement file of the response at pointsPerOctave log-spaced frequencies from fromHz to toHz,
// with a phase column (in degrees, as atan2 gives it: wrapped) or without.
inline std::string MeasurementText(const Response& response, double fromHz, double toHz, int pointsPerOctave,
                                   bool withPhase) {
  std::string text = "* synthetic measurement\nFreq(Hz) SPL(dB) Phase(deg)\n";
  const int count = static_cast<int>(std::floor(std::log2(toHz / fromHz) * pointsPerOctave)) + 1;
  for (int n = 0; n < count; ++n) {
    const double f = fromHz * std::pow(2.0, static_cast<double>(n) / pointsPerOctave);
    const std::complex<double> value = response(f);
    text += FormatExact(f) + " " + FormatExact(20.0 * std::log10(std::abs(value)));
    if (withPhase) text += " " + FormatExact(std::arg(value) * 180.0 / std::numbers::pi);
    text += "\n";
  }
  return text;
}

// A Blackman-windowed ideal low-pass of length taps (odd) with cutoff cutoffHz at rateHz.
inline std::vector<double> WindowedLowPass(int taps, double cutoffHz, int rateHz) {
  std::vector<double> h(taps);
  const int centre = taps / 2;
  // Computed for the lower half and mirrored, so that the filter is exactly symmetric.
  for (int n = 0; n <= centre; ++n) {
    const double k = n - centre;
    const double x = 2.0 * std::numbers::pi * n / (taps - 1);
    const double window = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
    const double ideal = k == 0 ? 2.0 * cutoffHz / rateHz
                                : std::sin(2.0 * std::numbers::pi * cutoffHz / rateHz * k) / (std::numbers::pi * k);
    h[n] = h[taps - 1 - n] = ideal * window;
  }
  return h;
}

// Three complementary bands of one length that sum to a unit impulse at the centre: the low-pass at
// lowHz, the high-pass at highHz (impulse minus low-pass), the mid band what remains.
struct ThreeBands {
  std::vector<double> low, mid, high;
};
inline ThreeBands ComplementaryBands(int taps, double lowHz, double highHz, int rateHz) {
  ThreeBands bands;
  bands.low = WindowedLowPass(taps, lowHz, rateHz);
  const std::vector<double> belowHigh = WindowedLowPass(taps, highHz, rateHz);
  bands.high.resize(taps);
  bands.mid.resize(taps);
  for (int n = 0; n < taps; ++n) {
    const double impulse = n == taps / 2 ? 1.0 : 0.0;
    bands.high[n] = impulse - belowHigh[n];
    bands.mid[n] = impulse - bands.low[n] - bands.high[n];
  }
  return bands;
}

// sum over k of h[k] e^{-j 2 pi f (k - (n-1)/2) / rate}, term by term in long double.
inline std::complex<long double> NaiveCentredResponse(const std::vector<double>& h, long double f, int rateHz) {
  const long double centre = (static_cast<long double>(h.size()) - 1) / 2;
  std::complex<long double> sum = 0;
  for (size_t k = 0; k < h.size(); ++k) {
    const long double angle = -2 * std::numbers::pi_v<long double> * f * (k - centre) / rateHz;
    sum += static_cast<long double>(h[k]) * std::complex<long double>(std::cos(angle), std::sin(angle));
  }
  return sum;
}
