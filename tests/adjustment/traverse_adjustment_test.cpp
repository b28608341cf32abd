#include "adjustment/traverse_adjustment.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <numeric>

#include "common/text_rules.h"
#include "tests/support/synthetic_traverse.h"

namespace vantrel::adjustment {
namespace {

using test::kSecondsPerRadian;
using test::MakeTraverse;
using test::Orientation;
using test::SyntheticTraverse;

// The compass rule as a formula, nothing rounded: what the synthetic traverses check.
const TraverseOptions kExact{.closureK = 0, .exact = true};

struct Case {
  TraverseKind kind;
  AngleSide side;
  int legs;
  Orientation orient;
  unsigned seed;
};

// Every kind, side and orientation with 3 to 50 legs.
std::vector<Case> AllCases() {
  std::vector<Case> cases;
  unsigned seed = 1;
  for (TraverseKind kind : {TraverseKind::Closed, TraverseKind::Connecting})
    for (AngleSide side : {AngleSide::Left, AngleSide::Right})
      for (int legs = 3; legs <= 50; ++legs) {
        const int variants = kind == TraverseKind::Closed ? 3 : 2;
        cases.push_back({kind, side, legs, static_cast<Orientation>(legs % variants), seed++});
      }
  return cases;
}

std::string Describe(const Case& c) {
  return std::string(c.kind == TraverseKind::Closed ? "closed" : "connecting") +
         (c.side == AngleSide::Left ? " left" : " right") + " legs " + std::to_string(c.legs) +
         " orientation " + std::to_string(static_cast<int>(c.orient)) + " seed " +
         std::to_string(c.seed);
}

void ExpectTruePoints(const SyntheticTraverse& t, const TraverseAdjustment& r, double tol) {
  ASSERT_EQ(r.stations.size(), t.stations.size());
  for (size_t i = 0; i < t.stations.size(); ++i) {
    EXPECT_EQ(r.stations[i].name, t.stations[i].name);
    EXPECT_NEAR(r.stations[i].x, t.stations[i].x, tol) << t.stations[i].name;
    EXPECT_NEAR(r.stations[i].y, t.stations[i].y, tol) << t.stations[i].name;
  }
}

TEST(TraverseAdjustment, ExactObservationsCloseAndGiveTheTruePointsBack) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(Describe(c));
    const SyntheticTraverse t = MakeTraverse(c.seed, c.kind, c.side, c.legs, c.orient);
    const TraverseAdjustment r = AdjustTraverse(t.input, kExact);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(r.fBetaSeconds, 0, 1e-6);
    EXPECT_NEAR(r.fx, 0, 1e-6);
    EXPECT_NEAR(r.fy, 0, 1e-6);
    EXPECT_EQ(r.legs.size(), static_cast<size_t>(c.legs));
    EXPECT_EQ(r.angleCount, static_cast<int>(t.stations.size()));
    EXPECT_GT(r.K, 1e8);
    for (const AdjustedStation& s : r.stations) EXPECT_EQ(s.correctionSeconds, 0) << s.name;
    for (size_t i = 0; i < r.legs.size(); ++i)
      EXPECT_NEAR(std::remainder(r.legs[i].azimuth - t.trueAzimuth[i], 2 * test::kTruePi), 0,
                  1e-6 / kSecondsPerRadian);
    ExpectTruePoints(t, r, 1e-6);
  }
}

// Errors in the angles alone: f_β is their sum whatever the side (measured minus true), the
// whole seconds of it are spread, and the adjusted chain ends on the known azimuth.
TEST(TraverseAdjustment, AngleErrorsGiveTheirSumAsMisclosureAndAreFullySpread) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(Describe(c));
    SyntheticTraverse t = MakeTraverse(c.seed, c.kind, c.side, c.legs, c.orient);
    std::mt19937 rng(c.seed);
    std::uniform_int_distribution<int> err(-6, 6);
    double sum = 0;
    for (TraverseStation& s : t.input.stations) {
      const int e = err(rng);
      s.angle += e / kSecondsPerRadian;
      sum += e;
    }
    const TraverseAdjustment r = AdjustTraverse(t.input, {.closureK = 0, .force = true, .exact = true});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(r.fBetaSeconds, sum, 1e-6);
    EXPECT_NEAR((r.sumObserved - r.sumTheoretical) * kSecondsPerRadian, sum, 1e-6);
    double sumV = 0;
    for (const AdjustedStation& s : r.stations) sumV += s.correctionSeconds;
    EXPECT_DOUBLE_EQ(sumV, -sum);
    EXPECT_NEAR(std::remainder(r.endAzimuthAdjusted - r.endAzimuthKnown, 2 * test::kTruePi), 0,
                1e-6 / kSecondsPerRadian);
    // The adjusted increments add up to the known end, the start itself for a loop.
    const test::TruePoint& end = c.kind == TraverseKind::Closed ? t.stations[0] : t.stations.back();
    double sx = 0, sy = 0;
    for (const AdjustedLeg& l : r.legs) sx += l.dxAdjusted, sy += l.dyAdjusted;
    EXPECT_NEAR(sx, end.x - t.stations[0].x, 1e-6);
    EXPECT_NEAR(sy, end.y - t.stations[0].y, 1e-6);
  }
}

// The same error at every station, a whole number of seconds: the corrections take it off
// exactly and the true points come back.
TEST(TraverseAdjustment, UniformAngleErrorIsRemovedExactly) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(Describe(c));
    SyntheticTraverse t = MakeTraverse(c.seed, c.kind, c.side, c.legs, c.orient);
    const int e = c.legs % 2 ? 3 : -2;
    for (TraverseStation& s : t.input.stations) s.angle += e / kSecondsPerRadian;
    const TraverseAdjustment r = AdjustTraverse(t.input, kExact);
    ASSERT_TRUE(r.ok) << r.error;
    for (const AdjustedStation& s : r.stations) EXPECT_EQ(s.correctionSeconds, -e) << s.name;
    ExpectTruePoints(t, r, 1e-6);
  }
}

// Errors in the distances alone: the azimuths stay true, so the misclosures are the errors
// projected on the true azimuths, and the compass rule spreads them by leg length.
TEST(TraverseAdjustment, DistanceErrorsGiveTheirProjectionsAsMisclosures) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(Describe(c));
    SyntheticTraverse t = MakeTraverse(c.seed, c.kind, c.side, c.legs, c.orient);
    std::mt19937 rng(c.seed + 1000);
    std::uniform_real_distribution<double> err(-0.02, 0.02);
    double fx = 0, fy = 0, sumD = 0;
    const size_t legs = t.trueAzimuth.size();
    for (size_t i = 0; i < legs; ++i) {
      const double e = err(rng);
      t.input.stations[i].distance += e;
      sumD += t.input.stations[i].distance;
      fx += e * std::cos(t.trueAzimuth[i]);
      fy += e * std::sin(t.trueAzimuth[i]);
    }
    const TraverseAdjustment r = AdjustTraverse(t.input, kExact);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(r.fx, fx, 1e-7);
    EXPECT_NEAR(r.fy, fy, 1e-7);
    EXPECT_NEAR(r.fs, std::hypot(fx, fy), 1e-7);
    EXPECT_NEAR(r.sumDistance, sumD, 1e-9);
    EXPECT_EQ(r.K, std::floor(r.sumDistance / r.fs));
    double x = t.stations[0].x, y = t.stations[0].y;
    for (size_t i = 0; i < legs; ++i) {
      const AdjustedLeg& l = r.legs[i];
      EXPECT_NEAR(l.vx, -fx * l.distance / sumD, 1e-9);
      EXPECT_NEAR(l.vy, -fy * l.distance / sumD, 1e-9);
      x += l.distance * std::cos(t.trueAzimuth[i]) - fx * l.distance / sumD;
      y += l.distance * std::sin(t.trueAzimuth[i]) - fy * l.distance / sumD;
      const AdjustedStation& to = r.stations[(i + 1) % r.stations.size()];
      EXPECT_NEAR(to.x, x, 1e-6) << to.name;
      EXPECT_NEAR(to.y, y, 1e-6) << to.name;
    }
  }
}

// Right angles are 360° minus left ones: the same errors seen from the other side give the
// opposite misclosure and the same adjusted points.
TEST(TraverseAdjustment, LeftAndRightAnglesOfOneSurveyAgree) {
  for (int legs : {3, 4, 7, 12, 25, 50})
    for (TraverseKind kind : {TraverseKind::Closed, TraverseKind::Connecting}) {
      SCOPED_TRACE(std::to_string(legs));
      SyntheticTraverse t = MakeTraverse(700 + legs, kind, AngleSide::Left, legs, Orientation::Points);
      std::mt19937 rng(legs);
      std::uniform_int_distribution<int> err(-5, 5);
      for (TraverseStation& s : t.input.stations) {
        s.angle += err(rng) / kSecondsPerRadian;
        s.distance *= 1.00002;
      }
      TraverseInput right = t.input;
      right.side = AngleSide::Right;
      for (TraverseStation& s : right.stations) s.angle = 2 * test::kTruePi - s.angle;
      if (right.connectionAngle) *right.connectionAngle = 2 * test::kTruePi - *right.connectionAngle;
      const TraverseOptions exact{.closureK = 0, .correctionStepSeconds = 0, .exact = true};
      const TraverseAdjustment a = AdjustTraverse(t.input, exact), b = AdjustTraverse(right, exact);
      ASSERT_TRUE(a.ok && b.ok) << a.error << b.error;
      EXPECT_NEAR(a.fBetaSeconds, -b.fBetaSeconds, 1e-6);
      for (size_t i = 0; i < a.stations.size(); ++i) {
        EXPECT_NEAR(a.stations[i].x, b.stations[i].x, 1e-6);
        EXPECT_NEAR(a.stations[i].y, b.stations[i].y, 1e-6);
        EXPECT_NEAR(a.stations[i].correctionSeconds, -b.stations[i].correctionSeconds, 1e-6);
      }
    }
}

TEST(TraverseAdjustment, MisclosureOverItsAllowanceIsRefusedUnlessForced) {
  SyntheticTraverse t = MakeTraverse(5, TraverseKind::Connecting, AngleSide::Left, 8, Orientation::Points);
  // n = 9: the allowance is 40″·3 = 120″; 121″ in one angle is just over, 120″ just within.
  for (const auto& [seconds, allowance, over] :
       std::vector<std::tuple<double, double, bool>>{{121, 40, true}, {119, 40, false},
                                                     {-121, 40, true}, {61, 20, true},
                                                     {59, 20, false}}) {
    SCOPED_TRACE(seconds);
    TraverseInput in = t.input;
    in.stations[3].angle += seconds / kSecondsPerRadian;
    TraverseOptions opt{.allowanceSeconds = allowance, .closureK = 0, .exact = true};
    const TraverseAdjustment r = AdjustTraverse(in, opt);
    EXPECT_EQ(r.overLimit, over);
    EXPECT_EQ(r.ok, !over) << r.error;
    EXPECT_NEAR(r.fBetaSeconds, seconds, 1e-6);
    EXPECT_NEAR(r.allowanceSeconds, allowance * 3, 1e-12);
    if (over) {
      EXPECT_NE(r.error.find("超过限差 ±" + std::to_string(static_cast<int>(allowance * 3)) + ".0″"),
                std::string::npos)
          << r.error;
      opt.force = true;
      const TraverseAdjustment forced = AdjustTraverse(in, opt);
      EXPECT_TRUE(forced.ok && forced.overLimit) << forced.error;
      EXPECT_EQ(forced.legs.size(), 8u);
    }
  }
}

TEST(TraverseAdjustment, BadInputIsRefusedWithItsReason) {
  const SyntheticTraverse conn =
      MakeTraverse(11, TraverseKind::Connecting, AngleSide::Left, 4, Orientation::Points);
  const SyntheticTraverse loop =
      MakeTraverse(12, TraverseKind::Closed, AngleSide::Right, 4, Orientation::Points);
  const double nan = std::nan("");
  struct Refusal {
    const TraverseInput* base;
    std::function<void(TraverseInput&, TraverseOptions&)> spoil;
    std::string message;
  };
  const std::vector<Refusal> refusals = {
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.stations.resize(2); }, "闭合导线至少要有3个测站!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations.erase(in.stations.begin() + 1, in.stations.end() - 1); },
       "附合导线至少要有3个测站 (含起点和终点)!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations[0].name = "X"; }, "第一个测站应为起点 B!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations.back().name = "X"; }, "最后一个测站应为终点 C!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations[2].name = "P1"; }, "测站点名重复: P1!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.stations[1].name = ""; }, "测站缺少点名!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations[1].angle = 2 * test::kTruePi; }, "转折角错: P1!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations[1].angle = -1e-9; }, "转折角错: P1!"},
      {&conn.input, [=](TraverseInput& in, TraverseOptions&) { in.stations[2].angle = nan; }, "转折角错: P2!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.stations[1].distance = 0; }, "边长错: P1!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.stations.back().distance = -5; }, "边长错: P3!"},
      {&conn.input, [=](TraverseInput& in, TraverseOptions&) { in.start.y = nan; }, "起算点坐标错!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.backSight->x = in.start.x, in.backSight->y = in.start.y; },
       "后视点与起点重合!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.startAzimuth = 1.0; }, "后视点和起始方位只能给一个!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.backSight.reset(); }, "缺少后视点或起始方位!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.foreSight.reset(); }, "缺少前视点或终止方位!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.endAzimuth = 7.0; }, "前视点和终止方位只能给一个!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.foreSight.reset(), in.endAzimuth = 7.0; }, "终止方位错!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.connectionAngle = 1.0; }, "附合导线没有连接角和首边方位!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.end.name = "B"; in.stations.back().name = "B"; },
       "附合导线的终点不能是起点, 回到起点的是闭合导线!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.connectionAngle.reset(); }, "闭合导线缺少连接角!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.backSight.reset(); },
       "闭合导线缺少首边方位, 或后视点 (起始方位) 和连接角!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.firstLegAzimuth = 1.0; },
       "给了首边方位, 就不要再给后视、起始方位或连接角!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.endAzimuth = 1.0; }, "闭合导线回到起点, 没有前视点和终止方位!"},
      {&loop.input, [](TraverseInput&, TraverseOptions& opt) { opt.allowanceSeconds = 0; }, "角度闭合差限差系数应为正数!"},
      {&loop.input, [](TraverseInput&, TraverseOptions& opt) { opt.correctionStepSeconds = 0.05; },
       "角度改正数单位应为0, 或0.1″至60″之间0.1″的整数倍!"},
      {&loop.input, [](TraverseInput&, TraverseOptions& opt) { opt.correctionStepSeconds = 0.25; },
       "角度改正数单位应为0, 或0.1″至60″之间0.1″的整数倍!"},
      {&loop.input, [](TraverseInput&, TraverseOptions& opt) { opt.allowanceSeconds = 1e300; },
       "角度闭合差限差系数应小于 3600″!"},
      {&loop.input, [](TraverseInput&, TraverseOptions& opt) { opt.closureK = -1; },
       "相对闭合差限差 1/K 的 K 应为正数 (0 为不检查)!"},
      // Sizes whose millimetres no table could print.
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.start.x = 1.5e12; },
       "坐标太大: B 1500000000000 米 (坐标、边长和导线全长应小于 1e9 米)!"},
      {&conn.input, [](TraverseInput& in, TraverseOptions&) { in.foreSight->y = -1e9; },
       "坐标太大: D -1000000000 米 (坐标、边长和导线全长应小于 1e9 米)!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.stations[2].distance = 1e308; },
       "边长太大: P2 1E+308 米 (坐标、边长和导线全长应小于 1e9 米)!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { for (auto& s : in.stations) s.distance = 3e8; },
       "导线全长太大: 1200000000 米 (坐标、边长和导线全长应小于 1e9 米)!"},
      {&loop.input, [](TraverseInput& in, TraverseOptions&) { in.stations[1].distance = 0.0004; }, "边长错: P1!"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.message);
    TraverseInput in = *r.base;
    TraverseOptions opt;
    ASSERT_TRUE(AdjustTraverse(in, opt).ok);
    r.spoil(in, opt);
    const TraverseAdjustment a = AdjustTraverse(in, opt);
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.error, r.message);
    EXPECT_TRUE(a.legs.empty());
  }
}

TEST(TraverseAdjustment, CorrectionsGoInWholeStepsWithTheRestOnTheLastAngles) {
  struct Row {
    double f;
    int n;
    double step;
    std::vector<double> v;
  };
  const std::vector<Row> rows = {
      {24, 5, 1, {-4, -5, -5, -5, -5}},   // remainder of 4 seconds on the last four
      {-7, 4, 1, {1, 2, 2, 2}},
      {20, 5, 1, {-4, -4, -4, -4, -4}},
      {2.5, 4, 1, {0, -1, -1, -1}},       // f rounds half away from zero to 3″
      {0.4, 6, 1, {0, 0, 0, 0, 0, 0}},    // below half a step: nothing to spread
      {-22.4, 5, 1, {4, 4, 4, 5, 5}},
      {-45.5, 5, 1, {9, 9, 9, 9, 10}},    // 46″: half a second goes up
      {-44.5, 5, 1, {9, 9, 9, 9, 9}},     // 45″
      {0.3, 3, 0.2, {0, -0.2, -0.2}},     // 1.5 steps, not 0.3 / 0.2 = 1.4999…
      {3, 4, 0, {-0.75, -0.75, -0.75, -0.75}},  // exact
      {1.3, 3, 0.1, {-0.4, -0.4, -0.5}},
      {10, 3, 5, {0, -5, -5}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.f);
    const std::vector<double> v = DistributeAngleCorrections(r.f, r.n, r.step);
    ASSERT_EQ(v.size(), r.v.size());
    for (size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(v[i], r.v[i], 1e-12) << i;
  }
}

// The field book's figures over every kind of traverse, with errors in angles and lengths:
// angles in whole tenths, metres in whole millimetres, corrections that sum to -f, each
// within a millimetre of its share, the leftover ones on the longest legs, and every point
// the last one plus its adjusted increment, ending on the known point exactly.
TEST(TraverseAdjustment, FieldBookFiguresHoldTogetherAtTheirDigits) {
  auto mm = [](double m) { return std::llround(m * 1000); };
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(Describe(c));
    SyntheticTraverse t = MakeTraverse(c.seed, c.kind, c.side, c.legs, c.orient);
    std::mt19937 rng(c.seed + 7);
    std::uniform_int_distribution<int> tenths(-60, 60);
    std::uniform_real_distribution<double> err(-0.02, 0.02);
    for (TraverseStation& s : t.input.stations) {
      s.angle += tenths(rng) / 10.0 / kSecondsPerRadian;
      s.distance += err(rng);
    }
    const TraverseAdjustment r = AdjustTraverse(t.input, {.closureK = 0, .force = true});
    ASSERT_TRUE(r.ok) << r.error;
    const double f10 = r.fBetaSeconds * 10;
    ASSERT_EQ(f10, std::round(f10));
    double sumV = 0;
    for (const AdjustedStation& s : r.stations) {
      const double obs = s.observed * SecondsPerRadian() * 10;
      EXPECT_NEAR(obs, std::round(obs), 1e-6);
      EXPECT_NEAR((s.adjusted - s.observed) * SecondsPerRadian(), s.correctionSeconds, 1e-6);
      sumV += s.correctionSeconds;
    }
    EXPECT_EQ(std::llround(sumV), -std::llround(r.fBetaSeconds));  // no half seconds here
    long long sD = 0, svx = 0, svy = 0;
    for (const AdjustedLeg& l : r.legs) sD += mm(l.distance), svx += mm(l.vx), svy += mm(l.vy);
    EXPECT_EQ(svx, -mm(r.fx));
    EXPECT_EQ(svy, -mm(r.fy));
    long long shortestExtra = LLONG_MAX, longestPlain = 0;
    for (size_t i = 0; i < r.legs.size(); ++i) {
      const AdjustedLeg& l = r.legs[i];
      for (double v : {l.dx, l.dy, l.vx, l.vy, l.distance}) EXPECT_NEAR(v * 1000, mm(v), 1e-6);
      EXPECT_EQ(FormatPattern(l.dx, "0.000"), FormatPattern(l.distance * std::cos(l.azimuth), "0.000"));
      EXPECT_EQ(FormatPattern(l.dy, "0.000"), FormatPattern(l.distance * std::sin(l.azimuth), "0.000"));
      EXPECT_EQ(mm(l.dxAdjusted), mm(l.dx) + mm(l.vx));
      const double share = -mm(r.fx) * static_cast<double>(mm(l.distance)) / sD;
      EXPECT_LT(std::fabs(mm(l.vx) - share), 1.0);
      if (mm(l.vx) != static_cast<long long>(share)) shortestExtra = std::min(shortestExtra, mm(l.distance));
      else longestPlain = std::max(longestPlain, mm(l.distance));
      const AdjustedStation &from = r.stations[i], &to = r.stations[(i + 1) % r.stations.size()];
      EXPECT_EQ(mm(to.x), mm(from.x) + mm(l.dxAdjusted)) << to.name;
      EXPECT_EQ(mm(to.y), mm(from.y) + mm(l.dyAdjusted)) << to.name;
    }
    if (shortestExtra != LLONG_MAX) {
      EXPECT_GE(shortestExtra, longestPlain);
    }
    EXPECT_EQ(r.K, std::floor(sD / std::hypot(mm(r.fx), mm(r.fy))));
    // Unrounded, the compass rule gives the same points to a few millimetres.
    const TraverseAdjustment e = AdjustTraverse(t.input, {.closureK = 0, .force = true, .exact = true});
    for (size_t i = 0; i < r.stations.size(); ++i) {
      EXPECT_NEAR(r.stations[i].x, e.stations[i].x, 0.001 * c.legs) << r.stations[i].name;
      EXPECT_NEAR(r.stations[i].y, e.stations[i].y, 0.001 * c.legs) << r.stations[i].name;
    }
  }
}

}  // namespace
}  // namespace vantrel::adjustment
