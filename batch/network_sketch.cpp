// The drawing of a plane network for the HTML report: points, observed lines, error ellipses
// enlarged by a round factor, a north arrow and two scale bars (the map's and the ellipses').
#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <unordered_map>
#include <utility>

#include "batch/network_report.h"
#include "batch/report_layout.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

constexpr double kLegend = 44;  // drawing units below the map for the scale bars

struct Extent {
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  double Size() const { return std::max({maxX - minX, maxY - minY, 1e-3}); }
};

Extent ExtentOf(const adjustment::PlaneResult& r) {
  Extent e;
  for (const adjustment::AdjustedPlanePoint& p : r.points) {
    e.minX = std::min(e.minX, p.x), e.maxX = std::max(e.maxX, p.x);
    e.minY = std::min(e.minY, p.y), e.maxY = std::max(e.maxY, p.y);
  }
  return e;
}

double LargestEllipse(const adjustment::PlaneResult& r) {
  double largest = 0;
  for (const adjustment::AdjustedPlanePoint& p : r.points)
    if (p.adjustedX || p.adjustedY) largest = std::max(largest, p.ellipse.major);
  return largest;
}

}  // namespace

double NetworkEllipseScale(const NetworkAdjustment& a, const NetworkReportOptions& options) {
  if (options.ellipseScale > 0) return options.ellipseScale;
  if (!a.plane || a.plane->points.empty()) return 1;
  const double largest = LargestEllipse(*a.plane);
  if (!(largest > 0)) return 1;
  // The round factor at or below the one that makes the largest ellipse a twelfth of the map.
  return std::max(1.0, report::ScaleBarLength(5 * ExtentOf(*a.plane).Size() / 12 / largest));
}

std::string NetworkSketchSvg(const NetworkFile& file, const NetworkAdjustment& a, const NetworkReportOptions& options) {
  if (!a.plane || a.plane->points.empty()) return "";
  const adjustment::PlaneResult& r = *a.plane;
  const Extent e = ExtentOf(r);
  const report::SketchFrame f(e.minX, e.maxX, e.minY, e.maxY);
  const double factor = NetworkEllipseScale(a, options);

  std::unordered_map<std::string, int> index;
  for (size_t i = 0; i < r.points.size(); ++i) index.emplace(r.points[i].name, static_cast<int>(i));
  std::set<std::pair<int, int>> joined;
  auto join = [&](const std::string& p, const std::string& q) {
    const auto i = index.find(p), j = index.find(q);
    if (i == index.end() || j == index.end() || i->second == j->second) return;
    joined.insert(std::minmax(i->second, j->second));
  };
  for (const adjustment::PlaneObservation& o : file.plane.observations) {
    join(o.station, o.target);
    if (o.kind == adjustment::ObservationKind::Angle) join(o.station, o.target2);
  }

  std::string svg = f.Open(kLegend);
  for (const auto& [i, j] : joined) {
    const adjustment::AdjustedPlanePoint &p = r.points[i], &q = r.points[j];
    svg += report::SvgLine(f.Px(p.y), f.Py(p.x), f.Px(q.y), f.Py(q.x), "stroke=\"#1f3f8f\" stroke-width=\"1.2\"");
  }
  double cx = 0, cy = 0;
  for (const adjustment::AdjustedPlanePoint& p : r.points) cx += p.x, cy += p.y;
  cx /= r.points.size();
  cy /= r.points.size();
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedPlanePoint& p = r.points[i];
    const adjustment::PlanePoint& in = file.plane.points.at(i);
    const double px = f.Px(p.y), py = f.Py(p.x);
    svg += in.knownX || in.knownY ? report::SvgKnownPoint(px, py) : report::SvgNewPoint(px, py);
  }
  // Ellipses over the marks, so that a small one still shows. An ellipse's major axis lies at
  // its azimuth φ (clockwise from north): the drawing's x axis (east) turned clockwise by
  // φ − 90°, clockwise being positive in SVG, whose y runs down.
  for (const adjustment::AdjustedPlanePoint& p : r.points) {
    if (!p.adjustedX && !p.adjustedY) continue;
    const double px = f.Px(p.y), py = f.Py(p.x);
    svg += "<ellipse cx=\"" + report::SvgNum(px) + "\" cy=\"" + report::SvgNum(py) + "\" rx=\"" +
           report::SvgNum(p.ellipse.major * factor * f.k) + "\" ry=\"" + report::SvgNum(p.ellipse.minor * factor * f.k) +
           "\" transform=\"rotate(" + FormatPattern(p.ellipse.azimuth * 180 / std::numbers::pi - 90, "0.00") + " " +
           report::SvgNum(px) + " " + report::SvgNum(py) + ")\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"1.2\"/>\n";
  }
  for (const adjustment::AdjustedPlanePoint& p : r.points) {
    const double px = f.Px(p.y), py = f.Py(p.x);
    svg += report::SvgPointName(px, py, px - f.Px(cy), py - f.Py(cx), p.name);
  }
  svg += report::SvgNorthArrow(f.W);
  // The scale bars stand in a strip below the map, clear of the points: the map's on the left,
  // the ellipses' on the right (a round length near 100 drawing units once enlarged) with the
  // factor before it.
  const double bar = report::ScaleBarLength(e.Size());
  const double y = f.H + kLegend - 22;
  svg += report::SvgScaleBar(30, y, bar * f.k, GeneralNumberText(bar) + " 米");
  if (LargestEllipse(r) > 0) {
    const double mm = report::ScaleBarLength(5 * 100 / (f.k * factor) * 1000);
    const double width = mm / 1000 * factor * f.k;
    const double x = f.W - 60 - width;
    svg += "<text x=\"" + report::SvgNum(x - 16) + "\" y=\"" + report::SvgNum(y + 6) +
           "\" font-size=\"13\" text-anchor=\"end\" fill=\"#c0392b\">误差椭圆放大 " + GeneralNumberText(factor) +
           " 倍</text>\n";
    svg += report::SvgScaleBar(x, y, width, GeneralNumberText(mm) + " 毫米");
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace vantrel::batch
