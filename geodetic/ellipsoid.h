#pragma once
// The current ellipsoid and projection state (the named ellipsoids are in ellipsoids.h),
// packed D.MMSS angles, the full-circle arctangent and the space <-> geodetic conversions.
#include <cmath>
#include <numbers>
#include <string>
#include <string_view>

#include "geodetic/ellipsoids.h"

namespace vantrel {

// The three values of pi in use are not interchangeable; each routine takes its set.
struct PiSet {
  double pi;
  double halfPi;
  double twoPi;
};
// The calculator's shared routines: pi = 3.14159265358979.
inline constexpr PiSet kCalculatorPi{3.14159265358979, 1.570796326794895, 6.28318530717958};
// The components compute pi as 4*atan(1), which is the double nearest pi.
inline constexpr PiSet kComponentPi{std::numbers::pi, std::numbers::pi / 2, 2 * std::numbers::pi};
inline constexpr double kPi = kCalculatorPi.pi;

// The semi-minor axis b (m) and the flattening f = 1 - b/a, derived from a and e2 the way
// the space conversions derive b.
double SemiMinorAxis(const Ellipsoid& e);
double Flattening(const Ellipsoid& e);

// What the Gauss-Krueger series derive from an axis a and e2 (gauss_kruger.h).
struct GaussSeries {
  double a = 0, e2 = -1;
  double ep2 = 0, c = 0, alpha0 = 0, K0 = 0, K2 = 0, K4 = 0, F0 = 0, F2 = 0, F4 = 0;
};

// The program-wide current ellipsoid and projection values. Starts on the 84 ellipsoid
// with everything else zero, the state the coordinate dialog leaves on unload.
struct ProjectionState {
  double EllipsoidA = kEllipsoid84.a;
  double EllipsoidE2 = kEllipsoid84.e2;
  double FalseNorthingKm = 0;
  double FalseEastingKm = 0;
  double GeoidUndulation = 0;
  double PlaneHeight = 0;
  double CentralMeridian = 0;  // radians
  // The series Sub4 last derived, for the axis in Series.a: a run of calls on one state
  // derives them once, and any other axis derives them again.
  GaussSeries Series;

  Ellipsoid ellipsoid() const { return {EllipsoidA, EllipsoidE2}; }
  void SetEllipsoid(const Ellipsoid& e) {
    EllipsoidA = e.a;
    EllipsoidE2 = e.e2;
  }
  // What unloading the space/geodetic/Gauss dialog does.
  void ResetTo84();
};

// Packed D.MMSS to radians.
double Dms2Rad(double dms, const PiSet& pi = kCalculatorPi);
// Packed D.MMSS to decimal degrees: the degrees Dms2Rad turns into radians (30.3000 is 30.5).
double Dms2Deg(double dms);

// Radians to the packed text " 121.3030000000" (a blank in the sign place; "- ..." for
// negatives). Rewrites alf to |alf| plus a hundred-millionth of an arc second.
std::string Rad2dms_Buff(double& alf);

// The components' variant: offset of a ten-millionth of an arc second, pi = 4*atan(1),
// and the numeric value of the text (read back by the lenient rule). Rewrites alf too.
double Rad2dms_Buff_Component(double& alf);

// Full-circle arctangent in [0, 2pi); pi/2 whenever |X| < 1e-10.
double Datan2(double Y, double X, const PiSet& pi = kCalculatorPi);

// A longitude difference L - L0 taken into (-pi, pi]: a longitude and the same longitude
// +-2pi are one place, whichever convention the caller and its central meridian use.
// Differences already inside come back untouched, bit for bit.
inline double ReduceLongitudeDifference(double dl, const PiSet& pi = kCalculatorPi) {
  if (dl > pi.pi || dl <= -pi.pi) {
    dl -= pi.twoPi * std::ceil((dl - pi.pi) / pi.twoPi);
    // The rounded quotient may land one turn off at the edges.
    if (dl <= -pi.pi)
      dl += pi.twoPi;
    else if (dl > pi.pi)
      dl -= pi.twoPi;
  }
  return dl;
}

// The part of xyzblh before its range convention, for callers that go on to project:
// B in [-pi/2, pi/2] with tan B = w (exact quotient, no arctangent round trip),
// P = sqrt(X^2 + Y^2) and b = semi-minor axis. On the polar axis (P b < 1e-10) `polar`
// is set and B = +-pi/2.
struct SpaceLatitude {
  double B = 0, w = 0, P = 0, b = 0;
  bool polar = false;
};
// Space Cartesian <-> geodetic on one ellipsoid, set up once (b and e'2 derived in the
// constructor). Inverse is xyzblh, Forward is BLHXYZ; both keep no state between calls.
class Geocentric {
 public:
  explicit Geocentric(const Ellipsoid& ellipsoid, const PiSet& pi = kCalculatorPi);
  // Geodetic (radians, m) to space Cartesian (m).
  void Forward(double B, double L, double H, double& X, double& Y, double& Z) const;
  // Space Cartesian (m) to geodetic, with xyzblh's ranges and rules below.
  void Inverse(double X, double Y, double Z, double& B, double& L, double& H) const;
  // LatitudeFromSpace below.
  SpaceLatitude Latitude(double X, double Y, double Z) const;

 private:
  double a_, e2_, ep2_, b_, e_;
  PiSet pi_;
};

// Space Cartesian (m) to geodetic (radians, m) on the given ellipsoid.
// B and L come back in [0, 2pi): southern latitudes and western longitudes have 2pi added.
// A point within 1e-10 m of the plane X = 0 has L = pi/2 for Y >= 0 and 3pi/2 for Y < 0.
// On the polar axis (X = Y = 0) the answer is B = pi/2 (Z >= 0) or 3pi/2 (Z < 0), L = 0,
// H = |Z| - b, instead of a division by zero.
void xyzblh(double& Phi, double& Lam, double& h, double X, double Y, double Z,
            const Ellipsoid& ell, const PiSet& pi = kCalculatorPi);

// Geocentric(ell, pi).Latitude(X, Y, Z).
SpaceLatitude LatitudeFromSpace(double X, double Y, double Z, const Ellipsoid& ell,
                                const PiSet& pi = kCalculatorPi);

// Geodetic (radians, m) to space Cartesian (m) on the given ellipsoid.
void BLHXYZ(double Phi, double Lam, double h, double& X, double& Y, double& Z,
            const Ellipsoid& ell);

}  // namespace vantrel
