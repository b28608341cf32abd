#pragma once
// The seven parameters of the space similarity transformation (Bursa-Wolf) estimated from
// common points, in the convention and units of SevenParameterTransform: translations in
// metres, scale change in ppm, rotations in arc seconds, so that transforming the old points
// with the estimate gives the fitted new ones.
//
// Least squares on the exact model (the scale multiplies the rotation terms), iterated
// Gauss-Newton from zero rotation and scale; the translation is solved at the centroid of the
// old points, which keeps the normal equations well conditioned for a set a few kilometres
// across, and carried back to the origin afterwards, with its covariance.
// Residuals are given new minus transformed old, in metres; σ0 is the standard deviation of
// one coordinate, √(vᵀv / (3n − 7)); a point is flagged when one of its residuals exceeds
// 3σ0 (a fit closer than a micrometre flags nothing: that is rounding, not a blunder).
#include <string>
#include <vector>

#include "geodetic/ellipsoid.h"
#include "geodetic/seven_parameter.h"

namespace vantrel::adjustment {

// One common point in space coordinates (metres) of the old and of the new datum.
struct CommonSpacePoint {
  std::string name;
  double X = 0, Y = 0, Z = 0;     // old
  double Xn = 0, Yn = 0, Zn = 0;  // new
};

// One common point in geodetic coordinates: latitude and longitude in radians, height in
// metres, on the old and on the new ellipsoid.
struct CommonGeodeticPoint {
  std::string name;
  double B = 0, L = 0, H = 0;     // old
  double Bn = 0, Ln = 0, Hn = 0;  // new
};

struct SevenResidual {
  std::string name;
  double vX = 0, vY = 0, vZ = 0;  // new minus transformed old, metres
  bool flagged = false;           // a residual above 3σ0
};

struct SevenEstimate {
  bool ok = false;
  std::string error;          // Chinese, for the user, when !ok
  SevenParameters parameters;
  SevenParameters sigma;      // standard deviations, same units as the parameters
  double sigma0 = 0;          // metres
  int redundancy = 0;         // 3n - 7
  int iterations = 0;
  std::vector<SevenResidual> residuals;  // in input order
};

SevenEstimate EstimateSevenParameters(const std::vector<CommonSpacePoint>& points);

// The geodetic points are turned into space coordinates (BLHXYZ) on their ellipsoids first.
SevenEstimate EstimateSevenParameters(const std::vector<CommonGeodeticPoint>& points,
                                      const Ellipsoid& oldEllipsoid,
                                      const Ellipsoid& newEllipsoid);

}  // namespace vantrel::adjustment
