#pragma once
// A levelling network on a side × side grid: true heights, one line to the right and one
// downwards from every point, observed with Gaussian noise of the line's own σ (none when
// noise is false). The corner points are known.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "adjustment/levelling.h"

namespace vantrel::test {

struct LevellingGrid {
  std::vector<adjustment::LevelPoint> points;
  std::vector<adjustment::LevelLine> lines;
  std::vector<double> trueHeights;
};

inline LevellingGrid MakeLevellingGrid(int side, unsigned seed, bool noise,
                                       double sigmaPerKm = 0.001) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> height(20.0, 80.0), length(0.4, 2.0);
  std::normal_distribution<double> gauss(0.0, 1.0);
  LevellingGrid grid;
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c) {
      adjustment::LevelPoint p;
      p.name = "P" + std::to_string(r) + "_" + std::to_string(c);
      grid.trueHeights.push_back(height(random));
      const bool corner = (r == 0 || r == side - 1) && (c == 0 || c == side - 1);
      if (corner) p.knownHeight = grid.trueHeights.back();
      grid.points.push_back(p);
    }
  }
  auto add = [&](int a, int b) {
    adjustment::LevelLine line;
    line.from = grid.points[a].name;
    line.to = grid.points[b].name;
    line.amount = length(random);
    line.sigma = sigmaPerKm;
    const double sigma = sigmaPerKm * std::sqrt(line.amount);
    line.dh = grid.trueHeights[b] - grid.trueHeights[a] + (noise ? sigma * gauss(random) : 0.0);
    grid.lines.push_back(line);
  };
  for (int r = 0; r < side; ++r) {
    for (int c = 0; c < side; ++c) {
      if (c + 1 < side) add(r * side + c, r * side + c + 1);
      if (r + 1 < side) add(r * side + c, (r + 1) * side + c);
    }
  }
  return grid;
}

}  // namespace vantrel::test
