// The program as a user runs it: help texts, usage errors with status 2, data errors with
// status 1, standard input and output, receiver logs.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>

#include "tests/support/cli_run.h"

namespace vantrel {
namespace {

using test::Slurp;
using test::Spit;

using CliTest = test::CliRunTest;

TEST_F(CliTest, EveryHelpIsReadableAndNamesItsDialog) {
  ASSERT_EQ(Cli("--help"), 0);
  EXPECT_NE(out_.find("退出状态: 0"), std::string::npos);
  struct Case { const char* sub; const char* names; };
  const Case cases[] = {
      {"xyz2blh", "空间坐标－大地坐标"}, {"blh2xyz", "空间坐标－大地坐标"},
      {"blh2gauss", "大地坐标－高斯坐标"}, {"gauss2blh", "大地坐标－高斯坐标"},
      {"zone", "高斯坐标换带"}, {"seven", "七参数坐标转换"}, {"utm", "BL2XYg_UTM"},
      {"lambert", "BL2XYg_Lambert"}, {"fit4", "平面坐标转换1"}, {"rotate", "平面坐标转换2"},
      {"inverse", "坐标正反算"}, {"forward", "坐标正反算"}, {"anomaly", "54椭球大地水准面差距"},
      {"nmea", "Tandrel"}, {"traverse", "闭合导线/附合导线 平差"}, {"fit7", "seven --params"},
      {"adjust", "控制网/水准网 严密平差"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Cli(std::string(c.sub) + " --help"), 0) << c.sub;
    EXPECT_NE(out_.find(c.names), std::string::npos) << c.sub;
    EXPECT_NE(out_.find("--output"), std::string::npos) << c.sub;
    EXPECT_NE(out_.find("退出状态"), std::string::npos) << c.sub;
    EXPECT_EQ(err_, "") << c.sub;
  }
}

TEST_F(CliTest, UsageErrorsSayWhatIsWrongWithStatusTwo) {
  const std::string in = std::string(VANTREL_SOURCE) + "/examples/traverse/closed.txt";
  struct Case { std::string args; const char* says; };
  const Case cases[] = {
      {"", "缺少必需的子命令"},
      {"blh2gauss", "需要 --cm"},
      {"blh2gauss --cm 120 --zone-width 6", "只能给一个"},
      {"blh2gauss --cm 120 --ellipsoid 55", "--ellipsoid 应为"},
      {"blh2gauss --cm 120 --ellipsoid 84 --anomaly 3", "只用于54椭球"},
      {"blh2gauss --cm 120 --plane-height x", "--plane-height 应为数值"},
      {"blh2gauss --cm 120 --anomaly autox", "--anomaly 应为数值 (米) 或 auto"},
      {"blh2gauss --cm abc", "--cm 应为数值"},
      {"blh2gauss --cm 120 --angles grad", "--angles"},
      {"blh2gauss --cm 120 --decimals 2.5", "--decimals"},
      {"blh2gauss --cm 120 --on-error maybe", "--on-error"},
      {"blh2gauss --cm 120 --zone-prefix", "--zone-prefix 需要"},
      {"seven --params 1,2,3", "7 个数值"},
      {"utm --ellipsoid 2000 --cm 123", "只有 54、80、84"},
      {"utm --zone-width 3", "只能为 6"},
      {"zone --cm 120", "--to-cm"},
      {"blh2gauss --cm 120 --bogus", "不认识的参数"},
      {"blh2gauss --cm", "选项缺少取值"},
      {"traverse", "缺少必需的子命令或选项"},
      {"traverse --allowance 0 " + in, "--allowance 应为正数"},
      {"traverse --allowance x " + in, "--allowance 应为数值"},
      {"traverse --step 61 " + in, "--step 应为 0, 或 0.1 至 60 之间 0.1 的整数倍"},
      {"traverse --step 0.25 " + in, "--step 应为 0, 或 0.1 至 60 之间 0.1 的整数倍"},
      {"traverse --grade 五级 " + in, "--grade 应为 三等、四等、一级、二级、三级、图根 之一"},
      {"traverse --grade 一级 --allowance 10 " + in, "--allowance"},
      {"traverse --step -1 " + in, "--step 应为"},
      {"traverse --report pdf " + in, "--report 应为 text、html 或 dxf"},
      {"traverse " + in + " --report", "选项缺少取值"},
      {"traverse " + in + " " + in, "多余或不认识的参数"},
      {"fit7", "缺少必需的子命令或选项"},
      {"fit7 --geodetic --ellipsoid 54 c.txt", "--geodetic 需要 --ellipsoid"},
      {"fit7 --geodetic --ellipsoid 55 --to-ellipsoid 2000 c.txt", "--ellipsoid 应为 54、80、84 或 2000"},
      {"fit7 --geodetic --ellipsoid 54 --to-ellipsoid 1980 c.txt", "--to-ellipsoid 应为"},
      {"fit7 --ellipsoid 2000 c.txt", "只用于 --geodetic"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cli(c.args), 2) << c.args;
    EXPECT_NE(err_.find(c.says), std::string::npos) << c.args << ": " << err_;
    EXPECT_EQ(out_, "") << c.args;
  }
}

// Every numeric option of every subcommand, given a wrong value, is refused in its own name
// and in Chinese; so are CLI11's own findings.
TEST_F(CliTest, AWrongOptionIsNamedInChinese) {
  struct Case { const char* args; const char* says; };
  const Case cases[] = {
      {"blh2gauss --cm 120 --false-easting 5km", "--false-easting 应为数值"},
      {"gauss2blh --cm 120 --false-northing n", "--false-northing 应为数值"},
      {"blh2gauss --cm 120.6 ", "--cm 应为度.分秒 D.MMSS"},
      {"blh2gauss --cm 120.0060", "--cm 应为度.分秒 D.MMSS"},
      {"blh2gauss --angles rad --cm pi", "--cm 应为数值"},
      {"blh2gauss --cm 120 -j 2.5", "--jobs 应为 0 到 256 的整数"},
      {"zone --cm 120 --to-cm 121.75", "--to-cm 应为度.分秒"},
      {"zone --cm 120 --to-cm 123 --anomaly a", "--anomaly 应为数值"},
      {"seven --params 1,2,3,4,5,6,7 --cm 123.7", "--cm 应为度.分秒"},
      {"seven --params 1,2,3,4,5,6,x", "--params 应为数值"},
      {"utm --cm 1a", "--cm 应为数值"},
      {"utm --cm 123 --plane-height h", "--plane-height 应为数值"},
      {"lambert --cm 120 --parallels 25,47.6", "--parallels 应为度.分秒"},
      {"rotate --angle 30.6", "--angle 应为度.分秒"},
      {"rotate --to-centre 1", "--to-centre 应有 2 个数值"},
      {"inverse --from 1,y", "--from 应为数值"},
      {"nmea --zone-width 6 --count -1", "--count 应为 1 到"},
      {"nmea --zone-width 6 --baud 9600.5", "--baud 应为 50 到"},
      {"blh2gauss --cm 120 --quiet=x", "--quiet 不能取值 \"x\""},
      {"blh2gauss --cm 120 --cm 121", "--cm 只能给一次"},
      {"blh2gaus --cm 120", "不认识的子命令 \"blh2gaus\""},
      {"zone --cm 120", "--to-cm 是必需的"},
  };
  // The words of CLI11's sentences: none of them may reach the user.
  const std::regex english(R"(\b(is|are|was|were|the|not|required|expected|received|missing|least|most|convert|allowed|value|arguments?|requires|excludes|should|got)\b)",
                           std::regex::icase);
  for (const Case& c : cases) {
    EXPECT_EQ(Cli(c.args), 2) << c.args;
    EXPECT_NE(err_.find(c.says), std::string::npos) << c.args << ": " << err_;
    EXPECT_FALSE(std::regex_search(err_, english)) << c.args << ": " << err_;
  }
}

// An angle option is read in the unit --angles names: 120.5 degrees is 120°30′, not 120°50′.
TEST_F(CliTest, AngleOptionsFollowTheAnglesOption) {
  const std::string point = "P 31 121.5\n", packed = "P 31 121.30\n";
  const std::pair<std::string, std::string> same[] = {
      {"blh2gauss --angles deg --cm 120.5", "blh2gauss --cm 120.30"},
      {"utm --angles deg --cm 123.25", "utm --cm 123.15"},
      {"lambert --angles deg --cm 120.5 --parallels 25.5,47.25", "lambert --cm 120.30 --parallels 25.30,47.15"},
  };
  for (const auto& [degrees, dms] : same) {
    ASSERT_EQ(Cli(dms, packed), 0) << dms << ": " << err_;
    const std::string want = out_.substr(out_.find(' '));  // the numbers, not the angles typed
    ASSERT_EQ(Cli(degrees, point), 0) << degrees << ": " << err_;
    EXPECT_EQ(out_.substr(out_.find(' ')), want) << degrees;
  }
  // The help says so, and says that plane coordinates are x north; -j takes the processors.
  ASSERT_EQ(Cli("blh2gauss --help"), 0);
  EXPECT_NE(out_.find("写法同 --angles"), std::string::npos);
  EXPECT_NE(out_.find("x 为北坐标"), std::string::npos);
  EXPECT_NE(out_.find("默认为处理器数"), std::string::npos);
}

TEST_F(CliTest, StandardInputToStandardOutputAndBadData) {
  ASSERT_EQ(Cli("blh2gauss --cm 120", "P1 31 121.3030 控制点\n"), 0) << err_;
  EXPECT_EQ(out_, "P1            3432012.058   144062.555    控制点\n");
  // Standard error is no terminal here: no progress bar, nothing at all.
  EXPECT_EQ(err_, "");
  EXPECT_EQ(Cli("blh2gauss --cm 120 -", "P1 31 x\n"), 1);
  EXPECT_EQ(err_, "<stdin>:1: Y或L应为数值!\n");
  // -o replaces a file only after a good run; a file named twice is converted in place.
  Spit(dir_ / "p.txt", "P1 3432012.058 144062.555\r\n");
  ASSERT_EQ(Cli("gauss2blh --cm 120 -o " + dir_ / "p.txt" + " " + dir_ / "p.txt"), 0) << err_;
  EXPECT_EQ(Slurp(dir_ / "p.txt"), "P1            31.0000000019 121.3030000004\r\n");
  ASSERT_EQ(Cli("blh2gauss --cm 120 -j 2 --zone-width 3 --anomaly auto", "P 31 121.3030\n"), 2);
  ASSERT_EQ(Cli("blh2gauss -j 2 --zone-width 3 --anomaly auto", "P 31 121.3030\n"), 0) << err_;
  EXPECT_EQ(out_, "P             3432024.617   -142471.935   41            62.9\n");
}

TEST_F(CliTest, ReceiverLogsAndCommonPointFits) {
  const std::string log = std::string(VANTREL_SOURCE) + "/tests/components/install/recorded_stream.nmea";
  ASSERT_EQ(Cli("nmea --zone-width 6 --format csv --on-error skip " + log), 1);
  const std::string first = "092750.000,53.2140812000,-6.3020231999,116.900,1,8,1.03,";
  EXPECT_EQ(out_.substr(0, out_.find('\n') + 1), "time,B,L,H,quality,satellites,hdop,x,y,zone\n");
  EXPECT_NE(out_.find("\n" + first), std::string::npos) << out_;
  EXPECT_NE(out_.find("\n120000.50,-33.4507404000,151.1234068000,57.300,4,14,0.7,"), std::string::npos);
  EXPECT_NE(err_.find("recorded_stream.nmea:5: 语句校验和不对!"), std::string::npos) << err_;
  ASSERT_EQ(Cli("nmea --zone-width 6 --count 1 " + log), 0) << err_;
  EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 1);

  Spit(dir_ / "old.txt", "A 100 100\r\nB 200 100\r\nC 100 300\r\n");
  Spit(dir_ / "new.txt", "A 200 50\r\nB 300 50\r\nC 200 250\r\n");
  ASSERT_EQ(Cli("fit4 " + dir_ / "old.txt" + " " + dir_ / "new.txt"), 0) << err_;
  EXPECT_NE(out_.find("100.000±0.000"), std::string::npos) << out_;
  EXPECT_NE(out_.find("-50.000±0.000"), std::string::npos) << out_;
  ASSERT_EQ(Cli("fit4 " + dir_ / "old.txt" + " " + dir_ / "new.txt" + " -", "P 1 2\n"), 0) << err_;
  // As the dialogs' result lines: the remark's zone is there even without a remark.
  EXPECT_EQ(out_, "P             101.0000      -48.0000      \n");
  Spit(dir_ / "one.txt", "A 1 1\r\n");
  EXPECT_EQ(Cli("fit4 " + dir_ / "one.txt" + " " + dir_ / "new.txt"), 1);
  EXPECT_EQ(err_, "公共点少于2个,不能转换!\n");
}

// vantrel-cli reading a pseudo-terminal in a thread while the test talks as the receiver.
class CliPortTest : public CliTest {
 protected:
  void Start(const std::string& args) {
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    run = std::thread([this, args] {
      status = Cli(args + " --port " + name);
      done = true;
    });
  }
  void Join() {
    run.join();
    ::close(master);
    ::close(slave);
  }
  int master = -1, slave = -1;
  char name[256] = {};
  std::atomic<bool> done{false};
  int status = -1;
  std::thread run;
};

TEST_F(CliPortTest, SerialPortPositionsUntilTheCount) {
  Start("nmea --zone-width 6 --count 2 --on-error skip");
  // The receiver talks until the program has had its two positions (or 20 s passed).
  const std::string bad = "$GPGGA,092751.000,5321.6803,N,00630.3373,W,2,9,0.95,61.8,M,55.2,M,1.2,0000*00\r\n";
  const std::string good = "$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n";
  for (int i = 0; i < 200 && !done; ++i) {
    const std::string s = "noise" + (i == 0 ? bad : good);
    if (::write(master, s.data(), s.size()) < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Join();
  EXPECT_EQ(status, 1);  // the sentence with the wrong checksum was reported
  EXPECT_NE(err_.find(std::string(name) + ": 语句校验和不对!"), std::string::npos) << err_;
  EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 2) << out_;
  EXPECT_EQ(out_.rfind("092750.000    53.2140812000 -6.3020231999 116.900", 0), 0u) << out_;
}

// A GGA whose start has exactly half the cutters' limit when a read leaves the buffer over
// that much is kept and completes with the next read (before, the port dropped it).
TEST_F(CliPortTest, SerialPortKeepsASentenceStartOfHalfTheCutterLimit) {
  Start("nmea --zone-width 6 --count 2");
  // Bytes written before the program puts the port in raw mode would be taken as lines.
  termios tio{};
  for (int i = 0; i < 2000 && !done && tcgetattr(slave, &tio) == 0 && (tio.c_lflag & ICANON); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::string body = "GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,";
  body += std::string(16383 - 4 - body.size(), '0');  // "$" body "*hh": 16383 bytes
  unsigned char x = 0;
  for (unsigned char c : body) x ^= c;
  char star[4];
  std::snprintf(star, sizeof star, "*%02X", x);
  const std::string start = "$junk$" + body + star;
  ASSERT_EQ(::write(master, start.data(), start.size()), ssize_t(start.size()));
  // The line end goes in a later read, after the program has trimmed its buffer.
  for (int i = 0, queued = 1; i < 2000 && queued > 0 && ::ioctl(slave, FIONREAD, &queued) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::string later = "\r\n$GNGGA,120000.50,3345.1234,S,15112.5678,E,4,14,0.7,35.0,M,22.3,M,1.0,0001*7A\r\n";
  for (int i = 0; i < 200 && !done; ++i) {
    const std::string s = i == 0 ? later : later.substr(2);
    if (::write(master, s.data(), s.size()) < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Join();
  EXPECT_EQ(status, 0) << err_;
  EXPECT_EQ(out_.rfind("092750.000    53.2140812000 -6.3020231999 116.900", 0), 0u) << out_.substr(0, 200);
}

}  // namespace
}  // namespace vantrel
