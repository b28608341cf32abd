#include "batch/seven_estimation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "batch/ellipsoids.h"
#include "common/text_files.h"

namespace vantrel::batch {
namespace {

constexpr double kDeg = std::numbers::pi / 180;

std::array<double, 7> AsArray(const SevenParameters& p) {
  return {p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez};
}

const std::vector<SevenParameters> kParameterSets = {
    {81.37785, 197.46387, 167.83978, -1.01922, 5.04083, 0.197089, -14.99384},  // the dialog's
    {0, 0, 0, 0, 0, 0, 0},
    {-120.5, 30.25, 88.75, 4.5, -2.3, 1.1, 0.7},
    {512.3, -310.9, 201.4, 21.7, 31.5, -26.25, 41.125},
};

struct Geometry {
  int n;
  double radiusKm;
  double lat, lon;  // centre, degrees
};
const std::vector<Geometry> kGeometries = {
    {3, 100, 31, 121}, {4, 50, 40, 116}, {7, 300, 23, 113}, {12, 30, 45, 126}, {20, 500, 35, 105},
};

// Old points on the 1954 ellipsoid spread around a centre; new ones by the transformation.
std::vector<CommonSpacePoint> MakePoints(const Geometry& g, const SevenParameters& p, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uni(-1, 1);
  std::vector<CommonSpacePoint> pts;
  const double spread = g.radiusKm * 1000 / 6.371e6 / kDeg;
  for (int i = 0; i < g.n; ++i) {
    CommonSpacePoint c;
    c.name = "G" + std::to_string(i + 1);
    const double B = (g.lat + spread * uni(rng)) * kDeg, L = (g.lon + spread * uni(rng)) * kDeg;
    BLHXYZ(B, L, 250 + 250 * uni(rng), c.X, c.Y, c.Z, kEllipsoid54);
    SevenParameterTransform(p, c.X, c.Y, c.Z, c.Xn, c.Yn, c.Zn);
    pts.push_back(c);
  }
  return pts;
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

TEST(SevenEstimation, BlundersStandOutAboveThreeSigma) {
  auto pts = MakePoints({10, 60, 32, 118}, kParameterSets[0], 9);
  std::mt19937 rng(3);
  std::normal_distribution<double> err(0, 0.01);
  for (CommonSpacePoint& c : pts) c.Xn += err(rng), c.Yn += err(rng), c.Zn += err(rng);
  pts[6].Zn += 0.8;
  const SevenEstimate e = EstimateSevenParameters(pts);
  ASSERT_TRUE(e.ok);
  for (size_t i = 0; i < pts.size(); ++i) EXPECT_EQ(e.residuals[i].flagged, i == 6) << i;
  EXPECT_EQ(e.residuals[6].name, "G7");
  const std::vector<std::string> lines = SevenEstimateReportText(e);
  int flaggedLines = 0;
  for (const std::string& l : lines) flaggedLines += l.find("超过3σ0") != std::string::npos && l.rfind("G7", 0) == 0;
  EXPECT_EQ(flaggedLines, 1);
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

TEST(SevenEstimation, CommonPointFilesInBothForms) {
  const CommonPointFileResult s = ParseCommonPointText(
      Utf8ToGbk("# 老 X Y Z, 新 X Y Z\r\nK1 -2893349.8654 4628753.6527 3288072.7244 "
                "-2893605.1543 4628816.4311 3288121.3280  # 备注\r\n\r\nK2\t1 2 3 4 5 6\r\n"),
      "p.txt", false);
  ASSERT_TRUE(s.ok) << s.error;
  ASSERT_EQ(s.space.size(), 2u);
  EXPECT_EQ(s.space[0].name, "K1");
  EXPECT_EQ(s.space[0].Zn, 3288121.3280);
  EXPECT_EQ(s.space[1].X, 1);
  const CommonPointFileResult g =
      ParseCommonPointText("K1 31.1423 121.3030 12.5 -31.1424 121.303015 13.1\n", "g.txt", true);
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(g.geodetic[0].B, Dms2Rad(31.1423));
  EXPECT_EQ(g.geodetic[0].Bn, -Dms2Rad(31.1424));
  EXPECT_EQ(g.geodetic[0].Hn, 13.1);
  for (const auto& [text, geodetic, message] : std::vector<std::tuple<std::string, bool, std::string>>{
           {"K1 1 2 3 4 5\n", false, "p:1: 公共点行应为: 点名 X Y Z X' Y' Z'!"},
           {"\nK1 1 2 3 4 5 x\n", false, "p:2: 空间坐标错!"},
           {"K1 91 2 3 4 5 6\n", true, "p:1: 纬度错!"},
           {"K1 30 2.6000 3 4 5 6\n", true, "p:1: 经度错!"},
           {"K1 30 2 3 4 5 h\n", true, "p:1: 大地高错!"},
           {"K1 30 2 3\n", true, "p:1: 公共点行应为: 点名 B L H B' L' H'!"},
       }) {
    SCOPED_TRACE(text);
    const CommonPointFileResult r = ParseCommonPointText(text, "p", geodetic);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, message);
  }
}

}  // namespace
}  // namespace vantrel::batch
