// Levelling routes: sections as lists or a route file, the computation and its reports.
#include <optional>

#include "adjustment/level_route.h"
#include "batch/level_route_file.h"
#include "batch/level_route_report.h"
#include "binding.h"
#include "common/text_files.h"

namespace vantrel::python {

namespace {

// A computed route keeps what it was computed from: the reports need both.
struct LevelRoute {
  batch::LevelRouteFileResult file;
  adjustment::LevelRouteResult result;
  batch::LevelReportInput Report() const { return {file.input, file.book ? &*file.book : nullptr}; }
};

LevelRoute ComputeRoute(batch::LevelRouteFileResult file, const std::string& grade, std::optional<double> allowance,
                   const std::string& terrain, const std::string& by, const std::string& rounding, bool force) {
  if (allowance && grade != "图根") RaiseInput("grade 与 allowance 只能给一个", {{"argument", py::str("allowance")}});
  if (!adjustment::FindLevelGrade(grade))
    RaiseInput("未知的水准等级 " + grade + " (可用: 二等, 三等, 四等, 图根)", {{"argument", py::str("grade")}});
  std::string error;
  const adjustment::LevelRouteOptions o =
      batch::LevelOptionsFor(file, {grade, terrain, by, rounding, allowance, force}, error);
  if (!error.empty()) RaiseInput(error + "!");
  LevelRoute r{std::move(file), {}};
  r.result = adjustment::AdjustLevelRoute(r.file.input, o);
  if (!r.result.ok) {
    if (r.result.overLimit) RaiseInput(r.result.error, {{"route", py::cast(r)}});
    RaiseInput(r.result.error);
  }
  return r;
}

adjustment::LevelRouteKind RouteKind(const std::string& kind) {
  if (kind == "closed" || kind == "闭合") return adjustment::LevelRouteKind::Closed;
  if (kind == "connecting" || kind == "附合") return adjustment::LevelRouteKind::Connecting;
  if (kind == "spur" || kind == "支") return adjustment::LevelRouteKind::Spur;
  RaiseInput("kind 应为 closed, connecting 或 spur", {{"argument", py::str("kind")}});
}

}  // namespace

void BindLevel(py::module_& m) {
  py::class_<LevelRoute>(m, "LevelRoute", R"doc(A levelling route computed as the field book does it.

Metres throughout (f_h and the allowance too); corrections in whole millimetres (as metres).
names/heights: the points from start to end (a closed route back to its start); sections:
per section from, to, length_km, setups, dh, back (spur), correction, adjusted, remainder.)doc")
      .def_property_readonly("kind", [](const LevelRoute& r) {
        const auto k = r.file.input.kind;
        return k == adjustment::LevelRouteKind::Closed ? "closed" : k == adjustment::LevelRouteKind::Spur ? "spur" : "connecting";
      })
      .def_property_readonly("fh", [](const LevelRoute& r) { return r.result.fh; }, "Misclosure f_h, metres.")
      .def_property_readonly("allowance", [](const LevelRoute& r) { return r.result.allowance; },
                             "Its allowance c·√L or c·√n, metres (to 0.1 mm).")
      .def_property_readonly("over_limit", [](const LevelRoute& r) { return r.result.overLimit; })
      .def_property_readonly("sum_length", [](const LevelRoute& r) { return r.result.sumLength; })
      .def_property_readonly("sum_setups", [](const LevelRoute& r) { return r.result.sumSetups; })
      .def_property_readonly("names", [](const LevelRoute& r) { return r.result.names; })
      .def_property_readonly("heights", [](const LevelRoute& r) {
        return py::array_t<double>(static_cast<py::ssize_t>(r.result.heights.size()), r.result.heights.data());
      })
      .def_property_readonly("corrections", [](const LevelRoute& r) {
        py::array_t<double> a(static_cast<py::ssize_t>(r.result.sections.size()));
        for (size_t i = 0; i < r.result.sections.size(); ++i) a.mutable_data()[i] = r.result.sections[i].correction;
        return a;
      }, "Per section, metres (whole millimetres).")
      .def_property_readonly("sections", [](const LevelRoute& r) {
        py::list l;
        for (const auto& s : r.result.sections)
          l.append(py::dict("from"_a = s.from, "to"_a = s.to, "length_km"_a = s.lengthKm, "setups"_a = s.setups,
                            "dh"_a = s.dh, "back"_a = s.back ? py::object(py::float_(*s.back)) : py::object(py::none()),
                            "correction"_a = s.correction, "adjusted"_a = s.adjusted, "remainder"_a = s.remainder));
        return l;
      })
      .def("report", [](const LevelRoute& r, const std::string& format) {
        if (format == "html") return batch::LevelRouteReportHtml(r.Report(), r.result);
        if (format != "text") RaiseInput("format 应为 text 或 html", {{"argument", py::str("format")}});
        return JoinLines(batch::LevelRouteReportText(r.Report(), r.result));
      }, py::arg("format") = "text",
         "The computation table as the command line writes it to standard output (text) or the HTML page.")
      .def("__repr__", [](const LevelRoute& r) {
        return "<LevelRoute " + std::to_string(r.result.sections.size()) + " sections, fh=" +
               std::to_string(std::llround(r.result.fh * 1000)) + " mm>";
      });

  m.def("level_route", [](const std::string& kind, const std::vector<py::tuple>& sections, double start_height,
                          std::optional<double> end_height, const std::string& by, const std::string& grade,
                          std::optional<double> allowance, const std::string& terrain, const std::string& rounding,
                          bool force) {
    batch::LevelRouteFileResult f;
    f.ok = true;
    f.input.kind = RouteKind(kind);
    f.input.startHeight = start_height;
    f.input.endHeight = end_height;
    if (by != "length" && by != "stations") RaiseInput("by 应为 length 或 stations", {{"argument", py::str("by")}});
    f.basis = by == "length" ? adjustment::LevelBasis::Length : adjustment::LevelBasis::Setups;
    f.hasLengths = by == "length";
    f.hasSetups = !f.hasLengths;
    for (const py::tuple& t : sections) {
      if (t.size() != 4) RaiseInput("每个测段应为 (from, to, dh, amount)", {{"argument", py::str("sections")}});
      adjustment::LevelSection s{t[0].cast<std::string>(), t[1].cast<std::string>(), t[2].cast<double>(), 0, 0};
      const double a = t[3].cast<double>();
      if (f.hasLengths) s.lengthKm = a;
      else if (a >= 1 && a <= 1e6 && a == std::floor(a)) s.setups = static_cast<int>(a);
      else RaiseInput("测站数应为正整数", {{"argument", py::str("sections")}});
      f.input.sections.push_back(std::move(s));
    }
    return ComputeRoute(std::move(f), grade, allowance, terrain, "", rounding, force);
  }, py::arg("kind"), py::arg("sections"), py::arg("start_height"), py::arg("end_height") = py::none(),
     py::arg("by") = "length", py::arg("grade") = "图根", py::arg("allowance") = py::none(), py::arg("terrain") = "",
     py::arg("rounding") = "nearest", py::arg("force") = false,
     R"doc(Computes a levelling route: kind 'closed', 'connecting' or 'spur' (out and back as one chain);
sections (from, to, dh, amount) in the order of travel, dh in metres to the mm, amount km
(by='length') or set-ups (by='stations'). grade 二等, 三等, 四等 or 图根 (±4√L, ±12√L/±4√n,
±20√L/±6√n, ±40√L/±12√n mm; terrain '山地' takes the √n form, '平地' the √L one; '' follows by);
allowance: a custom c (mm) instead. rounding 'nearest' rounds each correction to the mm, 'cut'
cuts it toward zero; the leftover mm go to the longest sections. Over the allowance: InputError with the figures in .route,
unless force=True.)doc");

  m.def("level_route_file", [](const std::filesystem::path& path, const std::string& grade,
                               std::optional<double> allowance, const std::string& terrain, const std::string& by,
                               const std::string& rounding, bool force) {
    FileBytesResult bytes = ReadFileBytes(path.string());
    if (!bytes.ok) RaiseFile(path.string() + ": " + bytes.error, path.string());
    batch::LevelRouteFileResult f = batch::ParseLevelRouteText(bytes.bytes, path.string());
    if (!f.ok) RaiseInput(f.error);
    return ComputeRoute(std::move(f), grade, allowance, terrain, by, rounding, force);
  }, py::arg("path"), py::arg("grade") = "图根", py::arg("allowance") = py::none(), py::arg("terrain") = "",
     py::arg("by") = "", py::arg("rounding") = "nearest", py::arg("force") = false,
     R"doc(The same from a route file (sections or a field book; see docs/levelling.md); by '' takes
what the file gives. A faulty line raises InputError "FILE:LINE: reason".)doc");
}

}  // namespace vantrel::python
