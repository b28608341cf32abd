#include "batch/report_layout.h"

#include <algorithm>
#include <cmath>

#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch::report {

void AppendTextTable(std::vector<std::string>& lines, const std::string& heading, const Table& t,
                     const std::vector<std::string>& summary) {
  lines.push_back("");
  lines.push_back(heading);
  lines.push_back(PrintZones(t.head));
  for (const auto& row : t.rows) {
    std::string line = PrintZones(row);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  for (const std::string& s : summary) lines.push_back(s);
}

std::string EscapeHtml(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string HtmlHead(const std::string& title, const std::string& extraCss) {
  return "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         EscapeHtml(title) + "</title>\n<style>\n"
         "@page { size: A4 portrait; margin: 12mm; }\n"
         "body { font-family: \"Noto Sans CJK SC\", sans-serif; font-size: 10pt; color: #000;"
         " max-width: 186mm; margin: 8mm auto; }\n"
         "h1 { font-size: 16pt; text-align: center; margin: 0 0 3mm; }\n"
         "h2 { font-size: 11pt; margin: 4mm 0 1.5mm; }\n"
         "p { margin: 0.6mm 0; white-space: pre-wrap; }\n"
         "table { border-collapse: collapse; width: 100%; font-size: 8.5pt;"
         " font-variant-numeric: tabular-nums; break-inside: avoid; }\n"
         "th, td { border: 0.6pt solid #444; padding: 0.6mm 1.2mm; text-align: right;"
         " white-space: nowrap; }\n"
         "th { background: #eee; text-align: center; }\n"
         "td:first-child { text-align: left; }\n"
         "tr.sum td { border-top: 1.2pt solid #000; }\n"
         ".sketch { width: 100%; height: auto; display: block; box-sizing: border-box;"
         " border: 0.6pt solid #888; break-inside: avoid; }\n"
         "@media print { body { margin: 0; max-width: none; }"
         " .sketch-page { break-before: page; } }\n" +
         extraCss + "</style>\n</head>\n<body>\n";
}

std::string HtmlTable(const std::string& heading, const Table& t, const std::vector<std::string>& summary,
                      TableEnd end, bool longTable, const std::vector<size_t>& textColumns) {
  std::string h = "<h2>" + heading + "</h2>\n" + (longTable ? "<table class=\"long\">\n<thead>" : "<table>\n") + "<tr>";
  for (const std::string& c : t.head) h += "<th>" + EscapeHtml(c) + "</th>";
  h += longTable ? "</tr></thead>\n<tbody>\n" : "</tr>\n";
  for (size_t r = 0; r < t.rows.size(); ++r) {
    h += end == TableEnd::SumRow && r + 1 == t.rows.size() ? "<tr class=\"sum\">" : "<tr>";
    for (size_t c = 0; c < t.rows[r].size(); ++c) {
      const bool text = std::find(textColumns.begin(), textColumns.end(), c) != textColumns.end();
      h += (text ? "<td class=\"t\">" : "<td>") + EscapeHtml(t.rows[r][c]) + "</td>";
    }
    h += "</tr>\n";
  }
  h += longTable ? "</tbody>\n</table>\n" : "</table>\n";
  for (const std::string& s : summary) h += "<p>" + EscapeHtml(s) + "</p>\n";
  return h;
}

SketchFrame::SketchFrame(double minX, double maxX, double minY, double maxY) : minY(minY), maxX(maxX) {
  const double tallest = 520, lowest = 280, margin = 60;
  const double spanX = std::max(maxX - minX, 1e-3), spanY = std::max(maxY - minY, 1e-3);
  k = std::min((W - 2 * margin) / spanY, (tallest - 2 * margin) / spanX);
  H = std::max(lowest, k * spanX + 2 * margin);
  offH = (W - k * spanY) / 2;
  offV = (H - k * spanX) / 2;
}

std::string SketchFrame::Open(double legend) const {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + SvgNum(W) + " " + SvgNum(H + legend) +
         "\" class=\"sketch\" font-family=\"Noto Sans CJK SC, sans-serif\">\n";
}

double ScaleBarLength(double extent) {
  const double target = std::max(extent, 1e-3) / 5;
  const double p = std::pow(10.0, std::floor(std::log10(target)));
  for (double f : {5.0, 2.0, 1.0})
    if (f * p <= target) return f * p;
  return p;
}

std::string SvgNum(double v) { return FormatPattern(v, "0.0"); }

std::string SvgKnownPoint(double px, double py) {
  return "<polygon points=\"" + SvgNum(px) + "," + SvgNum(py - 9) + " " + SvgNum(px - 8) + "," + SvgNum(py + 5) +
         " " + SvgNum(px + 8) + "," + SvgNum(py + 5) +
         "\" fill=\"white\" stroke=\"black\" stroke-width=\"1.5\"/>\n" + "<circle cx=\"" + SvgNum(px) +
         "\" cy=\"" + SvgNum(py) + "\" r=\"1.5\" fill=\"black\"/>\n";
}

std::string SvgNewPoint(double px, double py) {
  return "<circle cx=\"" + SvgNum(px) + "\" cy=\"" + SvgNum(py) +
         "\" r=\"4\" fill=\"white\" stroke=\"black\" stroke-width=\"1.5\"/>\n";
}

std::string SvgLine(double px0, double py0, double px1, double py1, const std::string& style) {
  return "<line x1=\"" + SvgNum(px0) + "\" y1=\"" + SvgNum(py0) + "\" x2=\"" + SvgNum(px1) + "\" y2=\"" +
         SvgNum(py1) + "\" " + style + "/>\n";
}

std::string SvgPointName(double px, double py, double ux, double uy, const std::string& name) {
  const double len = std::hypot(ux, uy);
  if (len < 1e-9) ux = 0.7, uy = -0.7;
  else ux /= len, uy /= len;
  const char* anchor = ux > 0.3 ? "start" : ux < -0.3 ? "end" : "middle";
  return "<text x=\"" + SvgNum(px + 14 * ux) + "\" y=\"" + SvgNum(py + 14 * uy + 5) +
         "\" font-size=\"15\" text-anchor=\"" + anchor + "\">" + EscapeHtml(name) + "</text>\n";
}

std::string SvgNorthArrow(double W) {
  const double nx = W - 40, ny = 30;
  std::string svg = "<path d=\"M" + SvgNum(nx) + " " + SvgNum(ny) + " L" + SvgNum(nx - 9) + " " +
                    SvgNum(ny + 32) + " L" + SvgNum(nx) + " " + SvgNum(ny + 24) + " Z\" fill=\"black\"/>\n";
  svg += "<path d=\"M" + SvgNum(nx) + " " + SvgNum(ny) + " L" + SvgNum(nx + 9) + " " + SvgNum(ny + 32) + " L" +
         SvgNum(nx) + " " + SvgNum(ny + 24) + " Z\" fill=\"white\" stroke=\"black\"/>\n";
  svg += "<text x=\"" + SvgNum(nx) + "\" y=\"" + SvgNum(ny - 6) +
         "\" font-size=\"16\" text-anchor=\"middle\">北</text>\n";
  return svg;
}

std::string SvgScaleBar(double bx, double by, double bw, const std::string& label) {
  std::string svg = "<rect x=\"" + SvgNum(bx) + "\" y=\"" + SvgNum(by) + "\" width=\"" + SvgNum(bw / 2) +
                    "\" height=\"6\" fill=\"black\" stroke=\"black\"/>\n";
  svg += "<rect x=\"" + SvgNum(bx + bw / 2) + "\" y=\"" + SvgNum(by) + "\" width=\"" + SvgNum(bw / 2) +
         "\" height=\"6\" fill=\"white\" stroke=\"black\"/>\n";
  svg += "<text x=\"" + SvgNum(bx) + "\" y=\"" + SvgNum(by - 5) +
         "\" font-size=\"13\" text-anchor=\"middle\">0</text>\n";
  svg += "<text x=\"" + SvgNum(bx + bw) + "\" y=\"" + SvgNum(by - 5) +
         "\" font-size=\"13\" text-anchor=\"middle\">" + EscapeHtml(label) + "</text>\n";
  return svg;
}

}  // namespace vantrel::batch::report
