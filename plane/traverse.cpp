#include "plane/traverse.h"

#include <algorithm>
#include <cmath>

#include "common/file_replace.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"

namespace vantrel {

TraverseLeg ComputeTraverseLeg(double x0, double y0, double backAzimuth, double angle,
                               bool isLeftAngle, double side) {
  constexpr double twoPi = kCalculatorPi.twoPi;
  TraverseLeg leg;
  double beta = isLeftAngle ? angle : twoPi - angle;
  leg.leftAngle = beta;
  double alpha = beta + backAzimuth;
  // Typed angles far out of range (or infinite) would keep the one-turn steps below going
  // for ever: bring them within a turn first.
  if (!(std::fabs(alpha) <= 4 * twoPi)) alpha = std::fmod(alpha, twoPi);
  // A value of exactly 2pi stays, as the dialog has always shown it.
  while (alpha > twoPi) alpha -= twoPi;
  while (alpha < 0) alpha += twoPi;
  leg.azimuth = alpha;
  leg.x = std::cos(alpha) * side + x0;
  leg.y = std::sin(alpha) * side + y0;
  leg.reverseAzimuth = alpha >= kPi ? alpha - kPi : alpha + kPi;
  return leg;
}

std::vector<std::string> TraverseFileHead(TraverseHeadings headings) {
  const bool chosen = headings == TraverseHeadings::Chosen;
  return {"支导线结 果文件",
          PrintZones({"点号 ", "X   ", " Y   ", chosen ? "   X0  " : " X0  ",
                      chosen ? " Y0 " : "   Y0 ", "至后视点(D.MS)", "边长",
                      "转折左角(D.MS)  "})};
}

std::string TraverseRecordLine(const TraverseRecord& r) {
  constexpr const char* kPattern = "#######.000";
  double az = r.backAzimuth + 1e-10;
  double turn = r.leftAngle + 1e-10;
  return PrintZones({r.name, FormatPattern(r.x, kPattern), FormatPattern(r.y, kPattern),
                     FormatPattern(r.x0, kPattern), FormatPattern(r.y0, kPattern),
                     Rad2dms_Buff(az), FormatPattern(r.side, kPattern), Rad2dms_Buff(turn)});
}

WriteResult CreateTraverseFile(const std::string& path, TraverseHeadings headings) {
  return ReplaceTextFile(path, TraverseFileHead(headings));
}

WriteResult AppendTraverseRecord(const std::string& path, const TraverseRecord& record) {
  return WriteTextFile(path, {TraverseRecordLine(record)}, true);
}

std::vector<std::string> SplitTraverseRecord(const std::string& line) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  std::string rest = line;
  if (rest.empty() || !isBlank(rest.back())) rest += ' ';
  std::vector<std::string> fields;
  for (int i = 0; i < 8; ++i) {
    size_t start = 0;
    while (start < rest.size() && isBlank(rest[start])) ++start;
    rest.erase(0, start);
    size_t blank = 0;
    while (blank < rest.size() && !isBlank(rest[blank])) ++blank;
    fields.emplace_back(rest.substr(0, blank));
    rest.erase(0, std::min(rest.size(), blank + 1));
  }
  return fields;
}

NetReadResult ParseTraverseLines(const std::vector<std::string>& lines) {
  NetReadResult result;
  for (size_t i = 2; i < lines.size(); ++i) {
    // A blank line (an editor's trailing newline) is no leg; drawing it would put a
    // phantom point at the grid origin and stretch the scale.
    if (IsBlank(lines[i])) continue;
    ++result.total;
    if (result.total > kMaxNetRecords) continue;
    std::vector<std::string> f = SplitTraverseRecord(lines[i]);
    NetRecord r;
    r.name = f[0];
    r.x = ReadLenient(f[1]);
    r.y = ReadLenient(f[2]);
    r.x0 = ReadLenient(f[3]);
    r.y0 = ReadLenient(f[4]);
    r.backAzimuth = Dms2Rad(ReadLenient(f[5]));
    r.side = ReadLenient(f[6]);
    r.turnDms = ReadLenient(f[7]);
    result.records.push_back(std::move(r));
  }
  return result;
}

NetLayout LayoutTraverseNet(const std::vector<NetRecord>& records, int width, int height) {
  NetLayout layout;
  layout.radius = static_cast<int>(std::lround(height / 100.0));
  double minH = 1e9, maxH = -1e9, minV = 1e9, maxV = -1e9;
  auto widen = [&](double x, double y) {
    minH = std::min(minH, y);
    maxH = std::max(maxH, y);
    minV = std::min(minV, -x);
    maxV = std::max(maxV, -x);
  };
  for (const NetRecord& r : records) {
    widen(r.x, r.y);
    widen(r.x0, r.y0);
  }
  if (maxH - minH < 0.1) maxH = minH + 0.1;
  if (maxV - minV < 0.1) maxV = minV + 0.1;
  const double W = width, H = height;
  const double k = std::min(0.6 * W / (maxH - minH), 0.6 * H / (maxV - minV));
  layout.scale = k;
  // Far-off values (a hand-edited file) must not overflow the int conversion; extents that
  // overflow to infinity give 0 * inf, which has no pixel at all.
  auto toPixel = [](double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(std::floor(v), -1e9, 1e9));
  };
  auto sx = [&](double x, double y) { (void)x; return W / 5 + k * (y - minH); };
  auto sy = [&](double x, double y) { (void)y; return H / 5 + k * (-x - minV); };
  for (const NetRecord& r : records) {
    NetLegPixels leg;
    leg.name = r.name;
    leg.newX = toPixel(sx(r.x, r.y));
    leg.newY = toPixel(sy(r.x, r.y));
    leg.stationX = toPixel(sx(r.x0, r.y0));
    leg.stationY = toPixel(sy(r.x0, r.y0));
    double qx = r.x0 + r.side / 3 * std::cos(r.backAzimuth);
    double qy = r.y0 + r.side / 3 * std::sin(r.backAzimuth);
    leg.markX = sx(qx, qy);
    leg.markY = sy(qx, qy);
    layout.legs.push_back(std::move(leg));
  }
  return layout;
}

}  // namespace vantrel
