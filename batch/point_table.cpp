#include "batch/point_table.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "batch/commands.h"
#include "common/line_reader.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

constexpr std::string_view kFormatFault = "数据格式有错";
constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

const InputColumn kNameColumn{"name", {"点名", "点号", "id", "point"}, {}, {}};

PointTableRead Fault(std::uint64_t line, std::string reason) {
  PointTableRead r;
  r.line = line;
  r.reason = std::move(reason);
  return r;
}

// Name, the numbers after it as far as they go, the rest as the remark.
bool ReadPointLine(std::string_view line, PointTable& t) {
  std::string_view rest = line;
  const std::string_view name = TakeWord(rest);
  std::vector<double> numbers;
  for (;;) {
    const std::string_view before = rest;
    const std::string_view word = TakeWord(rest);
    const auto v = word.empty() ? std::nullopt : ReadStrict(word);
    if (!v) {
      rest = before;
      break;
    }
    numbers.push_back(*v);
  }
  if (name.empty() || numbers.size() < 2) return false;
  t.names.push_back(name);
  t.remarks.emplace_back(TrimBlanks(rest));
  t.values.push_back(std::move(numbers));
  return true;
}

struct Row {
  std::uint64_t line;
  std::vector<CsvField> fields;
};

std::string_view FieldText(const Row& row, std::size_t j) {
  return j < row.fields.size() ? TrimBlanks(row.fields[j].text) : std::string_view();
}

}  // namespace

PointTableRead ReadPointTable(std::string_view bytes, const std::string& path, const LayoutChoice& choice) {
  const std::vector<InputColumn> plane = {NorthingColumn(kFormatFault), EastingColumn(kFormatFault)};
  FileContext ctx;
  bool header = false;
  std::string reason;
  PointTableRead read;
  PointTable& t = read.table;
  if (!bytes.empty() && !DecideLayout(plane, choice, path, bytes, ctx, header, reason)) return Fault(1, reason);
  t.layout = ctx.layout;

  LineCursor cursor(bytes);
  std::uint64_t number = 0;
  std::string_view headerLine;
  std::vector<Row> rows;
  for (std::string_view line; cursor.Next(line);) {
    ++number;
    if (number == 1 && header) {
      headerLine = line;
      continue;
    }
    if (IsBlank(line) || (ctx.remarkLines && IsRemarkLine(line))) continue;
    if (ctx.layout == Layout::Points) {
      if (!ReadPointLine(line, t)) return Fault(number, std::string(kFormatFault));
      t.lines.push_back(number);
      continue;
    }
    Row row{number, {}};
    if (!SplitCsv(line, ctx.delimiter, row.fields)) return Fault(number, std::string(kOpenQuote));
    rows.push_back(std::move(row));
  }
  if (ctx.layout == Layout::Points) {
    read.ok = true;
    return read;
  }

  // Delimited: the name column by its header (else the first that is not x or y), x and y
  // where the layout found them, then the columns of numbers; the rest is the remark.
  std::vector<std::string_view> names;
  if (header) {
    std::vector<CsvField> fields;
    SplitCsv(headerLine.substr(headerLine.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0), ctx.delimiter, fields);
    for (const auto& f : fields) names.push_back(f.text);
  } else {
    for (const auto& c : choice.columns) names.push_back(c);
  }
  std::size_t width = names.size();
  for (const Row& r : rows) width = std::max(width, r.fields.size());
  const auto x = static_cast<std::size_t>(ctx.roleIndex[0]), y = static_cast<std::size_t>(ctx.roleIndex[1]);
  std::size_t nameAt = width;
  for (std::size_t j = 0; j < names.size() && nameAt == width; ++j)
    if (MatchesColumn(kNameColumn, names[j])) nameAt = j;
  for (std::size_t j = 0; j < width && nameAt == width; ++j)
    if (j != x && j != y) nameAt = j;
  std::vector<std::size_t> valueColumns = {x, y}, remarkColumns;
  for (std::size_t j = 0; j < width; ++j) {
    if (j == x || j == y || j == nameAt) continue;
    const Row* firstNumber = nullptr;
    const Row* firstOther = nullptr;
    for (const Row& r : rows) {
      const std::string_view f = FieldText(r, j);
      if (f.empty()) continue;
      const Row*& first = ReadStrict(f) ? firstNumber : firstOther;
      if (!first) first = &r;
    }
    (firstOther ? remarkColumns : valueColumns).push_back(j);
    if (firstOther && firstNumber) {
      const std::string column = j < names.size() ? std::string(TrimBlanks(names[j])) : "第" + std::to_string(j + 1);
      t.notes.push_back(column + "列第" + std::to_string(firstOther->line) + "行的 \"" +
                        std::string(FieldText(*firstOther, j)) + "\" 不是数值, 整列作为备注");
    }
  }
  if (!names.empty())
    for (std::size_t j : valueColumns) t.columns.emplace_back(j < names.size() ? TrimBlanks(names[j]) : "");
  for (const Row& r : rows) {
    std::vector<double> v;
    for (std::size_t j : valueColumns) {
      const std::string_view f = FieldText(r, j);
      const auto d = f.empty() ? std::nullopt : ReadStrict(f);
      if (!d && v.size() < 2) return Fault(r.line, std::string(kFormatFault));
      v.push_back(d ? *d : kNoNumber);
    }
    t.values.push_back(std::move(v));
    t.names.push_back(nameAt < r.fields.size() ? TrimBlanks(r.fields[nameAt].text) : std::string_view());
    std::string remark;
    for (std::size_t k = 0; k < remarkColumns.size() && remarkColumns[k] < r.fields.size(); ++k) {
      if (k > 0) remark += ctx.delimiter;
      remark += r.fields[remarkColumns[k]].raw;
    }
    t.remarks.emplace_back(TrimBlanks(remark));
    t.lines.push_back(r.line);
  }
  read.ok = true;
  return read;
}

}  // namespace vantrel::batch
