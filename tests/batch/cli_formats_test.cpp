// vantrel-cli with the exchange formats: a point file through blh2gauss to .dat, back through
// gauss2blh to GeoJSON, and that to a DXF, each step checked against the point-file output of
// the same command; bad lines named in the file they stand in; the reports' drawings.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "batch/exchange/point_formats.h"
#include "tests/support/cli_run.h"

namespace vantrel {
namespace {

using test::Slurp;
using test::Spit;
using CliFormatsTest = test::CliRunTest;

TEST_F(CliFormatsTest, ConversionsWriteAndReadTheFormats) {
  const std::string gauss = " --ellipsoid 2000 --cm 117 -q ";
  Spit(dir_ / "p.txt", "A1 31.3030 117.1515 12.345 remark\r\n# comment\r\n甲2 31.4000 116.2000 20.1\r\n");
  ASSERT_EQ(Cli("blh2gauss" + gauss + (dir_ / "p.txt")), 0) << err_;
  std::map<std::string, std::pair<double, double>> plain;  // x, y by name
  for (const auto& w : test::Words(out_))
    if (w[0] != "#") plain[w[0]] = {std::stod(w.at(1)), std::stod(w.at(2))};
  ASSERT_EQ(Cli("blh2gauss" + gauss + (dir_ / "p.txt") + " --to-format dat -o " + (dir_ / "p.dat")), 0) << err_;
  const batch::ExchangeRead dat = batch::ReadDatPoints(Slurp(dir_ / "p.dat"), "p.dat");
  ASSERT_TRUE(dat.ok) << dat.error;
  ASSERT_EQ(dat.points.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& row = plain.at(dat.points.names[i]);
    EXPECT_EQ(dat.points.x[i], row.first);
    EXPECT_EQ(dat.points.y[i], row.second);
  }
  EXPECT_EQ(dat.points.h[0], 12.345);  // the first number after B L

  // Back to longitude and latitude: the .dat is read east first, and GeoJSON writes longitude first.
  ASSERT_EQ(Cli("gauss2blh" + gauss + (dir_ / "p.dat") + " --to-format geojson -o " + (dir_ / "p.geojson")), 0) << err_;
  const batch::ExchangeRead geo = batch::ReadGeoJsonPoints(Slurp(dir_ / "p.geojson"), "p.geojson");
  ASSERT_TRUE(geo.ok) << geo.error;
  EXPECT_NEAR(geo.points.x[0], 117 + 15 / 60.0 + 15 / 3600.0, 2e-8);
  EXPECT_NEAR(geo.points.y[0], 31 + 30 / 60.0 + 30 / 3600.0, 2e-8);
  EXPECT_EQ(geo.points.names[1], "甲2");

  // GeoJSON in, DXF out: the same plane coordinates as the .dat.
  ASSERT_EQ(Cli("blh2gauss" + gauss + (dir_ / "p.geojson") + " --to-format dxf -o " + (dir_ / "p.dxf")), 0) << err_;
  const batch::ExchangeRead dxf = batch::ReadDxfPoints(Slurp(dir_ / "p.dxf"), "p.dxf");
  ASSERT_TRUE(dxf.ok) << dxf.error;
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(dxf.points.x[i], dat.points.x[i], 0.0015);
    EXPECT_NEAR(dxf.points.y[i], dat.points.y[i], 0.0015);
    EXPECT_EQ(dxf.points.h[i], dat.points.h[i]);
  }

  // Plane results cannot be GeoJSON; a bad feature is named at its line, the rest written.
  EXPECT_EQ(Cli("blh2gauss" + gauss + (dir_ / "p.txt") + " --to-format kml"), 2);
  EXPECT_NE(err_.find("请先换算为大地坐标"), std::string::npos) << err_;
  // blh2xyz needs a height: the feature without one is named at its line in the GeoJSON, the
  // rest converted (as CSV: X Y Z have no place in GeoJSON).
  Spit(dir_ / "bad.geojson", "{\"type\":\"FeatureCollection\",\"features\":[\n"
                             "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[117.2,31.5,8]},\"properties\":{\"name\":\"A\"}},\n"
                             "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[117.2,31.6]},\"properties\":{\"name\":\"B\"}}]}\n");
  EXPECT_EQ(Cli("blh2xyz --ellipsoid 2000 -q --on-error skip " + (dir_ / "bad.geojson")), 1);
  EXPECT_EQ(err_.rfind((dir_ / "bad.geojson") + ":3: ", 0), 0u) << err_;
  EXPECT_EQ(test::Words(out_).size(), 2u) << out_;  // the header and A
}

TEST_F(CliFormatsTest, ReportsAsDrawings) {
  const std::string examples = std::string(VANTREL_SOURCE) + "/examples/";
  ASSERT_EQ(Cli("traverse " + examples + "traverse/connecting.txt --report dxf -o " + (dir_ / "t.dxf")), 0) << err_;
  const batch::ExchangeRead t = batch::ReadDxfPoints(Slurp(dir_ / "t.dxf"), "t.dxf");
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_GE(t.points.size(), 4u);
  ASSERT_EQ(Cli("adjust " + examples + "adjustment/network.txt --report dxf -o " + (dir_ / "n.dxf")), 0) << err_;
  EXPECT_TRUE(batch::ReadDxfPoints(Slurp(dir_ / "n.dxf"), "n.dxf").ok);
  EXPECT_EQ(Cli("adjust " + examples + "adjustment/levelling.txt --report dxf"), 1);
  EXPECT_NE(err_.find("只有水准网"), std::string::npos) << err_;
}

}  // namespace
}  // namespace vantrel
