#pragma once
// Coordinate reference systems by their EPSG codes: the Chinese national systems and WGS 84
// that surveyors and GIS users name by number. One table beside the ellipsoid table
// (ellipsoids.h), whose rows each system points to; the projected families are written as
// the registry numbers them (a zone per code), not as hundreds of rows.
//
// Axis order is the registry's: latitude, longitude for the geographic systems; X, Y, Z for
// the geocentric ones; northing first (X north, Y east) for the Chinese Gauss-Kruger systems;
// easting first (E, N) for WGS 84 / UTM.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geodetic/ellipsoids.h"

namespace vantrel {

enum class CrsKind { Geographic, Geocentric, Projected };
enum class Datum { Beijing1954, Xian1980, Cgcs2000, Wgs84 };
enum class AxisOrder {
  LatLon,     // geographic: latitude north, longitude east, degrees
  XYZ,        // geocentric, metres
  NorthEast,  // X north, Y east: the Chinese Gauss-Kruger systems
  EastNorth,  // E, N: UTM
};

// Degrees: west and east longitude, south and north latitude.
struct AreaOfUse {
  double west, south, east, north;
};

// The transverse Mercator as the registry gives it: latitude of origin 0, the zone's central
// meridian, the scale on it, false easting and northing in metres.
struct TransverseMercator {
  double centralMeridian = 0;  // degrees
  double scale = 1;
  double falseEasting = 0, falseNorthing = 0;
  int zone = 0;               // the zone's number in its width's numbering
  int zoneWidth = 0;          // 3 or 6
  bool zoneInEasting = false; // false easting zone * 10^6 + 500 000 m
};

struct Crs {
  int code = 0;
  std::string name;     // the registry's English name
  std::string chinese;  // for messages
  CrsKind kind = CrsKind::Geographic;
  Datum datum = Datum::Cgcs2000;
  const EllipsoidRow* ellipsoid = nullptr;  // its row of the ellipsoid table
  AxisOrder axes = AxisOrder::LatLon;
  AreaOfUse area{};
  TransverseMercator tm;  // projected systems only
};

// The system of a code, or nothing for a code outside the table.
std::optional<Crs> CrsByCode(int code);
// "EPSG:4548" (any case, blanks around it) or a bare "4548". False with a message (Chinese)
// for text that names no system of the table.
bool ParseCrs(std::string_view text, Crs& crs, std::string& error);
// Every code of the table in ascending order.
std::vector<int> CrsCodes();

std::string_view DatumName(Datum datum);         // "Beijing 1954", ...
std::string_view DatumChineseName(Datum datum);  // "北京54", ...
// The axes in their order as a help text or a message states them: "纬度 B, 经度 L (度)".
std::string_view AxisOrderText(AxisOrder axes);
// The axes as short names, in order: {"lat", "lon"}, {"X", "Y", "Z"}, {"x", "y"}, {"E", "N"}.
std::vector<std::string_view> AxisNames(AxisOrder axes);

// Whether two systems share a datum: coordinates pass between them by the projection and
// the ellipsoid alone.
inline bool SameDatum(const Crs& a, const Crs& b) { return a.datum == b.datum; }

}  // namespace vantrel
