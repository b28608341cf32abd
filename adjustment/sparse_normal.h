#pragma once
// Sparse normal equations N x = n of a least-squares adjustment, their factorisation and the
// entries of N^-1 that precisions and redundancy numbers need.
//
// The factor is Eigen's SimplicialLDLT with its AMD fill-reducing ordering: header-only, in
// Debian, and for the 1D (levelling) and 2D (plane) sparsity of survey networks it handles
// 10^5 unknowns in a second or so. A supernodal factor (CHOLMOD) can replace it behind this
// interface when larger networks come along; nothing outside this file sees Eigen's factor.
#include <cstddef>
#include <span>
#include <vector>

#include <Eigen/SparseCore>
#include <Eigen/SparseCholesky>

namespace vantrel::adjustment {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

// Sums p·aᵀa and p·aᵀl over observation rows a (a few non-zero coefficients each) into the
// lower triangle of N and into n.
class NormalEquations {
 public:
  explicit NormalEquations(int unknowns);

  // One observation row: coefficients[k] belongs to unknown unknowns[k]; l is the row's
  // reduced observation (observed minus computed), p its weight.
  void AddRow(std::span<const int> unknowns, std::span<const double> coefficients, double l,
              double p);

  int Size() const { return size_; }
  // N as a lower triangle (column-major, duplicates summed).
  SparseMatrix Matrix() const;
  const Eigen::VectorXd& RightHandSide() const { return rhs_; }

 private:
  int size_;
  std::vector<Eigen::Triplet<double, int>> triplets_;
  Eigen::VectorXd rhs_;
};

struct FactorStatus {
  bool ok = false;
  // When !ok: the unknown (in the caller's numbering) whose pivot vanished or went negative,
  // i.e. one the observations do not determine once the unknowns before it are fixed.
  int brokenUnknown = -1;
};

// L D Lᵀ of P N Pᵀ with P the AMD ordering, and the selected inverse on the factor's pattern.
class SparseFactor {
 public:
  // lowerN: N's lower triangle as NormalEquations::Matrix gives it. A pivot below
  // kPivotTolerance times its column's diagonal in N counts as a breakdown (rank defect).
  FactorStatus Factorize(const SparseMatrix& lowerN);
  static constexpr double kPivotTolerance = 1e-10;

  Eigen::VectorXd Solve(const Eigen::VectorXd& rhs) const;

  // Computes the entries of N^-1 on the pattern of L + Lᵀ (Takahashi's recurrences).
  // Afterwards Inverse(i, j) answers for every pair the factor couples, in particular every
  // pair of unknowns that one observation row shares.
  void SelectInverse();
  // N^-1(i, j) in the caller's numbering; NaN when (i, j) lies outside the factor's pattern.
  double Inverse(int i, int j) const;
  // a N^-1 aᵀ of one observation row; NaN when two of its unknowns are not coupled.
  double Quadratic(std::span<const int> unknowns, std::span<const double> coefficients) const;

  int Size() const { return static_cast<int>(perm_.size()); }
  // Entries of L below the diagonal (memory and work grow with it).
  std::ptrdiff_t FactorNonZeros() const;

 private:
  Eigen::SimplicialLDLT<SparseMatrix, Eigen::Lower, Eigen::AMDOrdering<int>> ldlt_;
  std::vector<int> perm_;      // caller's unknown -> factor's row
  std::vector<double> zDiag_;  // N^-1 diagonal, factor's order
  std::vector<double> zLower_; // N^-1 below the diagonal, parallel to L's values
};

}  // namespace vantrel::adjustment
