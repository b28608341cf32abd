// The network adjustment report read as a checker reads it: the text's tables add up at their
// printed digits, the drawing puts every ellipse where and as large as it says, the JSON gives
// the routine's numbers back exactly. The plane result is built by hand (the report prints,
// it does not adjust); the levelling result is the real adjustment's.
#include "batch/network_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <random>
#include <regex>

#include "common/text_rules.h"
#include "tests/support/levelling_grid.h"
#include "tests/support/report_tables.h"

namespace vantrel::batch {
namespace {

using adjustment::ObservationKind;
constexpr double kSecondsPerRadian = 648000 / std::numbers::pi;

struct Fixture {
  NetworkFile file;
  NetworkAdjustment adjustment;
};

// Seven points (K1, K2 known, K3 known and weighted in X only) and a hundred observations of
// every kind with values and residuals spread widely, angles near 0° and 360° among them; one
// observation is the suspect, two more are over the critical value. A levelling grid with a
// blunder rides along.
Fixture MakeFixture() {
  Fixture f;
  std::mt19937_64 random(24);
  std::uniform_real_distribution<double> unit(0, 1);
  auto& points = f.file.plane.points;
  auto& result = f.adjustment.plane.emplace();
  result.ok = true;
  for (int i = 0; i < 7; ++i) {
    adjustment::PlanePoint p;
    p.name = i < 3 ? "K" + std::to_string(i + 1) : "P" + std::to_string(i - 2);
    adjustment::AdjustedPlanePoint a;
    a.name = p.name;
    a.x = 3521000 + 2000 * unit(random);
    a.y = 512000 + 2000 * unit(random);
    if (i < 2) p.knownX = a.x, p.knownY = a.y;
    if (i == 2) p.knownX = a.x, p.sigmaX = 0.01;
    a.adjustedX = i >= 2;
    a.adjustedY = i >= 2;
    if (a.adjustedX) {
      a.sigmaX = 0.0005 + 0.005 * unit(random);
      a.sigmaY = 0.0005 + 0.005 * unit(random);
      a.covarianceXY = 0.3 * a.sigmaX * a.sigmaY;
      a.sigmaP = std::hypot(a.sigmaX, a.sigmaY);
      a.ellipse = {std::max(a.sigmaX, a.sigmaY) * 1.1, std::min(a.sigmaX, a.sigmaY) * 0.9, std::numbers::pi * unit(random)};
    }
    points.push_back(p);
    result.points.push_back(a);
  }
  result.points[3].ellipse.azimuth = 0;  // due north
  const ObservationKind kinds[] = {ObservationKind::Direction, ObservationKind::Angle, ObservationKind::Distance,
                                   ObservationKind::Azimuth};
  for (int i = 0; i < 100; ++i) {
    adjustment::PlaneObservation o;
    o.kind = kinds[i % 4];
    o.station = points[i % 7].name;
    o.target = points[(i + 1 + i / 7) % 7 == i % 7 ? (i + 2) % 7 : (i + 1 + i / 7) % 7].name;
    o.target2 = points[(i + 3) % 7].name;
    o.set = i % 7;
    adjustment::AdjustedObservation a;
    const bool distance = o.kind == ObservationKind::Distance;
    o.value = distance ? 50 + 1500 * unit(random) : 2 * std::numbers::pi * unit(random);
    a.residual = (distance ? 0.004 : 3 / kSecondsPerRadian) * (2 * unit(random) - 1);
    if (i == 4) o.value = (1296000 - 0.003) / kSecondsPerRadian, a.residual = 0.011 / kSecondsPerRadian;  // over 360°
    if (i == 8) o.value = 0.002 / kSecondsPerRadian, a.residual = -0.02 / kSecondsPerRadian;            // below 0°
    a.adjusted = o.value + a.residual;
    a.sigma = distance ? 0.002 + 2e-6 * o.value : 1 / kSecondsPerRadian;
    a.redundancy = unit(random);
    a.standardized = i == 13 ? std::nan("") : 6.5 * unit(random) - 3.25;
    if (i == 13) a.redundancy = 0;
    if (i == 20 || i == 41) a.standardized = i == 20 ? -4.5 : 3.5;
    result.observations.push_back(a);
    f.file.plane.observations.push_back(o);
    f.file.observationLines.push_back(10 + i);
  }
  result.suspectObservation = 20;
  result.relative.push_back({3, 4, {0.003, 0.001, 0.5}, 0.0021, 1.2 / kSecondsPerRadian});
  result.sets = {0, 2};
  result.orientations = {0.25, 6.2};
  result.degreesOfFreedom = 57;
  result.sigma0 = 1.13;
  result.chiSquare = 72.8, result.chiSquareLower = 38.0, result.chiSquareUpper = 79.8;
  result.globalTestPassed = true;
  result.iterations = 3;

  test::LevellingGrid grid = test::MakeLevellingGrid(5, 7, true);
  grid.lines[17].dh += 0.012;
  f.file.levelPoints = grid.points;
  f.file.levelLines = grid.lines;
  for (size_t i = 0; i < grid.lines.size(); ++i) f.file.levelLineLines.push_back(200 + static_cast<int>(i));
  f.adjustment.levelling = adjustment::AdjustLevelling(grid.points, grid.lines, f.file.levellingOptions);
  EXPECT_TRUE(f.adjustment.levelling->ok) << f.adjustment.levelling->error;
  EXPECT_EQ(f.adjustment.levelling->suspectLine, 17);
  f.adjustment.ok = true;
  return f;
}

double Number(const std::string& text) {
  const auto v = ReadStrict(text);
  EXPECT_TRUE(v) << "\"" << text << "\"";
  return v.value_or(NAN);
}

// Packed D.MMSS with hundredths of a second, in hundredths.
long long PackedHundredths(const std::string& text) {
  const size_t point = text.find('.');
  EXPECT_NE(point, std::string::npos) << text;
  std::string digits = text.substr(point + 1);
  EXPECT_LE(digits.size(), 6u) << text;
  digits.resize(6, '0');
  return ((std::stoll(text.substr(0, point)) * 60 + std::stoll(digits.substr(0, 2))) * 60 + std::stoll(digits.substr(2, 2))) * 100 +
         std::stoll(digits.substr(4, 2));
}

TEST(NetworkReport, TextTablesAddUpAtTheirDigits) {
  const Fixture f = MakeFixture();
  const std::vector<std::string> text = NetworkReportText(f.file, "net.txt", f.adjustment);
  const adjustment::PlaneResult& r = *f.adjustment.plane;

  const auto coords = test::TableUnder(text, "坐标及其精度");
  ASSERT_EQ(coords.size(), 1 + r.points.size());
  for (size_t i = 0; i < r.points.size(); ++i) {
    const auto& row = coords[i + 1];
    const auto& p = r.points[i];
    SCOPED_TRACE(p.name);
    EXPECT_EQ(row[0], p.name);
    EXPECT_NEAR(Number(row[1]), p.x, 0.5e-4 + 1e-9);
    EXPECT_NEAR(Number(row[2]), p.y, 0.5e-4 + 1e-9);
    EXPECT_EQ(row[9], i < 2 ? "已知" : i == 2 ? "已知X(加权)" : "");
    if (!p.adjustedX) {
      EXPECT_EQ(row[3] + row[4] + row[5] + row[6], "");
      continue;
    }
    const double sx = Number(row[3]), sy = Number(row[4]);
    EXPECT_NEAR(sx, p.sigmaX * 1000, 0.005 + 1e-9);
    EXPECT_NEAR(Number(row[5]), std::hypot(sx, sy), 0.005 + 1e-9);
    EXPECT_NEAR(Number(row[6]), p.ellipse.major * 1000, 0.005 + 1e-9);
    EXPECT_NEAR(PackedHundredths(row[8]) / 100.0, p.ellipse.azimuth * kSecondsPerRadian, 0.5 + 1e-6);
  }

  // Each observation's table: adjusted = observed + v exactly at the printed digits, every
  // printed figure within half its last digit of the routine's.
  std::map<std::string, int> rowsSeen;
  const std::map<ObservationKind, std::string> headings = {{ObservationKind::Direction, "方向观测值"},
                                                           {ObservationKind::Angle, "角度观测值"},
                                                           {ObservationKind::Distance, "边长观测值"},
                                                           {ObservationKind::Azimuth, "方位角观测值"}};
  int marked = 0;
  for (size_t i = 0; i < f.file.plane.observations.size(); ++i) {
    const auto& o = f.file.plane.observations[i];
    const auto& a = r.observations[i];
    const std::string& heading = headings.at(o.kind);
    const auto table = test::TableUnder(text, heading);
    const auto& row = table.at(1 + rowsSeen[heading]++);
    SCOPED_TRACE(heading + " " + std::to_string(i));
    EXPECT_EQ(row[0], o.station);
    EXPECT_EQ(row[1], o.kind == ObservationKind::Angle ? o.target + "-" + o.target2 : o.target);
    if (o.kind == ObservationKind::Distance) {
      const double obs = Number(row[2]), adj = Number(row[3]), v = Number(row[4]);
      EXPECT_EQ(std::llround(adj * 1e4) - std::llround(obs * 1e4), std::llround(v * 10));
      EXPECT_NEAR(obs, o.value, 0.5e-4 + 1e-9);
      EXPECT_NEAR(v, a.residual * 1000, 0.05 + 1e-9);
      EXPECT_NEAR(adj, a.adjusted, 1e-4 + 1e-9);
    } else {
      const long long obs = PackedHundredths(row[2]), adj = PackedHundredths(row[3]);
      const long long v = std::llround(Number(row[4]) * 100);
      EXPECT_EQ(((adj - obs - v) % 129600000 + 129600000) % 129600000, 0) << row[2] << " " << row[3] << " " << row[4];
      EXPECT_LT(adj, 129600000);
      EXPECT_NEAR(std::remainder(obs / 100.0 - o.value * kSecondsPerRadian, 1296000), 0, 0.005 + 1e-6);
      EXPECT_NEAR(v / 100.0, a.residual * kSecondsPerRadian, 0.005 + 1e-6);
    }
    EXPECT_NEAR(Number(row[6]), a.redundancy, 0.0005 + 1e-9);
    if (std::isnan(a.standardized)) {
      EXPECT_EQ(row[7], "-");
    } else {
      EXPECT_NEAR(Number(row[7]), a.standardized, 0.005 + 1e-9);
    }
    const std::string want = i == 20 ? "最可能粗差" : i == 41 ? "超限" : "";
    EXPECT_EQ(row[8], want);
    marked += !row[8].empty();
  }
  EXPECT_EQ(marked, 2);
  const auto& blunder = f.file.plane.observations[20];
  EXPECT_NE(std::find(text.begin(), text.end(),
                      "数据探测 (Baarda, α0 = 0.1%, |w| 的临界值 3.29): 最可能的粗差是 第 30 行 方向 " + blunder.station +
                          "→" + blunder.target + ", w = -4.50"),
            text.end());
  EXPECT_EQ(test::TableUnder(text, "定向角 (方向组零方向的方位角)").size(), 3u);

  // The levelling tables, from the real adjustment: its blunder named, dh + v at the digits.
  const adjustment::LevellingResult& lr = *f.adjustment.levelling;
  const auto heights = test::TableUnder(text, "高程及其精度");
  ASSERT_EQ(heights.size(), 1 + lr.points.size());
  for (size_t i = 0; i < lr.points.size(); ++i) {
    EXPECT_NEAR(Number(heights[i + 1][1]), lr.points[i].height, 0.5e-4 + 1e-9);
    if (lr.points[i].unknown) {
      EXPECT_NEAR(Number(heights[i + 1][2]), lr.points[i].sigma * 1000, 0.005 + 1e-9);
    } else {
      EXPECT_EQ(heights[i + 1][3], "已知");
    }
  }
  const auto lines = test::TableUnder(text, "高差观测值");
  ASSERT_EQ(lines.size(), 1 + lr.lines.size());
  for (size_t i = 0; i < lr.lines.size(); ++i) {
    const auto& row = lines[i + 1];
    const double obs = Number(row[2]), adj = Number(row[3]), v = Number(row[4]);
    EXPECT_EQ(std::llround(adj * 1e4) - std::llround(obs * 1e4), std::llround(v * 10)) << i;
    EXPECT_NEAR(adj, lr.lines[i].dh, 1e-4 + 1e-9);
    const bool over = std::fabs(Number(row[8])) > 3.29;
    EXPECT_EQ(row[9], i == 17 ? "最可能粗差" : over ? "超限" : "") << i;
  }
  const std::string suspect = "第 217 行 高差 " + f.file.levelLines[17].from + "→" + f.file.levelLines[17].to;
  EXPECT_TRUE(std::any_of(text.begin(), text.end(), [&](const std::string& l) { return l.find(suspect) != std::string::npos; }));
  EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](const std::string& l) { return l == "中误差按验后单位权中误差计算    位数: 高程、高差取至 0.1 毫米, 中误差取至 0.01 毫米; 平差高差 = 观测高差 + v"; }));
}

// Tags open and close in order (void and self-closed ones aside).
void ExpectBalancedTags(const std::string& html) {
  const std::regex tag("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*?(/?)>");
  std::vector<std::string> open;
  for (std::sregex_iterator t(html.begin(), html.end(), tag), end; t != end; ++t) {
    const std::string name = (*t)[2];
    if ((*t)[3] == "/" || name == "meta") continue;
    if ((*t)[1] == "") {
      open.push_back(name);
    } else {
      ASSERT_FALSE(open.empty()) << "</" << name << "> closes nothing";
      ASSERT_EQ(open.back(), name) << "</" << name << "> closes <" << open.back() << ">";
      open.pop_back();
    }
  }
  EXPECT_TRUE(open.empty());
}

// The drawing's scales from its own bars; each ellipse's major axis is then where the
// point's ellipse lies (azimuth clockwise from north up) and as long as the factor says.
TEST(NetworkReport, DrawingShowsEachEllipseToItsStatedScale) {
  Fixture f = MakeFixture();
  for (double asked : {0.0, 2000.0}) {
    SCOPED_TRACE(asked);
    const NetworkReportOptions options{asked};
    const std::string html = NetworkReportHtml(f.file, "net.txt", f.adjustment, options);
    ExpectBalancedTags(html);
    EXPECT_NE(html.find("@page { size: A4 portrait;"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(html, m, std::regex("<svg [^]*</svg>")));
    const std::string svg = m[0];
    EXPECT_NE(svg.find(">北</text>"), std::string::npos);
    size_t triangles = 0;
    for (size_t at = svg.find("<polygon "); at != std::string::npos; at = svg.find("<polygon ", at + 1)) ++triangles;
    EXPECT_EQ(triangles, 3u);

    // Bars: the black half's width and the label at the bar's end.
    const std::regex bar(R"re(<rect x="([0-9.]+)" y="[0-9.]+" width="([0-9.]+)" height="6" fill="black"[^]*?<text [^>]*>0</text>\n<text [^>]*>([0-9.]+) (米|毫米)</text>)re");
    std::map<std::string, double> perUnit;
    for (std::sregex_iterator b(svg.begin(), svg.end(), bar), end; b != end; ++b)
      perUnit[(*b)[4]] = 2 * Number((*b)[2]) / Number((*b)[3]);
    ASSERT_EQ(perUnit.size(), 2u) << svg;
    ASSERT_TRUE(std::regex_search(svg, m, std::regex("误差椭圆放大 ([0-9]+) 倍")));
    const double factor = Number(m[1]);
    if (asked > 0) {
      EXPECT_EQ(factor, asked);
    }
    const double k = perUnit["米"];
    EXPECT_NEAR(perUnit["毫米"], k * factor / 1000, k * factor / 1000 * 0.02);

    const std::regex ellipse(R"re(<ellipse cx="([-0-9.]+)" cy="([-0-9.]+)" rx="([0-9.]+)" ry="([0-9.]+)" transform="rotate\(([-0-9.]+) )re");
    size_t n = 0;
    for (std::sregex_iterator e(svg.begin(), svg.end(), ellipse), end; e != end; ++e, ++n) {
      const auto& p = f.adjustment.plane->points.at(n + 2);
      SCOPED_TRACE(p.name);
      EXPECT_NEAR(Number((*e)[3]), p.ellipse.major * factor * k, 0.1);
      EXPECT_NEAR(Number((*e)[4]), p.ellipse.minor * factor * k, 0.1);
      const double turn = Number((*e)[5]) * std::numbers::pi / 180;
      // The drawn axis (cos, sin) on a page whose y runs down, against east sin φ, north cos φ.
      EXPECT_NEAR(std::fabs(std::cos(turn) * std::sin(p.ellipse.azimuth) - std::sin(turn) * std::cos(p.ellipse.azimuth)), 1, 1e-4);
    }
    EXPECT_EQ(n, 5u);  // the new points and the weighted known one
  }

  // A levelling network alone has nothing to draw.
  f.adjustment.plane.reset();
  f.file.plane = {};
  const std::string html = NetworkReportHtml(f.file, "level.txt", f.adjustment);
  ExpectBalancedTags(html);
  EXPECT_EQ(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find("<h1>水准网平差成果</h1>"), std::string::npos);
}

TEST(NetworkReport, JsonGivesTheNumbersBackExactly) {
  const Fixture f = MakeFixture();
  const nlohmann::json doc = nlohmann::json::parse(NetworkReportJson(f.file, "net.txt", f.adjustment));
  EXPECT_EQ(doc["file"], "net.txt");
  const adjustment::PlaneResult& r = *f.adjustment.plane;
  const auto& plane = doc.at("plane");
  EXPECT_EQ(plane["sigma0"].get<double>(), r.sigma0);
  EXPECT_EQ(plane["degreesOfFreedom"], r.degreesOfFreedom);
  EXPECT_EQ(plane["globalTest"]["upper"].get<double>(), r.chiSquareUpper);
  EXPECT_EQ(plane["suspect"], 20);
  ASSERT_EQ(plane["points"].size(), r.points.size());
  for (size_t i = 0; i < r.points.size(); ++i) {
    const auto& j = plane["points"][i];
    const auto& p = r.points[i];
    EXPECT_EQ(j["name"], p.name);
    for (const auto& [key, v] : {std::pair{"x", p.x}, {"y", p.y}, {"sigmaX", p.sigmaX}, {"sigmaY", p.sigmaY},
                                 {"covarianceXY", p.covarianceXY}, {"sigmaP", p.sigmaP}})
      EXPECT_EQ(j[key].get<double>(), v) << key;
    EXPECT_EQ(j["ellipse"]["azimuth"].get<double>(), p.ellipse.azimuth);
    EXPECT_EQ(j["knownX"], i < 3);
    EXPECT_EQ(j["knownY"], i < 2);
  }
  ASSERT_EQ(plane["observations"].size(), r.observations.size());
  for (size_t i = 0; i < r.observations.size(); ++i) {
    const auto& j = plane["observations"][i];
    const auto& a = r.observations[i];
    EXPECT_EQ(j["line"], 10 + static_cast<int>(i));
    EXPECT_EQ(j["observed"].get<double>(), f.file.plane.observations[i].value);
    EXPECT_EQ(j["residual"].get<double>(), a.residual);
    EXPECT_EQ(j["redundancy"].get<double>(), a.redundancy);
    if (std::isnan(a.standardized)) {
      EXPECT_TRUE(j["w"].is_null());
    } else {
      EXPECT_EQ(j["w"].get<double>(), a.standardized);
    }
    EXPECT_EQ(j["suspect"], i == 20);
  }
  EXPECT_EQ(plane["observations"][1]["kind"], "angle");
  EXPECT_EQ(plane["observations"][1]["target2"], f.file.plane.observations[1].target2);
  EXPECT_EQ(plane["orientations"][1]["orientation"].get<double>(), 6.2);

  const adjustment::LevellingResult& lr = *f.adjustment.levelling;
  const auto& level = doc.at("levelling");
  EXPECT_EQ(level["sigma0"].get<double>(), lr.sigma0);
  EXPECT_EQ(level["suspect"], 17);
  for (size_t i = 0; i < lr.points.size(); ++i) {
    EXPECT_EQ(level["points"][i]["height"].get<double>(), lr.points[i].height);
    EXPECT_EQ(level["points"][i]["sigma"].get<double>(), lr.points[i].sigma);
  }
  for (size_t i = 0; i < lr.lines.size(); ++i) {
    EXPECT_EQ(level["lines"][i]["residual"].get<double>(), lr.lines[i].residual);
    EXPECT_EQ(level["lines"][i]["length"].get<double>(), f.file.levelLines[i].amount * 1000);
  }
  EXPECT_FALSE(doc.contains("compass"));
}

}  // namespace
}  // namespace vantrel::batch
