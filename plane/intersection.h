#pragma once
// Plane point-fixing routines behind the forward/inverse, intersection and resection
// dialogs. X north, Y east (m); angles in radians; pi = 3.14159265358979.

namespace vantrel {

struct PlanePoint {
  double x = 0;
  double y = 0;
};

// An azimuth split for display: whole degrees, whole minutes (floors), and seconds.
// No carry: seconds just under 60 stay under 60.
struct AzimuthParts {
  double degrees = 0;
  double minutes = 0;
  double seconds = 0;
};
AzimuthParts SplitAzimuth(double alpha);

// Degrees, minutes, seconds back to radians; minutes and seconds of 60 or more are
// taken as they stand (30 deg 90 min is 31.5 deg).
double JoinAzimuth(double degrees, double minutes, double seconds);

// Forward intersection: P on the left of A->B, alpha observed at A, beta at B.
// Gives false (and leaves p alone) when the two angles give no intersection: sin(gamma)
// is zero or so small that P would be at no finite place.
bool ForwardIntersection(double xa, double ya, double xb, double yb, double alpha,
                         double beta, PlanePoint& p);

enum class ResectionStatus {
  Ok,
  DangerCircle,  // P on or near the circle through A, B and C
  Fault          // a non-finite intermediate: the computation ends silently
};

// Resection by weighted mean of A, B, C. alpha subtends BC (clockwise P->C to P->B),
// beta subtends CA (clockwise P->A to P->C). p is written only on Ok.
ResectionStatus Resection(double xa, double ya, double xb, double yb, double xc, double yc,
                          double alpha, double beta, PlanePoint& p);

}  // namespace vantrel
