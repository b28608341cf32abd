// Start-up, main window, catalogue dispatch, about and help.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolBar>

#include "app/about.h"
#include "app/catalogue.h"
#include "app/main_window.h"
#include "app/splash.h"
#include "dialogs/platform/services.h"
#include "tests/support/gui.h"
#include "tests/support/temp_files.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

TEST(Splash, PicturesFollowEachOtherAndOnlyTheSecondTimerEndsTheStartUp) {
  AppState state;
  Splash splash(state);
  splash.show();
  auto* p1 = Find<QLabel>(&splash, "Picture1");
  auto* p2 = Find<QLabel>(&splash, "Picture2");
  EXPECT_TRUE(splash.Timer1().isActive());
  EXPECT_FALSE(splash.Timer2().isActive());
  EXPECT_EQ(splash.Timer1().interval(), 2000);
  EXPECT_EQ(splash.Timer2().interval(), 2000);
  EXPECT_TRUE(p1->isVisible());
  EXPECT_FALSE(p2->isVisible());
  EXPECT_FALSE(p1->pixmap().isNull());
  EXPECT_FALSE(p2->pixmap().isNull());

  splash.Timer1_Timer();
  EXPECT_FALSE(splash.Timer1().isActive());
  EXPECT_TRUE(splash.Timer2().isActive());
  EXPECT_FALSE(p1->isVisible());
  EXPECT_TRUE(p2->isVisible());
  EXPECT_FALSE(state.SplashDone);

  QTest::mouseClick(p2, Qt::LeftButton);  // the second picture ignores clicks
  EXPECT_FALSE(state.SplashDone);

  splash.Timer2_Timer();
  EXPECT_TRUE(state.SplashDone);
}

TEST(Splash, ClickOnFirstPictureSkipsAtOnce) {
  AppState state;
  Splash splash(state);
  splash.show();
  QTest::mouseClick(Find<QLabel>(&splash, "Picture1"), Qt::LeftButton);
  EXPECT_TRUE(state.SplashDone);
}

struct MainFixture : ::testing::Test {
  AppState state;
  FakeServices fakes;
  std::unique_ptr<Vantrel> window;
  void SetUp() override {
    state.Transform.ParamsReady = true;
    window = std::make_unique<Vantrel>(state, fakes.services());
    window->exitProgram = [this] { ++exits; };
    window->show();
  }
  QAction* Button(const char* key) { return window->findChild<QAction*>(key); }
  QStringList Entries() {
    QStringList out;
    for (int i = 0; i < window->ListView1()->count(); ++i) out << window->ListView1()->item(i)->text();
    return out;
  }
  int CurrentRow() { return window->ListView1()->currentRow(); }
  int exits = 0;
};

TEST_F(MainFixture, LoadingShowsPageOneWithItsFirstEntryHighlighted) {
  EXPECT_EQ(window->windowTitle(), "Vantrel");
  EXPECT_FALSE(state.Transform.ParamsReady);
  EXPECT_EQ(state.CurrentPage, 1);
  EXPECT_TRUE(Button("Coor_Cal")->isChecked());
  EXPECT_EQ(Entries(), PageEntries(1));
  EXPECT_EQ(Entries().size(), 11);
  EXPECT_EQ(CurrentRow(), 0);
  EXPECT_EQ(state.LastItem, 0);
  EXPECT_EQ(window->ListView1()->viewMode(), QListView::IconMode);
  EXPECT_FALSE(window->ListView1()->item(0)->icon().isNull());

  const QStringList captions = {"坐标计算", "大地测量", "投影面", "关于", "帮助", "退出"};
  const QStringList keys = {"Coor_Cal", "Geo_Sur", "Proj_Sur", "Vantrel_About", "Vantrel_Help",
                            "Vantrel_Exit"};
  for (int i = 0; i < 6; ++i) {
    QAction* a = Button(keys[i].toUtf8().constData());
    ASSERT_NE(a, nullptr) << keys[i].toStdString();
    EXPECT_EQ(a->text(), captions[i]);
    EXPECT_FALSE(a->icon().isNull());
  }
}

TEST_F(MainFixture, PageButtonsSwitchPagesAsOneGroup) {
  struct Case { const char* key; int page; int entries; };
  for (const Case c : {Case{"Geo_Sur", 2, 4}, Case{"Proj_Sur", 3, 2}, Case{"Coor_Cal", 1, 11},
                       Case{"Proj_Sur", 3, 2}}) {
    window->ListView1()->setCurrentRow(1);
    state.LastItem = 1;
    Button(c.key)->trigger();
    EXPECT_EQ(state.CurrentPage, c.page) << c.key;
    EXPECT_EQ(Entries(), PageEntries(c.page));
    EXPECT_EQ(Entries().size(), c.entries);
    EXPECT_EQ(CurrentRow(), 0) << "a new page highlights its first entry";
    EXPECT_EQ(state.LastItem, 0);
    int pressed = 0;
    for (const char* k : {"Coor_Cal", "Geo_Sur", "Proj_Sur"}) pressed += Button(k)->isChecked();
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(Button(c.key)->isChecked());
  }
  EXPECT_EQ(PageEntries(3), (QStringList{"抵偿面高程", "54椭球大地水准面差距"}));
}

TEST_F(MainFixture, EveryEntryOpensItsWindowAndReturnsToTheSamePage) {
  const char* pageKeys[] = {"Coor_Cal", "Geo_Sur", "Proj_Sur"};
  int closes = 0;
  for (int page = 1; page <= 3; ++page) {
    Button(pageKeys[page - 1])->trigger();
    const QStringList entries = PageEntries(page);
    for (int row = 0; row < entries.size(); ++row) {
      QListWidgetItem* item = window->ListView1()->item(row);
      QTest::mouseClick(window->ListView1()->viewport(), Qt::LeftButton, {},
                        window->ListView1()->visualItemRect(item).center());
      QPointer<VDialog> dialog = window->OpenDialog();
      ASSERT_TRUE(dialog) << entries[row].toStdString();
      EXPECT_EQ(dialog->windowTitle(), entries[row]);
      EXPECT_TRUE(dialog->isVisible());
      EXPECT_FALSE(window->isVisible());
      EXPECT_FALSE(window->isEnabled());
      EXPECT_EQ(state.LastItem, row);
      bool built = false;
      for (const CatalogueEntry& e : DispatchTable()) {
        if (e.text == entries[row]) built = static_cast<bool>(e.factory);
      }
      if (!built) {
        EXPECT_EQ(TextOf(dialog, "NotBuiltLabel"), kNotBuiltText);
      }

      // Alternate the exit button and the close box: both unload.
      if (closes++ % 2 == 0) {
        QAbstractButton* exit = nullptr;
        for (auto* b : dialog->findChildren<QAbstractButton*>()) {
          if (b->text().startsWith("退出")) exit = b;
        }
        ASSERT_NE(exit, nullptr);
        exit->click();
      } else {
        dialog->close();
      }
      FlushDeletes();
      EXPECT_FALSE(dialog) << "the dialog is unloaded";
      EXPECT_TRUE(window->isVisible());
      EXPECT_TRUE(window->isEnabled());
      EXPECT_EQ(state.CurrentPage, page);
      EXPECT_EQ(CurrentRow(), row) << "the chosen entry is highlighted again";
      EXPECT_EQ(Entries(), entries);
    }
  }
}

TEST_F(MainFixture, UnknownTextStillOpensAWindow) {
  QPointer<VDialog> d = CreateDialog("不存在的条目", state, fakes.services());
  ASSERT_TRUE(d);
  EXPECT_EQ(d->windowTitle(), "不存在的条目");
  EXPECT_EQ(TextOf(d, "NotBuiltLabel"), kNotBuiltText);
  delete d;
}

TEST_F(MainFixture, AboutLeavesMainVisibleButDisabledUntilClosed) {
  for (bool byCloseBox : {false, true}) {
    Button("Vantrel_About")->trigger();
    QPointer<QWidget> about = window->AboutWindow();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), "关于 Vantrel");
    EXPECT_EQ(TextOf(about, "lblTitle"), "Vantrel");
    EXPECT_EQ(TextOf(about, "lblVersion"), "版本1.0.0");
    EXPECT_EQ(TextOf(about, "lblDescription"), "说明：该版本Vantrel程序主要用于常用的测量计算。");
    EXPECT_FALSE(TextOf(about, "lblDisclaimer").isEmpty());
    EXPECT_EQ(Find<QAbstractButton>(about, "cmdSysInfo")->text(), "系统信息(&S)...");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isEnabled());
    if (byCloseBox) {
      about->close();
    } else {
      EXPECT_EQ(Find<QAbstractButton>(about, "cmdOK")->text(), "关闭(&C)");
      Press(about, "cmdOK");
    }
    FlushDeletes();
    EXPECT_FALSE(about);
    EXPECT_TRUE(window->isEnabled());
  }
}

TEST(About, SystemInformationFromTheRegistryOrAMessage) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString viewer = QDir(dir.path()).filePath(kSysInfoProgram);
  {
    QFile f(viewer);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  struct Case {
    const char* name;
    QString path;      // value PATH, empty = missing
    QString location;  // value MSINFO, empty = missing
    bool startWorks;
    QString started;   // expected program, empty = none
    bool message;
  };
  const Case cases[] = {
      {"path found", "/usr/bin/sysinfo-viewer", "", true, "/usr/bin/sysinfo-viewer", false},
      {"path wins over location", "/opt/a", dir.path(), true, "/opt/a", false},
      {"location with the program", "", dir.path(), true, viewer, false},
      {"location without the program", "", "/nonexistent/folder", true, "", true},
      {"nothing registered", "", "", true, "", true},
      {"program fails to start", "/usr/bin/sysinfo-viewer", "", false, "/usr/bin/sysinfo-viewer", true},
  };
  for (const Case& c : cases) {
    AppState state;
    FakeServices fakes;
    if (!c.path.isEmpty()) fakes.registry.Set(kSysInfoKey, kSysInfoValue, c.path);
    if (!c.location.isEmpty()) fakes.registry.Set(kSysInfoLocationKey, kSysInfoLocationValue, c.location);
    fakes.launcher.startResult = c.startWorks;
    QWidget mainWindow;
    auto* about = new frmAbout(state, fakes.services(), &mainWindow);
    Press(about, "cmdSysInfo");
    if (c.started.isEmpty()) {
      EXPECT_TRUE(fakes.launcher.programs.empty()) << c.name;
    } else {
      ASSERT_EQ(fakes.launcher.programs.size(), 1u) << c.name;
      EXPECT_EQ(fakes.launcher.programs[0], c.started) << c.name;
    }
    ASSERT_EQ(fakes.messages.messages.size(), c.message ? 1u : 0u) << c.name;
    if (c.message) {
      EXPECT_EQ(fakes.messages.messages[0].text, "System Information Is Unavailable At This Time");
      EXPECT_EQ(fakes.messages.messages[0].title, "Vantrel");
    }
    delete about;
  }
}

TEST(FileRegistryTest, ReadsKeysAndValuesFromTheSystemFile) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("registry.ini");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("; system information viewer\n"
            "[SOFTWARE\\Microsoft\\Shared Tools Location]\n"
            "MSINFO = /usr/lib/sysinfo\n"
            "[software\\microsoft\\shared tools\\msinfo]\n"
            "path=/usr/bin/sysinfo-viewer\n"
            "[Other]\nPATH=/wrong\n");
  }
  FileRegistry reg(path);
  EXPECT_EQ(reg.ReadMachineValue(kSysInfoKey, "PATH").value_or("-"), "/usr/bin/sysinfo-viewer");
  EXPECT_EQ(reg.ReadMachineValue(kSysInfoLocationKey, "MSINFO").value_or("-"), "/usr/lib/sysinfo");
  EXPECT_FALSE(reg.ReadMachineValue(kSysInfoLocationKey, "PATH").has_value());
  EXPECT_FALSE(reg.ReadMachineValue("SOFTWARE\\None", "PATH").has_value());
  EXPECT_FALSE(FileRegistry(QDir(dir.path()).filePath("missing.ini"))
                   .ReadMachineValue(kSysInfoKey, "PATH").has_value());
}

// The help button over real files in an installed layout (<prefix>/bin beside
// <prefix>/share/vantrel/manual), with the launcher double deciding what the desktop opens.
TEST_F(MainFixture, HelpOpensTheHelpFileOrElseTheManualOrElseSaysWhere) {
  struct Case {
    const char* what;
    bool chm, manual;        // which files exist
    QStringList openable;    // suffixes the desktop has a program for
    bool openResult;         // whether the desktop takes the request
    std::vector<const char*> opened;  // "chm", "manual", in order
    const char* message;     // start of the message shown, or nullptr
  };
  const Case cases[] = {
      {"help file and a reader for it", true, true, {"chm", "html"}, true, {"chm"}, nullptr},
      {"help file but no reader for it", true, true, {"html"}, true, {"manual"}, nullptr},
      {"no help file", false, true, {"chm", "html"}, true, {"manual"}, nullptr},
      {"the desktop refuses every request", true, true, {"chm", "html"}, false, {"chm", "manual"},
       "没有可以打开帮助的程序。用户手册在："},
      {"neither file", false, false, {"chm", "html"}, true, {}, "找不到帮助文件："},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir prefix;
    const QString root = QString::fromStdString(prefix.path().string());
    QDir(root).mkpath("bin");
    QDir(root).mkpath("share/vantrel/manual");
    const QString chm = root + "/bin/Vantrel_Help.chm";
    const QString manual = root + "/share/vantrel/manual/index.html";
    if (c.chm) test::Spit(chm.toStdString(), "ITSF");
    if (c.manual) test::Spit(manual.toStdString(), "<html></html>");
    fakes.launcher = RecordingLauncher{};
    fakes.launcher.openable = c.openable;
    fakes.launcher.openResult = c.openResult;
    fakes.messages.messages.clear();
    window->SetProgramFolder(root + "/bin");
    EXPECT_EQ(window->ManualIndex(), manual);

    Button("Vantrel_Help")->trigger();
    std::vector<QString> want;
    for (const char* o : c.opened) want.push_back(QString(o) == "chm" ? chm : manual);
    EXPECT_EQ(fakes.launcher.documents, want);
    EXPECT_EQ(QString::fromStdString(state.HelpFile), QDir::toNativeSeparators(chm));
    if (c.message) {
      ASSERT_EQ(fakes.messages.messages.size(), 1u);
      EXPECT_TRUE(fakes.messages.messages[0].text.startsWith(c.message))
          << fakes.messages.messages[0].text.toStdString();
      EXPECT_TRUE(fakes.messages.messages[0].text.contains(manual));
      EXPECT_EQ(fakes.messages.messages[0].title, "Vantrel");
    } else {
      EXPECT_TRUE(fakes.messages.messages.empty());
    }
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(window->isVisible());
  }
}

// The desktop launcher asks xdg-mime which program opens a file's type; a stand-in
// xdg-mime on the search path gives each answer.
TEST(DesktopLauncher, CanOpenWhenTheDesktopNamesAProgramForTheType) {
  struct Case {
    const char* what;
    const char* script;  // body of the stand-in xdg-mime, or nullptr for none on the path
    bool fileExists;
    bool want;
  };
  const Case cases[] = {
      {"a program is named", "echo xchm.desktop", true, true},
      {"no program is named", "exit 0", true, false},
      {"the query fails", "exit 4", true, false},
      {"no xdg-mime at all", nullptr, true, false},
      {"the file is missing", "echo xchm.desktop", false, false},
  };
  const QByteArray oldPath = qgetenv("PATH");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string tools = dir / "tools";
    std::filesystem::create_directories(tools);
    if (c.script) {
      const std::string tool = tools + "/xdg-mime";
      test::Spit(tool, std::string("#!/bin/sh\n") + c.script + "\n");
      std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    }
    const std::string file = dir / "Vantrel_Help.chm";
    if (c.fileExists) test::Spit(file, "ITSF");
    qputenv("PATH", QByteArray::fromStdString(tools));
    DesktopLauncher launcher;
    EXPECT_EQ(launcher.CanOpen(QString::fromStdString(file)), c.want);
    qputenv("PATH", oldPath);
  }
}

TEST_F(MainFixture, ExitClosesEverythingAndEndsTheProgram) {
  window->ListView1_ItemClick(window->ListView1()->item(0));
  QPointer<VDialog> dialog = window->OpenDialog();
  ASSERT_TRUE(dialog);
  Button("Vantrel_Exit")->trigger();
  FlushDeletes();
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(dialog);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainFixture, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  Splash splash(state);
  MaybeScreenshot(&splash, "splash1.png");
  splash.Timer1_Timer();
  MaybeScreenshot(&splash, "splash2.png");
  splash.close();
  MaybeScreenshot(window.get(), "main_window.png");
  Button("Geo_Sur")->trigger();
  MaybeScreenshot(window.get(), "main_window_page2.png");
  Button("Proj_Sur")->trigger();
  MaybeScreenshot(window.get(), "main_window_page3.png");
  Button("Vantrel_About")->trigger();
  MaybeScreenshot(window->AboutWindow(), "about.png");
}

}  // namespace
}  // namespace vantrel
