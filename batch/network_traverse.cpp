// A compass traverse read as a plane network (see TraverseNetwork in network_file.h).
#include <cmath>

#include "batch/network_file.h"
#include "geodetic/ellipsoid.h"

namespace vantrel::batch {

using adjustment::ObservationKind;
using adjustment::PlaneObservation;
using adjustment::PlanePoint;

namespace {

// Angles come through Dms2Rad, so half and whole turns are the calculator's.
double Wrap(double a) {
  a = std::fmod(a, kCalculatorPi.twoPi);
  return a < 0 ? a + kCalculatorPi.twoPi : a;
}

}  // namespace

NetworkFile TraverseNetwork(const adjustment::TraverseInput& in, const TraverseFileLines& lines) {
  NetworkFile f;
  f.traverse = in;
  f.planeOptions.azimuthSigma = f.planeOptions.angleSigma;  // only turned angles are azimuths here
  const bool closed = in.kind == adjustment::TraverseKind::Closed, left = in.side == adjustment::AngleSide::Left;
  const std::vector<adjustment::TraverseStation>& st = in.stations;
  const size_t n = st.size();
  const double pi = kCalculatorPi.pi;

  auto known = [&](const adjustment::TraversePoint& p) {
    for (const PlanePoint& q : f.plane.points)
      if (q.name == p.name) return;  // one known point seen from both ends
    PlanePoint& q = f.plane.points.emplace_back();
    q.name = p.name;
    q.knownX = p.x;
    q.knownY = p.y;
  };
  if (in.backSight) known(*in.backSight);
  known(in.start);
  for (size_t i = 1; i < (closed ? n : n - 1); ++i) f.plane.points.emplace_back().name = st[i].name;
  if (!closed) known(in.end);
  if (in.foreSight) known(*in.foreSight);

  auto stationLine = [&](size_t i) { return i < lines.stations.size() ? lines.stations[i] : 0; };
  auto keywordLine = [&](const char* k) {
    auto it = lines.keywords.find(k);
    return it == lines.keywords.end() ? 0 : it->second;
  };
  auto add = [&](ObservationKind kind, const std::string& station, const std::string& target,
                 double value, double sigma, int line, const std::string& target2 = "") {
    f.plane.observations.push_back(PlaneObservation{kind, station, target, target2, value, sigma, 0});
    f.observationLines.push_back(line);
  };
  // A left angle is read clockwise from the station behind to the one ahead, a right angle
  // from ahead to behind: α_ahead = α_arriving + β_left − 180° = α_arriving − β_right + 180°.
  auto angle = [&](const std::string& here, const std::string& behind, const std::string& ahead,
                   double beta, int line) {
    add(ObservationKind::Angle, here, left ? behind : ahead, beta, 0, line, left ? ahead : behind);
  };
  auto leaving = [&](double arriving, double beta) {
    return Wrap(left ? arriving + beta - pi : arriving - beta + pi);
  };

  for (size_t i = 0; i < n; ++i) {
    const std::string& here = st[i].name;
    const bool first = i == 0, last = i + 1 == n;
    if (closed) {
      angle(here, st[first ? n - 1 : i - 1].name, st[last ? 0 : i + 1].name, st[i].angle, stationLine(i));
    } else if (first && !in.backSight) {
      // Turned by the known azimuth A -> B: the azimuth of the first leg.
      add(ObservationKind::Azimuth, here, st[1].name, leaving(*in.startAzimuth, st[i].angle), 0,
          stationLine(i));
    } else if (last && !in.foreSight) {
      // α_CD = α_arriving ± β ∓ 180°, so C -> the last new point is α_CD ∓ β.
      const double back = left ? *in.endAzimuth - st[i].angle : *in.endAzimuth + st[i].angle;
      add(ObservationKind::Azimuth, here, st[i - 1].name, Wrap(back), 0, stationLine(i));
    } else {
      angle(here, first ? in.backSight->name : st[i - 1].name, last ? in.foreSight->name : st[i + 1].name,
            st[i].angle, stationLine(i));
    }
    if (closed && first) {
      // The loop's orientation: a known first leg, or the connection angle at B from A.
      if (in.firstLegAzimuth)
        add(ObservationKind::Azimuth, here, st[1].name, *in.firstLegAzimuth, kHeldAzimuthSigma,
            keywordLine("首边方位"));
      else if (in.backSight)
        angle(here, in.backSight->name, st[1].name, *in.connectionAngle, keywordLine("连接角"));
      else
        add(ObservationKind::Azimuth, here, st[1].name, leaving(*in.startAzimuth, *in.connectionAngle), 0,
            keywordLine("连接角"));
    }
    if (closed || !last)
      add(ObservationKind::Distance, here, st[last ? 0 : i + 1].name, st[i].distance, 0, stationLine(i));
  }
  return f;
}

}  // namespace vantrel::batch
