// The sparse normal equations against Eigen's dense algebra on random sparse systems.
#include "adjustment/sparse_normal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <Eigen/Dense>

namespace vantrel::adjustment {
namespace {

struct RandomRows {
  std::vector<std::vector<int>> unknowns;
  std::vector<std::vector<double>> coefficients;
  std::vector<double> l, p;
};

// Rows of one to three unknowns each, as survey observations have, plus one row per unknown
// so that the system is positive definite.
RandomRows MakeRows(int size, int rowCount, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, size - 1), width(1, 3);
  std::uniform_real_distribution<double> value(-2.0, 2.0), weight(0.2, 5.0);
  RandomRows rows;
  for (int r = 0; r < rowCount + size; ++r) {
    std::vector<int> u;
    if (r < size) {
      u.push_back(r);
    } else {
      for (int w = std::min(width(random), size); (int)u.size() < w;) {
        const int i = pick(random);
        if (std::find(u.begin(), u.end(), i) == u.end()) u.push_back(i);
      }
    }
    std::vector<double> c;
    for (std::size_t k = 0; k < u.size(); ++k) c.push_back(value(random));
    rows.unknowns.push_back(u);
    rows.coefficients.push_back(c);
    rows.l.push_back(value(random));
    rows.p.push_back(weight(random));
  }
  return rows;
}

TEST(SparseNormal, SolutionAndSelectedInverseMatchDenseAlgebra) {
  const struct { int size, rows; unsigned seed; } cases[] = {
      {1, 2, 1}, {5, 4, 2}, {30, 40, 3}, {120, 200, 4}, {80, 400, 5}, {150, 60, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seed);
    const RandomRows rows = MakeRows(c.size, c.rows, c.seed);
    NormalEquations normal(c.size);
    Eigen::MatrixXd dense = Eigen::MatrixXd::Zero(c.size, c.size);
    Eigen::VectorXd rhs = Eigen::VectorXd::Zero(c.size);
    for (std::size_t r = 0; r < rows.l.size(); ++r) {
      normal.AddRow(rows.unknowns[r], rows.coefficients[r], rows.l[r], rows.p[r]);
      Eigen::RowVectorXd a = Eigen::RowVectorXd::Zero(c.size);
      for (std::size_t k = 0; k < rows.unknowns[r].size(); ++k)
        a[rows.unknowns[r][k]] = rows.coefficients[r][k];
      dense += rows.p[r] * a.transpose() * a;
      rhs += rows.p[r] * rows.l[r] * a.transpose();
    }
    SparseFactor factor;
    ASSERT_TRUE(factor.Factorize(normal).ok);
    const Eigen::MatrixXd inverse = dense.inverse();
    EXPECT_LT((factor.Solve(normal.RightHandSide()) - inverse * rhs).norm(),
              1e-10 * (inverse * rhs).norm());

    factor.SelectInverse();
    int compared = 0;
    const double tolerance = 1e-10 * inverse.cwiseAbs().maxCoeff();
    for (int i = 0; i < c.size; ++i) {
      for (int j = 0; j < c.size; ++j) {
        const double z = factor.Inverse(i, j);
        if (std::isnan(z)) continue;
        ++compared;
        ASSERT_NEAR(z, inverse(i, j), tolerance) << i << "," << j;
      }
    }
    // Every pair a row couples is on the pattern, so each row's a N⁻¹ aᵀ is there too.
    for (std::size_t r = 0; r < rows.l.size(); ++r) {
      Eigen::RowVectorXd a = Eigen::RowVectorXd::Zero(c.size);
      for (std::size_t k = 0; k < rows.unknowns[r].size(); ++k)
        a[rows.unknowns[r][k]] = rows.coefficients[r][k];
      const double expected = a * inverse * a.transpose();
      ASSERT_NEAR(factor.Quadratic(rows.unknowns[r], rows.coefficients[r]), expected,
                  1e-10 * std::fabs(expected) + tolerance);
    }
    // Every entry the factor stores answers (those below the diagonal from both sides).
    EXPECT_GE(compared, factor.FactorNonZeros());
  }
}

TEST(SparseNormal, RankDefectNamesAnUndeterminedUnknown) {
  const std::vector<double> diff = {-1.0, 1.0};
  // A chain of differences without an anchor: any one unknown can be the one that breaks.
  NormalEquations chain(6);
  for (int i = 0; i + 1 < 6; ++i) chain.AddRow(std::vector<int>{i, i + 1}, diff, 0.5, 1.0);
  SparseFactor factor;
  FactorStatus status = factor.Factorize(chain);
  EXPECT_FALSE(status.ok);
  EXPECT_GE(status.brokenUnknown, 0);

  // Anchored chains with one unknown that no row mentions: that unknown is named.
  for (int loose = 0; loose < 6; ++loose) {
    NormalEquations normal(7);
    std::vector<int> order;
    for (int i = 0; i < 7; ++i)
      if (i != loose) order.push_back(i);
    normal.AddRow(std::vector<int>{order[0]}, std::vector<double>{1.0}, 3.0, 2.0);
    for (std::size_t k = 0; k + 1 < order.size(); ++k)
      normal.AddRow(std::vector<int>{order[k], order[k + 1]}, diff, 0.5, 1.0);
    status = factor.Factorize(normal);
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.brokenUnknown, loose);
  }
}

}  // namespace
}  // namespace vantrel::adjustment
