#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QAction>
#include <cmath>
#include <memory>

#include "app/catalogue.h"
#include "app/main_window.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"
#include "plane/ui/coordi_frm.h"
#include "plane/ui/cross_back.h"
#include "plane/ui/cross_for.h"
#include "plane/ui/trav_frm.h"
#include "plane/ui/trav_net.h"
#include "tests/support/gui.h"

using namespace vantrel;

namespace {

template <class D>
struct Fixture {
  AppState state;
  FakeServices fake;
  std::unique_ptr<D> dialog;
  template <class... Args>
  explicit Fixture(Args&&... args)
      : dialog(std::make_unique<D>(state, fake.services(), std::forward<Args>(args)...)) {
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  }
  QLineEdit* field(const char* name) { return vantrel::testing::Field(dialog.get(), name); }
  QString text(const char* name) { return field(name)->text(); }
  void type(const char* name, const QString& t) { vantrel::testing::Type(dialog.get(), name, t); }
  void press(const char* name) { vantrel::testing::Press(dialog.get(), name); }
  const std::vector<RecordingMessageBox::Message>& messages() { return fake.messages.messages; }
  void activate() {
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  }
};

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

}  // namespace

TEST(CoordiFrm, DefaultsGiveTheInverseFromCoordinates) {
  Fixture<CoordiFrm> f;
  EXPECT_EQ(f.dialog->windowTitle(), "坐标正反算");
  f.press("Command1");
  EXPECT_EQ(f.text("Text9"), "100");
  EXPECT_EQ(f.text("Text10"), "100");
  EXPECT_EQ(f.text("Text5"), "141.42135623731");
  EXPECT_EQ(f.text("Text6"), "45");
  EXPECT_EQ(f.text("Text7"), "0");
  EXPECT_EQ(f.text("Text8"), ".0000");
  EXPECT_TRUE(f.messages().empty());
}

TEST(CoordiFrm, DifferencesAndForwardCases) {
  struct Case {
    const char* text1;
    QString dx, dy, s, d, m, sec;
    QString wantDx, wantDy, wantS, wantD, wantM;
  } cases[] = {
      // Case 2: "abc" in Text1 leaves the differences in charge.
      {"abc", "0", "-5", "", "", "", "", "0", "-5", "5", "270", "0"},
      // Case 3: forward from distance and azimuth.
      {"", "", "", "100", "30", "0", "0", "86.6025403784439", "50", "100", "30", "0"},
      // Minutes of 60 or more are taken as typed: 30 deg 90 min is 31.5 deg.
      {"", "", "", "100", "30", "90", "0", QString::fromStdString(GeneralNumberText(
                                                  100 * std::cos(31.5 * kPi / 180))),
       QString::fromStdString(GeneralNumberText(100 * std::sin(31.5 * kPi / 180))), "100", "30",
       "90"},
  };
  for (const Case& c : cases) {
    Fixture<CoordiFrm> f;
    f.type("Text1", c.text1);
    f.type("Text9", c.dx);
    f.type("Text10", c.dy);
    f.type("Text5", c.s);
    f.type("Text6", c.d);
    f.type("Text7", c.m);
    f.type("Text8", c.sec);
    f.press("Command1");
    for (const char* n : {"Text1", "Text2", "Text3", "Text4"}) EXPECT_EQ(f.text(n), "") << n;
    EXPECT_EQ(f.text("Text9"), c.wantDx);
    EXPECT_EQ(f.text("Text10"), c.wantDy);
    EXPECT_EQ(f.text("Text5"), c.wantS);
    EXPECT_EQ(f.text("Text6"), c.wantD);
    EXPECT_EQ(f.text("Text7"), c.wantM);
  }
}

TEST(CoordiFrm, NothingApplicableChangesNothing) {
  Fixture<CoordiFrm> f;
  f.type("Text2", "x");
  f.type("Text5", "12");
  f.press("Command1");
  EXPECT_EQ(f.text("Text1"), "100");
  EXPECT_EQ(f.text("Text2"), "x");
  EXPECT_EQ(f.text("Text9"), "");
  EXPECT_TRUE(f.messages().empty());
}

TEST(CoordiFrm, TabbingSelectsTheWholeField) {
  Fixture<CoordiFrm> f;
  f.activate();
  f.field("Text1")->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(f.field("Text1"), Qt::Key_Tab);
  QLineEdit* next = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->selectedText(), next->text());
}

TEST(Cross_For, DefaultsAndTheWestCase) {
  Fixture<Cross_For> f;
  EXPECT_EQ(f.dialog->windowTitle(), "前方交会");
  f.press("Cal");
  EXPECT_EQ(f.text("Text7"), "100.0000");
  EXPECT_EQ(f.text("Text8"), "200.0000");
  f.type("Text1", " 0 ");
  f.type("Text2", "0");
  f.type("Text3", "100");
  f.type("Text4", " 0");
  f.type("Text5", "30.0000");
  f.type("Text6", "60.0000");
  f.press("Cal");
  EXPECT_EQ(f.text("Text7"), "75.0000");
  EXPECT_EQ(f.text("Text8"), "-43.3013");
  // A result below 1 in magnitude has no leading zero.
  f.type("Text1", "0.5");
  f.type("Text2", "0.25");
  f.type("Text3", "0.5");
  f.type("Text4", "0.25");
  f.press("Cal");
  EXPECT_EQ(f.text("Text7"), ".5000");
  EXPECT_EQ(f.text("Text8"), ".2500");
  EXPECT_TRUE(f.messages().empty());
}

TEST(Cross_For, BadFieldStopsSilentlyAndParallelRaysAreReported) {
  Fixture<Cross_For> f;
  f.type("Text4", "2o0");
  f.press("Cal");
  EXPECT_EQ(f.text("Text7"), "");
  EXPECT_TRUE(f.messages().empty());
  f.type("Text4", "200");
  f.type("Text5", "90");
  f.type("Text6", "90");
  f.press("Cal");
  ASSERT_EQ(f.messages().size(), 1u);
  EXPECT_EQ(f.messages()[0].title, "前方交会");
  EXPECT_EQ(f.messages()[0].icon, MessageIcon::Warning);
  EXPECT_EQ(f.text("Text7"), "");
  EXPECT_EQ(f.text("Text8"), "");
}

TEST(Cross_Back, DefaultsHalfTurnAndDangerCircle) {
  Fixture<Cross_Back> f;
  EXPECT_EQ(f.dialog->windowTitle(), "后方交会");
  f.press("Cal");
  EXPECT_EQ(f.text("Text9"), "275.9555");
  EXPECT_EQ(f.text("Text10"), "260.7011");
  f.field("Text9")->clear();
  f.type("Text5", "350.0000");
  f.press("Cal");
  EXPECT_EQ(f.text("Text9"), "275.9555");
  EXPECT_EQ(f.text("Text10"), "260.7011");
  EXPECT_TRUE(f.messages().empty());
  // P on the circle through A(100,100), B(0,200), C(250,250): A is the right angle, so
  // the centre is the middle of BC, (125, 225), and the radius sqrt(16250).
  const double px = 125 + std::sqrt(16250.0) * std::cos(3.5),
               py = 225 + std::sqrt(16250.0) * std::sin(3.5);
  auto az = [](double x1, double y1, double x2, double y2) { return std::atan2(y2 - y1, x2 - x1); };
  auto packed = [](double rad) {
    double deg = std::fmod(rad * 180 / kPi + 720, 360);
    double d = std::floor(deg), m = std::floor((deg - d) * 60), s = ((deg - d) * 60 - m) * 60;
    return QString::fromStdString(GeneralNumberText(d + m / 100 + s / 10000));
  };
  f.type("Text5", packed(az(px, py, 0, 200) - az(px, py, 250, 250)));
  f.type("Text6", packed(az(px, py, 250, 250) - az(px, py, 100, 100)));
  f.press("Cal");
  ASSERT_EQ(f.messages().size(), 1u);
  EXPECT_EQ(f.messages()[0].text, "危险圆！ ");
  EXPECT_EQ(f.messages()[0].title, "Vantrel");
  EXPECT_EQ(f.messages()[0].icon, MessageIcon::None);
  EXPECT_EQ(f.text("Text9"), "275.9555");
}

TEST(Cross_Back, BadFieldStopsSilently) {
  Fixture<Cross_Back> f;
  f.type("Text8", "");
  f.press("Cal");
  EXPECT_EQ(f.text("Text9"), "");
  EXPECT_TRUE(f.messages().empty());
}

class TravFrmTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString out() { return dir.filePath("traverse.out"); }
};

TEST_F(TravFrmTest, LoadCreatesTheDefaultFileWithTheFirstHeadings) {
  Fixture<TravFrm> f(dir.path());
  EXPECT_EQ(f.dialog->windowTitle(), "支导线计算");
  EXPECT_EQ(QString::fromStdString(f.state.TravResultFile), out());
  EXPECT_EQ(f.text("Text8"), QDir::toNativeSeparators(out()));
  EXPECT_EQ(f.text("Text14"), "Site0");
  const QByteArray want = QByteArray::fromStdString(
      Utf8ToGbk("支导线结 果文件") + "\r\n" +
      Utf8ToGbk(PrintZones({"点号 ", "X   ", " Y   ", " X0  ", "   Y0 ", "至后视点(D.MS)",
                            "边长", "转折左角(D.MS)  "})) +
      "\r\n");
  EXPECT_EQ(FileBytes(out()), want);
  EXPECT_TRUE(f.messages().empty());
}

TEST_F(TravFrmTest, BackSightSouthLeftAngleAdvanceAndFileBytes) {
  Fixture<TravFrm> f(dir.path());
  const QByteArray head = FileBytes(out());
  f.dialog->findChild<QCheckBox*>("Check2")->setChecked(true);
  f.type("Text1", "0");
  f.type("Text2", "0");
  f.type("Text3", "-100");
  f.type("Text4", "0");
  f.type("Text10", "90.0000");
  f.type("Text11", "100");
  f.type("Text14", "P1");
  f.press("Command2");
  EXPECT_TRUE(f.messages().empty());
  EXPECT_LT(std::fabs(ReadLenient(f.text("Text12").toStdString())), 1e-10);
  EXPECT_EQ(f.text("Text13"), "-100");
  EXPECT_EQ(f.text("Text1"), f.text("Text12"));
  EXPECT_EQ(f.text("Text2"), "-100");
  EXPECT_EQ(f.text("Text3"), "0");
  EXPECT_EQ(f.text("Text4"), "0");
  EXPECT_EQ(f.text("Text5"), " 90.0000000000");
  const QByteArray rec1 =
      "P1            .000          -100.000      .000          .000           180.0000000020"
      "             100.000        90.0000000020\r\n";
  EXPECT_EQ(FileBytes(out()), head + rec1);
  // Second press walks on: station (0,-100), back-sight due east, left 90: due south.
  f.type("Text14", "");
  f.press("Command2");
  EXPECT_EQ(f.text("Text14"), "新点");
  EXPECT_EQ(f.text("Text12"), "-100");
  EXPECT_NEAR(ReadLenient(f.text("Text13").toStdString()), -100, 1e-10);
  const QByteArray rec2 = QByteArray::fromStdString(Utf8ToGbk("新点")) +
                          "          -100.000      -100.000      .000          -100.000       "
                          "90.0000000020              100.000        90.0000000020\r\n";
  EXPECT_EQ(FileBytes(out()), head + rec1 + rec2);
}

TEST_F(TravFrmTest, RightAngleAndAzimuthMode) {
  Fixture<TravFrm> f(dir.path());
  f.dialog->findChild<QCheckBox*>("Check1")->setChecked(false);
  f.type("Text1", "0");
  f.type("Text2", "0");
  f.type("Text3", "-100");
  f.type("Text4", "0");
  f.type("Text10", "90");
  f.type("Text11", "100");
  f.press("Command2");
  EXPECT_LT(std::fabs(ReadLenient(f.text("Text12").toStdString())), 1e-10);
  EXPECT_EQ(f.text("Text13"), "100");
  // Station not advanced without Check2.
  EXPECT_EQ(f.text("Text1"), "0");
  // Azimuth mode: back-sight points are not looked at, Text5 is.
  f.dialog->findChild<QRadioButton*>("Option2")->click();
  EXPECT_TRUE(f.field("Text3")->isHidden());
  EXPECT_FALSE(f.field("Text5")->isHidden());
  f.type("Text3", "bad");
  f.type("Text5", "180");
  f.press("Command2");
  EXPECT_TRUE(f.messages().empty());
  EXPECT_EQ(f.text("Text13"), "100");
  TextFileResult file = ReadTextFile(out().toStdString());
  EXPECT_EQ(file.lines.size(), 4u);
}

TEST_F(TravFrmTest, ChecksInOrderWithMessagesAndFocus) {
  struct Case {
    bool azimuthMode;
    const char* field;
    QString message;
  } cases[] = {
      {false, "Text1", " 起算点坐标错!"}, {false, "Text2", " 起算点坐标错!"},
      {false, "Text3", " 后视点坐标错!"}, {false, "Text4", " 后视点坐标错!"},
      {true, "Text5", "至后视点方向角错!"}, {false, "Text10", " 转折角错!"},
      {false, "Text11", " 边长错!"},
  };
  for (const Case& c : cases) {
    Fixture<TravFrm> f(dir.path());
    f.activate();
    if (c.azimuthMode) f.dialog->findChild<QRadioButton*>("Option2")->click();
    for (const char* n : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text10", "Text11"})
      f.type(n, "1");
    f.type(c.field, "x");
    const QByteArray before = FileBytes(out());
    f.press("Command2");
    ASSERT_EQ(f.messages().size(), 1u) << c.field;
    EXPECT_EQ(f.messages()[0].text, c.message);
    EXPECT_EQ(f.messages()[0].title, "支导线计算");
    EXPECT_EQ(f.messages()[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(f.field(c.field)->hasFocus()) << c.field;
    EXPECT_EQ(f.text("Text12"), "");
    EXPECT_EQ(FileBytes(out()), before);
  }
}

TEST_F(TravFrmTest, ChosenFileGetsTheSecondHeadingsAndCancelChangesNothing) {
  Fixture<TravFrm> f(dir.path());
  const QString chosen = dir.filePath("chosen.out");
  f.fake.files.answers = {chosen, ""};
  f.press("Command4");
  ASSERT_EQ(f.fake.files.requests.size(), 1u);
  // A save dialog: it asks before replacing a file that exists.
  EXPECT_TRUE(f.fake.files.requests[0].save);
  EXPECT_EQ(f.fake.files.requests[0].filter, "结果文件 (*.out)");
  EXPECT_EQ(QString::fromStdString(f.state.TravResultFile), chosen);
  EXPECT_EQ(f.text("Text8"), QDir::toNativeSeparators(chosen));
  TextFileResult file = ReadTextFile(chosen.toStdString());
  ASSERT_EQ(file.lines.size(), 2u);
  EXPECT_EQ(file.lines[1], PrintZones({"点号 ", "X   ", " Y   ", "   X0  ", " Y0 ",
                                       "至后视点(D.MS)", "边长", "转折左角(D.MS)  "}));
  f.press("Command4");
  EXPECT_EQ(QString::fromStdString(f.state.TravResultFile), chosen);
}

TEST_F(TravFrmTest, UnwritableFilesAreReportedAndTheDialogStaysUsable) {
  // The program folder is a path under a regular file: the data folder takes over.
  QFile blocker(dir.filePath("plainfile"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  Fixture<TravFrm> f(dir.filePath("plainfile/bin"));
  const QString fallback =
      QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
          .filePath("traverse.out");
  EXPECT_EQ(QString::fromStdString(f.state.TravResultFile), fallback);
  EXPECT_EQ(f.text("Text8"), QDir::toNativeSeparators(fallback));
  EXPECT_TRUE(f.messages().empty());
  EXPECT_EQ(ReadTextFile(fallback.toStdString()).lines.size(), 2u);
  // A chosen file that cannot be created keeps the old one.
  f.fake.files.answers = {dir.path()};
  f.press("Command4");
  ASSERT_EQ(f.messages().size(), 1u);
  EXPECT_EQ(f.messages()[0].title, "支导线计算");
  EXPECT_EQ(QString::fromStdString(f.state.TravResultFile), fallback);
  // A failing append is reported; the leg is still shown.
  f.state.TravResultFile = "/dev/full";
  for (const char* n : {"Text1", "Text2", "Text3", "Text4", "Text10", "Text11"}) f.type(n, "1");
  f.press("Command2");
  ASSERT_EQ(f.messages().size(), 2u);
  EXPECT_EQ(f.messages()[1].icon, MessageIcon::Critical);
  EXPECT_FALSE(f.text("Text12").isEmpty());
  QFile::remove(fallback);
}

TEST(Catalogue, PlaneEntriesOpenTheirDialogs) {
  AppState state;
  FakeServices fake;
  struct { const char* entry; const char* form; } rows[] = {
      {"坐标正反算", "CoordiFrm"}, {"前方交会", "Cross_For"}, {"后方交会", "Cross_Back"},
      {"支导线计算", "TravFrm"}};
  for (auto& r : rows) {
    std::unique_ptr<VDialog> d(CreateDialog(r.entry, state, fake.services()));
    EXPECT_EQ(d->objectName(), r.form);
    EXPECT_EQ(d->windowTitle(), r.entry);
  }
}

// The diagram ---------------------------------------------------------------------------

namespace {

void WriteLines(const QString& path, const std::vector<std::string>& lines) {
  ASSERT_TRUE(WriteTextFile(path.toStdString(), lines, false).ok);
}

QRgb Pixel(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(TravNet, DueNorthLegLandsOnTheGivenColumnsAndRows) {
  QTemporaryDir dir;
  AppState state;
  FakeServices fake;
  state.TravResultFile = dir.filePath("n.out").toStdString();
  WriteLines(dir.filePath("n.out"), {"t", "h", "N1 100 0 0 0 0 90 0"});
  TravNet net(state, fake.services());
  EXPECT_EQ(net.windowTitle(), "支导线网图");
  net.DrawFile();
  const QImage& img = net.image();
  const int W = img.width(), H = img.height();
  const int x = W / 5, newY = static_cast<int>(std::floor(H / 5.0));
  const int stationY = static_cast<int>(std::floor(H / 5.0 + 0.6 * H));
  const int R = static_cast<int>(std::lround(H / 100.0));
  // The leg is black on the column between the circles.
  const int mid = (newY + stationY) / 2;
  EXPECT_EQ(Pixel(img, x, mid), 0x000000u);
  EXPECT_EQ(Pixel(img, x + 3, mid), 0xFFFFFFu);
  // Red circles of radius R about both points (at their left side, clear of the name text).
  EXPECT_EQ(Pixel(img, x - R, newY), 0xFF0000u);
  EXPECT_EQ(Pixel(img, x - R, stationY), 0xFF0000u);
  // The green back-sight mark runs due north from the station for S/3 = 30 m (10 % of H).
  const int greenY = stationY - static_cast<int>(0.6 * H * 30 / 100 / 2);
  EXPECT_EQ(Pixel(img, x, greenY), 0x00FF00u);
  EXPECT_TRUE(fake.messages.messages.empty());
}

TEST(TravNet, MoreThanTwentyWarnsOnceAndDrawsTwenty) {
  QTemporaryDir dir;
  AppState state;
  FakeServices fake;
  state.TravResultFile = dir.filePath("m.out").toStdString();
  std::vector<std::string> lines = {"t", "h"};
  for (int i = 0; i < 25; ++i)
    lines.push_back("P" + std::to_string(i) + " " + std::to_string(i * 10) + " 0 " +
                    std::to_string(i * 10 - 10) + " 0 0 10 0");
  WriteLines(dir.filePath("m.out"), lines);
  TravNet net(state, fake.services());
  net.DrawFile();
  ASSERT_EQ(fake.messages.messages.size(), 1u);
  EXPECT_EQ(fake.messages.messages[0].text, "支导线点数超过最大值: 20个点!");
  EXPECT_EQ(fake.messages.messages[0].title, "支导线计算");
  EXPECT_EQ(fake.messages.messages[0].icon, MessageIcon::Warning);
}

TEST(TravNet, SaveWritesABitmapAndCancelIsAFailure) {
  QTemporaryDir dir;
  AppState state;
  FakeServices fake;
  state.TravResultFile = dir.filePath("s.out").toStdString();
  WriteLines(dir.filePath("s.out"), {"t", "h", "A 0 100 0 0 0 50 0"});
  TravNet net(state, fake.services());
  net.DrawFile();
  const QString bmp = dir.filePath("net.bmp");
  fake.files.answers = {bmp, "", dir.path()};
  auto* save = net.findChild<QAction*>("Net_Save");
  ASSERT_NE(save, nullptr);
  save->trigger();
  EXPECT_TRUE(fake.messages.messages.empty());
  EXPECT_EQ(FileBytes(bmp).left(2), "BM");
  QImage back(bmp, "BMP");
  EXPECT_EQ(back.size(), net.image().size());
  EXPECT_EQ(back.pixel(0, 0) & 0xFFFFFF, net.image().pixel(0, 0) & 0xFFFFFF);
  ASSERT_EQ(fake.files.requests.size(), 1u);
  EXPECT_EQ(fake.files.requests[0].title, "保存");
  EXPECT_EQ(fake.files.requests[0].filter, "网图文件 (*.bmp)");
  save->trigger();  // cancelled
  save->trigger();  // a folder cannot be written as a file
  ASSERT_EQ(fake.messages.messages.size(), 2u);
  for (auto& m : fake.messages.messages) {
    EXPECT_EQ(m.text, "保存失败!");
    EXPECT_EQ(m.title, "支导线网图");
    EXPECT_EQ(m.icon, MessageIcon::Critical);
  }
}

TEST_F(TravFrmTest, ShowDiagramOpensTheWindowWithoutBlocking) {
  Fixture<TravFrm> f(dir.path());
  f.press("Command3");  // no records yet: the window opens, nothing drawn
  ASSERT_NE(f.dialog->net(), nullptr);
  EXPECT_TRUE(f.dialog->net()->isVisible());
  EXPECT_TRUE(f.messages().empty());
  const QImage img = f.dialog->net()->image();
  EXPECT_EQ(img.pixel(img.width() / 5, img.height() / 5) & 0xFFFFFF, 0xFFFFFFu);
  f.dialog->net()->findChild<QAction*>("Net_Exit")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f.dialog->net(), nullptr);
}

// The diagram lives from the first press until its own exit: the traverse dialog closing
// leaves it open with its picture, still saving; the main window hiding and disabling
// itself for the next dialog does not touch it; the next traverse dialog draws into it.
TEST_F(TravFrmTest, DiagramOutlivesTheTraverseDialogUntilItsOwnExit) {
  AppState state;
  FakeServices fake;
  Vantrel main(state, fake.services());
  main.show();
  auto open = [&](const QString& entry) -> QPointer<VDialog> {
    main.Toolbar1_ButtonClick("Coor_Cal");
    main.ListView1_ItemClick(main.ListView1()->findItems(entry, Qt::MatchExactly).value(0));
    return main.OpenDialog();
  };
  auto drawDiagram = [&](VDialog* trav) {
    state.TravResultFile = out().toStdString();
    trav->findChild<QPushButton*>("Command3")->click();
    return static_cast<TravFrm*>(trav)->net();
  };
  QPointer<VDialog> trav = open("支导线计算");
  ASSERT_TRUE(trav);
  ASSERT_TRUE(WriteTextFile(out().toStdString(), {"t", "h", "N1 100 0 0 0 0 90 0"}, false).ok);
  QPointer<TravNet> net = drawDiagram(trav);
  ASSERT_TRUE(net);
  const QImage drawn = net->image();
  trav->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_FALSE(trav);
  ASSERT_TRUE(net) << "closing the traverse dialog closed the diagram";
  EXPECT_TRUE(net->image() == drawn);

  QPointer<VDialog> other = open("坐标正反算");
  ASSERT_TRUE(other);
  EXPECT_FALSE(main.isEnabled());
  EXPECT_TRUE(net->isVisible() && net->isEnabled());
  const QString bmp = dir.filePath("after.bmp");
  fake.files.answers = {bmp};
  net->findChild<QAction*>("Net_Save")->trigger();
  EXPECT_TRUE(QImage(bmp, "BMP").convertToFormat(drawn.format()) == drawn);
  other->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  trav = open("支导线计算");
  EXPECT_EQ(drawDiagram(trav), net.data()) << "the next traverse dialog draws over it";
  EXPECT_TRUE(fake.messages.messages.empty());
  net->findChild<QAction*>("Net_Exit")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(net);
  EXPECT_EQ(static_cast<TravFrm*>(trav.data())->net(), nullptr);
  trav->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Pictures of the four dialogs after a computation and of a five-leg traverse diagram,
// taken when VANTREL_SCREENSHOT_DIR names a folder (looked at by a person, not compared).
TEST_F(TravFrmTest, Screenshots) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "VANTREL_SCREENSHOT_DIR not set";
  {
    Fixture<CoordiFrm> f;
    f.press("Command1");
    vantrel::testing::MaybeScreenshot(f.dialog.get(), "coordi_frm.png");
  }
  {
    Fixture<Cross_For> f;
    f.press("Cal");
    vantrel::testing::MaybeScreenshot(f.dialog.get(), "cross_for.png");
  }
  {
    Fixture<Cross_Back> f;
    f.press("Cal");
    vantrel::testing::MaybeScreenshot(f.dialog.get(), "cross_back.png");
  }
  Fixture<TravFrm> f(dir.path());
  f.dialog->findChild<QCheckBox*>("Check2")->setChecked(true);  // walk on leg by leg
  f.type("Text1", "1000");
  f.type("Text2", "1000");
  f.type("Text3", "900");
  f.type("Text4", "1000");
  const char* angles[] = {"210.3015", "165.4530", "190.1245", "140.0000", "200.3000"};
  const char* lengths[] = {"125.34", "98.761", "143.2", "110.05", "87.5"};
  for (int i = 0; i < 5; ++i) {
    f.type("Text10", angles[i]);
    f.type("Text11", lengths[i]);
    f.type("Text14", QString("T%1").arg(i + 1));
    f.press("Command2");
  }
  EXPECT_TRUE(f.messages().empty());
  vantrel::testing::MaybeScreenshot(f.dialog.get(), "trav_frm.png");
  f.press("Command3");
  ASSERT_NE(f.dialog->net(), nullptr);
  vantrel::testing::MaybeScreenshot(f.dialog->net(), "trav_net.png");
}
