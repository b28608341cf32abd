#pragma once
// Plane grid helpers: X north, Y east, azimuths clockwise from +X in radians.
#include <string>

#include "geodetic/ellipsoid.h"

namespace vantrel {

// Azimuth from point 1 to point 2 in [0, 2pi); differences below 1e-9 m count as zero.
double Xy2az(double x1, double y1, double x2, double y2, const PiSet& pi = kCalculatorPi);
double Xy2d(double x1, double y1, double x2, double y2);

// The coordinate differences a side (m) at an azimuth (radians) spans: the forward
// computation of the coordinate forward/inverse dialog.
void PolarOffsets(double side, double azimuth, double& dx, double& dy);

// The stakeout dialog's own routines, on 32-bit inputs and with pi = 3.1415926536.
inline constexpr double kStakePi = 3.1415926536;
inline constexpr double kStakeThreeHalfPi = 4.7123889804;
inline constexpr double kStakeTwoPi = 6.2831853072;

double Fwj(const float& x1, const float& y1, const float& x2, const float& y2);
// Packed D.MMSS (32-bit) to decimal degrees (not radians).
double Ang_Arc(const float& ang);
// Radians to "D  M  S" (two blanks between, seconds to a tenth, no carry).
// A negative angle gives "-" before the text of its absolute value. Throws
// std::overflow_error (the dialog's run-time error) when the degrees leave the 16-bit
// range or the angle is not finite.
std::string Arc_Ang(const double& arc);

}  // namespace vantrel
