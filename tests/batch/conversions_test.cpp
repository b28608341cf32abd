// The array conversions: zones chosen as surveyors number them, every point computed as if
// it were alone (no state carried from the point before), round trips, and the reasons a
// point is refused.
#include "batch/conversions.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "geodetic/ellipsoid.h"
#include "transform/plane_models.h"

namespace vantrel::batch {
namespace {

double Rad(double degrees) { return degrees * kPi / 180; }

TEST(BatchZones, NumbersAndMeridiansOfBothWidths) {
  struct Case { double L; int width; int zone; double meridian; };
  const Case cases[] = {
      {121.5, 6, 21, 123},  {120, 6, 21, 123},   {119.99, 6, 20, 117},  {0, 6, 1, 3},
      {359.9, 6, 60, 357},  {-0.1, 6, 60, -3},   {-73.5, 6, 48, -75},   {180, 6, 31, 183},
      {121.5, 3, 41, 123},  {121.49, 3, 40, 120}, {1.49, 3, 120, 0},    {358.5, 3, 120, 360},
      {-179, 3, 60, -180},  {117, 3, 39, 117},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZoneNumber(c.L, AngleUnit::Degrees, c.width), c.zone) << c.L << " " << c.width;
    double m = 0;
    ASSERT_TRUE(ZoneMeridian(c.zone, c.width, Rad(c.L), m)) << c.L;
    EXPECT_DOUBLE_EQ(m, Dms2Rad(c.meridian)) << c.L << " " << c.width;
  }
  double m = 0;
  for (int bad : {0, 61, -1}) EXPECT_FALSE(ZoneMeridian(bad, 6, 0, m)) << bad;
  EXPECT_FALSE(ZoneMeridian(121, 3, 0, m));
  EXPECT_EQ(UtmZoneNumber(121.5, AngleUnit::Degrees), 51);
  EXPECT_EQ(UtmZoneNumber(-179.9, AngleUnit::Degrees), 1);
  EXPECT_EQ(UtmZoneNumber(-3, AngleUnit::Degrees), 30);
  EXPECT_EQ(UtmZoneNumber(0, AngleUnit::Degrees), 31);
  ASSERT_TRUE(UtmZoneMeridian(51, Rad(121.5), m));
  EXPECT_EQ(m, 123);
  ASSERT_TRUE(UtmZoneMeridian(1, Rad(-179.9), m));
  EXPECT_EQ(m, -177);
}

TEST(BatchAngles, TextsKeepOneWordPerField) {
  EXPECT_EQ(AngleText(Dms2Rad(121.3030), AngleUnit::Dms), "121.3030000000");
  EXPECT_EQ(AngleText(-Dms2Rad(30.3), AngleUnit::Dms), "-30.3000000000");
  EXPECT_EQ(AngleText(Rad(30.5), AngleUnit::Degrees), "30.5");
  EXPECT_EQ(AngleText(0.25, AngleUnit::Radians), "0.25");
  EXPECT_EQ(AngleText(std::numeric_limits<double>::infinity(), AngleUnit::Dms), "");
  EXPECT_DOUBLE_EQ(AngleToRadians(30.3, AngleUnit::Dms), Rad(30.5));
  EXPECT_DOUBLE_EQ(AngleToRadians(30.5, AngleUnit::Degrees), Rad(30.5));
}

// Random points in and around China, packed D.MMSS as typed.
struct Points {
  std::vector<double> B, L;
  // Longitudes within 3 degrees of 117 E, across three 3-degree zones.
  explicit Points(int n, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> deg(19, 51), lon(114, 119), sixty(0, 59);
    auto mmss = [&] { return (sixty(rng) * 100 + sixty(rng)) / 10000.0; };
    for (int i = 0; i < n; ++i) {
      B.push_back(deg(rng) + mmss());
      L.push_back(lon(rng) + mmss());
    }
  }
};

TEST(BatchGauss, EachPointAsIfAloneAndRoundTripsInEveryMode) {
  const Points p(300);
  const std::size_t n = p.B.size();
  struct Mode { int width; bool prefix; bool automatic; double h0; double anomaly; };
  for (const Mode m : {Mode{0, false, false, 0, 0}, Mode{0, false, true, 50, 0},
                       Mode{3, false, false, 20, 12.5}, Mode{6, true, true, 0, 0},
                       Mode{3, true, false, 0, 0}}) {
    GaussParams g;
    g.centralMeridian = Dms2Rad(117);
    g.zoneWidth = m.width;
    g.zonePrefix = m.prefix;
    g.falseEastingKm = m.prefix ? 500 : 0;
    g.planeHeight = m.h0;
    g.anomaly = m.anomaly;
    g.autoAnomaly = m.automatic;
    std::vector<double> x(n), y(n), zone(n), zeta(n), B(n), L(n);
    std::vector<Status> st(n), back(n);
    GeodeticToGauss(g, AngleUnit::Dms, p.B, p.L, x, y, zone, zeta, st);
    // One point at a time, last first: the same digits.
    for (std::size_t k = n; k-- > 0;) {
      double xi, yi, zi, ai;
      Status si;
      GeodeticToGauss(g, AngleUnit::Dms, std::span(&p.B[k], 1), std::span(&p.L[k], 1),
                      std::span(&xi, 1), std::span(&yi, 1), std::span(&zi, 1), std::span(&ai, 1),
                      std::span(&si, 1));
      ASSERT_EQ(si, st[k]);
      ASSERT_EQ(xi, x[k]) << k;
      ASSERT_EQ(yi, y[k]) << k;
    }
    GaussToGeodetic(g, x, y, zone, B, L, back);
    for (std::size_t k = 0; k < n; ++k) {
      ASSERT_EQ(st[k], Status::Ok) << k;
      ASSERT_EQ(back[k], Status::Ok) << k;
      const double expected = ZoneNumber(p.L[k], AngleUnit::Dms, m.width);
      if (m.width != 0 && !m.prefix) {
        EXPECT_EQ(zone[k], expected);
      }
      if (m.prefix) {
        EXPECT_EQ(std::floor(y[k] / kZonePrefixUnit), expected);
      }
      // The automatic inverse ends on its third model value, a little off the forward's.
      const double tolerance = m.automatic ? 1e-8 : 2e-10;
      EXPECT_NEAR(B[k], Dms2Rad(p.B[k]), tolerance) << k;
      EXPECT_NEAR(L[k], Dms2Rad(p.L[k]), tolerance * 2) << k;
    }
  }
}

// With heights the forward lifts each point from its own height (BL2XYg with H) and the
// inverse gives it back; H = 0 and h = 0 are the dialog's forms bit for bit.
TEST(BatchGauss, HeightsGoThroughTheRoutineAndBack) {
  const Points p(200, 7);
  const std::size_t n = p.B.size();
  struct Mode { int width; bool automatic; double h0; double anomaly; };
  for (const Mode m : {Mode{0, false, 0, 0}, Mode{0, false, 400, -20}, Mode{3, true, 100, 0},
                       Mode{6, false, 0, 35}}) {
    GaussParams g;
    g.centralMeridian = Dms2Rad(117);
    g.zoneWidth = m.width;
    g.planeHeight = m.h0;
    g.anomaly = m.anomaly;
    g.autoAnomaly = m.automatic;
    std::vector<double> H(n), x(n), y(n), h(n), x0(n), y0(n), h0(n), zone(n), zeta(n), B(n), L(n), Hb(n);
    for (std::size_t k = 0; k < n; ++k) H[k] = -100.0 + 25.0 * static_cast<double>(k);
    std::vector<Status> st(n), st0(n), back(n);
    GeodeticToGauss(g, AngleUnit::Dms, p.B, p.L, x0, y0, zone, zeta, st0);
    const std::vector<double> zeros(n, 0.0);
    GeodeticToGauss(g, AngleUnit::Dms, p.B, p.L, zeros, x, y, h0, {}, {}, st);
    for (std::size_t k = 0; k < n; ++k) {
      ASSERT_EQ(st[k], st0[k]);
      ASSERT_EQ(x[k], x0[k]) << k;
      ASSERT_EQ(y[k], y0[k]) << k;
      ASSERT_EQ(h0[k], -zeta[k]) << k;  // h = H - anomaly
    }
    GeodeticToGauss(g, AngleUnit::Dms, p.B, p.L, H, x, y, h, {}, {}, st);
    GaussToGeodetic(g, x, y, h, zone, B, L, Hb, back);
    for (std::size_t k = 0; k < n; ++k) {
      ASSERT_EQ(st[k], Status::Ok) << k;
      ASSERT_EQ(back[k], Status::Ok) << k;
      EXPECT_NEAR(h[k], H[k] - zeta[k], 1e-9) << k;
      EXPECT_NEAR(Hb[k], H[k], m.automatic ? 1e-3 : 1e-8) << k;
      const double tolerance = m.automatic ? 1e-8 : 2e-10;
      EXPECT_NEAR(B[k], Dms2Rad(p.B[k]), tolerance) << k;
      EXPECT_NEAR(L[k], Dms2Rad(p.L[k]), tolerance * 2) << k;
    }
  }
}

// The plane transformations' arrays give the models' digits point by point and refuse a
// result that leaves the numbers.
TEST(BatchPlaneTransforms, ModelsPointByPointAndOverflowRefused) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-5e5, 5e6);
  std::vector<double> x(500), y(500), X(500), Y(500);
  for (std::size_t k = 0; k < x.size(); ++k) x[k] = u(rng), y[k] = u(rng);
  x.back() = y.back() = std::numeric_limits<double>::max();
  std::vector<Status> st(500);
  for (const std::array<double, 4>& p : {std::array<double, 4>{100.5, -20.25, 1e-4, 2e-6},
                                         std::array<double, 4>{-5e3, 8e3, 1.5, -1e-5}}) {
    FourParameterPoints(p, x, y, X, Y, st);
    const FourParameterModel model(p);
    for (std::size_t k = 0; k + 1 < x.size(); ++k) {
      double a, b;
      model.Apply(x[k], y[k], a, b);
      ASSERT_EQ(st[k], Status::Ok);
      ASSERT_EQ(X[k], a);
      ASSERT_EQ(Y[k], b);
    }
    EXPECT_EQ(st.back(), Status::NotFinite);
    EXPECT_TRUE(std::isnan(X.back()));
  }
  const RotationCentres c{3400000, 400000, 3400100, 399950, 0.01};
  RotationPoints(c, x, y, X, Y, st);
  const RotationModel model(c);
  for (std::size_t k = 0; k + 1 < x.size(); ++k) {
    double a, b;
    model.Apply(x[k], y[k], a, b);
    ASSERT_EQ(X[k], a);
    ASSERT_EQ(Y[k], b);
  }
  x.back() = y.back() = 1;
  RotationPoints(c, x, y, X, Y, st);
  EXPECT_EQ(st.back(), Status::Ok);
  EXPECT_THROW(RotationPoints(c, x, std::span(y).first(3), X, Y, st), std::invalid_argument);
}

TEST(BatchGauss, RefusalsNameTheirReason) {
  GaussParams g;
  g.centralMeridian = Dms2Rad(120);
  g.autoAnomaly = true;
  const std::vector<double> B = {18.5, 31, 31, std::nan(""), 31};
  const std::vector<double> L = {110, 135, 133.5, 120, 121.3030};
  std::vector<double> x(5), y(5);
  std::vector<Status> st(5);
  GeodeticToGauss(g, AngleUnit::Dms, B, L, x, y, {}, {}, st);
  EXPECT_EQ(st[0], Status::LatitudeOutsideChina);
  EXPECT_EQ(st[1], Status::LongitudeOutsideChina);
  EXPECT_EQ(st[2], Status::LongitudeOutsideChina);
  EXPECT_EQ(st[3], Status::InputNotFinite);
  EXPECT_EQ(st[4], Status::Ok);
  EXPECT_TRUE(std::isnan(x[0]));
  EXPECT_EQ(StatusMessage(st[0]), "纬度不在中国范围内, 不能计算54椭球大地水准面差距!");

  // The inverse lands outside the window; zones that are no zones.
  const std::vector<double> gx = {1000000, 3432046.089}, gy = {0, 144063.973};
  std::vector<double> b(2), l(2);
  GaussToGeodetic(g, gx, gy, {}, b, l, std::span(st).first(2));
  EXPECT_EQ(st[0], Status::PointOutsideChina);
  EXPECT_EQ(st[1], Status::Ok);
  g.autoAnomaly = false;
  g.zoneWidth = 6;
  const std::vector<double> zones = {0, 20.5};
  GaussToGeodetic(g, gx, gy, zones, b, l, std::span(st).first(2));
  EXPECT_EQ(st[0], Status::BadZone);
  EXPECT_EQ(st[1], Status::BadZone);

  std::vector<double> X = {1e308, 6378245}, out(2), out2(2), out3(2);
  const std::vector<double> zero(2, 0.0);
  SpaceToGeodetic(kEllipsoid54, X, zero, std::vector<double>{1e308, 0}, out, out2, out3,
                  std::span(st).first(2));
  EXPECT_EQ(st[0], Status::NotFinite);
  EXPECT_EQ(st[1], Status::Ok);
  EXPECT_THROW(SpaceToGeodetic(kEllipsoid54, X, zero, zero, out, out2, std::span(out3).first(1),
                               std::span(st).first(2)),
               std::invalid_argument);
}

TEST(BatchComponents, UtmAndLambertGoThereAndBack) {
  const Points p(200, 7);
  const std::size_t n = p.B.size();
  std::vector<double> x(n), y(n), zone(n), B(n), L(n);
  std::vector<Status> st(n);
  UtmParams u;
  u.zoned = true;
  GeodeticToUtm(u, AngleUnit::Dms, p.B, p.L, x, y, zone, st);
  UtmToGeodetic(u, x, y, zone, B, L, st);
  LambertParams c;
  c.centralMeridian = Dms2Rad(105);
  c.parallel1 = Dms2Rad(25);
  c.parallel2 = Dms2Rad(47);
  std::vector<double> lx(n), ly(n), lB(n), lL(n);
  std::vector<Status> lst(n);
  GeodeticToLambert(c, AngleUnit::Dms, p.B, p.L, lx, ly, lst);
  LambertToGeodetic(c, lx, ly, lB, lL, lst);
  for (std::size_t k = 0; k < n; ++k) {
    ASSERT_EQ(st[k], Status::Ok);
    ASSERT_EQ(lst[k], Status::Ok);
    EXPECT_EQ(zone[k], UtmZoneNumber(p.L[k], AngleUnit::Dms));
    EXPECT_NEAR(B[k], Dms2Rad(p.B[k]), 1e-9) << k;
    EXPECT_NEAR(L[k], Dms2Rad(p.L[k]), 1e-9) << k;
    EXPECT_NEAR(lB[k], Dms2Rad(p.B[k]), 1e-9) << k;
    EXPECT_NEAR(lL[k], Dms2Rad(p.L[k]), 1e-9) << k;
  }
  // A cone the component refuses (one standard parallel on the equator): the reason.
  c.parallel1 = 0;
  c.parallel2 = 0;
  GeodeticToLambert(c, AngleUnit::Dms, std::span(p.B).first(1), std::span(p.L).first(1),
                    std::span(lx).first(1), std::span(ly).first(1), std::span(lst).first(1));
  EXPECT_EQ(lst[0], Status::LambertRefused);
}

TEST(BatchPlane, InverseAndForwardAsTheDialogCases) {
  const std::vector<double> x1 = {100, 0, 0}, y1 = {100, 0, 0}, x2 = {200, 0, -1}, y2 = {200, -5, 0};
  std::vector<double> dx(3), dy(3), s(3), az(3);
  PlaneInverse(x1, y1, x2, y2, dx, dy, s, az);
  EXPECT_EQ(dx[0], 100);
  EXPECT_DOUBLE_EQ(s[0], std::sqrt(20000.0));
  EXPECT_DOUBLE_EQ(az[0], std::atan(1.0));
  EXPECT_DOUBLE_EQ(az[1], kPi / 2 + kPi);  // due west of north is 270 degrees
  EXPECT_DOUBLE_EQ(az[2], kPi);
  std::vector<double> fx(3), fy(3);
  PlaneForward(s, az, fx, fy);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(fx[i], dx[i], 1e-9);
    EXPECT_NEAR(fy[i], dy[i], 1e-9);
  }
}

TEST(BatchAnomaly, WindowThenModelInEachUnit) {
  const std::vector<double> B = {31, 40, 18.5, 52.3}, L = {121.3030, 116, 110, 120};
  std::vector<double> z(4);
  std::vector<Status> st(4);
  HeightAnomalies(AngleUnit::Dms, B, L, z, st);
  EXPECT_NEAR(z[0], 62.9, 1e-9);
  EXPECT_NEAR(z[1], 44.8, 1e-9);
  EXPECT_EQ(st[2], Status::LatitudeOutsideChina);  // 18.5 rounds to 18
  EXPECT_EQ(st[3], Status::LatitudeOutsideChina);  // packed 52.3 is above 52
  const std::vector<double> Bd = {30.5}, Ld = {114.25};
  HeightAnomalies(AngleUnit::Degrees, Bd, Ld, std::span(z).first(1), std::span(st).first(1));
  EXPECT_NEAR(z[0], 44.325, 1e-9);
}

}  // namespace
}  // namespace vantrel::batch
