#pragma once
// The automation interface: reference counting, interface queries by name and a call by
// member name with variant arguments. A class also exposes a typed C++ interface (its
// virtual methods); AutomationObject and DispatchTable connect the two, so every typed
// method is reachable by name with by-reference arguments written back.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <exception>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "vantrel/runtime/fault.h"
#include "vantrel/runtime/status.h"
#include "vantrel/runtime/variant.h"

namespace vantrel::rt {

// Interface identifiers are texts; each interface struct names its own as kIid.
using Iid = std::string_view;

class IUnknown {
 public:
  static constexpr Iid kIid = "vantrel.IUnknown";
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;
  // On success *out holds a new reference to the interface asked for.
  virtual HResult QueryInterface(Iid iid, void** out) = 0;

 protected:
  virtual ~IUnknown() = default;
};

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// Filled by Invoke on failure: which argument (0-based, -1 none) and a description.
struct InvokeError {
  int32_t argIndex = -1;
  std::string description;
};

class IDispatch : public IUnknown {
 public:
  static constexpr Iid kIid = "vantrel.IDispatch";
  // Calls the member `name` (case-insensitive) with args in their natural order.
  // By-reference arguments (Variant::Ref) are written back. `result` may be null.
  virtual HResult Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args,
                         Variant* result, InvokeError* error = nullptr) = 0;
  // The member names the object answers to, in interface order.
  virtual std::vector<std::string> MemberNames() const = 0;

  // Conveniences over Invoke.
  HResult Call(std::string_view name, std::span<Variant> args, Variant* result = nullptr) {
    return Invoke(name, InvokeKind::Method, args, result);
  }
  HResult Get(std::string_view name, Variant& value) {
    return Invoke(name, InvokeKind::PropertyGet, {}, &value);
  }
  HResult Put(std::string_view name, Variant value) {
    return Invoke(name, InvokeKind::PropertyPut, std::span<Variant>(&value, 1), nullptr);
  }
};

class IClassFactory : public IUnknown {
 public:
  static constexpr Iid kIid = "vantrel.IClassFactory";
  virtual HResult CreateInstance(Iid iid, void** out) = 0;
  virtual HResult LockServer(bool lock) = 0;
};

// Intrusive counted pointer over any of the interfaces above.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  // Takes ownership of one reference already counted (what QueryInterface hands out).
  static Ref Adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference.
  static Ref Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }
  Ref(const Ref& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) : p_(o.get()) {
    if (p_) p_->AddRef();
  }
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() { reset(); }
  void reset() {
    if (auto* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* detach() { return std::exchange(p_, nullptr); }
  // For out parameters of QueryInterface / CreateInstance.
  void** put() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }

 private:
  T* p_ = nullptr;
};

// Asks `from` for interface T; empty Ref when it has none.
template <class T, class U>
Ref<T> QueryAs(U* from) {
  Ref<T> out;
  if (from) from->QueryInterface(T::kIid, out.put());
  return out;
}

// Live objects and server locks of one component library, for its DllCanUnloadNow.
struct ModuleState {
  std::atomic<long> objects{0};
  std::atomic<long> locks{0};
  bool CanUnload() const { return objects.load() == 0 && locks.load() == 0; }
};

// ---- Binding typed methods to the by-name call --------------------------------------

namespace detail {

bool EqualsNoCase(std::string_view a, std::string_view b);

template <class P>
struct ArgKind {
  using Value = std::remove_cvref_t<P>;
  // Written back when the parameter is a non-const lvalue reference.
  static constexpr bool kWriteBack =
      std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;
};

inline HResult Load(const Variant& v, double& out) { return v.ToDouble(out); }
inline HResult Load(const Variant& v, int32_t& out) { return v.ToInt32(out); }
inline HResult Load(const Variant& v, bool& out) { return v.ToBool(out); }
inline HResult Load(const Variant& v, std::string& out) { return v.ToText(out); }
inline HResult Load(const Variant& v, SafeArray& out) {
  if (v.Target().IsEmpty()) {  // an unallocated dynamic array
    out = SafeArray();
    return kOk;
  }
  const SafeArray* a = v.AsArray();
  if (!a) return kTypeMismatch;
  out = *a;
  return kOk;
}
inline HResult Load(const Variant& v, IDispatch*& out) {
  if (v.Target().IsEmpty()) {
    out = nullptr;
    return kOk;
  }
  out = v.AsObject();
  return out ? kOk : kTypeMismatch;
}

template <class T>
void Store(Variant& slot, T&& value) {
  slot.Target() = Variant(std::forward<T>(value));
}

template <class Obj, class R, class... P, std::size_t... I>
HResult CallBound(Obj& obj, R (Obj::*fn)(P...), std::span<Variant> args, Variant* result,
                  InvokeError* error, std::index_sequence<I...>) {
  if (args.size() != sizeof...(P)) {
    if (error) error->description = "wrong number of arguments";
    return kBadParamCount;
  }
  std::tuple<typename ArgKind<P>::Value...> values;
  HResult hr = kOk;
  int32_t bad = -1;
  ((hr == kOk ? (hr = Load(args[I], std::get<I>(values)), bad = int32_t(I)) : 0), ...);
  if (hr != kOk) {
    if (error) {
      error->argIndex = bad;
      error->description = "argument " + std::to_string(bad + 1) + " has the wrong type";
    }
    return hr;
  }
  if constexpr (std::is_void_v<R>) {
    (obj.*fn)(std::get<I>(values)...);
    if (result) *result = Variant();
  } else {
    R r = (obj.*fn)(std::get<I>(values)...);
    if (result) *result = Variant(std::move(r));
  }
  // Written back only through by-reference slots, as a by-value argument would be.
  ((ArgKind<P>::kWriteBack && args[I].IsByRef() ? Store(args[I], std::move(std::get<I>(values)))
                                                : void()),
   ...);
  return kOk;
}

}  // namespace detail

// The by-name side of a class: member name -> handler over the typed object.
template <class Obj>
class DispatchTable {
 public:
  using Handler = std::function<HResult(Obj&, std::span<Variant>, Variant*, InvokeError*)>;

  // A method bound to a member function of the typed interface.
  template <class Base, class R, class... P>
  DispatchTable& Method(std::string name, R (Base::*fn)(P...)) {
    static_assert(std::is_base_of_v<Base, Obj>);
    entries_.push_back({std::move(name), InvokeKind::Method,
                        [fn](Obj& o, std::span<Variant> a, Variant* r, InvokeError* e) {
                          return detail::CallBound<Base>(o, fn, a, r, e,
                                                         std::index_sequence_for<P...>{});
                        }});
    return *this;
  }
  // Any handler, for properties or members that need their own argument handling.
  DispatchTable& Member(std::string name, InvokeKind kind, Handler h) {
    entries_.push_back({std::move(name), kind, std::move(h)});
    return *this;
  }

  HResult Invoke(Obj& obj, std::string_view name, InvokeKind kind, std::span<Variant> args,
                 Variant* result, InvokeError* error) const {
    bool nameKnown = false;
    for (const auto& e : entries_) {
      if (!detail::EqualsNoCase(e.name, name)) continue;
      nameKnown = true;
      // A property get may also be called like a method, as clients commonly do.
      bool kindFits = e.kind == kind || (kind == InvokeKind::Method && e.kind == InvokeKind::PropertyGet) ||
                      (kind == InvokeKind::PropertyGet && e.kind == InvokeKind::Method);
      if (!kindFits) continue;
      try {
        return e.handler(obj, args, result, error);
      } catch (const Fault& f) {
        if (error) error->description = f.what();
        return f.code;
      } catch (const std::exception& ex) {
        if (error) error->description = ex.what();
        return kException;
      } catch (...) {
        if (error) error->description = "unknown failure";
        return kException;
      }
    }
    if (error) error->description = std::string(name) + ": no such member";
    return nameKnown ? kMemberNotFound : kUnknownName;
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& e : entries_)
      if (std::find(out.begin(), out.end(), e.name) == out.end()) out.push_back(e.name);
    return out;
  }

 private:
  struct Entry {
    std::string name;
    InvokeKind kind;
    Handler handler;
  };
  std::vector<Entry> entries_;
};

// Reference counting, interface queries and Invoke for a class `Derived` implementing
// the typed interface `Iface` (which derives from IDispatch). Derived supplies
//   static const DispatchTable<Derived>& Table();
// Objects are made with MakeObject and counted in a ModuleState while they live.
template <class Derived, class Iface>
class AutomationObject : public Iface {
 public:
  explicit AutomationObject(ModuleState* module = nullptr) : module_(module) {
    if (module_) ++module_->objects;
  }
  AutomationObject(const AutomationObject&) = delete;
  AutomationObject& operator=(const AutomationObject&) = delete;

  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    uint32_t n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HResult QueryInterface(Iid iid, void** out) override {
    if (!out) return kPointer;
    *out = nullptr;
    if (iid == IUnknown::kIid || iid == IDispatch::kIid || iid == Iface::kIid) {
      *out = static_cast<Iface*>(this);
      AddRef();
      return kOk;
    }
    return kNoInterface;
  }
  HResult Invoke(std::string_view name, InvokeKind kind, std::span<Variant> args, Variant* result,
                 InvokeError* error = nullptr) override {
    return Derived::Table().Invoke(static_cast<Derived&>(*this), name, kind, args, result, error);
  }
  std::vector<std::string> MemberNames() const override { return Derived::Table().Names(); }

 protected:
  ~AutomationObject() override {
    if (module_) --module_->objects;
  }

 private:
  std::atomic<uint32_t> refs_{0};
  ModuleState* module_;
};

// A new object with one reference held by the returned Ref.
template <class T, class... A>
Ref<T> MakeObject(A&&... a) {
  return Ref<T>::Share(new T(std::forward<A>(a)...));
}

}  // namespace vantrel::rt
