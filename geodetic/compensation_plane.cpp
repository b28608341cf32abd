#include "geodetic/compensation_plane.h"

#include <cmath>

#include "geodetic/gauss_kruger.h"
#include "geodetic/height_anomaly.h"

namespace vantrel {

CompensationResult CompensationPlaneHeight(ProjectionState& state, double X, double Y, double Z,
                                           double h, double L0) {
  CompensationResult r;
  state.CentralMeridian = L0;
  state.SetEllipsoid(kEllipsoid54);
  double B = 0, L = 0;
  xyzblh(B, L, r.H, X, Y, Z, state.ellipsoid());
  r.Bdeg = B * 180 / kPi;
  r.Ldeg = L * 180 / kPi;
  switch (HeightAnomaly54Range(r.Bdeg, r.Ldeg)) {
    case AnomalyRange::LatitudeOutside:
      r.status = CompensationStatus::LatitudeOutside;
      return r;
    case AnomalyRange::LongitudeOutside:
      r.status = CompensationStatus::LongitudeOutside;
      return r;
    case AnomalyRange::Inside:
      break;
  }
  r.zeta = HeightAnomaly54(r.Bdeg, r.Ldeg);
  const double a = state.EllipsoidA, e2 = state.EllipsoidE2;
  const double s2 = e2 * std::sin(B) * std::sin(B);
  const double W = std::sqrt(1 - s2);
  r.N = a / W;
  r.M = (1 - e2) * a / W / (1 - s2);
  r.R = std::sqrt(r.M * r.N);
  double H = r.H;
  BL2XYg(state, r.xg, r.yg, r.hg, B, L, H);
  // The distortion depends on the distance from the central meridian, so a false easting
  // left by another dialog is taken off first.
  const double fromMeridian = r.yg - 1000 * state.FalseEastingKm;
  r.dH1 = -fromMeridian * fromMeridian / 2 / r.R;
  r.dE = r.H - (h + r.zeta);
  r.dH2 = r.dE + r.dH1;
  r.dH3 = r.dH2 + r.zeta;
  return r;
}

}  // namespace vantrel
