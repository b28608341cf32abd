#include "batch/network_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

#include "common/text_files.h"
#include "geodetic/ellipsoid.h"
#include "tests/support/synthetic_traverse.h"
#include "tests/support/temp_files.h"

namespace vantrel::batch {
namespace {

using adjustment::LineWeight;
using adjustment::ObservationKind;
using adjustment::PlaneObservation;

const std::string kSource = VANTREL_SOURCE_DIR;
constexpr double kRho = 648000 / std::numbers::pi;  // arc seconds per radian

NetworkFileResult ReadExample(const std::string& path) {
  return ParseNetworkText(test::Slurp(kSource + "/examples/" + path), path);
}

// Clockwise angle from b to c at a, from coordinates, in [0, 2π).
double Clockwise(double ax, double ay, double bx, double by, double cx, double cy) {
  const double a = std::atan2(cy - ay, cx - ax) - std::atan2(by - ay, bx - ax);
  return std::fmod(a + 4 * std::numbers::pi, 2 * std::numbers::pi);
}
double Azimuth(double ax, double ay, double bx, double by) { return Clockwise(ax, ay, ax + 1, ay, bx, by); }
// The difference of two angles, folded into [0, π].
double AngleGap(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 2 * std::numbers::pi);
  return std::min(d, 2 * std::numbers::pi - d);
}

struct XY {
  double x, y;
};

// An observation's value computed from coordinates by name.
double Computed(const PlaneObservation& o, const std::map<std::string, XY>& at) {
  const XY s = at.at(o.station), t = at.at(o.target);
  switch (o.kind) {
    case ObservationKind::Angle: {
      const XY t2 = at.at(o.target2);
      return Clockwise(s.x, s.y, t.x, t.y, t2.x, t2.y);
    }
    case ObservationKind::Distance: return std::hypot(t.x - s.x, t.y - s.y);
    default: return Azimuth(s.x, s.y, t.x, t.y);
  }
}

TEST(NetworkFile, PlaneExampleReadsAsTheFieldBookLists) {
  const NetworkFileResult r = ReadExample("adjustment/network.txt");
  ASSERT_TRUE(r.ok) << r.error;
  const NetworkFile& f = r.network;
  std::vector<std::string> names;
  for (const auto& p : f.plane.points) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"K1", "K2", "K3", "N3", "N2", "N1"}));
  EXPECT_EQ(*f.plane.points[1].knownX, 3520866.428);
  EXPECT_EQ(f.plane.points[1].sigmaX, 0);
  EXPECT_FALSE(f.plane.points[3].knownX);
  EXPECT_EQ(*f.plane.points[3].approxY, 513105.9);
  EXPECT_TRUE(f.levelPoints.empty() && f.levelLines.empty() && !f.traverse);

  EXPECT_NEAR(f.planeOptions.directionSigma * kRho, 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(f.planeOptions.distanceSigmaA, 0.002);
  EXPECT_DOUBLE_EQ(f.planeOptions.distanceSigmaB, 2e-6);

  const auto& obs = f.plane.observations;
  ASSERT_EQ(obs.size(), 31u);
  ASSERT_EQ(f.observationLines.size(), obs.size());
  // Every 测站 block is a set of its own, the two rounds at N1 too.
  std::map<int, std::set<std::string>> setStations;
  int directions = 0;
  for (const auto& o : obs)
    if (o.kind == ObservationKind::Direction) ++directions, setStations[o.set].insert(o.station);
  EXPECT_EQ(directions, 21);
  ASSERT_EQ(setStations.size(), 6u);
  EXPECT_EQ(setStations[1], std::set<std::string>{"N1"});
  EXPECT_EQ(setStations[2], std::set<std::string>{"N1"});
  // "N1  45.33565  552.086" on line 13: a direction and a distance from K1.
  EXPECT_EQ(obs[3].kind, ObservationKind::Direction);
  EXPECT_EQ(obs[3].target, "N1");
  EXPECT_EQ(obs[3].value, Dms2Rad(45.33565));
  EXPECT_EQ(f.observationLines[3], 13);
  EXPECT_EQ(obs[4].kind, ObservationKind::Distance);
  EXPECT_EQ(obs[4].station, "K1");
  EXPECT_EQ(obs[4].value, 552.086);
  EXPECT_EQ(obs[4].sigma, 0);
  EXPECT_EQ(f.observationLines[4], 13);
  EXPECT_EQ(obs.back().kind, ObservationKind::Distance);
  EXPECT_DOUBLE_EQ(obs.back().sigma, 0.003);
  EXPECT_EQ(f.observationLines.back(), 43);

  // The figures were made from the points' coordinates with 1″ and 2 mm + 2 ppm of noise:
  // each set's directions differ from the azimuths by one orientation within a few σ.
  const std::map<std::string, XY> at = {
      {"K1", {3521468.207, 512105.934}}, {"K2", {3520866.428, 513240.286}},
      {"K3", {3522012.551, 513302.118}}, {"N1", {3521180.554, 512577.162}},
      {"N2", {3521640.880, 512790.415}}, {"N3", {3521270.317, 513105.902}}};
  std::map<int, double> orientation;
  for (const auto& o : obs) {
    const double truth = Computed(o, at);
    if (o.kind == ObservationKind::Distance) {
      EXPECT_LT(std::fabs(o.value - truth), 3 * (0.002 + 2e-6 * truth)) << o.station << o.target;
    } else {
      auto [it, first] = orientation.emplace(o.set, truth - o.value);
      EXPECT_LT(AngleGap(truth - o.value, it->second) * kRho, 5) << o.station << o.target;
    }
  }
}

TEST(NetworkFile, LevellingExampleAndItsUnits) {
  const NetworkFileResult r = ReadExample("adjustment/levelling.txt");
  ASSERT_TRUE(r.ok) << r.error;
  const NetworkFile& f = r.network;
  EXPECT_TRUE(f.plane.points.empty() && f.plane.observations.empty());
  ASSERT_EQ(f.levelPoints.size(), 5u);
  EXPECT_EQ(f.levelPoints[1].name, "BM2");
  EXPECT_EQ(*f.levelPoints[1].knownHeight, 52.1090);
  EXPECT_FALSE(f.levelPoints[4].knownHeight);
  ASSERT_EQ(f.levelLines.size(), 7u);
  EXPECT_EQ(f.levelLineLines, (std::vector<int>{8, 9, 10, 11, 12, 13, 14}));
  EXPECT_EQ(f.levelLines[1].from, "A");
  EXPECT_EQ(f.levelLines[1].dh, -2.7838);
  EXPECT_EQ(f.levelLines[1].amount, 2.3);
  for (const auto& l : f.levelLines) {
    EXPECT_EQ(l.weight, LineWeight::ByLength);
    EXPECT_DOUBLE_EQ(l.sigma, 0.002);
  }
  EXPECT_DOUBLE_EQ(f.levellingOptions.sigma0, 0.002);
}

// Every unit the file takes, turned into the API's: radians, metres, ratios.
TEST(NetworkFile, UnitsAndOverridesReachTheApi) {
  const NetworkFileResult r = ParseNetworkText(
      test::Gbk({"测角中误差 2.5", "方位角中误差 0.5", "单位权中误差 2", "测距中误差 3 1.5",
                 "已知点 A 1000 2000 5 4", "已知点 B - 2100 - -", "已知点 B 1500 - 8 -",
                 "已知高程 A 10.5 3", "测站 A 1.2", "B - 500.0", "C 90.0000", "角度 A B C 90.0000",
                 "角度 A B C 270.00001 2", "边长 A C 400 5", "方位角 A B 30 固定",
                 "方位角 A C 180 0.8", "高差 B A 1.234 12 0.7", "水准中误差 每站 0.5", "自由网 A C"}),
      "u.txt");
  ASSERT_TRUE(r.ok) << r.error;
  const NetworkFile& f = r.network;
  const auto& o = f.plane.observations;
  const auto& p = f.planeOptions;
  EXPECT_NEAR(p.angleSigma * kRho, 2.5, 1e-12);
  EXPECT_NEAR(p.azimuthSigma * kRho, 0.5, 1e-12);
  EXPECT_EQ(p.sigma0, 2);  // arc seconds, as PlaneOptions takes it
  EXPECT_DOUBLE_EQ(p.distanceSigmaA, 0.003);
  EXPECT_DOUBLE_EQ(p.distanceSigmaB, 1.5e-6);
  EXPECT_EQ(f.plane.points[0].sigmaX, 0.005);
  EXPECT_EQ(f.plane.points[0].sigmaY, 0.004);
  // B's coordinates come a line at a time: Y held fixed, X weighted.
  EXPECT_EQ(*f.plane.points[1].knownX, 1500);
  EXPECT_EQ(f.plane.points[1].sigmaX, 0.008);
  EXPECT_EQ(*f.plane.points[1].knownY, 2100);
  EXPECT_EQ(f.plane.points[1].sigmaY, 0);
  ASSERT_EQ(o.size(), 7u);
  EXPECT_EQ(o[0].kind, ObservationKind::Distance);  // "B - 500.0": a distance only
  EXPECT_NEAR(o[1].sigma * kRho, 1.2, 1e-12);       // the 测站 line's σ
  EXPECT_NEAR(o[1].value, std::numbers::pi / 2, 1e-12);
  EXPECT_EQ(o[2].kind, ObservationKind::Angle);
  EXPECT_EQ(o[2].target2, "C");
  EXPECT_EQ(o[2].sigma, 0);
  EXPECT_NEAR(o[3].value, 1.5 * std::numbers::pi + 0.1 / kRho, 1e-12);
  EXPECT_NEAR(o[3].sigma * kRho, 2, 1e-12);
  EXPECT_DOUBLE_EQ(o[4].sigma, 0.005);
  EXPECT_EQ(o[5].sigma, kHeldAzimuthSigma);
  EXPECT_NEAR(o[5].value, std::numbers::pi / 6, 1e-12);
  EXPECT_NEAR(o[6].sigma * kRho, 0.8, 1e-12);
  EXPECT_EQ(f.observationLines, (std::vector<int>{10, 11, 12, 13, 14, 15, 16}));
  // The levelling line before the 水准中误差 line takes its weighting; its own σ stays.
  ASSERT_EQ(f.levelLines.size(), 1u);
  EXPECT_EQ(f.levelLines[0].weight, LineWeight::BySetups);
  EXPECT_EQ(f.levelLines[0].amount, 12);
  EXPECT_DOUBLE_EQ(f.levelLines[0].sigma, 0.0007);
  EXPECT_DOUBLE_EQ(f.levellingOptions.sigma0, 0.0005);
  EXPECT_EQ(f.levelPoints[0].knownSigma, 0.003);
  EXPECT_EQ(p.datum, adjustment::PlaneDatum::Free);
  EXPECT_EQ(p.datumPoints, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(f.levellingOptions.datumPoints, (std::vector<std::string>{"A"}));

  // The same file in UTF-8 with any line ends reads alike.
  const std::string utf8 = GbkToUtf8(test::Gbk({"测站 A", "B 0 100", "C 90"}));
  for (const char* end : {"\n", "\r"}) {
    std::string text = utf8;
    for (size_t k; (k = text.find("\r\n")) != std::string::npos;) text.replace(k, 2, end);
    const NetworkFileResult u = ParseNetworkText("\xEF\xBB\xBF" + text, "u.txt");
    ASSERT_TRUE(u.ok) << u.error;
    EXPECT_EQ(u.network.observationLines, (std::vector<int>{2, 2, 3}));
  }
}

TEST(NetworkFile, BadInputIsNamedByLineAndReason) {
  const std::string block = "测站 A\nB 0 100\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"方向中误 1\n", "f.txt:1: 不认识的关键字: 方向中误 (是 方向中误差 吗?)!"},
      {block + "测站点 A\n", "f.txt:3: 不认识的关键字: 测站点 (是 测站 吗?)!"},
      {"B 0.0000 100\n", "f.txt:1: 不认识的关键字: B (方向和边长的目标行应写在 测站 行之后)!"},
      {"边长 A B\n", "f.txt:1: 边长 行缺少数据项, 应为: 边长 点名 点名 平距(米) [σ(毫米)]!"},
      {"边长 A B 100 2 3\n", "f.txt:1: 边长 行多余的数据项: 3 (应为: 边长 点名 点名 平距(米) [σ(毫米)])!"},
      {"边长 A B 1o0\n", "f.txt:1: 平距应为正数: 1o0!"},
      {"边长 A B 0\n", "f.txt:1: 平距应为正数: 0!"},
      {"边长 A B -5\n", "f.txt:1: 平距应为正数: -5!"},
      {"边长 A B 1e9\n", "f.txt:1: 平距太大: 1e9 (应小于 1e9)!"},
      {"边长 A B 100 0\n", "f.txt:1: 边长的中误差 (毫米)应为正数: 0!"},
      {"边长 A A 100\n", "f.txt:1: 从 A 到 A 的观测: 两端是同一个点!"},
      {"测站 A\nA 0\n", "f.txt:2: 从 A 到 A 的观测: 两端是同一个点!"},
      {"高差 BM1 BM1 0.5 1\n", "f.txt:1: 从 BM1 到 BM1 的观测: 两端是同一个点!"},
      {"角度 A B A 90\n", "f.txt:1: 从 A 到 A 的观测: 两端是同一个点!"},
      {"角度 A B B 90\n", "f.txt:1: 角度的起始方向和终止方向都是 B!"},
      {"角度 A B C 90.6000\n", "f.txt:1: 角值错: 90.6000 (D.MMSS, 0 至 360°, 分和秒小于 60)!"},
      {"角度 A B C 360\n", "f.txt:1: 角值错: 360 (D.MMSS, 0 至 360°, 分和秒小于 60)!"},
      {"角度 A B C 90.000005\n", "f.txt:1: 角度最多写到 0.1″ (D.MMSSs): 90.000005!"},
      {"方位角 A B 45 大概\n", "f.txt:1: 方位角的中误差 (秒)应为正数: 大概!"},
      {"方向中误差 -1\n", "f.txt:1: 方向中误差应为正数: -1!"},
      {"方向中误差 1\n方向中误差 2\n", "f.txt:2: 重复的 方向中误差 行 (第1行已有)!"},
      {"测距中误差 0 2\n", "f.txt:1: 测距中误差的固定部分 a (毫米)应为正数: 0!"},
      {"测距中误差 2 -1\n", "f.txt:1: 测距中误差的比例部分 b (ppm) 应为零或正数: -1!"},
      {"测距中误差 2\n", "f.txt:1: 测距中误差 行缺少数据项, 应为: 测距中误差 a(毫米) b(ppm)!"},
      {"水准中误差 每米 2\n", "f.txt:1: 水准中误差 按 每公里 或 每站 给出, 不认识: 每米!"},
      {"高差 A B 1.2 3.5\n水准中误差 每站 1\n", "f.txt:1: 按测站定权, 测站数应为整数: 3.5!"},
      {"高差 A B 1.2 0\n", "f.txt:1: 路线长或测站数应为正数: 0!"},
      {"高差 A B 1,2 1\n", "f.txt:1: 高差错: 1,2!"},
      {"已知点 A 100 200\n已知点 A 100 201\n" + block, "f.txt:2: 已知点 A 的坐标与第1行不同!"},
      {"已知高程 A 10\n已知高程 A 10 2\n", "f.txt:2: 已知高程 A 与第1行不同!"},
      {"近似坐标 P 1 2\n近似坐标 P 1 3\n", "f.txt:2: 近似坐标 P 与第1行不同!"},
      {"已知点 A - -\n", "f.txt:1: 已知点 A 的 X 和 Y 都未知 (-)!"},
      {"已知点 A - 200 5 5\n", "f.txt:1: 已知点 A 的 X 未知 (-), 它的中误差也应写 -!"},
      {"已知点 A 100 200 5\n", "f.txt:1: 已知点 行的中误差应有 σx 和 σy 两项: 已知点 点名 X Y [σx σy(毫米)]!"},
      {"已知点 A 1e9 200\n", "f.txt:1: 已知点 A 的 X 坐标太大: 1e9 (应小于 1e9)!"},
      {"已知点 A 100 y\n", "f.txt:1: 已知点 A 的 Y 坐标错: y!"},
      {"测站 A\n测站 B\nA 0\n", "f.txt:1: 测站 A 下没有观测 (目标点 方向值(D.MMSS) [平距(米)], 方向未测写 -)!"},
      {block + "测站 C\n", "f.txt:3: 测站 C 下没有观测 (目标点 方向值(D.MMSS) [平距(米)], 方向未测写 -)!"},
      {block + "C\n", "f.txt:3: 目标 C 缺少方向值, 应为: 目标点 方向值(D.MMSS) [平距(米)], 方向未测写 -!"},
      {block + "C - \n", "f.txt:3: 目标 C 的方向未测 (-), 又没有平距!"},
      {block + "C 1 2 3\n", "f.txt:3: 目标行多余的数据项: 3 (应为: 目标点 方向值(D.MMSS) [平距(米)], 方向未测写 -)!"},
      {block + "B 90\n", "f.txt:3: 测站 A 的这组方向里 B 已在第2行观测!"},
      {"近似坐标 P 1 2\n" + block, "f.txt:1: 近似坐标 P 不在任何平面观测中!"},
      {"自由网 X\n" + block, "f.txt:1: 自由网 的点 X 不在观测中!"},
      {"已知点 A 1 2\n已知高程 A 3\n", "f.txt: 没有观测 (方向、角度、边长、方位角或水准路线)!"},
      {"", "f.txt: 没有观测 (方向、角度、边长、方位角或水准路线)!"},
      // A traverse file is refused by the traverse reader's and the compass rule's checks.
      {"导线 闭合 左角\n起点 B 0 0\n首边方向 10\n", "f.txt:3: 不认识的关键字: 首边方向 (是 首边方位 吗?)!"},
      {"导线 闭合 左角\n起点 B 0 0\n后视 A 10 0\nB 90 100\nP1 90 100\nP2 90 100\n", "f.txt: 闭合导线缺少连接角!"},
      // In a network a name is one point.
      {"导线 附合 左角\n起点 B 0 0\n后视 B 10 0\n终点 C 0 300\n前视 D 1 1\nB 90 100\nP 180 100\nC 90\n",
       "f.txt:3: 后视点 B 与同名的已知点坐标不同!"},
      {"导线 附合 左角\n起点 B 0 0\n后视 A 10 0\n终点 C 0 300\n前视 P 1 1\nB 90 100\nP 180 100\nC 90\n",
       "f.txt:5: 前视点 P 与待定的测站同名!"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    const NetworkFileResult r = ParseNetworkText(Utf8ToGbk(text), "f.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, message);
  }
  // The same known point seen from both ends is one point.
  const NetworkFileResult both = ParseNetworkText(
      "导线 附合 左角\n起点 B 0 0\n后视 A 10 0\n终点 C 0 300\n前视 A 10 0\nB 90 100\nP 180 100\nC 90\n", "f.txt");
  ASSERT_TRUE(both.ok) << both.error;
  EXPECT_EQ(both.network.plane.points.size(), 4u);
  const NetworkFileResult utf16 = ParseNetworkText(std::string("\xFF\xFE\x4B\x6D\x59\x7A" "A\0", 8), "f.txt");
  EXPECT_EQ(utf16.error, "f.txt: 不是 GBK 或 UTF-8 文本 (UTF-16 或二进制文件?), 请存为 GBK 或 UTF-8 文本!");
  EXPECT_EQ(ReadNetworkFile("/nonexistent/n.txt").error.rfind("/nonexistent/n.txt: ", 0), 0u);
}

// Exact traverses of every kind, side and orientation: each observation of the network is
// what the true coordinates give, so behind/ahead and left/right are turned the right way.
TEST(NetworkFile, TraverseObservationsAreWhatTheTruePointsGive) {
  using test::Orientation;
  for (unsigned seed = 1; seed <= 6; ++seed)
    for (adjustment::TraverseKind kind : {adjustment::TraverseKind::Closed, adjustment::TraverseKind::Connecting})
      for (adjustment::AngleSide side : {adjustment::AngleSide::Left, adjustment::AngleSide::Right})
        for (Orientation orient : {Orientation::Points, Orientation::Azimuths, Orientation::FirstLeg}) {
          if (kind == adjustment::TraverseKind::Connecting && orient == Orientation::FirstLeg) continue;
          const test::SyntheticTraverse t = test::MakeTraverse(seed, kind, side, 3 + seed % 4, orient);
          SCOPED_TRACE(::testing::Message() << seed << " " << int(kind) << int(side) << int(orient));
          const NetworkFile f = TraverseNetwork(t.input);
          std::map<std::string, XY> at;
          for (const auto& s : t.stations) at[s.name] = {s.x, s.y};
          for (const auto& p : {t.input.backSight, t.input.foreSight})
            if (p) at[p->name] = {p->x, p->y};
          int held = 0;
          for (const auto& p : f.plane.points) {
            ASSERT_EQ(p.knownX.has_value(), p.knownY.has_value());
            if (p.knownX) {
              ++held;
              EXPECT_EQ(*p.knownX, at.at(p.name).x);
            }
          }
          const bool closed = kind == adjustment::TraverseKind::Closed;
          const size_t n = t.stations.size();
          EXPECT_EQ(held, (closed ? 1 : 2) + (orient == Orientation::Points ? (closed ? 1 : 2) : 0));
          ASSERT_EQ(f.plane.observations.size(), n + (closed ? n + 1 : n - 1));
          EXPECT_EQ(f.planeOptions.azimuthSigma, f.planeOptions.angleSigma);
          for (const auto& o : f.plane.observations) {
            const double truth = Computed(o, at);
            if (o.kind == ObservationKind::Distance) {
              EXPECT_NEAR(o.value, truth, 1e-9);
            } else {
              EXPECT_LT(AngleGap(o.value, truth), 1e-12) << o.station << " " << o.target;
            }
            if (o.kind == ObservationKind::Azimuth) {
              EXPECT_EQ(o.sigma, orient == Orientation::FirstLeg ? kHeldAzimuthSigma : 0);
            }
          }
        }
}

// The worked traverses: the observations agree with the compass result's coordinates within
// the misclosures, and each carries its station's line.
TEST(NetworkFile, TraverseExamplesAgreeWithTheCompassResult) {
  for (const char* name : {"traverse/closed.txt", "traverse/connecting.txt"}) {
    SCOPED_TRACE(name);
    const NetworkFileResult r = ReadExample(name);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(r.network.traverse);
    const adjustment::TraverseInput& in = *r.network.traverse;
    const adjustment::TraverseAdjustment adj = adjustment::AdjustTraverse(in);
    ASSERT_TRUE(adj.ok) << adj.error;
    std::map<std::string, XY> at;
    double shortest = 1e9;
    for (const auto& s : adj.stations) at[s.name] = {s.x, s.y};
    for (const auto& p : {in.backSight, in.foreSight})
      if (p) at[p->name] = {p->x, p->y};
    for (const auto& leg : adj.legs) shortest = std::min(shortest, leg.distance);
    const double angleTolerance = std::fabs(adj.fBetaSeconds) / kRho + 2 * adj.fs / shortest;
    const auto& obs = r.network.plane.observations;
    ASSERT_EQ(obs.size(), in.kind == adjustment::TraverseKind::Closed ? 11u : 9u);
    for (size_t i = 0; i < obs.size(); ++i) {
      const double computed = Computed(obs[i], at);
      if (obs[i].kind == ObservationKind::Distance) {
        EXPECT_LT(std::fabs(obs[i].value - computed), adj.fs);
      } else {
        EXPECT_LT(AngleGap(obs[i].value, computed), angleTolerance) << i;
      }
    }
    // Each station's observations carry its line; the closed loop's connection angle the
    // 连接角 line, 5.
    const bool closed = in.kind == adjustment::TraverseKind::Closed;
    EXPECT_EQ(r.network.observationLines.front(), closed ? 6 : 7);
    if (closed) {
      EXPECT_EQ(r.network.observationLines[1], 5);
    }
    EXPECT_EQ(r.network.observationLines.back(), closed ? 10 : 11);

    // Adjusted rigorously, the traverse lands on the compass result within its misclosure.
    const adjustment::PlaneResult rigorous =
        adjustment::AdjustPlaneNetwork(r.network.plane, r.network.planeOptions);
    ASSERT_TRUE(rigorous.ok) << rigorous.error;
    int compared = 0;
    for (const auto& p : rigorous.points) {
      if (!p.adjustedX || !at.count(p.name)) continue;
      EXPECT_LT(std::hypot(p.x - at[p.name].x, p.y - at[p.name].y), adj.fs) << p.name;
      ++compared;
    }
    EXPECT_EQ(compared, closed ? 4 : 3);
  }
}

}  // namespace
}  // namespace vantrel::batch
