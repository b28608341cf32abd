#pragma once
// Common points for the height fitting: a jittered grid of Gauss coordinates round a centre,
// with GNSS heights made from a normal height and an anomaly surface the test chooses.
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "adjustment/height_fit.h"

namespace vantrel::test {

// n×n points on a grid `spacing` metres apart round (x0, y0), each moved at random by up to
// a quarter of the spacing; ζ from `surface` plus normal noise of `sigma`, every `checkEvery`th
// point (0: none) a check point.
inline std::vector<adjustment::HeightPoint> HeightGrid(int n, double spacing, double x0, double y0,
                                                       const std::function<double(double, double)>& surface,
                                                       unsigned seed, double sigma = 0, int checkEvery = 0) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> jitter(-0.25 * spacing, 0.25 * spacing), level(20, 500);
  std::normal_distribution<double> noise(0, sigma > 0 ? sigma : 1);
  std::vector<adjustment::HeightPoint> pts;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const double x = x0 + (i - (n - 1) / 2.0) * spacing + jitter(rng);
      const double y = y0 + (j - (n - 1) / 2.0) * spacing + jitter(rng);
      const double h = level(rng);
      const double e = sigma > 0 ? noise(rng) : 0;
      const int k = static_cast<int>(pts.size());
      pts.push_back({"P" + std::to_string(k + 1), x, y, h + surface(x, y) + e, h,
                     checkEvery > 0 && k % checkEvery == checkEvery - 1});
    }
  return pts;
}

}  // namespace vantrel::test
