#include "transform/matrix_inversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Sizes the calculator's transformation uses for its arrays: 60 unknowns.
constexpr int kMatrixCapacity = 1830;
constexpr int kVectorCapacity = 60;
constexpr double kSentinel = -777.0;

std::size_t Pos(int i, int j) { return static_cast<std::size_t>(ij2n(i, j) - 1); }

struct Dense {
  int n;
  std::vector<double> v;  // row-major n*n
  double& operator()(int i, int j) { return v[(i - 1) * n + (j - 1)]; }
  double operator()(int i, int j) const { return v[(i - 1) * n + (j - 1)]; }
};

// A random, well-conditioned symmetric positive definite matrix G*G^T + n*I.
Dense RandomSpd(int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Dense g{n, std::vector<double>(n * n)};
  for (double& x : g.v) x = u(gen);
  Dense a{n, std::vector<double>(n * n, 0.0)};
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      double s = i == j ? n : 0.0;
      for (int k = 1; k <= n; ++k) s += g(i, k) * g(j, k);
      a(i, j) = s;
    }
  return a;
}

std::vector<double> Pack(const Dense& a) {
  std::vector<double> p(kMatrixCapacity, kSentinel);
  for (int i = 1; i <= a.n; ++i)
    for (int j = 1; j <= i; ++j) p[Pos(i, j)] = a(i, j);
  return p;
}

std::vector<double> RandomVector(int n, unsigned seed, int leadingZeros = 0) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-10.0, 10.0);
  std::vector<double> b(kVectorCapacity, kSentinel);
  for (int i = 0; i < n; ++i) b[i] = i < leadingZeros ? 0.0 : u(gen);
  return b;
}

double MaxResidual(const Dense& a, const std::vector<double>& x, const std::vector<double>& b) {
  double worst = 0;
  for (int i = 1; i <= a.n; ++i) {
    double s = 0;
    for (int j = 1; j <= a.n; ++j) s += a(i, j) * x[j - 1];
    worst = std::max(worst, std::fabs(s - b[i - 1]) / (1 + std::fabs(b[i - 1])));
  }
  return worst;
}

// Largest deviation of A * inv from the identity, inv read from packed storage.
double MaxIdentityError(const Dense& a, const std::vector<double>& inv) {
  double worst = 0;
  for (int i = 1; i <= a.n; ++i)
    for (int j = 1; j <= a.n; ++j) {
      double s = 0;
      for (int k = 1; k <= a.n; ++k) s += a(i, k) * inv[Pos(k, j)];
      worst = std::max(worst, std::fabs(s - (i == j ? 1.0 : 0.0)));
    }
  return worst;
}

// Largest deviation of L * L^T from A, L read from the decomposed packed array whose
// diagonal holds the reciprocals of l(i,i).
double MaxFactorError(const Dense& a, const std::vector<double>& dec) {
  auto l = [&](int i, int j) -> double {
    if (j > i) return 0.0;
    return i == j ? 1.0 / dec[Pos(i, i)] : dec[Pos(i, j)];
  };
  double worst = 0;
  for (int i = 1; i <= a.n; ++i)
    for (int j = 1; j <= a.n; ++j) {
      double s = 0;
      for (int k = 1; k <= a.n; ++k) s += l(i, k) * l(j, k);
      worst = std::max(worst, std::fabs(s - a(i, j)) / (1 + std::fabs(a(i, j))));
    }
  return worst;
}

void ExpectTailUntouched(const std::vector<double>& a, const std::vector<double>& b, int n) {
  for (std::size_t k = static_cast<std::size_t>(n) * (n + 1) / 2; k < a.size(); ++k)
    ASSERT_EQ(a[k], kSentinel) << "matrix position " << k + 1;
  for (std::size_t k = n; k < b.size(); ++k) ASSERT_EQ(b[k], kSentinel) << "vector position " << k + 1;
}

TEST(Ij2n, PackedPositions) {
  struct Case {
    int i, j, pos;
  };
  const Case cases[] = {{1, 1, 1}, {2, 1, 2}, {2, 2, 3}, {3, 1, 4}, {3, 2, 5},
                        {2, 3, 5}, {3, 3, 6}, {60, 60, 1830}, {1, 60, 1771}};
  for (const auto& c : cases) {
    EXPECT_EQ(ij2n(c.i, c.j), c.pos) << c.i << "," << c.j;
    EXPECT_EQ(ij2n_checked(c.i, c.j), c.pos) << c.i << "," << c.j;
  }
}

TEST(Ij2n, OverflowOfTheThirtyTwoBitProduct) {
  // 46341 * 46340 still fits in 32 bits, 46342 * 46341 does not.
  EXPECT_EQ(ij2n_checked(46341, 1), 46341 * 23170 + 1);
  EXPECT_EQ(ij2n_checked(5, 46341), 46341 * 23170 + 5);
  EXPECT_EQ(ij2n_checked(46342, 1), std::nullopt);
  EXPECT_EQ(ij2n_checked(1, INT_MAX), std::nullopt);
  EXPECT_EQ(ij2n_checked(INT_MIN, INT_MIN), std::nullopt);
  EXPECT_THROW(ij2n(46342, 46342), std::overflow_error);
}

TEST(Invers, JobCodesOnRandomSpdMatrices) {
  for (int n : {1, 2, 4, 7, 20, 60}) {
    const Dense A = RandomSpd(n, 1000u + n);
    const std::vector<double> packed = Pack(A);
    const std::vector<double> b0 = RandomVector(n, 2000u + n);
    SCOPED_TRACE("N = " + std::to_string(n));

    // 1: inverse in a, B untouched.
    {
      auto a = packed;
      auto b = b0;
      int ier = -1;
      INVERS(a.data(), b.data(), 1, n, ier);
      EXPECT_EQ(ier, 0);
      EXPECT_LT(MaxIdentityError(A, a), 1e-12);
      EXPECT_EQ(b, b0);
      ExpectTailUntouched(a, b, n);
    }
    // 2: solution in B, factor in a.
    std::vector<double> decomposed;
    {
      auto a = packed;
      auto b = b0;
      int ier = -1;
      INVERS(a.data(), b.data(), 2, n, ier);
      EXPECT_EQ(ier, 0);
      EXPECT_LT(MaxResidual(A, b, b0), 1e-12);
      EXPECT_LT(MaxFactorError(A, a), 1e-13);
      ExpectTailUntouched(a, b, n);
      decomposed = a;
    }
    // 3: both; the solution is the inverse times the B passed in.
    {
      auto a = packed;
      auto b = b0;
      int ier = -1;
      INVERS(a.data(), b.data(), 3, n, ier);
      EXPECT_EQ(ier, 0);
      EXPECT_LT(MaxIdentityError(A, a), 1e-12);
      EXPECT_LT(MaxResidual(A, b, b0), 1e-12);
      for (int i = 1; i <= n; ++i) {
        double s = 0;
        for (int k = 1; k <= n; ++k) s += a[Pos(i, k)] * b0[k - 1];
        EXPECT_NEAR(b[i - 1], s, 1e-12 * (1 + std::fabs(s))) << i;
      }
      ExpectTailUntouched(a, b, n);
    }
    // 4: the same factor as job 2, B untouched.
    {
      auto a = packed;
      auto b = b0;
      int ier = -1;
      INVERS(a.data(), b.data(), 4, n, ier);
      EXPECT_EQ(ier, 0);
      EXPECT_EQ(a, decomposed);
      EXPECT_EQ(b, b0);
    }
  }
}

TEST(Invers, OrderOne) {
  std::vector<double> a{4.0, kSentinel};
  std::vector<double> b{2.0, kSentinel};
  int ier = -1;
  INVERS(a.data(), b.data(), 3, 1, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_EQ(a[0], 0.25);
  EXPECT_EQ(b[0], 0.5);
  EXPECT_EQ(a[1], kSentinel);
  EXPECT_EQ(b[1], kSentinel);

  a[0] = 4.0;
  INVERS(a.data(), b.data(), 4, 1, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_EQ(a[0], 0.5);  // the reciprocal of the square root
}

TEST(Invers, BadJobCodeLeavesEverythingAndTellsOnce) {
  const Dense A = RandomSpd(5, 7);
  const auto packed = Pack(A);
  const auto b0 = RandomVector(5, 8);
  for (int job : {0, 5, -1, INT_MAX}) {
    auto a = packed;
    auto b = b0;
    int ier = 0;
    std::vector<std::string> messages;
    INVERS(a.data(), b.data(), job, 5, ier,
           [&](const std::string& text) { messages.push_back(text); });
    EXPECT_EQ(ier, 129) << job;
    ASSERT_EQ(messages.size(), 1u) << job;
    EXPECT_EQ(messages[0], "IJOB INPUT PARAMETER OUT OF RANGE");
    EXPECT_EQ(a, packed) << job;
    EXPECT_EQ(b, b0) << job;

    // Without a handler (the native library) the code alone tells.
    ier = 0;
    INVERS(a.data(), b.data(), job, 5, ier);
    EXPECT_EQ(ier, 129);
    EXPECT_EQ(a, packed);
  }
}

TEST(Invers, NotPositiveDefinite) {
  struct Case {
    const char* name;
    int n;
    std::vector<double> packed;  // lower triangle by rows
    int failingRow;
  };
  const Case cases[] = {
      {"two equal rows", 3, {1, 1, 1, 2, 2, 5}, 2},
      {"proportional rows", 3, {4, 2, 1, 1, 0.5, 3}, 2},
      {"equal rows 2 and 3", 3, {2, 1, 5, 1, 5, 5}, 3},
      {"zero first pivot", 2, {0, 1, 3}, 1},
      {"negative pivot", 2, {1, 2, 1}, 2},
      {"small pivot 1e-7 at N = 4", 4, {1, 0, 1, 0, 0, 1, 0, 0, 0, 1e-7}, 4},
      {"small pivot 1.5e-7 at N = 4", 4, {1, 0, 1, 0, 0, 1, 0, 0, 0, 1.5e-7}, 4},
      {"small pivot 1.59e-7 at N = 4", 4, {2, 0, 3, 0, 0, 1, 0, 0, 0, 1.59e-7}, 4},
      {"pivot 1e-10", 2, {1, 1, 1 + 1e-10}, 2},
      // The test is relative to the diagonal element: a pivot of 256 is lost against 2^60.
      {"pivot lost against its diagonal", 2, {0x1p60, 0x1p60, 0x1p60 + 256}, 2},
      {"NaN entry", 2, {1, NAN, 1}, 2},
      {"infinite diagonal", 2, {1, 0, INFINITY}, 2},
  };
  for (const auto& c : cases) {
    std::vector<double> a = c.packed;
    a.resize(kMatrixCapacity, kSentinel);
    const auto b0 = RandomVector(c.n, 3);
    auto b = b0;
    int ier = 0;
    int calls = 0;
    INVERS(a.data(), b.data(), 3, c.n, ier, [&](const std::string&) { ++calls; });
    EXPECT_EQ(ier, 130) << c.name;
    EXPECT_EQ(calls, 0) << c.name;
    EXPECT_EQ(b, b0) << c.name;
    // Rows after the failing one, and its own diagonal, still hold the input.
    for (std::size_t k = static_cast<std::size_t>(c.failingRow) * (c.failingRow + 1) / 2 - 1;
         k < c.packed.size(); ++k) {
      if (std::isnan(c.packed[k])) continue;
      EXPECT_EQ(a[k], c.packed[k]) << c.name << " position " << k + 1;
    }
  }
}

TEST(Invers, SmallButSufficientPivotIsAccepted) {
  std::vector<double> a{1, 0, 1, 0, 0, 1, 0, 0, 0, 1.7e-7};
  std::vector<double> b{0, 0, 0, 1.7e-7};
  int ier = -1;
  INVERS(a.data(), b.data(), 3, 4, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_NEAR(a[9], 1 / 1.7e-7, 1e-3);
  EXPECT_NEAR(b[3], 1.0, 1e-12);
}

TEST(Invers, LeadingZerosOfTheRightHandSide) {
  const int n = 12;
  const Dense A = RandomSpd(n, 42);
  const auto packed = Pack(A);
  for (int zeros : {1, 5, n - 1, n}) {
    const auto b0 = RandomVector(n, 43, zeros);
    auto a = packed;
    auto b = b0;
    int ier = -1;
    INVERS(a.data(), b.data(), 2, n, ier);
    EXPECT_EQ(ier, 0) << zeros;
    EXPECT_LT(MaxResidual(A, b, b0), 1e-12) << zeros;
    if (zeros == n) {
      for (int i = 0; i < n; ++i) EXPECT_EQ(b[i], 0.0);
    }
  }
  // A zero after the first non-zero entry still takes part.
  auto b0 = RandomVector(n, 44, 2);
  b0[4] = 0.0;
  auto a = packed;
  auto b = b0;
  int ier = -1;
  INVERS(a.data(), b.data(), 2, n, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_LT(MaxResidual(A, b, b0), 1e-12);
}

}  // namespace
}  // namespace vantrel
