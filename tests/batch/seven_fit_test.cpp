#include "batch/seven_fit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "common/text_files.h"
#include "tests/support/seven_points.h"

namespace vantrel::batch {
namespace {

using test::kParameterSets;
using test::MakePoints;

TEST(SevenEstimation, BlundersStandOutAboveThreeSigma) {
  auto pts = MakePoints({10, 60, 32, 118}, kParameterSets[0], 9);
  std::mt19937 rng(3);
  std::normal_distribution<double> err(0, 0.01);
  for (adjustment::CommonSpacePoint& c : pts) c.Xn += err(rng), c.Yn += err(rng), c.Zn += err(rng);
  pts[6].Zn += 0.8;
  const adjustment::SevenEstimate e = adjustment::EstimateSevenParameters(pts);
  ASSERT_TRUE(e.ok);
  for (size_t i = 0; i < pts.size(); ++i) EXPECT_EQ(e.residuals[i].flagged, i == 6) << i;
  EXPECT_EQ(e.residuals[6].name, "G7");
  const std::vector<std::string> lines = SevenEstimateReportText(e);
  int flaggedLines = 0;
  for (const std::string& l : lines) flaggedLines += l.find("超过3σ0") != std::string::npos && l.rfind("G7", 0) == 0;
  EXPECT_EQ(flaggedLines, 1);
}

TEST(SevenEstimation, CommonPointFilesInBothForms) {
  const CommonPointFileResult s = ParseCommonPointText(
      Utf8ToGbk("# 老 X Y Z, 新 X Y Z\r\nK1 -2893349.8654 4628753.6527 3288072.7244 "
                "-2893605.1543 4628816.4311 3288121.3280  # 备注\r\n\r\nK2\t1 2 3 4 5 6\r\n"),
      "p.txt", false);
  ASSERT_TRUE(s.ok) << s.error;
  ASSERT_EQ(s.space.size(), 2u);
  EXPECT_EQ(s.space[0].name, "K1");
  EXPECT_EQ(s.space[0].Zn, 3288121.3280);
  EXPECT_EQ(s.space[1].X, 1);
  const CommonPointFileResult g =
      ParseCommonPointText("K1 31.1423 121.3030 12.5 -31.1424 121.303015 13.1\n", "g.txt", true);
  ASSERT_TRUE(g.ok) << g.error;
  EXPECT_EQ(g.geodetic[0].B, Dms2Rad(31.1423));
  EXPECT_EQ(g.geodetic[0].Bn, -Dms2Rad(31.1424));
  EXPECT_EQ(g.geodetic[0].Hn, 13.1);
  for (const auto& [text, geodetic, message] : std::vector<std::tuple<std::string, bool, std::string>>{
           {"K1 1 2 3 4 5\n", false, "p:1: 公共点行应为: 点名 X Y Z X' Y' Z'!"},
           {"\nK1 1 2 3 4 5 x\n", false, "p:2: 空间坐标错!"},
           {"K1 91 2 3 4 5 6\n", true, "p:1: 纬度错!"},
           {"K1 30 2.6000 3 4 5 6\n", true, "p:1: 经度错!"},
           {"K1 30 2 3 4 5 h\n", true, "p:1: 大地高错!"},
           {"K1 30 2 3\n", true, "p:1: 公共点行应为: 点名 B L H B' L' H'!"},
       }) {
    SCOPED_TRACE(text);
    const CommonPointFileResult r = ParseCommonPointText(text, "p", geodetic);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, message);
  }
}

}  // namespace
}  // namespace vantrel::batch
