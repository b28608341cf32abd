#include "adjustment/sparse_normal.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantrel::adjustment {

NormalEquations::NormalEquations(int unknowns)
    : size_(unknowns), rhs_(Eigen::VectorXd::Zero(unknowns)) {}

void NormalEquations::AddRow(std::span<const int> unknowns, std::span<const double> coefficients,
                             double l, double p) {
  for (std::size_t a = 0; a < unknowns.size(); ++a) {
    const int i = unknowns[a];
    const double pa = p * coefficients[a];
    rhs_[i] += pa * l;
    for (std::size_t b = 0; b < unknowns.size(); ++b) {
      const int j = unknowns[b];
      if (j <= i) triplets_.emplace_back(i, j, pa * coefficients[b]);
    }
  }
}

SparseMatrix NormalEquations::Matrix() const {
  SparseMatrix n(size_, size_);
  n.setFromTriplets(triplets_.begin(), triplets_.end());
  return n;
}

FactorStatus SparseFactor::Factorize(const SparseMatrix& lowerN) {
  const int size = static_cast<int>(lowerN.rows());
  zDiag_.clear();
  zLower_.clear();
  ldlt_.compute(lowerN);
  const auto& p = ldlt_.permutationP().indices();
  perm_.assign(p.data(), p.data() + size);

  std::vector<double> diagonal(size, 0.0);  // N's diagonal in the factor's order
  for (int c = 0; c < size; ++c) diagonal[perm_[c]] = lowerN.coeff(c, c);
  const Eigen::VectorXd& d = ldlt_.vectorD();
  // Eigen stops at an exactly zero pivot; a rank defect in floating point leaves a pivot
  // of rounding size instead, which the relative test catches.
  int broken = -1;
  for (int k = 0; k < size; ++k) {
    if (!(d[k] > kPivotTolerance * diagonal[k])) {
      broken = k;
      break;
    }
  }
  if (broken < 0 && ldlt_.info() != Eigen::Success) broken = 0;
  FactorStatus status;
  status.ok = broken < 0;
  if (!status.ok) {
    status.brokenUnknown =
        static_cast<int>(std::find(perm_.begin(), perm_.end(), broken) - perm_.begin());
  }
  return status;
}

Eigen::VectorXd SparseFactor::Solve(const Eigen::VectorXd& rhs) const { return ldlt_.solve(rhs); }

std::ptrdiff_t SparseFactor::FactorNonZeros() const {
  return ldlt_.matrixL().nestedExpression().nonZeros();
}

void SparseFactor::SelectInverse() {
  const SparseMatrix& l = ldlt_.matrixL().nestedExpression();
  const int* lp = l.outerIndexPtr();
  const int* li = l.innerIndexPtr();
  const double* lx = l.valuePtr();
  const Eigen::VectorXd& d = ldlt_.vectorD();
  const int size = static_cast<int>(l.cols());
  zDiag_.assign(size, 0.0);
  zLower_.assign(static_cast<std::size_t>(lp[size]), 0.0);
  std::vector<double> column;
  // From the last column back: column j of Z = N^-1 needs only Z on the rows L's column j
  // holds, and those rows form a clique in the factor's graph, so each Z(i, k) it reads is
  // already stored at a position of L (rows within a column are ascending).
  for (int j = size - 1; j >= 0; --j) {
    const int p0 = lp[j];
    const int count = lp[j + 1] - p0;
    column.assign(count, 0.0);
    for (int a = 0; a < count; ++a) {
      const int i = li[p0 + a];
      column[a] -= lx[p0 + a] * zDiag_[i];
      int q = lp[i];
      const int qEnd = lp[i + 1];
      for (int b = a + 1; b < count; ++b) {
        const int k = li[p0 + b];
        while (q < qEnd && li[q] < k) ++q;
        const double z = zLower_[q];  // Z(k, i); the clique property guarantees li[q] == k
        column[a] -= lx[p0 + b] * z;
        column[b] -= lx[p0 + a] * z;
      }
    }
    double diag = 1.0 / d[j];
    for (int a = 0; a < count; ++a) {
      zLower_[p0 + a] = column[a];
      diag -= lx[p0 + a] * column[a];
    }
    zDiag_[j] = diag;
  }
}

double SparseFactor::Inverse(int i, int j) const {
  const int pi = perm_[i];
  const int pj = perm_[j];
  if (pi == pj) return zDiag_[pi];
  const int row = std::max(pi, pj);
  const int col = std::min(pi, pj);
  const SparseMatrix& l = ldlt_.matrixL().nestedExpression();
  const int* begin = l.innerIndexPtr() + l.outerIndexPtr()[col];
  const int* end = l.innerIndexPtr() + l.outerIndexPtr()[col + 1];
  const int* at = std::lower_bound(begin, end, row);
  if (at == end || *at != row) return std::numeric_limits<double>::quiet_NaN();
  return zLower_[static_cast<std::size_t>(at - l.innerIndexPtr())];
}

double SparseFactor::Quadratic(std::span<const int> unknowns,
                               std::span<const double> coefficients) const {
  double q = 0;
  for (std::size_t a = 0; a < unknowns.size(); ++a) {
    q += coefficients[a] * coefficients[a] * Inverse(unknowns[a], unknowns[a]);
    for (std::size_t b = a + 1; b < unknowns.size(); ++b)
      q += 2 * coefficients[a] * coefficients[b] * Inverse(unknowns[a], unknowns[b]);
  }
  return q;
}

}  // namespace vantrel::adjustment
