#pragma once
// The report of a network adjustment (控制网/水准网平差成果): as text lines in print zones (to be
// written as a GBK file with CR LF), as an HTML page with an SVG drawing of the network that a
// browser prints on A4, and as JSON for programs.
//
// Digits, the same in the text and the HTML: coordinates, distances, heights and height
// differences in metres to 0.1 mm (four decimals); residuals of distances and height
// differences in mm to 0.1 mm; standard deviations and error ellipses in mm to 0.01 mm;
// directions, angles and azimuths in packed D.MMSS to 0.01″ and their residuals and σ in arc
// seconds to 0.01″; the ellipses' major axes in D.MMSS to the whole second; redundancy numbers
// to 0.001, standardized residuals to 0.01. The tables add up at their printed digits: each
// adjusted value is the printed observed value plus the printed residual, and σP is
// √(σx² + σy²) of the printed σx and σy.
//
// JSON: numbers in SI units (metres, radians) as the routines give them, at full precision;
// see docs/cli.md for the fields.
#include <string>
#include <vector>

#include "batch/network_adjustment.h"

namespace vantrel::batch {

struct NetworkReportOptions {
  // The drawing's error ellipses are this many times their size; 0 chooses 1, 2 or 5 times a
  // power of ten that makes the largest ellipse about a twelfth of the drawing.
  double ellipseScale = 0;
};

// Lines (UTF-8, no line ends) of the text report of a successful adjustment of the file;
// fileName is what the head names it.
std::vector<std::string> NetworkReportText(const NetworkFile& file, const std::string& fileName,
                                           const NetworkAdjustment& adjustment);

// A whole HTML document (UTF-8): the same tables and the drawing of the plane network.
std::string NetworkReportHtml(const NetworkFile& file, const std::string& fileName,
                              const NetworkAdjustment& adjustment, const NetworkReportOptions& options = {});

// The drawing on its own (empty without a plane network): known points as triangles, new
// points as circles, the observed lines, the error ellipses of the adjusted points enlarged,
// names, a north arrow, a scale bar for the map and one for the ellipses.
std::string NetworkSketchSvg(const NetworkFile& file, const NetworkAdjustment& adjustment,
                             const NetworkReportOptions& options = {});

// The ellipse factor the drawing uses (options.ellipseScale, or the one chosen).
double NetworkEllipseScale(const NetworkAdjustment& adjustment, const NetworkReportOptions& options = {});

// A JSON document (UTF-8, one object) of the adjustment.
std::string NetworkReportJson(const NetworkFile& file, const std::string& fileName,
                              const NetworkAdjustment& adjustment);

}  // namespace vantrel::batch
