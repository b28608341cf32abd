// The levelling route file (sections and field books) and the computation table it leads to:
// a published field book reduced, faulty lines told as FILE:LINE, the printed table adding up.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "batch/level_route_file.h"
#include "batch/level_route_report.h"
#include "common/text_files.h"
#include "tests/support/report_tables.h"

namespace vantrel::batch {
namespace {

long long Mm(const std::string& text) { return std::llround(std::stod(text) * 1000); }

adjustment::LevelRouteOptions Basis(adjustment::LevelBasis b) {
  adjustment::LevelRouteOptions o;
  o.distribute = o.allowanceBasis = b;
  return o;
}

TEST(LevelRouteFileTest, FieldBookReducedAsPublished) {
  // 测量学 exercises with answers, 表2-4 水准测量观测记录手薄 (china-audit.com copy): BM.A 22.718,
  // four set-ups; published h +0.955 +0.632 -0.637 +0.096, Σa 6.499, Σb 5.453, H_B 23.764.
  const std::string text =
      "路线 附合\r\n已知 BM.A 22.718\r\n已知 B 23.764\r\n手簿\r\n"
      "BM.A 1.874 -\r\nTP.1 1.727 0.919\r\nTP.2 1.186 1.095\r\nTP.3 1.712 1.823\r\nB - 1.616\r\n";
  for (const std::string& bytes : {text, Utf8ToGbk(text)}) {
    const LevelRouteFileResult r = ParseLevelRouteText(bytes, "b.txt");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(r.book);
    std::vector<long long> h;
    for (const LevelSetup& u : r.book->setups) h.push_back(std::llround(u.dh * 1000));
    EXPECT_EQ(h, (std::vector<long long>{955, 632, -637, 96}));
    EXPECT_EQ(std::llround(r.book->sumBack * 1000), 6499);
    EXPECT_EQ(std::llround(r.book->sumFore * 1000), 5453);
    ASSERT_EQ(r.input.sections.size(), 1u);
    EXPECT_EQ(r.input.sections[0].setups, 4);
    EXPECT_EQ(r.basis, adjustment::LevelBasis::Setups);
    const auto adj = adjustment::AdjustLevelRoute(r.input, Basis(r.basis));
    ASSERT_TRUE(adj.ok);
    EXPECT_EQ(std::llround(adj.heights.back() * 1000), 23764);
  }
}

TEST(LevelRouteFileTest, FieldBookSectionsLengthsAndSpur) {
  // Out from A through 1 and back, unnamed turning points, sight distances: two sections each way.
  const LevelRouteFileResult ok = ParseLevelRouteText(
      "路线 支\n已知 A 10.000\n手簿\n"
      "A 1.500 - 40 -\n- 1.400 1.200 35 41\n1 1.300 1.100 50 36\n- 1.210 1.500 45 49\n"
      "A - 1.613 - 44\n", "s.txt");
  ASSERT_TRUE(ok.ok) << ok.error;
  ASSERT_EQ(ok.input.sections.size(), 2u);
  EXPECT_EQ(std::llround(ok.input.sections[0].dh * 1000), 300 + 300);
  EXPECT_EQ(ok.input.sections[0].setups, 2);
  EXPECT_NEAR(ok.input.sections[0].lengthKm, 0.152, 1e-12);
  const auto adj = adjustment::AdjustLevelRoute(ok.input, Basis(ok.basis));
  ASSERT_TRUE(adj.ok) << adj.error;
  EXPECT_EQ(std::llround(adj.fh * 1000), 600 - 603);
  EXPECT_EQ(std::llround(adj.heights.back() * 1000), 10000 + 602);  // mean 601.5 -> 602
}

TEST(LevelRouteFileTest, FaultyLinesAreToldWithTheirLine) {
  const std::string head = "路线 附合\n已知 A 1.000\n已知 B 2.000\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"路线 环形\n", "f:1: 路线 应为"},
      {head + "A B 1.000 1\n", "f:4: 数据行之前应有"},
      {head + "测段 里\n", "f:4: 测段 行应为"},
      {head + "测段 公里\nA B 1.0004 1\n", "f:5: 高差应取至毫米"},
      {head + "测段 公里\nA B abc 1\n", "f:5: 高差不是数"},
      {head + "测段 公里\nA B 1.000 -1\n", "f:5: 测段长度应为正"},
      {head + "测段 测站\nA B 1.000 2.5\n", "f:5: 测站数应为正整数"},
      {head + "测段 公里\nA C 0.5 1\nB C 0.5 1\n", "f:6: 测段 B→C 不接"},
      {head + "测段 公里\nA B 1.0 1\n测段 公里\n", "f:6: 测段 行与 手簿 行只能有一个"},
      {head + "已知 C 3\n", "f:4: 已知高程最多两个"},
      {head + "测段 公里\nA C 1.000 1\n", "f:3: 已知点 B 不是路线的起点或终点"},
      {"路线 附合\n已知 A 1\n测段 公里\nA B 1.000 1\n", "f: 附合路线的终点 B 没有已知高程"},
      {head + "手簿\nA 1.0 -\nB 1.0 1.2\n", "f:6: 最后一个点应只有前视读数"},
      {head + "手簿\nA 1.0 -\nZD1 1.0 1.2 3 4\n", "f:6: 视距应每行都写或都不写"},
      {head + "手簿\nA 1.0 -\nB - 123\n", "f:6: 前视读数应在 0 至 100 米之间"},
      {head + "手簿\nA 1.0 - 30 -\n- 1.2 1.1 - 31\nB - 1.3 - 29\n", "f:6: 缺少视距"},
      {head + "已知高 A 1\n", "f:4: 不认识的关键字: 已知高"},
      {std::string("路线 附合\n\0\n", 16), "f: 不是 GBK 或 UTF-8 文本"},
      {"已知 A 1\n测段 公里\nA B 1 1\n", "f: 缺少 路线 行"},
  };
  for (const auto& [text, reason] : cases) {
    const LevelRouteFileResult r = ParseLevelRouteText(text, "f");
    EXPECT_FALSE(r.ok) << text;
    EXPECT_EQ(r.error.rfind(reason, 0), 0u) << r.error << "\n wanted: " << reason;
  }
}

// The printed table: each row's v + h = h', each H + h' = the next H, the Σ row the sums of the
// printed figures, Σv = -fh; over many generated routes, closed and connecting.
TEST(LevelRouteFileTest, PrintedTableAddsUpAtItsDigits) {
  std::mt19937_64 rng(2025);
  for (int trial = 0; trial < 150; ++trial) {
    const int k = 1 + trial % 8;
    const bool closed = trial % 2;
    std::uniform_int_distribution<long long> dh(-9000, 9000);
    std::uniform_int_distribution<int> len(1, 3000), n(1, 30);
    const bool byLength = trial % 3;
    std::string text = std::string("路线 ") + (closed ? "闭合" : "附合") + "\n已知 P0 " +
                       std::to_string(100 + trial) + ".000\n";
    if (!closed) text += "已知 P" + std::to_string(k) + " " + std::to_string(100 + trial + 3) + ".250\n";
    text += byLength ? "测段 公里\n" : "测段 测站\n";
    for (int i = 0; i < k; ++i) {
      const std::string to = closed && i + 1 == k ? "P0" : "P" + std::to_string(i + 1);
      text += "P" + std::to_string(i) + " " + to + " " + std::to_string(dh(rng) / 1000.0) + " " +
              (byLength ? std::to_string(len(rng) / 1000.0) : std::to_string(n(rng))) + "\n";
    }
    const LevelRouteFileResult f = ParseLevelRouteText(text, "g");
    ASSERT_TRUE(f.ok) << f.error;
    std::string error;
    LevelChoice choice;
    choice.force = true;
    choice.rounding = trial % 2 ? "nearest" : "cut";
    const auto opt = LevelOptionsFor(f, choice, error);
    const auto r = adjustment::AdjustLevelRoute(f.input, opt);
    ASSERT_TRUE(r.ok) << r.error;
    const auto lines = LevelRouteReportText({f.input, nullptr}, r);
    const auto rows = test::TableUnder(lines, "高差闭合差的调整与高程计算", r.names.size() + 1);
    ASSERT_EQ(rows.size(), r.names.size() + 2);
    long long sv = 0, sh = 0, sa = 0;
    for (size_t i = 1; i <= static_cast<size_t>(k); ++i) {
      const auto& row = rows[i];
      EXPECT_EQ(Mm(row[2]) + std::stoll(row[3]), Mm(row[4])) << text;
      EXPECT_EQ(Mm(row[5]) + Mm(row[4]), Mm(rows[i + 1][5])) << text;
      sh += Mm(row[2]), sv += std::stoll(row[3]), sa += Mm(row[4]);
    }
    const auto& sum = rows.back();
    EXPECT_EQ(sum[0], "Σ");
    EXPECT_EQ(Mm(sum[2]), sh);
    EXPECT_EQ(std::stoll(sum[3]), sv);
    EXPECT_EQ(Mm(sum[4]), sa);
    EXPECT_EQ(sv, -std::llround(r.fh * 1000));
  }
}

}  // namespace
}  // namespace vantrel::batch
