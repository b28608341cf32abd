#include "batch/exchange/exchange_input.h"

#include <algorithm>
#include <cmath>

#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

bool ExchangeInputReads(const Command& c, std::string_view name) {
  return std::any_of(c.inputs.begin(), c.inputs.end(), [&](const InputColumn& i) {
    return i.name == name || std::find(i.aliases.begin(), i.aliases.end(), name) != i.aliases.end();
  });
}

std::string ExchangeTabFree(const std::string& s) {
  std::string t = s;
  std::replace(t.begin(), t.end(), '\t', ' ');
  return t;
}

}  // namespace

std::string ExchangeInputProblem(PointFormat format, const Command& command) {
  const bool geographic = IsGeographicFormat(format);
  if (ExchangeInputReads(command, geographic ? "B" : "x") && ExchangeInputReads(command, geographic ? "L" : "y"))
    return "";
  return std::string(PointFormatName(format)) +
         (geographic ? " 文件存的是经纬度, 这个命令读的不是 B L" : " 文件存的是平面坐标, 这个命令读的不是 x y");
}

bool PrepareExchangeInput(PointFormat format, std::string_view bytes, const std::string& name,
                          const Command& command, ExchangeInput& input, std::string& error) {
  const bool geographic = IsGeographicFormat(format);
  const char* a = geographic ? "B" : "x";
  const char* b = geographic ? "L" : "y";
  error = ExchangeInputProblem(format, command);
  if (!error.empty()) return false;
  input = {};
  if (format == PointFormat::Dat) {
    // Read line by line as CSV: east before north, as the mapping software writes.
    input.delimiter = ',';
    input.columns = {"name", "code", "y", "x", "H"};
    input.source = {1, 4};
    return true;
  }
  const ExchangeRead read = ReadExchangePoints(bytes, name, format);
  if (!read.ok) {
    error = read.error;
    return false;
  }
  input.delimiter = '\t';
  input.source = {4, 3};
  input.lines.name = name;
  input.csv = std::string("name\t") + a + "\t" + b + "\tH\tcode\tremark\n";
  input.lines.lines.push_back(1);  // the header
  const ExchangePoints& p = read.points;
  for (std::size_t i = 0; i < p.size(); ++i) {
    // Geographic files give longitude first; the commands read B (latitude) first.
    const double first = geographic ? p.y[i] : p.x[i], second = geographic ? p.x[i] : p.y[i];
    input.csv += ExchangeTabFree(p.names[i]) + "\t" + GeneralNumberText(first) + "\t" + GeneralNumberText(second) +
                 "\t" + (std::isnan(p.h[i]) ? std::string() : GeneralNumberText(p.h[i])) + "\t" +
                 ExchangeTabFree(p.codes[i]) + "\t" + ExchangeTabFree(p.remarks[i]) + "\n";
    input.lines.lines.push_back(read.lines[i]);
  }
  return true;
}

}  // namespace vantrel::batch
