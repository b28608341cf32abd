#include "batch/network_report.h"

#include <cmath>
#include <map>
#include <optional>

#include "adjustment/statistics.h"
#include "batch/report_layout.h"
#include "batch/traverse_report.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

using adjustment::ObservationKind;
using report::Table;

constexpr long long kCircleHundredths = 129600000;  // 360° in hundredths of a second

// Angles in whole hundredths of a second, the unit of every printed angle and angle residual.
long long Hundredths(double radians) { return std::llround(radians * adjustment::SecondsPerRadian() * 100); }
// Lengths in whole tenths of a millimetre.
long long TenthsOfMm(double metres) { return std::llround(metres * 1e4); }

std::string AngleText(long long hundredths) {
  hundredths %= kCircleHundredths;
  if (hundredths < 0) hundredths += kCircleHundredths;
  return PackedAngleText(hundredths / 100.0 / adjustment::SecondsPerRadian(), 2);
}
std::string SecondsText(long long hundredths) { return FormatPattern(hundredths / 100.0, "0.00"); }
std::string MetresText(long long tenthsOfMm) { return FormatPattern(tenthsOfMm / 1e4, "0.0000"); }
std::string Metres(double m) { return MetresText(TenthsOfMm(m)); }
std::string MmText(long long tenthsOfMm) { return FormatPattern(tenthsOfMm / 10.0, "0.0"); }
// A standard deviation or a semi-axis in millimetres, to 0.01 mm.
std::string Mm(double metres) { return FormatPattern(metres * 1000, "0.00"); }
std::string ArcSeconds(double radians) { return FormatPattern(radians * adjustment::SecondsPerRadian(), "0.00"); }
std::string Redundancy(double r) { return FormatPattern(r, "0.000"); }
std::string Standardized(double w) { return std::isnan(w) ? "-" : FormatPattern(w, "0.00"); }

// The mark of an observation in the tables: the most probable blunder, or another one whose
// standardized residual is over the critical value.
std::string Verdict(double w, bool suspect) {
  if (suspect) return "最可能粗差";
  return !std::isnan(w) && std::fabs(w) > adjustment::kDataSnoopingCritical ? "超限" : "";
}

// A list of point names, shortened past a handful.
std::string NameList(const std::vector<std::string>& names) {
  std::string s;
  for (size_t i = 0; i < names.size() && i < 8; ++i) s += (i ? "、" : "") + names[i];
  if (names.size() > 8) s += " 等 " + std::to_string(names.size()) + " 个点";
  return s;
}

struct Section {
  explicit Section(std::string h) : heading(std::move(h)) {}
  std::string heading;
  std::vector<std::string> paragraphs;
  std::optional<Table> table;
  std::vector<std::string> summary;
  bool longTable = false;
  std::vector<size_t> textColumns;  // set left in the HTML
};

struct Model {
  std::string title;
  std::vector<std::string> facts;
  std::vector<Section> sections;
};

const char* KindName(ObservationKind k) {
  switch (k) {
    case ObservationKind::Direction: return "方向";
    case ObservationKind::Angle: return "角度";
    case ObservationKind::Distance: return "边长";
    case ObservationKind::Azimuth: return "方位角";
  }
  return "";
}

std::string ObservationName(const adjustment::PlaneObservation& o) {
  std::string s = std::string(KindName(o.kind)) + " " + o.station + "→" + o.target;
  if (o.kind == ObservationKind::Angle) s = std::string("角度 ") + o.target + "-" + o.station + "-" + o.target2;
  return s;
}

std::string ScalingRule(bool aPosteriori) {
  return aPosteriori ? "中误差按验后单位权中误差计算" : "中误差按先验单位权中误差计算";
}

std::string TestLine(double chi, double lower, double upper, bool passed, int dof) {
  if (dof <= 0) return "全局检验: 没有多余观测, 不作检验";
  return "全局检验 (χ2 检验, 95%): [pvv]/(σ0×σ0) = " + FormatPattern(chi, "0.00") + " (σ0 为先验值)    接受区间 [" +
         FormatPattern(lower, "0.00") + ", " + FormatPattern(upper, "0.00") + "]    " + (passed ? "通过" : "不通过");
}

const std::string kSnooping = "数据探测 (Baarda, α0 = 0.1%, |w| 的临界值 3.29): ";

int LineOf(const std::vector<int>& lines, size_t i) { return i < lines.size() ? lines[i] : 0; }
std::string AtLine(int line) { return line > 0 ? "第 " + std::to_string(line) + " 行 " : ""; }

// ---------------------------------------------------------------- plane network

void PlaneSections(const NetworkFile& f, const NetworkAdjustment& a, Model& m) {
  const adjustment::PlaneNetwork& net = f.plane;
  const adjustment::PlaneOptions& opt = f.planeOptions;
  const adjustment::PlaneResult& r = *a.plane;

  Section head{"平面控制网"};
  std::vector<std::string> fixed, weighted;
  for (const adjustment::PlanePoint& p : net.points) {
    if (!p.knownX && !p.knownY) continue;
    ((p.knownX && p.sigmaX > 0) || (p.knownY && p.sigmaY > 0) ? weighted : fixed).push_back(p.name);
  }
  std::map<ObservationKind, int> kinds;
  int ownSigma = 0;
  for (const adjustment::PlaneObservation& o : net.observations) {
    ++kinds[o.kind];
    if (o.sigma > 0) ++ownSigma;
  }
  int unknownCoordinates = 0;
  for (const adjustment::AdjustedPlanePoint& p : r.points) unknownCoordinates += p.adjustedX + p.adjustedY;
  std::string obs;
  for (const auto& [kind, n] : kinds) obs += std::string(obs.empty() ? "" : ", ") + KindName(kind) + " " + std::to_string(n);
  const size_t known = fixed.size() + weighted.size();
  head.paragraphs.push_back("点数 " + std::to_string(net.points.size()) + " (已知 " + std::to_string(known) + ", 待定 " +
                            std::to_string(net.points.size() - known) + ")    观测值 " +
                            std::to_string(net.observations.size()) + " (" + obs + ")    未知数 " +
                            std::to_string(unknownCoordinates + r.orientations.size()) + " (坐标 " +
                            std::to_string(unknownCoordinates) + ", 定向角 " + std::to_string(r.orientations.size()) +
                            ")    多余观测数 " + std::to_string(r.degreesOfFreedom));
  if (opt.datum == adjustment::PlaneDatum::Free) {
    head.paragraphs.push_back("基准: 自由网 (秩亏), 最小范数条件于" +
                              (opt.datumPoints.empty() ? std::string("全部点") : "点 " + NameList(opt.datumPoints)));
  } else {
    std::string d = "基准: 已知点";
    if (!fixed.empty()) d += " 固定 " + NameList(fixed);
    if (!weighted.empty()) d += std::string(fixed.empty() ? "" : ";") + " 加权 (按已知坐标的中误差) " + NameList(weighted);
    head.paragraphs.push_back(d);
  }
  std::string acc = "先验单位权中误差 σ0 = ±" + FormatPattern(opt.sigma0, "0.00") + "″    仪器精度:";
  if (kinds.count(ObservationKind::Direction)) acc += " 方向 ±" + ArcSeconds(opt.directionSigma) + "″";
  if (kinds.count(ObservationKind::Angle)) acc += " 角度 ±" + ArcSeconds(opt.angleSigma) + "″";
  if (kinds.count(ObservationKind::Distance))
    acc += " 边长 ±(" + GeneralNumberText(opt.distanceSigmaA * 1000) + " mm + " +
           GeneralNumberText(opt.distanceSigmaB * 1e6) + " ppm)";
  if (kinds.count(ObservationKind::Azimuth)) acc += " 方位角 ±" + ArcSeconds(opt.azimuthSigma) + "″";
  if (ownSigma > 0) acc += "    另有 " + std::to_string(ownSigma) + " 个观测值按各自的中误差定权";
  head.paragraphs.push_back(acc);
  head.paragraphs.push_back(ScalingRule(opt.scaleByAPosteriori) +
                            "    位数: 坐标、边长取至 0.1 毫米, 中误差与误差椭圆取至 0.01 毫米, 角度取至 0.01″ (度.分秒), "
                            "椭圆长轴方位取至 1″; 平差值 = 观测值 + v (按印出的位数)");
  m.sections.push_back(std::move(head));

  Section result{"平差结果"};
  result.paragraphs.push_back("验后单位权中误差 σ0 = ±" + FormatPattern(r.sigma0, "0.00") + "″    多余观测数 f = " +
                              std::to_string(r.degreesOfFreedom) + "    迭代 " + std::to_string(r.iterations) + " 次");
  result.paragraphs.push_back(TestLine(r.chiSquare, r.chiSquareLower, r.chiSquareUpper, r.globalTestPassed, r.degreesOfFreedom));
  if (r.suspectObservation >= 0 && r.suspectObservation < static_cast<int>(net.observations.size())) {
    const size_t i = r.suspectObservation;
    result.paragraphs.push_back(kSnooping + "最可能的粗差是 " + AtLine(LineOf(f.observationLines, i)) +
                                ObservationName(net.observations[i]) +
                                ", w = " + Standardized(r.observations[i].standardized));
  } else {
    result.paragraphs.push_back(kSnooping + "没有 |w| 超过 3.29 的观测值");
  }
  m.sections.push_back(std::move(result));

  Section coords{"坐标及其精度"};
  coords.longTable = true;
  coords.textColumns = {9};
  coords.table = Table{{"点名", "X(米)", "Y(米)", "σx(毫米)", "σy(毫米)", "σP(毫米)", "E(毫米)", "F(毫米)", "φ(度.分秒)", "备注"}, {}};
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedPlanePoint& p = r.points[i];
    const adjustment::PlanePoint& in = net.points[i];
    std::string note;
    if (in.knownX && in.knownY) note = "已知";
    else if (in.knownX) note = "已知X";
    else if (in.knownY) note = "已知Y";
    if (!note.empty() && ((in.knownX && in.sigmaX > 0) || (in.knownY && in.sigmaY > 0))) note += "(加权)";
    std::vector<std::string> row{p.name, Metres(p.x), Metres(p.y)};
    if (p.adjustedX || p.adjustedY) {
      const std::string sx = Mm(p.sigmaX), sy = Mm(p.sigmaY);
      const double px = ReadStrict(sx).value_or(0), py = ReadStrict(sy).value_or(0);
      row.insert(row.end(), {sx, sy, FormatPattern(std::sqrt(px * px + py * py), "0.00"), Mm(p.ellipse.major),
                             Mm(p.ellipse.minor), PackedAngleText(p.ellipse.azimuth, 0)});
    } else {
      row.insert(row.end(), 6, "");
    }
    row.push_back(note);
    coords.table->rows.push_back(std::move(row));
  }
  m.sections.push_back(std::move(coords));

  if (!r.relative.empty()) {
    Section rel{"相对误差椭圆"};
    rel.longTable = true;
    rel.textColumns = {1};
    rel.table = Table{{"点名", "至点名", "E(毫米)", "F(毫米)", "φ(度.分秒)", "σD(毫米)", "σα(″)"}, {}};
    for (const adjustment::RelativeEllipse& e : r.relative)
      rel.table->rows.push_back({r.points.at(e.from).name, r.points.at(e.to).name, Mm(e.ellipse.major),
                                 Mm(e.ellipse.minor), PackedAngleText(e.ellipse.azimuth, 0), Mm(e.sigmaDistance),
                                 ArcSeconds(e.sigmaAzimuth)});
    m.sections.push_back(std::move(rel));
  }

  for (const auto& [kind, count] : kinds) {
    const bool distance = kind == ObservationKind::Distance;
    Section s{std::string(KindName(kind)) + "观测值"};
    s.longTable = true;
    s.textColumns = {1, 8};
    s.table = Table{{"测站", kind == ObservationKind::Angle ? "起始-终止" : "照准",
                     distance ? "观测值(米)" : "观测值", distance ? "平差值(米)" : "平差值",
                     distance ? "v(毫米)" : "v(″)", distance ? "σ(毫米)" : "σ(″)", "r", "w", "检验"},
                    {}};
    for (size_t i = 0; i < net.observations.size(); ++i) {
      const adjustment::PlaneObservation& o = net.observations[i];
      if (o.kind != kind) continue;
      const adjustment::AdjustedObservation& ad = r.observations.at(i);
      std::vector<std::string> row{o.station, kind == ObservationKind::Angle ? o.target + "-" + o.target2 : o.target};
      if (distance) {
        const long long obs = TenthsOfMm(o.value), v = TenthsOfMm(ad.residual);
        row.insert(row.end(), {MetresText(obs), MetresText(obs + v), MmText(v), Mm(ad.sigma)});
      } else {
        const long long obs = Hundredths(o.value), v = Hundredths(ad.residual);
        row.insert(row.end(), {AngleText(obs), AngleText(obs + v), SecondsText(v), ArcSeconds(ad.sigma)});
      }
      row.insert(row.end(), {Redundancy(ad.redundancy), Standardized(ad.standardized),
                             Verdict(ad.standardized, static_cast<int>(i) == r.suspectObservation)});
      s.table->rows.push_back(std::move(row));
    }
    m.sections.push_back(std::move(s));
  }

  if (!r.orientations.empty()) {
    Section s{"定向角 (方向组零方向的方位角)"};
    s.longTable = true;
    s.table = Table{{"测站", "方向组", "定向角"}, {}};
    for (size_t k = 0; k < r.orientations.size() && k < r.sets.size(); ++k) {
      std::string station;
      for (const adjustment::PlaneObservation& o : net.observations)
        if (o.kind == ObservationKind::Direction && o.set == r.sets[k]) {
          station = o.station;
          break;
        }
      s.table->rows.push_back({station, std::to_string(r.sets[k]), AngleText(Hundredths(r.orientations[k]))});
    }
    m.sections.push_back(std::move(s));
  }
}

// The compass rule beside the rigorous adjustment of the same traverse; the differences are
// those of the printed coordinates.
void CompassSection(const NetworkAdjustment& a, Model& m) {
  const adjustment::TraverseAdjustment& c = *a.compass;
  Section s{"与导线近似平差 (按边长比例分配) 比较"};
  if (!c.ok) {
    s.paragraphs.push_back("导线近似平差不能进行: " + c.error);
    m.sections.push_back(std::move(s));
    return;
  }
  s.table = Table{{"点名", "严密平差X(米)", "严密平差Y(米)", "近似平差X(米)", "近似平差Y(米)", "ΔX(毫米)", "ΔY(毫米)"}, {}};
  for (const adjustment::AdjustedStation& st : c.stations) {
    if (st.known) continue;
    for (const adjustment::AdjustedPlanePoint& p : a.plane->points) {
      if (p.name != st.name) continue;
      const long long rx = TenthsOfMm(p.x), ry = TenthsOfMm(p.y);
      const long long cx = std::llround(st.x * 1e3) * 10, cy = std::llround(st.y * 1e3) * 10;
      s.table->rows.push_back({st.name, MetresText(rx), MetresText(ry), FormatPattern(st.x, "0.000"),
                               FormatPattern(st.y, "0.000"), MmText(rx - cx), MmText(ry - cy)});
    }
  }
  s.summary.push_back("Δ = 严密平差 - 近似平差; 近似平差的坐标取至毫米 (导线坐标计算表的位数)");
  if (c.overLimit || c.closureOverLimit) s.summary.push_back("近似平差的闭合差超过图根限差, 按要求强制平差");
  m.sections.push_back(std::move(s));
}

// ---------------------------------------------------------------- levelling network

void LevellingSections(const NetworkFile& f, const NetworkAdjustment& a, Model& m) {
  const adjustment::LevellingResult& r = *a.levelling;
  const adjustment::LevellingOptions& opt = f.levellingOptions;
  Section head{"水准网"};
  std::vector<std::string> fixed, weighted;
  for (const adjustment::LevelPoint& p : f.levelPoints)
    if (p.knownHeight) (p.knownSigma > 0 ? weighted : fixed).push_back(p.name);
  int unknowns = 0;
  for (const adjustment::AdjustedLevelPoint& p : r.points) unknowns += p.unknown;
  const size_t known = fixed.size() + weighted.size();
  head.paragraphs.push_back("点数 " + std::to_string(f.levelPoints.size()) + " (已知 " + std::to_string(known) + ", 待定 " +
                            std::to_string(f.levelPoints.size() - known) + ")    高差观测 " +
                            std::to_string(f.levelLines.size()) + "    未知数 " + std::to_string(unknowns) +
                            "    多余观测数 " + std::to_string(r.degreesOfFreedom));
  if (opt.datum == adjustment::Datum::Free) {
    head.paragraphs.push_back("基准: 自由网 (秩亏), 最小范数条件于" +
                              (opt.datumPoints.empty() ? std::string("全部点") : "点 " + NameList(opt.datumPoints)));
  } else {
    std::string d = "基准: 已知点";
    if (!fixed.empty()) d += " 固定 " + NameList(fixed);
    if (!weighted.empty()) d += std::string(fixed.empty() ? "" : ";") + " 加权 (按已知高程的中误差) " + NameList(weighted);
    head.paragraphs.push_back(d);
  }
  // One weighting for all lines is said once; mixed ones are in the lines' table.
  const adjustment::LevelLine& first = f.levelLines.front();
  bool same = true;
  for (const adjustment::LevelLine& l : f.levelLines) same = same && l.weight == first.weight && l.sigma == first.sigma;
  const bool byLength = first.weight == adjustment::LineWeight::ByLength;
  std::string acc = "先验单位权中误差 σ0 = ±" + FormatPattern(opt.sigma0 * 1000, "0.00") + " 毫米    ";
  if (same)
    acc += std::string(byLength ? "每公里" : "每测站") + "高差中误差 ±" + FormatPattern(first.sigma * 1000, "0.00") +
           " 毫米 (按" + (byLength ? "路线长度" : "测站数") + "定权)";
  else
    acc += "各路线按各自的中误差定权";
  head.paragraphs.push_back(acc);
  head.paragraphs.push_back(ScalingRule(opt.scaleByAPosteriori) +
                            "    位数: 高程、高差取至 0.1 毫米, 中误差取至 0.01 毫米; 平差高差 = 观测高差 + v");
  m.sections.push_back(std::move(head));

  Section result{"水准网平差结果"};
  result.paragraphs.push_back("验后单位权中误差 σ0 = ±" + FormatPattern(r.sigma0 * 1000, "0.00") +
                              " 毫米    多余观测数 f = " + std::to_string(r.degreesOfFreedom));
  result.paragraphs.push_back(TestLine(r.chiSquare, r.chiSquareLower, r.chiSquareUpper, r.globalTestPassed, r.degreesOfFreedom));
  if (r.suspectLine >= 0 && r.suspectLine < static_cast<int>(f.levelLines.size())) {
    const size_t i = r.suspectLine;
    result.paragraphs.push_back(kSnooping + "最可能的粗差是 " + AtLine(LineOf(f.levelLineLines, i)) + "高差 " +
                                f.levelLines[i].from + "→" + f.levelLines[i].to +
                                ", w = " + Standardized(r.lines[i].standardized));
  } else {
    result.paragraphs.push_back(kSnooping + "没有 |w| 超过 3.29 的高差");
  }
  m.sections.push_back(std::move(result));

  Section heights{"高程及其精度"};
  heights.longTable = true;
  heights.textColumns = {3};
  heights.table = Table{{"点名", "H(米)", "σH(毫米)", "备注"}, {}};
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedLevelPoint& p = r.points[i];
    const adjustment::LevelPoint& in = f.levelPoints[i];
    std::string note = in.knownHeight ? (in.knownSigma > 0 ? "已知(加权)" : "已知") : "";
    heights.table->rows.push_back({p.name, Metres(p.height), p.unknown ? Mm(p.sigma) : "", note});
  }
  m.sections.push_back(std::move(heights));

  Section lines{"高差观测值"};
  lines.longTable = true;
  lines.textColumns = {1, 9};
  lines.table = Table{{"起点", "终点", "观测高差(米)", "平差高差(米)", "v(毫米)", byLength && same ? "路线长(公里)" : "路线长/测站",
                       "σ(毫米)", "r", "w", "检验"},
                      {}};
  for (size_t i = 0; i < f.levelLines.size(); ++i) {
    const adjustment::LevelLine& l = f.levelLines[i];
    const adjustment::AdjustedLevelLine& ad = r.lines.at(i);
    const long long obs = TenthsOfMm(l.dh), v = TenthsOfMm(ad.residual);
    const bool km = l.weight == adjustment::LineWeight::ByLength;
    std::string amount = km ? FormatPattern(l.amount, "0.000") : GeneralNumberText(l.amount);
    if (!same) amount += km ? "公里" : "站";
    lines.table->rows.push_back({l.from, l.to, MetresText(obs), MetresText(obs + v), MmText(v), amount,
                                 Mm(l.sigma * std::sqrt(l.amount)), Redundancy(ad.redundancy),
                                 Standardized(ad.standardized),
                                 Verdict(ad.standardized, static_cast<int>(i) == r.suspectLine)});
  }
  m.sections.push_back(std::move(lines));
}

Model BuildModel(const NetworkFile& f, const std::string& fileName, const NetworkAdjustment& a) {
  Model m;
  m.title = a.plane && a.levelling ? "控制网与水准网平差成果" : a.plane ? "控制网平差成果" : "水准网平差成果";
  m.facts.push_back("文件: " + fileName + (f.traverse ? "    (导线观测文件, 按控制网严密平差)" : ""));
  if (a.plane) PlaneSections(f, a, m);
  if (a.plane && a.compass) CompassSection(a, m);
  if (a.levelling) LevellingSections(f, a, m);
  return m;
}

}  // namespace

std::vector<std::string> NetworkReportText(const NetworkFile& file, const std::string& fileName,
                                           const NetworkAdjustment& adjustment) {
  const Model m = BuildModel(file, fileName, adjustment);
  std::vector<std::string> lines{m.title, ""};
  for (const std::string& f : m.facts) lines.push_back(f);
  for (const Section& s : m.sections) {
    if (s.table) {
      report::AppendTextTable(lines, s.heading, *s.table, s.summary);
      continue;
    }
    lines.push_back("");
    lines.push_back(s.heading);
    for (const std::string& p : s.paragraphs) lines.push_back(p);
  }
  return lines;
}

std::string NetworkReportHtml(const NetworkFile& file, const std::string& fileName,
                              const NetworkAdjustment& adjustment, const NetworkReportOptions& options) {
  const Model m = BuildModel(file, fileName, adjustment);
  // Long tables run over pages with their head repeated; a row is never cut.
  std::string h = report::HtmlHead(m.title, "table.long { break-inside: auto; }\ntr { break-inside: avoid; }\ntd.t { text-align: left; }\n");
  h += "<h1>" + report::EscapeHtml(m.title) + "</h1>\n";
  for (const std::string& f : m.facts) h += "<p>" + report::EscapeHtml(f) + "</p>\n";
  for (const Section& s : m.sections) {
    if (s.table) {
      h += report::HtmlTable(report::EscapeHtml(s.heading), *s.table, s.summary, report::TableEnd::Plain, s.longTable,
                             s.textColumns);
      continue;
    }
    h += "<h2>" + report::EscapeHtml(s.heading) + "</h2>\n";
    for (const std::string& p : s.paragraphs) h += "<p>" + report::EscapeHtml(p) + "</p>\n";
  }
  const std::string svg = NetworkSketchSvg(file, adjustment, options);
  if (!svg.empty()) h += "<div class=\"sketch-page\">\n<h2>控制网略图</h2>\n" + svg + "</div>\n";
  h += "</body>\n</html>\n";
  return h;
}

}  // namespace vantrel::batch
