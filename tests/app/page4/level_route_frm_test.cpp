// 水准路线: routes opened, typed and pasted, each computed by the command line's routine;
// the window shows and saves the command line's own digits and bytes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>
#include <functional>

#include "app/page4/level_route_frm.h"
#include "app/page4/page4_parts.h"
#include "app/page4/report_files.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

const std::string kLevelDir = std::string(VANTREL_EXAMPLES_DIR) + "/levelling/";

class LevelRouteUi : public test::CliRunTest {
 protected:
  Harness<LevelRouteFrm> h;
  QString Path(const char* file) { return QString::fromStdString((dir_ / file)); }
  void Open(const std::string& path) {
    h.fakes.files.answers = {QString::fromStdString(path)};
    h.Press("Command_Open");
  }
  // The report view's text as the command line prints it on standard output.
  std::string Shown() { return h.Find<QPlainTextEdit>("Text_Report")->toPlainText().toStdString() + "\n"; }
  QString Cell(int row, int col) {
    const QTableWidgetItem* it = h.Find<QTableWidget>("Table_Result")->item(row, col);
    return it ? it->text() : QString();
  }
  void Pick(const char* combo, const QString& text) {
    auto* c = h.Find<QComboBox>(combo);
    c->setCurrentIndex(c->findText(text));
  }
};

TEST_F(LevelRouteUi, ReportsAndFilesAreTheCommandLinesOwn) {
  // Two runs of the command line: a connecting route with its own allowance and cutting, and a field
  // book as a web page.
  ASSERT_EQ(Cli("level " + kLevelDir + "connecting.txt --allowance 30 --rounding cut -o " + (dir_ / "cli.txt")), 0) << err_;
  ASSERT_EQ(Cli("level " + kLevelDir + "fieldbook.txt --report html -o " + (dir_ / "cli.html")), 0) << err_;

  Open(kLevelDir + "connecting.txt");
  Pick("Combo_Grade", "自定限差");
  h.Type("Text_Allowance", "30");
  Pick("Combo_Rounding", "舍去");
  h.Press("Command_Calc");
  ASSERT_TRUE(h.Messages().empty()) << h.Messages()[0].text.toStdString();
  h.fakes.files.answers = {Path("gui.txt")};
  h.Press("Command_SaveReport");
  EXPECT_TRUE(test::Slurp(dir_ / "gui.txt") == test::Slurp(dir_ / "cli.txt"));
  // The view shows the file's lines as UTF-8.
  std::string expected = GbkToUtf8(test::Slurp(dir_ / "cli.txt"));
  expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
  EXPECT_EQ(Shown(), expected);
  // The table holds the report's rows: each correction and the Σ row as printed, and the
  // corrections add up to the Σ row, which is -fh.
  auto* table = h.Find<QTableWidget>("Table_Result");
  ASSERT_EQ(table->rowCount(), 8);
  int sum = 0;
  for (int r = 0; r < 6; ++r) {
    const QString line = QString::fromStdString(expected).section('\n', 7 + r, 7 + r);
    EXPECT_EQ(line.split(' ', Qt::SkipEmptyParts).mid(0, 6),
              (QStringList{Cell(r, 0), Cell(r, 1), Cell(r, 2), Cell(r, 3), Cell(r, 4), Cell(r, 5)}));
    sum += Cell(r, 3).toInt();
  }
  EXPECT_EQ(Cell(7, 0), "Σ");
  EXPECT_EQ(Cell(7, 3).toInt(), sum);
  EXPECT_TRUE(h.Label("Label_Summary").contains("fh = Σh测 - (H终 - H始) = +3.918 - (11.819 - 7.967) 米 = +66 毫米"));
  EXPECT_EQ(sum, -66);

  Open(kLevelDir + "fieldbook.txt");
  Pick("Combo_Grade", "图根");
  Pick("Combo_Rounding", "四舍五入");
  h.Press("Command_Calc");
  h.fakes.files.answers = {Path("gui.html")};
  h.Press("Command_SaveHtml");
  EXPECT_TRUE(test::Slurp(dir_ / "gui.html") == test::Slurp(dir_ / "cli.html"));
  EXPECT_TRUE(h.Messages().empty());
}

TEST_F(LevelRouteUi, RouteFilesComeBackAsTheyWentOut) {
  for (const char* name : {"closed.txt", "connecting.txt", "fieldbook.txt"}) {
    Open(kLevelDir + name);
    h.Press("Command_Calc");
    const std::string first = Shown();
    h.fakes.files.answers = {Path("saved.txt")};
    h.Press("Command_Save");
    Harness<LevelRouteFrm> again;
    again.fakes.files.answers = {Path("saved.txt")};
    again.Press("Command_Open");
    again.Press("Command_Calc");
    EXPECT_EQ(again.Find<QPlainTextEdit>("Text_Report")->toPlainText().toStdString() + "\n", first) << name;
    EXPECT_TRUE(h.Messages().empty() && again.Messages().empty()) << name;
  }
}

TEST_F(LevelRouteUi, TypedAndPastedSectionsGiveTheExampleReport) {
  h.Type("Text_StartName", "BM.A");
  h.Type("Text_StartHeight", "7.967");
  h.Type("Text_EndName", "BM.B");
  h.Type("Text_EndHeight", "11.819");
  auto* table = h.Find<page4::PointTable>("Table_Sections");
  table->setCurrentCell(0, 0);
  // Pasted from a spreadsheet (tabs) and from text lines (blanks) alike.
  table->PasteText("BM.A\t1\t+4.362\t1.5\n1\t2\t+2.413\t0.6\n2 3 -3.121 0.8\n3 4 +1.263 1.0\n4 5 +2.716 1.2\n5 BM.B -3.715 1.6\n");
  h.Press("Command_Calc");
  ASSERT_TRUE(h.Messages().empty()) << h.Messages()[0].text.toStdString();
  std::string expected = GbkToUtf8(test::Slurp(kLevelDir + "connecting_report.txt"));
  expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(Cell(6, 5), "11.819");
}

TEST_F(LevelRouteUi, BadFieldsAndRowsAreNamedAndTheWindowGoesOn) {
  auto* table = h.Find<page4::PointTable>("Table_Sections");
  const QString good = "A B -1.418 1.0\nB C -2.452 3.0\nC D +2.057 2.0\nD E +0.778 3.5\nE A +1.011 2.5\n";
  struct Case {
    std::function<void()> spoil;
    QString message;
  };
  const std::vector<Case> cases = {
      {[&] { h.Type("Text_StartHeight", ""); }, "起点已知高程是空的!"},
      {[&] { h.Type("Text_StartHeight", "4l.2"); }, "起点已知高程: 高程不是数: 4l.2!"},
      {[&] { h.Type("Text_StartName", "B"); }, "起点已知高程: 已知点 B 不是路线的起点!"},
      {[&] { table->setCurrentCell(1, 2), table->PasteText("-2.4521"); }, "测段表第2行: 高差应取至毫米: -2.4521!"},
      {[&] { table->setCurrentCell(2, 0), table->PasteText("X"); }, "测段表第3行: 测段 X→D 不接上一测段的终点 C!"},
      {[&] { table->setItem(3, 3, new QTableWidgetItem("")); }, "测段表第4行的公里数是空的!"},
      {[&] { table->setItem(0, 1, new QTableWidgetItem("B 1")); }, "测段表第1行的终点不能含空格或 #: B 1!"},
      {[&] { Pick("Combo_By", "按测站数"); }, "没有各测段的测站数 (测段 公里), 不能按测站数计算!"},
      {[&] { Pick("Combo_Grade", "自定限差"), h.Type("Text_Allowance", "-3"); }, "自定限差 c 应为正的毫米数!"},
      {[&] { Pick("Combo_Grade", "二等"); }, ""},  // over its allowance: the routine's reason
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    Pick("Combo_Kind", "闭合");
    Pick("Combo_Grade", "图根");
    Pick("Combo_By", "随观测数据");
    h.Type("Text_StartName", "A");
    h.Type("Text_StartHeight", "41.200");
    table->setRowCount(0);
    table->PasteText(good);
    h.Press("Command_Calc");
    ASSERT_TRUE(h.Messages().empty()) << i;
    cases[i].spoil();
    h.Press("Command_Calc");
    ASSERT_EQ(h.Messages().size(), 1u) << i;
    const QString text = h.Messages()[0].text;
    if (cases[i].message.isEmpty()) EXPECT_TRUE(text.contains("超限")) << text.toStdString();
    else EXPECT_EQ(text, cases[i].message) << i;
    EXPECT_EQ(h.Messages()[0].title, "水准路线");
    EXPECT_EQ(h.Find<QTableWidget>("Table_Result")->rowCount(), 0) << "no stale result " << i;
    h.fakes.messages.messages.clear();
  }
  // Forced, the over-limit route is computed and says so.
  h.Find<QCheckBox>("Check_Force")->setChecked(true);
  h.Press("Command_Calc");
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_TRUE(h.Label("Label_Summary").contains("超限"));
  // A file with a bad line is told by its line; a failed save leaves nothing behind.
  test::Spit(dir_ / "bad.txt", "路线 闭合\n已知 A 1.000\n测段 公里\nA B 1.000 x\n");
  Open((dir_ / "bad.txt"));
  h.fakes.files.answers = {Path("missing/report.txt")};
  h.Press("Command_SaveReport");
  ASSERT_EQ(h.Messages().size(), 2u);
  EXPECT_EQ(h.Messages()[0].text, Path("bad.txt") + ":4: 测段长度应为正的公里数: x!");
  EXPECT_TRUE(h.Messages()[1].text.startsWith("文件无法写入：")) << h.Messages()[1].text.toStdString();
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "missing"));
}

TEST_F(LevelRouteUi, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  Open(kLevelDir + "connecting.txt");
  h.Press("Command_Calc");
  MaybeScreenshot(h.dialog, "LevelRouteFrm.png");
}

}  // namespace
}  // namespace vantrel
