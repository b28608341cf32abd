// The forward projections of the calculator and of both components against PROJ, for every
// way a caller may write a longitude and its central meridian: signed or in [0, 360),
// zones across 180 degrees, southern points, and the components' own inverse results fed
// straight back into their forward methods.
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>

#include "components/mathlib/ombrix_math.h"
#include "geodetic/gauss_kruger.h"
#include "tandrel/tandrel.h"

namespace vantrel {
namespace {

constexpr double kRad = std::numbers::pi / 180;

// PROJ with one pipeline string; Forward takes degrees and metres.
class Proj {
 public:
  explicit Proj(const std::string& def) : p_(proj_create(PJ_DEFAULT_CTX, def.c_str())) {
    EXPECT_NE(p_, nullptr) << def;
  }
  ~Proj() { proj_destroy(p_); }
  Proj(const Proj&) = delete;
  Proj& operator=(const Proj&) = delete;
  PJ_COORD Forward(double latDeg, double lonDeg, double h = 0) const {
    return proj_trans(p_, PJ_FWD, proj_coord(lonDeg * kRad, latDeg * kRad, h, 0));
  }

 private:
  PJ* p_;
};

std::string Num(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

// A point on (a, e2) at height h, carried to the axis a + lift and projected there by
// tmerc with central meridian lon0 (in (-180, 180]), scale k and false easting y0 m.
// Northing comes back as x, easting as y, in the calculator's order.
void Reference(const Ellipsoid& e, double lift, double lon0, double k, double latDeg, double lonDeg,
               double h, double& x, double& y) {
  const std::string ell = " +a=" + Num(e.a) + " +es=" + Num(e.e2);
  const std::string lifted = " +a=" + Num(e.a + lift) + " +es=" + Num(e.e2);
  const Proj p("+proj=pipeline +step +proj=cart" + ell + " +step +inv +proj=cart" + lifted +
               " +step +proj=tmerc +lat_0=0 +lon_0=" + Num(lon0) + " +k=" + Num(k) +
               " +x_0=500000 +y_0=0" + lifted);
  const PJ_COORD c = p.Forward(latDeg, lonDeg, h);
  x = c.xy.y;
  y = c.xy.x;
}

// One place written the ways callers write it: L and L0 as given, and the same place as
// PROJ is given it (signed longitude, central meridian in (-180, 180]).
struct Mixture {
  double lat, L, L0;
  double lonRef, lon0Ref;
};
const Mixture kMixtures[] = {
    {40.7, -73.5, -75, -73.5, -75},       // both signed
    {40.7, -73.5, 285, -73.5, -75},       // signed point, central meridian in [0, 360)
    {40.7, 286.5, -75, -73.5, -75},       // point in [0, 360), signed meridian
    {40.7, 286.5, 285, -73.5, -75},       // both in [0, 360)
    {-33.9, -70.6, 291, -70.6, -69},      // southern, western
    {-33.9, 289.4, -69, -70.6, -69},
    {64.7, -179, 177, -179, 177},         // a zone across 180 degrees, either side
    {64.7, 179, -177, 179, -177},
    {64.7, 181, 177, -179, 177},
    {-41.3, -185.2, 177, 174.8, 177},     // southern, a longitude below -180
    {52.1, -179, 180, -179, 180},
    {52.1, 179, -180, 179, 180},
    {31, 121.5, 120, 121.5, 120},         // the usual Chinese zone, as always
    {31, -238.5, 120, 121.5, 120},
    {-12, 2.5, 360, 2.5, 0},
    {-12, 362.5, 0, 2.5, 0},
};

// The calculator, lifted or not: degrees in, the dialog's radians (its own pi) inside.
void Calculator(int withHeight, const Mixture& m, double& x, double& y) {
  ProjectionState s;
  s.SetEllipsoid(kEllipsoid80);
  s.CentralMeridian = m.L0 * kPi / 180;
  s.FalseEastingKm = 500;
  s.GeoidUndulation = withHeight ? 25 : 0;
  s.PlaneHeight = withHeight ? 400 : 0;
  double h, B = m.lat * kPi / 180, L = m.L * kPi / 180, H = withHeight ? 80 : 0;
  Sub4(s, x, y, h, B, L, H, withHeight, 2);
}

// The projection's series stay within 0.2 mm of PROJ's up to 4 degrees from the central
// meridian; a longitude taken the wrong way round is off by thousands of kilometres.
constexpr double kTolerance = 5e-4;

TEST(ProjectionReference, CalculatorForwardTakesEveryLongitudeConvention) {
  for (int withHeight : {0, 1})
    for (const Mixture& m : kMixtures) {
      double x, y, xr, yr;
      Calculator(withHeight, m, x, y);
      Reference(kEllipsoid80, withHeight ? 425 : 0, m.lon0Ref, 1, m.lat, m.lonRef, withHeight ? 80 : 0, xr,
                yr);
      EXPECT_NEAR(x, xr, kTolerance) << withHeight << " " << m.lat << " " << m.L << " " << m.L0;
      EXPECT_NEAR(y, yr, kTolerance) << withHeight << " " << m.lat << " " << m.L << " " << m.L0;
    }
}

// The one reduction every forward projection shares: into (-180, 180], and a difference
// already inside comes back with the same bits.
// The accuracy gauss_kruger.h states for the series, by distance from the central meridian:
// the forward and the inverse of PROJ's exact projection (Poder/Engsager) over 0-80 N on the
// 1954 ellipsoid, as ground distances.
TEST(ProjectionReference, SeriesAccuracyByDistanceFromTheMeridian) {
  struct Band {
    double dl, forward, inverse;  // degrees, m, m
  };
  const Band bands[] = {{1.5, 4e-5, 1.2e-4}, {3, 1.1e-4, 4e-4}, {4, 8e-4, 3e-3},
                        {6, 0.012, 0.05},   {9, 0.2, 0.9}};
  const Ellipsoid e = kEllipsoid54;
  const Proj p("+proj=tmerc +algo=poder_engsager +lat_0=0 +lon_0=120 +k=1 +x_0=0 +y_0=0 +a=" +
               Num(e.a) + " +es=" + Num(e.e2));
  const GaussKruger g(e, 120 * kPi / 180, 0, 0, 0, 0, false);
  for (const Band& b : bands) {
    double forward = 0, inverse = 0;
    for (double lat = 0; lat <= 80; lat += 0.5)
      for (int k = 0; k <= 20; ++k) {
        const double lon = 120 + b.dl * k / 20;
        const PJ_COORD c = p.Forward(lat, lon);
        double x, y, h, B, L, H;
        g.Forward(lat * kPi / 180, lon * kPi / 180, 0, x, y, h);
        forward = std::max(forward, std::hypot(x - c.xy.y, y - c.xy.x));
        g.Inverse(c.xy.y, c.xy.x, 0, B, L, H);
        inverse = std::max(inverse, std::hypot((B - lat * kRad) * e.a,
                                               (L - lon * kRad) * e.a * std::cos(lat * kRad)));
      }
    EXPECT_LE(forward, b.forward) << b.dl;
    EXPECT_LE(inverse, b.inverse) << b.dl;
    // The bands are tight: a series that lost a term would pass them by far.
    EXPECT_GT(forward, b.forward / 10) << b.dl;
  }
}

TEST(ProjectionReference, LongitudeDifferenceReduction) {
  const PiSet& c = kCalculatorPi;
  struct Case {
    double dl, want;
  } const cases[] = {{0, 0},
                     {1.25, 1.25},
                     {-3.1, -3.1},
                     {c.pi, c.pi},
                     {-c.pi, c.pi},
                     {c.pi + 0.5, 0.5 - c.pi},
                     {-c.pi - 0.5, c.pi - 0.5},
                     {5 * c.pi - 1, c.pi - 1},
                     {c.twoPi + 0.25, 0.25},
                     {-2 * c.twoPi - 0.25, -0.25}};
  for (const Case& k : cases) EXPECT_NEAR(ReduceLongitudeDifference(k.dl), k.want, 1e-14) << k.dl;
  for (double dl = -3.14; dl < 3.14; dl += 0.0137) ASSERT_EQ(ReduceLongitudeDifference(dl), dl);
  EXPECT_TRUE(std::isnan(ReduceLongitudeDifference(std::nan(""))));
}

// Decimal degrees with one decimal as packed D.MMSS (40.7 is 40 degrees 42 minutes).
double Packed(double deg) { return std::trunc(deg) + (deg - std::trunc(deg)) * 0.6; }

class Components : public ::testing::Test {
 protected:
  rt::Ref<tandrel::ITandrel> t = tandrel::CreateTandrel();
  std::string elli = "84";
};

TEST_F(Components, GaussAndUtmForwardTakeEveryLongitudeConvention) {
  for (const Mixture& m : kMixtures) {
    double phi = m.lat * kRad, lam = m.L * kRad, lo = m.L0 * kRad, xxo = 0, yyo = 500, hho = 400, x, y, xr, yr;
    t->BL2XYg(x, y, phi, lam, lo, xxo, yyo, hho, elli);
    Reference(kEllipsoid84, 400, m.lon0Ref, 1, m.lat, m.lonRef, 0, xr, yr);
    EXPECT_NEAR(x, xr, kTolerance) << "BL2XYg " << m.L << " " << m.L0;
    EXPECT_NEAR(y, yr, kTolerance) << "BL2XYg " << m.L << " " << m.L0;

    double flat = 0;
    t->BL2XYg_UTM(x, y, phi, lam, lo, xxo, yyo, flat, elli);
    Reference(kEllipsoid84, 0, m.lon0Ref, 0.9996, m.lat, m.lonRef, 0, xr, yr);
    EXPECT_NEAR(x, xr, kTolerance) << "UTM " << m.L << " " << m.L0;
    EXPECT_NEAR(y, yr, kTolerance) << "UTM " << m.L << " " << m.L0;

    ombrix::BL2XYg(x, y, Packed(m.lat), Packed(m.L), Packed(m.L0), 0, 500, 400, "54");
    Reference(kEllipsoid54, 400, m.lon0Ref, 1, m.lat, m.lonRef, 0, xr, yr);
    EXPECT_NEAR(x, xr, kTolerance) << "Ombrix " << m.L << " " << m.L0;
    EXPECT_NEAR(y, yr, kTolerance) << "Ombrix " << m.L << " " << m.L0;
  }
}

// The inverse methods give longitudes in [0, 360) and southern latitudes plus 360; their
// results go straight back into the forward methods with the same signed meridian.
TEST_F(Components, InverseResultsFeedBackIntoTheForwardMethods) {
  struct Point {
    double lat, lon, lo;
  } const points[] = {{40.7, -73.5, -75}, {-33.9, -70.6, -69}, {-22.9, -43.2, -45}, {64.7, -179.5, 178},
                      {51.5, -0.1, 3}};
  for (const Point& p : points) {
    double phi = p.lat * kRad, lam = p.lon * kRad, lo = p.lo * kRad, xxo = 0, yyo = 500, hho = 0, X, Y;
    t->BL2XYg_UTM(X, Y, phi, lam, lo, xxo, yyo, hho, elli);
    double Phi, Rlam;
    t->XYg2BL_UTM(X, Y, Phi, Rlam, p.lo, xxo, yyo, hho, elli);  // LO packed
    double phi2 = t->Dms2Rad(Phi), lam2 = t->Dms2Rad(Rlam), X2, Y2;
    t->BL2XYg_UTM(X2, Y2, phi2, lam2, lo, xxo, yyo, hho, elli);
    EXPECT_NEAR(X2, X, 1e-3) << p.lon;
    EXPECT_NEAR(Y2, Y, 1e-3) << p.lon;

    double hg = 300;
    t->BL2XYg(X, Y, phi, lam, lo, xxo, yyo, hg, elli);
    double loPacked = p.lo;
    t->XYg2BL(X, Y, Phi, Rlam, loPacked, xxo, yyo, hg, elli);
    phi2 = t->Dms2Rad(Phi);
    lam2 = t->Dms2Rad(Rlam);
    t->BL2XYg(X2, Y2, phi2, lam2, lo, xxo, yyo, hg, elli);
    EXPECT_NEAR(X2, X, 1e-3) << p.lon;
    EXPECT_NEAR(Y2, Y, 1e-3) << p.lon;

    ombrix::BL2XYg(X, Y, Packed(p.lat), Packed(p.lon), p.lo, 0, 500, 300, "80");
    ombrix::XYg2BL(X, Y, Phi, Rlam, p.lo, 0, 500, 300, "80");
    ombrix::BL2XYg(X2, Y2, Phi, Rlam, p.lo, 0, 500, 300, "80");
    EXPECT_NEAR(X2, X, 1e-3) << p.lon;
    EXPECT_NEAR(Y2, Y, 1e-3) << p.lon;
  }
}

// The zone change of the calculator: an inverse on one meridian, a forward on the next.
TEST(ProjectionReference, CalculatorInverseFeedsTheNextZone) {
  ProjectionState s;
  s.SetEllipsoid(kEllipsoid84);
  s.FalseEastingKm = 500;
  s.PlaneHeight = 150;
  for (double lat : {-33.9, 40.7})
    for (double lo : {-75.0, -72.0, 177.0}) {
      s.CentralMeridian = lo * kPi / 180;
      double x, y, h, B = lat * kPi / 180, L = (lo + 1.5) * kPi / 180, H = 0;
      BL2XYg(s, x, y, h, B, L, H);
      double B2, L2, H2;
      XYg2BL(s, x, y, h, B2, L2, H2);
      s.CentralMeridian = (lo + 3) * kPi / 180;
      double xn, yn, xr, yr;
      BL2XYg(s, xn, yn, h, B2, L2, H2);
      const double lon0 = lo + 3 > 180 ? lo + 3 - 360 : lo + 3;
      Reference(kEllipsoid84, 150, lon0, 1, lat, lo + 1.5, 0, xr, yr);
      EXPECT_NEAR(xn, xr, kTolerance) << lat << " " << lo;
      EXPECT_NEAR(yn, yr, kTolerance) << lat << " " << lo;
    }
}

// Lambert on the cone of 25 and 47 degrees: a longitude of 358 is 2 degrees west.
TEST_F(Components, LambertForwardTakesEveryLongitudeConvention) {
  const double b1 = 25, b2 = 47;
  const Proj p("+proj=lcc +lat_0=90 +lat_1=" + Num(b1) + " +lat_2=" + Num(b2) +
               " +lon_0=-3 +x_0=0 +y_0=0 +a=6378137 +es=0.0066943800229");
  for (double lam : {-2.0, 358.0, -362.0}) {
    for (double lo : {-3.0, 357.0}) {
      double phi = 36 * kRad, l = lam * kRad, o = lo * kRad, xxo = 0, yyo = 0, hho = 0, Xg, Yg;
      ASSERT_TRUE(t->BL2XYg_Lambert(Xg, Yg, phi, l, o, b1 * kRad, b2 * kRad, xxo, yyo, hho, elli));
      const PJ_COORD c = p.Forward(36, -2);
      EXPECT_NEAR(Xg, c.xy.x, kTolerance) << lam << " " << lo;
      EXPECT_NEAR(Yg, -c.xy.y, kTolerance) << lam << " " << lo;  // measured from the apex
    }
  }
}

}  // namespace
}  // namespace vantrel
