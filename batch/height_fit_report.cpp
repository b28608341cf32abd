// The reports of a GNSS height fit: text in print zones and an HTML page with a drawing.
#include <algorithm>
#include <cmath>

#include "batch/height_fit_file.h"
#include "batch/report_layout.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

using adjustment::HeightFit;
using adjustment::HeightModel;
using report::EscapeHtml;
using report::Table;

// A value as printed and the value the printed text stands for: the table's sums are made
// of the latter.
double PrintedValue(double v, const char* pattern) { return std::stod(FormatPattern(v, pattern)); }

const char* Formula(HeightModel m) {
  switch (m) {
    case HeightModel::Constant: return "ζ = a0";
    case HeightModel::Plane: return "ζ = a0 + a1·u + a2·v";
    case HeightModel::Quadratic: return "ζ = a0 + a1·u + a2·v + a3·u*u + a4·u·v + a5·v*v";
    case HeightModel::Multiquadric: return "ζ = a0 + a1·u + a2·v + Σ λj·√(rj*rj + c*c)";
    case HeightModel::ThinPlate: return "ζ = a0 + a1·u + a2·v + Σ λj·rj*rj·ln rj";
  }
  return "";
}

std::string Millimetres(double metres) { return FormatPattern(metres * 1000, "0.0"); }

HeightReportModel BuildHeightModel(const HeightFit& f) {
  HeightReportModel m;
  const HeightModel model = f.options.model;
  const bool radial = model == HeightModel::Multiquadric || model == HeightModel::ThinPlate;
  m.title = std::string("GNSS高程拟合 (") + adjustment::HeightModelChinese(model) + ")";
  m.facts.push_back("拟合点 " + std::to_string(f.fitting) + " 个, 检核点 " + std::to_string(f.checks) + " 个, 参数 " +
                    std::to_string(f.unknowns) + " 个");
  m.facts.push_back(std::string("模型: ") + Formula(model) + (radial ? " (过每个拟合点, 线性趋势项)" : " (最小二乘)"));
  m.facts.push_back("u = (x - x0)/s, v = (y - y0)/s" + std::string(radial ? ", rj 为到拟合点 j 的距离 (同除以 s)" : "") +
                    ": x0 = " + FormatPattern(f.x0, "0.000") + ", y0 = " + FormatPattern(f.y0, "0.000") +
                    " (拟合点重心), s = " + FormatPattern(f.scale, "0.000") + " 米 (到重心的均方根距离)");
  if (model == HeightModel::Multiquadric)
    m.facts.push_back("c = " + FormatPattern(f.shape, "0.000") + " 米" +
                      (f.options.shape > 0 ? " (给定)" : " (0.815 × 拟合点到最近点的平均距离)") + ", 计算时同除以 s");
  m.parameters.head = {"参数", "值"};
  for (const adjustment::HeightParameter& p : f.parameters) m.parameters.rows.push_back({p.name, GeneralNumberText(p.value)});

  m.points.head = {"点名", "x(米)", "y(米)", "大地高H", "正常高h", "ζ=H-h", "拟合ζ", "v(毫米)", "备注"};
  for (const adjustment::HeightFitPoint& p : f.points) {
    const double zeta = PrintedValue(p.H, "0.0000") - PrintedValue(p.h, "0.0000");
    const double v = PrintedValue(p.fitted, "0.0000") - zeta;
    m.points.rows.push_back({p.name, FormatPattern(p.x, "0.000"), FormatPattern(p.y, "0.000"), FormatPattern(p.H, "0.0000"),
                             FormatPattern(p.h, "0.0000"), FormatPattern(zeta, "0.0000"), FormatPattern(p.fitted, "0.0000"),
                             Millimetres(v), p.check ? kCheckMarker : ""});
  }
  const std::string n = std::to_string(f.fitting), u = std::to_string(f.unknowns);
  if (std::isnan(f.sigmaInternal))
    m.summary.push_back("内符合精度: 拟合点 n = " + n + " 不多于参数 u = " + u + " (插值), 残差为零, 不能评定");
  else
    m.summary.push_back("内符合精度 σ = ±√([vv]/(n-u)) = ±" + Millimetres(f.sigmaInternal) + " 毫米 (n = " + n + ", u = " + u + ")");
  if (std::isnan(f.sigmaLeaveOneOut))
    m.summary.push_back("留一法精度: 去掉某个拟合点后模型定不下来, 不能评定");
  else
    m.summary.push_back("留一法精度 ±√([ee]/n) = ±" + Millimetres(f.sigmaLeaveOneOut) +
                        " 毫米 (e: 去掉该拟合点重新拟合后在该点的预测误差)");
  if (f.checks == 0)
    m.summary.push_back("外符合精度: 没有检核点");
  else
    m.summary.push_back("外符合精度 ±√([vv]/m) = ±" + Millimetres(f.sigmaExternal) + " 毫米 (检核点 m = " +
                        std::to_string(f.checks) + ")");
  m.summary.push_back("v = 拟合ζ - ζ; 表中各数取至 0.1 毫米, ζ 与 v 由表中数字算得; 精度由未凑整的数算得。");
  return m;
}

}  // namespace

HeightReportModel HeightFitReportModel(const HeightFit& fit) { return BuildHeightModel(fit); }

std::vector<std::string> HeightFitReportText(const HeightFit& fit) {
  const HeightReportModel m = BuildHeightModel(fit);
  std::vector<std::string> lines{m.title, ""};
  lines.insert(lines.end(), m.facts.begin(), m.facts.end());
  report::AppendTextTable(lines, "参数", m.parameters, {});
  report::AppendTextTable(lines, "公共点 (米)", m.points, m.summary);
  return lines;
}

std::string HeightFitSketchSvg(const HeightFit& f) {
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  double cx = 0, cy = 0;
  for (const adjustment::HeightFitPoint& p : f.points) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    cx += p.x / static_cast<double>(f.points.size()), cy += p.y / static_cast<double>(f.points.size());
  }
  const double legend = 26;
  const report::SketchFrame fr(minX, maxX, minY, maxY);
  std::string svg = fr.Open(legend);
  // The hull: beyond its outline the anomaly is extrapolated.
  if (f.hullX.size() >= 2) {
    svg += "<polygon points=\"";
    for (std::size_t i = 0; i < f.hullX.size(); ++i)
      svg += (i ? " " : "") + report::SvgNum(fr.Px(f.hullY[i])) + "," + report::SvgNum(fr.Py(f.hullX[i]));
    svg += "\" fill=\"#eef4ff\" stroke=\"#1f3f8f\" stroke-width=\"1\" stroke-dasharray=\"6 4\"/>\n";
  }
  for (const adjustment::HeightFitPoint& p : f.points) {
    const double px = fr.Px(p.y), py = fr.Py(p.x);
    if (p.check) {
      svg += "<rect x=\"" + report::SvgNum(px - 4) + "\" y=\"" + report::SvgNum(py - 4) +
             "\" width=\"8\" height=\"8\" fill=\"white\" stroke=\"#b00000\" stroke-width=\"1.6\"/>\n";
    } else {
      svg += report::SvgNewPoint(px, py);
    }
    svg += report::SvgPointName(px, py, px - fr.Px(cy), py - fr.Py(cx), p.name + " " + FormatPattern(p.zeta, "0.000"));
  }
  svg += report::SvgNorthArrow(fr.W);
  const double bar = report::ScaleBarLength(std::max({maxX - minX, maxY - minY, 1e-3}));
  svg += report::SvgScaleBar(30, fr.H - 28, bar * fr.k, GeneralNumberText(bar) + " 米");
  const double ly = fr.H + legend - 10;
  svg += report::SvgNewPoint(36, ly - 4) + "<text x=\"46\" y=\"" + report::SvgNum(ly) + "\">拟合点</text>\n";
  svg += "<rect x=\"112\" y=\"" + report::SvgNum(ly - 8) +
         "\" width=\"8\" height=\"8\" fill=\"white\" stroke=\"#b00000\" stroke-width=\"1.6\"/><text x=\"126\" y=\"" +
         report::SvgNum(ly) + "\">检核点</text>\n";
  svg += "<text x=\"200\" y=\"" + report::SvgNum(ly) + "\">点名后为 ζ (米); 虚线内为拟合点范围, 范围外为外推</text>\n";
  svg += "</svg>\n";
  return svg;
}

std::string HeightFitReportHtml(const HeightFit& fit) {
  const HeightReportModel m = BuildHeightModel(fit);
  std::string h = report::HtmlHead(m.title);
  h += "<h1>" + EscapeHtml(m.title) + "</h1>\n";
  for (const std::string& f : m.facts) h += "<p>" + EscapeHtml(f) + "</p>\n";
  h += report::HtmlTable("参数", m.parameters, {}, report::TableEnd::Plain, m.parameters.rows.size() > 30, {0});
  h += report::HtmlTable("公共点 (米)", m.points, m.summary, report::TableEnd::Plain, m.points.rows.size() > 30, {0, 8});
  h += "<div class=\"sketch-page\">\n<h2>点位略图</h2>\n" + HeightFitSketchSvg(fit) + "</div>\n";
  h += "</body>\n</html>\n";
  return h;
}

}  // namespace vantrel::batch
