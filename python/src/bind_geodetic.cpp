// Angles, number texts, the small geodetic quantities, the 1954 height anomaly model and
// the compensation plane height.
#include <cmath>

#include "batch/typed_angles.h"
#include "binding.h"
#include "common/text_rules.h"
#include "geodetic/compensation_plane.h"
#include "geodetic/geodetic_quantities.h"
#include "geodetic/height_anomaly.h"

namespace vantrel::python {

namespace {

constexpr const char* kLatitudeOutside = "纬度不在中国范围内, 不能计算54椭球大地水准面差距!";
constexpr const char* kLongitudeOutside = "经度不在中国范围内, 不能计算54椭球大地水准面差距!";

const char* AnomalyRefusal(AnomalyRange r) {
  switch (r) {
    case AnomalyRange::LatitudeOutside: return kLatitudeOutside;
    case AnomalyRange::LongitudeOutside: return kLongitudeOutside;
    case AnomalyRange::Inside: break;
  }
  return nullptr;
}

// A text per element: a str for a scalar, nested lists of str for arrays.
template <class F>
py::object Texts(const Broadcast& b, F text) {
  std::vector<std::string> out(static_cast<std::size_t>(b.size()));
  const double* x = b.data(0);
  {
    py::gil_scoped_release unlocked;
    for (py::ssize_t k = 0; k < b.size(); ++k) out[k] = text(x[k]);
  }
  if (b.scalar()) return py::str(out[0]);
  py::module_ np = py::module_::import("numpy");
  py::array objects = np.attr("array")(py::cast(out), "dtype"_a = "object");
  return objects.attr("reshape")(py::cast(b.shape())).attr("tolist")();
}

}  // namespace

void BindAngles(py::module_& m) {
  m.def("dms_to_rad", [](py::object dms, bool strict) {
    Broadcast b({{"dms", dms}});
    return Elementwise<1, 1>(b, py::none(), [strict](const auto& x, auto& y) {
      y[0] = Dms2Rad(x[0]);
      const batch::Status s = strict ? batch::PackedAngleStatus(x[0]) : batch::Status::Ok;
      return s == batch::Status::Ok ? (const char*)nullptr : batch::StatusMessage(s).data();
    });
  }, py::arg("dms"), py::kw_only(), py::arg("strict") = false,
     R"doc(Packed D.MMSS to radians, as the calculator reads a typed angle.

121.3030 is 121°30′30″; -0.3 is -30′. Minutes and seconds of 60 or more are taken as they
stand, or with strict=True refused (InputError "度.分秒的分或秒不能大于等于60!" with the
index), as vantrel-cli refuses them; the digits are read as typed (121.6 has 60 minutes).
Uses the calculator's pi, 3.14159265358979 (not math.pi). Scalar or array in, float or
float64 array out. A value that is not finite raises InputError.)doc");

  m.def("rad_to_dms", [](py::object rad) {
    Broadcast b({{"rad", rad}});
    return Elementwise<1, 1>(b, py::none(), [](const auto& x, auto& y) {
      double alf = x[0];
      y[0] = ReadLenient(Rad2dms_Buff(alf));
      return (const char*)nullptr;
    });
  }, py::arg("rad"), R"doc(Radians to packed D.MMSS, the number rad_to_dms_text shows.

Seconds to six decimals, truncated after the calculator's offset of a hundred-millionth of an
arc second (so 30″ never shows as 29.999999″). Scalar or array in, float or array out.)doc");

  m.def("rad_to_dms_text", [](py::object rad) {
    Broadcast b({{"rad", rad}});
    return Texts(b, [](double v) { return Rad2dms_Buff(v); });
  }, py::arg("rad"), R"doc(Radians to the packed text the calculator shows, e.g. ' 121.3030000000'.

A blank stands in the sign place of a positive angle; a negative one starts '- '. A scalar
gives a str, an array (nested) lists of str.)doc");

  m.def("format_pattern", [](py::object value, const std::string& pattern) {
    Broadcast b({{"value", value}}, /*allowNonFinite=*/true);
    return Texts(b, [&](double v) { return FormatPattern(v, pattern); });
  }, py::arg("value"), py::arg("pattern"), R"doc(A number as a dialog shows it with a fixed pattern ("#.000", "0.0000", "00" ...).

Rounds half away from zero on the value's 15-significant-digit text (2.675 with "0.00" is
"2.68"); "#" before the point drops a leading zero (".500"); a value that rounds to zero has
no minus sign; a value that is not finite gives "".)doc");

  m.def("general_text", [](py::object value) {
    Broadcast b({{"value", value}}, /*allowNonFinite=*/true);
    return Texts(b, [](double v) { return GeneralNumberText(v); });
  }, py::arg("value"), R"doc(A number in the calculator's general text: 15 significant digits, no trailing zeros.

Magnitudes from 1e-4 up to below 1e15 are written out ("0.5", "141.42135623731"), others with
an exponent ("1E+20", "1.5E-07").)doc");
}

void BindGeodetic(py::module_& m) {
  py::object radii = DefineRecord(m, "Radii", {"N", "M", "R", "RA"},
                                  "Radii of curvature in metres: N prime vertical, M meridian, R mean "
                                  "(sqrt(MN)), RA normal section in the given azimuth.");
  m.def("radii", [radii](py::object lat, py::object azimuth, py::object ellipsoid) {
    const Ellipsoid e = ResolveEllipsoid(ellipsoid).e;
    Broadcast b({{"lat", lat}, {"azimuth", azimuth}});
    return Elementwise<2, 4>(b, radii, [e](const auto& x, auto& y) {
      Radius_Cal(x[0], x[1], e.a, e.e2, y[0], y[1], y[2], y[3]);
      return (const char*)nullptr;
    });
  }, py::arg("lat"), py::arg("azimuth") = 0.0, py::arg("ellipsoid") = 54,
     R"doc(Radii of curvature at latitude lat in the direction azimuth (both radians).

Returns Radii(N, M, R, RA) in metres, floats or arrays (inputs broadcast). The dialog 曲率半径
shows each with "#.0000". ellipsoid: an Ellipsoid or its code, 54 by default.)doc");

  m.def("meridian_arc", [](py::object lat1, py::object lat2, py::object ellipsoid) {
    const Ellipsoid e = ResolveEllipsoid(ellipsoid).e;
    Broadcast b({{"lat1", lat1}, {"lat2", lat2}});
    return Elementwise<2, 1>(b, py::none(), [e](const auto& x, auto& y) {
      MArcLen_cal(x[0], x[1], e.a, e.e2, y[0]);
      return (const char*)nullptr;
    });
  }, py::arg("lat1"), py::arg("lat2"), py::arg("ellipsoid") = 54,
     R"doc(Meridian arc length in metres from latitude lat1 to lat2 (radians); negative southwards.

The calculator's rule: one million right-end rectangles (about 7 ms a call). The dialog
子午圈弧长 shows it with "#.000000000".)doc");

  m.def("parallel_arc", [](py::object lat, py::object dlon, py::object ellipsoid) {
    const Ellipsoid e = ResolveEllipsoid(ellipsoid).e;
    Broadcast b({{"lat", lat}, {"dlon", dlon}});
    return Elementwise<2, 1>(b, py::none(), [e](const auto& x, auto& y) {
      NArcLen_cal(x[0], x[1], e.a, e.e2, y[0]);
      return (const char*)nullptr;
    });
  }, py::arg("lat"), py::arg("dlon"), py::arg("ellipsoid") = 54,
     R"doc(Parallel arc length in metres at latitude lat over the longitude difference dlon (radians).

The dialog 平行圈弧长 shows it with "#.0000".)doc");

  py::object three = DefineRecord(m, "ThreeDifference", {"deflection", "height", "geodesic"},
                                  "The three-difference corrections of a direction, arc seconds: "
                                  "deflection of the vertical, target height, normal section to geodesic.");
  m.def("three_difference", [three](py::object lat1, py::object lat2, py::object xi, py::object eta,
                                    py::object height, py::object distance, py::object azimuth,
                                    py::object zenith) {
    Broadcast b({{"lat1", lat1}, {"lat2", lat2}, {"xi", xi}, {"eta", eta}, {"height", height},
                 {"distance", distance}, {"azimuth", azimuth}, {"zenith", zenith}});
    return Elementwise<8, 3>(b, three, [](const auto& x, auto& y) {
      Three_Cor_cal(x[2], x[3], x[6], x[7], x[0], x[1], x[4], x[5], y[0], y[1], y[2]);
      if (!ZenithDistanceUsable(x[7])) return "天顶距无效, 不能为0!";
      if (!std::isfinite(y[0]) || !std::isfinite(y[1]) || !std::isfinite(y[2])) return kBadInput;
      return (const char*)nullptr;
    });
  }, py::arg("lat1"), py::arg("lat2"), py::arg("xi"), py::arg("eta"), py::arg("height"),
     py::arg("distance"), py::arg("azimuth"), py::arg("zenith"),
     R"doc(Three-difference corrections of an observed direction (dialog 三差改正).

lat1 station latitude, lat2 target latitude, azimuth and zenith distance of the line: radians.
xi, eta deflection of the vertical components: arc seconds. height of the target and
distance to it: metres. Returns ThreeDifference(deflection, height, geodesic) in arc seconds
(the dialog shows "#.0000"). A zenith distance with tan z = 0 raises InputError
"天顶距无效, 不能为0!"; a result that overflows raises InputError.)doc");

  m.def("height_anomaly_54", [](py::object lat, py::object lon) {
    Broadcast b({{"lat", lat}, {"lon", lon}});
    return Elementwise<2, 1>(b, py::none(), [](const auto& x, auto& y) {
      return AnomalyRefusal(HeightAnomaly54At(x[0], x[1], y[0]));
    });
  }, py::arg("lat"), py::arg("lon"), R"doc(Height anomaly of the 1954 ellipsoid over China, metres (大地水准面差距).

lat, lon in radians, turned into decimal degrees with the calculator's pi. The built-in 1°
grid is read by bilinear interpolation with its gap filling; 0 where no data lies around.
Outside 19°..52° N (bounds included) raises InputError "纬度不在中国范围内, 不能计算54椭球
大地水准面差距!", outside 74°..133° E "经度不在中国范围内, ...". The dialog
54椭球大地水准面差距 tests the packed text instead (52.3 is refused there although 52°18′ is
inside) and shows ".000" followed by 米.)doc");

  py::object comp = DefineRecord(
      m, "CompensationPlane",
      {"lat_deg", "lon_deg", "H", "zeta", "N", "M", "R", "xg", "yg", "hg", "dH1", "dE", "dH2", "dH3"},
      "The compensation plane height at a point: lat_deg, lon_deg (decimal degrees) and H (m) on the "
      "1954 ellipsoid; zeta height anomaly (m); N, M, R radii (m); xg, yg, hg Gauss coordinates (m); "
      "dH1 plane height against the 1954 ellipsoid, dE height difference from the ellipsoid change, "
      "dH2 against the 1954 ellipsoid with dE allowed for, dH3 against the level surface (m).");
  m.def("compensation_plane_height", [comp](py::object X, py::object Y, py::object Z, py::object h,
                                            py::object central_meridian) {
    Broadcast b({{"X", X}, {"Y", Y}, {"Z", Z}, {"h", h}, {"central_meridian", central_meridian}});
    return Elementwise<5, 14>(b, comp, [](const auto& x, auto& y) {
      ProjectionState state;
      const CompensationResult r = CompensationPlaneHeight(state, x[0], x[1], x[2], x[3], x[4]);
      if (r.status == CompensationStatus::LatitudeOutside) return kLatitudeOutside;
      if (r.status == CompensationStatus::LongitudeOutside) return kLongitudeOutside;
      y = {r.Bdeg, r.Ldeg, r.H, r.zeta, r.N, r.M, r.R, r.xg, r.yg, r.hg, r.dH1, r.dE, r.dH2, r.dH3};
      return (const char*)nullptr;
    });
  }, py::arg("X"), py::arg("Y"), py::arg("Z"), py::arg("h"), py::arg("central_meridian"),
     R"doc(Height of the compensation plane (dialog 抵偿面高程) at a point given in WGS84 space coordinates.

X, Y, Z in metres; h the levelled height (m); central_meridian in radians. The point is taken
onto the 1954 ellipsoid, without false origin or plane height (the calculator's start-up
state). Returns CompensationPlane; the dialog shows dH1, dH2, dH3 and dE. A point outside
19°..52° N or 74°..133° E raises InputError with the dialog's message.)doc");
}

}  // namespace vantrel::python
