// Loads Pirrow and Nadrix at run time, as a client in another language would, and calls
// them through plain function pointers with every argument passed by address.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "geodetic/ellipsoid.h"
#include "geodetic/geodetic_quantities.h"
#include "transform/matrix_inversion.h"

namespace {

using RadiusFn = void (*)(const double*, const double*, const double*, const double*, double*,
                          double*, double*, double*);
using ArcFn = void (*)(const double*, const double*, const double*, const double*, double*);
using ThreeCorFn = void (*)(const int32_t*, const double*, const double*, const double*,
                            const double*, const double*, const double*, const double*, double*,
                            double*, double*);
using InvFn = void (*)(double*, double*, const int32_t*, const int32_t*, int32_t*);

constexpr double kDeg = std::numbers::pi / 180;

class NativeLibraries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pirrow_ = dlopen(PIRROW_PATH, RTLD_NOW | RTLD_LOCAL);
    nadrix_ = dlopen(NADRIX_PATH, RTLD_NOW | RTLD_LOCAL);
  }
  static void TearDownTestSuite() {
    if (pirrow_) dlclose(pirrow_);
    if (nadrix_) dlclose(nadrix_);
  }
  template <typename Fn>
  static Fn Get(void* lib, const char* name) {
    if (!lib) return nullptr;
    return reinterpret_cast<Fn>(dlsym(lib, name));
  }
  void SetUp() override {
    ASSERT_NE(pirrow_, nullptr) << dlerror();
    ASSERT_NE(nadrix_, nullptr) << dlerror();
    radius = Get<RadiusFn>(pirrow_, "Radius_Cal");
    marc = Get<ArcFn>(pirrow_, "MArcLen_cal");
    narc = Get<ArcFn>(pirrow_, "NArcLen_cal");
    threeCor = Get<ThreeCorFn>(pirrow_, "Three_Cor_cal");
    inv = Get<InvFn>(nadrix_, "inv");
    ASSERT_TRUE(radius && marc && narc && threeCor && inv);
  }
  static inline void* pirrow_ = nullptr;
  static inline void* nadrix_ = nullptr;
  RadiusFn radius = nullptr;
  ArcFn marc = nullptr, narc = nullptr;
  ThreeCorFn threeCor = nullptr;
  InvFn inv = nullptr;
};

TEST_F(NativeLibraries, RadiusAtEquatorAndInMeridian) {
  for (const auto& ell : {vantrel::kEllipsoid54, vantrel::kEllipsoid80, vantrel::kEllipsoid84}) {
    const double B = 0, A = 0;
    double N = 0, M = 0, R = 0, RA = 0;
    radius(&B, &A, &ell.a, &ell.e2, &N, &M, &R, &RA);
    EXPECT_DOUBLE_EQ(N, ell.a);
    EXPECT_DOUBLE_EQ(M, ell.a * (1 - ell.e2));
    EXPECT_DOUBLE_EQ(R, std::sqrt(M * N));
    EXPECT_DOUBLE_EQ(RA, M);
  }
  // The 1954 figures the calculator shows at 30 degrees, azimuth 45.
  const auto& e = vantrel::kEllipsoid54;
  const double B = 30 * kDeg, A = 45 * kDeg;
  double N, M, R, RA;
  radius(&B, &A, &e.a, &e.e2, &N, &M, &R, &RA);
  EXPECT_NEAR(N, 6383588.2422, 5e-5);
  EXPECT_NEAR(M, 6351488.4922, 5e-5);
  EXPECT_NEAR(R, 6367518.1397, 5e-5);
  EXPECT_NEAR(RA, 6367497.9122, 5e-5);
}

TEST_F(NativeLibraries, MeridianArcEqualReversedAndAgainstCalculator) {
  const auto& e = vantrel::kEllipsoid54;
  const double same = 0.5;
  double S = 1;
  marc(&same, &same, &e.a, &e.e2, &S);
  EXPECT_EQ(S, 0.0);

  // Reversing the arc swaps right-end for left-end rectangles: the two sums differ by
  // about h * (M(B2) - M(B1)), the rectangle-rule error, and by nothing more.
  struct Case { double b1, b2; };
  for (const Case c : {Case{0, 1 * kDeg}, Case{10 * kDeg, 55 * kDeg}, Case{-20 * kDeg, 5 * kDeg}}) {
    double fwd = 0, back = 0;
    marc(&c.b1, &c.b2, &e.a, &e.e2, &fwd);
    marc(&c.b2, &c.b1, &e.a, &e.e2, &back);
    const double A0 = 0;
    double N1, M1, R1, RA1, N2, M2, R2, RA2;
    radius(&c.b1, &A0, &e.a, &e.e2, &N1, &M1, &R1, &RA1);
    radius(&c.b2, &A0, &e.a, &e.e2, &N2, &M2, &R2, &RA2);
    const double h = (c.b2 - c.b1) * 0.00001;
    const double bound = std::fabs(h * (M2 - M1)) * 1.01 + 1e-6;
    EXPECT_GT(fwd, 0);
    EXPECT_NEAR(back, -fwd, bound) << c.b1 << " " << c.b2;
    EXPECT_GT(std::fabs(back + fwd), bound * 0.5 - 1e-6) << "not right-end rectangles";
  }
  double oneDeg = 0;
  const double b1 = 0, b2 = 1 * kDeg;
  marc(&b1, &b2, &e.a, &e.e2, &oneDeg);
  EXPECT_NEAR(oneDeg, 110576.3676, 1e-4);
  // 100000 steps, not the calculator's million: the two sums are not identical.
  double calc = 0;
  vantrel::MArcLen_cal(b1, b2, e.a, e.e2, calc);
  EXPECT_NE(oneDeg, calc);
  double native = 0;
  vantrel::MArcLen_cal(b1, b2, e.a, e.e2, native, vantrel::MeridianArcRule::Native);
  EXPECT_EQ(oneDeg, native);
}

TEST_F(NativeLibraries, ParallelArc) {
  const auto& e = vantrel::kEllipsoid54;
  const double B = 0, l = 1 * kDeg;
  double S = 0;
  narc(&B, &l, &e.a, &e.e2, &S);
  EXPECT_NEAR(S, 111321.3757, 5e-5);
  const double minusL = -l;
  double back = 0;
  narc(&B, &minusL, &e.a, &e.e2, &back);
  EXPECT_DOUBLE_EQ(back, -S);
}

TEST_F(NativeLibraries, ThreeCorrectionsWithIntegerXiAndSingleCoefficients) {
  const int32_t xi = 3;
  const double eta = 0, A = 90 * kDeg, B = 0, H = 0, S = 0;
  double du, dh, dg;
  const double z45 = 45 * kDeg, z90 = 90 * kDeg;
  threeCor(&xi, &eta, &A, &z45, &B, &B, &H, &S, &du, &dh, &dg);
  EXPECT_NEAR(du, 3.0, 1e-12);
  threeCor(&xi, &eta, &A, &z90, &B, &B, &H, &S, &du, &dh, &dg);
  EXPECT_NEAR(du, 0.0, 1e-12);

  // The single-precision coefficients as the library has always widened them; a float
  // literal rounded today would give 0.00010889999975915998 and -2.7999999474559445e-07.
  const double A45 = 45 * kDeg, H1000 = 1000, S100k = 100000;
  ASSERT_EQ(std::sin(A45 * 2), 1.0);
  threeCor(&xi, &eta, &A45, &z45, &B, &B, &H1000, &S100k, &du, &dh, &dg);
  EXPECT_EQ(dh, 0.00010890000313520431 * 1000);
  EXPECT_EQ(dg, -2.8000000864267354e-07 * 100000);
  // They differ from the calculator's decimals around the eighth significant digit.
  EXPECT_NE(dh, 0.1089);
  EXPECT_NEAR(dh, 0.1089, 1e-8);
  EXPECT_NEAR(dg, -0.028, 1e-8);

  const double z0 = 0;
  threeCor(&xi, &eta, &A45, &z0, &B, &B, &H1000, &S100k, &du, &dh, &dg);
  EXPECT_TRUE(std::isinf(du));
}

TEST_F(NativeLibraries, InvOrderOneAndBadJob) {
  double a[1] = {4}, B[1] = {2};
  const int32_t job3 = 3, one = 1;
  int32_t Ier = -1;
  inv(a, B, &job3, &one, &Ier);
  EXPECT_EQ(Ier, 0);
  EXPECT_DOUBLE_EQ(a[0], 0.25);
  EXPECT_DOUBLE_EQ(B[0], 0.5);

  for (const int32_t job : {0, 5, -1}) {
    double m[3] = {2, 1, 3}, r[2] = {7, 8};
    const int32_t two = 2;
    inv(m, r, &job, &two, &Ier);
    EXPECT_EQ(Ier, 129) << job;
    EXPECT_EQ(m[0], 2); EXPECT_EQ(m[1], 1); EXPECT_EQ(m[2], 3);
    EXPECT_EQ(r[0], 7); EXPECT_EQ(r[1], 8);
  }

  double singular[3] = {1, 1, 1}, rhs[2] = {1, 1};  // rows (1, 1) and (1, 1)
  const int32_t two = 2;
  inv(singular, rhs, &job3, &two, &Ier);
  EXPECT_EQ(Ier, 130);
  EXPECT_EQ(rhs[0], 1);
  EXPECT_EQ(rhs[1], 1);
}

TEST_F(NativeLibraries, InvMatchesTheRoutineForEveryJob) {
  // A diagonally dominant symmetric matrix of order 6, packed.
  const int n = 6;
  std::vector<double> packed;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= i; ++j) packed.push_back(i == j ? 10.0 + i : 1.0 / (i + j));
  const std::vector<double> rhs = {1, -2, 0.5, 3, 0, 4};
  for (int32_t job = 1; job <= 4; ++job) {
    auto a1 = packed, a2 = packed;
    auto b1 = rhs, b2 = rhs;
    int32_t Ier = -1;
    int ref = -1;
    const int32_t N = n;
    inv(a1.data(), b1.data(), &job, &N, &Ier);
    vantrel::INVERS(a2.data(), b2.data(), job, n, ref);
    EXPECT_EQ(Ier, 0);
    EXPECT_EQ(ref, 0);
    EXPECT_EQ(a1, a2) << job;
    EXPECT_EQ(b1, b2) << job;
    if (job == 3) {
      // The solution is the inverse times the right-hand side.
      for (int i = 1; i <= n; ++i) {
        double s = 0;
        for (int k = 1; k <= n; ++k) s += a1[vantrel::ij2n(i, k) - 1] * rhs[k - 1];
        EXPECT_NEAR(b1[i - 1], s, 1e-13);
      }
    }
  }
}

}  // namespace
