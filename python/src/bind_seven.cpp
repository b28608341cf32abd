// The seven-parameter (Bursa-Wolf) transformation and its estimation from common points.
#include <cmath>

#include "adjustment/seven_estimation.h"
#include "batch/seven_fit.h"
#include "binding.h"
#include "common/text_files.h"

namespace vantrel::python {

namespace {

py::array_t<double> Residuals(const adjustment::SevenEstimate& e) {
  py::array_t<double> out({static_cast<py::ssize_t>(e.residuals.size()), py::ssize_t{3}});
  auto r = out.mutable_unchecked<2>();
  for (std::size_t i = 0; i < e.residuals.size(); ++i) {
    r(i, 0) = e.residuals[i].vX;
    r(i, 1) = e.residuals[i].vY;
    r(i, 2) = e.residuals[i].vZ;
  }
  return out;
}

adjustment::SevenEstimate Checked(adjustment::SevenEstimate e) {
  if (!e.ok) RaiseInput(e.error);
  return e;
}

// Reads the file's bytes (a FileError when that fails), then its layout (an InputError).
batch::CommonPointFileResult ReadCommonPoints(const std::string& path, bool geodetic) {
  FileBytesResult file = ReadFileBytes(path);
  if (!file.ok) RaiseFile(path + ": " + file.error, path);
  batch::CommonPointFileResult r = batch::ParseCommonPointText(file.bytes, path, geodetic);
  if (!r.ok) RaiseInput(r.error, {{"path", py::str(path)}});
  return r;
}

}  // namespace

void BindSeven(py::module_& m) {
  py::object sevenGauss = DefineRecord(m, "SevenGauss", {"X", "Y", "Z", "xg", "yg", "hg"},
                                       "The seven-parameter dialog's results: new space coordinates X, Y, Z and "
                                       "the Gauss coordinates xg (north), yg (east) and height hg, metres.");
  py::class_<SevenParameters>(m, "SevenParameters", R"doc(The seven parameters of the space similarity transformation.

dX, dY, dZ translations in metres, m scale change in parts per million, ex, ey, ez rotations
in arc seconds, in the convention of the calculator's 七参数坐标转换 dialog:
X' = dX + k (X + ez Y/ρ - ey Z/ρ), Y' = dY + k (-ez X/ρ + Y + ex Z/ρ),
Z' = dZ + k (ey X/ρ - ex Y/ρ + Z), k = 1 + m·1e-6, ρ = 648000/π.)doc")
      .def(py::init([](double dX, double dY, double dZ, double m, double ex, double ey, double ez) {
             return SevenParameters{dX, dY, dZ, m, ex, ey, ez};
           }),
           py::arg("dX") = 0.0, py::arg("dY") = 0.0, py::arg("dZ") = 0.0, py::arg("m") = 0.0,
           py::arg("ex") = 0.0, py::arg("ey") = 0.0, py::arg("ez") = 0.0)
      .def_readwrite("dX", &SevenParameters::dX, "Translation along X, m.")
      .def_readwrite("dY", &SevenParameters::dY, "Translation along Y, m.")
      .def_readwrite("dZ", &SevenParameters::dZ, "Translation along Z, m.")
      .def_readwrite("m", &SevenParameters::m, "Scale change, ppm.")
      .def_readwrite("ex", &SevenParameters::ex, "Rotation about X, arc seconds.")
      .def_readwrite("ey", &SevenParameters::ey, "Rotation about Y, arc seconds.")
      .def_readwrite("ez", &SevenParameters::ez, "Rotation about Z, arc seconds.")
      .def("as_tuple", [](const SevenParameters& p) { return py::make_tuple(p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez); },
           "(dX, dY, dZ, m, ex, ey, ez).")
      .def("transform", [](const SevenParameters& p, py::object X, py::object Y, py::object Z, const std::string& errors) {
        Broadcast b({{"X", X}, {"Y", Y}, {"Z", Z}}, RefusalsOf(errors));
        batch::SevenParams params;
        params.parameters = p;
        return RunPoints<3>(b, py::none(), [&params](const InSpans& in, const OutSpans<3>& out, std::span<batch::Status> st) {
          batch::SevenParameterPoints(params, in[0], in[1], in[2], out[0], out[1], out[2], {}, {}, {}, st);
        });
      }, py::arg("X"), py::arg("Y"), py::arg("Z"), py::arg("errors") = "raise",
         R"doc(Transforms space coordinates (m, scalars or arrays, broadcast): returns the tuple (X', Y', Z').

A result that leaves the range of numbers raises InputError "计算结果超出数值范围!" with the
index of the first such point.)doc")
      .def("to_gauss", [sevenGauss](const SevenParameters& p, py::object X, py::object Y, py::object Z,
                                    py::object ellipsoid, double centralMeridianDeg, double falseNorthingKm,
                                    double falseEastingKm, double planeHeight, double anomaly, const std::string& errors) {
        batch::SevenParams params;
        params.parameters = p;
        params.ellipsoid = ResolveEllipsoid(ellipsoid).e;
        const std::pair<const char*, double> fields[] = {{"central_meridian_deg", centralMeridianDeg},
            {"false_northing_km", falseNorthingKm}, {"false_easting_km", falseEastingKm},
            {"plane_height", planeHeight}, {"anomaly", anomaly}};
        for (const auto& [name, value] : fields)
          if (!std::isfinite(value)) RaiseInput(std::string(kBadInput) + " " + name + " = " + py::repr(py::float_(value)).cast<std::string>());
        params.centralMeridian = SevenMeridianRadians(centralMeridianDeg);
        params.falseNorthingKm = falseNorthingKm;
        params.falseEastingKm = falseEastingKm;
        params.planeHeight = planeHeight;
        params.anomaly = anomaly;
        Broadcast b({{"X", X}, {"Y", Y}, {"Z", Z}}, RefusalsOf(errors));
        return RunPoints<6>(b, sevenGauss, [&params](const InSpans& in, const OutSpans<6>& out, std::span<batch::Status> st) {
          batch::SevenParameterPoints(params, in[0], in[1], in[2], out[0], out[1], out[2], out[3], out[4], out[5], st);
        });
      }, py::arg("X"), py::arg("Y"), py::arg("Z"), py::arg("ellipsoid") = 54, py::arg("central_meridian_deg") = 123.0,
         py::arg("false_northing_km") = 0.0, py::arg("false_easting_km") = 500.0, py::arg("plane_height") = 0.0,
         py::arg("anomaly") = 0.0, py::arg("errors") = "raise",
         R"doc(The whole computation of 七参数坐标转换: the space transformation, then on the chosen
ellipsoid to geodetic and onto the Gauss plane lifted by plane_height + anomaly (m).

central_meridian_deg is decimal degrees as the dialog's field (123 by default), the false
origin kilometres (0 and 500 by default). Returns SevenGauss(X, Y, Z, xg, yg, hg), metres.)doc")
      .def("__repr__", [](const SevenParameters& p) {
        auto f = [](double v) { return py::repr(py::float_(v)).cast<std::string>(); };
        return "SevenParameters(dX=" + f(p.dX) + ", dY=" + f(p.dY) + ", dZ=" + f(p.dZ) + ", m=" + f(p.m) +
               ", ex=" + f(p.ex) + ", ey=" + f(p.ey) + ", ez=" + f(p.ez) + ")";
      })
      .def(py::pickle([](const SevenParameters& p) { return py::make_tuple(p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez); },
                      [](py::tuple state) {
                        const py::tuple t = PickledState(state, 7, "SevenParameters");
                        auto d = [&t](int i) { return t[i].cast<double>(); };
                        return SevenParameters{d(0), d(1), d(2), d(3), d(4), d(5), d(6)};
                      }));

  py::class_<adjustment::SevenEstimate>(m, "SevenFit", R"doc(Seven parameters estimated from common points.

parameters and sigma (their standard deviations) in the units of SevenParameters; sigma0 the
standard deviation of one coordinate (m); residuals (n, 3) new minus transformed old (m);
flagged marks points with a residual above 3·sigma0.)doc")
      .def_property_readonly("parameters", [](const adjustment::SevenEstimate& e) { return e.parameters; })
      .def_property_readonly("sigma", [](const adjustment::SevenEstimate& e) { return e.sigma; })
      .def_readonly("sigma0", &adjustment::SevenEstimate::sigma0, "Standard deviation of one coordinate, m.")
      .def_readonly("redundancy", &adjustment::SevenEstimate::redundancy, "3n - 7.")
      .def_readonly("iterations", &adjustment::SevenEstimate::iterations)
      .def_property_readonly("names", [](const adjustment::SevenEstimate& e) {
        std::vector<std::string> n;
        for (const auto& r : e.residuals) n.push_back(r.name);
        return n;
      })
      .def_property_readonly("residuals", &Residuals, "(n, 3) array vX, vY, vZ in metres.")
      .def_property_readonly("flagged", [](const adjustment::SevenEstimate& e) {
        py::array_t<bool> out(static_cast<py::ssize_t>(e.residuals.size()));
        for (std::size_t i = 0; i < e.residuals.size(); ++i) out.mutable_data()[i] = e.residuals[i].flagged;
        return out;
      }, "(n,) bool array: a residual above 3 sigma0.")
      .def("report_lines", [](const adjustment::SevenEstimate& e) { return batch::SevenEstimateReportText(e); },
           "The report's lines (print zones, no line ends), as vantrel-cli writes them.")
      .def("report", [](const adjustment::SevenEstimate& e) { return JoinLines(batch::SevenEstimateReportText(e)); },
           "The report as one str, lines ended by \\n.")
      .def("__repr__", [](const adjustment::SevenEstimate& e) {
        return "<SevenFit of " + std::to_string(e.residuals.size()) + " points, sigma0=" +
               py::repr(py::float_(e.sigma0)).cast<std::string>() + " m>";
      });

  m.def("estimate_seven_parameters", [](py::object old_xyz, py::object new_xyz, py::object names) {
    auto o = Table(old_xyz, "old", 3), n = Table(new_xyz, "new", 3);
    if (o.shape(0) != n.shape(0))
      RaiseInput(std::string(kBadInput) + " old 与 new 点数不同");
    const auto labels = Names(names, static_cast<std::size_t>(o.shape(0)), "P");
    std::vector<adjustment::CommonSpacePoint> points;
    auto a = o.unchecked<2>(), b = n.unchecked<2>();
    for (py::ssize_t i = 0; i < o.shape(0); ++i)
      points.push_back({labels[i], a(i, 0), a(i, 1), a(i, 2), b(i, 0), b(i, 1), b(i, 2)});
    adjustment::SevenEstimate e;
    {
      py::gil_scoped_release unlocked;
      e = adjustment::EstimateSevenParameters(points);
    }
    return Checked(std::move(e));
  }, py::arg("old"), py::arg("new"), py::arg("names") = py::none(),
     R"doc(Seven parameters from common points in space coordinates.

old, new: (n, 3) arrays of X, Y, Z in metres on the old and the new datum, n >= 3; names
optional (P1, P2 ... otherwise). Least squares on the exact model; returns SevenFit. Too few,
coincident or collinear points raise InputError with the reason (e.g. "公共点少于3个,
不能求七参数!").)doc");

  m.def("estimate_seven_parameters_geodetic", [](py::object old_blh, py::object new_blh,
                                                 py::object old_ellipsoid, py::object new_ellipsoid,
                                                 py::object names) {
    auto o = Table(old_blh, "old", 3), n = Table(new_blh, "new", 3);
    if (o.shape(0) != n.shape(0))
      RaiseInput(std::string(kBadInput) + " old 与 new 点数不同");
    const Ellipsoid eo = ResolveEllipsoid(old_ellipsoid).e, en = ResolveEllipsoid(new_ellipsoid).e;
    const auto labels = Names(names, static_cast<std::size_t>(o.shape(0)), "P");
    std::vector<adjustment::CommonGeodeticPoint> points;
    auto a = o.unchecked<2>(), b = n.unchecked<2>();
    for (py::ssize_t i = 0; i < o.shape(0); ++i)
      points.push_back({labels[i], a(i, 0), a(i, 1), a(i, 2), b(i, 0), b(i, 1), b(i, 2)});
    adjustment::SevenEstimate e;
    {
      py::gil_scoped_release unlocked;
      e = adjustment::EstimateSevenParameters(points, eo, en);
    }
    return Checked(std::move(e));
  }, py::arg("old"), py::arg("new"), py::arg("old_ellipsoid"), py::arg("new_ellipsoid"),
     py::arg("names") = py::none(),
     R"doc(Seven parameters from common points in geodetic coordinates.

old, new: (n, 3) arrays of latitude, longitude (radians) and ellipsoidal height (m) on
old_ellipsoid and new_ellipsoid (Ellipsoid objects or codes). The points are turned into space
coordinates on their ellipsoids first; the parameters act on space coordinates.)doc");

  py::object commonPoints = DefineRecord(m, "CommonPoints", {"names", "old", "new"},
                                         "Common points of a file: names (list of str), old and new (n, 3) arrays.");
  m.def("read_common_point_file", [commonPoints](const std::filesystem::path& path, bool geodetic) {
    const batch::CommonPointFileResult r = ReadCommonPoints(path.string(), geodetic);
    const std::size_t n = geodetic ? r.geodetic.size() : r.space.size();
    py::array_t<double> o({static_cast<py::ssize_t>(n), py::ssize_t{3}}), w({static_cast<py::ssize_t>(n), py::ssize_t{3}});
    auto a = o.mutable_unchecked<2>(), b = w.mutable_unchecked<2>();
    std::vector<std::string> names;
    for (std::size_t i = 0; i < n; ++i) {
      if (geodetic) {
        const auto& p = r.geodetic[i];
        names.push_back(p.name);
        a(i, 0) = p.B, a(i, 1) = p.L, a(i, 2) = p.H, b(i, 0) = p.Bn, b(i, 1) = p.Ln, b(i, 2) = p.Hn;
      } else {
        const auto& p = r.space[i];
        names.push_back(p.name);
        a(i, 0) = p.X, a(i, 1) = p.Y, a(i, 2) = p.Z, b(i, 0) = p.Xn, b(i, 1) = p.Yn, b(i, 2) = p.Zn;
      }
    }
    return commonPoints(names, o, w);
  }, py::arg("path"), py::arg("geodetic") = false,
     R"doc(Reads a common-point file: one point a line, "name X Y Z X' Y' Z'" (metres) or, with
geodetic=True, "name B L H B' L' H'" (latitude and longitude packed D.MMSS, returned in
radians). GBK or UTF-8, "#" starts a remark. Returns CommonPoints(names, old, new). A file that
cannot be read raises FileError, a faulty line InputError "FILE:LINE: reason".)doc");
}

}  // namespace vantrel::python
