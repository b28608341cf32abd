#pragma once
// Angles as a file or a caller gives them, read exactly where a decision hangs on them: is a
// packed D.MMSS value a real angle, is a latitude within the poles, which zone does a
// longitude lie in. A number is taken as the decimal it was typed as (exact for up to 15
// significant digits, which distinct doubles keep apart), so 121.30 is 121°30′ exactly and
// not 121°29′59.99…″ through binary rounding or the calculator's shortened pi. Radians have
// no typed digits: within 1e-9° of a half degree they count as on it, whichever pi made them.
#include "batch/conversions.h"

namespace vantrel::batch {

// Ok, or BadPackedAngle for packed D.MMSS whose minutes or seconds are 60 or more.
Status PackedAngleStatus(double dms);

// The checks of a geodetic point before it is computed, in this order: B, L (and H when
// given) finite; packed values that are angles; |B| <= 90°, |L| <= 360°.
Status GeodeticInputStatus(double B, double L, AngleUnit unit);
Status GeodeticInputStatus(double B, double L, double H, AngleUnit unit);

// The zone number (6 or 3 degrees wide) of the longitude `value` in `unit`, as ZoneNumber
// and UtmZoneNumber of conversions.h promise.
int ZoneNumberOf(double value, AngleUnit unit, int width);
int UtmZoneNumberOf(double value, AngleUnit unit);

// Results of an inverse brought into the range they are given in: B into [-pi/2, pi/2],
// L into (-pi, pi] or [0, 2pi). The turn taken off or added is the calculator's 2pi, the
// one its space conversion adds; a longitude within 1e-12 rad of the open end is put on the
// closed one, so that no text shows -180° or 360°.
void PutInRange(double& B, double& L, LongitudeRange range);

}  // namespace vantrel::batch
