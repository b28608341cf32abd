#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include "geodetic/ui/dcm_hfrm.h"
#include "geodetic/ui/frm_lan_ch.h"
#include "geodetic/ui/frm_seven.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using testing::Harness;

TEST(FrmLanCh, DefaultsChangeZoneAndUnloadRestoresTheMeridian) {
  Harness<FrmLanCh> h;
  h.dialog->show();
  EXPECT_EQ(h.dialog->windowTitle(), "高斯坐标换带");
  h.state.Projection.CentralMeridian = 0.5;
  h.Press("LanCh_Cal");
  EXPECT_NEAR(h.Field("Text5").toDouble(), 3432786.90, 0.006) << h.Field("Text5").toStdString();
  EXPECT_NEAR(h.Field("Text6").toDouble(), -191028.23, 0.006) << h.Field("Text6").toStdString();
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(h.state.LanChSavedMeridian, 0.5);
  EXPECT_EQ(h.state.Projection.EllipsoidA, kEllipsoid54.a);

  // Same meridian both sides gives the input back.
  h.Type("Text4", "120");
  h.Press("LanCh_Cal");
  EXPECT_EQ(h.Field("Text5"), "3431498.595");
  EXPECT_EQ(h.Field("Text6"), "95509.102");

  // Unloading gives back the meridian as it was before the latest computation.
  h.dialog->close();
  EXPECT_DOUBLE_EQ(h.state.Projection.CentralMeridian, Dms2Rad(123));
  EXPECT_EQ(h.state.Projection.EllipsoidA, kEllipsoid54.a);
}

TEST(FrmLanCh, FirstBadFieldIsReportedAndFocused) {
  struct Case { const char* field; const char* text; const char* message; };
  const Case cases[] = {
      {"Text1", "", "请输入数据!"}, {"Text1", "abc", "请输入数值!"},
      {"Text2", "1.2.3", "请输入数值!"}, {"Text3", "", "请输入数据!"},
      {"Text4", "x", "请输入数值!"},
  };
  for (const Case& c : cases) {
    Harness<FrmLanCh> h;
    h.dialog->show();
    h.Type(c.field, c.text);
    if (std::string(c.field) == "Text3") h.Type("Text4", "");  // only the first is reported
    h.Press("LanCh_Cal");
    ASSERT_EQ(h.Messages().size(), 1u) << c.field;
    EXPECT_EQ(h.Messages()[0].text, c.message);
    EXPECT_EQ(h.Messages()[0].title, "高斯坐标换带");
    EXPECT_EQ(h.Messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(h.dialog->focusWidget(), h.Find<QLineEdit>(c.field)) << c.field;
    EXPECT_EQ(h.Field("Text5"), "");
  }
}

TEST(FrmLanCh, BlanksOnlyAreNotEmpty) {
  // Nothing at all asks for data; blanks are something that is not a number.
  struct Case { const char* text; const char* message; };
  for (const Case& c : {Case{"", "请输入数据!"}, Case{"   ", "请输入数值!"}, Case{" \t", "请输入数值!"}}) {
    Harness<FrmLanCh> h;
    h.dialog->show();
    h.Find<QLineEdit>("Text2")->setText(c.text);
    h.Press("LanCh_Cal");
    ASSERT_EQ(h.Messages().size(), 1u) << '"' << c.text << '"';
    EXPECT_EQ(h.Messages()[0].text, c.message) << '"' << c.text << '"';
    EXPECT_EQ(h.dialog->focusWidget(), h.Find<QLineEdit>("Text2"));
  }
}

TEST(DCM_Hfrm, DefaultsAndChecks) {
  Harness<DCM_Hfrm> h;
  EXPECT_EQ(h.dialog->windowTitle(), "抵偿面高程");
  h.Press("DCM_H_Cal");
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(h.Label("Label7"), "-990.522米");
  auto metres = [&](const char* l) {
    QString t = h.Label(l);
    EXPECT_TRUE(t.endsWith("米"));
    return t.chopped(1).toDouble();
  };
  // Shown to the millimetre, so the difference holds to a millimetre or two.
  EXPECT_NEAR(metres("Label11") - metres("Label9"), 62.890, 0.0015);
  EXPECT_NEAR(metres("Label9"), metres("Label13") + metres("Label7"), 0.0015);

  struct Bad { const char* field; const char* text; const char* message; };
  const Bad bad[] = {
      {"Text1", "abc", "输入信息错误!"},
      {"Text5", "", "输入信息错误!"},
      // Southern hemisphere: the latitude window refuses it.
      {"Text3", "-3275089.9005", "纬度不在中国范围内, 不能计算54椭球大地水准面差距!"},
      // Mirrored to the far west of the prime meridian: the longitude window.
      {"Text2", "-4644766.6644", "经度不在中国范围内, 不能计算54椭球大地水准面差距!"},
  };
  for (const Bad& b : bad) {
    Harness<DCM_Hfrm> k;
    k.Type(b.field, b.text);
    k.Press("DCM_H_Cal");
    ASSERT_EQ(k.Messages().size(), 1u) << b.field;
    EXPECT_EQ(k.Messages()[0].text, b.message);
    EXPECT_EQ(k.Messages()[0].title, "抵偿面高程");
    EXPECT_EQ(k.Messages()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(k.Label("Label7"), "");
  }
}

TEST(FrmSeven, DefaultsComputeCorrectAndWriteTheGrid) {
  QTemporaryDir dir;
  Harness<FrmSeven> h;
  EXPECT_EQ(h.dialog->windowTitle(), "七参数坐标转换");
  const QString grid = dir.filePath("tmp.out");
  h.dialog->SetGridPath(grid.toStdString());
  EXPECT_FALSE(h.Find<QPushButton>("Command2")->isEnabled());
  EXPECT_EQ(h.Find<QComboBox>("Combo1")->currentText(), "54椭球");
  h.Press("Command1");
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(h.Label("Label17"), "-2893605.1543");
  EXPECT_EQ(h.Label("Label18"), "4628816.4311");
  EXPECT_EQ(h.Label("Label19"), "3288121.3280");
  EXPECT_NEAR(h.Label("Label8").toDouble(), 3457282.75, 0.006);
  EXPECT_NEAR(h.Label("Label9").toDouble(), 405742.21, 0.006);
  EXPECT_TRUE(h.Find<QPushButton>("Command2")->isEnabled());
  EXPECT_EQ(h.state.Projection.FalseEastingKm, 500);

  h.Press("Command2");
  EXPECT_EQ(h.Label("Label21"), ".1114");
  EXPECT_EQ(h.Label("Label7"), "Dh=");
  QFile f(grid);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_TRUE(bytes.startsWith(" 3450000       390000       .083\r\n"));
  EXPECT_EQ(bytes.count("\r\n"), 45);
}

TEST(FrmSeven, CoincidentControlPointWritesNoFile) {
  QTemporaryDir dir;
  Harness<FrmSeven> h;
  h.dialog->SetGridPath(dir.filePath("tmp.out").toStdString());
  h.Press("Command1");
  h.Find<QLabel>("Label8")->setText("3410268.0455");
  h.Find<QLabel>("Label9")->setText("420849.3526");
  h.Press("Command2");
  EXPECT_EQ(h.Label("Label7"), "Dh=.4520");
  EXPECT_EQ(h.Label("Label21"), "");
  EXPECT_FALSE(QFile::exists(dir.filePath("tmp.out")));
}

TEST(FrmSeven, BadFieldAndUnwritableGridAreReported) {
  Harness<FrmSeven> h;
  h.Type("Text4", "1e");
  h.Press("Command1");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_TRUE(h.Messages()[0].text.contains("尺度因子"));
  EXPECT_EQ(h.Messages()[0].title, "七参数坐标转换");
  EXPECT_EQ(h.Messages()[0].icon, MessageIcon::Critical);
  EXPECT_EQ(h.Label("Label17"), "");

  QTemporaryDir dir;  // a folder where the file should be: even root cannot write it
  h.dialog->SetGridPath(dir.path().toStdString());
  h.Type("Text4", "-1.01922");
  h.Press("Command1");
  h.Press("Command2");
  ASSERT_EQ(h.Messages().size(), 2u);
  EXPECT_EQ(h.Messages()[1].title, "七参数坐标转换");
  EXPECT_TRUE(h.Messages()[1].text.contains(dir.path()));
  EXPECT_EQ(h.Label("Label21"), ".1114");
  // Still usable afterwards.
  h.Press("Command1");
  EXPECT_EQ(h.Messages().size(), 2u);
}

TEST(FrmSeven, NewSpaceCoordinatesShowBeforeABadProjectionFieldStops) {
  struct Case { const char* field; const char* message; };
  const Case cases[] = {{"Text11", "“中央子午线”必须是数字!"},
                        {"Text12", "“X平移(公里)”必须是数字!"},
                        {"Text13", "“Y平移(公里)”必须是数字!"},
                        {"Text14", "“投影面高程(米)”必须是数字!"}};
  for (const Case& c : cases) {
    Harness<FrmSeven> h;
    h.dialog->show();
    h.Type(c.field, "abc");
    h.Press("Command1");
    ASSERT_EQ(h.Messages().size(), 1u) << c.field;
    EXPECT_EQ(h.Messages()[0].text, c.message);
    EXPECT_EQ(h.Label("Label17"), "-2893605.1543") << c.field;
    EXPECT_EQ(h.Label("Label18"), "4628816.4311");
    EXPECT_EQ(h.Label("Label19"), "3288121.3280");
    EXPECT_EQ(h.Label("Label8"), "") << c.field;
    EXPECT_EQ(h.dialog->focusWidget(), h.Find<QLineEdit>(c.field));
    // A good press afterwards fills the Gauss labels; a later bad one keeps what they show.
    h.Type(c.field, "0");
    h.Press("Command1");
    const QString xg = h.Label("Label8");
    EXPECT_FALSE(xg.isEmpty());
    h.Type("Text8", "-2893350");
    h.Type(c.field, "x");
    h.Press("Command1");
    EXPECT_EQ(h.Label("Label17"), "-2893605.2889") << c.field;
    EXPECT_EQ(h.Label("Label8"), xg);
  }
}

TEST(FrmSeven, ChosenEllipsoidTakesEffect) {
  Harness<FrmSeven> h54, h84;
  h84.Find<QComboBox>("Combo1")->setCurrentIndex(2);
  h54.Press("Command1");
  h84.Press("Command1");
  EXPECT_EQ(h84.state.Projection.EllipsoidA, kEllipsoid84.a);
  EXPECT_NE(h54.Label("Label8"), h84.Label("Label8"));
  EXPECT_EQ(h54.Label("Label17"), h84.Label("Label17"));
}

}  // namespace
}  // namespace vantrel
