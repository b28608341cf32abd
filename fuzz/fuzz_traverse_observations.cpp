// Traverse observation files and common-point files are typed by hand: any bytes must be
// read, and whatever reads must adjust, fit and lay out its reports without a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "adjustment/seven_estimation.h"
#include "adjustment/traverse_adjustment.h"
#include "batch/ellipsoids.h"
#include "batch/seven_fit.h"
#include "batch/traverse_file.h"
#include "batch/traverse_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel::adjustment;
  using namespace vantrel::batch;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TraverseFileResult file = ParseTraverseText(bytes, "fuzz");
  if (file.ok) {
    const TraverseAdjustment adj = AdjustTraverse(file.input, {.force = true});
    if (adj.ok) {
      TraverseReportText(file.input, adj);
      TraverseReportHtml(file.input, adj);
    }
  }
  for (bool geodetic : {false, true}) {
    const CommonPointFileResult points = ParseCommonPointText(bytes, "fuzz", geodetic);
    if (!points.ok) continue;
    const SevenEstimate e =
        geodetic ? EstimateSevenParameters(points.geodetic, vantrel::kEllipsoid54,
                                           vantrel::kEllipsoid2000)
                 : EstimateSevenParameters(points.space);
    if (e.ok) SevenEstimateReportText(e);
  }
  return 0;
}
