// 水准路线: routes opened, typed and pasted, each computed by the command line's routine;
// the window shows and saves the command line's own digits and bytes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <functional>

#include "app/page4/level_route_frm.h"
#include "app/page4/page4_parts.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

const std::string kLevelDir = std::string(VANTREL_EXAMPLES_DIR) + "/levelling/";

// A GBK CR LF report as the view shows it.
std::string LevelViewText(const std::string& file) {
  std::string s = GbkToUtf8(file);
  std::erase(s, '\r');
  return s;
}

class LevelRouteUi : public test::CliRunTest {
 protected:
  Harness<LevelRouteFrm> h;
  QString Path(const char* file) { return QString::fromStdString(dir_ / file); }
  void Open(const std::string& path) {
    h.fakes.files.answers = {QString::fromStdString(path)};
    h.Press("Command_Open");
  }
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
  // A connecting route with its own allowance and cutting as text, a field book as a page.
  ASSERT_EQ(Cli("level " + kLevelDir + "connecting.txt --allowance 30 --rounding cut -o " + (dir_ / "cli.txt")), 0) << err_;
  ASSERT_EQ(Cli("level " + kLevelDir + "fieldbook.txt --report html -o " + (dir_ / "cli.html")), 0) << err_;
  Open(kLevelDir + "connecting.txt");
  Pick("Combo_Grade", "自定限差");
  h.Type("Text_Allowance", "30");
  Pick("Combo_Rounding", "舍去");
  h.Press("Command_Calc");
  h.fakes.files.answers = {Path("gui.txt")};
  h.Press("Command_SaveReport");
  EXPECT_TRUE(test::Slurp(dir_ / "gui.txt") == test::Slurp(dir_ / "cli.txt"));
  const std::string expected = LevelViewText(test::Slurp(dir_ / "cli.txt"));
  EXPECT_EQ(Shown(), expected);
  // The table's rows are the report's (from its 8th line on), and the corrections add up to
  // the Σ row at the printed millimetres.
  ASSERT_EQ(h.Find<QTableWidget>("Table_Result")->rowCount(), 8);
  int sum = 0;
  for (int r = 0; r < 6; ++r) {
    const QStringList words = QString::fromStdString(expected).section('\n', 7 + r, 7 + r).split(' ', Qt::SkipEmptyParts);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(Cell(r, c), words[c]) << r << "," << c;
    sum += Cell(r, 3).toInt();
  }
  EXPECT_EQ(Cell(7, 0) + Cell(7, 3), "Σ" + QString::number(sum));
  EXPECT_TRUE(h.Label("Label_Summary").contains("(11.819 - 7.967) 米 = +" + QString::number(-sum) + " 毫米"));

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
    h.fakes.files.answers = {Path("saved.txt")};
    h.Press("Command_Save");
    Harness<LevelRouteFrm> again;
    again.fakes.files.answers = {Path("saved.txt")};
    again.Press("Command_Open");
    again.Press("Command_Calc");
    EXPECT_EQ(again.Find<QPlainTextEdit>("Text_Report")->toPlainText().toStdString() + "\n", Shown()) << name;
    EXPECT_TRUE(h.Messages().empty() && again.Messages().empty()) << name;
  }
}

TEST_F(LevelRouteUi, BadFieldsAndRowsAreNamedAndTheWindowGoesOn) {
  auto* table = h.Find<page4::PointTable>("Table_Sections");
  auto cell = [&](int r, int c, const char* text) { table->setItem(r, c, new QTableWidgetItem(text)); };
  const std::vector<std::pair<std::function<void()>, QString>> cases = {
      {[&] { h.Type("Text_StartHeight", ""); }, "起点已知高程是空的!"},
      {[&] { h.Type("Text_StartHeight", "4l.2"); }, "起点已知高程: 高程不是数: 4l.2!"},
      {[&] { h.Type("Text_StartName", "B"); }, "起点已知高程: 已知点 B 不是路线的起点!"},
      {[&] { cell(1, 2, "-2.4521"); }, "测段表第2行: 高差应取至毫米: -2.4521!"},
      {[&] { cell(2, 0, "X"); }, "测段表第3行: 测段 X→D 不接上一测段的终点 C!"},
      {[&] { cell(3, 3, ""); }, "测段表第4行的公里数是空的!"},
      {[&] { cell(0, 1, "B 1"); }, "测段表第1行的终点不能含空格或 #: B 1!"},
      {[&] { Pick("Combo_By", "按测站数"); }, "没有各测段的测站数 (测段 公里), 不能按测站数计算!"},
      {[&] { Pick("Combo_Grade", "自定限差"), h.Type("Text_Allowance", "-3"); }, "自定限差 c 应为正的毫米数!"},
      {[&] { Pick("Combo_Grade", "二等"); }, "高差闭合差 -24 毫米超限 (限差 ±13.9 毫米)!"},
  };
  for (const auto& [spoil, message] : cases) {
    Pick("Combo_Kind", "闭合");
    Pick("Combo_Grade", "图根");
    Pick("Combo_By", "随观测数据");
    h.Type("Text_StartName", "A");
    h.Type("Text_StartHeight", "41.200");
    table->setRowCount(0);
    table->PasteText("A\tB\t-1.418\t1.0\nB\tC\t-2.452\t3.0\nC D +2.057 2.0\nD E +0.778 3.5\nE A +1.011 2.5\n");
    h.Press("Command_Calc");
    // Typed and pasted, the example's route gives the example's report.
    ASSERT_EQ(Shown(), LevelViewText(test::Slurp(kLevelDir + "closed_report.txt"))) << message.toStdString();
    spoil();
    h.Press("Command_Calc");
    ASSERT_EQ(h.Messages().size(), 1u) << message.toStdString();
    EXPECT_EQ(h.Messages()[0].text, message);
    EXPECT_EQ(h.Messages()[0].title, "水准路线");
    EXPECT_EQ(h.Find<QTableWidget>("Table_Result")->rowCount(), 0) << "no stale result";
    h.fakes.messages.messages.clear();
  }
  // Forced, the route over its allowance is computed and says so; a bad file names its line.
  h.Find<QCheckBox>("Check_Force")->setChecked(true);
  h.Press("Command_Calc");
  EXPECT_TRUE(h.Label("Label_Summary").contains("|fh| > fh允, 超限, 按要求强制平差"));
  test::Spit(dir_ / "bad.txt", "路线 闭合\n已知 A 1.000\n测段 公里\nA B 1.000 x\n");
  Open(dir_ / "bad.txt");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_EQ(h.Messages()[0].text, Path("bad.txt") + ":4: 测段长度应为正的公里数: x!");
}

TEST_F(LevelRouteUi, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  Open(kLevelDir + "connecting.txt");
  h.Press("Command_Calc");
  MaybeScreenshot(h.dialog, "level_route_frm.png");
}

}  // namespace
}  // namespace vantrel
