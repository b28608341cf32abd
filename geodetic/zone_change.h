#pragma once
// The Gauss zone change of the 高斯坐标换带 dialog without a screen: its field check and the
// change itself, one point from one central meridian to another.
#include <string_view>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"

namespace vantrel {

inline constexpr std::string_view kZoneEmptyMessage = "请输入数据!";
inline constexpr std::string_view kZoneNotNumberMessage = "请输入数值!";

// The check each field of the dialog gets, in order: an empty text "请输入数据!", a text
// that is not a number "请输入数值!" (blanks only included: they are not nothing), a
// number "".
std::string_view ZoneFieldMessage(std::string_view text);

// A zone change set up once: back to B, L on the lifted plane of the old meridian, then
// forward on the new one, the second set up on the axis the first leaves (as the dialog's
// state carries it from one call to the next).
class ZoneChanger {
 public:
  ZoneChanger(const Ellipsoid& ellipsoid, double oldMeridian, double newMeridian,
              double falseNorthingKm, double falseEastingKm, double planeHeight, double anomaly);
  void Change(double& x, double& y) const;
  // The axis the calculator's state holds after a change.
  double RestoredAxis() const { return to_.RestoredAxis(); }

 private:
  GaussKruger from_, to_;
};

// Sets the ellipsoid, takes (x, y) back to B, L with the old central meridian and projects
// them with the new one (radians both). The false origin, plane height and anomaly are
// whatever the state holds; CentralMeridian is left at the new meridian.
void ChangeZone(ProjectionState& state, const Ellipsoid& ellipsoid, double oldMeridian,
                double newMeridian, double& x, double& y);

}  // namespace vantrel
