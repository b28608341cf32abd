// Levelling network adjustment: generated grids whose truth is known, a textbook example,
// the statistics behind the tests, and the networks that cannot be adjusted.
#include "adjustment/levelling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include <Eigen/Dense>

#include "adjustment/statistics.h"
#include "tests/support/levelling_grid.h"

namespace vantrel::adjustment {
namespace {

using test::MakeLevellingGrid;

TEST(Levelling, ExactObservationsGiveTheTrueHeights) {
  for (int side : {2, 3, 10}) {
    const auto grid = MakeLevellingGrid(side, 7u + side, false);
    const LevellingResult r = AdjustLevelling(grid.points, grid.lines);
    ASSERT_TRUE(r.ok) << r.error;
    for (std::size_t i = 0; i < grid.points.size(); ++i)
      EXPECT_NEAR(r.points[i].height, grid.trueHeights[i], 1e-9) << grid.points[i].name;
    for (const auto& line : r.lines) EXPECT_NEAR(line.residual, 0, 1e-9);
  }
}

// Over 400 noisy 10 × 10 grids (84 degrees of freedom each) the mean of σ0² estimates the σ0²
// put in with a standard error of 0.8 %; 4 % is five of them. The heights' true errors,
// divided by their a-priori σ, have mean square 1; the global test passes about 95 % of runs.
TEST(Levelling, NoiseAgreesWithThePrecisionsStated) {
  const int runs = 400;
  double sigma0Squared = 0, errorSquared = 0;
  int errors = 0, passed = 0;
  LevellingOptions options;
  options.scaleByAPosteriori = false;
  for (int seed = 0; seed < runs; ++seed) {
    const auto grid = MakeLevellingGrid(10, 1000u + seed, true);
    const LevellingResult r = AdjustLevelling(grid.points, grid.lines, options);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.degreesOfFreedom, 84);
    sigma0Squared += r.sigma0 * r.sigma0;
    passed += r.globalTestPassed;
    for (std::size_t i = 0; i < grid.points.size(); ++i) {
      if (!r.points[i].unknown) continue;
      const double e = (r.points[i].height - grid.trueHeights[i]) / r.points[i].sigma;
      errorSquared += e * e;
      ++errors;
    }
  }
  EXPECT_NEAR(sigma0Squared / runs / (0.001 * 0.001), 1.0, 0.04);
  EXPECT_NEAR(errorSquared / errors, 1.0, 0.05);
  EXPECT_NEAR(passed / double(runs), 0.95, 0.04);
}

TEST(Levelling, DataSnoopingNamesTheBlunder) {
  for (int k : {0, 17, 55, 101, 170}) {
    auto grid = MakeLevellingGrid(10, 300u + k, true);
    LevelLine& line = grid.lines[k];
    line.dh += 10 * line.sigma * std::sqrt(line.amount);
    const LevellingResult r = AdjustLevelling(grid.points, grid.lines);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.suspectLine, k);
    EXPECT_GT(std::fabs(r.lines[k].standardized), kDataSnoopingCritical);
  }
  const auto clean = MakeLevellingGrid(10, 300u, true);
  EXPECT_EQ(AdjustLevelling(clean.points, clean.lines).suspectLine, -1);
}

// All points chosen: the solution and cofactors are those of the pseudo-inverse of N, worked
// out densely here; chosen corners: their mean height is kept.
TEST(Levelling, FreeNetworkKeepsTheChosenPointsMean) {
  auto grid = MakeLevellingGrid(6, 42u, true);
  LevellingOptions options;
  options.datum = Datum::Free;
  LevellingResult r = AdjustLevelling(grid.points, grid.lines, options);
  ASSERT_TRUE(r.ok) << r.error;
  const int n = static_cast<int>(grid.points.size());
  Eigen::MatrixXd a = Eigen::MatrixXd::Zero(grid.lines.size(), n);
  Eigen::VectorXd l(grid.lines.size()), p(grid.lines.size());
  for (std::size_t k = 0; k < grid.lines.size(); ++k) {
    const auto& line = grid.lines[k];
    const auto at = [&](const std::string& name) {
      return int(std::find_if(grid.points.begin(), grid.points.end(),
                              [&](const LevelPoint& q) { return q.name == name; }) -
                 grid.points.begin());
    };
    a(k, at(line.from)) = -1;
    a(k, at(line.to)) = 1;
    l[k] = line.dh;
    p[k] = 1 / (line.amount);
  }
  const Eigen::MatrixXd normal = a.transpose() * p.asDiagonal() * a;
  const Eigen::MatrixXd q = normal.completeOrthogonalDecomposition().pseudoInverse();
  const Eigen::VectorXd x = q * a.transpose() * p.asDiagonal() * l;
  double heights = 0;
  for (int i = 0; i < n; ++i) {
    heights += r.points[i].height;
    EXPECT_NEAR(r.points[i].height - r.points[0].height, x[i] - x[0], 1e-9);
    EXPECT_NEAR(r.points[i].sigma, r.sigma0 * std::sqrt(q(i, i)), 1e-9);  // p = 1 / km
  }
  // The datum point's approximate height is its known height, the others follow the lines.
  EXPECT_NEAR(heights / n - r.points[0].height, -x[0] + x.mean(), 1e-9);

  options.datumPoints = {"P0_0", "P0_5", "P5_0", "P5_5"};
  r = AdjustLevelling(grid.points, grid.lines, options);
  ASSERT_TRUE(r.ok) << r.error;
  double kept = 0, known = 0;
  for (int i = 0; i < n; ++i) {
    if (!grid.points[i].knownHeight) continue;
    kept += r.points[i].height;
    known += *grid.points[i].knownHeight;
  }
  EXPECT_NEAR(kept, known, 1e-9);
}

// A known height with a σ acts as a line of that σ from a fixed point at that height.
TEST(Levelling, WeightedKnownHeightIsALineFromAFixedPoint) {
  std::vector<LevelPoint> weighted = {
      {"BM1", 10.000, 0}, {"BM2", 12.004, 0.002}, {"N1", {}, 0}, {"N2", {}, 0}};
  std::vector<LevelLine> lines = {{"BM1", "N1", 0.8012, 8, LineWeight::BySetups, 0.0005},
                                  {"N1", "N2", 0.6021, 6, LineWeight::BySetups, 0.0005},
                                  {"N2", "BM2", 0.5990, 9, LineWeight::BySetups, 0.0005},
                                  {"BM1", "N2", 1.4055, 12, LineWeight::BySetups, 0.0005}};
  std::vector<LevelPoint> fixed = weighted;
  fixed[1] = {"BM2", {}, 0};
  fixed.push_back({"F", 12.004, 0});
  std::vector<LevelLine> withLine = lines;
  withLine.push_back({"F", "BM2", 0.0, 1, LineWeight::BySetups, 0.002});
  const LevellingResult a = AdjustLevelling(weighted, lines);
  const LevellingResult b = AdjustLevelling(fixed, withLine);
  ASSERT_TRUE(a.ok && b.ok) << a.error << b.error;
  EXPECT_EQ(a.degreesOfFreedom, b.degreesOfFreedom);
  EXPECT_NEAR(a.sigma0, b.sigma0, 1e-12);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(a.points[i].height, b.points[i].height, 1e-12);
    EXPECT_NEAR(a.points[i].sigma, b.points[i].sigma, 1e-12);
  }
  EXPECT_NE(a.points[1].height, 12.004);
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(a.lines[k].redundancy, b.lines[k].redundancy, 1e-12);
}

// 《误差理论与测量平差基础》 9.7 "水准网按间接平差算例" as reproduced at
// https://m.wenke99.com/p-3056330.html: six lines among A, B, C, D, weights p = 10 / S (S in km),
// D taken as height 0. Published: H_A 0.0769, H_B 0.0999, H_C 1.2162 m, σ0 = 3.4 mm,
// σ of each height 1.2 mm, adjusted h2 = 1.1163, h3 = 1.1393 m.
TEST(Levelling, TextbookNetwork) {
  std::vector<LevelPoint> points = {{"A", {}, 0}, {"B", {}, 0}, {"C", {}, 0}, {"D", 0.0, 0}};
  const double sigmaPerKm = 0.001 / std::sqrt(10.0);  // unit weight: a 10 km line
  std::vector<LevelLine> lines = {
      {"A", "B", 0.023, 5, LineWeight::ByLength, sigmaPerKm},
      {"B", "C", 1.114, 5, LineWeight::ByLength, sigmaPerKm},
      {"A", "C", 1.142, 5, LineWeight::ByLength, sigmaPerKm},
      {"D", "A", 0.078, 2, LineWeight::ByLength, sigmaPerKm},
      {"D", "B", 0.099, 2, LineWeight::ByLength, sigmaPerKm},
      {"D", "C", 1.216, 2, LineWeight::ByLength, sigmaPerKm}};
  const LevellingResult r = AdjustLevelling(points, lines);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.degreesOfFreedom, 3);
  const double heights[] = {0.0769, 0.0999, 1.2162};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(r.points[i].height, heights[i], 0.00005);
    EXPECT_NEAR(r.points[i].sigma, 0.0012, 0.00005);
  }
  EXPECT_NEAR(r.sigma0, 0.0034, 0.00005);
  EXPECT_NEAR(r.lines[1].dh, 1.1163, 0.00005);
  EXPECT_NEAR(r.lines[2].dh, 1.1393, 0.00005);
  double redundancy = 0;
  for (const auto& line : r.lines) redundancy += line.redundancy;
  EXPECT_NEAR(redundancy, 3.0, 1e-12);  // the redundancy numbers add up to f
}

// Quantiles from the NIST/SEMATECH e-Handbook of Statistical Methods, table 1.3.6.7.4
// (three decimals), and ν = 2, where the quantile is -2 ln(1 - p) exactly.
TEST(Levelling, ChiSquareQuantiles) {
  const struct { double p; int dof; double x; } table[] = {
      {0.95, 1, 3.841},   {0.975, 1, 5.024},   {0.95, 10, 18.307}, {0.975, 10, 20.483},
      {0.025, 10, 3.247}, {0.95, 30, 43.773},  {0.975, 100, 129.561},
      {0.025, 100, 74.222}, {0.05, 3, 0.352}};
  for (const auto& t : table) EXPECT_NEAR(ChiSquareQuantile(t.p, t.dof), t.x, 0.0005) << t.dof;
  for (double p : {0.001, 0.025, 0.5, 0.975, 0.999})
    EXPECT_NEAR(ChiSquareQuantile(p, 2), -2 * std::log1p(-p), 1e-11);
}

TEST(Levelling, NetworksThatCannotBeAdjustedSayWhy) {
  const std::vector<LevelPoint> base = {{"BM1", 10.0, 0}, {"N1", {}, 0}, {"N2", {}, 0}};
  const std::vector<LevelLine> triangle = {
      {"BM1", "N1", 1.0, 1}, {"N1", "N2", 1.0, 1}, {"N2", "BM1", -2.0, 1}};
  struct Case {
    const char* what;
    std::vector<LevelPoint> points;
    std::vector<LevelLine> lines;
    Datum datum;
    const char* message;
  };
  auto with = [&](std::vector<LevelPoint> p, LevelPoint extra) {
    p.push_back(extra);
    return p;
  };
  auto plus = [&](std::vector<LevelLine> l, LevelLine extra) {
    l.push_back(extra);
    return l;
  };
  const Case cases[] = {
      {"unknown name", base, plus(triangle, {"N2", "N9", 1.0, 1}), Datum::Fixed,
       "第 4 条水准路线的点名未知：N9"},
      {"line to itself", base, plus(triangle, {"N1", "N1", 0.0, 1}), Datum::Fixed,
       "第 4 条水准路线从 N1 到 N1：观测不能从一个点到它自己"},
      {"dh not finite", base, plus(triangle, {"N1", "N2", std::nan(""), 1}), Datum::Fixed,
       "第 4 条水准路线的高差不是有限数"},
      {"no line", with(base, {"N3", {}, 0}), triangle, Datum::Fixed,
       "点 N3 没有任何水准路线到达，高程无法确定"},
      {"cut off", with(with(base, {"N3", {}, 0}), {"N4", {}, 0}),
       plus(plus(triangle, {"N3", "N4", 1.0, 1}), {"N4", "N3", -1.0, 1}), Datum::Fixed,
       "点 N3 与已知高程点之间没有水准路线相连，高程无法确定"},
      {"no redundancy", base, {triangle[0], triangle[1]}, Datum::Fixed,
       "没有多余观测（自由度为 0），无法平差和评定精度"},
      {"no known point", {{"N0", {}, 0}, base[1], base[2]},
       {{"N0", "N1", 1.0, 1}, triangle[1], {"N2", "N0", -2.0, 1}}, Datum::Fixed,
       "已知高程点不足：固定基准的平差至少需要一个已知高程点（或改用自由网平差）"},
  };
  for (const Case& c : cases) {
    LevellingOptions options;
    options.datum = c.datum;
    const LevellingResult r = AdjustLevelling(c.points, c.lines, options);
    EXPECT_FALSE(r.ok) << c.what;
    EXPECT_EQ(r.error, c.message) << c.what;
  }
}

}  // namespace
}  // namespace vantrel::adjustment
