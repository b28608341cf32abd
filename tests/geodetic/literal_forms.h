#pragma once
// Hand-computation forms the fast routines are checked against.
#include <cmath>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"

namespace vantrel::testing {

// The closed form step by step through the angles, as a surveyor checks it by hand.
inline void LiteralXyzblh(double& B, double& L, double& H, double X, double Y, double Z,
                   const Ellipsoid& e) {
  const double a = e.a, e2 = e.e2, ep2 = e2 / (1 - e2), b = a / std::sqrt(1 + ep2);
  const double P = std::sqrt(X * X + Y * Y);
  const double th = Datan2(Z * a, P * b);
  const double st = std::sin(th), ct = std::cos(th);
  const double B0 = Datan2(Z + ep2 * b * st * st * st, P - e2 * a * ct * ct * ct);
  const double t0 = std::tan(B0);
  B = std::atan(Z / P + e2 * a * t0 / (P * std::sqrt(1 + (1 - e2) * t0 * t0)));
  L = Datan2(Y, X);
  if (B < 0) B += kCalculatorPi.twoPi;
  if (L < 0) L += kCalculatorPi.twoPi;
  const double u = Datan2(b * std::tan(B), a);
  const double dz = Z - b * std::sin(u), dp = P - a * std::cos(u);
  H = std::sqrt(dz * dz + dp * dp);
  if (dp < 0) H = -H;
}

// The lifted forward projection as its three conversions by hand: space coordinates on
// the caller's ellipsoid, geodetic on the axis grown by zeta + H0 (the signed latitude of
// the [0, 2pi) answer), then the plain projection there.
inline void LiteralLiftedForward(const ProjectionState& s, double B, double L, double H,
                                 double& x, double& y) {
  const Ellipsoid e = s.ellipsoid();
  const Ellipsoid lifted{(e.a + s.GeoidUndulation) + s.PlaneHeight, e.e2};
  double X, Y, Z, Bl, Ll, Hl, h;
  BLHXYZ(B, L, H, X, Y, Z, e);
  LiteralXyzblh(Bl, Ll, Hl, X, Y, Z, lifted);
  if (Bl > kCalculatorPi.pi) Bl -= kCalculatorPi.twoPi;
  ProjectionState byHand = s;
  byHand.SetEllipsoid(lifted);
  Sub4(byHand, x, y, h, Bl, Ll, Hl, 0, 2);
}

// The lifted inverse as its conversions by hand: the plain inverse on the grown axis, space
// coordinates there with the height h + zeta, then geodetic on the caller's axis.
inline void LiteralLiftedInverse(const ProjectionState& s, double x, double y, double h,
                                 double& B, double& L) {
  const Ellipsoid e = s.ellipsoid();
  const Ellipsoid lifted{(e.a + s.GeoidUndulation) + s.PlaneHeight, e.e2};
  ProjectionState byHand = s;
  byHand.SetEllipsoid(lifted);
  double Bl, Ll, Hl, X, Y, Z, discarded;
  Sub4(byHand, x, y, h, Bl, Ll, Hl, 0, 1);
  BLHXYZ(Bl, Ll, h + s.GeoidUndulation, X, Y, Z, lifted);
  LiteralXyzblh(B, L, discarded, X, Y, Z, e);
}

}  // namespace vantrel::testing
