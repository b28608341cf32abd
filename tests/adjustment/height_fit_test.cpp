#include "adjustment/height_fit.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>

#include "tests/support/height_points.h"

namespace vantrel::adjustment {
namespace {

using test::HeightGrid;
constexpr double kX0 = 3012345.678, kY0 = 512345.678;  // a Gauss area 3·10⁶ m north

// A polynomial in metres from an origin of its own, not the centroid the fit reduces to.
double Poly(const double* c, int terms, double x, double y) {
  const double dx = x - 3.0e6, dy = y - 5.0e5;
  double z = c[0];
  if (terms > 1) z += c[1] * dx + c[2] * dy;
  if (terms > 3) z += c[3] * dx * dx + c[4] * dx * dy + c[5] * dy * dy;
  return z;
}

// A radial surface in metres in the model's own form: a node at each point, weights that
// the trend's conditions hold for, the plane trend.
struct RadialSurface {
  HeightModel model;
  double c;
  std::vector<double> nx, ny, lambda;
  double operator()(double x, double y) const {
    double z = 25.0 + 2e-5 * (x - kX0) - 3e-5 * (y - kY0);
    for (std::size_t j = 0; j < nx.size(); ++j) {
      const double r2 = (x - nx[j]) * (x - nx[j]) + (y - ny[j]) * (y - ny[j]);
      z += lambda[j] * (model == HeightModel::Multiquadric ? std::sqrt(r2 + c * c) : (r2 > 0 ? 0.5 * r2 * std::log(r2) : 0));
    }
    return z;
  }
};

RadialSurface MakeRadial(HeightModel model, double c, const std::vector<HeightPoint>& pts, unsigned seed) {
  RadialSurface s{model, c, {}, {}, {}};
  const auto n = static_cast<Eigen::Index>(pts.size());
  Eigen::MatrixXd P(n, 3);
  Eigen::VectorXd l(n);
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> g(0, model == HeightModel::Multiquadric ? 1e-4 : 1e-9);
  for (Eigen::Index i = 0; i < n; ++i) {
    const auto& p = pts[static_cast<std::size_t>(i)];
    P.row(i) << 1, p.x - kX0, p.y - kY0;
    l(i) = g(rng);
    s.nx.push_back(p.x), s.ny.push_back(p.y);
  }
  l -= P * (P.transpose() * P).ldlt().solve(P.transpose() * l);  // Σλ = Σλx = Σλy = 0
  s.lambda.assign(l.data(), l.data() + n);
  return s;
}

// Points in the interior of the fitting area, to compare surfaces between the nodes.
std::vector<std::array<double, 2>> Inside(const HeightFit& f, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> d(-2000, 2000);
  std::vector<std::array<double, 2>> at;
  while (at.size() < 40) {
    const double x = kX0 + d(rng), y = kY0 + d(rng);
    if (!f.Extrapolated(x, y)) at.push_back({x, y});
  }
  return at;
}

TEST(HeightFit, ExactSurfacesOfEachModelAreRecovered) {
  const double coef[] = {28.4, 3.1e-5, -1.7e-5, 2.3e-10, -1.1e-10, 0.7e-10};
  const struct {
    HeightModel model;
    int terms;
  } polys[] = {{HeightModel::Constant, 1}, {HeightModel::Plane, 3}, {HeightModel::Quadratic, 6}};
  for (unsigned seed = 1; seed <= 3; ++seed) {
    for (const auto& m : polys) {
      auto surface = [&](double x, double y) { return Poly(coef, m.terms, x, y); };
      const auto pts = HeightGrid(5, 1500, kX0, kY0, surface, seed, 0, 4);
      const HeightFit f = FitHeightAnomaly(pts, {m.model});
      ASSERT_TRUE(f.ok) << f.error;
      EXPECT_EQ(f.unknowns, m.terms);
      for (const HeightFitPoint& p : f.points) EXPECT_NEAR(p.v, 0, 1e-9) << p.name;
      for (const auto& q : Inside(f, seed)) EXPECT_NEAR(f.Evaluate(q[0], q[1]), surface(q[0], q[1]), 1e-9);
      EXPECT_LT(f.sigmaInternal, 1e-9);
      EXPECT_LT(f.sigmaExternal, 1e-9);
    }
    for (HeightModel model : {HeightModel::Multiquadric, HeightModel::ThinPlate}) {
      const auto nodes = HeightGrid(5, 1500, kX0, kY0, [](double, double) { return 0.0; }, seed);
      const RadialSurface s = MakeRadial(model, 900, nodes, seed);
      auto pts = nodes;
      for (auto& p : pts) p.H = p.h + s(p.x, p.y);
      const HeightFit f = FitHeightAnomaly(pts, {model, 900});
      ASSERT_TRUE(f.ok) << f.error;
      EXPECT_EQ(f.unknowns, 25 + 3);
      EXPECT_TRUE(std::isnan(f.sigmaInternal));  // an interpolant has nothing left over
      for (const auto& q : Inside(f, seed)) EXPECT_NEAR(f.Evaluate(q[0], q[1]), s(q[0], q[1]), 1e-9);
    }
  }
}

// With noise of a known σ, σ² from the residuals is unbiased: its mean over many seeds is σ²
// within a few of its standard errors (√(2/(n−u)/seeds)), whatever the model.
TEST(HeightFit, InternalAccuracyMatchesTheNoise) {
  const double sigma = 0.015;
  const int seeds = 150;
  for (HeightModel model : {HeightModel::Constant, HeightModel::Plane, HeightModel::Quadratic}) {
    double internal = 0, external = 0, loo = 0;
    int redundancy = 0;
    for (int s = 0; s < seeds; ++s) {
      // A surface the model can hold, noise aside.
      const double slope = model == HeightModel::Constant ? 0 : 1e-5, bend = model == HeightModel::Quadratic ? 2e-10 : 0;
      const auto pts = HeightGrid(6, 1200, kX0, kY0, [&](double x, double y) { return 12 + slope * (x - kX0) + bend * (y - kY0) * (y - kY0); },
                                  static_cast<unsigned>(100 + s), sigma, 5);
      const HeightFit f = FitHeightAnomaly(pts, {model});
      ASSERT_TRUE(f.ok) << f.error;
      internal += f.sigmaInternal * f.sigmaInternal;
      external += f.sigmaExternal * f.sigmaExternal;
      loo += f.sigmaLeaveOneOut * f.sigmaLeaveOneOut;
      redundancy = f.fitting - f.unknowns;
    }
    const double ratio = internal / seeds / (sigma * sigma);
    EXPECT_NEAR(ratio, 1, 4 * std::sqrt(2.0 / redundancy / seeds)) << static_cast<int>(model);
    // Predictions carry the parameters' error too: a little above σ², never below it by much.
    EXPECT_GT(external / seeds / (sigma * sigma), 0.85);
    EXPECT_LT(external / seeds / (sigma * sigma), 1.6);
    EXPECT_GT(loo / seeds, internal / seeds);
  }
}

// The leave-one-out σ from the hat matrix or Rippa's formula is what refitting without each
// point in turn (marked as a check point) gives.
TEST(HeightFit, LeaveOneOutAgreesWithRefitting) {
  for (HeightModel model : {HeightModel::Plane, HeightModel::Quadratic, HeightModel::Multiquadric, HeightModel::ThinPlate}) {
    const auto pts = HeightGrid(4, 1000, kX0, kY0, [](double x, double y) { return 20 + 1e-5 * (x - kX0) + 3e-9 * (y - kY0) * (x - kX0) / 1e3; }, 7, 0.01);
    const HeightFit f = FitHeightAnomaly(pts, {model});
    ASSERT_TRUE(f.ok) << f.error;
    double sum = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      auto left = pts;
      left[i].check = true;
      HeightFitOptions o{model};
      o.shape = f.shape;  // the rule would give another c without the point
      const HeightFit g = FitHeightAnomaly(left, o);
      ASSERT_TRUE(g.ok) << g.error;
      sum += g.points[i].v * g.points[i].v;
    }
    EXPECT_NEAR(f.sigmaLeaveOneOut, std::sqrt(sum / static_cast<double>(pts.size())), 1e-9) << static_cast<int>(model);
  }
}

// Gauss coordinates of 3·10⁶ m north and 3.85·10⁷ m east (zone number in front): the same
// exact quadratic surface is recovered with the reduction; without it the columns of the
// design matrix agree to so many digits that the fit is refused as degenerate or wrong.
TEST(HeightFit, CentroidReductionKeepsGaussCoordinatesExact) {
  const double coef[] = {28.4, 3.1e-5, -1.7e-5, 2.3e-10, -1.1e-10, 0.7e-10};
  for (double y0 : {kY0, 38512345.678}) {
    auto surface = [&](double x, double y) { return Poly(coef, 6, x, y - (y0 - kY0)); };
    const auto pts = HeightGrid(5, 1500, kX0, y0, surface, 11);
    double worst[2] = {0, 0};
    bool ok[2] = {false, false};
    for (bool reduce : {true, false}) {
      HeightFitOptions o{HeightModel::Quadratic};
      o.reduce = reduce;
      const HeightFit f = FitHeightAnomaly(pts, o);
      ok[reduce] = f.ok;
      for (const HeightFitPoint& p : f.points) worst[reduce] = std::max(worst[reduce], std::fabs(p.v));
    }
    ASSERT_TRUE(ok[1]);
    EXPECT_LT(worst[1], 1e-9) << y0;
    EXPECT_TRUE(!ok[0] || worst[0] > 1e-6) << y0 << " " << worst[0];
  }
}

TEST(HeightFit, RefusesWhatThePointsCannotCarry) {
  auto at = [](std::vector<std::pair<double, double>> xy) {
    std::vector<HeightPoint> pts;
    for (auto [x, y] : xy) pts.push_back({"", kX0 + x, kY0 + y, 30 + x * 1e-4, 0});
    return pts;
  };
  const auto line = at({{0, 0}, {100, 200}, {200, 400}, {300, 600}, {400, 800}, {500, 1000}, {600, 1200}});
  const auto same = at({{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}});
  std::vector<std::pair<double, double>> ring;
  for (int k = 0; k < 8; ++k) ring.push_back({1000 * std::cos(k * 0.785398), 1000 * std::sin(k * 0.785398)});
  const auto circle = at(ring);
  auto twins = at({{0, 0}, {1000, 0}, {0, 1000}, {1000, 1000}, {1000, 1000}});
  const struct {
    HeightModel model;
    std::vector<HeightPoint> pts;
    const char* says;  // "" accepted
  } cases[] = {
      {HeightModel::Constant, at({{0, 0}}), ""},
      {HeightModel::Constant, line, ""},
      {HeightModel::Constant, {}, "至少要 1 个拟合点"},
      {HeightModel::Plane, at({{0, 0}, {1, 0}}), "平面拟合至少要 3 个拟合点 (检核点不算), 只有 2 个"},
      {HeightModel::Plane, line, "在一条直线上"},
      {HeightModel::Plane, same, "都在同一位置"},
      {HeightModel::Quadratic, at({{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 3}}), "至少要 6 个"},
      {HeightModel::Quadratic, circle, "一个圆或两条直线"},
      {HeightModel::Multiquadric, at({{0, 0}, {1, 0}, {0, 1}}), "至少要 4 个"},
      {HeightModel::ThinPlate, line, "在一条直线上"},
      {HeightModel::ThinPlate, twins, "重合的位置"},
  };
  for (const auto& c : cases) {
    const HeightFit f = FitHeightAnomaly(c.pts, {c.model});
    EXPECT_EQ(f.ok, *c.says == 0) << f.error;
    EXPECT_NE(f.error.find(c.says), std::string::npos) << f.error;
    EXPECT_TRUE(std::isnan(f.Evaluate(kX0, kY0)) != f.ok);
  }
  // Check points do not count towards the minimum.
  auto three = at({{0, 0}, {1, 0}, {0, 1}});
  three[2].check = true;
  EXPECT_FALSE(FitHeightAnomaly(three, {HeightModel::Plane}).ok);
}

TEST(HeightFit, ExtrapolationIsOutsideTheHullOfTheFittingPoints) {
  std::vector<HeightPoint> pts;
  for (auto [x, y] : {std::pair{0.0, 0.0}, {1000.0, 0.0}, {1000.0, 1000.0}, {0.0, 1000.0}, {500.0, 500.0}, {5000.0, 5000.0}})
    pts.push_back({"", kX0 + x, kY0 + y, 30, 0, x > 2000});  // the far one only checks
  const HeightFit f = FitHeightAnomaly(pts, {HeightModel::Plane});
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.hullX.size(), 4u);
  // Hardy's c: 0.815 × the mean nearest-neighbour distance of the fitting points, here all √(500² + 500²).
  EXPECT_NEAR(FitHeightAnomaly(pts, {HeightModel::Multiquadric}).shape, 0.815 * std::sqrt(5e5), 1e-9);
  const struct {
    double x, y;
    bool outside;
  } cases[] = {{500, 500, false}, {0, 0, false}, {1000, 400, false}, {999.999, 999.999, false}, {1000.001, 500, true},
               {-0.001, 0, true}, {500, 1000.01, true}, {5000, 5000, true}, {-300, 1300, true}};
  for (const auto& c : cases) EXPECT_EQ(f.Extrapolated(kX0 + c.x, kY0 + c.y), c.outside) << c.x << " " << c.y;
  // A constant from points on a line: the line between its ends is inside, nothing else is.
  const HeightFit g = FitHeightAnomaly(std::vector<HeightPoint>{{"", kX0, kY0, 30, 0}, {"", kX0 + 100, kY0 + 100, 30, 0}},
                                       {HeightModel::Constant});
  ASSERT_TRUE(g.ok);
  EXPECT_FALSE(g.Extrapolated(kX0 + 50, kY0 + 50));
  EXPECT_TRUE(g.Extrapolated(kX0 + 50, kY0 + 51));
  EXPECT_TRUE(g.Extrapolated(kX0 + 101, kY0 + 101));
}

}  // namespace
}  // namespace vantrel::adjustment
