#pragma once
// How the lines of an input file are laid out, decided once from the options, the file's
// name and its first lines: a point file (name, numbers, remark, only spaces between) or
// delimited fields with or without a header, and where each wanted column stands. The
// streaming conversions and the point-table reader decide it by these same rules.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/records.h"

namespace vantrel::batch {

struct InputColumn {
  std::string name;                  // the header name written and matched ("B")
  std::vector<std::string> aliases;  // other header names it is found by ("lat", "纬度")
  std::string notNumber;             // the message for a field that is not a number
  std::string missing;               // the message for a line without the field
};

// What the caller says about the layout; unset parts are found from the file.
struct LayoutChoice {
  std::optional<Layout> layout;
  std::optional<char> delimiter;
  std::vector<std::string> columns;  // delimited fields named by position; no header then
};

// How one input file is read and written again.
struct FileContext {
  std::string name;  // as messages name it
  Layout layout = Layout::Points;
  char delimiter = ',';
  Encoding encoding = Encoding::Undecided;
  std::string lineEnd = "\r\n";  // of the first line: a header's, and a last line's without one
  std::vector<int> roleIndex;    // delimited: the field of each input column
  int firstRole = 0;             // delimited: where the outputs go
  bool remarkLines = true;       // '#' lines pass through: point files and delimited .txt
};

// A header name of a column: its name or an alias, ignoring ASCII case unless `exact`.
bool MatchesColumn(const InputColumn& c, std::string_view header, bool exact = false);

// The layout of a file whose first block is `chunk`. A file is delimited when the choice or
// its extension (.csv, .tsv) says so, when its first line names one of `inputs` (a header),
// or when its first point line reads as delimited fields (name, then the inputs in order)
// but not as a point line (a comma- or tab-separated .txt). Fills ctx's layout, delimiter
// and columns; `header` says the first line is a header. False with `reason` when the
// columns are not all there.
bool DecideLayout(const std::vector<InputColumn>& inputs, const LayoutChoice& choice, const std::string& path,
                  std::string_view chunk, FileContext& ctx, bool& header, std::string& reason);

// A whole-line remark of a point file (also of one written with commas or tabs): its first
// byte past the blanks is '#'. It passes through as it stands, as a blank line does.
bool IsRemarkLine(std::string_view line);

// Said after the reason of a point line that could not be read and holds a comma or a tab.
inline constexpr std::string_view kDelimitedHint = " (此行含逗号或制表符: 点文件的各项只以空格分隔)";
bool HasDelimiter(std::string_view line);

inline constexpr std::string_view kOpenQuote = "引号不成对!";

}  // namespace vantrel::batch
