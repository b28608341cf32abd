#include "adjustment/plane_network.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

#include "adjustment/plane_adjuster.h"
#include "adjustment/statistics.h"

namespace vantrel::adjustment {

namespace plane {

double Adjuster::Computed(const IndexedObservation& o) const {
  auto az = [&](int a, int b) { return AzimuthOf(x_[b] - x_[a], y_[b] - y_[a]); };
  switch (o.kind) {
    case ObservationKind::Direction: return WrapTurn(az(o.station, o.target) - z_[o.set]);
    case ObservationKind::Angle: return WrapTurn(az(o.station, o.target2) - az(o.station, o.target));
    case ObservationKind::Azimuth: return az(o.station, o.target);
    case ObservationKind::Distance:
      return std::hypot(x_[o.target] - x_[o.station], y_[o.target] - y_[o.station]);
  }
  return kPlaneNaN;
}

Row Adjuster::Linearize(const IndexedObservation& o) const {
  Row row;
  const double w = 1 / o.sigma;
  auto azimuth = [&](int a, int b, double sign) {
    const double dx = x_[b] - x_[a], dy = y_[b] - y_[a], s2 = dx * dx + dy * dy;
    row.Add(unknown_[2 * a], sign * w * dy / s2);
    row.Add(unknown_[2 * a + 1], -sign * w * dx / s2);
    row.Add(unknown_[2 * b], -sign * w * dy / s2);
    row.Add(unknown_[2 * b + 1], sign * w * dx / s2);
  };
  switch (o.kind) {
    case ObservationKind::Direction:
      azimuth(o.station, o.target, 1);
      row.Add(unknown_[2 * n_ + o.set], -w);
      break;
    case ObservationKind::Angle:
      azimuth(o.station, o.target2, 1);
      azimuth(o.station, o.target, -1);
      break;
    case ObservationKind::Azimuth: azimuth(o.station, o.target, 1); break;
    case ObservationKind::Distance: {
      const int a = o.station, b = o.target;
      const double dx = x_[b] - x_[a], dy = y_[b] - y_[a], s = std::hypot(dx, dy);
      row.Add(unknown_[2 * a], -w * dx / s);
      row.Add(unknown_[2 * a + 1], -w * dy / s);
      row.Add(unknown_[2 * b], w * dx / s);
      row.Add(unknown_[2 * b + 1], w * dy / s);
      break;
    }
  }
  // Both arms of an angle at one station touch the station's coordinates: merge them.
  for (int a = 0; a < row.count; ++a) {
    for (int b = a + 1; b < row.count; ++b) {
      if (row.unknowns[b] != row.unknowns[a]) continue;
      row.coefficients[a] += row.coefficients[b];
      row.unknowns[b] = row.unknowns[row.count - 1];
      row.coefficients[b] = row.coefficients[--row.count];
      --b;
    }
  }
  const double d = o.value - Computed(o);
  row.l = w * (o.kind == ObservationKind::Distance ? d : WrapSigned(d));
  return row;
}

// Observation rows, then one row for every known coordinate given with a σ.
std::vector<Row> Adjuster::Rows() const {
  std::vector<Row> rows;
  rows.reserve(indexed_.observations.size());
  for (const IndexedObservation& o : indexed_.observations) rows.push_back(Linearize(o));
  if (free_) return rows;
  for (int i = 0; i < n_; ++i) {
    const PlanePoint& p = network_.points[i];
    if (p.knownX && p.sigmaX > 0) {
      Row row;
      row.Add(unknown_[2 * i], 1 / p.sigmaX);
      row.l = (*p.knownX - x_[i]) / p.sigmaX;
      rows.push_back(row);
    }
    if (p.knownY && p.sigmaY > 0) {
      Row row;
      row.Add(unknown_[2 * i + 1], 1 / p.sigmaY);
      row.l = (*p.knownY - y_[i]) / p.sigmaY;
      rows.push_back(row);
    }
  }
  return rows;
}

// Brings the solution into the approximations' frame over the datum points by the
// least-squares similarity (the exact form of the minimum-norm condition): their centroid,
// orientation and, without distances, scale stay those of their approximate coordinates.
PlaneResult Adjuster::Run() {
  free_ = options_.datum == PlaneDatum::Free;
  if (std::string e = Check(); !e.empty()) return Refuse(e);
  if (indexed_.observations.empty()) return Refuse("网中没有观测");

  std::vector<int> datum;
  if (free_) {
    for (const std::string& name : options_.datumPoints) {
      const auto at = index_.find(name);
      if (at == index_.end()) return Refuse("自由网基准点的点名未知：" + name);
      datum.push_back(at->second);
    }
    if (datum.empty())
      for (int i = 0; i < n_; ++i) datum.push_back(i);
    frame_.rotation = frame_.scale = true;
    for (const IndexedObservation& o : indexed_.observations) {
      if (o.kind == ObservationKind::Azimuth) frame_.rotation = false;
      if (o.kind == ObservationKind::Distance) frame_.scale = false;
    }
  }

  if (!free_)
    if (std::string e = DatumShortage(); !e.empty()) return Refuse(e);
  // Approximations: known coordinates, then the user's, then carried along the observations.
  std::vector<double> x(n_, kPlaneNaN), y(n_, kPlaneNaN);
  for (int i = 0; i < n_; ++i) {
    const PlanePoint& p = network_.points[i];
    if (p.knownX && p.knownY) x[i] = *p.knownX, y[i] = *p.knownY;
    else if (p.approxX && p.approxY) x[i] = *p.approxX, y[i] = *p.approxY;
  }
  Approximation approx = Approximate(network_, indexed_, x, y, free_ ? datum.front() : -1);
  if (!approx.ok) return Refuse(approx.error);
  x_ = x0_ = std::move(approx.x);
  y_ = y0_ = std::move(approx.y);
  z_ = std::move(approx.orientation);
  // A single known coordinate is held at its value, not at its approximation.
  for (int i = 0; i < n_; ++i) {
    const PlanePoint& p = network_.points[i];
    if (p.knownX) x_[i] = x0_[i] = *p.knownX;
    if (p.knownY) y_[i] = y0_[i] = *p.knownY;
  }
  if (std::string e = ChooseUnknowns(datum); !e.empty()) return Refuse(e);
  const int u = static_cast<int>(fullOf_.size());

  PlaneResult result;
  std::vector<Row> rows;
  bool converged = false;
  for (int iteration = 1; iteration <= options_.maxIterations && !converged; ++iteration) {
    rows = Rows();
    const int dof = static_cast<int>(rows.size()) - u;
    if (dof <= 0) return Refuse("没有多余观测（自由度为 0），无法平差和评定精度");
    NormalEquations normal(u);
    for (const Row& row : rows) normal.AddRow(row.U(), row.C(), row.l, 1.0);
    const FactorStatus status = factor_.Factorize(normal);
    if (!status.ok && status.brokenUnknown < 0) return Refuse("法方程无法分解（内存不足？）");
    if (!status.ok) {
      const int f = fullOf_[status.brokenUnknown];
      if (f >= 2 * n_)
        return Refuse("测站 " + network_.points[indexed_.setStation[f - 2 * n_]].name +
                      " 的方向组的定向角不能由观测确定");
      return Refuse("点 " + network_.points[f / 2].name +
                    " 的坐标不能由观测确定（观测不足或图形退化" +
                    (free_ ? "" : "，或已知点不足") + "）");
    }
    const Eigen::VectorXd dx = factor_.Solve(normal.RightHandSide());
    double largest = 0;
    for (int k = 0; k < u; ++k) {
      const int f = fullOf_[k];
      if (!std::isfinite(dx[k])) return Refuse("平差计算出现非有限数，请检查观测值和已知坐标");
      if (f >= 2 * n_) {
        z_[f - 2 * n_] += dx[k];
        continue;
      }
      (f % 2 == 0 ? x_ : y_)[f / 2] += dx[k];
      largest = std::max(largest, std::fabs(dx[k]));
    }
    result.iterations = iteration;
    converged = largest < options_.convergence;
  }
  if (!converged)
    return Refuse("迭代 " + std::to_string(options_.maxIterations) +
                  " 次仍未收敛：观测中可能有粗差，或近似坐标相差太远");
  factor_.SelectInverse();

  if (free_) {
    HelmertToApproximations(datum);
    for (int i : datum) xc_ += x_[i], yc_ += y_[i];
    xc_ /= double(datum.size());
    yc_ /= double(datum.size());
    const int d = frame_.Columns();
    Eigen::MatrixXd gd = Eigen::MatrixXd::Zero(u, d), m = Eigen::MatrixXd::Zero(d, d);
    std::vector<bool> inDatum(n_, false);
    for (int i : datum) inDatum[i] = true;
    for (int f = 0; f < 2 * n_; ++f) {
      if (!inDatum[f / 2]) continue;
      const std::array<double, 4> g = FrameRow(f);
      for (int a = 0; a < d; ++a)
        for (int b = 0; b < d; ++b) m(a, b) += g[a] * g[b];
      if (unknown_[f] >= 0)
        for (int a = 0; a < d; ++a) gd(unknown_[f], a) = g[a];
    }
    b_free_ = m.inverse();
    y_free_.resize(u, d);
    for (int a = 0; a < d; ++a) y_free_.col(a) = factor_.Solve(gd.col(a));
    c_free_ = gd.transpose() * y_free_;
  }

  // Residuals from the adjusted coordinates themselves, so adjusted = observed + v exactly.
  double vpv = 0;
  result.observations.resize(indexed_.observations.size());
  for (std::size_t k = 0; k < indexed_.observations.size(); ++k) {
    const IndexedObservation& o = indexed_.observations[k];
    AdjustedObservation& out = result.observations[k];
    out.adjusted = Computed(o);
    out.residual = o.kind == ObservationKind::Distance ? out.adjusted - o.value
                                                       : WrapSigned(out.adjusted - o.value);
    out.sigma = o.sigma;
    vpv += (out.residual / o.sigma) * (out.residual / o.sigma);
  }
  for (int i = 0; i < n_ && !free_; ++i) {
    const PlanePoint& p = network_.points[i];
    if (p.knownX && p.sigmaX > 0) vpv += std::pow((x_[i] - *p.knownX) / p.sigmaX, 2);
    if (p.knownY && p.sigmaY > 0) vpv += std::pow((y_[i] - *p.knownY) / p.sigmaY, 2);
  }
  const int dof = static_cast<int>(rows.size()) - u;
  result.degreesOfFreedom = dof;
  result.sigma0 = options_.sigma0 * std::sqrt(vpv / dof);
  result.chiSquare = vpv;
  result.chiSquareLower = ChiSquareQuantile(0.025, dof);
  result.chiSquareUpper = ChiSquareQuantile(0.975, dof);
  result.globalTestPassed =
      result.chiSquare >= result.chiSquareLower && result.chiSquare <= result.chiSquareUpper;
  const double scale = options_.scaleByAPosteriori ? std::sqrt(vpv / dof) : 1.0;

  double largest = 0;
  for (std::size_t k = 0; k < indexed_.observations.size(); ++k) {
    const Row& row = rows[k];
    AdjustedObservation& out = result.observations[k];
    const double q = row.count == 0 ? 0.0 : factor_.Quadratic(row.U(), row.C());
    out.sigmaAdjusted = scale * out.sigma * std::sqrt(std::max(q, 0.0));
    out.redundancy = std::clamp(1 - q, 0.0, 1.0);
    out.standardized = kPlaneNaN;
    if (out.redundancy > 1e-10) {
      out.standardized = out.residual / (out.sigma * std::sqrt(out.redundancy));
      const double size = std::fabs(out.standardized);
      if (size > kDataSnoopingCritical && size > largest) {
        largest = size;
        result.suspectObservation = static_cast<int>(k);
      }
    }
  }

  const double s2 = scale * scale;
  result.points.resize(n_);
  for (int i = 0; i < n_; ++i) {
    AdjustedPlanePoint& out = result.points[i];
    out.name = network_.points[i].name;
    out.x = x_[i];
    out.y = y_[i];
    out.adjustedX = unknown_[2 * i] >= 0 || free_;
    out.adjustedY = unknown_[2 * i + 1] >= 0 || free_;
    const double qxx = Cov(2 * i, 2 * i), qyy = Cov(2 * i + 1, 2 * i + 1);
    const double qxy = Cov(2 * i, 2 * i + 1);
    out.sigmaX = std::sqrt(std::max(s2 * qxx, 0.0));
    out.sigmaY = std::sqrt(std::max(s2 * qyy, 0.0));
    out.covarianceXY = s2 * qxy;
    out.sigmaP = std::hypot(out.sigmaX, out.sigmaY);
    out.ellipse = EllipseOf(s2 * qxx, s2 * qxy, s2 * qyy);
  }

  std::unordered_set<long long> seen;
  for (const IndexedObservation& o : indexed_.observations) {
    for (int other : {o.target, o.target2}) {
      if (other < 0) continue;
      const int a = std::min(o.station, other), b = std::max(o.station, other);
      if (!seen.insert(static_cast<long long>(a) * n_ + b).second) continue;
      const bool movable = free_ || unknown_[2 * a] >= 0 || unknown_[2 * a + 1] >= 0 ||
                           unknown_[2 * b] >= 0 || unknown_[2 * b + 1] >= 0;
      if (!movable) continue;
      auto rel = [&](int ca, int cb) {
        return Cov(2 * b + ca, 2 * b + cb) + Cov(2 * a + ca, 2 * a + cb) -
               Cov(2 * a + ca, 2 * b + cb) - Cov(2 * b + ca, 2 * a + cb);
      };
      const double qxx = s2 * rel(0, 0), qyy = s2 * rel(1, 1), qxy = s2 * rel(0, 1);
      RelativeEllipse out;
      out.from = a;
      out.to = b;
      out.ellipse = EllipseOf(qxx, qxy, qyy);
      const double dx = x_[b] - x_[a], dy = y_[b] - y_[a], s = std::hypot(dx, dy);
      const double c = dx / s, sn = dy / s;
      out.sigmaDistance = std::sqrt(std::max(c * c * qxx + 2 * c * sn * qxy + sn * sn * qyy, 0.0));
      out.sigmaAzimuth =
          std::sqrt(std::max(sn * sn * qxx - 2 * c * sn * qxy + c * c * qyy, 0.0)) / s;
      result.relative.push_back(out);
    }
  }

  result.sets = indexed_.setNumbers;
  result.orientations = z_;
  result.ok = true;
  return result;
}


}  // namespace plane

ErrorEllipse EllipseOf(double qxx, double qxy, double qyy) {
  const double mean = (qxx + qyy) / 2, half = std::hypot((qxx - qyy) / 2, qxy);
  ErrorEllipse e;
  e.major = std::sqrt(std::max(mean + half, 0.0));
  e.minor = std::sqrt(std::max(mean - half, 0.0));
  e.azimuth = half > 0 ? std::atan2(2 * qxy, qxx - qyy) / 2 : 0.0;
  if (e.azimuth < 0) e.azimuth += std::numbers::pi;
  return e;
}

PlaneResult AdjustPlaneNetwork(const PlaneNetwork& network, const PlaneOptions& options) {
  return plane::Adjuster(network, options).Run();
}

}  // namespace vantrel::adjustment
