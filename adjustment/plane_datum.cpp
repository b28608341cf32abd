// The plane adjustment's datum: the input checked, the unknowns chosen (held coordinates,
// the free network's minimal hold) and the free network carried to its minimum-norm frame.
#include <algorithm>
#include <cmath>
#include <complex>
#include <map>

#include "adjustment/plane_adjuster.h"

namespace vantrel::adjustment::plane {

std::string Adjuster::Check() {
  index_.reserve(network_.points.size());
  for (int i = 0; i < n_; ++i) {
    const PlanePoint& p = network_.points[i];
    if (p.name.empty()) return "第 " + std::to_string(i + 1) + " 个点没有点名";
    if (!index_.emplace(p.name, i).second) return "点名重复：" + p.name;
    for (const auto* v : {&p.knownX, &p.knownY, &p.approxX, &p.approxY})
      if (*v && !std::isfinite(**v)) return "点 " + p.name + " 的坐标不是有限数";
    if (!(p.sigmaX >= 0) || !(p.sigmaY >= 0) || !std::isfinite(p.sigmaX) || !std::isfinite(p.sigmaY))
      return "点 " + p.name + " 的坐标中误差必须是非负数";
  }
  const double defaults[] = {options_.directionSigma, options_.angleSigma, 0, options_.azimuthSigma};
  for (double s : {options_.directionSigma, options_.angleSigma, options_.azimuthSigma,
                   options_.sigma0})
    if (!(s > 0) || !std::isfinite(s)) return "仪器精度和单位权中误差必须是正数";
  if (!(options_.distanceSigmaA >= 0) || !(options_.distanceSigmaB >= 0) ||
      !(options_.distanceSigmaA + options_.distanceSigmaB > 0))
    return "测距精度必须是非负数，且不能全为 0";

  std::map<int, int> setIndex;
  for (std::size_t k = 0; k < network_.observations.size(); ++k) {
    const PlaneObservation& in = network_.observations[k];
    IndexedObservation o;
    o.kind = in.kind;
    auto find = [&](const std::string& name, int& at) -> std::string {
      const auto it = index_.find(name);
      if (it == index_.end()) return Nth(k) + "的点名未知：" + name;
      at = it->second;
      return {};
    };
    for (auto [name, at] : {std::pair{&in.station, &o.station}, std::pair{&in.target, &o.target}})
      if (std::string e = find(*name, *at); !e.empty()) return e;
    if (in.kind == ObservationKind::Angle)
      if (std::string e = find(in.target2, o.target2); !e.empty()) return e;
    if (o.station == o.target || o.station == o.target2)
      return Nth(k) + "从 " + in.station + " 到 " + in.station + "：观测不能从一个点到它自己";
    if (o.target == o.target2) return Nth(k) + "的角度两边都指向 " + in.target;
    if (!std::isfinite(in.value)) return Nth(k) + "的观测值不是有限数";
    if (in.kind == ObservationKind::Distance && !(in.value > 0)) return Nth(k) + "的边长必须是正数";
    if (!(in.sigma >= 0) || !std::isfinite(in.sigma)) return Nth(k) + "的中误差必须是非负数";
    o.value = in.value;
    o.sigma = in.sigma > 0 ? in.sigma
              : in.kind == ObservationKind::Distance
                  ? options_.distanceSigmaA + options_.distanceSigmaB * in.value
                  : defaults[static_cast<int>(in.kind)];
    if (in.kind == ObservationKind::Direction) {
      const auto [it, added] = setIndex.emplace(in.set, indexed_.sets);
      if (added) {
        ++indexed_.sets;
        indexed_.setNumbers.push_back(in.set);
        indexed_.setStation.push_back(o.station);
      } else if (indexed_.setStation[it->second] != o.station) {
        return Nth(k) + "属于方向组 " + std::to_string(in.set) + "，但测站不同（" +
               network_.points[indexed_.setStation[it->second]].name + " 与 " + in.station + "）";
      }
      o.set = it->second;
    }
    indexed_.observations.push_back(o);
  }
  std::vector<int> observed(n_, 0);
  for (const IndexedObservation& o : indexed_.observations)
    for (int p : {o.station, o.target, o.target2})
      if (p >= 0) ++observed[p];
  // Each observation gives a point at most one equation: two coordinates need two.
  for (int i = 0; i < n_; ++i) {
    const PlanePoint& p = network_.points[i];
    if (p.knownX && p.knownY && !free_) continue;
    if (observed[i] == 0) return "点 " + p.name + " 没有任何观测，坐标无法确定";
    if (observed[i] == 1)
      return "点 " + p.name + " 只有一个观测，坐标无法确定（一个点至少要有两个观测" +
             (free_ ? "；自由网中已知点也是待定点" : "") + "）";
  }
  return {};
}

// Held coordinates: a fixed datum holds its fixed known coordinates; a free network holds
// just enough of its datum points to remove the frame's freedom, and moves to the
// minimum-norm solution afterwards.
// A fixed datum needs the frame from its known points: a shift in X and in Y, and an
// orientation and scale from two known points or from an azimuth and a distance.
std::string Adjuster::DatumShortage() const {
  bool anyX = false, anyY = false, anyAzimuth = false, anyDistance = false;
  int bothKnown = 0;
  for (const PlanePoint& p : network_.points) {
    anyX |= p.knownX.has_value();
    anyY |= p.knownY.has_value();
    bothKnown += p.knownX && p.knownY;
  }
  for (const IndexedObservation& o : indexed_.observations) {
    anyAzimuth |= o.kind == ObservationKind::Azimuth;
    anyDistance |= o.kind == ObservationKind::Distance;
  }
  if (!anyX || !anyY || ((!anyAzimuth || !anyDistance) && bothKnown < 2))
    return "已知点不足：固定基准的平面网至少需要两个已知点，或一个已知点加一个已知方位角和边长"
           "（或改用自由网平差）";
  return {};
}

std::string Adjuster::ChooseUnknowns(const std::vector<int>& datum) {
  const int full = 2 * n_ + indexed_.sets;
  std::vector<bool> held(full, false);
  if (!free_) {
    for (int i = 0; i < n_; ++i) {
      const PlanePoint& p = network_.points[i];
      held[2 * i] = p.knownX && !(p.sigmaX > 0);
      held[2 * i + 1] = p.knownY && !(p.sigmaY > 0);
    }
  } else {
    const int d0 = datum.front();
    int d1 = -1;
    double far = 0;
    for (int i : datum) {
      const double d = std::hypot(x_[i] - x_[d0], y_[i] - y_[d0]);
      if (d > far) far = d, d1 = i;
    }
    held[2 * d0] = held[2 * d0 + 1] = true;
    if (frame_.rotation || frame_.scale) {
      if (d1 < 0) return "自由网的基准点至少要有两个不同的点";
      const bool northward = std::fabs(x_[d1] - x_[d0]) > std::fabs(y_[d1] - y_[d0]);
      // A rotation moves d1 across the line d0–d1, a scale along it.
      if (frame_.rotation) held[2 * d1 + (northward ? 1 : 0)] = true;
      if (frame_.scale) held[2 * d1 + (northward ? 0 : 1)] = true;
    }
  }
  unknown_.assign(full, -1);
  for (int f = 0; f < full; ++f) {
    if (held[f]) continue;
    unknown_[f] = static_cast<int>(fullOf_.size());
    fullOf_.push_back(f);
  }
  return {};
}


void Adjuster::HelmertToApproximations(const std::vector<int>& datum) {
  std::complex<double> from(0, 0), to(0, 0);
  for (int i : datum) {
    from += std::complex<double>(x_[i], y_[i]);
    to += std::complex<double>(x0_[i], y0_[i]);
  }
  from /= double(datum.size());
  to /= double(datum.size());
  std::complex<double> cross(0, 0);
  double norm = 0;
  for (int i : datum) {
    const std::complex<double> p = std::complex<double>(x_[i], y_[i]) - from;
    cross += std::conj(p) * (std::complex<double>(x0_[i], y0_[i]) - to);
    norm += std::norm(p);
  }
  std::complex<double> factor(1, 0);
  if (norm > 0 && std::abs(cross) > 0) {
    if (frame_.scale) factor = cross / norm;
    else if (frame_.rotation) factor = cross / std::abs(cross);
  }
  if (!frame_.rotation) factor = norm > 0 && frame_.scale ? cross.real() / norm : 1.0;
  if (!frame_.scale) factor /= std::abs(factor);
  for (int i = 0; i < n_; ++i) {
    const std::complex<double> p = factor * (std::complex<double>(x_[i], y_[i]) - from) + to;
    x_[i] = p.real();
    y_[i] = p.imag();
  }
  for (double& z : z_) z = WrapTurn(z + std::arg(factor));
}

// The frame's effect on a full unknown: shift X, shift Y, rotation, scale (the columns the
// frame has), about the datum points' centroid.
std::array<double, 4> Adjuster::FrameRow(int fi) const {
  std::array<double, 4> g{};
  if (fi >= 2 * n_) {
    if (frame_.rotation) g[2] = 1;
    return g;
  }
  const int p = fi / 2;
  const bool isX = fi % 2 == 0;
  const double dx = x_[p] - xc_, dy = y_[p] - yc_;
  int c = 0;
  g[c++] = isX ? 1 : 0;
  g[c++] = isX ? 0 : 1;
  if (frame_.rotation) g[c++] = isX ? -dy : dx;
  if (frame_.scale) g[c++] = isX ? dx : dy;
  return g;
}

// Q of the minimally held solution, carried to the minimum-norm datum where free:
// Q_S = S Q Sᵀ with S = I − G (G_Dᵀ G)⁻¹ G_Dᵀ, entry by entry from Y = Q G_D.
double Adjuster::Cov(int fi, int fj) const {
  const int i = unknown_[fi], j = unknown_[fj];
  const double q = (i >= 0 && j >= 0) ? factor_.Inverse(i, j) : 0.0;
  if (!free_) return q;
  const int d = frame_.Columns();
  const std::array<double, 4> gi = FrameRow(fi), gj = FrameRow(fj);
  Eigen::VectorXd ai(d), aj(d), yi = Eigen::VectorXd::Zero(d), yj = Eigen::VectorXd::Zero(d);
  for (int c = 0; c < d; ++c) {
    ai[c] = aj[c] = 0;
    for (int e = 0; e < d; ++e) {
      ai[c] += gi[e] * b_free_(e, c);
      aj[c] += gj[e] * b_free_(e, c);
    }
  }
  if (i >= 0) yi = y_free_.row(i).transpose();
  if (j >= 0) yj = y_free_.row(j).transpose();
  return q - ai.dot(yj) - yi.dot(aj) + ai.dot(c_free_ * aj);
}


}  // namespace vantrel::adjustment::plane
