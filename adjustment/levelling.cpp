#include "adjustment/levelling.h"

#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "adjustment/sparse_normal.h"
#include "adjustment/statistics.h"

namespace vantrel::adjustment {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

LevellingResult Fail(std::string text) {
  LevellingResult result;
  result.error = std::move(text);
  return result;
}

double LineSigma(const LevelLine& line) { return line.sigma * std::sqrt(line.amount); }

}  // namespace

LevellingResult AdjustLevelling(const std::vector<LevelPoint>& points,
                                const std::vector<LevelLine>& lines,
                                const LevellingOptions& options) {
  if (!(options.sigma0 > 0)) return Fail("单位权中误差必须是正数");
  const int n = static_cast<int>(points.size());
  const bool free = options.datum == Datum::Free;
  std::unordered_map<std::string, int> index;
  index.reserve(points.size());
  for (int i = 0; i < n; ++i) {
    if (!index.emplace(points[i].name, i).second)
      return Fail("点名重复：" + points[i].name);
  }
  std::vector<std::array<int, 2>> ends(lines.size());
  std::vector<std::vector<int>> touching(n);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const LevelLine& line = lines[k];
    for (int e = 0; e < 2; ++e) {
      const std::string& name = e == 0 ? line.from : line.to;
      const auto at = index.find(name);
      if (at == index.end())
        return Fail("第 " + std::to_string(k + 1) + " 条水准路线的点名未知：" + name);
      ends[k][e] = at->second;
    }
    if (ends[k][0] == ends[k][1])
      return Fail("第 " + std::to_string(k + 1) + " 条水准路线从 " + line.from + " 到 " + line.to +
                  "：观测不能从一个点到它自己");
    if (!std::isfinite(line.dh))
      return Fail("第 " + std::to_string(k + 1) + " 条水准路线的高差不是有限数");
    if (!(LineSigma(line) > 0))
      return Fail("第 " + std::to_string(k + 1) + " 条水准路线的中误差不是正数（路线长或测站数有误）");
    touching[ends[k][0]].push_back(static_cast<int>(k));
    touching[ends[k][1]].push_back(static_cast<int>(k));
  }

  // Which heights are unknowns; in a free network one datum point is held for the solution
  // and the minimum-norm condition is restored afterwards.
  std::vector<bool> held(n, false);
  std::vector<int> datumPoints;
  int knownCount = 0;
  for (int i = 0; i < n; ++i) {
    if (points[i].knownHeight) ++knownCount;
    if (!free && points[i].knownHeight && !(points[i].knownSigma > 0)) held[i] = true;
  }
  if (free) {
    for (const std::string& name : options.datumPoints) {
      const auto at = index.find(name);
      if (at == index.end()) return Fail("自由网基准点的点名未知：" + name);
      datumPoints.push_back(at->second);
    }
    if (datumPoints.empty())
      for (int i = 0; i < n; ++i) datumPoints.push_back(i);
    if (datumPoints.empty()) return Fail("网中没有点");
    held[datumPoints.front()] = true;
  } else if (knownCount == 0) {
    return Fail("已知高程点不足：固定基准的平差至少需要一个已知高程点（或改用自由网平差）");
  }
  for (int i = 0; i < n; ++i) {
    if (touching[i].empty() && !(held[i] && !free))
      return Fail("点 " + points[i].name + " 没有任何水准路线到达，高程无法确定");
  }

  // Approximate heights along the lines from the known heights (free: from the datum point).
  std::vector<double> h0(n, kNaN);
  std::vector<int> queue;
  for (int i = 0; i < n; ++i) {
    const bool seed = free ? i == datumPoints.front() : points[i].knownHeight.has_value();
    if (seed) {
      h0[i] = points[i].knownHeight.value_or(0.0);
      queue.push_back(i);
    }
  }
  for (std::size_t q = 0; q < queue.size(); ++q) {
    const int i = queue[q];
    for (int k : touching[i]) {
      const bool forward = ends[k][0] == i;
      const int j = ends[k][forward ? 1 : 0];
      if (!std::isnan(h0[j])) continue;
      h0[j] = h0[i] + (forward ? lines[k].dh : -lines[k].dh);
      queue.push_back(j);
    }
  }
  for (int i = 0; i < n; ++i) {
    if (std::isnan(h0[i]))
      return Fail(free ? "点 " + points[i].name + " 与网的其余部分之间没有水准路线，高程无法确定"
                       : "点 " + points[i].name + " 与已知高程点之间没有水准路线相连，高程无法确定");
  }

  // A free network keeps the mean of its chosen points' approximate heights: their known
  // heights where they have them.
  if (free) {
    for (int i = 0; i < n; ++i)
      if (points[i].knownHeight) h0[i] = *points[i].knownHeight;
  }

  std::vector<int> unknown(n, -1);
  std::vector<int> pointOf;
  for (int i = 0; i < n; ++i) {
    if (held[i]) continue;
    unknown[i] = static_cast<int>(pointOf.size());
    pointOf.push_back(i);
  }
  const int u = static_cast<int>(pointOf.size());

  // Observation rows: every line, and every known height given with a σ (fixed datum).
  struct Row {
    int count = 0;
    std::array<int, 2> unknowns{};
    std::array<double, 2> coefficients{};
    double l = 0, p = 0;
  };
  const double s0sq = options.sigma0 * options.sigma0;
  std::vector<Row> rows;
  rows.reserve(lines.size() + knownCount);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    Row row;
    for (int e = 0; e < 2; ++e) {
      const int x = unknown[ends[k][e]];
      if (x < 0) continue;
      row.unknowns[row.count] = x;
      row.coefficients[row.count++] = e == 0 ? -1.0 : 1.0;
    }
    row.l = lines[k].dh - (h0[ends[k][1]] - h0[ends[k][0]]);
    const double sigma = LineSigma(lines[k]);
    row.p = s0sq / (sigma * sigma);
    rows.push_back(row);
  }
  if (!free) {
    for (int i = 0; i < n; ++i) {
      if (!points[i].knownHeight || !(points[i].knownSigma > 0)) continue;
      Row row;
      row.count = 1;
      row.unknowns[0] = unknown[i];
      row.coefficients[0] = 1.0;
      row.l = *points[i].knownHeight - h0[i];
      row.p = s0sq / (points[i].knownSigma * points[i].knownSigma);
      rows.push_back(row);
    }
  }
  const int dof = static_cast<int>(rows.size()) - u;
  if (dof <= 0) return Fail("没有多余观测（自由度为 0），无法平差和评定精度");

  NormalEquations normal(u);
  for (const Row& row : rows)
    normal.AddRow({row.unknowns.data(), std::size_t(row.count)},
                  {row.coefficients.data(), std::size_t(row.count)}, row.l, row.p);
  SparseFactor factor;
  const FactorStatus status = factor.Factorize(normal);
  if (!status.ok && status.brokenUnknown < 0) return Fail("法方程无法分解（内存不足？）");
  if (!status.ok)
    return Fail("点 " + points[pointOf[status.brokenUnknown]].name + " 的高程不能由观测确定");
  const Eigen::VectorXd x = factor.Solve(normal.RightHandSide());
  factor.SelectInverse();

  // Free network: x and Q with the datum point held are carried over to the solution whose
  // corrections sum to zero over the chosen points: x - 1·(gᵀx)/s, and Q(i,j) - (y_i + y_j)/s
  // + gᵀy/s² with y = Q g, g the chosen points' indicator, s their number.
  std::vector<double> shiftQ(u, 0.0);
  double shiftX = 0, gy = 0, count = 0;
  if (free) {
    Eigen::VectorXd g = Eigen::VectorXd::Zero(u);
    for (int i : datumPoints) {
      if (unknown[i] >= 0) g[unknown[i]] = 1.0;
    }
    count = static_cast<double>(datumPoints.size());
    const Eigen::VectorXd y = factor.Solve(g);
    gy = g.dot(y);
    shiftX = g.dot(x) / count;
    for (int k = 0; k < u; ++k) shiftQ[k] = y[k] / count;
  }

  LevellingResult result;
  double vpv = 0;
  result.lines.resize(lines.size());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Row& row = rows[k];
    double ax = 0;
    for (int a = 0; a < row.count; ++a) ax += row.coefficients[a] * x[row.unknowns[a]];
    const double v = ax - row.l;
    vpv += row.p * v * v;
    if (k >= lines.size()) continue;
    AdjustedLevelLine& out = result.lines[k];
    out.residual = v;
    out.dh = lines[k].dh + v;
  }
  result.degreesOfFreedom = dof;
  result.sigma0 = std::sqrt(vpv / dof);
  result.chiSquare = vpv / s0sq;
  result.chiSquareLower = ChiSquareQuantile(0.025, dof);
  result.chiSquareUpper = ChiSquareQuantile(0.975, dof);
  result.globalTestPassed =
      result.chiSquare >= result.chiSquareLower && result.chiSquare <= result.chiSquareUpper;
  const double scale = options.scaleByAPosteriori ? result.sigma0 : options.sigma0;

  result.points.resize(n);
  for (int i = 0; i < n; ++i) {
    AdjustedLevelPoint& out = result.points[i];
    out.name = points[i].name;
    const int k = unknown[i];
    out.unknown = k >= 0 || free;
    const double xi = k >= 0 ? x[k] : 0.0;
    out.height = h0[i] + xi - shiftX;
    double q = k >= 0 ? factor.Inverse(k, k) : 0.0;
    if (free) q += -2 * (k >= 0 ? shiftQ[k] : 0.0) + gy / (count * count);
    out.sigma = scale * std::sqrt(std::max(q, 0.0));
  }

  double largest = 0;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const Row& row = rows[k];
    // Lines see only height differences, on which the datum has no bearing.
    const double q = row.count == 0 ? 0.0
                                    : factor.Quadratic({row.unknowns.data(), std::size_t(row.count)},
                                                       {row.coefficients.data(), std::size_t(row.count)});
    AdjustedLevelLine& out = result.lines[k];
    out.sigmaAdjusted = scale * std::sqrt(std::max(q, 0.0));
    out.redundancy = 1 - row.p * q;
    out.standardized = kNaN;
    if (out.redundancy > 1e-10) {
      const double qvv = 1 / row.p - q;
      out.standardized = out.residual / (options.sigma0 * std::sqrt(qvv));
      const double size = std::fabs(out.standardized);
      if (size > kDataSnoopingCritical && size > largest) {
        largest = size;
        result.suspectLine = static_cast<int>(k);
      }
    }
  }
  result.ok = true;
  return result;
}

}  // namespace vantrel::adjustment
