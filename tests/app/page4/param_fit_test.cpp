// 七参数计算 and 四参数计算: the same digits as vantrel-cli fit7 and fit4 on the worked
// examples, the parameters handed to the transformation dialogs, and bad input reported.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>

#include "app/main_window.h"
#include "app/page4/page4_parts.h"
#include "app/page4/param_fit_frm.h"
#include "common/text_files.h"
#include "geodetic/ui/frm_seven.h"
#include "tests/support/cli_run.h"
#include "tests/support/gui.h"
#include "transform/ui/co_chang.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;
using test::Slurp;
using test::Spit;

const std::string kParamFitExamples = std::string(VANTREL_EXAMPLES_DIR) + "/fits/";

class ParamFitTest : public test::CliRunTest {
 protected:
  ParamFitFrm* Open(ParamFitFrm::Mode mode) {
    dialog_.reset(new ParamFitFrm(state_, fakes_.services(), mode));
    dialog_->setAttribute(Qt::WA_DeleteOnClose, false);
    return dialog_.get();
  }
  void Press(const char* name) { testing::Press(dialog_.get(), name); }
  QString Report() { return Find<QPlainTextEdit>(dialog_.get(), "Text_Report")->toPlainText(); }
  // Each shown table row as its cells joined by blanks, as the command line's words.
  std::vector<std::string> Rows(const char* table) {
    std::vector<std::string> out;
    auto* t = Find<QTableWidget>(dialog_.get(), table);
    for (int r = 0; r < t->rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < t->columnCount(); ++c) cells << t->item(r, c)->text();
      out.push_back(cells.join(' ').trimmed().toStdString());
    }
    return out;
  }
  QStringList Messages() {
    QStringList m;
    for (const auto& x : fakes_.messages.messages) m << x.text;
    fakes_.messages.messages.clear();
    return m;
  }

  AppState state_;
  FakeServices fakes_;
  std::unique_ptr<ParamFitFrm> dialog_;
};

// Whether the command line wrote a line of these words (print zones and blanks aside).
bool ParamFitHasLine(const std::string& cli, const std::string& row) {
  const auto lines = test::Words(cli), want = test::Words(row);
  return want.size() == 1 && std::find(lines.begin(), lines.end(), want[0]) != lines.end();
}

TEST_F(ParamFitTest, SevenShowsAndSavesTheDigitsOfFit7) {
  Open(ParamFitFrm::Mode::Seven);
  fakes_.files.answers = {QString::fromStdString(kParamFitExamples + "seven_common.txt"),
                          QString::fromStdString(dir_ / "r.txt"), QString::fromStdString(dir_ / "p.txt"),
                          QString::fromStdString(dir_ / "missing/p.txt")};
  Press("Command_Browse1");
  Press("Command_Compute");
  ASSERT_EQ(Messages(), QStringList{});
  Press("Command_SaveReport");
  Press("Command_SaveParams");
  const std::string report = Slurp(dir_ / "r.txt"), params = Slurp(dir_ / "p.txt");
  ASSERT_EQ(Cli("fit7 -o " + dir_ / "r.txt --params-out " + dir_ / "p.txt " + kParamFitExamples + "seven_common.txt"), 0) << err_;
  EXPECT_EQ(report, Slurp(dir_ / "r.txt"));
  EXPECT_EQ(params, Slurp(dir_ / "p.txt"));
  std::string cli = GbkToUtf8(report);
  std::erase(cli, '\r');
  EXPECT_EQ(Report().toStdString(), cli);
  const auto rows = Rows("Table_Params"), residuals = Rows("Table_Residuals");
  ASSERT_EQ(rows.size(), 7u);
  ASSERT_EQ(residuals.size(), 7u);
  for (const auto& r : rows) EXPECT_TRUE(ParamFitHasLine(cli, r)) << r;
  for (const auto& r : residuals) EXPECT_TRUE(ParamFitHasLine(cli, r)) << r;
  EXPECT_NE(cli.find(Find<QLabel>(dialog_.get(), "Label_Sigma0")->text().toStdString() + "\n"), std::string::npos);
  // A save that fails says so and leaves the file saved before.
  Press("Command_SaveParams");
  ASSERT_EQ(Messages().value(0).left(7), "文件无法写入：");
  EXPECT_EQ(Slurp(dir_ / "p.txt"), params);
}

TEST_F(ParamFitTest, FourShowsTheDigitsOfFit4FromFilesOrTableAndHandsThemOn) {
  Open(ParamFitFrm::Mode::Four);
  Type(dialog_.get(), "Text_File1", QString::fromStdString(kParamFitExamples + "four_old.txt"));
  Type(dialog_.get(), "Text_File2", QString::fromStdString(kParamFitExamples + "four_new.txt"));
  Press("Command_Compute");
  ASSERT_EQ(Messages(), QStringList{});
  fakes_.files.answers = {QString::fromStdString(dir_ / "d4.txt")};
  Press("Command_SaveParams");
  ASSERT_EQ(Cli("fit4 " + kParamFitExamples + "four_old.txt " + kParamFitExamples + "four_new.txt --params-out " +
                dir_ / "p4.txt"), 0) << err_;
  EXPECT_EQ(Report().toStdString(), out_);
  EXPECT_EQ(Slurp(dir_ / "d4.txt"), Slurp(dir_ / "p4.txt")) << "the line convert --params-file reads";
  for (auto row : Rows("Table_Params")) {
    row.replace(row.rfind(' '), 1, "±");
    EXPECT_TRUE(ParamFitHasLine(out_, row)) << row;
  }
  // The same points typed in the table give the same parameters and residuals.
  const auto residuals = Rows("Table_Residuals");
  EXPECT_EQ(residuals.size(), 6u);
  std::string pasted;
  const auto oldRows = test::Words(Slurp(kParamFitExamples + "four_old.txt")), newRows = test::Words(Slurp(kParamFitExamples + "four_new.txt"));
  for (size_t i = 0; i < newRows.size(); ++i)
    pasted += newRows[i][0] + "\t" + oldRows[i][1] + "\t" + oldRows[i][2] + "\t" + newRows[i][1] + "\t" + newRows[i][2] + "\n";
  Press("Option_Table");
  Find<page4::PointTable>(dialog_.get(), "Table_Points")->PasteText(QString::fromStdString(pasted));
  Press("Command_Compute");
  EXPECT_EQ(Report().toStdString(), out_);
  EXPECT_EQ(Rows("Table_Residuals"), residuals);

  Press("Command_HandOver");
  EXPECT_EQ(Messages().size(), 1u);
  ASSERT_TRUE(state_.Transform.ParamsReady);
  Co_Chang plane(state_, fakes_.services());
  testing::Press(&plane, "Command4");
  ASSERT_TRUE(plane.ParamWindow());
  const auto lines = test::Words(out_);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(TextOf(plane.ParamWindow(), QString("Label%1").arg(i + 5)).trimmed().toStdString(), lines[i][1]);
}

TEST_F(ParamFitTest, SevenHandsItsParametersToTheTransformationAndComesBack) {
  Vantrel window(state_, fakes_.services());
  window.exitProgram = [] {};
  window.show();
  window.Toolbar1_ButtonClick("Adj_Batch");
  window.ListView1_ItemClick(window.ListView1()->findItems("七参数计算", Qt::MatchExactly).value(0));
  QPointer<ParamFitFrm> fit = qobject_cast<ParamFitFrm*>(window.OpenDialog());
  ASSERT_TRUE(fit);
  Type(fit, "Text_File1", QString::fromStdString(kParamFitExamples + "seven_common.txt"));
  testing::Press(fit, "Command_Compute");
  testing::Press(fit, "Command_HandOver");
  QPointer<FrmSeven> seven = fit->SevenWindow();
  ASSERT_TRUE(seven && seven->isVisible());
  const std::string report = Find<QPlainTextEdit>(fit, "Text_Report")->toPlainText().toStdString();
  QStringList typed;
  for (int k = 1; k <= 7; ++k) typed << TextOf(seven, QString("Text%1").arg(k));
  EXPECT_NE(report.find("--params " + typed.join(',').toStdString() + "\n"), std::string::npos) << report;
  EXPECT_FALSE(window.isVisible());
  testing::Press(seven, "Command3");
  FlushDeletes();
  EXPECT_FALSE(seven);
  EXPECT_TRUE(fit->isVisible() && !window.isVisible()) << "the fit comes back, one dialog at a time";
  testing::Press(fit, "Command_HandOver");
  seven = fit->SevenWindow();
  testing::Press(fit, "Command_Exit");
  FlushDeletes();
  EXPECT_FALSE(fit);
  EXPECT_FALSE(seven) << "the transformation closes with the fit";
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(Messages(), QStringList{});
}

TEST_F(ParamFitTest, BadInputNamesItsFieldOrLineAndTheDialogStaysUsable) {
  struct Case {
    ParamFitFrm::Mode mode;
    QString file1, file2, table;  // the table is used when file1 is "-"; file2 "B": B L H
    QString says;
  };
  Spit(dir_ / "one.txt", "K1 3380512.417 512340.886\r\n");
  const QString fits = QString::fromStdString(kParamFitExamples), one = QString::fromStdString(dir_ / "one.txt");
  const Case cases[] = {
      {ParamFitFrm::Mode::Seven, "", "", "", "请选择公共点文件!"},
      {ParamFitFrm::Mode::Seven, one, "", "", one + ":1: 公共点行应为: 点名 X Y Z X' Y' Z'!"},
      {ParamFitFrm::Mode::Seven, "-", "", "A\t1\t2\t3\t1\t2\t3\n\nB\t1\t2\tz\t1\t2\t3", "公共点表:3: 空间坐标错!"},
      {ParamFitFrm::Mode::Seven, "-", "", "A\t1\t2\t3\t1\t2\t3", "公共点表: 公共点少于3个, 不能求七参数!"},
      {ParamFitFrm::Mode::Seven, "-", "B", "A\t91\t121\t10\t31\t121\t10", "公共点表:1: 纬度错!"},
      {ParamFitFrm::Mode::Four, fits + "four_old.txt", "", "", "请选择新坐标文件!"},
      {ParamFitFrm::Mode::Four, one, fits + "four_new.txt", "", "公共点少于2个,不能转换!"},
      {ParamFitFrm::Mode::Four, "-", "", "A\t1\t2\t3\t4\nB\t5\tinf\t7\t8", "公共点表:2: 老坐标y必须是数字!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says.toStdString());
    Open(c.mode);
    if (c.file2 == "B") Press("Check_Geodetic");
    if (c.file1 == "-") {
      Press("Option_Table");
      Find<page4::PointTable>(dialog_.get(), "Table_Points")->PasteText(c.table);
    } else {
      Type(dialog_.get(), "Text_File1", c.file1);
      if (c.mode == ParamFitFrm::Mode::Four) Type(dialog_.get(), "Text_File2", c.file2);
    }
    Press("Command_Compute");
    EXPECT_EQ(Messages(), QStringList{c.says});
    EXPECT_FALSE(Find<QPushButton>(dialog_.get(), "Command_HandOver")->isEnabled());
    EXPECT_TRUE(Report().isEmpty());
  }
}

TEST_F(ParamFitTest, Screenshot) {
  // The example files named as a user in the examples folder would see them.
  const QString here = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(kParamFitExamples));
  Open(ParamFitFrm::Mode::Seven);
  Type(dialog_.get(), "Text_File1", "seven_common.txt");
  Press("Command_Compute");
  EXPECT_EQ(Messages(), QStringList{});
  MaybeScreenshot(dialog_.get(), "param_fit_frm.png");
  Open(ParamFitFrm::Mode::Four);
  Type(dialog_.get(), "Text_File1", "four_old.txt");
  Type(dialog_.get(), "Text_File2", "four_new.txt");
  Press("Command_Compute");
  EXPECT_EQ(Messages(), QStringList{});
  MaybeScreenshot(dialog_.get(), "param_fit_frm_four.png");
  QDir::setCurrent(here);
}

}  // namespace
}  // namespace vantrel
