#pragma once
// Small geodetic quantities: radii of curvature, meridian and parallel arcs, and the
// three-difference corrections. Arguments by reference as the native library exports them.

namespace vantrel {

void Radius_Cal(const double& B, const double& A, const double& a, const double& e2,
                double& N, double& M, double& R, double& RA);

// Meridian arc by right-end rectangles. The calculator takes 1,000,000 steps and stops
// when |B - B2| < h; the native library takes 100,000 steps and stops at 2e-15, with its
// own order of operations for M.
enum class MeridianArcRule { Calculator, Native };
void MArcLen_cal(const double& B1, const double& B2, const double& a, const double& e2,
                 double& S, MeridianArcRule rule = MeridianArcRule::Calculator);

void NArcLen_cal(const double& B, const double& l, const double& a, const double& e2,
                 double& S);

// Coefficients of the height and geodesic corrections: the calculator's decimal values
// (0.1089 / 1000 and -0.028 / 1000 / 100, applied as written) or the native library's
// single-precision ones widened to double.
enum class ThreeCorRule { Calculator, Native };
void Three_Cor_cal(const double& xi, const double& eta, const double& A, const double& z,
                   const double& B1, const double& B2, const double& H, const double& S,
                   double& du, double& dh, double& dg,
                   ThreeCorRule rule = ThreeCorRule::Calculator);

// A vertical line of sight (tan z = 0) leaves the deflection correction undefined; the
// dialog refuses it with "天顶距无效, 不能为0!".
bool ZenithDistanceUsable(double z);

}  // namespace vantrel
