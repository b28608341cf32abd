// vantrel-cli traverse and fit7 end to end: the worked examples byte for byte, traverses made
// from known points (closed and connecting, left and right angles), refusals that leave no
// file, seven parameters fitted from points that `seven` transformed and fed back to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "batch/traverse_report.h"
#include "common/text_files.h"
#include "tests/support/cli_run.h"
#include "tests/support/synthetic_traverse.h"
#include "tests/support/textbook_traverse.h"

namespace vantrel {
namespace {

using test::Slurp;
using test::Spit;
using test::Decimals;
using test::NumberRows;
using test::Words;
using test::Replaced;

using CliTraverseTest = test::CliRunTest;

const std::string kExamples = std::string(VANTREL_SOURCE) + "/examples/traverse/";

// The numbers of a comma list such as seven --params takes.
std::vector<double> CommaNumbers(std::string text) {
  for (char& ch : text)
    if (ch == ',') ch = ' ';
  const auto rows = Words(text);
  std::vector<double> v;
  for (const auto& w : rows.at(0)) v.push_back(std::stod(w));
  return v;
}

// An observation file for a traverse input, angles to a tenth of a second (as finely as the
// file takes them), metres to a tenth of a millimetre.
std::string TraverseFileText(const adjustment::TraverseInput& in) {
  const bool closed = in.kind == adjustment::TraverseKind::Closed;
  auto point = [](const char* word, const adjustment::TraversePoint& p) {
    return std::string(word) + " " + p.name + " " + Decimals(p.x, 4) + " " + Decimals(p.y, 4) + "\n";
  };
  auto angle = [](double a) { return batch::PackedAngleText(a, 1); };
  std::string s = std::string("导线 ") + (closed ? "闭合 " : "附合 ") +
                  (in.side == adjustment::AngleSide::Left ? "左角" : "右角") + "\n";
  s += point("起点", in.start);
  if (in.backSight) s += point("后视", *in.backSight);
  if (in.startAzimuth) s += "起始方位 " + angle(*in.startAzimuth) + "\n";
  if (in.connectionAngle) s += "连接角 " + angle(*in.connectionAngle) + "\n";
  if (in.firstLegAzimuth) s += "首边方位 " + angle(*in.firstLegAzimuth) + "\n";
  if (!closed) {
    s += point("终点", in.end);
    if (in.foreSight) s += point("前视", *in.foreSight);
    if (in.endAzimuth) s += "终止方位 " + angle(*in.endAzimuth) + "\n";
  }
  for (size_t i = 0; i < in.stations.size(); ++i) {
    const auto& st = in.stations[i];
    s += st.name + " " + angle(st.angle);
    if (closed || i + 1 < in.stations.size()) s += " " + Decimals(st.distance, 4);
    s += "\n";
  }
  return s;
}

// The adjusted coordinates of the text report's coordinate table: name -> X, Y.
std::map<std::string, std::pair<double, double>> ReportCoordinates(const std::string& report) {
  std::map<std::string, std::pair<double, double>> xy;
  bool inTable = false;
  for (const auto& row : Words(report)) {
    if (row[0] == "坐标计算") inTable = true;
    if (!inTable || row[0] == "点号" || row[0] == "Σ" || row.size() < 3) continue;
    if (row[0].rfind("f", 0) == 0) break;
    xy[row[0]] = {std::stod(row[row.size() - 2]), std::stod(row.back())};
  }
  return xy;
}

TEST_F(CliTraverseTest, WorkedExamplesComeOutAsCommitted) {
  for (const std::string name : {"closed", "connecting"}) {
    SCOPED_TRACE(name);
    const std::string in = kExamples + name + ".txt";
    for (const std::string report : {"text", "html"}) {
      const std::string out = dir_ / (name + "." + report);
      ASSERT_EQ(Cli("traverse --report " + report + " -o " + out + " " + in), 0) << err_;
      EXPECT_EQ(out_, "");
      EXPECT_EQ(err_, "");
      const std::string committed = Slurp(kExamples + name + (report == "text" ? "_report.txt" : "_report.html"));
      ASSERT_FALSE(committed.empty());
      EXPECT_TRUE(Slurp(out) == committed) << report << " differs from the committed report";
    }
    // Standard output carries the same table in UTF-8 with LF; standard input reads too.
    ASSERT_EQ(Cli("traverse -", Slurp(in)), 0) << err_;
    std::string want = GbkOrUtf8ToUtf8(Slurp(kExamples + name + "_report.txt"));
    for (size_t p; (p = want.find("\r\n")) != std::string::npos;) want.replace(p, 2, "\n");
    EXPECT_EQ(out_, want);
    ASSERT_EQ(Cli("traverse --report html " + in), 0) << err_;
    EXPECT_EQ(out_, Slurp(kExamples + name + "_report.html"));
    EXPECT_NE(out_.find("<svg xmlns="), std::string::npos);
    EXPECT_NE(out_.find("</svg>"), std::string::npos);
  }
}

// Error-free observations of known points: the report's coordinates are the true ones, to
// what angles written to 0.1″ and increments rounded to the millimetre leave, whatever the
// kind, the angle side, the orientation and the correction step.
TEST_F(CliTraverseTest, SyntheticTraversesEndOnTheirTruePoints) {
  using adjustment::AngleSide;
  using adjustment::TraverseKind;
  using test::Orientation;
  struct Case { TraverseKind kind; AngleSide side; Orientation orient; int legs; };
  const Case cases[] = {
      {TraverseKind::Closed, AngleSide::Left, Orientation::Points, 5},
      {TraverseKind::Closed, AngleSide::Right, Orientation::Points, 6},
      {TraverseKind::Closed, AngleSide::Left, Orientation::Azimuths, 4},
      {TraverseKind::Closed, AngleSide::Right, Orientation::FirstLeg, 7},
      {TraverseKind::Connecting, AngleSide::Left, Orientation::Points, 4},
      {TraverseKind::Connecting, AngleSide::Right, Orientation::Points, 5},
      {TraverseKind::Connecting, AngleSide::Left, Orientation::Azimuths, 6},
      {TraverseKind::Connecting, AngleSide::Right, Orientation::Azimuths, 3},
  };
  // One traverse a case through the program; the adjustment's own tests take many seeds.
  int runs = 0;
  unsigned seed = 0;
  for (const Case& c : cases)
    for (const char* step : {"1", "0"}) {
      const test::SyntheticTraverse t = test::MakeTraverse(++seed * 31 + c.legs, c.kind, c.side, c.legs, c.orient);
      SCOPED_TRACE(TraverseFileText(t.input));
      Spit(dir_ / "t.txt", TraverseFileText(t.input));
      ASSERT_EQ(Cli(std::string("traverse --step ") + step + " " + dir_ / "t.txt"), 0) << err_;
      EXPECT_NE(out_.find(c.kind == TraverseKind::Closed ? "闭合导线计算表" : "附合导线计算表"), std::string::npos);
      EXPECT_NE(out_.find(c.side == AngleSide::Left ? "角度: 左角" : "角度: 右角"), std::string::npos);
      EXPECT_NE(out_.find(std::string(step) == "0" ? "平均分配, 不凑整" : "取至 1″"), std::string::npos);
      const auto xy = ReportCoordinates(out_);
      ASSERT_EQ(xy.size(), t.stations.size());
      for (const auto& p : t.stations) {
        ASSERT_TRUE(xy.count(p.name)) << p.name;
        EXPECT_NEAR(xy.at(p.name).first, p.x, 0.003) << p.name;
        EXPECT_NEAR(xy.at(p.name).second, p.y, 0.003) << p.name;
      }
      ++runs;
    }
  EXPECT_EQ(runs, 16);
}

// Two minutes off at one angle: refused with the figures, no file written and an old one
// kept; --force adjusts and says so; a wider allowance takes it without a word.
TEST_F(CliTraverseTest, MisclosureBeyondTheAllowanceIsRefused) {
  struct Case { const char* example; const char* from; const char* to; };
  const Case cases[] = {
      {"connecting.txt", "174.1420", "174.1620"},
      {"closed.txt", "D2  103.1515", "D2  103.1315"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    std::string text = Slurp(kExamples + c.example);
    ASSERT_NE(text.find(c.from), std::string::npos);
    text.replace(text.find(c.from), std::string(c.from).size(), c.to);
    Spit(dir_ / "worse.txt", text);
    const std::vector<std::string> before{"stderr", "stdin", "stdout", "worse.txt"};
    for (const char* report : {"text", "html"}) {
      EXPECT_EQ(Cli(std::string("traverse --report ") + report + " -o " + dir_ / "new.txt " + dir_ / "worse.txt"), 1);
      EXPECT_NE(err_.find(dir_ / "worse.txt: 角度闭合差 "), std::string::npos) << err_;
      EXPECT_NE(err_.find("超过限差 ±89.4″, 不能平差!"), std::string::npos) << err_;
      EXPECT_EQ(out_, "");
      EXPECT_EQ(dir_.Entries(), before);
    }
    Spit(dir_ / "old.txt", "kept");
    EXPECT_EQ(Cli("traverse -o " + dir_ / "old.txt " + dir_ / "worse.txt"), 1);
    EXPECT_EQ(Slurp(dir_ / "old.txt"), "kept");

    ASSERT_EQ(Cli("traverse --force -o " + dir_ / "forced.txt " + dir_ / "worse.txt"), 0) << err_;
    EXPECT_NE(GbkOrUtf8ToUtf8(Slurp(dir_ / "forced.txt")).find("超限, 按要求强制平差"), std::string::npos);
    ASSERT_EQ(Cli("traverse --allowance 80 " + dir_ / "worse.txt"), 0) << err_;
    EXPECT_NE(out_.find("角度闭合差限差: ±80″√n"), std::string::npos);
    EXPECT_EQ(out_.find("超限"), std::string::npos);
    // The tighter allowance of a higher order refuses the unchanged example.
    EXPECT_EQ(Cli("traverse --allowance 5 " + kExamples + c.example), 1);
    EXPECT_NE(err_.find("超过限差 ±11.2″"), std::string::npos) << err_;
    std::remove((dir_ / "old.txt").c_str());
    std::remove((dir_ / "forced.txt").c_str());
  }
}

TEST_F(CliTraverseTest, FileErrorsNameTheLine) {
  const std::string good = Slurp(kExamples + "connecting.txt");
  struct Case { std::string bytes; const char* says; };
  std::string utf16 = "\xFF\xFE";
  for (char c : good) utf16 += {c, '\0'};  // its ASCII part is enough to tell
  const Case cases[] = {
      {"导线 附合 左角\n起点 B 1 x\n", "bad.txt:2: 起算点坐标错!"},
      {"导线 附合\n", "bad.txt:1: 导线 行应写明类型"},
      {good + "T9 361.0000 12.5\n", "bad.txt:12: 转折角错!"},
      {good + "T9 10.0000 -3\n", "bad.txt:12: 边长错!"},
      {good + "导线 闭合 左角\n", "bad.txt:12: 重复的 导线 行"},
      {"起点 B 1 2\nB 10 10\n", "bad.txt: 缺少 导线 行"},
      // Sizes the tables cannot print, a misspelled keyword, files that are no text.
      {Replaced(good, "317.611", "1e308"), "bad.txt:8: 边长太大: 1e308 (坐标和边长应小于 1e9 米)!"},
      {Replaced(good, "3518402.117", "99999999999999.99"), "bad.txt:3: 坐标太大: 99999999999999.99"},
      {Replaced(good, "后视", "后视点"), "bad.txt:4: 不认识的关键字: 后视点 (是 后视 吗?)!"},
      {utf16, "bad.txt: 不是 GBK 或 UTF-8 文本 (UTF-16 或二进制文件?)"},
      {Slurp("/proc/self/exe").substr(0, 4096), "bad.txt: 不是 GBK 或 UTF-8 文本"},
  };
  for (const Case& c : cases) {
    Spit(dir_ / "bad.txt", c.bytes);
    EXPECT_EQ(Cli("traverse -o " + dir_ / "out.txt " + dir_ / "bad.txt"), 1) << c.says;
    EXPECT_NE(err_.find(dir_ / c.says), std::string::npos) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;  // one message, nothing echoed
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"bad.txt", "stderr", "stdin", "stdout"}));
  }
  EXPECT_EQ(Cli("traverse " + dir_ / "missing.txt"), 1);
  EXPECT_EQ(err_.rfind(dir_ / "missing.txt: ", 0), 0u) << err_;
  // The routine's own checks of the geometry come back the same way.
  std::string twice = good;
  twice.replace(twice.find("T2 "), 3, "T1 ");
  Spit(dir_ / "twice.txt", twice);
  EXPECT_EQ(Cli("traverse " + dir_ / "twice.txt"), 1);
  EXPECT_EQ(err_.rfind(dir_ / "twice.txt: ", 0), 0u) << err_;
  EXPECT_EQ(out_, "");
}

TEST_F(CliTraverseTest, HelpTellsTheFileLayout) {
  ASSERT_EQ(Cli("traverse --help"), 0);
  for (const char* says : {"起始方位", "首边方位", "连接角", "man vantrel-cli", "/usr/share/vantrel/manual/index.html", "--force",
                           "--grade", "GB 50026", "一级      ±10″√n       1/15000", "图根      ±40″√n       1/2000"})
    EXPECT_NE(out_.find(says), std::string::npos) << says;
}

// The textbook traverse (f_β = -36″ on five angles, 1/K = 1/4472) under the grades: refused
// by 一级's angles and 三级's closure, taken as 图根. A leg typed 1e2 for 132.30 makes 1/21,
// refused without a grade as well; --force adjusts and marks it.
TEST_F(CliTraverseTest, GradesRefuseOverEitherAllowance) {
  Spit(dir_ / "book.txt", test::kTextbookTraverse);
  Spit(dir_ / "typo.txt", Replaced(test::kTextbookTraverse, "132.30", "1e2"));
  struct Case { std::string args; int status; const char* says; };
  const Case cases[] = {
      {"--grade 一级 book.txt", 1, "book.txt: 角度闭合差 -36.0″ 超过限差 ±22.4″, 不能平差!"},
      {"--grade 三级 book.txt", 1, "book.txt: 导线全长相对闭合差 1/K = 1/4472 超过限差 1/5000, 不能平差!"},
      {"--grade 图根 book.txt", 0, "等级: 图根    角度闭合差限差: ±40″√n    导线全长相对闭合差限差: 1/2000"},
      {"typo.txt", 1, "typo.txt: 导线全长相对闭合差 1/K = 1/21 超过限差 1/2000, 不能平差!"},
      {"--force typo.txt", 0, "相对闭合差 1/K = 1/21    超限, 按要求强制平差"},
      {"--grade 三级 --force --report html book.txt", 0, "1/K = 1/4472    超限, 按要求强制平差</p>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string args = c.args;
    args.replace(args.rfind(' ') + 1, 0, dir_.path().string() + "/");
    EXPECT_EQ(Cli("traverse " + args), c.status) << err_;
    EXPECT_NE((c.status ? err_ : out_).find(c.says), std::string::npos) << err_ << out_;
  }
}

// -o writes the text table in GBK: a name GBK has no code for is an error, no '?' in its
// place and no file; standard output (UTF-8) and the HTML page keep it.
TEST_F(CliTraverseTest, NamesGbkCannotHoldAreNoGbkReport) {
  Spit(dir_ / "t.txt", Replaced(Replaced(Slurp(kExamples + "connecting.txt"), "\nT1 ", "\n한국 "), "\nT2 ", "\nT😀 "));
  EXPECT_EQ(Cli("traverse -o " + dir_ / "out.txt " + dir_ / "t.txt"), 1);
  EXPECT_NE(err_.find(dir_ / "out.txt: 第16行的 “한” GBK 里没有"), std::string::npos) << err_;
  EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"stderr", "stdin", "stdout", "t.txt"}));
  ASSERT_EQ(Cli("traverse " + dir_ / "t.txt"), 0) << err_;
  EXPECT_NE(out_.find("\n한국 "), std::string::npos);
  ASSERT_EQ(Cli("traverse --report html -o " + dir_ / "out.html " + dir_ / "t.txt"), 0) << err_;
  EXPECT_NE(Slurp(dir_ / "out.html").find("<td>T😀</td>"), std::string::npos);
}

// An output that cannot be written fails the run with status 1 and leaves no other file.
TEST_F(CliTraverseTest, UnwritableOutputsFailWithoutLeftovers) {
  Spit(dir_ / "common.txt", "A 0 0 0 1 1 1\nB 1000 0 0 1001 1 1\nC 0 1000 0 1 1001 1\nD 0 0 1000 1 1 1001\n");
  const std::string nowhere = dir_ / "no/such/folder/out.txt";
  struct Case { std::string args; const char* says; };
  const Case cases[] = {
      {"traverse -o " + nowhere + " " + kExamples + "closed.txt", "不能写入"},
      {"traverse --report html -o " + nowhere + " " + kExamples + "closed.txt", "不能写入"},
      {"fit7 -o " + nowhere + " --params-out " + dir_ / "p.txt " + dir_ / "common.txt", "不能写入"},
      {"fit7 --params-out " + nowhere + " -o " + dir_ / "r.txt " + dir_ / "common.txt", "不能写入"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cli(c.args), 1) << c.args;
    EXPECT_NE(err_.find(std::string(c.says) + nowhere), std::string::npos) << err_;
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"common.txt", "stderr", "stdin", "stdout"})) << c.args;
  }
  // Both files when both can be written.
  ASSERT_EQ(Cli("fit7 --params-out " + dir_ / "p.txt -o " + dir_ / "r.txt " + dir_ / "common.txt"), 0) << err_;
  std::string params = Slurp(dir_ / "p.txt");
  ASSERT_EQ(params.back(), '\n');
  params.pop_back();
  EXPECT_NE(GbkOrUtf8ToUtf8(Slurp(dir_ / "r.txt")).find("\r\n--params " + params + "\r\n"), std::string::npos);
  const auto v = CommaNumbers(params);
  ASSERT_EQ(v.size(), 7u);
  for (int k = 0; k < 7; ++k) EXPECT_NEAR(v[k], k < 3 ? 1 : 0, 1e-9) << params;
}

// ---------------------------------------------------------------- fit7

struct Xyz { std::string name; double X, Y, Z; };

// Points a few kilometres apart on the ground near 31° N 121° E, in space coordinates.
std::vector<Xyz> GroundPoints(int n, unsigned seed) {
  std::vector<Xyz> p;
  const double a = 6378245, e2 = 0.00669342162296594;
  for (int i = 0; i < n; ++i) {
    const double u = std::sin(seed * 12.9898 + i * 78.233) * 43758.5453;
    const double v = std::sin(seed * 39.3468 + i * 11.135) * 24634.6345;
    const double B = (31 + 0.2 * (u - std::floor(u))) * test::kTruePi / 180;
    const double L = (121 + 0.25 * (v - std::floor(v))) * test::kTruePi / 180;
    const double H = 10 + 90 * (u - std::floor(u)) * (v - std::floor(v));
    const double N = a / std::sqrt(1 - e2 * std::sin(B) * std::sin(B));
    p.push_back({"G" + std::to_string(i + 1), (N + H) * std::cos(B) * std::cos(L),
                 (N + H) * std::cos(B) * std::sin(L), (N * (1 - e2) + H) * std::sin(B)});
  }
  return p;
}

std::string PointsText(const std::vector<Xyz>& p) {
  std::string s;
  for (const Xyz& q : p) s += q.name + " " + Decimals(q.X, 5) + " " + Decimals(q.Y, 5) + " " + Decimals(q.Z, 5) + "\n";
  return s;
}

// The line of the report that starts with the given words.
std::string LineStarting(const std::string& text, const std::string& start) {
  const size_t at = text.find("\n" + start);
  if (at == std::string::npos) return "";
  return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

const char* const kParamSets[] = {
    "81.37785,197.46387,167.83978,-1.01922,5.04083,.197089,-14.99384",
    "0,0,0,0,0,0,0",
    "-15.2,120.7,48.9,3.5,-0.8,1.9,2.6",
    "250,-310,-95.5,-12,30,-25,40",
};

// seven transforms, fit7 finds the parameters again, and seven with them gives the same points.
TEST_F(CliTraverseTest, Fit7FindsTheParametersSevenUsed) {
  for (const char* params : kParamSets)
    for (int n : {3, 12}) {
      SCOPED_TRACE(std::string(params) + ", points " + std::to_string(n));
      const auto old = GroundPoints(n, n + 7);
      Spit(dir_ / "old.txt", PointsText(old));
      ASSERT_EQ(Cli(std::string("seven --decimals 7 --params ") + params + " " + dir_ / "old.txt"), 0) << err_;
      const auto target = NumberRows(out_);
      std::string common;
      for (const Xyz& q : old) {
        const auto& t = target.at(q.name);
        common += q.name + " " + Decimals(q.X, 5) + " " + Decimals(q.Y, 5) + " " + Decimals(q.Z, 5) + " " + Decimals(t[0], 7) + " " +
                  Decimals(t[1], 7) + " " + Decimals(t[2], 7) + "\n";
      }
      Spit(dir_ / "common.txt", common);
      ASSERT_EQ(Cli("fit7 --params-out " + dir_ / "p.txt " + dir_ / "common.txt"), 0) << err_;
      const std::string report = out_;
      EXPECT_NE(report.find("公共点: " + std::to_string(n)), std::string::npos) << report;
      EXPECT_NE(report.find("单位权中误差 σ0 = "), std::string::npos);
      EXPECT_EQ(report.find("超过3σ0\n"), std::string::npos) << report;
      std::string fitted = Slurp(dir_ / "p.txt");
      ASSERT_EQ(fitted.back(), '\n');
      fitted.pop_back();
      EXPECT_EQ(LineStarting(report, "--params "), "--params " + fitted);
      // The numbers themselves, within what seven's seventh decimal leaves.
      const auto f = CommaNumbers(fitted), g = CommaNumbers(params);
      ASSERT_EQ(f.size(), 7u);
      for (int k = 0; k < 7; ++k) EXPECT_NEAR(f[k], g[k], k < 3 ? 2e-3 : 2e-4) << "parameter " << k;
      // Fed back: the target points to the micrometre.
      ASSERT_EQ(Cli("seven --decimals 7 --params " + fitted + " " + dir_ / "old.txt"), 0) << err_;
      const auto again = NumberRows(out_);
      for (const Xyz& q : old)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(again.at(q.name)[k], target.at(q.name)[k], 2e-6) << q.name;
    }
}

// Geodetic common points on two ellipsoids, CGCS2000 among them: blh2xyz, seven, xyz2blh make
// them; fit7 --geodetic finds the parameters again.
TEST_F(CliTraverseTest, Fit7FromGeodeticCoordinatesOnTwoEllipsoids) {
  struct Case { const char* from; const char* to; };
  const Case cases[] = {{"54", "2000"}, {"80", "2000"}, {"2000", "84"}, {"54", "80"}};
  const std::string params = kParamSets[2];
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
    const auto pts = GroundPoints(6, 3);
    Spit(dir_ / "xyz.txt", PointsText(pts));
    ASSERT_EQ(Cli(std::string("xyz2blh --decimals 7 --ellipsoid ") + c.from + " " + dir_ / "xyz.txt"), 0) << err_;
    const auto oldBlh = Words(out_);
    ASSERT_EQ(Cli("seven --decimals 7 --params " + params + " " + dir_ / "xyz.txt -o " + dir_ / "new.txt"), 0) << err_;
    ASSERT_EQ(Cli(std::string("xyz2blh --decimals 7 --ellipsoid ") + c.to + " " + dir_ / "new.txt"), 0) << err_;
    const auto newBlh = Words(out_);
    ASSERT_EQ(oldBlh.size(), pts.size());
    ASSERT_EQ(newBlh.size(), pts.size());
    std::string common;
    for (size_t i = 0; i < pts.size(); ++i)
      common += oldBlh[i][0] + " " + oldBlh[i][1] + " " + oldBlh[i][2] + " " + oldBlh[i][3] + " " + newBlh[i][1] + " " +
                newBlh[i][2] + " " + newBlh[i][3] + "\n";
    Spit(dir_ / "common.txt", common);
    ASSERT_EQ(Cli(std::string("fit7 --geodetic --ellipsoid ") + c.from + " --to-ellipsoid " + c.to + " " +
                  dir_ / "common.txt --params-out " + dir_ / "p.txt"),
              0)
        << err_;
    std::string fitted = Slurp(dir_ / "p.txt");
    fitted.pop_back();
    ASSERT_EQ(Cli("seven --decimals 7 --params " + fitted + " " + dir_ / "xyz.txt"), 0) << err_;
    const auto again = NumberRows(out_), want = NumberRows(Slurp(dir_ / "new.txt"));
    for (const Xyz& q : pts)
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(again.at(q.name)[k], want.at(q.name)[k], 2e-4) << q.name;
  }
}

TEST_F(CliTraverseTest, Fit7FlagsABlunderAndRefusesBadSets) {
  const auto old = GroundPoints(12, 5);
  Spit(dir_ / "old.txt", PointsText(old));
  ASSERT_EQ(Cli(std::string("seven --decimals 7 --params ") + kParamSets[0] + " " + dir_ / "old.txt"), 0) << err_;
  const auto target = NumberRows(out_);
  std::string common;
  for (const Xyz& q : old) {
    const auto& t = target.at(q.name);
    const double blunder = q.name == "G4" ? 0.5 : 0;
    common += q.name + " " + Decimals(q.X, 5) + " " + Decimals(q.Y, 5) + " " + Decimals(q.Z, 5) + " " + Decimals(t[0] + blunder, 7) + " " +
              Decimals(t[1], 7) + " " + Decimals(t[2], 7) + "\n";
  }
  Spit(dir_ / "common.txt", common);
  ASSERT_EQ(Cli("fit7 " + dir_ / "common.txt"), 0) << err_;
  for (const Xyz& q : old) {
    const std::string row = LineStarting(out_, q.name + " ");
    ASSERT_FALSE(row.empty()) << q.name;
    EXPECT_EQ(row.find("超过3σ0") != std::string::npos, q.name == "G4") << row;
  }

  struct Case { std::string bytes; const char* says; };
  const std::string line = "A 1000 2000 3000 1001 2001 3001\n";
  const Case cases[] = {
      {line + "B 2000 1000 3000 2001 1001 3001\n", "common.txt: 公共点少于3个, 不能求七参数!"},
      {line + "B 2000 3000 4000 2001 3001 4001\nC 3000 4000 5000 3001 4001 5001\n"
              "D 4000 5000 6000 4001 5001 6001\n",
       "common.txt: 公共点共线, 不能求七参数!"},
      {line + "B 2000 3000 4000 2001 3001\n", "common.txt:2: 公共点行应为: 点名 X Y Z X' Y' Z'!"},
      {"# 公共点\n" + line + "B 2000 3000 x 2001 3001 4001\n", "common.txt:3: 空间坐标错!"},
      {"", "common.txt: 公共点少于3个"},
  };
  for (const Case& c : cases) {
    Spit(dir_ / "common.txt", c.bytes);
    EXPECT_EQ(Cli("fit7 --params-out " + dir_ / "p.txt -o " + dir_ / "r.txt " + dir_ / "common.txt"), 1) << c.says;
    EXPECT_NE(err_.find(dir_ / c.says), std::string::npos) << err_;
    EXPECT_EQ(out_, "");
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"common.txt", "old.txt", "stderr", "stdin", "stdout"}));
  }
  Spit(dir_ / "common.txt", "A 31 121 10 31 121 10\n");
  EXPECT_EQ(Cli("fit7 --geodetic --ellipsoid 54 --to-ellipsoid 2000 " + dir_ / "common.txt"), 1);
  EXPECT_NE(err_.find("公共点少于3个"), std::string::npos) << err_;
  Spit(dir_ / "common.txt", "A 91 121 10 31 121 10\n");
  EXPECT_EQ(Cli("fit7 --geodetic --ellipsoid 54 --to-ellipsoid 2000 " + dir_ / "common.txt"), 1);
  EXPECT_NE(err_.find("common.txt:1: 纬度错!"), std::string::npos) << err_;
}

}  // namespace
}  // namespace vantrel
