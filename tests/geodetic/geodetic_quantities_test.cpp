#include "geodetic/geodetic_quantities.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodetic/ellipsoid.h"

namespace vantrel {
namespace {

constexpr double kDegree = kPi / 180;
const double a54 = kEllipsoid54.a, e54 = kEllipsoid54.e2;

TEST(RadiusCal, FiguresOn54) {
  double N, M, R, RA;
  Radius_Cal(Dms2Rad(30), Dms2Rad(45), a54, e54, N, M, R, RA);
  EXPECT_NEAR(N, 6383588.2422, 5e-5);
  EXPECT_NEAR(M, 6351488.4922, 5e-5);
  EXPECT_NEAR(R, 6367518.1397, 5e-5);
  EXPECT_NEAR(RA, 6367497.9122, 5e-5);
  Radius_Cal(0.0, 0.0, a54, e54, N, M, R, RA);
  EXPECT_EQ(N, a54);
  EXPECT_NEAR(M, 6335552.7170, 5e-5);
  EXPECT_EQ(RA, M);
  Radius_Cal(Dms2Rad(30), Dms2Rad(90), a54, e54, N, M, R, RA);
  EXPECT_NEAR(RA, N, 1e-6);
}

TEST(MArcLenCal, BothRules) {
  for (MeridianArcRule rule : {MeridianArcRule::Calculator, MeridianArcRule::Native}) {
    double S;
    MArcLen_cal(0.0, Dms2Rad(1), a54, e54, S, rule);
    EXPECT_NEAR(S, 110576.3676, 1e-3);
    double Sback;
    MArcLen_cal(Dms2Rad(1), 0.0, a54, e54, Sback, rule);
    EXPECT_NEAR(Sback, -S, 1e-3);
    const double B = 0.5;
    MArcLen_cal(B, B, a54, e54, S, rule);
    EXPECT_EQ(S, 0);
  }
  // Agrees with the projection's closed arc series to the rectangle-rule error.
  double S1, S2;
  MArcLen_cal(0.0, Dms2Rad(30), a54, e54, S1, MeridianArcRule::Calculator);
  MArcLen_cal(0.0, Dms2Rad(30), a54, e54, S2, MeridianArcRule::Native);
  EXPECT_NEAR(S1, 3320172.407, 0.02);
  EXPECT_NEAR(S2, 3320172.407, 0.2);
  // Every end latitude takes all its steps: a dropped rectangle would cost metres.
  for (int deg = 5; deg <= 85; deg += 8) {
    const double B2 = Dms2Rad(deg + 0.1723);
    MArcLen_cal(0.0, B2, a54, e54, S1, MeridianArcRule::Calculator);
    MArcLen_cal(0.0, B2, a54, e54, S2, MeridianArcRule::Native);
    EXPECT_NEAR(S1, S2, 1.5e-7 * S1) << deg;  // one rectangle is 1e-6 * S
    double Sback;
    MArcLen_cal(B2, 0.0, a54, e54, Sback, MeridianArcRule::Calculator);
    EXPECT_NEAR(Sback, -S1, 3e-8 * S1) << deg;
  }
  // Inputs and result may share a variable.
  double shared = Dms2Rad(1);
  const double zero = 0;
  MArcLen_cal(zero, shared, a54, e54, shared);
  EXPECT_NEAR(shared, 110576.3676, 1e-3);
}

TEST(NArcLenCal, EquatorAndPole) {
  double S;
  NArcLen_cal(0.0, Dms2Rad(1), a54, e54, S);
  EXPECT_NEAR(S, 111321.3757, 5e-5);
  NArcLen_cal(0.0, -Dms2Rad(1), a54, e54, S);
  EXPECT_NEAR(S, -111321.3757, 5e-5);
  NArcLen_cal(Dms2Rad(90), Dms2Rad(1), a54, e54, S);
  EXPECT_NEAR(S, 0, 1e-6);
}

TEST(ThreeCorCal, CalculatorFigures) {
  double du, dh, dg;
  const double A45 = Dms2Rad(45), z90 = Dms2Rad(90), z45 = Dms2Rad(45);
  Three_Cor_cal(3.0, 2.0, 0.0, z45, 0.0, 0.0, 500.0, 1000.0, du, dh, dg);
  EXPECT_NEAR(du, -2.0, 1e-12);
  EXPECT_EQ(dh, 0);
  EXPECT_EQ(dg, 0);
  Three_Cor_cal(3.0, 2.0, A45, z90, 0.0, 0.0, 1000.0, 100000.0, du, dh, dg);
  EXPECT_NEAR(du, 0, 1e-13);
  EXPECT_NEAR(dh, 0.1089, 1e-12);
  EXPECT_NEAR(dg, -0.028, 1e-12);
  Three_Cor_cal(3.0, 0.0, A45, z45, Dms2Rad(30), Dms2Rad(60), 1000.0, 100000.0, du, dh, dg);
  EXPECT_NEAR(du, 3 * std::sin(A45), 1e-12);
  EXPECT_NEAR(dh, 0.1089 * 0.25, 1e-12);
  EXPECT_NEAR(dg, -0.028 * 0.75, 1e-12);
}

TEST(ThreeCorCal, NativeRule) {
  double du, dh, dg;
  const double A90 = Dms2Rad(90), z45 = Dms2Rad(45);
  Three_Cor_cal(3.0, 0.0, A90, z45, 0.0, 0.0, 0.0, 0.0, du, dh, dg, ThreeCorRule::Native);
  EXPECT_NEAR(du, 3, 1e-12);
  Three_Cor_cal(3.9, 0.0, A90, z45, 0.0, 0.0, 0.0, 0.0, du, dh, dg, ThreeCorRule::Native);
  EXPECT_NEAR(du, 3, 1e-12);  // whole seconds only
  Three_Cor_cal(-3.9, 0.0, A90, z45, 0.0, 0.0, 0.0, 0.0, du, dh, dg, ThreeCorRule::Native);
  EXPECT_NEAR(du, -3, 1e-12);
  const double A45 = Dms2Rad(45);
  Three_Cor_cal(0.0, 0.0, A45, z45, 0.0, 0.0, 1000.0, 100000.0, du, dh, dg, ThreeCorRule::Native);
  EXPECT_NEAR(dh, 0.10890000313520431, 1e-15);
  EXPECT_NEAR(dg, -0.028000000864267354, 1e-15);
  EXPECT_NE(dh, 0.1089);
}

}  // namespace
}  // namespace vantrel
