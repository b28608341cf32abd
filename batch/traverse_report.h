#pragma once
// The traverse computation table (导线坐标计算表) of an adjustment, as text lines in print
// zones (to be written as a GBK file with CR LF) and as an HTML page with an inline SVG
// sketch of the traverse that a browser prints on A4.
//
// Two tables: angles (observed, correction, adjusted, the azimuth of the line leaving each
// station) and coordinates (distance, increments, their corrections, adjusted increments,
// coordinates; each row carries the leg that leaves its station). Angles are packed D.MMSS
// texts; metres to the millimetre. The figures are the adjustment's own (see
// adjustment/traverse_adjustment.h), so every row and column adds up at the printed digits; the
// head states the allowances and the rounding rules, and azimuths carry tenths of a second
// when a known azimuth does.
#include <string>
#include <vector>

#include "adjustment/traverse_adjustment.h"

namespace vantrel::batch {

struct TraverseReportOptions {
  // Decimals of the arc seconds in angle texts and angle corrections; -1 chooses: none when
  // every observed angle is in whole seconds and corrections go in whole seconds, else one
  // (azimuths one when a known azimuth has tenths).
  int secondsDecimals = -1;
};

// Lines (UTF-8, no line ends) of the text report of a successful adjustment.
std::vector<std::string> TraverseReportText(const adjustment::TraverseInput& input,
                                            const adjustment::TraverseAdjustment& adjustment,
                                            const TraverseReportOptions& options = {});

// A whole HTML document (UTF-8): the same tables and figures and the SVG sketch.
std::string TraverseReportHtml(const adjustment::TraverseInput& input,
                               const adjustment::TraverseAdjustment& adjustment,
                               const TraverseReportOptions& options = {});

// The SVG sketch on its own: known points as triangles, stations as circles, names, known
// sides as double lines, a north arrow and a scale bar.
std::string TraverseSketchSvg(const adjustment::TraverseInput& input,
                              const adjustment::TraverseAdjustment& adjustment);

// An angle (radians, 0 to below 360°) as the packed text ("121.3030", with decimals
// "121.30305"), rounded to the given decimals of a second; 360° after rounding is 0.
std::string PackedAngleText(double radians, int secondsDecimals);

}  // namespace vantrel::batch
