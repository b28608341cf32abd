#include "geodetic/ellipsoid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

constexpr double kDeg = kPi / 180;

TEST(Ellipsoid, GetEarthByCodeAndText) {
  EXPECT_EQ(Get_Earth(80).a, 6378140.0);
  EXPECT_EQ(Get_Earth(84).e2, 0.0066943800229);
  for (int code : {54, 0, 85, -1}) EXPECT_EQ(Get_Earth(code).a, 6378245.0) << code;
  EXPECT_EQ(Get_Earth("84").a, 6378137.0);
  EXPECT_EQ(Get_Earth("80").e2, 0.006694384999588);
  for (const char* code : {"54", "", "84 ", "abc"}) EXPECT_EQ(Get_Earth(code).a, 6378245.0) << code;
}

TEST(Ellipsoid, ResetTo84ClearsTheProjectionValuesButTheMeridian) {
  ProjectionState s;
  s.SetEllipsoid(kEllipsoid54);
  s.FalseNorthingKm = s.FalseEastingKm = s.GeoidUndulation = s.PlaneHeight = 7;
  s.CentralMeridian = 2;
  s.ResetTo84();
  EXPECT_EQ(s.EllipsoidA, kEllipsoid84.a);
  EXPECT_EQ(s.EllipsoidE2, kEllipsoid84.e2);
  EXPECT_EQ(s.FalseNorthingKm + s.FalseEastingKm + s.GeoidUndulation + s.PlaneHeight, 0);
  EXPECT_EQ(s.CentralMeridian, 2);
}

TEST(Angles, Dms2RadReadsPackedDegrees) {
  struct Case { double dms; double degrees; };
  const Case cases[] = {{0, 0},          {30, 30},        {0.30, 0.5},      {-30.3, -30.5},
                        {121.3030, 121.5083333333333333}, {10.7, 11.1666666666666667},
                        {45.0000, 45},   {89.5959, 89 + 59 / 60.0 + 59 / 3600.0}};
  for (const auto& c : cases)
    EXPECT_NEAR(Dms2Rad(c.dms), c.degrees * kDeg, 1e-15) << c.dms;
  // The guard makes the typed whole values exact.
  EXPECT_EQ(Dms2Rad(30), kPi * (30.0 / 180));
  EXPECT_EQ(Dms2Rad(0.30), kPi * (0.5 / 180));
  EXPECT_EQ(Dms2Rad(30, kComponentPi), std::numbers::pi * (30.0 / 180));
}

TEST(Angles, Rad2dmsBuffTextAndRewrittenArgument) {
  struct Case { double degrees; const char* text; };
  const Case cases[] = {
      {30.5, " 30.3000000000"},          {-30.5, "- 30.3000000000"},
      {121.50833333333333, " 121.3030000000"}, {0, " 0.0000000000"},
      {31, " 31.0000000000"},            {45.25, " 45.1500000000"},
  };
  for (const auto& c : cases) {
    double alf = c.degrees * kDeg;
    EXPECT_EQ(Rad2dms_Buff(alf), c.text) << c.degrees;
    EXPECT_EQ(alf, std::fabs(c.degrees * kDeg) + 1.0 / 206265 / 1e8);
  }
  double alf = Dms2Rad(121.3030, kComponentPi);
  EXPECT_DOUBLE_EQ(Rad2dms_Buff_Component(alf), 121.303);
  alf = -Dms2Rad(30.3, kComponentPi);
  EXPECT_DOUBLE_EQ(Rad2dms_Buff_Component(alf), -30.3);
  EXPECT_GT(alf, 0);
}

TEST(Angles, Rad2dmsBuffRoundTripsPackedValues) {
  // Whole seconds typed by a user come back exactly as typed.
  for (int d = 0; d < 180; d += 7)
    for (int m = 0; m < 60; m += 13)
      for (int s = 0; s < 60; s += 11) {
        double packed = d + m / 100.0 + s / 10000.0;
        double alf = Dms2Rad(packed);
        char expect[64];
        std::snprintf(expect, sizeof expect, " %d.%02d%02d000000", d, m, s);
        EXPECT_EQ(Rad2dms_Buff(alf), expect);
      }
}

TEST(Angles, Datan2FullCircle) {
  struct Case { double y, x, r; };
  const Case cases[] = {{1, 0, kPi / 2},    {-1, 0, kPi / 2},  {-1, 1, 7 * kPi / 4},
                        {1, -1, 3 * kPi / 4}, {0, 1, 0},        {-1, -1, 5 * kPi / 4},
                        {5, 1e-11, kPi / 2}};
  for (const auto& c : cases) EXPECT_NEAR(Datan2(c.y, c.x), c.r, 1e-14) << c.y << "," << c.x;
  EXPECT_EQ(Datan2(1, 0), 1.570796326794895);
  EXPECT_EQ(Datan2(1, 0, kComponentPi), std::numbers::pi / 2);
}

TEST(SpaceGeodetic, FixedPoints) {
  double B, L, H;
  xyzblh(B, L, H, 6378245, 0, 0, kEllipsoid54);
  EXPECT_EQ(B, 0);
  EXPECT_EQ(L, 0);
  EXPECT_NEAR(H, 0, 1e-9);
  xyzblh(B, L, H, 6378000, 0, 0, kEllipsoid54);
  EXPECT_NEAR(H, -245, 1e-8);
  // A southern, western point comes back with 2pi added to both angles.
  double X, Y, Z;
  BLHXYZ(-30 * kDeg, -60 * kDeg, 100, X, Y, Z, kEllipsoid84);
  xyzblh(B, L, H, X, Y, Z, kEllipsoid84);
  EXPECT_NEAR(B, -30 * kDeg + kCalculatorPi.twoPi, 1e-12);
  EXPECT_NEAR(L, -60 * kDeg + kCalculatorPi.twoPi, 1e-12);
  EXPECT_NEAR(H, 100, 1e-8);
}

TEST(SpaceGeodetic, PolarAxisGivesThePole) {
  const double b = kEllipsoid54.a * std::sqrt(1 - kEllipsoid54.e2);
  struct Case { double Z, B, H; };
  const Case cases[] = {{b + 50, kCalculatorPi.halfPi, 50},
                        {-(b - 20), kCalculatorPi.halfPi + kCalculatorPi.pi, -20},
                        {0, kCalculatorPi.halfPi, -b}};
  for (const auto& c : cases) {
    double B = -1, L = -1, H = -1;
    xyzblh(B, L, H, 0, 0, c.Z, kEllipsoid54);
    EXPECT_EQ(B, c.B);
    EXPECT_EQ(L, 0);
    EXPECT_NEAR(H, c.H, 1e-6);
  }
}

TEST(SpaceGeodetic, RoundTripOverAGrid) {
  for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid80, kEllipsoid84}) {
    for (int lat = -89; lat <= 89; lat += 1) {
      for (int lon = -179; lon <= 179; lon += 17) {
        for (double h : {-1000.0, 0.0, 123.456, 10000.0}) {
          const double B = lat * kDeg + 0.123e-3, L = lon * kDeg;
          double X, Y, Z, B2, L2, H2;
          BLHXYZ(B, L, h, X, Y, Z, e);
          xyzblh(B2, L2, H2, X, Y, Z, e);
          if (B2 > kPi) B2 -= kCalculatorPi.twoPi;
          if (L2 > kPi) L2 -= kCalculatorPi.twoPi;
          ASSERT_NEAR(B2, B, 1e-12) << lat << " " << lon << " " << h;
          ASSERT_NEAR(L2, L, 1e-12) << lat << " " << lon << " " << h;
          // South of the equator the latitude carries the program's 2pi, which is short of
          // the true one by 7e-15; the reduced latitude then puts H off by up to 1e-7 m.
          ASSERT_NEAR(H2, h, lat >= 0 ? 1e-8 : 1e-7) << lat << " " << lon << " " << h;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantrel
