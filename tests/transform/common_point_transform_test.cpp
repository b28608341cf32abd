#include "transform/common_point_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "transform/matrix_inversion.h"

namespace vantrel {
namespace {

// X = k(x cos θ + y sin θ) + dX, Y = k(-x sin θ + y cos θ) + dY
void Apply(double dX, double dY, double theta, double m, double x, double y, double& X,
           double& Y) {
  X = (1 + m) * (x * std::cos(theta) + y * std::sin(theta)) + dX;
  Y = (1 + m) * (-x * std::sin(theta) + y * std::cos(theta)) + dY;
}

// Dense solve of a small system by Gaussian elimination with partial pivoting, in long
// double: the independent reference for both checks below.
std::vector<long double> Solve(std::vector<std::vector<long double>> A, std::vector<long double> b) {
  const size_t n = b.size();
  for (size_t c = 0; c < n; ++c) {
    size_t piv = c;
    for (size_t r = c + 1; r < n; ++r)
      if (std::fabs(A[r][c]) > std::fabs(A[piv][c])) piv = r;
    std::swap(A[c], A[piv]);
    std::swap(b[c], b[piv]);
    for (size_t r = c + 1; r < n; ++r) {
      long double f = A[r][c] / A[c][c];
      for (size_t k = c; k < n; ++k) A[r][k] -= f * A[c][k];
      b[r] -= f * b[c];
    }
  }
  std::vector<long double> x(n);
  for (size_t i = n; i-- > 0;) {
    long double s = b[i];
    for (size_t k = i + 1; k < n; ++k) s -= A[i][k] * x[k];
    x[i] = s / A[i][i];
  }
  return x;
}

TEST(EstimateTransParam, ShiftOnlyGivesTheShift) {
  TransformState s;
  const double pts[][2] = {{1000, 2000}, {1500.5, 2100}, {900, 2600.25}, {1200, 2200}};
  for (auto& p : pts) s.CommonPoints.push_back({"P", p[0] + 100, p[1] - 50, p[0], p[1]});
  ASSERT_EQ(EstimateTransParam(s), EstimateOutcome::Converged);
  EXPECT_NEAR(s.TransParam[kShiftX], 100, 1e-6);
  EXPECT_NEAR(s.TransParam[kShiftY], -50, 1e-6);
  EXPECT_NEAR(s.TransParam[kRotation], 0, 1e-12);
  EXPECT_NEAR(s.TransParam[kScale], 0, 1e-12);
  EXPECT_NEAR(s.UnitWeightError, 0, 1e-6);
  ParamTexts t = FormatTransParam(s);
  EXPECT_EQ(t.ShiftX, "100.000±0.000");
  EXPECT_EQ(t.ShiftY, "-50.000±0.000");
  EXPECT_EQ(t.Scale, "0.00±0.000");
}

TEST(EstimateTransParam, TwoPointsFitExactlyWithZeroSigma) {
  TransformState s;
  double X, Y;
  const double dX = 3000.5, dY = -1200.25, theta = 0.3, m = 2.5e-5;
  for (auto p : {std::pair{100.0, 200.0}, std::pair{-300.0, 800.0}}) {
    Apply(dX, dY, theta, m, p.first, p.second, X, Y);
    s.CommonPoints.push_back({"P", X, Y, p.first, p.second});
  }
  ASSERT_EQ(EstimateTransParam(s), EstimateOutcome::Converged);
  EXPECT_NEAR(s.TransParam[kShiftX], dX, 1e-7);
  EXPECT_NEAR(s.TransParam[kShiftY], dY, 1e-7);
  EXPECT_NEAR(s.TransParam[kRotation], theta, 1e-12);
  EXPECT_NEAR(s.TransParam[kScale], m, 1e-12);
  EXPECT_EQ(s.UnitWeightError, 0);
  ParamTexts t = FormatTransParam(s);
  for (const std::string* text : {&t.ShiftX, &t.ShiftY, &t.Rotation, &t.Scale})
    EXPECT_EQ(text->substr(text->size() - 7), "±0.000") << *text;
  EXPECT_EQ(t.ShiftX, "3000.500±0.000");
  EXPECT_EQ(t.Scale, "25.00±0.000");
}

TEST(EstimateTransParam, RefusalsLeaveTheStateAlone) {
  TransformState s;
  s.TransParam = {1, 2, 3, 4};
  s.UnitWeightError = 7;
  s.CommonPoints = {{"A", 1, 1, 5, 5}};
  EXPECT_EQ(EstimateTransParam(s), EstimateOutcome::TooFewPoints);
  // All common points at one place: the rotation and scale are not fixed.
  s.CommonPoints = {{"A", 1, 1, 5, 5}, {"B", 1, 1, 5, 5}, {"C", 1, 1, 5, 5}};
  EXPECT_EQ(EstimateTransParam(s), EstimateOutcome::Rejected);
  EXPECT_EQ(s.TransParam, (std::array<double, 4>{1, 2, 3, 4}));
  EXPECT_EQ(s.UnitWeightError, 7);
  EXPECT_FALSE(s.ParamsReady);
}

// Random similarity transformations with small noise on 30 points against the direct
// linear least-squares solution of the same model, written with a = k cos θ, b = k sin θ:
// X = a x + b y + dX, Y = -b x + a y + dY.
TEST(EstimateTransParam, AgreesWithLinearLeastSquares) {
  std::mt19937_64 rng(2024);
  std::uniform_real_distribution<double> coord(-5000, 5000), noise(-0.02, 0.02);
  for (int round = 0; round < 20; ++round) {
    const double theta = std::uniform_real_distribution<double>(-3.1, 3.1)(rng);
    const double m = std::uniform_real_distribution<double>(-1e-3, 1e-3)(rng);
    const double dX = std::uniform_real_distribution<double>(-1e5, 1e5)(rng);
    const double dY = std::uniform_real_distribution<double>(-1e5, 1e5)(rng);
    TransformState s;
    for (int i = 0; i < 30; ++i) {
      double x = 3e6 + coord(rng), y = 5e5 + coord(rng), X, Y;
      Apply(dX, dY, theta, m, x, y, X, Y);
      s.CommonPoints.push_back({"P", X + noise(rng), Y + noise(rng), x, y});
    }
    ASSERT_EQ(EstimateTransParam(s), EstimateOutcome::Converged) << round;

    // Reference, centred for conditioning: unknowns dX', dY', a, b.
    long double cx = 0, cy = 0;
    for (auto& p : s.CommonPoints) cx += p.XOld, cy += p.YOld;
    cx /= 30, cy /= 30;
    std::vector<std::vector<long double>> N(4, std::vector<long double>(4, 0));
    std::vector<long double> U(4, 0);
    auto add = [&](const long double (&a)[4], long double l) {
      for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) N[i][j] += a[i] * a[j];
        U[i] += a[i] * l;
      }
    };
    for (auto& p : s.CommonPoints) {
      long double x = p.XOld - cx, y = p.YOld - cy;
      add({1, 0, x, y}, p.XNew);
      add({0, 1, y, -x}, p.YNew);
    }
    auto r = Solve(N, U);
    long double a = r[2], b = r[3];
    long double refTheta = std::atan2(b, a);
    long double refM = std::sqrt(a * a + b * b) - 1;
    long double refDX = r[0] - (a * cx + b * cy);
    long double refDY = r[1] - (-b * cx + a * cy);
    long double S = 0;
    for (auto& p : s.CommonPoints) {
      long double x = p.XOld - cx, y = p.YOld - cy;
      long double vx = p.XNew - (r[0] + a * x + b * y), vy = p.YNew - (r[1] - b * x + a * y);
      S += vx * vx + vy * vy;
    }
    long double refSigma = std::sqrt(S / 56);

    auto rel = [](double got, long double want) {
      return std::fabs(got - want) / std::max<long double>(1, std::fabs(want));
    };
    EXPECT_LT(rel(s.TransParam[kShiftX], refDX), 1e-9) << round;
    EXPECT_LT(rel(s.TransParam[kShiftY], refDY), 1e-9) << round;
    EXPECT_LT(std::fabs(s.TransParam[kRotation] - refTheta), 1e-9 * std::fabs(refTheta) + 1e-12);
    EXPECT_LT(std::fabs(s.TransParam[kScale] - refM), 1e-9 * std::fabs(refM) + 1e-12);
    EXPECT_LT(std::fabs(s.UnitWeightError - refSigma), 1e-6 * refSigma) << round;
  }
}

TEST(FormatTransParam, StandardErrorIsSigmaTimesRootOfQ) {
  TransformState s;
  s.TransParam = {12.3456, -7.5, 0, 1.5e-6};
  s.UnitWeightError = 0.5;
  s.NormalMat[ij2n(1, 1) - 1] = 4;        // √4 · 0.5 = 1
  s.NormalMat[ij2n(2, 2) - 1] = 0.01;     // √0.01 · 0.5 = 0.05
  s.NormalMat[ij2n(3, 3) - 1] = 1e-12;    // 1e-6 · 0.5 rad = 0.103 s
  s.NormalMat[ij2n(4, 4) - 1] = 1e-12;    // 0.5 ppm
  ParamTexts t = FormatTransParam(s);
  EXPECT_EQ(t.ShiftX, "12.346±1.000");
  EXPECT_EQ(t.ShiftY, "-7.500±0.050");
  EXPECT_EQ(t.Rotation.substr(t.Rotation.find("±")), "±0.103");
  EXPECT_EQ(t.Scale, "1.50±0.500");
}

// INVERS against an independent inverse (Gaussian elimination in long double) for random
// positive definite matrices up to order 60.
TEST(INVERS, AgreesWithIndependentInverseUpTo60) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int n : {1, 2, 4, 7, 15, 30, 45, 60}) {
    std::vector<std::vector<double>> G(n, std::vector<double>(n));
    for (auto& row : G)
      for (auto& v : row) v = u(rng);
    std::vector<std::vector<long double>> A(n, std::vector<long double>(n, 0));
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        double s = i == j ? n : 0;  // G Gᵀ + n I is well conditioned and positive definite
        for (int k = 0; k < n; ++k) s += G[i][k] * G[j][k];
        A[i][j] = s;
      }
    std::vector<double> packed(kNormalMatSize, 0), B(kNormalRhsSize, 0);
    std::vector<long double> b(n);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= i; ++j) packed[ij2n(i, j) - 1] = static_cast<double>(A[i - 1][j - 1]);
      B[i - 1] = b[i - 1] = u(rng);
    }
    int ier = -1;
    INVERS(packed.data(), B.data(), 3, n, ier);
    ASSERT_EQ(ier, 0);
    auto x = Solve(A, b);
    double scale = 0;
    for (int i = 0; i < n; ++i) scale = std::max<double>(scale, std::fabs(x[i]));
    for (int i = 0; i < n; ++i) EXPECT_NEAR(B[i], static_cast<double>(x[i]), 1e-12 * scale) << n;
    for (int c = 0; c < n; ++c) {
      std::vector<long double> e(n, 0);
      e[c] = 1;
      auto col = Solve(A, e);
      for (int r = c; r < n; ++r)
        EXPECT_NEAR(packed[ij2n(r + 1, c + 1) - 1], static_cast<double>(col[r]),
                    1e-12 * std::fabs(static_cast<double>(col[c])))
            << n << " " << r << " " << c;
    }
  }
}

}  // namespace
}  // namespace vantrel
