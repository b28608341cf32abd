// Levelling routes: published worked examples, generated routes (exact data closes to zero,
// noisy data adds up at the printed millimetres), the allowance table at its edges, refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "adjustment/forced_shares.h"
#include "adjustment/level_route.h"

namespace vantrel::adjustment {
namespace {

long long Mm(double metres) { return std::llround(metres * 1000); }

struct Worked {
  const char* source;
  LevelRouteKind kind;
  LevelBasis basis;
  double start;
  std::optional<double> end;
  std::vector<LevelSection> sections;
  long long fh;                      // mm
  std::vector<long long> v;          // mm, as published (empty: not published)
  std::vector<double> heights;       // published, from the start; NaN: not published
  ShareRounding rounding = ShareRounding::Nearest;
};

TEST(LevelRouteTest, PublishedWorkedExamplesAtTheirPrintedDigits) {
  const double nan = std::nan("");
  const std::vector<Worked> cases = {
      // 测量学 exercise answer, 表20 水准测量高程调整表 (connecting, by set-ups), as reproduced on
      // download.cucdc.com (wenku page 7b9e7d65...): f_h = -18 mm, +1 mm a set-up.
      {"cucdc 表20", LevelRouteKind::Connecting, LevelBasis::Setups, 5.612, 5.412,
       {{"BMa", "1", +0.100, 0, 6}, {"1", "2", -0.620, 0, 5}, {"2", "BMb", +0.302, 0, 7}},
       -18, {6, 5, 7}, {5.612, 5.718, 5.103, 5.412}},
      // Closed route A-B-C-D-E-A, ΣL = 12 km, f_h = -24 mm (weikao.com 真题 119098); its observed
      // differences are those the published corrections and heights give back.
      {"weikao 119098", LevelRouteKind::Closed, LevelBasis::Length, 41.200, std::nullopt,
       {{"A", "B", -1.418, 1.0, 0}, {"B", "C", -2.452, 3.0, 0}, {"C", "D", +2.057, 2.0, 0},
        {"D", "E", +0.778, 3.5, 0}, {"E", "A", +1.011, 2.5, 0}},
       -24, {2, 6, 4, 7, 5}, {41.200, 39.784, 37.338, 39.399, 40.184, 41.200}},
      // 表2-4 附合水准路线计算 (P24), a 水准路线计算 handout on 360docs.net (doc 0714156297):
      // f_h = +43 mm over 4.0 km, -10.75 mm a km; the 0.8 km section keeps -8 mm (share -8.6).
      {"表2-4 (P24)", LevelRouteKind::Connecting, LevelBasis::Length, 10.723, 11.730,
       {{"BMA", "1", +2.432, 1.0, 0}, {"1", "2", +1.987, 1.2, 0}, {"2", "3", -1.503, 0.8, 0},
        {"3", "BMB", -1.866, 1.0, 0}},
       43, {-11, -13, -8, -11}, {10.723, nan, nan, nan, 11.730}, ShareRounding::TowardZero},
      // Exam answer, 附合水准路线的成果计算 by set-ups (download.cucdc.com, wenku page bb1c7322...):
      // f_h = +30 mm over 20 set-ups; the 6-set-up section prints -8 mm (its share is -9): the
      // shares rounded to -9, -8, -8, -6 give back 1 mm on the longest.
      {"cucdc bb1c7322", LevelRouteKind::Connecting, LevelBasis::Setups, 421.326, 425.062,
       {{"BMA", "1", +0.152, 0, 6}, {"1", "2", -0.325, 0, 5}, {"2", "3", +1.428, 0, 5},
        {"3", "BMB", +2.511, 0, 4}},
       30, {-8, -8, -8, -6}, {421.326, 421.470, 421.137, 422.557, 425.062}},
  };
  for (const Worked& w : cases) {
    SCOPED_TRACE(w.source);
    LevelRouteOptions o;
    o.distribute = o.allowanceBasis = w.basis;
    o.rounding = w.rounding;
    const LevelRouteResult r = AdjustLevelRoute({w.kind, w.start, w.end, w.sections}, o);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Mm(r.fh), w.fh);
    for (size_t i = 0; i < w.v.size(); ++i) EXPECT_EQ(Mm(r.sections[i].correction), w.v[i]) << i;
    ASSERT_EQ(r.heights.size(), w.heights.size());
    for (size_t i = 0; i < w.heights.size(); ++i)
      if (!std::isnan(w.heights[i])) {
        EXPECT_EQ(Mm(r.heights[i]), Mm(w.heights[i])) << i;
      }
  }
}

TEST(LevelRouteTest, LeftoverGoesToTheLongestSections) {
  // f_h = +66 mm over 1.5 .. 1.6 km: the cut shares sum to -61, the five longest take one more;
  // the rounded ones sum to -67 and the longest gives one back.
  const std::vector<long long> km = {1500, 600, 800, 1000, 1200, 1600};
  std::vector<bool> took;
  EXPECT_EQ(ForcedShares(66, km, &took), (std::vector<long long>{-15, -5, -8, -10, -12, -16}));
  EXPECT_EQ(took, (std::vector<bool>{true, false, true, true, true, true}));
  EXPECT_EQ(ForcedShares(66, km, &took, ShareRounding::Nearest), (std::vector<long long>{-15, -6, -8, -10, -12, -15}));
  EXPECT_EQ(took, (std::vector<bool>{false, false, false, false, false, true}));
  // Equal sections: the first of the equals takes the leftover; halves round away from zero.
  EXPECT_EQ(ForcedShares(-1, {5, 5, 5}), (std::vector<long long>{1, 0, 0}));
  EXPECT_EQ(ForcedShares(3, {1, 1}, nullptr, ShareRounding::Nearest), (std::vector<long long>{-1, -2}));
}

TEST(LevelRouteTest, GeneratedRoutesCloseAndAddUp) {
  std::mt19937_64 rng(25);
  for (int trial = 0; trial < 400; ++trial) {
    const int k = 2 + trial % 8;
    const LevelRouteKind kind = trial % 2 ? LevelRouteKind::Closed : LevelRouteKind::Connecting;
    const bool exact = trial % 4 < 2;
    std::uniform_int_distribution<long long> height(-500000, 3000000), noise(-15, 15);
    std::uniform_int_distribution<int> len(1, 4000), n(1, 40);
    std::vector<long long> H(k + 1);
    for (auto& h : H) h = height(rng);
    if (kind == LevelRouteKind::Closed) H[k] = H[0];
    LevelRouteInput in{kind, H[0] / 1000.0, H[k] / 1000.0, {}};
    for (int i = 0; i < k; ++i) {
      const long long dh = H[i + 1] - H[i] + (exact ? 0 : noise(rng));
      in.sections.push_back({"P" + std::to_string(i), i + 1 == k && kind == LevelRouteKind::Closed ? "P0" : "P" + std::to_string(i + 1),
                             dh / 1000.0, len(rng) / 1000.0, n(rng)});
    }
    LevelRouteOptions o;
    o.distribute = o.allowanceBasis = trial % 3 ? LevelBasis::Length : LevelBasis::Setups;
    o.force = true;
    o.rounding = trial % 5 ? ShareRounding::Nearest : ShareRounding::TowardZero;
    const double within = o.rounding == ShareRounding::Nearest ? 1.5 : 1.0;
    const LevelRouteResult r = AdjustLevelRoute(in, o);
    ASSERT_TRUE(r.ok) << r.error;
    long long sumV = 0, sumW = 0, fh = Mm(r.fh);
    for (const auto& s : in.sections) sumW += o.distribute == LevelBasis::Length ? Mm(s.lengthKm) : s.setups;
    for (int i = 0; i < k; ++i) {
      const auto& s = r.sections[i];
      const long long v = Mm(s.correction);
      sumV += v;
      EXPECT_EQ(Mm(s.adjusted), Mm(s.dh) + v);
      EXPECT_EQ(Mm(r.heights[i]) + Mm(s.adjusted), Mm(r.heights[i + 1]));
      const double w = o.distribute == LevelBasis::Length ? Mm(in.sections[i].lengthKm) : in.sections[i].setups;
      EXPECT_LE(std::fabs(v + double(fh) * w / sumW), within + 1e-9) << trial;
      if (exact) {
        EXPECT_EQ(Mm(r.heights[i + 1]), H[i + 1]);
      }
    }
    EXPECT_EQ(sumV, -fh);
    if (exact) {
      EXPECT_EQ(fh, 0);
    }
    EXPECT_EQ(Mm(r.heights.back()), H[k]);
  }
}

TEST(LevelRouteTest, AllowanceTableAtItsEdges) {
  // L = 4 km (√L = 2) and n = 16 (√n = 4): each allowance is whole millimetres.
  struct Edge {
    const char* grade;
    LevelBasis basis;
    long long allowed;  // mm
  };
  const Edge edges[] = {{"二等", LevelBasis::Length, 8},  {"三等", LevelBasis::Length, 24},
                        {"三等", LevelBasis::Setups, 16}, {"四等", LevelBasis::Length, 40},
                        {"四等", LevelBasis::Setups, 24}, {"图根", LevelBasis::Length, 80},
                        {"图根", LevelBasis::Setups, 48}, {"等外", LevelBasis::Setups, 48}};
  for (const Edge& e : edges) {
    for (long long f : {e.allowed, -e.allowed, e.allowed + 1, -e.allowed - 1}) {
      SCOPED_TRACE(std::string(e.grade) + " f=" + std::to_string(f));
      LevelRouteInput in{LevelRouteKind::Closed, 10, std::nullopt,
                         {{"A", "B", 1.0 + f / 1000.0, 2.5, 10}, {"B", "A", -1.0, 1.5, 6}}};
      LevelRouteOptions o;
      o.grade = e.grade;
      o.distribute = o.allowanceBasis = e.basis;
      LevelRouteResult r = AdjustLevelRoute(in, o);
      const bool over = std::llabs(f) > e.allowed;
      EXPECT_EQ(r.ok, !over) << r.error;
      EXPECT_EQ(r.overLimit, over);
      EXPECT_EQ(Mm(r.allowance), e.allowed);
      if (over) {
        EXPECT_NE(r.error.find("超限"), std::string::npos);
        o.force = true;
        r = AdjustLevelRoute(in, o);
        EXPECT_TRUE(r.ok && r.overLimit);
      }
    }
  }
  LevelRouteOptions second;
  second.grade = "二等";
  second.distribute = second.allowanceBasis = LevelBasis::Setups;
  EXPECT_NE(AdjustLevelRoute({LevelRouteKind::Closed, 0, {}, {{"A", "B", 1, 0, 3}, {"B", "A", -1, 0, 3}}}, second)
                .error.find("没有按测站数"), std::string::npos);
  LevelRouteOptions custom;
  custom.coefficient = 5;  // ±5√4 = 10 mm
  EXPECT_TRUE(AdjustLevelRoute({LevelRouteKind::Closed, 0, {}, {{"A", "B", 1.010, 2, 0}, {"B", "A", -1, 2, 0}}}, custom).ok);
  EXPECT_FALSE(AdjustLevelRoute({LevelRouteKind::Closed, 0, {}, {{"A", "B", 1.011, 2, 0}, {"B", "A", -1, 2, 0}}}, custom).ok);
}

TEST(LevelRouteTest, SpurTakesTheMeanOfItsRuns) {
  const LevelRouteInput in{LevelRouteKind::Spur, 50.000, std::nullopt,
                           {{"A", "1", +1.234, 0.8, 0}, {"1", "2", -0.512, 0.5, 0},
                            {"2", "1", +0.515, 0.5, 0}, {"1", "A", -1.237, 0.8, 0}}};
  const LevelRouteResult r = AdjustLevelRoute(in);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Mm(r.fh), 0);  // +1.234 - 0.512 + 0.515 - 1.237
  EXPECT_NEAR(r.sumLength, 1.3, 1e-12);
  ASSERT_EQ(r.sections.size(), 2u);
  EXPECT_EQ(Mm(r.sections[0].correction), 2);   // mean 1.2355 -> 1.236 (half away from zero)
  EXPECT_EQ(Mm(r.sections[1].correction), -2);  // mean -0.5135 -> -0.514
  EXPECT_EQ(Mm(r.heights.back()), 50000 + 1236 - 514);
}

TEST(LevelRouteTest, RefusesBadInputWithItsReason) {
  const double nan = std::nan("");
  struct Bad {
    LevelRouteInput in;
    const char* reason;
  };
  const Bad bad[] = {
      {{LevelRouteKind::Closed, 1, {}, {}}, "没有测段"},
      {{LevelRouteKind::Closed, nan, {}, {{"A", "B", 1, 1, 0}, {"B", "A", -1, 1, 0}}}, "起点高程不是数"},
      {{LevelRouteKind::Closed, 1e9, {}, {{"A", "B", 1, 1, 0}, {"B", "A", -1, 1, 0}}}, "太大"},
      {{LevelRouteKind::Closed, 1, {}, {{"A", "B", 1.0004, 1, 0}, {"B", "A", -1, 1, 0}}}, "应取至毫米"},
      {{LevelRouteKind::Closed, 1, {}, {{"A", "B", 1, 1, 0}, {"B", "C", -1, 1, 0}}}, "应回到起点"},
      {{LevelRouteKind::Closed, 1, {}, {{"A", "B", 1, 1, 0}, {"C", "A", -1, 1, 0}}}, "不接上一测段"},
      {{LevelRouteKind::Connecting, 1, {}, {{"A", "B", 1, 1, 0}}}, "缺少终点"},
      {{LevelRouteKind::Connecting, 1, 2, {{"A", "B", 1, 0, 0}}}, "缺少长度"},
      {{LevelRouteKind::Spur, 1, {}, {{"A", "B", 1, 1, 0}}}, "偶数"},
      {{LevelRouteKind::Spur, 1, {}, {{"A", "B", 1, 1, 0}, {"B", "C", -1, 1, 0}}}, "反向"},
  };
  for (const Bad& b : bad) {
    const LevelRouteResult r = AdjustLevelRoute(b.in);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(b.reason), std::string::npos) << r.error;
  }
}

}  // namespace
}  // namespace vantrel::adjustment
