#include "common/text_files.h"

#include "common/file_replace.h"
#include "common/line_reader.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdint>

namespace vantrel {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool AllAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Back to the initial state, whatever a previous conversion left.
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  // Converts as much as it can; returns false at an invalid or incomplete sequence,
  // leaving in/inLeft at the offending byte.
  bool Run(const char*& in, size_t& inLeft, std::string& out) {
    char buf[4096];
    while (inLeft > 0) {
      char* o = buf;
      size_t oLeft = sizeof buf;
      size_t r = iconv(cd_, const_cast<char**>(&in), &inLeft, &o, &oLeft);
      out.append(buf, o - buf);
      if (r == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

// Which bytes and byte pairs the GBK decoder takes, asked of the decoder itself once.
struct GbkTable {
  bool single[256] = {};           // a byte that is a character on its own
  std::vector<bool> pair;          // lead * 256 + trail: one two-byte character
  GbkTable() : pair(256 * 256, false) {
    for (int b = 0; b < 0x80; ++b) single[b] = true;
    Converter conv("UTF-8", "GBK");
    if (!conv.ok()) return;
    auto oneChar = [&conv](const char* bytes, size_t n) {
      std::string out;
      const char* in = bytes;
      size_t left = n;
      // One character: a lead byte of UTF-8 and its continuation bytes only.
      if (!conv.Run(in, left, out) || out.empty() || out == kReplacement) return false;
      for (size_t i = 1; i < out.size(); ++i)
        if ((static_cast<unsigned char>(out[i]) & 0xC0) != 0x80) return false;
      return true;
    };
    for (int a = 0x80; a < 0x100; ++a) {
      const char one[1] = {static_cast<char>(a)};
      single[a] = oneChar(one, 1);
      for (int b = 0; b < 0x100; ++b) {
        const char two[2] = {static_cast<char>(a), static_cast<char>(b)};
        pair[a * 256 + b] = oneChar(two, 2);
      }
    }
  }
};

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

std::string FileErrorText(int err) {
  switch (err) {
    case ENOENT: return "文件或路径不存在";
    case EISDIR: return "这是一个文件夹，不是文件";
    case ENOTDIR: return "路径中有一项不是文件夹";
    case EACCES:
    case EPERM: return "没有访问权限";
    case ENOSPC: return "磁盘已满";
    case EFBIG: return "文件超过允许的大小";
    case ENXIO: return "这是一个无人接收的管道或设备";
    case EROFS: return "磁盘只读";
    default: return std::strerror(err);
  }
}

// Well-formed UTF-8: no stray trail bytes, overlong forms, surrogates or values past
// U+10FFFF. Chinese GBK text almost never passes, which is what lets a reader tell them apart.
bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = Utf8SequenceLength(c);
    if (c >= 0x80 && (n == 1 || c < 0xC2 || c > 0xF4)) return false;
    if (i + n > s.size()) return false;
    unsigned cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += n;
  }
  return true;
}

std::string GbkToUtf8(std::string_view gbk) {
  if (AllAscii(gbk)) return std::string(gbk);
  std::string out;
  out.reserve(gbk.size() + gbk.size() / 2);
  // One converter per thread: opening one costs more than converting a line.
  thread_local Converter conv("UTF-8", "GBK");
  if (!conv.ok()) return std::string(gbk);
  conv.Reset();
  const char* in = gbk.data();
  size_t left = gbk.size();
  while (left > 0) {
    if (conv.Run(in, left, out)) break;
    out += kReplacement;
    ++in;
    --left;
  }
  return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (AllAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  thread_local Converter conv("GBK", "UTF-8");
  if (!conv.ok()) return std::string(utf8);
  conv.Reset();
  const char* in = utf8.data();
  size_t left = utf8.size();
  while (left > 0) {
    if (conv.Run(in, left, out)) break;
    out.push_back('?');
    size_t skip = Utf8SequenceLength(static_cast<unsigned char>(*in));
    // Skip the whole character only when it is well formed, else just the lead byte.
    size_t n = 1;
    while (n < skip && n < left && (static_cast<unsigned char>(in[n]) & 0xC0) == 0x80) ++n;
    if (n != skip) n = 1;
    in += n;
    left -= n;
  }
  return out;
}

bool IsGbkText(std::string_view gbk) {
  size_t i = 0;
  const size_t n = gbk.size();
  // ASCII eight bytes at a time: most lines are ASCII through and through.
  for (std::uint64_t word; i + 8 <= n; i += 8) {
    std::memcpy(&word, gbk.data() + i, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (i < n && static_cast<unsigned char>(gbk[i]) < 0x80) ++i;
  if (i == n) return true;
  static const GbkTable table;
  while (i < n) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      ++i;
    } else if (i + 1 < n && table.pair[b * 256 + static_cast<unsigned char>(gbk[i + 1])]) {
      i += 2;
    } else if (table.single[b]) {
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  LineCursor cursor(bytes);
  for (std::string_view line; cursor.Next(line);) lines.emplace_back(line);
  return lines;
}

std::vector<std::string> SplitBlanks(std::string_view line) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t b = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > b) items.emplace_back(line.substr(b, i - b));
  }
  return items;
}

int PrintWidth(std::string_view utf8) {
  if (AllAscii(utf8)) return static_cast<int>(utf8.size());
  return static_cast<int>(Utf8ToGbk(utf8).size());
}

namespace {

// Where the item after one that ends at `column` begins: the next zone start, which
// leaves at least one blank.
size_t NextZone(size_t column) {
  constexpr size_t kZone = 14;
  return (column / kZone + 1) * kZone;
}

}  // namespace

std::string PrintZones(const std::vector<std::string>& items) {
  std::string out;
  size_t column = 0;
  for (size_t n = 0; n < items.size(); ++n) {
    if (n > 0) {
      const size_t next = NextZone(column);
      out.append(next - column, ' ');
      column = next;
    }
    out += items[n];
    column += static_cast<size_t>(PrintWidth(items[n]));
  }
  return out;
}

void AppendPrintZones(std::string& out, std::initializer_list<std::string_view> gbkItems) {
  const size_t start = out.size();
  bool first = true;
  for (std::string_view item : gbkItems) {
    if (!first) out.append(NextZone(out.size() - start) - (out.size() - start), ' ');
    first = false;
    out += item;
  }
}

void PadToNextZone(std::string& out, int& column) {
  const int next = static_cast<int>(NextZone(static_cast<size_t>(column)));
  out.append(static_cast<size_t>(next - column), ' ');
  column = next;
}

FileBytesResult ReadFileBytes(const std::string& path) {
  FileBytesResult result;
  // Non-blocking so a pipe or device named by mistake cannot hang the dialog.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    result.error = FileErrorText(errno);
    return result;
  }
  struct stat st {};
  errno = 0;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int err = errno;
    result.error = S_ISDIR(st.st_mode) ? FileErrorText(EISDIR)
                   : err != 0          ? FileErrorText(err)
                                       : std::string("这不是一个普通文件");
    ::close(fd);
    return result;
  }
  result.bytes.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      result.error = FileErrorText(errno);
      result.bytes.clear();
      ::close(fd);
      return result;
    }
    if (r == 0) break;
    result.bytes.append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  result.ok = true;
  return result;
}

TextFileResult ReadTextFile(const std::string& path) {
  TextFileResult result;
  FileBytesResult file = ReadFileBytes(path);
  if (!file.ok) {
    result.error = file.error;
    return result;
  }
  // GBK trail bytes are never CR or LF, so lines can be cut before decoding.
  for (auto& line : SplitLines(file.bytes)) result.lines.push_back(GbkToUtf8(line));
  result.ok = true;
  return result;
}

bool TakeAsUtf8(std::string_view& bytes) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
  return IsValidUtf8(bytes);
}

std::string GbkOrUtf8ToUtf8(std::string_view bytes) {
  // A mark followed by bytes that are no UTF-8 is read as GBK too: passing them on as they
  // are would hand invalid UTF-8 to every later step.
  if (TakeAsUtf8(bytes)) return std::string(bytes);
  return GbkToUtf8(bytes);
}

WriteResult WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                          bool append) {
  WriteResult result;
  if (append) {
    FileAppend file(path);
    for (const auto& line : lines)
      if (!file.Write(Utf8ToGbk(line)) || !file.Write("\r\n")) break;
    result.ok = file.Commit();
    result.error = file.error();
    return result;
  }
  // Non-blocking open: a pipe nobody reads fails at once instead of hanging the dialog.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_TRUNC;
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    result.error = FileErrorText(errno);
    return result;
  }
  std::string data;
  for (const auto& line : lines) {
    data += Utf8ToGbk(line);
    data += "\r\n";
  }
  const char* p = data.data();
  size_t left = data.size();
  int err = 0;
  while (left > 0) {
    ssize_t w = ::write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    p += w;
    left -= static_cast<size_t>(w);
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    result.error = FileErrorText(err);
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace vantrel
