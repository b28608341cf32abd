// The conventions every dialog shares: select on entry, the two numeric field checks,
// unloading by exit button or close box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/catalogue.h"
#include "dialogs/platform/file_dialogs.h"
#include "dialogs/platform/message_box.h"
#include "dialogs/platform/qt_translations.h"
#include "dialogs/vdialog.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

class SampleDialog : public VDialog {
 public:
  SampleDialog(AppState& s, const Services& sv) : VDialog(s, sv, "样例") {
    auto* l = new QVBoxLayout(this);
    for (int i = 1; i <= 4; ++i) {
      f[i] = new QLineEdit(this);
      f[i]->setObjectName(QString("Text%1").arg(i));
      l->addWidget(f[i]);
    }
    l->addWidget(MakeExitButton("Command_Exit"));
    SelectOnEntry({f[1], f[2]});
    CheckOnLeaving(f[3], "旋转角必须是数字!", "平面坐标转换");
    ClearOnEntry(f[4], [this] { ++entered; });
  }
  using VDialog::IsNum;
  using VDialog::NormaliseField;
  void OnUnload() override { ++unloads; }
  QLineEdit* f[5] = {};
  int unloads = 0;
  int entered = 0;
};

struct ConventionsFixture : ::testing::Test {
  AppState state;
  FakeServices fakes;
  SampleDialog* d = nullptr;
  void SetUp() override {
    d = new SampleDialog(state, fakes.services());
    d->show();
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
  }
  void TearDown() override { delete d; }
};

TEST_F(ConventionsFixture, TabSelectsTheWholeTextAndAClickSelectsToTheEnd) {
  d->f[1]->setText("121.3030");
  d->f[1]->setCursorPosition(3);
  d->f[2]->setFocus(Qt::OtherFocusReason);
  d->f[1]->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(d->f[1]->selectedText(), "121.3030");
  QTest::keyClicks(d->f[1], "31");
  EXPECT_EQ(d->f[1]->text(), "31") << "typing replaces the selected text";

  d->f[2]->setText("0123456789");
  d->f[1]->setFocus(Qt::TabFocusReason);
  const QRect r = d->f[2]->rect();
  QTest::mouseClick(d->f[2], Qt::LeftButton, {}, QPoint(r.left() + 6, r.center().y()));
  ASSERT_TRUE(d->f[2]->hasFocus());
  const int start = d->f[2]->selectionStart();
  ASSERT_GE(start, 0) << "a click selects from the caret to the end";
  EXPECT_EQ(d->f[2]->selectedText(), QString("0123456789").mid(start));
}

TEST_F(ConventionsFixture, LeavingAFieldWithTextThatIsNotANumber) {
  struct Case { const char* typed; const char* after; bool message; };
  for (const Case c : {Case{"abc", "0", true}, Case{"12.5", "12.5", false}, Case{"", "0", true},
                       Case{" -3e2 ", " -3e2 ", false}}) {
    fakes.messages.messages.clear();
    d->f[3]->setFocus(Qt::TabFocusReason);
    Type(d, "Text3", c.typed);
    d->f[1]->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(d->f[3]->text(), c.after) << c.typed;
    EXPECT_TRUE(d->f[1]->hasFocus()) << "the focus moves on";
    ASSERT_EQ(fakes.messages.messages.size(), c.message ? 1u : 0u) << c.typed;
    if (c.message) {
      EXPECT_EQ(fakes.messages.messages[0].text, "旋转角必须是数字!");
      EXPECT_EQ(fakes.messages.messages[0].title, "平面坐标转换");
      EXPECT_EQ(fakes.messages.messages[0].icon, MessageIcon::Critical);
    }
  }
}

TEST_F(ConventionsFixture, NormalisingCheck) {
  struct Case { const char* typed; const char* isNum; const char* shown; bool message; };
  const Case cases[] = {
      {"", "0", "0", false},          {" 12.50 ", "12.50", "12.5", false},
      {"abc", "", "0", true},         {"0.25", "0.25", "0.25", false},
      {".5", ".5", "0.5", false},     {"-100.0", "-100.0", "-100", false},
      {"1,5", "", "0", true},
  };
  for (const Case& c : cases) {
    fakes.messages.messages.clear();
    EXPECT_EQ(d->IsNum(c.typed), c.isNum) << c.typed;
    d->f[1]->setText(c.typed);
    d->NormaliseField(d->f[1]);
    EXPECT_EQ(d->f[1]->text(), c.shown) << c.typed;
    ASSERT_EQ(fakes.messages.messages.size(), c.message ? 2u : 0u) << c.typed;
    if (c.message) {
      EXPECT_EQ(fakes.messages.messages[0].text, "数据输入必须是数字！");
      EXPECT_EQ(fakes.messages.messages[0].title, "提示");
      EXPECT_EQ(fakes.messages.messages[0].icon, MessageIcon::Warning);
    }
  }
}

TEST_F(ConventionsFixture, ClearOnEntryEmptiesTheField) {
  d->f[4]->setText("99");
  d->f[4]->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(d->f[4]->text(), "");
  EXPECT_EQ(d->entered, 1);
}

TEST(Conventions, ExitButtonAndCloseBoxBothUnloadOnce) {
  for (bool closeBox : {false, true}) {
    AppState state;
    FakeServices fakes;
    QPointer<SampleDialog> d = new SampleDialog(state, fakes.services());
    int signals_ = 0;
    QObject::connect(d, &VDialog::unloaded, [&] { ++signals_; });
    d->show();
    if (closeBox) {
      d->close();
    } else {
      Press(d, "Command_Exit");
    }
    EXPECT_EQ(d->unloads, 1);
    EXPECT_EQ(signals_, 1);
    FlushDeletes();
    EXPECT_FALSE(d) << "the dialog is deleted, its fields discarded";
  }
}

// Every catalogue dialog opens with its first field's text selected, so typing replaces
// it; coming back to the window later (from another window) leaves the caret alone.
TEST(Conventions, OpeningSelectsTheFirstFieldOfEveryDialog) {
  const QStringList withoutSelectOnEntry = {"StakeOut", "RadiusFrm"};
  int checked = 0;
  for (const CatalogueEntry& e : DispatchTable()) {
    if (!e.factory || withoutSelectOnEntry.contains(e.form)) continue;
    SCOPED_TRACE(e.text.toStdString());
    AppState state;
    FakeServices fakes;
    QPointer<VDialog> d = e.factory(state, fakes.services());
    // Fields without a default get one, so that every first field has a text to select.
    for (QLineEdit* f : d->findChildren<QLineEdit*>())
      if (f->text().isEmpty()) f->setText("123.456");
    d->show();
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    auto* first = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(first, nullptr) << "the first focus is not a text field";
    const QString before = first->text();
    EXPECT_EQ(first->selectedText(), before) << first->objectName().toStdString();
    QTest::keyClicks(first, "40");
    EXPECT_EQ(first->text(), "40") << first->objectName().toStdString();

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    ASSERT_EQ(QApplication::focusWidget(), first);
    QTest::keyClicks(first, "1");
    EXPECT_EQ(first->text(), "401") << "returning to the window is not entering the field";
    d->close();
    FlushDeletes();
    ++checked;
  }
  const auto built = std::count_if(DispatchTable().begin(), DispatchTable().end(),
                                   [](const CatalogueEntry& e) { return bool(e.factory); });
  EXPECT_EQ(checked, built - withoutSelectOnEntry.size());
}

// Qt's standard texts are Chinese as the program's own are: the real message box and file
// dialog, read while they are open.
TEST(Conventions, StandardButtonsAndFileDialogsSpeakChinese) {
  ASSERT_TRUE(LoadQtChinese(*qApp)) << "Qt's Chinese catalogue is not installed";
  QStringList seen;
  auto readAndClose = [&seen] {
    QTimer::singleShot(0, [&seen] {
      QWidget* open = QApplication::activeModalWidget();
      ASSERT_NE(open, nullptr);
      for (const QAbstractButton* b : open->findChildren<QAbstractButton*>())
        if (b->isVisible() && !b->text().isEmpty()) seen << b->text();
      for (const QLabel* l : open->findChildren<QLabel*>())
        if (l->isVisible() && !l->text().isEmpty()) seen << l->text();
      static_cast<QDialog*>(open)->reject();
    });
  };
  readAndClose();
  QtMessageBox().Show(nullptr, "数据输入必须是数字！", "提示", MessageIcon::Warning);
  EXPECT_TRUE(seen.contains("确定")) << seen.join('|').toStdString();
  EXPECT_FALSE(seen.contains("OK")) << seen.join('|').toStdString();

  seen.clear();
  readAndClose();
  QtFileDialogs().OpenFile(nullptr, "打开数据文件", QDir::tempPath(), "文本文件(*.txt)");
  for (const char* text : {"查找范围：", "文件名称(&N)：", "文件类型：", "打开(&O)", "取消"})
    EXPECT_TRUE(seen.contains(QString::fromUtf8(text))) << text << " in " << seen.join('|').toStdString();
  for (const char* text : {"Look in:", "File &name:", "Files of type:", "&Open", "Cancel"})
    EXPECT_FALSE(seen.contains(text)) << text;
}

}  // namespace
}  // namespace vantrel
