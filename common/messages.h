#pragma once
// A routine that must tell the user something (the few that do: INVERS, Sub4) reports
// through a handler its caller supplies; the routines themselves never open a window.
// Long file operations report their progress the same way.
#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

using MessageHandler = std::function<void(const std::string& text)>;

// How far a file operation has come: bytes of its input read out of all of them. A
// handler that returns false cancels the operation, which then leaves every file as it was.
using ProgressHandler = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Asks a progress handler every few thousand lines, so that asking costs nothing.
class ProgressTicker {
 public:
  ProgressTicker(const ProgressHandler& handler, std::uint64_t total)
      : handler_(handler), total_(total) {}
  // Counts one line; false once the handler has asked to cancel.
  bool Tick(std::uint64_t done) {
    if (!handler_ || (++lines_ & 4095) != 0) return true;
    return handler_(done, total_);
  }

 private:
  const ProgressHandler& handler_;
  std::uint64_t total_;
  std::uint64_t lines_ = 0;
};

}  // namespace vantrel
