// The compiled part of the vantrel Python module: a thin binding over the calculator's
// routines and the batch layer. No formula lives here; every number comes from the routine
// a dialog or the command line calls.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <thread>

#include "batch/ellipsoids.h"
#include "binding.h"

namespace vantrel::python {

namespace {

py::object g_error, g_inputError, g_fileError;

py::object NewException(py::module_& m, const char* name, py::tuple bases, const char* doc) {
  const std::string qualified = std::string("vantrel.") + name;
  PyObject* cls = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases.ptr(), nullptr);
  if (!cls) throw py::error_already_set();
  py::object o = py::reinterpret_steal<py::object>(cls);
  m.attr(name) = o;
  return o;
}

[[noreturn]] void Raise(const py::object& cls, const std::string& message,
                        std::initializer_list<std::pair<const char*, py::object>> attrs) {
  py::object e = cls(message);
  for (const auto& [name, value] : attrs) e.attr(name) = value;
  PyErr_SetObject(cls.ptr(), e.ptr());
  throw py::error_already_set();
}

}  // namespace

void DefineErrors(py::module_& m) {
  g_error = NewException(m, "Error", py::make_tuple(py::handle(PyExc_Exception)),
                         "Base class of every error the vantrel module raises; str(e) is the "
                         "calculator's message text (Chinese).");
  g_inputError = NewException(m, "InputError", py::make_tuple(g_error, py::handle(PyExc_ValueError)),
                              "Data a routine refuses: wrong shapes, a number that is not finite, a "
                              "position outside a model, a geometry with no solution, a faulty "
                              "line of a file. Array calls set .index to the element refused.");
  g_fileError = NewException(m, "FileError", py::make_tuple(g_error, py::handle(PyExc_OSError)),
                             "A file that cannot be read or written; .path names it.");
}

void RaiseInput(const std::string& message,
                std::initializer_list<std::pair<const char*, py::object>> attrs) {
  Raise(g_inputError, message, attrs);
}

void RaiseFile(const std::string& message, const std::string& path) {
  Raise(g_fileError, message, {{"path", py::str(path)}});
}

py::object DefineRecord(py::module_& m, const char* name, std::initializer_list<const char*> fields,
                        const char* doc) {
  py::list names;
  for (const char* f : fields) names.append(f);
  py::object cls = py::module_::import("collections").attr("namedtuple")(name, names);
  cls.attr("__module__") = "vantrel";
  cls.attr("__doc__") = doc;
  m.attr(name) = cls;
  return cls;
}

NamedEllipsoid ResolveEllipsoid(py::handle arg) {
  if (py::isinstance<NamedEllipsoid>(arg)) return arg.cast<NamedEllipsoid>();
  std::string code;
  if (py::isinstance<py::int_>(arg) || py::isinstance<py::str>(arg)) code = py::str(arg).cast<std::string>();
  const EllipsoidRow* row = batch::FindBatchEllipsoid(code);
  if (!row) {
    RaiseInput("未知的椭球代码 " + py::repr(arg).cast<std::string>() + " (可用: " +
               batch::EllipsoidCodeText(", ", ", ") + ")");
  }
  return {code, row->ellipsoid, row};
}

// An array whose data sits at an address a double may not be read at (as arrays unpickled in
// a worker process can) is copied first: the routines read doubles in place.
py::array_t<double, py::array::c_style> AlignedDoubles(py::array_t<double, py::array::c_style> a) {
  if (reinterpret_cast<std::uintptr_t>(a.data()) % alignof(double) == 0) return a;
  py::array_t<double, py::array::c_style> copy(std::vector<py::ssize_t>(a.shape(), a.shape() + a.ndim()));
  if (a.size() > 0) std::memcpy(copy.mutable_data(), a.data(), static_cast<std::size_t>(a.size()) * sizeof(double));
  return copy;
}

Broadcast::Broadcast(std::initializer_list<std::pair<const char*, py::handle>> args, bool allowNonFinite) {
  // Plain Python numbers, the common case of a script's loop, skip numpy altogether.
  bool plain = true;
  for (const auto& [name, arg] : args) plain = plain && (PyFloat_Check(arg.ptr()) || PyLong_Check(arg.ptr()));
  if (plain) {
    for (const auto& [name, arg] : args) {
      const double d = PyFloat_AsDouble(arg.ptr());  // an int too large for a double raises here
      if (d == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        RaiseInput(std::string(kBadInput) + " " + name + " = " + py::repr(arg).cast<std::string>(),
                   {{"argument", py::str(name)}});
      }
      if (!allowNonFinite && !std::isfinite(d))
        RaiseInput(std::string(kBadInput) + " " + name + " = " + py::repr(py::float_(d)).cast<std::string>(),
                   {{"argument", py::str(name)}});
      values_.push_back(d);
    }
    plain_ = true;
    return;
  }
  py::module_ np = py::module_::import("numpy");
  py::list converted;
  for (const auto& [name, arg] : args) {
    try {
      converted.append(np.attr("asarray")(arg, "dtype"_a = np.attr("float64")));
    } catch (py::error_already_set& e) {
      RaiseInput(std::string(kBadInput) + " " + name + ": " + py::str(e.value()).cast<std::string>(),
                 {{"argument", py::str(name)}});
    }
  }
  py::tuple wide;
  try {
    wide = np.attr("broadcast_arrays")(*converted);
  } catch (py::error_already_set& e) {
    std::string shapes;
    for (auto a : converted) shapes += " " + py::str(a.attr("shape")).cast<std::string>();
    RaiseInput(std::string(kBadInput) + " 数组形状不一致:" + shapes);
  }
  std::size_t i = 0;
  for (const auto& [name, arg] : args) {
    (void)arg;
    py::array_t<double, py::array::c_style> a =
        AlignedDoubles(py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(wide[i]));
    if (i == 0) {
      scalar_ = a.ndim() == 0;
      shape_.assign(a.shape(), a.shape() + a.ndim());
      size_ = a.size();
    }
    if (!allowNonFinite) {
      const double* d = a.data();
      const py::ssize_t size = a.size();
      py::ssize_t k = 0;
      {
        // A long array is checked without the GIL, as it is computed.
        std::optional<py::gil_scoped_release> unlocked;
        if (size > kUnlockedCheck) unlocked.emplace();
        while (k < size && std::isfinite(d[k])) ++k;
      }
      if (k < size) {
        const std::string value = py::repr(py::float_(d[k])).cast<std::string>();
        if (scalar_) RaiseInput(std::string(kBadInput) + " " + name + " = " + value, {{"argument", py::str(name)}});
        const std::string where = py::str(IndexOf(k)).cast<std::string>();
        RaiseInput(std::string(kBadInput) + " " + name + "[" + where + "] = " + value,
                   {{"argument", py::str(name)}, {"index", IndexOf(k)}});
      }
    }
    arrays_.push_back(std::move(a));
    ++i;
  }
}

py::object Broadcast::IndexOf(py::ssize_t k) const {
  if (shape_.size() <= 1) return py::int_(k);
  py::tuple shape(shape_.size());
  for (std::size_t i = 0; i < shape_.size(); ++i) shape[i] = shape_[i];
  py::tuple idx = py::module_::import("numpy").attr("unravel_index")(k, shape);
  py::tuple plain(idx.size());
  for (std::size_t i = 0; i < idx.size(); ++i) plain[i] = py::int_(idx[i]);
  return plain;
}

py::array_t<double, py::array::c_style> Table(py::handle arg, const char* name, py::ssize_t columns) {
  py::module_ np = py::module_::import("numpy");
  py::array_t<double, py::array::c_style> a;
  try {
    a = py::array_t<double, py::array::c_style>::ensure(
        np.attr("ascontiguousarray")(arg, "dtype"_a = np.attr("float64")));
  } catch (py::error_already_set& e) {
    RaiseInput(std::string(kBadInput) + " " + name + ": " + py::str(e.value()).cast<std::string>());
  }
  if (a) a = AlignedDoubles(a);
  if (!a || a.ndim() != 2 || a.shape(1) != columns) {
    const std::string shape = a ? py::str(a.attr("shape")).cast<std::string>() : "?";
    RaiseInput(std::string(kBadInput) + " " + name + " 应为 (n, " + std::to_string(columns) + ") 数组, 实为 " +
                   shape,
               {{"argument", py::str(name)}});
  }
  const double* d = a.data();
  for (py::ssize_t k = 0; k < a.size(); ++k) {
    if (!std::isfinite(d[k])) {
      py::tuple at = py::make_tuple(k / columns, k % columns);
      RaiseInput(std::string(kBadInput) + " " + name + py::str(at).cast<std::string>() + " = " +
                     py::repr(py::float_(d[k])).cast<std::string>(),
                 {{"argument", py::str(name)}, {"index", at}});
    }
  }
  return a;
}

std::vector<std::string> Names(py::handle names, std::size_t n, const char* prefix) {
  std::vector<std::string> out;
  if (names.is_none()) {
    for (std::size_t i = 0; i < n; ++i) out.push_back(prefix + std::to_string(i + 1));
    return out;
  }
  for (py::handle h : names) out.push_back(py::str(h).cast<std::string>());
  if (out.size() != n)
    RaiseInput(std::string(kBadInput) + " names 有 " + std::to_string(out.size()) + " 个, 点有 " +
               std::to_string(n) + " 个");
  return out;
}

namespace {
// Read with the GIL released, by any thread a call runs on; set by set_threads.
std::atomic<unsigned> g_threads{std::max(1u, std::min(std::thread::hardware_concurrency(), 8u))};
}  // namespace

unsigned PointThreads() { return g_threads.load(std::memory_order_relaxed); }

void StatusTally::Count(std::span<const batch::Status> status, std::size_t offset, bool strict) {
  for (std::size_t k = 0; k < status.size(); ++k) {
    if (batch::Computed(status[k], strict)) {
      if (status[k] != batch::Status::Ok) ++warned[status[k]];
    } else if (firstRefused == kNone) {
      firstRefused = offset + k;
    }
  }
}

void StatusTally::Add(const StatusTally& other) {
  firstRefused = std::min(firstRefused, other.firstRefused);
  for (const auto& [warning, count] : other.warned) warned[warning] += count;
}

void RaiseTallied(const Broadcast& b, const StatusTally& tally, std::span<const batch::Status> status) {
  if (tally.firstRefused != StatusTally::kNone) {
    const std::string message(batch::StatusMessage(status[tally.firstRefused]));
    if (b.scalar()) RaiseInput(message);
    const py::object at = b.IndexOf(static_cast<py::ssize_t>(tally.firstRefused));
    RaiseInput(message + " (index " + py::str(at).cast<std::string>() + ")", {{"index", at}});
  }
  for (const auto& [warning, count] : tally.warned) {
    const std::string message = batch::WarnedCountText(warning, count) + " strict=True 可把这些点作为错误。";
    if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) < 0) throw py::error_already_set();
  }
}

Refusals RefusalsOf(const std::string& errors) {
  if (errors == "raise") return Refusals::Raise;
  if (errors == "nan") return Refusals::Nan;
  RaiseInput(std::string(kBadInput) + " errors 应为 'raise' 或 'nan', 而不是 " + py::repr(py::str(errors)).cast<std::string>(),
             {{"argument", py::str("errors")}});
}

py::tuple PickledState(py::handle state, std::size_t size, const char* type) {
  if (!py::isinstance<py::tuple>(state) || py::len(state) != size)
    RaiseInput(std::string(kBadInput) + " " + type + " 的 pickle 状态应为 " + std::to_string(size) + " 项的 tuple");
  return py::reinterpret_borrow<py::tuple>(state);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

namespace {

void BindEllipsoids(py::module_& m) {
  py::class_<NamedEllipsoid>(m, "Ellipsoid", R"doc(A reference ellipsoid the calculator knows by code.

Ellipsoid(code) with code 54 (北京54, Krassovsky), 80 (北京80, IAG 1975), 84 (WGS84) or 2000
(CGCS2000), as int or str. a is the semi-major axis in metres, e2 the first eccentricity
squared: the values the calculator computes with. b (metres) and f are derived from them
for information. Every function taking an ellipsoid also takes the code itself.)doc")
      .def(py::init([](py::object code) { return ResolveEllipsoid(code); }), py::arg("code"))
      .def_property_readonly("code", [](const NamedEllipsoid& e) { return e.code; }, "The code: '54', '80', '84' or '2000'.")
      .def_property_readonly("name", [](const NamedEllipsoid& e) { return std::string(e.row->name); },
                             "The name the calculator shows: 北京54, 北京80, WGS84, CGCS2000.")
      .def_property_readonly("a", [](const NamedEllipsoid& e) { return e.e.a; }, "Semi-major axis, m.")
      .def_property_readonly("e2", [](const NamedEllipsoid& e) { return e.e.e2; }, "First eccentricity squared.")
      .def_property_readonly("b", [](const NamedEllipsoid& e) { return SemiMinorAxis(e.e); }, "Semi-minor axis, m (derived).")
      .def_property_readonly("f", [](const NamedEllipsoid& e) { return Flattening(e.e); }, "Flattening 1 - b/a (derived).")
      .def("__eq__", [](const NamedEllipsoid& x, py::object y) {
        return py::isinstance<NamedEllipsoid>(y) && y.cast<NamedEllipsoid>().code == x.code;
      })
      .def("__hash__", [](const NamedEllipsoid& e) { return py::hash(py::str(e.code)); })
      .def(py::pickle([](const NamedEllipsoid& e) { return py::make_tuple(e.code); },
                      [](py::tuple t) { return ResolveEllipsoid(PickledState(t, 1, "Ellipsoid")[0]); }))
      .def("__repr__", [](const NamedEllipsoid& e) {
        return "Ellipsoid('" + e.code + "')  # " + std::string(e.row->name) + ", a=" +
               py::repr(py::float_(e.e.a)).cast<std::string>() + " m, e2=" +
               py::repr(py::float_(e.e.e2)).cast<std::string>();
      });
  m.def("ellipsoid_codes", [] {
    std::vector<std::string> codes;
    for (auto c : batch::EllipsoidCodes()) codes.emplace_back(c);
    return codes;
  }, "The ellipsoid codes the module knows, as str: ['54', '80', '84', '2000'].");
}

}  // namespace

}  // namespace vantrel::python

PYBIND11_MODULE(_vantrel, m) {
  using namespace vantrel::python;
  m.doc() = "Compiled part of the vantrel module; import vantrel instead.";
  DefineErrors(m);
  BindEllipsoids(m);
  BindAngles(m);
  BindGeodetic(m);
  BindSeven(m);
  BindPlane(m);
  BindTraverse(m);
  BindHeightFit(m);
  BindLevel(m);
  BindNetwork(m);
  BindTransform(m);
  BindPointFiles(m);
  BindSentences(m);
  BindConversions(m);
  BindCrs(m);
  BindFormats(m);
  m.def("set_threads", [](long long n) {
    if (n < 1 || n > 64)
      RaiseInput(std::string(kBadInput) + " threads 应在 1..64 之间, 而不是 " + std::to_string(n), {{"argument", py::str("n")}});
    g_threads = static_cast<unsigned>(n);
  }, py::arg("n"), R"doc(The threads an array conversion is split over (1..64; by default the machine's
cores, at most 8). Arrays under 32768 points always use one. The values do not depend on it.)doc");
  m.def("get_threads", [] { return PointThreads(); }, "The threads array conversions use (set_threads).");
  m.def("status_message", [](int code) {
    const std::string_view text = code >= 0 && code <= 255 ? vantrel::batch::StatusMessage(static_cast<vantrel::batch::Status>(code)) : "?";
    if (text == "?") RaiseInput(std::string(kBadInput) + " 没有状态码 " + std::to_string(code));
    return std::string(text);
  }, py::arg("code"), R"doc(The message of a point status that errors="nan" gives: '' for 0 (computed), else
the text the InputError of errors="raise" starts with, e.g. "带号不对!".)doc");
  m.def("status_codes", [] {
    py::dict codes;
    for (int c = 1; c <= 255; ++c) {
      const std::string_view text = vantrel::batch::StatusMessage(static_cast<vantrel::batch::Status>(c));
      if (text != "?") codes[py::int_(c)] = py::str(std::string(text));
    }
    return codes;
  }, "Every status a point can be refused with, as {code: message}.");
  m.attr("__version__") = VANTREL_VERSION;
}
