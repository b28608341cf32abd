#include "adjustment/traverse_adjustment.h"

#include "adjustment/forced_shares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "plane/plane_helpers.h"

namespace vantrel::adjustment {

namespace {

// Angles are reckoned in tenths of an arc second: whole numbers in a field book, so that
// sums and differences are exact in a double.
constexpr double kTurnInTenths = 12960000;
constexpr double kHalfTurnInTenths = kTurnInTenths / 2;

double TenthsPerRadian() { return 10 * SecondsPerRadian(); }
double Radians(double tenths) { return tenths / TenthsPerRadian(); }

// Into [0, 360°), and a misclosure into (-180°, 180°].
double Wrap(double t) {
  t = std::fmod(t, kTurnInTenths);
  return t < 0 ? t + kTurnInTenths : t;
}
double Misclosure(double t) {
  t = Wrap(t);
  return t > kHalfTurnInTenths ? t - kTurnInTenths : t;
}

// The leaving azimuths along a chain of stations, from the azimuth of the leg arriving at
// the first: α_forward = α_arriving + β_left - 180° = α_arriving - β_right + 180°.
std::vector<double> Walk(double arriving, const std::vector<double>& angles, bool left) {
  std::vector<double> out;
  out.reserve(angles.size());
  for (double a : angles) {
    arriving = Wrap(left ? arriving + a - kHalfTurnInTenths : arriving - a + kHalfTurnInTenths);
    out.push_back(arriving);
  }
  return out;
}

// A figure as the tables print it, as a whole number of its last digit: "0.000" gives
// millimetres, "0.0" tenths (half away from zero on the 15-digit text).
long long PrintedUnits(double value, const char* pattern) {
  std::string text = FormatPattern(value, pattern);
  std::erase(text, '.');
  return std::stoll(text);
}

// num / den (den > 0) rounded half away from zero, exactly.
long long DivideRounded(__int128 num, __int128 den) {
  __int128 q = num / den, r = num % den;
  if (2 * (r < 0 ? -r : r) >= den) q += num < 0 ? -1 : 1;
  return static_cast<long long>(q);
}

bool IsAngle(double a) { return std::isfinite(a) && a >= 0 && a < kCalculatorPi.twoPi; }
bool IsPointFinite(const TraversePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Sizes whose millimetres the tables could not print (see kTraverseMaxMetres).
std::string TooLarge(const std::string& what, double v) {
  return what + " " + GeneralNumberText(v) + " 米 (坐标、边长和导线全长应小于 1e9 米)!";
}
std::string CheckSize(const TraversePoint& p) {
  for (double v : {p.x, p.y})
    if (std::fabs(v) >= kTraverseMaxMetres) return TooLarge("坐标太大: " + p.name, v);
  return "";
}

std::string CheckOrientation(const TraverseInput& in) {
  const bool closed = in.kind == TraverseKind::Closed;
  const bool back = in.backSight || in.startAzimuth;
  if (in.backSight && in.startAzimuth) return "后视点和起始方位只能给一个!";
  if (in.backSight) {
    if (!IsPointFinite(*in.backSight)) return "后视点坐标错!";
    if (Xy2d(in.start.x, in.start.y, in.backSight->x, in.backSight->y) < 1e-6)
      return "后视点与起点重合!";
  }
  if (in.startAzimuth && !IsAngle(*in.startAzimuth)) return "起始方位错!";
  if (closed) {
    if (in.foreSight || in.endAzimuth) return "闭合导线回到起点, 没有前视点和终止方位!";
    if (in.firstLegAzimuth) {
      if (back || in.connectionAngle) return "给了首边方位, 就不要再给后视、起始方位或连接角!";
      if (!IsAngle(*in.firstLegAzimuth)) return "首边方位错!";
      return "";
    }
    if (!back) return "闭合导线缺少首边方位, 或后视点 (起始方位) 和连接角!";
    if (!in.connectionAngle) return "闭合导线缺少连接角!";
    if (!IsAngle(*in.connectionAngle)) return "连接角错!";
    return "";
  }
  if (in.connectionAngle || in.firstLegAzimuth) return "附合导线没有连接角和首边方位!";
  if (!back) return "缺少后视点或起始方位!";
  if (!IsPointFinite(in.end)) return "终点坐标错!";
  if (in.foreSight && in.endAzimuth) return "前视点和终止方位只能给一个!";
  if (!in.foreSight && !in.endAzimuth) return "缺少前视点或终止方位!";
  if (in.foreSight) {
    if (!IsPointFinite(*in.foreSight)) return "前视点坐标错!";
    if (Xy2d(in.end.x, in.end.y, in.foreSight->x, in.foreSight->y) < 1e-6)
      return "前视点与终点重合!";
  }
  if (in.endAzimuth && !IsAngle(*in.endAzimuth)) return "终止方位错!";
  return "";
}

std::string CheckInput(const TraverseInput& in, const TraverseOptions& opt) {
  const bool closed = in.kind == TraverseKind::Closed;
  const auto& st = in.stations;
  if (!(std::isfinite(opt.allowanceSeconds) && opt.allowanceSeconds > 0))
    return "角度闭合差限差系数应为正数!";
  // ±1° per √n is no allowance any grade knows; the printed figure stays a figure.
  if (opt.allowanceSeconds > 3600) return "角度闭合差限差系数应小于 3600″!";
  if (!(std::isfinite(opt.closureK) && opt.closureK >= 0))
    return "相对闭合差限差 1/K 的 K 应为正数 (0 为不检查)!";
  if (!IsCorrectionStep(opt.correctionStepSeconds))
    return "角度改正数单位应为0, 或0.1″至60″之间0.1″的整数倍!";
  if (in.start.name.empty()) return "起点缺少点名!";
  if (!IsPointFinite(in.start)) return "起算点坐标错!";
  if (st.size() < 3)
    return closed ? "闭合导线至少要有3个测站!" : "附合导线至少要有3个测站 (含起点和终点)!";
  if (st.front().name != in.start.name) return "第一个测站应为起点 " + in.start.name + "!";
  if (!closed) {
    if (in.end.name.empty()) return "终点缺少点名!";
    if (st.back().name != in.end.name) return "最后一个测站应为终点 " + in.end.name + "!";
    if (in.end.name == in.start.name) return "附合导线的终点不能是起点, 回到起点的是闭合导线!";
  }
  std::set<std::string> seen;
  double total = 0;
  for (size_t i = 0; i < st.size(); ++i) {
    const TraverseStation& s = st[i];
    if (s.name.empty()) return "测站缺少点名!";
    if (!seen.insert(s.name).second) return "测站点名重复: " + s.name + "!";
    if (!IsAngle(s.angle)) return "转折角错: " + s.name + "!";
    const bool hasLeg = closed || i + 1 < st.size();
    if (!hasLeg) continue;
    if (!(std::isfinite(s.distance) && s.distance > 0)) return "边长错: " + s.name + "!";
    if (s.distance >= kTraverseMaxMetres) return TooLarge("边长太大: " + s.name, s.distance);
    // A field book keeps lengths to the millimetre: a shorter leg is no leg.
    if (!opt.exact && PrintedUnits(s.distance, "0.000") == 0) return "边长错: " + s.name + "!";
    total += s.distance;
  }
  if (total >= kTraverseMaxMetres) return TooLarge("导线全长太大:", total);
  for (const TraversePoint* p : {&in.start, in.backSight ? &*in.backSight : nullptr,
                                 closed ? nullptr : &in.end, in.foreSight ? &*in.foreSight : nullptr})
    if (p && IsPointFinite(*p))
      if (std::string e = CheckSize(*p); !e.empty()) return e;
  return CheckOrientation(in);
}


std::string SecondsText(double seconds) { return FormatPattern(seconds, "0.0") + "″"; }

// The corrections in tenths: -f rounded to whole steps half away from zero, the same number
// of steps on every angle, the steps left over one each on the last angles.
std::vector<double> DistributeTenths(long long fTenths, int n, long long stepTenths) {
  std::vector<double> v(n, 0.0);
  const long long units = DivideRounded(-fTenths, stepTenths);
  const long long each = units / n;         // toward zero
  const long long rest = units - each * n;  // the sign of units, fewer than n steps
  for (int i = 0; i < n; ++i) v[i] = static_cast<double>(each * stepTenths);
  const long long restCount = rest < 0 ? -rest : rest;
  for (long long k = 0; k < restCount; ++k) v[n - 1 - k] += rest < 0 ? -stepTenths : stepTenths;
  return v;
}

}  // namespace

const std::vector<TraverseGrade>& TraverseGrades() {
  static const std::vector<TraverseGrade> grades = {
      {"三等", 3.6, 55000}, {"四等", 5, 35000},  {"一级", 10, 15000},
      {"二级", 16, 10000},  {"三级", 24, 5000},  {"图根", 40, 2000},
  };
  return grades;
}

const TraverseGrade* FindTraverseGrade(std::string_view name) {
  for (const TraverseGrade& g : TraverseGrades())
    if (name == g.name) return &g;
  return nullptr;
}

TraverseOptions TraverseOptionsFor(const TraverseGrade& grade) {
  TraverseOptions o;
  o.allowanceSeconds = grade.angleSeconds;
  o.closureK = grade.closureK;
  o.grade = grade.name;
  return o;
}

bool IsCorrectionStep(double seconds) {
  const double tenths = seconds * 10;
  return seconds == 0 ||
         (seconds >= 0.1 && seconds <= 60 && std::fabs(tenths - std::round(tenths)) < 1e-9);
}

double SecondsPerRadian() { return 648000 / kPi; }

std::vector<double> DistributeAngleCorrections(double fBetaSeconds, int n, double stepSeconds) {
  if (n <= 0) return {};
  if (!(stepSeconds > 0)) return std::vector<double>(n, -fBetaSeconds / n);
  std::vector<double> v = DistributeTenths(std::llround(fBetaSeconds * 10), n,
                                           std::max(1LL, std::llround(stepSeconds * 10)));
  for (double& c : v) c /= 10;
  return v;
}

TraverseAdjustment AdjustTraverse(const TraverseInput& in, const TraverseOptions& options) {
  TraverseAdjustment r;
  r.options = options;
  r.error = CheckInput(in, options);
  if (!r.error.empty()) return r;

  const bool closed = in.kind == TraverseKind::Closed;
  const bool left = in.side == AngleSide::Left;
  const bool exact = options.exact;
  const int n = static_cast<int>(in.stations.size());
  r.angleCount = n;
  // What the field book keeps: tenths of a second, millimetres.
  auto tenths = [&](double radians) {
    const double t = radians * TenthsPerRadian();
    return exact ? t : std::round(t);
  };
  auto metres = [&](double m) { return exact ? m : PrintedUnits(m, "0.000") / 1000.0; };
  auto point = [&](const TraversePoint& p) { return TraversePoint{p.name, metres(p.x), metres(p.y)}; };
  auto azimuth = [&](const TraversePoint& a, const TraversePoint& b) {
    const TraversePoint pa = point(a), pb = point(b);
    return Wrap(tenths(Xy2az(pa.x, pa.y, pb.x, pb.y)));
  };

  // The known azimuth the chain starts from (tenths) and the one it must end on.
  double sideIntoStart = 0;  // A -> B
  if (in.backSight) sideIntoStart = azimuth(*in.backSight, in.start);
  else if (in.startAzimuth) sideIntoStart = Wrap(tenths(*in.startAzimuth));
  double arriving, known;   // the azimuth arriving at the chain's first station, the end's
  std::vector<int> order;   // stations in chain order
  if (closed) {
    if (in.firstLegAzimuth) {
      arriving = Wrap(tenths(*in.firstLegAzimuth));
    } else {
      r.sideAzimuth = Radians(sideIntoStart);
      arriving = Walk(sideIntoStart, {Wrap(tenths(*in.connectionAngle))}, left)[0];
    }
    known = arriving;
    for (int i = 1; i < n; ++i) order.push_back(i);
    order.push_back(0);  // the loop closes with the angle at B
  } else {
    arriving = sideIntoStart;
    known = in.foreSight ? azimuth(in.end, *in.foreSight) : Wrap(tenths(*in.endAzimuth));
    for (int i = 0; i < n; ++i) order.push_back(i);
  }
  r.startAzimuth = Radians(closed ? known : arriving);
  r.endAzimuthKnown = Radians(known);

  auto walk = [&](const std::vector<double>& byStation) {
    std::vector<double> chained;
    for (int i : order) chained.push_back(byStation[i]);
    const std::vector<double> az = Walk(arriving, chained, left);
    std::vector<double> out(n);
    for (int k = 0; k < n; ++k) out[order[k]] = az[k];
    return std::pair{out, az.back()};
  };

  std::vector<double> observed;  // tenths
  double sumObserved = 0;
  for (const TraverseStation& s : in.stations) {
    observed.push_back(Wrap(tenths(s.angle)));
    sumObserved += observed.back();
  }
  const double endObserved = walk(observed).second;
  // Turning the end azimuth by f turns every left angle's sum by f and every right one's by -f.
  const double w = Misclosure(endObserved - known);
  const double f = left ? w : -w;
  r.endAzimuthObserved = Radians(endObserved);
  r.sumObserved = Radians(sumObserved);
  r.sumTheoretical = Radians(sumObserved - f);
  r.fBetaSeconds = f / 10;
  const double allowance = options.allowanceSeconds * std::sqrt(static_cast<double>(n));
  // Decided as printed: f_β against the allowance to 0.1″.
  const double allowanceTenths = exact ? allowance * 10 : PrintedUnits(allowance, "0.0");
  r.allowanceSeconds = allowanceTenths / 10;
  r.overLimit = std::fabs(f) > allowanceTenths;

  const double step = options.correctionStepSeconds;
  std::vector<double> v = step > 0 ? DistributeTenths(std::llround(f), n, std::llround(step * 10))
                                   : std::vector<double>(n, -f / n);
  std::vector<double> adjusted(n);
  for (int i = 0; i < n; ++i) {
    AdjustedStation s;
    s.name = in.stations[i].name;
    s.observed = Radians(observed[i]);
    s.correctionSeconds = v[i] / 10;
    adjusted[i] = observed[i] + v[i];
    s.adjusted = Radians(adjusted[i]);
    s.known = i == 0 || (!closed && i == n - 1);
    r.stations.push_back(std::move(s));
  }
  if (r.overLimit && !options.force) {
    r.error = "角度闭合差 " + SecondsText(r.fBetaSeconds) + " 超过限差 ±" +
              SecondsText(r.allowanceSeconds) + ", 不能平差!";
    return r;
  }

  auto [azimuths, endAdjusted] = walk(adjusted);
  r.endAzimuthAdjusted = Radians(endAdjusted);
  // The closed loop's first leg keeps its known azimuth; the chain only checks it.
  if (closed) azimuths[0] = known;
  for (int i = 0; i < n; ++i) r.stations[i].azimuth = Radians(azimuths[i]);

  // Lengths in millimetres from here on (unrounded when exact).
  const int legCount = closed ? n : n - 1;
  auto mm = [&](double m) { return exact ? m * 1000 : static_cast<double>(PrintedUnits(m, "0.000")); };
  std::vector<double> D, dx, dy;
  double sumD = 0, sumDx = 0, sumDy = 0;
  for (int i = 0; i < legCount; ++i) {
    D.push_back(mm(in.stations[i].distance));
    const double a = Radians(azimuths[i]), d = D.back() / 1000;
    dx.push_back(mm(d * std::cos(a)));
    dy.push_back(mm(d * std::sin(a)));
    sumD += D.back();
    sumDx += dx.back();
    sumDy += dy.back();
  }
  const TraversePoint& lastKnown = closed ? in.start : in.end;
  const double x0 = mm(in.start.x), y0 = mm(in.start.y);
  const double fx = sumDx - (mm(lastKnown.x) - x0), fy = sumDy - (mm(lastKnown.y) - y0);
  std::vector<double> vx(legCount), vy(legCount);
  if (exact) {
    for (int i = 0; i < legCount; ++i) vx[i] = -fx * D[i] / sumD, vy[i] = -fy * D[i] / sumD;
  } else {
    const std::vector<long long> lengths(D.begin(), D.end());
    const std::vector<long long> sx = ForcedShares(std::llround(fx), lengths);
    const std::vector<long long> sy = ForcedShares(std::llround(fy), lengths);
    vx.assign(sx.begin(), sx.end());
    vy.assign(sy.begin(), sy.end());
  }
  r.sumDistance = sumD / 1000;
  r.sumDx = sumDx / 1000;
  r.sumDy = sumDy / 1000;
  r.fx = fx / 1000;
  r.fy = fy / 1000;
  const double fsMm = std::hypot(fx, fy);
  r.fs = fsMm / 1000;
  r.K = fsMm > 0 ? std::floor(sumD / fsMm) : std::numeric_limits<double>::infinity();
  r.closureOverLimit = options.closureK > 0 && r.K < options.closureK;

  double x = x0, y = y0;
  r.stations[0].x = x / 1000;
  r.stations[0].y = y / 1000;
  for (int i = 0; i < legCount; ++i) {
    AdjustedLeg leg;
    leg.from = in.stations[i].name;
    leg.to = in.stations[(i + 1) % n].name;
    leg.azimuth = Radians(azimuths[i]);
    leg.distance = D[i] / 1000;
    leg.dx = dx[i] / 1000;
    leg.dy = dy[i] / 1000;
    leg.vx = vx[i] / 1000;
    leg.vy = vy[i] / 1000;
    leg.dxAdjusted = (dx[i] + vx[i]) / 1000;
    leg.dyAdjusted = (dy[i] + vy[i]) / 1000;
    x += dx[i] + vx[i];
    y += dy[i] + vy[i];
    AdjustedStation& to = r.stations[(i + 1) % n];
    // The known end keeps its given coordinates; unrounded, the running sum meets them only
    // up to rounding, in millimetres it meets them exactly.
    to.x = to.known ? metres(lastKnown.x) : x / 1000;
    to.y = to.known ? metres(lastKnown.y) : y / 1000;
    r.legs.push_back(std::move(leg));
  }
  if (r.closureOverLimit && !options.force) {
    r.error = "导线全长相对闭合差 1/K = 1/" + GeneralNumberText(r.K) + " 超过限差 1/" +
              GeneralNumberText(options.closureK) + ", 不能平差!";
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace vantrel::adjustment
