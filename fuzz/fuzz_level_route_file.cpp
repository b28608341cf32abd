// Levelling route files are typed by hand or exported from field books: any bytes must be
// read, and whatever reads must compute and report without a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "adjustment/level_route.h"
#include "batch/level_route_file.h"
#include "batch/level_route_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const vantrel::batch::LevelRouteFileResult f = vantrel::batch::ParseLevelRouteText(bytes, "fuzz");
  if (!f.ok) return 0;
  std::string error;
  vantrel::batch::LevelChoice choice;
  choice.force = true;
  choice.rounding = size % 2 ? "nearest" : "cut";
  const auto options = vantrel::batch::LevelOptionsFor(f, choice, error);
  if (!error.empty()) return 0;
  const auto r = vantrel::adjustment::AdjustLevelRoute(f.input, options);
  if (!r.ok) return 0;
  const vantrel::batch::LevelReportInput in{f.input, f.book ? &*f.book : nullptr};
  return vantrel::batch::LevelRouteReportText(in, r).empty() ||
         vantrel::batch::LevelRouteReportHtml(in, r).empty();
}
