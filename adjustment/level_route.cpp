#include "adjustment/level_route.h"

#include <algorithm>
#include <cmath>

#include "common/text_rules.h"

namespace vantrel::adjustment {

namespace {

// Half away from zero for an exact fraction num/den (den > 0).
long long RoundedQuotient(__int128 num, __int128 den) {
  const __int128 q = (2 * (num < 0 ? -num : num) + den) / (2 * den);
  return static_cast<long long>(num < 0 ? -q : q);
}

// Millimetres of a figure the field book gives to the millimetre; nullopt when finer.
std::optional<long long> Millimetres(double metres) {
  const double mm = metres * 1000;
  const double whole = std::round(mm);
  if (std::fabs(mm - whole) > 1e-6 * std::max(1.0, std::fabs(mm))) return std::nullopt;
  return static_cast<long long>(whole);
}

std::string SectionName(const LevelSection& s) { return s.from + "→" + s.to; }

std::string CheckFigure(const std::string& what, double v) {
  if (!std::isfinite(v)) return what + "不是数!";
  if (std::fabs(v) >= kLevelMaxMetres) return what + " " + GeneralNumberText(v) + " 米太大 (应小于 1e9 米)!";
  if (!Millimetres(v)) return what + " " + GeneralNumberText(v) + " 米应取至毫米!";
  return "";
}

std::string CheckRoute(const LevelRouteInput& in, const LevelRouteOptions& o) {
  const auto& s = in.sections;
  if (s.empty()) return "水准路线没有测段!";
  if (std::string e = CheckFigure("起点高程", in.startHeight); !e.empty()) return e;
  if (in.kind == LevelRouteKind::Connecting) {
    if (!in.endHeight) return "附合水准路线缺少终点的已知高程!";
    if (std::string e = CheckFigure("终点高程", *in.endHeight); !e.empty()) return e;
  }
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i].from.empty() || s[i].to.empty()) return "测段缺少点名!";
    if (s[i].from == s[i].to) return "测段 " + SectionName(s[i]) + " 起止为同一点!";
    if (i > 0 && s[i].from != s[i - 1].to)
      return "测段 " + SectionName(s[i]) + " 不接上一测段的终点 " + s[i - 1].to + "!";
    if (std::string e = CheckFigure("测段 " + SectionName(s[i]) + " 的高差", s[i].dh); !e.empty()) return e;
    if (o.distribute == LevelBasis::Length || o.allowanceBasis == LevelBasis::Length) {
      const double L = s[i].lengthKm;
      if (!(std::isfinite(L) && L > 0)) return "测段 " + SectionName(s[i]) + " 缺少长度 (应为正的公里数)!";
      if (L >= kLevelMaxMetres / 1000) return "测段 " + SectionName(s[i]) + " 的长度太大!";
    }
    if ((o.distribute == LevelBasis::Setups || o.allowanceBasis == LevelBasis::Setups) && s[i].setups <= 0)
      return "测段 " + SectionName(s[i]) + " 缺少测站数 (应为正整数)!";
  }
  if (in.kind == LevelRouteKind::Closed && s.back().to != s.front().from)
    return "闭合水准路线应回到起点 " + s.front().from + " (最后一个测段止于 " + s.back().to + ")!";
  if (in.kind == LevelRouteKind::Spur) {
    const size_t m = s.size() / 2;
    if (s.size() % 2) return "支水准路线应往返观测: 测段数应为偶数 (往测、返测各一半)!";
    for (size_t j = 0; j < m; ++j)
      if (s[m + j].from != s[m - 1 - j].to || s[m + j].to != s[m - 1 - j].from)
        return "支水准路线的返测测段 " + SectionName(s[m + j]) + " 应为往测 " + SectionName(s[m - 1 - j]) + " 的反向!";
  }
  return "";
}

}  // namespace

const std::vector<LevelGrade>& LevelGrades() {
  static const std::vector<LevelGrade> grades = {
      {"二等", 4, 0}, {"三等", 12, 4}, {"四等", 20, 6}, {"图根", 40, 12}};
  return grades;
}

const LevelGrade* FindLevelGrade(std::string_view name) {
  if (name == "等外") name = "图根";
  for (const LevelGrade& g : LevelGrades())
    if (name == g.name) return &g;
  return nullptr;
}

LevelRouteResult AdjustLevelRoute(const LevelRouteInput& in, const LevelRouteOptions& options) {
  LevelRouteResult r;
  r.options = options;
  const LevelGrade* grade = options.grade.empty() ? nullptr : FindLevelGrade(options.grade);
  if (options.coefficient) {
    if (!(std::isfinite(*options.coefficient) && *options.coefficient > 0 && *options.coefficient < 1e6)) {
      r.error = "限差系数应为正数 (毫米)!";
      return r;
    }
    r.coefficient = *options.coefficient;
  } else if (!grade) {
    r.error = "未知的水准等级: " + options.grade + " (可用: 二等、三等、四等、图根)!";
    return r;
  } else {
    r.coefficient = options.allowanceBasis == LevelBasis::Length ? grade->perKm : grade->perSetup;
    if (r.coefficient == 0) {
      r.error = std::string(grade->name) + "水准的限差只按路线长度 (±" + GeneralNumberText(grade->perKm) +
                "√L 毫米), 没有按测站数的!";
      return r;
    }
  }
  if (std::string e = CheckRoute(in, options); !e.empty()) {
    r.error = e;
    return r;
  }

  const bool spur = in.kind == LevelRouteKind::Spur;
  const size_t k = spur ? in.sections.size() / 2 : in.sections.size();
  std::vector<long long> h(k), weights(k);
  long long sumH = 0, fh = 0;
  for (size_t i = 0; i < in.sections.size(); ++i) {
    const long long mm = *Millimetres(in.sections[i].dh);
    fh += mm;
    if (i < k) h[i] = mm, sumH += mm;
  }
  const long long H0 = *Millimetres(in.startHeight);
  if (in.kind == LevelRouteKind::Connecting) fh -= *Millimetres(*in.endHeight) - H0;
  for (size_t i = 0; i < k; ++i) {
    const LevelSection& s = in.sections[i];
    r.sumLength += s.lengthKm;
    r.sumSetups += s.setups;
    weights[i] = options.distribute == LevelBasis::Length ? std::llround(s.lengthKm * 1e6) : s.setups;
  }
  r.fh = fh / 1000.0;
  r.sumObserved = sumH / 1000.0;
  const double amount = options.allowanceBasis == LevelBasis::Length ? r.sumLength : r.sumSetups;
  r.allowance = std::round(r.coefficient * std::sqrt(amount) * 10) / 10 / 1000;
  const double unit = options.distribute == LevelBasis::Length ? r.sumLength : r.sumSetups;
  r.perUnit = -static_cast<double>(fh) / unit;
  r.overLimit = std::llabs(fh) > std::llround(r.allowance * 1e4) / 10.0;
  if (r.overLimit && !options.force) {
    r.error = "高差闭合差 " + GeneralNumberText(static_cast<double>(fh)) + " 毫米超限 (限差 ±" +
              GeneralNumberText(r.allowance * 1000) + " 毫米)!";
    return r;
  }

  std::vector<long long> v;
  std::vector<bool> took(k, false);
  if (spur) {
    // Each section takes the mean of its two runs, with the outward sign.
    for (size_t i = 0; i < k; ++i) {
      const long long d = h[i] + *Millimetres(in.sections[2 * k - 1 - i].dh);
      v.push_back(-RoundedQuotient(d, 2));
    }
  } else {
    v = ForcedShares(fh, weights, &took, options.rounding);
  }
  long long H = H0;
  r.names.push_back(in.sections.front().from);
  r.heights.push_back(H0 / 1000.0);
  for (size_t i = 0; i < k; ++i) {
    const LevelSection& s = in.sections[i];
    AdjustedSection a{s.from, s.to, s.lengthKm, s.setups, h[i] / 1000.0, std::nullopt,
                      v[i] / 1000.0, (h[i] + v[i]) / 1000.0, took[i]};
    if (spur) a.back = in.sections[2 * k - 1 - i].dh;
    r.sections.push_back(a);
    H += h[i] + v[i];
    r.names.push_back(s.to);
    r.heights.push_back(H / 1000.0);
  }
  r.ok = true;
  return r;
}

}  // namespace vantrel::adjustment
