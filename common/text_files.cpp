#include "common/text_files.h"

#include "common/line_reader.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

namespace {

// Well-formed UTF-8: no stray trail bytes, overlong forms, surrogates or values past
// U+10FFFF. Chinese GBK text almost never passes, which is what lets a reader tell them apart.
}  // namespace

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

void PadToNextZone(std::string& out, int& column) {
  constexpr int kZone = 14;
  const int next = (column / kZone + 1) * kZone;
  out.append(static_cast<size_t>(next - column), ' ');
  column = next;
}

void AppendPrintZones(std::string& out, std::span<const std::string_view> items,
                      std::span<const int> widths) {
  int column = 0;
  for (size_t n = 0; n < items.size(); ++n) {
    if (n > 0) PadToNextZone(out, column);
    out += items[n];
    column += widths[n];
  }
}

std::string PrintZones(const std::vector<std::string>& items) {
  std::vector<std::string_view> views(items.begin(), items.end());
  std::vector<int> widths;
  widths.reserve(items.size());
  for (const auto& item : items) widths.push_back(PrintWidth(item));
  std::string out;
  AppendPrintZones(out, views, widths);
  return out;
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

std::string GbkOrUtf8ToUtf8(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return GbkToUtf8(bytes);
}

WriteResult WriteTextFile(const std::string& path, const std::vector<std::string>& lines,
                          bool append) {
  WriteResult result;
  // Non-blocking open: a pipe nobody reads fails at once instead of hanging the dialog.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : O_TRUNC);
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    result.error = FileErrorText(errno);
    return result;
  }
  struct stat st {};
  off_t before = (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) ? st.st_size : -1;
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
  // A half-written block is taken back, so the file holds exactly what it held before.
  if (err != 0 && append && before >= 0) {
    if (ftruncate(fd, before) != 0) { /* the write error is what gets reported */ }
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
