#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Zero-based resizable array of doubles. Resizing keeps the prefix and fills new elements with 0.0.
using RealArray = std::vector<double>;

// The sampling frequency a design starts from, in Hz. Its half, 22050 Hz, is the Nyquist frequency.
constexpr int SampleRate = 44100;

// The sampling frequencies a design may use: any whole number of Hz in this range.
constexpr int MinSampleRate = 8000;
constexpr int MaxSampleRate = 768000;
constexpr bool IsSampleRate(long long rateHz) { return rateHz >= MinSampleRate && rateHz <= MaxSampleRate; }

// Number of points of the frequency grid on which responses are evaluated.
constexpr int GridPointCount = 950;

// One value per grid point, indexed 1 .. 950; element 0 is never written or read.
using ResponseCurve = std::array<double, GridPointCount + 1>;

// Frequency in Hz of grid point i (1 .. 950): 2 Hz steps up to 1000 Hz, then 20 Hz steps up to 10 kHz.
constexpr int GridFrequency(int i) { return i <= 500 ? 2 * i : 20 * i - 9000; }

// Every grid frequency is even, so at an even rate e^{-j 2 pi k f / rate} = e^{-j 2 pi k (f/2) / (rate/2)}
// repeats every rate/2 taps: the length of the transform that gives the grid's responses (rateHz >= 1).
constexpr int GridPeriod(int rateHz) { return rateHz % 2 == 0 ? rateHz / 2 : rateHz; }
