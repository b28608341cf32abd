// Angles as typed: zone boundaries decided on the typed digits in every unit, points that
// are no place refused with their reason, inverse angles signed (or in the calculator's
// turn), and plane coordinates whose zone number or distance from the meridian cannot be.
#include "batch/typed_angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "batch/gauss_options.h"
#include "geodetic/ellipsoid.h"

namespace vantrel::batch {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A packed value as a file gives it: the double strtod makes of the text.
double Typed(const std::string& text) { return std::stod(text); }

TEST(TypedAngles, ZoneBoundariesGoEastHoweverTheLongitudeIsGiven) {
  // 3-degree boundaries 73°30' .. 133°30' (21) and 6-degree ones 72° .. 138° (12).
  struct Boundary { int width; int degrees; int minutes; int east; };
  std::vector<Boundary> all;
  for (int k = 24; k <= 44; ++k) all.push_back({3, 3 * k + 1, 30, k + 1});
  for (int j = 12; j <= 23; ++j) all.push_back({6, 6 * j, 0, j + 1});
  for (const Boundary& b : all) {
    const std::string d = std::to_string(b.degrees);
    const double degrees = b.degrees + b.minutes / 60.0;
    const std::string packed = d + (b.minutes ? ".30" : ""), west = std::to_string(b.degrees - (b.minutes ? 0 : 1)) +
                                                                   (b.minutes ? ".29599999" : ".59599999");
    EXPECT_EQ(ZoneNumber(Typed(packed), AngleUnit::Dms, b.width), b.east) << packed;
    EXPECT_EQ(ZoneNumber(Typed(packed + (b.minutes ? "00" : ".0000")), AngleUnit::Dms, b.width), b.east) << packed;
    EXPECT_EQ(ZoneNumber(Typed(west), AngleUnit::Dms, b.width), b.east - 1) << west;
    EXPECT_EQ(ZoneNumber(degrees, AngleUnit::Degrees, b.width), b.east) << degrees;
    EXPECT_EQ(ZoneNumber(std::nextafter(degrees, 0.0), AngleUnit::Degrees, b.width), b.east - 1) << degrees;
    // Radians made with the calculator's pi and with the true one.
    EXPECT_EQ(ZoneNumber(Dms2Rad(Typed(packed)), AngleUnit::Radians, b.width), b.east) << packed;
    EXPECT_EQ(ZoneNumber(degrees * std::numbers::pi / 180, AngleUnit::Radians, b.width), b.east) << degrees;
    EXPECT_EQ(ZoneNumber(-360 + degrees, AngleUnit::Degrees, b.width), b.east) << degrees;
  }
  // UTM boundaries are whole degrees: 120° E starts zone 51, 180° zone 1 (and 60 before it).
  EXPECT_EQ(UtmZoneNumber(Dms2Rad(120), AngleUnit::Radians), 51);
  EXPECT_EQ(UtmZoneNumber(120, AngleUnit::Dms), 51);
  EXPECT_EQ(UtmZoneNumber(Typed("119.5959999"), AngleUnit::Dms), 50);
  EXPECT_EQ(UtmZoneNumber(-180, AngleUnit::Degrees), 1);
  EXPECT_EQ(UtmZoneNumber(-0.0000001, AngleUnit::Degrees), 30);
}

TEST(TypedAngles, PointsThatAreNoPlaceAreRefused) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case { double B, L, H; AngleUnit unit; Status status; };
  const Case cases[] = {
      {31.5959, 121.5959, 0, AngleUnit::Dms, Status::Ok},
      {31, Typed("121.6"), 0, AngleUnit::Dms, Status::BadPackedAngle},     // 60 minutes
      {Typed("31.0060"), 121, 0, AngleUnit::Dms, Status::BadPackedAngle},  // 60 seconds
      {-Typed("31.99"), 121, 0, AngleUnit::Dms, Status::BadPackedAngle},
      {90, -360, 0, AngleUnit::Dms, Status::Ok},
      {-90, 360, 0, AngleUnit::Dms, Status::Ok},
      {Typed("90.00000001"), 0, 0, AngleUnit::Dms, Status::LatitudeOutOfRange},
      {-91, 0, 0, AngleUnit::Dms, Status::LatitudeOutOfRange},
      {0, Typed("360.0000001"), 0, AngleUnit::Dms, Status::LongitudeOutOfRange},
      {0, -1e300, 0, AngleUnit::Dms, Status::LongitudeOutOfRange},
      {kNaN, 0, 0, AngleUnit::Dms, Status::InputNotFinite},
      {0, inf, 0, AngleUnit::Degrees, Status::InputNotFinite},
      {0, 0, kNaN, AngleUnit::Degrees, Status::InputNotFinite},
      {89.99, 121.6, 0, AngleUnit::Degrees, Status::Ok},  // degrees have no minutes
      {90.5, 0, 0, AngleUnit::Degrees, Status::LatitudeOutOfRange},
      {0, -360.5, 0, AngleUnit::Degrees, Status::LongitudeOutOfRange},
      {Dms2Rad(90), -2 * std::numbers::pi, 0, AngleUnit::Radians, Status::Ok},
      {std::numbers::pi / 2, kCalculatorPi.twoPi, 0, AngleUnit::Radians, Status::Ok},
      {1.5708, 0, 0, AngleUnit::Radians, Status::LatitudeOutOfRange},
      {0, 6.3, 0, AngleUnit::Radians, Status::LongitudeOutOfRange},
  };
  for (const Case& c : cases) EXPECT_EQ(GeodeticInputStatus(c.B, c.L, c.H, c.unit), c.status) << c.B << " " << c.L;
  EXPECT_EQ(PackedAngleStatus(Typed("120.3059")), Status::Ok);
  EXPECT_EQ(PackedAngleStatus(Typed("120.5")), Status::Ok);  // 120°50'
  EXPECT_EQ(PackedAngleStatus(Typed("120.75")), Status::BadPackedAngle);

  // Every forward conversion refuses such a point with its reason and gives NaN.
  const std::vector<double> B = {31, 31}, L = {121.3, Typed("121.6")}, H = {0, 0};
  std::vector<double> x(2), y(2), z(2);
  std::vector<Status> st(2);
  GaussParams g;
  g.centralMeridian = Dms2Rad(120);
  GeodeticToGauss(g, AngleUnit::Dms, B, L, x, y, {}, {}, st);
  EXPECT_EQ(st, (std::vector<Status>{Status::Ok, Status::BadPackedAngle}));
  EXPECT_TRUE(std::isnan(x[1]));
  GeodeticToSpace(kEllipsoid54, AngleUnit::Dms, B, L, H, x, y, z, st);
  EXPECT_EQ(st[1], Status::BadPackedAngle);
  GeodeticToUtm(UtmParams{.zoned = true}, AngleUnit::Dms, B, L, x, y, {}, st);
  EXPECT_EQ(st[1], Status::BadPackedAngle);
  HeightAnomalies(AngleUnit::Dms, B, L, x, st);
  EXPECT_EQ(st[1], Status::BadPackedAngle);
  const std::vector<double> gx = {3.4e6, kNaN}, gy = {5e5, 5e5};
  ChangeZones({}, gx, gy, x, y, st);
  EXPECT_EQ(st[1], Status::InputNotFinite);
  EXPECT_EQ(StatusMessage(Status::BadPackedAngle), "度.分秒的分或秒不能大于等于60!");
}

TEST(TypedAngles, InversesGiveSignedAnglesOrTheCalculatorsTurn) {
  const double a = kEllipsoid54.a;
  // South, west, the south pole, 180° itself, a hair east of 180° and a hair west of 0°
  // (Y 10 nm negative): 180°, not -180°, in every unit; 0°, neither -0° nor 360°.
  const std::vector<double> X = {-2893349.8654, 6000000, 0, -a, -a, a};
  const std::vector<double> Y = {4628753.6527, -1000000, 0, 0, -1e-8, -1e-8};
  const std::vector<double> Z = {-3288072.7244, 500000, -6356863, 0, 0, 0};
  std::vector<double> B(6), L(6), H(6);
  std::vector<Status> st(6);
  SpaceToGeodetic(kEllipsoid54, X, Y, Z, B, L, H, st);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(st[k], Status::Ok);
    EXPECT_LE(std::fabs(B[k]), kPi / 2) << k;
    EXPECT_TRUE(L[k] > -kPi && L[k] <= kPi) << k << " " << L[k];
  }
  EXPECT_LT(B[0], 0);
  EXPECT_LT(L[1], 0);
  EXPECT_EQ(AngleText(B[2], AngleUnit::Dms), "-90.0000000000");
  EXPECT_EQ(AngleText(L[4], AngleUnit::Dms), "180.0000000000");
  EXPECT_EQ(AngleText(L[4], AngleUnit::Degrees), "180");
  EXPECT_EQ(AngleText(L[4], AngleUnit::Radians), "3.14159265358979");
  EXPECT_EQ(AngleText(L[5], AngleUnit::Dms), "0.0000000000");
  std::vector<double> Bt(6), Lt(6);
  SpaceToGeodetic(kEllipsoid54, X, Y, Z, Bt, Lt, H, st, LongitudeRange::Turn);
  EXPECT_EQ(Bt, B);
  for (std::size_t k = 0; k < 6; ++k) EXPECT_TRUE(Lt[k] >= 0 && Lt[k] < kCalculatorPi.twoPi) << k;
  EXPECT_NEAR(Lt[1], L[1] + kCalculatorPi.twoPi, 1e-15);
  EXPECT_EQ(AngleText(Lt[5], AngleUnit::Dms), "0.0000000000");  // not 360
}

// Plane points inverted with a zone number in front of y, and far from their meridian.
TEST(BatchGauss, PlaneCoordinatesThatCannotBeAreRefusedOrFlagged) {
  GaussParams g;
  g.zoneWidth = 6;
  g.falseEastingKm = 500;
  // 30°59'59.9999" N, 121°30'30" E in 6-degree zone 21 with its number in front.
  const std::vector<double> x = {3431990.586, 3431990.586, 3431990.586}, y = {21357529.468, 21357529.468, 357529.468};
  const std::vector<double> zone = {21, 20, 21};
  std::vector<double> B(3), L(3);
  std::vector<Status> st(3);
  GaussToGeodetic(g, x, y, zone, B, L, st);
  EXPECT_EQ(st, (std::vector<Status>{Status::Ok, Status::ZonePrefixMismatch, Status::Ok}));
  EXPECT_NEAR(L[0], L[2], 1e-15);
  // The number agreeing with the zone column is read as with zonePrefix.
  g.zonePrefix = true;
  double Bp = 0, Lp = 0;
  GaussToGeodetic(g, std::span(x).first(1), std::span(y).first(1), {}, std::span(&Bp, 1), std::span(&Lp, 1),
                  std::span(st).first(1));
  EXPECT_EQ(Bp, B[0]);
  EXPECT_EQ(Lp, L[0]);
  g.zonePrefix = false;
  g.zoneWidth = 0;
  for (const auto& [meridian, status] : {std::pair{123.0, Status::Ok}, std::pair{120.0, Status::ZonePrefixMismatch},
                                        std::pair{63.0, Status::Ok}}) {  // 3-degree zone 21 too
    g.centralMeridian = Dms2Rad(meridian);
    GaussToGeodetic(g, std::span(x).first(1), std::span(y).first(1), {}, std::span(B).first(1),
                    std::span(L).first(1), std::span(st).first(1));
    EXPECT_EQ(st[0], status) << meridian;
  }

  // 3.9° from the meridian is computed; 4.1° is computed and flagged, for a strict caller
  // to refuse; the flagged point is the one the forward projected.
  g.centralMeridian = Dms2Rad(120);
  const std::vector<double> Bf = {Dms2Rad(35), Dms2Rad(35)}, Lf = {Dms2Rad(123.54), Dms2Rad(124.06)};
  std::vector<double> px(2), py(2);
  st.resize(2);
  GeodeticToGauss(g, AngleUnit::Radians, Bf, Lf, px, py, {}, {}, st);
  GaussToGeodetic(g, px, py, {}, std::span(B).first(2), std::span(L).first(2), st);
  EXPECT_EQ(st, (std::vector<Status>{Status::Ok, Status::FarFromMeridian}));
  EXPECT_NEAR(L[1], Lf[1], 1e-9);
  EXPECT_TRUE(Computed(st[1]));
  EXPECT_FALSE(Computed(st[1], /*strict=*/true));
}

// The false eastings that keep the zone number readable: at the edges of the range every
// point of a zone reads back its own zone; a kilometre beyond, the zone's edge does not.
TEST(BatchGauss, ZonePrefixNeedsAFalseEastingThatKeepsItReadable) {
  for (int width : {3, 6}) {
    GaussParams g;
    g.zoneWidth = width;
    g.zonePrefix = true;
    const FalseEastingRange r = PrefixFalseEastings(g);
    EXPECT_EQ(r.lowKm + r.highKm, 1000) << width;
    // The widest points of zone 21: on the equator at its west and (nearly) east edge.
    const double meridian = width == 6 ? 123 : 63;
    const std::vector<double> B = {0, 0}, L = {meridian - width / 2.0, meridian + width / 2.0 - 1e-9};
    std::vector<double> x(2), y(2), zone(2);
    std::vector<Status> st(2);
    for (double east : {r.lowKm, r.highKm, r.lowKm - 1, r.highKm + 1}) {
      g.falseEastingKm = east;
      GeodeticToGauss(g, AngleUnit::Degrees, B, L, x, y, {}, {}, st);
      const bool readable = PrefixReadable(g);
      EXPECT_EQ(readable, east == r.lowKm || east == r.highKm) << width << " " << east;
      const bool bothRead = std::floor(y[0] / kZonePrefixUnit) == 21 && std::floor(y[1] / kZonePrefixUnit) == 21;
      EXPECT_EQ(bothRead, readable) << width << " " << east << " " << y[0] << " " << y[1];
    }
  }
}

}  // namespace
}  // namespace vantrel::batch
