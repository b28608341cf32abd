#pragma once
// The receive buffer a polling client keeps between reads of its port: bytes are appended
// as they arrive, sentences are cut from the front, and a tail that never completes a
// sentence is trimmed long before the cutters would refuse the buffer for its length.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "tandrel/sentences.h"

namespace tandrel {

class ReceiveBuffer {
 public:
  // After Trim the buffer holds at most this much: a sentence start no longer than this
  // may still complete, anything before it or longer is given up.
  static constexpr std::size_t kKeepAtMost = kMaxCutBuffer / 2;

  // One of the GetAline_ cutters (or the component method of the same form).
  using Cutter = std::function<bool(std::string& inBuff, std::string& aline)>;
  enum class Cut {
    Sentence,  // aline holds a sentence
    Rejected,  // a complete sentence was there and the cutter refused it (it is gone)
    Wait,      // nothing complete: wait for more bytes
  };

  void Append(std::string_view bytes) { text_.append(bytes); }
  // A cutter's false means "refused" only when a "$" and a later CR LF were there.
  Cut Next(const Cutter& cutter, std::string& aline);
  // Bytes dropped: a tail longer than kKeepAtMost, keeping only a last sentence start that fits.
  std::size_t Trim();
  // Bytes dropped: everything left.
  std::size_t DropAll();

  std::size_t size() const { return text_.size(); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace tandrel
