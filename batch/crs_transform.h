#pragma once
// Points from one coordinate system of the table (geodetic/crs.h) to another: through
// geodetic coordinates on the source ellipsoid, a datum shift only with the seven parameters
// the caller gives, and on to the target. The projections are the calculator's Gauss-Kruger
// series (gauss_kruger.h) on the ellipsoid itself, scaled for UTM.
//
// Coordinates go in and out in each system's axis order (crs.h). Geographic values are read
// in the call's AngleUnit and given back in radians, as the other array functions do.
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "batch/stream.h"
#include "geodetic/crs.h"
#include "geodetic/seven_parameter.h"

namespace vantrel::batch {

struct CrsTransform {
  Crs from, to;
  // The datum shift from `from`'s datum to `to`'s, in the seven-parameter dialog's
  // convention (dX dY dZ in m, m in ppm, rotations in seconds).
  std::optional<SevenParameters> seven;
  // CGCS2000 and WGS 84 taken as one datum (their realisations differ by centimetres).
  bool sameDatum = false;
  // Instead of the seven: the four plane parameters between two projected systems, as the
  // plane transformation keeps them (TransParam: dX dY in m, rotation in radians, scale - 1),
  // applied to the coordinates as they stand in the source's files, as fit4 estimates them.
  std::optional<std::array<double, 4>> four = std::nullopt;
};

// Why the transformation may not run, in a sentence (Chinese), or "" when it may: two datums
// without parameters, or parameters between systems of one datum. The sentence names no
// option; each caller adds how to give the parameters.
std::string CrsTransformRefusal(const CrsTransform& t);

// The number of coordinates a point of the system has in its axis order: 3 geocentric, else 2.
int CrsAxisCount(const Crs& crs);

// Source coordinates a, b (and c: Z of a geocentric source, else the ellipsoidal height, or
// empty for 0) to target coordinates oa, ob (and oc: Z of a geocentric target, else the
// height; empty to skip). A projected source reads the zone number in front of the easting
// and checks it (ZonePrefixMismatch); a point more than 4 degrees from the central meridian
// of a projected source or target is FarFromMeridian (computed, with a warning). Throws
// std::invalid_argument when CrsTransformRefusal refuses.
void TransformCrsPoints(const CrsTransform& t, AngleUnit unit, std::span<const double> a,
                        std::span<const double> b, std::span<const double> c, std::span<double> oa,
                        std::span<double> ob, std::span<double> oc, std::span<Status> status);

// The same over files: the source's axes (and a height with `heights`, always Z for a
// geocentric source) as input columns, the target's in their place. Metres with `decimals`
// (default 3, 4 for geocentric), angles as AngleText in `angles`.
Command CrsCommand(const CrsTransform& t, AngleUnit angles, bool heights, int decimals = -1);

// Datum parameters as text, the line fit7 or fit4 --params-out writes: seven numbers
// dX,dY,dZ,m,ex,ey,ez or four dx,dy,rotation,m (shifts in m, rotations in seconds, m in ppm;
// commas, blanks or both between them). In a file, blank lines and "#" remarks are skipped
// and the first other line holds the numbers; nothing may follow. Sets t.seven or t.four;
// false with "NAME:LINE: reason" (or "NAME: reason" for a file without a line of numbers).
bool ParseParameterText(std::string_view bytes, const std::string& name, CrsTransform& t, std::string& error);
// Four or seven numbers in the text's units into t.seven or t.four; false for another count.
bool SetParameters(CrsTransform& t, const std::vector<double>& values);
// The lines ParseParameterText reads, at 15 significant digits.
std::string SevenParameterText(const SevenParameters& p);
std::string FourParameterText(const std::array<double, 4>& transParam);

}  // namespace vantrel::batch
