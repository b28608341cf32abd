#include "common/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/text_files.h"

namespace vantrel {
namespace {

// Position of the first CR or LF at or after `from`, or npos.
std::size_t FindLineEnd(std::string_view s, std::size_t from) {
  const char* p = s.data() + from;
  const char* end = s.data() + s.size();
  for (; p != end; ++p) {
    // One comparison rejects every byte above CR, which is almost all of them.
    if (static_cast<unsigned char>(*p) <= '\r' && (*p == '\n' || *p == '\r'))
      return static_cast<std::size_t>(p - s.data());
  }
  return std::string_view::npos;
}

// Length of the line end at i (1 or 2 for CR LF).
std::size_t EndLength(std::string_view s, std::size_t i) {
  return (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
}

}  // namespace

bool LineCursor::Next(std::string_view& line) {
  if (pos_ >= bytes_.size()) return false;
  const std::size_t i = FindLineEnd(bytes_, pos_);
  if (i == std::string_view::npos) {
    line = bytes_.substr(pos_);
    pos_ = bytes_.size();
    end_ = {};
    return true;
  }
  line = bytes_.substr(pos_, i - pos_);
  end_ = bytes_.substr(i, EndLength(bytes_, i));
  pos_ = i + end_.size();
  return true;
}

LineReader::LineReader(const std::string& path, bool streams, std::size_t block)
    : block_(block == 0 ? kDefaultBlock : block) {
  Open(path, streams);
}

LineReader::LineReader(int fd, std::size_t block)
    : fd_(fd), block_(block == 0 ? kDefaultBlock : block) {
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
}

LineReader::~LineReader() {
  if (owns_ && fd_ >= 0) ::close(fd_);
}

void LineReader::Open(const std::string& path, bool streams) {
  // Without `streams` the open is non-blocking, so a pipe named by mistake cannot hang
  // the caller; a stream named on purpose is waited for, as any reader of pipes does.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (streams ? 0 : O_NONBLOCK));
  if (fd_ < 0) {
    error_ = FileErrorText(errno);
    return;
  }
  owns_ = true;
  struct stat st {};
  if (fstat(fd_, &st) != 0) {
    error_ = FileErrorText(errno);
    return;
  }
  if (S_ISDIR(st.st_mode)) {
    error_ = FileErrorText(EISDIR);
    return;
  }
  if (S_ISREG(st.st_mode)) {
    size_ = static_cast<std::uint64_t>(st.st_size);
  } else if (!streams) {
    error_ = "这不是一个普通文件";
    return;
  }
  const int flags = fcntl(fd_, F_GETFL);
  if (flags >= 0) fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

bool LineReader::Fill() {
  if (eof_ || !ok() || fd_ < 0) return false;
  // Drop what was handed out; the rest moves to the front.
  if (pos_ > 0) {
    buf_.erase(0, pos_);
    pos_ = 0;
  }
  const std::size_t old = buf_.size();
  // A small file gets a small buffer: what is left of it and one byte to see its end.
  std::size_t want = block_;
  if (size_ && *size_ >= read_ && *size_ - read_ < want) want = static_cast<std::size_t>(*size_ - read_) + 1;
  buf_.resize(old + want);
  for (;;) {
    const ssize_t r = ::read(fd_, buf_.data() + old, want);
    if (r < 0) {
      if (errno == EINTR) continue;
      error_ = FileErrorText(errno);
      buf_.resize(old);
      return false;
    }
    read_ += static_cast<std::uint64_t>(r);
    buf_.resize(old + static_cast<std::size_t>(r));
    if (r == 0) eof_ = true;
    return r > 0;
  }
}

bool LineReader::Next(std::string_view& line) {
  std::size_t scanned = pos_;
  for (;;) {
    const std::string_view view(buf_);
    const std::size_t i = FindLineEnd(view, scanned);
    // A CR as the last byte read may be the first half of a CR LF: read on to know.
    if (i != std::string_view::npos && !(view[i] == '\r' && i + 1 == view.size() && !eof_)) {
      line = view.substr(pos_, i - pos_);
      const std::size_t next = i + EndLength(view, i);
      consumed_ += next - pos_;
      pos_ = next;
      ++line_;
      return true;
    }
    if (eof_ || !ok()) {
      if (!ok() || pos_ >= view.size()) return false;
      line = view.substr(pos_);
      consumed_ += view.size() - pos_;
      pos_ = view.size();
      ++line_;
      return true;
    }
    const std::size_t keep = (i == std::string_view::npos ? view.size() : i) - pos_;
    Fill();
    scanned = pos_ + keep;
    if (!ok()) return false;
  }
}

bool LineReader::NextChunk(std::string& chunk) {
  chunk.clear();
  for (;;) {
    const std::string_view view(buf_);
    const std::string_view rest = view.substr(pos_);
    if (eof_ || !ok()) {
      if (!ok() || rest.empty()) return false;
      chunk.assign(rest);
      consumed_ += rest.size();
      pos_ = view.size();
      return true;
    }
    // The last line end in what has been read, unless it is a CR that may pair with an
    // LF still to come; then the line end before it.
    if (rest.size() >= block_) {
      std::size_t cut = std::string_view::npos;
      for (std::size_t j = rest.size(); j-- > 0;) {
        const char c = rest[j];
        if (c == '\n' || (c == '\r' && j + 1 < rest.size())) {
          cut = j + (c == '\r' && rest[j + 1] == '\n' ? 2 : 1);
          break;
        }
      }
      if (cut != std::string_view::npos) {
        chunk.assign(rest.substr(0, cut));
        consumed_ += cut;
        pos_ += cut;
        return true;
      }
    }
    Fill();
    if (!ok()) return false;
  }
}

}  // namespace vantrel
