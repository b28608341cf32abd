#pragma once
// Gauss-Krueger projection (transverse Mercator, scale 1 on the central meridian) in
// both directions, on the ellipsoid or on a projection plane lifted by H0 + zeta.
#include "common/messages.h"
#include "geodetic/ellipsoid.h"

namespace vantrel {

// The calculator's routine on the program-wide state. k = 2 forward (B, L, H -> x, y, h),
// k = 1 inverse (x, y, h -> B, L, H; x, y left reduced by the false origin). Any other
// k reports "Unknown k in Sub4" through onMessage and computes nothing.
void Sub4(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
          double& H, int withHeight, int k, const MessageHandler& onMessage = {});

// Sub4 with withHeight = 1, k = 2.
void BL2XYg(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
            double& H);
// Sub4 with withHeight = 1, k = 1; x and y get back their entry values.
void XYg2BL(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
            double& H);

// The components' copy: parameters passed in, no height anomaly term, pi = 4*atan(1)
// inside the space conversions. a is enlarged by H0 and restored, as in the calculator.
struct ComponentProjection {
  double L0;   // central meridian, radians
  double X0;   // false northing, km
  double Y0;   // false easting, km
  double H0;   // plane height, m
  double a;    // semi-major axis, m
  double e2;
};
void Sub4Component(ComponentProjection& p, double& x, double& y, double& h, double& B,
                   double& L, double& H, int withHeight, int k,
                   const MessageHandler& onMessage = {});

}  // namespace vantrel
