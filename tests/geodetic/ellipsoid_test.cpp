#include "geodetic/ellipsoid.h"

#include "literal_forms.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

constexpr double kDeg = kPi / 180;

TEST(Ellipsoid, GetEarthByCodeAndText) {
  EXPECT_EQ(Get_Earth(80).a, 6378140.0);
  EXPECT_EQ(Get_Earth(84).e2, 0.0066943800229);
  EXPECT_EQ(Get_Earth(54).a, 6378245.0);
  EXPECT_EQ(Get_Earth(7).e2, kEllipsoid54.e2);
  EXPECT_EQ(Get_Earth("80").a, 6378140.0);
  EXPECT_EQ(Get_Earth("84").a, 6378137.0);
  EXPECT_EQ(Get_Earth("").a, 6378245.0);
  EXPECT_EQ(Get_Earth(" 84").a, 6378245.0);
}

TEST(Ellipsoid, ResetTo84ClearsProjectionValuesButNotMeridian) {
  ProjectionState s;
  s.SetEllipsoid(kEllipsoid54);
  s.FalseNorthingKm = 1;
  s.FalseEastingKm = 500;
  s.GeoidUndulation = 62.9;
  s.PlaneHeight = 100;
  s.CentralMeridian = 2;
  s.ResetTo84();
  EXPECT_EQ(s.EllipsoidA, kEllipsoid84.a);
  EXPECT_EQ(s.EllipsoidE2, kEllipsoid84.e2);
  EXPECT_EQ(s.FalseNorthingKm + s.FalseEastingKm + s.GeoidUndulation + s.PlaneHeight, 0);
  EXPECT_EQ(s.CentralMeridian, 2);
}

TEST(Dms2Rad, PackedValues) {
  struct Case {
    double dms;
    double degrees;
  } cases[] = {{0, 0},          {-30.3, -30.5},       {30, 30},      {0.30, 0.5},
               {121.3030, 121.50833333333333},      {10.7, 11.166666666666666},
               {45.0000, 45}, {0.0001, 1.0 / 3600}};
  for (const Case& c : cases) {
    EXPECT_NEAR(Dms2Rad(c.dms), kPi * (c.degrees / 180), 4e-16 * std::fabs(c.degrees) + 1e-300)
        << c.dms;
  }
  EXPECT_EQ(Dms2Rad(30), kPi * (30.0 / 180));
  // The component pi gives the full double nearest pi.
  EXPECT_EQ(Dms2Rad(180, kComponentPi), std::numbers::pi);
}

TEST(Rad2dmsBuff, TextWithLeadingBlank) {
  struct Case {
    double degrees;
    const char* text;
  } cases[] = {{30.5, " 30.3000000000"},
               {-30.5, "- 30.3000000000"},
               {121.50833333333333, " 121.3030000000"},
               {0, " 0.0000000000"},
               {45.25, " 45.1500000000"}};
  for (const Case& c : cases) {
    double alf = c.degrees * kDeg;
    EXPECT_EQ(Rad2dms_Buff(alf), c.text) << c.degrees;
    EXPECT_NEAR(alf, std::fabs(c.degrees) * kDeg + 1.0 / 206265 / 1e8, 1e-15);
  }
}

TEST(Rad2dmsBuff, ComponentVariantReadsItsTextBack) {
  double alf = -30.5 * std::numbers::pi / 180;
  EXPECT_DOUBLE_EQ(Rad2dms_Buff_Component(alf), -30.3);
  EXPECT_NEAR(alf, 30.5 * std::numbers::pi / 180 + 1.0 / 206265 / 1e7, 1e-15);
  double alf2 = Dms2Rad(121.303012, kComponentPi);
  EXPECT_DOUBLE_EQ(Rad2dms_Buff_Component(alf2), 121.303012);
}

TEST(Datan2, Quadrants) {
  const PiSet& p = kCalculatorPi;
  struct Case {
    double y, x, expected;
  } cases[] = {{1, 0, p.halfPi},
               {-1, 0, p.halfPi},
               {-1, 5e-11, p.halfPi},
               {-1, 1, -kPi / 4 + p.twoPi},
               {1, -1, -kPi / 4 + p.pi},
               {-1, -1, kPi / 4 + p.pi},
               {1, 1, std::atan(1.0)},
               {0, 1, 0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Datan2(c.y, c.x), c.expected) << c.y << " " << c.x;
  EXPECT_DOUBLE_EQ(Datan2(-1, 1, kComponentPi), 7 * std::numbers::pi / 4);
}

TEST(Xyzblh, EquatorSouthAndBelowSurface) {
  double B, L, H;
  xyzblh(B, L, H, kEllipsoid54.a, 0, 0, kEllipsoid54);
  EXPECT_NEAR(B, 0, 1e-15);
  EXPECT_NEAR(L, 0, 1e-15);
  EXPECT_NEAR(H, 0, 1e-8);
  xyzblh(B, L, H, kEllipsoid54.a - 250, 0, 0, kEllipsoid54);
  EXPECT_NEAR(H, -250, 1e-8);
  double X, Y, Z;
  BLHXYZ(-30 * kDeg, -60 * kDeg, 10, X, Y, Z, kEllipsoid84);
  xyzblh(B, L, H, X, Y, Z, kEllipsoid84);
  EXPECT_NEAR(B, -30 * kDeg + kCalculatorPi.twoPi, 1e-12);
  EXPECT_NEAR(L, -60 * kDeg + kCalculatorPi.twoPi, 1e-12);
  EXPECT_NEAR(H, 10, 1e-7);
}

TEST(Xyzblh, PolarAxisGivesThePoleWithoutDividingByZero) {
  const Ellipsoid& e = kEllipsoid80;
  const double b = e.a / std::sqrt(1 + e.e2 / (1 - e.e2));
  struct Case {
    double z, B;
  } cases[] = {{b + 100, kCalculatorPi.halfPi},
               {-(b + 100), 3 * kCalculatorPi.halfPi},
               {b - 5, kCalculatorPi.halfPi},
               {0, kCalculatorPi.halfPi}};
  for (const Case& c : cases) {
    double B = -1, L = -1, H = -1;
    xyzblh(B, L, H, 0, 0, c.z, e);
    EXPECT_EQ(B, c.B) << c.z;
    EXPECT_EQ(L, 0) << c.z;
    EXPECT_DOUBLE_EQ(H, std::fabs(c.z) - b) << c.z;
  }
  // Just off the axis the closed form would overflow into inf - inf.
  double B, L, H;
  xyzblh(B, L, H, 1e-300, 0, -(b + 1), e);
  EXPECT_EQ(B, 3 * kCalculatorPi.halfPi);
  EXPECT_NEAR(H, 1, 1e-9);
}

// Within 1e-10 m of the plane X = 0 the longitude is 90 degrees east or west by the sign
// of Y; the plane helpers' Datan2 keeps its pi/2 for either sign.
TEST(Xyzblh, QuarterMeridiansKeepTheirSide) {
  for (const PiSet* p : {&kCalculatorPi, &kComponentPi}) {
    struct Case {
      double X, Y, L;
    } const cases[] = {{0, -6378137, 3 * p->halfPi}, {5e-11, -6378137, 3 * p->halfPi},
                       {-5e-11, -6378137, 3 * p->halfPi}, {0, 6378137, p->halfPi},
                       {-5e-11, 6378137, p->halfPi}};
    for (const Case& c : cases) {
      double B, L, H;
      xyzblh(B, L, H, c.X, c.Y, 0, kEllipsoid84, *p);
      EXPECT_EQ(L, c.L) << c.X << " " << c.Y;
      EXPECT_NEAR(H, 0, 1e-9);
    }
    for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid80, kEllipsoid84})
      for (double lat = -89.9; lat <= 89.9; lat += 0.7)
        for (double lon : {-90.0, 270.0, 90.0, -270.0}) {
          double X, Y, Z, B, L, H;
          BLHXYZ(lat * kDeg, lon * kDeg, 250, X, Y, Z, e);
          xyzblh(B, L, H, X, Y, Z, e, *p);
          const double want = (lon == -90 || lon == 270) ? 3 * p->halfPi : p->halfPi;
          ASSERT_NEAR(L, want, 1e-12) << lat << " " << lon;
          ASSERT_NEAR(std::remainder(B - lat * kDeg, 2 * std::numbers::pi), 0, 1e-12) << lat;
        }
  }
  EXPECT_EQ(Datan2(-1, 0), kCalculatorPi.halfPi);
}

// Space -> geodetic after geodetic -> space, over latitudes up to 89 degrees either side,
// all longitudes and heights from -1000 m to 10000 m, on all three ellipsoids.
TEST(Xyzblh, RoundTripOverGrid) {
  const Ellipsoid ells[] = {kEllipsoid54, kEllipsoid80, kEllipsoid84};
  double worstB = 0, worstH = 0;
  for (const Ellipsoid& e : ells)
    for (int ib = -89; ib <= 89; ib += 2)
      for (int il = -180; il < 180; il += 17)
        for (double h : {-1000.0, 0.0, 0.5, 350.0, 4000.0, 10000.0}) {
          const double B = (ib + 0.37) * kDeg;
          const double L = il * kDeg + 0.001;
          double X, Y, Z, B2, L2, H2;
          BLHXYZ(B, L, h, X, Y, Z, e);
          xyzblh(B2, L2, H2, X, Y, Z, e);
          const double dB = std::remainder(B2 - B, 2 * std::numbers::pi);
          const double dL = std::remainder(L2 - L, 2 * std::numbers::pi);
          worstB = std::max(worstB, std::fabs(dB));
          worstH = std::max(worstH, std::fabs(H2 - h));
          ASSERT_LT(std::fabs(dB), 1e-12) << ib << " " << il << " " << h;
          ASSERT_LT(std::fabs(dL), 1e-12) << ib << " " << il << " " << h;
          ASSERT_LT(std::fabs(H2 - h), 1e-8) << ib << " " << il << " " << h;
        }
  RecordProperty("worstB", std::to_string(worstB));
  RecordProperty("worstH", std::to_string(worstH));
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// The quotients that replace the angles must give the hand computation's figures on a
// dense grid: every quadrant, both hemispheres, deep below and far above the surface.
TEST(Xyzblh, MatchesTheStepByStepFormOnADenseGrid) {
  double worstB = 0, worstH = 0, worstHNorth = 0;
  int points = 0;
  for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid80, kEllipsoid84})
    for (double lat = -89.5; lat <= 89.5; lat += 0.5)
      for (double lon = -179; lon < 180; lon += 7)
        for (double h : {-5000.0, -10.0, 0.0, 123.456, 9000.0, 400000.0}) {
          double X, Y, Z;
          BLHXYZ(lat * kDeg, lon * kDeg, h, X, Y, Z, e);
          double B, L, H, Bl, Ll, Hl;
          xyzblh(B, L, H, X, Y, Z, e);
          testing::LiteralXyzblh(Bl, Ll, Hl, X, Y, Z, e);
          ASSERT_EQ(L, Ll) << lat << " " << lon;
          worstB = std::max(worstB, std::fabs(B - Bl));
          worstH = std::max(worstH, std::fabs(H - Hl));
          if (lat > 0) worstHNorth = std::max(worstHNorth, std::fabs(H - Hl));
          if (lat > 0) worstHNorth = std::max(worstHNorth, std::fabs(H - Hl));
          ++points;
        }
  EXPECT_GT(points, 60000);
  EXPECT_LT(worstB, 4e-15);
  // Both forms carry a few nanometres of rounding in the height.
  EXPECT_LT(worstHNorth, 1e-8);
  // South of the equator the step-by-step height carries the rounded 2pi into u.
  EXPECT_LT(worstH, 2e-7);
}

}  // namespace
}  // namespace vantrel
