#pragma once
// A plane control network on a jittered side × side grid (~500 m spacing): every point
// observes a direction set to its neighbours within 1.2 km, every such pair a distance;
// Gaussian noise of the observations' own σ (1″, 2 mm + 2 ppm) unless noise is false.
// The corners and every `knownEvery`-th point of the edge are known; no approximate
// coordinates are given.
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "adjustment/plane_network.h"

namespace vantrel::test {

struct PlaneGrid {
  adjustment::PlaneNetwork network;
  adjustment::PlaneOptions options;
  std::vector<double> trueX, trueY;
};

inline PlaneGrid MakePlaneGrid(int side, unsigned seed, bool noise, int knownEvery = 4) {
  using adjustment::ObservationKind;
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> jitter(-120.0, 120.0), turn(0, 2 * std::numbers::pi);
  std::normal_distribution<double> gauss(0.0, 1.0);
  PlaneGrid grid;
  const adjustment::PlaneOptions& o = grid.options;
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c) {
      adjustment::PlanePoint p;
      p.name = "G" + std::to_string(r) + "_" + std::to_string(c);
      grid.trueX.push_back(3'500'000.0 + 500.0 * r + jitter(random));
      grid.trueY.push_back(500'000.0 + 500.0 * c + jitter(random));
      const bool edge = r == 0 || c == 0 || r == side - 1 || c == side - 1;
      const bool corner = (r == 0 || r == side - 1) && (c == 0 || c == side - 1);
      if (corner || (edge && (r + c) % knownEvery == 0)) {
        p.knownX = grid.trueX.back();
        p.knownY = grid.trueY.back();
      }
      grid.network.points.push_back(p);
    }
  }
  auto at = [&](int r, int c) { return r * side + c; };
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c) {
      const int a = at(r, c);
      const double zero = turn(random);  // where the circle's zero happens to point
      for (int dr = -3; dr <= 3; ++dr) {
        for (int dc = -3; dc <= 3; ++dc) {
          const int rr = r + dr, cc = c + dc;
          if ((dr == 0 && dc == 0) || rr < 0 || cc < 0 || rr >= side || cc >= side) continue;
          const int b = at(rr, cc);
          const double dx = grid.trueX[b] - grid.trueX[a], dy = grid.trueY[b] - grid.trueY[a];
          const double s = std::hypot(dx, dy);
          if (s > 1200.0) continue;
          adjustment::PlaneObservation d;
          d.station = grid.network.points[a].name;
          d.target = grid.network.points[b].name;
          d.set = a;
          d.kind = ObservationKind::Direction;
          d.value = std::remainder(std::atan2(dy, dx) - zero + (noise ? o.directionSigma * gauss(random) : 0.0),
                                   2 * std::numbers::pi);
          if (d.value < 0) d.value += 2 * std::numbers::pi;
          grid.network.observations.push_back(d);
          if (b < a) continue;
          d.kind = ObservationKind::Distance;
          d.set = 0;
          d.value = s + (noise ? (o.distanceSigmaA + o.distanceSigmaB * s) * gauss(random) : 0.0);
          grid.network.observations.push_back(d);
        }
      }
    }
  }
  return grid;
}

}  // namespace vantrel::test
