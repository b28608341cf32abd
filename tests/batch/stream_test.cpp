// Whole files through RunCommand: layouts and encodings kept, names and remarks byte for
// byte, bad lines reported with file and line, the output replaced only after a good run,
// and the same bytes whatever the block size and number of workers.
#include "batch/stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "batch/commands.h"
#include "batch/plane_fit.h"
#include "batch/records.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "tests/support/temp_files.h"
#include "transform/point_files.h"
#include "transform/rotation_transform.h"

namespace vantrel::batch {
namespace {

using test::Gbk;
using test::Slurp;
using test::Spit;

class StreamTest : public test::TempDirTest {
 protected:
  // Runs a command over files; messages land in errors_.
  RunResult Run(const Command& c, std::vector<std::string> inputs, const std::string& output,
                RunOptions o = {}) {
    o.inputs = std::move(inputs);
    o.output = output;
    const std::string log = dir_ / "messages.log";
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    o.errorFd = fd;
    const RunResult r = RunCommand(c, o);
    ::close(fd);
    errors_ = Slurp(log);
    std::remove(log.c_str());
    return r;
  }
  static Command Gauss() {
    GaussParams p;
    p.centralMeridian = Dms2Rad(120);
    return GeodeticToGaussCommand(p, AngleUnit::Dms);
  }
  std::string errors_;
};

TEST(BatchRecords, EncodingIsToldByContent) {
  struct Case { std::string bytes; Encoding e; };
  const Case cases[] = {
      {"P1 1 2\r\n", Encoding::Undecided},
      {"\xe6\x8e\xa7 1 2", Encoding::Utf8},          // 控 in UTF-8
      {Utf8ToGbk("控制点 1 2"), Encoding::Gbk},
      {"ok \xc3\xa9 \xff", Encoding::Gbk},           // good UTF-8, then a byte that never is
      {"\xed\xa0\x80", Encoding::Gbk},               // a surrogate is no UTF-8
      {"\xc0\xaf", Encoding::Gbk},                   // an overlong form neither
      {"\xef\xbb\xbfP 1 2", Encoding::Utf8},          // a byte-order mark
  };
  for (const Case& c : cases) EXPECT_EQ(DetectEncoding(c.bytes), c.e) << c.bytes;
  EXPECT_EQ(ItemWidth(Utf8ToGbk("控制点"), Encoding::Gbk), 6);
  EXPECT_EQ(ItemWidth("控制点", Encoding::Utf8), 6);
}

TEST(BatchRecords, CsvFieldsAndPointWords) {
  std::vector<CsvField> f;
  ASSERT_TRUE(SplitCsv("a, \"b,c\" ,\"d\"\"e\",", ',', f));
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ(f[1].raw, " \"b,c\" ");
  EXPECT_EQ(f[1].text, "b,c");
  EXPECT_EQ(f[2].text, "d\"\"e");
  EXPECT_EQ(f[3].raw, "");
  EXPECT_FALSE(SplitCsv("a,\"b", ',', f));
  EXPECT_EQ(GuessDelimiter("a;b;c,d"), ';');
  EXPECT_EQ(GuessDelimiter("a\tb\tc"), '\t');
  EXPECT_EQ(GuessDelimiter("\"x;y\",z"), ',');
  EXPECT_EQ(FirstLineEnd("a\nb\r\n"), "\n");
  EXPECT_EQ(FirstLineEnd("a\rb"), "\r");
  EXPECT_EQ(FirstLineEnd("a"), "\r\n");

  // Words taken one by one split a line as the point-file reader splits it.
  std::mt19937 rng(3);
  const char alphabet[] = " \tab1.-";
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    for (int k = static_cast<int>(rng() % 16); k > 0; --k) line += alphabet[rng() % 7];
    PointFields p;
    SplitPointFields(line, p);
    std::string_view rest = line;
    EXPECT_EQ(TakeWord(rest), p.Name) << '"' << line << '"';
    EXPECT_EQ(TakeWord(rest), p.XText) << '"' << line << '"';
    EXPECT_EQ(TakeWord(rest), p.YText) << '"' << line << '"';
    EXPECT_EQ(TrimBlanks(rest), p.Rest) << '"' << line << '"';
  }
}

TEST_F(StreamTest, PointFilesKeepNamesRemarksEncodingAndLineEnds) {
  struct Case { std::string input, output; std::uint64_t points; };
  const std::string remark = Utf8ToGbk("界桩 东侧");
  const Case cases[] = {
      // GBK, CR LF: the name counts two columns a character, the remark as it was.
      {Utf8ToGbk("控制点一") + " 31 121.3030 " + remark + "\r\n",
       Utf8ToGbk("控制点一") + "      3432012.058   144062.555    " + remark + "\r\n", 1},
      // UTF-8, LF, a blank line passed through, a name ending on a zone boundary.
      {"控制点一 31 121.3030\n   \nABCDEFGHIJKLMN 31 121.3030\n",
       "控制点一      3432012.058   144062.555\n   \nABCDEFGHIJKLMN              3432012.058   144062.555\n", 2},
  };
  for (const Case& c : cases) {
    Spit(dir_ / "in.txt", c.input);
    const RunResult r = Run(Gauss(), {dir_ / "in.txt"}, dir_ / "out.txt");
    EXPECT_EQ(r.exitCode, 0) << errors_;
    EXPECT_EQ(Slurp(dir_ / "out.txt"), c.output);
    EXPECT_EQ(r.points, c.points);
  }
}

TEST_F(StreamTest, CsvHeadersColumnsAndQuotes) {
  struct Case { std::string input; RunOptions options; std::string output; };
  RunOptions columns;
  columns.columns = {"name", "lat", "lon"};
  RunOptions semicolon;
  semicolon.delimiter = ';';
  const Case cases[] = {
      {"name,B,L,code\r\n\"P,1\",31,121.3030,\"a \"\"b\"\"\"\r\n", {},
       "name,x,y,code\r\n\"P,1\",3432012.058,144062.555,\"a \"\"b\"\"\"\r\n"},
      {"code;Lon;Lat\nk;121.3030;31\n", {}, "code;x;y\nk;3432012.058;144062.555\n"},
      {"P1,31,121.3030\n", columns, "P1,3432012.058,144062.555\n"},
      {"a;b;B;L\n1;2;31;121.3030\n", semicolon, "a;b;x;y\n1;2;3432012.058;144062.555\n"},
  };
  for (const Case& c : cases) {
    Spit(dir_ / "in.csv", c.input);
    const RunResult r = Run(Gauss(), {dir_ / "in.csv"}, dir_ / "out.csv", c.options);
    EXPECT_EQ(r.exitCode, 0) << errors_;
    EXPECT_EQ(Slurp(dir_ / "out.csv"), c.output) << c.input;
  }
  // Two files with one header: it is written once.
  Spit(dir_ / "a.csv", "B,L\n31,121.3030\n");
  Spit(dir_ / "b.csv", "B,L\n31,121.3030\n");
  Run(Gauss(), {dir_ / "a.csv", dir_ / "b.csv"}, dir_ / "out.csv");
  EXPECT_EQ(Slurp(dir_ / "out.csv"), "x,y\n3432012.058,144062.555\n3432012.058,144062.555\n");
  // A header without the columns the conversion needs.
  Spit(dir_ / "c.csv", "name,lat\nP,31\n");
  EXPECT_EQ(Run(Gauss(), {dir_ / "c.csv"}, dir_ / "out.csv").exitCode, 1);
  EXPECT_EQ(errors_, dir_ / "c.csv" + ":1: 表头中没有L列\n");
}

// Files as they come from other programs: delimited .txt without a header, remark lines,
// northing/easting headers, line ends that change from line to line.
TEST_F(StreamTest, LayoutsOfOtherProgramsAreReadOrNamed) {
  GaussParams p;
  p.centralMeridian = Dms2Rad(120);
  const Command inverse = GaussToGeodeticCommand(p, AngleUnit::Dms);
  const std::string xy = "3432012.058", yy = "144062.555", B = "31.0000000019", L = "121.3030000004";
  struct Case { const Command& c; std::string input, output; };
  const Case cases[] = {
      {Gauss(), "P1\t31\t121.3030\tK 1\r\n", "P1\t" + xy + "\t" + yy + "\tK 1\r\n"},
      {Gauss(), "# 测区 A\r\nP1,31,121.3030\r\n", "# 测区 A\r\nP1," + xy + "," + yy + "\r\n"},
      {Gauss(), "# 测区 A\n  #P0 1 2\nP1 31 121.3030 #7\n", "# 测区 A\n  #P0 1 2\nP1            " + xy + "   " + yy + "    #7\n"},
      {Gauss(), "P1 31 121.3030\r\nP2 31 121.3030\nP3 31 121.3030\rP4 31 121.3030",
       "P1            " + xy + "   " + yy + "\r\nP2            " + xy + "   " + yy + "\nP3            " + xy + "   " + yy +
           "\rP4            " + xy + "   " + yy + "\r\n"},
      {inverse, "点名,北坐标,东坐标\nK," + xy + "," + yy + "\n", "点名,B,L\nK," + B + "," + L + "\n"},
      {inverse, "E\tN\n" + yy + "\t" + xy + "\n", "B\tL\n" + B + "\t" + L + "\n"},
      // X is north, as surveyors write it, wherever the column stands.
      {inverse, "Y,X,H\n" + yy + "," + xy + ",5\n", "B,L,H\n" + B + "," + L + ",5\n"},
  };
  for (const Case& c : cases) {
    Spit(dir_ / "in.txt", c.input);
    const RunResult r = Run(c.c, {dir_ / "in.txt"}, dir_ / "out.txt");
    EXPECT_EQ(r.exitCode, 0) << c.input << errors_;
    EXPECT_EQ(Slurp(dir_ / "out.txt"), c.output) << c.input;
  }
  // A point line that is read by spaces and holds a comma or a tab says so.
  Spit(dir_ / "in.txt", "P1 31 121.3030\nP2\t31\t121\n");
  EXPECT_EQ(Run(Gauss(), {dir_ / "in.txt"}, dir_ / "out.txt").exitCode, 1);
  EXPECT_EQ(errors_, dir_ / "in.txt" + ":2: 缺少B值!" + std::string(kDelimitedHint) + "\n");
}

TEST_F(StreamTest, BadLinesStopOrAreSkippedWithTheirReason) {
  const std::string input =
      "P1 31 121.3030\r\nP2 abc 121\r\nP3 31\r\nP4 31 121.3030\r\nP5 1e400 1\r\n";
  Spit(dir_ / "in.txt", input);
  Spit(dir_ / "out.txt", "old content");
  // Stop: the old output stays byte for byte and no temporary file is left.
  RunResult r = Run(Gauss(), {dir_ / "in.txt"}, dir_ / "out.txt");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(errors_, dir_ / "in.txt" + ":2: X或B应为数值!\n");
  EXPECT_EQ(Slurp(dir_ / "out.txt"), "old content");
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"in.txt", "out.txt"}));
  // Skip: every bad line named, the others written, exit status 1 all the same.
  RunOptions skip;
  skip.skipBadLines = true;
  r = Run(Gauss(), {dir_ / "in.txt"}, dir_ / "out.txt", skip);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.points, 2u);
  EXPECT_EQ(r.failed, 3u);
  const std::string f = dir_ / "in.txt";
  EXPECT_EQ(errors_, f + ":2: X或B应为数值!\n" + f + ":3: 缺少L值!\n" + f + ":5: X或B应为数值!\n");
  EXPECT_EQ(Slurp(dir_ / "out.txt"),
            "P1            3432012.058   144062.555\r\nP4            3432012.058   144062.555\r\n");
  // A file that is not there, and an output that cannot be written.
  r = Run(Gauss(), {dir_ / "missing.txt"}, dir_ / "out2.txt");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(errors_, dir_ / "missing.txt" + ": 不能读取：文件或路径不存在\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out2.txt"));
  std::filesystem::create_directory(dir_ / "folder");
  r = Run(Gauss(), {dir_ / "in.txt"}, dir_ / "folder", skip);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(errors_.find("不能写入"), std::string::npos) << errors_;
  r = Run(Gauss(), {dir_ / "in.txt"}, "/dev/full", skip);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(errors_.find("磁盘已满"), std::string::npos) << errors_;
}

TEST_F(StreamTest, AnInputGivenAsTheOutputIsReplacedOnlyWhenAllWentWell) {
  const std::string good = "P1 31 121.3030\r\n";
  Spit(dir_ / "p.txt", good + "P2 x 1\r\n");
  EXPECT_EQ(Run(Gauss(), {dir_ / "p.txt"}, dir_ / "p.txt").exitCode, 1);
  EXPECT_EQ(Slurp(dir_ / "p.txt"), good + "P2 x 1\r\n");
  Spit(dir_ / "p.txt", good);
  EXPECT_EQ(Run(Gauss(), {dir_ / "p.txt"}, dir_ / "p.txt").exitCode, 0);
  EXPECT_EQ(Slurp(dir_ / "p.txt"), "P1            3432012.058   144062.555\r\n");
}

// Numbers a command does not read but carries along (a height, a coordinate) must be
// numbers too; a point far from its meridian is written and counted, or refused when strict.
TEST_F(StreamTest, CarriedNumbersMustBeFiniteAndFarPointsAreCountedOrRefused) {
  Spit(dir_ / "p.txt", "P1 31 121 12.5\nP2 31 121 nan\nP3 31 121 12.5 -INF 备注\nP4 31 121 界桩 nan\nP5 31 121 1e999\n");
  RunOptions skip;
  skip.skipBadLines = true;
  RunResult r = Run(Gauss(), {dir_ / "p.txt"}, dir_ / "out.txt", skip);
  EXPECT_EQ(r.exitCode, 1);
  const std::string reason = ": 数值不能是 NaN 或无穷大!\n";
  EXPECT_EQ(errors_, dir_ / "p.txt:2" + reason + dir_ / "p.txt:3" + reason + dir_ / "p.txt:5" + reason);
  EXPECT_EQ(SplitLines(Slurp(dir_ / "out.txt")).size(), 2u);
  // CSV: every field but the first (the name).
  Spit(dir_ / "p.csv", "name,B,L,H\nnan,31,121,1\nK,31,121,inf\n");
  r = Run(Gauss(), {dir_ / "p.csv"}, dir_ / "out.csv", skip);
  EXPECT_EQ(errors_, dir_ / "p.csv:3" + reason);
  EXPECT_EQ(Slurp(dir_ / "out.csv"), "name,x,y,H\nnan,3431464.569,95508.161,1\n");

  GaussParams g;
  g.centralMeridian = Dms2Rad(120);
  Spit(dir_ / "g.txt", "F 3432012.058 144062.555\nG 3432012.058 500000\n");
  r = Run(GaussToGeodeticCommand(g, AngleUnit::Dms), {dir_ / "g.txt"}, dir_ / "out.txt");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.warned, 1u);
  EXPECT_EQ(errors_, "");
  EXPECT_EQ(SplitLines(Slurp(dir_ / "out.txt")).size(), 2u);
  RunOptions strict;
  strict.strict = true;
  r = Run(GaussToGeodeticCommand(g, AngleUnit::Dms), {dir_ / "g.txt"}, "", strict);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(errors_, dir_ / "g.txt:2: 点离中央子午线超过4°, 高斯投影反算的误差超过1毫米!\n");
}

TEST_F(StreamTest, BlocksAndWorkersChangeNothing) {
  std::mt19937 rng(11);
  std::string input;
  for (int i = 0; i < 3000; ++i) {
    input += "P" + std::to_string(i) + " " + std::to_string(20 + rng() % 30) + "." +
             std::to_string(1000 + rng() % 50 * 100 + rng() % 60) + " 12" + std::to_string(rng() % 4) + ".3030";
    if (i % 97 == 0) input += " 备注 " + std::to_string(i);
    if (i % 501 == 0) input += "\r\nbad line";
    input += i % 2 ? "\r\n" : "\n";
  }
  Spit(dir_ / "in.txt", input);
  RunOptions base;
  base.skipBadLines = true;
  Run(Gauss(), {dir_ / "in.txt"}, dir_ / "one.txt", base);
  const std::string expected = Slurp(dir_ / "one.txt"), expectedErrors = errors_;
  EXPECT_EQ(std::count(expectedErrors.begin(), expectedErrors.end(), '\n'), 6);
  for (unsigned jobs : {1u, 2u, 4u}) {
    for (std::size_t block : {std::size_t{1}, std::size_t{100}, std::size_t{4096}}) {
      RunOptions o = base;
      o.jobs = jobs;
      o.block = block;
      Run(Gauss(), {dir_ / "in.txt"}, dir_ / "many.txt", o);
      EXPECT_EQ(Slurp(dir_ / "many.txt"), expected) << jobs << " " << block;
      EXPECT_EQ(errors_, expectedErrors) << jobs << " " << block;
    }
  }
  // Stopping with workers ahead still stops at the first bad line.
  RunOptions stop;
  stop.jobs = 4;
  stop.block = 64;
  stop.outputFd = ::open("/dev/null", O_WRONLY);
  Run(Gauss(), {dir_ / "in.txt"}, "", stop);
  ::close(stop.outputFd);
  EXPECT_EQ(errors_, dir_ / "in.txt" + ":2: X或B应为数值!\n");
}

TEST_F(StreamTest, PlaneTransformsWriteWhatTheDialogsWrite) {
  // The same points through the rotation dialog's file routine and through the batch
  // command: its result lines, byte for byte.
  std::string input;
  std::mt19937 rng(5);
  for (int i = 0; i < 500; ++i)
    input += Utf8ToGbk("点") + std::to_string(i) + " " + std::to_string(3400000 + rng() % 100000) + "." +
             std::to_string(rng() % 10000) + " " + std::to_string(400000 + rng() % 100000) + ".5" +
             (i % 3 ? Utf8ToGbk(" 桩 号") : std::string()) + "\r\n";
  Spit(dir_ / "old.txt", input);
  const RotationCentres c{3450000, 420000, 1000, 2000, Dms2Rad(12.3456)};
  std::string error;
  ASSERT_EQ(RotatePointFile(dir_ / "old.txt", dir_ / "dialog.txt", c, "12.3456", {}, error),
            RotateOutcome::Done);
  ASSERT_EQ(Run(RotationCommand(c), {dir_ / "old.txt"}, dir_ / "batch.txt").exitCode, 0) << errors_;
  const std::vector<std::string> dialog = SplitLines(Slurp(dir_ / "dialog.txt"));
  const std::vector<std::string> batch = SplitLines(Slurp(dir_ / "batch.txt"));
  ASSERT_EQ(dialog.size(), batch.size() + 4);  // the dialog writes four header lines
  for (std::size_t i = 0; i < batch.size(); ++i) ASSERT_EQ(batch[i], dialog[i + 4]) << i;

  // The common-point transformation: parameters from the old file and a turned copy, then
  // the old file through the batch command and through the dialog's appending routine.
  std::string moved;
  for (const std::string& line : SplitLines(input)) {
    PointLine p;
    ASSERT_TRUE(SplitPointLine(GbkToUtf8(line), p));
    moved += Utf8ToGbk(ResultLine(p.Name, 0.9999 * p.X + 0.01 * p.Y + 10, -0.01 * p.X + 0.9999 * p.Y - 20, "")) + "\r\n";
  }
  Spit(dir_ / "new.txt", moved);
  const FitReport fit = FitFourParameters(dir_ / "old.txt", dir_ / "new.txt");
  ASSERT_TRUE(fit.ok);
  ASSERT_EQ(T_Co_Rotate(dir_ / "old.txt", dir_ / "new.txt", fit.state), AppendOutcome::Done);
  ASSERT_EQ(Run(FourParameterCommand(fit.state), {dir_ / "old.txt"}, dir_ / "batch.txt").exitCode, 0);
  const std::vector<std::string> appended = SplitLines(Slurp(dir_ / "new.txt"));
  const std::vector<std::string> fitted = SplitLines(Slurp(dir_ / "batch.txt"));
  ASSERT_EQ(appended.size(), 500 + 3 + fitted.size());
  for (std::size_t i = 0; i < fitted.size(); ++i) ASSERT_EQ(fitted[i], appended[503 + i]) << i;
  const std::vector<std::string> lines = ParameterLines(fit.state);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("X平移(米)     ", 0), 0u) << lines[0];
}

}  // namespace
}  // namespace vantrel::batch
