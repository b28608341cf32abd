#include "geodetic/gauss_kruger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "literal_forms.h"

namespace vantrel {
namespace {

ProjectionState State54(double L0Dms, double X0 = 0, double Y0 = 0) {
  ProjectionState s;
  s.SetEllipsoid(kEllipsoid54);
  s.CentralMeridian = Dms2Rad(L0Dms);
  s.FalseNorthingKm = X0;
  s.FalseEastingKm = Y0;
  return s;
}

TEST(Sub4, PointNorthOfShanghaiOn54) {
  for (int withHeight : {0, 1}) {
    ProjectionState s = State54(120);
    double x = 0, y = 0, h = 0, B = Dms2Rad(31), L = Dms2Rad(121.3030), H = 0;
    Sub4(s, x, y, h, B, L, H, withHeight, 2);
    EXPECT_NEAR(x, 3432012.058, 5e-4) << withHeight;
    EXPECT_NEAR(y, 144062.555, 5e-4) << withHeight;
    EXPECT_EQ(s.EllipsoidA, kEllipsoid54.a);
  }
  ProjectionState s = State54(120);
  s.GeoidUndulation = 62.9;
  double x, y, h, B = Dms2Rad(31), L = Dms2Rad(121.3030), H = 10;
  BL2XYg(s, x, y, h, B, L, H);
  EXPECT_NEAR(x, 3432046.089, 5e-4);
  EXPECT_NEAR(y, 144063.973, 5e-4);
  EXPECT_DOUBLE_EQ(h, 10 - 62.9);
  EXPECT_EQ(B, Dms2Rad(31));
  EXPECT_EQ(H, 10);
  EXPECT_NEAR(s.EllipsoidA, kEllipsoid54.a, 1e-9);
}

TEST(Sub4, CentralMeridianGivesMeridianArcAndFalseOrigin) {
  ProjectionState s = State54(117, 0, 500);
  double x, y, h, B = Dms2Rad(30), L = s.CentralMeridian, H = 0;
  Sub4(s, x, y, h, B, L, H, 0, 2);
  EXPECT_NEAR(x, 3320172.407, 5e-4);
  EXPECT_EQ(y, 500000.0);
  s.FalseNorthingKm = 7;
  B = 0;
  Sub4(s, x, y, h, B, L, H, 0, 2);
  EXPECT_EQ(x, 7000.0);
  EXPECT_EQ(y, 500000.0);
}

TEST(Sub4, UnknownKReportsAndComputesNothing) {
  ProjectionState s = State54(120);
  std::vector<std::string> said;
  double x = 1, y = 2, h = 3, B = 0.5, L = 2, H = 4;
  Sub4(s, x, y, h, B, L, H, 1, 3, [&](const std::string& t) { said.push_back(t); });
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "Unknown k in Sub4");
  EXPECT_EQ(x + y + h, 6);
  EXPECT_EQ(s.EllipsoidA, kEllipsoid54.a);
}

TEST(Sub4, LiftWithZeroHeightsMatchesEllipsoidAndLargerPlaneScales) {
  ProjectionState s = State54(120);
  double x0, y0, x1, y1, h, B = Dms2Rad(35.1234), L = Dms2Rad(122.3), H = 0;
  Sub4(s, x0, y0, h, B, L, H, 0, 2);
  Sub4(s, x1, y1, h, B, L, H, 1, 2);
  EXPECT_NEAR(x1, x0, 1e-6);
  EXPECT_NEAR(y1, y0, 1e-6);
  s.PlaneHeight = 2000;
  Sub4(s, x1, y1, h, B, L, H, 1, 2);
  EXPECT_NEAR(y1 / y0, (kEllipsoid54.a + 2000) / kEllipsoid54.a, 2e-6);
}

TEST(Sub4, InverseLeavesReducedCoordinatesAndXYg2BLRestoresThem) {
  ProjectionState s = State54(120, 10, 500);
  s.GeoidUndulation = 30;
  double x = 3432012.058 + 10000, y = 144062.555 + 500000, h = 5, B, L, H;
  Sub4(s, x, y, h, B, L, H, 0, 1);
  EXPECT_EQ(x, 3432012.058 + 10000 - 10000);
  EXPECT_EQ(y, (144062.555 + 500000) - 500000.0);
  EXPECT_DOUBLE_EQ(H, 35);
  x = 3442012.058;
  y = 644062.555;
  XYg2BL(s, x, y, h, B, L, H);
  EXPECT_EQ(x, 3442012.058);
  EXPECT_EQ(y, 644062.555);
}

// BL2XYg then XYg2BL over a grid within 3 degrees of the central meridian, lifted and not,
// on all three ellipsoids.
TEST(Sub4, ForwardInverseRoundTripOverGrid) {
  const Ellipsoid ells[] = {kEllipsoid54, kEllipsoid80, kEllipsoid84};
  for (const Ellipsoid& e : ells)
    for (double zeta : {0.0, 62.9})
      for (int ib = -80; ib <= 80; ib += 4)
        for (int il = -30; il <= 30; il += 3) {
          ProjectionState s;
          s.SetEllipsoid(e);
          s.CentralMeridian = Dms2Rad(117);
          s.FalseEastingKm = 500;
          s.GeoidUndulation = zeta;
          s.PlaneHeight = zeta == 0 ? 0 : 1500;
          const double B0 = (ib + 0.25) * kPi / 180;
          const double L0 = s.CentralMeridian + il * 0.1 * kPi / 180;
          double x, y, h, B = B0, L = L0, H = 120;
          BL2XYg(s, x, y, h, B, L, H);
          const double xs = x, ys = y;
          double B2, L2, H2;
          XYg2BL(s, x, y, h, B2, L2, H2);
          ASSERT_EQ(x, xs);
          ASSERT_EQ(y, ys);
          if (B0 < 0) B2 -= kCalculatorPi.twoPi;
          ASSERT_NEAR(B2, B0, 1e-9) << e.a << " " << ib << " " << il << " " << zeta;
          ASSERT_NEAR(L2, L0, 1e-9) << e.a << " " << ib << " " << il << " " << zeta;
          ASSERT_NEAR(H2, 120, 1e-9);
          ASSERT_NEAR(s.EllipsoidA, e.a, 1e-8);
        }
}

// The lifted forward against the three conversions done by hand (space coordinates,
// back to geodetic on the enlarged axis, then the plain projection). South of the
// equator and west of Greenwich the hand form's [0, 2pi) latitude and longitude are
// taken back to signed angles: left as they are, x is 40,000 km off.
TEST(Sub4, LiftedForwardMatchesTheThreeConversionsOnADenseGrid) {
  double worst = 0;
  for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid80, kEllipsoid84})
    for (double L0deg : {-75.0, 0.0, 117.0})
      for (double lat = -80; lat <= 80; lat += 1.25)
        for (double dl = -3; dl <= 3; dl += 0.5)
          for (double H : {-300.0, 0.0, 2500.0}) {
            ProjectionState s;
            s.SetEllipsoid(e);
            s.CentralMeridian = L0deg * kPi / 180;
            s.FalseEastingKm = 500;
            s.GeoidUndulation = 62.9;
            s.PlaneHeight = 1500;
            const double B = lat * kPi / 180, L = s.CentralMeridian + dl * kPi / 180;
            double x, y, h, Bi = B, Li = L, Hi = H;
            BL2XYg(s, x, y, h, Bi, Li, Hi);
            ASSERT_EQ(Bi, B);
            ASSERT_EQ(Li, L);
            ASSERT_NEAR(h, H - 62.9, 1e-12);

            double X, Y, Z, Bl, Ll, Hl;
            BLHXYZ(B, L, H, X, Y, Z, e);
            const Ellipsoid lifted{(e.a + 62.9) + 1500, e.e2};
            testing::LiteralXyzblh(Bl, Ll, Hl, X, Y, Z, lifted);
            if (Bl > kCalculatorPi.pi) Bl -= kCalculatorPi.twoPi;
            if (Ll - s.CentralMeridian > kCalculatorPi.pi) Ll -= kCalculatorPi.twoPi;
            ProjectionState byHand = s;
            byHand.SetEllipsoid(lifted);
            double xl, yl, hl;
            Sub4(byHand, xl, yl, hl, Bl, Ll, Hl, 0, 2);
            worst = std::max({worst, std::fabs(x - xl), std::fabs(y - yl)});
            ASSERT_NEAR(x, xl, 1e-7) << e.a << " " << L0deg << " " << lat << " " << dl;
            ASSERT_NEAR(y, yl, 1e-7) << e.a << " " << L0deg << " " << lat << " " << dl;
          }
  EXPECT_GT(worst, 0);  // the grid reaches points where the two forms round differently
}

// The same comparison at the edges of the cheaper lifted form: next to the poles, heights
// from the sea bed to orbit, and lifts past 10 km, where it hands over to the step-by-step
// form.
TEST(Sub4, LiftedForwardMatchesTheThreeConversionsToThePolesAndForHugeLifts) {
  double worst = 0;
  for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid84})
    for (double lift : {0.0, 9000.0, 3e6})
      for (double lat : {-89.999, -89.9, -86.5, -45.0, -0.01, 0.0, 7.5, 60.0, 84.0, 89.95, 89.9999})
        for (double dl : {-3.0, -0.2, 0.0, 1.1, 3.0})
          for (double H : {-8000.0, 0.0, 3000.0, 400000.0}) {
            ProjectionState s;
            s.SetEllipsoid(e);
            s.CentralMeridian = 111 * kPi / 180;
            s.FalseEastingKm = 500;
            s.GeoidUndulation = lift == 0 ? 0 : -40;
            s.PlaneHeight = lift == 0 ? 0 : lift + 40;
            double x, y, h, B = lat * kPi / 180, L = s.CentralMeridian + dl * kPi / 180, Hi = H;
            BL2XYg(s, x, y, h, B, L, Hi);
            double xl, yl;
            testing::LiteralLiftedForward(s, lat * kPi / 180, L, H, xl, yl);
            worst = std::max({worst, std::fabs(x - xl), std::fabs(y - yl)});
            ASSERT_NEAR(x, xl, 1e-7) << e.a << " " << lift << " " << lat << " " << dl << " " << H;
            ASSERT_NEAR(y, yl, 1e-7) << e.a << " " << lift << " " << lat << " " << dl << " " << H;
          }
  RecordProperty("worst", std::to_string(worst));
}

// Without any lift the three conversions change nothing, on every side of the globe.
// The lifted inverse against its conversions by hand, from the poles to the equator, on
// both sides of the central meridian and of Greenwich, for small and huge lifts (past 10 km
// it hands over to the step-by-step form). Both give B and L in [0, 2pi).
TEST(Sub4, LiftedInverseMatchesTheConversionsByHand) {
  double worst = 0;
  for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid80, kEllipsoid84})
    for (double L0deg : {-75.0, 0.0, 117.0, 357.0})
      for (double lift : {0.0, 62.9 + 1500, -420.0, 9000.0, 3e6})
        for (double lat : {-89.9999, -89.95, -86.5, -45.0, -0.01, 0.0, 7.5, 33.3, 60.0, 84.0, 89.9, 89.9999})
          for (double dl : {-3.0, -0.2, 0.0, 1.1, 3.0})
            for (double h : {-300.0, 0.0, 2500.0}) {
              ProjectionState s;
              s.SetEllipsoid(e);
              s.CentralMeridian = L0deg * kPi / 180;
              s.FalseEastingKm = 500;
              s.GeoidUndulation = lift == 0 ? 0 : 62.9;
              s.PlaneHeight = lift - s.GeoidUndulation;
              // The plane point of (lat, L0 + dl) on the grown axis.
              double x, y, hf, B = lat * kPi / 180, L = s.CentralMeridian + dl * kPi / 180, H = 0;
              ProjectionState onLifted = s;
              onLifted.SetEllipsoid({e.a + lift, e.e2});
              Sub4(onLifted, x, y, hf, B, L, H, 0, 2);
              x += 1000 * s.FalseNorthingKm;

              double Bl, Ll;
              testing::LiteralLiftedInverse(s, x, y, h, Bl, Ll);
              double xi = x, yi = y, hi = h, Bi, Li, Hi;
              XYg2BL(s, xi, yi, hi, Bi, Li, Hi);
              ASSERT_NEAR(s.EllipsoidA, e.a, 1e-8);
              // Metres on the ground; B and L wrap at 2pi alike, so compare across the seam.
              const double dB = std::remainder(Bi - Bl, kCalculatorPi.twoPi) * e.a;
              const double dL = std::remainder(Li - Ll, kCalculatorPi.twoPi) * e.a * std::cos(lat * kPi / 180);
              worst = std::max({worst, std::fabs(dB), std::fabs(dL)});
              ASSERT_NEAR(dB, 0, 1e-7) << e.a << " " << L0deg << " " << lift << " " << lat << " " << dl << " " << h;
              ASSERT_NEAR(dL, 0, 1e-7) << e.a << " " << L0deg << " " << lift << " " << lat << " " << dl << " " << h;
              ASSERT_GE(Bi, 0);
              ASSERT_LT(Bi, kCalculatorPi.twoPi);
              ASSERT_GE(Li, 0);
              ASSERT_LT(Li, kCalculatorPi.twoPi);
            }
  RecordProperty("worst_m", ::testing::PrintToString(worst));
}

// Plane coordinates of any size come back (a dialog field takes 1e300): a longitude
// far from [0, 2pi) or not finite at all must not keep the way back turning.
TEST(Sub4, LiftedInverseReturnsForPlaneCoordinatesOfAnySize) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {0.0, 3e6, -1e300, 1e300, inf, std::nan("")})
    for (double y : {1e5, 1e12, -1e20, 1e300, -inf, std::nan("")}) {
      ProjectionState s = State54(120, 0, 500);
      s.GeoidUndulation = 62.9;
      double xi = x, yi = y, h = 0, B, L, H;
      XYg2BL(s, xi, yi, h, B, L, H);
      if (std::isfinite(L)) {
        EXPECT_GE(L, 0) << x << " " << y;
        EXPECT_LT(L, kCalculatorPi.twoPi) << x << " " << y;
      }
    }
}

TEST(Sub4, LiftOfZeroKeepsSouthernAndWesternPointsWhereTheyAre) {
  struct Case {
    double lat, lon, L0;
  } cases[] = {{-30, 118, 117}, {-0.5, 121, 120}, {30, -1, 0}, {-33.9, -70.6, -69}, {45, -178.5, -177}};
  for (const Case& c : cases) {
    ProjectionState s;
    s.SetEllipsoid(kEllipsoid84);
    s.CentralMeridian = c.L0 * kPi / 180;
    double B = c.lat * kPi / 180, L = c.lon * kPi / 180, H = 35, x0, y0, x1, y1, h;
    Sub4(s, x0, y0, h, B, L, H, 0, 2);
    Sub4(s, x1, y1, h, B, L, H, 1, 2);
    EXPECT_NEAR(x1, x0, 1e-6) << c.lat << " " << c.lon;
    EXPECT_NEAR(y1, y0, 1e-6) << c.lat << " " << c.lon;
    EXPECT_LT(std::fabs(x0), 1e7) << c.lat << " " << c.lon;
  }
}

TEST(Sub4Component, NoHeightAnomalyAndAxisRestored) {
  ComponentProjection p{Dms2Rad(120, kComponentPi), 0, 500, 0, kEllipsoid54.a, kEllipsoid54.e2};
  double x, y, h, B = Dms2Rad(31, kComponentPi), L = Dms2Rad(121.3030, kComponentPi), H = 7;
  Sub4Component(p, x, y, h, B, L, H, 1, 2);
  EXPECT_NEAR(x, 3432012.058, 5e-4);
  EXPECT_NEAR(y, 644062.555, 5e-4);
  EXPECT_EQ(h, 7);
  EXPECT_EQ(p.a, kEllipsoid54.a);
  p.H0 = 1000;
  double x2, y2, B2, L2, H2;
  Sub4Component(p, x2, y2, h, B, L, H, 1, 2);
  EXPECT_GT(y2 - 500000, (y - 500000) * 1.0001);
  Sub4Component(p, x2, y2, h, B2, L2, H2, 1, 1);
  EXPECT_NEAR(B2, B, 1e-9);
  EXPECT_NEAR(L2, L, 1e-9);
  EXPECT_NEAR(p.a, kEllipsoid54.a, 1e-9);
  std::string said;
  Sub4Component(p, x2, y2, h, B2, L2, H2, 1, 0, [&](const std::string& t) { said = t; });
  EXPECT_EQ(said, "Unknown k in Sub4");
}

}  // namespace
}  // namespace vantrel
