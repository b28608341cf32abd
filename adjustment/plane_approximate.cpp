// Approximate coordinates, carried out from the placed points along the observations as a
// field book would be worked: polar points, intersections, distance intersections and
// resections, until every point is placed or nothing more can be done.
#include <Eigen/Core>
#include <Eigen/Eigenvalues>
#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <optional>
#include <unordered_map>

#include "adjustment/plane_geometry.h"

namespace vantrel::adjustment {

namespace {

constexpr double kUnplaced = std::numeric_limits<double>::quiet_NaN();

struct Ray {
  int from;
  double azimuth;
};

class Placer {
 public:
  Placer(const PlaneNetwork& network, const IndexedNetwork& indexed, std::vector<double> x,
         std::vector<double> y)
      : network_(network), obs_(indexed.observations), indexed_(indexed),
        x_(std::move(x)), y_(std::move(y)),
        orientation_(indexed.sets, kUnplaced), touching_(x_.size()), setObs_(indexed.sets),
        setsAt_(x_.size()) {
    for (int k = 0; k < static_cast<int>(obs_.size()); ++k) {
      const IndexedObservation& o = obs_[k];
      for (int p : {o.station, o.target, o.target2})
        if (p >= 0) touching_[p].push_back(k);
      if (o.kind == ObservationKind::Direction) setObs_[o.set].push_back(k);
    }
    for (int s = 0; s < indexed.sets; ++s) setsAt_[indexed.setStation[s]].push_back(s);
  }

  bool Placed(int p) const { return !std::isnan(x_[p]) && !std::isnan(y_[p]); }

  void Seed(int seed) {
    x_[seed] = 0;
    y_[seed] = 0;
    // The frame's orientation: the seed's first direction set reads azimuths, else the
    // first observed line from the seed points north. Without any distance a free
    // network has no scale either: its first neighbour is put 1 km away.
    bool anyDistance = false;
    for (const IndexedObservation& o : obs_) anyDistance |= o.kind == ObservationKind::Distance;
    for (int k : touching_[seed]) {
      const IndexedObservation& o = obs_[k];
      if (o.kind == ObservationKind::Direction && o.station == seed) {
        orientation_[o.set] = 0;
        if (!anyDistance) Put(o.target, 1000 * std::cos(o.value), 1000 * std::sin(o.value));
        return;
      }
    }
    for (int k : touching_[seed]) {
      const IndexedObservation& o = obs_[k];
      const int other = o.station == seed ? o.target : o.station;
      if (o.kind == ObservationKind::Distance) {
        Put(other, o.value, 0);
        return;
      }
      if (!anyDistance && o.kind != ObservationKind::Angle) {
        Put(other, 1000, 0);
        return;
      }
    }
  }

  // Works outward in rounds: the sets the last round's points can orient are oriented from
  // all their placed targets, then the waiting points seen by the most polar sights (three
  // or more, or the most any has) are placed from all of them at once. A point placed from
  // a single sight passes that sight's error on, and a chain of such points amplifies it.
  void Run() {
    std::vector<int> fresh, waiting;
    for (int p = 0; p < static_cast<int>(x_.size()); ++p)
      if (Placed(p)) fresh.push_back(p);
    std::vector<char> queued(x_.size(), 0);
    std::vector<int> setStamp(indexed_.sets, -1);
    for (int round = 0; !fresh.empty(); ++round) {
      auto consider = [&](int q) {
        if (q >= 0 && !Placed(q) && !queued[q]) queued[q] = 1, waiting.push_back(q);
      };
      for (int p : fresh) {
        for (int k : touching_[p]) {
          const IndexedObservation& o = obs_[k];
          if (o.kind == ObservationKind::Direction && setStamp[o.set] != round) {
            setStamp[o.set] = round;
            const bool was = !std::isnan(orientation_[o.set]);
            if (Orient(o.set) && !was)
              for (int j : setObs_[o.set]) consider(obs_[j].target);
          }
          for (int q : {o.station, o.target, o.target2}) consider(q);
        }
      }
      std::vector<int> support(waiting.size());
      int most = 0;
      for (std::size_t w = 0; w < waiting.size(); ++w)
        most = std::max(most, support[w] = PolarSights(waiting[w]));
      staged_.clear();
      std::vector<int> still;
      for (std::size_t w = 0; w < waiting.size(); ++w) {
        const int q = waiting[w];
        if (most == 0 || support[w] >= std::min(most, 3)) TryPlace(q);
        if (staged_.empty() || staged_.back().first != q) still.push_back(q);
      }
      waiting.swap(still);
      fresh.clear();
      for (const auto& [q, at] : staged_) {
        Put(q, at.real(), at.imag());
        fresh.push_back(q);
      }
    }
    for (int s = 0; s < indexed_.sets; ++s) Orient(s);
  }

  // How many polar sights (a ray from a placed, oriented station and the distance along
  // it) reach p.
  int PolarSights(int p) const {
    int count = 0;
    for (const Ray& ray : RaysTo(p)) {
      for (int k : touching_[p]) {
        const IndexedObservation& o = obs_[k];
        if (o.kind == ObservationKind::Distance && (o.station == ray.from || o.target == ray.from)) {
          ++count;
          break;
        }
      }
    }
    return count;
  }

  Approximation Finish() {
    Approximation out;
    for (int p = 0; p < static_cast<int>(x_.size()); ++p) {
      if (Placed(p)) continue;
      out.error = "点 " + network_.points[p].name +
                  " 的近似坐标无法推算：它与已定位的点之间的观测不足以定位（需要方向或方位角加边长、"
                  "两个方向交会、两条边加一个方向或三个方向的后方交会），请补充观测或给出近似坐标";
      return out;
    }
    for (int s = 0; s < indexed_.sets; ++s) {
      if (std::isnan(orientation_[s])) {
        out.error = "测站 " + network_.points[indexed_.setStation[s]].name + " 的方向组无法定向";
        return out;
      }
    }
    out.ok = true;
    out.x = std::move(x_);
    out.y = std::move(y_);
    out.orientation = std::move(orientation_);
    return out;
  }

  void Put(int p, double x, double y) {
    x_[p] = x;
    y_[p] = y;
  }
  // A point placed in this round: it counts as placed from the next round on.
  void Stage(int p, double x, double y) { staged_.emplace_back(p, std::complex<double>(x, y)); }
  double X(int p) const { return x_[p]; }
  double Y(int p) const { return y_[p]; }

 private:

  // The orientation of set s from every placed target (a circular mean); false while its
  // station or all of its targets are unplaced.
  bool Orient(int s) {
    const int station = indexed_.setStation[s];
    if (!Placed(station)) return false;
    // Long sights weigh more: a target's error turns a long sight less.
    double first = kUnplaced, sum = 0, weights = 0;
    for (int k : setObs_[s]) {
      const IndexedObservation& o = obs_[k];
      if (!Placed(o.target)) continue;
      const double z = AzimuthTo(station, o.target) - o.value;
      const double w = std::norm(std::complex<double>(x_[o.target] - x_[station], y_[o.target] - y_[station]));
      if (weights == 0) first = z;
      sum += w * WrapSigned(z - first);
      weights += w;
    }
    if (!(weights > 0)) return !std::isnan(orientation_[s]);
    orientation_[s] = WrapTurn(first + sum / weights);
    return true;
  }

  std::vector<Ray> RaysTo(int p) const {
    std::vector<Ray> rays;
    for (int k : touching_[p]) {
      const IndexedObservation& o = obs_[k];
      switch (o.kind) {
        case ObservationKind::Direction:
          if (o.target == p && Placed(o.station) && !std::isnan(orientation_[o.set]))
            rays.push_back({o.station, o.value + orientation_[o.set]});
          break;
        case ObservationKind::Azimuth:
          if (o.target == p && Placed(o.station)) rays.push_back({o.station, o.value});
          if (o.station == p && Placed(o.target))
            rays.push_back({o.target, o.value + std::numbers::pi});
          break;
        case ObservationKind::Angle:
          if (!Placed(o.station)) break;
          if (o.target2 == p && Placed(o.target))
            rays.push_back({o.station, AzimuthTo(o.station, o.target) + o.value});
          if (o.target == p && Placed(o.target2))
            rays.push_back({o.station, AzimuthTo(o.station, o.target2) - o.value});
          break;
        case ObservationKind::Distance:
          break;
      }
    }
    return rays;
  }

  double AzimuthTo(int a, int b) const { return AzimuthOf(x_[b] - x_[a], y_[b] - y_[a]); }

  void TryPlace(int p) {
    const std::vector<Ray> rays = RaysTo(p);
    std::vector<std::pair<int, double>> distances;
    for (int k : touching_[p]) {
      const IndexedObservation& o = obs_[k];
      if (o.kind != ObservationKind::Distance) continue;
      const int other = o.station == p ? o.target : o.station;
      if (Placed(other)) distances.emplace_back(other, o.value);
    }
    // Polar points: every ray with a distance along it, short sights weighing more.
    std::complex<double> sum(0, 0);
    double weights = 0;
    for (const Ray& ray : rays) {
      for (const auto& [from, d] : distances) {
        if (from != ray.from) continue;
        const double w = 1 / (d * d);
        sum += w * (std::complex<double>(x_[from], y_[from]) + std::polar(d, ray.azimuth));
        weights += w;
      }
    }
    if (weights > 0) {
      Stage(p, sum.real() / weights, sum.imag() / weights);
      return;
    }
    // Intersection of two rays that cross at 10° or more.
    for (std::size_t a = 0; a < rays.size(); ++a)
      for (std::size_t b = a + 1; b < rays.size(); ++b)
        if (Intersect(p, rays[a], rays[b])) return;
    if (distances.size() >= 2 && Trilaterate(p, distances, rays)) return;
    Resect(p);
  }

  bool Intersect(int p, const Ray& a, const Ray& b) {
    if (a.from == b.from) return false;
    const double ca = std::cos(a.azimuth), sa = std::sin(a.azimuth);
    const double cb = std::cos(b.azimuth), sb = std::sin(b.azimuth);
    const double det = ca * sb - sa * cb;  // sine of the angle between the rays
    if (std::fabs(det) < std::sin(10.0 / 180 * std::numbers::pi)) return false;
    const double dx = x_[b.from] - x_[a.from], dy = y_[b.from] - y_[a.from];
    const double t = (dx * sb - dy * cb) / det;  // along ray a
    const double u = (dx * sa - dy * ca) / det;  // along ray b
    if (!(t > 0) || !(u > 0)) return false;
    Stage(p, x_[a.from] + t * ca, y_[a.from] + t * sa);
    return true;
  }

  // Two distances give two mirror points; a third distance or a ray decides between them.
  bool Trilaterate(int p, const std::vector<std::pair<int, double>>& distances,
                   const std::vector<Ray>& rays) {
    for (std::size_t i = 0; i < distances.size(); ++i) {
      for (std::size_t j = i + 1; j < distances.size(); ++j) {
        const auto [a, da] = distances[i];
        const auto [b, db] = distances[j];
        if (a == b) continue;
        const double bx = x_[b] - x_[a], by = y_[b] - y_[a];
        const double c = std::hypot(bx, by);
        if (!(c > 0)) continue;
        const double along = (da * da - db * db + c * c) / (2 * c);
        const double across2 = da * da - along * along;
        if (!(across2 > 1e-6 * da * da)) continue;  // the circles barely meet: no angle
        const double across = std::sqrt(across2);
        const double ux = bx / c, uy = by / c;
        const double px[2] = {x_[a] + along * ux - across * uy, x_[a] + along * ux + across * uy};
        const double py[2] = {y_[a] + along * uy + across * ux, y_[a] + along * uy - across * ux};
        double misfit[2] = {0, 0};
        bool decided = false;
        for (const auto& [other, d] : distances) {
          if (other == a || other == b) continue;
          for (int s = 0; s < 2; ++s)
            misfit[s] += std::fabs(std::hypot(px[s] - x_[other], py[s] - y_[other]) - d);
          decided = true;
        }
        for (const Ray& ray : rays) {
          for (int s = 0; s < 2; ++s) {
            const double az = AzimuthOf(px[s] - x_[ray.from], py[s] - y_[ray.from]);
            misfit[s] += std::fabs(WrapSigned(az - ray.azimuth)) * std::hypot(px[s] - x_[ray.from], py[s] - y_[ray.from]);
          }
          decided = true;
        }
        if (!decided || std::fabs(misfit[0] - misfit[1]) < 1e-3 * std::min(da, db)) continue;
        const int s = misfit[0] < misfit[1] ? 0 : 1;
        Stage(p, px[s], py[s]);
        return true;
      }
    }
    return false;
  }

  // Resection from one of p's direction sets with three or more placed targets, or from
  // angles at p chained into directions of their own (the first target read as zero).
  bool Resect(int p) {
    for (int s : setsAt_[p]) {
      std::vector<std::pair<int, double>> sights;
      for (int k : setObs_[s]) sights.emplace_back(obs_[k].target, obs_[k].value);
      if (ResectFrom(p, sights)) return true;
    }
    std::unordered_map<int, double> direction;
    std::vector<int> angles;
    for (int k : touching_[p])
      if (obs_[k].kind == ObservationKind::Angle && obs_[k].station == p) angles.push_back(k);
    for (int start : angles) {
      if (direction.count(obs_[start].target)) continue;
      std::vector<std::pair<int, double>> sights;
      direction[obs_[start].target] = 0;
      sights.emplace_back(obs_[start].target, 0.0);
      for (bool grew = true; grew;) {
        grew = false;
        for (int k : angles) {
          const IndexedObservation& o = obs_[k];
          const bool from = direction.count(o.target) > 0, to = direction.count(o.target2) > 0;
          if (from == to) continue;
          const int next = from ? o.target2 : o.target;
          const double d = from ? direction[o.target] + o.value : direction[o.target2] - o.value;
          direction[next] = d;
          sights.emplace_back(next, d);
          grew = true;
        }
      }
      if (ResectFrom(p, sights)) return true;
    }
    return false;
  }

  // With points as complex numbers x + iy (whose argument is the azimuth), every target T
  // read at direction d satisfies Im[(T − P)·e^{−id}·u] = 0 for u = e^{−iz}; in u and
  // q = P·u that is linear and homogeneous, so (u, q) is the null vector and P = q / u.
  bool ResectFrom(int p, const std::vector<std::pair<int, double>>& sights) {
    std::vector<std::pair<int, double>> placed;
    for (const auto& sight : sights)
      if (Placed(sight.first)) placed.push_back(sight);
    if (placed.size() < 3) return false;
    // Targets about their centroid, in units of their spread, keep the 4×4 normal matrix
    // well scaled; its eigenvector of the smallest eigenvalue is the null vector.
    std::complex<double> centre(0, 0);
    for (const auto& [target, d] : placed) centre += std::complex<double>(x_[target], y_[target]);
    centre /= double(placed.size());
    double spread = 0;
    for (const auto& [target, d] : placed)
      spread = std::max(spread, std::abs(std::complex<double>(x_[target], y_[target]) - centre));
    if (!(spread > 0)) return false;
    Eigen::Matrix4d m = Eigen::Matrix4d::Zero();
    for (const auto& [target, d] : placed) {
      const std::complex<double> b = std::polar(1.0, -d);
      const std::complex<double> t = (std::complex<double>(x_[target], y_[target]) - centre) / spread * b;
      const Eigen::Vector4d row(t.imag(), t.real(), -b.imag(), -b.real());
      m += row * row.transpose();
    }
    const Eigen::SelfAdjointEigenSolver<Eigen::Matrix4d> eigen(m);
    const Eigen::Vector4d& lambda = eigen.eigenvalues();  // ascending
    // On the danger circle two null vectors: the resection is undetermined.
    if (!(lambda[1] > 1e-12 * lambda[3])) return false;
    const Eigen::Vector4d v = eigen.eigenvectors().col(0);
    const std::complex<double> u(v[0], v[1]), q(v[2], v[3]);
    if (!(std::abs(u) > 1e-12)) return false;
    const std::complex<double> point = centre + spread * (q / u);
    if (!std::isfinite(point.real()) || !std::isfinite(point.imag())) return false;
    Stage(p, point.real(), point.imag());
    return true;
  }

  const PlaneNetwork& network_;
  const std::vector<IndexedObservation>& obs_;
  const IndexedNetwork& indexed_;
  std::vector<double> x_, y_, orientation_;
  std::vector<std::vector<int>> touching_;
  std::vector<std::vector<int>> setObs_;
  std::vector<std::vector<int>> setsAt_;  // the direction sets observed at each point
  std::vector<std::pair<int, std::complex<double>>> staged_;
};

Approximation Place(const PlaneNetwork& network, const IndexedNetwork& indexed,
                    std::vector<double> x, std::vector<double> y, int seed) {
  Placer placer(network, indexed, x, y);
  bool any = false;
  for (std::size_t p = 0; p < network.points.size(); ++p) any |= placer.Placed(static_cast<int>(p));
  if (!any && seed >= 0) placer.Seed(seed);
  placer.Run();
  const int n = static_cast<int>(network.points.size());
  std::vector<int> known;
  bool stuck = false, anyDistance = false;
  for (int p = 0; p < n; ++p) {
    if (!std::isnan(x[p]) && !std::isnan(y[p])) known.push_back(p);
    stuck |= !placer.Placed(p);
  }
  for (const IndexedObservation& o : indexed.observations)
    anyDistance |= o.kind == ObservationKind::Distance;
  if (!stuck || known.size() < 2) return placer.Finish();

  // Known points that do not see one another: the network is worked out in a frame of its
  // own from one of them, then turned (and, without distances, scaled) onto the known
  // points it reached, as a surveyor would with an assumed bearing.
  Placer local(network, indexed, std::vector<double>(n, kUnplaced), std::vector<double>(n, kUnplaced));
  local.Seed(known.front());
  local.Run();
  std::complex<double> from(0, 0), to(0, 0);
  std::vector<int> common;
  for (int p : known) {
    if (!local.Placed(p)) continue;
    common.push_back(p);
    from += std::complex<double>(local.X(p), local.Y(p));
    to += std::complex<double>(x[p], y[p]);
  }
  if (common.size() < 2) return placer.Finish();
  from /= double(common.size());
  to /= double(common.size());
  std::complex<double> cross(0, 0);
  double norm = 0;
  for (int p : common) {
    const std::complex<double> a = std::complex<double>(local.X(p), local.Y(p)) - from;
    cross += std::conj(a) * (std::complex<double>(x[p], y[p]) - to);
    norm += std::norm(a);
  }
  if (!(norm > 0) || !(std::abs(cross) > 0)) return placer.Finish();
  const std::complex<double> factor = anyDistance ? cross / std::abs(cross) : cross / norm;
  for (int p = 0; p < n; ++p) {
    if (placer.Placed(p) || !local.Placed(p)) continue;
    const std::complex<double> at = factor * (std::complex<double>(local.X(p), local.Y(p)) - from) + to;
    placer.Put(p, at.real(), at.imag());
  }
  placer.Run();
  return placer.Finish();
}

}  // namespace

Approximation Approximate(const PlaneNetwork& network, const IndexedNetwork& indexed,
                          std::vector<double> x, std::vector<double> y, int seed) {
  Approximation a = Place(network, indexed, std::move(x), std::move(y), seed);
  if (a.ok) Refine(network, indexed, a);
  return a;
}

}  // namespace vantrel::adjustment
