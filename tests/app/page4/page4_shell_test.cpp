// The fourth catalogue page: its button and entries, each entry's window, and the parts its
// dialogs share (pasted tables, files saved all or nothing).
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QPointer>

#include "app/catalogue.h"
#include "app/main_window.h"
#include "app/page4/page4_parts.h"
#include "tests/support/gui.h"
#include "tests/support/temp_files.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

const QStringList kPage4 = {"导线平差", "控制网平差", "水准网平差", "水准路线",
                            "高程拟合", "七参数计算", "四参数计算", "批量坐标转换"};

TEST(Page4, ItsButtonShowsItsEntriesAndEachOpensItsWindowAndReturns) {
  AppState state;
  FakeServices fakes;
  Vantrel window(state, fakes.services());
  window.exitProgram = [] {};
  window.show();
  QAction* button = window.findChild<QAction*>("Adj_Batch");
  ASSERT_TRUE(button);
  EXPECT_EQ(button->text(), "平差与批量");
  button->trigger();
  EXPECT_EQ(state.CurrentPage, 4);
  EXPECT_TRUE(button->isChecked());
  EXPECT_FALSE(window.findChild<QAction*>("Coor_Cal")->isChecked());
  ASSERT_EQ(PageEntries(4), kPage4);
  ASSERT_EQ(window.ListView1()->count(), kPage4.size());
  for (int row = 0; row < kPage4.size(); ++row) {
    QListWidgetItem* item = window.ListView1()->item(row);
    EXPECT_EQ(item->text(), kPage4[row]);
    window.ListView1_ItemClick(item);
    QPointer<VDialog> dialog = window.OpenDialog();
    ASSERT_TRUE(dialog) << kPage4[row].toStdString();
    EXPECT_EQ(dialog->windowTitle(), kPage4[row]);
    EXPECT_FALSE(window.isVisible());
    dialog->close();
    FlushDeletes();
    EXPECT_FALSE(dialog);
    EXPECT_TRUE(window.isVisible() && window.isEnabled());
    EXPECT_EQ(state.CurrentPage, 4);
    EXPECT_EQ(window.ListView1()->currentRow(), row);
  }
}

TEST(Page4, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  AppState state;
  FakeServices fakes;
  Vantrel window(state, fakes.services());
  window.findChild<QAction*>("Adj_Batch")->trigger();
  MaybeScreenshot(&window, "main_window_page4.png");
}

TEST(Page4Parts, PastedSpreadsheetAndTextLinesFillTheTableFromTheCurrentCell) {
  QWidget owner;
  page4::PointTable table({"点名", "X", "Y"}, "Table", &owner);
  table.AddRow();
  table.setCurrentCell(0, 0);
  table.PasteText("A\t1.5\t2.5\r\nB,3,4\n\nC  5   6\n");
  std::vector<int> lines;
  const auto rows = table.Rows(&lines);
  ASSERT_EQ(rows.size(), 3u) << "the blank line is kept as an empty row and skipped";
  EXPECT_EQ(rows[0], (QStringList{"A", "1.5", "2.5"}));
  EXPECT_EQ(rows[1], (QStringList{"B", "3", "4"}));
  EXPECT_EQ(rows[2], (QStringList{"C", "5", "6"}));
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 4}));
  table.setCurrentCell(1, 1);
  table.PasteText("9\t8\t7");  // the third cell has no column: dropped
  EXPECT_EQ(table.Rows()[1], (QStringList{"B", "9", "8"}));
  table.selectRow(0);
  table.RemoveSelectedRows();
  EXPECT_EQ(table.Rows().front().front(), "B");
}

TEST(Page4Parts, AFailedSaveSaysWhyAndLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("report.txt");
  test::Spit(path.toStdString(), "old");
  FakeServices fakes;
  QWidget owner;
  fakes.files.answers = {path, dir.filePath("missing/report.txt"), ""};
  EXPECT_TRUE(page4::SaveBytes(&owner, fakes.services(), "保存", "*", "new"));
  EXPECT_EQ(test::Slurp(path.toStdString()), "new");
  EXPECT_FALSE(page4::SaveBytes(&owner, fakes.services(), "保存", "*", "lost"));
  ASSERT_EQ(fakes.messages.messages.size(), 1u);
  EXPECT_TRUE(fakes.messages.messages[0].text.startsWith("文件无法写入：")) << fakes.messages.messages[0].text.toStdString();
  EXPECT_FALSE(page4::SaveBytes(&owner, fakes.services(), "保存", "*", "cancelled"));
  EXPECT_EQ(fakes.messages.messages.size(), 1u) << "a cancel is no failure";
  EXPECT_EQ(test::Slurp(path.toStdString()), "new");
}

}  // namespace
}  // namespace vantrel
