// The dialogs and vantrel-cli on the same random points must write the same texts: the
// real dialog pressed point by point, the program run once over a file of the same points.
// Packed angles are compared without the blank the dialogs keep in the sign place, the
// difference the program makes on purpose (a file's field stays one word); a southern
// latitude, which the program gives signed and the dialog in [270°, 360°), is compared as
// the same angle to the texts' last digit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "dialogs/app_state.h"
#include "dialogs/platform/services.h"
#include "geodetic/ellipsoid.h"
#include "geodetic/ui/frm_lan_ch.h"
#include "geodetic/ui/frm_seven.h"
#include "tests/support/temp_files.h"

namespace vantrel {
namespace {

using test::Slurp;
using test::Spit;

constexpr int kPerRun = 250;  // four runs of each dialog: 1,000 points

class SameDigits : public test::TempDirTest {
 protected:
  // Runs vantrel-cli over the lines; gives the items of each output line.
  std::vector<std::vector<std::string>> Cli(const std::string& args, const std::vector<std::string>& lines) {
    std::string input;
    for (const auto& l : lines) input += l + "\r\n";
    Spit(dir_ / "in.txt", input);
    const std::string cmd = std::string(VANTREL_CLI) + " " + args + " -o " + dir_ / "out.txt" + " " +
                            dir_ / "in.txt" + " 2> " + dir_ / "err.txt";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args << "\n" << Slurp(dir_ / "err.txt");
    std::vector<std::vector<std::string>> rows;
    for (const auto& line : SplitLines(Slurp(dir_ / "out.txt"))) rows.push_back(SplitBlanks(line));
    EXPECT_EQ(rows.size(), lines.size()) << args;
    rows.resize(lines.size());
    return rows;
  }

  static std::string Field(QWidget* w, const char* name) {
    if (auto* e = w->findChild<QLineEdit*>(name)) return e->text().toStdString();
    if (auto* l = w->findChild<QLabel*>(name)) return l->text().toStdString();
    ADD_FAILURE() << "no control " << name;
    return {};
  }
  static void Set(QWidget* w, const char* name, const std::string& text) {
    w->findChild<QLineEdit*>(name)->setText(QString::fromStdString(text));
  }
  static void Press(QWidget* w, const char* name) { w->findChild<QPushButton*>(name)->click(); }
  // " 31.3030..." and "- 31.3030..." as one word.
  static std::string OneWord(std::string packed) {
    const std::size_t blank = !packed.empty() && packed[0] == '-' ? 1 : 0;
    if (packed.size() > blank && packed[blank] == ' ') packed.erase(blank, 1);
    return packed;
  }

  std::string Packed(int lo, int hi) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%02d%02d%03d", lo + static_cast<int>(rng_() % (hi - lo + 1)),
                  static_cast<int>(rng_() % 60), static_cast<int>(rng_() % 60), static_cast<int>(rng_() % 1000));
    return buf;
  }
  std::string Metres(double lo, double hi) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", lo + (hi - lo) * (rng_() % 1000000) / 1e6);
    return buf;
  }

  std::mt19937 rng_{2024};
  AppState state_;
  FakeServices fakes_;
};

TEST_F(SameDigits, GeodeticGaussBothWays) {
  struct Run { const char* option; const char* code; const char* h0; const char* zeta; const char* cm; int lo; };
  const Run runs[] = {{"Option1", "54", "0", "0", "120", 117},
                      {"Option1", "54", "123.4", "AUTO", "117.3000", 114},
                      {"Option2", "80", "50", "", "114", 111},
                      {"Option3", "84", "0", "", "123", 120}};
  state_.GeodeticGaussMode = true;
  for (const Run& r : runs) {
    QPointer<VDialog> d = CreateDialog("大地坐标－高斯坐标", state_, fakes_.services());
    d->findChild<QRadioButton*>(r.option)->setChecked(true);
    std::vector<std::string> geodetic, gauss, dialogGauss, dialogZeta, dialogBack;
    for (int i = 0; i < kPerRun; ++i) {
      const std::string b = Packed(19, 51), l = Packed(r.lo, r.lo + 5);
      geodetic.push_back("P" + std::to_string(i) + " " + b + " " + l);
      Set(d, "Text1", b);
      Set(d, "Text2", l);
      Set(d, "Text4", "");
      Set(d, "Text5", "");
      Set(d, "Text7", r.h0);
      Set(d, "Text8", r.zeta);
      Set(d, "Text9", r.cm);
      Press(d, "XBG_Cal");
      dialogGauss.push_back(Field(d, "Text4") + " " + Field(d, "Text5"));
      dialogZeta.push_back(Field(d, "Text8"));
      gauss.push_back("P" + std::to_string(i) + " " + dialogGauss.back());
      // Back again from the dialog's own Gauss coordinates.
      Set(d, "Text1", "");
      Set(d, "Text2", "");
      Set(d, "Text8", r.zeta);
      Press(d, "XBG_Cal");
      dialogBack.push_back(OneWord(Field(d, "Text1")) + " " + OneWord(Field(d, "Text2")));
    }
    EXPECT_TRUE(fakes_.messages.messages.empty());
    const std::string args = std::string("--ellipsoid ") + r.code + " --cm " + r.cm + " --plane-height " + r.h0 +
                             (std::string(r.zeta) == "AUTO" ? " --anomaly auto" : "");
    const auto forward = Cli("blh2gauss " + args, geodetic);
    const auto back = Cli("gauss2blh " + args, gauss);
    for (int i = 0; i < kPerRun; ++i) {
      ASSERT_GE(forward[i].size(), 3u) << i;
      ASSERT_EQ(forward[i][1] + " " + forward[i][2], dialogGauss[i]) << geodetic[i] << " " << args;
      if (std::string(r.zeta) == "AUTO") {
        ASSERT_EQ(forward[i].at(3), dialogZeta[i]) << geodetic[i];
      }
      ASSERT_GE(back[i].size(), 3u) << i;
      ASSERT_EQ(back[i][1] + " " + back[i][2], dialogBack[i]) << gauss[i] << " " << args;
    }
    delete d;
  }
}

TEST_F(SameDigits, SpaceGeodeticBothWays) {
  const char* const options[] = {"Option1", "Option2", "Option3", "Option1"};
  const char* const codes[] = {"54", "80", "84", "54"};
  state_.SpaceGeodeticMode = true;
  for (int run = 0; run < 4; ++run) {
    QPointer<VDialog> d = CreateDialog("空间坐标－大地坐标", state_, fakes_.services());
    d->findChild<QRadioButton*>(options[run])->setChecked(true);
    std::vector<std::string> space, geodetic, dialogBlh, dialogXyz;
    for (int i = 0; i < kPerRun; ++i) {
      // Points around the earth's surface, any octant; heights from -1 km to 10 km.
      const std::string x = Metres(-6.4e6, 6.4e6), y = Metres(-6.4e6, 6.4e6), z = Metres(-6.4e6, 6.4e6);
      space.push_back("P " + x + " " + y + " " + z);
      for (const char* f : {"Text4", "Text5", "Text6"}) Set(d, f, "");
      Set(d, "Text1", x);
      Set(d, "Text2", y);
      Set(d, "Text3", z);
      Press(d, "XBG_Cal");
      dialogBlh.push_back(OneWord(Field(d, "Text4")) + " " + OneWord(Field(d, "Text5")) + " " + Field(d, "Text6"));
      const std::string b = (i % 2 ? "-" : "") + Packed(0, 89), l = Packed(0, 359), h = Metres(-1000, 10000);
      geodetic.push_back("P " + b + " " + l + " " + h);
      for (const char* f : {"Text1", "Text2", "Text3"}) Set(d, f, "");
      Set(d, "Text4", b);
      Set(d, "Text5", l);
      Set(d, "Text6", h);
      Press(d, "XBG_Cal");
      dialogXyz.push_back(Field(d, "Text1") + " " + Field(d, "Text2") + " " + Field(d, "Text3"));
    }
    const auto blh = Cli(std::string("xyz2blh --lon-range 360 --ellipsoid ") + codes[run], space);
    const auto xyz = Cli(std::string("blh2xyz --ellipsoid ") + codes[run], geodetic);
    for (int i = 0; i < kPerRun; ++i) {
      ASSERT_EQ(blh[i].size(), 4u) << space[i];
      const std::vector<std::string> dialog = SplitBlanks(dialogBlh[i]);
      ASSERT_EQ(dialog.size(), 3u) << dialogBlh[i];
      if (ReadLenient(dialog[0]) >= 270) {
        EXPECT_NEAR(Dms2Rad(ReadLenient(blh[i][1])), Dms2Rad(ReadLenient(dialog[0])) - kCalculatorPi.twoPi, 2e-11)
            << space[i] << " " << blh[i][1] << " " << dialog[0];
      } else {
        EXPECT_EQ(blh[i][1], dialog[0]) << space[i];
      }
      ASSERT_EQ(blh[i][2] + " " + blh[i][3], dialog[1] + " " + dialog[2]) << space[i];
      ASSERT_EQ(xyz[i].size(), 4u) << geodetic[i];
      ASSERT_EQ(xyz[i][1] + " " + xyz[i][2] + " " + xyz[i][3], dialogXyz[i]) << geodetic[i];
    }
    delete d;
  }
}

TEST_F(SameDigits, ZoneChange) {
  const std::pair<const char*, const char*> meridians[] = {
      {"120", "123"}, {"117.3000", "114"}, {"111", "111"}, {"123", "117"}};
  for (const auto& [from, to] : meridians) {
    FrmLanCh d(state_, fakes_.services());
    std::vector<std::string> lines, dialog;
    for (int i = 0; i < kPerRun; ++i) {
      const std::string x = Metres(2.2e6, 5.8e6), y = Metres(-160000, 160000);
      lines.push_back("P " + x + " " + y);
      Set(&d, "Text1", from);
      Set(&d, "Text2", x);
      Set(&d, "Text3", y);
      Set(&d, "Text4", to);
      Press(&d, "LanCh_Cal");
      dialog.push_back(Field(&d, "Text5") + " " + Field(&d, "Text6"));
    }
    EXPECT_TRUE(fakes_.messages.messages.empty());
    const auto cli = Cli(std::string("zone --cm ") + from + " --to-cm " + to, lines);
    for (int i = 0; i < kPerRun; ++i) {
      ASSERT_EQ(cli[i].size(), 3u) << lines[i];
      ASSERT_EQ(cli[i][1] + " " + cli[i][2], dialog[i]) << lines[i] << " " << from << " " << to;
    }
  }
}

TEST_F(SameDigits, SevenParameters) {
  const std::string params = "81.37785,197.46387,167.83978,-1.01922,5.04083,.197089,-14.99384";
  const char* const codes[] = {"54", "80", "84", "54"};
  for (int run = 0; run < 4; ++run) {
    FrmSeven d(state_, fakes_.services());
    d.findChild<QComboBox*>("Combo1")->setCurrentIndex(run % 3);
    const std::string h0 = run == 3 ? "350.5" : "0";
    Set(&d, "Text14", h0);
    std::vector<std::string> lines, dialog;
    for (int i = 0; i < kPerRun; ++i) {
      const std::string x = Metres(-2.99e6, -2.79e6), y = Metres(4.53e6, 4.73e6), z = Metres(3.19e6, 3.39e6);
      lines.push_back("P " + x + " " + y + " " + z);
      Set(&d, "Text8", x);
      Set(&d, "Text9", y);
      Set(&d, "Text10", z);
      Press(&d, "Command1");
      std::string t;
      for (const char* l : {"Label17", "Label18", "Label19", "Label8", "Label9", "Label10"})
        t += (t.empty() ? "" : " ") + Field(&d, l);
      dialog.push_back(t);
    }
    EXPECT_TRUE(fakes_.messages.messages.empty());
    const auto cli = Cli("seven --gauss --params " + params + " --ellipsoid " + codes[run] + " --plane-height " + h0,
                         lines);
    for (int i = 0; i < kPerRun; ++i) {
      ASSERT_EQ(cli[i].size(), 7u) << lines[i];
      std::string t;
      for (int k = 1; k <= 6; ++k) t += (k > 1 ? " " : "") + cli[i][k];
      ASSERT_EQ(t, dialog[i]) << lines[i];
    }
  }
}

}  // namespace
}  // namespace vantrel
