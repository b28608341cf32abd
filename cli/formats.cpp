// The exchange formats on the conversion subcommands: --from-format and --to-format, and the
// DXF drawings of the adjustment reports.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "batch/exchange/row_writers.h"
#include "cli/options.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::cli {

namespace {

const char* const kFormatNames = "dat|dxf|geojson|kml";

std::optional<batch::PointFormat> FormatOption(const std::string& text, const std::string& option) {
  if (text.empty()) return std::nullopt;
  const auto f = batch::PointFormatByName(text);
  if (!f) throw UsageError(option + " 应为 dat、dxf、geojson 或 kml, 而不是 \"" + text + "\"");
  return f;
}

bool HasInput(const batch::Command& c, std::string_view name) {
  return std::any_of(c.inputs.begin(), c.inputs.end(), [&](const batch::InputColumn& i) {
    return i.name == name || std::find(i.aliases.begin(), i.aliases.end(), name) != i.aliases.end();
  });
}

// A CSV (tab-separated) of a file's points in an unnamed in-memory file the stream reads by
// its /proc path; the line of each point in the original file goes with it for messages.
struct PointsAsCsv {
  int fd = -1;
  std::string path;
  batch::RunOptions::Source source;
  ~PointsAsCsv() {
    if (fd >= 0) ::close(fd);
  }
};

std::string TabFreeText(const std::string& s) {
  std::string t = s;
  std::replace(t.begin(), t.end(), '\t', ' ');
  return t;
}

}  // namespace

void AddFormats(CLI::App* app, Io& io) {
  app->add_option("--from-format", io.fromFormat,
                  "输入为交换格式: dat (点名,编码,Y东,X北,高程), dxf (POINT 与其后的 TEXT 点名), geojson 或 kml "
                  "(经度在前, 十进制度); 默认按扩展名 .dat .dxf .geojson .kml 判断")
      ->type_name(kFormatNames);
  app->add_option("--to-format", io.toFormat,
                  "输出写成交换格式 (默认与输入格式相同): dat、dxf 需要算出平面坐标 x y; geojson、kml 需要算出经纬度 B L "
                  "(WGS 84 或 CGCS2000), 经度在前")
      ->type_name(kFormatNames);
}

std::optional<batch::PointFormat> InputFormatOf(const Io& io) {
  if (const auto f = FormatOption(io.fromFormat, "--from-format")) return f;
  std::optional<batch::PointFormat> found;
  for (std::size_t i = 0; i < io.files.size(); ++i) {
    const auto f = batch::PointFormatOfPath(io.files[i]);
    if (i > 0 && f != found) throw UsageError("各输入文件的格式不同; 用 --from-format 指定, 或分开转换");
    found = f;
  }
  return found;
}

bool GeographicInput(const Io& io) {
  const auto f = InputFormatOf(io);
  return f && batch::IsGeographicFormat(*f);
}

struct FormatPlumbing {
  std::unique_ptr<batch::RowWriter> writer;
  std::vector<std::unique_ptr<PointsAsCsv>> files;
};

std::shared_ptr<FormatPlumbing> PrepareFormats(const Io& io, const batch::Command& command,
                                               batch::RunOptions& options) {
  auto plumbing = std::make_shared<FormatPlumbing>();
  const auto from = InputFormatOf(io);
  auto to = FormatOption(io.toFormat, "--to-format");
  if (!to) to = from;
  if (!from && !to) return plumbing;
  batch::RowSource source;
  if (from) {
    const bool geographic = batch::IsGeographicFormat(*from);
    const char* a = geographic ? "B" : "x";
    const char* b = geographic ? "L" : "y";
    if (!HasInput(command, a) || !HasInput(command, b))
      throw UsageError(std::string(batch::PointFormatName(*from)) +
                       (geographic ? " 文件存的是经纬度, 这个命令读的不是 B L" : " 文件存的是平面坐标, 这个命令读的不是 x y"));
    if (!options.columns.empty() || options.delimiter) throw UsageError("--columns、--delimiter 只用于 CSV 输入");
    if (*from == batch::PointFormat::Dat) {
      // Streamed line by line as CSV: east before north, as the mapping software writes.
      options.layout = batch::Layout::Csv;
      options.delimiter = ',';
      options.columns = {"name", "code", "y", "x", "H"};
      source = {1, 4};
    } else {
      // DXF, GeoJSON and KML are read whole, then go through the stream as CSV.
      for (std::string& path : options.inputs) {
        const std::string name = batch::InputName(path);
        const auto bytes = InputBytes(path);
        if (!bytes) return nullptr;
        const batch::ExchangeRead read = batch::ReadExchangePoints(*bytes, name, *from);
        if (!read.ok) {
          Say(read.error);
          return nullptr;
        }
        auto csv = std::make_unique<PointsAsCsv>();
        csv->source.name = name;
        std::string text = std::string("name\t") + a + "\t" + b + "\tH\tcode\tremark\n";
        csv->source.lines.push_back(1);  // the header
        const batch::ExchangePoints& p = read.points;
        for (std::size_t i = 0; i < p.size(); ++i) {
          // Geographic files give longitude first; the commands read B (latitude) first.
          const double first = geographic ? p.y[i] : p.x[i], second = geographic ? p.x[i] : p.y[i];
          text += TabFreeText(p.names[i]) + "\t" + GeneralNumberText(first) + "\t" + GeneralNumberText(second) + "\t" +
                  (std::isnan(p.h[i]) ? std::string() : GeneralNumberText(p.h[i])) + "\t" + TabFreeText(p.codes[i]) +
                  "\t" + TabFreeText(p.remarks[i]) + "\n";
          csv->source.lines.push_back(read.lines[i]);
        }
        csv->fd = ::memfd_create("vantrel-points", MFD_CLOEXEC);
        if (csv->fd < 0 || !WriteOut(csv->fd, text)) throw UsageError(name + ": 不能建立临时内存文件");
        csv->path = "/proc/self/fd/" + std::to_string(csv->fd);
        path = csv->path;
        options.sources[csv->path] = csv->source;
        plumbing->files.push_back(std::move(csv));
      }
      options.layout = batch::Layout::Csv;
      options.delimiter = '\t';
      source = {4, 3};
    }
  }
  if (to) {
    std::string error;
    plumbing->writer = batch::MakeRowWriter(*to, command, source, error);
    // Without --to-format the output keeps the input's format when it can hold the results
    // (.dat to .dat); else it comes out as the CSV the input was read as.
    if (!plumbing->writer && !io.toFormat.empty())
      throw UsageError("--to-format " + std::string(batch::PointFormatName(*to)) + ": " + error);
    options.rowWriter = plumbing->writer.get();
  }
  return plumbing;
}

}  // namespace vantrel::cli
