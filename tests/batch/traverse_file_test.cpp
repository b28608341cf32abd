#include "batch/traverse_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "tests/support/temp_files.h"
#include "tests/support/textbook_traverse.h"

namespace vantrel::batch {
namespace {

using test::Gbk;

std::string Utf8Lines(const std::vector<std::string>& lines, const char* end) {
  std::string s;
  for (const auto& l : lines) s += l + end;
  return s;
}

const std::vector<std::string> kConnecting = {
    "# 附合导线",
    "导线 附合 左角",
    "起点 B 3518402.117 510236.665",
    "后视 A 3518634.540 509871.220   # 远处的塔",
    "终点 C 3518512.386 511422.938",
    "终止方位 40.3112",
    "B  174.1420  315.244",
    "",
    "T1\t146.5605\t317.592",
    "C  147.2612",
};

TEST(TraverseFile, ConnectingLayoutReadsIntoTheInput) {
  const TraverseFileResult r = ParseTraverseText(Gbk(kConnecting), "t.txt");
  ASSERT_TRUE(r.ok) << r.error;
  const adjustment::TraverseInput& in = r.input;
  EXPECT_EQ(in.kind, adjustment::TraverseKind::Connecting);
  EXPECT_EQ(in.side, adjustment::AngleSide::Left);
  EXPECT_EQ(in.start.name, "B");
  EXPECT_EQ(in.start.x, 3518402.117);
  ASSERT_TRUE(in.backSight);
  EXPECT_EQ(in.backSight->name, "A");
  EXPECT_EQ(in.backSight->y, 509871.220);
  EXPECT_EQ(in.end.name, "C");
  EXPECT_FALSE(in.foreSight);
  ASSERT_TRUE(in.endAzimuth);
  EXPECT_EQ(*in.endAzimuth, Dms2Rad(40.3112));
  ASSERT_EQ(in.stations.size(), 3u);
  EXPECT_EQ(in.stations[1].name, "T1");
  EXPECT_EQ(in.stations[1].angle, Dms2Rad(146.5605));
  EXPECT_EQ(in.stations[1].distance, 317.592);
  EXPECT_EQ(in.stations[2].distance, 0);
}

// The same file as GBK or UTF-8 (with or without a byte-order mark), with any line ends.
TEST(TraverseFile, EncodingsAndLineEndsReadAlike) {
  const TraverseFileResult ref = ParseTraverseText(Gbk(kConnecting), "t.txt");
  ASSERT_TRUE(ref.ok);
  for (const std::string& bytes :
       {Utf8Lines(kConnecting, "\r\n"), Utf8Lines(kConnecting, "\n"), Utf8Lines(kConnecting, "\r"),
        "\xEF\xBB\xBF" + Utf8Lines(kConnecting, "\n"),
        Utf8ToGbk(Utf8Lines(kConnecting, "\n"))}) {
    const TraverseFileResult r = ParseTraverseText(bytes, "t.txt");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.input.stations.size(), ref.input.stations.size());
    EXPECT_EQ(r.input.backSight->name, "A");
    EXPECT_EQ(r.input.side, adjustment::AngleSide::Left);
  }
}

TEST(TraverseFile, ClosedLayoutsWithEitherOrientation) {
  const TraverseFileResult a = ParseTraverseText(
      Gbk({"导线 右角 闭合", "起点 B 100 200", "起始方位 45.3000", "连接角 90", "B 90 100",
           "P1 90 100", "P2 90 100.5", "P3 90 100"}),
      "c.txt");
  ASSERT_TRUE(a.ok) << a.error;
  EXPECT_EQ(a.input.kind, adjustment::TraverseKind::Closed);
  EXPECT_EQ(a.input.side, adjustment::AngleSide::Right);
  EXPECT_EQ(*a.input.startAzimuth, Dms2Rad(45.3));
  EXPECT_EQ(*a.input.connectionAngle, Dms2Rad(90));
  EXPECT_EQ(a.input.stations.back().distance, 100);
  const TraverseFileResult b = ParseTraverseText(
      Gbk({"导线 闭合 左角", "起点 B 100 200", "首边方位 0.0001", "B 90 100", "P1 90 100",
           "P2 90 100"}),
      "c.txt");
  ASSERT_TRUE(b.ok) << b.error;
  EXPECT_NEAR(*b.input.firstLegAzimuth, 1 / 3600.0 * kPi / 180, 1e-15);
}

TEST(TraverseFile, ErrorsNameTheFileTheLineAndTheReason) {
  const std::string head = "导线 附合 左角\n起点 B 0 0\n后视 A 10 0\n终点 C 0 300\n前视 D 10 300\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"起点 B 0 0\n", "f.txt: 缺少 导线 行 (附合或闭合, 左角或右角)!"},
      {"导线 附合\n", "f.txt:1: 导线 行应写明类型 (附合或闭合) 和角度 (左角或右角)!"},
      {"导线 附合 左角 闭合\n", "f.txt:1: 导线 行只能写类型 (附合或闭合) 和角度 (左角或右角), 不认识: 闭合!"},
      {"导线 附合 左角\n导线 附合 左角\n", "f.txt:2: 重复的 导线 行 (第1行已有)!"},
      {"导线 附合 左角\n后视 A 1 1\n", "f.txt: 缺少起点!"},
      {"导线 附合 左角\n起点 B 1,5 0\n", "f.txt:2: 起算点坐标错!"},
      {"导线 附合 左角\n起点 B 1 0 备注\n", "f.txt:2: 起点 行应为: 起点 点名 X Y!"},
      {"导线 附合 左角\n起点 B 0 0\n后视 A 1e400 0\n", "f.txt:3: 后视点坐标错!"},
      {"导线 附合 左角\n起点 B 0 0\n终点 C x 0\n", "f.txt:3: 终点坐标错!"},
      {"导线 附合 左角\n起点 B 0 0\n前视 D 0 nan\n", "f.txt:3: 前视点坐标错!"},
      {"导线 附合 左角\n起点 B 0 0\n", "f.txt: 缺少终点!"},
      {head, "f.txt: 没有测站!"},
      {head + "B 90.6000 100\n", "f.txt:6: 转折角错!"},  // 60 minutes
      {head + "B 90.0060 100\n", "f.txt:6: 转折角错!"},  // 60 seconds
      {head + "B 360 100\n", "f.txt:6: 转折角错!"},
      {head + "B -1 100\n", "f.txt:6: 转折角错!"},
      {head + "B 90 0\n", "f.txt:6: 边长错!"},
      {head + "B 90 abc\n", "f.txt:6: 边长错!"},
      {head + "B\n", "f.txt:6: 测站 B 缺少转折角!"},
      {head + "B 90 100 5\n", "f.txt:6: 测站行多余的数据项: 5!"},
      {head + "B 90\nC 90\n", "f.txt:6: 测站 B 缺少到下一站的边长!"},
      {head + "B 90 100\nC 90 100\n", "f.txt:7: 终点测站 C 之后没有边, 不应有边长!"},
      {head + "连接角 10\nB 90 100\nC 90\n", "f.txt:6: 附合导线没有 连接角 行!"},
      {"导线 闭合 左角\n起点 B 0 0\n首边方位 10\n终点 C 0 0\nB 90 1\n", "f.txt:4: 闭合导线没有 终点 行!"},
      {"导线 闭合 左角\n起点 B 0 0\n首边方位 x\n", "f.txt:3: 首边方位错!"},
      {"导线 闭合 左角\n起点 B 0 0\n首边方位\n", "f.txt:3: 首边方位 行应为: 首边方位 D.MMSS!"},
      {"导线 闭合 左角\n起点 B 0 0\n首边方位 10\nB 90 1\nP1 90\n", "f.txt:5: 测站 P1 缺少到下一站的边长!"},
      // Angles to the tenth of a second at most, sizes the tables can print.
      {head + "B 90.000005 100\n", "f.txt:6: 角度最多写到 0.1″ (D.MMSSs): 90.000005!"},
      {"导线 闭合 左角\n起点 B 0 0\n首边方位 10.303055\n", "f.txt:3: 角度最多写到 0.1″ (D.MMSSs): 10.303055!"},
      {head + "B 90 1e308\n", "f.txt:6: 边长太大: 1e308 (坐标和边长应小于 1e9 米)!"},
      {"导线 附合 左角\n起点 B 99999999999999.99 0\n", "f.txt:2: 坐标太大: 99999999999999.99 (坐标和边长应小于 1e9 米)!"},
      {"导线 附合 左角\n起点 B 0 0\n后视 A 1 -1000000000\n", "f.txt:3: 坐标太大: -1000000000 (坐标和边长应小于 1e9 米)!"},
      // A keyword one letter off is named as such, not read as a station.
      {"导线 闭合 左角\n起点 B 0 0\n首边方向 45.3000\n", "f.txt:3: 不认识的关键字: 首边方向 (是 首边方位 吗?)!"},
      {"导线 附合 左角\n起点 B 0 0\n起始方位角 45.3000\n", "f.txt:3: 不认识的关键字: 起始方位角 (是 起始方位 吗?)!"},
      {"导线 附合 左角\n起点 B 0 0\n后视点 A 1 1\n", "f.txt:3: 不认识的关键字: 后视点 (是 后视 吗?)!"},
      {"导线 闭合 左角\n起点 B 0 0\n连角接 10\n", "f.txt:3: 不认识的关键字: 连角接 (是 连接角 吗?)!"},
      {"导线 闭合 左角\n起点 B 0 0\n首边方位 10\n终店 C 1 1\n", "f.txt:4: 测站行多余的数据项: 1!"},  // two letters: a name
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    const TraverseFileResult r = ParseTraverseText(Utf8ToGbk(text), "f.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, message);
  }
}

// Not text: UTF-16 (either byte order, with or without its mark) and binary files are
// refused once for the whole file, without echoing what they hold.
TEST(TraverseFile, FilesThatAreNoTextAreRefusedOnce) {
  const std::string utf8 = Utf8Lines(kConnecting, "\r\n");
  std::string le = "\xFF\xFE", be = "\xFE\xFF", bare;
  for (char32_t c : std::u32string{U'导', U'线', U' ', U'B', U'\n'}) {
    le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    bare += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  }
  for (const std::string& bytes : {le, be, bare, std::string("\x7F" "ELF\x02\x01\x01\0\0", 9), utf8 + std::string(1, '\0'),
                                   Utf8ToGbk(utf8) + "\xFF\xFF\n"}) {
    const TraverseFileResult r = ParseTraverseText(bytes, "t.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "t.txt: 不是 GBK 或 UTF-8 文本 (UTF-16 或二进制文件?), 请存为 GBK 或 UTF-8 文本!");
  }
}

TEST(TraverseFile, PackedAnglesInTenthsOfASecondExactly) {
  for (const auto& [text, tenths] : std::vector<std::pair<const char*, long long>>{
           {"0", 0}, {"359.59599", 12959999}, {"59.59145", 2159545}, {"59.59155", 2159555}, {"0.0000001", -1},
           {"121.303055", -1}, {"10.0060", -1}, {"10.6000", -1}, {"1e2", 3600000}, {"30.0", 1080000}, {"0.30", 18000}}) {
    SCOPED_TRACE(text);
    const auto t = PackedAngleTenths(text);
    EXPECT_EQ(t.value_or(-1), tenths);
  }
}

TEST(TraverseFile, PackedAnglesAreCheckedBeforeConversion) {
  for (const auto& [text, ok] : std::vector<std::pair<const char*, bool>>{
           {"0", true}, {"359.5959", true}, {"30.0", true}, {"0.30", true}, {"12.345678", true},
           {" 121.3030 ", true}, {"10.7000", false}, {"10.0060", false}, {"10.00599", true},
           {"360", false}, {"-0.0001", false}, {"", false}, {"1e2", true}, {"1,5", false}}) {
    SCOPED_TRACE(text);
    const auto a = ReadPackedAngle(text);
    EXPECT_EQ(a.has_value(), ok);
    if (a) {
      EXPECT_EQ(*a, Dms2Rad(ReadStrict(text).value()));
    }
  }
}

class TraverseFileOnDisk : public test::TempDirTest {};

TEST_F(TraverseFileOnDisk, ReadsAFileAndReportsOneThatCannotBeRead) {
  test::Spit(dir_ / "t.txt", Gbk(kConnecting));
  const TraverseFileResult r = ReadTraverseFile(dir_ / "t.txt");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.input.stations.size(), 3u);
  const TraverseFileResult missing = ReadTraverseFile(dir_ / "none.txt");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, (dir_ / "none.txt") + ": 文件或路径不存在");
  const TraverseFileResult folder = ReadTraverseFile(dir_.path().string());
  EXPECT_FALSE(folder.ok);
  EXPECT_EQ(folder.error, dir_.path().string() + ": 这是一个文件夹，不是文件");
}

// f_β from the packed texts, exactly: triangles closing 45.5″ or 44.5″ short or over take
// 46″ or 45″ of corrections, never what floating-point noise decides (these four are ones
// where reckoning in radians came out on the wrong side of the half second).
TEST(TraverseAdjustment, HalfSecondMisclosuresAreToldApartExactly) {
  struct Row {
    const char* side;
    const char* firstLeg;
    const char* angles[3];
    double f;
    int sumV;
  };
  const Row rows[] = {
      {"右角", "302.42370", {"27.07400", "25.12050", "127.39295"}, -45.5, 46},
      {"右角", "74.23270", {"87.38280", "36.11530", "56.08545"}, -44.5, 45},
      {"右角", "234.55510", {"44.19570", "110.53260", "24.47225"}, 45.5, -46},
      {"左角", "354.38030", {"79.26070", "47.28370", "53.06005"}, 44.5, -45},
  };
  for (const Row& row : rows) {
    std::string text = std::string("导线 闭合 ") + row.side + "\n起点 B 1000 1000\n首边方位 " + row.firstLeg + "\n";
    for (int i = 0; i < 3; ++i) text += (i ? "P" + std::to_string(i) : "B") + " " + row.angles[i] + " 100\n";
    SCOPED_TRACE(text);
    const TraverseFileResult file = ParseTraverseText(text, "t.txt");
    ASSERT_TRUE(file.ok) << file.error;
    const adjustment::TraverseAdjustment r = adjustment::AdjustTraverse(file.input, {.closureK = 0});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.fBetaSeconds, row.f);
    double sumV = 0;
    for (const adjustment::AdjustedStation& s : r.stations) sumV += s.correctionSeconds;
    EXPECT_EQ(sumV, row.sumV);
  }
}

// The grades' allowances on the textbook traverse (f_β = -36″ on five angles, 1/K = 1/4472):
// 一级 and 二级 refuse its angles (±22.4″, ±35.8″), 三级 its closure (1/5000), 图根 takes
// it. A leg typed 1e2 for 132.30 gives 1/21: refused without a grade too, marked when forced.
TEST(TraverseAdjustment, GradesRefuseWhatTheirAllowancesDoNotHold) {
  const TraverseFileResult book = ParseTraverseText(test::kTextbookTraverse, "book.txt");
  ASSERT_TRUE(book.ok) << book.error;
  const std::vector<std::tuple<std::string, bool, bool>> rows = {
      {"三等", true, true}, {"四等", true, true}, {"一级", true, true},
      {"二级", true, true}, {"三级", false, true}, {"图根", false, false}};
  for (const auto& [name, angles, closure] : rows) {
    SCOPED_TRACE(name);
    const adjustment::TraverseGrade* g = adjustment::FindTraverseGrade(name);
    ASSERT_NE(g, nullptr);
    adjustment::TraverseOptions opt = adjustment::TraverseOptionsFor(*g);
    const adjustment::TraverseAdjustment r = adjustment::AdjustTraverse(book.input, opt);
    EXPECT_EQ(r.ok, !angles && !closure) << r.error;
    EXPECT_EQ(r.overLimit, angles);
    if (!angles) {
      EXPECT_EQ(r.closureOverLimit, closure);
    }
    opt.force = true;
    const adjustment::TraverseAdjustment forced = adjustment::AdjustTraverse(book.input, opt);
    EXPECT_TRUE(forced.ok);
    EXPECT_EQ(forced.overLimit, angles);
    EXPECT_EQ(forced.closureOverLimit, closure);
    EXPECT_EQ(forced.K, 4472);
  }
  EXPECT_EQ(adjustment::FindTraverseGrade("五级"), nullptr);

  adjustment::TraverseInput typo = book.input;
  typo.stations[2].distance = 1e2;
  const adjustment::TraverseAdjustment r = adjustment::AdjustTraverse(typo);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.closureOverLimit);
  EXPECT_EQ(r.error, "导线全长相对闭合差 1/K = 1/21 超过限差 1/2000, 不能平差!");
  EXPECT_EQ(r.legs.size(), 5u);  // the figures come with the refusal
  EXPECT_TRUE(adjustment::AdjustTraverse(typo, {.force = true}).ok);
  EXPECT_TRUE(adjustment::AdjustTraverse(typo, {.closureK = 0}).ok);
}

}  // namespace
}  // namespace vantrel::batch
