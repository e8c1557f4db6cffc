#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "design/Kaiser.h"
#include "tests/numerics/ErrorText.h"

namespace {

constexpr double Beta = 14.91006;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const std::string Invalid = "不正な浮動小数点数演算命令";
const std::string Overflow = "浮動小数点数のオーバーフロー";

TEST(KaiserTest, FactorialAndBessel) {
  EXPECT_EQ(Factorial(0), 1);
  EXPECT_EQ(Factorial(-3), 1);
  EXPECT_EQ(Factorial(5), 120);
  EXPECT_DOUBLE_EQ(Factorial(30), 2.6525285981219103e32);
  EXPECT_EQ(BesselI0(0), 1.0);
  EXPECT_DOUBLE_EQ(BesselI0(1), 1.2660658777520084);
  EXPECT_DOUBLE_EQ(BesselI0(2), 2.2795853023360673);
  EXPECT_DOUBLE_EQ(BesselI0(4), 11.30192195213633);
  EXPECT_NEAR(BesselI0(Beta), 311386.49654, 5e-6);
  EXPECT_EQ(BesselI0(-2), BesselI0(2));
  EXPECT_TRUE(std::isfinite(BesselI0(3e6)));
  for (double x : {4e6, -4e6, 1e300, std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(ErrorText([x] { BesselI0(x); }), Overflow) << x;
  }
  EXPECT_EQ(ErrorText([] { BesselI0(NaN); }), Invalid);
  EXPECT_EQ(ErrorText([] { Factorial(171); }), Overflow);
}

TEST(KaiserTest, Beta) {
  const std::pair<double, double> cases[] = {
      {-10, 0}, {20.99, 0}, {21, 0}, {30, 2.1166249}, {40, 3.3953211}, {50, 4.5335141}, {50.0001, 4.5512710},
      {60, 5.65326}, {144, 14.91006},
  };
  for (const auto& [attenuation, beta] : cases) EXPECT_NEAR(KaiserBeta(attenuation), beta, 5e-8) << attenuation;
  EXPECT_EQ(ErrorText([] { KaiserBeta(NaN); }), Invalid);
}

TEST(KaiserTest, Window) {
  const double ends = 1 / BesselI0(Beta);
  EXPECT_NEAR(ends, 3.2114430e-6, 1e-13);
  EXPECT_DOUBLE_EQ(KaiserWindow(900, 0, Beta), ends);
  EXPECT_NEAR(KaiserWindow(900, 225, Beta), 0.14598586, 5e-9);
  for (double beta : {0.0, 4.0, Beta}) EXPECT_EQ(KaiserWindow(900, 450, beta), 1.0) << beta;
  for (int n = 0; n <= 900; ++n) {
    EXPECT_NEAR(KaiserWindow(900, n, Beta), KaiserWindow(900, 900 - n, Beta), 1e-15) << n;
    EXPECT_EQ(KaiserWindow(900, n, 0), 1.0) << n;
  }
  // The shelving filter's span of 1205 centres the window between two samples.
  EXPECT_NEAR(KaiserWindow(1205, 0, 4), 0.088480526, 5e-10);
  EXPECT_NEAR(KaiserWindow(1205, 1204, 4), 0.089658295, 5e-10);
  EXPECT_NEAR(KaiserWindow(1205, 602, 4), 0.99999881, 5e-9);
}

TEST(KaiserTest, WindowFaults) {
  EXPECT_EQ(ErrorText([] { KaiserWindow(0, 0, Beta); }), Invalid);
  EXPECT_EQ(ErrorText([] { KaiserWindow(0, 1, Beta); }), "0 による浮動小数点数除算");
  EXPECT_EQ(ErrorText([] { KaiserWindow(900, -1, Beta); }), Invalid);
  EXPECT_EQ(ErrorText([] { KaiserWindow(900, 901, Beta); }), Invalid);
  EXPECT_EQ(ErrorText([] { KaiserWindow(900, NaN, 4); }), Invalid);
  EXPECT_EQ(ErrorText([] { KaiserWindow(900, 450, 1e7); }), Overflow);
}

}  // namespace
