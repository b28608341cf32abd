#pragma once
// A fault inside a component method that the method does not handle itself. Called by
// name, the method fails with the fault's code; a typed method that hands its result back
// directly (no status of its own) throws the fault to the client instead.
#include <cmath>
#include <stdexcept>
#include <string>

#include "vantrel/runtime/status.h"

namespace vantrel::rt {

class __attribute__((visibility("default"))) Fault : public std::runtime_error {
 public:
  Fault(HResult code, const std::string& what) : std::runtime_error(what), code(code) {}
  HResult code;
};

// A floating-point result that left the finite range is an overflow, the way the
// components' arithmetic has always reported it: throws Fault(kOverflow) unless every
// value is finite.
template <class... D>
void RequireFinite(D... values) {
  if (!(std::isfinite(double(values)) && ...)) throw Fault(kOverflow, "Overflow");
}

inline double Finite(double v) {
  RequireFinite(v);
  return v;
}

}  // namespace vantrel::rt
