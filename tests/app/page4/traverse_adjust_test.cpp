// 导线平差: traverses typed, pasted and opened, adjusted with the command line's digits; bad
// fields and rows named; observation files that the command line reads back; saves that fail
// leave the old file.
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>

#include "app/page4/page4_parts.h"
#include "app/page4/traverse_adjust_frm.h"
#include "batch/traverse_file.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Frm = Harness<TraverseAdjustFrm>;

const std::string kTraverseDir = VANTREL_EXAMPLES_DIR "/traverse/";

class TraverseAdjust : public test::CliRunTest {
 protected:
  QString Path(const std::string& name) { return QString::fromStdString(dir_ / name); }
  QString Report() { return h.Find<QPlainTextEdit>("Text_Report")->toPlainText(); }
  QString LastMessage() { return h.Messages().empty() ? QString() : h.Messages().back().text; }
  void Choose(const char* combo, int index) { h.Find<QComboBox>(combo)->setCurrentIndex(index); }
  void Open(const std::string& path) {
    h.fakes.files.answers = {QString::fromStdString(path)};
    h.Press("Command_Open");
  }
  // The connecting example (examples/traverse/connecting.txt) as a user enters it: the known
  // points typed, the stations pasted from a spreadsheet.
  void TypeConnecting() {
    const std::pair<const char*, const char*> fields[] = {
        {"Text_StartName", "GP06"}, {"Text_StartX", "3518402.117"}, {"Text_StartY", "510236.665"},
        {"Text_BackName", "GP05"},  {"Text_BackX", "3518634.540"},  {"Text_BackY", "509871.220"},
        {"Text_EndName", "GP09"},   {"Text_EndX", "3518512.386"},   {"Text_EndY", "511422.938"},
        {"Text_ForeName", "GP10"},  {"Text_ForeX", "3518824.905"},  {"Text_ForeY", "511690.044"}};
    for (const auto& [name, text] : fields) h.Type(name, text);
    auto* table = h.Find<page4::PointTable>("Table_Stations");
    table->setCurrentCell(0, 0);
    table->PasteText("GP06\t174.1420\t315.244\nT1\t146.5605\t317.611\nT2\t162.4944\t311.343\n"
                     "T3\t186.3706\t317.305\nGP09\t147.2612\t\n");
  }
  Frm h;
};

TEST_F(TraverseAdjust, AnOpenedClosedTraverseShowsTheCommandLinesTableAndSavesItsBytes) {
  Open(kTraverseDir + "closed.txt");
  EXPECT_EQ(h.Find<QComboBox>("Combo_Kind")->currentText(), "闭合导线");
  EXPECT_EQ(h.Find<QComboBox>("Combo_Side")->currentText(), "右角");
  EXPECT_EQ(h.Field("Text_BackName"), "N07");
  EXPECT_EQ(h.Field("Text_Connection"), "244.3516");
  // The example's reports are the command line's files (scripts/traverse_screenshot.sh).
  h.Press("Command_Compute");
  h.fakes.files.answers = {Path("table.txt"), Path("table.html")};
  h.Press("Command_SaveText");
  h.Press("Command_SaveHtml");
  EXPECT_EQ(test::Slurp(dir_ / "table.txt"), test::Slurp(kTraverseDir + "closed_report.txt"));
  EXPECT_EQ(test::Slurp(dir_ / "table.html"), test::Slurp(kTraverseDir + "closed_report.html"));
  Choose("Combo_Grade", 6);  // 图根
  h.Type("Text_Step", "0.1");
  h.Press("Command_Compute");
  ASSERT_EQ(Cli("traverse " + kTraverseDir + "closed.txt --grade 图根 --step 0.1"), 0) << err_;
  EXPECT_EQ(Report().toStdString(), out_);
  EXPECT_TRUE(h.Messages().empty()) << LastMessage().toStdString();
}

TEST_F(TraverseAdjust, ATypedTraverseSavedIsReadByTheCommandLineAndAdjustedRigorouslyAlike) {
  TypeConnecting();
  auto* table = h.Find<page4::PointTable>("Table_Stations");
  const int rows = table->rowCount();
  h.Press("Command_AddRow");
  ASSERT_EQ(table->rowCount(), rows + 1);
  table->setItem(rows, 0, new QTableWidgetItem("X9"));
  table->selectRow(rows);
  h.Press("Command_RemoveRows");
  EXPECT_EQ(table->rowCount(), rows) << "a row added by mistake taken away";
  h.Press("Command_Compute");
  const QString compass = Report();
  EXPECT_TRUE(compass.contains("GP06") && compass.contains("T3")) << compass.toStdString();
  h.fakes.files.answers = {Path("typed.txt")};
  h.Press("Command_SaveData");
  // The saved file holds the example's traverse, whatever its layout.
  const batch::TraverseFileResult saved = batch::ReadTraverseFile(dir_ / "typed.txt");
  const batch::TraverseFileResult example = batch::ReadTraverseFile(kTraverseDir + "connecting.txt");
  ASSERT_TRUE(saved.ok) << saved.error;
  ASSERT_EQ(saved.input.stations.size(), example.input.stations.size());
  for (size_t i = 0; i < saved.input.stations.size(); ++i) {
    EXPECT_EQ(saved.input.stations[i].name, example.input.stations[i].name);
    EXPECT_EQ(saved.input.stations[i].angle, example.input.stations[i].angle);
    EXPECT_EQ(saved.input.stations[i].distance, example.input.stations[i].distance);
  }
  ASSERT_TRUE(saved.input.backSight && saved.input.foreSight);
  const std::pair<adjustment::TraversePoint, adjustment::TraversePoint> known[] = {
      {saved.input.start, example.input.start}, {*saved.input.backSight, *example.input.backSight},
      {saved.input.end, example.input.end}, {*saved.input.foreSight, *example.input.foreSight}};
  for (const auto& [typed, file] : known)
    EXPECT_TRUE(typed.name == file.name && typed.x == file.x && typed.y == file.y) << file.name;
  Choose("Combo_Method", 1);
  h.Press("Command_Compute");
  // Saved and unchanged: the report names the saved file, as the command line does.
  ASSERT_EQ(Cli("adjust " + dir_ / "typed.txt"), 0) << err_;
  EXPECT_EQ(Report().toStdString(), out_);
  EXPECT_TRUE(h.Messages().empty()) << LastMessage().toStdString();
  // Reopened, the same fields and the same compass table.
  Frm again;
  again.fakes.files.answers = {Path("typed.txt")};
  again.Press("Command_Open");
  again.Press("Command_Compute");
  EXPECT_EQ(again.Find<QPlainTextEdit>("Text_Report")->toPlainText(), compass);
  EXPECT_EQ(again.Field("Text_ForeX"), "3518824.905");
}

TEST_F(TraverseAdjust, EachBadFieldOrRowIsNamedAndTheDialogStaysUsable) {
  TypeConnecting();
  auto* table = h.Find<page4::PointTable>("Table_Stations");
  struct Case {
    const char* field;  // a field, or "" for the table's cell
    int row, column;
    QString text, message;
  };
  const QString metres = "应为数字 (米, 绝对值小于 1e9)!";
  const QString angle = "应为度.分秒 D.MMSS (0 至 360 度, 分、秒小于 60, 最多到 0.1″)!";
  const Case cases[] = {
      {"Text_StartName", 0, 0, "", "“起点点名”不能为空, 也不能含空格、# 或控制字符!"},
      {"Text_StartX", 0, 0, "3518402.117x", "“起点 X”" + metres},
      {"Text_BackName", 0, 0, "G 5", "“后视点点名”不能为空, 也不能含空格、# 或控制字符!"},
      {"Text_EndY", 0, 0, "1e9", "“终点 Y”" + metres},
      {"Text_ForeX", 0, 0, "inf", "“前视点 X”" + metres},
      {"", 0, 0, "起点", "测站表第 1 行: 点名不能用关键字 起点!"},
      {"", 1, 1, "146.6005", "测站表第 2 行: 观测角" + angle},
      {"", 2, 1, "162.494455", "测站表第 3 行: 观测角" + angle},
      {"", 3, 2, "-317.305", "测站表第 4 行: 边长应为正数 (米, 小于 1e9)!"},
      {"", 4, 2, "100", "测站表第 5 行: 终点测站 GP09 之后没有边, 不应有边长!"},
      {"", 1, 2, "", "测站表第 2 行: 测站 T1 缺少到下一站的边长!"},
      {"Text_Allowance", 0, 0, "0", "“角度限差”应为正数 (秒)!"},
      {"Text_Step", 0, 0, "0.05", "“改正数取至”应为 0, 或 0.1 至 60 之间 0.1 的整数倍 (秒)!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    QTableWidgetItem* cell = *c.field ? nullptr : table->item(c.row, c.column);
    const QString good = cell ? cell->text() : h.Field(c.field);
    if (cell) cell->setText(c.text);
    else h.Type(c.field, c.text);
    const size_t before = h.Messages().size();
    h.Press("Command_Compute");
    ASSERT_EQ(h.Messages().size(), before + 1);
    EXPECT_EQ(LastMessage(), c.message);
    const size_t shown = h.Messages().size();
    if (cell) cell->setText(good);
    else h.Type(c.field, good);
    h.Press("Command_Compute");
    EXPECT_EQ(h.Messages().size(), shown) << LastMessage().toStdString();
  }
  // Over the allowance: the routine's refusal, then forced.
  table->item(2, 1)->setText("162.5444");
  h.Press("Command_Compute");
  EXPECT_TRUE(LastMessage().startsWith("角度闭合差")) << LastMessage().toStdString();
  const size_t shown = h.Messages().size();
  h.Find<QCheckBox>("Check_Force")->setChecked(true);
  h.Press("Command_Compute");
  EXPECT_EQ(h.Messages().size(), shown);
  EXPECT_TRUE(Report().contains("超限")) << Report().toStdString();
  // A file the reader refuses: its line named, the typed traverse kept.
  test::Spit(dir_ / "bad.txt", "导线 附合 左角\r\n起点 A 1 2\r\nA 12.3456 abc\r\n");
  Open(dir_ / "bad.txt");
  EXPECT_EQ(LastMessage().toStdString(), dir_ / "bad.txt" + ":3: 边长错!");
  EXPECT_EQ(h.Field("Text_StartName"), "GP06");
  EXPECT_EQ(table->item(4, 0)->text(), "GP09");
}

TEST_F(TraverseAdjust, AFailedSaveSaysWhyAndLeavesTheOldFile) {
  TypeConnecting();
  h.Find<page4::PointTable>("Table_Stations")->item(2, 0)->setText("T😀");
  h.Press("Command_Compute");
  ASSERT_TRUE(h.Messages().empty()) << LastMessage().toStdString();
  test::Spit(dir_ / "old.txt", "old\r\n");
  // A path under a regular file, and a report line GBK cannot hold: nothing written.
  h.fakes.files.answers = {Path("old.txt/under.txt"), Path("old.txt")};
  h.Press("Command_SaveData");
  EXPECT_TRUE(LastMessage().startsWith("文件无法写入：" + Path("old.txt/under.txt") + "\n"));
  h.Press("Command_SaveText");
  EXPECT_TRUE(LastMessage().contains("的 “😀” GBK 里没有")) << LastMessage().toStdString();
  EXPECT_EQ(test::Slurp(dir_ / "old.txt"), "old\r\n");
  EXPECT_EQ(h.fakes.files.answers.size(), 1u) << "no file asked for a report that cannot be written";
  // The observation file keeps such a name in UTF-8, which the reader takes.
  h.Press("Command_SaveData");
  const batch::TraverseFileResult saved = batch::ReadTraverseFile(dir_ / "old.txt");
  ASSERT_TRUE(saved.ok) << saved.error;
  EXPECT_EQ(saved.input.stations[2].name, "T😀");
}

TEST_F(TraverseAdjust, WorkedExamplesScreenshot) {
  Open(kTraverseDir + "closed.txt");
  h.Press("Command_Compute");
  ASSERT_TRUE(h.Messages().empty()) << LastMessage().toStdString();
  MaybeScreenshot(h.dialog, "traverse_adjust_frm.png");
  h.Find<QTabWidget>("Tab_Result")->setCurrentIndex(1);
  MaybeScreenshot(h.dialog, "traverse_adjust_frm_sketch.png");
  Open(kTraverseDir + "connecting.txt");
  Choose("Combo_Method", 1);
  h.Press("Command_Compute");
  ASSERT_TRUE(h.Messages().empty()) << LastMessage().toStdString();
  MaybeScreenshot(h.dialog, "traverse_adjust_frm_rigorous.png");
}

}  // namespace
}  // namespace vantrel
