// vantrel-cli adjust end to end: what it refuses and how, and its JSON against the routines
// called directly on the same file with the same options.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "batch/network_adjustment.h"
#include "batch/network_file.h"
#include "common/text_files.h"
#include "tests/support/cli_run.h"
#include "tests/support/report_tables.h"

namespace vantrel {
namespace {

using test::Slurp;
using test::Spit;
using test::Replaced;

using CliAdjustTest = test::CliRunTest;

const std::string kNetwork = std::string(VANTREL_SOURCE) + "/examples/adjustment/network.txt";

// N1 (1500, 1500) from a direction set at K1 and one at K2, with the side K1-N1 measured:
// five observations, four unknowns (N1 and two orientations).
const std::string kSmall =
    "方向中误差 1\n"
    "测距中误差 2 2\n"
    "已知点 K1 1000 1000\n"
    "已知点 K2 1000 2000\n"
    "测站 K1\n"
    "K2 0.0000\n"
    "N1 315.0000 707.107\n"
    "测站 K2\n"
    "N1 0.0000\n"
    "K1 315.0000\n";

TEST_F(CliAdjustTest, BadInputIsRefusedWithItsReason) {
  struct Case {
    std::string name, text, args, says;
    int status;
  };
  const Case cases[] = {
      {"missing", "", "adjust " + dir_ / "none.txt", dir_ / "none.txt: ", 1},
      {"bad_line", Replaced(kSmall, "已知点 K2 1000 2000", "已知点 K2 1000 x"), "", "bad_line.txt:4: ", 1},
      {"unknown_point", kSmall, "--free=K1,K9", "K9", 1},
      {"undetermined_point", kSmall + "测站 K1\nN1 0.0000\nN2 10.0000\n", "", "N2", 1},
      {"no_redundancy", Replaced(kSmall, "K1 315.0000\n", ""), "", "多余观测", 1},
      {"global_test", Replaced(kSmall, "K1 315.0000", "K1 315.0030"), "--strict", "全局检验不通过", 1},
      {"usage", kSmall, "--report pdf", "--report 应为 text、html、json 或 dxf", 2},
      {"usage", kSmall, "--distance-sigma 2", "--distance-sigma 应有 2 个数值", 2},
      {"usage", kSmall, "--direction-sigma 0", "--direction-sigma 应为正数", 2},
      {"usage", kSmall, "--free=K1,,K2", "--free 的点名以逗号分隔", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " " + c.args);
    const std::string file = dir_ / (c.name + ".txt");
    if (!c.text.empty()) Spit(file, c.text);
    const std::string args = c.name == "missing" ? c.args : "adjust " + c.args + " -o " + dir_ / "out.txt " + file;
    EXPECT_EQ(Cli(args), c.status);
    EXPECT_NE(err_.find(c.says), std::string::npos) << err_;
    EXPECT_EQ(out_, "");
    // Only a failed test with --strict leaves its report behind, for the checker to read.
    EXPECT_EQ(!Slurp(dir_ / "out.txt").empty(), c.name == "global_test");
    std::remove((dir_ / "out.txt").c_str());
  }
  // Without --strict the same network is adjusted and its report says the test failed.
  Spit(dir_ / "worse.txt", Replaced(kSmall, "K1 315.0000", "K1 315.0030"));
  ASSERT_EQ(Cli("adjust " + dir_ / "worse.txt"), 0) << err_;
  EXPECT_NE(out_.find("不通过"), std::string::npos);
}

// A compass traverse file: the rigorous coordinates beside the compass rule's, their printed
// differences exact, and each within the traverse's closing error of 46 mm.
TEST_F(CliAdjustTest, TraverseFileShowsTheCompassResultBeside) {
  ASSERT_EQ(Cli("adjust " + std::string(VANTREL_SOURCE) + "/examples/traverse/closed.txt"), 0) << err_;
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < out_.size(); at = end + 1) {
    end = out_.find('\n', at);
    lines.push_back(out_.substr(at, end - at));
  }
  const auto rows = test::TableUnder(lines, "与导线近似平差 (按边长比例分配) 比较", 4);
  ASSERT_EQ(rows.size(), 1 + 4u);  // D1 to D4; N12 is known
  EXPECT_EQ(rows[4][0], "D4");
  for (size_t i = 1; i < rows.size(); ++i) {
    const auto& r = rows[i];
    SCOPED_TRACE(r[0]);
    for (int axis = 0; axis < 2; ++axis) {
      const double rigorous = std::stod(r[1 + axis]), compass = std::stod(r[3 + axis]), d = std::stod(r[5 + axis]);
      EXPECT_EQ(std::llround((rigorous - compass) * 1e4), std::llround(d * 10));
      EXPECT_LT(std::fabs(d), 46);
    }
  }
}

// The JSON of the program and the routines on the file read here agree to the last bit, with
// the command line's accuracies and datum in the options.
TEST_F(CliAdjustTest, JsonIsTheRoutinesOwnResult) {
  ASSERT_EQ(Cli("adjust --report json --direction-sigma 2 --distance-sigma 3,1 --a-priori --free=K1,K2 " + kNetwork), 0)
      << err_;
  const nlohmann::json doc = nlohmann::json::parse(out_);

  batch::NetworkFileResult read = batch::ReadNetworkFile(kNetwork);
  ASSERT_TRUE(read.ok) << read.error;
  adjustment::PlaneOptions& o = read.network.planeOptions;
  o.directionSigma = 2 / batch::kSigmaSecondsPerRadian;
  o.distanceSigmaA = 0.003;
  o.distanceSigmaB = 1e-6;
  o.scaleByAPosteriori = false;
  o.datum = adjustment::PlaneDatum::Free;
  o.datumPoints = {"K1", "K2"};
  const batch::NetworkAdjustment a = batch::AdjustNetworkFile(read.network);
  ASSERT_TRUE(a.ok) << a.error;
  const adjustment::PlaneResult& r = *a.plane;

  const nlohmann::json& plane = doc.at("plane");
  EXPECT_EQ(plane["datum"], "free");
  EXPECT_EQ(plane["sigma0"].get<double>(), r.sigma0);
  ASSERT_EQ(plane["points"].size(), r.points.size());
  for (size_t i = 0; i < r.points.size(); ++i) {
    EXPECT_EQ(plane["points"][i]["x"].get<double>(), r.points[i].x) << i;
    EXPECT_EQ(plane["points"][i]["sigmaY"].get<double>(), r.points[i].sigmaY) << i;
  }
  ASSERT_EQ(plane["observations"].size(), r.observations.size());
  for (size_t i = 0; i < r.observations.size(); ++i) {
    EXPECT_EQ(plane["observations"][i]["residual"].get<double>(), r.observations[i].residual) << i;
    EXPECT_EQ(plane["observations"][i]["line"], read.network.observationLines[i]) << i;
  }
}

}  // namespace
}  // namespace vantrel
