#pragma once
// Lines of a file or a stream, read in blocks so that memory stays flat whatever the
// file's size. One line-end rule everywhere: CR LF, LF or a lone CR end a line; a final
// line without an end is kept; no empty line is made after a final line end. Lines are
// bytes (GBK trail bytes are never CR or LF, so cutting comes before decoding).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Walks the lines of bytes already in memory.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : bytes_(bytes) {}
  // The next line, without its end; false when no line is left.
  bool Next(std::string_view& line);
  // Bytes not walked yet.
  std::size_t offset() const { return pos_; }
  // The end of the line Next gave last: "\r\n", "\n", "\r", or "" for a last line without one.
  std::string_view end() const { return end_; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  std::string_view end_;
};

// Reads a file or an open descriptor block by block.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBlock = std::size_t{1} << 20;

  // Opens a path for reading. Only regular files unless `streams` is set (then pipes,
  // terminals and devices are read too, blocking). A failure leaves ok() false with the
  // reason in plain words in error().
  explicit LineReader(const std::string& path, bool streams = false,
                      std::size_t block = kDefaultBlock);
  // Reads an open descriptor (standard input, say); it is not closed by the reader.
  explicit LineReader(int fd, std::size_t block = kDefaultBlock);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // The next line without its end, valid until the next call. False at the end of the
  // input or at a read error (then ok() is false).
  bool Next(std::string_view& line);

  // The next run of whole lines, line ends included (the last may lack one at the end
  // of the input), about one block long but never cutting a line or a CR LF. False
  // when nothing is left or at a read error. Lets a caller hand blocks to workers.
  bool NextChunk(std::string& chunk);

  // Number of the line Next returned last, from 1.
  std::uint64_t lineNumber() const { return line_; }
  // Bytes handed out so far, line ends included: the progress through the input.
  std::uint64_t consumed() const { return consumed_; }
  // The input's size in bytes when it is a regular file.
  std::optional<std::uint64_t> size() const { return size_; }

 private:
  bool Fill();  // reads one more block; false at the end of the input or an error
  void Open(const std::string& path, bool streams);

  int fd_ = -1;
  bool owns_ = false;
  bool eof_ = false;
  std::size_t block_;
  std::string buf_;
  std::size_t pos_ = 0;
  std::uint64_t line_ = 0;
  std::uint64_t consumed_ = 0;
  std::uint64_t read_ = 0;  // bytes read from the input so far
  std::optional<std::uint64_t> size_;
  std::string error_;
};

}  // namespace vantrel
