// The program refuses what cannot be right: angles that are no angles, numbers that are no
// numbers, zone numbers that disagree, false eastings that hide the zone number, and it
// flags points far from their meridian. It gives angles signed, and one zone for one place
// however the longitude was typed.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/cli_run.h"

namespace vantrel {
namespace {

using CliChecks = test::CliRunTest;

TEST_F(CliChecks, LinesThatAreNoPlaceNameTheirReason) {
  const std::string in =
      "A 31 121.3030\nB 31 121.6\nC 31.0060 121\nD 90.0001 121\nE 31 -360.0001\nF 31 121 nan\n"
      "G 31 121 12.5 inf 界桩\nH 31 121 界桩 inf\n";
  EXPECT_EQ(Cli("blh2gauss --cm 120 --on-error skip", in), 1);
  EXPECT_EQ(err_,
            "<stdin>:2: 度.分秒的分或秒不能大于等于60!\n<stdin>:3: 度.分秒的分或秒不能大于等于60!\n"
            "<stdin>:4: 纬度应在 -90° 到 90° 之间!\n<stdin>:5: 经度应在 -360° 到 360° 之间!\n"
            "<stdin>:6: 数值不能是 NaN 或无穷大!\n<stdin>:7: 数值不能是 NaN 或无穷大!\n");
  EXPECT_EQ(test::Words(out_).size(), 2u) << out_;  // A, and H whose remark says inf
  // A height and plane coordinates carried along in CSV.
  EXPECT_EQ(Cli("blh2gauss --cm 120 --format csv --columns name,B,L,H", "K2,31,121,nan\n"), 1);
  EXPECT_EQ(err_, "<stdin>:1: 数值不能是 NaN 或无穷大!\n");
  EXPECT_EQ(Cli("xyz2blh --format csv", "name,X,Y,Z,x,y\nK,-2893349.8654,4628753.6527,3288072.7244,1e999,2\n"), 1);
  EXPECT_EQ(err_, "<stdin>:2: 数值不能是 NaN 或无穷大!\n");
}

TEST_F(CliChecks, AnglesComeOutSignedInEveryUnit) {
  // South, west, the south pole, and a hair east of 180°.
  const std::string space =
      "S -2893349.8654 4628753.6527 -3288072.7244\nW 6000000 -1000000 500000\nP 0 0 -6356863\n"
      "E -6378245 -0.00000001 0\n";
  // 9°27'44.36" W is 350°32'15.64" E of the calculator's turn.
  struct Case { const char* args; const char* west; const char* pole; const char* antimeridian; };
  const Case cases[] = {{"--angles dms", "-9.2744359948", "-90.0000000000", "180.0000000000"},
                        {"--angles deg", "-9.46232220802563", "-90", "180"},
                        {"--angles rad", "-0.165148677414627", "-1.57079632679489", "3.14159265358979"},
                        {"--lon-range 360", "350.3215640051", "-90.0000000000", "180.0000000000"}};
  for (const Case& c : cases) {
    ASSERT_EQ(Cli(std::string("xyz2blh ") + c.args, space), 0) << err_;
    const auto rows = test::Words(out_);
    ASSERT_EQ(rows.size(), 4u) << out_;
    EXPECT_EQ(rows[0][1][0], '-') << c.args;  // 31° S
    EXPECT_EQ(rows[1][2], c.west);
    EXPECT_EQ(rows[2][1], c.pole);
    EXPECT_EQ(rows[3][2], c.antimeridian);
  }
  // The Gauss inverse of a southern point mirrors the northern one.
  ASSERT_EQ(Cli("gauss2blh --cm 120", "S -3432012.058 144062.555\n"), 0);
  EXPECT_EQ(out_, "S             -31.0000000019              121.3030000004\n");
}

TEST_F(CliChecks, ZoneBoundariesGoEastTypedAsDmsOrDegrees) {
  // Every 3° boundary from 73°30' to 133°30' and 6° boundary from 72° to 138°.
  for (int width : {3, 6}) {
    std::string dms, deg, east;
    for (int k = width == 3 ? 24 : 12; k <= (width == 3 ? 44 : 23); ++k) {
      const int d = width == 3 ? 3 * k + 1 : 6 * k;
      const std::string name = "P" + std::to_string(d) + " 30 ";
      dms += name + std::to_string(d) + (width == 3 ? ".30\n" : "\n");
      deg += name + std::to_string(d) + (width == 3 ? ".5\n" : "\n");
      east += std::to_string(k + 1) + " ";
    }
    for (const auto& [angles, in] : {std::pair{"dms", dms}, std::pair{"deg", deg}}) {
      ASSERT_EQ(Cli("blh2gauss --zone-width " + std::to_string(width) + " --angles " + angles, in), 0) << err_;
      std::string zones;
      for (const auto& row : test::Words(out_)) zones += row.at(3) + " ";
      EXPECT_EQ(zones, east) << width << " " << angles;
    }
  }
}

TEST_F(CliChecks, PlaneCoordinatesThatCannotBe) {
  // 6° zone 21 in front of y: the zone column must agree, or --cm be that zone's meridian.
  const std::string prefixed = "A 3431990.586 21357529.468 21\nB 3431990.586 21357529.468 20\n";
  EXPECT_EQ(Cli("gauss2blh --zone-width 6 --false-easting 500 --on-error skip", prefixed), 1);
  EXPECT_EQ(out_, "A             30.5959999995 121.3030000013\n");
  EXPECT_EQ(err_, "<stdin>:2: y 前面的带号与所用的投影带不符!\n");
  EXPECT_EQ(Cli("gauss2blh --cm 123 --false-easting 500", "A 3431990.586 21357529.468\n"), 0) << err_;
  EXPECT_EQ(out_, "A             30.5959999995 121.3030000013\n");
  EXPECT_EQ(Cli("gauss2blh --cm 120 --false-easting 500", "A 3431990.586 21357529.468\n"), 1);
  EXPECT_EQ(err_, "<stdin>:1: y 前面的带号与所用的投影带不符!\n");
  // A false easting that would write 20857529.468 for that point is a usage error.
  for (const char* sub : {"blh2gauss", "gauss2blh"}) {
    EXPECT_EQ(Cli(std::string(sub) + " --zone-width 6 --zone-prefix --false-easting 0", "A 31 121.3030\n"), 2);
    EXPECT_NE(err_.find("--zone-prefix 时 --false-easting 应在 335 到 665 公里之间"), std::string::npos) << err_;
  }
  // 4.1° from the meridian: written and counted once at the end, or refused with --strict.
  const std::string far = "F 3432012.058 144062.555\nG 3432012.058 500000\nH 3432012.058 -500000\n";
  ASSERT_EQ(Cli("gauss2blh --cm 120", far), 0);
  EXPECT_EQ(test::Words(out_).size(), 3u);
  EXPECT_EQ(err_, "警告: 共有 2 个点离中央子午线超过4°, 高斯投影反算的误差超过1毫米! 用 --strict 可把这些点作为错误行。\n");
  EXPECT_EQ(Cli("gauss2blh --cm 120 --strict", far), 1);
  EXPECT_EQ(err_, "<stdin>:2: 点离中央子午线超过4°, 高斯投影反算的误差超过1毫米!\n");
  ASSERT_EQ(Cli("gauss2blh --help"), 0);
  EXPECT_NE(out_.find("--strict"), std::string::npos);
  EXPECT_NE(out_.find("--lon-range"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
