#include "adjustment/sparse_normal.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <Eigen/Dense>
#include <suitesparse/cholmod.h>

namespace vantrel::adjustment {

NormalEquations::NormalEquations(int unknowns)
    : size_(unknowns), rhs_(Eigen::VectorXd::Zero(unknowns)),
      diagonal_(Eigen::VectorXd::Zero(unknowns)) {}

void NormalEquations::AddRow(std::span<const int> unknowns, std::span<const double> coefficients,
                             double l, double p) {
  const double root = std::sqrt(p);
  const std::size_t begin = columns_.size();
  for (std::size_t a = 0; a < unknowns.size(); ++a) {
    const int i = unknowns[a];
    rhs_[i] += p * coefficients[a] * l;
    diagonal_[i] += p * coefficients[a] * coefficients[a];
    // Kept ascending: a handful of entries, an insertion sort.
    std::size_t at = columns_.size();
    columns_.push_back(i);
    values_.push_back(root * coefficients[a]);
    for (; at > begin && columns_[at - 1] > i; --at) {
      std::swap(columns_[at - 1], columns_[at]);
      std::swap(values_[at - 1], values_[at]);
    }
  }
  rowStart_.push_back(static_cast<int>(columns_.size()));
}

SparseMatrix NormalEquations::Matrix() const {
  std::vector<Eigen::Triplet<double, int>> triplets;
  for (int r = 0; r < Rows(); ++r) {
    for (int a = rowStart_[r]; a < rowStart_[r + 1]; ++a)
      for (int b = rowStart_[r]; b <= a; ++b)
        triplets.emplace_back(columns_[a], columns_[b], values_[a] * values_[b]);
  }
  SparseMatrix n(size_, size_);
  n.setFromTriplets(triplets.begin(), triplets.end());
  return n;
}

struct SparseFactor::Cholmod {
  cholmod_common common;
  cholmod_factor* factor = nullptr;
  Cholmod() {
    cholmod_start(&common);
    common.supernodal = CHOLMOD_SUPERNODAL;
    common.print = 0;
    common.error_handler = nullptr;
  }
  ~Cholmod() {
    Free();
    cholmod_finish(&common);
  }
  void Free() {
    if (factor) cholmod_free_factor(&factor, &common);
  }
  // Supernode s: its first column, its columns, its rows (the columns first, then the rows
  // below, ascending) and its dense column-major block of values.
  int First(int s) const { return static_cast<int>(Super()[s]); }
  int Columns(int s) const { return static_cast<int>(Super()[s + 1] - Super()[s]); }
  int RowCount(int s) const { return static_cast<int>(Pi()[s + 1] - Pi()[s]); }
  const int* Rows(int s) const { return static_cast<const int*>(factor->s) + Pi()[s]; }
  std::size_t Values(int s) const { return static_cast<std::size_t>(Px()[s]); }
  const double* X() const { return static_cast<const double*>(factor->x); }
  const int* Super() const { return static_cast<const int*>(factor->super); }
  const int* Pi() const { return static_cast<const int*>(factor->pi); }
  const int* Px() const { return static_cast<const int*>(factor->px); }
};

SparseFactor::SparseFactor() : cholmod_(std::make_unique<Cholmod>()) {}
SparseFactor::~SparseFactor() = default;

FactorStatus SparseFactor::Factorize(const NormalEquations& normal) {
  const int size = normal.Size();
  Cholmod& c = *cholmod_;
  z_.clear();
  // CHOLMOD factors A·Aᵀ of an unsymmetric matrix: given Aᵀ·√P it factors N itself.
  cholmod_sparse a{};
  a.nrow = static_cast<std::size_t>(size);
  a.ncol = static_cast<std::size_t>(normal.Rows());
  a.nzmax = normal.columns_.size();
  a.p = const_cast<int*>(normal.rowStart_.data());
  a.i = const_cast<int*>(normal.columns_.data());
  a.x = const_cast<double*>(normal.values_.data());
  a.stype = 0;
  a.itype = CHOLMOD_INT;
  a.xtype = CHOLMOD_REAL;
  a.dtype = CHOLMOD_DOUBLE;
  a.sorted = 1;
  a.packed = 1;
  std::uint64_t hash = 1469598103934665603ull ^ static_cast<std::uint64_t>(size);
  for (const std::vector<int>* v : {&normal.rowStart_, &normal.columns_})
    for (int k : *v) hash = (hash ^ static_cast<std::uint32_t>(k)) * 1099511628211ull;
  FactorStatus status;
  if (size == 0) {  // every unknown held: nothing to factor
    c.Free();
    position_.clear();
    status.ok = true;
    return status;
  }
  if (!c.factor || hash != pattern_) {
    c.Free();
    c.factor = cholmod_analyze(&a, &c.common);
    pattern_ = hash;
    if (!c.factor) return status;
  }
  cholmod_factorize(&a, c.factor, &c.common);
  if (c.common.status < CHOLMOD_OK || !c.factor->is_super) {
    c.Free();
    return status;
  }
  const int* perm = static_cast<const int*>(c.factor->Perm);
  position_.assign(size, 0);
  for (int k = 0; k < size; ++k) position_[perm[k]] = k;
  superOf_.assign(size, 0);
  const int supers = static_cast<int>(c.factor->nsuper);
  for (int s = 0; s < supers; ++s)
    for (int k = c.First(s); k < c.First(s) + c.Columns(s); ++k) superOf_[k] = s;

  // CHOLMOD stops at a pivot that is not positive; a rank defect in floating point leaves a
  // pivot of rounding size instead, which the relative test catches.
  const int valid = c.common.status == CHOLMOD_NOT_POSDEF ? static_cast<int>(c.factor->minor) : size;
  int broken = valid < size ? valid : -1;
  for (int k = 0; k < valid && k < size; ++k) {
    const int s = superOf_[k];
    const int local = k - c.First(s);
    const double l = c.X()[c.Values(s) + static_cast<std::size_t>(local) * c.RowCount(s) + local];
    if (!(l * l > kPivotTolerance * normal.Diagonal()[perm[k]])) {
      broken = k;
      break;
    }
  }
  status.ok = broken < 0;
  if (!status.ok) {
    status.brokenUnknown = perm[broken];
    // A factor that broke down is no base for the next call's ordering of numbers.
    c.Free();
  }
  return status;
}

Eigen::VectorXd SparseFactor::Solve(const Eigen::VectorXd& rhs) const {
  Cholmod& c = *cholmod_;
  if (!c.factor) return Eigen::VectorXd::Zero(rhs.size());
  cholmod_dense b{};
  b.nrow = static_cast<std::size_t>(rhs.size());
  b.ncol = 1;
  b.nzmax = b.nrow;
  b.d = b.nrow;
  b.x = const_cast<double*>(rhs.data());
  b.xtype = CHOLMOD_REAL;
  b.dtype = CHOLMOD_DOUBLE;
  cholmod_dense* x = cholmod_solve(CHOLMOD_A, c.factor, &b, &c.common);
  Eigen::VectorXd out = Eigen::Map<const Eigen::VectorXd>(static_cast<const double*>(x->x), rhs.size());
  cholmod_free_dense(&x, &c.common);
  return out;
}

std::ptrdiff_t SparseFactor::FactorNonZeros() const {
  const Cholmod& c = *cholmod_;
  return c.factor ? static_cast<std::ptrdiff_t>(c.factor->xsize) : 0;
}

// Takahashi's recurrences by supernodes, from the last back. With a supernode's block split
// into its diagonal part D and the rows below B (rows R), and U = B D⁻¹:
//   Z(R, cols) = −Z(R, R) U        Z(cols, cols) = D⁻ᵀ D⁻¹ − Uᵀ Z(R, cols)
// Z(R, R) lies in later supernodes at positions their blocks hold, because R is a clique
// of the factor's graph.
void SparseFactor::SelectInverse() {
  using Matrix = Eigen::Map<Eigen::MatrixXd>;
  const Cholmod& c = *cholmod_;
  if (!c.factor) return;
  const int supers = static_cast<int>(c.factor->nsuper);
  z_.assign(c.factor->xsize, 0.0);
  std::vector<int> local(position_.size(), -1);
  // Work space for the largest supernode, reused by all.
  std::size_t most = 0;
  for (int s = 0; s < supers; ++s)
    most = std::max(most, static_cast<std::size_t>(c.RowCount(s)) * c.RowCount(s));
  std::vector<double> work(3 * most);
  int scattered = -1;
  for (int s = supers - 1; s >= 0; --s) {
    const int cols = c.Columns(s), rows = c.RowCount(s), below = rows - cols;
    const int* r = c.Rows(s) + cols;
    Eigen::Map<const Eigen::MatrixXd> block(c.X() + c.Values(s), rows, cols);
    Matrix dInverse(work.data(), cols, cols), u(work.data() + most, below, cols),
        zrr(work.data() + 2 * most, below, below);
    dInverse.setIdentity();
    block.topRows(cols).triangularView<Eigen::Lower>().solveInPlace(dInverse);
    Matrix z(z_.data() + c.Values(s), rows, cols);
    z.topRows(cols).noalias() = dInverse.transpose() * dInverse;
    if (below == 0) continue;
    u.noalias() = block.bottomRows(below) * dInverse.triangularView<Eigen::Lower>();
    for (int j = 0; j < below; ++j) {
      const int t = superOf_[r[j]];
      if (t != scattered) {
        for (int a = 0; a < c.RowCount(t); ++a) local[c.Rows(t)[a]] = a;
        scattered = t;
      }
      const double* zt = z_.data() + c.Values(t) + static_cast<std::size_t>(r[j] - c.First(t)) * c.RowCount(t);
      for (int i = j; i < below; ++i) zrr(i, j) = zt[local[r[i]]];
    }
    z.bottomRows(below).noalias() = -(zrr.selfadjointView<Eigen::Lower>() * u);
    z.topRows(cols).noalias() -= u.transpose() * z.bottomRows(below);
  }
}

double SparseFactor::Inverse(int i, int j) const {
  const Cholmod& c = *cholmod_;
  const int row = std::max(position_[i], position_[j]);
  const int col = std::min(position_[i], position_[j]);
  const int s = superOf_[col];
  const int cols = c.Columns(s), first = c.First(s);
  int at = -1;
  if (row < first + cols) {
    at = row - first;
  } else {
    const int* begin = c.Rows(s) + cols;
    const int* end = c.Rows(s) + c.RowCount(s);
    const int* found = std::lower_bound(begin, end, row);
    if (found == end || *found != row) return std::numeric_limits<double>::quiet_NaN();
    at = static_cast<int>(found - c.Rows(s));
  }
  return z_[c.Values(s) + static_cast<std::size_t>(col - first) * c.RowCount(s) + at];
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
