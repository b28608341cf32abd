#include "batch/commands.h"

#include <string_view>

#include "geodetic/geodetic_gauss.h"
#include "geodetic/seven_parameter.h"
#include "geodetic/zone_change.h"
#include "plane/intersection.h"

namespace vantrel::batch {
namespace {

using In = std::span<const std::span<const double>>;
using Out = std::span<const std::span<double>>;

InputColumn Column(std::string name, std::vector<std::string> aliases, std::string_view notNumber,
                   std::string missing = {}) {
  if (missing.empty()) missing = "缺少" + name + "值!";
  return {std::move(name), std::move(aliases), std::string(notNumber), std::move(missing)};
}

OutputColumn Value(std::string name, int value, Formatter format) {
  return {std::move(name), std::move(format), value, -1};
}

OutputColumn Copy(std::string name, int input) { return {std::move(name), nullptr, -1, input}; }

Formatter Metres(int decimals, int dialogDecimals) {
  return PatternFormat(DecimalsPattern(decimals < 0 ? dialogDecimals : decimals));
}

// Numbers the dialog writes as general text, or with a pattern when decimals are asked for.
Formatter GeneralOr(int decimals) { return decimals < 0 ? GeneralFormat() : PatternFormat(DecimalsPattern(decimals)); }

std::string Msg(std::string_view m) { return std::string(m); }

InputColumn LatitudeColumn(std::string_view notNumber) {
  return Column("B", {"lat", "latitude", "纬度"}, notNumber);
}
InputColumn LongitudeColumn(std::string_view notNumber) {
  return Column("L", {"lon", "lng", "longitude", "经度"}, notNumber);
}
InputColumn ZoneColumn() { return Column("zone", {"带号"}, "带号应为数值!"); }

}  // namespace

InputColumn NorthingColumn(std::string_view notNumber, std::string missing) {
  return Column("x", {"xg", "northing", "n", "北坐标"}, notNumber, std::move(missing));
}
InputColumn EastingColumn(std::string_view notNumber, std::string missing) {
  return Column("y", {"yg", "easting", "e", "东坐标"}, notNumber, std::move(missing));
}

Command SpaceToGeodeticCommand(const Ellipsoid& ellipsoid, AngleUnit angles, int decimals,
                               LongitudeRange longitudes) {
  Command c;
  c.inputs = {Column("X", {}, CoordinateFieldMessage(1)), Column("Y", {}, CoordinateFieldMessage(2)),
              Column("Z", {}, CoordinateFieldMessage(3))};
  c.outputs = {Value("B", 0, AngleFormat(angles)), Value("L", 1, AngleFormat(angles)),
               Value("H", 2, Metres(decimals, 3))};
  c.values = 3;
  c.kernel = [ellipsoid, longitudes](In in, Out out, std::span<Status> st) {
    SpaceToGeodetic(ellipsoid, in[0], in[1], in[2], out[0], out[1], out[2], st, longitudes);
  };
  return c;
}

Command GeodeticToSpaceCommand(const Ellipsoid& ellipsoid, AngleUnit angles, int decimals) {
  Command c;
  c.inputs = {LatitudeColumn(CoordinateFieldMessage(4)), LongitudeColumn(CoordinateFieldMessage(5)),
              Column("H", {"h", "height", "高程", "大地高"}, CoordinateFieldMessage(6))};
  c.outputs = {Value("X", 0, Metres(decimals, 3)), Value("Y", 1, Metres(decimals, 3)),
               Value("Z", 2, Metres(decimals, 3))};
  c.values = 3;
  c.kernel = [ellipsoid, angles](In in, Out out, std::span<Status> st) {
    GeodeticToSpace(ellipsoid, angles, in[0], in[1], in[2], out[0], out[1], out[2], st);
  };
  return c;
}

Command GeodeticToGaussCommand(const GaussParams& params, AngleUnit angles, int decimals) {
  Command c;
  c.inputs = {LatitudeColumn(CoordinateFieldMessage(1)), LongitudeColumn(CoordinateFieldMessage(2))};
  c.outputs = {Value("x", 0, Metres(decimals, 3)), Value("y", 1, Metres(decimals, 3))};
  c.values = 2;
  int zone = -1, zeta = -1;
  if (params.zoneWidth != 0 && !params.zonePrefix) {
    zone = c.values++;
    c.outputs.push_back(Value("zone", zone, GeneralFormat()));
  }
  if (params.autoAnomaly) {
    zeta = c.values++;
    c.outputs.push_back(Value("zeta", zeta, PatternFormat("#.0")));
  }
  c.kernel = [params, angles, zone, zeta](In in, Out out, std::span<Status> st) {
    GeodeticToGauss(params, angles, in[0], in[1], out[0], out[1],
                    zone < 0 ? std::span<double>() : out[static_cast<std::size_t>(zone)],
                    zeta < 0 ? std::span<double>() : out[static_cast<std::size_t>(zeta)], st);
  };
  return c;
}

Command GaussToGeodeticCommand(const GaussParams& params, AngleUnit angles) {
  Command c;
  c.inputs = {NorthingColumn(CoordinateFieldMessage(4)), EastingColumn(CoordinateFieldMessage(5))};
  const bool zoneColumn = params.zoneWidth != 0 && !params.zonePrefix;
  if (zoneColumn) c.inputs.push_back(ZoneColumn());
  c.outputs = {Value("B", 0, AngleFormat(angles)), Value("L", 1, AngleFormat(angles))};
  c.values = 2;
  c.kernel = [params, zoneColumn](In in, Out out, std::span<Status> st) {
    GaussToGeodetic(params, in[0], in[1], zoneColumn ? in[2] : std::span<const double>(), out[0],
                    out[1], st);
  };
  return c;
}

Command ZoneChangeCommand(const ZoneChangeParams& params, int decimals) {
  Command c;
  c.inputs = {NorthingColumn(kZoneNotNumberMessage, Msg(kZoneEmptyMessage)),
              EastingColumn(kZoneNotNumberMessage, Msg(kZoneEmptyMessage))};
  c.outputs = {Value("x", 0, Metres(decimals, 3)), Value("y", 1, Metres(decimals, 3))};
  c.values = 2;
  c.kernel = [params](In in, Out out, std::span<Status> st) {
    ChangeZones(params, in[0], in[1], out[0], out[1], st);
  };
  return c;
}

Command SevenCommand(const SevenParams& params, bool gauss, int decimals) {
  Command c;
  c.inputs = {Column("X", {}, SevenFieldMessage(8)), Column("Y", {}, SevenFieldMessage(9)),
              Column("Z", {}, SevenFieldMessage(10))};
  const Formatter f = Metres(decimals, 4);
  c.outputs = {Value("X", 0, f), Value("Y", 1, f), Value("Z", 2, f)};
  c.values = 3;
  if (gauss) {
    c.outputs.push_back(Value("xg", 3, f));
    c.outputs.push_back(Value("yg", 4, f));
    c.outputs.push_back(Value("hg", 5, f));
    c.values = 6;
  }
  c.kernel = [params, gauss](In in, Out out, std::span<Status> st) {
    const std::span<double> none;
    SevenParameterPoints(params, in[0], in[1], in[2], out[0], out[1], out[2], gauss ? out[3] : none,
                         gauss ? out[4] : none, gauss ? out[5] : none, st);
  };
  return c;
}

Command GeodeticToUtmCommand(const UtmParams& params, AngleUnit angles, int decimals) {
  Command c;
  c.inputs = {LatitudeColumn("B应为数值!"), LongitudeColumn("L应为数值!")};
  c.outputs = {Value("x", 0, Metres(decimals, 3)), Value("y", 1, Metres(decimals, 3))};
  c.values = 2;
  if (params.zoned) {
    c.outputs.push_back(Value("zone", 2, GeneralFormat()));
    c.values = 3;
  }
  c.kernel = [params, angles](In in, Out out, std::span<Status> st) {
    GeodeticToUtm(params, angles, in[0], in[1], out[0], out[1],
                  params.zoned ? out[2] : std::span<double>(), st);
  };
  return c;
}

Command UtmToGeodeticCommand(const UtmParams& params, AngleUnit angles) {
  Command c;
  c.inputs = {NorthingColumn("x应为数值!"), EastingColumn("y应为数值!")};
  if (params.zoned) c.inputs.push_back(ZoneColumn());
  c.outputs = {Value("B", 0, AngleFormat(angles)), Value("L", 1, AngleFormat(angles))};
  c.values = 2;
  c.kernel = [params](In in, Out out, std::span<Status> st) {
    UtmToGeodetic(params, in[0], in[1], params.zoned ? in[2] : std::span<const double>(), out[0],
                  out[1], st);
  };
  return c;
}

Command GeodeticToLambertCommand(const LambertParams& params, AngleUnit angles, int decimals) {
  Command c;
  c.inputs = {LatitudeColumn("B应为数值!"), LongitudeColumn("L应为数值!")};
  c.outputs = {Value("x", 0, Metres(decimals, 3)), Value("y", 1, Metres(decimals, 3))};
  c.values = 2;
  c.kernel = [params, angles](In in, Out out, std::span<Status> st) {
    GeodeticToLambert(params, angles, in[0], in[1], out[0], out[1], st);
  };
  return c;
}

Command LambertToGeodeticCommand(const LambertParams& params, AngleUnit angles) {
  Command c;
  c.inputs = {NorthingColumn("x应为数值!"), EastingColumn("y应为数值!")};
  c.outputs = {Value("B", 0, AngleFormat(angles)), Value("L", 1, AngleFormat(angles))};
  c.values = 2;
  c.kernel = [params](In in, Out out, std::span<Status> st) {
    LambertToGeodetic(params, in[0], in[1], out[0], out[1], st);
  };
  return c;
}

Command PlaneInverseCommand(AngleUnit angles, std::optional<PlanePoint> from, int decimals) {
  Command c;
  if (from) {
    c.inputs = {NorthingColumn("x应为数值!"), EastingColumn("y应为数值!")};
  } else {
    c.inputs = {Column("x1", {}, "x1应为数值!"), Column("y1", {}, "y1应为数值!"),
                Column("x2", {}, "x2应为数值!"), Column("y2", {}, "y2应为数值!")};
  }
  const Formatter f = GeneralOr(decimals);
  c.outputs = {Value("dx", 0, f), Value("dy", 1, f), Value("dist", 2, f)};
  const bool dms = angles == AngleUnit::Dms;
  if (dms) {
    c.outputs.push_back(Value("az_d", 3, GeneralFormat()));
    c.outputs.push_back(Value("az_m", 4, GeneralFormat()));
    c.outputs.push_back(Value("az_s", 5, PatternFormat("#.0000")));
    c.values = 6;
  } else {
    c.outputs.push_back(Value("az", 3, AngleFormat(angles)));
    c.values = 4;
  }
  c.kernel = [from, dms](In in, Out out, std::span<Status> st) {
    const std::size_t n = st.size();
    std::vector<double> x1, y1;
    if (from) {
      x1.assign(n, from->x);
      y1.assign(n, from->y);
    }
    const std::span<const double> a = from ? std::span<const double>(x1) : in[0];
    const std::span<const double> b = from ? std::span<const double>(y1) : in[1];
    const std::span<const double> p = from ? in[0] : in[2];
    const std::span<const double> q = from ? in[1] : in[3];
    PlaneInverse(a, b, p, q, out[0], out[1], out[2], out[3]);
    if (dms) {
      for (std::size_t i = 0; i < n; ++i) {
        const AzimuthParts parts = SplitAzimuth(out[3][i]);
        out[3][i] = parts.degrees;
        out[4][i] = parts.minutes;
        out[5][i] = parts.seconds;
      }
    }
  };
  return c;
}

Command PlaneForwardCommand(AngleUnit angles, int decimals) {
  Command c;
  c.inputs = {Column("dist", {"distance", "s", "距离"}, "距离应为数值!")};
  const bool dms = angles == AngleUnit::Dms;
  if (dms) {
    c.inputs.push_back(Column("az_d", {"度"}, "方位角的度应为数值!"));
    c.inputs.push_back(Column("az_m", {"分"}, "方位角的分应为数值!"));
    c.inputs.push_back(Column("az_s", {"秒"}, "方位角的秒应为数值!"));
  } else {
    c.inputs.push_back(Column("az", {"azimuth", "方位角"}, "方位角应为数值!"));
  }
  const Formatter f = GeneralOr(decimals);
  c.outputs = {Value("dx", 0, f), Value("dy", 1, f)};
  c.values = 2;
  c.kernel = [angles, dms](In in, Out out, std::span<Status> st) {
    std::vector<double> az(st.size());
    for (std::size_t i = 0; i < az.size(); ++i)
      az[i] = dms ? JoinAzimuth(in[1][i], in[2][i], in[3][i]) : AngleToRadians(in[1][i], angles);
    PlaneForward(in[0], az, out[0], out[1]);
  };
  return c;
}

Command AnomalyCommand(AngleUnit angles, int decimals) {
  Command c;
  c.inputs = {LatitudeColumn("纬度应为数值!"), LongitudeColumn("经度应为数值!")};
  c.outputs = {Copy("B", 0), Copy("L", 1), Value("zeta", 0, Metres(decimals, 3))};
  c.values = 1;
  c.kernel = [angles](In in, Out out, std::span<Status> st) {
    HeightAnomalies(angles, in[0], in[1], out[0], st);
  };
  return c;
}

namespace {

// The plane transformations read the point files' X and Y; a line that is not a point is
// the dialogs' format error.
constexpr std::string_view kFormatError = "数据格式有错!";

Command PlaneTransformCommand(int decimals) {
  Command c;
  c.inputs = {NorthingColumn(kFormatError, Msg(kFormatError)), EastingColumn(kFormatError, Msg(kFormatError))};
  c.outputs = {Value("x", 0, Metres(decimals, 4)), Value("y", 1, Metres(decimals, 4))};
  c.values = 2;
  c.remarkZone = true;
  return c;
}

}  // namespace

Command FourParameterCommand(const TransformState& state, int decimals) {
  Command c = PlaneTransformCommand(decimals);
  c.kernel = [p = state.TransParam](In in, Out out, std::span<Status> st) {
    FourParameterPoints(p, in[0], in[1], out[0], out[1], st);
  };
  return c;
}

Command RotationCommand(const RotationCentres& centres, int decimals) {
  Command c = PlaneTransformCommand(decimals);
  c.kernel = [centres](In in, Out out, std::span<Status> st) {
    RotationPoints(centres, in[0], in[1], out[0], out[1], st);
  };
  return c;
}

}  // namespace vantrel::batch
