// The exchange formats: every format written, read and written again gives the same bytes and
// the same points; published examples read as their documents say; faulty files are told as
// "FILE:LINE: reason"; the reports' drawings hold the report's points and lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "adjustment/traverse_adjustment.h"
#include "batch/exchange/dxf_drawing.h"
#include "batch/exchange/point_formats.h"
#include "batch/exchange/report_dxf.h"
#include "batch/network_file.h"
#include "batch/traverse_file.h"
#include "common/text_files.h"
#include "tests/support/exchange_points.h"
#include "tests/support/temp_files.h"

namespace vantrel::batch {
namespace {

const PointFormat kExchangeFormats[] = {PointFormat::Dat, PointFormat::Dxf, PointFormat::GeoJson, PointFormat::Kml};

TEST(ExchangeFormats, WriteReadWriteGivesTheSameBytesAndPoints) {
  for (const PointFormat f : kExchangeFormats) {
    SCOPED_TRACE(std::string(PointFormatName(f)));
    for (const Encoding enc : {Encoding::Utf8, Encoding::Gbk}) {
      ExchangePoints p = test::ExchangeSample(IsGeographicFormat(f), 60, 7);
      if (enc == Encoding::Gbk) {
        for (auto* v : {&p.names, &p.codes, &p.remarks})
          for (std::string& s : *v) s = Utf8ToGbk(s);
        p.encoding = Encoding::Gbk;
      }
      std::string error;
      const std::string bytes = WriteExchangePoints(p, f, error);
      ASSERT_EQ(error, "");
      const ExchangeRead r = ReadExchangePoints(bytes, "f", f);
      ASSERT_TRUE(r.ok) << r.error;
      ASSERT_EQ(r.points.size(), p.size());
      // GeoJSON and KML are UTF-8 whatever came in, a DXF GBK; a .dat keeps its bytes.
      auto same = [&](const std::string& s) {
        if (IsGeographicFormat(f) && enc == Encoding::Gbk) return GbkToUtf8(s);
        if (f == PointFormat::Dxf && enc == Encoding::Utf8) return Utf8ToGbk(s);
        return s;
      };
      for (std::size_t i = 0; i < p.size(); ++i) {
        EXPECT_EQ(r.points.names[i], same(p.names[i]));
        EXPECT_EQ(r.points.x[i], p.x[i]);
        EXPECT_EQ(r.points.y[i], p.y[i]);
        // DXF has no missing Z: 0 stands for it.
        const double h = f == PointFormat::Dxf && std::isnan(p.h[i]) ? 0.0 : p.h[i];
        if (std::isnan(h)) EXPECT_TRUE(std::isnan(r.points.h[i])); else EXPECT_EQ(r.points.h[i], h);
        if (f != PointFormat::Dxf) EXPECT_EQ(r.points.codes[i], same(p.codes[i]));
        if (IsGeographicFormat(f)) EXPECT_EQ(r.points.remarks[i], same(p.remarks[i]));
      }
      EXPECT_EQ(WriteExchangePoints(r.points, f, error), bytes);
    }
  }
}

// RFC 7946 §1.5's example FeatureCollection (its point, then its LineString), and the
// "Simple placemark" of the KML tutorial (Google, KML Tutorial, "Placemarks").
TEST(ExchangeFormats, PublishedExamplesRead) {
  const std::string rfc = R"({
       "type": "FeatureCollection",
       "features": [{
           "type": "Feature",
           "geometry": {
               "type": "Point",
               "coordinates": [102.0, 0.5]
           },
           "properties": {
               "name": "prop0"
           }
       }, {
           "type": "Feature",
           "geometry": {
               "type": "LineString",
               "coordinates": [
                   [102.0, 0.0], [103.0, 1.0], [104.0, 0.0], [105.0, 1.0]
               ]
           },
           "properties": {
               "prop0": "value0",
               "prop1": 0.0
           }
       }]
   })";
  const std::size_t cut = rfc.find(", {\n           \"type\": \"Feature\",\n           \"geometry\": {\n               \"type\": \"LineString\"");
  ASSERT_NE(cut, std::string::npos);
  const ExchangeRead point = ReadGeoJsonPoints(rfc.substr(0, cut) + "]}", "rfc.geojson");
  ASSERT_TRUE(point.ok) << point.error;
  EXPECT_EQ(point.points.x.at(0), 102.0);
  EXPECT_EQ(point.points.y.at(0), 0.5);
  EXPECT_EQ(point.points.names.at(0), "prop0");
  EXPECT_EQ(ReadGeoJsonPoints(rfc, "rfc.geojson").error, "rfc.geojson:12: 只读 Point 要素, 此要素为 LineString!");

  const std::string kml = R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2">
  <Placemark>
    <name>Simple placemark</name>
    <description>Attached to the ground. Intelligently places itself at the height of the underlying terrain.</description>
    <Point>
      <coordinates>-122.0822035425683,37.42228990140251,0</coordinates>
    </Point>
  </Placemark>
</kml>)";
  const ExchangeRead k = ReadKmlPoints(kml, "t.kml");
  ASSERT_TRUE(k.ok) << k.error;
  EXPECT_EQ(k.points.names.at(0), "Simple placemark");
  EXPECT_EQ(k.points.x.at(0), -122.0822035425683);
  EXPECT_EQ(k.points.y.at(0), 37.42228990140251);
  EXPECT_EQ(k.points.h.at(0), 0.0);
}

TEST(ExchangeFormats, FaultyFilesNameTheirLine) {
  const struct {
    PointFormat f;
    std::string bytes, message;
  } cases[] = {
      {PointFormat::Dat, "A,,1,2,3\r\nB,,1,x,3\r\n", "f:2: X(北坐标)应为数值!"},
      {PointFormat::Dat, "A,,1,2,3\r\n\r\nB 1 2 3\r\n", "f:3: 应为 点名,编码,Y(东),X(北),高程 以逗号分隔!"},
      {PointFormat::Dat, "A,,1,2,3,4\r\n", "f:1: 多于 5 项: 点名,编码,Y(东),X(北),高程!"},
      {PointFormat::Dat, ",,1,2,3\r\n", "f:1: 点名为空!"},
      {PointFormat::GeoJson, "{\"type\":\"FeatureCollection\",\n\"features\":[\n{\"type\":\"Feature\"\n", "f:4: 不是有效的 JSON 文字!"},
      {PointFormat::GeoJson, "{\"type\":\"FeatureCollection\",\"features\":[\n{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[31.5,117.2]},\"properties\":{\"name\":\"A\"}}]}",
       "f:2: 纬度超出 -90° 到 90° (GeoJSON 先经度后纬度)!"},
      {PointFormat::GeoJson, "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[1,\"2\"]},\"properties\":{\"name\":\"A\"}}",
       "f:1: coordinates 的各项应为数值!"},
      {PointFormat::GeoJson, "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[1,2e400]}}",
       "f:1: JSON 中有数值超出范围!"},
      {PointFormat::GeoJson, "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[1,2]},\"properties\":{}}",
       "f:1: 要素没有点名 (properties 的 name 或要素的 id)!"},
      {PointFormat::GeoJson, "{\"type\":\"FeatureCollection\",\"crs\":{\"type\":\"name\",\"properties\":{\"name\":\"EPSG:4548\"}},\"features\":[]}",
       "f:1: crs 指定的不是 WGS 84 或 CGCS2000 经纬度, 请先换算为经纬度!"},
      {PointFormat::Kml, "<kml>\n<Placemark><name>A</name>\n<Point><coordinates>1,2,3 4,5</coordinates></Point></Placemark></kml>",
       "f:2: coordinates 应为 经度,纬度[,高程] 的数值!"},
      {PointFormat::Kml, "<kml>\n\n<Placemark><name>A</name><LineString/></Placemark></kml>", "f:3: 只读含 Point 的 Placemark!"},
      {PointFormat::Kml, "<kml>\n<Placemark>\n</kml>", "f:3: 不是有效的 XML 文字!"},
      {PointFormat::Kml, "<gpx/>", "f:1: 不是 KML 文件 (根元素应为 kml)!"},
      {PointFormat::Dxf, "  0\nSECTION\nx\nENTITIES\n", "f:3: 不是 DXF 文件 (此行应为组码整数, 其后一行为其值)!"},
      {PointFormat::Dxf, "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\n0\n 10\n1e300\n 20\n1\n  0\nENDSEC\n  0\nEOF\n",
       "f:5: POINT 的坐标超出范围!"},
      {PointFormat::Dxf, "  0\nSECTION\n  2\nENTITIES\n  0\nPOINT\n  8\n0\n 10\n1e400\n 20\n1\n  0\nENDSEC\n  0\nEOF\n",
       "f:10: DXF 组值应为数值!"},
  };
  for (const auto& c : cases) {
    const ExchangeRead r = ReadExchangePoints(c.bytes, "f", c.f);
    EXPECT_FALSE(r.ok) << c.bytes;
    EXPECT_EQ(r.error, c.message) << c.bytes;
  }
  std::string error;
  ExchangePoints p = test::ExchangeSample(true, 3, 1);
  p.names[1] = "A,B";
  EXPECT_EQ(WriteExchangePoints(p, PointFormat::Dat, error), "");
  EXPECT_EQ(error, "第 2 点 A,B: 点名或编码中有逗号, .dat 文件以逗号分隔各项!");
  p.y[2] = 91;
  EXPECT_EQ(WriteExchangePoints(p, PointFormat::GeoJson, error), "");
  EXPECT_EQ(error, "第 3 点 GP3: 纬度超出 -90° 到 90°!");
}

// A point drawn by other software: its TEXT name not right after it, but nearest to it.
TEST(ExchangeFormats, DxfNamesPointsByTheTextBesideThem) {
  DxfDrawing d;
  std::string bytes = d.Head();
  bytes += d.Line(0, 0, 10, 10);
  for (const std::string& piece : {d.Point("A", 100, 200, 5), d.Point("B", 300, 400, 6)}) bytes += piece;
  // B's TEXT moved in front of A's POINT: the pairing by order breaks, nearness decides.
  const std::size_t a = bytes.find("  0\r\nPOINT"), b = bytes.rfind("  0\r\nTEXT");
  const std::string textB = bytes.substr(b);
  bytes = bytes.substr(0, a) + textB + bytes.substr(a, b - a) + d.Tail();
  const ExchangeRead r = ReadDxfPoints(bytes, "f");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.points.size(), 2u);
  EXPECT_EQ(r.points.names[0], "A");
  EXPECT_EQ(r.points.names[1], "B");
  EXPECT_EQ(r.points.x[1], 300);
  EXPECT_EQ(r.points.h[1], 6);
}

// The drawing of a worked traverse holds its adjusted stations and known points, and as
// many LINEs as legs plus the two known sides.
TEST(ExchangeFormats, TraverseDrawingHoldsTheReportsPointsAndLines) {
  const std::string path = std::string(VANTREL_SOURCE_DIR) + "/examples/traverse/connecting.txt";
  const FileBytesResult bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes.ok);
  const TraverseFileResult read = ParseTraverseText(bytes.bytes, path);
  ASSERT_TRUE(read.ok) << read.error;
  const adjustment::TraverseAdjustment adj = adjustment::AdjustTraverse(read.input, {});
  ASSERT_TRUE(adj.ok) << adj.error;
  const std::string dxf = TraverseReportDxf(read.input, adj);
  const ExchangeRead r = ReadDxfPoints(dxf, "t.dxf");
  ASSERT_TRUE(r.ok) << r.error;
  for (const adjustment::AdjustedStation& s : adj.stations) {
    std::size_t i = 0;
    while (i < r.points.size() && r.points.names[i] != s.name) ++i;
    ASSERT_LT(i, r.points.size()) << s.name;
    EXPECT_NEAR(r.points.x[i], s.x, 1e-9);
    EXPECT_NEAR(r.points.y[i], s.y, 1e-9);
  }
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = dxf.find("\r\nLINE\r\n", at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, adj.legs.size() + (read.input.backSight ? 1 : 0) + (read.input.foreSight ? 1 : 0));
}

}  // namespace
}  // namespace vantrel::batch
