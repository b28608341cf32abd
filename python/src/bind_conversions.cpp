// The coordinate conversions over arrays: space <-> geodetic, Gauss-Krueger, zone change,
// UTM and Lambert, each a thin call of the batch layer's array function (batch/
// conversions.h) with angles in radians. Here are only the checks of the set-up and the
// shapes; the numbers all come from the batch layer.
#include <cmath>
#include <optional>

#include "batch/ellipsoids.h"
#include "batch/gauss_options.h"
#include "binding.h"
#include "common/text_rules.h"
#include "geodetic/geodetic_gauss.h"

namespace vantrel::python {

namespace {

using batch::AngleUnit;
using batch::Status;

constexpr AngleUnit kRad = AngleUnit::Radians;

std::string Repr(double v) { return py::repr(py::float_(v)).cast<std::string>(); }

double Finite(double v, const char* name) {
  if (!std::isfinite(v))
    RaiseInput(std::string(kBadInput) + " " + name + " = " + Repr(v), {{"argument", py::str(name)}});
  return v;
}

// Tandrel knows its ellipsoids by text and takes any other text for 54: 2000 would be
// computed on the wrong ellipsoid without a word, so only its three codes pass.
NamedEllipsoid ComponentEllipsoid(py::handle arg) {
  const NamedEllipsoid e = ResolveEllipsoid(arg);
  if (!batch::ComponentKnowsEllipsoid(*e.row))
    RaiseInput(batch::ComponentEllipsoidsMessage() + " 椭球 (不是 " + e.code + ")",
               {{"argument", py::str("ellipsoid")}});
  return e;
}

// ---------------------------------------------------------------- Gauss-Krueger
struct Gauss {
  std::string code;
  batch::GaussParams p;
};

// The batch layer's rules among the options, met in this order: meridian or zone width, the
// values, the zone prefix, the false origin and heights, the anomaly.
Gauss MakeGauss(py::object ellipsoid, py::object centralMeridian, py::object zoneWidth, bool zonePrefix,
                double falseNorthingKm, py::object falseEastingKm, double planeHeight, py::object anomaly) {
  using batch::GaussRule;
  const NamedEllipsoid e = ResolveEllipsoid(ellipsoid);
  batch::GaussChoice c;
  c.ellipsoid = e.e;
  c.meridian = !centralMeridian.is_none();
  c.zoneWidth = zoneWidth.is_none() ? 0 : -1;  // given; its value is read below
  c.zonePrefix = zonePrefix;
  if (batch::BrokenGaussRule(c, GaussRule::MeridianAndZoneWidth, GaussRule::NoMeridianNorZone) != GaussRule::Kept)
    RaiseInput(std::string(kBadInput) + " 需要 central_meridian (弧度) 或 zone_width (3 或 6), 只能给一个");
  double meridian = 0;
  if (!zoneWidth.is_none()) {
    c.zoneWidth = zoneWidth.cast<int>();
    if (c.zoneWidth != 3 && c.zoneWidth != 6)
      RaiseInput(std::string(kBadInput) + " zone_width 应为 3 或 6", {{"argument", py::str("zone_width")}});
  } else {
    meridian = Finite(centralMeridian.cast<double>(), "central_meridian");
  }
  if (batch::BrokenGaussRule(c, GaussRule::PrefixWithoutZones, GaussRule::PrefixWithoutZones) != GaussRule::Kept)
    RaiseInput(std::string(kBadInput) + " zone_prefix 需要 zone_width");
  const double north = Finite(falseNorthingKm, "false_northing_km");
  std::optional<double> east;
  if (!falseEastingKm.is_none()) east = Finite(falseEastingKm.cast<double>(), "false_easting_km");
  const double height = Finite(planeHeight, "plane_height");
  double typed = 0;
  bool automatic = false;
  if (py::isinstance<py::str>(anomaly)) {
    if (!IsAutoAnomaly(anomaly.cast<std::string>()))
      RaiseInput(std::string(kAnomalyMessage) + " (anomaly 应为数值或 'auto')", {{"argument", py::str("anomaly")}});
    automatic = true;
  } else {
    typed = Finite(anomaly.cast<double>(), "anomaly");
  }
  // The default 0 is no anomaly given.
  c.anomaly = automatic || typed != 0;
  if (batch::BrokenGaussRule(c, GaussRule::AnomalyOff54, GaussRule::AnomalyOff54) != GaussRule::Kept)
    RaiseInput("anomaly 只用于54椭球 (同 大地坐标－高斯坐标 对话框)", {{"argument", py::str("anomaly")}});
  Gauss g{e.code, batch::GaussParamsFor(c, meridian, north, east ? &*east : nullptr, height, typed, automatic)};
  if (!batch::PrefixReadable(g.p)) {
    const batch::FalseEastingRange r = batch::PrefixFalseEastings(g.p);
    RaiseInput(std::string(kBadInput) + " zone_prefix 时 false_easting_km 应在 " + GeneralNumberText(r.lowKm) + " 到 " +
                   GeneralNumberText(r.highKm) + " 之间, y 前面的带号才能读回",
               {{"argument", py::str("false_easting_km")}});
  }
  return g;
}

std::string GaussRepr(const Gauss& g) {
  std::string s = "GaussKruger(ellipsoid='" + g.code + "', ";
  if (g.p.zoneWidth != 0) {
    s += "zone_width=" + std::to_string(g.p.zoneWidth) + (g.p.zonePrefix ? ", zone_prefix=True" : "");
  } else {
    s += "central_meridian=" + Repr(g.p.centralMeridian);
  }
  s += ", false_northing_km=" + Repr(g.p.falseNorthingKm) + ", false_easting_km=" + Repr(g.p.falseEastingKm) +
       ", plane_height=" + Repr(g.p.planeHeight) + ", anomaly=" + (g.p.autoAnomaly ? "'auto'" : Repr(g.p.anomaly)) + ")";
  return s;
}

// ---------------------------------------------------------------- UTM and Lambert
struct Utm {
  std::string code;
  batch::UtmParams p;
  double dms = 0;  // the meridian packed, as the component takes it
  int zone = 0;    // the fixed zone, 0 when given by meridian or zoned
};

struct Lambert {
  std::string code;
  batch::LambertParams p;
};

// Zone numbers of longitudes in radians, by the batch layer's rule.
template <class F>
py::object Zones(py::object L, F number) {
  Broadcast b({{"L", L}});
  return Elementwise<1, 1>(b, py::none(), [number](const auto& x, auto& y) {
    y[0] = number(x[0]);
    return (const char*)nullptr;
  });
}

// The lon_range argument: 180 for (-π, π], 360 for [0, 2π).
batch::LongitudeRange LongitudeRangeArg(int degrees) {
  if (degrees == 180) return batch::LongitudeRange::Signed;
  if (degrees != 360) RaiseInput(std::string(kBadInput) + " lon_range 应为 180 或 360", {{"argument", py::str("lon_range")}});
  return batch::LongitudeRange::Turn;
}

}  // namespace

void BindConversions(py::module_& m) {
  py::object geodetic = DefineRecord(m, "Geodetic", {"B", "L", "H"},
                                     "Geodetic coordinates: latitude B and longitude L in radians, height H in metres.");
  py::object space = DefineRecord(m, "Space", {"X", "Y", "Z"}, "Space (Earth-centred) coordinates, metres.");
  py::object planeXY = DefineRecord(m, "PlaneXY", {"x", "y"}, "Plane (projected) coordinates, metres: x north, y east.");
  py::object planeXYH = DefineRecord(m, "PlaneXYH", {"x", "y", "h"},
                                     "Plane coordinates x (north), y (east) and the height h, metres.");
  py::object latLon = DefineRecord(m, "LatLon", {"B", "L"}, "Latitude B and longitude L, radians.");

  // ------------------------------------------------------------ space <-> geodetic
  auto toGeodetic = [geodetic](py::object ellipsoid, py::object X, py::object Y, py::object Z, const std::string& errors,
                               int lonRange) {
    const Ellipsoid e = ResolveEllipsoid(ellipsoid).e;
    const batch::LongitudeRange range = LongitudeRangeArg(lonRange);
    Broadcast b({{"X", X}, {"Y", Y}, {"Z", Z}}, RefusalsOf(errors));
    return RunPoints<3>(b, geodetic, [&e, range](const InSpans& in, const OutSpans<3>& out, std::span<Status> st) {
      batch::SpaceToGeodetic(e, in[0], in[1], in[2], out[0], out[1], out[2], st, range);
    });
  };
  auto toSpace = [space](py::object ellipsoid, py::object B, py::object L, py::object H, const std::string& errors) {
    const Ellipsoid e = ResolveEllipsoid(ellipsoid).e;
    Broadcast b({{"B", B}, {"L", L}, {"H", H}}, RefusalsOf(errors));
    return RunPoints<3>(b, space, [&e](const InSpans& in, const OutSpans<3>& out, std::span<Status> st) {
      batch::GeodeticToSpace(e, kRad, in[0], in[1], in[2], out[0], out[1], out[2], st);
    });
  };
  constexpr const char* kToGeodeticDoc = R"doc(Space coordinates X, Y, Z (m) to geodetic B, L (radians) and H (m), as 空间坐标－大地坐标.

B comes back in [−π/2, π/2] (south negative), L in (−π, π] (west negative); lon_range=360
gives L in [0, 2π) instead, as the calculator's dialog shows it. Scalars or arrays
(broadcast); returns Geodetic(B, L, H).)doc";
  constexpr const char* kToSpaceDoc = R"doc(Geodetic B, L (radians) and H (m) to space coordinates X, Y, Z (m), as 空间坐标－大地坐标.

Scalars or arrays (broadcast); returns Space(X, Y, Z).)doc";
  m.def("to_geodetic", [toGeodetic](py::object X, py::object Y, py::object Z, py::object e, const std::string& errors,
                                    int lonRange) { return toGeodetic(e, X, Y, Z, errors, lonRange); },
        py::arg("X"), py::arg("Y"), py::arg("Z"), py::arg("ellipsoid") = 54, py::arg("errors") = "raise", py::kw_only(),
        py::arg("lon_range") = 180,
        (std::string(kToGeodeticDoc) + "\nellipsoid: an Ellipsoid or its code, 54 by default.").c_str());
  m.def("to_space", [toSpace](py::object B, py::object L, py::object H, py::object e, const std::string& errors) {
          return toSpace(e, B, L, H, errors);
        }, py::arg("B"), py::arg("L"), py::arg("H"), py::arg("ellipsoid") = 54, py::arg("errors") = "raise",
        (std::string(kToSpaceDoc) + "\nellipsoid: an Ellipsoid or its code, 54 by default.").c_str());
  py::object ellipsoidClass = m.attr("Ellipsoid");
  ellipsoidClass.attr("to_geodetic") = py::cpp_function(
      [toGeodetic](py::object self, py::object X, py::object Y, py::object Z, const std::string& errors, int lonRange) {
        return toGeodetic(self, X, Y, Z, errors, lonRange);
      },
      py::name("to_geodetic"), py::is_method(ellipsoidClass), py::arg("X"), py::arg("Y"), py::arg("Z"),
      py::arg("errors") = "raise", py::kw_only(),
      py::arg("lon_range") = 180, kToGeodeticDoc);
  ellipsoidClass.attr("to_space") = py::cpp_function(
      [toSpace](py::object self, py::object B, py::object L, py::object H, const std::string& errors) {
        return toSpace(self, B, L, H, errors);
      }, py::name("to_space"), py::is_method(ellipsoidClass), py::arg("B"), py::arg("L"), py::arg("H"),
      py::arg("errors") = "raise", kToSpaceDoc);

  // ------------------------------------------------------------ Gauss-Krueger
  py::class_<Gauss>(m, "GaussKruger", R"doc(The Gauss-Krüger projection of 大地坐标－高斯坐标, on a plane lifted by the plane height and the anomaly.

GaussKruger(ellipsoid=54, central_meridian=None, zone_width=None, zone_prefix=False,
            false_northing_km=0, false_easting_km=None, plane_height=0, anomaly=0)

* ellipsoid: an Ellipsoid or its code (54, 80, 84, 2000).
* central_meridian in radians, or zone_width 3 or 6: each point is then projected in its own
  zone (6° zone n has the meridian 6n − 3, 3° zone n the meridian 3n; a longitude on a zone
  boundary belongs to the zone east of it). zone_prefix puts the zone number in front of y
  (y + zone·10⁶) and needs zone_width.
* false_northing_km, false_easting_km: the false origin in kilometres, as the dialog's
  fields; false_easting_km defaults to 500 with zone_prefix, else 0.
* plane_height (m) and anomaly (m, or 'auto' for the built-in 1954 model at each point):
  the projection plane lies plane_height + anomaly above the ellipsoid. The anomaly is read
  on the 54 ellipsoid only, as the dialog reads it.
* With zone_prefix the false easting must keep every point of a zone between 0 and 1000 km
  (about 334–666 km for 6° zones, 167–833 km for 3°), or the number would not read back.

Angles are radians, lengths metres, x north and y east. Scalars in give floats; arrays of
any shape give float64 arrays of their broadcast shape. A point the calculator refuses (for
'auto': outside 19°–52° N, 74°–133° E; any latitude beyond ±π/2 or longitude beyond ±2π)
raises InputError with the dialog's message and the index of the first such point.)doc")
      .def(py::init(&MakeGauss), py::arg("ellipsoid") = 54, py::arg("central_meridian") = py::none(),
           py::arg("zone_width") = py::none(), py::arg("zone_prefix") = false, py::arg("false_northing_km") = 0.0,
           py::arg("false_easting_km") = py::none(), py::arg("plane_height") = 0.0, py::arg("anomaly") = 0.0)
      .def_property_readonly("ellipsoid", [](const Gauss& g) { return ResolveEllipsoid(py::str(g.code)); })
      .def_property_readonly("central_meridian", [](const Gauss& g) -> py::object {
        if (g.p.zoneWidth != 0) return py::none();
        return py::float_(g.p.centralMeridian);
      }, "Radians, or None for a zoned projection.")
      .def_property_readonly("zone_width", [](const Gauss& g) -> py::object {
        if (g.p.zoneWidth == 0) return py::none();
        return py::int_(g.p.zoneWidth);
      })
      .def_property_readonly("zone_prefix", [](const Gauss& g) { return g.p.zonePrefix; })
      .def_property_readonly("false_northing_km", [](const Gauss& g) { return g.p.falseNorthingKm; })
      .def_property_readonly("false_easting_km", [](const Gauss& g) { return g.p.falseEastingKm; })
      .def_property_readonly("plane_height", [](const Gauss& g) { return g.p.planeHeight; })
      .def_property_readonly("anomaly", [](const Gauss& g) -> py::object {
        if (g.p.autoAnomaly) return py::str("auto");
        return py::float_(g.p.anomaly);
      })
      .def("forward", [planeXY, planeXYH](const Gauss& g, py::object B, py::object L, py::object H, const std::string& errors) {
        const bool heights = !H.is_none();
        const Refusals r = RefusalsOf(errors);
        Broadcast b = heights ? Broadcast({{"B", B}, {"L", L}, {"H", H}}, r) : Broadcast({{"B", B}, {"L", L}}, r);
        const batch::GaussParams p = g.p;
        if (heights) {
          return RunPoints<3>(b, planeXYH, [&p](const InSpans& in, const OutSpans<3>& out, std::span<Status> st) {
            batch::GeodeticToGauss(p, kRad, in[0], in[1], in[2], out[0], out[1], out[2], {}, {}, st);
          });
        }
        return RunPoints<2>(b, planeXY, [&p](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
          batch::GeodeticToGauss(p, kRad, in[0], in[1], out[0], out[1], {}, {}, st);
        });
      }, py::arg("B"), py::arg("L"), py::arg("H") = py::none(), py::arg("errors") = "raise",
         R"doc(Geodetic B, L (radians) to Gauss x, y (m), as the dialog computes them: PlaneXY(x, y).

Without H the point is taken on the ellipsoid (H = 0), which is what the dialog does. With
the ellipsoidal height H (m) the calculator's projection takes it into the lift onto the
plane (x and y then change with H when plane_height or anomaly is not 0) and gives
h = H − anomaly: PlaneXYH(x, y, h). B, L (and H) broadcast against each other. With
zone_width and no zone_prefix, zones(L) gives each point's zone, which inverse needs.)doc")
      .def("inverse", [latLon, geodetic](const Gauss& g, py::object x, py::object y, py::object h, py::object zone,
                                         const std::string& errors, int lonRange, bool strict) {
        const bool zoneColumn = g.p.zoneWidth != 0 && !g.p.zonePrefix;
        if (zoneColumn && zone.is_none())
          RaiseInput(std::string(kBadInput) + " zone_width 不带 zone_prefix 时反算需要 zone (带号)");
        if (!zoneColumn && !zone.is_none())
          RaiseInput(std::string(kBadInput) + " zone 只用于 zone_width 不带 zone_prefix 的投影");
        const bool heights = !h.is_none();
        std::vector<std::pair<const char*, py::handle>> args{{"x", x}, {"y", y}};
        if (heights) args.emplace_back("h", h);
        if (zoneColumn) args.emplace_back("zone", zone);
        const Refusals r = RefusalsOf(errors);
        Broadcast b = args.size() == 2   ? Broadcast({args[0], args[1]}, r)
                      : args.size() == 3 ? Broadcast({args[0], args[1], args[2]}, r)
                                         : Broadcast({args[0], args[1], args[2], args[3]}, r);
        batch::GaussParams p = g.p;
        p.longitudes = LongitudeRangeArg(lonRange);
        const std::size_t zi = heights ? 3 : 2;
        if (heights) {
          return RunPoints<3>(b, geodetic, [&](const InSpans& in, const OutSpans<3>& out, std::span<Status> st) {
            batch::GaussToGeodetic(p, in[0], in[1], in[2], zoneColumn ? in[zi] : std::span<const double>(), out[0],
                                   out[1], out[2], st);
          }, strict);
        }
        return RunPoints<2>(b, latLon, [&](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
          batch::GaussToGeodetic(p, in[0], in[1], zoneColumn ? in[zi] : std::span<const double>(), out[0], out[1], st);
        }, strict);
      }, py::arg("x"), py::arg("y"), py::arg("h") = py::none(), py::arg("zone") = py::none(),
         py::arg("errors") = "raise", py::kw_only(), py::arg("lon_range") = 180, py::arg("strict") = false,
         R"doc(Gauss x, y (m) back to geodetic B, L (radians), as the dialog computes them: LatLon(B, L).

With 'auto' the anomaly is found in three rounds, the first with none, each next one with
the model at the point the last found; a round outside 19°–52° N, 74°–133° E raises
InputError "点位不在中国范围内, ...". With zone_width the zone comes from the number in front
of y (zone_prefix) or from zone (same shape rules; a number that is no zone of that width
raises InputError "带号不对!"). Without zone_prefix, a y that carries a zone number in front
(1000 km or more east of the false easting) must carry the zone it is read in (zone, or a
zone whose meridian is central_meridian), else InputError "y 前面的带号与所用的投影带不符!";
the number is taken off. With the height h (m): Geodetic(B, L, H), H = h + anomaly, as the
calculator's inverse gives them. B comes back in [−π/2, π/2], L in (−π, π] (lon_range=360:
[0, 2π), as the calculator's inverse gives it).

A point more than 4° from its central meridian, where the series err by millimetres and
more (nearly a metre at 9°, hundreds of metres at 20°), is computed and counted in one
UserWarning; strict=True raises InputError for it instead.)doc")
      .def("zones", [](const Gauss& g, py::object L) {
        if (g.p.zoneWidth == 0) RaiseInput(std::string(kBadInput) + " zones 只用于 zone_width 的投影");
        const int w = g.p.zoneWidth;
        return Zones(L, [w](double rad) { return static_cast<double>(batch::ZoneNumber(rad, kRad, w)); });
      }, py::arg("L"), R"doc(The zone numbers (as float) forward uses for longitudes L (radians): what inverse
needs as zone when the number is not put in front of y. A longitude on a zone boundary
(within 1e-9° of it, whichever pi made the radians) lies in the zone east of it, the same
zone vantrel-cli gives the longitude typed exactly.)doc")
      .def("__repr__", &GaussRepr)
      .def(py::pickle([](const Gauss& g) {
        return py::make_tuple(g.code, g.p.centralMeridian, g.p.zoneWidth, g.p.zonePrefix, g.p.falseNorthingKm,
                              g.p.falseEastingKm, g.p.planeHeight, g.p.anomaly, g.p.autoAnomaly);
      }, [](py::tuple state) {
        const py::tuple t = PickledState(state, 9, "GaussKruger");
        Gauss g{t[0].cast<std::string>(), {}};
        g.p.ellipsoid = ResolveEllipsoid(t[0]).e;
        g.p.centralMeridian = t[1].cast<double>();
        g.p.zoneWidth = t[2].cast<int>();
        g.p.zonePrefix = t[3].cast<bool>();
        g.p.falseNorthingKm = t[4].cast<double>();
        g.p.falseEastingKm = t[5].cast<double>();
        g.p.planeHeight = t[6].cast<double>();
        g.p.anomaly = t[7].cast<double>();
        g.p.autoAnomaly = t[8].cast<bool>();
        return g;
      }));

  // ------------------------------------------------------------ zone change
  m.def("change_zone", [planeXY](py::object x, py::object y, double fromMeridian, double toMeridian,
                                 py::object ellipsoid, double falseNorthingKm, double falseEastingKm,
                                 double planeHeight, double anomaly, const std::string& errors) {
    batch::ZoneChangeParams p;
    p.ellipsoid = ResolveEllipsoid(ellipsoid).e;
    p.fromMeridian = Finite(fromMeridian, "from_meridian");
    p.toMeridian = Finite(toMeridian, "to_meridian");
    p.falseNorthingKm = Finite(falseNorthingKm, "false_northing_km");
    p.falseEastingKm = Finite(falseEastingKm, "false_easting_km");
    p.planeHeight = Finite(planeHeight, "plane_height");
    p.anomaly = Finite(anomaly, "anomaly");
    Broadcast b({{"x", x}, {"y", y}}, RefusalsOf(errors));
    return RunPoints<2>(b, planeXY, [&p](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
      batch::ChangeZones(p, in[0], in[1], out[0], out[1], st);
    });
  }, py::arg("x"), py::arg("y"), py::arg("from_meridian"), py::arg("to_meridian"), py::arg("ellipsoid") = 54,
     py::arg("false_northing_km") = 0.0, py::arg("false_easting_km") = 0.0, py::arg("plane_height") = 0.0,
     py::arg("anomaly") = 0.0, py::arg("errors") = "raise",
     R"doc(The Gauss zone change of 高斯坐标换带: x, y (m) projected with from_meridian, taken back to
B, L and projected with to_meridian (both radians). The false origin (km), plane height and
anomaly (m) apply on both sides. The dialog computes on the 54 ellipsoid, the default.
Returns PlaneXY(x, y); scalars or arrays (broadcast).)doc");

  // ------------------------------------------------------------ UTM
  py::class_<Utm>(m, "UTM", R"doc(UTM through the Tandrel component's BL2XYg_UTM and XYg2BL_UTM.

UTM(ellipsoid='84', zone=None, central_meridian=None, false_northing_km=0,
    false_easting_km=500, plane_height=0)

* ellipsoid: 54, 80 or 84 only (the component knows no other; 2000 raises InputError).
* zone (1..60, meridian 6n − 183°) or central_meridian (radians, handed to the component as
  packed D.MMSS by rad_to_dms); with neither, each point lies in its own zone (zones(L)
  says which; inverse then needs zone).
* false_northing_km (10000 for the southern hemisphere), false_easting_km, plane_height (m).

The scale on the central meridian is the component's. Angles radians, lengths metres, x
north, y east; scalars or arrays as GaussKruger.)doc")
      .def(py::init([](py::object ellipsoid, py::object zone, py::object centralMeridian, double fn, double fe,
                       double h0) {
             Utm u;
             const NamedEllipsoid e = ComponentEllipsoid(ellipsoid);
             u.code = e.code;
             u.p.ellipsoid = e.e;
             if (!zone.is_none() && !centralMeridian.is_none())
               RaiseInput(std::string(kBadInput) + " zone 和 central_meridian 只能给一个");
             if (!zone.is_none()) {
               u.zone = zone.cast<int>();
               double degrees = 0;
               if (!batch::UtmZoneMeridian(u.zone, kPi, degrees)) RaiseInput(std::string(batch::StatusMessage(Status::BadZone)) + " (zone 应为 1..60)");
               u.dms = degrees;  // a whole degree is its own packed value
             } else if (!centralMeridian.is_none()) {
               double rad = Finite(centralMeridian.cast<double>(), "central_meridian");
               u.dms = ReadLenient(Rad2dms_Buff(rad));
             } else {
               u.p.zoned = true;
             }
             // The meridian goes to the component packed: radians as it reads them back.
             if (!u.p.zoned) u.p.centralMeridian = batch::ComponentMeridian(u.dms);
             u.p.falseNorthingKm = Finite(fn, "false_northing_km");
             u.p.falseEastingKm = Finite(fe, "false_easting_km");
             u.p.planeHeight = Finite(h0, "plane_height");
             return u;
           }),
           py::arg("ellipsoid") = 84, py::arg("zone") = py::none(), py::arg("central_meridian") = py::none(),
           py::arg("false_northing_km") = 0.0, py::arg("false_easting_km") = 500.0, py::arg("plane_height") = 0.0)
      .def_property_readonly("ellipsoid", [](const Utm& u) { return ResolveEllipsoid(py::str(u.code)); })
      .def_property_readonly("zone", [](const Utm& u) -> py::object {
        if (u.zone == 0) return py::none();
        return py::int_(u.zone);
      })
      .def_property_readonly("central_meridian_dms", [](const Utm& u) -> py::object {
        if (u.p.zoned) return py::none();
        return py::float_(u.dms);
      }, "The meridian as the component takes it, packed D.MMSS; None when each point has its zone.")
      .def("forward", [planeXY](const Utm& u, py::object B, py::object L, const std::string& errors) {
        Broadcast b({{"B", B}, {"L", L}}, RefusalsOf(errors));
        const batch::UtmParams& p = u.p;
        return RunPoints<2>(b, planeXY, [&p](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
          batch::GeodeticToUtm(p, kRad, in[0], in[1], out[0], out[1], {}, st);
        });
      }, py::arg("B"), py::arg("L"), py::arg("errors") = "raise",
         "Geodetic B, L (radians) to UTM x, y (m): PlaneXY(x, y).")
      .def("inverse", [latLon](const Utm& u, py::object x, py::object y, py::object zone, const std::string& errors,
                               int lonRange) {
        if (u.p.zoned == zone.is_none())
          RaiseInput(std::string(kBadInput) + (u.p.zoned ? " 每点一带时反算需要 zone (带号)" : " zone 只用于每点一带的 UTM"));
        const Refusals r = RefusalsOf(errors);
        Broadcast b = u.p.zoned ? Broadcast({{"x", x}, {"y", y}, {"zone", zone}}, r) : Broadcast({{"x", x}, {"y", y}}, r);
        batch::UtmParams p = u.p;
        p.longitudes = LongitudeRangeArg(lonRange);
        return RunPoints<2>(b, latLon, [&p](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
          batch::UtmToGeodetic(p, in[0], in[1], p.zoned ? in[2] : std::span<const double>(), out[0], out[1], st);
        });
      }, py::arg("x"), py::arg("y"), py::arg("zone") = py::none(), py::arg("errors") = "raise", py::kw_only(),
         py::arg("lon_range") = 180,
         "UTM x, y (m) back to LatLon(B, L) in radians; zone (1..60) when each point has its own.\n\n"
         "B in [−π/2, π/2], L in (−π, π] (lon_range=360: [0, 2π)).")
      .def("zones", [](const Utm&, py::object L) {
        return Zones(L, [](double rad) { return static_cast<double>(batch::UtmZoneNumber(rad, kRad)); });
      }, py::arg("L"), "The UTM zone numbers (as float) of longitudes L (radians).")
      .def("__repr__", [](const Utm& u) {
        std::string s = "UTM(ellipsoid='" + u.code + "'";
        if (u.zone != 0) s += ", zone=" + std::to_string(u.zone);
        else if (!u.p.zoned) s += ", central_meridian_dms=" + Repr(u.dms);
        return s + ", false_northing_km=" + Repr(u.p.falseNorthingKm) + ", false_easting_km=" +
               Repr(u.p.falseEastingKm) + ", plane_height=" + Repr(u.p.planeHeight) + ")";
      })
      .def(py::pickle([](const Utm& u) {
        return py::make_tuple(u.code, u.dms, u.zone, u.p.zoned, u.p.centralMeridian, u.p.falseNorthingKm,
                              u.p.falseEastingKm, u.p.planeHeight);
      }, [](py::tuple state) {
        const py::tuple t = PickledState(state, 8, "UTM");
        Utm u{t[0].cast<std::string>(), {}, t[1].cast<double>(), t[2].cast<int>()};
        u.p.ellipsoid = ComponentEllipsoid(t[0]).e;
        u.p.zoned = t[3].cast<bool>();
        u.p.centralMeridian = t[4].cast<double>();
        u.p.falseNorthingKm = t[5].cast<double>();
        u.p.falseEastingKm = t[6].cast<double>();
        u.p.planeHeight = t[7].cast<double>();
        return u;
      }));

  // ------------------------------------------------------------ Lambert
  py::class_<Lambert>(m, "Lambert", R"doc(The Lambert conformal conic through the Tandrel component (BL2XYg_Lambert, XYg2BL_Lambert).

Lambert(central_meridian, parallel1, parallel2, ellipsoid='84', false_northing_km=0,
        false_easting_km=0, plane_height=0)

Meridian and standard parallels in radians; ellipsoid 54, 80 or 84 only (2000 raises
InputError); false origin in km, plane height in m. A point or cone the component refuses
raises InputError "兰勃特投影不能计算此点!" with its index.)doc")
      .def(py::init([](double l0, double b1, double b2, py::object ellipsoid, double fn, double fe, double h0) {
             Lambert l;
             const NamedEllipsoid e = ComponentEllipsoid(ellipsoid);
             l.code = e.code;
             l.p.ellipsoid = e.e;
             l.p.centralMeridian = Finite(l0, "central_meridian");
             l.p.parallel1 = Finite(b1, "parallel1");
             l.p.parallel2 = Finite(b2, "parallel2");
             l.p.falseNorthingKm = Finite(fn, "false_northing_km");
             l.p.falseEastingKm = Finite(fe, "false_easting_km");
             l.p.planeHeight = Finite(h0, "plane_height");
             return l;
           }),
           py::arg("central_meridian"), py::arg("parallel1"), py::arg("parallel2"), py::arg("ellipsoid") = 84,
           py::arg("false_northing_km") = 0.0, py::arg("false_easting_km") = 0.0, py::arg("plane_height") = 0.0)
      .def("forward", [planeXY](const Lambert& l, py::object B, py::object L, const std::string& errors) {
        Broadcast b({{"B", B}, {"L", L}}, RefusalsOf(errors));
        const batch::LambertParams& p = l.p;
        return RunPoints<2>(b, planeXY, [&p](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
          batch::GeodeticToLambert(p, kRad, in[0], in[1], out[0], out[1], st);
        });
      }, py::arg("B"), py::arg("L"), py::arg("errors") = "raise",
         "Geodetic B, L (radians) to Lambert x, y (m): PlaneXY(x, y).")
      .def("inverse", [latLon](const Lambert& l, py::object x, py::object y, const std::string& errors, int lonRange) {
        Broadcast b({{"x", x}, {"y", y}}, RefusalsOf(errors));
        batch::LambertParams p = l.p;
        p.longitudes = LongitudeRangeArg(lonRange);
        return RunPoints<2>(b, latLon, [&p](const InSpans& in, const OutSpans<2>& out, std::span<Status> st) {
          batch::LambertToGeodetic(p, in[0], in[1], out[0], out[1], st);
        });
      }, py::arg("x"), py::arg("y"), py::arg("errors") = "raise", py::kw_only(), py::arg("lon_range") = 180,
         "Lambert x, y (m) back to LatLon(B, L) in radians: B in [−π/2, π/2], L in (−π, π]\n"
         "(lon_range=360: [0, 2π)).")
      .def("__repr__", [](const Lambert& l) {
        return "Lambert(central_meridian=" + Repr(l.p.centralMeridian) + ", parallel1=" + Repr(l.p.parallel1) +
               ", parallel2=" + Repr(l.p.parallel2) + ", ellipsoid='" + l.code + "', false_northing_km=" +
               Repr(l.p.falseNorthingKm) + ", false_easting_km=" + Repr(l.p.falseEastingKm) +
               ", plane_height=" + Repr(l.p.planeHeight) + ")";
      })
      .def(py::pickle([](const Lambert& l) {
        return py::make_tuple(l.code, l.p.centralMeridian, l.p.parallel1, l.p.parallel2, l.p.falseNorthingKm,
                              l.p.falseEastingKm, l.p.planeHeight);
      }, [](py::tuple state) {
        const py::tuple t = PickledState(state, 7, "Lambert");
        Lambert l{t[0].cast<std::string>(), {}};
        l.p.ellipsoid = ComponentEllipsoid(t[0]).e;
        l.p.centralMeridian = t[1].cast<double>();
        l.p.parallel1 = t[2].cast<double>();
        l.p.parallel2 = t[3].cast<double>();
        l.p.falseNorthingKm = t[4].cast<double>();
        l.p.falseEastingKm = t[5].cast<double>();
        l.p.planeHeight = t[6].cast<double>();
        return l;
      }));
}

}  // namespace vantrel::python
