// CGCS2000 through the calculator's routines, checked against PROJ given the ellipsoid's
// defining constants explicitly (+a=6378137 +rf=298.257222101), not by a name PROJ knows.
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>

#include "batch/ellipsoids.h"
#include "geodetic/gauss_kruger.h"

namespace vantrel::batch {
namespace {

constexpr double kDegree = std::numbers::pi / 180;
const std::string kCgcs2000 = " +a=6378137 +rf=298.257222101";

struct ProjDeleter {
  void operator()(PJ* p) const { proj_destroy(p); }
};
using Proj = std::unique_ptr<PJ, ProjDeleter>;

Proj MakeProj(const std::string& definition) {
  Proj p(proj_create(PJ_DEFAULT_CTX, definition.c_str()));
  EXPECT_TRUE(p) << definition;
  return p;
}

// Gauss-Krueger on CGCS2000 for 3° and 6° zone meridians across China, within 3° of the
// meridian: forward and inverse against PROJ's exact transverse Mercator.
TEST(Cgcs2000, ProjectionAgreesWithProj) {
  double worstXY = 0, worstBL = 0;
  for (int cm : {75, 81, 99, 105, 111, 117, 120, 123, 135}) {
    const Proj tmerc = MakeProj("+proj=tmerc +lat_0=0 +k=1 +x_0=500000 +y_0=0 +lon_0=" +
                                std::to_string(cm) + kCgcs2000);
    ASSERT_TRUE(tmerc);
    ProjectionState st;
    st.SetEllipsoid(*EllipsoidByCode("2000"));
    st.CentralMeridian = cm * kDegree;
    st.FalseEastingKm = 500;
    for (double lat = 3; lat <= 54; lat += 3)
      for (double dl = -3; dl <= 3; dl += 0.75) {
        SCOPED_TRACE(::testing::Message() << "meridian " << cm << " B " << lat << " l " << dl);
        double B = lat * kDegree, L = (cm + dl) * kDegree, H = 0, x, y, h;
        BL2XYg(st, x, y, h, B, L, H);
        const PJ_COORD ref = proj_trans(tmerc.get(), PJ_FWD, proj_coord(L, B, 0, 0));
        // PROJ gives easting first.
        EXPECT_NEAR(x, ref.xy.y, 2e-4);
        EXPECT_NEAR(y, ref.xy.x, 2e-4);
        worstXY = std::max({worstXY, std::fabs(x - ref.xy.y), std::fabs(y - ref.xy.x)});
        double xi = ref.xy.y, yi = ref.xy.x, hi = 0, Bi, Li, Hi;
        XYg2BL(st, xi, yi, hi, Bi, Li, Hi);
        EXPECT_NEAR(Bi, B, 1e-9);
        EXPECT_NEAR(Li, L, 1e-9);
        worstBL = std::max({worstBL, std::fabs(Bi - B), std::fabs(Li - L)});
      }
  }
  // Within 3° of the meridian the series stays within a fifth of a millimetre.
  char text[64];
  std::snprintf(text, sizeof text, "%.3g m, %.3g rad", worstXY, worstBL);
  RecordProperty("worst", text);
}

// Space <-> geodetic on CGCS2000 from pole to pole, below and above the surface: forward
// against PROJ, and back again to the point given.
TEST(Cgcs2000, SpaceConversionAgreesWithProj) {
  const Proj cart = MakeProj("+proj=cart" + kCgcs2000);
  ASSERT_TRUE(cart);
  const Ellipsoid e = kEllipsoid2000;
  for (double lat = -89; lat <= 89; lat += 4.5)
    for (double lon = -175; lon < 180; lon += 35)
      for (double height : {-1000.0, 0.0, 55.5, 3000.0, 10000.0}) {
        SCOPED_TRACE(::testing::Message() << lat << " " << lon << " " << height);
        const double B = lat * kDegree, L = lon * kDegree;
        double X, Y, Z;
        BLHXYZ(B, L, height, X, Y, Z, e);
        const PJ_COORD ref = proj_trans(cart.get(), PJ_FWD, proj_coord(L, B, height, 0));
        EXPECT_NEAR(X, ref.xyz.x, 1e-8);
        EXPECT_NEAR(Y, ref.xyz.y, 1e-8);
        EXPECT_NEAR(Z, ref.xyz.z, 1e-8);
        // Back to the very B, L, H given: the forward step is PROJ's, so this is a check
        // against an exact point (PROJ's own inverse strays by 2e-7 m at 10 km up).
        double Bc, Lc, Hc;
        xyzblh(Bc, Lc, Hc, X, Y, Z, e);
        // xyzblh keeps latitudes and longitudes in [0, 2pi).
        EXPECT_NEAR(std::remainder(Bc - B, 2 * std::numbers::pi), 0, 1e-12);
        EXPECT_NEAR(std::remainder(Lc - L, 2 * std::numbers::pi), 0, 1e-12);
        EXPECT_NEAR(Hc, height, 1e-7);
      }
}

// The calculator's dialogs and components keep their three codes: "2000" is not theirs.
TEST(Cgcs2000, CalculatorCodesStayThree) {
  for (const Ellipsoid& e : {Get_Earth(2000), Get_Earth(std::string_view("2000"))}) {
    EXPECT_EQ(e.a, kEllipsoid54.a);
    EXPECT_EQ(e.e2, kEllipsoid54.e2);
  }
  EXPECT_NE(EllipsoidByCode("2000")->e2, kEllipsoid84.e2);
}

}  // namespace
}  // namespace vantrel::batch
