#include "transform/matrix_inversion.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace vantrel {

std::optional<int> ij2n_checked(int i, int j) {
  const int p = i > j ? i : j;
  const int q = i > j ? j : i;
  int pm1 = 0;
  int prod = 0;
  int pos = 0;
  if (__builtin_sub_overflow(p, 1, &pm1) || __builtin_mul_overflow(p, pm1, &prod) ||
      __builtin_add_overflow(prod / 2, q, &pos)) {
    return std::nullopt;
  }
  return pos;
}

int ij2n(int i, int j) {
  const std::optional<int> pos = ij2n_checked(i, j);
  if (!pos) throw std::overflow_error("ij2n: packed position overflows");
  return *pos;
}

namespace {

// 0-based index of (i, j), j <= i, both 1-based, in the packed array.
inline std::size_t Row(int i) { return static_cast<std::size_t>(i) * (i - 1) / 2; }

constexpr double kPivotTolerance = 2.5e-9;

}  // namespace

void INVERS(double* a, double* B, int ijob, int N, int& Ier, const MessageHandler& onMessage) {
  if (ijob < 1 || ijob > 4) {
    Ier = 129;
    if (onMessage) onMessage("IJOB INPUT PARAMETER OUT OF RANGE");
    return;
  }
  Ier = 0;

  // Decomposition A = L*L^T; the diagonal keeps r(i) = 1/l(i,i).
  const double RN = 1.0 / (16.0 * static_cast<double>(N));
  for (int i = 1; i <= N; ++i) {
    double* rowI = a + Row(i);
    for (int j = 1; j <= i; ++j) {
      const double* rowJ = a + Row(j);
      double x = rowI[j - 1];
      for (int k = 1; k < j; ++k) x -= rowI[k - 1] * rowJ[k - 1];
      if (j < i) {
        rowI[j - 1] = x * rowJ[j - 1];
        continue;
      }
      // The pivot is judged against the size of the original diagonal element; written
      // as !(d > tol) so that a NaN pivot (NaN or infinite input) is rejected too.
      const double aii = rowI[i - 1];
      const double t = RN * x + aii;
      const double d = t - aii;
      if (!(d > kPivotTolerance)) {
        Ier = 130;
        return;
      }
      rowI[i - 1] = 1.0 / std::sqrt(x);
    }
  }
  if (ijob == 4) return;

  if (ijob == 2 || ijob == 3) {
    // Forward sweep L*y = B, starting at the first non-zero entry of B.
    int first = 0;
    for (int i = 1; i <= N; ++i) {
      const double* rowI = a + Row(i);
      double y = B[i - 1];
      if (first != 0) {
        for (int k = first; k < i; ++k) y -= rowI[k - 1] * B[k - 1];
      } else if (y != 0.0) {
        first = i;
      }
      B[i - 1] = y * rowI[i - 1];
    }
    // Backward sweep L^T*x = y.
    for (int i = N; i >= 1; --i) {
      double x = B[i - 1];
      for (int k = N; k > i; --k) x -= a[Row(k) + i - 1] * B[k - 1];
      B[i - 1] = x * a[Row(i) + i - 1];
    }
    if (ijob == 2) return;
  }

  // M = L^-1 column by column; its diagonal is already r(i).
  for (int i = 1; i < N; ++i) {
    for (int j = i + 1; j <= N; ++j) {
      const double* rowJ = a + Row(j);
      double s = 0.0;
      for (int k = i; k < j; ++k) s += rowJ[k - 1] * a[Row(k) + i - 1];
      a[Row(j) + i - 1] = -a[Row(j) + j - 1] * s;
    }
  }
  // A^-1 = M^T * M; each element overwrites an entry of M no longer needed.
  for (int i = 1; i <= N; ++i) {
    for (int j = i; j <= N; ++j) {
      double s = 0.0;
      for (int k = j; k <= N; ++k) s += a[Row(k) + j - 1] * a[Row(k) + i - 1];
      a[Row(j) + i - 1] = s;
    }
  }
}

}  // namespace vantrel
