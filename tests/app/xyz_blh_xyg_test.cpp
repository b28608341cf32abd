// The space/geodetic/Gauss dialog typed through its widgets, both modes.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QRadioButton>
#include <cmath>
#include <random>

#include "app/catalogue.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "geodetic/ui/xyz_blh_xyg.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

struct XyzFixture : ::testing::Test {
  AppState state;
  FakeServices fakes;
  QPointer<VDialog> d;
  void Open(const char* entry) {
    d = CreateDialog(entry, state, fakes.services());
    d->show();
  }
  void TearDown() override { delete d; }
  void Compute() { Press(d, "XBG_Cal"); }
  const std::vector<RecordingMessageBox::Message>& Messages() { return fakes.messages.messages; }
  void ExpectOneWarning(const QString& text, const std::string& why) {
    ASSERT_EQ(Messages().size(), 1u) << why;
    EXPECT_EQ(Messages()[0].text, text) << why;
    EXPECT_EQ(Messages()[0].icon, MessageIcon::Warning) << why;
    EXPECT_EQ(Messages()[0].title, d->windowTitle()) << why;
  }
  void Gauss(const char* b, const char* l, const char* zeta) {
    Type(d, "Text1", b);
    Type(d, "Text2", l);
    Type(d, "Text8", zeta);
    Compute();
  }
};

TEST_F(XyzFixture, ModesChooseCaptionsAndLabels) {
  Open("空间坐标－大地坐标");
  EXPECT_EQ(d->windowTitle(), "空间坐标－大地坐标");
  EXPECT_EQ(Find<QGroupBox>(d, "Frame3")->title(), "空间坐标");
  EXPECT_EQ(Find<QGroupBox>(d, "Frame4")->title(), "大地坐标");
  EXPECT_FALSE(Find(d, "Frame2")->isVisible());
  const QStringList space = {"X=", "Y=", "Z=", "B=", "L=", "H="};
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(TextOf(d, QString("Label%1").arg(i)), space[i - 1]);
    EXPECT_TRUE(Field(d, QString("Text%1").arg(i))->isVisible());
  }
  d->close();
  EXPECT_TRUE(state.SpaceGeodeticMode);

  Open("大地坐标－高斯坐标");
  EXPECT_FALSE(state.SpaceGeodeticMode);
  EXPECT_TRUE(state.GeodeticGaussMode);
  EXPECT_EQ(d->windowTitle(), "大地坐标－高斯坐标");
  EXPECT_EQ(Find<QGroupBox>(d, "Frame3")->title(), "大地坐标");
  EXPECT_EQ(Find<QGroupBox>(d, "Frame4")->title(), "高斯坐标");
  EXPECT_EQ(TextOf(d, "Label1"), "B=");
  EXPECT_EQ(TextOf(d, "Label4"), "Xg=");
  EXPECT_EQ(TextOf(d, "Label5"), "Yg=");
  for (const char* hidden : {"Text3", "Label3", "Text6", "Label6"}) {
    EXPECT_FALSE(Find(d, hidden)->isVisible()) << hidden;
  }
  EXPECT_TRUE(Find(d, "Frame2")->isVisible());
  EXPECT_EQ(TextOf(d, "Text7"), "0");
  EXPECT_EQ(TextOf(d, "Text8"), "0");
  EXPECT_EQ(TextOf(d, "Text9"), "120.000");
  EXPECT_EQ(TextOf(d, "Label9"), "中央子午线(D.MMSSS)");
  EXPECT_TRUE(Find<QRadioButton>(d, "Option1")->isChecked());
  EXPECT_EQ(Find<QAbstractButton>(d, "XBG_Cal")->text(), "计算(&C)");
  EXPECT_EQ(Find<QAbstractButton>(d, "XBG_Exit")->text(), "退出(&X)");
}

TEST_F(XyzFixture, SpaceToGeodeticAndBack) {
  Open("空间坐标－大地坐标");
  Type(d, "Text1", "6378245");
  Type(d, "Text2", "0");
  Type(d, "Text3", "0");
  Compute();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TextOf(d, "Text4"), " 0.0000000000");
  EXPECT_EQ(TextOf(d, "Text5"), " 0.0000000000");
  EXPECT_EQ(TextOf(d, "Text6"), ".000");

  for (const char* f : {"Text1", "Text2", "Text3"}) Type(d, f, "");
  Type(d, "Text4", "31");
  Type(d, "Text5", "121.3030");
  Type(d, "Text6", "100");
  Compute();
  ASSERT_TRUE(Messages().empty());
  double B = 0, L = 0, H = 0;
  xyzblh(B, L, H, ReadLenient(TextOf(d, "Text1").toStdString()),
         ReadLenient(TextOf(d, "Text2").toStdString()), ReadLenient(TextOf(d, "Text3").toStdString()),
         kEllipsoid54);
  EXPECT_NEAR(B, Dms2Rad(31), 1e-9);
  EXPECT_NEAR(L, Dms2Rad(121.3030), 1e-9);
  EXPECT_NEAR(H, 100, 1e-3);

  // A point on the polar axis shows the pole rather than stopping the program.
  Type(d, "Text1", "0");
  Type(d, "Text2", "0");
  Type(d, "Text3", "-6356863.019");
  Compute();
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(TextOf(d, "Text4").startsWith(" 270.0000")) << TextOf(d, "Text4").toStdString();
  EXPECT_EQ(TextOf(d, "Text5"), " 0.0000000000");
}

TEST_F(XyzFixture, GeodeticToGaussWithTypedAndAutomaticAnomaly) {
  Open("大地坐标－高斯坐标");
  Gauss("31", "121.3030", "0");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TextOf(d, "Text8"), ".0");
  EXPECT_EQ(TextOf(d, "Text4"), "3432012.058");
  EXPECT_EQ(TextOf(d, "Text5"), "144062.555");

  Gauss("31", "121.3030", "AUTO");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TextOf(d, "Text8"), "62.9");
  EXPECT_EQ(TextOf(d, "Text4"), "3432046.089");
  EXPECT_EQ(TextOf(d, "Text5"), "144063.973");

  Gauss("31", "121.3030", "auto");  // compared in upper case
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TextOf(d, "Text8"), "62.9");
}

TEST_F(XyzFixture, GaussToGeodeticInBothAnomalyModes) {
  Open("大地坐标－高斯坐标");
  struct Case { const char* zeta; const char* x; const char* y; };
  for (const Case c : {Case{"0", "3432012.058", "144062.555"}, Case{"AUTO", "3432046.089", "144063.973"}}) {
    Type(d, "Text1", "");
    Type(d, "Text2", "  ");
    Type(d, "Text4", c.x);
    Type(d, "Text5", c.y);
    Type(d, "Text8", c.zeta);
    Compute();
    ASSERT_TRUE(Messages().empty()) << c.zeta;
    EXPECT_NEAR(Dms2Rad(ReadLenient(TextOf(d, "Text1").toStdString())), Dms2Rad(31), 1e-9) << c.zeta;
    EXPECT_NEAR(Dms2Rad(ReadLenient(TextOf(d, "Text2").toStdString())), Dms2Rad(121.3030), 1e-9) << c.zeta;
    EXPECT_EQ(TextOf(d, "Text8"), c.zeta) << "the inverse leaves the anomaly field alone";
  }
}

TEST_F(XyzFixture, EveryFieldMessage) {
  struct Case { const char* entry; const char* field; const char* typed; const char* message; };
  const Case cases[] = {
      {"空间坐标－大地坐标", "Text1", "abc", "X或B应为数值!"},
      {"空间坐标－大地坐标", "Text2", "1,5", "Y或L应为数值!"},
      {"空间坐标－大地坐标", "Text3", "1e", "Z应为数值!"},
      {"空间坐标－大地坐标", "Text4", "北", "B或Xg应为数值!"},
      {"空间坐标－大地坐标", "Text5", "--1", "L或Yg应为数值!"},
      {"空间坐标－大地坐标", "Text6", "1 2", "H应为数值!"},
      {"大地坐标－高斯坐标", "Text1", "x31", "X或B应为数值!"},
      {"大地坐标－高斯坐标", "Text4", "abc", "B或Xg应为数值!"},
      {"大地坐标－高斯坐标", "Text7", "高", "请输入投影面高程!"},
      {"大地坐标－高斯坐标", "Text7", "", "请输入投影面高程!"},
      {"大地坐标－高斯坐标", "Text8", "x", "请输入大地水准面差距或自动由程序计算!"},
      {"大地坐标－高斯坐标", "Text8", " AUTO", "请输入大地水准面差距或自动由程序计算!"},
      {"大地坐标－高斯坐标", "Text9", "E120", "请输入大地水准面差距或自动由程序计算!"},
  };
  for (const Case& c : cases) {
    fakes.messages.messages.clear();
    Open(c.entry);
    Type(d, "Text1", "31");
    Type(d, "Text2", "121.3030");
    Type(d, c.field, c.typed);
    const QString before4 = TextOf(d, "Text4");
    Compute();
    ExpectOneWarning(c.message, std::string(c.field) + " " + c.typed);
    if (std::string(c.field) != "Text4") {
      EXPECT_EQ(TextOf(d, "Text4"), before4) << "nothing written";
    }
    delete d;
  }
}

TEST_F(XyzFixture, ChinaRangeOfTheAutomaticAnomaly) {
  struct Case { const char* b; const char* l; const char* message; };
  const Case cases[] = {
      {"18.5", "110", "纬度不在中国范围内, 不能计算54椭球大地水准面差距!"},
      {"18.51", "110", nullptr},
      {"52.3", "121", "纬度不在中国范围内, 不能计算54椭球大地水准面差距!"},
      {"52", "121", nullptr},
      {"31", "135", "经度不在中国范围内, 不能计算54椭球大地水准面差距!"},
      {"31", "73.4", "经度不在中国范围内, 不能计算54椭球大地水准面差距!"},
      {"31", "73.5", nullptr},  // rounds to 74, ties to even
      {"31", "133.0", nullptr},
      {"31", "132.9999", nullptr},  // 134.68 degrees: read as no data, never outside the grid
  };
  Open("大地坐标－高斯坐标");
  for (const Case& c : cases) {
    fakes.messages.messages.clear();
    Type(d, "Text4", "");
    Type(d, "Text5", "");
    Gauss(c.b, c.l, "AUTO");
    if (c.message) {
      ExpectOneWarning(c.message, c.b + std::string("/") + c.l);
      EXPECT_EQ(TextOf(d, "Text4"), "");
      EXPECT_EQ(TextOf(d, "Text8"), "AUTO");
    } else {
      EXPECT_TRUE(Messages().empty()) << c.b << "/" << c.l;
      EXPECT_FALSE(TextOf(d, "Text4").isEmpty());
      EXPECT_NE(TextOf(d, "Text8"), "AUTO");
    }
  }
  // The inverse checks the position it finds.
  fakes.messages.messages.clear();
  Type(d, "Text1", "");
  Type(d, "Text4", "1000000");
  Type(d, "Text5", "100000");
  Type(d, "Text8", "AUTO");
  Compute();
  ExpectOneWarning("点位不在中国范围内, 不能计算54椭球大地水准面差距!", "inverse outside");
}

TEST_F(XyzFixture, BlanksCountAsEmptyAndOtherEllipsoidsEmptyTheAnomaly) {
  Open("大地坐标－高斯坐标");
  Type(d, "Text1", "   ");
  Type(d, "Text2", "121.3030");
  Compute();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TextOf(d, "Text4"), "") << "no group is complete: nothing happens";

  Find<QRadioButton>(d, "Option2")->click();
  Gauss("31", "121.3030", "AUTO");
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(TextOf(d, "Text8"), ".0") << "emptied, then the zero anomaly written";
  EXPECT_DOUBLE_EQ(state.Projection.EllipsoidA, kEllipsoid80.a);
  EXPECT_NE(TextOf(d, "Text4"), "3432012.058");

  // The emptying happens before the checks, so it stays when a check stops the computation.
  Type(d, "Text8", "62.9");
  Type(d, "Text1", "abc");
  Compute();
  ExpectOneWarning("X或B应为数值!", "80 ellipsoid with a bad latitude");
  EXPECT_EQ(TextOf(d, "Text8"), "");
}

TEST_F(XyzFixture, UnloadingResetsTheCurrentEllipsoid) {
  Open("大地坐标－高斯坐标");
  Type(d, "Text7", "500");
  Gauss("31", "121.3030", "AUTO");
  ASSERT_TRUE(Messages().empty());
  EXPECT_DOUBLE_EQ(state.Projection.EllipsoidA, kEllipsoid54.a);
  EXPECT_DOUBLE_EQ(state.Projection.PlaneHeight, 500);
  EXPECT_NEAR(state.Projection.GeoidUndulation, 62.9, 1e-9);
  state.Projection.FalseEastingKm = 500;
  Press(d, "XBG_Exit");
  FlushDeletes();
  EXPECT_FALSE(d);
  EXPECT_DOUBLE_EQ(state.Projection.EllipsoidA, kEllipsoid84.a);
  EXPECT_DOUBLE_EQ(state.Projection.EllipsoidE2, kEllipsoid84.e2);
  EXPECT_EQ(state.Projection.PlaneHeight, 0);
  EXPECT_EQ(state.Projection.GeoidUndulation, 0);
  EXPECT_EQ(state.Projection.FalseEastingKm, 0);
}

// Random texts, long ones included, into every field: each press shows at most one message
// and leaves only readable numbers (or nothing) in the output fields.
TEST_F(XyzFixture, RandomTextNeverEndsTheProgram) {
  std::mt19937 rng(20261208);
  const std::vector<std::string> pieces = {
      "0", "1", "9", ".", "-", "+", "e", "E", " ", "AUTO", "auto", "31", "121.3030", "1e308",
      "-1e308", "1e-320", "nan", "inf", "abc", "北", "，", "\t", "99999999999999999999", "52",
      "18.5", "133", "0.0000001", "6378245", "3432046.089"};
  auto randomText = [&] {
    std::string s;
    const int n = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int i = 0; i < n; ++i) s += pieces[rng() % pieces.size()];
    if (rng() % 25 == 0) s = std::string(20000 + rng() % 20000, "0123456789.-e "[rng() % 14]);
    return QString::fromStdString(s);
  };
  auto readable = [](const QString& t) {
    QString s = t;
    s.remove(' ');
    return s.isEmpty() || IsNumeric(s.toStdString());
  };
  for (const char* entry : {"空间坐标－大地坐标", "大地坐标－高斯坐标"}) {
    Open(entry);
    for (int round = 0; round < 300; ++round) {
      for (int i = 1; i <= 9; ++i) {
        QLineEdit* f = Field(d, QString("Text%1").arg(i));
        const QString t = randomText();
        // Typed key by key where the keyboard can (short printable ASCII), set otherwise.
        bool typable = t.size() <= 64;
        for (QChar ch : t) typable = typable && ch.unicode() >= 32 && ch.unicode() < 127;
        if (typable) {
          f->clear();
          QTest::keyClicks(f, t);
        } else {
          f->setText(t);
        }
      }
      Find<QRadioButton>(d, QString("Option%1").arg(1 + rng() % 3))->click();
      const size_t before = Messages().size();
      QStringList inputs;
      for (int i = 1; i <= 9; ++i) inputs << TextOf(d, QString("Text%1").arg(i));
      Compute();
      ASSERT_LE(Messages().size(), before + 1) << entry;
      for (int i = 1; i <= 6; ++i) {
        const QString now = TextOf(d, QString("Text%1").arg(i));
        if (now != inputs[i - 1]) {
          EXPECT_TRUE(readable(now)) << entry << " Text" << i << " " << now.left(80).toStdString();
        }
      }
    }
    delete d;
  }
}

TEST_F(XyzFixture, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  Open("空间坐标－大地坐标");
  Type(d, "Text1", "6378245");
  Type(d, "Text2", "0");
  Type(d, "Text3", "0");
  Compute();
  MaybeScreenshot(d, "xyz_blh.png");
  delete d;
  Open("大地坐标－高斯坐标");
  Gauss("31", "121.3030", "AUTO");
  MaybeScreenshot(d, "blh_xyg.png");
}

}  // namespace
}  // namespace vantrel
