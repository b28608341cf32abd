// Tandrel's coordinate methods, base/rover corrections and statistics through the typed
// interface.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>

#include "components/gps/src/lambert_latitude.h"
#include "tandrel/tandrel.h"

namespace rt = vantrel::rt;

namespace {

constexpr double kDeg = std::numbers::pi / 180;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class Coordinates : public ::testing::Test {
 protected:
  rt::Ref<tandrel::ITandrel> t = tandrel::CreateTandrel();
  std::string wgs = "84";
};

TEST_F(Coordinates, SpaceGeodeticRoundTripAndEllipsoidCodes) {
  struct Case {
    double phi, lam, h;
  };
  for (std::string elli : {"54", "80", "84", "", "WGS"}) {
    for (const Case c : {Case{31.2 * kDeg, 121.5 * kDeg, 20}, Case{0.1, 0.2, -30}, Case{1.4, 3.0, 8000}}) {
      double phi = c.phi, lam = c.lam, h = c.h, X, Y, Z;
      t->BLHXYZ(phi, lam, h, X, Y, Z, elli);
      double p2, l2, h2;
      t->xyzblh(p2, l2, h2, X, Y, Z, elli);
      EXPECT_NEAR(p2, c.phi, 1e-11) << elli;
      EXPECT_NEAR(l2, c.lam, 1e-11) << elli;
      EXPECT_NEAR(h2, c.h, 1e-6) << elli;
    }
  }
  // Semi-axes of the three rows; any other code is the 54 row.
  struct Axis {
    std::string elli;
    double a;
  };
  for (const Axis& c : {Axis{"54", 6378245}, Axis{"80", 6378140}, Axis{"84", 6378137}, Axis{"", 6378245},
                       Axis{"wgs84", 6378245}}) {
    std::string elli = c.elli;
    double phi = 0, lam = 0, h = 0, X, Y, Z;
    t->BLHXYZ(phi, lam, h, X, Y, Z, elli);
    EXPECT_EQ(X, c.a) << c.elli;
    EXPECT_EQ(Y, 0);
    EXPECT_EQ(Z, 0);
  }
}

TEST_F(Coordinates, GaussForwardInverseInTheirUnits) {
  struct Case {
    std::string elli;
    double phi, lam, loPacked, xxo, yyo, hho;
  };
  const Case cases[] = {
      {"54", 31.2 * kDeg, 121.5 * kDeg, 123, 0, 500, 0},
      {"80", 40.1 * kDeg, 116.2 * kDeg, 117, 0, 500, 50},
      {"84", 23.5 * kDeg, 113.9 * kDeg, 114.3, 10, 300, 0},  // LO 114 deg 30 min
      {"", 45.0 * kDeg, 125.0 * kDeg, 123, 0, 500, 0},
  };
  for (const auto& c : cases) {
    std::string elli = c.elli;
    double phi = c.phi, lam = c.lam, lo = t->Dms2Rad(c.loPacked), xxo = c.xxo, yyo = c.yyo, hho = c.hho;
    double Xg, Yg;
    t->BL2XYg(Xg, Yg, phi, lam, lo, xxo, yyo, hho, elli);
    double loPacked = c.loPacked, B, L;
    t->XYg2BL(Xg, Yg, B, L, loPacked, xxo, yyo, hho, elli);  // packed in, packed out
    EXPECT_NEAR(t->Dms2Rad(B), c.phi, 1e-10) << c.elli;
    EXPECT_NEAR(t->Dms2Rad(L), c.lam, 1e-10) << c.elli;
  }
  // Reference values on the 54 ellipsoid: the meridian arc at 30 degrees, and a point
  // 1.5 degrees off the meridian; a plane height scales by about (a + H0) / a.
  std::string elli = "54";
  double phi = 30 * kDeg, lo = 120 * kDeg, xxo = 0, yyo = 500, h0 = 0, h1000 = 1000, X0, Y0, X1, Y1;
  t->BL2XYg(X0, Y0, phi, lo, lo, xxo, yyo, h0, elli);
  EXPECT_NEAR(X0, 3320172.407, 5e-4);
  EXPECT_NEAR(Y0, 500000, 1e-6);
  double p31 = 31 * kDeg, l121 = t->Dms2Rad(121.3030), noYyo = 0;
  t->BL2XYg(X0, Y0, p31, l121, lo, xxo, noYyo, h0, elli);
  t->BL2XYg(X1, Y1, p31, l121, lo, xxo, noYyo, h1000, elli);
  EXPECT_NEAR(X0, 3432012.058, 5e-4);
  EXPECT_NEAR(Y0, 144062.555, 5e-4);
  EXPECT_NEAR(Y1 / Y0, (6378245.0 + 1000) / 6378245.0, 2e-6);
}

TEST_F(Coordinates, UtmScaledProjectionAndRoundTrip) {
  // 45 N on the central meridian of zone 31, WGS84: N = 0.9996 times the meridian arc.
  std::string wgs = "84";
  double phi = 45 * kDeg, lam = 3 * kDeg, lo = 3 * kDeg, xxo = 0, yyo = 500, hho = 0, Xg, Yg;
  t->BL2XYg_UTM(Xg, Yg, phi, lam, lo, xxo, yyo, hho, wgs);
  EXPECT_NEAR(Xg, 4982950.400, 1e-3);
  EXPECT_NEAR(Yg, 500000, 1e-6);

  struct Case {
    std::string elli;
    double phiDeg, lamDeg, loDeg, xxo, yyo;
  };
  for (const Case& c : {Case{"84", 45, 4.5, 3, 0, 500}, Case{"84", 10, 118.2, 117, 0, 500},
                       Case{"54", 52, 20.9, 21, 0, 500}, Case{"80", 35, 108.5, 111, 1000, 500}}) {
    std::string elli = c.elli;
    double p = c.phiDeg * kDeg, l = c.lamDeg * kDeg, loRad = c.loDeg * kDeg, x0 = c.xxo, y0 = c.yyo, h0 = 0;
    double Xu, Yu, Xgk, Ygk;
    t->BL2XYg_UTM(Xu, Yu, p, l, loRad, x0, y0, h0, elli);
    t->BL2XYg(Xgk, Ygk, p, l, loRad, x0, y0, h0, elli);
    EXPECT_NEAR(Xu - 1000 * c.xxo, 0.9996 * (Xgk - 1000 * c.xxo), 1e-6) << c.lamDeg;
    EXPECT_NEAR(Yu - 1000 * c.yyo, 0.9996 * (Ygk - 1000 * c.yyo), 1e-6) << c.lamDeg;
    double B, L;
    t->XYg2BL_UTM(Xu, Yu, B, L, c.loDeg, c.xxo, c.yyo, 0, c.elli);  // LO in packed degrees
    EXPECT_NEAR(t->Dms2Rad(B), p, 1e-10) << c.lamDeg;
    EXPECT_NEAR(t->Dms2Rad(L), l, 1e-10) << c.lamDeg;
  }
}

// Scale of the Lambert plane along a parallel, from two points close to the central
// meridian: 1 on a standard parallel.
double LambertScale(tandrel::ITandrel& t, double phi, double B1, double B2, std::string elli, double a,
                    double e2) {
  const double d = 1e-4;
  double lo = 0.5, lamW = lo - d, lamE = lo + d, xxo = 0, yyo = 0, hho = 0, xw, yw, xe, ye;
  EXPECT_TRUE(t.BL2XYg_Lambert(xw, yw, phi, lamW, lo, B1, B2, xxo, yyo, hho, elli));
  EXPECT_TRUE(t.BL2XYg_Lambert(xe, ye, phi, lamE, lo, B1, B2, xxo, yyo, hho, elli));
  const double N = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
  return std::hypot(xe - xw, ye - yw) / (N * std::cos(phi) * 2 * d);
}

TEST_F(Coordinates, LambertStandardParallelsHaveUnitScale) {
  const double a = 6378137, e2 = 0.0066943800229, B1 = 25 * kDeg, B2 = 47 * kDeg;
  EXPECT_NEAR(LambertScale(*t, B1, B1, B2, "84", a, e2), 1, 1e-8);
  EXPECT_NEAR(LambertScale(*t, B2, B1, B2, "84", a, e2), 1, 1e-8);
  EXPECT_LT(LambertScale(*t, 36 * kDeg, B1, B2, "84", a, e2), 0.99);
  // One standard parallel, also when the two differ by less than 1/360/pi radians.
  for (double b2 : {B1, B1 + 0.0008}) {
    const double phi0 = (B1 + b2) / 2;
    EXPECT_NEAR(LambertScale(*t, phi0, B1, b2, "84", a, e2), 1, 1e-8);
    EXPECT_GT(LambertScale(*t, phi0 + 5 * kDeg, B1, b2, "84", a, e2), 1.001);
  }
}

TEST_F(Coordinates, LambertRoundTripsOffTheCentralMeridian) {
  struct Case {
    std::string elli;
    double phiDeg, lamDeg, loDeg, b1Deg, b2Deg, xxo, yyo, hho;
  };
  const Case cases[] = {
      {"84", 36, 112, 110, 25, 47, 0, 0, 0},
      {"84", 20, 100, 110, 25, 47, 500, -4000, 0},
      {"54", 52, 10.5, 10, 48, 48, 100, 200, 300},       // one parallel
      {"80", 30.2, 119, 120, 30, 30.04, 0, 0, 0},        // parallels closer than the threshold
      {"", 60, 25, 20, 55, 65, 0, 0, -50},
      {"84", -33, 151, 145, -28, -36, 1000, 5000, 0},    // southern cone
  };
  for (const auto& c : cases) {
    std::string elli = c.elli;
    double phi = c.phiDeg * kDeg, lam = c.lamDeg * kDeg, lo = c.loDeg * kDeg, xxo = c.xxo, yyo = c.yyo,
           hho = c.hho, Xg, Yg;
    ASSERT_TRUE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, c.b1Deg * kDeg, c.b2Deg * kDeg, xxo, yyo, hho, elli));
    double B = -9, L = -9;
    ASSERT_TRUE(t->XYg2BL_Lambert(Xg, Yg, B, L, lo, c.b1Deg * kDeg, c.b2Deg * kDeg, xxo, yyo, hho, elli))
        << c.phiDeg;
    EXPECT_NEAR(B, phi, 1e-12) << c.phiDeg;
    EXPECT_NEAR(L, lam, 1e-12) << c.phiDeg;
  }
}

TEST_F(Coordinates, LambertFailuresLeaveOutputs) {
  std::string elli = "84";
  double phi = 36 * kDeg, lo = 110 * kDeg, lam = lo, xxo = 100, yyo = 0, hho = 0, Xg, Yg;
  const double B1 = 25 * kDeg, B2 = 47 * kDeg;
  ASSERT_TRUE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, B1, B2, xxo, yyo, hho, elli));
  EXPECT_NEAR(Xg, 100000, 1e-6);
  double B = -9, L = -9, beyondApex = -Yg;  // on the meridian's far side of the apex
  EXPECT_FALSE(t->XYg2BL_Lambert(Xg, beyondApex, B, L, lo, B1, B2, xxo, yyo, hho, elli));
  EXPECT_EQ(B, -9);
  EXPECT_EQ(L, -9);
  // A single parallel on the equator has no cone.
  EXPECT_FALSE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, 0, 0, xxo, yyo, hho, elli));
  double nan = kNaN;
  EXPECT_FALSE(t->XYg2BL_Lambert(nan, Yg, B, L, lo, B1, B2, xxo, yyo, hho, elli));
  EXPECT_EQ(B, -9);
}

TEST_F(Coordinates, LambertLatitudeLoopIsBounded) {
  // The isometric latitude of the answer is the one given.
  for (double e : {0.0818191908426, 0.08181333}) {
    for (double psi : {-1.2, 0.0, 0.4, 2.5}) {
      double phi = 7;
      ASSERT_TRUE(tandrel::detail::LambertLatitude(psi, e, phi));
      const double s = e * std::sin(phi);
      EXPECT_NEAR(std::log(std::tan(phi / 2 + std::numbers::pi / 4)) + e / 2 * std::log((1 - s) / (1 + s)), psi,
                  1e-12);
    }
  }
  // An eccentricity near 1 needs about 180 rounds: the loop gives up after 100.
  double phi = 7;
  EXPECT_FALSE(tandrel::detail::LambertLatitude(0.1, 0.99, phi));
  EXPECT_EQ(phi, 7);
  EXPECT_TRUE(tandrel::detail::LambertLatitude(0.1, 0.99, phi, 1000));
}

// The pole on the cone's side is its apex, the other pole is nowhere on the cone, and
// parallels at a pole make no cone. Cones of both hemispheres, flat and steep.
TEST_F(Coordinates, LambertPolesApexAndParallelsThatMakeNoCone) {
  struct Cone {
    double b1, b2;
  } const cones[] = {{0.5, 2}, {25, 47}, {40, 40}, {-25, -47}, {-2, -0.5}, {-60, -60}};
  // 90 degrees the way a client writes it: the double nearest, and the calculator's pi / 2.
  const double poles[] = {std::numbers::pi / 2, 3.14159265358979 / 2};
  for (const Cone& k : cones) {
    const int apexSide = k.b1 > 0 ? 1 : -1;
    double lo = 1.9, xxo = 300, yyo = -200, hho = 0;
    const double B1 = k.b1 * kDeg, B2 = k.b2 * kDeg;
    for (double pole : poles) {
      for (double lam : {lo, lo + 0.3, -2.0}) {
        double phi = apexSide * pole, Xg = 7, Yg = 7;
        ASSERT_TRUE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, B1, B2, xxo, yyo, hho, wgs)) << k.b1;
        EXPECT_EQ(Xg, 1000 * xxo) << k.b1;  // rho = 0: the apex itself
        EXPECT_EQ(Yg, 1000 * yyo) << k.b1;
        phi = -apexSide * pole;
        EXPECT_FALSE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, B1, B2, xxo, yyo, hho, wgs)) << k.b1;
        EXPECT_EQ(Xg, 1000 * xxo);
      }
    }
    // The apex inverts to the pole on the central meridian.
    double Xg = 1000 * xxo, Yg = 1000 * yyo, B = -9, L = -9;
    ASSERT_TRUE(t->XYg2BL_Lambert(Xg, Yg, B, L, lo, B1, B2, xxo, yyo, hho, wgs)) << k.b1;
    EXPECT_EQ(B, apexSide * std::numbers::pi / 2) << k.b1;
    EXPECT_EQ(L, lo);
    // Points on the central meridian come back from y alone.
    for (double lat : {1.0, 30.0, 55.5, 89.0}) {
      double phi = apexSide * lat * kDeg, lam = lo;
      ASSERT_TRUE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, B1, B2, xxo, yyo, hho, wgs));
      ASSERT_EQ(Xg, 1000 * xxo);
      B = L = -9;
      ASSERT_TRUE(t->XYg2BL_Lambert(Xg, Yg, B, L, lo, B1, B2, xxo, yyo, hho, wgs)) << k.b1 << " " << lat;
      EXPECT_NEAR(B, phi, 1e-12) << k.b1 << " " << lat;
      EXPECT_EQ(L, lo);
    }
  }
  struct NoCone {
    double b1, b2;
  } const noCones[] = {{0, 90}, {90, 0}, {90, 90}, {45, 90}, {-90, -30}, {-90, -90}, {90, -90}, {0, 0}};
  for (const NoCone& k : noCones) {
    double phi = 30 * kDeg, lam = 0.2, lo = 0.1, zero = 0, Xg = 7, Yg = 7, B = 7, L = 7;
    EXPECT_FALSE(t->BL2XYg_Lambert(Xg, Yg, phi, lam, lo, k.b1 * kDeg, k.b2 * kDeg, zero, zero, zero, wgs))
        << k.b1 << " " << k.b2;
    double x = 1e5, y = 5e6;
    EXPECT_FALSE(t->XYg2BL_Lambert(x, y, B, L, lo, k.b1 * kDeg, k.b2 * kDeg, zero, zero, zero, wgs))
        << k.b1 << " " << k.b2;
    EXPECT_EQ(Xg + Yg + B + L, 28);
  }
}

// Near the 90 W meridian X is below 1e-10 m: the longitude is 270 degrees, not 90.
TEST_F(Coordinates, SpaceLongitudeOnTheQuarterMeridians) {
  for (double lat : {0.0, 45.0, 76.0, 80.0, 89.0, 89.99})
    for (double lon : {-90.0, 270.0, 90.0}) {
      double phi = lat * kDeg, lam = lon * kDeg, h = 100, X, Y, Z, B, L, H;
      t->BLHXYZ(phi, lam, h, X, Y, Z, wgs);
      t->xyzblh(B, L, H, X, Y, Z, wgs);
      const double want = lon == 90 ? std::numbers::pi / 2 : 3 * std::numbers::pi / 2;
      EXPECT_NEAR(L, want, 1e-12) << lat << " " << lon;
      EXPECT_NEAR(B, phi, 1e-12) << lat << " " << lon;
    }
  double X = 0, Y = -6378137, Z = 0, B, L, H;
  t->xyzblh(B, L, H, X, Y, Z, wgs);
  EXPECT_EQ(L, 3 * (std::numbers::pi / 2));
  EXPECT_NEAR(H, 0, 1e-9);
}

// A result that left the finite range is the method's error return, through the typed
// interface a thrown fault, and no output is touched.
TEST_F(Coordinates, NonFiniteResultsAreFaultsNotValues) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::function<void(tandrel::ITandrel&, double* out)> call;
  };
  const Case cases[] = {
      {"xyzblh", [](auto& t, double* o) { double X = kNaN, Y = 0, Z = 1; std::string e = "84";
                                           t.xyzblh(o[0], o[1], o[2], X, Y, Z, e); }},
      {"xyzblh huge", [](auto& t, double* o) { double X = 1e300, Y = 1e300, Z = 1; std::string e = "84";
                                                t.xyzblh(o[0], o[1], o[2], X, Y, Z, e); }},
      {"BLHXYZ", [](auto& t, double* o) { double p = kNaN, l = 0, h = 0; std::string e = "84";
                                           t.BLHXYZ(p, l, h, o[0], o[1], o[2], e); }},
      {"BL2XYg", [](auto& t, double* o) { double p = 0.5, l = 2, lo = 2, x0 = 0, y0 = 500, h0 = 1e308;
                                           std::string e = "54"; t.BL2XYg(o[0], o[1], p, l, lo, x0, y0, h0, e); }},
      {"BL2XYg NaN", [](auto& t, double* o) { double p = kNaN, l = 2, lo = 2, x0 = 0, y0 = 500, h0 = 0;
                                               std::string e = "54"; t.BL2XYg(o[0], o[1], p, l, lo, x0, y0, h0, e); }},
      {"XYg2BL", [](auto& t, double* o) { double lo = 120, x0 = 0, y0 = 500, h0 = 0; std::string e = "54";
                                           t.XYg2BL(3e6, 1e60, o[0], o[1], lo, x0, y0, h0, e); }},
      {"XYg2BL_UTM", [](auto& t, double* o) { t.XYg2BL_UTM(3e6, 1e60, o[0], o[1], 117, 0, 500, 0, "84"); }},
      {"BL2XYg_UTM", [](auto& t, double* o) { double p = 0.5, l = 2, lo = 2, x0 = 0, y0 = 500, h0 = 1e308;
                                               std::string e = "84"; t.BL2XYg_UTM(o[0], o[1], p, l, lo, x0, y0, h0, e); }},
      {"Xy2az", [](auto& t, double* o) { o[0] = t.Xy2az(0, 0, kNaN, 1); }},
      {"Xy2d", [](auto& t, double* o) { o[0] = t.Xy2d(0, 0, 1e308, 1e308); }},
      {"Dms2Rad", [inf](auto& t, double* o) { o[0] = t.Dms2Rad(inf); }},
      {"Rad2dms_Buff", [inf](auto& t, double* o) { o[1] = inf; o[0] = t.Rad2dms_Buff(o[1]); }},
  };
  for (const Case& c : cases) {
    double out[3] = {7, 7, 7};
    try {
      c.call(*t, out);
      ADD_FAILURE() << c.name << " handed back " << out[0] << " " << out[1] << " " << out[2];
    } catch (const rt::Fault& f) {
      EXPECT_EQ(f.code, rt::kOverflow) << c.name;
    }
    EXPECT_EQ(out[0], 7) << c.name;
    if (std::string(c.name) != "Rad2dms_Buff") EXPECT_EQ(out[1], 7) << c.name;
    else EXPECT_EQ(out[1], inf);  // the argument stays as the client gave it
    EXPECT_EQ(out[2], 7) << c.name;
  }
}

TEST_F(Coordinates, PlaneHelpersAndPackedDegrees) {
  struct Az {
    double x2, y2, az, d;
  };
  for (const Az c : {Az{1, 1, std::numbers::pi / 4, std::sqrt(2.0)}, Az{-3, 0, std::numbers::pi, 3},
                     Az{0, -4, 3 * std::numbers::pi / 2, 4}, Az{3, 4, std::atan2(4.0, 3.0), 5}}) {
    EXPECT_NEAR(t->Xy2az(10, 20, 10 + c.x2, 20 + c.y2), c.az, 1e-15);
    EXPECT_DOUBLE_EQ(t->Xy2d(10, 20, 10 + c.x2, 20 + c.y2), c.d);
  }
  struct Dms {
    double packed, deg;
  };
  for (const Dms c : {Dms{121.3030, 121 + 30.0 / 60 + 30.0 / 3600}, Dms{0.30, 0.5}, Dms{-45.0015, -45 - 15.0 / 3600},
                      Dms{359.5959, 359 + 59.0 / 60 + 59.0 / 3600}}) {
    EXPECT_NEAR(t->Dms2Rad(c.packed), c.deg * kDeg, 1e-14) << c.packed;
    double alf = c.deg * kDeg;
    EXPECT_NEAR(t->Rad2dms_Buff(alf), c.packed, 1e-9) << c.packed;
  }
}

TEST_F(Coordinates, BaseCorrection) {
  const double b84 = 6378137 * std::sqrt(1 - 0.0066943800229);
  struct Case {
    double phi, lam, h;
    double x0, y0, z0;     // given base position
    double wx0, wy0, wz0;  // base position afterwards
    double dx, dy, dz;
  };
  const Case cases[] = {
      // No known base: its own coordinates, no correction.
      {0, 0, 0, 0, 0, 0, 6378137, 0, 0, 0, 0, 0},
      {std::numbers::pi / 2, 0, 10, 1, 2, 3, 0, 0, b84 + 10, 0, 0, 0},
      {0, std::numbers::pi / 2, 0, 100000, 0, 0, 0, 6378137, 0, 0, 0, 0},
      // A known base: kept, the difference is the correction.
      {0, 0, 0, 6378147, 5, -2, 6378147, 5, -2, 10, 5, -2},
  };
  for (const auto& c : cases) {
    double phi = c.phi, lam = c.lam, h = c.h, dx = 9, dy = 9, dz = 9, x0 = c.x0, y0 = c.y0, z0 = c.z0;
    int32_t ier = 5;
    t->GetBase(phi, lam, h, dx, dy, dz, x0, y0, z0, ier);
    EXPECT_EQ(ier, 0);
    EXPECT_NEAR(x0, c.wx0, 1e-6);
    EXPECT_NEAR(y0, c.wy0, 1e-6);
    EXPECT_NEAR(z0, c.wz0, 1e-6);
    EXPECT_NEAR(dx, c.dx, 1e-6);
    EXPECT_NEAR(dy, c.dy, 1e-6);
    EXPECT_NEAR(dz, c.dz, 1e-6);
  }
  double phi = kNaN, lam = 0, h = 0, dx = 9, dy = 9, dz = 9, x0 = 1, y0 = 2, z0 = 3;
  int32_t ier = 0;
  t->GetBase(phi, lam, h, dx, dy, dz, x0, y0, z0, ier);
  EXPECT_EQ(ier, 1);
  EXPECT_EQ(dx, 9);
  EXPECT_EQ(x0, 1);
}

TEST_F(Coordinates, RoverCorrectedIntoGaussPlaneOn54At123) {
  // The base knows where it is; its receiver reads a position off by a few metres. The
  // same error on a rover near it is removed before projecting.
  std::string w84 = "84", k54 = "54";
  double bPhi = 31.2 * kDeg, bLam = 121.5 * kDeg, bH = 20, X0, Y0, Z0;
  t->BLHXYZ(bPhi, bLam, bH, X0, Y0, Z0, w84);
  const double err = 4e-7;  // radians read wrongly by both receivers
  double mPhi = bPhi + err, mLam = bLam - err, mH = bH + 3, dx, dy, dz;
  int32_t ier = 5;
  t->GetBase(mPhi, mLam, mH, dx, dy, dz, X0, Y0, Z0, ier);
  ASSERT_EQ(ier, 0);
  EXPECT_GT(std::hypot(dx, dy, dz), 2);

  double rPhi = 31.21 * kDeg, rLam = 121.52 * kDeg, rH = 15, rX, rY, rZ;
  t->BLHXYZ(rPhi, rLam, rH, rX, rY, rZ, w84);
  double rmPhi = rPhi + err, rmLam = rLam - err, rmH = rH + 3, Xg = 0, Yg = 0;
  t->GetRover(rmPhi, rmLam, rmH, dx, dy, dz, Xg, Yg, ier);
  ASSERT_EQ(ier, 0);
  // Where the true rover lies on the 54 plane with central meridian 123 degrees.
  double B, L, H, lo = 123 * kDeg, zero = 0, wXg, wYg;
  t->xyzblh(B, L, H, rX, rY, rZ, k54);
  t->BL2XYg(wXg, wYg, B, L, lo, zero, zero, zero, k54);
  EXPECT_NEAR(Xg, wXg, 0.01);
  EXPECT_NEAR(Yg, wYg, 0.01);
  EXPECT_LT(wYg, -140000);  // 1.5 degrees west of 123, no false easting
  EXPECT_GT(wYg, -145000);

  // A rover on 123 degrees itself lies on the central meridian: Y = 0, X the arc.
  double cPhi = 31.2 * kDeg, cLam = 123 * kDeg, cH = 0, zx = 0, zy = 0, zz = 0;
  t->GetRover(cPhi, cLam, cH, zx, zy, zz, Xg, Yg, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_NEAR(Yg, 0, 1e-6);
  EXPECT_NEAR(Xg, 3453000, 5000);

  double bad = kNaN;
  Xg = Yg = 7;
  t->GetRover(bad, cLam, cH, zx, zy, zz, Xg, Yg, ier);
  EXPECT_EQ(ier, 1);
  EXPECT_EQ(Xg, 7);
  EXPECT_EQ(Yg, 7);
}

TEST_F(Coordinates, MeanRmsAndRange) {
  struct Case {
    int32_t n;
    rt::SafeArray data;
    bool ok;
    double mean, rms, delta;
  };
  const Case cases[] = {
      {1, rt::SafeArray::Doubles({12.5}), true, 12.5, 0, 0},
      {4, rt::SafeArray::Doubles({1, 2, 3, 4}), true, 2.5, std::sqrt(5.0 / 3), 3},
      {3, rt::SafeArray::Doubles({-1, 5, 2, 100}), true, 2, 3, 6},  // only the first n count
      {2, rt::SafeArray::Doubles({0, 7, 7}, 0), true, 7, 0, 0},    // index 0 of a 0-based array unused
      {0, rt::SafeArray::Doubles({1}), false, 0, 0, 0},
      {-3, rt::SafeArray::Doubles({1}), false, 0, 0, 0},
      {3, rt::SafeArray::Doubles({1, 2}), false, 0, 0, 0},  // n beyond the array
      {1, rt::SafeArray::Texts(1, 1), false, 0, 0, 0},      // not numbers
  };
  for (const auto& c : cases) {
    int32_t n = c.n;
    auto data = c.data;
    double rms = 9, mean = 9, delta = 9;
    EXPECT_EQ(t->MeanRMS(n, data, rms, mean, delta), c.ok) << c.n;
    EXPECT_DOUBLE_EQ(mean, c.mean) << c.n;
    EXPECT_DOUBLE_EQ(rms, c.rms) << c.n;
    EXPECT_DOUBLE_EQ(delta, c.delta) << c.n;
  }
}

}  // namespace
