#pragma once
// What every part of the Python module shares: the exception classes, the record types
// (named tuples) and the loop that runs a routine over scalars or numpy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <array>
#include <cstddef>
#include <exception>
#include <initializer_list>
#include <limits>
#include <map>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch/conversions.h"
#include "geodetic/ellipsoid.h"

namespace vantrel::python {

namespace py = pybind11;
using namespace pybind11::literals;

// vantrel.Error and its two kinds: InputError (also a ValueError) for data a routine refuses,
// FileError (also an OSError) for a file that cannot be read or written.
void DefineErrors(py::module_& m);
[[noreturn]] void RaiseInput(const std::string& message,
                             std::initializer_list<std::pair<const char*, py::object>> attrs = {});
[[noreturn]] void RaiseFile(const std::string& message, const std::string& path);

// A named tuple class made once and kept as a module attribute.
py::object DefineRecord(py::module_& m, const char* name, std::initializer_list<const char*> fields,
                        const char* doc);

// An ellipsoid argument: an Ellipsoid object, or a code (54, 80, 84, 2000 as int or str).
struct NamedEllipsoid {
  std::string code;
  Ellipsoid e;
  const EllipsoidRow* row;  // its row of the one table (geodetic/ellipsoids.h)
};
NamedEllipsoid ResolveEllipsoid(py::handle arg);

// The text every refusal of a number starts with (the calculator's "输入信息错误!").
inline constexpr const char* kBadInput = "输入信息错误!";

// What an array conversion does with the points the batch layer refuses (its errors=
// argument): "raise" the first one as InputError, or "nan": NaN there, and the status of
// every point returned beside the results.
enum class Refusals { Raise, Nan };
Refusals RefusalsOf(const std::string& errors);

// Arguments converted to float64, broadcast against each other and made contiguous.
// Non-finite values are refused with the argument's name and index unless allowed; with
// Refusals::Nan they go on to the batch layer, which refuses the point.
class Broadcast {
 public:
  Broadcast(std::initializer_list<std::pair<const char*, py::handle>> args, bool allowNonFinite = false);
  Broadcast(std::initializer_list<std::pair<const char*, py::handle>> args, Refusals refusals)
      : Broadcast(args, refusals == Refusals::Nan) {
    refusals_ = refusals;
  }
  Refusals refusals() const { return refusals_; }
  std::size_t count() const { return plain_ ? values_.size() : arrays_.size(); }
  py::ssize_t size() const { return size_; }
  bool scalar() const { return scalar_; }
  const std::vector<py::ssize_t>& shape() const { return shape_; }
  const double* data(std::size_t i) const { return plain_ ? &values_[i] : arrays_[i].data(); }
  // The index of flat position k in this shape: an int for one axis, else a tuple.
  py::object IndexOf(py::ssize_t k) const;

 private:
  std::vector<py::array_t<double, py::array::c_style>> arrays_;
  std::vector<double> values_;  // when every argument is a Python float or int
  bool plain_ = false;
  std::vector<py::ssize_t> shape_;
  py::ssize_t size_ = 1;
  bool scalar_ = true;
  Refusals refusals_ = Refusals::Raise;
};

// The results of a call: value(j) is output j; one output is returned bare, several as
// the record (a plain tuple when record is None).
template <std::size_t Out, class Value>
py::object PackResults(py::handle record, Value value) {
  if constexpr (Out == 1) {
    return value(0);
  } else {
    py::tuple t(Out);
    for (std::size_t j = 0; j < Out; ++j) t[j] = value(j);
    return record.is_none() ? py::object(t) : record(*t);
  }
}

// Runs f(in, out) over every element with the GIL released. f returns nullptr, or the
// message of a refusal (a static string), which stops the loop and is raised as InputError
// carrying the element's index. One output gives a float or an array; several give the
// record (or a plain tuple when record is None) of floats or arrays.
template <std::size_t In, std::size_t Out, class F>
py::object Elementwise(const Broadcast& b, py::handle record, F f) {
  static_assert(Out >= 1);
  if (b.scalar()) {
    // One element: no arrays to allocate and no loop worth releasing the GIL for.
    std::array<double, In> x{};
    std::array<double, Out> y{};
    for (std::size_t i = 0; i < In; ++i) x[i] = *b.data(i);
    if (const char* refusal = f(x, y)) RaiseInput(refusal);
    return PackResults<Out>(record, [&](std::size_t j) -> py::object { return py::float_(y[j]); });
  }
  std::array<py::array_t<double>, Out> outs;
  std::array<double*, Out> o{};
  for (std::size_t j = 0; j < Out; ++j) {
    outs[j] = py::array_t<double>(b.shape());
    o[j] = outs[j].mutable_data();
  }
  std::array<const double*, In> in{};
  for (std::size_t i = 0; i < In; ++i) in[i] = b.data(i);
  const char* refusal = nullptr;
  py::ssize_t at = 0;
  {
    py::gil_scoped_release unlocked;
    std::array<double, In> x{};
    std::array<double, Out> y{};
    for (py::ssize_t k = 0; k < b.size(); ++k) {
      for (std::size_t i = 0; i < In; ++i) x[i] = in[i][k];
      if ((refusal = f(x, y)) != nullptr) {
        at = k;
        break;
      }
      for (std::size_t j = 0; j < Out; ++j) o[j][k] = y[j];
    }
  }
  if (refusal) {
    if (b.scalar()) RaiseInput(refusal);
    RaiseInput(std::string(refusal) + " (index " + py::str(b.IndexOf(at)).cast<std::string>() + ")",
               {{"index", b.IndexOf(at)}});
  }
  return PackResults<Out>(record, [&](std::size_t j) -> py::object { return outs[j]; });
}

// Below this many values a check of the arguments keeps the GIL: releasing it costs more.
inline constexpr py::ssize_t kUnlockedCheck = 4096;

// The threads an array call of the batch layer is split over (set_threads).
unsigned PointThreads();
// Below this many points one thread does the whole array: starting threads costs more.
inline constexpr py::ssize_t kThreadedPoints = 1 << 15;

// What the statuses of (a piece of) a call come to, counted without the GIL: the first point
// not computed and the points computed with each warning (batch::Computed, with `strict`).
struct StatusTally {
  static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  std::size_t firstRefused = kNone;
  std::map<batch::Status, std::size_t> warned;
  void Count(std::span<const batch::Status> status, std::size_t offset, bool strict);
  void Add(const StatusTally& other);
};
// Raises the InputError of the first point refused: its status message and, for arrays,
// " (index k)" with .index; else counts the points computed with a warning in one UserWarning
// each.
void RaiseTallied(const Broadcast& b, const StatusTally& tally, std::span<const batch::Status> status);

// Runs a batch array function over the broadcast arguments: kernel(in, out, status) gets
// one input span per argument and Out output spans, all of one length. The GIL is
// released for everything that walks the points; a large array is cut into as many
// consecutive pieces as PointThreads() says, each computed by the same kernel, so the
// values do not depend on the split. A point whose status is not Ok raises (RaiseTallied,
// with `strict`), or with Refusals::Nan has NaN outputs and the call returns (results,
// statuses: an int for a scalar, else a uint8 array of the broadcast shape); a point
// computed with a warning keeps its values there, its status says so. Scalars give floats,
// arrays float64 arrays of the broadcast shape; one output is returned bare, several as
// the record (a tuple when record is None).
using InSpans = std::vector<std::span<const double>>;
template <std::size_t Out>
using OutSpans = std::array<std::span<double>, Out>;

template <std::size_t Out, class Kernel>
py::object RunPoints(const Broadcast& b, py::handle record, Kernel kernel, bool strict = false) {
  static_assert(Out >= 1);
  const std::size_t n = static_cast<std::size_t>(b.size());
  const bool statuses = b.refusals() == Refusals::Nan;
  std::array<py::array_t<double>, Out> arrays;
  std::array<double, Out> scalars{};
  std::array<double*, Out> o{};
  for (std::size_t j = 0; j < Out; ++j) {
    if (b.scalar()) {
      o[j] = &scalars[j];
    } else {
      arrays[j] = py::array_t<double>(b.shape());
      o[j] = arrays[j].mutable_data();
    }
  }
  // A default array_t is an empty array, not a null one: whether there are codes is kept apart.
  py::array_t<std::uint8_t> codes;
  std::uint8_t* code = nullptr;
  if (statuses && !b.scalar()) {
    codes = py::array_t<std::uint8_t>(b.shape());
    code = codes.mutable_data();
  }
  std::vector<batch::Status> status(n);
  // One piece computes, blanks what it refused and tallies, touching nothing of Python's.
  auto piece = [&](std::size_t begin, std::size_t count, StatusTally& tally) {
    InSpans in;
    for (std::size_t i = 0; i < b.count(); ++i) in.emplace_back(b.data(i) + begin, count);
    OutSpans<Out> out;
    for (std::size_t j = 0; j < Out; ++j) out[j] = std::span<double>(o[j] + begin, count);
    const std::span<batch::Status> st(status.data() + begin, count);
    kernel(in, out, st);
    tally.Count(st, begin, strict);
    for (std::size_t k = begin; k < begin + count; ++k) {
      if (!batch::Computed(status[k], strict))
        for (std::size_t j = 0; j < Out; ++j) o[j][k] = std::numeric_limits<double>::quiet_NaN();
      if (code) code[k] = static_cast<std::uint8_t>(status[k]);
    }
  };
  StatusTally tally;
  if (b.scalar()) {
    piece(0, n, tally);
  } else {
    py::gil_scoped_release unlocked;
    const std::size_t threads = b.size() < kThreadedPoints ? 1 : std::min<std::size_t>(PointThreads(), n);
    const std::size_t step = (n + threads - 1) / std::max<std::size_t>(threads, 1);
    // A failure inside a piece (out of memory, say) is handed on once every thread is done.
    std::vector<std::exception_ptr> failed(threads);
    std::vector<StatusTally> tallies(threads);
    auto guarded = [&](std::size_t t, std::size_t begin, std::size_t count) {
      try {
        piece(begin, count, tallies[t]);
      } catch (...) {
        failed[t] = std::current_exception();
      }
    };
    std::vector<std::thread> workers;
    for (std::size_t t = 1; t < threads; ++t) {
      const std::size_t begin = t * step;
      if (begin < n) workers.emplace_back(guarded, t, begin, std::min(step, n - begin));
    }
    guarded(0, 0, std::min(step, n));
    for (auto& w : workers) w.join();
    for (const auto& e : failed)
      if (e) std::rethrow_exception(e);
    for (const StatusTally& t : tallies) tally.Add(t);
  }
  if (!statuses) RaiseTallied(b, tally, status);
  py::object results = PackResults<Out>(record, [&](std::size_t j) -> py::object {
    if (b.scalar()) return py::float_(scalars[j]);
    return std::move(arrays[j]);
  });
  if (!statuses) return results;
  if (b.scalar()) return py::make_tuple(results, py::int_(static_cast<int>(status[0])));
  return py::make_tuple(results, std::move(codes));
}

// Parts of the module, one per area.
void BindAngles(py::module_& m);
void BindGeodetic(py::module_& m);
void BindSeven(py::module_& m);
void BindPlane(py::module_& m);
void BindTraverse(py::module_& m);
void BindHeightFit(py::module_& m);
void BindLevel(py::module_& m);
void BindNetwork(py::module_& m);
void BindTransform(py::module_& m);
void BindPointFiles(py::module_& m);
void BindSentences(py::module_& m);
void BindConversions(py::module_& m);
void BindCrs(py::module_& m);
void BindFormats(py::module_& m);

// Report lines as one text, each ended by "\n".
std::string JoinLines(const std::vector<std::string>& lines);

// The state a pickle hands back to __setstate__, checked to hold `size` items: the objects
// that carry a conversion pickle so that worker processes (Dask, multiprocessing) get them.
py::tuple PickledState(py::handle state, std::size_t size, const char* type);

// Shapes of (n, k) coordinate tables.
py::array_t<double, py::array::c_style> Table(py::handle arg, const char* name, py::ssize_t columns);
std::vector<std::string> Names(py::handle names, std::size_t n, const char* prefix);

}  // namespace vantrel::python
