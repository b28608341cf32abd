#include "batch/records.h"

#include <cstdint>
#include <cstring>

#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

Encoding DetectEncoding(std::string_view bytes) {
  // Runs of ASCII eight bytes at a time first: most files are nothing else.
  std::size_t i = 0;
  while (bytes.size() - i >= 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080ull) break;
    i += 8;
  }
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  if (i == bytes.size()) return Encoding::Undecided;
  // The first byte past ASCII starts a character: the rest decides, by the rule the
  // text readers use.
  return IsValidUtf8(bytes.substr(i)) ? Encoding::Utf8 : Encoding::Gbk;
}

int ItemWidth(std::string_view item, Encoding encoding) {
  if (encoding != Encoding::Utf8) return static_cast<int>(item.size());
  return PrintWidth(item);
}

std::string_view TakeWord(std::string_view& rest) {
  const std::size_t start = rest.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(start);
  const std::size_t space = rest.find(' ');
  std::string_view word;
  if (space == std::string_view::npos) {
    word = rest;
    rest = {};
  } else {
    word = rest.substr(0, space);
    rest.remove_prefix(space + 1);
  }
  return TrimBlanks(word);
}

bool SplitCsv(std::string_view line, char delimiter, std::vector<CsvField>& fields) {
  fields.clear();
  std::size_t i = 0;
  for (;;) {
    const std::size_t start = i;
    // Blanks before an opening quote belong to the field.
    std::size_t q = i;
    while (q < line.size() && (line[q] == ' ' || line[q] == '\t') && line[q] != delimiter) ++q;
    if (q < line.size() && line[q] == '"') {
      std::size_t j = q + 1;
      for (;;) {
        const std::size_t close = line.find('"', j);
        if (close == std::string_view::npos) return false;
        if (close + 1 < line.size() && line[close + 1] == '"') {
          j = close + 2;
          continue;
        }
        j = close + 1;
        break;
      }
      const std::size_t text0 = q + 1, text1 = j - 1;
      const std::size_t end = line.find(delimiter, j);
      const std::size_t stop = end == std::string_view::npos ? line.size() : end;
      fields.push_back({line.substr(start, stop - start), line.substr(text0, text1 - text0)});
      if (end == std::string_view::npos) return true;
      i = end + 1;
    } else {
      const std::size_t end = line.find(delimiter, i);
      const std::size_t stop = end == std::string_view::npos ? line.size() : end;
      const std::string_view f = line.substr(start, stop - start);
      fields.push_back({f, f});
      if (end == std::string_view::npos) return true;
      i = end + 1;
    }
  }
}

char GuessDelimiter(std::string_view line) {
  int comma = 0, semicolon = 0, tab = 0;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    comma += c == ',';
    semicolon += c == ';';
    tab += c == '\t';
  }
  if (semicolon > comma && semicolon >= tab) return ';';
  if (tab > comma && tab > semicolon) return '\t';
  return ',';
}

std::string_view FirstLineEnd(std::string_view bytes) {
  const std::size_t i = bytes.find_first_of("\r\n");
  if (i == std::string_view::npos) return "\r\n";
  if (bytes[i] == '\n') return "\n";
  return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? std::string_view("\r\n")
                                                       : std::string_view("\r");
}

bool SameColumnName(std::string_view header, std::string_view name) {
  std::string_view h = TrimBlanks(header);
  if (h.size() >= 2 && h.front() == '"' && h.back() == '"') h = TrimBlanks(h.substr(1, h.size() - 2));
  if (h.size() != name.size()) return false;
  for (std::size_t i = 0; i < h.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(h[i]) != lower(name[i])) return false;
  }
  return true;
}

}  // namespace vantrel::batch
