// The coordinate systems by EPSG code against PROJ's own registry (proj.db): for every code of
// the table its ellipsoid, axis order, projection parameters and area, and points across the
// area converted both ways. Then the datum rule, the zone in front of the easting, and the
// texts a user types.
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "batch/crs_transform.h"
#include "transform/transform_state.h"

namespace vantrel::batch::crs_test {
namespace {

struct PjFree {
  void operator()(PJ* p) const { proj_destroy(p); }
};
using Pj = std::unique_ptr<PJ, PjFree>;

Pj Epsg(int code) { return Pj(proj_create(PJ_DEFAULT_CTX, ("EPSG:" + std::to_string(code)).c_str())); }

int BaseGeographic(Datum d) {
  switch (d) {
    case Datum::Beijing1954: return 4214;
    case Datum::Xian1980: return 4610;
    case Datum::Cgcs2000: return 4490;
    case Datum::Wgs84: return 4326;
  }
  return 0;
}

// The registry's axis directions in order.
std::vector<std::string> ProjAxes(PJ* crs) {
  Pj cs(proj_crs_get_coordinate_system(PJ_DEFAULT_CTX, crs));
  std::vector<std::string> dirs;
  for (int i = 0; i < proj_cs_get_axis_count(PJ_DEFAULT_CTX, cs.get()); ++i) {
    const char* direction = nullptr;
    proj_cs_get_axis_info(PJ_DEFAULT_CTX, cs.get(), i, nullptr, nullptr, &direction, nullptr, nullptr, nullptr,
                          nullptr);
    dirs.push_back(direction);
  }
  return dirs;
}

std::vector<std::string> OurAxes(AxisOrder a) {
  switch (a) {
    case AxisOrder::LatLon:
    case AxisOrder::NorthEast: return {"north", "east"};
    case AxisOrder::EastNorth: return {"east", "north"};
    case AxisOrder::XYZ: return {"geocentricX", "geocentricY", "geocentricZ"};
  }
  return {};
}

double ProjParam(PJ* crs, const char* name) {
  Pj op(proj_crs_get_coordoperation(PJ_DEFAULT_CTX, crs));
  const int i = proj_coordoperation_get_param_index(PJ_DEFAULT_CTX, op.get(), name);
  double value = NAN;
  proj_coordoperation_get_param(PJ_DEFAULT_CTX, op.get(), i, nullptr, nullptr, nullptr, &value, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr);
  return value;
}

// A grid of 5 x 5 points over the area, a little inside its edges.
std::vector<std::pair<double, double>> AreaPoints(const AreaOfUse& a) {
  std::vector<std::pair<double, double>> pts;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j)
      pts.emplace_back(a.south + 0.01 + (a.north - a.south - 0.02) * i / 4,
                       a.west + 0.01 + (a.east - a.west - 0.02) * j / 4);
  return pts;
}

TEST(CrsTable, EveryCodeAgreesWithProj) {
  const std::vector<int> codes = CrsCodes();
  ASSERT_EQ(codes.size(), 6u + 42 + 22 + 64 + 64 + 120);
  double worstMetres = 0, worstDegrees = 0;
  for (int code : codes) {
    SCOPED_TRACE("EPSG:" + std::to_string(code));
    const Crs crs = *CrsByCode(code);
    const Pj ref = Epsg(code);
    ASSERT_TRUE(ref);
    EXPECT_EQ(crs.name, proj_get_name(ref.get()));
    EXPECT_EQ(OurAxes(crs.axes), ProjAxes(ref.get()));
    // The ellipsoid row: the axis exactly, e2 as the registry's flattening gives it.
    Pj ell(proj_get_ellipsoid(PJ_DEFAULT_CTX, ref.get()));
    double a = 0, rf = 0;
    proj_ellipsoid_get_parameters(PJ_DEFAULT_CTX, ell.get(), &a, nullptr, nullptr, &rf);
    EXPECT_EQ(crs.ellipsoid->ellipsoid.a, a);
    EXPECT_NEAR(crs.ellipsoid->ellipsoid.e2, (2 - 1 / rf) / rf, 1e-15);  // the calculator's rows: 15 decimals
    // The area: the zone's band as the registry gives it (to its 0.01° rounding), and at
    // least its latitudes.
    double west = 0, south = 0, east = 0, north = 0;
    proj_get_area_of_use(PJ_DEFAULT_CTX, ref.get(), &west, &south, &east, &north, nullptr);
    EXPECT_NEAR(crs.area.west, west, 0.021);
    EXPECT_NEAR(crs.area.east, east, 0.021);
    EXPECT_LE(crs.area.south, south);
    EXPECT_GE(crs.area.north, north);
    if (crs.kind == CrsKind::Geographic) continue;  // its points are checked through the others
    const int base = BaseGeographic(crs.datum);
    if (crs.kind == CrsKind::Projected) {
      EXPECT_EQ(crs.tm.centralMeridian, ProjParam(ref.get(), "Longitude of natural origin"));
      EXPECT_EQ(crs.tm.scale, ProjParam(ref.get(), "Scale factor at natural origin"));
      EXPECT_EQ(crs.tm.falseEasting, ProjParam(ref.get(), "False easting"));
      EXPECT_EQ(crs.tm.falseNorthing, ProjParam(ref.get(), "False northing"));
      EXPECT_EQ(0, ProjParam(ref.get(), "Latitude of natural origin"));
    }
    // Points both ways: PROJ in the registry's axis order, as ours.
    Pj op(proj_create_crs_to_crs(PJ_DEFAULT_CTX, ("EPSG:" + std::to_string(base)).c_str(),
                                 ("EPSG:" + std::to_string(code)).c_str(), nullptr));
    ASSERT_TRUE(op);
    const CrsTransform forward{*CrsByCode(base), crs, {}, false, {}}, inverse{crs, *CrsByCode(base), {}, false, {}};
    const double h = crs.kind == CrsKind::Geocentric ? 250 : 0;
    for (const auto& [lat, lon] : AreaPoints(crs.area)) {
      const PJ_COORD r = proj_trans(op.get(), PJ_FWD, proj_coord(lat, lon, h, 0));
      double in[3] = {lat, lon, h}, out[3] = {}, back[3] = {};
      Status st[1];
      TransformCrsPoints(forward, AngleUnit::Degrees, {in, 1}, {in + 1, 1}, {in + 2, 1}, {out, 1}, {out + 1, 1},
                         {out + 2, 1}, st);
      ASSERT_TRUE(Computed(st[0])) << lat << " " << lon;
      const double metres = std::max({std::fabs(out[0] - r.v[0]), std::fabs(out[1] - r.v[1]),
                                      crs.kind == CrsKind::Geocentric ? std::fabs(out[2] - r.v[2]) : 0.0});
      EXPECT_LE(metres, 1e-3) << lat << " " << lon;
      worstMetres = std::max(worstMetres, metres);
      // And PROJ's coordinates back to latitude and longitude.
      double ref3[3] = {r.v[0], r.v[1], r.v[2]};
      TransformCrsPoints(inverse, AngleUnit::Degrees, {ref3, 1}, {ref3 + 1, 1}, {ref3 + 2, 1}, {back, 1},
                         {back + 1, 1}, {back + 2, 1}, st);
      const double dB = DegreesFromRadians(back[0]) - lat, dL = DegreesFromRadians(back[1]) - lon;
      if (crs.kind == CrsKind::Geocentric) {
        EXPECT_LE(std::max(std::fabs(dB), std::fabs(dL)), 1e-9) << lat << " " << lon;
        EXPECT_NEAR(back[2], h, 1e-3);
        worstDegrees = std::max({worstDegrees, std::fabs(dB), std::fabs(dL)});
      } else {
        // As a distance on the ground: a millimetre.
        const double ground = std::hypot(dB, dL * std::cos(lat * std::numbers::pi / 180)) * 111320;
        EXPECT_LE(ground, 1e-3) << lat << " " << lon;
        worstMetres = std::max(worstMetres, ground);
      }
    }
  }
  char worst[64];
  std::snprintf(worst, sizeof worst, "%.2e m, %.2e deg", worstMetres, worstDegrees);
  RecordProperty("worst", worst);
}

Crs Code(int c) { return *CrsByCode(c); }

TEST(CrsTransform, DatumsNeedParameters) {
  const SevenParameters p{-15.4, 120.2, 30.1, 2.5, 0.3, -0.8, 1.2};
  struct Case {
    int from, to;
    bool params, sameDatum, refused;
  } cases[] = {
      {4214, 4490, false, false, true},  {2436, 4548, false, false, true}, {4610, 4214, false, false, true},
      {4490, 4326, false, false, true},  {4479, 32650, false, false, true}, {4214, 4490, false, true, true},
      {4490, 4326, false, true, false},  {4214, 4490, true, false, false},  {4490, 4548, false, false, false},
      {4490, 4548, true, false, true},   {4214, 21460, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
    CrsTransform t{Code(c.from), Code(c.to), {}, c.sameDatum, {}};
    if (c.params) t.seven = p;
    const std::string why = CrsTransformRefusal(t);
    EXPECT_EQ(!why.empty(), c.refused) << why;
    if (c.refused && !c.params) {
      const bool wide = c.from != 4490 && c.from != 4479;
      EXPECT_NE(why.find(wide ? "几十米到一百多米" : "几厘米"), std::string::npos) << why;
      double v[2] = {30, 117}, o[2];
      Status st[1];
      EXPECT_THROW(TransformCrsPoints(t, AngleUnit::Degrees, {v, 1}, {v + 1, 1}, {}, {o, 1}, {o + 1, 1}, {}, st),
                   std::invalid_argument);
    }
  }
}

// The parameters act as the seven subcommand's do: CGCS2000 space coordinates through them
// give what SevenParameterPoints gives, and the same datum taken as one changes nothing.
TEST(CrsTransform, SevenParametersInTheSevenCommandsConvention) {
  const SevenParameters p{-15.4, 120.2, 30.1, 2.5, 0.3, -0.8, 1.2};
  double X[2] = {-2148744.3, -2200000}, Y[2] = {4426641.2, 4400000}, Z[2] = {4044655.9, 4100000};
  double Xa[2], Ya[2], Za[2], Xb[2], Yb[2], Zb[2];
  Status st[2];
  TransformCrsPoints({Code(4479), Code(4978), p, false, {}}, AngleUnit::Degrees, X, Y, Z, Xa, Ya, Za, st);
  SevenParams sp;
  sp.parameters = p;
  SevenParameterPoints(sp, X, Y, Z, Xb, Yb, Zb, {}, {}, {}, st);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(Xa[i], Xb[i], 1e-6);
    EXPECT_NEAR(Ya[i], Yb[i], 1e-6);
    EXPECT_NEAR(Za[i], Zb[i], 1e-6);
  }
  double lat[1] = {31.123456789}, lon[1] = {-117.987654321}, a[1], b[1];
  Status one[1];
  TransformCrsPoints({Code(4490), Code(4326), {}, true, {}}, AngleUnit::Degrees, lat, lon, {}, a, b, {}, one);
  EXPECT_NEAR(DegreesFromRadians(a[0]), lat[0], 1e-12);
  EXPECT_NEAR(DegreesFromRadians(b[0]), lon[0], 1e-12);
}

TEST(CrsTransform, ZoneInFrontOfTheEasting) {
  struct Case {
    int code;
    double east;
    Status status;
  } cases[] = {
      {4548, 500123.4, Status::Ok},        {4548, 39500123.4, Status::Ok},  // CM 117E: 3-degree zone 39
      {4548, 38500123.4, Status::ZonePrefixMismatch}, {4548, 20500123.4, Status::ZonePrefixMismatch},
      {4527, 39500123.4, Status::Ok},      {4527, 500123.4, Status::Ok},    // zone 39 with it in front
      {4527, 40500123.4, Status::ZonePrefixMismatch}, {21460, 20500123.4, Status::Ok},
      {21460, 39500123.4, Status::ZonePrefixMismatch}, {2345, 20500123.4, Status::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + " " + std::to_string(c.east));
    const Crs crs = Code(c.code);
    double x[1] = {3456789.1}, y[1] = {c.east}, lat[1], lon[1];
    Status st[1];
    TransformCrsPoints({crs, Code(BaseGeographic(crs.datum)), {}, false, {}}, AngleUnit::Degrees, x, y, {}, lat, lon, {},
                       st);
    EXPECT_EQ(st[0], c.status);
    if (c.status != Status::Ok) continue;
    // Whatever the easting carried, the point is the one 123.4 m east of the meridian 117E.
    EXPECT_NEAR(DegreesFromRadians(lon[0]), 117 + 123.4 / 95000, 1e-4);
    double back[2];
    TransformCrsPoints({Code(BaseGeographic(crs.datum)), crs, {}, false, {}}, AngleUnit::Radians, lat, lon, {},
                       {back, 1}, {back + 1, 1}, {}, st);
    EXPECT_NEAR(back[1], crs.tm.falseEasting + 123.4, 1e-6);
  }
}

TEST(CrsText, CodesAndParameterFiles) {
  Crs crs;
  std::string error;
  for (const char* ok : {"EPSG:4548", " epsg:4548 ", "4548", "Epsg:4548"}) {
    EXPECT_TRUE(ParseCrs(ok, crs, error)) << ok;
    EXPECT_EQ(crs.code, 4548);
  }
  for (const char* bad : {"", "EPSG:", "EPSG:4548x", "EPSG:9999", "EPSG: 4548", "ESRI:4548", "4548.0", "EPSG:-1"}) {
    EXPECT_FALSE(ParseCrs(bad, crs, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  CrsTransform t;
  struct Case {
    std::string text;
    bool ok;
    const char* where;
  } cases[] = {
      {"1,2,3,4,5,6,7\n", true, ""},
      {"# fit7\r\n\r\n1, 2, 3, 4, 5, 6, 7\r\n", true, ""},
      {"1 2 3 4 5 6 7", true, ""},
      {"1,2,3,4,5,6\n", false, "p.txt:1: "},
      {"1,2,3,7\n", true, ""},
      {"1,2,3\n", false, "p.txt:1: "},
      {"\n1,2,3,4,5,6,7,8\n", false, "p.txt:2: "},
      {"1,2,3,4,5,6,x\n", false, "p.txt:1: "},
      {"1,2,3,4,5,6,nan\n", false, "p.txt:1: "},
      {"1,2,3,4,5,6,7\n1,2,3,4,5,6,7\n", false, "p.txt:2: "},
      {"# nothing\n", false, "p.txt: "},
      {std::string("1,2,3,\0,5,6,7", 13), false, "p.txt: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseParameterText(c.text, "p.txt", t, error), c.ok) << error;
    if (c.ok) EXPECT_EQ(t.seven ? t.seven->ez : t.four->at(vantrel::kScale) * 1e6, 7);
    else EXPECT_EQ(error.rfind(c.where, 0), 0u) << error;
  }
}

}  // namespace
}  // namespace vantrel::batch::crs_test
