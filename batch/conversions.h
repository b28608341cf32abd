#pragma once
// The conversions over whole arrays: structure of arrays in std::span, one set-up per call,
// and point by point the very routine the calculator's dialog (or the Tandrel component)
// calls. Nothing here computes a coordinate itself; it loops, chooses zones and reports.
//
// Conventions of every function below:
//  * Input and output spans of one call have the same length n (outputs may be empty
//    where a function says an output is optional). Lengths that differ throw
//    std::invalid_argument.
//  * Angles given in are read in the call's AngleUnit (packed D.MMSS as typed in the
//    dialogs by default); angles given back are radians.
//  * status[i] says whether point i was computed (Status::Ok) or why not; the outputs of
//    a point that was not computed are NaN. Points are checked before they are computed:
//    every number finite, packed D.MMSS a real angle, |B| <= 90°, |L| <= 360°
//    (typed_angles.h).
//  * Angles given back are signed: B in [-pi/2, pi/2], L in (-pi, pi] unless the call asks
//    for [0, 2pi) (LongitudeRange).
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "geodetic/ellipsoid.h"
#include "geodetic/seven_parameter.h"
#include "transform/rotation_transform.h"

namespace vantrel::batch {

enum class AngleUnit { Dms, Degrees, Radians };

// An angle as given in `unit` in radians (Dms2Rad for D.MMSS, the calculator's pi for
// degrees), and back from radians to degrees (`AngleFromRadians` of Dms is not defined:
// packed angles are text, see AngleText).
double AngleToRadians(double value, AngleUnit unit);
double DegreesFromRadians(double rad);
// An angle as given in `unit` in decimal degrees: Dms2Deg for D.MMSS (zones are decided on
// the exact value instead, typed_angles.h).
double AngleToDegrees(double value, AngleUnit unit);

// An angle in radians as the output texts give it: D.MMSS as Rad2dms_Buff writes it but
// without the blank it keeps in the sign place (" 31.3030000000" is "31.3030000000",
// "- 5.3000000000" is "-5.3000000000"), so that a file's field stays one word; degrees
// and radians as general number text. Not finite: "". A packed text of zero has no minus.
std::string AngleText(double rad, AngleUnit unit);
void AppendAngleText(std::string& out, double rad, AngleUnit unit);

enum class Status : std::uint8_t {
  Ok = 0,
  LatitudeOutsideChina,   // the 1954 anomaly model asked for a latitude outside its window
  LongitudeOutsideChina,  // ... a longitude outside it
  PointOutsideChina,      // ... the inverse landed outside 19-52 N, 74-133 E
  NotFinite,              // a result left the range of numbers (input far out of range)
  BadZone,                // a zone number that is no zone of the chosen width
  LambertRefused,         // the Lambert method refused the point or the cone
  InputNotFinite,         // a number given is NaN or infinite
  BadPackedAngle,         // packed D.MMSS with minutes or seconds of 60 or more
  LatitudeOutOfRange,     // beyond 90 degrees north or south
  LongitudeOutOfRange,    // beyond 360 degrees either way
  ZonePrefixMismatch,     // y carries a zone number that is not the zone it is read in
  // Computed, and the outputs are given, but the inverse point lies more than 4 degrees from
  // its central meridian, where the series' error passes a millimetre (gauss_kruger.h): a
  // warning, which a strict caller takes as a refusal.
  FarFromMeridian,
  // Computed, but outside the convex hull of the points a height fit was made from: the
  // anomaly is extrapolated. A warning as well.
  Extrapolated,
};
// The message of a status, in the words of the dialogs ("" for Ok).
std::string_view StatusMessage(Status status);
// The statuses whose points are computed and given, with a warning.
inline bool IsWarning(Status status) { return status == Status::FarFromMeridian || status == Status::Extrapolated; }
// Whether the outputs of a point are given: Ok, and a warning unless `strict`.
inline bool Computed(Status status, bool strict = false) {
  return status == Status::Ok || (IsWarning(status) && !strict);
}
// "共有 N 个" and the warning's message: the line that ends a run with warned points.
std::string WarnedCountText(Status warning, std::uint64_t count);

// How inverse results give their longitudes (latitudes are always in [-pi/2, pi/2]).
enum class LongitudeRange {
  Signed,  // (-pi, pi]: west negative
  Turn,    // [0, 2pi), the calculator's own convention
};

// Zones of 3 or 6 degrees, numbered as Gauss-Krueger zones: 6-degree zone n (1..60) has
// the central meridian 6n - 3, 3-degree zone n (1..120) the meridian 3n. A longitude on a
// zone boundary belongs to the zone east of it, decided on the longitude's exact decimal
// value in its unit (typed_angles.h): 121.30 D.MMSS and 121.5 degrees are on the boundary.
int ZoneNumber(double longitude, AngleUnit unit, int width);  // any turn
// The central meridian of a zone in radians, as Dms2Rad gives it for the whole degrees,
// taken within half a turn of `near` (radians) so that it shares the longitude's sign
// convention. False when the number is no zone of that width.
bool ZoneMeridian(int zone, int width, double near, double& meridian);

// The plane coordinates a zone number is put in front of: y + zone * 10^6.
inline constexpr double kZonePrefixUnit = 1e6;

// ---------------------------------------------------------------- space <-> geodetic
// 空间坐标－大地坐标: xyzblh and BLHXYZ on one ellipsoid. xyzblh's [0, 2pi) become the
// ranges of `longitudes`.
void SpaceToGeodetic(const Ellipsoid& ellipsoid, std::span<const double> X,
                     std::span<const double> Y, std::span<const double> Z, std::span<double> B,
                     std::span<double> L, std::span<double> H, std::span<Status> status,
                     LongitudeRange longitudes = LongitudeRange::Signed);
void GeodeticToSpace(const Ellipsoid& ellipsoid, AngleUnit unit, std::span<const double> B,
                     std::span<const double> L, std::span<const double> H, std::span<double> X,
                     std::span<double> Y, std::span<double> Z, std::span<Status> status);

// ---------------------------------------------------------------- geodetic <-> Gauss
// 大地坐标－高斯坐标 on a projection plane lifted by the plane height and the anomaly.
struct GaussParams {
  Ellipsoid ellipsoid = kEllipsoid54;
  double centralMeridian = 0;  // radians; used when zoneWidth is 0
  int zoneWidth = 0;           // 3 or 6: each point projected in its own zone
  bool zonePrefix = false;     // y carries the zone number in front (needs zoneWidth)
  double falseNorthingKm = 0;  // the dialog leaves the false origin at 0
  double falseEastingKm = 0;
  double planeHeight = 0;      // m
  double anomaly = 0;          // m, the typed height anomaly
  bool autoAnomaly = false;    // the 1954 model at each point instead ("AUTO")
  LongitudeRange longitudes = LongitudeRange::Signed;  // of the inverse's L
};

// Forward. With autoAnomaly the China window is checked on B and L as given (packed values
// for Dms, as the dialog checks what was typed; degrees otherwise). zone (optional) gets
// the zone used, anomaly (optional) the anomaly used.
void GeodeticToGauss(const GaussParams& params, AngleUnit unit, std::span<const double> B,
                     std::span<const double> L, std::span<double> x, std::span<double> y,
                     std::span<double> zone, std::span<double> anomaly,
                     std::span<Status> status);
// Inverse. With zoneWidth the zone comes from `zone` or, with zonePrefix, from y. A y that
// carries a zone number in front without zonePrefix (y - false easting of 1000 km or more)
// has it checked against the zone (zone column, or the zone of either width whose meridian
// is centralMeridian) and taken off; another number is ZonePrefixMismatch. A point more
// than 4 degrees from its meridian is FarFromMeridian.
void GaussToGeodetic(const GaussParams& params, std::span<const double> x,
                     std::span<const double> y, std::span<const double> zone,
                     std::span<double> B, std::span<double> L, std::span<Status> status);
// Both with heights: the forward takes the ellipsoidal height H (m) into the lift onto the
// plane and gives h = H - anomaly, the inverse takes h and gives H = h + anomaly, as BL2XYg
// and XYg2BL do. The forms above are these with H = 0 and h = 0, the dialog's; an empty
// H or h span means 0, and an empty output span is skipped.
void GeodeticToGauss(const GaussParams& params, AngleUnit unit, std::span<const double> B,
                     std::span<const double> L, std::span<const double> H, std::span<double> x,
                     std::span<double> y, std::span<double> h, std::span<double> zone,
                     std::span<double> anomaly, std::span<Status> status);
void GaussToGeodetic(const GaussParams& params, std::span<const double> x,
                     std::span<const double> y, std::span<const double> h,
                     std::span<const double> zone, std::span<double> B, std::span<double> L,
                     std::span<double> H, std::span<Status> status);

// ---------------------------------------------------------------- zone change
// 高斯坐标换带: from one central meridian to another on one ellipsoid (the dialog's: 54).
struct ZoneChangeParams {
  Ellipsoid ellipsoid = kEllipsoid54;
  double fromMeridian = 0, toMeridian = 0;  // radians
  double falseNorthingKm = 0, falseEastingKm = 0, planeHeight = 0, anomaly = 0;
};
void ChangeZones(const ZoneChangeParams& params, std::span<const double> x,
                 std::span<const double> y, std::span<double> xNew, std::span<double> yNew,
                 std::span<Status> status);

// ---------------------------------------------------------------- seven parameters
// 七参数坐标转换: the space transformation, and with the projection fields on to Gauss
// coordinates (xg, yg, hg optional: empty spans skip the projection).
struct SevenParams {
  SevenParameters parameters;
  Ellipsoid ellipsoid = kEllipsoid54;
  // Radians; the dialog's field is decimal degrees, SevenMeridianRadians takes it over.
  double centralMeridian = SevenMeridianRadians(123);
  double falseNorthingKm = 0, falseEastingKm = 500, planeHeight = 0;
  double anomaly = 0;  // the height anomaly the projection plane is lifted by
};
void SevenParameterPoints(const SevenParams& params, std::span<const double> X,
                          std::span<const double> Y, std::span<const double> Z,
                          std::span<double> Xn, std::span<double> Yn, std::span<double> Zn,
                          std::span<double> xg, std::span<double> yg, std::span<double> hg,
                          std::span<Status> status);

// ---------------------------------------------------------------- UTM and Lambert
// Through the Tandrel component's methods. The ellipsoid must be one of the component's
// three (54, 80, 84: ComponentKnowsEllipsoid); another throws std::invalid_argument.
struct UtmParams {
  Ellipsoid ellipsoid = kEllipsoid84;
  double centralMeridian = 0;  // radians (ComponentMeridian of a packed meridian)
  bool zoned = false;          // each point in its UTM zone (1..60, meridian 6n - 183)
  double falseNorthingKm = 0, falseEastingKm = 500, planeHeight = 0;
  LongitudeRange longitudes = LongitudeRange::Signed;  // of the inverse's L
};
// A meridian given as packed D.MMSS in radians as the component reads it (with its own pi):
// the value its UTM inverse computes from the packed one.
double ComponentMeridian(double dms);
int UtmZoneNumber(double longitude, AngleUnit unit);  // any turn, decided as ZoneNumber
// The zone's meridian in whole degrees, within half a turn of `near` (radians).
bool UtmZoneMeridian(int zone, double near, double& degrees);
void GeodeticToUtm(const UtmParams& params, AngleUnit unit, std::span<const double> B,
                   std::span<const double> L, std::span<double> x, std::span<double> y,
                   std::span<double> zone, std::span<Status> status);
void UtmToGeodetic(const UtmParams& params, std::span<const double> x, std::span<const double> y,
                   std::span<const double> zone, std::span<double> B, std::span<double> L,
                   std::span<Status> status);

struct LambertParams {
  Ellipsoid ellipsoid = kEllipsoid84;
  double centralMeridian = 0;                  // radians
  double parallel1 = 0, parallel2 = 0;         // standard parallels, radians
  double falseNorthingKm = 0, falseEastingKm = 0, planeHeight = 0;
  LongitudeRange longitudes = LongitudeRange::Signed;  // of the inverse's L
};
void GeodeticToLambert(const LambertParams& params, AngleUnit unit, std::span<const double> B,
                       std::span<const double> L, std::span<double> x, std::span<double> y,
                       std::span<Status> status);
void LambertToGeodetic(const LambertParams& params, std::span<const double> x,
                       std::span<const double> y, std::span<double> B, std::span<double> L,
                       std::span<Status> status);

// ---------------------------------------------------------------- plane transformations
// 平面坐标转换1 with its parameters (dX, dY, theta, m; transform/transform_state.h) and
// 平面坐标转换2 with its centres: old x y -> new X Y, as the dialogs' file loops compute.
void FourParameterPoints(const std::array<double, 4>& params, std::span<const double> x,
                         std::span<const double> y, std::span<double> X, std::span<double> Y,
                         std::span<Status> status);
void RotationPoints(const RotationCentres& centres, std::span<const double> x,
                    std::span<const double> y, std::span<double> X, std::span<double> Y,
                    std::span<Status> status);

// ---------------------------------------------------------------- plane
// 坐标正反算. Inverse: from point 1 to point 2 the differences, the distance and the
// azimuth (radians, [0, 2pi), Xy2az). Forward: from distance and azimuth (radians) the
// differences, as the dialog's third case computes them.
void PlaneInverse(std::span<const double> x1, std::span<const double> y1,
                  std::span<const double> x2, std::span<const double> y2, std::span<double> dx,
                  std::span<double> dy, std::span<double> distance, std::span<double> azimuth);
void PlaneForward(std::span<const double> distance, std::span<const double> azimuth,
                  std::span<double> dx, std::span<double> dy);

// ---------------------------------------------------------------- height anomaly
// 54椭球大地水准面差距: the China window on B, L as given, then the model (metres).
void HeightAnomalies(AngleUnit unit, std::span<const double> B, std::span<const double> L,
                     std::span<double> zeta, std::span<Status> status);

}  // namespace vantrel::batch
