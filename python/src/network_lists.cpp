// Networks from Python lists: each entry a tuple (by position) or a dict (by key), checked
// here only for what Python can get wrong (shapes, types, units); the adjustment itself
// refuses what a file could get wrong too (unknown points, an observation to itself, ...).
#include "network_lists.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

namespace vantrel::python {

namespace {

using adjustment::ObservationKind;
using adjustment::PlaneObservation;

// One entry of a list argument, its fields by name however it was written.
class Entry {
 public:
  Entry(const char* arg, std::size_t index, py::handle item) : arg_(arg), index_(index), item_(item) {}

  [[noreturn]] void Fail(const std::string& why) const {
    RaiseInput(std::string(kBadInput) + " " + arg_ + "[" + std::to_string(index_) + "]: " + why,
               {{"argument", py::str(arg_)}, {"index", py::int_(index_)}});
  }

  bool IsDict() const { return py::isinstance<py::dict>(item_); }
  bool IsText() const { return py::isinstance<py::str>(item_); }

  // The item's fields in the order of `names` (None where absent): a dict by key, else a
  // tuple or list by position from `skip` on, with at least `required` of them and at most
  // `positional` (the later fields are a dict's only).
  std::vector<py::object> Fields(std::initializer_list<const char*> names, std::size_t required,
                                 const std::string& form, std::size_t skip = 0,
                                 std::size_t positional = SIZE_MAX) const {
    std::vector<py::object> out(names.size(), py::none());
    if (IsDict()) {
      py::dict d = py::reinterpret_borrow<py::dict>(item_);
      std::size_t known = 0;
      std::size_t i = 0;
      for (const char* name : names) {
        if (d.contains(name)) out[i] = d[name], ++known;
        ++i;
      }
      const std::size_t extra = d.size() - known - (skip > 0 && d.contains("kind") ? 1 : 0);
      if (extra > 0) Fail("有不认识的键, 应为 " + form);
      for (std::size_t k = 0; k < required; ++k)
        if (out[k].is_none()) Fail("缺少 '" + std::string(*(names.begin() + k)) + "', 应为 " + form);
      return out;
    }
    if (IsText() || py::isinstance<py::bytes>(item_) || !py::isinstance<py::sequence>(item_))
      Fail("应为元组或字典 " + form + ", 而不是 " + Repr(item_));
    py::sequence s = py::reinterpret_borrow<py::sequence>(item_);
    const std::size_t n = s.size();
    if (n < skip + required || n > skip + std::min(names.size(), positional))
      Fail("应为 " + form + ", 而不是 " + Repr(item_));
    for (std::size_t k = skip; k < n; ++k) out[k - skip] = s[k];
    return out;
  }

  std::string Name(py::handle h, const char* what) const {
    // Point names may be numbers, as in the files.
    if (py::isinstance<py::str>(h) || (py::isinstance<py::int_>(h) && !py::isinstance<py::bool_>(h))) {
      std::string s = py::str(h);
      if (!s.empty()) return s;
    }
    Fail(std::string(what) + "应为非空的点名 (str), 而不是 " + Repr(h));
  }

  double Number(py::handle h, const char* what) const {
    if (!py::isinstance<py::bool_>(h) && PyNumber_Check(h.ptr()) && !py::isinstance<py::str>(h)) {
      const double d = PyFloat_AsDouble(h.ptr());
      if (!(d == -1.0 && PyErr_Occurred()) && std::isfinite(d)) return d;
      PyErr_Clear();
    }
    Fail(std::string(what) + " 应为有限的数, 而不是 " + Repr(h));
  }

  std::optional<double> Optional(py::handle h, const char* what) const {
    return h.is_none() ? std::nullopt : std::optional<double>(Number(h, what));
  }

  // An accuracy: None (the instrument's), else positive, in the unit given.
  double Sigma(py::handle h, double toSi) const {
    if (h.is_none()) return 0;
    const double s = Number(h, "sigma");
    if (!(s > 0)) Fail("sigma 应为正数, 而不是 " + Repr(h));
    return s * toSi;
  }

  std::pair<double, double> Pair(py::handle h, const char* what) const {
    if (py::isinstance<py::sequence>(h) && !py::isinstance<py::str>(h) && py::len(h) == 2) {
      py::sequence s = py::reinterpret_borrow<py::sequence>(h);
      return {Number(s[0], what), Number(s[1], what)};
    }
    Fail(std::string(what) + " 应为两个数, 而不是 " + Repr(h));
  }

  static std::string Repr(py::handle h) { return py::repr(h).cast<std::string>(); }

 private:
  const char* arg_;
  std::size_t index_;
  py::handle item_;
};

std::vector<py::handle> Items(py::handle list, const char* arg) {
  if (py::isinstance<py::str>(list) || !py::isinstance<py::sequence>(list))
    RaiseInput(std::string(kBadInput) + " " + arg + " 应为列表, 而不是 " + Entry::Repr(list),
               {{"argument", py::str(arg)}});
  std::vector<py::handle> items;
  for (py::handle h : list) items.push_back(h);
  return items;
}

adjustment::PlanePoint PlanePointOf(const Entry& e, py::handle item) {
  const char* form = "(点名,)、(点名, x, y)、(点名, x, y, σ) 或 (点名, x, y, σx, σy), σ 为毫米";
  adjustment::PlanePoint p;
  if (e.IsText()) {
    p.name = e.Name(item, "");
    return p;
  }
  // A dict may also give approx=(x, y), and sigma as one σ or (σx, σy).
  std::vector<py::object> f = e.Fields({"name", "x", "y", "sigma", "sigma_y", "approx"}, 1, form, 0, 5);
  if (!e.IsDict() && py::len(item) == 2)
    e.Fail(std::string("应为 ") + form + ", 而不是 " + Entry::Repr(item));
  p.name = e.Name(f[0], "");
  p.knownX = e.Optional(f[1], "x");
  p.knownY = e.Optional(f[2], "y");
  if (!f[3].is_none() && py::isinstance<py::sequence>(f[3]) && f[4].is_none()) {
    const auto [sx, sy] = e.Pair(f[3], "sigma");
    f[3] = py::float_(sx), f[4] = py::float_(sy);
  }
  p.sigmaX = e.Sigma(f[3], 1e-3);
  p.sigmaY = f[4].is_none() ? p.sigmaX : e.Sigma(f[4], 1e-3);
  if ((p.sigmaX > 0 && !p.knownX) || (p.sigmaY > 0 && !p.knownY)) e.Fail("未知的坐标不能有中误差");
  if (!f[5].is_none()) {
    const auto [x, y] = e.Pair(f[5], "approx");
    p.approxX = x, p.approxY = y;
  }
  return p;
}

// Direction sets: one per station and `set` label of loose directions, one per "set" entry.
class SetNumbers {
 public:
  int Of(const std::string& station, std::optional<long long> label) {
    auto [it, fresh] = sets_.try_emplace({station, label.value_or(LLONG_MIN)}, next_);
    next_ += fresh;
    return it->second;
  }
  int Fresh() { return next_++; }

 private:
  std::map<std::pair<std::string, long long>, int> sets_;
  int next_ = 0;  // from 0, as the file numbers its 测站 blocks
};

void Observe(batch::NetworkFile& file, ObservationKind kind, std::string station, std::string target,
             std::string target2, double value, double sigma, int set) {
  file.plane.observations.push_back(
      PlaneObservation{kind, std::move(station), std::move(target), std::move(target2), value, sigma, set});
}

// ("set", station, [(target, direction[, distance]), ...][, σ″]): a direction set as the
// field book writes it, a direction None where only the distance was measured.
void ReadSet(const Entry& e, batch::NetworkFile& file, SetNumbers& sets) {
  const char* form = "(\"set\", 测站, [(目标, 方向[, 平距]), ...][, σ″])";
  std::vector<py::object> f = e.Fields({"station", "targets", "sigma"}, 2, form, 1);
  const std::string station = e.Name(f[0], "station ");
  const double sigma = e.Sigma(f[2], 1 / batch::kSigmaSecondsPerRadian);
  const int set = sets.Fresh();
  if (py::isinstance<py::str>(f[1]) || !py::isinstance<py::sequence>(f[1]) || py::len(f[1]) == 0)
    e.Fail("targets 应为 [(目标, 方向[, 平距]), ...] 的非空列表");
  for (py::handle t : f[1]) {
    if (py::isinstance<py::str>(t) || !py::isinstance<py::sequence>(t) || py::len(t) < 2 || py::len(t) > 3)
      e.Fail("目标应为 (目标, 方向[, 平距]), 而不是 " + Entry::Repr(t));
    py::sequence s = py::reinterpret_borrow<py::sequence>(t);
    const std::string target = e.Name(s[0], "目标");
    const std::optional<double> direction = e.Optional(s[1], "方向");
    const std::optional<double> distance = s.size() == 3 ? e.Optional(s[2], "平距") : std::nullopt;
    if (!direction && !distance) e.Fail("目标 " + target + " 既无方向也无平距");
    if (direction) Observe(file, ObservationKind::Direction, station, target, "", *direction, sigma, set);
    if (distance) Observe(file, ObservationKind::Distance, station, target, "", *distance, 0, 0);
  }
}

void ReadObservation(const Entry& e, py::handle item, batch::NetworkFile& file, SetNumbers& sets) {
  py::object kindObject;
  if (e.IsDict()) {
    py::dict d = py::reinterpret_borrow<py::dict>(item);
    if (d.contains("kind")) kindObject = d["kind"];
  } else if (!e.IsText() && py::isinstance<py::sequence>(item) && py::len(item) > 0) {
    kindObject = py::reinterpret_borrow<py::sequence>(item)[0];
  }
  const std::string kind = kindObject && py::isinstance<py::str>(kindObject) ? py::str(kindObject) : "";
  if (kind == "set") return ReadSet(e, file, sets);
  if (kind == "angle") {
    std::vector<py::object> f = e.Fields({"station", "target", "target2", "value", "sigma"}, 4,
                                         "(\"angle\", 测站, 起始目标, 终止目标, 角值(弧度)[, σ″])", 1);
    Observe(file, ObservationKind::Angle, e.Name(f[0], "station "), e.Name(f[1], "target "),
            e.Name(f[2], "target2 "), e.Number(f[3], "value"), e.Sigma(f[4], 1 / batch::kSigmaSecondsPerRadian), 0);
    return;
  }
  if (kind == "direction") {
    std::vector<py::object> f = e.Fields({"station", "target", "value", "sigma", "set"}, 3,
                                         "(\"direction\", 测站, 目标, 方向(弧度)[, σ″][, 组号])", 1);
    const std::string station = e.Name(f[0], "station ");
    std::optional<long long> label;
    if (!f[4].is_none()) {
      if (!py::isinstance<py::int_>(f[4]) || py::isinstance<py::bool_>(f[4])) e.Fail("set 应为整数");
      label = f[4].cast<long long>();
    }
    Observe(file, ObservationKind::Direction, station, e.Name(f[1], "target "), "", e.Number(f[2], "value"),
            e.Sigma(f[3], 1 / batch::kSigmaSecondsPerRadian), sets.Of(station, label));
    return;
  }
  if (kind == "distance" || kind == "azimuth") {
    const bool distance = kind == "distance";
    std::vector<py::object> f =
        e.Fields({"station", "target", "value", "sigma"}, 3,
                 distance ? "(\"distance\", 测站, 目标, 平距(米)[, σ毫米])"
                          : "(\"azimuth\", 测站, 目标, 方位角(弧度)[, σ″ 或 \"fixed\"])",
                 1);
    double sigma;
    if (!distance && py::isinstance<py::str>(f[3])) {
      if (py::str(f[3]).cast<std::string>() != "fixed") e.Fail("方位角的 sigma 应为秒数或 \"fixed\"");
      sigma = batch::kHeldAzimuthSigma;
    } else {
      sigma = e.Sigma(f[3], distance ? 1e-3 : 1 / batch::kSigmaSecondsPerRadian);
    }
    Observe(file, distance ? ObservationKind::Distance : ObservationKind::Azimuth, e.Name(f[0], "station "),
            e.Name(f[1], "target "), "", e.Number(f[2], "value"), sigma, 0);
    return;
  }
  e.Fail("观测的种类应为 'direction'、'angle'、'distance'、'azimuth' 或 'set', 而不是 " +
         (kindObject ? Entry::Repr(kindObject) : Entry::Repr(item)));
}

}  // namespace

void ReadPlaneLists(py::handle points, py::handle observations, batch::NetworkFile& file) {
  std::size_t i = 0;
  for (py::handle item : Items(points, "points")) file.plane.points.push_back(PlanePointOf(Entry("points", i++, item), item));
  SetNumbers sets;
  i = 0;
  for (py::handle item : Items(observations, "observations")) ReadObservation(Entry("observations", i++, item), item, file, sets);
}

void ReadLevellingLists(py::handle points, py::handle lines, adjustment::LineWeight weight, double sigma,
                        batch::NetworkFile& file) {
  std::size_t i = 0;
  for (py::handle item : Items(points, "points")) {
    const Entry e("points", i++, item);
    adjustment::LevelPoint& p = file.levelPoints.emplace_back();
    if (e.IsText()) {
      p.name = e.Name(item, "");
      continue;
    }
    std::vector<py::object> f = e.Fields({"name", "height", "sigma"}, 1, "(点名,)、(点名, 高程) 或 (点名, 高程, σ毫米)");
    p.name = e.Name(f[0], "");
    p.knownHeight = e.Optional(f[1], "height");
    p.knownSigma = e.Sigma(f[2], 1e-3);
    if (p.knownSigma > 0 && !p.knownHeight) e.Fail("未知的高程不能有中误差");
  }
  i = 0;
  for (py::handle item : Items(lines, "lines")) {
    const Entry e("lines", i++, item);
    std::vector<py::object> f = e.Fields({"from", "to", "dh", "amount", "sigma"}, 4,
                                         "(起点, 终点, 高差(米), 路线长(公里)或测站数[, σ毫米])");
    adjustment::LevelLine l;
    l.from = e.Name(f[0], "from ");
    l.to = e.Name(f[1], "to ");
    l.dh = e.Number(f[2], "dh");
    l.amount = e.Number(f[3], "amount");
    l.weight = weight;
    l.sigma = f[4].is_none() ? sigma : e.Sigma(f[4], 1e-3);
    file.levelLines.push_back(std::move(l));
  }
}

}  // namespace vantrel::python
