#pragma once
// Gauss-Krueger projection: the transverse Mercator with scale 1 on the central meridian,
// on the ellipsoid or on a projection plane lifted by a plane height and a height anomaly.
//
// Units: B, L and the central meridian in radians (B signed, L signed or in [0, 2pi): L - L0
// is taken into (-pi, pi], so a zone may straddle 180 degrees); x north and y east in metres,
// false origin in kilometres; heights in metres.
//
// Method: the meridian arc and its reversion as series in e2 to e10, and the projection
// series to the sixth power of the longitude difference (the usual textbook forms). Measured
// against an exact transverse Mercator (PROJ's tmerc, Poder/Engsager) on the 1954 ellipsoid
// over latitudes 0-80 degrees, the largest ground difference by distance from the central
// meridian, forward / inverse (tests/geodetic/projection_reference_test.cpp holds the first five):
//   1.5 deg: 0.03 / 0.11 mm   3 deg: 0.11 / 0.38 mm   4 deg: 0.7 / 2.8 mm
//   6 deg: 1.2 / 4.7 cm       9 deg: 0.19 / 0.83 m    15 deg: 6.9 / 32 m
//
// Lift: with `lifted`, a point at height H is carried onto the ellipsoid whose axis is
// a + anomaly + planeHeight and projected there; within 10 km of height and lift this is one
// Halley step on the latitude (within 2.3e-8 m of going through space coordinates), beyond it
// the space coordinates themselves. The inverse carries the point back the same way and
// gives B and L in [0, 2pi) as the space conversion does; without the lift it gives them as
// the series do (B signed, L = L0 + l).
#include "common/messages.h"
#include "geodetic/ellipsoid.h"

namespace vantrel {

// The series' constants for an axis a and e2 (GaussSeries, in ellipsoid.h): those of the named
// ellipsoids are derived once at start and given as they stand.
GaussSeries DeriveGaussSeries(double a, double e2);
// The series for an axis as a caller keeps them between calls in `kept`: derived again only
// when the axis (or e2) differs from the one they were kept for.
const GaussSeries& KeptGaussSeries(GaussSeries& kept, double a, double e2);

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

class GaussKruger {
 public:
  // centralMeridian in radians; the false origin in km; planeHeight (H0) and anomaly (zeta)
  // in metres. The forward gives h = H - anomaly and the inverse H = h + anomaly whether or
  // not the plane is lifted. `pi` is the set of the space conversions the lift goes through.
  GaussKruger(const Ellipsoid& ellipsoid, double centralMeridian, double falseNorthingKm = 0,
              double falseEastingKm = 0, double planeHeight = 0, double anomaly = 0,
              bool lifted = true, const PiSet& pi = kCalculatorPi);
  // The same with the series already derived for the axis projected on (the lifted one when
  // lifted), as a caller that keeps them between set-ups has them.
  GaussKruger(const GaussSeries& series, const Ellipsoid& ellipsoid, double centralMeridian,
              double falseNorthingKm, double falseEastingKm, double planeHeight, double anomaly,
              bool lifted, const PiSet& pi = kCalculatorPi);
  // The axis the series are taken on: a, or a + anomaly + planeHeight when lifted.
  static double ProjectedAxis(double a, double planeHeight, double anomaly, bool lifted) {
    return lifted ? (a + anomaly) + planeHeight : a;
  }

  // B, L, H to x, y (false origin added) and h.
  void Forward(double B, double L, double H, double& x, double& y, double& h) const;
  // x, y (false origin included) and h to B, L, H.
  void Inverse(double x, double y, double h, double& B, double& L, double& H) const;

  // The same projection on another central meridian (a zone change, a point in its own
  // zone): nothing is derived again.
  GaussKruger OnMeridian(double centralMeridian) const;

  Ellipsoid ellipsoid() const { return {a_, e2_}; }
  double centralMeridian() const { return L0_; }
  double falseNorthingKm() const { return X0_; }
  double falseEastingKm() const { return Y0_; }
  // The axis the calculator's state holds after a lifted call: (a + zeta + H0 - zeta) - H0,
  // which may differ from a in the last bit.
  double RestoredAxis() const { return aRestored_; }

 private:
  GaussSeries g_;  // for the axis projected on: lifted or not
  double a_, e2_, L0_, X0_, Y0_, zeta_, aRestored_;
  bool lifted_;
  PiSet pi_;
};

// The calculator's routine on the program-wide state. k = 2 forward (B, L, H -> x, y, h),
// k = 1 inverse (x, y, h -> B, L, H; x, y left reduced by the false origin). Any other
// k reports "Unknown k in Sub4" through onMessage and computes nothing. withHeight != 0 lifts
// the plane by the state's PlaneHeight and GeoidUndulation.
// State: reads the ellipsoid, the false origin, PlaneHeight, GeoidUndulation and
// CentralMeridian; with withHeight != 0 writes EllipsoidA back as enlarged and restored
// (GaussKruger::RestoredAxis), which later calls then use. The series for the axis it
// projected on are kept in state.Series for the next call; nothing else is written.
void Sub4(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
          double& H, int withHeight, int k, const MessageHandler& onMessage = {});

// Sub4 with withHeight = 1, k = 2.
void BL2XYg(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
            double& H);
// Sub4 with withHeight = 1, k = 1; x and y get back their entry values.
void XYg2BL(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
            double& H);

// As Sub4 on p instead of the program-wide state: with withHeight != 0 p.a is written back
// as enlarged and restored.
void Sub4Component(ComponentProjection& p, double& x, double& y, double& h, double& B,
                   double& L, double& H, int withHeight, int k,
                   const MessageHandler& onMessage = {});

}  // namespace vantrel
