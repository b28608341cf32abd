#pragma once
// Hand-computation forms the fast routines are checked against.
#include <cmath>

#include "geodetic/ellipsoid.h"

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

}  // namespace vantrel::testing
