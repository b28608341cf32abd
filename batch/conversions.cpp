#include "batch/conversions.h"

#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>

#include "batch/ellipsoids.h"
#include "batch/typed_angles.h"
#include "common/text_rules.h"
#include "geodetic/geodetic_gauss.h"
#include "geodetic/height_anomaly.h"
#include "geodetic/zone_change.h"
#include "plane/intersection.h"
#include "plane/plane_helpers.h"
#include "tandrel/tandrel.h"
#include "transform/plane_models.h"

namespace vantrel::batch {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every span of a call has the length of the first; an empty optional output is allowed.
template <class... Spans>
std::size_t CheckedLength(std::size_t n, const Spans&... spans) {
  const bool same = ((spans.size() == n) && ...);
  if (!same) throw std::invalid_argument("vantrel::batch: spans of different lengths");
  return n;
}
template <class T>
void CheckOptional(std::size_t n, std::span<T> s) {
  if (!s.empty() && s.size() != n) throw std::invalid_argument("vantrel::batch: optional span of the wrong length");
}

template <class T>
void Put(std::span<T> s, std::size_t i, T v) {
  if (!s.empty()) s[i] = v;
}

bool Finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }
bool Finite(double a, double b, double c) { return Finite(a, b) && std::isfinite(c); }
// An optional input is finite where it is given.
bool FiniteAt(std::span<const double> s, std::size_t i) { return s.empty() || std::isfinite(s[i]); }

// The number the China window checks: the packed value as typed for D.MMSS, else degrees.
double TypedForWindow(double value, AngleUnit unit) {
  return unit == AngleUnit::Radians ? DegreesFromRadians(value) : value;
}

Status WindowStatus(double typedB, double typedL) {
  const std::string_view m = AnomalyWindowMessage(typedB, typedL);
  if (m.empty()) return Status::Ok;
  return m == kLatitudeOutsideChina ? Status::LatitudeOutsideChina : Status::LongitudeOutsideChina;
}

// A meridian of whole degrees shifted by whole turns to lie within half a turn of `near`
// (radians), and the same in radians as Dms2Rad gives it.
double DegreesNear(double degrees, double near) {
  const double nearDeg = DegreesFromRadians(near);
  // Longitudes beyond a million turns are nonsense; they keep the meridian as it is.
  const double turns = std::nearbyint((nearDeg - degrees) / 360);
  if (std::fabs(turns) < 1e6) degrees += 360 * turns;
  return degrees;
}
double MeridianNear(double degrees, double near) { return Dms2Rad(DegreesNear(degrees, near)); }

// A zone number read from a file: a whole number.
bool WholeZone(double z, int& zone) {
  if (!(z >= 1 && z <= 1000) || z != std::floor(z)) return false;
  zone = static_cast<int>(z);
  return true;
}

// Whether zone z of either width has the central meridian `meridian` (radians, any turn).
bool ZoneHasMeridian(int z, double meridian) {
  for (int width : {3, 6}) {
    double m = 0;
    if (ZoneMeridian(z, width, meridian, m) && std::fabs(DegreesFromRadians(m - meridian)) < 1e-6) return true;
  }
  return false;
}

// Beyond this distance from the central meridian the inverse series err by millimetres and
// soon by much more (gauss_kruger.h: 2.8 mm at 4 degrees, 4.7 cm at 6, 32 m at 15).
constexpr double kFarFromMeridian = 4 * kPi / 180;

}  // namespace

double AngleToRadians(double value, AngleUnit unit) {
  switch (unit) {
    case AngleUnit::Dms: return Dms2Rad(value);
    case AngleUnit::Degrees: return value * kPi / 180;
    case AngleUnit::Radians: break;
  }
  return value;
}

double DegreesFromRadians(double rad) { return rad * 180 / kPi; }

double AngleToDegrees(double value, AngleUnit unit) {
  switch (unit) {
    case AngleUnit::Dms: return Dms2Deg(value);
    case AngleUnit::Degrees: return value;
    case AngleUnit::Radians: break;
  }
  return DegreesFromRadians(value);
}

void AppendAngleText(std::string& out, double rad, AngleUnit unit) {
  if (!std::isfinite(rad)) return;
  if (unit == AngleUnit::Degrees) return AppendGeneralNumber(out, DegreesFromRadians(rad));
  if (unit == AngleUnit::Radians) return AppendGeneralNumber(out, rad);
  const std::string t = Rad2dms_Buff(rad);
  // " 31.30..." or "- 31.30...": the blank stands in the sign place. An angle that shows as
  // zero has no minus sign, as the format patterns write such a number.
  const bool negative = t[0] == '-';
  const std::size_t blank = negative ? 1 : 0;
  const std::size_t first = t.size() > blank && t[blank] == ' ' ? blank + 1 : blank;
  if (negative && t.find_first_not_of("0.", first) != std::string::npos) out.push_back('-');
  out.append(t, first, std::string::npos);
}

std::string AngleText(double rad, AngleUnit unit) {
  std::string t;
  AppendAngleText(t, rad, unit);
  return t;
}

std::string_view StatusMessage(Status status) {
  switch (status) {
    case Status::Ok: return {};
    case Status::LatitudeOutsideChina: return kLatitudeOutsideChina;
    case Status::LongitudeOutsideChina: return kLongitudeOutsideChina;
    case Status::PointOutsideChina: return kPointOutsideChina;
    case Status::NotFinite: return "计算结果超出数值范围!";
    case Status::BadZone: return "带号不对!";
    case Status::LambertRefused: return "兰勃特投影不能计算此点!";
    case Status::InputNotFinite: return "数值不能是 NaN 或无穷大!";
    case Status::BadPackedAngle: return "度.分秒的分或秒不能大于等于60!";
    case Status::LatitudeOutOfRange: return "纬度应在 -90° 到 90° 之间!";
    case Status::LongitudeOutOfRange: return "经度应在 -360° 到 360° 之间!";
    case Status::ZonePrefixMismatch: return "y 前面的带号与所用的投影带不符!";
    case Status::FarFromMeridian: return "点离中央子午线超过4°, 高斯投影反算的误差超过1毫米!";
    case Status::Extrapolated: return "点在拟合点围成的范围 (凸包) 之外, 高程异常是外推的!";
  }
  return "?";
}

std::string WarnedCountText(Status warning, std::uint64_t count) {
  return "共有 " + std::to_string(count) + " 个" + std::string(StatusMessage(warning));
}

int ZoneNumber(double longitude, AngleUnit unit, int width) { return ZoneNumberOf(longitude, unit, width); }

bool ZoneMeridian(int zone, int width, double near, double& meridian) {
  if (width == 6 && zone >= 1 && zone <= 60) {
    meridian = MeridianNear(6.0 * zone - 3, near);
    return true;
  }
  if (width == 3 && zone >= 1 && zone <= 120) {
    meridian = MeridianNear(3.0 * zone, near);
    return true;
  }
  return false;
}

void SpaceToGeodetic(const Ellipsoid& e, std::span<const double> X, std::span<const double> Y,
                     std::span<const double> Z, std::span<double> B, std::span<double> L,
                     std::span<double> H, std::span<Status> status, LongitudeRange longitudes) {
  const std::size_t n = CheckedLength(X.size(), Y, Z, B, L, H, status);
  const Geocentric space(e);
  for (std::size_t i = 0; i < n; ++i) {
    double b = 0, l = 0, h = 0;
    const bool given = Finite(X[i], Y[i], Z[i]);
    if (given) space.Inverse(X[i], Y[i], Z[i], b, l, h);
    const bool ok = given && Finite(b, l, h);
    if (ok) PutInRange(b, l, longitudes);
    status[i] = ok ? Status::Ok : given ? Status::NotFinite : Status::InputNotFinite;
    B[i] = ok ? b : kNaN;
    L[i] = ok ? l : kNaN;
    H[i] = ok ? h : kNaN;
  }
}

void GeodeticToSpace(const Ellipsoid& e, AngleUnit unit, std::span<const double> B,
                     std::span<const double> L, std::span<const double> H, std::span<double> X,
                     std::span<double> Y, std::span<double> Z, std::span<Status> status) {
  const std::size_t n = CheckedLength(B.size(), L, H, X, Y, Z, status);
  const Geocentric space(e);
  for (std::size_t i = 0; i < n; ++i) {
    double x = 0, y = 0, z = 0;
    status[i] = GeodeticInputStatus(B[i], L[i], H[i], unit);
    if (status[i] == Status::Ok) space.Forward(AngleToRadians(B[i], unit), AngleToRadians(L[i], unit), H[i], x, y, z);
    const bool ok = status[i] == Status::Ok && Finite(x, y, z);
    if (status[i] == Status::Ok && !ok) status[i] = Status::NotFinite;
    X[i] = ok ? x : kNaN;
    Y[i] = ok ? y : kNaN;
    Z[i] = ok ? z : kNaN;
  }
}

void GeodeticToGauss(const GaussParams& p, AngleUnit unit, std::span<const double> B,
                     std::span<const double> L, std::span<double> x, std::span<double> y,
                     std::span<double> zone, std::span<double> anomaly,
                     std::span<Status> status) {
  GeodeticToGauss(p, unit, B, L, {}, x, y, {}, zone, anomaly, status);
}

void GeodeticToGauss(const GaussParams& p, AngleUnit unit, std::span<const double> B,
                     std::span<const double> L, std::span<const double> H, std::span<double> x,
                     std::span<double> y, std::span<double> h, std::span<double> zone,
                     std::span<double> anomaly, std::span<Status> status) {
  const std::size_t n = CheckedLength(B.size(), L, x, y, status);
  CheckOptional(n, H);
  CheckOptional(n, h);
  CheckOptional(n, zone);
  CheckOptional(n, anomaly);
  GaussPoints s(p.ellipsoid, p.centralMeridian, p.falseNorthingKm, p.falseEastingKm,
                p.planeHeight, p.anomaly);
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = y[i] = kNaN;
    Put(h, i, kNaN);
    Put(zone, i, kNaN);
    Put(anomaly, i, kNaN);
    status[i] = H.empty() ? GeodeticInputStatus(B[i], L[i], unit) : GeodeticInputStatus(B[i], L[i], H[i], unit);
    if (status[i] != Status::Ok) continue;
    if (p.autoAnomaly) {
      status[i] = WindowStatus(TypedForWindow(B[i], unit), TypedForWindow(L[i], unit));
      if (status[i] != Status::Ok) continue;
    }
    const double b = AngleToRadians(B[i], unit), l = AngleToRadians(L[i], unit);
    int z = 0;
    if (p.zoneWidth != 0) {
      z = ZoneNumber(L[i], unit, p.zoneWidth);
      double meridian = 0;
      if (!ZoneMeridian(z, p.zoneWidth, l, meridian)) {
        status[i] = Status::NotFinite;
        continue;
      }
      s.SetCentralMeridian(meridian);
    }
    double xi = 0, yi = 0, hi = 0;
    s.Forward(b, l, H.empty() ? 0.0 : H[i], p.autoAnomaly, xi, yi, hi);
    if (p.zonePrefix) yi += z * kZonePrefixUnit;
    if (!Finite(xi, yi, hi)) {
      status[i] = Status::NotFinite;
      continue;
    }
    status[i] = Status::Ok;
    x[i] = xi;
    y[i] = yi;
    Put(h, i, hi);
    if (p.zoneWidth != 0) Put(zone, i, static_cast<double>(z));
    Put(anomaly, i, s.anomaly());
  }
}

void GaussToGeodetic(const GaussParams& p, std::span<const double> x, std::span<const double> y,
                     std::span<const double> zone, std::span<double> B, std::span<double> L,
                     std::span<Status> status) {
  GaussToGeodetic(p, x, y, {}, zone, B, L, {}, status);
}

void GaussToGeodetic(const GaussParams& p, std::span<const double> x, std::span<const double> y,
                     std::span<const double> h, std::span<const double> zone,
                     std::span<double> B, std::span<double> L, std::span<double> H,
                     std::span<Status> status) {
  const std::size_t n = CheckedLength(x.size(), y, B, L, status);
  CheckOptional(n, h);
  CheckOptional(n, H);
  if (p.zoneWidth != 0 && !p.zonePrefix) CheckedLength(n, zone);
  const bool zoneColumn = p.zoneWidth != 0 && !p.zonePrefix;
  GaussPoints s(p.ellipsoid, p.centralMeridian, p.falseNorthingKm, p.falseEastingKm,
                p.planeHeight, p.anomaly);
  for (std::size_t i = 0; i < n; ++i) {
    B[i] = L[i] = kNaN;
    Put(H, i, kNaN);
    if (!Finite(x[i], y[i]) || !FiniteAt(h, i) || (zoneColumn && !std::isfinite(zone[i]))) {
      status[i] = Status::InputNotFinite;
      continue;
    }
    double yi = y[i];
    // Without zonePrefix a y 1000 km or more east of the false easting has a zone number in
    // front; it must be the zone the point is read in.
    const double carried =
        !p.zonePrefix && yi - p.falseEastingKm * 1000 >= kZonePrefixUnit ? std::floor(yi / kZonePrefixUnit) : 0;
    double meridian = p.centralMeridian;
    if (p.zoneWidth != 0) {
      int z = 0;
      bool known = false;
      if (p.zonePrefix) {
        const double prefix = std::floor(yi / kZonePrefixUnit);
        known = WholeZone(prefix, z);
        yi -= prefix * kZonePrefixUnit;
      } else {
        known = WholeZone(zone[i], z);
      }
      // The zone's meridian is taken in [0, 360) degrees, the convention the inverse gives.
      if (!known || !ZoneMeridian(z, p.zoneWidth, kPi, meridian)) {
        status[i] = Status::BadZone;
        continue;
      }
      if (carried != 0 && carried != z) {
        status[i] = Status::ZonePrefixMismatch;
        continue;
      }
      s.SetCentralMeridian(meridian);
    } else if (carried != 0) {
      int z = 0;
      if (!WholeZone(carried, z) || !ZoneHasMeridian(z, meridian)) {
        status[i] = Status::ZonePrefixMismatch;
        continue;
      }
    }
    yi -= carried * kZonePrefixUnit;
    // Each point starts as the dialog's press does: with the typed anomaly (0 for AUTO).
    s.SetAnomaly(p.anomaly);
    double b = 0, l = 0, height = 0;
    const std::string_view outside =
        s.Inverse(x[i], yi, h.empty() ? 0.0 : h[i], p.autoAnomaly, b, l, height);
    if (!outside.empty()) {
      status[i] = Status::PointOutsideChina;
      continue;
    }
    if (!Finite(b, l, height)) {
      status[i] = Status::NotFinite;
      continue;
    }
    status[i] = std::fabs(ReduceLongitudeDifference(l - meridian)) > kFarFromMeridian ? Status::FarFromMeridian
                                                                                       : Status::Ok;
    PutInRange(b, l, p.longitudes);
    B[i] = b;
    L[i] = l;
    Put(H, i, height);
  }
}

void ChangeZones(const ZoneChangeParams& p, std::span<const double> x, std::span<const double> y,
                 std::span<double> xNew, std::span<double> yNew, std::span<Status> status) {
  const std::size_t n = CheckedLength(x.size(), y, xNew, yNew, status);
  const ZoneChanger change(p.ellipsoid, p.fromMeridian, p.toMeridian, p.falseNorthingKm,
                           p.falseEastingKm, p.planeHeight, p.anomaly);
  for (std::size_t i = 0; i < n; ++i) {
    double xi = x[i], yi = y[i];
    const bool given = Finite(xi, yi);
    if (given) change.Change(xi, yi);
    const bool ok = given && Finite(xi, yi);
    status[i] = ok ? Status::Ok : given ? Status::NotFinite : Status::InputNotFinite;
    xNew[i] = ok ? xi : kNaN;
    yNew[i] = ok ? yi : kNaN;
  }
}

void SevenParameterPoints(const SevenParams& p, std::span<const double> X,
                          std::span<const double> Y, std::span<const double> Z,
                          std::span<double> Xn, std::span<double> Yn, std::span<double> Zn,
                          std::span<double> xg, std::span<double> yg, std::span<double> hg,
                          std::span<Status> status) {
  const std::size_t n = CheckedLength(X.size(), Y, Z, Xn, Yn, Zn, status);
  const bool gauss = !xg.empty() || !yg.empty() || !hg.empty();
  if (gauss) CheckedLength(n, xg, yg, hg);
  const GaussKruger projection(p.ellipsoid, p.centralMeridian,
                               p.falseNorthingKm, p.falseEastingKm, p.planeHeight, p.anomaly);
  for (std::size_t i = 0; i < n; ++i) {
    double xn = 0, yn = 0, zn = 0;
    bool ok = true;
    if (!Finite(X[i], Y[i], Z[i])) {
      status[i] = Status::InputNotFinite;
      Xn[i] = Yn[i] = Zn[i] = kNaN;
      if (gauss) xg[i] = yg[i] = hg[i] = kNaN;
      continue;
    }
    if (gauss) {
      const SevenResult r = SevenParameterCompute(projection, p.parameters, X[i], Y[i], Z[i]);
      xn = r.Xn, yn = r.Yn, zn = r.Zn;
      ok = Finite(r.Xg, r.Yg, r.Hg);
      xg[i] = ok ? r.Xg : kNaN;
      yg[i] = ok ? r.Yg : kNaN;
      hg[i] = ok ? r.Hg : kNaN;
    } else {
      SevenParameterTransform(p.parameters, X[i], Y[i], Z[i], xn, yn, zn);
    }
    ok = ok && Finite(xn, yn, zn);
    status[i] = ok ? Status::Ok : Status::NotFinite;
    Xn[i] = ok ? xn : kNaN;
    Yn[i] = ok ? yn : kNaN;
    Zn[i] = ok ? zn : kNaN;
  }
}

double ComponentMeridian(double dms) { return Dms2Rad(dms, kComponentPi); }

int UtmZoneNumber(double longitude, AngleUnit unit) { return UtmZoneNumberOf(longitude, unit); }

bool UtmZoneMeridian(int zone, double near, double& degrees) {
  if (zone < 1 || zone > 60) return false;
  degrees = DegreesNear(6.0 * zone - 183, near);
  return true;
}

namespace {

// The component's methods take their arguments by reference; a failure inside them (an
// overflow the component reports by throwing) counts as a result out of range.
template <class F>
bool ComponentCall(F&& call) {
  try {
    call();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// The component knows its ellipsoids by code; the code of the row the ellipsoid is.
std::string ComponentCode(const Ellipsoid& e) {
  const EllipsoidRow* row = ComponentRow(e);
  if (!row) throw std::invalid_argument("vantrel::batch: the Tandrel component has no such ellipsoid");
  return std::string(row->code);
}

}  // namespace

void GeodeticToUtm(const UtmParams& p, AngleUnit unit, std::span<const double> B,
                   std::span<const double> L, std::span<double> x, std::span<double> y,
                   std::span<double> zone, std::span<Status> status) {
  const std::size_t n = CheckedLength(B.size(), L, x, y, status);
  CheckOptional(n, zone);
  std::string elli = ComponentCode(p.ellipsoid);
  auto t = tandrel::CreateTandrel();
  double xxo = p.falseNorthingKm, yyo = p.falseEastingKm, hho = p.planeHeight;
  const double given = p.centralMeridian;
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = y[i] = kNaN;
    Put(zone, i, kNaN);
    status[i] = GeodeticInputStatus(B[i], L[i], unit);
    if (status[i] != Status::Ok) continue;
    double phi = AngleToRadians(B[i], unit), lam = AngleToRadians(L[i], unit);
    double lo = given;
    int z = 0;
    if (p.zoned) {
      double degrees = 0;
      z = UtmZoneNumber(L[i], unit);
      if (!UtmZoneMeridian(z, lam, degrees)) {
        status[i] = Status::NotFinite;
        continue;
      }
      lo = ComponentMeridian(degrees);
    }
    double xi = 0, yi = 0;
    const bool ok = ComponentCall([&] { t->BL2XYg_UTM(xi, yi, phi, lam, lo, xxo, yyo, hho, elli); });
    if (!ok || !Finite(xi, yi)) {
      status[i] = Status::NotFinite;
      continue;
    }
    status[i] = Status::Ok;
    x[i] = xi;
    y[i] = yi;
    if (p.zoned) Put(zone, i, static_cast<double>(z));
  }
}

void UtmToGeodetic(const UtmParams& p, std::span<const double> x, std::span<const double> y,
                   std::span<const double> zone, std::span<double> B, std::span<double> L,
                   std::span<Status> status) {
  const std::size_t n = CheckedLength(x.size(), y, B, L, status);
  if (p.zoned) CheckedLength(n, zone);
  const std::string elli = ComponentCode(p.ellipsoid);
  for (std::size_t i = 0; i < n; ++i) {
    B[i] = L[i] = kNaN;
    if (!Finite(x[i], y[i]) || (p.zoned && !std::isfinite(zone[i]))) {
      status[i] = Status::InputNotFinite;
      continue;
    }
    double lo = p.centralMeridian;
    if (p.zoned) {
      int z = 0;
      double degrees = 0;
      // Taken in [0, 360), the convention the inverse gives.
      if (!WholeZone(zone[i], z) || !UtmZoneMeridian(z, kPi, degrees)) {
        status[i] = Status::BadZone;
        continue;
      }
      lo = ComponentMeridian(degrees);
    }
    double phi = 0, lam = 0;
    // XYg2BL_UTM without its packed meridian: the radians it would read from it.
    const bool ok = ComponentCall([&] {
      tandrel::UtmInverse(x[i], y[i], phi, lam, lo, p.falseNorthingKm, p.falseEastingKm,
                          p.planeHeight, elli);
    });
    // The component gives packed degrees, read back with its own pi.
    double b = Dms2Rad(phi, kComponentPi), l = Dms2Rad(lam, kComponentPi);
    if (!ok || !Finite(b, l)) {
      status[i] = Status::NotFinite;
      continue;
    }
    PutInRange(b, l, p.longitudes);
    status[i] = Status::Ok;
    B[i] = b;
    L[i] = l;
  }
}

void GeodeticToLambert(const LambertParams& p, AngleUnit unit, std::span<const double> B,
                       std::span<const double> L, std::span<double> x, std::span<double> y,
                       std::span<Status> status) {
  const std::size_t n = CheckedLength(B.size(), L, x, y, status);
  std::string elli = ComponentCode(p.ellipsoid);
  auto t = tandrel::CreateTandrel();
  double lo = p.centralMeridian, xxo = p.falseNorthingKm, yyo = p.falseEastingKm,
         hho = p.planeHeight;
  for (std::size_t i = 0; i < n; ++i) {
    double phi = AngleToRadians(B[i], unit), lam = AngleToRadians(L[i], unit);
    double xi = 0, yi = 0;
    bool done = false;
    const Status input = GeodeticInputStatus(B[i], L[i], unit);
    const bool ok = input == Status::Ok && ComponentCall([&] {
      done = t->BL2XYg_Lambert(xi, yi, phi, lam, lo, p.parallel1, p.parallel2, xxo, yyo, hho, elli);
    });
    const bool good = ok && done && Finite(xi, yi);
    status[i] = good ? Status::Ok : input != Status::Ok ? input : Status::LambertRefused;
    x[i] = good ? xi : kNaN;
    y[i] = good ? yi : kNaN;
  }
}

void LambertToGeodetic(const LambertParams& p, std::span<const double> x,
                       std::span<const double> y, std::span<double> B, std::span<double> L,
                       std::span<Status> status) {
  const std::size_t n = CheckedLength(x.size(), y, B, L, status);
  std::string elli = ComponentCode(p.ellipsoid);
  auto t = tandrel::CreateTandrel();
  double lo = p.centralMeridian, xxo = p.falseNorthingKm, yyo = p.falseEastingKm,
         hho = p.planeHeight;
  for (std::size_t i = 0; i < n; ++i) {
    double xi = x[i], yi = y[i], phi = 0, lam = 0;
    bool done = false;
    const bool given = Finite(xi, yi);
    const bool ok = given && ComponentCall([&] {
      done = t->XYg2BL_Lambert(xi, yi, phi, lam, lo, p.parallel1, p.parallel2, xxo, yyo, hho, elli);
    });
    const bool good = ok && done && Finite(phi, lam);
    if (good) PutInRange(phi, lam, p.longitudes);
    status[i] = good ? Status::Ok : given ? Status::LambertRefused : Status::InputNotFinite;
    B[i] = good ? phi : kNaN;
    L[i] = good ? lam : kNaN;
  }
}

namespace {

template <class Model>
void PlanePoints(const Model& model, std::span<const double> x, std::span<const double> y,
                 std::span<double> X, std::span<double> Y, std::span<Status> status) {
  const std::size_t n = CheckedLength(x.size(), y, X, Y, status);
  for (std::size_t i = 0; i < n; ++i) {
    double a = 0, b = 0;
    const bool given = Finite(x[i], y[i]);
    if (given) model.Apply(x[i], y[i], a, b);
    const bool ok = given && Finite(a, b);
    status[i] = ok ? Status::Ok : given ? Status::NotFinite : Status::InputNotFinite;
    X[i] = ok ? a : kNaN;
    Y[i] = ok ? b : kNaN;
  }
}

}  // namespace

void FourParameterPoints(const std::array<double, 4>& params, std::span<const double> x,
                         std::span<const double> y, std::span<double> X, std::span<double> Y,
                         std::span<Status> status) {
  PlanePoints(FourParameterModel(params), x, y, X, Y, status);
}

void RotationPoints(const RotationCentres& centres, std::span<const double> x,
                    std::span<const double> y, std::span<double> X, std::span<double> Y,
                    std::span<Status> status) {
  PlanePoints(RotationModel(centres), x, y, X, Y, status);
}

void PlaneInverse(std::span<const double> x1, std::span<const double> y1,
                  std::span<const double> x2, std::span<const double> y2, std::span<double> dx,
                  std::span<double> dy, std::span<double> distance, std::span<double> azimuth) {
  const std::size_t n = CheckedLength(x1.size(), y1, x2, y2, dx, dy, distance, azimuth);
  for (std::size_t i = 0; i < n; ++i) {
    dx[i] = x2[i] - x1[i];
    dy[i] = y2[i] - y1[i];
    distance[i] = Xy2d(x1[i], y1[i], x2[i], y2[i]);
    azimuth[i] = Xy2az(x1[i], y1[i], x2[i], y2[i]);
  }
}

void PlaneForward(std::span<const double> distance, std::span<const double> azimuth,
                  std::span<double> dx, std::span<double> dy) {
  const std::size_t n = CheckedLength(distance.size(), azimuth, dx, dy);
  for (std::size_t i = 0; i < n; ++i) PolarOffsets(distance[i], azimuth[i], dx[i], dy[i]);
}

void HeightAnomalies(AngleUnit unit, std::span<const double> B, std::span<const double> L,
                     std::span<double> zeta, std::span<Status> status) {
  const std::size_t n = CheckedLength(B.size(), L, zeta, status);
  for (std::size_t i = 0; i < n; ++i) {
    status[i] = GeodeticInputStatus(B[i], L[i], unit);
    if (status[i] == Status::Ok) status[i] = WindowStatus(TypedForWindow(B[i], unit), TypedForWindow(L[i], unit));
    zeta[i] = status[i] == Status::Ok
                  ? HeightAnomaly54(DegreesFromRadians(AngleToRadians(B[i], unit)),
                                    DegreesFromRadians(AngleToRadians(L[i], unit)))
                  : kNaN;
  }
}

}  // namespace vantrel::batch
