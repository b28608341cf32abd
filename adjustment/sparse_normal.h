#pragma once
// Sparse normal equations N x = n of a least-squares adjustment, their factorisation and the
// entries of N^-1 that precisions and redundancy numbers need.
//
// The factor is CHOLMOD's supernodal Cholesky (SuiteSparse, in Debian) with its fill-reducing
// ordering (AMD, or METIS where AMD fills too much): survey networks are two-dimensional
// graphs whose separators form dense blocks, and the supernodal factor does those with BLAS.
// The selected inverse runs over the same supernodes, block by block.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <Eigen/SparseCore>
#include <memory>

namespace vantrel::adjustment {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

// The observation rows of N = AᵀPA and the right-hand side n = AᵀPl. The rows are kept as
// they are (√p·a, a few non-zero coefficients each): the factorisation forms AᵀPA itself,
// and between iterations of a non-linear adjustment only the numbers change.
class NormalEquations {
 public:
  explicit NormalEquations(int unknowns);

  // One observation row: coefficients[k] belongs to unknown unknowns[k]; l is the row's
  // reduced observation (observed minus computed), p its weight.
  void AddRow(std::span<const int> unknowns, std::span<const double> coefficients, double l,
              double p);

  int Size() const { return size_; }
  int Rows() const { return static_cast<int>(rowStart_.size()) - 1; }
  // N as a lower triangle (column-major, duplicates summed), for callers that want to look.
  SparseMatrix Matrix() const;
  const Eigen::VectorXd& RightHandSide() const { return rhs_; }
  const Eigen::VectorXd& Diagonal() const { return diagonal_; }

 private:
  friend class SparseFactor;
  int size_;
  // Aᵀ·√P column by column (one column per row), unknowns ascending within a row.
  std::vector<int> rowStart_{0};
  std::vector<int> columns_;
  std::vector<double> values_;
  Eigen::VectorXd rhs_, diagonal_;
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
  // A pivot below kPivotTolerance times its column's diagonal in N counts as a breakdown
  // (rank defect). Equations with the rows' pattern of the last call reuse its ordering.
  FactorStatus Factorize(const NormalEquations& normal);
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

  int Size() const { return static_cast<int>(position_.size()); }
  // Entries L's supernodes store (memory and work grow with it).
  std::ptrdiff_t FactorNonZeros() const;

  SparseFactor();
  ~SparseFactor();
  SparseFactor(const SparseFactor&) = delete;
  SparseFactor& operator=(const SparseFactor&) = delete;

 private:
  struct Cholmod;
  std::unique_ptr<Cholmod> cholmod_;
  std::uint64_t pattern_ = 0;  // a hash of the rows' pattern the ordering was made for
  std::vector<int> position_;  // caller's unknown -> factor's column
  std::vector<int> superOf_;   // factor's column -> its supernode
  std::vector<double> z_;      // N^-1 on L's supernodal layout
};

}  // namespace vantrel::adjustment
