#pragma once
// The setting-out elements of the stakeout dialog, in its own arithmetic: azimuths from
// 32-bit coordinates by Fwj, angles with pi = 3.1415926536, distances and heights in 64-bit.
#include <string>

namespace vantrel {

// Azimuth from station to point by Fwj, the coordinates first rounded to 32-bit.
double StakeAzimuth(double xs, double ys, double xp, double yp);

// Horizontal distance between station and point, 64-bit.
double StakeDistance(double xs, double ys, double xp, double yp);

// Circle reading towards the point: the back-sight reading r0 (packed D.MMSS, 32-bit) turned
// by the azimuth difference, brought into range by one correction each way.
double StakeCircleReading(float r0Packed, double stakeAz, double backAz);

struct SlopeReduction {
  double horizontal = 0;  // cos(v) * SD
  double height = 0;      // sin(v) * SD
};
// Slope distance and vertical angle (packed D.MMSS, 32-bit) to horizontal distance and
// height difference.
SlopeReduction ReduceSlope(double slopeDistance, float verticalPacked);

struct PrismMove {
  double amount = 0;     // |measured - required|
  bool forward = false;  // the difference, to the millimetre, is above zero
};
// How far the prism must move along the line: measured horizontal distance against the
// required one.
PrismMove StakePrismMove(double measured, double required);

// Height correction c = i + HS - t + dh - HP, summed left to right; positive means the prism
// must go up.
double StakeHeightCorrection(double i, double hs, double t, double dh, double hp);

}  // namespace vantrel
