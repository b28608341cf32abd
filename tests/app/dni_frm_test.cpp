// The height anomaly dialog typed through its widgets.
#include <gtest/gtest.h>

#include <random>

#include "app/catalogue.h"
#include "geodetic/ui/dni_frm.h"
#include "tests/support/gui.h"

namespace vantrel {
namespace {

using namespace vantrel::testing;

struct DniFixture : ::testing::Test {
  AppState state;
  FakeServices fakes;
  QPointer<VDialog> d;
  void SetUp() override {
    d = CreateDialog("54椭球大地水准面差距", state, fakes.services());
    d->show();
  }
  void TearDown() override { delete d; }
};

TEST_F(DniFixture, DefaultsAndLayout) {
  EXPECT_EQ(d->windowTitle(), "54椭球大地水准面差距");
  EXPECT_EQ(TextOf(d, "Text1"), "31.000000");
  EXPECT_EQ(TextOf(d, "Text2"), "121.3030");
  EXPECT_EQ(TextOf(d, "Label2"), "");
  EXPECT_EQ(Find<QAbstractButton>(d, "Dni_Cal")->text(), "计算(&C)");
  EXPECT_EQ(Find<QAbstractButton>(d, "Dni_Exit")->text(), "退出(&X)");
  Press(d, "Dni_Cal");
  EXPECT_EQ(TextOf(d, "Label2"), "62.900米");
  EXPECT_TRUE(fakes.messages.messages.empty());
}

TEST_F(DniFixture, PositionsAndRangeMessages) {
  const char* kLat = "纬度不在中国范围内, 不能计算54椭球大地水准面差距!";
  const char* kLon = "经度不在中国范围内, 不能计算54椭球大地水准面差距!";
  struct Case { const char* b; const char* l; const char* shown; const char* message; };
  const Case cases[] = {
      {"31", "121.3030", "62.900米", nullptr},
      {"40", "116", "44.800米", nullptr},
      {"19.3", "109.3", "46.200米", nullptr},
      {"30.3", "114.15", "44.325米", nullptr},
      {" 40 ", "116", "44.800米", nullptr},
      {"18.5", "110", nullptr, kLat},
      {"18.51", "110", "48.400米", nullptr},  // the empty 18° row takes the 19° row
      {"52.3", "121", nullptr, kLat},
      {"31", "133.5", nullptr, kLon},
      {"31", "73.4", nullptr, kLon},
      {"31", "133.0", ".000米", nullptr},
      {"31", "132.9999", ".000米", nullptr},
      {"abc", "121", nullptr, nullptr},  // silently nothing
      {"31", "", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    fakes.messages.messages.clear();
    qobject_cast<QLabel*>(Find(d, "Label2"))->setText("unchanged");
    Type(d, "Text1", c.b);
    Type(d, "Text2", c.l);
    Press(d, "Dni_Cal");
    const std::string why = std::string(c.b) + "/" + c.l;
    EXPECT_EQ(TextOf(d, "Label2"), c.shown ? c.shown : "unchanged") << why;
    ASSERT_EQ(fakes.messages.messages.size(), c.message ? 1u : 0u) << why;
    if (c.message) {
      EXPECT_EQ(fakes.messages.messages[0].text, c.message) << why;
      EXPECT_EQ(fakes.messages.messages[0].icon, MessageIcon::Critical);
      EXPECT_EQ(fakes.messages.messages[0].title, "54椭球大地水准面差距");
    }
  }
}

TEST_F(DniFixture, RandomTextNeverEndsTheProgram) {
  std::mt19937 rng(7);
  const std::vector<std::string> pieces = {"0", "5", ".", "-", "e", " ", "31", "121.3", "1e308",
                                           "1e-400", "abc", "地", "52", "19", "74", "133", "9"};
  for (int round = 0; round < 400; ++round) {
    for (const char* name : {"Text1", "Text2"}) {
      std::string s;
      for (int n = rng() % 6; n > 0; --n) s += pieces[rng() % pieces.size()];
      if (rng() % 30 == 0) s = std::string(30000, "0123456789.e-"[rng() % 13]);
      Field(d, name)->setText(QString::fromStdString(s));
    }
    const size_t before = fakes.messages.messages.size();
    Press(d, "Dni_Cal");
    ASSERT_LE(fakes.messages.messages.size(), before + 1);
    const QString shown = TextOf(d, "Label2");
    EXPECT_TRUE(shown.isEmpty() || shown.endsWith("米")) << shown.toStdString();
  }
}

TEST_F(DniFixture, Screenshot) {
  if (qEnvironmentVariableIsEmpty("VANTREL_SCREENSHOT_DIR")) GTEST_SKIP() << "no screenshot folder";
  Press(d, "Dni_Cal");
  MaybeScreenshot(d, "dni_frm.png");
}

}  // namespace
}  // namespace vantrel
