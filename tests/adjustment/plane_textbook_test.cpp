// Plane networks worked in adjustment textbooks: the adjusted coordinates, their standard
// deviations and σP to the digits printed, from the book's approximate coordinates and from
// the ones the adjustment computes; the adjusted observations agree with the adjusted points.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <string>

#include "adjustment/plane_network.h"
#include "tests/support/textbook_networks.h"

namespace vantrel::adjustment {
namespace {

using test::TextbookNetwork;
using test::TextbookNetworks;

constexpr double kTwoPi = 2 * std::numbers::pi;

// Half a unit of the printed digits: coordinates to 0.1 mm, σ to 0.01 mm (0.001 cm).
constexpr double kCoordinateTolerance = 0.00005;  // m
constexpr double kSigmaTolerance = 0.0005;         // cm

double Azimuth(const AdjustedPlanePoint& from, const AdjustedPlanePoint& to) {
  const double a = std::atan2(to.y - from.y, to.x - from.x);
  return a < 0 ? a + kTwoPi : a;
}

// The difference of two angles brought into (−π, π].
double AngleDifference(double a, double b) {
  return std::remainder(a - b, kTwoPi);
}

PlaneNetwork WithoutApproximations(PlaneNetwork network) {
  for (auto& p : network.points) p.approxX = p.approxY = std::nullopt;
  return network;
}

void ExpectPublished(const TextbookNetwork& book, const PlaneResult& r) {
  std::map<std::string, const AdjustedPlanePoint*> byName;
  for (const auto& p : r.points) byName[p.name] = &p;
  for (const auto& pub : book.published) {
    SCOPED_TRACE(pub.name);
    ASSERT_TRUE(byName.count(pub.name));
    const AdjustedPlanePoint& p = *byName[pub.name];
    EXPECT_TRUE(p.adjustedX && p.adjustedY);
    EXPECT_NEAR(p.y, pub.east, kCoordinateTolerance);
    EXPECT_NEAR(p.x, pub.north, kCoordinateTolerance);
    EXPECT_NEAR(p.sigmaY * 100, pub.sigmaEast, kSigmaTolerance);
    EXPECT_NEAR(p.sigmaX * 100, pub.sigmaNorth, kSigmaTolerance);
    EXPECT_NEAR(p.sigmaP * 100, pub.sigmaP, kSigmaTolerance);
    // The ellipse's semi-axes share σP and bracket σx and σy; along the major axis's
    // azimuth (from north, clockwise) the point's σ is the semi-major axis.
    const ErrorEllipse& e = p.ellipse;
    EXPECT_NEAR(e.major * e.major + e.minor * e.minor, p.sigmaP * p.sigmaP, 1e-12);
    const double c = std::cos(e.azimuth), s = std::sin(e.azimuth);
    EXPECT_NEAR(p.sigmaX * p.sigmaX * c * c + p.sigmaY * p.sigmaY * s * s + 2 * p.covarianceXY * s * c,
                e.major * e.major, 1e-12);
    EXPECT_GE(e.major + 1e-12, std::max(p.sigmaX, p.sigmaY));
    EXPECT_LE(e.minor, std::min(p.sigmaX, p.sigmaY) + 1e-12);
  }
}

// Every adjusted observation is what the adjusted points (and set orientations) give, and
// its residual is adjusted minus observed.
void ExpectObservationsFitThePoints(const PlaneNetwork& network, const PlaneResult& r) {
  std::map<std::string, const AdjustedPlanePoint*> at;
  for (const auto& p : r.points) at[p.name] = &p;
  std::map<int, double> orientation;
  for (std::size_t k = 0; k < r.sets.size(); ++k) orientation[r.sets[k]] = r.orientations[k];
  double redundancy = 0;
  for (std::size_t i = 0; i < network.observations.size(); ++i) {
    SCOPED_TRACE(i);
    const PlaneObservation& o = network.observations[i];
    const AdjustedObservation& a = r.observations[i];
    const AdjustedPlanePoint& s = *at[o.station];
    const AdjustedPlanePoint& t = *at[o.target];
    redundancy += a.redundancy;
    switch (o.kind) {
      case ObservationKind::Distance:
        EXPECT_NEAR(a.adjusted, std::hypot(t.x - s.x, t.y - s.y), 1e-7);
        EXPECT_NEAR(a.residual, a.adjusted - o.value, 1e-9);
        continue;
      case ObservationKind::Direction:
        ASSERT_TRUE(orientation.count(o.set));
        EXPECT_NEAR(AngleDifference(a.adjusted, Azimuth(s, t) - orientation[o.set]), 0, 1e-9);
        break;
      case ObservationKind::Angle:
        EXPECT_NEAR(AngleDifference(a.adjusted, Azimuth(s, *at[o.target2]) - Azimuth(s, t)), 0, 1e-9);
        break;
      case ObservationKind::Azimuth:
        EXPECT_NEAR(AngleDifference(a.adjusted, Azimuth(s, t)), 0, 1e-9);
        break;
    }
    EXPECT_NEAR(AngleDifference(a.residual, a.adjusted - o.value), 0, 1e-12);
    EXPECT_LT(std::fabs(a.residual), 1e-3);  // a few arc seconds, never a turn
  }
  EXPECT_NEAR(redundancy, r.degreesOfFreedom, 1e-9);
}

TEST(PlaneTextbook, PublishedCoordinatesAndStandardDeviations) {
  for (const TextbookNetwork& book : TextbookNetworks()) {
    SCOPED_TRACE(book.source);
    for (bool computedApproximations : {false, true}) {
      SCOPED_TRACE(computedApproximations ? "approximations computed" : "the book's approximations");
      const PlaneNetwork network =
          computedApproximations ? WithoutApproximations(book.network) : book.network;
      const PlaneResult r = AdjustPlaneNetwork(network);
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_EQ(r.degreesOfFreedom, book.degreesOfFreedom);
      ExpectPublished(book, r);
      ExpectObservationsFitThePoints(network, r);
    }
  }
}

// Scaled by the a-priori σ0 instead, every σ is the published one divided by the book's s0:
// the coordinates and σ0 do not change.
TEST(PlaneTextbook, APrioriScalingDividesByTheAPosterioriSigma0) {
  for (const TextbookNetwork& book : TextbookNetworks()) {
    SCOPED_TRACE(book.source);
    PlaneOptions options;
    const PlaneResult post = AdjustPlaneNetwork(book.network, options);
    options.scaleByAPosteriori = false;
    const PlaneResult prior = AdjustPlaneNetwork(book.network, options);
    ASSERT_TRUE(post.ok && prior.ok);
    EXPECT_NEAR(prior.sigma0, post.sigma0, 1e-12);
    for (std::size_t i = 0; i < post.points.size(); ++i) {
      EXPECT_NEAR(prior.points[i].x, post.points[i].x, 1e-9);
      EXPECT_NEAR(prior.points[i].sigmaX * post.sigma0, post.points[i].sigmaX, 1e-12);
      EXPECT_NEAR(prior.points[i].ellipse.major * post.sigma0, post.points[i].ellipse.major, 1e-12);
    }
  }
}

}  // namespace
}  // namespace vantrel::adjustment
