#include "plane/stakeout.h"

#include <cmath>

#include "common/text_rules.h"
#include "plane/plane_helpers.h"

namespace vantrel {

double StakeAzimuth(double xs, double ys, double xp, double yp) {
  const float x1 = static_cast<float>(xs), y1 = static_cast<float>(ys);
  const float x2 = static_cast<float>(xp), y2 = static_cast<float>(yp);
  return Fwj(x1, y1, x2, y2);
}

double StakeDistance(double xs, double ys, double xp, double yp) {
  return std::sqrt((yp - ys) * (yp - ys) + (xp - xs) * (xp - xs));
}

double StakeCircleReading(float r0Packed, double stakeAz, double backAz) {
  double w = Ang_Arc(r0Packed) * kStakePi / 180 + stakeAz - backAz;
  if (w < 0) w += kStakeTwoPi;
  if (w > kStakeTwoPi) w -= kStakeTwoPi;
  return w;
}

SlopeReduction ReduceSlope(double slopeDistance, float verticalPacked) {
  const double v = Ang_Arc(verticalPacked) * kStakePi / 180;
  return {std::cos(v) * slopeDistance, std::sin(v) * slopeDistance};
}

PrismMove StakePrismMove(double measured, double required) {
  const double d = measured - required;
  // The word follows the difference as shown to the millimetre, so 0.0004 reads "后移".
  const double shown = ReadLenient(FormatPattern(d, "0.000"));
  return {std::fabs(d), shown > 0};
}

double StakeHeightCorrection(double i, double hs, double t, double dh, double hp) {
  return i + hs - t + dh - hp;
}

}  // namespace vantrel
