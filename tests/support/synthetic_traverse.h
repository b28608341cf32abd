#pragma once
// Traverses made from known coordinates: the true points, and the angles and distances an
// error-free instrument would observe between them, worked out here with std::atan2 and the
// full-precision pi (not through the routines under test).
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "adjustment/traverse_adjustment.h"

namespace vantrel::test {

inline constexpr double kTruePi = std::numbers::pi;
inline constexpr double kSecondsPerRadian = 648000 / std::numbers::pi;

struct TruePoint {
  std::string name;
  double x, y;
};

inline double TrueAzimuth(const TruePoint& from, const TruePoint& to) {
  double a = std::atan2(to.y - from.y, to.x - from.x);
  return a < 0 ? a + 2 * kTruePi : a;
}

inline double TrueDistance(const TruePoint& a, const TruePoint& b) {
  return std::hypot(b.x - a.x, b.y - a.y);
}

// How the start (and, for a connecting traverse, the end) is oriented.
enum class Orientation { Points, Azimuths, FirstLeg };

struct SyntheticTraverse {
  adjustment::TraverseInput input;
  std::vector<TruePoint> stations;  // in travel order (a closed loop without the return)
  std::vector<double> trueAzimuth;  // of each leg
};

// A traverse of `legs` legs near typical Gauss coordinates, different for every seed.
// Closed loops go clockwise or anticlockwise by the seed; FirstLeg applies to closed ones.
inline SyntheticTraverse MakeTraverse(unsigned seed, adjustment::TraverseKind kind,
                                      adjustment::AngleSide side, int legs, Orientation orient) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uni(0, 1);
  const bool closed = kind == adjustment::TraverseKind::Closed;
  SyntheticTraverse t;
  const double x0 = 3.2e6 + 4e5 * uni(rng), y0 = 3.8e5 + 2.4e5 * uni(rng);
  std::vector<TruePoint>& st = t.stations;
  if (closed) {
    const int n = legs;
    const double radius = 150 + 40.0 * n * uni(rng) / 3 + 20.0 * n;
    const double turn = uni(rng) < 0.5 ? 1 : -1, phase = 2 * kTruePi * uni(rng);
    for (int i = 0; i < n; ++i) {
      const double a = phase + turn * 2 * kTruePi * (i + 0.3 * (uni(rng) - 0.5)) / n;
      const double r = radius * (0.85 + 0.3 * uni(rng));
      st.push_back({i == 0 ? "B" : "P" + std::to_string(i), x0 + r * std::cos(a), y0 + r * std::sin(a)});
    }
  } else {
    double heading = 2 * kTruePi * uni(rng), x = x0, y = y0;
    for (int i = 0; i <= legs; ++i) {
      st.push_back({i == 0 ? "B" : i == legs ? "C" : "P" + std::to_string(i), x, y});
      heading += (uni(rng) - 0.5) * 2.0;
      const double d = 80 + 320 * uni(rng);
      x += d * std::cos(heading);
      y += d * std::sin(heading);
    }
  }
  const int n = static_cast<int>(st.size());
  // Known neighbours: a back-sight behind B, a fore-sight beyond C.
  const double backDir = 2 * kTruePi * uni(rng);
  const TruePoint A{"A", st[0].x + 400 * std::cos(backDir), st[0].y + 400 * std::sin(backDir)};
  const double foreDir = 2 * kTruePi * uni(rng);
  const TruePoint D{"D", st[n - 1].x + 400 * std::cos(foreDir), st[n - 1].y + 400 * std::sin(foreDir)};

  auto angleAt = [&](const TruePoint& back, const TruePoint& here, const TruePoint& fore) {
    double left = std::fmod(TrueAzimuth(here, fore) - TrueAzimuth(here, back) + 4 * kTruePi,
                            2 * kTruePi);
    return side == adjustment::AngleSide::Left ? left : std::fmod(2 * kTruePi - left, 2 * kTruePi);
  };
  adjustment::TraverseInput& in = t.input;
  in.kind = kind;
  in.side = side;
  in.start = {st[0].name, st[0].x, st[0].y};
  const int legCount = closed ? n : n - 1;
  for (int i = 0; i < legCount; ++i) t.trueAzimuth.push_back(TrueAzimuth(st[i], st[(i + 1) % n]));
  for (int i = 0; i < n; ++i) {
    const TruePoint& back = i > 0 ? st[i - 1] : closed ? st[n - 1] : A;
    const TruePoint& fore = i + 1 < n ? st[i + 1] : closed ? st[0] : D;
    adjustment::TraverseStation s{st[i].name, angleAt(back, st[i], fore), 0};
    if (i < legCount) s.distance = TrueDistance(st[i], st[(i + 1) % n]);
    in.stations.push_back(s);
  }
  if (closed && orient == Orientation::FirstLeg) {
    in.firstLegAzimuth = t.trueAzimuth[0];
  } else {
    if (orient == Orientation::Points) in.backSight = adjustment::TraversePoint{A.name, A.x, A.y};
    else in.startAzimuth = TrueAzimuth(A, st[0]);
    if (closed) in.connectionAngle = angleAt(A, st[0], st[1]);
  }
  if (!closed) {
    in.end = {st[n - 1].name, st[n - 1].x, st[n - 1].y};
    if (orient == Orientation::Points) in.foreSight = adjustment::TraversePoint{D.name, D.x, D.y};
    else in.endAzimuth = TrueAzimuth(st[n - 1], D);
  }
  return t;
}

}  // namespace vantrel::test
