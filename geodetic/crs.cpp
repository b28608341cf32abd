#include "geodetic/crs.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vantrel {

namespace {

// China's extent as the registry gives it for the national geographic systems; the Xian 1980
// ones start a little further north.
constexpr AreaOfUse kChina{73.62, 16.7, 134.77, 53.56};
constexpr double kXianSouth = 18.11;
constexpr AreaOfUse kWorld{-180, -90, 180, 90};

struct DatumInfo {
  Datum datum;
  std::string_view name, chinese, ellipsoidCode, projectedPrefix;
};
constexpr DatumInfo kDatums[] = {
    {Datum::Beijing1954, "Beijing 1954", "北京54", "54", "Beijing 1954"},
    {Datum::Xian1980, "Xian 1980", "西安80", "80", "Xian 1980"},
    {Datum::Cgcs2000, "China Geodetic Coordinate System 2000", "CGCS2000", "2000", "CGCS2000"},
    {Datum::Wgs84, "WGS 84", "WGS84", "WGS84", "WGS 84"},
};
const DatumInfo& InfoOf(Datum d) { return kDatums[static_cast<int>(d)]; }

struct Single {
  int code;
  Datum datum;
  CrsKind kind;
};
constexpr Single kSingles[] = {
    {4214, Datum::Beijing1954, CrsKind::Geographic}, {4610, Datum::Xian1980, CrsKind::Geographic},
    {4490, Datum::Cgcs2000, CrsKind::Geographic},    {4326, Datum::Wgs84, CrsKind::Geographic},
    {4479, Datum::Cgcs2000, CrsKind::Geocentric},    {4978, Datum::Wgs84, CrsKind::Geocentric},
};

// A run of consecutive codes, one zone each, from zone `firstZone` on.
struct Family {
  int first, last;
  Datum datum;
  int width;           // 3 or 6 (UTM: 6)
  int firstZone;
  bool zoneInEasting;  // Gauss-Kruger "zone n" systems; the "CM" ones have 500 km
  bool utmSouth;       // UTM only: false northing 10 000 km
  bool utm;
};
constexpr Family kFamilies[] = {
    {2401, 2421, Datum::Beijing1954, 3, 25, true, false, false},
    {2422, 2442, Datum::Beijing1954, 3, 25, false, false, false},
    {21413, 21423, Datum::Beijing1954, 6, 13, true, false, false},
    {21453, 21463, Datum::Beijing1954, 6, 13, false, false, false},
    {2327, 2337, Datum::Xian1980, 6, 13, true, false, false},
    {2338, 2348, Datum::Xian1980, 6, 13, false, false, false},
    {2349, 2369, Datum::Xian1980, 3, 25, true, false, false},
    {2370, 2390, Datum::Xian1980, 3, 25, false, false, false},
    {4491, 4501, Datum::Cgcs2000, 6, 13, true, false, false},
    {4502, 4512, Datum::Cgcs2000, 6, 13, false, false, false},
    {4513, 4533, Datum::Cgcs2000, 3, 25, true, false, false},
    {4534, 4554, Datum::Cgcs2000, 3, 25, false, false, false},
    {32601, 32660, Datum::Wgs84, 6, 1, false, false, true},
    {32701, 32760, Datum::Wgs84, 6, 1, false, true, true},
};

Crs Base(int code, Datum d, CrsKind kind) {
  Crs c;
  c.code = code;
  c.datum = d;
  c.kind = kind;
  c.ellipsoid = FindEllipsoid(InfoOf(d).ellipsoidCode, kUsedByCrs);
  c.area = d == Datum::Wgs84 ? kWorld : kChina;
  if (d == Datum::Xian1980) c.area.south = kXianSouth;
  return c;
}

Crs FromSingle(const Single& s) {
  Crs c = Base(s.code, s.datum, s.kind);
  c.name = InfoOf(s.datum).name;
  const bool geocentric = s.kind == CrsKind::Geocentric;
  c.axes = geocentric ? AxisOrder::XYZ : AxisOrder::LatLon;
  c.chinese = std::string(InfoOf(s.datum).chinese) + (geocentric ? " 空间直角坐标系" : " 大地坐标系");
  return c;
}

Crs FromFamily(const Family& f, int code) {
  Crs c = Base(code, f.datum, CrsKind::Projected);
  TransverseMercator& tm = c.tm;
  tm.zone = f.firstZone + (code - f.first);
  tm.zoneWidth = f.width;
  // 6-degree zone n has its meridian at 6n - 3 (UTM: 6n - 183), 3-degree zone n at 3n.
  tm.centralMeridian = f.utm ? 6.0 * tm.zone - 183 : f.width == 6 ? 6.0 * tm.zone - 3 : 3.0 * tm.zone;
  tm.scale = f.utm ? 0.9996 : 1;
  tm.zoneInEasting = f.zoneInEasting;
  tm.falseEasting = f.zoneInEasting ? tm.zone * 1e6 + 500000 : 500000;
  tm.falseNorthing = f.utmSouth ? 10000000 : 0;
  const double half = f.width / 2.0;
  c.area.west = std::max(c.area.west, tm.centralMeridian - half);
  c.area.east = std::min(c.area.east, tm.centralMeridian + half);
  const std::string cm = std::to_string(static_cast<int>(tm.centralMeridian));
  const std::string zone = std::to_string(tm.zone);
  const std::string_view prefix = InfoOf(f.datum).projectedPrefix;
  if (f.utm) {
    c.axes = AxisOrder::EastNorth;
    if (f.utmSouth) c.area = {c.area.west, -80, c.area.east, 0};
    else c.area = {c.area.west, 0, c.area.east, 84};
    c.name = std::string(prefix) + " / UTM zone " + zone + (f.utmSouth ? "S" : "N");
    c.chinese = "WGS84 UTM 第" + zone + "带 (" + (f.utmSouth ? "南" : "北") + "半球)";
    return c;
  }
  c.axes = AxisOrder::NorthEast;
  c.name = std::string(prefix) + (f.width == 3 ? " / 3-degree Gauss-Kruger " : " / Gauss-Kruger ") +
           (f.zoneInEasting ? "zone " + zone : "CM " + cm + "E");
  c.chinese = std::string(InfoOf(f.datum).chinese) + " 高斯-克吕格 " + std::to_string(f.width) + "度带 " +
              (f.zoneInEasting ? "第" + zone + "带 (y 前加带号)" : "中央子午线 " + cm + "°");
  return c;
}

}  // namespace

std::optional<Crs> CrsByCode(int code) {
  for (const Single& s : kSingles)
    if (s.code == code) return FromSingle(s);
  for (const Family& f : kFamilies)
    if (code >= f.first && code <= f.last) return FromFamily(f, code);
  return std::nullopt;
}

bool ParseCrs(std::string_view text, Crs& crs, std::string& error) {
  std::string_view t = text;
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
  constexpr std::string_view kEpsg = "epsg:";
  if (t.size() >= kEpsg.size() &&
      std::equal(kEpsg.begin(), kEpsg.end(), t.begin(),
                 [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
    t.remove_prefix(kEpsg.size());
  int code = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), code);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
    error = "坐标系应写作 EPSG:代码 (如 EPSG:4548), 而不是 \"" + std::string(text) + "\"";
    return false;
  }
  if (auto c = CrsByCode(code)) {
    crs = std::move(*c);
    return true;
  }
  error = "不认识的坐标系 EPSG:" + std::to_string(code) +
          " (可用: 4214 4610 4490 4326 4479 4978, 2327-2390, 2401-2442, 4491-4554, 21413-21423, "
          "21453-21463, 32601-32660, 32701-32760)";
  return false;
}

std::vector<int> CrsCodes() {
  std::vector<int> codes;
  for (const Single& s : kSingles) codes.push_back(s.code);
  for (const Family& f : kFamilies)
    for (int c = f.first; c <= f.last; ++c) codes.push_back(c);
  std::sort(codes.begin(), codes.end());
  return codes;
}

std::string_view DatumName(Datum datum) { return InfoOf(datum).name; }
std::string_view DatumChineseName(Datum datum) { return InfoOf(datum).chinese; }

std::string_view AxisOrderText(AxisOrder axes) {
  switch (axes) {
    case AxisOrder::LatLon: return "纬度 B, 经度 L";
    case AxisOrder::XYZ: return "X, Y, Z (米)";
    case AxisOrder::NorthEast: return "x 北, y 东 (米; 北坐标在前)";
    case AxisOrder::EastNorth: return "E 东, N 北 (米; 东坐标在前)";
  }
  return "";
}

std::vector<std::string_view> AxisNames(AxisOrder axes) {
  switch (axes) {
    case AxisOrder::LatLon: return {"lat", "lon"};
    case AxisOrder::XYZ: return {"X", "Y", "Z"};
    case AxisOrder::NorthEast: return {"x", "y"};
    case AxisOrder::EastNorth: return {"E", "N"};
  }
  return {};
}

}  // namespace vantrel
