#include "earth_pressure/earth_pressure.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/format.h"

namespace ktv {
namespace {

float Rad(float deg) { return DegToRad(deg); }

TEST(CoulombKa, KnownValues) {
  EXPECT_NEAR(*CoulombKa(Rad(30), 0, 0, Rad(20)), 0.2973, 1e-4);
  EXPECT_NEAR(*CoulombKa(Rad(30), 0, 0, 0), 1.0 / 3.0, 1e-6);
}

TEST(CoulombKa, RootOfANegativeNumberGivesNoValue) {
  auto ka = CoulombKa(Rad(30), Rad(35), 0, Rad(20));
  EXPECT_FALSE(ka);
  EXPECT_EQ(ValueOrZero(ka), 0.0);
}

TEST(CoulombKa, FaultsInsideTheFormulaAreCaught) {
  // A back face leaning past the vertical makes the quotient under the root negative.
  EXPECT_FALSE(CoulombKa(Rad(30), 0, Rad(95), Rad(-10)));
  // A NaN input never escapes as a value.
  EXPECT_FALSE(CoulombKa(std::nanf(""), 0, 0, 0));
}

TEST(CoulombKae, EqualsKaWithoutSeismicAngle) {
  float phi = Rad(30), alpha = Rad(5), beta = Rad(10), delta = Rad(20);
  EXPECT_NEAR(*CoulombKae(phi, alpha, beta, 0, delta), *CoulombKa(phi, beta, alpha, delta), 1e-6);
  EXPECT_FALSE(CoulombKae(Rad(30), 0, Rad(25), Rad(11.31f), Rad(15)));
}

TEST(FaceAngle, Values) {
  EXPECT_NEAR(FaceAngle(0.2f, 1), 0.19740, 1e-5);
  EXPECT_EQ(FaceAngle(0, 1), 0.0f);
  EXPECT_NEAR(FaceAngle(5, 0), 1.5707963, 1e-6);
  EXPECT_EQ(FaceAngle(0, 0), 0.0f);
}

TEST(CheckSeismicAngle, PassesBelowAndFailsAtTheLimit) {
  EXPECT_FALSE(CheckSeismicAngle(0.2f, 18, 30));
  auto msg = CheckSeismicAngle(0.2f, 19, 30);
  ASSERT_TRUE(msg);
  EXPECT_EQ(*msg,
            "設計水平震度kh=0.2の場合θ=11.31°となり、β+θ<φでなければならない。\r\n"
            "したがってφ=30.00°だからβは18.00°以下でなければならない。");
  // kh = 0 demands β < φ; equality fails.
  EXPECT_FALSE(CheckSeismicAngle(0, 29.99f, 30));
  EXPECT_TRUE(CheckSeismicAngle(0, 30, 30));
}

TEST(SoilClasses, DefaultsAndSiGamma) {
  auto gravel = SoilClassDefaults("れき質土", true);
  ASSERT_TRUE(gravel);
  EXPECT_EQ(gravel->gamma, "19.6");
  EXPECT_EQ(gravel->phi, "35");
  EXPECT_EQ(gravel->phi_b, "0.6");
  EXPECT_EQ(SoilClassDefaults("砂質土", false)->gamma, "1.9");
  EXPECT_EQ(SoilClassDefaults("砂質土", true)->gamma, "18.6");
  auto other = SoilClassDefaults("その他", false);
  EXPECT_EQ(other->gamma, "0.0");
  EXPECT_EQ(other->phi_b, "0.7");
  EXPECT_FALSE(SoilClassDefaults("x", false));
  EXPECT_EQ(SoilClassIndexFromUtKind(3), 3);
  EXPECT_EQ(SoilClassIndexFromUtKind(13), 3);
}

}  // namespace
}  // namespace ktv
