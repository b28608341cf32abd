#pragma once
// The seven-parameter estimation for the batch layer: the common-point file it reads and
// the report of the estimate (adjustment/seven_estimation.h estimates).
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/seven_estimation.h"

namespace vantrel::batch {

// Lines (UTF-8) of a report: the parameters (15 significant digits, to be typed back into
// the seven-parameter dialog) with their standard deviations, σ0 and the residuals.
std::vector<std::string> SevenEstimateReportText(const adjustment::SevenEstimate& estimate);

// The whole fit7 result: the report above, then the --params line to hand on.
std::vector<std::string> SevenFitResultLines(const adjustment::SevenEstimate& estimate);

// A common-point file, one point a line, blanks between items, GBK or UTF-8, "#" remarks:
//   name X Y Z X' Y' Z'          space coordinates in metres (geodetic = false), or
//   name B L H B' L' H'          latitudes and longitudes in packed D.MMSS, heights in m
// Errors come back as "FILE:LINE: reason".
struct CommonPointFileResult {
  bool ok = false;
  std::string error;
  std::vector<adjustment::CommonSpacePoint> space;        // when read as space coordinates
  std::vector<adjustment::CommonGeodeticPoint> geodetic;  // when read as geodetic coordinates
};
CommonPointFileResult ParseCommonPointText(std::string_view bytes, const std::string& fileName,
                                           bool geodetic);
CommonPointFileResult ReadCommonPointFile(const std::string& path, bool geodetic);


}  // namespace vantrel::batch
