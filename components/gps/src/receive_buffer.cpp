#include "tandrel/receive_buffer.h"

namespace tandrel {

ReceiveBuffer::Cut ReceiveBuffer::Next(const Cutter& cutter, std::string& aline) {
  const std::size_t before = text_.size();
  const std::size_t dollar = text_.find('$');
  const bool complete = dollar != std::string::npos && text_.find("\r\n", dollar + 1) != std::string::npos;
  if (cutter(text_, aline)) return Cut::Sentence;
  // A buffer the cutter would not touch (too long) is no rejection either.
  return complete && text_.size() != before ? Cut::Rejected : Cut::Wait;
}

std::size_t ReceiveBuffer::Trim() {
  if (text_.size() <= kKeepAtMost) return 0;
  const std::size_t last = text_.rfind('$');
  const std::size_t drop =
      last != std::string::npos && text_.size() - last <= kKeepAtMost ? last : text_.size();
  text_.erase(0, drop);
  return drop;
}

std::size_t ReceiveBuffer::DropAll() {
  const std::size_t n = text_.size();
  text_.clear();
  return n;
}

}  // namespace tandrel
