// 高程拟合: common points opened or typed, fitted by the command line's routine, the report
// and the converted point file byte for byte the command line's.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <functional>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>

#include "app/page4/height_fit_frm.h"
#include "app/page4/page4_parts.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

const std::string kHeightDir = std::string(VANTREL_EXAMPLES_DIR) + "/heightfit/";

class HeightFitUi : public test::CliRunTest {
 protected:
  Harness<HeightFitFrm> h;
  QString Path(const char* file) { return QString::fromStdString((dir_ / file)); }
  void OpenCommon(const std::string& path) {
    h.fakes.files.answers = {QString::fromStdString(path)};
    h.Press("Command_Open");
  }
  void Model(const QString& chinese) {
    auto* c = h.Find<QComboBox>("Combo_Model");
    c->setCurrentIndex(c->findText(chinese));
  }
  QString Lines() {
    QStringList texts;
    for (const auto& m : h.Messages()) texts << m.text;
    return texts.join("|");
  }
};

TEST_F(HeightFitUi, ReportAndConvertedFileAreTheCommandLinesOwn) {
  // One run of the command line: quadratic surface, its report and the converted points.
  ASSERT_EQ(Cli("heightfit " + kHeightDir + "common.txt " + kHeightDir + "points.txt --model quadratic --decimals 4 --report-out " +
                (dir_ / "cli_report.txt") + " -o " + (dir_ / "cli_points.txt")),
            0)
      << err_;
  OpenCommon(kHeightDir + "common.txt");
  Model("二次曲面");
  h.Type("Text_Input", QString::fromStdString(kHeightDir + "points.txt"));
  h.Type("Text_Output", Path("gui_points.txt"));
  h.Type("Text_Decimals", "4");
  h.Press("Command_Apply");
  EXPECT_TRUE(test::Slurp(dir_ / "gui_points.txt") == test::Slurp(dir_ / "cli_points.txt"));
  ASSERT_EQ(h.Messages().size(), 1u);
  // The extrapolation warning names the count the command line gives.
  const std::string warned = err_.substr(err_.find("共有"), err_.find("外推的!") - err_.find("共有"));
  EXPECT_TRUE(h.Messages()[0].text.contains(QString::fromStdString(warned))) << err_;
  EXPECT_EQ(h.Messages()[0].icon, MessageIcon::Warning);
  h.fakes.files.answers = {Path("gui_report.txt")};
  h.Press("Command_SaveReport");
  const std::string report = test::Slurp(dir_ / "cli_report.txt");
  EXPECT_TRUE(test::Slurp(dir_ / "gui_report.txt") == report);
  // The residual table and accuracy lines are the report's, cell for cell.
  const QString text = QString::fromStdString(GbkToUtf8(report));
  auto* table = h.Find<QTableWidget>("Table_Residuals");
  ASSERT_EQ(table->rowCount(), 15);
  for (int r = 0; r < table->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
      if (table->item(r, c) && !table->item(r, c)->text().isEmpty()) cells << QRegularExpression::escape(table->item(r, c)->text());
    EXPECT_TRUE(text.contains(QRegularExpression("\n" + cells.join(" +") + " *\r\n"))) << cells.join(" ").toStdString();
  }
  for (const char* label : {"Label_Internal", "Label_LeaveOneOut", "Label_External"}) {
    EXPECT_FALSE(h.Label(label).isEmpty());
    EXPECT_TRUE(text.contains("\r\n" + h.Label(label) + "\r\n")) << label;
  }
}

TEST_F(HeightFitUi, TypedPointsBadRowsAndOptionsAreNamed) {
  auto* table = h.Find<page4::PointTable>("Table_Points");
  const QString good =
      "A 1000 1000 50.10 40.00\nB 2000 1000 50.20 40.05\nC 1000 2000 50.30 40.10\nD 2000 2000 50.35 40.12\nE 1500 1500 50.00 39.90 检核\n";
  struct Case {
    std::function<void()> spoil;
    QString message;
  };
  const std::vector<Case> cases = {
      {[&] { table->setItem(1, 1, new QTableWidgetItem("2ooo")); }, "公共点表第2行: x坐标错!"},
      {[&] { table->setItem(2, 4, new QTableWidgetItem("")); }, "公共点表第3行的正常高h是空的!"},
      {[&] { table->setItem(3, 0, new QTableWidgetItem("A")); }, "公共点表第4行: 点名 A 重复 (第1行已有)!"},
      {[&] { table->setItem(3, 5, new QTableWidgetItem("是")); }, "公共点表第4行: 不认识的数据项: 是 (检核点在行末写 检核)!"},
      {[&] { table->setItem(0, 0, new QTableWidgetItem("A#1")); }, "公共点表第1行的点名不能含空格或 #: A#1!"},
      {[&] { table->setRowCount(0); }, "公共点表中没有公共点!"},
      {[&] { Model("多面函数"), h.Type("Text_Shape", "-5"); }, "多面函数的 c 应为正的米数 (空为默认)!"},
      {[&] { Model("二次曲面"); }, ""},  // too few points: the routine's reason
      {[&] { h.Type("Text_Input", ""); }, "先选择要换算的点文件!"},
      {[&] { h.Type("Text_Output", "out.txt"); }, "输出文件应写完整的路径 (或用 浏览… 选择)!"},
      {[&] { h.Type("Text_Decimals", "13"); }, "正常高小数位应为 0 至 12 的整数!"},
  };
  test::Spit(dir_ / "p.txt", "T1 1200 1300 50.2\n");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    Model("平面");
    h.Type("Text_Shape", "");
    h.Type("Text_Input", Path("p.txt"));
    h.Type("Text_Output", Path("out.txt"));
    h.Type("Text_Decimals", "3");
    table->setRowCount(0);
    table->PasteText(good);
    cases[i].spoil();
    h.Press("Command_Apply");
    ASSERT_EQ(h.Messages().size(), 1u) << i << " " << Lines().toStdString();
    if (cases[i].message.isEmpty()) EXPECT_FALSE(Lines().contains("换算完成")) << Lines().toStdString();
    else EXPECT_EQ(h.Messages()[0].text, cases[i].message) << i;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.txt")) << i;
    h.fakes.messages.messages.clear();
  }
  // Still usable: the plane through the typed points, E checked against it.
  Model("平面");
  h.Type("Text_Decimals", "3");
  table->setRowCount(0);
  table->PasteText(good);
  h.Press("Command_Apply");
  EXPECT_EQ(Lines(), "换算完成: 1 个点写到 " + Path("out.txt") + "。");
  EXPECT_EQ(test::Slurp(dir_ / "out.txt").substr(0, 3), "T1 ");
  EXPECT_TRUE(h.Label("Label_External").startsWith("外符合精度 ±√([vv]/m) = ±")) << h.Label("Label_External").toStdString();
}

TEST_F(HeightFitUi, StoppedOrCancelledConversionLeavesTheOldOutput) {
  OpenCommon(kHeightDir + "common.txt");
  h.Type("Text_Input", QString::fromStdString(kHeightDir + "points.txt"));
  test::Spit(dir_ / "out.txt", "old\r\n");
  h.Type("Text_Output", Path("out.txt"));
  // Strict: the extrapolated point is a bad line and the run stops there.
  h.Find<QCheckBox>("Check_Strict")->setChecked(true);
  h.Press("Command_Apply");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_EQ(h.Messages()[0].text.toStdString(), "换算没有完成, 输出文件未写:\n" + kHeightDir +
                                                    "points.txt:2: 点在拟合点围成的范围 (凸包) 之外, 高程异常是外推的!");
  EXPECT_EQ(test::Slurp(dir_ / "out.txt"), "old\r\n");
  // Cancelled as soon as the progress dialog shows: nothing said, nothing written.
  h.fakes.messages.messages.clear();
  h.Find<QCheckBox>("Check_Strict")->setChecked(false);
  h.fakes.clock.step = 600;
  bool pressed = false;
  h.fakes.clock.onRead = [&] {
    auto* p = h.dialog->findChild<QProgressDialog*>("FileProgress");
    if (!p || pressed) return;
    pressed = true;
    QPushButton* cancel = p->findChild<QPushButton*>();
    QTimer::singleShot(0, cancel, [cancel] { cancel->click(); });
  };
  h.Press("Command_Apply");
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(h.Messages().empty()) << Lines().toStdString();
  EXPECT_EQ(test::Slurp(dir_ / "out.txt"), "old\r\n");
  // A folder that is not there: the reason, and the window goes on.
  h.fakes.clock.onRead = {};
  h.Type("Text_Output", Path("missing/out.txt"));
  h.Press("Command_Apply");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_TRUE(h.Messages()[0].text.contains("missing/out.txt")) << Lines().toStdString();
  h.Type("Text_Output", Path("out.txt"));
  h.Press("Command_Apply");
  EXPECT_TRUE(Lines().contains("换算完成: 9 个点")) << Lines().toStdString();
}

TEST_F(HeightFitUi, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  OpenCommon(kHeightDir + "common.txt");
  Model("二次曲面");
  h.Type("Text_Input", "examples/heightfit/points.txt");
  h.Type("Text_Output", "examples/heightfit/points_h.txt");
  h.Press("Command_Fit");
  MaybeScreenshot(h.dialog, "HeightFitFrm.png");
}

}  // namespace
}  // namespace vantrel
