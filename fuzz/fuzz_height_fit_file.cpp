// Common-point files of the height fitting are typed by hand: any bytes must be read, and
// whatever reads must fit with every model, evaluate and lay out its reports without a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "adjustment/height_fit.h"
#include "batch/height_fit_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const batch::HeightFileResult file = batch::ParseHeightPointText(bytes, "fuzz");
  // The radial models solve a dense system of the points' number: a few dozen keep it quick.
  if (!file.ok || file.points.size() > 40) return 0;
  for (const adjustment::HeightModelName& m : adjustment::HeightModelNames()) {
    const adjustment::HeightFit fit = adjustment::FitHeightAnomaly(file.points, {m.model});
    if (!fit.ok) continue;
    for (const adjustment::HeightPoint& p : file.points) {
      fit.Evaluate(p.x + 1, p.y - 1);
      fit.Extrapolated(p.x + 1, p.y - 1);
    }
    batch::HeightFitReportText(fit);
    batch::HeightFitReportHtml(fit);
  }
  return 0;
}
