// Closed and connecting traverse adjustment: the observation file, the adjustment and its
// text and HTML reports.
#include <cmath>
#include <optional>

#include "adjustment/traverse_adjustment.h"
#include "batch/traverse_file.h"
#include "batch/traverse_report.h"
#include "binding.h"
#include "common/text_files.h"

namespace vantrel::python {

namespace {

using adjustment::TraverseInput;

// An adjustment keeps the input it was made from: the reports need both.
struct Adjusted {
  TraverseInput input;
  adjustment::TraverseAdjustment result;
};

TraverseInput Parsed(const batch::TraverseFileResult& r) {
  if (!r.ok) RaiseInput(r.error);
  return r.input;
}

TraverseInput ReadTraverse(const std::string& path) {
  FileBytesResult file = ReadFileBytes(path);
  if (!file.ok) RaiseFile(path + ": " + file.error, path);
  return Parsed(batch::ParseTraverseText(file.bytes, path));
}

py::object Optional(const std::optional<double>& v) { return v ? py::object(py::float_(*v)) : py::object(py::none()); }

py::object PointTuple(const adjustment::TraversePoint& p) { return py::make_tuple(p.name, p.x, p.y); }

py::object OptionalPoint(const std::optional<adjustment::TraversePoint>& p) {
  return p ? PointTuple(*p) : py::object(py::none());
}

template <class T, class F>
py::array_t<double> Column(const std::vector<T>& rows, F get) {
  py::array_t<double> a(static_cast<py::ssize_t>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) a.mutable_data()[i] = get(rows[i]);
  return a;
}

}  // namespace

void BindTraverse(py::module_& m) {
  py::class_<TraverseInput>(m, "TraverseInput", R"doc(A closed (闭合) or connecting (附合) traverse as read from its observation file.

kind 'closed' or 'connecting', side 'left' or 'right' (angles left or right of the direction
of travel); points as (name, x, y) tuples in metres; angles and azimuths in radians; stations
in travel order as (name, angle, distance) with the distance to the next station.)doc")
      .def_property_readonly("kind", [](const TraverseInput& t) {
        return t.kind == adjustment::TraverseKind::Closed ? "closed" : "connecting";
      })
      .def_property_readonly("side", [](const TraverseInput& t) { return t.side == adjustment::AngleSide::Left ? "left" : "right"; })
      .def_property_readonly("start", [](const TraverseInput& t) { return PointTuple(t.start); }, "B, the known start point.")
      .def_property_readonly("back_sight", [](const TraverseInput& t) { return OptionalPoint(t.backSight); })
      .def_property_readonly("start_azimuth", [](const TraverseInput& t) { return Optional(t.startAzimuth); })
      .def_property_readonly("connection_angle", [](const TraverseInput& t) { return Optional(t.connectionAngle); })
      .def_property_readonly("first_leg_azimuth", [](const TraverseInput& t) { return Optional(t.firstLegAzimuth); })
      .def_property_readonly("end", [](const TraverseInput& t) {
        return t.kind == adjustment::TraverseKind::Connecting ? PointTuple(t.end) : py::object(py::none());
      }, "C, the known end point of a connecting traverse (None for a closed one).")
      .def_property_readonly("fore_sight", [](const TraverseInput& t) { return OptionalPoint(t.foreSight); })
      .def_property_readonly("end_azimuth", [](const TraverseInput& t) { return Optional(t.endAzimuth); })
      .def_property_readonly("stations", [](const TraverseInput& t) {
        py::list l;
        for (const auto& s : t.stations) l.append(py::make_tuple(s.name, s.angle, s.distance));
        return l;
      })
      .def("__repr__", [](const TraverseInput& t) {
        return std::string("<TraverseInput ") + (t.kind == adjustment::TraverseKind::Closed ? "closed" : "connecting") +
               ", " + std::to_string(t.stations.size()) + " stations>";
      });

  m.def("read_traverse_file", [](const std::filesystem::path& path) { return ReadTraverse(path.string()); }, py::arg("path"), R"doc(Reads a traverse observation file (GBK or UTF-8; see docs/traverse.md for its layout).

A file that cannot be read raises FileError; a faulty line raises InputError "FILE:LINE: reason".)doc");

  m.def("parse_traverse_text", [](py::object text, const std::string& name) {
    std::string bytes = py::isinstance<py::bytes>(text) ? text.cast<std::string>()
                                                        : py::str(text).cast<std::string>();
    return Parsed(batch::ParseTraverseText(bytes, name));
  }, py::arg("text"), py::arg("name") = "<text>",
     "The same from the file's text (str) or bytes (GBK or UTF-8); name is used in messages.");

  py::class_<Adjusted>(m, "TraverseAdjustment", R"doc(A compass-rule (Bowditch) traverse adjustment.

Angles in radians unless named *_seconds (arc seconds); distances and coordinates in metres.
stations: per station name, observed, correction_seconds, adjusted, azimuth (of the line
leaving it), x, y, known. legs: per leg from, to, azimuth, distance, dx, dy, vx, vy,
dx_adjusted, dy_adjusted. K is the relative precision 1/K (inf for a perfect closure).)doc")
      .def_property_readonly("input", [](const Adjusted& a) { return a.input; })
      .def_property_readonly("angle_count", [](const Adjusted& a) { return a.result.angleCount; })
      .def_property_readonly("start_azimuth", [](const Adjusted& a) { return a.result.startAzimuth; })
      .def_property_readonly("end_azimuth_known", [](const Adjusted& a) { return a.result.endAzimuthKnown; })
      .def_property_readonly("end_azimuth_observed", [](const Adjusted& a) { return a.result.endAzimuthObserved; })
      .def_property_readonly("end_azimuth_adjusted", [](const Adjusted& a) { return a.result.endAzimuthAdjusted; })
      .def_property_readonly("sum_observed", [](const Adjusted& a) { return a.result.sumObserved; })
      .def_property_readonly("sum_theoretical", [](const Adjusted& a) { return a.result.sumTheoretical; })
      .def_property_readonly("f_beta_seconds", [](const Adjusted& a) { return a.result.fBetaSeconds; },
                             "Angular misclosure, arc seconds.")
      .def_property_readonly("allowance_seconds", [](const Adjusted& a) { return a.result.allowanceSeconds; },
                             "Its allowance c·√n, arc seconds.")
      .def_property_readonly("over_limit", [](const Adjusted& a) { return a.result.overLimit; },
                             "f_beta beyond its allowance (adjusted only with force=True).")
      .def_property_readonly("closure_over_limit", [](const Adjusted& a) { return a.result.closureOverLimit; },
                             "1/K beyond its allowance (adjusted only with force=True).")
      .def_property_readonly("closure_allowance", [](const Adjusted& a) { return a.result.options.closureK; },
                             "The K of the allowed relative closure 1/K (0: not checked).")
      .def_property_readonly("grade", [](const Adjusted& a) { return a.result.options.grade; },
                             "The grade the allowances come from ('' when none was named).")
      .def_property_readonly("sum_distance", [](const Adjusted& a) { return a.result.sumDistance; })
      .def_property_readonly("fx", [](const Adjusted& a) { return a.result.fx; })
      .def_property_readonly("fy", [](const Adjusted& a) { return a.result.fy; })
      .def_property_readonly("fs", [](const Adjusted& a) { return a.result.fs; })
      .def_property_readonly("K", [](const Adjusted& a) { return a.result.K; })
      .def_property_readonly("names", [](const Adjusted& a) {
        std::vector<std::string> n;
        for (const auto& s : a.result.stations) n.push_back(s.name);
        return n;
      })
      .def_property_readonly("xy", [](const Adjusted& a) {
        const auto& s = a.result.stations;
        py::array_t<double> out({static_cast<py::ssize_t>(s.size()), py::ssize_t{2}});
        auto r = out.mutable_unchecked<2>();
        for (std::size_t i = 0; i < s.size(); ++i) r(i, 0) = s[i].x, r(i, 1) = s[i].y;
        return out;
      }, "(n, 2) adjusted coordinates of the stations, in input order.")
      .def_property_readonly("corrections_seconds", [](const Adjusted& a) {
        return Column(a.result.stations, [](const adjustment::AdjustedStation& s) { return s.correctionSeconds; });
      })
      .def_property_readonly("stations", [](const Adjusted& a) {
        py::list l;
        for (const auto& s : a.result.stations) {
          py::dict d("name"_a = s.name, "observed"_a = s.observed, "correction_seconds"_a = s.correctionSeconds,
                     "adjusted"_a = s.adjusted, "azimuth"_a = s.azimuth, "x"_a = s.x, "y"_a = s.y, "known"_a = s.known);
          l.append(d);
        }
        return l;
      })
      .def_property_readonly("legs", [](const Adjusted& a) {
        py::list l;
        for (const auto& g : a.result.legs) {
          py::dict d("from"_a = g.from, "to"_a = g.to, "azimuth"_a = g.azimuth, "distance"_a = g.distance,
                     "dx"_a = g.dx, "dy"_a = g.dy, "vx"_a = g.vx, "vy"_a = g.vy, "dx_adjusted"_a = g.dxAdjusted,
                     "dy_adjusted"_a = g.dyAdjusted);
          l.append(d);
        }
        return l;
      })
      .def("report_lines", [](const Adjusted& a, int decimals) {
        return batch::TraverseReportText(a.input, a.result, {decimals});
      }, py::arg("seconds_decimals") = -1,
         "The computation table (导线坐标计算表) as lines in print zones; seconds_decimals -1 chooses.")
      .def("report", [](const Adjusted& a, int decimals) {
        return JoinLines(batch::TraverseReportText(a.input, a.result, {decimals}));
      }, py::arg("seconds_decimals") = -1, "The same as one str, lines ended by \\n.")
      .def("report_html", [](const Adjusted& a, int decimals) {
        return batch::TraverseReportHtml(a.input, a.result, {decimals});
      }, py::arg("seconds_decimals") = -1, "The table and an SVG sketch as a whole HTML page (A4).")
      .def("sketch_svg", [](const Adjusted& a) { return batch::TraverseSketchSvg(a.input, a.result); },
           "The SVG sketch of the traverse on its own.")
      .def("__repr__", [](const Adjusted& a) {
        return "<TraverseAdjustment " + std::to_string(a.result.stations.size()) + " stations, f_beta=" +
               py::repr(py::float_(a.result.fBetaSeconds)).cast<std::string>() + "\", fs=" +
               py::repr(py::float_(a.result.fs)).cast<std::string>() + " m>";
      });

  m.def("adjust_traverse", [](py::object source, std::optional<double> allowance, double step, bool force,
                              std::optional<std::string> grade) {
    TraverseInput input;
    if (py::isinstance<TraverseInput>(source)) {
      input = source.cast<TraverseInput>();
    } else {
      input = ReadTraverse(py::module_::import("os").attr("fspath")(source).cast<std::string>());
    }
    adjustment::TraverseOptions options;
    if (grade) {
      const adjustment::TraverseGrade* g = adjustment::FindTraverseGrade(*grade);
      if (!g) {
        std::string names;
        for (const adjustment::TraverseGrade& k : adjustment::TraverseGrades()) names += std::string(names.empty() ? "" : ", ") + k.name;
        RaiseInput("未知的导线等级 " + py::repr(py::str(*grade)).cast<std::string>() + " (可用: " + names + ")",
                   {{"argument", py::str("grade")}});
      }
      if (allowance) RaiseInput("grade 与 allowance 只能给一个", {{"argument", py::str("allowance")}});
      options = adjustment::TraverseOptionsFor(*g);
    }
    if (allowance) options.allowanceSeconds = *allowance;
    options.correctionStepSeconds = step;
    options.force = force;
    Adjusted a{input, {}};
    {
      py::gil_scoped_release unlocked;
      a.result = adjustment::AdjustTraverse(a.input, options);
    }
    if (!a.result.ok) {
      if (a.result.overLimit || a.result.closureOverLimit) RaiseInput(a.result.error, {{"adjustment", py::cast(a)}});
      RaiseInput(a.result.error);
    }
    return a;
  }, py::arg("traverse"), py::arg("allowance") = py::none(), py::arg("correction_step") = 1.0,
     py::arg("force") = false, py::arg("grade") = py::none(),
     R"doc(Adjusts a closed or connecting traverse by the compass rule (Bowditch), with the figures
of a field book: angles to 0.1″, metres to the millimetre, corrections rounded with their sums
forced to the misclosures, so that the report adds up at its printed digits.

traverse: a TraverseInput or the path of an observation file. grade: 三等, 四等, 一级, 二级,
三级 or 图根 (GB 50026): the angular allowance ±c″·√n and the relative closure 1/K allowed
(3.6″ 1/55000, 5″ 1/35000, 10″ 1/15000, 16″ 1/10000, 24″ 1/5000, 40″ 1/2000). Without a grade:
c = allowance (40 by default) and 1/2000, as 图根. correction_step: angle corrections in whole
steps of this many arc seconds (a multiple of 0.1), the leftover steps on the last angles (0
spreads them exactly). A misclosure over an allowance is refused unless force=True: InputError
with the reason, and the figures in its .adjustment. Bad geometry raises InputError with the
reason, as does an unknown grade or a grade given with an allowance.)doc");
}

}  // namespace vantrel::python
