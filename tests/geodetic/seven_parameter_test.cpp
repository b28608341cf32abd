#include "geodetic/seven_parameter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/text_rules.h"

namespace vantrel {
namespace {

const SevenParameters kDefaults{81.37785, 197.46387, 167.83978, -1.01922, 5.04083, .197089, -14.99384};
constexpr double kX = -2893349.8654, kY = 4628753.6527, kZ = 3288072.7244;

TEST(SevenParameterTransform, DefaultsAndSpecialParameters) {
  double x, y, z;
  SevenParameterTransform(kDefaults, kX, kY, kZ, x, y, z);
  EXPECT_EQ(FormatPattern(x, "#.0000"), "-2893605.1543");
  EXPECT_EQ(FormatPattern(y, "#.0000"), "4628816.4311");
  EXPECT_EQ(FormatPattern(z, "#.0000"), "3288121.3280");

  SevenParameterTransform({}, kX, kY, kZ, x, y, z);
  EXPECT_EQ(x, kX);
  EXPECT_EQ(y, kY);
  EXPECT_EQ(z, kZ);

  SevenParameters scale;
  scale.m = 1;
  SevenParameterTransform(scale, kX, kY, kZ, x, y, z);
  EXPECT_DOUBLE_EQ(x, kX * 1.000001);
  EXPECT_DOUBLE_EQ(y, kY * 1.000001);
  EXPECT_DOUBLE_EQ(z, kZ * 1.000001);
}

TEST(SevenParameterCompute, DefaultsProjectNearControlPoint0005) {
  ProjectionState state;
  SevenResult r = SevenParameterCompute(state, kDefaults, kX, kY, kZ, kEllipsoid54, 123, 0, 500, 0);
  EXPECT_NEAR(r.B * 180 / kPi, 31.23293, 5e-6);
  EXPECT_NEAR(r.L * 180 / kPi, 122.01068, 5e-6);
  EXPECT_NEAR(r.H, 115.92, 0.005);
  EXPECT_NEAR(r.Xg, 3457282.75, 0.005);
  EXPECT_NEAR(r.Yg, 405742.21, 0.005);
  EXPECT_DOUBLE_EQ(r.Hg, r.H);
  // What the dialog leaves for the others.
  EXPECT_EQ(state.EllipsoidA, kEllipsoid54.a);
  EXPECT_EQ(state.FalseEastingKm, 500);
  EXPECT_DOUBLE_EQ(state.CentralMeridian, 123 * std::atan(1.0) * 4 / 180);

  // Another ellipsoid moves the point: the choice takes effect.
  ProjectionState other;
  SevenResult r84 = SevenParameterCompute(other, kDefaults, kX, kY, kZ, kEllipsoid84, 123, 0, 500, 0);
  EXPECT_GT(std::fabs(r84.Xg - r.Xg), 1.0);
  EXPECT_EQ(other.EllipsoidA, kEllipsoid84.a);
}

TEST(HeightCorrection, WeightedAtDefaultPointAndCoincidentRows) {
  HeightCorrection c = InterpolateHeightCorrection(3457282.7500, 405742.2100);
  EXPECT_EQ(c.coincident, -1);
  EXPECT_EQ(FormatPattern(c.dh, "#.0000"), ".1114");

  struct Case { double dx; int row; };
  for (int row = 0; row < 12; ++row) {
    const HeightControlPoint& p = kHeightControlPoints[row];
    for (Case k : {Case{0, row}, Case{0.099, row}, Case{0.1, -1}}) {
      HeightCorrection h = InterpolateHeightCorrection(p.x + k.dx, p.y);
      EXPECT_EQ(h.coincident, k.row) << p.name << " dx " << k.dx;
      if (k.row >= 0) {
        EXPECT_EQ(h.dh, p.dh);
      }
    }
  }
  // Rows 8 and 9 ("0009", "0010") are far apart; between two rows both within 0.1 m the
  // earlier wins, which the walk order gives: at row 0 itself row 0 is reported, not later.
  EXPECT_EQ(InterpolateHeightCorrection(kHeightControlPoints[0].x, kHeightControlPoints[0].y).coincident, 0);
}

TEST(CorrectionGrid, FortyFiveLinesInPrintZones) {
  std::vector<std::string> lines = CorrectionGridLines();
  ASSERT_EQ(lines.size(), 45u);
  EXPECT_EQ(lines[0], " 3450000       390000       .083");
  EXPECT_EQ(lines[0].substr(0, 8), " 3450000");
  EXPECT_EQ(lines[0].substr(14, 7), " 390000");
  EXPECT_EQ(lines[0].substr(28), ".083");
  EXPECT_NEAR(GridHeightCorrection(3450000, 390000), 0.08259, 5e-6);
  EXPECT_EQ(lines[8].substr(0, 22), " 3450000       430000 ");
  EXPECT_EQ(lines[44].substr(0, 22), " 3470000       430000 ");
  for (const std::string& l : lines) {
    EXPECT_TRUE(IsNumeric(l.substr(28))) << l;
    EXPECT_LT(std::fabs(*ReadStrict(l.substr(28))), 0.8) << l;
  }
  // On a control point the distance floor keeps the weight finite and the point dominant.
  const HeightControlPoint& p = kHeightControlPoints[3];
  EXPECT_NEAR(GridHeightCorrection(p.x, p.y), p.dh, 1e-3);
}

TEST(CorrectionGrid, PathIsInTheHomeFolder) {
  std::string path = CorrectionGridPath();
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    EXPECT_TRUE(path.empty());
  } else {
    EXPECT_EQ(path, std::string(home) + "/tmp.out");
  }
}

}  // namespace
}  // namespace vantrel
