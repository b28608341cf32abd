#include "cli/options.h"

#include "batch/typed_angles.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <iostream>
#include <thread>

#include "batch/ellipsoids.h"
#include "batch/gauss_options.h"
#include "batch/typed_angles.h"
#include "common/file_replace.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/geodetic_gauss.h"

namespace vantrel::cli {

const char* const kFooter =
    "输入: 点文件 (点名 数值... 备注, 以空格分隔; # 开头的行为注释, 照抄; GBK 或 UTF-8, 按内容区分) 或 CSV\n"
    "  (逗号、分号或制表符分隔, 首行表头给出列名, 或用 --columns; 没有表头而以逗号或制表符分隔的 .txt\n"
    "  也按 CSV 读, 各列依次为 点名 与所需的数值); 文件名为 - 或不给时读标准输入。\n"
    "  平面坐标按测量习惯: x 为北坐标 (表头 x、X、N、northing、北坐标), y 为东坐标 (y、Y、E、easting、东坐标)。\n"
    "输出: 标准输出, 或 -o 文件 (先写临时文件, 全部成功才改名替换; 输出文件可以就是输入文件)。\n"
    "  布局、编码与输入相同, 每行的行尾与输入的该行相同; 点名、备注逐字节照抄。\n"
    "出错的行写到标准错误: 文件:行号: 原因。\n"
    "退出状态: 0 全部转换成功; 1 有数据行或文件不能转换; 2 用法错误。";

CLI::App* Registry::Add(const std::string& name, const std::string& text, std::function<int()> action) {
  CLI::App* sub = app.add_subcommand(name, text);
  // Made again now that the option defaults (their group name) are the program's.
  sub->set_help_flag("-h,--help", app.get_help_ptr()->get_description());
  sub->footer(kFooter);
  run[name] = std::move(action);
  return sub;
}

// ---------------------------------------------------------------- option groups

void AddIo(CLI::App* app, Io& io) {
  app->add_option("files", io.files, "输入文件 (- 为标准输入; 不给则读标准输入)")->type_name("FILE");
  app->add_option("-o,--output", io.output, "输出文件 (默认标准输出)")->type_name("FILE");
  app->add_option("--on-error", io.onError, "坏行: stop 停止 (默认, -o 文件不写) 或 skip 报告后跳过")->type_name("stop|skip");
  app->add_option("-j,--jobs", io.jobs, "计算线程数 (默认为处理器数; 1 只用一个线程; 输出保持输入顺序)")->type_name("N");
  app->add_flag("-q,--quiet", io.quiet, "不显示进度条 (进度条只在标准错误是终端时显示)");
  app->add_option("--format", io.format, "输入格式: points 点文件 或 csv (默认按文件名和首行判断)")->type_name("points|csv");
  app->add_option("--delimiter", io.delimiter, "CSV 分隔符: , ; 或 tab (默认按首行判断)")->type_name("CHAR");
  app->add_option("--columns", io.columns, "CSV 各列名, 逗号分隔 (此时文件无表头), 如 name,B,L,H")->type_name("LIST");
  app->add_option("--decimals", io.decimals, "长度值的小数位数 (默认同对话框)")->type_name("N");
}

void AddEllipsoid(CLI::App* app, Geo& g, std::string_view dflt) {
  g.ellipsoid = dflt;
  app->add_option("--ellipsoid", g.ellipsoid,
                  "参考椭球: " + batch::EllipsoidCodeText(", ", " 或 ") + " (CGCS2000) (默认 " +
                      std::string(dflt) + ")")
      ->type_name("CODE");
}

void AddAngles(CLI::App* app, Geo& g) {
  app->add_option("--angles", g.angles,
                  "文件中角度的写法: dms 度.分秒 D.MMSS (默认, 同对话框), deg 十进制度, rad 弧度")
      ->type_name("dms|deg|rad");
}

void AddLongitudeRange(CLI::App* app, Geo& g) {
  app->add_option("--lon-range", g.lonRange,
                  "写出的经度范围: 180 为 (-180°, 180°], 西经为负 (默认); 360 为 [0°, 360°), 同对话框。"
                  "纬度总在 -90° 到 90° 之间, 南纬为负")
      ->type_name("180|360");
}

void AddProjection(CLI::App* app, Geo& g, bool zones, bool anomaly) {
  app->add_option("--cm", g.cm, AngleOptionText("中央子午线"))->type_name("ANGLE");
  if (zones) {
    app->add_option("--zone-width", g.zoneWidth, "3 或 6: 按各点经度取所在投影带的中央子午线 (带号另起一列)")->type_name("3|6");
    app->add_flag("--zone-prefix", g.zonePrefix,
                  "带号写在 y 前面 (带号×1000000 + y), 不另起一列; 此时东偏默认 500 公里");
  }
  app->add_option("--false-easting", g.falseEasting, "东偏 (公里, 加在 y 上; 默认同对话框 0)")->type_name("KM");
  app->add_option("--false-northing", g.falseNorthing, "北偏 (公里, 加在 x 上; 默认 0)")->type_name("KM");
  app->add_option("--plane-height", g.planeHeight, "投影面高程 (米, 默认 0)")->type_name("M");
  if (anomaly)
    app->add_option("--anomaly", g.anomaly,
                    "大地水准面差距 (米), 或 auto 由54椭球模型逐点计算 (只用于54椭球, 默认 0)")
        ->type_name("M|auto");
}

void AddFalseOrigin(CLI::App* app, Geo& g, const std::string& easting, const std::string& northing) {
  app->add_option("--false-easting", g.falseEasting, easting)->type_name("KM");
  app->add_option("--false-northing", g.falseNorthing, northing)->type_name("KM");
  app->add_option("--plane-height", g.planeHeight, "投影面高程 (米, 默认 0)")->type_name("M");
}

void AddReportFiles(CLI::App* app, std::string& file, std::string& output, const std::string& fileText,
                    const std::string& outputText) {
  app->add_option("file", file, fileText)->type_name("FILE")->required();
  app->add_option("-o,--output", output, outputText)->type_name("FILE");
}

// ---------------------------------------------------------------- option values

double Number(const std::string& text, const std::string& option) {
  const auto v = ReadStrict(text);
  if (!v) throw UsageError(option + " 应为数值, 而不是 \"" + text + "\"");
  return *v;
}

double NumberOr(const std::string& text, const std::string& option, double dflt) {
  return text.empty() ? dflt : Number(text, option);
}

namespace {

std::vector<std::string> CommaItems(const std::string& text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

}  // namespace

std::vector<double> Numbers(const std::string& text, const std::string& option, std::size_t n) {
  std::vector<double> v;
  for (const std::string& item : CommaItems(text)) v.push_back(Number(item, option));
  if (n != 0 && v.size() != n) throw UsageError(option + " 应有 " + std::to_string(n) + " 个数值, 以逗号分隔");
  return v;
}

long WholeNumber(const std::string& text, const std::string& option, long lo, long hi) {
  const auto v = ReadStrict(text);
  if (!v || *v != std::floor(*v) || *v < lo || *v > hi)
    throw UsageError(option + " 应为 " + std::to_string(lo) + " 到 " + std::to_string(hi) + " 的整数, 而不是 \"" +
                     text + "\"");
  return static_cast<long>(*v);
}

double DmsOption(const std::string& text, const std::string& option) {
  const double v = Number(text, option);
  if (batch::PackedAngleStatus(v) != batch::Status::Ok) throw UsageError(option + " 应为度.分秒 D.MMSS (分、秒小于 60), 而不是 \"" + text + "\"");
  return v;
}

double AngleOption(const std::string& text, const std::string& option, AngleUnit unit) {
  return batch::AngleToRadians(unit == AngleUnit::Dms ? DmsOption(text, option) : Number(text, option), unit);
}

std::vector<double> AngleOptions(const std::string& text, const std::string& option, std::size_t n,
                                 AngleUnit unit) {
  std::vector<double> v;
  for (const std::string& item : CommaItems(text)) v.push_back(AngleOption(item, option, unit));
  if (n != 0 && v.size() != n) throw UsageError(option + " 应有 " + std::to_string(n) + " 个角度, 以逗号分隔");
  return v;
}

double PackedAngleOption(const std::string& text, const std::string& option, AngleUnit unit) {
  if (unit == AngleUnit::Dms) return DmsOption(text, option);
  double rad = AngleOption(text, option, unit);
  // As the Python module hands a meridian in radians to the component.
  return ReadLenient(Rad2dms_Buff(rad));
}

std::string AngleOptionText(const std::string& what) {
  return what + ", 写法同 --angles (默认度.分秒 D.MMSS; --angles deg 时为十进制度, rad 时为弧度)";
}

Ellipsoid EllipsoidCode(const std::string& code, const std::string& option) {
  const auto e = batch::EllipsoidByCode(code);
  if (!e) throw UsageError(option + " 应为 " + batch::EllipsoidCodeText("、", " 或 ") + ", 而不是 \"" + code + "\"");
  return *e;
}

Ellipsoid EllipsoidOf(const Geo& g) { return EllipsoidCode(g.ellipsoid, "--ellipsoid"); }

Ellipsoid ComponentEllipsoid(const Geo& g) {
  if (!batch::ComponentKnowsEllipsoid(g.ellipsoid))
    throw UsageError("--ellipsoid: " + batch::ComponentEllipsoidsMessage());
  return EllipsoidOf(g);
}

AngleUnit AnglesOf(const Geo& g) {
  if (g.angles == "dms") return AngleUnit::Dms;
  if (g.angles == "deg") return AngleUnit::Degrees;
  if (g.angles == "rad") return AngleUnit::Radians;
  throw UsageError("--angles 应为 dms、deg 或 rad");
}

batch::LongitudeRange LongitudeRangeOf(const Geo& g) {
  if (g.lonRange == "180") return batch::LongitudeRange::Signed;
  if (g.lonRange == "360") return batch::LongitudeRange::Turn;
  throw UsageError("--lon-range 应为 180 或 360");
}

int ZoneWidthOf(const Geo& g) {
  if (g.zoneWidth.empty()) return 0;
  if (g.zoneWidth == "3") return 3;
  if (g.zoneWidth == "6") return 6;
  throw UsageError("--zone-width 应为 3 或 6");
}

int DecimalsOf(const Io& io) {
  if (io.decimals.empty()) return -1;
  return static_cast<int>(WholeNumber(io.decimals, "--decimals", 0, 12));
}

batch::RunOptions RunOptionsOf(const Io& io) {
  batch::RunOptions o;
  o.inputs = io.files.empty() ? std::vector<std::string>{"-"} : io.files;
  o.output = io.output;
  o.strict = io.strict;
  if (io.onError == "skip") {
    o.skipBadLines = true;
  } else if (io.onError != "stop") {
    throw UsageError("--on-error 应为 stop 或 skip");
  }
  // The blocks are written in input order whatever the count, so all processors by default.
  const long jobs = io.jobs.empty() ? 0 : WholeNumber(io.jobs, "--jobs", 0, 256);
  o.jobs = jobs == 0 ? std::max(1u, std::thread::hardware_concurrency()) : static_cast<unsigned>(jobs);
  o.quiet = io.quiet;
  if (io.format == "points") {
    o.layout = batch::Layout::Points;
  } else if (io.format == "csv") {
    o.layout = batch::Layout::Csv;
  } else if (!io.format.empty()) {
    throw UsageError("--format 应为 points 或 csv");
  }
  if (io.delimiter == "tab" || io.delimiter == "\t") {
    o.delimiter = '\t';
  } else if (io.delimiter == "," || io.delimiter == ";") {
    o.delimiter = io.delimiter[0];
  } else if (!io.delimiter.empty()) {
    throw UsageError("--delimiter 应为 , ; 或 tab");
  }
  if (!io.columns.empty()) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = io.columns.find(',', start);
      o.columns.push_back(io.columns.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (o.layout == batch::Layout::Points) throw UsageError("--columns 只用于 CSV");
  }
  return o;
}

// The projection options, each refused in its own name; the rules among them are the batch
// layer's, met in the dialog's order.
batch::GaussParams GaussParamsOf(const Geo& g) {
  using batch::GaussRule;
  batch::GaussChoice c;
  c.ellipsoid = EllipsoidOf(g);
  c.zoneWidth = ZoneWidthOf(g);
  c.zonePrefix = g.zonePrefix;
  c.meridian = !g.cm.empty();
  c.anomaly = !g.anomaly.empty();
  switch (batch::BrokenGaussRule(c)) {
    case GaussRule::Kept: break;
    case GaussRule::MeridianAndZoneWidth: throw UsageError("--cm 和 --zone-width 只能给一个");
    case GaussRule::NoMeridianNorZone: throw UsageError("需要 --cm (中央子午线) 或 --zone-width 3|6");
    case GaussRule::PrefixWithoutZones: throw UsageError("--zone-prefix 需要 --zone-width");
    case GaussRule::AnomalyOff54: throw UsageError("--anomaly 只用于54椭球 (同 大地坐标－高斯坐标 对话框)");
  }
  const double height = Number(g.planeHeight, "--plane-height");
  double anomaly = 0;
  const bool automatic = IsAutoAnomaly(g.anomaly);
  if (!g.anomaly.empty() && !automatic) {
    const auto v = ReadStrict(g.anomaly);
    if (!v) throw UsageError("--anomaly 应为数值 (米) 或 auto, 而不是 \"" + g.anomaly + "\"");
    anomaly = *v;
  }
  const double meridian = c.zoneWidth != 0 ? 0 : AngleOption(g.cm, "--cm", AnglesOf(g));
  const double north = NumberOr(g.falseNorthing, "--false-northing", 0);
  std::optional<double> east;
  if (!g.falseEasting.empty()) east = Number(g.falseEasting, "--false-easting");
  batch::GaussParams p =
      batch::GaussParamsFor(c, meridian, north, east ? &*east : nullptr, height, anomaly, automatic);
  p.longitudes = LongitudeRangeOf(g);
  if (!batch::PrefixReadable(p)) {
    const batch::FalseEastingRange r = batch::PrefixFalseEastings(p);
    throw UsageError("--zone-prefix 时 --false-easting 应在 " + GeneralNumberText(r.lowKm) + " 到 " +
                     GeneralNumberText(r.highKm) + " 公里之间, y 前面的带号才能读回");
  }
  return p;
}

// ---------------------------------------------------------------- running

volatile sig_atomic_t g_stop = 0;

namespace {
void OnSignal(int) { g_stop = 1; }
}  // namespace

void StopOnSignals() {
  struct sigaction stop {};
  stop.sa_handler = OnSignal;
  stop.sa_flags = SA_RESETHAND;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &stop, nullptr);
}

int BatchRun::Run(const batch::Command& command) {
  // An interrupted run stops between blocks, so that -o leaves no temporary file behind;
  // a second interrupt (while waiting on a terminal, say) ends the program at once.
  StopOnSignals();
  options.cancel = &g_stop;
  const auto formats = PrepareFormats(io_, command, options);
  if (!formats) return 1;
  const batch::RunResult r = batch::RunCommand(command, options);
  for (const auto& [warning, count] : r.warnings)
    Say("警告: " + batch::WarnedCountText(warning, count) + " 用 --strict 可把这些点作为错误行。");
  return r.exitCode;
}

bool WriteOut(int fd, const std::string& s) { return WriteAll(fd, s) == 0; }

void Say(const std::string& s) { WriteOut(2, s + "\n"); }

namespace {

// The first character of a UTF-8 text that GBK has no code for ("" when there is none):
// a report file written as GBK would show it as '?'.
std::string FirstNotInGbk(std::string_view utf8) {
  if (GbkToUtf8(Utf8ToGbk(utf8)) == utf8) return "";
  for (size_t i = 0, len; i < utf8.size(); i += len) {
    const unsigned char c = utf8[i];
    len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    const std::string_view ch = utf8.substr(i, len);
    if (GbkToUtf8(Utf8ToGbk(ch)) != ch) return std::string(ch);
  }
  return std::string(utf8);
}

}  // namespace

bool Deliver(const std::string& output, const std::vector<std::string>& lines, const std::string* html) {
  std::string bytes;
  if (html) {
    bytes = *html;
  } else {
    for (size_t i = 0; i < lines.size(); ++i) {
      const std::string& l = lines[i];
      if (output.empty()) {
        bytes += l + "\n";
        continue;
      }
      if (const std::string bad = FirstNotInGbk(l); !bad.empty()) {
        Say(output + ": 第" + std::to_string(i + 1) + "行的 “" + bad +
            "” GBK 里没有, 不能写成 GBK 文字文件 (不写 -o 则以 UTF-8 写到标准输出)");
        return false;
      }
      bytes += Utf8ToGbk(l) + "\r\n";
    }
  }
  if (output.empty()) {
    if (WriteOut(1, bytes)) return true;
    Say("不能写到标准输出");
    return false;
  }
  FileReplacement file(output);
  if (file.Write(bytes) && file.Commit()) return true;
  Say(batch::CannotWriteMessage(output, file.error()));
  return false;
}

std::optional<std::string> InputBytes(const std::string& path) {
  if (path != "-") {
    FileBytesResult f = ReadFileBytes(path);
    if (f.ok) return std::move(f.bytes);
    Say(path + ": " + f.error);
    return std::nullopt;
  }
  std::string bytes;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(0, buf, sizeof buf);
    if (n == 0) return bytes;
    if (n < 0) {
      if (errno == EINTR) continue;
      Say(std::string(batch::kStdinName) + ": 不能读取");
      return std::nullopt;
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
}

}  // namespace vantrel::cli
