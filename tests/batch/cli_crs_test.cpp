// Coordinate systems by EPSG code through the program: convert with its axis orders, names
// and remarks kept, the datum refusals and their way out, the zone in front of the easting,
// and --crs on the Gauss and UTM subcommands giving what convert gives.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>
#include <string>

#include "batch/crs_transform.h"
#include "tests/support/cli_run.h"

namespace vantrel::cli_crs {
namespace {

using test::Spit;

using CliCrsTest = test::CliRunTest;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The two numbers after the name on each point line (remarks may follow them).
std::map<std::string, std::vector<double>> FirstTwo(const std::string& text) {
  std::map<std::string, std::vector<double>> rows;
  for (const auto& w : test::Words(text))
    if (w.size() >= 3 && w[0] != "#") rows[w[0]] = {std::stod(w[1]), std::stod(w[2])};
  return rows;
}

TEST_F(CliCrsTest, ConvertByCodeWithTheDatumRuleAndZones) {
  ASSERT_EQ(Cli("convert --help"), 0);
  for (const char* axes : {"纬度 B, 经度 L", "x 北, y 东 (北坐标在前)", "E 东, N 北 (东坐标在前)", "X Y Z"})
    EXPECT_TRUE(Has(out_, axes)) << axes;

  // Latitude, longitude in; x north, y east out; the name, the remark and the comment kept.
  const std::string input = "# 测区 A\r\nK1 31.5 117.25 界桩 东侧\r\nK2 40.1234567891 116.0\r\n";
  Spit(dir_ / "bl.txt", input);
  ASSERT_EQ(Cli("convert --from EPSG:4490 --to EPSG:4548 --decimals 4 " + dir_ / "bl.txt"), 0) << err_;
  EXPECT_TRUE(out_.starts_with("# 测区 A\r\nK1 ")) << out_;
  EXPECT_TRUE(Has(out_, " 界桩 东侧\r\n")) << out_;
  auto rows = FirstTwo(out_);
  double lat[2] = {31.5, 40.1234567891}, lon[2] = {117.25, 116.0}, x[2], y[2];
  batch::Status st[2];
  batch::TransformCrsPoints({*CrsByCode(4490), *CrsByCode(4548), {}, false, {}}, batch::AngleUnit::Degrees, lat, lon, {},
                            x, y, {}, st);
  EXPECT_NEAR(rows["K1"][0], x[0], 6e-5);
  EXPECT_NEAR(rows["K1"][1], y[0], 6e-5);
  EXPECT_NEAR(rows["K2"][1], y[1], 6e-5);
  EXPECT_LT(rows["K1"][0], 4e6);  // northing first: about 3.49e6 m
  EXPECT_GT(rows["K1"][1], 5e5);  // east of the meridian

  // The zone in front of y: the right one read, another one a line error naming the line.
  const std::string xy = out_;
  Spit(dir_ / "zoned.txt", "A 3486000.0 39523707.5\nB 3486000.0 38523707.5\n");
  EXPECT_EQ(Cli("convert --from EPSG:4548 --to EPSG:4490 " + dir_ / "zoned.txt"), 1);
  EXPECT_TRUE(Has(err_, "zoned.txt:2: y 前面的带号与所用的投影带不符")) << err_;
  EXPECT_EQ(Cli("convert --from EPSG:4548 --to EPSG:4490 --on-error skip " + dir_ / "zoned.txt"), 1);
  EXPECT_TRUE(out_.starts_with("A ")) << out_;

  // Different datums: refused with the size of the difference, done with the parameters given
  // on the line or in fit7's file, the same both ways.
  EXPECT_EQ(Cli("convert --from EPSG:4214 --to EPSG:4490 " + dir_ / "bl.txt"), 2);
  EXPECT_TRUE(Has(err_, "几十米到一百多米") && Has(err_, "--params")) << err_;
  EXPECT_EQ(Cli("convert --from EPSG:4548 --to EPSG:32650 " + dir_ / "xy.txt"), 2);
  EXPECT_TRUE(Has(err_, "几厘米") && Has(err_, "--same-datum")) << err_;
  Spit(dir_ / "xy.txt", xy);
  ASSERT_EQ(Cli("convert --from EPSG:4548 --to EPSG:32650 --same-datum " + dir_ / "xy.txt"), 0) << err_;
  const auto utm = FirstTwo(out_);
  EXPECT_LT(utm.at("K1")[0], 1e6);  // easting first in UTM
  Spit(dir_ / "p.txt", "# fit7 --params-out\n-15.4,120.2,30.1,2.5,0.3,-0.8,1.2\n");
  ASSERT_EQ(Cli("convert --from EPSG:4214 --to EPSG:4490 --params-file " + dir_ / "p.txt" + " " + dir_ / "bl.txt"), 0)
      << err_;
  const std::string viaFile = out_;
  ASSERT_EQ(Cli("convert --from EPSG:4214 --to EPSG:4490 --params=-15.4,120.2,30.1,2.5,0.3,-0.8,1.2 " + dir_ / "bl.txt"),
            0) << err_;
  EXPECT_EQ(out_, viaFile);
  EXPECT_NE(out_, input);
  Spit(dir_ / "p.txt", "-15.4,120.2,30.1\n");
  EXPECT_EQ(Cli("convert --from EPSG:4214 --to EPSG:4490 --params-file " + dir_ / "p.txt" + " " + dir_ / "bl.txt"), 2);
  EXPECT_TRUE(Has(err_, "p.txt:1: 应有 7 个数值")) << err_;
  EXPECT_EQ(Cli("convert --from EPSG:4490 --to EPSG:9999 " + dir_ / "bl.txt"), 2);
  EXPECT_TRUE(Has(err_, "不认识的坐标系 EPSG:9999")) << err_;
}

TEST_F(CliCrsTest, CrsOptionOnTheGaussAndUtmCommands) {
  Spit(dir_ / "bl.txt", "P1 31.5 117.25\nP2 38.75 118.9\n");
  // Zone 39 with the zone in front, and the 6-degree system of the same meridian.
  for (const char* code : {"EPSG:4527", "EPSG:4509", "EPSG:2436"}) {
    SCOPED_TRACE(code);
    ASSERT_EQ(Cli(std::string("convert --from ") + (code[5] == '2' ? "EPSG:4214" : "EPSG:4490") + " --to " + code +
                  " --decimals 4 " + dir_ / "bl.txt"), 0) << err_;
    const std::string viaConvert = out_;
    ASSERT_EQ(Cli(std::string("blh2gauss --crs ") + code + " --angles deg --decimals 4 " + dir_ / "bl.txt"), 0) << err_;
    EXPECT_EQ(out_, viaConvert);
    Spit(dir_ / "xy.txt", out_);
    ASSERT_EQ(Cli(std::string("gauss2blh --crs ") + code + " --angles deg " + dir_ / "xy.txt"), 0) << err_;
    const auto bl = FirstTwo(out_);
    EXPECT_NEAR(bl.at("P2")[0], 38.75, 1e-8);
    EXPECT_NEAR(bl.at("P2")[1], 118.9, 1e-8);
  }
  EXPECT_EQ(Cli("blh2gauss --crs EPSG:4527 --cm 117 " + dir_ / "bl.txt"), 2);
  EXPECT_EQ(Cli("blh2gauss --crs EPSG:32650 " + dir_ / "bl.txt"), 2);
  EXPECT_TRUE(Has(err_, "不是高斯-克吕格投影坐标系")) << err_;
  // UTM through the component: x north, y east, the points convert puts E, N.
  ASSERT_EQ(Cli("utm --crs EPSG:32650 --angles deg --decimals 4 " + dir_ / "bl.txt"), 0) << err_;
  const auto component = FirstTwo(out_);
  ASSERT_EQ(Cli("convert --from EPSG:4326 --to EPSG:32650 --decimals 4 " + dir_ / "bl.txt"), 0) << err_;
  const auto en = FirstTwo(out_);
  for (const char* p : {"P1", "P2"}) {
    EXPECT_NEAR(component.at(p)[0], en.at(p)[1], 1e-3) << p;
    EXPECT_NEAR(component.at(p)[1], en.at(p)[0], 1e-3) << p;
  }
}

}  // namespace
}  // namespace vantrel::cli_crs

namespace vantrel::cli_crs {
namespace {

// Four plane parameters fitted by fit4 and handed over as its --params-out line move a file
// between two projected systems exactly as fit4 itself moves it; an exchange format comes out
// as the target system's axes ask (GeoJSON longitude first).
TEST_F(CliCrsTest, FourParametersFromFit4AndExchangeFormatsOut) {
  Spit(dir_ / "old.txt", "P0 3500000 500000\nP1 3501311.6 500936.3\nP2 3502777.4 501770\nP3 3504397.4 502501.1\n");
  Spit(dir_ / "new.txt",
       // dx -12.345 m, dy 45.678 m, rotation 2.5", scale 3.1 ppm, worked out apart.
       "P0 3500004.5649 500004.8066\nP1 3501316.1803 500941.0936\nP2 3502781.9950 501774.7785\n"
       "P3 3504402.0089 502505.8611\n");
  ASSERT_EQ(Cli("fit4 " + dir_ / "old.txt" + " " + dir_ / "new.txt" + " " + dir_ / "old.txt" + " --params-out " +
                dir_ / "p4.txt"), 0) << err_;
  const auto fitted = FirstTwo(out_);
  ASSERT_EQ(Cli("convert --from EPSG:2384 --to EPSG:4548 --decimals 4 --params-file " + dir_ / "p4.txt" + " " +
                dir_ / "old.txt"), 0) << err_;
  EXPECT_EQ(FirstTwo(out_), fitted);
  const auto newPoints = FirstTwo(test::Slurp(dir_ / "new.txt"));
  for (const auto& [name, xy] : fitted) {
    EXPECT_NEAR(xy[0], newPoints.at(name)[0], 2e-3) << name;
    EXPECT_NEAR(xy[1], newPoints.at(name)[1], 2e-3) << name;
  }
  // Four numbers on the line; a geographic end refuses them.
  const std::string line = test::Slurp(dir_ / "p4.txt");
  ASSERT_EQ(Cli("convert --from EPSG:2384 --to EPSG:4548 --decimals 4 --params=" + line.substr(0, line.find('\n')) +
                " " + dir_ / "old.txt"), 0) << err_;
  EXPECT_EQ(FirstTwo(out_), fitted);
  EXPECT_EQ(Cli("convert --from EPSG:2384 --to EPSG:4490 --params=1,2,3,4 " + dir_ / "old.txt"), 2);
  EXPECT_TRUE(Has(err_, "四参数是平面坐标之间的转换")) << err_;

  ASSERT_EQ(Cli("convert --from EPSG:4548 --to EPSG:4490 --to-format geojson " + dir_ / "new.txt"), 0) << err_;
  EXPECT_TRUE(Has(out_, "\"type\":\"FeatureCollection\"") || Has(out_, "\"type\": \"FeatureCollection\"")) << out_;
  const std::size_t at = out_.find("\"coordinates\"");
  ASSERT_NE(at, std::string::npos) << out_;
  const double first = std::stod(out_.substr(out_.find('[', at) + 1));
  EXPECT_NEAR(first, 117.0, 0.1) << "longitude first";
  ASSERT_EQ(Cli("convert --from EPSG:2384 --to EPSG:4548 --params-file " + dir_ / "p4.txt" + " --to-format dat " +
                dir_ / "old.txt"), 0) << err_;
  ASSERT_TRUE(out_.starts_with("P0,,")) << out_;
  EXPECT_NEAR(std::stod(out_.substr(4)), 500004.807, 1.5e-3) << "east before north: " << out_;
  EXPECT_NEAR(std::stod(out_.substr(out_.find(',', 4) + 1)), 3500004.565, 1.5e-3) << out_;
}

}  // namespace
}  // namespace vantrel::cli_crs
