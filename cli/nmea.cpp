// Receiver logs and serial ports: GGA sentences cut and read as the Tandrel component does,
// each position written with its Gauss coordinates.
#include <unistd.h>

#include "batch/nmea.h"
#include "cli/options.h"
#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/text_rules.h"
#include "tandrel/receive_buffer.h"
#include "tandrel/sentences.h"
#include "tandrel/serial_port.h"

namespace vantrel::cli {

namespace {

struct NmeaOptions {
  std::string port;
  std::string baud = "9600";
  std::string count;
};

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

int RunNmea(const Io& io, const Geo& g, const NmeaOptions& n) {
  const batch::GaussParams p = GaussParamsOf(g);
  const AngleUnit angles = AnglesOf(g);
  const batch::RunOptions ro = RunOptionsOf(io);
  const bool csv = io.format == "csv";
  const long limit = n.count.empty() ? 0 : WholeNumber(n.count, "--count", 1, 1000000000);
  const long baud = WholeNumber(n.baud, "--baud", 50, 4000000);
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
    auto port = tandrel::CreateSerialPort(n.port, static_cast<int>(baud));
    if (!port->SetPortOpen(true)) {
      Say(n.port + ": 不能打开串口");
      return 1;
    }
    StopOnSignals();
    tandrel::ReceiveBuffer buffer;
    bool go = true;
    while (go && !g_stop) {
      const std::string got = port->Input();
      if (got.empty()) {
        usleep(50000);
        continue;
      }
      buffer.Append(got);
      for (std::string aline;
           buffer.Next(tandrel::CutSentence, aline) == tandrel::ReceiveBuffer::Cut::Sentence;) {
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
      const std::string name = batch::InputName(path);
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
    Say(batch::CannotWriteMessage(io.output, file->error()));
    return 1;
  }
  return failed ? 1 : 0;
}

}  // namespace

void AddReceiverLog(Registry& r) {
  struct Options {
    Io io;
    Geo g;
    NmeaOptions nm;
  };
  auto o = std::make_shared<Options>();
  CLI::App* app = r.Add("nmea",
                        "接收机 GGA 语句 (记录文件或串口) → 时间 B L H 解状态 卫星数 HDOP 高斯 x y (Tandrel 切句与解析)",
                        [o] { return RunNmea(o->io, o->g, o->nm); });
  AddIo(app, o->io);
  AddEllipsoid(app, o->g, "84");
  AddAngles(app, o->g);
  AddProjection(app, o->g, true, false);
  app->add_option("--port", o->nm.port, "串口设备 (如 /dev/ttyUSB0), 代替文件; Ctrl-C 停止")->type_name("DEVICE");
  app->add_option("--baud", o->nm.baud, "串口波特率 (默认 9600)")->type_name("N");
  app->add_option("--count", o->nm.count, "写出这么多个位置后停止")->type_name("N");
}

}  // namespace vantrel::cli
