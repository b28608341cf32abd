#include "geodetic/gauss_kruger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/text_rules.h"

namespace vantrel {
namespace {

constexpr double kDeg = kPi / 180;

ProjectionState On(const Ellipsoid& e, double L0deg) {
  ProjectionState s;
  s.SetEllipsoid(e);
  s.CentralMeridian = L0deg * kDeg;
  return s;
}

TEST(GaussKruger, KnownFigures) {
  struct Case {
    double zeta; int withHeight; const char* x; const char* y;
  };
  const Case cases[] = {
      {0, 0, "3432012.058", "144062.555"},
      {0, 1, "3432012.058", "144062.555"},
      {62.9, 1, "3432046.089", "144063.973"},
  };
  for (const auto& c : cases) {
    ProjectionState s = On(kEllipsoid54, 120);
    s.GeoidUndulation = c.zeta;
    double x, y, h, B = Dms2Rad(31), L = Dms2Rad(121.3030), H = 100;
    Sub4(s, x, y, h, B, L, H, c.withHeight, 2);
    EXPECT_EQ(FormatPattern(x, "#.000"), c.x) << c.zeta;
    EXPECT_EQ(FormatPattern(y, "#.000"), c.y) << c.zeta;
    EXPECT_DOUBLE_EQ(h, 100 - c.zeta);
    EXPECT_EQ(B, Dms2Rad(31));  // inputs given back unchanged
    EXPECT_EQ(H, 100);
    EXPECT_NEAR(s.EllipsoidA, kEllipsoid54.a, 1e-8);
  }
}

TEST(GaussKruger, CentralMeridianAndFalseOrigin) {
  ProjectionState s = On(kEllipsoid54, 117);
  s.FalseEastingKm = 500;
  double x, y, h, B = 30 * kDeg, L = 117 * kDeg, H = 0;
  Sub4(s, x, y, h, B, L, H, 0, 2);
  EXPECT_EQ(FormatPattern(x, "#.000"), "3320172.407");
  EXPECT_EQ(FormatPattern(y, "#.000"), "500000.000");

  s.FalseNorthingKm = 10;
  B = 0;
  Sub4(s, x, y, h, B, L, H, 0, 2);
  EXPECT_NEAR(x, 10000, 1e-9);
  EXPECT_NEAR(y, 500000, 1e-9);
}

TEST(GaussKruger, LiftWithoutHeightMatchesThePlainEllipsoid) {
  ProjectionState s = On(kEllipsoid80, 111);
  for (double lat = 18; lat <= 53; lat += 5) {
    for (double dl = -3; dl <= 3; dl += 1.5) {
      double x0, y0, x1, y1, h, B = lat * kDeg, L = (111 + dl) * kDeg, H = 0;
      Sub4(s, x0, y0, h, B, L, H, 0, 2);
      Sub4(s, x1, y1, h, B, L, H, 1, 2);
      EXPECT_NEAR(x0, x1, 1e-6);
      EXPECT_NEAR(y0, y1, 1e-6);
    }
  }
}

TEST(GaussKruger, PlaneHeightScalesEasting) {
  ProjectionState s = On(kEllipsoid54, 120);
  double x, y0, y1, h, B = 31 * kDeg, L = 121.5 * kDeg, H = 0;
  Sub4(s, x, y0, h, B, L, H, 1, 2);
  s.PlaneHeight = 2000;
  Sub4(s, x, y1, h, B, L, H, 1, 2);
  EXPECT_NEAR(y1 / y0, (kEllipsoid54.a + 2000) / kEllipsoid54.a, 1e-6);
}

TEST(GaussKruger, ForwardThenInverseOverAGrid) {
  for (const Ellipsoid& e : {kEllipsoid54, kEllipsoid80, kEllipsoid84}) {
    for (double zeta : {0.0, 62.9}) {
      ProjectionState s = On(e, 117);
      s.GeoidUndulation = zeta;
      s.PlaneHeight = zeta > 0 ? 350 : 0;
      s.FalseEastingKm = 500;
      for (double lat = 0.5; lat <= 60; lat += 1.7) {
        for (double dl = -3; dl <= 3; dl += 0.25) {
          double x, y, h, B = lat * kDeg, L = (117 + dl) * kDeg, H = 40;
          BL2XYg(s, x, y, h, B, L, H);
          const double xs = x, ys = y;
          double B2, L2, H2;
          XYg2BL(s, x, y, h, B2, L2, H2);
          ASSERT_EQ(x, xs);
          ASSERT_EQ(y, ys);
          ASSERT_NEAR(B2, B, 1e-9) << lat << " " << dl;
          ASSERT_NEAR(L2, L, 1e-9) << lat << " " << dl;
          ASSERT_NEAR(H2, H, 1e-9);
          ASSERT_NEAR(s.EllipsoidA, e.a, 1e-8);
        }
      }
    }
  }
}

TEST(GaussKruger, InverseLeavesCoordinatesReducedAndUnknownKIsReported) {
  ProjectionState s = On(kEllipsoid54, 120);
  s.FalseNorthingKm = 1;
  s.FalseEastingKm = 500;
  double x = 3432012.058, y = 644062.555, h = 0, B = 0, L = 0, H = 0;
  Sub4(s, x, y, h, B, L, H, 0, 1);
  EXPECT_NEAR(x, 3431012.058, 1e-9);
  EXPECT_NEAR(y, 144062.555, 1e-9);

  std::vector<std::string> messages;
  double x2 = 1, y2 = 2;
  Sub4(s, x2, y2, h, B, L, H, 0, 3, [&](const std::string& m) { messages.push_back(m); });
  EXPECT_EQ(messages, std::vector<std::string>{"Unknown k in Sub4"});
  EXPECT_EQ(x2, 1);
  EXPECT_EQ(y2, 2);
}

TEST(GaussKruger, LiftedForwardKeepsSouthernAndWesternPointsNearTheMeridian) {
  // The lift hands latitudes and longitudes back in [0, 2pi); they must stay signed.
  ProjectionState s = On(kEllipsoid84, -63);
  double x, y, h, B = -33 * kDeg, L = -62 * kDeg, H = 0;
  double xp, yp;
  Sub4(s, xp, yp, h, B, L, H, 0, 2);
  Sub4(s, x, y, h, B, L, H, 1, 2);
  EXPECT_NEAR(x, xp, 1e-6);
  EXPECT_NEAR(y, yp, 1e-6);
}

TEST(GaussKruger, ComponentCopyMatchesWithoutHeightAnomaly) {
  ProjectionState s = On(kEllipsoid54, 120);
  s.PlaneHeight = 100;
  ComponentProjection c{120 * kDeg, 0, 500, 100, kEllipsoid54.a, kEllipsoid54.e2};
  s.FalseEastingKm = 500;
  double x1, y1, h1, x2, y2, h2, B = 31 * kDeg, L = 121.5 * kDeg, H = 0;
  Sub4(s, x1, y1, h1, B, L, H, 1, 2);
  Sub4Component(c, x2, y2, h2, B, L, H, 1, 2);
  EXPECT_NEAR(x1, x2, 1e-6);
  EXPECT_NEAR(y1, y2, 1e-6);
  EXPECT_NEAR(c.a, kEllipsoid54.a, 1e-8);
  double B2, L2, H2;
  Sub4Component(c, x2, y2, h2, B2, L2, H2, 1, 1);
  EXPECT_NEAR(B2, B, 1e-9);
  EXPECT_NEAR(L2, L, 1e-9);
}

}  // namespace
}  // namespace vantrel
