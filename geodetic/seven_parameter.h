#pragma once
// Seven-parameter similarity transformation between two space datums, the projection of
// the new point to Gauss plane coordinates, and the height correction read from a table of
// twelve control points by inverse-distance weighting (with its 45-node grid file).
#include <array>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"

namespace vantrel {

// Arc seconds per radian in this transformation: 648000 / (4 atan 1), the double nearest pi.
inline constexpr double kSevenRho = 648000 / std::numbers::pi;

// Translations in metres, scale change in parts per million, rotations in seconds of arc.
struct SevenParameters {
  double dX = 0, dY = 0, dZ = 0, m = 0, ex = 0, ey = 0, ez = 0;
};

// X' = dX + k(X + ez*Y/rho - ey*Z/rho) and so on, k = 1 + m*1e-6, rho = 648000/(4 atan 1).
void SevenParameterTransform(const SevenParameters& p, double X, double Y, double Z,
                             double& Xn, double& Yn, double& Zn);

struct SevenResult {
  double Xn = 0, Yn = 0, Zn = 0;  // new space coordinates, m
  double B = 0, L = 0, H = 0;     // on the chosen ellipsoid, radians and m
  double Xg = 0, Yg = 0, Hg = 0;  // Gauss coordinates (false origin included), m
};

// The whole computation of the seven-parameter dialog: transform, set the chosen ellipsoid,
// convert to geodetic, set the projection values (central meridian in decimal degrees, false
// origin in km, plane height in m; the height anomaly is left as the state holds it) and
// project onto the lifted plane. The ellipsoid and projection values stay in the state.
SevenResult SevenParameterCompute(ProjectionState& state, const SevenParameters& p, double X,
                                  double Y, double Z, const Ellipsoid& ellipsoid,
                                  double centralMeridianDeg, double falseNorthingKm,
                                  double falseEastingKm, double planeHeight);

// The same on a projection set up once (lifted, with its ellipsoid, meridian, false origin,
// plane height and anomaly): what the dialog computes for every point of a file.
SevenResult SevenParameterCompute(const GaussKruger& projection, const SevenParameters& p,
                                  double X, double Y, double Z);
// The dialog's central meridian field (decimal degrees) in radians, as the computation above
// takes it (pi as 4*atan(1)).
double SevenMeridianRadians(double degrees);

// The captions of the dialog's fields Text1..Text14 (1-based), as its labels show them.
std::string_view SevenFieldCaption(int field);
// The message for a field that is not a number: "“尺度因子”必须是数字!".
std::string SevenFieldMessage(int field);

// The dialog's reading order: the fields read before the new space coordinates are shown
// (parameters, then the old point), and those read after them (central meridian, false
// origin, plane height): text in the meridian is named like any other field, not taken as 0°.
inline constexpr int kSevenFieldsBeforeShow[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
inline constexpr int kSevenFieldsAfterShow[] = {11, 12, 13, 14};

struct HeightControlPoint {
  const char* name;
  double x, y;  // Gauss northing and easting, m
  double dh;    // height correction, m
};
extern const std::array<HeightControlPoint, 12> kHeightControlPoints;

struct HeightCorrection {
  int coincident = -1;  // index of the first control point within 0.1 m, else -1
  double dh = 0;        // that point's correction, or the weighted one
};
// Inverse-distance weighting over the table (weight 1/d); a point within 0.1 m of a control
// point takes that point's value, the earliest row winning.
HeightCorrection InterpolateHeightCorrection(double x, double y);

// The grid node value: distances below 0.01 m count as 0.01 m, no coincidence rule.
double GridHeightCorrection(double x, double y);

// The 45 lines of the grid file (x 3450000..3470000 outer, y 390000..430000 inner, step
// 5000): " x ", " y " and Dh with "#.000", laid out in print zones, without line ends.
std::vector<std::string> CorrectionGridLines();

// Where the grid file goes: "c:\tmp.out" on Windows, "tmp.out" in the user's home folder
// elsewhere (a fixed name in a shared temporary folder could be planted as a link).
// Empty when no home folder is known.
std::string CorrectionGridPath();

}  // namespace vantrel
