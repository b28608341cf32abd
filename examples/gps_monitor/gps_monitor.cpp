// gps_monitor: prints the GGA positions a GPS receiver sends, read from a serial port or
// replayed from a recorded stream, through the Tandrel component.
//
//   gps_monitor [--baud N] [--idle SECONDS] [--count N] DEVICE
//   gps_monitor [--count N] --file RECORDING
//
// The client side of the component's contract: this program owns the serial port and
// the receive buffer, appends whatever has arrived, and calls the cutter until it has
// nothing more to give; every complete GGA sentence is parsed and printed as one line.
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "tandrel/receive_buffer.h"
#include "tandrel/sentences.h"
#include "tandrel/serial_port.h"
#include "tandrel/tandrel.h"

namespace {

// Read_GGA turns ddmm.mmmm into radians with this value of pi; the same value brings
// the degrees back exactly.
constexpr double kGgaPi = 3.14159265358979;

constexpr std::size_t kChunk = 4096;

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

struct Options {
  std::string device;
  std::string file;
  int baud = 9600;
  long idleSeconds = 0;  // 0: wait for data until interrupted
  long count = 0;        // 0: no limit on the positions printed
};

struct Counts {
  long sentences = 0;  // cut with a correct checksum
  long rejected = 0;   // complete but with a wrong or missing checksum
  long positions = 0;  // GGA lines printed
  long dropped = 0;    // bytes of unfinished sentences this client threw away
};

void Usage() {
  std::fprintf(stderr,
               "usage: gps_monitor [--baud N] [--idle SECONDS] [--count N] DEVICE\n"
               "       gps_monitor [--count N] --file RECORDING\n");
}

bool ParseLong(const char* text, long min, long& out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < min) return false;
  out = v;
  return true;
}

// 0 to run, 1 to exit with success (help), 2 for a usage error.
int ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto value = [&](long min, long& out) { return i + 1 < argc && ParseLong(argv[++i], min, out); };
    long v = 0;
    if (a == "-h" || a == "--help") {
      Usage();
      return 1;
    } else if (a == "--file" && i + 1 < argc) {
      o.file = argv[++i];
    } else if (a == "--baud") {
      if (!value(1, v)) return 2;
      o.baud = int(v);
    } else if (a == "--idle") {
      if (!value(0, o.idleSeconds)) return 2;
    } else if (a == "--count") {
      if (!value(0, o.count)) return 2;
    } else if (!a.empty() && a[0] != '-' && o.device.empty()) {
      o.device = argv[i];
    } else {
      return 2;
    }
  }
  return o.file.empty() == o.device.empty() ? 2 : 0;
}

bool IsGga(const std::string& line) {
  auto comma = line.find(',');
  return comma == 6 && line.compare(3, 3, "GGA") == 0;
}

class Monitor {
 public:
  Monitor(tandrel::ITandrel& t, long limit) : t_(t), limit_(limit), fields_(vantrel::rt::SafeArray::Texts(1, 100)) {}

  // Appends newly received characters and handles every sentence they complete. False
  // once the requested number of positions has been printed.
  bool Feed(std::string_view chunk) {
    // The buffer tells a sentence refused (checksum) from one not complete yet, and trims
    // a tail that never completes one before the cutters would refuse the whole buffer.
    buff_.Append(chunk);
    const auto cutter = [this](std::string& b, std::string& l) { return t_.GetAline_Ok(b, l); };
    std::string line;
    for (;;) {
      const auto cut = buff_.Next(cutter, line);
      if (cut == tandrel::ReceiveBuffer::Cut::Wait) break;
      if (cut == tandrel::ReceiveBuffer::Cut::Rejected) {
        ++counts_.rejected;
        continue;
      }
      ++counts_.sentences;
      if (IsGga(line) && Print(line) && limit_ > 0 && counts_.positions >= limit_) return false;
    }
    counts_.dropped += long(buff_.Trim());
    return true;
  }

  // What is left at the end: the start of a sentence, and after --count stopped the loop
  // also complete sentences never read, which are passed over without counting as dropped.
  void Finish() {
    const auto cutter = [this](std::string& b, std::string& l) { return t_.GetAline_Command(b, l); };
    std::string line;
    while (buff_.Next(cutter, line) == tandrel::ReceiveBuffer::Cut::Sentence) {
    }
    counts_.dropped += long(buff_.DropAll());
  }

  const Counts& counts() const { return counts_; }

 private:

  std::string Field(int32_t n, int k) {
    if (k > n) return {};
    const std::string* s = fields_.TextAt(k);
    return s ? *s : std::string();
  }

  // $GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76
  bool Print(const std::string& line) {
    double obsSec = 0, phi = 0, lam = 0, h = 0, hdop = 0;
    int32_t quality = 0, sats = 0, n = 0;
    if (!t_.Read_GGA(line, obsSec, phi, lam, h, quality, sats, hdop)) return false;
    // The component reads neither the hemisphere letters nor the antenna altitude; the
    // client takes them from the raw fields.
    if (!t_.Read_Aline(line, n, fields_)) n = 0;
    std::string ns = Field(n, 4), ew = Field(n, 6), alt = Field(n, 10);
    std::printf("%010.3f lat %.8f %s lon %.8f %s height %.3f alt %s quality %d satellites %d hdop %.2f\n", obsSec,
                phi * 180 / kGgaPi, ns.empty() ? "-" : ns.c_str(), lam * 180 / kGgaPi, ew.empty() ? "-" : ew.c_str(),
                h, alt.empty() ? "-" : alt.c_str(), int(quality), int(sats), hdop);
    std::fflush(stdout);
    ++counts_.positions;
    return true;
  }

  tandrel::ITandrel& t_;
  long limit_;
  vantrel::rt::SafeArray fields_;
  tandrel::ReceiveBuffer buff_;
  Counts counts_;
};

int Replay(Monitor& m, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "gps_monitor: cannot open %s\n", path.c_str());
    return 1;
  }
  char buf[kChunk];
  while (!g_stop && in) {
    in.read(buf, sizeof buf);
    if (in.gcount() > 0 && !m.Feed(std::string_view(buf, std::size_t(in.gcount())))) break;
  }
  if (in.bad()) {
    std::fprintf(stderr, "gps_monitor: read error on %s\n", path.c_str());
    return 1;
  }
  return 0;
}

int Listen(tandrel::ITandrel& t, Monitor& m, const Options& o) {
  auto port = tandrel::CreateSerialPort(o.device, o.baud);
  // CommPort_Avl tries the port and leaves it closed; only then is it opened for good.
  if (!t.CommPort_Avl(port.get()) || !port->SetPortOpen(true)) {
    std::fprintf(stderr, "gps_monitor: %s cannot be opened as a serial port\n", o.device.c_str());
    return 1;
  }
  port->SetInputLen(int32_t(kChunk));
  constexpr int kPollMs = 50;
  long idleMs = 0;
  while (!g_stop) {
    std::string got = port->Input();
    if (!got.empty()) {
      idleMs = 0;
      if (!m.Feed(got)) break;
      continue;
    }
    if (o.idleSeconds > 0 && idleMs >= o.idleSeconds * 1000) break;
    ::poll(nullptr, 0, kPollMs);  // the port object offers no wait; a signal ends it early
    idleMs += kPollMs;
  }
  port->SetPortOpen(false);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (int rc = ParseArgs(argc, argv, o); rc != 0) {
    if (rc == 2) Usage();
    return rc == 1 ? 0 : 2;
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);

  auto t = tandrel::CreateTandrel();
  Monitor m(*t, o.count);
  int rc = o.file.empty() ? Listen(*t, m, o) : Replay(m, o.file);
  m.Finish();
  const Counts& c = m.counts();
  std::fprintf(stderr, "gps_monitor: %ld sentences, %ld rejected, %ld positions, %ld unfinished bytes dropped\n", c.sentences,
               c.rejected, c.positions, c.dropped);
  return rc;
}
