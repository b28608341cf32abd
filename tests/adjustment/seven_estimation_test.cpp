#include "adjustment/seven_estimation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "geodetic/ellipsoids.h"
#include "tests/support/seven_points.h"

namespace vantrel::adjustment {
namespace {

using test::Geometry;
using test::kParameterSets;
using test::MakePoints;

const std::vector<Geometry> kGeometries = {
    {3, 100, 31, 121}, {4, 50, 40, 116}, {7, 300, 23, 113}, {12, 30, 45, 126}, {20, 500, 35, 105},
};

std::array<double, 7> AsArray(const SevenParameters& p) {
  return {p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez};
}

TEST(SevenEstimation, ExactPointsGiveTheParametersBack) {
  EXPECT_EQ(kSevenRho, 648000 / (4 * std::atan(1.0)));
  unsigned seed = 1;
  for (const SevenParameters& p : kParameterSets)
    for (const Geometry& g : kGeometries) {
      SCOPED_TRACE(::testing::Message() << "n " << g.n << " radius " << g.radiusKm << " ez " << p.ez);
      const auto pts = MakePoints(g, p, seed++);
      const SevenEstimate e = EstimateSevenParameters(pts);
      ASSERT_TRUE(e.ok) << e.error;
      const auto want = AsArray(p), got = AsArray(e.parameters);
      for (int k = 0; k < 7; ++k) EXPECT_NEAR(got[k], want[k], 1e-6) << "parameter " << k;
      EXPECT_LT(e.sigma0, 1e-6);
      EXPECT_EQ(e.redundancy, 3 * g.n - 7);
      EXPECT_LE(e.iterations, 5);
      for (const SevenResidual& r : e.residuals) {
        EXPECT_FALSE(r.flagged);
        EXPECT_LT(std::fabs(r.vX) + std::fabs(r.vY) + std::fabs(r.vZ), 1e-6);
      }
    }
}

// With noise, each parameter lies within a few of its reported standard deviations, σ0
// estimates the noise, and the transformation with the estimate reproduces the fit.
TEST(SevenEstimation, NoisyPointsAreRecoveredWithinTheReportedPrecision) {
  const double noise = 0.02;
  int outside2 = 0, total = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const SevenParameters& p = kParameterSets[seed % kParameterSets.size()];
    const Geometry g{15, 80, 30.0 + seed % 10, 110.0 + seed % 15};
    auto pts = MakePoints(g, p, 100 + seed);
    std::mt19937 rng(seed);
    std::normal_distribution<double> err(0, noise);
    for (CommonSpacePoint& c : pts) c.Xn += err(rng), c.Yn += err(rng), c.Zn += err(rng);
    const SevenEstimate e = EstimateSevenParameters(pts);
    ASSERT_TRUE(e.ok) << e.error;
    EXPECT_GT(e.sigma0, 0.6 * noise);
    EXPECT_LT(e.sigma0, 1.4 * noise);
    const auto want = AsArray(p), got = AsArray(e.parameters), sd = AsArray(e.sigma);
    for (int k = 0; k < 7; ++k) {
      EXPECT_GT(sd[k], 0);
      EXPECT_LT(std::fabs(got[k] - want[k]), 4.5 * sd[k]) << "seed " << seed << " parameter " << k;
      outside2 += std::fabs(got[k] - want[k]) > 2 * sd[k];
      ++total;
    }
    for (size_t i = 0; i < pts.size(); ++i) {
      double X, Y, Z;
      SevenParameterTransform(e.parameters, pts[i].X, pts[i].Y, pts[i].Z, X, Y, Z);
      EXPECT_NEAR(X + e.residuals[i].vX, pts[i].Xn, 1e-8);
      EXPECT_NEAR(Y + e.residuals[i].vY, pts[i].Yn, 1e-8);
      EXPECT_NEAR(Z + e.residuals[i].vZ, pts[i].Zn, 1e-8);
    }
  }
  // Standard deviations that are honest leave about 5 % of the errors beyond 2σ.
  EXPECT_LT(outside2, total * 0.12) << outside2 << " of " << total;
  EXPECT_GT(outside2, 0) << "standard deviations far too large";
}

TEST(SevenEstimation, GeodeticPointsOnTheirEllipsoids) {
  const SevenParameters p = kParameterSets[2];
  const auto space = MakePoints({6, 120, 34, 112}, p, 5);
  std::vector<CommonGeodeticPoint> geo;
  for (const CommonSpacePoint& c : space) {
    CommonGeodeticPoint g{c.name};
    xyzblh(g.B, g.L, g.H, c.X, c.Y, c.Z, kEllipsoid54);
    xyzblh(g.Bn, g.Ln, g.Hn, c.Xn, c.Yn, c.Zn, kEllipsoid2000);
    geo.push_back(g);
  }
  const SevenEstimate e = EstimateSevenParameters(geo, kEllipsoid54, kEllipsoid2000);
  ASSERT_TRUE(e.ok) << e.error;
  const auto want = AsArray(p), got = AsArray(e.parameters);
  for (int k = 0; k < 7; ++k) EXPECT_NEAR(got[k], want[k], 1e-6) << k;
}

TEST(SevenEstimation, TooFewCollinearOrBrokenPointsAreRefused) {
  const auto good = MakePoints({4, 40, 30, 120}, kParameterSets[0], 2);
  auto line = good;
  for (size_t i = 0; i < line.size(); ++i) {  // four points on one straight line in space
    const double t = static_cast<double>(i) / 3;
    line[i].X = good[0].X + t * (good[1].X - good[0].X);
    line[i].Y = good[0].Y + t * (good[1].Y - good[0].Y);
    line[i].Z = good[0].Z + t * (good[1].Z - good[0].Z);
  }
  auto same = good;
  for (auto& c : same) c.X = good[0].X, c.Y = good[0].Y, c.Z = good[0].Z;
  auto broken = good;
  broken[2].Yn = std::nan("");
  auto unnamed = broken;
  unnamed[2].name = "";
  const std::vector<std::pair<std::vector<CommonSpacePoint>, std::string>> cases = {
      {{}, "公共点少于3个, 不能求七参数!"},
      {{good[0], good[1]}, "公共点少于3个, 不能求七参数!"},
      {line, "公共点共线, 不能求七参数!"},
      {same, "公共点重合, 不能求七参数!"},
      {broken, "公共点 G3 坐标错!"},
      {unnamed, "公共点 第3个 坐标错!"},
  };
  for (const auto& [pts, message] : cases) {
    SCOPED_TRACE(message);
    const SevenEstimate e = EstimateSevenParameters(pts);
    EXPECT_FALSE(e.ok);
    EXPECT_EQ(e.error, message);
  }
  EXPECT_TRUE(EstimateSevenParameters(good).ok);
}

}  // namespace
}  // namespace vantrel::adjustment
