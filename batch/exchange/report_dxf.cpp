#include "batch/exchange/report_dxf.h"

#include <algorithm>
#include <map>
#include <set>

#include "batch/exchange/dxf_drawing.h"
#include "batch/report_layout.h"

namespace vantrel::batch {

namespace {

struct DrawnPoint {
  double x, y, z;
  bool known;
};

// Names a hundredth of the drawing's size high, rounded as a scale bar is.
std::string Drawing(const std::vector<std::pair<std::string, DrawnPoint>>& points,
                    const std::set<std::pair<std::string, std::string>>& lines) {
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  std::map<std::string, DrawnPoint> at;
  for (const auto& [name, m] : points) {
    minX = std::min(minX, m.x), maxX = std::max(maxX, m.x), minY = std::min(minY, m.y), maxY = std::max(maxY, m.y);
    at.emplace(name, m);
  }
  const double size = std::max({maxX - minX, maxY - minY, 1.0});
  DxfDrawing d(report::ScaleBarLength(size / 100));
  std::string out = d.Head();
  for (const auto& [from, to] : lines) {
    const DrawnPoint &p = at.at(from), &q = at.at(to);
    out += d.Line(p.x, p.y, q.x, q.y);
  }
  for (const auto& [name, m] : points) out += d.Point(DxfText(name), m.x, m.y, m.z, m.known ? kDxfKnownLayer : kDxfPointLayer);
  return out + d.Tail();
}

void Join(std::set<std::pair<std::string, std::string>>& lines, const std::map<std::string, DrawnPoint>& known,
          const std::string& a, const std::string& b) {
  if (a == b || !known.count(a) || !known.count(b)) return;
  lines.insert(std::minmax(a, b));
}

}  // namespace

std::string TraverseReportDxf(const adjustment::TraverseInput& input, const adjustment::TraverseAdjustment& a) {
  std::vector<std::pair<std::string, DrawnPoint>> points;
  std::map<std::string, DrawnPoint> seen;
  auto add = [&](const std::string& name, double x, double y, bool known) {
    if (seen.count(name)) return;
    seen.emplace(name, DrawnPoint{x, y, 0, known});
    points.push_back({name, {x, y, 0, known}});
  };
  if (input.backSight) add(input.backSight->name, input.backSight->x, input.backSight->y, true);
  add(input.start.name, input.start.x, input.start.y, true);
  if (input.kind == adjustment::TraverseKind::Connecting) add(input.end.name, input.end.x, input.end.y, true);
  if (input.foreSight) add(input.foreSight->name, input.foreSight->x, input.foreSight->y, true);
  for (const adjustment::AdjustedStation& s : a.stations) add(s.name, s.x, s.y, false);
  std::set<std::pair<std::string, std::string>> lines;
  for (const adjustment::AdjustedLeg& leg : a.legs) Join(lines, seen, leg.from, leg.to);
  if (input.backSight) Join(lines, seen, input.backSight->name, input.start.name);
  if (input.foreSight) Join(lines, seen, input.end.name, input.foreSight->name);
  return Drawing(points, lines);
}

std::string NetworkReportDxf(const NetworkFile& file, const NetworkAdjustment& a) {
  if (!a.plane || a.plane->points.empty()) return "";
  std::map<std::string, double> heights;
  if (a.levelling) {
    for (const adjustment::AdjustedLevelPoint& p : a.levelling->points) heights[p.name] = p.height;
  }
  std::vector<std::pair<std::string, DrawnPoint>> points;
  std::map<std::string, DrawnPoint> seen;
  for (std::size_t i = 0; i < a.plane->points.size(); ++i) {
    const adjustment::AdjustedPlanePoint& p = a.plane->points[i];
    const adjustment::PlanePoint& in = file.plane.points.at(i);
    const auto h = heights.find(p.name);
    const DrawnPoint m{p.x, p.y, h == heights.end() ? 0.0 : h->second, in.knownX || in.knownY};
    seen.emplace(p.name, m);
    points.push_back({p.name, m});
  }
  std::set<std::pair<std::string, std::string>> lines;
  for (const adjustment::PlaneObservation& o : file.plane.observations) {
    Join(lines, seen, o.station, o.target);
    if (o.kind == adjustment::ObservationKind::Angle) Join(lines, seen, o.station, o.target2);
  }
  return Drawing(points, lines);
}

}  // namespace vantrel::batch
