// GNSS height fitting: common points to an anomaly surface, its reports and its values.
#include <cmath>
#include <optional>

#include "adjustment/height_fit.h"
#include "batch/height_fit_file.h"
#include "binding.h"
#include "common/text_files.h"

namespace vantrel::python {

namespace {

using adjustment::HeightFit;

adjustment::HeightFitOptions FitOptions(const std::string& model, std::optional<double> shape) {
  const adjustment::HeightModelName* m = adjustment::FindHeightModel(model);
  if (!m)
    RaiseInput("未知的拟合模型 " + py::repr(py::str(model)).cast<std::string>() +
                   " (可用: constant, plane, quadratic, multiquadric, thinplate, 或 常数、平面、二次曲面、多面函数、薄板样条)",
               {{"argument", py::str("model")}});
  adjustment::HeightFitOptions o{m->model};
  if (shape) {
    if (m->model != adjustment::HeightModel::Multiquadric) RaiseInput("shape 只用于 multiquadric", {{"argument", py::str("shape")}});
    if (!(*shape > 0) || !std::isfinite(*shape)) RaiseInput("shape 应为正数 (米)", {{"argument", py::str("shape")}});
    o.shape = *shape;
  }
  return o;
}

HeightFit FitPoints(std::vector<adjustment::HeightPoint> points, const std::vector<std::string>& check,
              const adjustment::HeightFitOptions& options, const std::string& where) {
  std::string error;
  if (!batch::MarkCheckPoints(points, check, error)) RaiseInput(where + error, {{"argument", py::str("check")}});
  HeightFit f;
  {
    py::gil_scoped_release unlocked;
    f = adjustment::FitHeightAnomaly(points, options);
  }
  if (!f.ok) RaiseInput(where + f.error);
  return f;
}

template <class F>
py::array_t<double> PointColumn(const HeightFit& f, F get) {
  py::array_t<double> a(static_cast<py::ssize_t>(f.points.size()));
  for (std::size_t i = 0; i < f.points.size(); ++i) a.mutable_data()[i] = get(f.points[i]);
  return a;
}

std::vector<double> VectorOf(py::handle a, const char* name) {
  auto arr = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(a);
  if (!arr || arr.ndim() != 1) RaiseInput(std::string(kBadInput) + " " + name + " 应为一维的数列", {{"argument", py::str(name)}});
  return {arr.data(), arr.data() + arr.size()};
}

}  // namespace

void BindHeightFit(py::module_& m) {
  py::class_<HeightFit>(m, "HeightFit", R"doc(A GNSS height fit (GNSS高程拟合): the height anomaly ζ = H − h over x (north), y (east).

Metres throughout. Coordinates are reduced to the fitting points' centroid (x0, y0) and divided
by their RMS distance from it (scale) before fitting; parameters are in those units (u, v).
residuals are fitted − observed ζ; check points are left out of the fit. sigma_internal
√(Σv²/(n−u)) (NaN for the interpolating models multiquadric and thinplate), sigma_leave_one_out
√(Σe²/n), sigma_external √(Σv²/m) over the m check points (NaN without any).)doc")
      .def_property_readonly("model", [](const HeightFit& f) { return adjustment::HeightModelNames()[static_cast<std::size_t>(f.options.model)].code; })
      .def_property_readonly("names", [](const HeightFit& f) {
        std::vector<std::string> n;
        for (const auto& p : f.points) n.push_back(p.name);
        return n;
      })
      .def_property_readonly("check", [](const HeightFit& f) {
        py::array_t<bool> a(static_cast<py::ssize_t>(f.points.size()));
        for (std::size_t i = 0; i < f.points.size(); ++i) a.mutable_data()[i] = f.points[i].check;
        return a;
      }, "True where the point is a check point.")
      .def_property_readonly("zeta", [](const HeightFit& f) { return PointColumn(f, [](const auto& p) { return p.zeta; }); })
      .def_property_readonly("fitted", [](const HeightFit& f) { return PointColumn(f, [](const auto& p) { return p.fitted; }); })
      .def_property_readonly("residuals", [](const HeightFit& f) { return PointColumn(f, [](const auto& p) { return p.v; }); })
      .def_property_readonly("parameter_names", [](const HeightFit& f) {
        std::vector<std::string> n;
        for (const auto& p : f.parameters) n.push_back(p.name);
        return n;
      })
      .def_property_readonly("parameters", [](const HeightFit& f) {
        py::array_t<double> a(static_cast<py::ssize_t>(f.parameters.size()));
        for (std::size_t i = 0; i < f.parameters.size(); ++i) a.mutable_data()[i] = f.parameters[i].value;
        return a;
      }, "a0 ... (and λ per fitting point for the radial models), in reduced units.")
      .def_property_readonly("centre", [](const HeightFit& f) { return py::make_tuple(f.x0, f.y0); })
      .def_property_readonly("scale", [](const HeightFit& f) { return f.scale; })
      .def_property_readonly("shape", [](const HeightFit& f) { return f.shape; }, "The multiquadric's c in metres (0 otherwise).")
      .def_property_readonly("sigma_internal", [](const HeightFit& f) { return f.sigmaInternal; })
      .def_property_readonly("sigma_leave_one_out", [](const HeightFit& f) { return f.sigmaLeaveOneOut; })
      .def_property_readonly("sigma_external", [](const HeightFit& f) { return f.sigmaExternal; })
      .def_property_readonly("hull", [](const HeightFit& f) {
        py::array_t<double> out({static_cast<py::ssize_t>(f.hullX.size()), py::ssize_t{2}});
        auto r = out.mutable_unchecked<2>();
        for (std::size_t i = 0; i < f.hullX.size(); ++i) r(i, 0) = f.hullX[i], r(i, 1) = f.hullY[i];
        return out;
      }, "(k, 2) x, y of the fitting points' convex hull, in order round it.")
      .def("evaluate", [](const HeightFit& f, py::object x, py::object y) {
        const Broadcast b({{"x", x}, {"y", y}});
        const auto n = static_cast<std::size_t>(b.size());
        py::array_t<double> zeta(b.shape());
        py::array_t<bool> outside(b.shape());
        double* z = zeta.mutable_data();
        bool* o = outside.mutable_data();
        const double *xs = b.data(0), *ys = b.data(1);
        {
          py::gil_scoped_release unlocked;
          for (std::size_t k = 0; k < n; ++k) {
            z[k] = f.Evaluate(xs[k], ys[k]);
            o[k] = f.Extrapolated(xs[k], ys[k]);
          }
        }
        if (b.scalar()) return py::make_tuple(z[0], o[0]);
        return py::make_tuple(zeta, outside);
      }, py::arg("x"), py::arg("y"), R"doc(ζ at points (scalars or arrays, broadcast), and whether each lies outside the
fitting points' convex hull (an extrapolated ζ, to be warned of). Normal height h = H − ζ.)doc")
      .def("report", [](const HeightFit& f, const std::string& format) {
        if (format == "html") return batch::HeightFitReportHtml(f);
        if (format != "text") RaiseInput("format 应为 'text' 或 'html'", {{"argument", py::str("format")}});
        std::string s;
        for (const std::string& l : batch::HeightFitReportText(f)) s += l + "\n";
        return s;
      }, py::arg("format") = "text", "The report as vantrel-cli heightfit writes it to standard output (UTF-8).")
      .def("__repr__", [](const HeightFit& f) {
        return std::string("<HeightFit ") + adjustment::HeightModelNames()[static_cast<std::size_t>(f.options.model)].code +
               ", " + std::to_string(f.fitting) + " fitting and " + std::to_string(f.checks) + " check points>";
      });

  m.def("height_fit", [](py::object names, py::object x, py::object y, py::object H, py::object h, const std::string& model,
                         std::vector<std::string> check, std::optional<double> shape) {
    const auto opt = FitOptions(model, shape);
    std::vector<std::string> n = names.cast<std::vector<std::string>>();
    const std::vector<double> xs = VectorOf(x, "x"), ys = VectorOf(y, "y"), Hs = VectorOf(H, "H"), hs = VectorOf(h, "h");
    if (xs.size() != n.size() || ys.size() != n.size() || Hs.size() != n.size() || hs.size() != n.size())
      RaiseInput(std::string(kBadInput) + " names, x, y, H, h 应一样长");
    std::vector<adjustment::HeightPoint> pts;
    for (std::size_t i = 0; i < n.size(); ++i) {
      for (double v : {xs[i], ys[i], Hs[i], hs[i]})
        if (!std::isfinite(v)) RaiseInput(std::string(kBadInput) + " 第 " + std::to_string(i) + " 点 (" + n[i] + ") 有 NaN 或无穷大", {{"index", py::int_(i)}});
      pts.push_back({n[i], xs[i], ys[i], Hs[i], hs[i], false});
    }
    return FitPoints(std::move(pts), check, opt, "");
  }, py::arg("names"), py::arg("x"), py::arg("y"), py::arg("H"), py::arg("h"), py::arg("model") = "plane",
     py::arg("check") = std::vector<std::string>{}, py::arg("shape") = py::none(),
     R"doc(Fits the height anomaly ζ = H − h of common points (metres; x north, y east).

model: constant, plane (default), quadratic, multiquadric or thinplate (or the Chinese names).
check: names of points kept out of the fit and compared with it (外符合). shape: the
multiquadric's c in metres (default 0.815 × the mean nearest-neighbour distance). Too few
points, points on a line or in one place raise InputError with the reason.)doc");

  m.def("height_fit_file", [](const std::filesystem::path& p, const std::string& model, std::vector<std::string> check,
                              std::optional<double> shape) {
    const auto opt = FitOptions(model, shape);
    const std::string path = p.string();
    FileBytesResult file = ReadFileBytes(path);
    if (!file.ok) RaiseFile(path + ": " + file.error, path);
    batch::HeightFileResult r = batch::ParseHeightPointText(file.bytes, path);
    if (!r.ok) RaiseInput(r.error);
    return FitPoints(std::move(r.points), check, opt, path + ": ");
  }, py::arg("path"), py::arg("model") = "plane", py::arg("check") = std::vector<std::string>{}, py::arg("shape") = py::none(),
     R"doc(The same from a common-point file: lines "name x y H h", 检核 at the end of a check point's line
(GBK or UTF-8; see docs/heightfit.md). A faulty line raises InputError "FILE:LINE: reason".)doc");
}

}  // namespace vantrel::python
