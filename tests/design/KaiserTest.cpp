#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "design/Kaiser.h"
#include "numerics/Errors.h"

namespace {

constexpr double DefaultBeta = 14.91006;

std::string ErrorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const UserError& error) {
    return error.what();
  }
  return "no error";
}

TEST(KaiserTest, Factorial) {
  EXPECT_EQ(Factorial(0), 1);
  EXPECT_EQ(Factorial(-3), 1);
  EXPECT_EQ(Factorial(5), 120);
  EXPECT_DOUBLE_EQ(Factorial(30), 2.6525285981219103e32);
  EXPECT_EQ(ErrorOf([] { Factorial(171); }), "浮動小数点数のオーバーフロー");
}

TEST(KaiserTest, BesselI0) {
  EXPECT_EQ(BesselI0(0), 1.0);
  EXPECT_DOUBLE_EQ(BesselI0(1), 1.2660658777520084);
  EXPECT_DOUBLE_EQ(BesselI0(2), 2.2795853023360673);
  EXPECT_DOUBLE_EQ(BesselI0(4), 11.30192195213633);
  EXPECT_NEAR(BesselI0(DefaultBeta), 311386.49654, 5e-6);
  EXPECT_EQ(BesselI0(-2), BesselI0(2));
  EXPECT_EQ(BesselI0(-DefaultBeta), BesselI0(DefaultBeta));
}

TEST(KaiserTest, BesselI0OverflowsInsteadOfReturningInfinity) {
  EXPECT_TRUE(std::isfinite(BesselI0(3e6)));
  for (double x : {4e6, -4e6, 1e300, std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(ErrorOf([x] { BesselI0(x); }), "浮動小数点数のオーバーフロー") << x;
  }
  EXPECT_EQ(ErrorOf([] { BesselI0(std::numeric_limits<double>::quiet_NaN()); }), "不正な浮動小数点数演算命令");
}

TEST(KaiserTest, KaiserBeta) {
  const std::pair<double, double> cases[] = {
      {-10, 0},           {20.99, 0},         {21, 0},         {30, 2.1166249}, {40, 3.3953211},
      {50, 4.5335141},    {50.0001, 4.5512710}, {60, 5.65326}, {144, 14.91006},
  };
  for (const auto& [attenuation, beta] : cases) EXPECT_NEAR(KaiserBeta(attenuation), beta, 5e-8) << attenuation;
  EXPECT_EQ(ErrorOf([] { KaiserBeta(std::numeric_limits<double>::quiet_NaN()); }), "不正な浮動小数点数演算命令");
  EXPECT_EQ(ErrorOf([] { KaiserBeta(std::numeric_limits<double>::infinity()); }), "浮動小数点数のオーバーフロー");
}

TEST(KaiserTest, WindowWeights) {
  const double ends = 1 / BesselI0(DefaultBeta);
  EXPECT_NEAR(ends, 3.2114430e-6, 1e-13);
  EXPECT_DOUBLE_EQ(KaiserWindow(900, 0, DefaultBeta), ends);
  EXPECT_DOUBLE_EQ(KaiserWindow(900, 900, DefaultBeta), ends);
  EXPECT_NEAR(KaiserWindow(900, 225, DefaultBeta), 0.14598586, 5e-9);
  for (double beta : {0.0, 4.0, DefaultBeta, 30.0}) EXPECT_EQ(KaiserWindow(900, 450, beta), 1.0) << beta;
  EXPECT_NEAR(KaiserWindow(1205, 0, 4), 0.088480526, 5e-10);
  EXPECT_NEAR(KaiserWindow(1205, 1204, 4), 0.089658295, 5e-10);
  EXPECT_NEAR(KaiserWindow(1205, 602, 4), 0.99999881, 5e-9);
}

TEST(KaiserTest, WindowShape) {
  for (int n = 0; n <= 900; ++n) {
    EXPECT_NEAR(KaiserWindow(900, n, DefaultBeta), KaiserWindow(900, 900 - n, DefaultBeta), 1e-15) << n;
    EXPECT_EQ(KaiserWindow(900, n, 0), 1.0) << n;
  }
  for (int n = 1; n <= 450; ++n) EXPECT_GT(KaiserWindow(900, n, DefaultBeta), KaiserWindow(900, n - 1, DefaultBeta));
}

TEST(KaiserTest, WindowFaults) {
  const std::string invalid = "不正な浮動小数点数演算命令";
  EXPECT_EQ(ErrorOf([] { KaiserWindow(0, 0, DefaultBeta); }), invalid);
  EXPECT_EQ(ErrorOf([] { KaiserWindow(0, 1, DefaultBeta); }), "0 による浮動小数点数除算");
  EXPECT_EQ(ErrorOf([] { KaiserWindow(900, -1, DefaultBeta); }), invalid);
  EXPECT_EQ(ErrorOf([] { KaiserWindow(900, 901, DefaultBeta); }), invalid);
  EXPECT_EQ(ErrorOf([] { KaiserWindow(900, std::numeric_limits<double>::quiet_NaN(), 4); }), invalid);
  EXPECT_EQ(ErrorOf([] { KaiserWindow(900, 450, 1e7); }), "浮動小数点数のオーバーフロー");
}

}  // namespace
