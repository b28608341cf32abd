#include "geodetic/ui/quantity_frms.h"

#include <QApplication>

#include "tests/support/gui.h"

namespace vantrel {
namespace {

using testing::Harness;

TEST(RadiusFrm, RadiiThroughTheWidgets) {
  struct Case { const char *B, *A, *option, *N, *M, *R, *RA; };
  const Case cases[] = {
      {"0", "0", "Option1", "6378245.0000", "6335552.7170", nullptr, "6335552.7170"},
      {"30", "45", "Option1", "6383588.2422", "6351488.4922", "6367518.1397", "6367497.9122"},
      {"30", "90", "Option1", "6383588.2422", nullptr, nullptr, "6383588.2422"},
      {"30", "0", "Option1", nullptr, "6351488.4922", nullptr, "6351488.4922"},
      {"0", "0", "Option2", "6378140.0000", nullptr, nullptr, nullptr},
      {"0", "0", "Option3", "6378137.0000", nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    Harness<RadiusFrm> h;
    EXPECT_EQ(h.dialog->windowTitle(), "曲率半径");
    h.Type("Text1", c.B);
    h.Type("Text2", c.A);
    h.Choose(c.option);
    h.Press("Radius_cal");
    if (c.N) {
      EXPECT_EQ(h.Label("Label7"), c.N) << c.B << " " << c.A;
    }
    if (c.M) {
      EXPECT_EQ(h.Label("Label8"), c.M) << c.B << " " << c.A;
    }
    if (c.R) {
      EXPECT_EQ(h.Label("Label9"), c.R) << c.B << " " << c.A;
    }
    if (c.RA) {
      EXPECT_EQ(h.Label("Label10"), c.RA) << c.B << " " << c.A;
    }
    EXPECT_TRUE(h.Messages().empty());
  }
}

TEST(RadiusFrm, PackedInputAndTheChosenEllipsoidStays) {
  Harness<RadiusFrm> packed, decimal;
  packed.Type("Text1", "30.3000");
  decimal.Type("Text1", "30.5");
  for (auto* h : {&packed, &decimal}) {
    h->Type("Text2", "0");
    h->Press("Radius_cal");
  }
  // 30.3000 is 30 deg 30 min, the same latitude as 30.5 decimal is not.
  EXPECT_NE(packed.Label("Label7"), decimal.Label("Label7"));
  Harness<RadiusFrm> half;
  half.Type("Text1", "30.3");
  half.Type("Text2", "0");
  half.Press("Radius_cal");
  EXPECT_EQ(packed.Label("Label7"), half.Label("Label7"));

  Harness<RadiusFrm> h;
  h.Type("Text1", "10");
  h.Type("Text2", "10");
  h.Choose("Option2");
  h.Press("Radius_cal");
  EXPECT_EQ(h.state.Projection.EllipsoidA, 6378140);
  EXPECT_EQ(h.state.Projection.EllipsoidE2, 0.006694384999588);
}

TEST(RadiusFrm, NonNumericFieldsChangeNothingSilently) {
  Harness<RadiusFrm> h;
  h.Press("Radius_cal");  // both empty
  EXPECT_EQ(h.Label("Label7"), "");
  h.Type("Text1", "0");
  h.Type("Text2", "0");
  h.Press("Radius_cal");
  for (const char* bad : {"", "abc", "1,5"}) {
    h.Type("Text2", bad);
    h.Press("Radius_cal");
    EXPECT_EQ(h.Label("Label7"), "6378245.0000") << bad;  // the previous result stays
  }
  EXPECT_EQ(h.state.Projection.EllipsoidA, 6378245);
  EXPECT_TRUE(h.Messages().empty());
}

TEST(MArcLenFrm, MeridianArcs) {
  Harness<MArcLenFrm> h;
  EXPECT_EQ(h.dialog->windowTitle(), "子午圈弧长");
  h.Type("Text1", "0");
  h.Type("Text2", "1");
  h.Press("Radius_cal");
  const QString forward = h.Label("Label7");
  EXPECT_NEAR(forward.toDouble(), 110576.3676, 5e-5) << forward.toStdString();
  EXPECT_EQ(forward.indexOf('.'), forward.size() - 10);  // nine decimals

  h.Type("Text1", "1");
  h.Type("Text2", "0");
  h.Press("Radius_cal");
  EXPECT_NEAR(h.Label("Label7").toDouble(), -forward.toDouble(), 1e-3);

  h.Type("Text1", "30.3000");
  h.Type("Text2", "30.3000");
  h.Press("Radius_cal");
  EXPECT_EQ(h.Label("Label7"), ".000000000");

  // A non-number clears the result and says nothing.
  h.Type("Text2", "x");
  h.Press("Radius_cal");
  EXPECT_EQ(h.Label("Label7"), "");
  EXPECT_TRUE(h.Messages().empty());
}

TEST(NArcLenFrm, ParallelArcs) {
  struct Case { const char *B, *l; const char* option; const char* want; };
  const Case cases[] = {
      {"0", "1", "Option1", "111321.3757"},
      {"90", "1", "Option1", ".0000"},
      {"0", "-1", "Option1", "-111321.3757"},
      {"0", "1", "Option2", "111319.5432"},
  };
  for (const Case& c : cases) {
    Harness<NArcLenFrm> h;
    EXPECT_EQ(h.dialog->windowTitle(), "平行圈弧长");
    h.Type("Text1", c.B);
    h.Type("Text2", c.l);
    h.Choose(c.option);
    h.Press("Radius_cal");
    EXPECT_EQ(h.Label("Label7"), c.want) << c.B << " " << c.l << " " << c.option;
  }
  Harness<NArcLenFrm> h;
  h.Type("Text1", "0");
  h.Type("Text2", "1");
  h.Press("Radius_cal");
  h.Type("Text1", "");
  h.Press("Radius_cal");
  EXPECT_EQ(h.Label("Label7"), "");
  EXPECT_TRUE(h.Messages().empty());
}

TEST(ThreeCorFrm, Corrections) {
  // B1, B2, xi, eta, H, S, A, z -> du, dh, dg
  struct Case { const char* in[8]; const char *du, *dh, *dg; };
  const Case cases[] = {
      {{"0", "0", "0", "0", "1000", "0", "45", "90"}, ".0000", ".1089", ".0000"},
      {{"0", "0", "0", "0", "0", "100000", "45", "90"}, ".0000", ".0000", "-.0280"},
      {{"30", "30", "3", "4", "500", "5000", "0", "45"}, "-4.0000", ".0000", ".0000"},
      {{"30", "30", "3", "4", "500", "5000", "90", "90"}, ".0000", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    Harness<ThreeCorFrm> h;
    EXPECT_EQ(h.dialog->windowTitle(), "三差改正");
    for (int i = 0; i < 8; ++i) h.Type(QString("Text%1").arg(i + 1).toUtf8().constData(), c.in[i]);
    h.Press("Radius_cal");
    EXPECT_EQ(h.Label("Label7"), c.du);
    if (c.dh) {
      EXPECT_EQ(h.Label("Label8"), c.dh);
    }
    if (c.dg) {
      EXPECT_EQ(h.Label("Label9"), c.dg);
    }
    EXPECT_TRUE(h.Messages().empty());
  }
}

TEST(ThreeCorFrm, SilentStopAndZeroZenithDistance) {
  Harness<ThreeCorFrm> h;
  const char* in[8] = {"0", "0", "1", "1", "1000", "1000", "45", "90"};
  for (int i = 0; i < 8; ++i) h.Type(QString("Text%1").arg(i + 1).toUtf8().constData(), in[i]);
  h.Press("Radius_cal");
  ASSERT_EQ(h.Label("Label8"), ".1089");

  h.Type("Text6", "abc");
  h.Press("Radius_cal");
  EXPECT_EQ(h.Label("Label7"), "");
  EXPECT_EQ(h.Label("Label8"), "");
  EXPECT_EQ(h.Label("Label9"), "");
  EXPECT_TRUE(h.Messages().empty());

  h.Type("Text6", "1000");
  h.Type("Text8", "0");
  h.Press("Radius_cal");
  ASSERT_EQ(h.Messages().size(), 1u);
  EXPECT_EQ(h.Messages()[0].title, "三差改正");
  EXPECT_EQ(h.Messages()[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(h.Messages()[0].text.contains("天顶距"));
  EXPECT_EQ(h.Label("Label7"), "");
  EXPECT_EQ(h.Label("Label8"), "");
  EXPECT_EQ(h.Label("Label9"), "");
}

// Deflections near the largest number overflow the correction although the zenith distance
// is fine: no message about the zenith distance, outputs left empty.
TEST(ThreeCorFrm, OverflowIsNotBlamedOnTheZenithDistance) {
  Harness<ThreeCorFrm> h;
  const char* in[8] = {"0", "0", "1.7e308", "-1.7e308", "1000", "1000", "45", "90"};
  for (int i = 0; i < 8; ++i) h.Type(QString("Text%1").arg(i + 1).toUtf8().constData(), in[i]);
  h.Press("Radius_cal");
  EXPECT_TRUE(h.Messages().empty());
  EXPECT_EQ(h.Label("Label7"), "");
  EXPECT_EQ(h.Label("Label8"), "");
}

TEST(QuantityDialogs, TabbingIntoAFieldSelectsItsText) {
  Harness<MArcLenFrm> h;
  h.dialog->show();
  QApplication::setActiveWindow(h.dialog);
  h.Type("Text1", "12.3456");
  h.Find<QLineEdit>("Text2")->setFocus();
  h.Find<QLineEdit>("Text1")->setCursorPosition(0);
  QTest::keyClick(h.Find<QLineEdit>("Text2"), Qt::Key_Backtab);
  EXPECT_EQ(h.Find<QLineEdit>("Text1")->selectedText(), "12.3456");
}

}  // namespace
}  // namespace vantrel
