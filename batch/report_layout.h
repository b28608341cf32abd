#pragma once
// What the adjustment reports share: tables laid out as text lines in print zones or as
// HTML, the HTML page's head and style (A4), and the parts of their SVG drawings (point
// marks, north arrow, scale bars).
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::batch::report {

struct Table {
  std::vector<std::string> head;
  std::vector<std::vector<std::string>> rows;
};

// An empty line, the heading, the head and the rows in print zones (blanks at the ends of the
// rows dropped), then the summary lines.
void AppendTextTable(std::vector<std::string>& lines, const std::string& heading, const Table& table,
                     const std::vector<std::string>& summary);

std::string EscapeHtml(std::string_view s);

// The page up to and including <body>: A4 portrait, the tables' and the drawing's style; extraCss
// goes at the end of the style sheet.
std::string HtmlHead(const std::string& title, const std::string& extraCss = "");

enum class TableEnd { Plain, SumRow };
// The heading, the table and the summary paragraphs. A long table puts its head in <thead>, so
// that a browser repeats it on every printed page the table runs over. The cells of the text
// columns (names, notes) carry class "t", for a style sheet that sets them left.
std::string HtmlTable(const std::string& heading, const Table& table, const std::vector<std::string>& summary,
                      TableEnd end, bool longTable = false, const std::vector<size_t>& textColumns = {});

// The frame of a drawing of grid points (X north up, Y east right): as wide as the page, as
// tall as the figure needs within reason, one scale for both axes.
struct SketchFrame {
  SketchFrame(double minX, double maxX, double minY, double maxY);
  double W = 760, H = 0;
  double k = 0;  // drawing units per metre
  double Px(double y) const { return offH + k * (y - minY); }
  double Py(double x) const { return offV + k * (maxX - x); }
  // The opening <svg> tag; a legend strip this high below the map makes the drawing taller.
  std::string Open(double legend = 0) const;

 private:
  double offH = 0, offV = 0, minY = 0, maxX = 0;
};

// A round length (1, 2 or 5 times a power of ten) near a fifth of the drawing's extent.
double ScaleBarLength(double extent);
// A drawing coordinate, to a tenth of a pixel.
std::string SvgNum(double v);
// A known point (a triangle with a dot) and a new point (a circle), at drawing coordinates.
std::string SvgKnownPoint(double px, double py);
std::string SvgNewPoint(double px, double py);
// A line between drawing coordinates; style holds its attributes.
std::string SvgLine(double px0, double py0, double px1, double py1, const std::string& style);
// A point's name beside its mark at (px, py), standing off in the direction (ux, uy) (away from
// the figure's centre; any length, none for up and to the right).
std::string SvgPointName(double px, double py, double ux, double uy, const std::string& name);
// The north arrow at the top right of a drawing W wide.
std::string SvgNorthArrow(double W);
// A bar of two halves, black and white, from (x, y) and `width` long, with 0 at its left end
// and the label at its right end.
std::string SvgScaleBar(double x, double y, double width, const std::string& label);

}  // namespace vantrel::batch::report
