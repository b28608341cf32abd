// 高程拟合: common points opened or typed, fitted by the command line's routine, the report
// and the converted point file byte for byte the command line's.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>
#include <functional>

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
  QString Path(const char* file) { return QString::fromStdString(dir_ / file); }
  void OpenExample() {
    h.fakes.files.answers = {QString::fromStdString(kHeightDir + "common.txt")};
    h.Press("Command_Open");
    h.Type("Text_Input", QString::fromStdString(kHeightDir + "points.txt"));
  }
  void Model(const QString& chinese) {
    auto* c = h.Find<QComboBox>("Combo_Model");
    c->setCurrentIndex(c->findText(chinese));
  }
};

TEST_F(HeightFitUi, ReportAndConvertedFileAreTheCommandLinesOwn) {
  ASSERT_EQ(Cli("heightfit " + kHeightDir + "common.txt " + kHeightDir + "points.txt --model quadratic --decimals 4 --report-out " +
                (dir_ / "cli_report.txt") + " -o " + (dir_ / "cli_points.txt")),
            0)
      << err_;
  OpenExample();
  Model("二次曲面");
  h.Type("Text_Output", Path("gui_points.txt"));
  h.Type("Text_Decimals", "4");
  h.Press("Command_Apply");
  EXPECT_TRUE(test::Slurp(dir_ / "gui_points.txt") == test::Slurp(dir_ / "cli_points.txt"));
  // One message, naming the count of extrapolated points the command line warns of.
  ASSERT_EQ(h.Messages().size(), 1u);
  const std::size_t from = err_.find("共有");
  EXPECT_TRUE(h.Messages()[0].text.contains(QString::fromStdString(err_.substr(from, err_.find("外推的!") - from)))) << err_;
  h.fakes.files.answers = {Path("gui_report.txt")};
  h.Press("Command_SaveReport");
  const std::string report = test::Slurp(dir_ / "cli_report.txt");
  EXPECT_TRUE(test::Slurp(dir_ / "gui_report.txt") == report);
  // Each residual row and accuracy line stands in the report as shown.
  const QString text = QString::fromStdString(GbkToUtf8(report));
  auto* table = h.Find<QTableWidget>("Table_Residuals");
  ASSERT_EQ(table->rowCount(), 15);
  for (int r = 0; r < table->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
      if (!table->item(r, c)->text().isEmpty()) cells << QRegularExpression::escape(table->item(r, c)->text());
    EXPECT_TRUE(text.contains(QRegularExpression("\n" + cells.join(" +") + " *\r\n"))) << r;
  }
  for (const char* label : {"Label_Internal", "Label_LeaveOneOut", "Label_External"})
    EXPECT_TRUE(h.Label(label).size() > 10 && text.contains("\r\n" + h.Label(label) + "\r\n")) << label;
}

TEST_F(HeightFitUi, TypedPointsBadRowsAndOptionsAreNamed) {
  auto* table = h.Find<page4::PointTable>("Table_Points");
  auto cell = [&](int r, int c, const char* text) { table->setItem(r, c, new QTableWidgetItem(text)); };
  const std::vector<std::pair<std::function<void()>, QString>> cases = {
      {[&] { cell(1, 1, "2ooo"); }, "公共点表第2行: x坐标错!"},
      {[&] { cell(2, 4, ""); }, "公共点表第3行的正常高h是空的!"},
      {[&] { cell(3, 0, "A"); }, "公共点表第4行: 点名 A 重复 (第1行已有)!"},
      {[&] { cell(3, 5, "是"); }, "公共点表第4行: 不认识的数据项: 是 (检核点在行末写 检核)!"},
      {[&] { table->setRowCount(0); }, "公共点表中没有公共点!"},
      {[&] { Model("多面函数"), h.Type("Text_Shape", "-5"); }, "多面函数的 c 应为正的米数 (空为默认)!"},
      {[&] { Model("二次曲面"); }, "二次曲面拟合至少要 6 个拟合点 (检核点不算), 只有 4 个!"},
      {[&] { h.Type("Text_Input", ""); }, "先选择要换算的点文件!"},
      {[&] { h.Type("Text_Output", "out.txt"); }, "输出文件应写完整的路径 (或用 浏览… 选择)!"},
      {[&] { h.Type("Text_Decimals", "13"); }, "正常高小数位应为 0 至 12 的整数!"},
      {[] {}, ""},  // nothing spoilt: the plane through A to D, E checked against it
  };
  test::Spit(dir_ / "p.txt", "T1 1200 1300 50.2\n");
  for (const auto& [spoil, message] : cases) {
    Model("平面");
    h.Type("Text_Input", Path("p.txt"));
    h.Type("Text_Output", Path("out.txt"));
    h.Type("Text_Decimals", "3");
    table->setRowCount(0);
    table->PasteText("A 1000 1000 50.10 40.00\nB 2000 1000 50.20 40.05\nC 1000 2000 50.30 40.10\n"
                     "D 2000 2000 50.35 40.12\nE 1500 1500 50.00 39.90 检核\n");
    spoil();
    h.Press("Command_Apply");
    ASSERT_EQ(h.Messages().size(), 1u) << message.toStdString();
    EXPECT_EQ(h.Messages()[0].text, message.isEmpty() ? "换算完成: 1 个点写到 " + Path("out.txt") + "。" : message);
    EXPECT_EQ(std::filesystem::exists(dir_ / "out.txt"), message.isEmpty()) << message.toStdString();
    h.fakes.messages.messages.clear();
  }
  EXPECT_TRUE(h.Label("Label_External").startsWith("外符合精度 ±√([vv]/m) = ±"));
}

TEST_F(HeightFitUi, StoppedOrCancelledConversionLeavesTheOldOutput) {
  OpenExample();
  test::Spit(dir_ / "out.txt", "old\r\n");
  h.Type("Text_Output", Path("out.txt"));
  // Strict: the first extrapolated point is a bad line and the run stops there.
  h.Find<QCheckBox>("Check_Strict")->setChecked(true);
  h.Press("Command_Apply");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_EQ(h.Messages()[0].text.toStdString(), "换算没有完成, 输出文件未写:\n" + kHeightDir +
                                                    "points.txt:2: 点在拟合点围成的范围 (凸包) 之外, 高程异常是外推的!");
  // Cancelled once the progress dialog shows: nothing said, nothing written.
  h.fakes.messages.messages.clear();
  h.Find<QCheckBox>("Check_Strict")->setChecked(false);
  h.fakes.clock.step = 600;
  bool pressed = false;
  h.fakes.clock.onRead = [&] {
    auto* p = h.dialog->findChild<QProgressDialog*>("FileProgress");
    if (!p || std::exchange(pressed, true)) return;
    QPushButton* cancel = p->findChild<QPushButton*>();
    QTimer::singleShot(0, cancel, [cancel] { cancel->click(); });
  };
  h.Press("Command_Apply");
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(test::Slurp(dir_ / "out.txt"), "old\r\n");
}

TEST_F(HeightFitUi, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  OpenExample();
  Model("二次曲面");
  h.Type("Text_Input", "examples/heightfit/points.txt");
  h.Type("Text_Output", "examples/heightfit/points_h.txt");
  h.Press("Command_Fit");
  MaybeScreenshot(h.dialog, "height_fit_frm.png");
}

}  // namespace
}  // namespace vantrel
