#include <gtest/gtest.h>

#include <cmath>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "tests/design/Magnitude.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double Beta = 14.91006;
const std::string RangeError = "範囲チェックエラー";

struct BandCase {
  const char* name;
  RealArray taps;
  double centre, next;                              // taps c and c + 1
  std::vector<std::pair<double, double>> response;  // frequency, magnitude
  double tolerance;
};

TEST(BandFiltersTest, DesignedBands) {
  const BandCase cases[] = {
      {"low", DesignLowPass(901, 300, Beta), 600.0 / 44100, 0.0136008162, {{300, 0.5}, {20, 1}, {2000, 0}}, 5e-8},
      {"mid", DesignBandPass(701, 300, 2000, Beta), 3400.0 / 44100, 0.0758746866,
       {{300, 0.5}, {1000, 1}, {2000, 0.5}}, 1e-3},
      {"high", DesignHighPass(301, 2000, Beta), 1 - 4000.0 / 44100, -0.0894518149, {{2000, 0.5}, {5000, 1}}, 1e-2},
  };
  for (const BandCase& band : cases) {
    const size_t c = band.taps.size() / 2;
    EXPECT_DOUBLE_EQ(band.taps[c], band.centre) << band.name;
    EXPECT_NEAR(band.taps[c + 1], band.next, 5e-11) << band.name;
    for (size_t n = 0; n < c; ++n) EXPECT_NEAR(band.taps[n], band.taps[2 * c - n], 1e-17) << band.name << " " << n;
    for (const auto& [f, magnitude] : band.response) {
      EXPECT_NEAR(Magnitude(band.taps, f), magnitude, band.tolerance) << band.name << " " << f;
    }
  }
  EXPECT_NEAR(DesignLowPass(901, 300, Beta)[0], 8.52468e-10, 5e-16);
}

TEST(BandFiltersTest, ShortAndDegenerateBands) {
  const RealArray three = DesignLowPass(3, 1000, Beta);
  EXPECT_DOUBLE_EQ(three[0], std::sin(2 * M_PI * 1000 / 44100) / BesselI0(Beta) / M_PI);
  EXPECT_EQ(three[0], three[2]);
  for (double tap : DesignLowPass(101, 0, Beta)) EXPECT_EQ(tap, 0.0);
  const RealArray high = DesignHighPass(101, 0, Beta);
  for (int n = 0; n < 101; ++n) EXPECT_NEAR(high[n], n == 50 ? 1.0 : 0.0, 1e-16) << n;

  EXPECT_EQ(ErrorText([] { DesignLowPass(1, 300, Beta); }), "不正な浮動小数点数演算命令");
  EXPECT_EQ(ErrorText([] { DesignBandPass(1, 300, 2000, Beta); }), "不正な浮動小数点数演算命令");
  EXPECT_EQ(ErrorText([] { DesignHighPass(-1, 2000, Beta); }), RangeError);
}

TEST(BandFiltersTest, CentreAndSum) {
  RealArray band(301);
  for (int j = 0; j < 301; ++j) band[j] = j + 1;
  const RealArray centred = CentreBand(band, 901);
  ASSERT_EQ(centred.size(), 901u);
  for (int i = 0; i < 901; ++i) EXPECT_EQ(centred[i], (i >= 300 && i <= 600) ? i - 299 : 0.0) << i;
  EXPECT_EQ(CentreBand(band, 301), band);
  EXPECT_EQ(ErrorText([&band] { CentreBand(band, 299); }), RangeError);
  EXPECT_EQ(SumBands({1, 2, 3}, {10, 20, 30}, {100, 200, 300, 400}, 3), RealArray({111, 222, 333}));
  EXPECT_EQ(ErrorText([] { SumBands({1, 2}, {1}, {1, 2}, 2); }), RangeError);
}

// The default three-way design with "adjust coefficient": crossovers at 300 and 2000 Hz.
TEST(BandFiltersTest, AdjustedBandsSumToAUnitImpulse) {
  const int total = 901, centre = 450;
  const RealArray low = CentreBand(DesignLowPass(901, 300, Beta), total);
  RealArray mid = CentreBand(DesignBandPass(701, 300, 2000, Beta), total);
  const RealArray high = CentreBand(DesignHighPass(301, 2000, Beta), total);
  const RealArray sum = SumBands(low, mid, high, total);
  EXPECT_NEAR(sum[centre], 1.0, 1e-15);

  RealArray shortMid(total - 1, 5.0);
  EXPECT_EQ(ErrorText([&] { AdjustMidBand(low, shortMid, high, sum, total); }), RangeError);
  EXPECT_EQ(shortMid, RealArray(total - 1, 5.0));

  AdjustMidBand(low, mid, high, sum, total);
  const RealArray adjusted = SumBands(low, mid, high, total);
  for (int i = 0; i < total; ++i) EXPECT_NEAR(adjusted[i], i == centre ? 1.0 : 0.0, 1e-16) << i;
  for (double f : {20.0, 300.0, 2000.0, 10000.0}) EXPECT_NEAR(Magnitude(adjusted, f), 1.0, 1e-13) << f;
}

}  // namespace
