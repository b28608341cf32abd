#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/catalogue.h"
#include "common/text_files.h"
#include "tests/support/gui.h"
#include "tests/support/temp_files.h"
#include "transform/ui/co_chang.h"
#include "transform/ui/co_chang2.h"

namespace vantrel {
namespace {

using test::Gbk;
using test::Slurp;
using test::Spit;

namespace fs = std::filesystem;

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }

class TransformUi : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = dir_ / "old.txt";
    new_ = dir_ / "new.txt";
  }

  template <class T>
  T* Find(QWidget* w, const char* name) {
    return testing::Find<T>(w, name);
  }
  void Type(QWidget* w, const char* field, const QString& text) { testing::Type(w, field, text); }
  void Click(QWidget* w, const char* button) { testing::Press(w, button); }
  std::vector<QString> Texts() const {
    std::vector<QString> t;
    for (const auto& m : fake_.messages.messages) t.push_back(m.text);
    return t;
  }
  const RecordingMessageBox::Message& Last() const { return fake_.messages.messages.back(); }

  test::TempDir tmp_;
  const fs::path& dir_ = tmp_.path();
  fs::path old_, new_;
  AppState state_;
  FakeServices fake_;
};

// ---------------------------------------------------------------- Co_Chang

class CoChang : public TransformUi {
 protected:
  void SetUp() override {
    TransformUi::SetUp();
    dlg_ = std::make_unique<Co_Chang>(state_, fake_.services());
  }
  void TearDown() override {
    dlg_.reset();
    TransformUi::TearDown();
  }
  void Run(const std::vector<std::string>& oldLines, const std::vector<std::string>& newLines) {
    Spit(old_, Gbk(oldLines));
    Spit(new_, Gbk(newLines));
    dlg_->findChild<QLineEdit*>("Text1")->setText(Q(old_));
    dlg_->findChild<QLineEdit*>("Text2")->setText(Q(new_));
    Click(dlg_.get(), "Command1");
  }
  QString Value(const char* label) {
    Tran_d* t = dlg_->ParamWindow();
    return t ? Find<QLabel>(t, label)->text() : QString();
  }
  std::unique_ptr<Co_Chang> dlg_;
};

TEST_F(CoChang, LoadsWithItsFieldsAndButtons) {
  EXPECT_EQ(dlg_->windowTitle(), "平面坐标转换1");
  EXPECT_EQ(Find<QLineEdit>(dlg_.get(), "Text1")->text(), "");
  EXPECT_EQ(Find<QLineEdit>(dlg_.get(), "Text3")->text(), "老坐标系");
  EXPECT_EQ(Find<QLineEdit>(dlg_.get(), "Text4")->text(), "新坐标系");
  EXPECT_EQ(Find<QPushButton>(dlg_.get(), "Command1")->text(), "坐标转换(&C)");
  EXPECT_EQ(Find<QPushButton>(dlg_.get(), "Command4")->text(), "转换参数(&V)");
  EXPECT_EQ(Find<QPushButton>(dlg_.get(), "Command3")->text(), "文件编辑器(&N)");
  EXPECT_EQ(Find<QPushButton>(dlg_.get(), "Command2")->text(), "退出(&X)");
}

TEST_F(CoChang, ChecksFileNamesInOrder) {
  Spit(old_, Gbk({"A 1 2"}));
  struct Case {
    QString oldText, newText, message;
  };
  const Case cases[] = {
      {"  ", Q(new_), "先选择老坐标文件!"},
      {Q(old_), " ", "先选择新坐标文件!"},
      {Q(dir_ / "none"), Q(old_), "老坐标文件不存在!"},
      {Q(old_), Q(dir_ / "none"), "新坐标文件不存在!"},
  };
  for (const auto& c : cases) {
    Type(dlg_.get(), "Text1", c.oldText);
    Type(dlg_.get(), "Text2", c.newText);
    Click(dlg_.get(), "Command1");
    EXPECT_EQ(Last().text, c.message);
    EXPECT_EQ(Last().title, "平面坐标转换");
    EXPECT_EQ(Last().icon, MessageIcon::Critical);
  }
  EXPECT_EQ(fake_.messages.messages.size(), 4u);
}

TEST_F(CoChang, ShiftGivesParametersAppendsBlockAndShowsParamWindow) {
  Run({"A 1000 2000 界桩", "B 1500 2100", "C 900 2600", "D 100 100"},
      {"A 1100 1950", "B 1600 2050", "C 1000 2550"});
  EXPECT_EQ(Texts(), std::vector<QString>{"坐标旋转结束!"});
  EXPECT_EQ(Last().icon, MessageIcon::Information);
  EXPECT_TRUE(state_.Transform.ParamsReady);
  EXPECT_EQ(Slurp(new_), Gbk({"A 1100 1950", "B 1600 2050", "C 1000 2550", "", "", "旋转后结果",
                              "A             1100.0000     1950.0000     界桩",
                              "B             1600.0000     2050.0000     ",
                              "C             1000.0000     2550.0000     ",
                              "D             200.0000      50.0000       "}));
  Click(dlg_.get(), "Command4");
  ASSERT_NE(dlg_->ParamWindow(), nullptr);
  EXPECT_EQ(dlg_->ParamWindow()->windowTitle(), "转换参数");
  EXPECT_EQ(Value("Label5"), "100.000±0.000");
  EXPECT_EQ(Value("Label6"), "-50.000±0.000");
  EXPECT_EQ(Value("Label8"), "0.00±0.000");

  // A second run finds the same common points (reading stops before the first block).
  Click(dlg_.get(), "Command1");
  EXPECT_EQ(state_.Transform.CommonCount(), 3);
  EXPECT_EQ(Texts().size(), 2u);
}

TEST_F(CoChang, TwoPointsExactFitShowsZeroPrecision) {
  Run({"A 0 0", "B 100 0"}, {"A 10 20", "B 10 120"});  // 90° turn: (100,0) -> (0,-100) + shift
  ASSERT_TRUE(state_.Transform.ParamsReady);
  EXPECT_EQ(state_.Transform.UnitWeightError, 0);
  Click(dlg_.get(), "Command4");
  for (const char* l : {"Label5", "Label6", "Label7", "Label8"}) EXPECT_TRUE(Value(l).endsWith("±0.000")) << l;
  EXPECT_EQ(Value("Label5"), "10.000±0.000");
  EXPECT_EQ(Value("Label6"), "20.000±0.000");
}

TEST_F(CoChang, ParamWindowOnlyWhenParametersAreReady) {
  Click(dlg_.get(), "Command4");
  EXPECT_EQ(dlg_->ParamWindow(), nullptr);
  Run({"A 0 0", "B 100 0"}, {"A 10 20", "B 110 20"});
  ASSERT_TRUE(state_.Transform.ParamsReady);
  Type(dlg_.get(), "Text2", "x");  // editing a file name makes the parameters stale
  EXPECT_FALSE(state_.Transform.ParamsReady);
  Click(dlg_.get(), "Command4");
  EXPECT_EQ(dlg_->ParamWindow(), nullptr);
}

TEST_F(CoChang, FileChoicesFillFieldsAndClearReadiness) {
  state_.Transform.ParamsReady = true;
  fake_.files.answers = {"/data/old.txt", "", "/data/new.txt"};
  Click(dlg_.get(), "Command5");
  EXPECT_EQ(Find<QLineEdit>(dlg_.get(), "Text1")->text(), "/data/old.txt");
  EXPECT_FALSE(state_.Transform.ParamsReady);
  state_.Transform.ParamsReady = true;
  Click(dlg_.get(), "Command6");  // cancelled: nothing changes
  EXPECT_EQ(Find<QLineEdit>(dlg_.get(), "Text2")->text(), "");
  EXPECT_TRUE(state_.Transform.ParamsReady);
  Click(dlg_.get(), "Command6");
  EXPECT_EQ(Find<QLineEdit>(dlg_.get(), "Text2")->text(), "/data/new.txt");
  EXPECT_FALSE(state_.Transform.ParamsReady);
  ASSERT_EQ(fake_.files.requests.size(), 3u);
  EXPECT_EQ(fake_.files.requests[0].filter, "老坐标文件 (*.*)");
  EXPECT_EQ(fake_.files.requests[1].filter, "新坐标文件 (*.*)");
  EXPECT_EQ(fake_.files.requests[1].dir, "/data");  // shared dialog, file name cleared
}

TEST_F(CoChang, RefusalsWriteNothingAndLeaveParametersNotReady) {
  struct Case {
    std::vector<std::string> oldLines, newLines;
    QString message;
  };
  const Case cases[] = {
      {{"A 5 5", "B 5 5", "C 5 5"}, {"A 1 1", "B 1 1", "C 1 1"}, "公共点不能确定转换参数,不能转换!"},
      {{"A 5 5", "B 6 6"}, {"A 1 1", "X 2 2"}, "公共点少于2个,不能转换!"},
  };
  for (const auto& c : cases) {
    state_.Transform.ParamsReady = false;
    Run(c.oldLines, c.newLines);
    EXPECT_EQ(Last().text, c.message);
    EXPECT_EQ(Slurp(new_), Gbk(c.newLines));
    EXPECT_FALSE(state_.Transform.ParamsReady);
  }
}

TEST_F(CoChang, FormatErrorsAreReportedAsTheRoutinesWord) {
  Run({"A 1 2", "B 3 4"}, {"A 1 2", "   "});
  ASSERT_GE(fake_.messages.messages.size(), 1u);
  EXPECT_EQ(fake_.messages.messages[0].text, "新坐标文件" + Q(new_) + "数据格式有错");
  EXPECT_EQ(fake_.messages.messages[0].title, "Vantrel");
  EXPECT_EQ(fake_.messages.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(Last().text, "公共点少于2个,不能转换!");
}

TEST_F(CoChang, MoreThanTwentyCommonPointsSaysSoOnce) {
  std::vector<std::string> oldLines, newLines;
  for (int i = 0; i < 23; ++i) {
    oldLines.push_back("P" + std::to_string(i) + " " + std::to_string(i * 10) + " " + std::to_string(i * i));
    newLines.push_back("P" + std::to_string(i) + " " + std::to_string(i * 10 + 5) + " " + std::to_string(i * i - 7));
  }
  Run(oldLines, newLines);
  ASSERT_EQ(Texts(), (std::vector<QString>{"共有23个公共点,只用前20个公共点计算转换参数!", "坐标旋转结束!"}));
  EXPECT_EQ(fake_.messages.messages[0].icon, MessageIcon::Information);
  EXPECT_EQ(state_.Transform.CommonCount(), 20);
  EXPECT_NEAR(state_.Transform.TransParam[kShiftX], 5, 1e-9);
}

TEST_F(CoChang, UnreadableOrUnwritableFilesAreReported) {
  fs::create_directory(dir_ / "folder");
  Spit(old_, Gbk({"A 1 2", "B 3 4"}));
  Type(dlg_.get(), "Text1", Q(old_));
  Type(dlg_.get(), "Text2", Q(dir_ / "folder"));
  Click(dlg_.get(), "Command1");
  EXPECT_EQ(Texts(), std::vector<QString>{"不能读取新坐标文件" + Q(dir_ / "folder") + "：这是一个文件夹，不是文件"});
  EXPECT_FALSE(state_.Transform.ParamsReady);
}

TEST_F(CoChang, EditorButtonStartsTheDesktopEditor) {
  const fs::path bin = dir_ / "bin";
  fs::create_directory(bin);
  Spit(bin / "gedit", "#!/bin/sh\n");
  fs::permissions(bin / "gedit", fs::perms::owner_all);
  const QByteArray savedPath = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(bin.string()));
  Click(dlg_.get(), "Command3");
  ASSERT_EQ(fake_.launcher.programs.size(), 1u);
  EXPECT_EQ(fake_.launcher.programs[0], Q(bin / "gedit"));
  EXPECT_TRUE(fake_.launcher.arguments[0].isEmpty());
  EXPECT_TRUE(fake_.messages.messages.empty());
  qputenv("PATH", QByteArray::fromStdString((dir_ / "nothing").string()));
  Click(dlg_.get(), "Command3");
  EXPECT_EQ(Texts(), std::vector<QString>{"不能启动文本编辑器!"});
  qputenv("PATH", savedPath);
}

// ---------------------------------------------------------------- Co_Chang2

class CoChang2 : public TransformUi {
 protected:
  void SetUp() override {
    TransformUi::SetUp();
    dlg_ = std::make_unique<Co_Chang2>(state_, fake_.services());
  }
  void TearDown() override {
    dlg_.reset();
    TransformUi::TearDown();
  }
  void Set(const char* field, const QString& text) { Find<QLineEdit>(dlg_.get(), field)->setText(text); }
  std::unique_ptr<Co_Chang2> dlg_;
};

TEST_F(CoChang2, ZeroAndNinetyDegrees) {
  Spit(old_, Gbk({"A 10 0 界桩", "B 0 10"}));
  Set("Text7", Q(old_));
  Set("Text1", Q(new_));
  Set("Text4", "1000");
  Set("Text5", "2000");
  Click(dlg_.get(), "Rotate");
  EXPECT_EQ(Texts(), std::vector<QString>{"坐标旋转结束!"});
  EXPECT_EQ(Last().icon, MessageIcon::Information);
  EXPECT_EQ(Slurp(new_), Gbk({"坐标转换：", "老坐标旋转中心：            .0000         .0000",
                              "新坐标旋转中心：            1000.0000     2000.0000", "旋转角：      0",
                              "A             1010.0000     2000.0000     界桩",
                              "B             1000.0000     2010.0000     "}));
  Set("Text4", "0");
  Set("Text5", "0");
  Set("Text6", "90");
  Click(dlg_.get(), "Rotate");
  EXPECT_EQ(Slurp(new_), Gbk({"坐标转换：", "老坐标旋转中心：            .0000         .0000",
                              "新坐标旋转中心：            .0000         .0000", "旋转角：      90",
                              "A             .0000         -10.0000      界桩",
                              "B             10.0000       .0000         "}));
}

TEST_F(CoChang2, RefusesBeforeTouchingTheResultFile) {
  Spit(old_, "");
  Spit(new_, "keep me\r\n");
  struct Case {
    QString oldText, newText, message;
  };
  const Case cases[] = {
      {"", Q(new_), "先选择老坐标文件!"},
      {Q(old_), "  ", "先选择新坐标文件!"},
      {Q(dir_ / "none"), Q(new_), "老坐标文件不存在!"},
      {Q(old_), Q(new_), "老坐标文件为空!"},
      {Q(new_), Q(new_), "新坐标文件不能与老坐标文件相同!"},
  };
  for (const auto& c : cases) {
    Set("Text7", c.oldText);
    Set("Text1", c.newText);
    Click(dlg_.get(), "Rotate");
    EXPECT_EQ(Last().text, c.message);
    EXPECT_EQ(Last().title, "平面坐标转换");
    EXPECT_EQ(Last().icon, MessageIcon::Critical);
    EXPECT_EQ(Slurp(new_), "keep me\r\n");
  }
}

TEST_F(CoChang2, EmptyFirstLineGivesHeaderOnly) {
  Spit(old_, Gbk({"", "A 1 2"}));
  Set("Text7", Q(old_));
  Set("Text1", Q(new_));
  Click(dlg_.get(), "Rotate");
  EXPECT_EQ(Texts(), std::vector<QString>{"坐标旋转结束!"});
  EXPECT_EQ(Slurp(new_), Gbk({"坐标转换：", "老坐标旋转中心：            .0000         .0000",
                              "新坐标旋转中心：            .0000         .0000", "旋转角：      0"}));
}

TEST_F(CoChang2, FormatErrorAndWriteFailureAreReported) {
  Spit(old_, Gbk({"A 1 2", "  "}));
  Set("Text7", Q(old_));
  Set("Text1", Q(new_));
  Click(dlg_.get(), "Rotate");
  EXPECT_EQ(Texts(), std::vector<QString>{"老坐标文件" + Q(old_) + "数据格式有错!"});
  Set("Text1", Q(dir_ / "no" / "out.txt"));
  Click(dlg_.get(), "Rotate");
  EXPECT_EQ(Last().text, "不能写入新坐标文件" + Q(dir_ / "no" / "out.txt") + "：文件或路径不存在");
}

TEST_F(CoChang2, LeavingANumericFieldWithTextShowsItsMessage) {
  dlg_->show();
  dlg_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg_.get()));
  const char* fields[] = {"Text2", "Text3", "Text4", "Text5", "Text6"};
  const QString messages[] = {"老坐标X必须是数字!", "老坐标Y必须是数字!", "新坐标X必须是数字!",
                              "新坐标Y必须是数字!", "旋转角必须是数字!"};
  for (int i = 0; i < 5; ++i) {
    auto* f = Find<QLineEdit>(dlg_.get(), fields[i]);
    f->setFocus(Qt::TabFocusReason);
    f->selectAll();
    QTest::keyClicks(f, "abc");
    Find<QLineEdit>(dlg_.get(), "Text7")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Last().text, messages[i]);
    EXPECT_EQ(Last().title, "平面坐标转换");
    EXPECT_EQ(Last().icon, MessageIcon::Critical);
    EXPECT_EQ(f->text(), "0");
  }
  auto* t2 = Find<QLineEdit>(dlg_.get(), "Text2");
  t2->setFocus(Qt::TabFocusReason);
  t2->selectAll();
  QTest::keyClicks(t2, "12.5");
  Find<QLineEdit>(dlg_.get(), "Text7")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(t2->text(), "12.5");
  EXPECT_EQ(fake_.messages.messages.size(), 5u);
}

// ---------------------------------------------------------------- progress on large files
// The clock moves on by hand at every reading, so a run "takes" as long as the test says;
// its hook looks at the progress dialog while the run goes on and can press Cancel.

class LargeFiles : public TransformUi {
 protected:
  void SetUp() override {
    TransformUi::SetUp();
    // The common points come last, so gathering reads the whole old file.
    std::string oldBytes, newBytes;
    char line[96];
    for (int i = 0; i < 120000; ++i) {
      std::snprintf(line, sizeof line, "P%d %.3f %.3f %s\r\n", i, 3.0e6 + i * 0.731,
                    5.0e5 + i * 0.377, i % 3 ? "code" : "\xBD\xE7\xD7\xAE");
      oldBytes += line;
    }
    for (int i = 119990; i < 120000; ++i) {
      std::snprintf(line, sizeof line, "P%d %.3f %.3f\r\n", i, 3.0e6 + i * 0.731 + 100,
                    5.0e5 + i * 0.377 - 50);
      newBytes += line;
    }
    Spit(old_, oldBytes);
    newBytes_ = newBytes;
    Spit(new_, newBytes_);
  }

  // Watches the progress dialog at every clock reading; presses Cancel (through the event
  // loop, as a user's click arrives) once it shows `cancelAt`.
  void Watch(QWidget* dlg, const QString& cancelAt = {}) {
    fake_.clock.onRead = [this, dlg, cancelAt] {
      auto* p = dlg->findChild<QProgressDialog*>("FileProgress");
      if (!p || !p->isVisible()) return;
      EXPECT_EQ(p->windowModality(), Qt::ApplicationModal);
      seen_.push_back({p->labelText(), p->value()});
      if (!cancelAt.isEmpty() && p->labelText() == cancelAt && !pressed_) {
        pressed_ = true;
        QPushButton* cancel = p->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), "取消");
        QTimer::singleShot(0, cancel, [cancel] { cancel->click(); });
      }
    };
  }
  std::vector<QString> Labels() const {
    std::vector<QString> labels;
    for (const auto& [label, value] : seen_)
      if (labels.empty() || labels.back() != label) labels.push_back(label);
    return labels;
  }

  std::string newBytes_;
  std::vector<std::pair<QString, int>> seen_;
  bool pressed_ = false;
};

const QString kReading = "正在读取坐标文件…";
const QString kWriting = "正在写入新坐标文件…";

TEST_F(LargeFiles, CoChangShowsProgressOnlyAfterHalfASecondAndWritesTheSame) {
  Co_Chang dlg(state_, fake_.services());
  dlg.findChild<QLineEdit*>("Text1")->setText(Q(old_));
  dlg.findChild<QLineEdit*>("Text2")->setText(Q(new_));
  struct Case {
    qint64 step;                  // milliseconds per clock reading
    std::vector<QString> stages;  // progress shown while
  };
  const Case cases[] = {{0, {}}, {1, {}}, {100, {kReading, kWriting}}};
  std::string expected;
  for (const Case& c : cases) {
    Spit(new_, newBytes_);
    fake_.messages.messages.clear();
    seen_.clear();
    fake_.clock.step = c.step;
    Watch(&dlg);
    Click(&dlg, "Command1");
    EXPECT_EQ(Texts(), std::vector<QString>{"坐标旋转结束!"}) << c.step;
    EXPECT_EQ(Labels(), c.stages) << c.step;
    for (size_t i = 1; i < seen_.size(); ++i) {
      if (seen_[i].first == seen_[i - 1].first) {
        EXPECT_GE(seen_[i].second, seen_[i - 1].second);
      }
    }
    if (!seen_.empty()) {
      EXPECT_GT(seen_.back().second, 900);  // near the end of the old file
    }
    EXPECT_EQ(dlg.findChild<QProgressDialog*>(), nullptr) << "gone once the run ends";
    const std::string now = Slurp(new_);
    if (expected.empty()) expected = now;
    EXPECT_TRUE(now == expected) << c.step;
  }
  EXPECT_GT(expected.size(), 120000u * 40);
}

TEST_F(LargeFiles, CoChangCancelledInEitherStageLeavesFileAndStateAsTheyWere) {
  Co_Chang dlg(state_, fake_.services());
  dlg.findChild<QLineEdit*>("Text1")->setText(Q(old_));
  dlg.findChild<QLineEdit*>("Text2")->setText(Q(new_));
  fake_.clock.step = 100;
  for (const QString& stage : {kReading, kWriting}) {
    state_.Transform.CommonPoints = {{"KEEP", 1, 2, 3, 4}};
    state_.Transform.ParamsReady = false;
    pressed_ = false;
    Watch(&dlg, stage);
    Click(&dlg, "Command1");
    EXPECT_TRUE(pressed_);
    EXPECT_TRUE(Texts().empty()) << "a cancel says nothing";
    EXPECT_TRUE(Slurp(new_) == newBytes_) << "the appended block is taken back";
    EXPECT_FALSE(state_.Transform.ParamsReady);
    if (stage == kReading) {
      EXPECT_EQ(state_.Transform.CommonPoints[0].Name, "KEEP");
    }
    EXPECT_EQ(dlg.findChild<QProgressDialog*>(), nullptr);
  }
  // Usable afterwards.
  fake_.clock.onRead = {};
  Click(&dlg, "Command1");
  EXPECT_EQ(Texts(), std::vector<QString>{"坐标旋转结束!"});
  EXPECT_TRUE(state_.Transform.ParamsReady);
}

TEST_F(LargeFiles, CoChang2CancelledKeepsTheOldResultFileAndLeavesNoTemporary) {
  Co_Chang2 dlg(state_, fake_.services());
  const fs::path out = dir_ / "rotated.txt";
  Spit(out, "an earlier result\r\n");
  Find<QLineEdit>(&dlg, "Text7")->setText(Q(old_));
  Find<QLineEdit>(&dlg, "Text1")->setText(Q(out));
  Find<QLineEdit>(&dlg, "Text6")->setText("30.1500");
  fake_.clock.step = 100;
  Watch(&dlg, kWriting);
  Click(&dlg, "Rotate");
  EXPECT_TRUE(pressed_);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(Slurp(out), "an earlier result\r\n");
  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(dir_)) entries.push_back(e.path().filename());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"new.txt", "old.txt", "rotated.txt"}));

  // Not cancelled: the progress shows and the file is what a run without it writes.
  pressed_ = false;
  seen_.clear();
  Watch(&dlg);
  Click(&dlg, "Rotate");
  EXPECT_EQ(Labels(), std::vector<QString>{kWriting});
  const std::string withProgress = Slurp(out);
  fake_.clock.step = 0;
  Click(&dlg, "Rotate");
  EXPECT_TRUE(Slurp(out) == withProgress);
  EXPECT_EQ(Texts(), (std::vector<QString>{"坐标旋转结束!", "坐标旋转结束!"}));
  EXPECT_GT(withProgress.size(), 120000u * 40);
}

TEST(TransformCatalogue, EntriesOpenTheirDialogs) {
  AppState state;
  FakeServices fake;
  std::unique_ptr<VDialog> one(CreateDialog("平面坐标转换1", state, fake.services()));
  EXPECT_NE(dynamic_cast<Co_Chang*>(one.get()), nullptr);
  std::unique_ptr<VDialog> two(CreateDialog("平面坐标转换2", state, fake.services()));
  EXPECT_NE(dynamic_cast<Co_Chang2*>(two.get()), nullptr);
  EXPECT_EQ(two->windowTitle(), "平面坐标转换2");
}

// Pictures of both dialogs after a worked example, taken when VANTREL_SCREENSHOT_DIR
// names a folder (looked at by a person, not compared).
TEST_F(CoChang, Screenshots) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "VANTREL_SCREENSHOT_DIR not set";
  Run({"A 1000 2000 界桩", "B 1500 2100", "C 900 2600", "D 100 100"},
      {"A 1100 1950", "B 1600 2050", "C 1000 2550"});
  testing::MaybeScreenshot(dlg_.get(), "co_chang.png");
  Click(dlg_.get(), "Command4");
  ASSERT_NE(dlg_->ParamWindow(), nullptr);
  testing::MaybeScreenshot(dlg_->ParamWindow(), "tran_d.png");
  Co_Chang2 rotation(state_, fake_.services());
  Spit(old_, Gbk({"A 10 0 界桩", "B 0 10"}));
  rotation.findChild<QLineEdit*>("Text7")->setText(Q(old_));
  rotation.findChild<QLineEdit*>("Text1")->setText(Q(dir_ / "rotated.txt"));
  rotation.findChild<QLineEdit*>("Text6")->setText("90");
  Click(&rotation, "Rotate");
  testing::MaybeScreenshot(&rotation, "co_chang2.png");
}

}  // namespace
}  // namespace vantrel
