// The Ombrix mathematics below the component boundary: rotation matrices, the tube-to-
// local product, the index function's overflow and the packed-degree conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "components/mathlib/ombrix_math.h"
#include "geodetic/ellipsoid.h"

namespace om = vantrel::ombrix;

namespace {

struct Grid {
  double m[4][4];
  Grid() { for (auto& r : m) for (auto& v : r) v = -7; }
  om::MatrixWriter writer() {
    return [this](int i, int j, double v) { m[i][j] = v; return true; };
  }
};

TEST(OmbrixMath, RotationMatrixPerAxis) {
  const double a = 0.3, c = std::cos(a), s = std::sin(a);
  struct Case { int axis; double rows[3][3]; };
  const Case cases[] = {
      {1, {{1, 0, 0}, {0, c, -s}, {0, s, c}}},
      {2, {{c, 0, s}, {0, 1, 0}, {-s, 0, c}}},
      {3, {{c, -s, 0}, {s, c, 0}, {0, 0, 1}}},
  };
  for (const auto& k : cases) {
    Grid g;
    std::vector<std::string> shown;
    EXPECT_TRUE(om::Rotation_Mat(k.axis, a, g.writer(),
                                 [&](const std::string& t) { shown.push_back(t); }));
    EXPECT_TRUE(shown.empty());
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_EQ(g.m[i + 1][j + 1], k.rows[i][j]) << k.axis;
  }
  Grid quarter;
  ASSERT_TRUE(om::Rotation_Mat(3, std::numbers::pi / 2, quarter.writer(), {}));
  const double want[3][3] = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(quarter.m[i + 1][j + 1], want[i][j], 1e-16);
}

TEST(OmbrixMath, RotationMatrixBadAxisAndRefusingTarget) {
  for (int axis : {0, 4, -1}) {
    Grid g;
    std::vector<std::string> shown;
    EXPECT_FALSE(om::Rotation_Mat(axis, 1.0, g.writer(),
                                  [&](const std::string& t) { shown.push_back(t); }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "轴号只能是1,2,3中的一个。");
    for (auto& r : g.m) for (double v : r) EXPECT_EQ(v, -7);
  }
  // A target that takes only the first row: the method stops with false, row 1 stays.
  int written = 0;
  EXPECT_FALSE(om::Rotation_Mat(1, 0.0, [&](int i, int, double) {
    if (i > 1) return false;
    ++written;
    return true;
  }, {}));
  EXPECT_EQ(written, 3);
}

om::RotationCall Direct() {
  return [](int n, double alf, double (&R)[3][3]) {
    return om::Rotation_Mat(n, alf, [&](int i, int j, double v) {
      R[i - 1][j - 1] = v;
      return true;
    }, {});
  };
}

TEST(OmbrixMath, TubeToLocal) {
  double x = -1, y = -1, h = -1;
  EXPECT_TRUE(om::Tube2Loc(100, 200, 300, 0, 0, 0, x, y, h, 1.5, -2.5, 4, Direct()));
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(y, -2.5);
  EXPECT_EQ(h, 4);

  // Only the pitch: about axis 2 by 90 degrees sends (1, 0, 0) to (0, 0, -1).
  EXPECT_TRUE(om::Tube2Loc(0, 0, 0, 0, std::numbers::pi / 2, 0, x, y, h, 1, 0, 0, Direct()));
  EXPECT_NEAR(x, 0, 1e-16);
  EXPECT_NEAR(y, 0, 1e-16);
  EXPECT_NEAR(h, -1, 1e-16);

  // Alf and Gama both turn about axis 1: with Bata = 0 they add up.
  double x1, y1, h1, x2, y2, h2;
  ASSERT_TRUE(om::Tube2Loc(0, 0, 0, 0.2, 0, 0.5, x1, y1, h1, 1, 2, 3, Direct()));
  ASSERT_TRUE(om::Tube2Loc(0, 0, 0, 0.7, 0, 0, x2, y2, h2, 1, 2, 3, Direct()));
  EXPECT_NEAR(x1, x2, 1e-14);
  EXPECT_NEAR(y1, y2, 1e-14);
  EXPECT_NEAR(h1, h2, 1e-14);

  // A failing rotation leaves the outputs as they were.
  double keep[3] = {9, 8, 7};
  int calls = 0;
  auto failSecond = [&](int n, double alf, double (&R)[3][3]) {
    return ++calls != 2 && Direct()(n, alf, R);
  };
  EXPECT_FALSE(om::Tube2Loc(0, 0, 0, 0.1, 0.2, 0.3, keep[0], keep[1], keep[2], 1, 1, 1, failSecond));
  EXPECT_EQ(keep[0], 9); EXPECT_EQ(keep[1], 8); EXPECT_EQ(keep[2], 7);
  EXPECT_FALSE(om::Tube2Loc(0, 0, 0, 0, 0, 0, keep[0], keep[1], keep[2], 1e308, 1e308, 0,
                            [](int n, double, double (&R)[3][3]) {
                              for (auto& r : R) for (auto& v : r) v = 2;  // not a rotation
                              return n > 0;
                            }));
  EXPECT_EQ(keep[0], 9);
}

TEST(OmbrixMath, IndexFunctionAndOverflow) {
  EXPECT_EQ(om::ij2n(3, 2), 5);
  EXPECT_EQ(om::ij2n(2, 3), 5);
  EXPECT_EQ(om::ij2n(1, 1), 1);
  EXPECT_EQ(om::ij2n(60, 60), 1830);
  EXPECT_EQ(om::ij2n(46341, 1), 46341 * 23170 + 1);  // p(p-1) = 2147441940 still fits
  EXPECT_THROW(om::ij2n(46342, 1), om::OmbrixFault);
  EXPECT_THROW(om::ij2n(1, INT_MAX), om::OmbrixFault);
}

TEST(OmbrixMath, PackedDegreesRoundTrip) {
  struct Case { double X, Y, Z; const char* elli; };
  const Case cases[] = {
      {-2148744.123, 4426641.456, 4044655.789, "54"},
      {-2148744.123, 4426641.456, 4044655.789, "80"},
      {4000000, 3000000, -3500000, "84"},
      {6378245, 0, 0, "something"},
  };
  for (const auto& c : cases) {
    double Phi, Lam, h, X, Y, Z;
    om::xyzblh(Phi, Lam, h, c.X, c.Y, c.Z, c.elli);
    om::BLHXYZ(Phi, Lam, h, X, Y, Z, c.elli);
    // Millionths of an arc second in the packed text: about 3e-5 m on the ground.
    EXPECT_NEAR(X, c.X, 1e-3) << c.elli;
    EXPECT_NEAR(Y, c.Y, 1e-3) << c.elli;
    EXPECT_NEAR(Z, c.Z, 1e-3) << c.elli;
  }
  double a, e2;
  om::Get_Earth("80", a, e2);
  EXPECT_EQ(a, 6378140.0);
  om::Get_Earth("54", a, e2);
  EXPECT_EQ(e2, 0.006693421622966);
  om::Get_Earth("x", a, e2);
  EXPECT_EQ(a, 6378245.0);

  double alf = -30.5 * std::numbers::pi / 180;
  EXPECT_DOUBLE_EQ(om::Rad2dms_Buff(alf), -30.3);  // "- 30.3000000000" read back
  EXPECT_GT(alf, 0);  // the caller's angle is rewritten to its magnitude
  EXPECT_DOUBLE_EQ(om::Dms2Rad(30.3), 30.5 * std::numbers::pi / 180);
}

TEST(OmbrixMath, GaussRoundTripInPackedDegrees) {
  double Xg, Yg, Phi, Rlam;
  om::BL2XYg(Xg, Yg, 31.0003, 121.0001, 120, 0, 500, 0, "54");
  EXPECT_GT(Yg, 500000);  // east of the central meridian, false easting 500 km
  om::XYg2BL(Xg, Yg, Phi, Rlam, 120, 0, 500, 0, "54");
  EXPECT_NEAR(Phi, 31.0003, 1e-8);
  EXPECT_NEAR(Rlam, 121.0001, 1e-8);

  // From the plane: a point 95509.102 m east of 120 degrees on a plane lifted 500 m.
  double Xg2, Yg2;
  om::XYg2BL(3431498.595, 95509.102, Phi, Rlam, 120, 0, 0, 500, "54");
  om::BL2XYg(Xg2, Yg2, Phi, Rlam, 120, 0, 0, 500, "54");
  EXPECT_NEAR(Xg2, 3431498.595, 1e-3);
  EXPECT_NEAR(Yg2, 95509.102, 1e-3);
  EXPECT_GT(Rlam, 120.59);  // about one degree east of 120
  EXPECT_LT(Rlam, 121.01);
}

TEST(OmbrixMath, PlaneHelpersWithComponentPi) {
  EXPECT_EQ(om::Xy2az(0, 0, -1, 0), std::numbers::pi);
  EXPECT_EQ(om::Xy2az(0, 0, 0, 1), std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(om::Xy2d(100, 100, 200, 200), std::sqrt(20000.0));
  EXPECT_EQ(om::Datan2(-1, 0), std::numbers::pi / 2);
  EXPECT_THROW(om::Xy2d(0, 0, 1e308, 1e308), om::OmbrixFault);
}

}  // namespace
