#include "batch/layout.h"

#include <algorithm>

#include "common/line_reader.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

bool HasExtension(std::string_view path, std::string_view ext) {
  if (path.size() < ext.size()) return false;
  return SameColumnName(path.substr(path.size() - ext.size()), ext);
}

bool IsNumber(std::string_view text) { return !text.empty() && ReadStrict(text).has_value(); }

// A name followed by `count` numbers, by the point-file rule.
bool ReadsAsPointLine(std::string_view line, std::size_t count) {
  TakeWord(line);
  for (std::size_t k = 0; k < count; ++k)
    if (!IsNumber(TakeWord(line))) return false;
  return true;
}

// A name followed by `count` numbers, as fields split at `delimiter`.
bool ReadsAsFields(std::string_view line, char delimiter, std::size_t count) {
  std::vector<CsvField> fields;
  if (!SplitCsv(line, delimiter, fields) || fields.size() < count + 1) return false;
  for (std::size_t k = 1; k <= count; ++k)
    if (!IsNumber(TrimBlanks(fields[k].text))) return false;
  return true;
}

}  // namespace

bool MatchesColumn(const InputColumn& c, std::string_view header, bool exact) {
  auto same = [&](std::string_view name) {
    if (!exact) return SameColumnName(header, name);
    std::string_view h = TrimBlanks(header);
    if (h.size() >= 2 && h.front() == '"' && h.back() == '"') h = TrimBlanks(h.substr(1, h.size() - 2));
    return h == name;
  };
  if (same(c.name)) return true;
  for (const auto& a : c.aliases)
    if (same(a)) return true;
  return false;
}

bool IsRemarkLine(std::string_view line) {
  const std::size_t i = line.find_first_not_of(" \t");
  return i != std::string_view::npos && line[i] == '#';
}

bool HasDelimiter(std::string_view line) { return line.find_first_of(",\t") != std::string_view::npos; }

bool DecideLayout(const std::vector<InputColumn>& inputs, const LayoutChoice& o, const std::string& path,
                  std::string_view chunk, FileContext& ctx, bool& header, std::string& reason) {
  header = false;
  LineCursor cursor(chunk);
  std::string_view firstLine;
  cursor.Next(firstLine);
  // A UTF-8 byte-order mark is no part of the first column's name.
  if (firstLine.substr(0, 3) == "\xEF\xBB\xBF") firstLine.remove_prefix(3);
  std::vector<CsvField> fields;
  bool positional = false;
  if (o.layout) {
    ctx.layout = *o.layout;
  } else if (!o.columns.empty() || HasExtension(path, ".csv") || HasExtension(path, ".tsv")) {
    ctx.layout = Layout::Csv;
  } else {
    // A first line that names a column of this command, and is no line of data, is a CSV
    // header ("P1<tab>31<tab>121<tab>E" is a point whose remark is E).
    ctx.layout = Layout::Points;
    const char d = o.delimiter.value_or(GuessDelimiter(firstLine));
    if (firstLine.find(d) != std::string_view::npos && SplitCsv(firstLine, d, fields) &&
        !ReadsAsPointLine(firstLine, inputs.size()) && !ReadsAsFields(firstLine, d, inputs.size())) {
      for (const auto& f : fields)
        for (const auto& c : inputs)
          if (MatchesColumn(c, f.text)) ctx.layout = Layout::Csv;
    }
    if (ctx.layout == Layout::Points) {
      // No header: the first point line decides between spaces and delimited fields.
      std::string_view line = firstLine;
      while (IsBlank(line) || IsRemarkLine(line))
        if (!cursor.Next(line)) break;
      const char dl = o.delimiter.value_or(GuessDelimiter(line));
      if (!ReadsAsPointLine(line, inputs.size()) && ReadsAsFields(line, dl, inputs.size())) {
        ctx.layout = Layout::Csv;
        ctx.delimiter = dl;
        positional = true;
      }
    }
  }
  if (ctx.layout == Layout::Points) return true;
  // In CSV proper '#' may start a name; a point file written with commas keeps its remarks.
  ctx.remarkLines = positional;
  if (ctx.remarkLines) {
    // Delimited fields without a header: the name, then the inputs in the command's order.
    ctx.roleIndex.clear();
    for (std::size_t k = 0; k < inputs.size(); ++k) ctx.roleIndex.push_back(static_cast<int>(k + 1));
    ctx.firstRole = 1;
    return true;
  }
  ctx.delimiter = o.delimiter ? *o.delimiter : HasExtension(path, ".tsv") ? '\t' : GuessDelimiter(firstLine);
  std::vector<std::string_view> names;
  if (!o.columns.empty()) {
    for (const auto& c : o.columns) names.push_back(c);
  } else {
    header = true;
    if (!SplitCsv(firstLine, ctx.delimiter, fields)) {
      reason = std::string(kOpenQuote);
      return false;
    }
    for (const auto& f : fields) names.push_back(f.text);
  }
  ctx.roleIndex.clear();
  for (const auto& c : inputs) {
    // A name as written wins over one that differs only in case ("b" is not "B" when both
    // are there).
    int found = -1;
    for (bool exact : {true, false})
      for (std::size_t j = 0; j < names.size() && found < 0; ++j)
        if (MatchesColumn(c, names[j], exact)) found = static_cast<int>(j);
    if (found < 0) {
      reason = (header ? "表头中没有" : "--columns 中没有") + c.name + "列";
      return false;
    }
    ctx.roleIndex.push_back(found);
  }
  ctx.firstRole = *std::min_element(ctx.roleIndex.begin(), ctx.roleIndex.end());
  return true;
}

}  // namespace vantrel::batch
