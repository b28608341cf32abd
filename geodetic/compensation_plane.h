#pragma once
// Height of the compensation plane at a reference point given in WGS84 space coordinates:
// the plane that cancels the Gauss projection distortion there, against the 1954 ellipsoid
// and against the level surface, with the height difference the ellipsoid change causes.
#include "geodetic/ellipsoid.h"

namespace vantrel {

enum class CompensationStatus { Ok, LatitudeOutside, LongitudeOutside };

struct CompensationResult {
  CompensationStatus status = CompensationStatus::Ok;
  double Bdeg = 0, Ldeg = 0, H = 0;  // on the 1954 ellipsoid
  double zeta = 0;                   // height anomaly from the 1954 model, m
  double N = 0, M = 0, R = 0;        // radii at B, m
  double xg = 0, yg = 0, hg = 0;     // Gauss coordinates, m
  double dH1 = 0;                    // to the 1954 ellipsoid
  double dE = 0;                     // height difference from the ellipsoid change
  double dH2 = 0;                    // to the 1954 ellipsoid, coordinate difference allowed for
  double dH3 = 0;                    // to the level surface
};

// X, Y, Z in m, h the levelled height (m), L0 the central meridian (radians). Sets the 1954
// ellipsoid and the central meridian in the state; the other projection values are used as
// held. A point outside 19..52 N or 74..133 E (bounds included) is refused before the
// height anomaly model is read.
CompensationResult CompensationPlaneHeight(ProjectionState& state, double X, double Y, double Z,
                                           double h, double L0);

}  // namespace vantrel
