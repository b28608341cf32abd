#include "adjustment/seven_estimation.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "transform/matrix_inversion.h"

namespace vantrel::adjustment {

namespace {

constexpr int kUnknowns = 7;  // T (3, at the centroid), m, ex, ey, ez
constexpr int kMaxIterations = 20;
using Vec3 = std::array<double, 3>;
using Matrix7 = std::array<std::array<double, kUnknowns>, kUnknowns>;

// k R(ε) u, the transformation's rotation and scale applied to a vector.
Vec3 ScaleRotate(double m, double ex, double ey, double ez, const Vec3& u) {
  const double k = 1 + m * 1e-6, r = kSevenRho;
  return {k * (u[0] + ez * u[1] / r - ey * u[2] / r), k * (u[1] - ez * u[0] / r + ex * u[2] / r),
          k * (u[2] + ey * u[0] / r - ex * u[1] / r)};
}

// The derivatives of k R(ε) u by m, ex, ey, ez: three rows of four.
std::array<std::array<double, 4>, 3> ScaleRotateJacobian(double m, double ex, double ey, double ez,
                                                         const Vec3& u) {
  const double k = 1 + m * 1e-6, r = kSevenRho;
  const Vec3 ru = ScaleRotate(0, ex, ey, ez, u);  // R(ε) u without the scale
  return {{{1e-6 * ru[0], 0, -k * u[2] / r, k * u[1] / r},
           {1e-6 * ru[1], k * u[2] / r, 0, -k * u[0] / r},
           {1e-6 * ru[2], -k * u[1] / r, k * u[0] / r, 0}}};
}

bool Finite(const CommonSpacePoint& p) {
  for (double v : {p.X, p.Y, p.Z, p.Xn, p.Yn, p.Zn})
    if (!std::isfinite(v)) return false;
  return true;
}

std::string Label(const std::string& name, size_t index) {
  return name.empty() ? "第" + std::to_string(index + 1) + "个" : name;
}

// Collinear (or coincident) old points leave a rotation about their line undetermined.
std::string CheckGeometry(const std::vector<Vec3>& u) {
  double far = 0;
  Vec3 dir{};
  for (const Vec3& p : u) {
    const double d = std::hypot(p[0], p[1], p[2]);
    if (d > far) far = d, dir = {p[0] / d, p[1] / d, p[2] / d};
  }
  if (far < 1e-3) return "公共点重合, 不能求七参数!";
  double off = 0;
  for (const Vec3& p : u) {
    const Vec3 c{p[1] * dir[2] - p[2] * dir[1], p[2] * dir[0] - p[0] * dir[2],
                 p[0] * dir[1] - p[1] * dir[0]};
    off = std::max(off, std::hypot(c[0], c[1], c[2]));
  }
  if (off <= 1e-6 * far) return "公共点共线, 不能求七参数!";
  return "";
}

}  // namespace

SevenEstimate EstimateSevenParameters(const std::vector<CommonSpacePoint>& points) {
  SevenEstimate e;
  const size_t n = points.size();
  if (n < 3) {
    e.error = "公共点少于3个, 不能求七参数!";
    return e;
  }
  for (size_t i = 0; i < n; ++i)
    if (!Finite(points[i])) {
      e.error = "公共点 " + Label(points[i].name, i) + " 坐标错!";
      return e;
    }
  Vec3 c{}, cn{};
  for (const CommonSpacePoint& p : points) {
    c[0] += p.X / n, c[1] += p.Y / n, c[2] += p.Z / n;
    cn[0] += p.Xn / n, cn[1] += p.Yn / n, cn[2] += p.Zn / n;
  }
  std::vector<Vec3> u(n), obs(n);
  for (size_t i = 0; i < n; ++i) {
    u[i] = {points[i].X - c[0], points[i].Y - c[1], points[i].Z - c[2]};
    obs[i] = {points[i].Xn, points[i].Yn, points[i].Zn};
  }
  e.error = CheckGeometry(u);
  if (!e.error.empty()) return e;

  std::array<double, kUnknowns> q{cn[0], cn[1], cn[2], 0, 0, 0, 0};
  std::array<double, kUnknowns * (kUnknowns + 1) / 2> N{};
  auto residual = [&](size_t i) {
    const Vec3 t = ScaleRotate(q[3], q[4], q[5], q[6], u[i]);
    return Vec3{obs[i][0] - q[0] - t[0], obs[i][1] - q[1] - t[1], obs[i][2] - q[2] - t[2]};
  };
  bool converged = false;
  while (!converged && e.iterations < kMaxIterations) {
    ++e.iterations;
    N.fill(0);
    std::array<double, kUnknowns> b{};
    for (size_t i = 0; i < n; ++i) {
      const auto J = ScaleRotateJacobian(q[3], q[4], q[5], q[6], u[i]);
      const Vec3 l = residual(i);
      for (int row = 0; row < 3; ++row) {
        std::array<double, kUnknowns> a{};
        a[row] = 1;
        for (int k = 0; k < 4; ++k) a[3 + k] = J[row][k];
        for (int p = 0; p < kUnknowns; ++p) {
          b[p] += a[p] * l[row];
          for (int s = 0; s <= p; ++s) N[ij2n(p + 1, s + 1) - 1] += a[p] * a[s];
        }
      }
    }
    int ier = 0;
    INVERS(N.data(), b.data(), 3, kUnknowns, ier);  // solve, then leave the inverse in N
    if (ier != 0) {
      e.error = "公共点共线, 不能求七参数!";
      return e;
    }
    double largest = 0;
    for (int p = 0; p < kUnknowns; ++p) {
      q[p] += b[p];
      largest = std::max(largest, std::fabs(b[p]));
    }
    converged = largest < 1e-8;  // metres, ppm and arc seconds alike
  }

  // Back from the centroid to the origin: dX = T - k R(ε) c, with G = d(parameters)/d(q).
  const Vec3 kc = ScaleRotate(q[3], q[4], q[5], q[6], c);
  const auto Jc = ScaleRotateJacobian(q[3], q[4], q[5], q[6], c);
  e.parameters = {q[0] - kc[0], q[1] - kc[1], q[2] - kc[2], q[3], q[4], q[5], q[6]};
  Matrix7 G{}, Q{};
  for (int p = 0; p < kUnknowns; ++p) {
    G[p][p] = 1;
    for (int s = 0; s < kUnknowns; ++s) Q[p][s] = N[ij2n(p + 1, s + 1) - 1];
  }
  for (int row = 0; row < 3; ++row)
    for (int k = 0; k < 4; ++k) G[row][3 + k] = -Jc[row][k];

  double vv = 0;
  for (size_t i = 0; i < n; ++i) {
    const Vec3 v = residual(i);
    e.residuals.push_back({points[i].name, v[0], v[1], v[2], false});
    vv += v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  }
  e.redundancy = static_cast<int>(3 * n) - kUnknowns;
  e.sigma0 = std::sqrt(vv / e.redundancy);
  std::array<double, kUnknowns> sd{};
  for (int p = 0; p < kUnknowns; ++p) {
    double var = 0;  // (G Q G^T)_pp
    for (int a = 0; a < kUnknowns; ++a)
      for (int s = 0; s < kUnknowns; ++s) var += G[p][a] * Q[a][s] * G[p][s];
    sd[p] = e.sigma0 * std::sqrt(std::max(var, 0.0));
  }
  e.sigma = {sd[0], sd[1], sd[2], sd[3], sd[4], sd[5], sd[6]};
  if (e.sigma0 >= 1e-6)
    for (SevenResidual& r : e.residuals)
      r.flagged = std::fabs(r.vX) > 3 * e.sigma0 || std::fabs(r.vY) > 3 * e.sigma0 ||
                  std::fabs(r.vZ) > 3 * e.sigma0;
  e.ok = true;
  return e;
}

SevenEstimate EstimateSevenParameters(const std::vector<CommonGeodeticPoint>& points,
                                      const Ellipsoid& oldEllipsoid,
                                      const Ellipsoid& newEllipsoid) {
  std::vector<CommonSpacePoint> space;
  for (const CommonGeodeticPoint& g : points) {
    CommonSpacePoint p;
    p.name = g.name;
    BLHXYZ(g.B, g.L, g.H, p.X, p.Y, p.Z, oldEllipsoid);
    BLHXYZ(g.Bn, g.Ln, g.Hn, p.Xn, p.Yn, p.Zn, newEllipsoid);
    space.push_back(std::move(p));
  }
  return EstimateSevenParameters(space);
}

}  // namespace vantrel::adjustment
