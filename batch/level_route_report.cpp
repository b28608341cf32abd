#include "batch/level_route_report.h"

#include <algorithm>
#include <cmath>

#include "batch/report_layout.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

using adjustment::LevelBasis;
using adjustment::LevelRouteKind;
using report::EscapeHtml;
using report::Table;

std::string M(double v) { return FormatPattern(v, "0.000"); }
// Height differences and corrections carry their sign, as the field book writes them.
std::string SignedM(double v) { return (v > 0 ? "+" : "") + FormatPattern(v, "0.000"); }
std::string SignedMm(double metres) {
  const long long mm = std::llround(metres * 1000);
  return (mm > 0 ? "+" : "") + std::to_string(mm);
}

using LevelModel = LevelReportModel;

void BookTable(const LevelFieldBook& b, LevelModel& m) {
  m.book.head = {"测站", "后视点", "前视点", "后视读数", "前视读数", "高差(m)"};
  if (b.distances) m.book.head.insert(m.book.head.end(), {"后视距(m)", "前视距(m)"});
  int n = 0;
  double sd = 0;
  for (const LevelSetup& u : b.setups) {
    std::vector<std::string> row = {std::to_string(++n), u.backPoint, u.forePoint, M(u.back), M(u.fore), SignedM(u.dh)};
    if (b.distances) {
      row.push_back(GeneralNumberText(*u.backDistance));
      row.push_back(GeneralNumberText(*u.foreDistance));
      sd += *u.backDistance + *u.foreDistance;
    }
    m.book.rows.push_back(std::move(row));
  }
  std::vector<std::string> sum = {"Σ", "", "", M(b.sumBack), M(b.sumFore), SignedM(b.sumDh)};
  m.book.rows.push_back(sum);
  m.bookSummary.push_back("检核: Σa - Σb = " + M(b.sumBack) + " - " + M(b.sumFore) + " = " + SignedM(b.sumBack - b.sumFore) +
                          " 米    Σh = " + SignedM(b.sumDh) + " 米");
  if (b.distances)
    m.bookSummary.push_back("视距总长 " + GeneralNumberText(std::round(sd * 10) / 10) + " 米");
}

LevelModel BuildLevelModel(const LevelReportInput& in, const adjustment::LevelRouteResult& r) {
  const bool spur = in.input.kind == LevelRouteKind::Spur;
  const bool byLength = r.options.distribute == LevelBasis::Length;
  const char* kind = in.input.kind == LevelRouteKind::Closed ? "闭合" : spur ? "支" : "附合";
  LevelModel m;
  m.title = std::string(kind) + "水准路线成果计算表";
  m.facts.push_back("路线: " + std::string(kind) + "水准路线    测段数: " + std::to_string(r.sections.size()) +
                    (spur ? " (往返观测)" : "") + "    改正数按" + (byLength ? "距离" : "测站数") + "分配");
  const std::string grade = r.options.coefficient ? std::string("自定限差") : r.options.grade;
  const bool allowL = r.options.allowanceBasis == LevelBasis::Length;
  m.facts.push_back("等级: " + grade + "    限差: ±" + GeneralNumberText(r.coefficient) + (allowL ? "√L" : "√n") +
                    " 毫米 (" + (allowL ? "L 为路线长公里数" : "n 为测站数") + (spur ? ", 单程" : "") + ")");
  if (in.book) BookTable(*in.book, m);

  m.route.head = {"点号", byLength ? "距离(km)" : "测站数", spur ? "往测高差(m)" : "实测高差(m)"};
  if (spur) m.route.head.push_back("返测高差(m)");
  m.route.head.insert(m.route.head.end(), {"改正数(mm)", "改正后高差(m)", "高程(m)", "备注"});
  // Lengths all at the decimals the finest of them needs, at least one, as books print 1.0 km.
  int decimals = 1;
  for (const adjustment::AdjustedSection& s : r.sections)
    while (decimals < 6 && std::abs(s.lengthKm * std::pow(10, decimals) - std::round(s.lengthKm * std::pow(10, decimals))) > 1e-6)
      ++decimals;
  const std::string lengthPattern = "0." + std::string(decimals, '0');
  auto amount = [&](const adjustment::AdjustedSection& s) {
    return byLength ? FormatPattern(s.lengthKm, lengthPattern) : std::to_string(s.setups);
  };
  const size_t last = r.names.size() - 1;
  double sumV = 0, sumAdj = 0, sumBack = 0;
  for (size_t i = 0; i < r.names.size(); ++i) {
    std::vector<std::string> row = {r.names[i]};
    if (i < r.sections.size()) {
      const adjustment::AdjustedSection& s = r.sections[i];
      row.push_back(amount(s));
      row.push_back(SignedM(s.dh));
      if (spur) row.push_back(SignedM(*s.back)), sumBack += *s.back;
      row.push_back(SignedMm(s.correction));
      row.push_back(SignedM(s.adjusted));
      sumV += s.correction;
      sumAdj += s.adjusted;
    } else {
      row.resize(spur ? 6 : 5);
    }
    row.push_back(M(r.heights[i]));
    const bool known = i == 0 || (i == last && in.input.kind != LevelRouteKind::Spur);
    row.push_back(known ? "已知" : "");
    m.route.rows.push_back(std::move(row));
  }
  std::vector<std::string> sum = {"Σ", byLength ? FormatPattern(r.sumLength, lengthPattern)
                                                : std::to_string(r.sumSetups),
                                  SignedM(r.sumObserved)};
  if (spur) sum.push_back(SignedM(sumBack));
  sum.insert(sum.end(), {SignedMm(sumV), SignedM(sumAdj), "", ""});
  m.route.rows.push_back(std::move(sum));

  std::string f;
  if (in.input.kind == LevelRouteKind::Closed) f = "fh = Σh测 = " + SignedM(r.sumObserved) + " 米";
  else if (spur) f = "fh = Σh往 + Σh返 = " + SignedM(r.sumObserved) + " + (" + SignedM(sumBack) + ") 米";
  else f = "fh = Σh测 - (H终 - H始) = " + SignedM(r.sumObserved) + " - (" + M(*in.input.endHeight) + " - " +
           M(in.input.startHeight) + ") 米";
  m.summary.push_back(f + " = " + SignedMm(r.fh) + " 毫米");
  const double amountAllow = allowL ? r.sumLength : r.sumSetups;
  std::string a = "fh允 = ±" + GeneralNumberText(r.coefficient) + "√" + GeneralNumberText(std::round(amountAllow * 1e6) / 1e6) +
                  " = ±" + FormatPattern(r.allowance * 1000, "0.0") + " 毫米    ";
  a += r.overLimit ? "|fh| > fh允, 超限, 按要求强制平差" : "|fh| ≤ fh允, 合格";
  m.summary.push_back(a);
  if (spur) {
    m.summary.push_back("各测段取往返高差的平均值 (符号从往测): 改正数 -(h往 + h返)/2, 半毫米进为一毫米");
  } else {
    m.summary.push_back(std::string(byLength ? "每公里改正数 -fh/ΣL = " : "每站改正数 -fh/Σn = ") +
                        FormatPattern(r.perUnit, "0.00") + " 毫米");
    std::string rest;
    for (const adjustment::AdjustedSection& s : r.sections)
      if (s.remainder) rest += (rest.empty() ? "" : "、") + s.from + "→" + s.to;
    m.summary.push_back(std::string("改正数 -fh·") + (byLength ? "Li/ΣL" : "ni/Σn") + (r.options.rounding == adjustment::ShareRounding::Nearest ? " 四舍五入至毫米" : " 舍至毫米") +
                        (rest.empty() ? ", 其和正好为 -fh" : ", 余下的毫米每段 1 毫米给最长的测段: " + rest));
  }
  m.summary.push_back("Σv = " + SignedMm(sumV) + " 毫米" + (spur ? "" : " = -fh") +
                      "    终点推算高程 " + M(r.heights.back()) +
                      (in.input.kind == LevelRouteKind::Spur ? "" : " = 已知高程"));
  return m;
}

}  // namespace

LevelReportModel LevelRouteReportModel(const LevelReportInput& in, const adjustment::LevelRouteResult& r) {
  return BuildLevelModel(in, r);
}

std::vector<std::string> LevelRouteReportText(const LevelReportInput& in, const adjustment::LevelRouteResult& r) {
  const LevelModel m = BuildLevelModel(in, r);
  std::vector<std::string> lines{m.title, ""};
  for (const std::string& f : m.facts) lines.push_back(f);
  if (in.book) report::AppendTextTable(lines, "水准测量手簿", m.book, m.bookSummary);
  report::AppendTextTable(lines, "高差闭合差的调整与高程计算", m.route, m.summary);
  return lines;
}

std::string LevelProfileSvg(const adjustment::LevelRouteResult& r) {
  const bool byLength = r.options.distribute == LevelBasis::Length;
  std::vector<double> along = {0};
  for (const adjustment::AdjustedSection& s : r.sections)
    along.push_back(along.back() + (byLength ? s.lengthKm : s.setups));
  const double minH = *std::min_element(r.heights.begin(), r.heights.end());
  const double maxH = *std::max_element(r.heights.begin(), r.heights.end());
  const double W = 760, H = 300, left = 70, right = 30, top = 30, bottom = 50;
  const double span = std::max(along.back(), 1e-9), rise = std::max(maxH - minH, 1e-3);
  auto px = [&](double d) { return left + (W - left - right) * d / span; };
  auto py = [&](double h) { return top + (H - top - bottom) * (maxH - h) / rise; };
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + report::SvgNum(W) + " " +
                    report::SvgNum(H) + "\" width=\"100%\" font-size=\"12\">\n";
  const std::string axis = "stroke=\"black\" stroke-width=\"1\"";
  svg += report::SvgLine(left, H - bottom, W - right, H - bottom, axis);
  svg += report::SvgLine(left, top, left, H - bottom, axis);
  for (double h : {minH, maxH})
    svg += "<text x=\"" + report::SvgNum(left - 6) + "\" y=\"" + report::SvgNum(py(h) + 4) +
           "\" text-anchor=\"end\">" + M(h) + "</text>\n";
  svg += "<text x=\"" + report::SvgNum((left + W - right) / 2) + "\" y=\"" + report::SvgNum(H - 12) +
         "\" text-anchor=\"middle\">" + (byLength ? "路线长 (公里)" : "测站数") + " 0 - " +
         GeneralNumberText(std::round(along.back() * 1e6) / 1e6) + "; 高程 (米)</text>\n";
  for (size_t i = 0; i + 1 < along.size(); ++i)
    svg += report::SvgLine(px(along[i]), py(r.heights[i]), px(along[i + 1]), py(r.heights[i + 1]),
                           "stroke=\"#1f3f8f\" stroke-width=\"1.6\"");
  for (size_t i = 0; i < along.size(); ++i) {
    const double x = px(along[i]), y = py(r.heights[i]);
    svg += report::SvgLine(x, y, x, H - bottom, "stroke=\"#999\" stroke-width=\"0.6\" stroke-dasharray=\"3 3\"");
    // The start is known, and the end too unless the route is a spur.
    const bool known = i == 0 || (i + 1 == along.size() && !r.sections.back().back);
    svg += known ? report::SvgKnownPoint(x, y) : report::SvgNewPoint(x, y);
    svg += report::SvgPointName(x, y, 0, -1, r.names[i]);
  }
  svg += "</svg>\n";
  return svg;
}

std::string LevelRouteReportHtml(const LevelReportInput& in, const adjustment::LevelRouteResult& r) {
  const LevelModel m = BuildLevelModel(in, r);
  std::string h = report::HtmlHead(m.title, "td.t { text-align: left; }\n");
  h += "<h1>" + EscapeHtml(m.title) + "</h1>\n";
  for (const std::string& f : m.facts) h += "<p>" + EscapeHtml(f) + "</p>\n";
  if (in.book)
    h += report::HtmlTable("水准测量手簿", m.book, m.bookSummary, report::TableEnd::SumRow, m.book.rows.size() > 30, {1, 2});
  h += report::HtmlTable("高差闭合差的调整与高程计算", m.route, m.summary, report::TableEnd::SumRow, false,
                         {0, m.route.head.size() - 1});
  h += "<h2>高程剖面</h2>\n" + LevelProfileSvg(r);
  h += "</body>\n</html>\n";
  return h;
}

}  // namespace vantrel::batch
