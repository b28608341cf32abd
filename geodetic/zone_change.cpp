#include "geodetic/zone_change.h"

#include "common/text_rules.h"
#include "geodetic/gauss_kruger.h"

namespace vantrel {

std::string_view ZoneFieldMessage(std::string_view text) {
  if (text.empty()) return kZoneEmptyMessage;
  if (!IsNumeric(text)) return kZoneNotNumberMessage;
  return {};
}

void ChangeZone(ProjectionState& state, const Ellipsoid& ellipsoid, double oldMeridian,
                double newMeridian, double& x, double& y) {
  state.SetEllipsoid(ellipsoid);
  state.CentralMeridian = oldMeridian;
  double h = 0, B = 0, L = 0, H = 0;
  XYg2BL(state, x, y, h, B, L, H);
  state.CentralMeridian = newMeridian;
  BL2XYg(state, x, y, h, B, L, H);
}

}  // namespace vantrel
