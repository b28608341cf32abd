#include "transform/common_point_transform.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "transform/matrix_inversion.h"

namespace vantrel {
namespace {

constexpr int kUnknowns = 4;
constexpr int kPacked = kUnknowns * (kUnknowns + 1) / 2;
constexpr double kConverged = 1e-19;  // plain sum of squares of the four corrections
constexpr double kRadToSeconds = 206265;

// Adds one observation equation a·p = l to the normal equations.
void Accumulate(const double (&a)[kUnknowns], double l, double* N, double* U, double& S) {
  for (int i = 1; i <= kUnknowns; ++i) {
    for (int j = 1; j <= i; ++j) N[ij2n(i, j) - 1] += a[i - 1] * a[j - 1];
    U[i - 1] += a[i - 1] * l;
  }
  S += l * l;
}

// One Gauss-Newton step's normal equations at the parameters p, for points whose old and
// new coordinates are reduced by (ox, oy) and (oX, oY). Returns the sum of squared
// misclosures.
double BuildNormals(const std::vector<CommonPoint>& points, const std::array<double, 4>& p,
                    double ox, double oy, double oX, double oY, double* N, double* U) {
  std::fill_n(N, kPacked, 0.0);
  std::fill_n(U, kUnknowns, 0.0);
  double S = 0;
  const double c = std::cos(p[kRotation]), s = std::sin(p[kRotation]);
  const double k = 1 + p[kScale];
  for (const CommonPoint& cp : points) {
    const double x = cp.XOld - ox, y = cp.YOld - oy;
    const double u = x * c + y * s;
    const double v = -x * s + y * c;
    const double ax[kUnknowns] = {1, 0, k * v, u};
    Accumulate(ax, (cp.XNew - oX) - p[kShiftX] - k * u, N, U, S);
    const double ay[kUnknowns] = {0, 1, k * (-x * c - y * s), v};
    Accumulate(ay, (cp.YNew - oY) - p[kShiftY] - k * v, N, U, S);
  }
  return S;
}

}  // namespace

EstimateOutcome EstimateTransParam(TransformState& state) {
  const auto& points = state.CommonPoints;
  const int n = state.CommonCount();
  if (n < 2) return EstimateOutcome::TooFewPoints;
  // Gauss coordinates run to millions of metres: iterated about the origin, rounding
  // keeps the shift corrections near 1e-8 m and the 1e-19 test never passes. So the
  // iteration runs on coordinates reduced to the centroids, the same model with shifted
  // origins, and the shifts are carried back at the end.
  double ox = 0, oy = 0, oX = 0, oY = 0;
  for (const CommonPoint& cp : points) {
    ox += cp.XOld, oy += cp.YOld, oX += cp.XNew, oY += cp.YNew;
  }
  ox /= n, oy /= n, oX /= n, oY /= n;

  // Worked on copies: a failed estimation leaves the last good parameters intact.
  std::array<double, 4> p{};
  // Started from zero, Gauss-Newton runs into k = 0 for turns near 90 degrees and beyond
  // and the normal matrix breaks down. The closed-form fit of the same model (linear in
  // a = k cos θ, b = k sin θ) gives the starting rotation and scale instead.
  double sxx = 0, sa = 0, sb = 0;
  for (const CommonPoint& cp : points) {
    const double x = cp.XOld - ox, y = cp.YOld - oy, X = cp.XNew - oX, Y = cp.YNew - oY;
    sxx += x * x + y * y;
    sa += x * X + y * Y;
    sb += y * X - x * Y;
  }
  if (sxx > 0 && std::hypot(sa, sb) > 0) {
    p[kRotation] = std::atan2(sb, sa);
    p[kScale] = std::hypot(sa, sb) / sxx - 1;
  }
  std::array<double, kNormalMatSize> N{};
  std::array<double, kNormalRhsSize> U{};
  double S = 0;
  for (int iteration = 1;; ++iteration) {
    S = BuildNormals(points, p, ox, oy, oX, oY, N.data(), U.data());
    int ier = 0;
    INVERS(N.data(), U.data(), 3, kUnknowns, ier);
    if (ier != 0) return EstimateOutcome::Rejected;
    double moved = 0;
    for (int i = 0; i < kUnknowns; ++i) {
      p[i] += U[i];
      moved += U[i] * U[i];
    }
    if (!std::isfinite(moved)) return EstimateOutcome::NotConverged;
    if (moved <= kConverged) break;
    if (iteration == kMaxIterations) return EstimateOutcome::NotConverged;
  }
  // Back to the true origins: X = k R (x - ox) + dX~ + oX = k R x + (dX~ + oX - k R o).
  const double c = std::cos(p[kRotation]), s = std::sin(p[kRotation]);
  const double k = 1 + p[kScale];
  p[kShiftX] += oX - k * (ox * c + oy * s);
  p[kShiftY] += oY - k * (-ox * s + oy * c);

  // The parameter window's precisions come from the normal matrix of the model as it
  // stands (shifts at the origin), formed at the solution and inverted.
  std::array<double, kNormalMatSize> Q{};
  std::array<double, kNormalRhsSize> last{};
  BuildNormals(points, p, 0, 0, 0, 0, Q.data(), last.data());
  int ier = 0;
  INVERS(Q.data(), last.data(), 1, kUnknowns, ier);
  if (ier != 0) return EstimateOutcome::Rejected;

  state.TransParam = p;
  state.NormalMat = Q;
  state.NormalRhs = U;
  state.UnitWeightError = n > 2 ? std::sqrt(S / (2.0 * n - 4)) : 0;
  return EstimateOutcome::Converged;
}

PlaneSimilarity::PlaneSimilarity(const std::array<double, 4>& p)
    : dX_(p[kShiftX]),
      dY_(p[kShiftY]),
      c_(std::cos(p[kRotation])),
      s_(std::sin(p[kRotation])),
      k_(1 + p[kScale]) {}

std::array<double, 4> TransParamStandardErrors(const TransformState& state) {
  std::array<double, 4> e{};
  for (int i = 1; i <= kUnknowns; ++i)
    e[i - 1] = state.UnitWeightError * std::sqrt(std::max(0.0, state.NormalMat[ij2n(i, i) - 1]));
  return e;
}

std::vector<PlaneResidual> CommonPointResiduals(const TransformState& state) {
  const PlaneSimilarity t(state.TransParam);
  std::vector<PlaneResidual> out;
  out.reserve(state.CommonPoints.size());
  for (const CommonPoint& cp : state.CommonPoints) {
    double X = 0, Y = 0;
    t.Apply(cp.XOld, cp.YOld, X, Y);
    out.push_back({cp.XNew - X, cp.YNew - Y});
  }
  return out;
}

ParamTexts FormatTransParam(const TransformState& state) {
  const std::array<double, 4> errors = TransParamStandardErrors(state);
  auto standardError = [&](int i) { return errors[i - 1]; };
  ParamTexts t;
  t.ShiftX = FormatPattern(state.TransParam[kShiftX], "######0.000") + "±" +
             FormatPattern(standardError(1), "####0.000");
  t.ShiftY = FormatPattern(state.TransParam[kShiftY], "######0.000") + "±" +
             FormatPattern(standardError(2), "####0.000");
  double theta = state.TransParam[kRotation];  // Rad2dms_Buff rewrites its argument
  t.Rotation = Rad2dms_Buff(theta) + "±" +
               FormatPattern(standardError(3) * kRadToSeconds, "####0.000");
  t.Scale = FormatPattern(1e6 * state.TransParam[kScale], "#####0.00") + "±" +
            FormatPattern(1e6 * standardError(4), "####0.000");
  return t;
}

}  // namespace vantrel
