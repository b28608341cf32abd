// Network observation files are typed by hand: any bytes must be read, and whatever reads
// must hold together (every observation names a point and a line) and adjust, plane and
// levelling part alike, without a fault: an adjustment that fails says why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "batch/network_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel::batch;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const NetworkFileResult r = ParseNetworkText(bytes, "fuzz");
  if (!r.ok) return 0;
  const NetworkFile& f = r.network;
  std::set<std::string> plane, level;
  for (const auto& p : f.plane.points) plane.insert(p.name);
  for (const auto& p : f.levelPoints) level.insert(p.name);
  if (f.observationLines.size() != f.plane.observations.size() ||
      f.levelLineLines.size() != f.levelLines.size() || plane.size() != f.plane.points.size())
    std::abort();
  for (const auto& o : f.plane.observations)
    if (!plane.count(o.station) || !plane.count(o.target) ||
        (!o.target2.empty() && !plane.count(o.target2)) || o.station == o.target || !(o.sigma >= 0))
      std::abort();
  for (const auto& l : f.levelLines)
    if (!level.count(l.from) || !level.count(l.to) || !(l.amount > 0 && l.sigma > 0)) std::abort();
  if (!f.levelLines.empty()) {
    const auto l = AdjustLevelling(f.levelPoints, f.levelLines, f.levellingOptions);
    if (!l.ok && l.error.empty()) std::abort();
  }
  if (!f.plane.observations.empty() && f.plane.observations.size() < 200) {
    const auto p = AdjustPlaneNetwork(f.plane, f.planeOptions);
    if (!p.ok && p.error.empty()) std::abort();
    if (p.ok && p.points.size() != f.plane.points.size()) std::abort();
  }
  return 0;
}
