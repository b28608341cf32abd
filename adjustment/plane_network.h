#pragma once
// Least-squares adjustment of a plane control network: coordinates of the new points and one
// orientation unknown per direction set, from direction sets, angles, horizontal distances
// and azimuths; with precisions, error ellipses, the global test and data snooping.
//
// Units: metres for coordinates and distances, radians for every angle in the API. X is
// north, Y east, azimuths clockwise from north, as surveyors write them.
#include <optional>
#include <string>
#include <vector>

namespace vantrel::adjustment {

struct PlanePoint {
  std::string name;
  // Known coordinates; either may be given alone (a single coordinate held).
  std::optional<double> knownX, knownY;
  // m; 0 holds a known coordinate fixed, > 0 makes it an observation (weighted datum).
  double sigmaX = 0, sigmaY = 0;
  // Approximate coordinates the user supplies; computed from the observations when absent.
  std::optional<double> approxX, approxY;
};

enum class ObservationKind {
  Direction,  // station → target, read on the circle of direction set `set`
  Angle,      // at station, clockwise from target to target2
  Distance,   // horizontal distance station – target
  Azimuth,    // grid azimuth station → target
};

// The kind's name in English, as programs read it (JSON, Python).
inline const char* ObservationKindName(ObservationKind kind) {
  switch (kind) {
    case ObservationKind::Direction: return "direction";
    case ObservationKind::Angle: return "angle";
    case ObservationKind::Distance: return "distance";
    case ObservationKind::Azimuth: return "azimuth";
  }
  return "";
}

struct PlaneObservation {
  ObservationKind kind = ObservationKind::Direction;
  std::string station, target;
  std::string target2;  // Angle only
  double value = 0;     // rad (Direction, Angle, Azimuth) or m (Distance)
  // rad or m; 0 takes the instrument's accuracy from PlaneOptions. A known (fixed) azimuth
  // is given a tiny σ by the caller; there is no separate constraint kind.
  double sigma = 0;
  // Direction only: observations with equal `set` share one orientation unknown (one
  // station's direction set). Sets are numbered by the caller, any non-negative integers.
  int set = 0;
};

struct PlaneNetwork {
  std::vector<PlanePoint> points;
  std::vector<PlaneObservation> observations;
};

enum class PlaneDatum {
  Fixed,  // the known coordinates (fixed or weighted) carry the network
  Free,   // every point is an unknown; minimum-norm condition on the chosen points
};

struct PlaneOptions {
  // Instrument accuracies for observations whose own sigma is 0.
  double directionSigma = 1.0 / 206264.80624709636;  // rad (1″)
  double angleSigma = 1.4142135623730951 / 206264.80624709636;  // rad (√2″, two directions)
  double azimuthSigma = 1.0 / 206264.80624709636;     // rad
  double distanceSigmaA = 0.002;                      // m   (σ = a + b·D)
  double distanceSigmaB = 2e-6;                       // 1   (ppm as a ratio)
  // A-priori σ of unit weight in arc seconds, as textbooks state it: an observation whose σ
  // is σ0″ (angles) or σ0 mm (distances) has weight 1. Only the printed σ0 depends on it.
  double sigma0 = 1.0;
  PlaneDatum datum = PlaneDatum::Fixed;
  // Free datum: the points whose centroid and orientation (and scale, when no distance is
  // observed) the minimum-norm condition keeps; empty means all points.
  std::vector<std::string> datumPoints;
  // Standard deviations scaled by the a-posteriori σ0, as adjustment textbooks print them;
  // false scales them by the a-priori σ0.
  bool scaleByAPosteriori = true;
  // Gauss–Newton stops when no coordinate moves by more than this (m).
  double convergence = 1e-4;
  int maxIterations = 20;
};

// Standard error ellipse: semi-axes in m, the major axis's azimuth in rad, [0, π).
struct ErrorEllipse {
  double major = 0, minor = 0, azimuth = 0;
};

struct AdjustedPlanePoint {
  std::string name;
  double x = 0, y = 0;            // m
  bool adjustedX = false, adjustedY = false;  // false: held fixed
  double sigmaX = 0, sigmaY = 0;  // m
  double covarianceXY = 0;        // m²
  double sigmaP = 0;              // √(σx² + σy²), m
  ErrorEllipse ellipse;
};

struct AdjustedObservation {
  double adjusted = 0;       // rad or m, as the observation; directions oriented back to the circle
  double residual = 0;       // adjusted minus observed, rad or m
  double sigma = 0;          // the σ the observation was weighted with, rad or m
  double sigmaAdjusted = 0;  // σ of the adjusted value (scaled as the coordinates)
  double redundancy = 0;     // r = 1 − p·q, 0 … 1
  // Baarda's w = v / (σ √(q_vv)) with the a-priori σ; NaN where r is 0 (nothing to test).
  double standardized = 0;
};

// Relative error ellipse of two points joined by an observation.
struct RelativeEllipse {
  int from = 0, to = 0;  // indices into PlaneResult::points
  ErrorEllipse ellipse;
  double sigmaDistance = 0;  // σ of the adjusted distance between them, m
  double sigmaAzimuth = 0;   // σ of the adjusted azimuth between them, rad
};

struct PlaneResult {
  bool ok = false;
  std::string error;  // Chinese; names the point or the observation at fault
  std::vector<AdjustedPlanePoint> points;          // in the order given
  std::vector<AdjustedObservation> observations;   // in the order given
  std::vector<RelativeEllipse> relative;           // one per pair of points observed together
  // Orientation unknown of each direction set (the azimuth of the circle's zero), rad, by the
  // caller's set number; sets[k] names the set whose orientation is orientations[k].
  std::vector<int> sets;
  std::vector<double> orientations;
  int iterations = 0;
  int degreesOfFreedom = 0;
  double sigma0 = 0;  // a posteriori, in the a-priori σ0's arc seconds
  // Global test: vᵀPv / σ0² against χ²(f) at 95 % (two-sided: 2.5 % and 97.5 % quantiles).
  double chiSquare = 0, chiSquareLower = 0, chiSquareUpper = 0;
  bool globalTestPassed = false;
  // The observation with the largest |w| above the critical value 3.29, or -1.
  int suspectObservation = -1;
};

PlaneResult AdjustPlaneNetwork(const PlaneNetwork& network, const PlaneOptions& options = {});

// The ellipse of a 2×2 covariance [qxx qxy; qxy qyy] (m²).
ErrorEllipse EllipseOf(double qxx, double qxy, double qyy);

}  // namespace vantrel::adjustment
