// Ombrix through its typed interface and, after registration, created by its
// programmatic identifier and called by name.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "ombrix/ombrix.h"
#include "transform/matrix_inversion.h"

namespace rt = vantrel::rt;
using vantrel::ombrix::_Ombrix;

namespace {

struct Messages {
  std::vector<std::string> texts, titles;
  Messages() {
    rt::SetComponentMessageHandler([this](std::string_view t, std::string_view title) {
      texts.emplace_back(t);
      titles.emplace_back(title);
    });
  }
  ~Messages() { rt::SetComponentMessageHandler({}); }
};

rt::SafeArray Matrix3(double fill) {
  rt::SafeArray m(rt::ElemType::Double, {{1, 3}, {1, 3}});
  for (double& v : m.doubles()) v = fill;
  return m;
}

// A symmetric positive definite matrix of order n, packed, and a right-hand side.
std::vector<double> Spd(int n) {
  std::vector<double> p;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= i; ++j) p.push_back(i == j ? 8.0 + i : 1.0 / (i + j + 1));
  return p;
}

rt::SafeArray ArrayOf(const std::vector<double>& v, int32_t lower = 1) {
  rt::SafeArray a = rt::SafeArray::Doubles(lower, v.size());
  a.doubles() = v;
  return a;
}

class OmbrixTyped : public ::testing::Test {
 protected:
  rt::Ref<_Ombrix> o = vantrel::ombrix::CreateOmbrix();
};

TEST_F(OmbrixTyped, IndexFunctionAndOverflowFault) {
  struct Case { int32_t i, j, want; };
  for (const Case c : {Case{3, 2, 5}, Case{2, 3, 5}, Case{1, 1, 1}, Case{60, 60, 1830}}) {
    int32_t i = c.i, j = c.j, r = 0;
    ASSERT_EQ(o->ij2n(i, j, r), rt::kOk);
    EXPECT_EQ(r, c.want);
  }
  int32_t big = 46342, one = 1, r = -5;
  EXPECT_EQ(o->ij2n(big, one, r), rt::kOverflow);
  EXPECT_EQ(r, -5);
  int32_t max = INT_MAX;
  EXPECT_EQ(o->ij2n(one, max, r), rt::kOverflow);
}

TEST_F(OmbrixTyped, RotationMatrixAxesAndBadAxis) {
  const double a = 0.4, c = std::cos(a), s = std::sin(a);
  const double want[3][3][3] = {{{1, 0, 0}, {0, c, -s}, {0, s, c}},
                                {{c, 0, s}, {0, 1, 0}, {-s, 0, c}},
                                {{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
  for (int32_t axis = 1; axis <= 3; ++axis) {
    auto R = Matrix3(9);
    bool ok = false;
    ASSERT_EQ(o->Rotation_Mat(axis, a, R, ok), rt::kOk);
    EXPECT_TRUE(ok);
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) EXPECT_EQ(*R.DoubleAt(i, j), want[axis - 1][i - 1][j - 1]);
  }
  Messages m;
  auto R = Matrix3(9);
  bool ok = true;
  EXPECT_EQ(o->Rotation_Mat(4, a, R, ok), rt::kOk);
  EXPECT_FALSE(ok);
  ASSERT_EQ(m.texts.size(), 1u);
  EXPECT_EQ(m.texts[0], "轴号只能是1,2,3中的一个。");
  EXPECT_EQ(R, Matrix3(9));

  // Arrays that cannot hold the matrix: false, no message, earlier entries stay.
  auto flat = rt::SafeArray::Doubles(1, 9);
  EXPECT_EQ(o->Rotation_Mat(1, 0, flat, ok), rt::kOk);
  EXPECT_FALSE(ok);
  rt::SafeArray twoRows(rt::ElemType::Double, {{1, 2}, {1, 3}});
  EXPECT_EQ(o->Rotation_Mat(1, 0, twoRows, ok), rt::kOk);
  EXPECT_FALSE(ok);
  EXPECT_EQ(*twoRows.DoubleAt(1, 1), 1.0);
  EXPECT_EQ(m.texts.size(), 1u);
  // Zero-based bounds that still include 1..3 are fine.
  rt::SafeArray wide(rt::ElemType::Double, {{0, 3}, {0, 3}});
  EXPECT_EQ(o->Rotation_Mat(3, std::numbers::pi / 2, wide, ok), rt::kOk);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(*wide.DoubleAt(1, 2), -1, 1e-16);
}

TEST_F(OmbrixTyped, TubeToLocalWithZeroAngles) {
  double X0 = 10, Y0 = 20, Z0 = 30, alf = 0, bata = 0, gama = 0, x = 0, y = 0, h = 0;
  bool ok = false;
  ASSERT_EQ(o->Tube2Loc(X0, Y0, Z0, alf, bata, gama, x, y, h, 3, -4, 5, ok), rt::kOk);
  EXPECT_TRUE(ok);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, -4);
  EXPECT_EQ(h, 5);
  // Roll about axis 1 by 90 degrees: (0, 1, 0) goes to (0, 0, 1).
  alf = std::numbers::pi / 2;
  ASSERT_EQ(o->Tube2Loc(X0, Y0, Z0, alf, bata, gama, x, y, h, 0, 1, 0, ok), rt::kOk);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(x, 0, 1e-15);
  EXPECT_NEAR(y, 0, 1e-15);
  EXPECT_NEAR(h, 1, 1e-15);
}

TEST_F(OmbrixTyped, SpaceGeodeticRoundTripInPackedDegrees) {
  for (std::string elli : {"54", "80", "84"}) {
    double X = -2148744.321, Y = 4426641.654, Z = 4044655.987, Phi, Lam, h;
    ASSERT_EQ(o->xyzblh(Phi, Lam, h, X, Y, Z, elli), rt::kOk);
    EXPECT_NEAR(Phi, 39.3, 0.2) << elli;  // packed degrees, not radians
    EXPECT_GT(Lam, 115);
    double X2, Y2, Z2;
    ASSERT_EQ(o->BLHXYZ(Phi, Lam, h, X2, Y2, Z2, elli), rt::kOk);
    EXPECT_NEAR(X2, X, 1e-3) << elli;
    EXPECT_NEAR(Y2, Y, 1e-3) << elli;
    EXPECT_NEAR(Z2, Z, 1e-3) << elli;
  }
}

// Points on the 90 W meridian come back at 270 degrees, also where X is below 1e-10 m.
TEST_F(OmbrixTyped, SpaceLongitudeWestOfGreenwichQuarter) {
  std::string elli = "84";
  for (double lat : {0.0, 60.0, 80.0, 89.3})
    for (double lam : {-90.0, 270.0}) {
      double Phi = lat, Lam = lam, h = 50, X, Y, Z, Phi2, Lam2, h2;
      ASSERT_EQ(o->BLHXYZ(Phi, Lam, h, X, Y, Z, elli), rt::kOk);
      ASSERT_EQ(o->xyzblh(Phi2, Lam2, h2, X, Y, Z, elli), rt::kOk);
      EXPECT_NEAR(Lam2, 270, 1e-9) << lat << " " << lam;
      EXPECT_NEAR(Phi2, lat, 1e-9) << lat << " " << lam;
    }
}

// A result that is not finite is an overflow, the outputs stay; the inverse no longer
// hands back the plausible point 0, 0 for a plane coordinate of 1e60.
TEST_F(OmbrixTyped, NonFiniteResultsAreOverflows) {
  std::string e = "54";
  double a = 7, b = 7, c = 7, nan = std::nan(""), big = 1e308, zero = 0, lo = 120, fe = 500;
  double x = 3e6, y = 1e60, phi = 31, lam = 121, alf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(o->XYg2BL(x, y, a, b, lo, zero, fe, zero, e), rt::kOverflow);
  EXPECT_EQ(o->BL2XYg(a, b, phi, lam, lo, zero, fe, big, e), rt::kOverflow);
  EXPECT_EQ(o->xyzblh(a, b, c, nan, zero, lo, e), rt::kOverflow);
  EXPECT_EQ(o->BLHXYZ(nan, lam, zero, a, b, c, e), rt::kOverflow);
  EXPECT_EQ(o->Rad2dms_Buff(alf, a), rt::kOverflow);
  EXPECT_EQ(a + b + c, 21);
  EXPECT_EQ(alf, std::numeric_limits<double>::infinity());
  EXPECT_EQ(y, 1e60);
}

TEST_F(OmbrixTyped, InversMatchesTheCalculatorsRoutine) {
  const int n = 5;
  const auto packed = Spd(n);
  const std::vector<double> rhs = {1, 0, -2, 3, 0.5};
  for (int32_t job = 1; job <= 4; ++job) {
    auto ref = packed;
    auto refB = rhs;
    int refIer = -1;
    vantrel::INVERS(ref.data(), refB.data(), job, n, refIer);
    // A lower bound of 0 and a longer array: only the used positions change.
    auto longer = packed;
    longer.push_back(77);
    rt::Variant a(ArrayOf(longer, 0)), B(ArrayOf(rhs)), Ier;
    int32_t ijob = job, N = n;
    ASSERT_EQ(o->INVERS(a, B, ijob, N, Ier), rt::kOk);
    ASSERT_NE(Ier.AsInt32(), nullptr);
    EXPECT_EQ(*Ier.AsInt32(), refIer);
    ref.push_back(77);
    EXPECT_EQ(a.AsArray()->doubles(), ref) << job;
    EXPECT_EQ(B.AsArray()->doubles(), refB) << job;
  }
}

TEST_F(OmbrixTyped, InversBadJobSingularAndShortArrays) {
  Messages m;
  rt::Variant a(ArrayOf({2, 1, 3})), B(ArrayOf({7, 8})), Ier;
  int32_t job = 0, N = 2;
  ASSERT_EQ(o->INVERS(a, B, job, N, Ier), rt::kOk);
  EXPECT_EQ(*Ier.AsInt32(), 129);
  ASSERT_EQ(m.texts.size(), 1u);
  EXPECT_EQ(m.texts[0], "IJOB INPUT PARAMETER OUT OF RANGE");
  EXPECT_EQ(a.AsArray()->doubles(), (std::vector<double>{2, 1, 3}));

  rt::Variant s(ArrayOf({1, 1, 1})), sB(ArrayOf({1, 1})), sIer;
  job = 3;
  ASSERT_EQ(o->INVERS(s, sB, job, N, sIer), rt::kOk);
  EXPECT_EQ(*sIer.AsInt32(), 130);
  EXPECT_EQ(m.texts.size(), 1u);  // no message for a singular matrix

  // A matrix array too short for N, or a variant without an array: a fault, and
  // nothing written.
  rt::Variant shortA(ArrayOf({4, 1})), b2(ArrayOf({1, 1})), ier2(int32_t(-3));
  EXPECT_EQ(o->INVERS(shortA, b2, job, N, ier2), rt::kBadIndex);
  EXPECT_EQ(shortA.AsArray()->doubles(), (std::vector<double>{4, 1}));
  EXPECT_EQ(*ier2.AsInt32(), -3);
  rt::Variant text("x");
  EXPECT_EQ(o->INVERS(text, b2, job, N, ier2), rt::kBadIndex);
  // Job 1 needs no right-hand side.
  rt::Variant inv1(ArrayOf({4})), noB;
  job = 1;
  N = 1;
  ASSERT_EQ(o->INVERS(inv1, noB, job, N, ier2), rt::kOk);
  EXPECT_EQ(inv1.AsArray()->doubles()[0], 0.25);
}

// ---- Registered and called by name -----------------------------------------------

class OmbrixByName : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registry_ = std::filesystem::temp_directory_path() /
                ("ombrix_registry_" + std::to_string(getpid()) + ".ini");
    setenv("VANTREL_COMPONENT_REGISTRY", registry_.c_str(), 1);
    lib_ = dlopen(OMBRIX_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    auto reg = reinterpret_cast<rt::DllRegisterServerFn>(dlsym(lib_, "DllRegisterServer"));
    ASSERT_NE(reg, nullptr);
    ASSERT_EQ(reg(), rt::kOk);
  }
  static void TearDownTestSuite() {
    std::filesystem::remove(registry_);
    unsetenv("VANTREL_COMPONENT_REGISTRY");
  }
  void SetUp() override {
    ASSERT_EQ(rt::CreateObject(vantrel::ombrix::kProgId, disp), rt::kOk);
  }
  rt::HResult Call(const char* name, std::vector<rt::Variant>& args, rt::Variant* r = nullptr) {
    return disp->Call(name, args, r);
  }
  static inline std::filesystem::path registry_;
  static inline void* lib_ = nullptr;
  rt::Ref<rt::IDispatch> disp;
};

TEST_F(OmbrixByName, MembersInInterfaceOrder) {
  const std::vector<std::string> want = {"xyzblh", "BLHXYZ", "Get_Earth", "BL2XYg", "XYg2BL",
                                         "ij2n", "INVERS", "Datan2", "Dms2Rad", "Rad2dms_Buff",
                                         "Xy2az", "Xy2d", "Tube2Loc", "Rotation_Mat"};
  EXPECT_EQ(disp->MemberNames(), want);
  auto typed = rt::QueryAs<_Ombrix>(disp.get());
  EXPECT_TRUE(typed);
}

TEST_F(OmbrixByName, IndexFunctionAndOverflow) {
  std::vector<rt::Variant> args = {int32_t(3), int32_t(2)};
  rt::Variant r;
  ASSERT_EQ(Call("ij2n", args, &r), rt::kOk);
  EXPECT_EQ(*r.AsInt32(), 5);
  args = {2.0, 3.0};  // doubles coerce to 32-bit integers
  ASSERT_EQ(Call("IJ2N", args, &r), rt::kOk);
  EXPECT_EQ(*r.AsInt32(), 5);
  args = {int32_t(50000), int32_t(1)};
  EXPECT_EQ(Call("ij2n", args, &r), rt::kOverflow);
  args = {int32_t(1)};
  EXPECT_EQ(Call("ij2n", args, &r), rt::kBadParamCount);
}

TEST_F(OmbrixByName, RotationTubeAndPlaneHelpers) {
  rt::Variant R(Matrix3(5));
  std::vector<rt::Variant> args = {int32_t(3), std::numbers::pi / 2, rt::Variant::Ref(R)};
  rt::Variant r;
  ASSERT_EQ(Call("Rotation_Mat", args, &r), rt::kOk);
  EXPECT_EQ(*r.AsBool(), true);
  EXPECT_NEAR(*R.AsArray()->DoubleAt(2, 1), 1, 1e-16);
  args[0] = int32_t(4);
  ASSERT_EQ(Call("Rotation_Mat", args, &r), rt::kOk);
  EXPECT_EQ(*r.AsBool(), false);

  rt::Variant x, y, h;
  std::vector<rt::Variant> t = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, rt::Variant::Ref(x),
                                rt::Variant::Ref(y), rt::Variant::Ref(h), 1.0, 2.0, 3.0};
  ASSERT_EQ(Call("Tube2Loc", t, &r), rt::kOk);
  EXPECT_EQ(*r.AsBool(), true);
  EXPECT_EQ(*x.AsDouble(), 1.0);
  EXPECT_EQ(*y.AsDouble(), 2.0);
  EXPECT_EQ(*h.AsDouble(), 3.0);

  std::vector<rt::Variant> d = {100.0, 100.0, 200.0, 200.0};
  ASSERT_EQ(Call("Xy2d", d, &r), rt::kOk);
  EXPECT_DOUBLE_EQ(*r.AsDouble(), std::sqrt(20000.0));
  ASSERT_EQ(Call("Xy2az", d, &r), rt::kOk);
  EXPECT_DOUBLE_EQ(*r.AsDouble(), std::numbers::pi / 4);
}

TEST_F(OmbrixByName, SpaceGeodeticAndInversWithVariants) {
  rt::Variant phi, lam, h;
  std::vector<rt::Variant> args = {rt::Variant::Ref(phi), rt::Variant::Ref(lam), rt::Variant::Ref(h),
                                   -2148744.321, 4426641.654, 4044655.987, "80"};
  ASSERT_EQ(Call("xyzblh", args), rt::kOk);
  rt::Variant X, Y, Z;
  std::vector<rt::Variant> back = {phi, lam, h, rt::Variant::Ref(X), rt::Variant::Ref(Y),
                                   rt::Variant::Ref(Z), "80"};
  ASSERT_EQ(Call("BLHXYZ", back), rt::kOk);
  EXPECT_NEAR(*X.AsDouble(), -2148744.321, 1e-3);
  EXPECT_NEAR(*Z.AsDouble(), 4044655.987, 1e-3);

  const auto packed = Spd(4);
  auto ref = packed;
  std::vector<double> refB = {1, 2, 3, 4};
  int refIer = -1;
  vantrel::INVERS(ref.data(), refB.data(), 3, 4, refIer);
  rt::Variant a(ArrayOf(packed)), B(ArrayOf({1, 2, 3, 4})), Ier;
  std::vector<rt::Variant> inv = {rt::Variant::Ref(a), rt::Variant::Ref(B), int32_t(3), int32_t(4),
                                  rt::Variant::Ref(Ier)};
  ASSERT_EQ(Call("INVERS", inv), rt::kOk);
  EXPECT_EQ(*Ier.AsInt32(), 0);
  EXPECT_EQ(a.AsArray()->doubles(), ref);
  EXPECT_EQ(B.AsArray()->doubles(), refB);
}

TEST_F(OmbrixByName, UnregisteredClassIsNotCreated) {
  disp.reset();
  auto unreg = reinterpret_cast<rt::DllUnregisterServerFn>(dlsym(lib_, "DllUnregisterServer"));
  ASSERT_NE(unreg, nullptr);
  ASSERT_EQ(unreg(), rt::kOk);
  rt::Ref<rt::IDispatch> again;
  EXPECT_EQ(rt::CreateObject(vantrel::ombrix::kProgId, again), rt::kClassNotRegistered);
  auto reg = reinterpret_cast<rt::DllRegisterServerFn>(dlsym(lib_, "DllRegisterServer"));
  EXPECT_EQ(reg(), rt::kOk);
}

}  // namespace
