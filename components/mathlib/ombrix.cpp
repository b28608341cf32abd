// The Ombrix class: adapts the typed and by-name calls to the survey mathematics, turns
// faults into failing results and sends its messages to the host's handler.
#include "ombrix/ombrix.h"

#include <cstdint>
#include <vector>

#include "components/mathlib/ombrix_math.h"
#include "transform/matrix_inversion.h"

namespace vantrel::ombrix {
namespace {

rt::ModuleState g_module;

void Show(const std::string& text) { rt::ShowComponentMessage(text, kMessageTitle); }

// Runs a method body; a fault it does not handle becomes the failing result.
template <class F>
rt::HResult Guard(F&& body) {
  try {
    body();
    return rt::kOk;
  } catch (const OmbrixFault& f) {
    return f.code;
  } catch (...) {
    return rt::kException;
  }
}

// Element p (1-based) of a one-dimensional double array, whatever its lower bound.
double* Packed(rt::SafeArray& arr, int64_t p) {
  const int64_t idx = int64_t(arr.lower()) + p - 1;
  if (idx > INT32_MAX) return nullptr;
  return arr.DoubleAt(int32_t(idx));
}

// The array a variant holds, checked to reach `count` positions from its lower bound.
rt::SafeArray& PackedArray(rt::Variant& v, int64_t count) {
  rt::SafeArray* arr = v.AsArray();
  if (!arr || arr->rank() != 1 || arr->type() != rt::ElemType::Double)
    throw OmbrixFault(rt::kBadIndex, "Type mismatch");
  if (count > 0 && !Packed(*arr, count)) throw OmbrixFault(rt::kBadIndex, "Subscript out of range");
  return *arr;
}

class Ombrix final : public rt::AutomationObject<Ombrix, _Ombrix> {
 public:
  explicit Ombrix(rt::ModuleState& m) : AutomationObject(&m) {}
  static const rt::DispatchTable<Ombrix>& Table();

  rt::HResult xyzblh(double& Phi, double& Lam, double& h, double& X, double& Y, double& Z,
                     std::string& Elli) override {
    return Guard([&] { ombrix::xyzblh(Phi, Lam, h, X, Y, Z, Elli); });
  }
  rt::HResult BLHXYZ(double& Phi, double& Lam, double& h, double& X, double& Y, double& Z,
                     std::string& Elli) override {
    return Guard([&] { ombrix::BLHXYZ(Phi, Lam, h, X, Y, Z, Elli); });
  }
  rt::HResult Get_Earth(std::string& Elli, double& a, double& E2) override {
    return Guard([&] { ombrix::Get_Earth(Elli, a, E2); });
  }
  rt::HResult BL2XYg(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO, double& XXO,
                     double& YYO, double& HHO, std::string& Elli) override {
    return Guard([&] { ombrix::BL2XYg(Xg, Yg, Phi, Rlam, LO, XXO, YYO, HHO, Elli); });
  }
  rt::HResult XYg2BL(double& Xg, double& Yg, double& Phi, double& Rlam, double& LO, double& XXO,
                     double& YYO, double& HHO, std::string& Elli) override {
    return Guard([&] { ombrix::XYg2BL(Xg, Yg, Phi, Rlam, LO, XXO, YYO, HHO, Elli); });
  }
  rt::HResult ij2n(int32_t& i, int32_t& j, int32_t& result) override {
    return Guard([&] { result = ombrix::ij2n(i, j); });
  }
  rt::HResult INVERS(rt::Variant& a, rt::Variant& B, int32_t& ijob, int32_t& N,
                     rt::Variant& Ier) override {
    return Guard([&] {
      int code = 0;
      if (ijob < 1 || ijob > 4) {
        vantrel::INVERS(nullptr, nullptr, ijob, N, code, Show);
        Ier.Target() = rt::Variant(int32_t(code));
        return;
      }
      // Both arrays are checked before anything is written, so a wrong one changes nothing.
      const int64_t n = N;
      const int64_t used = n > 0 ? n * (n + 1) / 2 : 0;
      rt::SafeArray& am = PackedArray(a, used);
      const bool solve = ijob == 2 || ijob == 3;
      rt::SafeArray* bm = solve ? &PackedArray(B, n > 0 ? n : 0) : nullptr;
      std::vector<double> av(size_t(used) + 1), bv(size_t(n > 0 ? n : 0) + 1);
      for (int64_t p = 1; p <= used; ++p) av[p - 1] = *Packed(am, p);
      if (bm)
        for (int64_t p = 1; p <= n; ++p) bv[p - 1] = *Packed(*bm, p);
      vantrel::INVERS(av.data(), bv.data(), ijob, N, code, Show);
      for (int64_t p = 1; p <= used; ++p) *Packed(am, p) = av[p - 1];
      if (bm)
        for (int64_t p = 1; p <= n; ++p) *Packed(*bm, p) = bv[p - 1];
      Ier.Target() = rt::Variant(int32_t(code));
    });
  }
  rt::HResult Datan2(double& Y, double& X, double& result) override {
    return Guard([&] { result = ombrix::Datan2(Y, X); });
  }
  rt::HResult Dms2Rad(double& Dms, double& result) override {
    return Guard([&] { result = ombrix::Dms2Rad(Dms); });
  }
  rt::HResult Rad2dms_Buff(double& Alf, double& result) override {
    return Guard([&] { result = ombrix::Rad2dms_Buff(Alf); });
  }
  rt::HResult Xy2az(double& x1, double& y1, double& x2, double& y2, double& result) override {
    return Guard([&] { result = ombrix::Xy2az(x1, y1, x2, y2); });
  }
  rt::HResult Xy2d(double& x1, double& y1, double& x2, double& y2, double& result) override {
    return Guard([&] { result = ombrix::Xy2d(x1, y1, x2, y2); });
  }
  rt::HResult Tube2Loc(double& X0, double& Y0, double& Z0, double& Alf, double& Bata,
                       double& Gama, double& X_Loc, double& Y_Loc, double& h_Loc, double X_Tube,
                       double Y_Tube, double h_Tube, bool& result) override {
    // The rotations go through this object's own interface, so an override sees them.
    auto viaInterface = [this](int n, double alf, double (&R)[3][3]) {
      rt::SafeArray m(rt::ElemType::Double, {{1, 3}, {1, 3}});
      bool ok = false;
      if (rt::Failed(static_cast<_Ombrix*>(this)->Rotation_Mat(n, alf, m, ok)) || !ok) return false;
      for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) R[i - 1][j - 1] = *m.DoubleAt(i, j);
      return true;
    };
    try {
      result = ombrix::Tube2Loc(X0, Y0, Z0, Alf, Bata, Gama, X_Loc, Y_Loc, h_Loc, X_Tube, Y_Tube,
                                h_Tube, viaInterface);
    } catch (...) {
      result = false;
    }
    return rt::kOk;
  }
  rt::HResult Rotation_Mat(int32_t N, double Alf, rt::SafeArray& R, bool& result) override {
    auto writer = [&R](int i, int j, double v) {
      double* slot = R.rank() == 2 ? R.DoubleAt(i, j) : nullptr;
      if (!slot) return false;
      *slot = v;
      return true;
    };
    try {
      result = ombrix::Rotation_Mat(N, Alf, writer, Show);
    } catch (...) {
      result = false;
    }
    return rt::kOk;
  }
};

// ---- The by-name side: each member reads its arguments, calls the typed method and
// writes by-reference arguments back; a function's value is the call's result.

using Args = std::span<rt::Variant>;

rt::HResult Count(Args args, size_t n, rt::InvokeError* e) {
  if (args.size() == n) return rt::kOk;
  if (e) e->description = "wrong number of arguments";
  return rt::kBadParamCount;
}

template <class T>
rt::HResult Read(Args args, size_t i, T& out, rt::InvokeError* e) {
  const rt::HResult hr = rt::detail::Load(args[i], out);
  if (rt::Failed(hr) && e) {
    e->argIndex = int32_t(i);
    e->description = "argument " + std::to_string(i + 1) + " has the wrong type";
  }
  return hr;
}

template <class T>
void WriteBack(Args args, size_t i, const T& v) {
  if (args[i].IsByRef()) args[i].Target() = rt::Variant(v);
}

// Members whose arguments are all doubles except an ellipsoid text at `textAt`.
template <size_t Count_, class Fn>
rt::DispatchTable<Ombrix>::Handler Numbers(Fn fn, int textAt = -1) {
  return [fn, textAt](Ombrix& o, Args args, rt::Variant* result, rt::InvokeError* e) {
    if (auto hr = Count(args, Count_, e); rt::Failed(hr)) return hr;
    double d[Count_] = {};
    std::string text;
    for (size_t i = 0; i < Count_; ++i) {
      const rt::HResult hr = int(i) == textAt ? Read(args, i, text, e) : Read(args, i, d[i], e);
      if (rt::Failed(hr)) return hr;
    }
    const rt::HResult hr = fn(o, d, text, result);
    if (rt::Failed(hr)) return hr;
    for (size_t i = 0; i < Count_; ++i)
      if (int(i) == textAt) WriteBack(args, i, text); else WriteBack(args, i, d[i]);
    return hr;
  };
}

template <class Fn>
rt::DispatchTable<Ombrix>::Handler DoubleFunction4(Fn fn) {
  return Numbers<4>([fn](Ombrix& o, double* d, std::string&, rt::Variant* result) {
    double r = 0;
    const rt::HResult hr = (o.*fn)(d[0], d[1], d[2], d[3], r);
    if (rt::Succeeded(hr) && result) *result = rt::Variant(r);
    return hr;
  });
}

}  // namespace

const rt::DispatchTable<Ombrix>& Ombrix::Table() {
  using K = rt::InvokeKind;
  static const rt::DispatchTable<Ombrix> table = [] {
    rt::DispatchTable<Ombrix> t;
    auto none = [](rt::Variant* r) { if (r) *r = rt::Variant(); };
    t.Member("xyzblh", K::Method, Numbers<7>([none](Ombrix& o, double* d, std::string& s, rt::Variant* r) {
      none(r);
      return o.xyzblh(d[0], d[1], d[2], d[3], d[4], d[5], s);
    }, 6));
    t.Member("BLHXYZ", K::Method, Numbers<7>([none](Ombrix& o, double* d, std::string& s, rt::Variant* r) {
      none(r);
      return o.BLHXYZ(d[0], d[1], d[2], d[3], d[4], d[5], s);
    }, 6));
    t.Member("Get_Earth", K::Method, Numbers<3>([none](Ombrix& o, double* d, std::string& s, rt::Variant* r) {
      none(r);
      return o.Get_Earth(s, d[1], d[2]);
    }, 0));
    t.Member("BL2XYg", K::Method, Numbers<9>([none](Ombrix& o, double* d, std::string& s, rt::Variant* r) {
      none(r);
      return o.BL2XYg(d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], s);
    }, 8));
    t.Member("XYg2BL", K::Method, Numbers<9>([none](Ombrix& o, double* d, std::string& s, rt::Variant* r) {
      none(r);
      return o.XYg2BL(d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], s);
    }, 8));
    t.Member("ij2n", K::Method, [](Ombrix& o, Args args, rt::Variant* result, rt::InvokeError* e) {
      if (auto hr = Count(args, 2, e); rt::Failed(hr)) return hr;
      int32_t i = 0, j = 0, r = 0;
      if (auto hr = Read(args, 0, i, e); rt::Failed(hr)) return hr;
      if (auto hr = Read(args, 1, j, e); rt::Failed(hr)) return hr;
      const rt::HResult hr = o.ij2n(i, j, r);
      if (rt::Failed(hr)) {
        if (e) e->description = "Overflow";
        return hr;
      }
      if (result) *result = rt::Variant(r);
      WriteBack(args, 0, i);
      WriteBack(args, 1, j);
      return hr;
    });
    t.Member("INVERS", K::Method, [](Ombrix& o, Args args, rt::Variant* result, rt::InvokeError* e) {
      if (auto hr = Count(args, 5, e); rt::Failed(hr)) return hr;
      int32_t job = 0, n = 0;
      if (auto hr = Read(args, 2, job, e); rt::Failed(hr)) return hr;
      if (auto hr = Read(args, 3, n, e); rt::Failed(hr)) return hr;
      // The arrays and the code are worked on in the caller's variants directly.
      const rt::HResult hr = o.INVERS(args[0].Target(), args[1].Target(), job, n, args[4].Target());
      if (rt::Failed(hr) && e) e->description = "INVERS: the arrays do not hold the matrix";
      if (result) *result = rt::Variant();
      return hr;
    });
    t.Member("Datan2", K::Method, Numbers<2>([](Ombrix& o, double* d, std::string&, rt::Variant* r) {
      double v = 0;
      const rt::HResult hr = o.Datan2(d[0], d[1], v);
      if (rt::Succeeded(hr) && r) *r = rt::Variant(v);
      return hr;
    }));
    t.Member("Dms2Rad", K::Method, Numbers<1>([](Ombrix& o, double* d, std::string&, rt::Variant* r) {
      double v = 0;
      const rt::HResult hr = o.Dms2Rad(d[0], v);
      if (rt::Succeeded(hr) && r) *r = rt::Variant(v);
      return hr;
    }));
    t.Member("Rad2dms_Buff", K::Method, Numbers<1>([](Ombrix& o, double* d, std::string&, rt::Variant* r) {
      double v = 0;
      const rt::HResult hr = o.Rad2dms_Buff(d[0], v);
      if (rt::Succeeded(hr) && r) *r = rt::Variant(v);
      return hr;
    }));
    t.Member("Xy2az", K::Method, DoubleFunction4(&Ombrix::Xy2az));
    t.Member("Xy2d", K::Method, DoubleFunction4(&Ombrix::Xy2d));
    t.Member("Tube2Loc", K::Method, Numbers<12>([](Ombrix& o, double* d, std::string&, rt::Variant* r) {
      bool ok = false;
      const rt::HResult hr =
          o.Tube2Loc(d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8], d[9], d[10], d[11], ok);
      if (r) *r = rt::Variant(ok);
      return hr;
    }));
    t.Member("Rotation_Mat", K::Method, [](Ombrix& o, Args args, rt::Variant* result, rt::InvokeError* e) {
      if (auto hr = Count(args, 3, e); rt::Failed(hr)) return hr;
      int32_t n = 0;
      double alf = 0;
      if (auto hr = Read(args, 0, n, e); rt::Failed(hr)) return hr;
      if (auto hr = Read(args, 1, alf, e); rt::Failed(hr)) return hr;
      bool ok = false;
      rt::SafeArray* target = args[2].AsArray();
      rt::SafeArray none2;  // not an array: writing fails at the first element
      const rt::HResult hr = o.Rotation_Mat(n, alf, target ? *target : none2, ok);
      if (result) *result = rt::Variant(ok);
      return hr;
    });
    return t;
  }();
  return table;
}

rt::Ref<_Ombrix> CreateOmbrix() { return rt::MakeObject<Ombrix>(g_module); }

namespace {
rt::Ref<rt::IUnknown> Create(rt::ModuleState& module) {
  return rt::Ref<rt::IUnknown>(rt::MakeObject<Ombrix>(module));
}
const rt::ComponentClass kOmbrixClass{kProgId, kClsid, "Ombrix survey mathematics", &Create};
}  // namespace

}  // namespace vantrel::ombrix

VANTREL_COMPONENT_ENTRY_POINTS(vantrel::ombrix::kOmbrixClass, vantrel::ombrix::g_module)
