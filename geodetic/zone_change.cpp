#include "geodetic/zone_change.h"

#include "common/text_rules.h"

namespace vantrel {

std::string_view ZoneFieldMessage(std::string_view text) {
  if (text.empty()) return kZoneEmptyMessage;
  if (!IsNumeric(text)) return kZoneNotNumberMessage;
  return {};
}

ZoneChanger::ZoneChanger(const Ellipsoid& ellipsoid, double oldMeridian, double newMeridian,
                         double falseNorthingKm, double falseEastingKm, double planeHeight,
                         double anomaly)
    : from_(ellipsoid, oldMeridian, falseNorthingKm, falseEastingKm, planeHeight, anomaly),
      to_({from_.RestoredAxis(), ellipsoid.e2}, newMeridian, falseNorthingKm, falseEastingKm,
          planeHeight, anomaly) {}

void ZoneChanger::Change(double& x, double& y) const {
  double h = 0, B = 0, L = 0, H = 0;
  from_.Inverse(x, y, 0.0, B, L, H);
  to_.Forward(B, L, H, x, y, h);
}

void ChangeZone(ProjectionState& state, const Ellipsoid& ellipsoid, double oldMeridian,
                double newMeridian, double& x, double& y) {
  state.SetEllipsoid(ellipsoid);
  const ZoneChanger change(ellipsoid, oldMeridian, newMeridian, state.FalseNorthingKm,
                           state.FalseEastingKm, state.PlaneHeight, state.GeoidUndulation);
  change.Change(x, y);
  state.CentralMeridian = newMeridian;
  state.EllipsoidA = change.RestoredAxis();
}

}  // namespace vantrel
