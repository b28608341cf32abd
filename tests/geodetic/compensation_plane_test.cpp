#include "geodetic/compensation_plane.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/text_rules.h"
#include "geodetic/height_anomaly.h"

namespace vantrel {
namespace {

TEST(CompensationPlane, DefaultReferencePoint) {
  ProjectionState state;
  CompensationResult r = CompensationPlaneHeight(state, -2882436.5359, 4644766.6644, 3275089.9005,
                                                 4.0, Dms2Rad(123));
  ASSERT_EQ(r.status, CompensationStatus::Ok);
  EXPECT_NEAR(r.Bdeg, 31.09672, 5e-6);
  EXPECT_NEAR(r.Ldeg, 121.82280, 5e-6);
  EXPECT_NEAR(r.H, -95.46, 0.005);
  EXPECT_NEAR(r.yg, -112319.84, 0.005);
  EXPECT_NEAR(r.R, 6368233.57, 0.005);
  EXPECT_EQ(FormatPattern(r.dH1, "#.000"), "-990.522");
  EXPECT_NEAR(r.dH3 - r.dH2, r.zeta, 1e-9);
  EXPECT_DOUBLE_EQ(r.dH2, r.dE + r.dH1);
  EXPECT_EQ(state.EllipsoidA, kEllipsoid54.a);
}

// A point at latitude B, longitude L (degrees) and height H on the 84 ellipsoid, seen as
// the dialog sees it (converted on the 1954 ellipsoid): we aim at the 54 latitude directly.
void At54(double Bdeg, double Ldeg, double& X, double& Y, double& Z) {
  BLHXYZ(Bdeg * kPi / 180, Ldeg * kPi / 180, 0, X, Y, Z, kEllipsoid54);
}

TEST(CompensationPlane, WindowBoundsAndMeridian) {
  struct Case { double B, L; CompensationStatus want; };
  const Case cases[] = {
      {19.0000001, 110, CompensationStatus::Ok},
      {51.9999999, 122, CompensationStatus::Ok},
      {18.9999, 110, CompensationStatus::LatitudeOutside},
      {52.0001, 122, CompensationStatus::LatitudeOutside},
      {-30, 121, CompensationStatus::LatitudeOutside},
      {31, 73.9999, CompensationStatus::LongitudeOutside},
      {31, 133.0001, CompensationStatus::LongitudeOutside},
      {31, 74.0000001, CompensationStatus::Ok},
  };
  for (const Case& c : cases) {
    double X, Y, Z;
    At54(c.B, c.L, X, Y, Z);
    ProjectionState state;
    CompensationResult r = CompensationPlaneHeight(state, X, Y, Z, 0, Dms2Rad(c.L));
    EXPECT_EQ(r.status, c.want) << c.B << " " << c.L;
    if (r.status == CompensationStatus::Ok) {
      // On the central meridian the projection distortion vanishes.
      EXPECT_NEAR(r.dH1, 0, 1e-6);
      EXPECT_NEAR(r.dH2, r.dE, 1e-6);
      EXPECT_NEAR(r.dH3 - r.dH2, r.zeta, 1e-9);
      EXPECT_NEAR(r.zeta, HeightAnomaly54(r.Bdeg, r.Ldeg), 1e-12);
    }
  }
}

TEST(CompensationPlane, FalseEastingLeftByAnotherDialogIsTakenOff) {
  ProjectionState state;
  state.FalseEastingKm = 500;
  CompensationResult r = CompensationPlaneHeight(state, -2882436.5359, 4644766.6644, 3275089.9005,
                                                 4.0, Dms2Rad(123));
  ASSERT_EQ(r.status, CompensationStatus::Ok);
  EXPECT_NEAR(r.yg, 500000 - 112319.84, 0.005);
  EXPECT_EQ(FormatPattern(r.dH1, "#.000"), "-990.522");
}

}  // namespace
}  // namespace vantrel
