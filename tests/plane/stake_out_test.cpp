// The stakeout dialog driven through its widgets: a data file is loaded from disk, points are
// picked from the lists or typed, and the elements are read back from the labels.
#include "plane/ui/stake_out.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "app/catalogue.h"
#include "plane/plane_helpers.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using testing::Field;
using testing::Find;
using testing::Press;
using testing::TextOf;

class StakeOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("stake_ui_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    dlg_ = std::make_unique<StakeOut>(state_, fakes_.services());
    dlg_->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg_->show();
    dlg_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg_.get()));
  }
  void TearDown() override {
    dlg_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Load(const std::string& path) {
    fakes_.files.answers.push_back(QString::fromStdString(path));
    Press(dlg_.get(), "Command1");
  }
  QComboBox* Combo(const char* name) { return Find<QComboBox>(dlg_.get(), name); }
  QStringList Items(const char* name) {
    QStringList l;
    for (int i = 0; i < Combo(name)->count(); ++i) l << Combo(name)->itemText(i);
    return l;
  }
  // A pick from the drop-down list: the list's row becomes current and is activated.
  void Pick(const char* combo, const QString& name) {
    QComboBox* c = Combo(combo);
    const int row = c->findText(name);
    ASSERT_GE(row, 0) << name.toStdString();
    c->setCurrentIndex(row);
    emit c->activated(row);
  }
  // Enters a field with the Tab key, types, and leaves it for the compute button.
  void Enter(const char* name, const QString& text) {
    QLineEdit* f = Field(dlg_.get(), name);
    f->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(f, text);
    Find<QWidget>(dlg_.get(), "Command2")->setFocus(Qt::TabFocusReason);
  }
  std::vector<QString> Texts() {
    std::vector<QString> t;
    for (const auto& m : fakes_.messages.messages) t.push_back(m.text);
    return t;
  }
  // Station (0,0,100), back-sight (100,0,0), point P (0,50,101) and more.
  std::string CaseFile() {
    return Write("case.out",
                 "S 0 0 100\r\nB 100 0 0\r\nP 0 50 101\r\nQ 93.9692620786 34.2020143326 0\r\n");
  }

  std::filesystem::path dir_;
  AppState state_;
  FakeServices fakes_;
  std::unique_ptr<StakeOut> dlg_;
};

TEST_F(StakeOutTest, LoadsUpToTheEmptyLineWithCodesAndTheRememberedName) {
  const std::string path =
      Write("three.out", "P1 100 200 10 K\r\nP2 150 250 12\r\nP3 50 80 9 x y z\r\n\r\nP4 1 2 3\r\n");
  Load(path);
  EXPECT_EQ(TextOf(dlg_.get(), "Text1"), QString::fromStdString(path));
  EXPECT_EQ(dlg_->DataFile(), QString::fromStdString(path));
  const QStringList names{"P1", "P2", "P3"};
  for (const char* c : {"Combo1", "Combo2", "Combo3"}) EXPECT_EQ(Items(c), names) << c;
  ASSERT_EQ(dlg_->Points().size(), 3u);
  EXPECT_EQ(dlg_->Points()[1].PtCode, "");
  EXPECT_EQ(dlg_->Points()[2].PtCode, "x");
  EXPECT_TRUE(fakes_.messages.messages.empty());
  ASSERT_EQ(fakes_.files.requests.size(), 1u);
  EXPECT_EQ(fakes_.files.requests[0].filter,
            "放样点数据文件 (*.out);;文本文件(*.txt);;所有文件 (*)");

  // Cancelling the file dialog loads the remembered file again, with its new content.
  Write("three.out", "A 1 2 3\r\n");
  Press(dlg_.get(), "Command1");
  EXPECT_EQ(fakes_.files.requests.back().dir, QString::fromStdString(path));
  EXPECT_EQ(Items("Combo1"), QStringList{"A"});
}

TEST_F(StakeOutTest, BadLinesBlanksAndSecondLoad) {
  Load(Write("short.out", "P1 1 2 3\r\nP2 100 200\r\nP3 1 2 3\r\n"));
  ASSERT_EQ(fakes_.messages.messages.size(), 1u);
  EXPECT_EQ(fakes_.messages.messages[0].text, "数据文件中坐标项包含有非数字字符！");
  EXPECT_EQ(fakes_.messages.messages[0].title, "数据文件数据输入有误");
  EXPECT_EQ(fakes_.messages.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(Items("Combo2"), QStringList{"P1"});

  Load(Write("blanks.out", "   A  1   2  3    c\r\nB 4  5 6\r\n"));
  EXPECT_EQ(Items("Combo1"), (QStringList{"A", "B"}));  // the first file's names are gone
  ASSERT_EQ(dlg_->Points().size(), 2u);
  EXPECT_EQ(dlg_->Points()[0].PtCode, "c");
  EXPECT_EQ(dlg_->Points()[1].PtY, 5);
  EXPECT_EQ(fakes_.messages.messages.size(), 1u);
}

TEST_F(StakeOutTest, UnreadableFileIsReportedAndNothingIsLost) {
  const std::string good = Write("good.out", "A 1 2 3\r\n");
  Load(good);
  Load((dir_ / "missing.out").string());
  ASSERT_EQ(fakes_.messages.messages.size(), 1u);
  EXPECT_TRUE(fakes_.messages.messages[0].text.startsWith("数据文件无法打开："));
  EXPECT_EQ(fakes_.messages.messages[0].title, "坐标放样");
  EXPECT_EQ(Items("Combo1"), QStringList{"A"});
  EXPECT_EQ(dlg_->DataFile(), QString::fromStdString(good));
  Pick("Combo1", "A");
  EXPECT_EQ(TextOf(dlg_.get(), "Text3"), "2");
}

TEST_F(StakeOutTest, SameNameMessagesComeAfterTheCoordinates) {
  Load(CaseFile());
  struct Step {
    const char* combo;
    const char* name;
    const char* field;
    const char* value;
    const char* message;
  } steps[] = {
      {"Combo1", "S", "Text4", "100", nullptr},
      {"Combo2", "S", "Text5", "0", "后视点与测站点相同"},
      {"Combo2", "B", "Text5", "100", nullptr},
      {"Combo1", "B", "Text2", "100", "测站点与后视点相同"},
      {"Combo1", "S", "Text2", "0", nullptr},
      {"Combo3", "S", "Text10", "100", "放样点与测站点相同"},
      {"Combo3", "B", "Text8", "100", "放样点与前视点相同"},
  };
  for (const Step& s : steps) {
    fakes_.messages.messages.clear();
    Pick(s.combo, s.name);
    EXPECT_EQ(TextOf(dlg_.get(), s.field), s.value) << s.combo << s.name;
    if (s.message) {
      ASSERT_EQ(fakes_.messages.messages.size(), 1u) << s.message;
      EXPECT_EQ(fakes_.messages.messages[0].text, s.message);
      EXPECT_EQ(fakes_.messages.messages[0].title, "提示");
      EXPECT_EQ(fakes_.messages.messages[0].icon, MessageIcon::Warning);
    } else {
      EXPECT_TRUE(fakes_.messages.messages.empty()) << s.combo << s.name;
    }
  }
  EXPECT_TRUE(TextOf(dlg_.get(), "Label1").isEmpty());  // nothing computed for a same-name pick
}

TEST_F(StakeOutTest, PicksAndComputeGiveTheElements) {
  Load(CaseFile());
  Pick("Combo1", "S");
  Pick("Combo2", "B");
  EXPECT_EQ(TextOf(dlg_.get(), "Label12"), "0  0  0");
  Pick("Combo3", "P");
  EXPECT_EQ(TextOf(dlg_.get(), "Label1"), "90  0  0");
  EXPECT_EQ(TextOf(dlg_.get(), "Label2"), "50.000");
  EXPECT_EQ(TextOf(dlg_.get(), "Label15"), "90  0  0");
  EXPECT_FALSE(dlg_->StationTyped() || dlg_->BackTyped() || dlg_->StakeTyped());

  Enter("Text14", "1.5");
  Enter("Text15", "1.5");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(TextOf(dlg_.get(), "Label1"), "90  0  0");
  EXPECT_EQ(TextOf(dlg_.get(), "Label2"), "50.000");
  EXPECT_EQ(TextOf(dlg_.get(), "Label12"), "0  0  0");
  EXPECT_EQ(TextOf(dlg_.get(), "Label15"), "90  0  0");
  EXPECT_EQ(TextOf(dlg_.get(), "Label16"), "-1.000");
  EXPECT_EQ(TextOf(dlg_.get(), "Label19"), "棱镜下移");
  EXPECT_TRUE(fakes_.messages.messages.empty());

  // Slope distance 100 at 30 degrees; the measurement fields are then ready for the next one.
  Enter("Text11", "100");
  Enter("Text12", "30.0000");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(TextOf(dlg_.get(), "Text13"), "86.603");
  EXPECT_EQ(TextOf(dlg_.get(), "Text17"), "50.000");
  EXPECT_EQ(TextOf(dlg_.get(), "Text11"), "0");
  EXPECT_EQ(TextOf(dlg_.get(), "Text12"), "0");
  EXPECT_EQ(TextOf(dlg_.get(), "Label10"), "36.603");
  EXPECT_EQ(TextOf(dlg_.get(), "Label9"), "前移");
  EXPECT_EQ(TextOf(dlg_.get(), "Label16"), "49.000");
  EXPECT_EQ(TextOf(dlg_.get(), "Label19"), "棱镜上移");

  // A horizontal distance typed directly is used as it stands.
  const struct {
    const char* hd;
    const char* move;
    const char* word;
  } moves[] = {{"50.012", "0.012", "前移"}, {"49.990", "0.010", "后移"}, {"50.000", "0.000", "后移"}};
  for (const auto& m : moves) {
    Enter("Text13", m.hd);
    Press(dlg_.get(), "Command2");
    EXPECT_EQ(TextOf(dlg_.get(), "Label10"), m.move) << m.hd;
    EXPECT_EQ(TextOf(dlg_.get(), "Label9"), m.word) << m.hd;
  }
  testing::MaybeScreenshot(dlg_.get(), "stake_out.png");
}

TEST_F(StakeOutTest, CircleReadingWrapsPast360) {
  Load(CaseFile());
  Enter("Text16", "350.0000");
  Pick("Combo1", "S");
  Pick("Combo2", "B");
  Pick("Combo3", "Q");  // 20 degrees from the back-sight
  EXPECT_EQ(TextOf(dlg_.get(), "Label1"), "20  0  0");
  EXPECT_EQ(TextOf(dlg_.get(), "Label15"), "10  0  0");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(TextOf(dlg_.get(), "Label15"), "10  0  0");
}

TEST_F(StakeOutTest, AzimuthsFollowThe32BitCoordinates) {
  // A quarter metre is the float step here: the back-sight 5 cm north rounds onto the station's X,
  // so its azimuth reads exactly 90 degrees where the 64-bit azimuth is about 84.3.
  Load(Write("far.out", "S 3380000.05 500000 10\r\nB 3380000.10 500000.5 10\r\nP 3380030.05 500040 10\r\n"));
  Pick("Combo1", "S");
  Pick("Combo2", "B");
  EXPECT_EQ(TextOf(dlg_.get(), "Label12"), "90  0  0");
  Pick("Combo3", "P");
  EXPECT_EQ(TextOf(dlg_.get(), "Label2"), "50.000");
  EXPECT_EQ(dlg_->StakeAz(), Fwj(3380000.0f, 500000.0f, 3380030.0f, 500040.0f));
}

TEST_F(StakeOutTest, FieldsNormaliseOnLeavingAndClearOnEntry) {
  Enter("Text2", "");
  EXPECT_EQ(TextOf(dlg_.get(), "Text2"), "0");
  Field(dlg_.get(), "Text3")->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(Field(dlg_.get(), "Text3"), " 12.50 ");
  Find<QWidget>(dlg_.get(), "Command2")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(TextOf(dlg_.get(), "Text3"), "12.5");
  EXPECT_TRUE(fakes_.messages.messages.empty());
  Enter("Text6", "abc");
  EXPECT_EQ(TextOf(dlg_.get(), "Text6"), "0");
  ASSERT_EQ(fakes_.messages.messages.size(), 1u);
  EXPECT_EQ(fakes_.messages.messages[0].text, "数据输入必须是数字！");
  EXPECT_EQ(fakes_.messages.messages[0].title, "提示");
  EXPECT_EQ(fakes_.messages.messages[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(dlg_->StationTyped());
  EXPECT_TRUE(dlg_->BackTyped());

  // Text8..Text17 empty on entry; entering Text8 marks the stakeout point as typed.
  EXPECT_FALSE(dlg_->StakeTyped());
  Field(dlg_.get(), "Text16")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(TextOf(dlg_.get(), "Text16"), "");
  EXPECT_FALSE(dlg_->StakeTyped());
  Field(dlg_.get(), "Text8")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(TextOf(dlg_.get(), "Text16"), "0");
  EXPECT_TRUE(dlg_->StakeTyped());

  // Typing a name that is not in the list only marks it typed; nothing is looked up.
  Load(CaseFile());
  QTest::keyClicks(Combo("Combo1")->lineEdit(), "X9");
  EXPECT_TRUE(dlg_->StationTyped());
  EXPECT_EQ(TextOf(dlg_.get(), "Text2"), "0");
}

TEST_F(StakeOutTest, ComputeNeedsAFileAndStopsOnUnshowableAngles) {
  Press(dlg_.get(), "Command2");
  ASSERT_EQ(fakes_.messages.messages.size(), 1u);
  EXPECT_EQ(fakes_.messages.messages[0].text, "请打开数据文件!");
  EXPECT_EQ(fakes_.messages.messages[0].title, "坐标放样");
  EXPECT_EQ(fakes_.messages.messages[0].icon, MessageIcon::Warning);

  Load(CaseFile());
  Press(dlg_.get(), "Command2");  // no station or point yet: nothing happens
  EXPECT_EQ(fakes_.messages.messages.size(), 1u);
  EXPECT_TRUE(TextOf(dlg_.get(), "Label1").isEmpty());

  Pick("Combo1", "S");
  Pick("Combo2", "B");
  Pick("Combo3", "P");
  Enter("Text16", "1e30");  // a reading whose degrees no angle text can hold
  Press(dlg_.get(), "Command2");
  ASSERT_EQ(fakes_.messages.messages.size(), 2u);
  EXPECT_EQ(fakes_.messages.messages[1].title, "坐标放样");
  Enter("Text16", "0");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(TextOf(dlg_.get(), "Label15"), "90  0  0");
  EXPECT_EQ(fakes_.messages.messages.size(), 2u);
}

TEST_F(StakeOutTest, TypedPointsAreAddedOnceAsAddLines) {
  const std::string path = Write("add.out", "S 0 0 100\r\nB 100 0 0\r\n");
  Load(path);
  Pick("Combo1", "S");
  Pick("Combo2", "B");
  QTest::keyClicks(Combo("Combo3")->lineEdit(), "T1");
  Enter("Text8", "30");
  Enter("Text9", "40.50");
  Enter("Text10", "99");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(TextOf(dlg_.get(), "Label2"), "50.401");
  const std::string once = "S 0 0 100\r\nB 100 0 0\r\nT1 30 40.5 99 Add\r\n";
  EXPECT_EQ(Bytes(path), once);
  EXPECT_FALSE(dlg_->StakeTyped());
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(Bytes(path), once);  // no duplicate on a further press

  // Editing the station marks it typed again; both go in, station first.
  Enter("Text4", "101");
  Enter("Text9", "41");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(Bytes(path), once + "S 0 0 101 Add\r\nT1 30 41 99 Add\r\n");
  EXPECT_TRUE(fakes_.messages.messages.empty());

  // The added points load back.
  Load(path);
  EXPECT_EQ(Items("Combo3"), (QStringList{"S", "B", "T1", "S", "T1"}));
}

// Typing into a pick list is typing: the text stays as typed (no completion to a listed
// name, no change of case), Enter picks nothing, and only a choice from the drop-down
// fills the coordinates. A point typed as "B" beside a listed "Bk" is added as "B".
TEST_F(StakeOutTest, TypingInAPickListIsNeverAPick) {
  const std::string path = Write("typed.out", "Bk 100 200 10\r\nA 1 2 3\r\n");
  Load(path);
  for (const char* combo : {"Combo1", "Combo2", "Combo3"}) {
    for (const char* typed : {"B", "bk", "Bk", "a"}) {
      Combo(combo)->lineEdit()->clear();
      Combo(combo)->setFocus(Qt::TabFocusReason);
      // Keys go where a keyboard sends them: to the focus widget, the combo box itself.
      QWidget* focused = QApplication::focusWidget();
      ASSERT_EQ(focused, Combo(combo));
      QTest::keyClicks(focused, typed);
      for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab}) QTest::keyClick(focused, key);
      EXPECT_EQ(Combo(combo)->currentText().toStdString(), typed) << combo;
      for (const char* f : {"Text2", "Text5", "Text8"})
        EXPECT_EQ(TextOf(dlg_.get(), f).toStdString(), "") << combo << " " << typed << " " << f;
    }
  }
  EXPECT_TRUE(dlg_->StationTyped() && dlg_->BackTyped() && dlg_->StakeTyped());

  // A choice from the drop-down is a pick.
  auto choose = [&](const char* combo, int row) {
    QComboBox* c = Combo(combo);
    c->showPopup();
    QAbstractItemView* view = c->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(c->model()->index(row, 0)).center());
  };
  choose("Combo3", 0);
  EXPECT_EQ(Combo("Combo3")->currentText(), "Bk");
  EXPECT_EQ(TextOf(dlg_.get(), "Text8"), "100");
  EXPECT_FALSE(dlg_->StakeTyped());
  choose("Combo2", 1);
  EXPECT_EQ(TextOf(dlg_.get(), "Text5"), "1");
  EXPECT_FALSE(dlg_->BackTyped());

  // The typed station "B" is recorded under its own name.
  Combo("Combo1")->lineEdit()->clear();
  QTest::keyClicks(Combo("Combo1")->lineEdit(), "B");
  Enter("Text2", "5");
  Enter("Text3", "6");
  Enter("Text4", "7");
  Press(dlg_.get(), "Command2");
  EXPECT_EQ(Bytes(path), "Bk 100 200 10\r\nA 1 2 3\r\nB 5 6 7 Add\r\n");
}

TEST_F(StakeOutTest, AppendFailureIsReportedAndTheDialogStaysUsable) {
  const std::string path = Write("gone.out", "S 0 0 100\r\nB 100 0 0\r\n");
  Load(path);
  Pick("Combo1", "S");
  Pick("Combo2", "B");
  QTest::keyClicks(Combo("Combo3")->lineEdit(), "T1");
  Enter("Text8", "0");
  Enter("Text9", "50");
  Enter("Text10", "0");
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);  // a folder where the file was: no write gets in
  Press(dlg_.get(), "Command2");
  ASSERT_EQ(fakes_.messages.messages.size(), 1u);
  EXPECT_TRUE(fakes_.messages.messages[0].text.startsWith("无法向数据文件添加点："));
  EXPECT_EQ(fakes_.messages.messages[0].title, "坐标放样");
  EXPECT_EQ(TextOf(dlg_.get(), "Label2"), "50.000");
  EXPECT_TRUE(dlg_->StakeTyped());  // not recorded, so still to be recorded
}

TEST(StakeOutCatalogue, EntryOpensTheDialog) {
  AppState state;
  FakeServices fakes;
  std::unique_ptr<VDialog> d(CreateDialog("坐标放样", state, fakes.services()));
  ASSERT_NE(qobject_cast<StakeOut*>(d.get()), nullptr);
  EXPECT_EQ(d->windowTitle(), "坐标放样");
  EXPECT_EQ(TextOf(d.get(), "Text16"), "0.0000");
  EXPECT_EQ(TextOf(d.get(), "Text12"), "0.0000");
  EXPECT_EQ(Find<QAbstractButton>(d.get(), "Command3")->text(), "退出(&X)");
}

}  // namespace
}  // namespace vantrel
