// Plane coordinate transformations: the four-parameter fit from common points and the
// rotation about typed centres, on arrays and on point files.
#include <cstring>
#include <filesystem>
#include <system_error>

#include "binding.h"
#include "common/text_rules.h"
#include "transform/common_point_transform.h"
#include "transform/point_files.h"
#include "transform/rotation_transform.h"

namespace vantrel::python {

namespace {

constexpr const char* kFewPoints = "公共点少于2个,不能转换!";
constexpr const char* kRejected = "公共点不能确定转换参数,不能转换!";
constexpr const char* kNotConverged = "不收敛! 坐标转换失败!";

// A fit keeps the state the estimation left: its common points and normal matrix.
struct Fit {
  TransformState state;
};

void Estimate(TransformState& state) {
  EstimateOutcome outcome;
  {
    py::gil_scoped_release unlocked;
    outcome = EstimateTransParam(state);
  }
  switch (outcome) {
    case EstimateOutcome::Converged: return;
    case EstimateOutcome::TooFewPoints: RaiseInput(kFewPoints);
    case EstimateOutcome::Rejected: RaiseInput(kRejected);
    case EstimateOutcome::NotConverged: RaiseInput(kNotConverged);
  }
}

py::array_t<double> Pairs(const std::vector<CommonPoint>& points, bool old) {
  py::array_t<double> out({static_cast<py::ssize_t>(points.size()), py::ssize_t{2}});
  auto r = out.mutable_unchecked<2>();
  for (std::size_t i = 0; i < points.size(); ++i) {
    r(i, 0) = old ? points[i].XOld : points[i].XNew;
    r(i, 1) = old ? points[i].YOld : points[i].YNew;
  }
  return out;
}

// Messages the file routines report, kept to be raised once the routine has returned.
struct Told {
  std::string text;
  MessageHandler handler() {
    return [this](const std::string& t) {
      if (text.empty()) text = t;
    };
  }
};

// A fit pickles whole, the estimation's matrices as raw bytes, so that a copy in another
// process gives the same bits and the same standard errors.
template <class Array>
py::bytes RawBytes(const Array& a) {
  return py::bytes(reinterpret_cast<const char*>(a.data()), sizeof(a));
}
template <class Array>
void FromRawBytes(py::handle h, Array& a) {
  const std::string s = h.cast<std::string>();
  if (s.size() != sizeof(a)) RaiseInput(std::string(kBadInput) + " CommonPointFit 的 pickle 状态不完整");
  std::memcpy(a.data(), s.data(), sizeof(a));
}

py::tuple FitState(const Fit& f) {
  py::list points;
  for (const CommonPoint& p : f.state.CommonPoints) points.append(py::make_tuple(p.Name, p.XNew, p.YNew, p.XOld, p.YOld));
  const TransformState& s = f.state;
  return py::make_tuple(points, s.CommonFound, RawBytes(s.TransParam), RawBytes(s.NormalMat), RawBytes(s.NormalRhs),
                        s.UnitWeightError, s.ParamsReady);
}

Fit FitFromState(py::tuple state) {
  const py::tuple t = PickledState(state, 7, "CommonPointFit");
  Fit f;
  TransformState& s = f.state;
  for (py::handle h : t[0]) {
    const auto p = h.cast<py::tuple>();
    s.CommonPoints.push_back({p[0].cast<std::string>(), p[1].cast<double>(), p[2].cast<double>(), p[3].cast<double>(),
                              p[4].cast<double>()});
  }
  s.CommonFound = t[1].cast<int>();
  FromRawBytes(t[2], s.TransParam);
  FromRawBytes(t[3], s.NormalMat);
  FromRawBytes(t[4], s.NormalRhs);
  s.UnitWeightError = t[5].cast<double>();
  s.ParamsReady = t[6].cast<bool>();
  return f;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

void BindTransform(py::module_& m) {
  py::object texts = DefineRecord(m, "ParameterTexts", {"shift_x", "shift_y", "rotation", "scale"},
                                  "The texts of the parameter window 转换参数: each value ± its standard error "
                                  "(θ as packed D.MMSS ± arc seconds, m in ppm).");
  py::class_<Fit>(m, "CommonPointFit", R"doc(The four-parameter plane transformation fitted to common points.

X = (1 + m)(x cos θ + y sin θ) + ΔX, Y = (1 + m)(-x sin θ + y cos θ) + ΔY, old (x, y) to
new (X, Y), metres; θ in radians (positive turns the old X axis towards negative Y).
Estimated by iterated least squares as 平面坐标转换1 does.)doc")
      .def_property_readonly("shift_x", [](const Fit& f) { return f.state.TransParam[kShiftX]; }, "ΔX, m.")
      .def_property_readonly("shift_y", [](const Fit& f) { return f.state.TransParam[kShiftY]; }, "ΔY, m.")
      .def_property_readonly("rotation", [](const Fit& f) { return f.state.TransParam[kRotation]; }, "θ, radians.")
      .def_property_readonly("scale", [](const Fit& f) { return f.state.TransParam[kScale]; },
                             "m, the scale difference (the scale factor is 1 + m).")
      .def_property_readonly("parameters", [](const Fit& f) {
        const auto& p = f.state.TransParam;
        return py::make_tuple(p[0], p[1], p[2], p[3]);
      }, "(ΔX, ΔY, θ, m).")
      .def_property_readonly("standard_errors", [](const Fit& f) {
        const auto e = TransParamStandardErrors(f.state);
        return py::make_tuple(e[0], e[1], e[2], e[3]);
      }, "σ0·√Q(i,i) of (ΔX, ΔY, θ, m): metres, metres, radians, plain number.")
      .def_property_readonly("sigma0", [](const Fit& f) { return f.state.UnitWeightError; },
                             "Unit weight error √(vᵀv / (2n − 4)), m; 0 for two points.")
      .def_property_readonly("names", [](const Fit& f) {
        std::vector<std::string> n;
        for (const auto& p : f.state.CommonPoints) n.push_back(p.Name);
        return n;
      })
      .def_property_readonly("old", [](const Fit& f) { return Pairs(f.state.CommonPoints, true); }, "(n, 2) old x, y.")
      .def_property_readonly("new", [](const Fit& f) { return Pairs(f.state.CommonPoints, false); }, "(n, 2) new X, Y.")
      .def_property_readonly("common_found", [](const Fit& f) { return f.state.CommonFound; },
                             "Common points found (a point file fit uses the first 20).")
      .def_property_readonly("residuals", [](const Fit& f) {
        const auto v = CommonPointResiduals(f.state);
        py::array_t<double> out({static_cast<py::ssize_t>(v.size()), py::ssize_t{2}});
        auto r = out.mutable_unchecked<2>();
        for (std::size_t i = 0; i < v.size(); ++i) r(i, 0) = v[i].vx, r(i, 1) = v[i].vy;
        return out;
      }, "(n, 2) new minus transformed old, metres.")
      .def_property_readonly("texts", [texts](const Fit& f) {
        const ParamTexts t = FormatTransParam(f.state);
        return texts(t.ShiftX, t.ShiftY, t.Rotation, t.Scale);
      }, "ParameterTexts as the parameter window 转换参数 shows them.")
      .def("apply", [](const Fit& f, py::object x, py::object y, const std::string& errors) {
        Broadcast b({{"x", x}, {"y", y}}, RefusalsOf(errors));
        const auto& p = f.state.TransParam;
        return RunPoints<2>(b, py::none(), [&p](const InSpans& in, const OutSpans<2>& out, std::span<batch::Status> st) {
          batch::FourParameterPoints(p, in[0], in[1], out[0], out[1], st);
        });
      }, py::arg("x"), py::arg("y"), py::arg("errors") = "raise",
         "Transforms old coordinates (m, scalars or arrays): returns the tuple (X, Y).")
      .def("transform_file", [](const Fit& f, const std::filesystem::path& oldPath, const std::filesystem::path& newPath) {
        Told told;
        std::string writeError;
        switch (T_Co_Rotate(oldPath.string(), newPath.string(), f.state, told.handler(), &writeError)) {
          case AppendOutcome::Unreadable: RaiseFile(told.text, oldPath.string());
          case AppendOutcome::WriteFailed:
            RaiseFile("不能写入新坐标文件" + newPath.string() + "：" + writeError, newPath.string());
          case AppendOutcome::OldFormatError: RaiseInput(told.text, {{"path", py::str(oldPath.string())}});
          case AppendOutcome::Done:
          case AppendOutcome::Cancelled: break;  // no progress handler given: never cancelled
        }
      }, py::arg("old_path"), py::arg("new_path"),
         R"doc(Transforms every point of the old point file and appends the block (two empty lines,
"旋转后结果", one line per point with "#.0000") to the new file, as 平面坐标转换1 does.)doc")
      .def("__repr__", [](const Fit& f) {
        return "<CommonPointFit of " + std::to_string(f.state.CommonCount()) + " points, sigma0=" +
               py::repr(py::float_(f.state.UnitWeightError)).cast<std::string>() + " m>";
      })
      .def(py::pickle(&FitState, &FitFromState));

  m.def("fit_common_points", [](py::object old_xy, py::object new_xy, py::object names) {
    auto o = Table(old_xy, "old", 2), n = Table(new_xy, "new", 2);
    if (o.shape(0) != n.shape(0)) RaiseInput(std::string(kBadInput) + " old 与 new 点数不同");
    const auto labels = Names(names, static_cast<std::size_t>(o.shape(0)), "P");
    Fit f;
    auto a = o.unchecked<2>(), b = n.unchecked<2>();
    for (py::ssize_t i = 0; i < o.shape(0); ++i)
      f.state.CommonPoints.push_back({labels[i], b(i, 0), b(i, 1), a(i, 0), a(i, 1)});
    f.state.CommonFound = f.state.CommonCount();
    Estimate(f.state);
    return f;
  }, py::arg("old"), py::arg("new"), py::arg("names") = py::none(),
     R"doc(Fits the four-parameter transformation to common points.

old, new: (n, 2) arrays of x (north), y (east) in metres in the old and the new system, n >= 2,
every point used. Returns CommonPointFit. Fewer than 2 points raise InputError
"公共点少于2个,不能转换!", points that fix no parameters "公共点不能确定转换参数,不能转换!",
an estimation still moving after 41 rounds "不收敛! 坐标转换失败!".)doc");

  m.def("fit_point_files", [](const std::filesystem::path& oldPath, const std::filesystem::path& newPath) {
    Fit f;
    Told told;
    switch (T_Co_New(oldPath.string(), newPath.string(), "", "", f.state, told.handler())) {
      case GatherOutcome::Unreadable: RaiseFile(told.text, told.text.find("新坐标文件") != std::string::npos ? newPath.string() : oldPath.string());
      case GatherOutcome::NewFormatError: RaiseInput(told.text, {{"path", py::str(newPath.string())}});
      case GatherOutcome::OldFormatError: RaiseInput(told.text, {{"path", py::str(oldPath.string())}});
      case GatherOutcome::Done:
      case GatherOutcome::Cancelled: break;  // no progress handler given: never cancelled
    }
    if (f.state.CommonCount() < 2) RaiseInput(kFewPoints);
    if (f.state.CommonFound > kMaxCommonPoints) {
      const std::string warning = "共有" + std::to_string(f.state.CommonFound) + "个公共点,只用前" +
                                  std::to_string(kMaxCommonPoints) + "个公共点计算转换参数!";
      py::module_::import("warnings").attr("warn")(warning, "stacklevel"_a = 2);
    }
    Estimate(f.state);
    return f;
  }, py::arg("old_path"), py::arg("new_path"),
     R"doc(Gathers the common points of an old and a new point file and fits, as 平面坐标转换1 does.

The points of the new file whose names the old file holds, in the new file's order, at most
20 (with more, a UserWarning says so in the dialog's words). Unreadable files raise FileError,
faulty lines InputError, each with the dialog's message.)doc");

  py::class_<RotationCentres>(m, "Rotation", R"doc(The rotation transformation (平面坐标转换2) about typed centres, without scale change.

dx = x - x0, dy = y - y0; X = X0 + dx cos θ + dy sin θ; Y = Y0 - dx sin θ + dy cos θ.
x0, y0 the old and X0, Y0 the new coordinates of the centre (m), theta in radians.)doc")
      .def(py::init([](double x0, double y0, double X0, double Y0, double theta) {
             return RotationCentres{x0, y0, X0, Y0, theta};
           }),
           py::arg("x0"), py::arg("y0"), py::arg("X0"), py::arg("Y0"), py::arg("theta"))
      .def_readonly("x0", &RotationCentres::x0)
      .def_readonly("y0", &RotationCentres::y0)
      .def_readonly("X0", &RotationCentres::X0)
      .def_readonly("Y0", &RotationCentres::Y0)
      .def_readonly("theta", &RotationCentres::theta)
      .def("apply", [](const RotationCentres& c, py::object x, py::object y, const std::string& errors) {
        Broadcast b({{"x", x}, {"y", y}}, RefusalsOf(errors));
        return RunPoints<2>(b, py::none(), [&c](const InSpans& in, const OutSpans<2>& out, std::span<batch::Status> st) {
          batch::RotationPoints(c, in[0], in[1], out[0], out[1], st);
        });
      }, py::arg("x"), py::arg("y"), py::arg("errors") = "raise",
         "Rotates old coordinates (m, scalars or arrays): returns the tuple (X, Y).")
      .def("rotate_file", [](const RotationCentres& c, const std::filesystem::path& oldPath,
                             const std::filesystem::path& resultPath, py::object angleText) {
        const std::string oldFile = oldPath.string(), resultFile = resultPath.string();
        if (SameFile(oldFile, resultFile)) RaiseInput("新坐标文件不能与老坐标文件相同!");
        std::string text;
        if (angleText.is_none()) {
          double theta = c.theta;
          text = std::string(TrimBlanks(Rad2dms_Buff(theta)));
        } else {
          text = py::str(angleText).cast<std::string>();
        }
        Told told;
        std::string error;
        switch (RotatePointFile(oldFile, resultFile, c, text, told.handler(), error)) {
          case RotateOutcome::Done:
          case RotateOutcome::Cancelled: break;  // no progress handler given: never cancelled
          case RotateOutcome::FormatError: RaiseInput(told.text, {{"path", py::str(oldFile)}});
          case RotateOutcome::Unreadable: RaiseFile("不能读取老坐标文件" + oldFile + "：" + error, oldFile);
          case RotateOutcome::WriteFailed: RaiseFile("不能写入新坐标文件" + resultFile + "：" + error, resultFile);
        }
      }, py::arg("old_path"), py::arg("result_path"), py::arg("angle_text") = py::none(),
         R"doc(Writes the result file of 平面坐标转换2: four header lines (the angle as angle_text, by
default the packed text of theta), then every point of the old file rotated ("#.0000",
print zones, GBK, CR LF). The result may not be the old file itself.)doc")
      .def("__repr__", [](const RotationCentres& c) {
        auto f = [](double v) { return py::repr(py::float_(v)).cast<std::string>(); };
        return "Rotation(x0=" + f(c.x0) + ", y0=" + f(c.y0) + ", X0=" + f(c.X0) + ", Y0=" + f(c.Y0) +
               ", theta=" + f(c.theta) + ")";
      })
      .def(py::pickle([](const RotationCentres& c) { return py::make_tuple(c.x0, c.y0, c.X0, c.Y0, c.theta); },
                      [](py::tuple state) {
                        const py::tuple t = PickledState(state, 5, "Rotation");
                        auto d = [&t](int i) { return t[i].cast<double>(); };
                        return RotationCentres{d(0), d(1), d(2), d(3), d(4)};
                      }));
}

}  // namespace vantrel::python
