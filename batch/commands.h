#pragma once
// The conversions of the command line as Commands for RunCommand (batch/stream.h): which
// columns each reads, what it writes in their place, with which text rule, and the array
// function it runs. The default decimals are the dialogs' patterns ("#.000" for the
// coordinate dialogs and the zone change, "#.0000" for the seven-parameter and plane
// transformations); `decimals` below 0 keeps them.
#include <optional>

#include "batch/stream.h"
#include "plane/intersection.h"
#include "transform/rotation_transform.h"
#include "transform/transform_state.h"

namespace vantrel::batch {

// The columns of plane coordinates the surveying way: x (header x, X, xg, N, northing, 北坐标)
// north, y (y, Y, yg, E, easting, 东坐标) east, whatever a GIS would call X. An empty
// `missing` is "缺少x值!" / "缺少y值!".
InputColumn NorthingColumn(std::string_view notNumber, std::string missing = {});
InputColumn EastingColumn(std::string_view notNumber, std::string missing = {});

// 空间坐标－大地坐标: X Y Z -> B L H, and back. Inverse commands write longitudes in the
// range their params (or `longitudes`) name.
Command SpaceToGeodeticCommand(const Ellipsoid& ellipsoid, AngleUnit angles, int decimals = -1,
                               LongitudeRange longitudes = LongitudeRange::Signed);
Command GeodeticToSpaceCommand(const Ellipsoid& ellipsoid, AngleUnit angles, int decimals = -1);

// 大地坐标－高斯坐标: B L -> x y, and back. With zones the forward writes the zone as a
// column after y unless it is put in front of y; the inverse reads it likewise. With the
// 1954 model on request the forward also writes the anomaly used ("#.0", as Text8).
Command GeodeticToGaussCommand(const GaussParams& params, AngleUnit angles, int decimals = -1);
Command GaussToGeodeticCommand(const GaussParams& params, AngleUnit angles);

// 高斯坐标换带: x y -> x y in the new zone.
Command ZoneChangeCommand(const ZoneChangeParams& params, int decimals = -1);

// 七参数坐标转换: X Y Z -> X' Y' Z', and with `gauss` also Xg Yg Hg after them.
Command SevenCommand(const SevenParams& params, bool gauss, int decimals = -1);

// UTM and Lambert through the Tandrel component.
Command GeodeticToUtmCommand(const UtmParams& params, AngleUnit angles, int decimals = -1);
Command UtmToGeodeticCommand(const UtmParams& params, AngleUnit angles);
Command GeodeticToLambertCommand(const LambertParams& params, AngleUnit angles, int decimals = -1);
Command LambertToGeodeticCommand(const LambertParams& params, AngleUnit angles);

// 坐标正反算. Inverse: each line holds two points (x1 y1 x2 y2), or one point (x y) when a
// fixed first point is given; written: dx dy, the distance and the azimuth (three columns
// degrees, minutes, seconds as the dialog's fields, or one in degrees or radians). Forward:
// distance and azimuth -> dx dy. Numbers as the dialog writes them (general number text)
// unless decimals are asked for.
Command PlaneInverseCommand(AngleUnit angles, std::optional<PlanePoint> from, int decimals = -1);
Command PlaneForwardCommand(AngleUnit angles, int decimals = -1);

// 54椭球大地水准面差距: B L -> B L (as typed) and the anomaly (".000", as Label2).
Command AnomalyCommand(AngleUnit angles, int decimals = -1);

// 平面坐标转换1 with estimated parameters, 平面坐标转换2 with typed centres: x y -> X Y.
Command FourParameterCommand(const TransformState& state, int decimals = -1);
Command RotationCommand(const RotationCentres& centres, int decimals = -1);

}  // namespace vantrel::batch
