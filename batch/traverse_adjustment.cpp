#include "batch/traverse_adjustment.h"

#include <cmath>
#include <limits>
#include <set>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "plane/plane_helpers.h"
#include "plane/traverse.h"

namespace vantrel::batch {

namespace {

constexpr double kTwoPi = kCalculatorPi.twoPi;

// Into (-pi, pi]: a misclosure, never a whole turn.
double ReduceHalfTurn(double a) {
  a = std::fmod(a, kTwoPi);
  if (a > kPi) a -= kTwoPi;
  if (a <= -kPi) a += kTwoPi;
  return a;
}

// The direction opposite an azimuth, as the open traverse turns it.
double Reverse(double azimuth) { return azimuth >= kPi ? azimuth - kPi : azimuth + kPi; }

bool IsAngle(double a) { return std::isfinite(a) && a >= 0 && a < kTwoPi; }
bool IsPointFinite(const TraversePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The leaving azimuths along a chain of stations: the open traverse's leg rule, station by
// station, each next back-sight the reverse of the last leaving direction.
std::vector<double> WalkAzimuths(double backAzimuth, const std::vector<double>& angles,
                                 bool left) {
  std::vector<double> out;
  out.reserve(angles.size());
  for (double angle : angles) {
    TraverseLeg leg = ComputeTraverseLeg(0, 0, backAzimuth, angle, left, 0);
    out.push_back(leg.azimuth);
    backAzimuth = leg.reverseAzimuth;
  }
  return out;
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
  const double step = opt.correctionStepSeconds;
  if (!(step == 0 || (step >= 0.01 && step <= 60))) return "角度改正数单位应为0或0.01″至60″!";
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
  for (size_t i = 0; i < st.size(); ++i) {
    const TraverseStation& s = st[i];
    if (s.name.empty()) return "测站缺少点名!";
    if (!seen.insert(s.name).second) return "测站点名重复: " + s.name + "!";
    if (!IsAngle(s.angle)) return "转折角错: " + s.name + "!";
    const bool hasLeg = closed || i + 1 < st.size();
    if (hasLeg && !(std::isfinite(s.distance) && s.distance > 0)) return "边长错: " + s.name + "!";
  }
  return CheckOrientation(in);
}

std::string SecondsText(double seconds) { return FormatPattern(seconds, "0.0") + "″"; }

}  // namespace

double SecondsPerRadian() { return 648000 / kPi; }

std::vector<double> DistributeAngleCorrections(double fBetaSeconds, int n, double stepSeconds) {
  std::vector<double> v(n > 0 ? n : 0, 0.0);
  if (n <= 0) return v;
  if (!(stepSeconds > 0)) {
    for (double& c : v) c = -fBetaSeconds / n;
    return v;
  }
  const long long units = std::llround(-fBetaSeconds / stepSeconds);
  const long long each = units / n;      // toward zero
  const long long rest = units - each * n;  // the sign of units, fewer than n steps
  for (int i = 0; i < n; ++i) v[i] = static_cast<double>(each) * stepSeconds;
  const long long restCount = rest < 0 ? -rest : rest;
  for (long long k = 0; k < restCount; ++k) v[n - 1 - k] += rest < 0 ? -stepSeconds : stepSeconds;
  return v;
}

TraverseAdjustment AdjustTraverse(const TraverseInput& in, const TraverseOptions& options) {
  TraverseAdjustment r;
  r.options = options;
  r.error = CheckInput(in, options);
  if (!r.error.empty()) return r;

  const bool closed = in.kind == TraverseKind::Closed;
  const bool left = in.side == AngleSide::Left;
  const int n = static_cast<int>(in.stations.size());
  const double rho = SecondsPerRadian();
  r.angleCount = n;

  // The known azimuth the chain starts from and the one it must end on.
  double sideIntoStart = 0;  // A -> B
  if (in.backSight || in.startAzimuth)
    sideIntoStart = in.backSight ? Xy2az(in.backSight->x, in.backSight->y, in.start.x, in.start.y)
                                 : *in.startAzimuth;
  double backAzimuth;  // back-sight azimuth at the chain's first station
  std::vector<int> order;  // stations in chain order
  if (closed) {
    const double firstLeg =
        in.firstLegAzimuth
            ? *in.firstLegAzimuth
            : ComputeTraverseLeg(0, 0, Reverse(sideIntoStart), *in.connectionAngle, left, 0).azimuth;
    r.startAzimuth = r.endAzimuthKnown = firstLeg;
    backAzimuth = Reverse(firstLeg);
    for (int i = 1; i < n; ++i) order.push_back(i);
    order.push_back(0);  // the loop closes with the angle at B
  } else {
    r.startAzimuth = sideIntoStart;
    r.endAzimuthKnown = in.foreSight ? Xy2az(in.end.x, in.end.y, in.foreSight->x, in.foreSight->y)
                                     : *in.endAzimuth;
    backAzimuth = Reverse(sideIntoStart);
    for (int i = 0; i < n; ++i) order.push_back(i);
  }

  auto walk = [&](const std::vector<double>& anglesByStation) {
    std::vector<double> chained;
    for (int i : order) chained.push_back(anglesByStation[i]);
    std::vector<double> az = WalkAzimuths(backAzimuth, chained, left);
    std::vector<double> byStation(n);
    for (int k = 0; k < n; ++k) byStation[order[k]] = az[k];
    return std::pair{byStation, az.back()};
  };

  std::vector<double> observed;
  for (const TraverseStation& s : in.stations) {
    observed.push_back(s.angle);
    r.sumObserved += s.angle;
  }
  r.endAzimuthObserved = walk(observed).second;
  // Turning the end azimuth by f turns every left angle's sum by f and every right one's by -f.
  const double w = ReduceHalfTurn(r.endAzimuthObserved - r.endAzimuthKnown);
  const double fBeta = left ? w : -w;
  r.sumTheoretical = r.sumObserved - fBeta;
  r.fBetaSeconds = fBeta * rho;
  r.allowanceSeconds = options.allowanceSeconds * std::sqrt(static_cast<double>(n));
  r.overLimit = std::fabs(r.fBetaSeconds) > r.allowanceSeconds;

  const std::vector<double> v =
      DistributeAngleCorrections(r.fBetaSeconds, n, options.correctionStepSeconds);
  std::vector<double> adjusted(n);
  for (int i = 0; i < n; ++i) {
    AdjustedStation s;
    s.name = in.stations[i].name;
    s.observed = observed[i];
    s.correctionSeconds = v[i];
    s.adjusted = adjusted[i] = observed[i] + v[i] / rho;
    s.known = i == 0 || (!closed && i == n - 1);
    r.stations.push_back(std::move(s));
  }
  if (r.overLimit && !options.force) {
    r.error = "角度闭合差 " + SecondsText(r.fBetaSeconds) + " 超过限差 ±" +
              SecondsText(r.allowanceSeconds) + ", 不能平差!";
    return r;
  }

  auto [azimuths, endAdjusted] = walk(adjusted);
  r.endAzimuthAdjusted = endAdjusted;
  // The closed loop's first leg keeps its known azimuth; the chain only checks it.
  if (closed) azimuths[0] = r.startAzimuth;
  for (int i = 0; i < n; ++i) r.stations[i].azimuth = azimuths[i];

  const int legCount = closed ? n : n - 1;
  for (int i = 0; i < legCount; ++i) {
    AdjustedLeg leg;
    leg.from = in.stations[i].name;
    leg.to = in.stations[(i + 1) % n].name;
    leg.azimuth = azimuths[i];
    leg.distance = in.stations[i].distance;
    leg.dx = std::cos(leg.azimuth) * leg.distance;
    leg.dy = std::sin(leg.azimuth) * leg.distance;
    r.sumDistance += leg.distance;
    r.sumDx += leg.dx;
    r.sumDy += leg.dy;
    r.legs.push_back(std::move(leg));
  }
  const TraversePoint& last = closed ? in.start : in.end;
  r.fx = r.sumDx - (last.x - in.start.x);
  r.fy = r.sumDy - (last.y - in.start.y);
  r.fs = std::hypot(r.fx, r.fy);
  r.K = r.fs > 0 ? std::floor(r.sumDistance / r.fs) : std::numeric_limits<double>::infinity();

  double x = in.start.x, y = in.start.y;
  r.stations[0].x = x;
  r.stations[0].y = y;
  for (int i = 0; i < legCount; ++i) {
    AdjustedLeg& leg = r.legs[i];
    leg.vx = -r.fx * leg.distance / r.sumDistance;
    leg.vy = -r.fy * leg.distance / r.sumDistance;
    leg.dxAdjusted = leg.dx + leg.vx;
    leg.dyAdjusted = leg.dy + leg.vy;
    x += leg.dxAdjusted;
    y += leg.dyAdjusted;
    const int to = (i + 1) % n;
    // The known end keeps its given coordinates; the running sum meets it up to rounding.
    if (!r.stations[to].known) {
      r.stations[to].x = x;
      r.stations[to].y = y;
    } else {
      r.stations[to].x = last.x;
      r.stations[to].y = last.y;
    }
  }
  r.ok = true;
  return r;
}

}  // namespace vantrel::batch
