#pragma once
// The ellipsoids the batch layer knows by code. The calculator's dialogs and the components
// keep their three codes (54, 80, 84); files and scripts may also name CGCS2000 as "2000".
#include <optional>
#include <string_view>
#include <vector>

#include "geodetic/ellipsoid.h"

namespace vantrel::batch {

// China Geodetic Coordinate System 2000: a = 6378137 m, 1/f = 298.257222101, e2 = f (2 - f).
inline constexpr double kCgcs2000InverseFlattening = 298.257222101;
inline constexpr Ellipsoid kEllipsoid2000{
    6378137.0, (1 / kCgcs2000InverseFlattening) * (2 - 1 / kCgcs2000InverseFlattening)};

// "54", "80", "84" give the calculator's rows (exactly what Get_Earth gives for them),
// "2000" gives CGCS2000; any other text is no ellipsoid (unlike Get_Earth, which
// falls back on 54: a typo on a command line must not silently change the datum).
std::optional<Ellipsoid> EllipsoidByCode(std::string_view code);

// The codes EllipsoidByCode knows, in the order a help text lists them.
const std::vector<std::string_view>& EllipsoidCodes();

// Whether the Tandrel component, which UTM and Lambert go through, knows a code: it takes
// any text but its three for 54, so 2000 would be computed on the wrong ellipsoid.
bool ComponentKnowsEllipsoid(std::string_view code);
inline constexpr std::string_view kComponentEllipsoidsMessage =
    "UTM 和兰勃特投影用 Tandrel 组件计算, 只有 54、80、84";

}  // namespace vantrel::batch
