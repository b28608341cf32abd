#pragma once
// GNSS height fitting in the batch layer: the common-point file, the reports of a fit and
// the command that applies a fit to a point file (x y H -> x y h).
//
// The common-point file: one point a line, blanks (spaces or tabs) between items, GBK or
// UTF-8, CR LF (LF or a lone CR read too), "#" starts a remark to the end of the line, blank
// lines skipped:
//
//   G01  3012345.678  512345.678  45.3210  20.1180          name x y H h
//   G07  3015012.310  514870.002  47.0021  21.6400  检核    a check point: kept out of the fit
//
// x north and y east in metres (Gauss coordinates, with or without the zone in front of y),
// H the GNSS ellipsoidal height and h the levelled normal height in metres. Numbers of 1e9
// or more, repeated names and other last words than 检核 are refused, as are files that are
// not GBK or UTF-8 text (once for the whole file).
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/height_fit.h"
#include "batch/report_layout.h"
#include "batch/stream.h"

namespace vantrel::batch {

inline constexpr const char* kCheckMarker = "检核";

struct HeightFileResult {
  bool ok = false;
  std::string error;  // "FILE:LINE: reason" or "FILE: reason" when !ok
  std::vector<adjustment::HeightPoint> points;
  std::vector<int> lines;  // each point's line, 1-based
};

HeightFileResult ParseHeightPointText(std::string_view bytes, const std::string& fileName);
HeightFileResult ReadHeightPointFile(const std::string& path);

// Marks the named points as check points as well; false with the reason (Chinese) when a
// name is not among them.
bool MarkCheckPoints(std::vector<adjustment::HeightPoint>& points, const std::vector<std::string>& names,
                     std::string& error);

// The report as lines (UTF-8) in print zones: the model, the reduction, the parameters, the
// table of points and the accuracy lines. Heights and ζ to 0.1 mm, v in mm: ζ is H − h and
// v the fitted minus that ζ of the printed figures, so that every row adds up as printed.
// The report's parts before they are laid out: a window shows the same cells and lines.
struct HeightReportModel {
  std::string title;
  std::vector<std::string> facts;
  report::Table parameters, points;
  std::vector<std::string> summary;  // the accuracy lines (内符合, 留一法, 外符合), then a note
};
HeightReportModel HeightFitReportModel(const adjustment::HeightFit& fit);
std::vector<std::string> HeightFitReportText(const adjustment::HeightFit& fit);
// The same as an HTML page (A4) with a drawing of the points (SVG).
std::string HeightFitReportHtml(const adjustment::HeightFit& fit);
std::string HeightFitSketchSvg(const adjustment::HeightFit& fit);

// x y H -> x y h with h = H − ζ(x, y): x and y copied as they stood, h in `decimals` (below 0:
// three). A point outside the fitting points' hull is Status::Extrapolated. The fit must be ok.
Command HeightFitCommand(const adjustment::HeightFit& fit, int decimals = -1);

}  // namespace vantrel::batch
