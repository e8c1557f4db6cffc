// The band-by-shelf convolutions of a Calc: by FFT above the direct sums' lengths, within 1e-15 of the
// direct sums, closer than they are to the exact sum, the same on any number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "design/Shelf.h"
#include "numerics/Convolution.h"
#include "numerics/ParallelWork.h"

namespace {

struct WorkerCount {
  explicit WorkerCount(int count) { SetWorkerThreadCount(count); }
  ~WorkerCount() { SetWorkerThreadCount(0); }
};

RealArray Shelf(int cutDb) {
  RealArray shelf(ShelfLength);
  DesignShelf(200, 800, cutDb, SampleRate, shelf);
  return shelf;
}

RealArray Convolve(ConvolutionMethod method, const RealArray& band, const RealArray& shelf) {
  RealArray cascade(band.size() + shelf.size() - 1, -1.0);
  ConvolveRealBy(method, band.data(), static_cast<int>(band.size()), shelf.data(), static_cast<int>(shelf.size()),
                 cascade.data(), static_cast<int>(cascade.size()));
  return cascade;
}

double Norm(const RealArray& values) {
  long double sum = 0;
  for (double value : values) sum += static_cast<long double>(value) * value;
  return static_cast<double>(std::sqrt(sum));
}

// Bands whose direct sums round the most: centre taps near 1 (high-pass bands, a wide low-pass) beside
// the shelf's, at every cut, and the narrow low-pass whose long tails fold nothing.
TEST(CascadeConvolution, FftWithin1e15OfTheDirectSumsForDesignedBands) {
  const double beta = KaiserBeta(144);
  for (const int taps : {4097, 12001}) {
    const RealArray bands[] = {DesignHighPass(taps, 40, beta, SampleRate), DesignHighPass(taps, 2000, beta, SampleRate),
                               DesignLowPass(taps, 20000, beta, SampleRate), DesignLowPass(taps, 300, beta, SampleRate),
                               DesignBandPass(taps, 300, 2000, beta, SampleRate)};
    for (int cutDb = 1; cutDb <= 6; ++cutDb) {
      const RealArray shelf = Shelf(cutDb);
      for (size_t b = 0; b < std::size(bands); ++b) {
        ASSERT_TRUE(ConvolutionUsesFft(taps, ShelfLength, Norm(bands[b]), Norm(shelf))) << taps << " " << b;
        const RealArray direct = Convolve(ConvolutionMethod::Direct, bands[b], shelf);
        const RealArray fft = Convolve(ConvolutionMethod::Fft, bands[b], shelf);
        ASSERT_EQ(Convolve(ConvolutionMethod::Chosen, bands[b], shelf), fft);
        double worst = 0;
        for (size_t n = 0; n < direct.size(); ++n) worst = std::max(worst, std::fabs(fft[n] - direct[n]));
        // Measured at most 8.2e-17, up to 1,000,001 taps.
        EXPECT_LE(worst, 1e-15) << taps << " taps, band " << b << ", " << cutDb << " dB";
      }
    }
  }
}

// Against the exact sums in long double, over the centre of a 65535-tap cascade and a spread of the rest:
// the FFT path is no farther from them than the direct sums are, plus a rounding.
TEST(CascadeConvolution, FftIsAsCloseToTheExactSumAsTheDirectSum) {
  const RealArray band = DesignHighPass(65535, 40, KaiserBeta(144), SampleRate);
  const RealArray shelf = Shelf(2);
  const RealArray direct = Convolve(ConvolutionMethod::Direct, band, shelf);
  const RealArray fft = Convolve(ConvolutionMethod::Fft, band, shelf);
  double directError = 0, fftError = 0;
  for (int n = 0; n < static_cast<int>(direct.size()); n += (std::abs(n - 33369) < 2000 ? 1 : 61)) {
    long double exact = 0;
    for (int k = std::max(0, n - ShelfLength + 1); k <= std::min(n, 65534); ++k) {
      exact += static_cast<long double>(band[k]) * shelf[n - k];
    }
    directError = std::max(directError, static_cast<double>(std::fabs(direct[n] - exact)));
    fftError = std::max(fftError, static_cast<double>(std::fabs(fft[n] - exact)));
  }
  EXPECT_LE(fftError, directError + 1.2e-16);
  EXPECT_GT(directError, 4e-16);  // a case where the direct sum's rounding shows
}

// The centre outputs, whose terms are large, are the direct sums to the bit; the whole cascade is the
// same on 1, 2, 3 and 7 threads; the output may be the band itself.
TEST(CascadeConvolution, CentreIsTheDirectSumAndThreadsDoNotMatter) {
  const RealArray band = DesignHighPass(9001, 1000, KaiserBeta(144), SampleRate);
  const RealArray shelf = Shelf(6);
  const RealArray direct = Convolve(ConvolutionMethod::Direct, band, shelf);
  RealArray one;
  {
    const WorkerCount workers(1);
    one = Convolve(ConvolutionMethod::Chosen, band, shelf);
  }
  const int centre = 4500 + ShelfLength / 2;
  for (int n = centre - 200; n <= centre + 200; ++n) ASSERT_EQ(one[n], direct[n]) << n;
  for (const int threads : {2, 3, 7}) {
    const WorkerCount workers(threads);
    EXPECT_EQ(Convolve(ConvolutionMethod::Chosen, band, shelf), one) << threads;
  }
  RealArray inPlace = band;
  inPlace.resize(band.size() + ShelfLength - 1);
  ConvolveReal(inPlace.data(), 9001, shelf.data(), ShelfLength, inPlace.data(), static_cast<int>(inPlace.size()));
  EXPECT_EQ(inPlace, one);
}

// The default lengths keep the direct sums; long designed bands go through the FFT; large or short
// inputs do not.
TEST(CascadeConvolution, WhenTheFftTakesOver) {
  EXPECT_FALSE(ConvolutionUsesFft(901, ShelfLength, 0.1, 0.5));
  EXPECT_FALSE(ConvolutionUsesFft(ShelfLength, 4095, 0.5, 0.9));
  EXPECT_TRUE(ConvolutionUsesFft(ShelfLength, 4096, 0.5, 0.9));
  EXPECT_TRUE(ConvolutionUsesFft(1000001, ShelfLength, 1.0, 1.0));
  EXPECT_FALSE(ConvolutionUsesFft(1000001, ShelfLength, 1.0, 1.01));
  EXPECT_FALSE(ConvolutionUsesFft(1000001, 63, 0.1, 0.1));
  EXPECT_TRUE(ConvolutionUsesFft(1000001, 64, 0.1, 0.1));

  const RealArray band = DesignLowPass(901, 300, KaiserBeta(144), SampleRate);
  const RealArray shelf = Shelf(6);
  EXPECT_EQ(Convolve(ConvolutionMethod::Chosen, band, shelf), Convolve(ConvolutionMethod::Direct, band, shelf));
}

}  // namespace
