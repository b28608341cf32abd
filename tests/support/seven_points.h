#pragma once
// Common points for the seven-parameter estimation: parameter sets to recover, and old
// points spread around a centre with their new coordinates by the exact transformation.
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "adjustment/seven_estimation.h"
#include "geodetic/ellipsoids.h"
#include "geodetic/seven_parameter.h"

namespace vantrel::test {

inline constexpr double kDeg = std::numbers::pi / 180;

inline const std::vector<SevenParameters> kParameterSets = {
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

// Old points on the 1954 ellipsoid spread around a centre; new ones by the transformation.
inline std::vector<adjustment::CommonSpacePoint> MakePoints(const Geometry& g,
                                                            const SevenParameters& p,
                                                            unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uni(-1, 1);
  std::vector<adjustment::CommonSpacePoint> pts;
  const double spread = g.radiusKm * 1000 / 6.371e6 / kDeg;
  for (int i = 0; i < g.n; ++i) {
    adjustment::CommonSpacePoint c;
    c.name = "G" + std::to_string(i + 1);
    const double B = (g.lat + spread * uni(rng)) * kDeg, L = (g.lon + spread * uni(rng)) * kDeg;
    BLHXYZ(B, L, 250 + 250 * uni(rng), c.X, c.Y, c.Z, kEllipsoid54);
    SevenParameterTransform(p, c.X, c.Y, c.Z, c.Xn, c.Yn, c.Zn);
    pts.push_back(c);
  }
  return pts;
}

}  // namespace vantrel::test
