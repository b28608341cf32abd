#pragma once
// Variants carried by the by-name call: empty, numbers, booleans, UTF-8 text, arrays of
// texts or doubles with per-dimension bounds, automation object references and
// by-reference slots (a pointer to the caller's variant, so a callee can write back).
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vantrel/runtime/status.h"

namespace vantrel::rt {

class IDispatch;

enum class VarType { Empty, Double, Int32, Bool, Text, Array, Object, ByRef };
enum class ElemType { Text, Double };

struct ArrayBounds {
  int32_t lower = 0;
  int32_t upper = -1;  // upper < lower: no elements in this dimension
  std::size_t count() const { return upper < lower ? 0 : std::size_t(int64_t(upper) - lower + 1); }
  bool operator==(const ArrayBounds&) const = default;
};

// A rectangular array of texts or doubles. The first index varies fastest in storage,
// as on the platform whose arrays clients are used to. No dimensions = not allocated.
class SafeArray {
 public:
  SafeArray() = default;
  SafeArray(ElemType type, std::vector<ArrayBounds> dims);
  // One dimension with lower bound `lower` and `count` elements.
  static SafeArray Texts(int32_t lower, std::size_t count);
  static SafeArray Doubles(int32_t lower, std::size_t count);
  static SafeArray Doubles(std::initializer_list<double> values, int32_t lower = 1);

  ElemType type() const { return type_; }
  std::size_t rank() const { return dims_.size(); }
  const std::vector<ArrayBounds>& dims() const { return dims_; }
  std::size_t size() const;  // total number of elements
  bool allocated() const { return !dims_.empty(); }
  int32_t lower(std::size_t dim = 0) const { return dims_.at(dim).lower; }
  int32_t upper(std::size_t dim = 0) const { return dims_.at(dim).upper; }

  // Element access by indexes, one per dimension, within the bounds. Returns nullptr
  // for a wrong number of indexes, an index out of bounds or the other element type.
  std::string* TextAt(std::span<const int32_t> idx);
  const std::string* TextAt(std::span<const int32_t> idx) const;
  double* DoubleAt(std::span<const int32_t> idx);
  const double* DoubleAt(std::span<const int32_t> idx) const;
  // One-dimensional shorthands.
  std::string* TextAt(int32_t i) { return TextAt(std::span<const int32_t>(&i, 1)); }
  const std::string* TextAt(int32_t i) const { return TextAt(std::span<const int32_t>(&i, 1)); }
  double* DoubleAt(int32_t i) { return DoubleAt(std::span<const int32_t>(&i, 1)); }
  const double* DoubleAt(int32_t i) const { return DoubleAt(std::span<const int32_t>(&i, 1)); }
  // Two-dimensional shorthands.
  double* DoubleAt(int32_t i, int32_t j) {
    const int32_t idx[2]{i, j};
    return DoubleAt(std::span<const int32_t>(idx, 2));
  }
  const double* DoubleAt(int32_t i, int32_t j) const {
    const int32_t idx[2]{i, j};
    return DoubleAt(std::span<const int32_t>(idx, 2));
  }

  std::vector<std::string>& texts() { return texts_; }
  const std::vector<std::string>& texts() const { return texts_; }
  std::vector<double>& doubles() { return doubles_; }
  const std::vector<double>& doubles() const { return doubles_; }

  bool operator==(const SafeArray&) const = default;

 private:
  bool Offset(std::span<const int32_t> idx, std::size_t& out) const;
  ElemType type_ = ElemType::Text;
  std::vector<ArrayBounds> dims_;
  std::vector<std::string> texts_;
  std::vector<double> doubles_;
};

// Holds a counted reference to an automation object (AddRef on copy, Release on drop).
class ObjectRef {
 public:
  ObjectRef() = default;
  explicit ObjectRef(IDispatch* p);  // takes a new reference (AddRef)
  ObjectRef(const ObjectRef& o);
  ObjectRef(ObjectRef&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ObjectRef& operator=(ObjectRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ObjectRef();
  IDispatch* get() const { return p_; }
  bool operator==(const ObjectRef& o) const { return p_ == o.p_; }

 private:
  IDispatch* p_ = nullptr;
};

class Variant {
 public:
  Variant() = default;
  Variant(double v) : v_(v) {}
  Variant(int32_t v) : v_(v) {}
  Variant(bool v) : v_(v) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(std::string_view v) : v_(std::string(v)) {}
  Variant(const char* v) : v_(std::string(v)) {}
  Variant(SafeArray v) : v_(std::move(v)) {}
  Variant(IDispatch* obj) : v_(ObjectRef(obj)) {}
  Variant(ObjectRef obj) : v_(std::move(obj)) {}
  // A by-reference slot: the callee reads and writes *target, which must outlive the call.
  static Variant Ref(Variant& target) {
    Variant v;
    v.v_ = &target;
    return v;
  }

  VarType type() const { return VarType(v_.index()); }
  bool IsEmpty() const { return type() == VarType::Empty; }
  bool IsByRef() const { return type() == VarType::ByRef; }
  // The variant a by-reference slot points at (following chains); itself otherwise.
  Variant& Target();
  const Variant& Target() const;

  // Exact accessors: nullptr when the (dereferenced) variant holds another type.
  const double* AsDouble() const { return std::get_if<double>(&Target().v_); }
  const int32_t* AsInt32() const { return std::get_if<int32_t>(&Target().v_); }
  const bool* AsBool() const { return std::get_if<bool>(&Target().v_); }
  const std::string* AsText() const { return std::get_if<std::string>(&Target().v_); }
  const SafeArray* AsArray() const { return std::get_if<SafeArray>(&Target().v_); }
  SafeArray* AsArray() { return std::get_if<SafeArray>(&Target().v_); }
  IDispatch* AsObject() const {
    auto* o = std::get_if<ObjectRef>(&Target().v_);
    return o ? o->get() : nullptr;
  }

  // Coercions as a by-name call applies them to arguments. Empty reads as 0 / "" / false;
  // booleans as -1 and 0; text must be one decimal number (blanks around it allowed);
  // doubles go to 32-bit integers rounded half to even, out of range is kOverflow.
  HResult ToDouble(double& out) const;
  HResult ToInt32(int32_t& out) const;
  HResult ToBool(bool& out) const;
  HResult ToText(std::string& out) const;

  bool operator==(const Variant& o) const { return v_ == o.v_; }

 private:
  std::variant<std::monostate, double, int32_t, bool, std::string, SafeArray, ObjectRef, Variant*> v_;
};

}  // namespace vantrel::rt
