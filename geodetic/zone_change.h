#pragma once
// The Gauss zone change of the 高斯坐标换带 dialog without a screen: its field check and the
// change itself, one point from one central meridian to another.
#include <string_view>

#include "geodetic/ellipsoid.h"

namespace vantrel {

inline constexpr std::string_view kZoneEmptyMessage = "请输入数据!";
inline constexpr std::string_view kZoneNotNumberMessage = "请输入数值!";

// The check each field of the dialog gets, in order: an empty text "请输入数据!", a text
// that is not a number "请输入数值!" (blanks only included: they are not nothing), a
// number "".
std::string_view ZoneFieldMessage(std::string_view text);

// Sets the ellipsoid, takes (x, y) back to B, L with the old central meridian and projects
// them with the new one (radians both). The false origin, plane height and anomaly are
// whatever the state holds; CentralMeridian is left at the new meridian.
void ChangeZone(ProjectionState& state, const Ellipsoid& ellipsoid, double oldMeridian,
                double newMeridian, double& x, double& y);

}  // namespace vantrel
