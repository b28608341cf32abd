// vantrel-cli: the calculator's conversions over whole point files and CSV, from the shell.
// Arguments through CLI11; every number through the routines and text rules the dialogs
// use (batch/); exit status 0 all converted, 1 bad data or a file that failed, 2 usage.
#include <CLI/CLI.hpp>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "batch/commands.h"
#include "batch/ellipsoids.h"
#include "batch/nmea.h"
#include "batch/plane_fit.h"
#include "batch/seven_estimation.h"
#include "batch/stream.h"
#include "batch/traverse_file.h"
#include "batch/traverse_report.h"
#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/geodetic_gauss.h"
#include "tandrel/receive_buffer.h"
#include "tandrel/sentences.h"
#include "tandrel/serial_port.h"

namespace vantrel::cli {
namespace {

using batch::AngleUnit;

// A wrong argument: told in a sentence, exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const char* const kFooter =
    "输入: 点文件 (点名 数值... 备注, 以空格分隔; GBK 或 UTF-8, 按内容区分) 或 CSV\n"
    "  (逗号、分号或制表符分隔, 首行表头给出列名, 或用 --columns); 文件名为 - 或不给时读标准输入。\n"
    "输出: 标准输出, 或 -o 文件 (先写临时文件, 全部成功才改名替换; 输出文件可以就是输入文件)。\n"
    "  布局、编码、行尾与输入相同; 点名、备注逐字节照抄。\n"
    "出错的行写到标准错误: 文件:行号: 原因。\n"
    "退出状态: 0 全部转换成功; 1 有数据行或文件不能转换; 2 用法错误。";

const char* const kTraverseFooter =
    "导线观测文件: 每项以空格分隔, GBK 或 UTF-8, # 后为注释; 角度、方位角为度.分秒 D.MMSS, 坐标、距离为米。\n"
    "  导线 闭合|附合 左角|右角;  起点 B X Y;  后视 A X Y 或 起始方位 D.MMSS;\n"
    "  附合: 终点 C X Y, 前视 D X Y 或 终止方位 D.MMSS;  闭合: 连接角 D.MMSS 或 首边方位 D.MMSS;\n"
    "  其余每行一个测站, 按前进顺序: 点名 观测角 到下一站的边长 (附合导线的终点无边长)。\n"
    "  详见 man vantrel-cli 与用户手册 /usr/share/vantrel/manual/index.html。\n"
    "输出: 标准输出 (UTF-8), 或 -o 文件 (文字计算表为 GBK、CR LF, 同计算器保存的文件; 网页为 UTF-8;\n"
    "  先写临时文件, 成功才改名替换)。\n"
    "角度闭合差超限时不平差: 原因写到标准错误, 不写 -o 文件 (--force 照样平差)。\n"
    "退出状态: 0 平差成功; 1 文件有错 (文件:行号: 原因) 或不能平差; 2 用法错误。";

const char* const kFit7Footer =
    "公共点文件: 每行一点, 点名 老坐标 新坐标, 以空格分隔, GBK 或 UTF-8, # 后为注释;\n"
    "  空间坐标 点名 X Y Z X' Y' Z' (米), 或 --geodetic 时 点名 B L H B' L' H' (度.分秒, 米)。至少 3 点, 不能共线。\n"
    "七参数同 七参数坐标转换 对话框: 平移 dX dY dZ (米), 尺度 m (ppm), 旋转 ex ey ez (秒);\n"
    "  结果最后一行 --params ... 可直接给 vantrel-cli seven。残差为新坐标减转换后的老坐标, 超过 3σ0 的点注明。\n"
    "输出: 标准输出 (UTF-8), 或 -o 文件 (GBK、CR LF; 先写临时文件, 成功才改名替换)。\n"
    "退出状态: 0 求得参数; 1 文件有错 (文件:行号: 原因) 或不能求 (公共点少于 3 个、共线); 2 用法错误。";

struct Io {
  std::vector<std::string> files;
  std::string output;
  std::string onError = "stop";
  std::string jobs = "1";
  bool quiet = false;
  std::string format;
  std::string delimiter;
  std::string columns;
  std::string decimals;
};

struct Geo {
  std::string ellipsoid;
  std::string angles = "dms";
  std::string cm;
  std::string zoneWidth;
  bool zonePrefix = false;
  std::string falseEasting;
  std::string falseNorthing;
  std::string planeHeight = "0";
  std::string anomaly;
  bool inverse = false;
};

void AddIo(CLI::App* app, Io& io, bool positional = true) {
  if (positional) app->add_option("files", io.files, "输入文件 (- 为标准输入; 不给则读标准输入)")->type_name("FILE");
  app->add_option("-o,--output", io.output, "输出文件 (默认标准输出)")->type_name("FILE");
  app->add_option("--on-error", io.onError, "坏行: stop 停止 (默认, -o 文件不写) 或 skip 报告后跳过")->type_name("stop|skip");
  app->add_option("-j,--jobs", io.jobs, "计算线程数 (默认 1, 0 为处理器数; 输出保持输入顺序)")->type_name("N");
  app->add_flag("-q,--quiet", io.quiet, "不显示进度条 (进度条只在标准错误是终端时显示)");
  app->add_option("--format", io.format, "输入格式: points 点文件 或 csv (默认按文件名和首行判断)")->type_name("points|csv");
  app->add_option("--delimiter", io.delimiter, "CSV 分隔符: , ; 或 tab (默认按首行判断)")->type_name("CHAR");
  app->add_option("--columns", io.columns, "CSV 各列名, 逗号分隔 (此时文件无表头), 如 name,B,L,H")->type_name("LIST");
  app->add_option("--decimals", io.decimals, "长度值的小数位数 (默认同对话框)")->type_name("N");
}

void AddEllipsoid(CLI::App* app, Geo& g, const char* dflt) {
  g.ellipsoid = dflt;
  app->add_option("--ellipsoid", g.ellipsoid,
                  std::string("参考椭球: 54, 80, 84 或 2000 (CGCS2000) (默认 ") + dflt + ")")
      ->type_name("CODE");
}

void AddAngles(CLI::App* app, Geo& g) {
  app->add_option("--angles", g.angles,
                  "文件中角度的写法: dms 度.分秒 D.MMSS (默认, 同对话框), deg 十进制度, rad 弧度")
      ->type_name("dms|deg|rad");
}

void AddProjection(CLI::App* app, Geo& g, bool zones, bool anomaly) {
  app->add_option("--cm", g.cm, "中央子午线, 度.分秒 D.MMSS")->type_name("D.MMSS");
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

// ---------------------------------------------------------------- option values

double Number(const std::string& text, const std::string& option) {
  const auto v = ReadStrict(text);
  if (!v) throw UsageError(option + " 应为数值, 而不是 \"" + text + "\"");
  return *v;
}

double NumberOr(const std::string& text, const std::string& option, double dflt) {
  return text.empty() ? dflt : Number(text, option);
}

std::vector<double> Numbers(const std::string& text, const std::string& option, std::size_t n) {
  std::vector<double> v;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    v.push_back(Number(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), option));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (v.size() != n) throw UsageError(option + " 应有 " + std::to_string(n) + " 个数值, 以逗号分隔");
  return v;
}

Ellipsoid EllipsoidCode(const std::string& code, const std::string& option) {
  const auto e = batch::EllipsoidByCode(code);
  if (!e) throw UsageError(option + " 应为 54、80、84 或 2000, 而不是 \"" + code + "\"");
  return *e;
}

Ellipsoid EllipsoidOf(const Geo& g) { return EllipsoidCode(g.ellipsoid, "--ellipsoid"); }

// The component methods know the calculator's three codes only.
std::string ComponentEllipsoid(const Geo& g) {
  if (!batch::ComponentKnowsEllipsoid(g.ellipsoid))
    throw UsageError("--ellipsoid: " + std::string(batch::kComponentEllipsoidsMessage));
  return g.ellipsoid;
}

AngleUnit AnglesOf(const Geo& g) {
  if (g.angles == "dms") return AngleUnit::Dms;
  if (g.angles == "deg") return AngleUnit::Degrees;
  if (g.angles == "rad") return AngleUnit::Radians;
  throw UsageError("--angles 应为 dms、deg 或 rad");
}

int ZoneWidthOf(const Geo& g) {
  if (g.zoneWidth.empty()) return 0;
  if (g.zoneWidth == "3") return 3;
  if (g.zoneWidth == "6") return 6;
  throw UsageError("--zone-width 应为 3 或 6");
}

int DecimalsOf(const Io& io) {
  if (io.decimals.empty()) return -1;
  const double d = Number(io.decimals, "--decimals");
  if (d != std::floor(d) || d < 0 || d > 12) throw UsageError("--decimals 应为 0 到 12 的整数");
  return static_cast<int>(d);
}

batch::RunOptions RunOptionsOf(const Io& io) {
  batch::RunOptions o;
  o.inputs = io.files.empty() ? std::vector<std::string>{"-"} : io.files;
  o.output = io.output;
  if (io.onError == "skip") {
    o.skipBadLines = true;
  } else if (io.onError != "stop") {
    throw UsageError("--on-error 应为 stop 或 skip");
  }
  const double jobs = Number(io.jobs, "--jobs");
  if (jobs != std::floor(jobs) || jobs < 0 || jobs > 256) throw UsageError("--jobs 应为 0 到 256 的整数 (0 为处理器数)");
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

// The projection fields read as the 大地坐标－高斯坐标 dialog reads them, in its order and
// with its messages; a zone width instead of a central meridian leaves that to each point.
batch::GaussParams GaussParamsOf(const Geo& g) {
  batch::GaussParams p;
  p.ellipsoid = EllipsoidOf(g);
  p.zoneWidth = ZoneWidthOf(g);
  p.zonePrefix = g.zonePrefix;
  if (p.zoneWidth != 0 && !g.cm.empty()) throw UsageError("--cm 和 --zone-width 只能给一个");
  if (p.zoneWidth == 0 && g.cm.empty()) throw UsageError("需要 --cm (中央子午线) 或 --zone-width 3|6");
  if (p.zonePrefix && p.zoneWidth == 0) throw UsageError("--zone-prefix 需要 --zone-width");
  const bool is54 = g.ellipsoid == "54";
  if (!g.anomaly.empty() && !is54) throw UsageError("--anomaly 只用于54椭球 (同 大地坐标－高斯坐标 对话框)");
  ProjectionState s;
  const GaussSetup read =
      ReadGaussSetup(s, g.planeHeight, g.anomaly.empty() ? std::string("0") : g.anomaly, is54,
                     p.zoneWidth != 0 ? std::nullopt : std::optional<std::string_view>(g.cm));
  if (!read.message.empty()) throw UsageError(std::string(read.message));
  p.centralMeridian = s.CentralMeridian;
  p.planeHeight = s.PlaneHeight;
  p.anomaly = s.GeoidUndulation;
  p.autoAnomaly = read.automatic;
  p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
  p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", p.zonePrefix ? 500 : 0);
  return p;
}

// ---------------------------------------------------------------- nmea

struct NmeaOptions {
  std::string port;
  std::string baud = "9600";
  std::string count;
};

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

class NmeaWriter {
 public:
  NmeaWriter(const batch::GaussParams& p, AngleUnit angles, bool csv, int decimals, std::string lineEnd)
      : params_(p), angles_(angles), csv_(csv), pattern_(batch::DecimalsPattern(decimals < 0 ? 3 : decimals)),
        lineEnd_(std::move(lineEnd)) {}

  std::string Header() const {
    if (!csv_) return {};
    const bool zone = params_.zoneWidth != 0 && !params_.zonePrefix;
    return std::string("time,B,L,H,quality,satellites,hdop,x,y") + (zone ? ",zone" : "") + lineEnd_;
  }

  std::string Line(const batch::NmeaPosition& p) const {
    double x = 0, y = 0, zone = 0;
    batch::Status st = batch::Status::Ok;
    batch::GeodeticToGauss(params_, AngleUnit::Radians, std::span(&p.B, 1), std::span(&p.L, 1), std::span(&x, 1),
                           std::span(&y, 1), params_.zoneWidth != 0 && !params_.zonePrefix ? std::span(&zone, 1) : std::span<double>(),
                           {}, std::span(&st, 1));
    std::vector<std::string> items = {p.time,
                                      batch::AngleText(p.B, angles_),
                                      batch::AngleText(p.L, angles_),
                                      FormatPattern(p.H, pattern_),
                                      GeneralNumberText(p.quality),
                                      GeneralNumberText(p.satellites),
                                      GeneralNumberText(p.hdop),
                                      st == batch::Status::Ok ? FormatPattern(x, pattern_) : std::string(),
                                      st == batch::Status::Ok ? FormatPattern(y, pattern_) : std::string()};
    if (params_.zoneWidth != 0 && !params_.zonePrefix)
      items.push_back(st == batch::Status::Ok ? GeneralNumberText(zone) : std::string());
    std::string out;
    if (csv_) {
      for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    } else {
      out = PrintZones(items);
    }
    return out + lineEnd_;
  }

 private:
  batch::GaussParams params_;
  AngleUnit angles_;
  bool csv_;
  std::string pattern_;
  std::string lineEnd_;
};

bool WriteOut(int fd, const std::string& s) {
  std::string_view b = s;
  while (!b.empty()) {
    const ssize_t w = ::write(fd, b.data(), b.size());
    if (w < 0) return false;
    b.remove_prefix(static_cast<std::size_t>(w));
  }
  return true;
}

void Say(const std::string& s) { WriteOut(2, s + "\n"); }

int RunNmea(const Io& io, const Geo& g, const NmeaOptions& n) {
  const batch::GaussParams p = GaussParamsOf(g);
  const AngleUnit angles = AnglesOf(g);
  const batch::RunOptions ro = RunOptionsOf(io);
  const bool csv = io.format == "csv";
  const long limit = n.count.empty() ? 0 : static_cast<long>(Number(n.count, "--count"));
  NmeaWriter writer(p, angles, csv, DecimalsOf(io), csv ? "\n" : "\r\n");
  std::unique_ptr<FileReplacement> file;
  if (!io.output.empty()) file = std::make_unique<FileReplacement>(io.output);
  auto put = [&](const std::string& s) { return file ? file->Write(s) : WriteOut(1, s); };
  long positions = 0;
  bool failed = false;
  if (!put(writer.Header())) failed = true;
  auto handle = [&](const std::string& name, std::uint64_t line, batch::SentenceKind kind,
                    const batch::NmeaPosition& pos) {
    if (kind == batch::SentenceKind::Rejected) {
      failed = true;
      Say(name + ":" + (line ? std::to_string(line) + ":" : std::string()) + " " + std::string(batch::kRejectedSentence));
      return ro.skipBadLines;
    }
    if (kind == batch::SentenceKind::Position) {
      if (!put(writer.Line(pos))) return false;
      ++positions;
      if (limit > 0 && positions >= limit) return false;
    }
    return true;
  };
  bool stoppedByError = false;
  if (!n.port.empty()) {
    const double baud = Number(n.baud, "--baud");
    auto port = tandrel::CreateSerialPort(n.port, static_cast<int>(baud));
    if (!port->SetPortOpen(true)) {
      Say(n.port + ": 不能打开串口");
      return 1;
    }
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    tandrel::ReceiveBuffer buffer;
    bool go = true;
    while (go && !g_stop) {
      const std::string got = port->Input();
      if (got.empty()) {
        usleep(50000);
        continue;
      }
      buffer.Append(got);
      for (std::string aline; buffer.Next(tandrel::CutSentence, aline) == tandrel::ReceiveBuffer::Cut::Sentence;) {
        batch::NmeaPosition pos;
        const auto kind = batch::ReadSentence(aline, pos);
        if (!handle(n.port, 0, kind, pos)) {
          stoppedByError = kind == batch::SentenceKind::Rejected;
          go = false;
          break;
        }
      }
      buffer.Trim();
    }
    port->SetPortOpen(false);
  } else {
    bool go = true;
    for (const auto& path : ro.inputs) {
      const std::string name = path == "-" ? "<stdin>" : path;
      std::unique_ptr<LineReader> r = path == "-" ? std::make_unique<LineReader>(0) : std::make_unique<LineReader>(path, true);
      if (!r->ok()) {
        Say(name + ": 不能读取：" + r->error());
        failed = true;
        if (!ro.skipBadLines) {
          stoppedByError = true;
          break;
        }
        continue;
      }
      for (std::string_view line; go && r->Next(line);) {
        batch::NmeaPosition pos;
        const auto kind = batch::ReadLogLine(line, pos);
        if (!handle(name, r->lineNumber(), kind, pos)) {
          stoppedByError = kind == batch::SentenceKind::Rejected;
          go = false;
        }
      }
      if (!r->ok()) {
        Say(name + ": 不能读取：" + r->error());
        failed = true;
      }
      if (!go) break;
    }
  }
  if (file && !stoppedByError && !file->Commit()) {
    Say("不能写入" + io.output + "：" + file->error());
    return 1;
  }
  return failed ? 1 : 0;
}

// ---------------------------------------------------------------- reports

// A report to standard output as UTF-8 lines, or to -o FILE as the calculator saves its text
// files (GBK, CR LF); an HTML page is UTF-8 either way. The file is replaced only whole.
bool Deliver(const std::string& output, const std::vector<std::string>& lines, const std::string* html) {
  std::string bytes;
  if (html) {
    bytes = *html;
  } else {
    for (const auto& l : lines) bytes += output.empty() ? l + "\n" : Utf8ToGbk(l) + "\r\n";
  }
  if (output.empty()) {
    if (WriteOut(1, bytes)) return true;
    Say("不能写到标准输出");
    return false;
  }
  FileReplacement file(output);
  if (file.Write(bytes) && file.Commit()) return true;
  Say("不能写入" + output + "：" + file.error());
  return false;
}

// The name messages give a file: standard input is "<stdin>".
std::string InputName(const std::string& path) { return path == "-" ? "<stdin>" : path; }

// The bytes of a named file, or of standard input for "-"; a failure is told on stderr.
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
      Say("<stdin>: 不能读取");
      return std::nullopt;
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
}

struct TraverseArgs {
  std::string file;
  std::string allowance = "40";
  std::string step = "1";
  bool force = false;
  std::string report = "text";
};

int RunTraverse(const TraverseArgs& t, const std::string& output) {
  batch::TraverseOptions opt;
  opt.allowanceSeconds = Number(t.allowance, "--allowance");
  if (!(opt.allowanceSeconds > 0)) throw UsageError("--allowance 应为正数 (秒)");
  opt.correctionStepSeconds = Number(t.step, "--step");
  const double step = opt.correctionStepSeconds;
  if (!(step == 0 || (step >= 0.01 && step <= 60))) throw UsageError("--step 应为 0 或 0.01 至 60 (秒)");
  opt.force = t.force;
  if (t.report != "text" && t.report != "html") throw UsageError("--report 应为 text 或 html");
  const std::string name = InputName(t.file);
  const auto bytes = InputBytes(t.file);
  if (!bytes) return 1;
  const batch::TraverseFileResult read = batch::ParseTraverseText(*bytes, name);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  const batch::TraverseAdjustment adj = batch::AdjustTraverse(read.input, opt);
  if (!adj.ok) {
    Say(name + ": " + adj.error);
    return 1;
  }
  if (t.report == "html") {
    const std::string html = batch::TraverseReportHtml(read.input, adj);
    return Deliver(output, {}, &html) ? 0 : 1;
  }
  return Deliver(output, batch::TraverseReportText(read.input, adj), nullptr) ? 0 : 1;
}

struct Fit7Args {
  std::string file;
  bool geodetic = false;
  std::string fromEllipsoid, toEllipsoid;
  std::string paramsOut;
};

// The parameters as `seven --params` takes them: 15 significant digits, comma separated.
std::string ParamsText(const SevenParameters& p) {
  std::string s;
  for (double v : {p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez}) s += (s.empty() ? "" : ",") + GeneralNumberText(v);
  return s;
}

int RunFit7(const Fit7Args& f, const std::string& output) {
  std::optional<Ellipsoid> from, to;
  if (f.geodetic) {
    if (f.fromEllipsoid.empty() || f.toEllipsoid.empty())
      throw UsageError("--geodetic 需要 --ellipsoid (老坐标的椭球) 和 --to-ellipsoid (新坐标的椭球)");
    from = EllipsoidCode(f.fromEllipsoid, "--ellipsoid");
    to = EllipsoidCode(f.toEllipsoid, "--to-ellipsoid");
  } else if (!f.fromEllipsoid.empty() || !f.toEllipsoid.empty()) {
    throw UsageError("--ellipsoid 和 --to-ellipsoid 只用于 --geodetic (空间坐标不需要椭球)");
  }
  const std::string name = InputName(f.file);
  const auto bytes = InputBytes(f.file);
  if (!bytes) return 1;
  const batch::CommonPointFileResult read = batch::ParseCommonPointText(*bytes, name, f.geodetic);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  const batch::SevenEstimate e = f.geodetic ? batch::EstimateSevenParameters(read.geodetic, *from, *to)
                                            : batch::EstimateSevenParameters(read.space);
  if (!e.ok) {
    Say(name + ": " + e.error);
    return 1;
  }
  std::vector<std::string> lines = batch::SevenEstimateReportText(e);
  lines.push_back("");
  lines.push_back("用于 vantrel-cli seven 的参数:");
  lines.push_back("--params " + ParamsText(e.parameters));
  // The parameter file is put in place only after the report went out, so that a failed run
  // leaves neither.
  std::optional<FileReplacement> params;
  if (!f.paramsOut.empty() && !params.emplace(f.paramsOut).Write(ParamsText(e.parameters) + "\n")) {
    Say("不能写入" + f.paramsOut + "：" + params->error());
    return 1;
  }
  if (!Deliver(output, lines, nullptr)) return 1;
  if (params && !params->Commit()) {
    Say("不能写入" + f.paramsOut + "：" + params->error());
    return 1;
  }
  return 0;
}

// ---------------------------------------------------------------- the program

int Run(int argc, char** argv) {
  CLI::App app{"Vantrel 批量计算: 整个点文件或 CSV 的坐标转换 (与计算器对话框同一算法、同样位数), 导线平差, 由公共点求七参数。"};
  app.name("vantrel-cli");
  app.require_subcommand(1);
  app.footer(kFooter);
  app.get_formatter()->column_width(34);

  // Each subcommand has its own option values, so that each has its own defaults.
  struct Sub {
    CLI::App* app = nullptr;
    Io io;
    Geo g;
  };
  std::map<std::string, Sub> subs;
  auto sub = [&](const char* name, const std::string& text) -> Sub& {
    Sub& s = subs[name];
    s.app = app.add_subcommand(name, text);
    s.app->footer(kFooter);
    return s;
  };

  Sub& xyz2blh = sub("xyz2blh", "空间坐标 X Y Z → 大地坐标 B L H (对话框 空间坐标－大地坐标)");
  AddIo(xyz2blh.app, xyz2blh.io);
  AddEllipsoid(xyz2blh.app, xyz2blh.g, "54");
  AddAngles(xyz2blh.app, xyz2blh.g);

  Sub& blh2xyz = sub("blh2xyz", "大地坐标 B L H → 空间坐标 X Y Z (对话框 空间坐标－大地坐标)");
  AddIo(blh2xyz.app, blh2xyz.io);
  AddEllipsoid(blh2xyz.app, blh2xyz.g, "54");
  AddAngles(blh2xyz.app, blh2xyz.g);

  Sub& blh2gauss = sub("blh2gauss",
                            "大地坐标 B L → 高斯坐标 x y, 投影面抬高 (对话框 大地坐标－高斯坐标)");
  AddIo(blh2gauss.app, blh2gauss.io);
  AddEllipsoid(blh2gauss.app, blh2gauss.g, "54");
  AddAngles(blh2gauss.app, blh2gauss.g);
  AddProjection(blh2gauss.app, blh2gauss.g, true, true);

  Sub& gauss2blh = sub("gauss2blh",
                            "高斯坐标 x y [带号] → 大地坐标 B L (对话框 大地坐标－高斯坐标)");
  AddIo(gauss2blh.app, gauss2blh.io);
  AddEllipsoid(gauss2blh.app, gauss2blh.g, "54");
  AddAngles(gauss2blh.app, gauss2blh.g);
  AddProjection(gauss2blh.app, gauss2blh.g, true, true);

  std::string toCm;
  Sub& zone = sub("zone", "高斯坐标换带: x y 从 --cm 带换到 --to-cm 带 (对话框 高斯坐标换带)");
  AddIo(zone.app, zone.io);
  AddEllipsoid(zone.app, zone.g, "54");
  AddProjection(zone.app, zone.g, false, false);
  zone.app->add_option("--to-cm", toCm, "新的中央子午线, 度.分秒 D.MMSS")->required();
  zone.app->add_option("--anomaly", zone.g.anomaly, "大地水准面差距 (米, 默认 0)");

  std::string params;
  bool sevenGauss = false;
  Sub& seven = sub("seven",
                        "七参数坐标转换: 空间坐标 X Y Z → X' Y' Z', 可再到高斯坐标 (对话框 七参数坐标转换)");
  AddIo(seven.app, seven.io);
  AddEllipsoid(seven.app, seven.g, "54");
  seven.app->add_option("--params", params,
                    "七参数 dX,dY,dZ,m,ex,ey,ez: 平移(米), 尺度(ppm), 旋转(秒)")->required();
  seven.app->add_flag("--gauss", sevenGauss, "再投影到高斯坐标, 写出 xg yg hg");
  seven.app->add_option("--cm", seven.g.cm, "中央子午线, 度.分秒 D.MMSS (默认 123, 同对话框)");
  seven.app->add_option("--false-easting", seven.g.falseEasting, "东偏 (公里, 默认 500, 同对话框)");
  seven.app->add_option("--false-northing", seven.g.falseNorthing, "北偏 (公里, 默认 0)");
  seven.app->add_option("--plane-height", seven.g.planeHeight, "投影面高程 (米, 默认 0)");

  Sub& utm = sub("utm", "UTM 投影 B L → x y, 或 --inverse 反算 (Tandrel 组件 BL2XYg_UTM/XYg2BL_UTM)");
  AddIo(utm.app, utm.io);
  AddEllipsoid(utm.app, utm.g, "84");
  AddAngles(utm.app, utm.g);
  utm.app->add_flag("--inverse", utm.g.inverse, "反算: x y [带号] → B L");
  utm.app->add_option("--cm", utm.g.cm, "中央子午线, 度.分秒 D.MMSS");
  utm.app->add_option("--zone-width", utm.g.zoneWidth, "6: 按各点经度取 UTM 带 (1-60), 带号另起一列");
  utm.app->add_option("--false-easting", utm.g.falseEasting, "东偏 (公里, 默认 500)");
  utm.app->add_option("--false-northing", utm.g.falseNorthing, "北偏 (公里, 默认 0; 南半球常用 10000)");
  utm.app->add_option("--plane-height", utm.g.planeHeight, "投影面高程 (米, 默认 0)");

  std::string parallels;
  Sub& lambert = sub("lambert",
                          "兰勃特等角圆锥投影 B L → x y, 或 --inverse 反算 (Tandrel 组件 BL2XYg_Lambert/XYg2BL_Lambert)");
  AddIo(lambert.app, lambert.io);
  AddEllipsoid(lambert.app, lambert.g, "84");
  AddAngles(lambert.app, lambert.g);
  lambert.app->add_flag("--inverse", lambert.g.inverse, "反算: x y → B L");
  lambert.app->add_option("--cm", lambert.g.cm, "中央子午线, 度.分秒 D.MMSS")->required();
  lambert.app->add_option("--parallels", parallels, "标准纬线 B1,B2, 度.分秒 (相同则为单标准纬线)")->required();
  lambert.app->add_option("--false-easting", lambert.g.falseEasting, "加在 y (沿中央子午线) 上的偏移, 公里 (默认 0)");
  lambert.app->add_option("--false-northing", lambert.g.falseNorthing, "加在 x 上的偏移, 公里 (默认 0)");
  lambert.app->add_option("--plane-height", lambert.g.planeHeight, "投影面高程 (米, 默认 0)");

  std::string oldFile, newFile;
  Sub& fit4 = sub("fit4",
                       "平面坐标转换1: 由新老坐标文件的公共点求四参数, 按 转换参数 窗口写出, 再转换文件");
  fit4.app->add_option("old", oldFile, "老坐标文件 (公共点)")->required();
  fit4.app->add_option("new", newFile, "新坐标文件 (公共点)")->required();
  AddIo(fit4.app, fit4.io);

  std::string fromCentre = "0,0", toCentre = "0,0", angle = "0";
  Sub& rotate = sub("rotate", "平面坐标转换2: 绕旋转中心旋转并平移点文件 (对话框 平面坐标转换2)");
  AddIo(rotate.app, rotate.io);
  rotate.app->add_option("--from-centre", fromCentre, "老坐标旋转中心 x0,y0 (米, 默认 0,0)");
  rotate.app->add_option("--to-centre", toCentre, "新坐标旋转中心 X0,Y0 (米, 默认 0,0)");
  rotate.app->add_option("--angle", angle, "旋转角, 度.分秒 D.MMSS (默认 0)");

  std::string from;
  Sub& inverse = sub("inverse",
                          "坐标反算: 每行两点 x1 y1 x2 y2 (或 --from 定点到每行一点 x y) → dx dy 距离 方位角 (对话框 坐标正反算)");
  AddIo(inverse.app, inverse.io);
  inverse.app->add_option("--from", from, "第一点 x,y (米): 每行只给第二点");
  inverse.app->add_option("--angles", inverse.g.angles, "方位角写法: dms 度 分 秒 三列 (默认, 同对话框), deg 或 rad 一列");

  Sub& forward = sub("forward", "坐标正算: 距离 方位角 → dx dy (对话框 坐标正反算)");
  AddIo(forward.app, forward.io);
  forward.app->add_option("--angles", forward.g.angles, "方位角写法: dms 度 分 秒 三列 (默认, 同对话框), deg 或 rad 一列");

  Sub& anomaly = sub("anomaly", "54椭球大地水准面差距: 每点 B L → 差距 (米) (对话框 54椭球大地水准面差距)");
  AddIo(anomaly.app, anomaly.io);
  AddAngles(anomaly.app, anomaly.g);

  NmeaOptions nm;
  Sub& nmea = sub("nmea",
                       "接收机 GGA 语句 (记录文件或串口) → 时间 B L H 解状态 卫星数 HDOP 高斯 x y (Tandrel 切句与解析)");
  AddIo(nmea.app, nmea.io);
  AddEllipsoid(nmea.app, nmea.g, "84");
  AddAngles(nmea.app, nmea.g);
  AddProjection(nmea.app, nmea.g, true, false);
  nmea.app->add_option("--port", nm.port, "串口设备 (如 /dev/ttyUSB0), 代替文件; Ctrl-C 停止");
  nmea.app->add_option("--baud", nm.baud, "串口波特率 (默认 9600)");
  nmea.app->add_option("--count", nm.count, "写出这么多个位置后停止");

  TraverseArgs tr;
  Sub& traverse = sub("traverse", "闭合导线/附合导线 平差: 导线观测文件 → 导线坐标计算表 (角度闭合差按限差检查, 坐标增量按边长比例分配)");
  traverse.app->add_option("file", tr.file, "导线观测文件 (- 为标准输入)")->type_name("FILE")->required();
  traverse.app->add_option("-o,--output", traverse.io.output, "计算表写到文件 (默认标准输出)")->type_name("FILE");
  traverse.app->add_option("--allowance", tr.allowance, "角度闭合差限差 ±c″√n 的 c (秒, 默认 40)")->type_name("SECONDS");
  traverse.app->add_option("--step", tr.step, "角度改正数取至几秒 (默认 1; 0 为不取整, 平均分配)")->type_name("SECONDS");
  traverse.app->add_flag("--force", tr.force, "角度闭合差超限也平差 (计算表注明超限)");
  traverse.app->add_option("--report", tr.report, "计算表: text 文字 (默认) 或 html 网页 (含导线略图 SVG)")->type_name("text|html");
  traverse.app->footer(kTraverseFooter);

  Fit7Args f7;
  Sub& fit7 = sub("fit7", "由公共点求七参数 (布尔莎模型, 最小二乘): 参数及中误差、σ0、各点残差; 参数可直接用于 seven --params");
  fit7.app->add_option("file", f7.file, "公共点文件, 每行 点名 X Y Z X' Y' Z' (- 为标准输入)")->type_name("FILE")->required();
  fit7.app->add_option("-o,--output", fit7.io.output, "结果写到文件 (默认标准输出)")->type_name("FILE");
  fit7.app->add_flag("--geodetic", f7.geodetic, "公共点为大地坐标: 每行 点名 B L H B' L' H' (度.分秒 D.MMSS, 米)");
  fit7.app->add_option("--ellipsoid", f7.fromEllipsoid, "--geodetic 时老坐标的椭球: 54, 80, 84 或 2000")->type_name("CODE");
  fit7.app->add_option("--to-ellipsoid", f7.toEllipsoid, "--geodetic 时新坐标的椭球: 54, 80, 84 或 2000")->type_name("CODE");
  fit7.app->add_option("--params-out", f7.paramsOut, "另把七参数写到文件, 一行 dX,dY,dZ,m,ex,ey,ez (seven --params 的写法)")->type_name("FILE");
  fit7.app->footer(kFit7Footer);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // CLI11 words its findings in English; the sentence in front says it in ours.
    std::string said = e.what();
    if (dynamic_cast<const CLI::RequiredError*>(&e)) {
      said = "缺少必需的子命令或选项 (" + said + ")";
    } else if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
      said = "多余或不认识的参数 (" + said + ")";
    } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
      said = "选项缺少取值 (" + said + ")";
    }
    std::cerr << "vantrel-cli: " << said << "\n用 vantrel-cli --help 查看用法。\n";
    return 2;
  }

  const CLI::App* chosen = app.get_subcommands().front();
  const std::string name = chosen->get_name();
  Io& io = subs.at(name).io;
  Geo& g = subs.at(name).g;
  try {
    if (name == "traverse") return RunTraverse(tr, io.output);
    if (name == "fit7") return RunFit7(f7, io.output);
    const int decimals = DecimalsOf(io);
    batch::Command command;
    batch::RunOptions ro = RunOptionsOf(io);
    if (name == "xyz2blh") {
      command = batch::SpaceToGeodeticCommand(EllipsoidOf(g), AnglesOf(g), decimals);
    } else if (name == "blh2xyz") {
      command = batch::GeodeticToSpaceCommand(EllipsoidOf(g), AnglesOf(g), decimals);
    } else if (name == "blh2gauss") {
      command = batch::GeodeticToGaussCommand(GaussParamsOf(g), AnglesOf(g), decimals);
    } else if (name == "gauss2blh") {
      command = batch::GaussToGeodeticCommand(GaussParamsOf(g), AnglesOf(g));
    } else if (name == "zone") {
      batch::ZoneChangeParams p;
      p.ellipsoid = EllipsoidOf(g);
      if (g.cm.empty()) throw UsageError("需要 --cm (原来的中央子午线)");
      p.fromMeridian = Dms2Rad(Number(g.cm, "--cm"));
      p.toMeridian = Dms2Rad(Number(toCm, "--to-cm"));
      p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
      p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", 0);
      p.planeHeight = Number(g.planeHeight, "--plane-height");
      p.anomaly = NumberOr(g.anomaly, "--anomaly", 0);
      command = batch::ZoneChangeCommand(p, decimals);
    } else if (name == "seven") {
      batch::SevenParams p;
      const auto v = Numbers(params, "--params", 7);
      p.parameters = {v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
      p.ellipsoid = EllipsoidOf(g);
      p.centralMeridianDeg = g.cm.empty() ? 123 : Dms2Deg(Number(g.cm, "--cm"));
      p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
      p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", 500);
      p.planeHeight = Number(g.planeHeight, "--plane-height");
      command = batch::SevenCommand(p, sevenGauss, decimals);
    } else if (name == "utm") {
      batch::UtmParams p;
      p.ellipsoid = ComponentEllipsoid(g);
      const int width = ZoneWidthOf(g);
      if (width == 3) throw UsageError("UTM 投影带宽 6 度: --zone-width 只能为 6");
      p.zoned = width == 6;
      if (p.zoned == !g.cm.empty()) throw UsageError("需要 --cm 或 --zone-width 6 (只给一个)");
      if (!p.zoned) p.centralMeridian = Number(g.cm, "--cm");
      p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
      p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", 500);
      p.planeHeight = Number(g.planeHeight, "--plane-height");
      command = g.inverse ? batch::UtmToGeodeticCommand(p, AnglesOf(g))
                          : batch::GeodeticToUtmCommand(p, AnglesOf(g), decimals);
    } else if (name == "lambert") {
      batch::LambertParams p;
      p.ellipsoid = ComponentEllipsoid(g);
      p.centralMeridian = Dms2Rad(Number(g.cm, "--cm"));
      const auto b = Numbers(parallels, "--parallels", 2);
      p.parallel1 = Dms2Rad(b[0]);
      p.parallel2 = Dms2Rad(b[1]);
      p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
      p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", 0);
      p.planeHeight = Number(g.planeHeight, "--plane-height");
      command = g.inverse ? batch::LambertToGeodeticCommand(p, AnglesOf(g))
                          : batch::GeodeticToLambertCommand(p, AnglesOf(g), decimals);
    } else if (name == "fit4") {
      const batch::FitReport fit = batch::FitFourParameters(oldFile, newFile);
      for (const auto& m : fit.messages) Say(m);
      if (!fit.ok) return 1;
      const bool transform = !io.files.empty();
      std::string lines;
      for (const auto& l : batch::ParameterLines(fit.state)) lines += l + "\n";
      // The parameters are the result when nothing is transformed; else they go beside it.
      WriteOut(transform ? 2 : 1, lines);
      if (!transform) return 0;
      command = batch::FourParameterCommand(fit.state, decimals);
    } else if (name == "rotate") {
      const auto a = Numbers(fromCentre, "--from-centre", 2);
      const auto b = Numbers(toCentre, "--to-centre", 2);
      const RotationCentres c{a[0], a[1], b[0], b[1], Dms2Rad(Number(angle, "--angle"))};
      command = batch::RotationCommand(c, decimals);
    } else if (name == "inverse") {
      std::optional<PlanePoint> p;
      if (!from.empty()) {
        const auto v = Numbers(from, "--from", 2);
        p = PlanePoint{v[0], v[1]};
      }
      command = batch::PlaneInverseCommand(AnglesOf(g), p, decimals);
    } else if (name == "forward") {
      command = batch::PlaneForwardCommand(AnglesOf(g), decimals);
    } else if (name == "anomaly") {
      command = batch::AnomalyCommand(AnglesOf(g), decimals);
    } else if (name == "nmea") {
      return RunNmea(io, g, nm);
    }
    // An interrupted run stops between blocks, so that -o leaves no temporary file behind;
    // a second interrupt (while waiting on a terminal, say) ends the program at once.
    struct sigaction stop {};
    stop.sa_handler = OnSignal;
    stop.sa_flags = SA_RESETHAND;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &stop, nullptr);
    ro.cancel = &g_stop;
    return batch::RunCommand(command, ro).exitCode;
  } catch (const UsageError& e) {
    std::cerr << "vantrel-cli " << name << ": " << e.what() << "\n用 vantrel-cli " << name
              << " --help 查看用法。\n";
    return 2;
  }
}

}  // namespace
}  // namespace vantrel::cli

int main(int argc, char** argv) {
  try {
    return vantrel::cli::Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "vantrel-cli: 计算中止: " << e.what() << "\n";
    return 1;
  }
}
