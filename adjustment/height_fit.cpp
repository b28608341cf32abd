#include "adjustment/height_fit.h"

#include <Eigen/QR>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace vantrel::adjustment {

namespace {

constexpr double kNoAnomaly = std::numeric_limits<double>::quiet_NaN();

constexpr HeightModelName kHeightModels[] = {
    {HeightModel::Constant, "constant", "常数"},
    {HeightModel::Plane, "plane", "平面"},
    {HeightModel::Quadratic, "quadratic", "二次曲面"},
    {HeightModel::Multiquadric, "multiquadric", "多面函数"},
    {HeightModel::ThinPlate, "thinplate", "薄板样条"},
};

bool Radial(HeightModel m) { return m == HeightModel::Multiquadric || m == HeightModel::ThinPlate; }

// Polynomial terms of a model (the radial models' trend is the plane).
int TermCount(HeightModel m) {
  switch (m) {
    case HeightModel::Constant: return 1;
    case HeightModel::Quadratic: return 6;
    default: return 3;
  }
}

void Terms(int count, double u, double v, double* t) {
  t[0] = 1;
  if (count == 1) return;
  t[1] = u, t[2] = v;
  if (count == 3) return;
  t[3] = u * u, t[4] = u * v, t[5] = v * v;
}

// φ of a reduced distance; c reduced too.
double Kernel(HeightModel m, double r2, double c) {
  if (m == HeightModel::Multiquadric) return std::sqrt(r2 + c * c);
  return r2 > 0 ? 0.5 * r2 * std::log(r2) : 0;  // r² ln r
}

double Cross(double ox, double oy, double ax, double ay, double bx, double by) {
  return (ax - ox) * (by - oy) - (ay - oy) * (bx - ox);
}

// Andrew's monotone chain; collinear points left out of the outline.
void ConvexHull(std::vector<std::array<double, 2>> p, std::vector<double>& hx, std::vector<double>& hy) {
  std::sort(p.begin(), p.end());
  p.erase(std::unique(p.begin(), p.end()), p.end());
  if (p.size() < 3) {
    for (const auto& q : p) hx.push_back(q[0]), hy.push_back(q[1]);
    return;
  }
  std::vector<std::array<double, 2>> h(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && Cross(h[k - 2][0], h[k - 2][1], h[k - 1][0], h[k - 1][1], p[i][0], p[i][1]) <= 0) --k;
    h[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && Cross(h[k - 2][0], h[k - 2][1], h[k - 1][0], h[k - 1][1], p[i][0], p[i][1]) <= 0) --k;
    h[k++] = p[i];
  }
  for (std::size_t i = 0; i + 1 < k; ++i) hx.push_back(h[i][0]), hy.push_back(h[i][1]);
}

std::string PointCount(int n) { return std::to_string(n); }

}  // namespace

std::span<const HeightModelName> HeightModelNames() { return kHeightModels; }

const HeightModelName* FindHeightModel(std::string_view name) {
  for (const HeightModelName& m : kHeightModels)
    if (name == m.code || name == m.chinese) return &m;
  return nullptr;
}

const char* HeightModelChinese(HeightModel model) {
  for (const HeightModelName& m : kHeightModels)
    if (m.model == model) return m.chinese;
  return "";
}

double HeightFit::Evaluate(double x, double y) const {
  if (!ok) return kNoAnomaly;
  const double u = (x - x0) / scale, v = (y - y0) / scale;
  const int count = TermCount(options.model);
  double t[6];
  Terms(count, u, v, t);
  double z = 0;
  for (int k = 0; k < count; ++k) z += coef_[static_cast<std::size_t>(k)] * t[k];
  const double c = shape / scale;
  for (std::size_t j = 0; j < nodeU_.size(); ++j) {
    const double du = u - nodeU_[j], dv = v - nodeV_[j];
    z += coef_[static_cast<std::size_t>(count) + j] * Kernel(options.model, du * du + dv * dv, c);
  }
  return z;
}

bool HeightFit::Extrapolated(double x, double y) const {
  const std::size_t n = hullX.size();
  // Far below the coordinates' last digit at the scale of the area.
  const double tol = 1e-9 * extent_;
  if (n == 0) return true;
  if (n == 1) return std::hypot(x - hullX[0], y - hullY[0]) > tol;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    const double len = std::hypot(hullX[j] - hullX[i], hullY[j] - hullY[i]);
    if (Cross(hullX[i], hullY[i], hullX[j], hullY[j], x, y) / len < -tol) return true;
  }
  if (n > 2) return false;
  // A line of points: on it, between its ends.
  const double len2 = (hullX[1] - hullX[0]) * (hullX[1] - hullX[0]) + (hullY[1] - hullY[0]) * (hullY[1] - hullY[0]);
  const double t = ((x - hullX[0]) * (hullX[1] - hullX[0]) + (y - hullY[0]) * (hullY[1] - hullY[0])) / len2;
  return t * std::sqrt(len2) < -tol || (t - 1) * std::sqrt(len2) > tol;
}

HeightFit FitHeightAnomaly(std::span<const HeightPoint> input, const HeightFitOptions& options) {
  HeightFit f;
  f.options = options;
  const HeightModel model = options.model;
  std::vector<const HeightPoint*> fit;
  for (const HeightPoint& p : input) {
    f.points.push_back({p.name, p.x, p.y, p.H, p.h, p.H - p.h, kNoAnomaly, kNoAnomaly, p.check});
    if (!p.check) fit.push_back(&p);
  }
  const int n = static_cast<int>(fit.size());
  f.fitting = n;
  f.checks = static_cast<int>(input.size()) - n;
  const int terms = TermCount(model);
  const int u = Radial(model) ? n + 3 : terms;
  f.unknowns = u;
  const std::string name = HeightModelChinese(model);
  const int least = Radial(model) ? 4 : terms;
  if (n < least) {
    f.error = name + "拟合至少要 " + PointCount(least) + " 个拟合点 (检核点不算), 只有 " + PointCount(n) + " 个!";
    return f;
  }

  // The reduction, and the shape of the points: all in one place, on a line, or spread.
  double sx = 0, sy = 0;
  for (const HeightPoint* p : fit) sx += p->x, sy += p->y;
  if (options.reduce) f.x0 = sx / n, f.y0 = sy / n;
  // The second moments' eigenvalues, smaller first, in closed form: the spread across and along.
  double mxx = 0, mxy = 0, myy = 0;
  for (const HeightPoint* p : fit) {
    const double dx = p->x - sx / n, dy = p->y - sy / n;
    mxx += dx * dx, mxy += dx * dy, myy += dy * dy;
  }
  mxx /= n, mxy /= n, myy /= n;
  const double half = std::hypot((mxx - myy) / 2, mxy);
  const double spread[2] = {(mxx + myy) / 2 - half, (mxx + myy) / 2 + half};
  const double rms = std::sqrt(std::max(0.0, mxx + myy));
  if (options.reduce && rms > 0) f.scale = rms;
  if (rms > 0) f.extent_ = rms;
  if (model != HeightModel::Constant) {
    if (!(rms > 0)) {
      f.error = "拟合点都在同一位置, 不能作" + name + "拟合!";
      return f;
    }
    // Thinner than a billionth of the area's size: a line, whatever the last digits say.
    if (std::sqrt(std::max(0.0, spread[0])) <= 1e-9 * rms) {
      f.error = "拟合点在一条直线上, 不能作" + name + "拟合 (请增加不在这条线上的点)!";
      return f;
    }
  }

  std::vector<double> U(static_cast<std::size_t>(n)), V(U.size()), Z(U.size());
  for (int i = 0; i < n; ++i) {
    U[static_cast<std::size_t>(i)] = (fit[static_cast<std::size_t>(i)]->x - f.x0) / f.scale;
    V[static_cast<std::size_t>(i)] = (fit[static_cast<std::size_t>(i)]->y - f.y0) / f.scale;
    Z[static_cast<std::size_t>(i)] = fit[static_cast<std::size_t>(i)]->H - fit[static_cast<std::size_t>(i)]->h;
  }
  Eigen::VectorXd loo(n);  // leave-one-out errors
  if (!Radial(model)) {
    Eigen::MatrixXd A(n, terms);
    Eigen::VectorXd z(n);
    for (int i = 0; i < n; ++i) {
      double t[6];
      Terms(terms, U[static_cast<std::size_t>(i)], V[static_cast<std::size_t>(i)], t);
      for (int k = 0; k < terms; ++k) A(i, k) = t[k];
      z(i) = Z[static_cast<std::size_t>(i)];
    }
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(A);
    qr.setThreshold(1e-10);
    if (qr.rank() < terms) {
      f.error = "拟合点的分布定不出" + name + " (如都在一个圆或两条直线上), 请增加点或改用平面拟合!";
      return f;
    }
    const Eigen::VectorXd a = qr.solve(z);
    f.coef_.assign(a.data(), a.data() + terms);
    const Eigen::MatrixXd Q = qr.householderQ() * Eigen::MatrixXd::Identity(n, terms);
    const Eigen::VectorXd r = A * a - z;
    for (int i = 0; i < n; ++i) {
      const double h = Q.row(i).squaredNorm();
      loo(i) = h < 1 - 1e-9 ? r(i) / (1 - h) : kNoAnomaly;
    }
  } else {
    if (model == HeightModel::Multiquadric) {
      if (options.shape > 0) {
        f.shape = options.shape;
      } else {
        double sum = 0;
        for (int i = 0; i < n; ++i) {
          double best = std::numeric_limits<double>::infinity();
          for (int j = 0; j < n; ++j)
            if (j != i) best = std::min(best, std::hypot(fit[static_cast<std::size_t>(i)]->x - fit[static_cast<std::size_t>(j)]->x,
                                                         fit[static_cast<std::size_t>(i)]->y - fit[static_cast<std::size_t>(j)]->y));
          sum += best;
        }
        f.shape = 0.815 * sum / n;
      }
    }
    const double c = f.shape / f.scale;
    Eigen::MatrixXd M = Eigen::MatrixXd::Zero(n + 3, n + 3);
    Eigen::VectorXd rhs = Eigen::VectorXd::Zero(n + 3);
    for (int i = 0; i < n; ++i) {
      const std::size_t si = static_cast<std::size_t>(i);
      for (int j = 0; j < n; ++j) {
        const std::size_t sj = static_cast<std::size_t>(j);
        const double du = U[si] - U[sj], dv = V[si] - V[sj];
        M(i, j) = Kernel(model, du * du + dv * dv, c);
      }
      M(i, n) = M(n, i) = 1;
      M(i, n + 1) = M(n + 1, i) = U[si];
      M(i, n + 2) = M(n + 2, i) = V[si];
      rhs(i) = Z[si];
    }
    // The polynomial fit's decomposition again (rank-revealing, and one instantiation to compile).
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> radial(M);
    radial.setThreshold(1e-12);
    if (!radial.isInvertible()) {
      f.error = "拟合点有重合的位置, 不能作" + name + "拟合 (请合并或删去重合的点)!";
      return f;
    }
    const Eigen::VectorXd s = radial.solve(rhs);
    const Eigen::MatrixXd inv = radial.inverse();
    f.coef_.assign(s.data() + n, s.data() + n + 3);
    f.coef_.insert(f.coef_.end(), s.data(), s.data() + n);
    f.nodeU_ = U, f.nodeV_ = V;
    // Rippa: the error at node i of the interpolant built without it, −λi / (M⁻¹)ii.
    for (int i = 0; i < n; ++i) loo(i) = inv(i, i) != 0 ? -s(i) / inv(i, i) : kNoAnomaly;
  }
  f.ok = true;
  static const char* const kTermNames[] = {"a0", "a1", "a2", "a3", "a4", "a5"};
  for (int k = 0; k < terms; ++k)
    f.parameters.push_back({kTermNames[k], f.coef_[static_cast<std::size_t>(k)]});
  if (Radial(model))
    for (int j = 0; j < n; ++j) f.parameters.push_back({"λ(" + fit[static_cast<std::size_t>(j)]->name + ")", f.coef_[static_cast<std::size_t>(3 + j)]});

  double vv = 0, cc = 0;
  for (HeightFitPoint& p : f.points) {
    p.fitted = f.Evaluate(p.x, p.y);
    p.v = p.fitted - p.zeta;
    (p.check ? cc : vv) += p.v * p.v;
  }
  // An interpolant's residuals are rounding, not accuracy: nothing is left to judge it by.
  f.sigmaInternal = n > u ? std::sqrt(vv / (n - u)) : kNoAnomaly;
  f.sigmaLeaveOneOut = loo.allFinite() ? std::sqrt(loo.squaredNorm() / n) : kNoAnomaly;
  f.sigmaExternal = f.checks > 0 ? std::sqrt(cc / f.checks) : kNoAnomaly;
  std::vector<std::array<double, 2>> xy;
  for (const HeightPoint* p : fit) xy.push_back({p->x, p->y});
  ConvexHull(std::move(xy), f.hullX, f.hullY);
  return f;
}

}  // namespace vantrel::adjustment
