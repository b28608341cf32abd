// The exchange formats on the conversion subcommands: --from-format and --to-format, and the
// DXF drawings of the adjustment reports.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "batch/exchange/exchange_input.h"
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
    if (const std::string why = batch::ExchangeInputProblem(*from, command); !why.empty()) throw UsageError(why);
    if (!options.columns.empty() || options.delimiter) throw UsageError("--columns、--delimiter 只用于 CSV 输入");
    for (std::string& path : options.inputs) {
      const std::string name = batch::InputName(path);
      std::optional<std::string> bytes = std::string();
      // A .dat streams line by line; the other formats are read whole.
      if (*from != batch::PointFormat::Dat && !(bytes = InputBytes(path))) return nullptr;
      batch::ExchangeInput input;
      std::string error;
      if (!batch::PrepareExchangeInput(*from, *bytes, name, command, input, error)) {
        Say(error);
        return nullptr;
      }
      options.layout = input.layout;
      options.delimiter = input.delimiter;
      options.columns = input.columns;
      source = input.source;
      if (*from == batch::PointFormat::Dat) continue;
      auto csv = std::make_unique<PointsAsCsv>();
      csv->source = input.lines;
      csv->fd = ::memfd_create("vantrel-points", MFD_CLOEXEC);
      if (csv->fd < 0 || !WriteOut(csv->fd, input.csv)) throw UsageError(name + ": 不能建立临时内存文件");
      csv->path = "/proc/self/fd/" + std::to_string(csv->fd);
      path = csv->path;
      options.sources[csv->path] = csv->source;
      plumbing->files.push_back(std::move(csv));
    }
    if (options.inputs.empty() && *from == batch::PointFormat::Dat) {
      options.layout = batch::Layout::Csv;
      options.delimiter = ',';
      options.columns = {"name", "code", "y", "x", "H"};
      source = {1, 4};
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
