#include "vantrel/runtime/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "vantrel/runtime/automation.h"

namespace vantrel::rt {

SafeArray::SafeArray(ElemType type, std::vector<ArrayBounds> dims) : type_(type), dims_(std::move(dims)) {
  if (type_ == ElemType::Text)
    texts_.resize(size());
  else
    doubles_.resize(size());
}

SafeArray SafeArray::Texts(int32_t lower, std::size_t count) {
  return SafeArray(ElemType::Text, {{lower, int32_t(lower + int64_t(count) - 1)}});
}

SafeArray SafeArray::Doubles(int32_t lower, std::size_t count) {
  return SafeArray(ElemType::Double, {{lower, int32_t(lower + int64_t(count) - 1)}});
}

SafeArray SafeArray::Doubles(std::initializer_list<double> values, int32_t lower) {
  SafeArray a = Doubles(lower, values.size());
  std::copy(values.begin(), values.end(), a.doubles_.begin());
  return a;
}

std::size_t SafeArray::size() const {
  if (dims_.empty()) return 0;
  std::size_t n = 1;
  for (const auto& d : dims_) n *= d.count();
  return n;
}

bool SafeArray::Offset(std::span<const int32_t> idx, std::size_t& out) const {
  if (idx.size() != dims_.size() || dims_.empty()) return false;
  std::size_t off = 0, stride = 1;
  for (std::size_t k = 0; k < dims_.size(); ++k) {
    const auto& d = dims_[k];
    if (idx[k] < d.lower || idx[k] > d.upper) return false;
    off += std::size_t(int64_t(idx[k]) - d.lower) * stride;
    stride *= d.count();
  }
  out = off;
  return true;
}

std::string* SafeArray::TextAt(std::span<const int32_t> idx) {
  std::size_t off;
  return type_ == ElemType::Text && Offset(idx, off) ? &texts_[off] : nullptr;
}
const std::string* SafeArray::TextAt(std::span<const int32_t> idx) const {
  std::size_t off;
  return type_ == ElemType::Text && Offset(idx, off) ? &texts_[off] : nullptr;
}
double* SafeArray::DoubleAt(std::span<const int32_t> idx) {
  std::size_t off;
  return type_ == ElemType::Double && Offset(idx, off) ? &doubles_[off] : nullptr;
}
const double* SafeArray::DoubleAt(std::span<const int32_t> idx) const {
  std::size_t off;
  return type_ == ElemType::Double && Offset(idx, off) ? &doubles_[off] : nullptr;
}

ObjectRef::ObjectRef(IDispatch* p) : p_(p) {
  if (p_) p_->AddRef();
}
ObjectRef::ObjectRef(const ObjectRef& o) : p_(o.p_) {
  if (p_) p_->AddRef();
}
ObjectRef::~ObjectRef() {
  if (p_) p_->Release();
}

Variant& Variant::Target() {
  Variant* v = this;
  // A slot pointing at itself (or a cycle) would loop; stop after a generous depth.
  for (int depth = 0; depth < 64; ++depth) {
    auto* next = std::get_if<Variant*>(&v->v_);
    if (!next || !*next) return *v;
    v = *next;
  }
  return *v;
}

const Variant& Variant::Target() const { return const_cast<Variant*>(this)->Target(); }

namespace {

bool ParseNumber(std::string_view text, double& out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out,
                                   std::chars_format::general);
  return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(out);
}

}  // namespace

HResult Variant::ToDouble(double& out) const {
  const Variant& t = Target();
  switch (t.type()) {
    case VarType::Empty: out = 0; return kOk;
    case VarType::Double: out = std::get<double>(t.v_); return kOk;
    case VarType::Int32: out = std::get<int32_t>(t.v_); return kOk;
    case VarType::Bool: out = std::get<bool>(t.v_) ? -1.0 : 0.0; return kOk;
    case VarType::Text: return ParseNumber(std::get<std::string>(t.v_), out) ? kOk : kTypeMismatch;
    default: return kTypeMismatch;
  }
}

HResult Variant::ToInt32(int32_t& out) const {
  double d;
  if (HResult hr = ToDouble(d); hr != kOk) return hr;
  if (!std::isfinite(d)) return kOverflow;
  double r = std::nearbyint(d);  // the default rounding mode: half to even
  if (r < -2147483648.0 || r > 2147483647.0) return kOverflow;
  out = int32_t(r);
  return kOk;
}

HResult Variant::ToBool(bool& out) const {
  const Variant& t = Target();
  if (const std::string* s = std::get_if<std::string>(&t.v_)) {
    if (detail::EqualsNoCase(*s, "true")) return out = true, kOk;
    if (detail::EqualsNoCase(*s, "false")) return out = false, kOk;
  }
  double d;
  if (HResult hr = ToDouble(d); hr != kOk) return hr;
  out = d != 0;
  return kOk;
}

HResult Variant::ToText(std::string& out) const {
  const Variant& t = Target();
  switch (t.type()) {
    case VarType::Empty: out.clear(); return kOk;
    case VarType::Text: out = std::get<std::string>(t.v_); return kOk;
    case VarType::Bool: out = std::get<bool>(t.v_) ? "True" : "False"; return kOk;
    case VarType::Int32: out = std::to_string(std::get<int32_t>(t.v_)); return kOk;
    case VarType::Double: {
      char buf[64];
      auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, std::get<double>(t.v_));
      if (ec != std::errc()) return kOverflow;
      out.assign(buf, ptr);
      return kOk;
    }
    default: return kTypeMismatch;
  }
}

namespace detail {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
  return true;
}

}  // namespace detail

}  // namespace vantrel::rt
