#pragma once
// A routine that must tell the user something (the few that do: INVERS, Sub4) reports
// through a handler its caller supplies; the routines themselves never open a window.
#include <functional>
#include <string>

namespace vantrel {

using MessageHandler = std::function<void(const std::string& text)>;

}  // namespace vantrel
