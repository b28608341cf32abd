#include "batch/crs_transform.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "batch/typed_angles.h"
#include "common/line_reader.h"
#include "common/text_rules.h"
#include "batch/observation_text.h"
#include "geodetic/gauss_kruger.h"
#include "transform/plane_models.h"

namespace vantrel::batch {

namespace {

constexpr double kNaNCrs = std::numeric_limits<double>::quiet_NaN();
// As gauss2blh: past 4 degrees from the meridian the series err by more than a millimetre.
constexpr double kCrsFarFromMeridian = 4 * kPi / 180;

bool IsChinaOrWgs(Datum d) { return d == Datum::Cgcs2000 || d == Datum::Wgs84; }

// One end of a transformation, set up once: the ellipsoid's space conversion and, for a
// projected system, the Gauss-Kruger series on its meridian with no false origin (the
// registry's false origin and scale are applied here, the series know neither).
struct CrsEnd {
  explicit CrsEnd(const Crs& c)
      : crs(c),
        space(c.ellipsoid->ellipsoid),
        meridian(AngleToRadians(c.tm.centralMeridian, AngleUnit::Degrees)),
        gauss(c.ellipsoid->ellipsoid, meridian, 0, 0, 0, 0, false) {}
  const Crs& crs;
  Geocentric space;
  double meridian;
  GaussKruger gauss;

  bool Far(double L) const {
    return crs.kind == CrsKind::Projected &&
           std::fabs(ReduceLongitudeDifference(L - meridian)) > kCrsFarFromMeridian;
  }

  // The easting without the zone number in front, or a refusal: a number in front must be
  // the system's zone (Gauss-Kruger systems; UTM eastings carry none).
  Status PlainEasting(double& e) const {
    const TransverseMercator& tm = crs.tm;
    if (crs.axes != AxisOrder::NorthEast || e < kZonePrefixUnit) return Status::Ok;
    const double prefix = std::floor(e / kZonePrefixUnit);
    if (prefix != tm.zone) return Status::ZonePrefixMismatch;
    e -= prefix * kZonePrefixUnit;
    return Status::Ok;
  }

  Status ToGeodetic(double a, double b, double c, AngleUnit unit, double& B, double& L, double& H) const {
    switch (crs.kind) {
      case CrsKind::Geographic: {
        const Status s = GeodeticInputStatus(a, b, c, unit);
        if (s != Status::Ok) return s;
        B = AngleToRadians(a, unit);
        L = AngleToRadians(b, unit);
        H = c;
        return Status::Ok;
      }
      case CrsKind::Geocentric:
        if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) return Status::InputNotFinite;
        space.Inverse(a, b, c, B, L, H);
        PutInRange(B, L, LongitudeRange::Signed);
        return Status::Ok;
      case CrsKind::Projected: break;
    }
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c)) return Status::InputNotFinite;
    double north = a, east = b;
    if (crs.axes == AxisOrder::EastNorth) std::swap(north, east);
    const TransverseMercator& tm = crs.tm;
    if (const Status s = PlainEasting(east); s != Status::Ok) return s;
    const double plainFalseEasting = tm.zoneInEasting ? 500000 : tm.falseEasting;
    double h = 0;
    gauss.Inverse((north - tm.falseNorthing) / tm.scale, (east - plainFalseEasting) / tm.scale, c, B, L, h);
    H = c;
    return Status::Ok;
  }

  void FromGeodetic(double B, double L, double H, double& a, double& b, double& c) const {
    switch (crs.kind) {
      case CrsKind::Geographic:
        a = B;
        b = L;
        c = H;
        return;
      case CrsKind::Geocentric: space.Forward(B, L, H, a, b, c); return;
      case CrsKind::Projected: break;
    }
    double x = 0, y = 0, h = 0;
    gauss.Forward(B, L, H, x, y, h);
    const TransverseMercator& tm = crs.tm;
    a = tm.scale * x + tm.falseNorthing;
    b = tm.scale * y + tm.falseEasting;
    if (crs.axes == AxisOrder::EastNorth) std::swap(a, b);
    c = H;
  }
};

}  // namespace

std::string CrsTransformRefusal(const CrsTransform& t) {
  if (t.four) {
    if (t.seven) return "七参数与四参数只能给一种";
    if (t.from.kind != CrsKind::Projected || t.to.kind != CrsKind::Projected)
      return "四参数是平面坐标之间的转换, 只用于两个投影坐标系之间; 地理坐标、空间直角坐标要用七参数";
    return "";
  }
  const Datum a = t.from.datum, b = t.to.datum;
  const std::string names = std::string(DatumChineseName(a)) + " 与 " + std::string(DatumChineseName(b));
  if (a == b)
    return t.seven ? names.substr(0, names.find(' ')) + " 是同一基准, 坐标系之间只差投影, 不用七参数" : "";
  if (t.seven) return "";
  if (IsChinaOrWgs(a) && IsChinaOrWgs(b)) {
    if (t.sameDatum) return "";
    return names + " 是不同的基准 (两者的实现相差最多几厘米), 不会自动当作同一基准; 需要七参数, "
                   "或明确说明当作同一基准";
  }
  return names + " 是不同的基准, 两者的坐标相差几十米到一百多米, 不能猜测; 需要七参数 (可由公共点用 fit7 求得)";
}

int CrsAxisCount(const Crs& crs) { return crs.kind == CrsKind::Geocentric ? 3 : 2; }

void TransformCrsPoints(const CrsTransform& t, AngleUnit unit, std::span<const double> a,
                        std::span<const double> b, std::span<const double> c, std::span<double> oa,
                        std::span<double> ob, std::span<double> oc, std::span<Status> status) {
  if (const std::string why = CrsTransformRefusal(t); !why.empty()) throw std::invalid_argument(why);
  const std::size_t n = a.size();
  const bool geocentricIn = t.from.kind == CrsKind::Geocentric;
  if (b.size() != n || oa.size() != n || ob.size() != n || status.size() != n ||
      (!c.empty() && c.size() != n) || (!oc.empty() && oc.size() != n) || (geocentricIn && c.empty()))
    throw std::invalid_argument("TransformCrsPoints: spans of different lengths");
  const CrsEnd from(t.from), to(t.to);
  if (t.four) {
    const FourParameterModel plane(*t.four);
    for (std::size_t i = 0; i < n; ++i) {
      oa[i] = ob[i] = kNaNCrs;
      if (!oc.empty()) oc[i] = c.empty() ? 0.0 : c[i];
      const double third = c.empty() ? 0.0 : c[i];
      if (!std::isfinite(a[i]) || !std::isfinite(b[i]) || !std::isfinite(third)) {
        status[i] = Status::InputNotFinite;
        continue;
      }
      const bool swapIn = t.from.axes == AxisOrder::EastNorth;
      const double north = swapIn ? b[i] : a[i];
      double east = swapIn ? a[i] : b[i];
      // The zone in front is checked, then kept: the parameters were fitted on it.
      double plain = east;
      status[i] = from.PlainEasting(plain);
      if (status[i] != Status::Ok) continue;
      double N = 0, E = 0;
      plane.Apply(north, east, N, E);
      if (!std::isfinite(N) || !std::isfinite(E)) {
        status[i] = Status::NotFinite;
        continue;
      }
      const bool swapOut = t.to.axes == AxisOrder::EastNorth;
      oa[i] = swapOut ? E : N;
      ob[i] = swapOut ? N : E;
    }
    return;
  }
  const bool shift = t.seven && !SameDatum(t.from, t.to);
  for (std::size_t i = 0; i < n; ++i) {
    oa[i] = ob[i] = kNaNCrs;
    if (!oc.empty()) oc[i] = kNaNCrs;
    double B = 0, L = 0, H = 0;
    status[i] = from.ToGeodetic(a[i], b[i], c.empty() ? 0.0 : c[i], unit, B, L, H);
    if (status[i] != Status::Ok) continue;
    const bool far = from.Far(L);
    if (shift) {
      double X = 0, Y = 0, Z = 0, Xn = 0, Yn = 0, Zn = 0;
      from.space.Forward(B, L, H, X, Y, Z);
      SevenParameterTransform(*t.seven, X, Y, Z, Xn, Yn, Zn);
      to.space.Inverse(Xn, Yn, Zn, B, L, H);
      PutInRange(B, L, LongitudeRange::Signed);
    }
    double r0 = 0, r1 = 0, r2 = 0;
    to.FromGeodetic(B, L, H, r0, r1, r2);
    if (!std::isfinite(r0) || !std::isfinite(r1) || !std::isfinite(r2)) {
      status[i] = Status::NotFinite;
      continue;
    }
    oa[i] = r0;
    ob[i] = r1;
    if (!oc.empty()) oc[i] = r2;
    if (far || to.Far(L)) status[i] = Status::FarFromMeridian;
  }
}

Command CrsCommand(const CrsTransform& t, AngleUnit angles, bool heights, int decimals) {
  if (const std::string why = CrsTransformRefusal(t); !why.empty()) throw std::invalid_argument(why);
  Command cmd;
  const auto columnsOf = [](const Crs& crs) -> std::vector<std::pair<std::string, std::vector<std::string>>> {
    switch (crs.axes) {
      case AxisOrder::LatLon: return {{"B", {"lat", "latitude", "纬度"}}, {"L", {"lon", "lng", "longitude", "经度"}}};
      case AxisOrder::XYZ: return {{"X", {}}, {"Y", {}}, {"Z", {}}};
      case AxisOrder::NorthEast: return {{"x", {"xg", "northing", "n", "北坐标"}}, {"y", {"yg", "easting", "e", "东坐标"}}};
      case AxisOrder::EastNorth: return {{"E", {"easting", "y", "东坐标"}}, {"N", {"northing", "x", "北坐标"}}};
    }
    return {};
  };
  for (auto& [name, aliases] : columnsOf(t.from))
    cmd.inputs.push_back({name, aliases, name + "应为数值!", "缺少" + name + "值!"});
  const bool geocentricIn = t.from.kind == CrsKind::Geocentric;
  const bool geocentricOut = t.to.kind == CrsKind::Geocentric;
  const bool heightIn = heights && !geocentricIn;
  if (heightIn) cmd.inputs.push_back({"H", {"h", "height", "高程", "大地高"}, "H应为数值!", "缺少H值!"});
  const Formatter metres = PatternFormat(DecimalsPattern(decimals >= 0 ? decimals : geocentricOut ? 4 : 3));
  const bool heightOut = (heights || geocentricIn) && !geocentricOut;
  int value = 0;
  for (auto& [name, aliases] : columnsOf(t.to)) {
    const Formatter f = t.to.kind == CrsKind::Geographic ? AngleFormat(angles) : metres;
    cmd.outputs.push_back({name, f, value++, -1});
  }
  if (heightOut) cmd.outputs.push_back({"H", metres, value++, -1});
  cmd.values = value;
  const bool thirdOut = geocentricOut || heightOut;
  cmd.kernel = [t, angles, geocentricIn, heightIn, thirdOut](std::span<const std::span<const double>> in,
                                                             std::span<const std::span<double>> out,
                                                             std::span<Status> st) {
    const std::span<const double> third = geocentricIn || heightIn ? in[2] : std::span<const double>();
    TransformCrsPoints(t, angles, in[0], in[1], third, out[0], out[1], thirdOut ? out[2] : std::span<double>(), st);
  };
  return cmd;
}

bool SetParameters(CrsTransform& t, const std::vector<double>& v) {
  t.seven.reset();
  t.four.reset();
  if (v.size() == 7) {
    t.seven = SevenParameters{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
  } else if (v.size() == 4) {
    std::array<double, 4> p{};
    p[kShiftX] = v[0];
    p[kShiftY] = v[1];
    p[kRotation] = v[2] / kSevenRho;
    p[kScale] = v[3] * 1e-6;
    t.four = p;
  } else {
    return false;
  }
  return true;
}

std::string SevenParameterText(const SevenParameters& p) {
  std::string s;
  for (double v : {p.dX, p.dY, p.dZ, p.m, p.ex, p.ey, p.ez}) s += (s.empty() ? "" : ",") + GeneralNumberText(v);
  return s;
}

std::string FourParameterText(const std::array<double, 4>& p) {
  return GeneralNumberText(p[kShiftX]) + "," + GeneralNumberText(p[kShiftY]) + "," +
         GeneralNumberText(p[kRotation] * kSevenRho) + "," + GeneralNumberText(p[kScale] * 1e6);
}

bool ParseParameterText(std::string_view bytes, const std::string& name, CrsTransform& t, std::string& error) {
  if (!IsGbkOrUtf8Text(bytes)) {
    error = name + ": 不是文字文件 (GBK 或 UTF-8)";
    return false;
  }
  LineCursor lines(bytes);
  std::string_view line;
  std::size_t number = 0;
  std::vector<double> values;
  const auto fail = [&](const std::string& why) {
    error = name + ":" + std::to_string(number) + ": " + why;
    return false;
  };
  while (lines.Next(line)) {
    ++number;
    std::string_view rest = line;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (rest.empty() || rest.front() == '#') continue;
    if (!values.empty()) return fail("参数只占一行, 这里多出一行");
    std::size_t start = 0;
    const std::string text(rest);
    while (start <= text.size()) {
      std::size_t end = text.find_first_of(", \t", start);
      if (end == std::string::npos) end = text.size();
      const std::string item = text.substr(start, end - start);
      start = end + 1;
      if (item.empty()) continue;
      const auto v = ReadStrict(item);
      if (!v || !std::isfinite(*v)) return fail("“" + item + "” 不是数值");
      values.push_back(*v);
    }
    if (values.size() != 7 && values.size() != 4)
      return fail("应有 7 个数值 dX,dY,dZ,m,ex,ey,ez 或 4 个数值 dx,dy,旋转角,m, 这里有 " +
                  std::to_string(values.size()) + " 个");
  }
  if (values.empty()) {
    error = name + ": 没有参数 (应有一行 dX,dY,dZ,m,ex,ey,ez 或 dx,dy,旋转角,m)";
    return false;
  }
  return SetParameters(t, values);
}

}  // namespace vantrel::batch
