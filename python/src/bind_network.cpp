// Rigorous adjustment of plane control networks and levelling networks, from Python lists or
// from an observation file: a result with numpy arrays of the points, their precisions and
// ellipses, every observation's residual and the tests.
//
// Accuracies passed in are in the units of the observation file and the command line's
// options (″, mm, ppm); every figure returned is the JSON report's: metres and radians, the
// plane network's σ0 in arc seconds as its a-priori value.
#include <cmath>
#include <memory>
#include <optional>

#include "batch/network_adjustment.h"
#include "batch/network_file.h"
#include "batch/network_report.h"
#include "binding.h"
#include "common/text_files.h"
#include "network_lists.h"

namespace vantrel::python {

namespace {

using adjustment::ObservationKind;

struct Whole {
  batch::NetworkFile file;
  std::string name;  // the file's, or the name= of lists
  batch::NetworkAdjustment adjustment;
};
using Shared = std::shared_ptr<const Whole>;

struct PlanePart {
  Shared w;
  const adjustment::PlaneResult& r() const { return *w->adjustment.plane; }
  const batch::NetworkFile& f() const { return w->file; }
};
struct LevelPart {
  Shared w;
  const adjustment::LevellingResult& r() const { return *w->adjustment.levelling; }
  const batch::NetworkFile& f() const { return w->file; }
};
struct FilePart {
  Shared w;
};

// Adjusts with the GIL released; a network that cannot be adjusted raises its reason.
Shared Adjust(batch::NetworkFile file, std::string name, bool fromFile) {
  auto w = std::make_shared<Whole>();
  w->file = std::move(file);
  w->name = std::move(name);
  {
    py::gil_scoped_release unlocked;
    w->adjustment = batch::AdjustNetworkFile(w->file);
  }
  if (!w->adjustment.ok) RaiseInput((fromFile ? w->name + ": " : "") + w->adjustment.error);
  return w;
}

// The report of the whole adjustment, as vantrel-cli adjust --report writes it.
std::string Report(const Whole& w, const std::string& format, std::optional<double> ellipseScale) {
  if (format == "text") return JoinLines(batch::NetworkReportText(w.file, w.name, w.adjustment));
  if (format == "json") return batch::NetworkReportJson(w.file, w.name, w.adjustment);
  if (format != "html")
    RaiseInput(std::string(kBadInput) + " format 应为 'text'、'html' 或 'json'", {{"argument", py::str("format")}});
  batch::NetworkReportOptions options;
  if (ellipseScale && !(*ellipseScale > 0 && std::isfinite(*ellipseScale)))
    RaiseInput(std::string(kBadInput) + " ellipse_scale 应为正数", {{"argument", py::str("ellipse_scale")}});
  if (ellipseScale) options.ellipseScale = *ellipseScale;
  return batch::NetworkReportHtml(w.file, w.name, w.adjustment, options);
}

const char* const kReportDoc = R"doc(The report of the adjustment as vantrel-cli adjust writes it (docs/cli.md):
format "text" (tables in print zones, lines ended by \n; vantrel-cli writes them as GBK with
CR LF), "html" (a whole page with the SVG drawing of the network, its error ellipses enlarged
ellipse_scale times, or by a round factor chosen to fit) or "json" (SI units, full precision).
A part's report is that of the whole adjustment it belongs to.)doc";

// free=False (fixed datum), True (free, minimum norm over all points) or a list of names.
void SetFree(py::handle free, batch::NetworkOverrides& o) {
  if (free.is_none()) return;
  if (py::isinstance<py::bool_>(free)) {
    o.free = free.cast<bool>();
    return;
  }
  if (py::isinstance<py::str>(free) || !py::isinstance<py::sequence>(free))
    RaiseInput(std::string(kBadInput) + " free 应为 True、False 或点名的列表", {{"argument", py::str("free")}});
  o.free = true;
  for (py::handle h : free) o.datumPoints.push_back(py::str(h).cast<std::string>());
}

void SetDistanceSigma(std::optional<std::pair<double, double>> ab, batch::NetworkOverrides& o) {
  if (ab) o.distanceSigmaA = ab->first, o.distanceSigmaB = ab->second;
}

py::object OrNone(int index) { return index >= 0 ? py::object(py::int_(index)) : py::object(py::none()); }

template <class F>
py::array_t<double> Column(std::size_t n, F get) {
  py::array_t<double> a(static_cast<py::ssize_t>(n));
  double* d = a.mutable_data();
  for (std::size_t i = 0; i < n; ++i) d[i] = get(i);
  return a;
}

template <class T, std::size_t K, class F>
py::array_t<T> Rows(std::size_t n, F get) {
  py::array_t<T> a({static_cast<py::ssize_t>(n), static_cast<py::ssize_t>(K)});
  T* d = a.mutable_data();
  for (std::size_t i = 0; i < n; ++i) {
    const std::array<T, K> row = get(i);
    for (std::size_t j = 0; j < K; ++j) d[i * K + j] = row[j];
  }
  return a;
}

py::array_t<std::int64_t> FileLines(const std::vector<int>& lines, std::size_t n) {
  py::array_t<std::int64_t> a(static_cast<py::ssize_t>(n));
  for (std::size_t i = 0; i < n; ++i) a.mutable_data()[i] = i < lines.size() ? lines[i] : 0;
  return a;
}

py::tuple Bounds(double lower, double upper) { return py::make_tuple(lower, upper); }

std::string Test(bool passed) { return passed ? "global test passed" : "global test failed"; }

void BindPlanePart(py::module_& m) {
  py::object observations = DefineRecord(
      m, "NetworkObservations",
      {"kinds", "stations", "targets", "targets2", "observed", "adjusted", "residuals", "sigma", "sigma_adjusted",
       "redundancy", "standardized", "file_lines"},
      "Every observation of a plane network in input order (a direction set's directions and distances in its "
      "targets' order, the direction before the distance): kinds ('direction', 'angle', 'distance', 'azimuth'), "
      "stations, targets, targets2 (the angle's second target, else '') as lists of str; float64 arrays of the "
      "observed and adjusted values and residuals (adjusted minus observed; radians or metres as the "
      "observation), sigma (the σ it was weighted with) and sigma_adjusted (σ of the adjusted value), "
      "redundancy (0..1) and standardized (Baarda's w, NaN where the redundancy is 0); file_lines, int64, "
      "the observation file's line (0 from lists).");
  py::object relative = DefineRecord(
      m, "RelativeEllipses", {"pairs", "ellipses", "sigma_distance", "sigma_azimuth"},
      "Relative error ellipses of the points joined by an observation: pairs (m, 2) int64 indices into points, "
      "ellipses (m, 3) major and minor semi-axis (m) and the major axis's azimuth (rad, [0, π)), sigma_distance "
      "(m) and sigma_azimuth (rad) of the adjusted distance and azimuth between them.");

  py::class_<PlanePart>(m, "PlaneAdjustment", R"doc(A plane control network adjusted by least squares.

Points in input order: points (names), xy (n, 2) adjusted x (north) and y (east) in metres,
sigma (n, 2) their standard deviations (m), sigma_p (n,) √(σx² + σy²), covariance_xy (n,) m²,
ellipses (n, 3) standard error ellipses: major and minor semi-axis (m) and the major axis's
azimuth (rad, clockwise from north, [0, π)), adjusted (n, 2) bool, False for a coordinate held
fixed. Standard deviations are scaled by the a-posteriori σ0 (a_priori=True: by the a-priori).
observations (NetworkObservations), relative_ellipses (RelativeEllipses), orientations (each
direction set's station and the azimuth of its circle's zero, rad). sigma0 a posteriori in
arc seconds (the a-priori unit weight's unit), dof, chi2 (vᵀPv/σ0² of the a-priori σ0) with
chi2_bounds (2.5 % and 97.5 % quantiles of χ²(dof)), global_test_passed, suspect (the index
of the observation data snooping names, |w| > 3.29, or None), iterations.)doc")
      .def_property_readonly("points", [](const PlanePart& p) {
        std::vector<std::string> names;
        for (const auto& q : p.r().points) names.push_back(q.name);
        return names;
      })
      .def_property_readonly("xy", [](const PlanePart& p) {
        const auto& q = p.r().points;
        return Rows<double, 2>(q.size(), [&](std::size_t i) { return std::array{q[i].x, q[i].y}; });
      })
      .def_property_readonly("sigma", [](const PlanePart& p) {
        const auto& q = p.r().points;
        return Rows<double, 2>(q.size(), [&](std::size_t i) { return std::array{q[i].sigmaX, q[i].sigmaY}; });
      })
      .def_property_readonly("sigma_p", [](const PlanePart& p) {
        return Column(p.r().points.size(), [&](std::size_t i) { return p.r().points[i].sigmaP; });
      })
      .def_property_readonly("covariance_xy", [](const PlanePart& p) {
        return Column(p.r().points.size(), [&](std::size_t i) { return p.r().points[i].covarianceXY; });
      })
      .def_property_readonly("ellipses", [](const PlanePart& p) {
        const auto& q = p.r().points;
        return Rows<double, 3>(q.size(), [&](std::size_t i) {
          return std::array{q[i].ellipse.major, q[i].ellipse.minor, q[i].ellipse.azimuth};
        });
      })
      .def_property_readonly("adjusted", [](const PlanePart& p) {
        const auto& q = p.r().points;
        return Rows<bool, 2>(q.size(), [&](std::size_t i) { return std::array{q[i].adjustedX, q[i].adjustedY}; });
      })
      .def_property_readonly("observations", [observations](const PlanePart& p) {
        const auto& in = p.f().plane.observations;
        const auto& a = p.r().observations;
        const std::size_t n = in.size();
        py::list kinds, stations, targets, targets2;
        for (const auto& o : in) {
          kinds.append(adjustment::ObservationKindName(o.kind));
          stations.append(o.station);
          targets.append(o.target);
          targets2.append(o.target2);
        }
        return observations(kinds, stations, targets, targets2, Column(n, [&](std::size_t i) { return in[i].value; }),
                            Column(n, [&](std::size_t i) { return a[i].adjusted; }),
                            Column(n, [&](std::size_t i) { return a[i].residual; }),
                            Column(n, [&](std::size_t i) { return a[i].sigma; }),
                            Column(n, [&](std::size_t i) { return a[i].sigmaAdjusted; }),
                            Column(n, [&](std::size_t i) { return a[i].redundancy; }),
                            Column(n, [&](std::size_t i) { return a[i].standardized; }),
                            FileLines(p.f().observationLines, n));
      })
      .def_property_readonly("relative_ellipses", [relative](const PlanePart& p) {
        const auto& e = p.r().relative;
        return relative(Rows<std::int64_t, 2>(e.size(), [&](std::size_t i) {
                          return std::array<std::int64_t, 2>{e[i].from, e[i].to};
                        }),
                        Rows<double, 3>(e.size(), [&](std::size_t i) {
                          return std::array{e[i].ellipse.major, e[i].ellipse.minor, e[i].ellipse.azimuth};
                        }),
                        Column(e.size(), [&](std::size_t i) { return e[i].sigmaDistance; }),
                        Column(e.size(), [&](std::size_t i) { return e[i].sigmaAzimuth; }));
      })
      .def_property_readonly("orientations", [](const PlanePart& p) {
        py::list l;
        const auto& r = p.r();
        for (std::size_t k = 0; k < r.sets.size() && k < r.orientations.size(); ++k)
          for (const auto& o : p.f().plane.observations)
            if (o.kind == ObservationKind::Direction && o.set == r.sets[k]) {
              l.append(py::make_tuple(o.station, r.orientations[k]));
              break;
            }
        return l;
      })
      .def_property_readonly("sigma0", [](const PlanePart& p) { return p.r().sigma0; })
      .def_property_readonly("sigma0_a_priori", [](const PlanePart& p) { return p.f().planeOptions.sigma0; })
      .def_property_readonly("dof", [](const PlanePart& p) { return p.r().degreesOfFreedom; })
      .def_property_readonly("chi2", [](const PlanePart& p) { return p.r().chiSquare; })
      .def_property_readonly("chi2_bounds", [](const PlanePart& p) { return Bounds(p.r().chiSquareLower, p.r().chiSquareUpper); })
      .def_property_readonly("global_test_passed", [](const PlanePart& p) { return p.r().globalTestPassed; })
      .def_property_readonly("suspect", [](const PlanePart& p) { return OrNone(p.r().suspectObservation); })
      .def_property_readonly("iterations", [](const PlanePart& p) { return p.r().iterations; })
      .def("report", [](const PlanePart& p, const std::string& format, std::optional<double> scale) {
        return Report(*p.w, format, scale);
      }, py::arg("format") = "text", py::kw_only(), py::arg("ellipse_scale") = py::none(), kReportDoc)
      .def("__repr__", [](const PlanePart& p) {
        return "<PlaneAdjustment " + std::to_string(p.r().points.size()) + " points, " +
               std::to_string(p.r().observations.size()) + " observations, sigma0=" +
               py::repr(py::float_(p.r().sigma0)).cast<std::string>() + "\", dof=" +
               std::to_string(p.r().degreesOfFreedom) + ", " + Test(p.r().globalTestPassed) + ">";
      });
}

void BindLevelPart(py::module_& m) {
  py::object lines = DefineRecord(
      m, "LevellingLines",
      {"starts", "ends", "observed", "amount", "adjusted", "residuals", "sigma", "sigma_adjusted", "redundancy",
       "standardized", "file_lines"},
      "Every levelling line in input order: starts and ends (point names), float64 arrays of the observed and "
      "adjusted height differences and residuals (m), amount (km or set-ups), sigma (the line's σ, m) and "
      "sigma_adjusted, redundancy and standardized (Baarda's w, NaN where the redundancy is 0); file_lines.");
  py::class_<LevelPart>(m, "LevellingAdjustment", R"doc(A levelling network adjusted by least squares.

points (names), heights (n,) adjusted heights in metres, height_sigma (n,) their standard
deviations (m; 0 for a height held fixed), adjusted (n,) bool; lines (LevellingLines);
sigma0 a posteriori and sigma0_a_priori in metres, dof, chi2, chi2_bounds,
global_test_passed, suspect (index of the line data snooping names, or None).)doc")
      .def_property_readonly("points", [](const LevelPart& p) {
        std::vector<std::string> names;
        for (const auto& q : p.r().points) names.push_back(q.name);
        return names;
      })
      .def_property_readonly("heights", [](const LevelPart& p) {
        return Column(p.r().points.size(), [&](std::size_t i) { return p.r().points[i].height; });
      })
      .def_property_readonly("height_sigma", [](const LevelPart& p) {
        return Column(p.r().points.size(), [&](std::size_t i) { return p.r().points[i].sigma; });
      })
      .def_property_readonly("adjusted", [](const LevelPart& p) {
        py::array_t<bool> a(static_cast<py::ssize_t>(p.r().points.size()));
        for (std::size_t i = 0; i < p.r().points.size(); ++i) a.mutable_data()[i] = p.r().points[i].unknown;
        return a;
      })
      .def_property_readonly("lines", [lines](const LevelPart& p) {
        const auto& in = p.f().levelLines;
        const auto& a = p.r().lines;
        const std::size_t n = in.size();
        py::list starts, ends;
        for (const auto& l : in) starts.append(l.from), ends.append(l.to);
        return lines(starts, ends, Column(n, [&](std::size_t i) { return in[i].dh; }),
                     Column(n, [&](std::size_t i) { return in[i].amount; }),
                     Column(n, [&](std::size_t i) { return a[i].dh; }),
                     Column(n, [&](std::size_t i) { return a[i].residual; }),
                     Column(n, [&](std::size_t i) { return in[i].sigma * std::sqrt(in[i].amount); }),
                     Column(n, [&](std::size_t i) { return a[i].sigmaAdjusted; }),
                     Column(n, [&](std::size_t i) { return a[i].redundancy; }),
                     Column(n, [&](std::size_t i) { return a[i].standardized; }),
                     FileLines(p.f().levelLineLines, n));
      })
      .def_property_readonly("sigma0", [](const LevelPart& p) { return p.r().sigma0; })
      .def_property_readonly("sigma0_a_priori", [](const LevelPart& p) { return p.f().levellingOptions.sigma0; })
      .def_property_readonly("dof", [](const LevelPart& p) { return p.r().degreesOfFreedom; })
      .def_property_readonly("chi2", [](const LevelPart& p) { return p.r().chiSquare; })
      .def_property_readonly("chi2_bounds", [](const LevelPart& p) { return Bounds(p.r().chiSquareLower, p.r().chiSquareUpper); })
      .def_property_readonly("global_test_passed", [](const LevelPart& p) { return p.r().globalTestPassed; })
      .def_property_readonly("suspect", [](const LevelPart& p) { return OrNone(p.r().suspectLine); })
      .def("report", [](const LevelPart& p, const std::string& format, std::optional<double> scale) {
        return Report(*p.w, format, scale);
      }, py::arg("format") = "text", py::kw_only(), py::arg("ellipse_scale") = py::none(), kReportDoc)
      .def("__repr__", [](const LevelPart& p) {
        return "<LevellingAdjustment " + std::to_string(p.r().points.size()) + " points, " +
               std::to_string(p.r().lines.size()) + " lines, sigma0=" +
               py::repr(py::float_(p.r().sigma0)).cast<std::string>() + " m, dof=" +
               std::to_string(p.r().degreesOfFreedom) + ", " + Test(p.r().globalTestPassed) + ">";
      });
}

py::object PlaneOf(const Shared& w) { return w->adjustment.plane ? py::cast(PlanePart{w}) : py::none(); }
py::object LevelOf(const Shared& w) { return w->adjustment.levelling ? py::cast(LevelPart{w}) : py::none(); }

}  // namespace

void BindNetwork(py::module_& m) {
  BindPlanePart(m);
  BindLevelPart(m);
  py::class_<FilePart>(m, "NetworkAdjustment", R"doc(The networks of an observation file, adjusted.

plane: a PlaneAdjustment when the file has plane observations (a traverse file too), else None;
levelling: a LevellingAdjustment when it has levelling lines, else None; global_test_passed:
every adjusted network passed its global test; name: the file's name.)doc")
      .def_property_readonly("plane", [](const FilePart& p) { return PlaneOf(p.w); })
      .def_property_readonly("levelling", [](const FilePart& p) { return LevelOf(p.w); })
      .def_property_readonly("name", [](const FilePart& p) { return p.w->name; })
      .def_property_readonly("global_test_passed", [](const FilePart& p) {
        return p.w->adjustment.GlobalTestsPassed();
      })
      .def("report", [](const FilePart& p, const std::string& format, std::optional<double> scale) {
        return Report(*p.w, format, scale);
      }, py::arg("format") = "text", py::kw_only(), py::arg("ellipse_scale") = py::none(), kReportDoc)
      .def("__repr__", [](const FilePart& p) {
        return "<NetworkAdjustment " + p.w->name + ": " + (p.w->adjustment.plane ? "plane" : "") +
               (p.w->adjustment.plane && p.w->adjustment.levelling ? " and " : "") +
               (p.w->adjustment.levelling ? "levelling" : "") + ">";
      });

  m.def("adjust_network", [](py::object points, py::object observations, std::optional<double> direction_sigma,
                             std::optional<double> angle_sigma, std::optional<std::pair<double, double>> distance_sigma,
                             std::optional<double> azimuth_sigma, std::optional<double> sigma0, py::object free,
                             bool a_priori, const std::string& name) {
    batch::NetworkFile f;
    ReadPlaneLists(points, observations, f);
    if (f.plane.observations.empty()) RaiseInput("网中没有观测", {{"argument", py::str("observations")}});
    batch::NetworkOverrides o;
    o.directionSigma = direction_sigma;
    o.angleSigma = angle_sigma;
    o.azimuthSigma = azimuth_sigma;
    SetDistanceSigma(distance_sigma, o);
    o.sigma0 = sigma0;
    SetFree(free, o);
    o.aPriori = a_priori;
    batch::Override(o, f);
    return PlanePart{Adjust(std::move(f), name, false)};
  }, py::arg("points"), py::arg("observations"), py::kw_only(), py::arg("direction_sigma") = py::none(),
     py::arg("angle_sigma") = py::none(), py::arg("distance_sigma") = py::none(), py::arg("azimuth_sigma") = py::none(),
     py::arg("sigma0") = py::none(), py::arg("free") = false, py::arg("a_priori") = false,
     py::arg("name") = "(Python)",
     R"doc(Adjusts a plane control network by least squares; returns a PlaneAdjustment.

points: every point of the network, each "name" or (name,) for a new point, (name, x, y)
for a known point held fixed, (name, x, y, σ) or (name, x, y, σx, σy) for a known point
with standard deviations in mm (a weighted datum), or a dict {"name", "x", "y", "sigma":
σ or (σx, σy), "approx": (x, y)}; x (north) and y (east) in metres, None for a coordinate
not known. Approximate coordinates of new points are computed from the observations unless
given.

observations, each a tuple or a dict with the same keys and "kind"; values in radians
(angles, clockwise) or metres, an optional σ in arc seconds (mm for distances) overriding
the instrument's:
  ("direction", station, target, direction[, σ][, set])  directions at one station form
      one direction set (one orientation unknown); an int set splits them into several
  ("set", station, [(target, direction[, distance]), ...][, σ])  a direction set as the
      field book writes it, direction None where only the distance was measured
  ("angle", station, target, target2, angle[, σ])  clockwise from target to target2
  ("distance", station, target, distance[, σ])  horizontal distance
  ("azimuth", station, target, azimuth[, σ | "fixed"])  grid azimuth; "fixed" holds it

Instrument accuracies (defaults as the observation file's): direction_sigma 1″,
angle_sigma √2″, azimuth_sigma 1″, distance_sigma (a mm, b ppm) = (2, 2), sigma0 the
a-priori σ of unit weight 1″. free=True adjusts a free network (minimum norm over all
points), free=[names] over those points; a_priori=True scales the standard deviations by
the a-priori σ0 instead of the a-posteriori. name is what the report's head names.

A network that cannot be adjusted (an unknown point name, an observation from a point to
itself, a point the observations do not determine, too few known points, no redundancy)
raises InputError with the reason.)doc");

  m.def("adjust_levelling", [](py::object points, py::object lines, const std::string& weight, double sigma,
                               py::object free, bool a_priori, const std::string& name) {
    if (weight != "length" && weight != "setups")
      RaiseInput(std::string(kBadInput) + " weight 应为 'length' 或 'setups'", {{"argument", py::str("weight")}});
    batch::NetworkFile f;
    ReadLevellingLists(points, lines, weight == "length" ? adjustment::LineWeight::ByLength : adjustment::LineWeight::BySetups,
                       sigma / 1000, f);
    f.levellingOptions.sigma0 = sigma / 1000;
    if (f.levelLines.empty()) RaiseInput("网中没有水准路线", {{"argument", py::str("lines")}});
    batch::NetworkOverrides o;
    SetFree(free, o);
    o.aPriori = a_priori;
    batch::Override(o, f);
    return LevelPart{Adjust(std::move(f), name, false)};
  }, py::arg("points"), py::arg("lines"), py::kw_only(), py::arg("weight") = "length", py::arg("sigma") = 1.0,
     py::arg("free") = false, py::arg("a_priori") = false, py::arg("name") = "(Python)",
     R"doc(Adjusts a levelling network by least squares; returns a LevellingAdjustment.

points: each "name" or (name,) for a new point, (name, H) for a known height held fixed,
(name, H, σ) with σ in mm for a weighted one, or a dict {"name", "height", "sigma"}.
lines: (from, to, dh, amount[, σ]) or dicts with those keys: dh = H(to) − H(from) in
metres, amount the line's length in km (weight="length") or its number of set-ups
(weight="setups"), σ in mm per √km (per √set-up) overriding sigma. sigma (default 1 mm)
is also the a-priori σ of unit weight. free, a_priori and name as adjust_network.)doc");

  m.def("adjust_network_file", [](const std::filesystem::path& p, std::optional<double> direction_sigma,
                                  std::optional<double> angle_sigma,
                                  std::optional<std::pair<double, double>> distance_sigma,
                                  std::optional<double> level_sigma, py::object free, bool a_priori) {
    const std::string path = p.string();
    FileBytesResult bytes = ReadFileBytes(path);
    if (!bytes.ok) RaiseFile(path + ": " + bytes.error, path);
    batch::NetworkFileResult read = batch::ParseNetworkText(bytes.bytes, path);
    if (!read.ok) RaiseInput(read.error, {{"path", py::str(path)}});
    batch::NetworkOverrides o;
    o.directionSigma = direction_sigma;
    o.angleSigma = angle_sigma;
    SetDistanceSigma(distance_sigma, o);
    o.levelSigma = level_sigma;
    SetFree(free, o);
    o.aPriori = a_priori;
    batch::Override(o, read.network);
    return FilePart{Adjust(std::move(read.network), path, true)};
  }, py::arg("path"), py::kw_only(), py::arg("direction_sigma") = py::none(), py::arg("angle_sigma") = py::none(),
     py::arg("distance_sigma") = py::none(), py::arg("level_sigma") = py::none(), py::arg("free") = py::none(),
     py::arg("a_priori") = false,
     R"doc(Reads an observation file (docs/adjustment.md; a compass traverse file too) and adjusts
its plane network and its levelling network; returns a NetworkAdjustment.

The options replace the file's head, as vantrel-cli adjust's do: direction_sigma and
angle_sigma in arc seconds (a traverse file's angles take angle_sigma), distance_sigma
(a mm, b ppm), level_sigma mm per √km (or per √set-up) for every levelling line, free
(None: as the file says; False, True or a list of names), a_priori. A file that cannot be
read raises FileError; a faulty line InputError "FILE:LINE: reason"; a network that cannot
be adjusted InputError "FILE: reason". report() is vantrel-cli adjust's report of the file.)doc");
}

}  // namespace vantrel::python
