#pragma once
// Lines of the files the batch layer reads and writes: our point files (name, numbers,
// remark; only spaces separate) and CSV (comma, semicolon or tab; quotes around a field
// allowed). Everything is bytes: names and remarks go out exactly as they came in, in the
// file's own encoding, which matters only for the print-zone widths of point files.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::batch {

enum class Layout { Points, Csv };

enum class Encoding { Undecided, Gbk, Utf8 };

// Tells GBK from UTF-8 by content, as the text readers do (IsValidUtf8): bytes that are all
// ASCII decide nothing; well-formed UTF-8 with other bytes is UTF-8; anything else is GBK.
Encoding DetectEncoding(std::string_view bytes);

// The print width of an item in a file of the given encoding: GBK bytes count one column
// each (a double-byte character two); UTF-8 text as PrintWidth counts it.
int ItemWidth(std::string_view item, Encoding encoding);

// The next word of a point line by the point-file rule (SplitPointFields): leading spaces
// skipped, the word ends at the next space, blanks around it trimmed; `rest` moves past it.
std::string_view TakeWord(std::string_view& rest);

// One CSV field: the bytes as they stand (quotes included) and the text inside the quotes.
struct CsvField {
  std::string_view raw;
  std::string_view text;
};
// Splits a CSV line at the delimiter, outside quotes. False when a quote is left open.
bool SplitCsv(std::string_view line, char delimiter, std::vector<CsvField>& fields);

// The delimiter a CSV line most likely uses: the most frequent of ',', ';' and tab outside
// quotes (',' when none occurs).
char GuessDelimiter(std::string_view line);

// The line end of the first line in bytes: "\r\n", "\n" or "\r" ("\r\n" when there is none,
// as the calculator writes its files).
std::string_view FirstLineEnd(std::string_view bytes);

// A header name compared with a column's names: ASCII case ignored, blanks around it and
// surrounding quotes dropped.
bool SameColumnName(std::string_view header, std::string_view name);

}  // namespace vantrel::batch
