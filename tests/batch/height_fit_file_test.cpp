// The common-point file of the height fitting, its report and the conversion of point files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "batch/height_fit_file.h"
#include "batch/observation_text.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "tests/support/height_points.h"
#include "tests/support/temp_files.h"

namespace vantrel::batch {
namespace {

TEST(HeightPointFile, ReadsGbkAndUtf8WithAnyLineEndsAndMarks) {
  const std::string utf8 = "# 公共点\r\n甲1 3012000.5 512000.25 45.3210 20.1180\rG2\t3013000 512000 46 21 检核 # 留作检核\n\nG3 3012000 513000.125 47 21.5\n";
  for (const std::string& bytes : {utf8, Utf8ToGbk(utf8)}) {
    const HeightFileResult r = ParseHeightPointText(bytes, "c.txt");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.points.size(), 3u);
    EXPECT_EQ(r.points[0].name, "甲1");
    EXPECT_EQ(r.points[0].y, 512000.25);
    EXPECT_EQ(r.points[0].h, 20.118);
    EXPECT_TRUE(r.points[1].check);
    EXPECT_FALSE(r.points[2].check);
    EXPECT_EQ(r.lines, (std::vector<int>{2, 3, 5}));
  }
  std::vector<adjustment::HeightPoint> pts = ParseHeightPointText(utf8, "c.txt").points;
  std::string error;
  EXPECT_TRUE(MarkCheckPoints(pts, {"G3"}, error));
  EXPECT_TRUE(pts[2].check);
  EXPECT_FALSE(MarkCheckPoints(pts, {"G9"}, error));
  EXPECT_EQ(error, "公共点中没有检核点 G9!");
}

TEST(HeightPointFile, BadLinesAreToldWithFileAndLine) {
  const struct {
    std::string text, error;
  } cases[] = {
      {"A 1 2 3 4\nB 1 2 3\n", "f:2: 公共点行应为: 点名 x y 大地高H 正常高h [检核]!"},
      {"A 1 2 3 4 检核 7\n", "f:1: 多余的数据项: 7!"},
      {"A 1 2 3 4 检查\n", "f:1: 不认识的数据项: 检查 (检核点在行末写 检核)!"},
      {"A 1x 2 3 4\n", "f:1: x坐标错!"},
      {"A 1 2 3 nan\n", "f:1: 正常高错!"},
      {"A 1 2e9 3 4\n", "f:1: y坐标太大: 2e9 (应小于 1e9 米)!"},
      {"A 1 2 3 4\n\nA 5 6 7 8\n", "f:3: 点名 A 重复 (第1行已有)!"},
      {"# 只有注释\n\n", "f: 没有公共点!"},
  };
  for (const auto& c : cases) {
    const HeightFileResult r = ParseHeightPointText(c.text, "f");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, c.error);
    EXPECT_TRUE(r.points.empty());
  }
  const std::string binary = ParseHeightPointText(std::string("A 1 2 3 4\n\0", 11), "f").error;
  EXPECT_EQ(binary.rfind("f: ", 0), 0u);
  EXPECT_STREQ(binary.c_str() + 3, kNotTextReason);
  EXPECT_EQ(ReadHeightPointFile("/nonexistent/c.txt").error.rfind("/nonexistent/c.txt: ", 0), 0u);
}

// Every row of the printed table adds up at its printed digits: ζ = H − h and v = fitted − ζ.
TEST(HeightFitReport, TableAddsUpAsPrinted) {
  auto pts = test::HeightGrid(4, 900, 3012345.6789, 38512345.6789, [](double x, double) { return 11.5 + 1e-5 * (x - 3012345); },
                              5, 0.02, 5);
  for (auto& p : pts) p.H = std::round(p.H * 1e5) / 1e5;  // a digit more than printed
  const adjustment::HeightFit f = adjustment::FitHeightAnomaly(pts, {adjustment::HeightModel::Quadratic});
  ASSERT_TRUE(f.ok) << f.error;
  const std::vector<std::string> lines = HeightFitReportText(f);
  std::size_t rows = 0;
  for (const std::string& line : lines) {
    const std::vector<std::string> w = SplitBlanks(line);
    if (w.size() < 8 || w[0][0] != 'P') continue;
    ++rows;
    const double H = *ReadStrict(w[3]), h = *ReadStrict(w[4]), zeta = *ReadStrict(w[5]), fit = *ReadStrict(w[6]);
    EXPECT_EQ(FormatPattern(H - h, "0.0000"), w[5]) << line;
    EXPECT_EQ(FormatPattern((fit - zeta) * 1000, "0.0"), w[7]) << line;
    EXPECT_EQ(w.size() == 9, w.back() == kCheckMarker) << line;
  }
  EXPECT_EQ(rows, pts.size());
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  EXPECT_NE(all.find("内符合精度 σ = ±√([vv]/(n-u)) = ±" + FormatPattern(f.sigmaInternal * 1000, "0.0") + " 毫米 (n = 13, u = 6)"),
            std::string::npos) << all;
  EXPECT_NE(all.find("外符合精度 ±√([vv]/m) = ±" + FormatPattern(f.sigmaExternal * 1000, "0.0") + " 毫米 (检核点 m = 3)"), std::string::npos);
  for (const std::string& line : lines) EXPECT_EQ(Utf8ToGbk(line).find('?'), std::string::npos) << line;  // all in GBK
  const std::string html = HeightFitReportHtml(f);
  EXPECT_NE(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find("<td class=\"t\">检核</td>"), std::string::npos);
}

// x y H through the fit: x and y and the rest of each line as they stood, h = H − ζ, points
// beyond the fitting points' hull computed with a warning, or refused when strict.
class HeightFitCommandTest : public test::TempDirTest {};

TEST_F(HeightFitCommandTest, ConvertsPointFilesAndWarnsOfExtrapolation) {
  std::vector<adjustment::HeightPoint> common;
  for (auto [x, y] : {std::pair{0.0, 0.0}, {1000.0, 0.0}, {0.0, 1000.0}, {1000.0, 1000.0}})
    common.push_back({"", 3e6 + x, 5e5 + y, 30 + x * 1e-4 + y * 2e-4, 0});
  const adjustment::HeightFit f = adjustment::FitHeightAnomaly(common, {adjustment::HeightModel::Plane});
  ASSERT_TRUE(f.ok) << f.error;
  const std::string in = dir_ / "in.txt", out = dir_ / "out.txt";
  test::Spit(in, test::Gbk({"内1 3000500.0 500500.00 100.000 井盖", "外1 3002000 500500 100", "内2 3000000 501000.000 50"}));
  for (bool strict : {false, true}) {
    RunOptions o;
    o.inputs = {in};
    o.output = out;
    o.strict = strict;
    o.skipBadLines = true;
    const std::string log = dir_ / "log";
    o.errorFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const RunResult r = RunCommand(HeightFitCommand(f), o);
    ::close(o.errorFd);
    // h = 100 − (30 + 0.05 + 0.1), 100 − (30 + 0.2 + 0.1) and 50 − (30 + 0.2).
    const std::string outside = strict ? "" : PrintZones({"外1", "3002000", "500500", "69.700"}) + "\r\n";
    EXPECT_EQ(test::Slurp(out), Utf8ToGbk(PrintZones({"内1", "3000500.0", "500500.00", "69.850", "井盖"}) + "\r\n" + outside +
                                          PrintZones({"内2", "3000000", "501000.000", "19.800"}) + "\r\n"));
    EXPECT_EQ(r.warned, strict ? 0u : 1u);
    EXPECT_EQ(r.warnings.count(Status::Extrapolated), strict ? 0u : 1u);
    if (strict) {
      EXPECT_NE(test::Slurp(log).find(":2: " + std::string(StatusMessage(Status::Extrapolated))), std::string::npos);
    }
  }
  EXPECT_EQ(WarnedCountText(Status::Extrapolated, 3), "共有 3 个点在拟合点围成的范围 (凸包) 之外, 高程异常是外推的!");
}

}  // namespace
}  // namespace vantrel::batch
