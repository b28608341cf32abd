// Coordinate systems by EPSG code and the transformer between them, in the manner pyproj's
// users know: CRS.from_epsg(4548), Transformer.from_crs(a, b).transform(x, y). The points go
// through the batch layer's TransformCrsPoints, the one the command line's convert runs.
#include <cmath>

#include "batch/crs_transform.h"
#include "binding.h"

namespace vantrel::python {

namespace {

Crs CrsArg(py::handle arg) {
  if (py::isinstance<Crs>(arg)) return arg.cast<Crs>();
  std::string text;
  if (py::isinstance<py::int_>(arg)) {
    text = std::to_string(arg.cast<long long>());
  } else if (py::isinstance<py::str>(arg)) {
    text = arg.cast<std::string>();
  } else {
    throw py::type_error("a coordinate system is a CRS, an EPSG code (int) or \"EPSG:code\"");
  }
  Crs crs;
  std::string error;
  if (!ParseCrs(text, crs, error)) RaiseInput(error);
  return crs;
}

// Seven numbers (or a SevenParameters) for a datum shift, four for a plane transformation.
void ParamsArg(py::handle arg, batch::CrsTransform& t) {
  if (arg.is_none()) return;
  if (py::isinstance<SevenParameters>(arg)) {
    t.seven = arg.cast<SevenParameters>();
    return;
  }
  const auto v = arg.cast<std::vector<double>>();
  for (double x : v)
    if (!std::isfinite(x)) RaiseInput("params 不能有 NaN 或无穷大");
  if (!batch::SetParameters(t, v))
    RaiseInput("params 应有 7 个数值 (dX, dY, dZ, m, ex, ey, ez) 或 4 个数值 (dx, dy, 旋转角, m)");
}

std::string_view CrsKindName(CrsKind k) {
  switch (k) {
    case CrsKind::Geographic: return "geographic";
    case CrsKind::Geocentric: return "geocentric";
    case CrsKind::Projected: return "projected";
  }
  return "";
}

// Geographic outputs are given in degrees, as the registry's axes are.
void OutputDegrees(const Crs& to, std::span<double> a, std::span<double> b) {
  if (to.kind != CrsKind::Geographic) return;
  for (auto* s : {&a, &b})
    for (double& v : *s) v = batch::DegreesFromRadians(v);
}

py::object TransformPointsCall(const batch::CrsTransform& t, py::object xx, py::object yy, py::object zz,
                     const std::string& errors, bool strict) {
  const bool geocentricIn = t.from.kind == CrsKind::Geocentric;
  if (geocentricIn && zz.is_none()) RaiseInput("空间直角坐标需要 X, Y, Z 三个数");
  const Refusals r = RefusalsOf(errors);
  const bool third = !zz.is_none();
  Broadcast b = third ? Broadcast({{"xx", xx}, {"yy", yy}, {"zz", zz}}, r) : Broadcast({{"xx", xx}, {"yy", yy}}, r);
  const py::object none = py::none();
  const auto unit = batch::AngleUnit::Degrees;
  if (third || t.to.kind == CrsKind::Geocentric) {
    return RunPoints<3>(b, none, [&t, third, unit](const InSpans& in, const OutSpans<3>& out, std::span<batch::Status> st) {
      batch::TransformCrsPoints(t, unit, in[0], in[1], third ? in[2] : std::span<const double>(), out[0], out[1],
                                out[2], st);
      OutputDegrees(t.to, out[0], out[1]);
    }, strict);
  }
  return RunPoints<2>(b, none, [&t, unit](const InSpans& in, const OutSpans<2>& out, std::span<batch::Status> st) {
    batch::TransformCrsPoints(t, unit, in[0], in[1], {}, out[0], out[1], {}, st);
    OutputDegrees(t.to, out[0], out[1]);
  }, strict);
}

}  // namespace

void BindCrs(py::module_& m) {
  const py::object area = DefineRecord(m, "AreaOfUse", {"west", "south", "east", "north"},
                                       "A system's area of use in degrees: west, south, east, north.");
  py::class_<Crs>(m, "CRS", R"doc(A coordinate system of Vantrel's table, named by its EPSG code.

CRS("EPSG:4548"), CRS(4548) or CRS.from_epsg(4548). The table holds the geographic systems
Beijing 1954 (4214), Xian 1980 (4610), CGCS2000 (4490) and WGS 84 (4326), the geocentric
4479 and 4978, the Gauss-Kruger systems of the three Chinese datums (2327-2390, 2401-2442,
4491-4554, 21413-21423, 21453-21463) and WGS 84 / UTM (32601-32660, 32701-32760).)doc")
      .def(py::init([](py::object arg) { return CrsArg(arg); }), py::arg("code"))
      .def_static("from_epsg", [](py::object code) { return CrsArg(code); }, py::arg("code"),
                  "The system of an EPSG code (int or \"EPSG:code\").")
      .def_static("codes", &CrsCodes, "Every EPSG code of the table, ascending.")
      .def_property_readonly("epsg", [](const Crs& c) { return c.code; })
      .def_property_readonly("name", [](const Crs& c) { return c.name; }, "The registry's English name.")
      .def_property_readonly("chinese_name", [](const Crs& c) { return c.chinese; })
      .def_property_readonly("kind", [](const Crs& c) { return std::string(CrsKindName(c.kind)); },
                             "\"geographic\", \"geocentric\" or \"projected\".")
      .def_property_readonly("datum", [](const Crs& c) { return std::string(DatumName(c.datum)); })
      .def_property_readonly("ellipsoid", [](const Crs& c) { return std::string(c.ellipsoid->code); },
                             "The code of its row in the ellipsoid table (54, 80, 2000, or WGS84: the registry's WGS 84).")
      .def_property_readonly("axis_order", [](const Crs& c) {
        py::list names;
        for (auto n : AxisNames(c.axes)) names.append(py::str(std::string(n)));
        return py::tuple(names);
      }, "The axes in the registry's order: (\"lat\", \"lon\"), (\"X\", \"Y\", \"Z\"), (\"x\", \"y\") north first, (\"E\", \"N\").")
      .def_property_readonly("axis_order_text", [](const Crs& c) { return std::string(AxisOrderText(c.axes)); })
      .def_property_readonly("area_of_use", [area](const Crs& c) {
        return area(c.area.west, c.area.south, c.area.east, c.area.north);
      })
      .def_property_readonly("projection", [](const Crs& c) -> py::object {
        if (c.kind != CrsKind::Projected) return py::none();
        const TransverseMercator& tm = c.tm;
        return py::dict("method"_a = "Transverse Mercator", "latitude_of_origin"_a = 0.0,
                        "central_meridian"_a = tm.centralMeridian, "scale_factor"_a = tm.scale,
                        "false_easting"_a = tm.falseEasting, "false_northing"_a = tm.falseNorthing,
                        "zone"_a = tm.zone, "zone_width"_a = tm.zoneWidth);
      }, "The projection's parameters as the registry defines them (None for other kinds).")
      .def("__eq__", [](const Crs& a, const Crs& b) { return a.code == b.code; })
      .def("__hash__", [](const Crs& c) { return c.code; })
      .def("__repr__", [](const Crs& c) { return "<CRS EPSG:" + std::to_string(c.code) + " " + c.name + ">"; })
      .def("to_epsg", [](const Crs& c) { return c.code; });

  py::class_<batch::CrsTransform>(m, "Transformer", R"doc(Points from one CRS to another.

Transformer.from_crs(a, b, params=None, same_datum=False). Between different datums (Beijing
1954, Xian 1980, CGCS2000, WGS 84) nothing is guessed: params gives the seven parameters
(dX, dY, dZ in m, m in ppm, ex, ey, ez in seconds; a SevenParameters or 7 numbers, as
estimate_seven_parameters gives them), else from_crs raises InputError. same_datum=True
takes CGCS2000 and WGS 84 as one (their realisations differ by a few centimetres at most).
Between two projected systems params may instead be four plane parameters (dx, dy in m,
rotation in seconds, m in ppm), applied to the coordinates as they stand, as fit4 gives them.

Coordinates go in and out in each system's axis order (CRS.axis_order): latitude, longitude
in degrees; x north, y east for the Gauss-Kruger systems; E, N for UTM; X, Y, Z.)doc")
      .def_static("from_crs", [](py::object a, py::object b, py::object params, bool sameDatum) {
        batch::CrsTransform t{CrsArg(a), CrsArg(b), {}, sameDatum, {}};
        ParamsArg(params, t);
        if (std::string why = batch::CrsTransformRefusal(t); !why.empty()) {
          if (!t.seven && !t.four && t.from.datum != t.to.datum)
            why += ": 用 params=(dX, dY, dZ, m, ex, ey, ez) 给出" +
                   std::string(batch::CrsTransformRefusal({t.from, t.to, {}, true, {}}).empty() ? ", 或 same_datum=True" : "");
          RaiseInput(why);
        }
        return t;
      }, py::arg("crs_from"), py::arg("crs_to"), py::arg("params") = py::none(), py::arg("same_datum") = false)
      .def_property_readonly("source_crs", [](const batch::CrsTransform& t) { return t.from; })
      .def_property_readonly("target_crs", [](const batch::CrsTransform& t) { return t.to; })
      .def("transform", &TransformPointsCall, py::arg("xx"), py::arg("yy"), py::arg("zz") = py::none(),
           py::arg("errors") = "raise", py::arg("strict") = false,
           R"doc(The points (scalars or arrays, broadcast) in the target system: a tuple (a, b) in its axis
order, or (a, b, c) when zz is given or the target is geocentric (c: Z, or the ellipsoidal
height). A Gauss-Kruger easting with the zone number in front must carry the system's zone.
A point more than 4 degrees from a central meridian is computed with a UserWarning (strict:
refused). errors="nan" as the other array conversions. The GIL is released.)doc")
      .def("__repr__", [](const batch::CrsTransform& t) {
        return "<Transformer EPSG:" + std::to_string(t.from.code) + " -> EPSG:" + std::to_string(t.to.code) + ">";
      });
}

}  // namespace vantrel::python
