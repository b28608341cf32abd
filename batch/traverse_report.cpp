#include "batch/traverse_report.h"

#include <algorithm>
#include <cmath>

#include "batch/report_layout.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"

namespace vantrel::batch {

namespace {

using report::EscapeHtml;
using report::Table;

constexpr double kFullCircleSeconds = 1296000;

// Rad2dms_Buff's text, the angle rounded to the shown decimals of a second first, so that
// cutting the text after them gives the rounded value, not a truncated one.
std::string PackedText(double radians, int decimals, bool wrap) {
  const double rho = adjustment::SecondsPerRadian();
  const double scale = std::pow(10.0, decimals);
  double seconds = std::round(radians * rho * scale) / scale;
  if (wrap && seconds >= kFullCircleSeconds) seconds -= kFullCircleSeconds;
  // Half a millionth of a second keeps Rad2dms_Buff's truncation of the millionths from
  // turning 4.3″ into 4.299999″; no text here shows that digit.
  double r = (seconds + 5e-7) / rho;
  std::string text(TrimBlanks(Rad2dms_Buff(r)));
  const size_t point = text.find('.');
  if (point != std::string::npos) text.erase(std::min(text.size(), point + 5 + decimals));
  return text;
}

std::string Metres(double v) { return FormatPattern(v, "0.000"); }

std::string SecondsText(double seconds, int decimals) {
  return FormatPattern(seconds, decimals > 0 ? "0." + std::string(decimals, '0') : "0");
}

bool WholeSeconds(double radians) {
  const double sec = radians * adjustment::SecondsPerRadian();
  return std::fabs(sec - std::round(sec)) <= 1e-4;
}

// Decimals of the observed and adjusted angles and their corrections: none when every
// observed angle is in whole seconds and corrections go in whole seconds, else one.
int ChooseDecimals(const adjustment::TraverseInput& in, const adjustment::TraverseAdjustment& adj,
                   const TraverseReportOptions& opt) {
  if (opt.secondsDecimals >= 0) return opt.secondsDecimals;
  const double step = adj.options.correctionStepSeconds;
  if (!(step >= 1 && step == std::floor(step))) return 1;
  if (in.connectionAngle && !WholeSeconds(*in.connectionAngle)) return 1;
  for (const adjustment::AdjustedStation& s : adj.stations)
    if (!WholeSeconds(s.observed)) return 1;
  return 0;
}

// Decimals of the azimuths: one more than the angles' when a known azimuth (computed from
// coordinates to 0.1″, or given so) carries tenths, so that each azimuth is the last one
// turned by the adjusted angle at the printed digits.
int ChooseAzimuthDecimals(const adjustment::TraverseInput& in,
                          const adjustment::TraverseAdjustment& adj, int d,
                          const TraverseReportOptions& opt) {
  if (opt.secondsDecimals >= 0 || d > 0) return d;
  std::vector<double> known = {adj.startAzimuth, adj.endAzimuthKnown};
  if (adj.sideAzimuth) known.push_back(*adj.sideAzimuth);
  for (const auto& a : {in.startAzimuth, in.endAzimuth, in.firstLegAzimuth})
    if (a) known.push_back(*a);
  for (double a : known)
    if (!WholeSeconds(a)) return 1;
  return 0;
}

// What both reports show, cell by cell; the text and the HTML only lay it out.
struct ReportModel {
  std::string title;
  std::vector<std::string> facts;
  Table angles;
  std::vector<std::string> angleSummary;
  Table coordinates;
  std::vector<std::string> coordinateSummary;
};

std::string PointFact(const char* role, const adjustment::TraversePoint& p) {
  return std::string(role) + " " + p.name + "  X=" + Metres(p.x) + "  Y=" + Metres(p.y);
}

// The allowances and the rounding rules, in the table's head.
void RuleFacts(const adjustment::TraverseAdjustment& adj, std::vector<std::string>& facts) {
  const adjustment::TraverseOptions& o = adj.options;
  const double step = o.correctionStepSeconds;
  facts.push_back("等级: " + (o.grade.empty() ? std::string("未指定") : o.grade) +
                  "    角度闭合差限差: ±" + GeneralNumberText(o.allowanceSeconds) +
                  "″√n    导线全长相对闭合差限差: " +
                  (o.closureK > 0 ? "1/" + GeneralNumberText(o.closureK) : std::string("不检查")));
  facts.push_back(std::string("角度改正数: ") +
                  (step > 0 ? "-fβ 取至 " + GeneralNumberText(step) +
                                  "″ (半个单位进位), 每角相同, 余数给最后几个角"
                            : "平均分配, 不凑整"));
  facts.push_back(o.exact ? "坐标增量闭合差: 按边长比例分配, 不取舍"
                          : "坐标增量闭合差: 按边长比例分配; 增量取至毫米, 改正数 -f·D/ΣD "
                            "舍至毫米, 余下的毫米每边 1 毫米给最长的边, 其和为 -f");
}

ReportModel BuildModel(const adjustment::TraverseInput& in,
                       const adjustment::TraverseAdjustment& adj,
                       const TraverseReportOptions& opt) {
  const bool closed = in.kind == adjustment::TraverseKind::Closed;
  const int d = ChooseDecimals(in, adj, opt);
  const int da = ChooseAzimuthDecimals(in, adj, d, opt);
  auto angle = [&](double r) { return PackedText(r, d, true); };
  auto azimuth = [&](double r) { return PackedText(r, da, true); };
  const int n = adj.angleCount;
  ReportModel m;
  m.title = closed ? "闭合导线计算表" : "附合导线计算表";
  m.facts.push_back(std::string("类型: ") + (closed ? "闭合导线" : "附合导线") +
                    "    角度: " + (in.side == adjustment::AngleSide::Left ? "左角" : "右角") +
                    "    测站数: " + std::to_string(n) +
                    "    边数: " + std::to_string(adj.legs.size()));
  m.facts.push_back(PointFact("起点", in.start));
  // A known side given by points shows the azimuth it gives, as the chain uses it.
  if (in.backSight)
    m.facts.push_back(PointFact("后视", *in.backSight) + "  方位 " + in.backSight->name + "→" +
                      in.start.name + " " +
                      azimuth(closed ? adj.sideAzimuth.value_or(0) : adj.startAzimuth));
  if (in.startAzimuth) m.facts.push_back("起始方位 " + azimuth(*in.startAzimuth));
  if (in.connectionAngle) m.facts.push_back("连接角 " + angle(*in.connectionAngle));
  if (in.firstLegAzimuth) m.facts.push_back("首边方位 " + azimuth(*in.firstLegAzimuth));
  if (!closed) {
    m.facts.push_back(PointFact("终点", in.end));
    if (in.foreSight)
      m.facts.push_back(PointFact("前视", *in.foreSight) + "  方位 " + in.end.name + "→" +
                        in.foreSight->name + " " + azimuth(adj.endAzimuthKnown));
    if (in.endAzimuth) m.facts.push_back("终止方位 " + azimuth(*in.endAzimuth));
  }
  RuleFacts(adj, m.facts);

  m.angles.head = {"点号", "观测角", "改正数(″)", "改正后角值", "坐标方位角"};
  if (!closed) {
    const std::string from = in.backSight ? in.backSight->name : "起始边";
    m.angles.rows.push_back({from, "", "", "", azimuth(adj.startAzimuth)});
  }
  double sumV = 0, sumAdjusted = 0;
  for (const adjustment::AdjustedStation& s : adj.stations) {
    m.angles.rows.push_back({s.name, angle(s.observed), SecondsText(s.correctionSeconds, d),
                             angle(s.adjusted), azimuth(s.azimuth)});
    sumV += s.correctionSeconds;
    sumAdjusted += s.adjusted;
  }
  if (closed) m.angles.rows.push_back({adj.stations.front().name, "", "", "", ""});
  else if (in.foreSight) m.angles.rows.push_back({in.foreSight->name, "", "", "", ""});
  m.angles.rows.push_back({"Σ", PackedText(adj.sumObserved, d, false), SecondsText(sumV, d),
                           PackedText(sumAdjusted, d, false), ""});

  m.angleSummary.push_back("Σβ测 = " + PackedText(adj.sumObserved, d, false) +
                           "    Σβ理 = " + PackedText(adj.sumTheoretical, da, false));
  std::string fb = "fβ = Σβ测 - Σβ理 = " + SecondsText(adj.fBetaSeconds, 1) + "″    fβ允 = ±" +
                   GeneralNumberText(adj.options.allowanceSeconds) + "″√" + std::to_string(n) +
                   " = ±" + SecondsText(adj.allowanceSeconds, 1) + "″";
  if (adj.overLimit) fb += "    超限, 按要求强制平差";
  m.angleSummary.push_back(fb);
  m.angleSummary.push_back(std::string(closed ? "首边方位" : "终边方位") + ": 改正后推算 " +
                           azimuth(adj.endAzimuthAdjusted) + "    已知 " +
                           azimuth(adj.endAzimuthKnown));

  m.coordinates.head = {"点号",  "边长(米)", "Δx(米)", "Δy(米)", "vx(米)",
                        "vy(米)", "改正后Δx", "改正后Δy", "X(米)",  "Y(米)"};
  for (size_t i = 0; i < adj.stations.size(); ++i) {
    const adjustment::AdjustedStation& s = adj.stations[i];
    std::vector<std::string> row(10);
    row[0] = s.name;
    if (i < adj.legs.size()) {
      const adjustment::AdjustedLeg& l = adj.legs[i];
      row[1] = Metres(l.distance);
      row[2] = Metres(l.dx);
      row[3] = Metres(l.dy);
      row[4] = Metres(l.vx);
      row[5] = Metres(l.vy);
      row[6] = Metres(l.dxAdjusted);
      row[7] = Metres(l.dyAdjusted);
    }
    row[8] = Metres(s.x);
    row[9] = Metres(s.y);
    m.coordinates.rows.push_back(std::move(row));
  }
  if (closed) {
    const adjustment::AdjustedStation& b = adj.stations.front();
    m.coordinates.rows.push_back({b.name, "", "", "", "", "", "", "", Metres(b.x), Metres(b.y)});
  }
  double svx = 0, svy = 0, sdx = 0, sdy = 0;
  for (const adjustment::AdjustedLeg& l : adj.legs) {
    svx += l.vx;
    svy += l.vy;
    sdx += l.dxAdjusted;
    sdy += l.dyAdjusted;
  }
  m.coordinates.rows.push_back({"Σ", Metres(adj.sumDistance), Metres(adj.sumDx), Metres(adj.sumDy),
                                Metres(svx), Metres(svy), Metres(sdx), Metres(sdy), "", ""});

  auto fText = [&](const std::string& axis, double f) {
    const std::string upper = axis == "x" ? "X" : "Y";
    return "f" + axis + " = ΣΔ" + axis +
           (closed ? std::string() : " - (" + upper + "终 - " + upper + "起)") + " = " +
           Metres(f) + " 米";
  };
  m.coordinateSummary.push_back(fText("x", adj.fx) + "    " + fText("y", adj.fy));
  std::string k = "fs = √(fx×fx + fy×fy) = " + Metres(adj.fs) + " 米    ΣD = " +
                  Metres(adj.sumDistance) + " 米    K = ΣD / √(fx×fx + fy×fy) 舍去小数, 相对闭合差 1/K = 1/" +
                  (std::isinf(adj.K) ? std::string("∞") : GeneralNumberText(adj.K));
  if (adj.closureOverLimit) k += "    超限, 按要求强制平差";
  m.coordinateSummary.push_back(k);
  return m;
}

}  // namespace

std::string PackedAngleText(double radians, int secondsDecimals) {
  return PackedText(radians, secondsDecimals, true);
}

std::vector<std::string> TraverseReportText(const adjustment::TraverseInput& input,
                                            const adjustment::TraverseAdjustment& adjustment,
                                            const TraverseReportOptions& options) {
  const ReportModel m = BuildModel(input, adjustment, options);
  std::vector<std::string> lines{m.title, ""};
  for (const std::string& f : m.facts) lines.push_back(f);
  report::AppendTextTable(lines, "角度与坐标方位角", m.angles, m.angleSummary);
  report::AppendTextTable(lines, "坐标计算", m.coordinates, m.coordinateSummary);
  return lines;
}

std::string TraverseSketchSvg(const adjustment::TraverseInput& in,
                              const adjustment::TraverseAdjustment& adj) {
  struct Mark {
    std::string name;
    double x, y;  // grid
    bool known;
  };
  std::vector<Mark> marks;
  for (const adjustment::AdjustedStation& s : adj.stations)
    marks.push_back({s.name, s.x, s.y, s.known});
  const bool closed = in.kind == adjustment::TraverseKind::Closed;
  if (in.backSight) marks.push_back({in.backSight->name, in.backSight->x, in.backSight->y, true});
  if (!closed && in.foreSight)
    marks.push_back({in.foreSight->name, in.foreSight->x, in.foreSight->y, true});

  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (const Mark& k : marks) {
    minX = std::min(minX, k.x), maxX = std::max(maxX, k.x);
    minY = std::min(minY, k.y), maxY = std::max(maxY, k.y);
  }
  const double extent = std::max({maxX - minX, maxY - minY, 1e-3});
  // A known side given only by its azimuth is drawn as a stub a tenth of the extent long.
  const double stub = extent / 10;
  struct Stub {
    double x0, y0, x1, y1;
  };
  std::vector<Stub> stubs;
  auto addStub = [&](double x, double y, double azimuth) {
    stubs.push_back({x, y, x + stub * std::cos(azimuth), y + stub * std::sin(azimuth)});
    minX = std::min(minX, stubs.back().x1), maxX = std::max(maxX, stubs.back().x1);
    minY = std::min(minY, stubs.back().y1), maxY = std::max(maxY, stubs.back().y1);
  };
  if (!in.backSight && in.startAzimuth) addStub(in.start.x, in.start.y, *in.startAzimuth + kPi);
  if (!closed && !in.foreSight && in.endAzimuth) addStub(in.end.x, in.end.y, *in.endAzimuth);

  const report::SketchFrame f(minX, maxX, minY, maxY);
  auto sx = [&](double y) { return f.Px(y); };
  auto sy = [&](double x) { return f.Py(x); };
  double cx = 0, cy = 0;
  for (const adjustment::AdjustedStation& s : adj.stations) cx += s.x, cy += s.y;
  cx /= adj.stations.size();
  cy /= adj.stations.size();

  std::string svg = f.Open();
  auto line = [&](double x0, double y0, double x1, double y1, const std::string& style) {
    svg += report::SvgLine(sx(y0), sy(x0), sx(y1), sy(x1), style);
  };
  // Known sides as a double line: a wide dark stroke with a thin white one on top.
  auto knownSide = [&](double x0, double y0, double x1, double y1, bool dashed) {
    const std::string dash = dashed ? " stroke-dasharray=\"10 5\"" : "";
    line(x0, y0, x1, y1, "stroke=\"black\" stroke-width=\"5\"" + dash);
    line(x0, y0, x1, y1, "stroke=\"white\" stroke-width=\"2\"" + dash);
  };
  if (in.backSight) knownSide(in.backSight->x, in.backSight->y, in.start.x, in.start.y, false);
  if (!closed && in.foreSight) knownSide(in.end.x, in.end.y, in.foreSight->x, in.foreSight->y, false);
  for (const Stub& s : stubs) knownSide(s.x0, s.y0, s.x1, s.y1, true);
  for (size_t i = 0; i < adj.legs.size(); ++i) {
    const adjustment::AdjustedStation& a = adj.stations[i];
    const adjustment::AdjustedStation& b = adj.stations[(i + 1) % adj.stations.size()];
    line(a.x, a.y, b.x, b.y, "stroke=\"#1f3f8f\" stroke-width=\"1.6\"");
  }
  for (const Mark& mk : marks) {
    const double px = sx(mk.y), py = sy(mk.x);
    svg += mk.known ? report::SvgKnownPoint(px, py) : report::SvgNewPoint(px, py);
    // Names stand outside the traverse, away from its centre.
    svg += report::SvgPointName(px, py, sx(mk.y) - sx(cy), sy(mk.x) - sy(cx), mk.name);
  }
  svg += report::SvgNorthArrow(f.W);
  // Scale bar, bottom left.
  const double bar = report::ScaleBarLength(extent);
  const double bx = 30, by = f.H - 28, bw = bar * f.k;
  svg += report::SvgScaleBar(bx, by, bw, GeneralNumberText(bar) + " 米");
  svg += "</svg>\n";
  return svg;
}

std::string TraverseReportHtml(const adjustment::TraverseInput& input,
                               const adjustment::TraverseAdjustment& adjustment,
                               const TraverseReportOptions& options) {
  const ReportModel m = BuildModel(input, adjustment, options);
  std::string h = report::HtmlHead(m.title);
  h += "<h1>" + EscapeHtml(m.title) + "</h1>\n";
  for (const std::string& f : m.facts) h += "<p>" + EscapeHtml(f) + "</p>\n";
  h += report::HtmlTable("角度与坐标方位角", m.angles, m.angleSummary, report::TableEnd::SumRow);
  h += report::HtmlTable("坐标计算", m.coordinates, m.coordinateSummary, report::TableEnd::SumRow);
  // Printed, the tables fill the first A4 page and the sketch has the second to itself.
  h += "<div class=\"sketch-page\">\n<h2>导线略图</h2>\n" + TraverseSketchSvg(input, adjustment) +
       "</div>\n";
  h += "</body>\n</html>\n";
  return h;
}

}  // namespace vantrel::batch
