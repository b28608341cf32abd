// The linear solve that refines approximate coordinates where directions come with distances.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <unordered_map>

#include "adjustment/plane_geometry.h"
#include "adjustment/sparse_normal.h"

namespace vantrel::adjustment {

// Placing point by point carries every sight's error on to the next point; over a large
// network that grows to metres. Directions that come with a distance are linear in the
// coordinates and in w = e^{iz} of their set taken as a free complex number,
//   P_target − P_station = w · d · e^{i·direction},
// (azimuths with a distance likewise, without w), so one sparse least-squares solve puts
// every such point where all of its sights agree. Weak pulls toward the placed values keep
// points and sets without such sights where they were.
constexpr double kGoodEnough = 2.0;  // m

void Refine(const PlaneNetwork& network, const IndexedNetwork& indexed, Approximation& a) {
  const int n = static_cast<int>(network.points.size());
  std::unordered_map<std::uint64_t, double> distance;
  auto key = [n](int i, int j) {
    return static_cast<std::uint64_t>(std::min(i, j)) * static_cast<std::uint64_t>(n) + std::max(i, j);
  };
  for (const IndexedObservation& o : indexed.observations)
    if (o.kind == ObservationKind::Distance) distance.emplace(key(o.station, o.target), o.value);
  if (distance.empty()) return;
  // How far the placed points are from what their sights say.
  int sights = 0;
  double worst = 0;
  for (const IndexedObservation& o : indexed.observations) {
    if (o.kind != ObservationKind::Direction && o.kind != ObservationKind::Azimuth) continue;
    const auto d = distance.find(key(o.station, o.target));
    if (d == distance.end()) continue;
    const double turn = o.kind == ObservationKind::Direction ? a.orientation[o.set] : 0.0;
    const std::complex<double> sight = std::polar(d->second, o.value + turn);
    worst = std::max(worst, std::abs(std::complex<double>(a.x[o.target] - a.x[o.station],
                                                          a.y[o.target] - a.y[o.station]) - sight));
    ++sights;
  }
  // Within a couple of metres Gauss–Newton needs no help: its third step is below 0.1 mm, and
  // one more iteration costs less than this solve.
  if (sights == 0 || worst < kGoodEnough) return;
  std::vector<int> unknown(2 * n + 2 * indexed.sets, -1);
  int u = 0;
  for (int p = 0; p < n; ++p) {
    if (!network.points[p].knownX) unknown[2 * p] = u++;
    if (!network.points[p].knownY) unknown[2 * p + 1] = u++;
  }
  for (int s = 0; s < indexed.sets; ++s) unknown[2 * n + 2 * s] = u++, unknown[2 * n + 2 * s + 1] = u++;
  NormalEquations normal(u);
  auto coordinate = [&](int f) { return f < 2 * n ? (f % 2 == 0 ? a.x[f / 2] : a.y[f / 2]) : 0.0; };
  // One real row Σ c·v = l; a known coordinate moves to the right-hand side.
  auto row = [&](std::initializer_list<std::pair<int, double>> terms, double l, double sigma) {
    int idx[4];
    double c[4];
    int count = 0;
    for (const auto& [f, coefficient] : terms) {
      if (unknown[f] < 0) l -= coefficient * coordinate(f);
      else idx[count] = unknown[f], c[count++] = coefficient;
    }
    if (count > 0) normal.AddRow({idx, std::size_t(count)}, {c, std::size_t(count)}, l, 1 / (sigma * sigma));
  };
  for (const IndexedObservation& o : indexed.observations) {
    if (o.kind != ObservationKind::Direction && o.kind != ObservationKind::Azimuth) continue;
    const auto d = distance.find(key(o.station, o.target));
    if (d == distance.end()) continue;
    const std::complex<double> v = std::polar(d->second, o.value);
    const double sigma = 0.001 + d->second * o.sigma;
    const int i = o.station, j = o.target;
    if (o.kind == ObservationKind::Azimuth) {
      row({{2 * j, 1}, {2 * i, -1}}, v.real(), sigma);
      row({{2 * j + 1, 1}, {2 * i + 1, -1}}, v.imag(), sigma);
    } else {
      const int wa = 2 * n + 2 * o.set, wb = wa + 1;
      row({{2 * j, 1}, {2 * i, -1}, {wa, -v.real()}, {wb, v.imag()}}, 0, sigma);
      row({{2 * j + 1, 1}, {2 * i + 1, -1}, {wa, -v.imag()}, {wb, -v.real()}}, 0, sigma);
    }
  }
  constexpr double kPull = 1e3;  // m, and the same for w: far weaker than any sight
  for (int p = 0; p < n; ++p) {
    row({{2 * p, 1}}, a.x[p], kPull);
    row({{2 * p + 1, 1}}, a.y[p], kPull);
  }
  for (int s = 0; s < indexed.sets; ++s) {
    row({{2 * n + 2 * s, 1}}, std::cos(a.orientation[s]), kPull);
    row({{2 * n + 2 * s + 1, 1}}, std::sin(a.orientation[s]), kPull);
  }
  SparseFactor factor;
  if (!factor.Factorize(normal).ok) return;
  const Eigen::VectorXd v = factor.Solve(normal.RightHandSide());
  for (int p = 0; p < n; ++p) {
    if (unknown[2 * p] >= 0) a.x[p] = v[unknown[2 * p]];
    if (unknown[2 * p + 1] >= 0) a.y[p] = v[unknown[2 * p + 1]];
  }
  for (int s = 0; s < indexed.sets; ++s)
    a.orientation[s] = WrapTurn(std::atan2(v[unknown[2 * n + 2 * s + 1]], v[unknown[2 * n + 2 * s]]));
}


}  // namespace vantrel::adjustment
