// Plane networks generated with known truth: exact observations must give the truth back,
// noisy ones a σ0 and error spread that match the noise, a blunder must be named, and a
// free network must keep its datum points' frame.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "adjustment/plane_network.h"
#include "tests/support/plane_grid.h"

namespace vantrel::adjustment {
namespace {

constexpr double kSecond = std::numbers::pi / 648000;

PlanePoint Point(const char* name, std::optional<double> x = {}, std::optional<double> y = {}) {
  PlanePoint p;
  p.name = name;
  p.knownX = x;
  p.knownY = y;
  return p;
}

TEST(PlaneNetwork, ExactObservationsGiveTheTrueCoordinatesBack) {
  for (int side : {3, 7}) {
    const auto grid = test::MakePlaneGrid(side, 11u + side, false);
    const PlaneResult result = AdjustPlaneNetwork(grid.network, grid.options);
    ASSERT_TRUE(result.ok) << result.error;
    for (std::size_t i = 0; i < grid.trueX.size(); ++i) {
      EXPECT_NEAR(result.points[i].x, grid.trueX[i], 1e-6) << result.points[i].name;
      EXPECT_NEAR(result.points[i].y, grid.trueY[i], 1e-6) << result.points[i].name;
    }
    for (const AdjustedObservation& o : result.observations) EXPECT_NEAR(o.residual, 0, 1e-8);
    EXPECT_EQ(result.suspectObservation, -1);
  }
}

// Over many seeds the a-posteriori σ0 averages 1 (the unit the noise was drawn in), the
// χ² test passes about 95 % of the time, and the coordinate errors scaled by their σ
// spread as a standard normal.
TEST(PlaneNetwork, SigmaZeroAndErrorsMatchTheNoise) {
  double sum = 0, squares = 0;
  int runs = 0, passed = 0, errors = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    auto grid = test::MakePlaneGrid(5, seed, true);
    grid.options.scaleByAPosteriori = false;
    const PlaneResult result = AdjustPlaneNetwork(grid.network, grid.options);
    ASSERT_TRUE(result.ok) << result.error;
    sum += result.sigma0 * result.sigma0;
    passed += result.globalTestPassed;
    ++runs;
    for (std::size_t i = 0; i < grid.trueX.size(); ++i) {
      const AdjustedPlanePoint& p = result.points[i];
      if (!p.adjustedX) continue;
      squares += std::pow((p.x - grid.trueX[i]) / p.sigmaX, 2) + std::pow((p.y - grid.trueY[i]) / p.sigmaY, 2);
      errors += 2;
    }
  }
  EXPECT_NEAR(sum / runs, 1.0, 0.1);
  EXPECT_GE(passed, 34);
  EXPECT_NEAR(squares / errors, 1.0, 0.15);
}

TEST(PlaneNetwork, DataSnoopingNamesABlunderOfTenSigma) {
  for (unsigned seed : {3u, 4u, 5u}) {
    auto grid = test::MakePlaneGrid(5, seed, true);
    // A direction and a distance in the middle of the network, in turn.
    for (ObservationKind kind : {ObservationKind::Direction, ObservationKind::Distance}) {
      auto network = grid.network;
      std::size_t k = network.observations.size() / 2;
      while (network.observations[k].kind != kind) ++k;
      PlaneObservation& o = network.observations[k];
      o.value += 10 * (kind == ObservationKind::Direction ? grid.options.directionSigma
                                                          : grid.options.distanceSigmaA + grid.options.distanceSigmaB * o.value);
      const PlaneResult result = AdjustPlaneNetwork(network, grid.options);
      ASSERT_TRUE(result.ok) << result.error;
      EXPECT_EQ(result.suspectObservation, static_cast<int>(k)) << seed;
      EXPECT_FALSE(result.globalTestPassed);
    }
  }
}

TEST(PlaneNetwork, FreeNetworkKeepsTheDatumPointsCentroidAndOrientation) {
  auto grid = test::MakePlaneGrid(4, 7u, true);
  // Approximations a few decimetres off the truth, in a frame turned by 20″.
  const double turn = 20 * kSecond;
  for (std::size_t i = 0; i < grid.network.points.size(); ++i) {
    PlanePoint& p = grid.network.points[i];
    p.knownX.reset();
    p.knownY.reset();
    const double x = grid.trueX[i] - grid.trueX[0], y = grid.trueY[i] - grid.trueY[0];
    p.approxX = x * std::cos(turn) - y * std::sin(turn) + 0.3 * std::sin(double(i));
    p.approxY = x * std::sin(turn) + y * std::cos(turn) + 0.3 * std::cos(double(i));
  }
  grid.options.datum = PlaneDatum::Free;
  for (std::vector<std::string> datum : {std::vector<std::string>{}, {"G0_0", "G0_3", "G3_3", "G2_1"}}) {
    grid.options.datumPoints = datum;
    const PlaneResult result = AdjustPlaneNetwork(grid.network, grid.options);
    ASSERT_TRUE(result.ok) << result.error;
    std::vector<int> chosen;
    for (std::size_t i = 0; i < grid.network.points.size(); ++i)
      if (datum.empty() || std::find(datum.begin(), datum.end(), grid.network.points[i].name) != datum.end())
        chosen.push_back(static_cast<int>(i));
    // Σ dx = Σ dy = 0 and Σ (x·dy − y·dx) = 0 about the centroid: no shift, no turn.
    double sx = 0, sy = 0, cx = 0, cy = 0, spin = 0;
    for (int i : chosen) cx += *grid.network.points[i].approxX, cy += *grid.network.points[i].approxY;
    cx /= chosen.size();
    cy /= chosen.size();
    for (int i : chosen) {
      const PlanePoint& p = grid.network.points[i];
      const double dx = result.points[i].x - *p.approxX, dy = result.points[i].y - *p.approxY;
      sx += dx;
      sy += dy;
      spin += (*p.approxX - cx) * dy - (*p.approxY - cy) * dx;
    }
    EXPECT_NEAR(sx, 0, 1e-7);
    EXPECT_NEAR(sy, 0, 1e-7);
    EXPECT_NEAR(spin, 0, 1e-4);
    // The shape is the truth's: every distance comes back within the noise.
    const double d01 = std::hypot(result.points[1].x - result.points[0].x, result.points[1].y - result.points[0].y);
    EXPECT_NEAR(d01, std::hypot(grid.trueX[1] - grid.trueX[0], grid.trueY[1] - grid.trueY[0]), 0.01);
  }
}

TEST(PlaneNetwork, ApproximationsFromIntersectionResectionAndDistancesAlone) {
  // A, B known; P by intersection (directions from A and B), Q by resection (its own
  // directions to A, B, P), R by two distances and a direction to decide the side.
  const double ax = 1000, ay = 1000, bx = 1000, by = 2000;
  const double px = 1800, py = 1500, qx = 1700, qy = 2600, rx = 300, ry = 1600;
  PlaneNetwork net;
  net.points = {Point("A", ax, ay), Point("B", bx, by), Point("P"), Point("Q"), Point("R")};
  auto az = [](double x0, double y0, double x1, double y1) {
    double a = std::atan2(y1 - y0, x1 - x0);
    return a < 0 ? a + 2 * std::numbers::pi : a;
  };
  auto dir = [&](const char* s, const char* t, double v, int set) {
    net.observations.push_back({ObservationKind::Direction, s, t, "", v, 0, set});
  };
  auto dist = [&](const char* s, const char* t, double v) {
    net.observations.push_back({ObservationKind::Distance, s, t, "", v, 0, 0});
  };
  dir("A", "B", az(ax, ay, bx, by), 1);
  dir("A", "P", az(ax, ay, px, py), 1);
  dir("B", "A", az(bx, by, ax, ay), 2);
  dir("B", "P", az(bx, by, px, py), 2);
  const double zq = 0.7;  // Q's circle is not oriented to north
  dir("Q", "A", az(qx, qy, ax, ay) - zq + 2 * std::numbers::pi, 3);
  dir("Q", "B", az(qx, qy, bx, by) - zq, 3);
  dir("Q", "P", az(qx, qy, px, py) - zq + 2 * std::numbers::pi, 3);
  dist("A", "R", std::hypot(rx - ax, ry - ay));
  dist("R", "B", std::hypot(rx - bx, ry - by));
  dir("A", "R", az(ax, ay, rx, ry), 1);
  dist("A", "P", std::hypot(px - ax, py - ay));
  const PlaneResult result = AdjustPlaneNetwork(net);
  ASSERT_TRUE(result.ok) << result.error;
  const double truth[][2] = {{px, py}, {qx, qy}, {rx, ry}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(result.points[2 + i].x, truth[i][0], 1e-6) << result.points[2 + i].name;
    EXPECT_NEAR(result.points[2 + i].y, truth[i][1], 1e-6) << result.points[2 + i].name;
  }
}

TEST(PlaneNetwork, NetworksThatCannotBeAdjustedSayWhy) {
  const auto grid = test::MakePlaneGrid(3, 5u, true);
  struct Case {
    const char* what;
    std::function<void(PlaneNetwork&, PlaneOptions&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"no known point", [](PlaneNetwork& n, PlaneOptions&) { for (auto& p : n.points) p.knownX.reset(), p.knownY.reset(); }, "已知点不足"},
      {"unknown name", [](PlaneNetwork& n, PlaneOptions&) { n.observations[0].target = "ZZ"; }, "点名未知：ZZ"},
      {"to itself", [](PlaneNetwork& n, PlaneOptions&) { n.observations[0].target = n.observations[0].station; }, "从 G0_0 到 G0_0"},
      {"unobserved point", [](PlaneNetwork& n, PlaneOptions&) { n.points.push_back(Point("LONE")); }, "点 LONE 没有任何观测"},
      {"not placed", [](PlaneNetwork& n, PlaneOptions&) {
         n.points.push_back(Point("FAR"));
         // Two distances place it on either side of G1_1–G1_2; nothing says which.
         n.observations.push_back({ObservationKind::Distance, "G1_1", "FAR", "", 300.0, 0, 0});
         n.observations.push_back({ObservationKind::Distance, "G1_2", "FAR", "", 400.0, 0, 0});
       }, "点 FAR 的近似坐标无法推算"},
      {"one sight only", [](PlaneNetwork& n, PlaneOptions&) {
         n.points.push_back(Point("SIDE"));
         n.observations.push_back({ObservationKind::Direction, "G1_1", "SIDE", "", 0.5, 0, 4});
       }, "点 SIDE 只有一个观测"},
      {"negative sigma", [](PlaneNetwork& n, PlaneOptions&) { n.observations[1].sigma = -1; }, "中误差必须是非负数"},
  };
  for (const Case& c : cases) {
    PlaneNetwork network = grid.network;
    PlaneOptions options = grid.options;
    c.change(network, options);
    const PlaneResult result = AdjustPlaneNetwork(network, options);
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_NE(result.error.find(c.message), std::string::npos) << c.what << ": " << result.error;
  }
}

}  // namespace
}  // namespace vantrel::adjustment
