// vantrel-cli heightfit end to end: the example's report and conversion, check points by
// option, extrapolated points warned of or refused, and the refusals with their exit codes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "batch/height_fit_file.h"
#include "common/text_files.h"
#include "tests/support/cli_run.h"

namespace vantrel {
namespace {

using CliHeightFit = test::CliRunTest;

const std::string kExample = std::string(VANTREL_SOURCE) + "/examples/heightfit/";

TEST_F(CliHeightFit, FitsReportsAndConvertsTheExample) {
  const std::string report = dir_ / "r.txt", out = dir_ / "out.txt";
  ASSERT_EQ(Cli("heightfit " + kExample + "common.txt " + kExample + "points.txt --model 二次曲面 --check G10 -q -j 2 --report-out " +
                report + " -o " + out), 0) << err_;
  // The report file as the calculator writes text: GBK, CR LF; G10 checks beside the three marked.
  const std::string text = GbkToUtf8(test::Slurp(report));
  EXPECT_NE(text.find("拟合点 11 个, 检核点 4 个, 参数 6 个\r\n"), std::string::npos) << text;
  EXPECT_NE(err_.find("二次曲面拟合: 拟合点 11 个, 检核点 4 个"), std::string::npos) << err_;
  EXPECT_NE(err_.find("警告: 共有 2 个点在拟合点围成的范围 (凸包) 之外"), std::string::npos) << err_;
  // h = H − ζ with the same fit, names and remarks kept, the point far outside computed too.
  batch::HeightFileResult common = batch::ReadHeightPointFile(kExample + "common.txt");
  std::string error;
  ASSERT_TRUE(batch::MarkCheckPoints(common.points, {"G10"}, error));
  const adjustment::HeightFit fit = adjustment::FitHeightAnomaly(common.points, {adjustment::HeightModel::Quadratic});
  const auto in = test::Words(GbkOrUtf8ToUtf8(test::Slurp(kExample + "points.txt")));
  const auto got = test::Words(GbkOrUtf8ToUtf8(test::Slurp(out)));
  ASSERT_EQ(got.size(), in.size());
  for (std::size_t i = 1; i < in.size(); ++i) {  // the remark line first
    EXPECT_EQ(got[i][1], in[i][1]);
    EXPECT_EQ(got[i].size(), in[i].size()) << in[i][0];  // the remarks kept
    const double h = std::stod(in[i][3]) - fit.Evaluate(std::stod(in[i][1]), std::stod(in[i][2]));
    EXPECT_NEAR(std::stod(got[i][3]), h, 0.0005) << in[i][0];
  }

  // --strict: the extrapolated points are bad lines, told by line.
  EXPECT_EQ(Cli("heightfit " + kExample + "common.txt " + kExample + "points.txt --model quadratic --strict --on-error skip -q"), 1);
  EXPECT_NE(err_.find("points.txt:10: 点在拟合点围成的范围 (凸包) 之外, 高程异常是外推的!"), std::string::npos) << err_;
  EXPECT_EQ(test::Words(out_).size(), 8u);  // the remark line and 7 points
}

TEST_F(CliHeightFit, RefusesWithReasonsAndExitCodes) {
  const struct {
    std::string args, input;
    int code;
    std::string says;
  } cases[] = {
      {"heightfit - --model plane", "A 0 0 30 1\nB 10 10 30 1\nC 20 20 30 1\n", 1, "<stdin>: 拟合点在一条直线上, 不能作平面拟合"},
      {"heightfit -", "A 0 0 30 1\nB 1x 10 30 1\n", 1, "<stdin>:2: x坐标错!"},
      {"heightfit - --check Q", "A 0 0 30 1\n", 1, "<stdin>: 公共点中没有检核点 Q! (--check)"},
      {"heightfit - --model cubic", "", 2, "--model 应为"},
      {"heightfit - --shape 5", "", 2, "--shape 只用于 --model multiquadric"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cli(c.args, c.input), c.code) << c.args;
    EXPECT_NE(err_.find(c.says), std::string::npos) << c.args << ": " << err_;
    EXPECT_TRUE(out_.empty());
  }
}

}  // namespace
}  // namespace vantrel
