#include <gtest/gtest.h>

#include "acoustic/AcousticModel.h"
#include "acoustic/DriverResponse.h"
#include "tests/acoustic/Synthetic.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double cPi = std::numbers::pi;

TEST(AcousticModelTest, OutputFrequencies) {
  const std::vector<double> f = AcousticFrequencies(44100);
  ASSERT_EQ(f.size(), 527u);  // 10 * 2^(526/48) = 19897 Hz, the next one 20186 Hz
  EXPECT_EQ(f[0], 10.0);
  EXPECT_EQ(f[48], 20.0);
  EXPECT_EQ(f[480], 10240.0);
  EXPECT_NEAR(f[1], 10.0 * std::pow(2.0, 1.0 / 48), 1e-12);
  EXPECT_NEAR(f[526], 19896.97, 0.01);
  // Below 40 kHz, half the rate ends the grid: 4000 Hz at 8000 (10 * 2^(414/48) = 3948 Hz)...
  const std::vector<double> low = AcousticFrequencies(8000);
  EXPECT_EQ(low.size(), 415u);
  EXPECT_LE(low.back(), 4000.0);
  // ... and a grid point exactly at half the rate is kept.
  EXPECT_EQ(AcousticFrequencies(20480).back(), 10240.0);
  EXPECT_EQ(AcousticFrequencies(96000).size(), 527u);
}

struct Way3 {
  Response driver;  // nullptr: ideal
  double delayMs = 0.0;
  bool inverted = false;
  double trimDb = 0.0;
};

// The model written out term by term: each driver's analytic response, the filter's direct sum in
// long double, the delay, polarity and trim, and the sum.
std::vector<std::complex<double>> IndependentSum(const std::array<Way3, 3>& ways, const ThreeBands& bands,
                                                 const std::vector<double>& frequencies, int rate,
                                                 std::array<std::vector<std::complex<double>>, 3>* perWay) {
  const std::vector<double>* filters[] = {&bands.low, &bands.mid, &bands.high};
  std::vector<std::complex<double>> sum(frequencies.size());
  for (int w = 0; w < 3; ++w) {
    (*perWay)[w].resize(frequencies.size());
    for (size_t i = 0; i < frequencies.size(); ++i) {
      const double f = frequencies[i];
      const std::complex<double> d = ways[w].driver ? ways[w].driver(f) : 1.0;
      const std::complex<long double> h = NaiveCentredResponse(*filters[w], f, rate);
      const double delayAngle = -2.0 * cPi * f * ways[w].delayMs / 1000.0;
      const std::complex<double> a = (ways[w].inverted ? -1.0 : 1.0) * std::pow(10.0, ways[w].trimDb / 20.0) * d *
                                     std::complex<double>(static_cast<double>(h.real()), static_cast<double>(h.imag())) *
                                     std::polar(1.0, delayAngle);
      (*perWay)[w][i] = a;
      sum[i] += a;
    }
  }
  return sum;
}

DriverSet Settings(const std::array<Way3, 3>& ways, int pointsPerOctave) {
  DriverSet drivers;
  for (int w = 0; w < 3; ++w) {
    if (ways[w].driver)
      drivers[w].Driver = ParseMeasurement(MeasurementText(ways[w].driver, 5, 40000, pointsPerOctave, true), "d.frd");
    drivers[w].DelayMs = ways[w].delayMs;
    drivers[w].Sign = ways[w].inverted ? Polarity::Inverted : Polarity::Normal;
    drivers[w].TrimDb = ways[w].trimDb;
  }
  return drivers;
}

// The largest distance between two responses, as complex numbers.
double Difference(const std::vector<std::complex<double>>& a, const std::vector<std::complex<double>>& b) {
  double largest = 0.0;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

// The model against its independent computation, each way and the sum within tolerance (of a
// response whose pass band is near 1).
void ExpectModel(const std::array<Way3, 3>& ways, double tolerance) {
  const int rate = 44100;
  const ThreeBands bands = ComplementaryBands(401, 300, 3000, rate);
  const AcousticResponse response =
      ComputeAcoustic(Settings(ways, 96), {bands.low, bands.mid, bands.high}, rate);
  std::array<std::vector<std::complex<double>>, 3> perWay;
  const std::vector<std::complex<double>> sum = IndependentSum(ways, bands, response.FrequencyHz, rate, &perWay);
  for (int w = 0; w < 3; ++w) EXPECT_LT(Difference(response.Way[w], perWay[w]), tolerance) << w;
  EXPECT_LT(Difference(response.Sum, sum), tolerance);
}

TEST(AcousticModelTest, IdealDriversOfComplementaryFiltersSumFlat) {
  const ThreeBands bands = ComplementaryBands(1201, 300, 3000, 44100);
  const AcousticResponse response = ComputeAcoustic(DriverSet{}, {bands.low, bands.mid, bands.high}, 44100);
  ASSERT_EQ(response.Sum.size(), 527u);
  for (const std::complex<double>& s : response.Sum) {
    EXPECT_NEAR(s.real(), 1.0, 1e-12);
    EXPECT_NEAR(s.imag(), 0.0, 1e-12);
  }
  EXPECT_TRUE(response.HeldRanges.empty());
  EXPECT_TRUE(response.DerivedPhases.empty());
  for (int w = 0; w < 3; ++w) EXPECT_EQ(response.Driver[w], std::vector<std::complex<double>>(527, 1.0));
}

TEST(AcousticModelTest, SecondOrderHighPassWoofer) {
  // The woofer's roll-off below the crossover, measured with its phase at 1/96 octave.
  // Linear interpolation in log frequency between points 1/96 octave apart stays within 3e-4.
  ExpectModel({Way3{SecondOrderHighPass(45, 0.8)}, Way3{}, Way3{}}, 3e-4);
}

TEST(AcousticModelTest, FlatDriversWithOffsetsAndDelays) {
  const Response flat85 = [](double) { return std::complex<double>(std::pow(10.0, 85.0 / 20)); };
  const Response flat88 = [](double) { return std::complex<double>(std::pow(10.0, 88.0 / 20)); };
  ExpectModel({Way3{flat85, 0.0, false, -85}, Way3{flat88, 0.25, false, -88}, Way3{flat85, -0.1, false, -85}}, 1e-10);
  // Trimmed to 0 dB and not delayed, flat drivers give back the electrical sum: flat at 0 dB.
  const ThreeBands bands = ComplementaryBands(1201, 300, 3000, 44100);
  DriverSet drivers = Settings({Way3{flat85, 0, false, -85}, Way3{flat85, 0, false, -85}, Way3{flat85, 0, false, -85}}, 3);
  const AcousticResponse response = ComputeAcoustic(drivers, {bands.low, bands.mid, bands.high}, 44100);
  for (const std::complex<double>& s : response.Sum) EXPECT_NEAR(std::abs(s), 1.0, 1e-9);
}

TEST(AcousticModelTest, InvertedTweeter) {
  const Response tweeter = SecondOrderHighPass(1200, 0.707);
  ExpectModel({Way3{}, Way3{}, Way3{tweeter, 0.05, true, -2}}, 3e-4);
  // Inverting the high way of ideal drivers: the sum is +1 far below the crossover and -1 far above.
  const ThreeBands bands = ComplementaryBands(1201, 300, 3000, 44100);
  DriverSet drivers;
  drivers[2].Sign = Polarity::Inverted;
  const AcousticResponse response = ComputeAcoustic(drivers, {bands.low, bands.mid, bands.high}, 44100);
  EXPECT_NEAR(response.Sum.front().real(), 1.0, 1e-6);    // 10 Hz
  EXPECT_NEAR(response.Sum.back().real(), -1.0, 1e-6);    // 19897 Hz
  // At the crossover the high band is half of the signal: the sum nearly cancels there.
  double smallest = 1.0;
  for (const std::complex<double>& s : response.Sum) smallest = std::min(smallest, std::abs(s));
  EXPECT_LT(smallest, 0.1);
}

TEST(AcousticModelTest, NotesForHeldRangesAndDerivedPhase) {
  DriverSet drivers;
  drivers[0].Driver = ParseMeasurement("20 85\n200 86\n20000 80\n", "woofer.txt");
  drivers[2].Driver = ParseMeasurement("5 85 0\n30000 86 0\n", "tweeter.frd");
  const ThreeBands bands = ComplementaryBands(101, 300, 3000, 44100);
  const AcousticResponse response = ComputeAcoustic(drivers, {bands.low, bands.mid, bands.high}, 44100);
  EXPECT_EQ(response.HeldRanges,
            std::vector<std::string>{"'woofer.txt' was measured from 20 to 20000 Hz; outside that range its end points "
                                     "are held"});
  EXPECT_EQ(response.DerivedPhases,
            std::vector<std::string>{"'woofer.txt' has no phase: the minimum phase of its magnitude is used"});
  // Held below 20 Hz: the first 48 output points (10 .. 19.7 Hz) all see the 20 Hz point.
  for (int i = 0; i < 48; ++i) EXPECT_EQ(response.Driver[0][i], response.Driver[0][48]);
  // A narrower output range (8000 Hz: up to 4000 Hz) still leaves 20 Hz .. 20 kHz below.
  const AcousticResponse narrow = ComputeAcoustic(drivers, {bands.low, bands.mid, bands.high}, 8000);
  EXPECT_EQ(narrow.HeldRanges.size(), 1u);
}

TEST(AcousticModelTest, InterpolatesInLogFrequency) {
  // 0 dB at 100 Hz, 12 dB at 400 Hz: 6 dB at 200 Hz, the phase likewise from 0 to -90 degrees.
  const Measurement m = ParseMeasurement("100 0 0\n400 12 -90\n", "m.frd");
  const std::vector<std::complex<double>> d = DriverResponseAt(m, std::vector<double>{50, 100, 200, 400, 1000});
  EXPECT_NEAR(20 * std::log10(std::abs(d[2])), 6.0, 1e-12);
  EXPECT_NEAR(std::arg(d[2]) * 180 / cPi, -45.0, 1e-12);
  EXPECT_EQ(d[0], d[1]);
  EXPECT_EQ(d[3], d[4]);
  EXPECT_NEAR(20 * std::log10(std::abs(d[4])), 12.0, 1e-12);
}

TEST(AcousticModelTest, RefusesBadSettings) {
  const ThreeBands bands = ComplementaryBands(101, 300, 3000, 44100);
  const std::array<std::span<const double>, 3> filters = {bands.low, bands.mid, bands.high};
  DriverSet drivers;
  drivers[1].DelayMs = 1000.5;
  EXPECT_EQ(ErrorText([&] { ComputeAcoustic(drivers, filters, 44100); }),
            "The mid driver's delay 1000.5 ms is outside -1000 .. 1000 ms");
  drivers[1].DelayMs = -1000;
  drivers[2].TrimDb = -101;
  EXPECT_EQ(ErrorText([&] { ComputeAcoustic(drivers, filters, 44100); }),
            "The high driver's trim -101 dB is outside -100 .. 100 dB");
  drivers[2].TrimDb = NAN;
  EXPECT_EQ(ErrorText([&] { ComputeAcoustic(drivers, filters, 44100); }),
            "The high driver's trim NAN dB is outside -100 .. 100 dB");
  const std::vector<double> shorter(99, 0.0);
  EXPECT_EQ(ErrorText([&] { ComputeAcoustic(DriverSet{}, {bands.low, shorter, bands.high}, 44100); }),
            "The three filters differ in length: 101, 99 and 101 taps");
  EXPECT_EQ(ErrorText([&] { ComputeAcoustic(DriverSet{}, filters, 7999); }),
            "The sampling rate 7999 Hz is not supported");
}

}  // namespace
