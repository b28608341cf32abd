#include "geodetic/gauss_kruger.h"

#include <cmath>

namespace vantrel {

namespace {

GaussSeries Derive(double a, double e2) {
  GaussSeries g;
  g.a = a;
  g.e2 = e2;
  g.ep2 = e2 / (1 - e2);
  g.c = a / std::sqrt(1 - e2);
  const double m0 = a * (1 - e2);
  const double e4 = e2 * e2, e6 = e4 * e2, e8 = e6 * e2, e10 = e8 * e2;
  const double Sa = 1 + 3.0 / 4 * e2 + 45.0 / 64 * e4 + 175.0 / 256 * e6 +
                    11025.0 / 16384 * e8 + 43659.0 / 65536 * e10;
  const double Sb = 3.0 / 4 * e2 + 15.0 / 16 * e4 + 525.0 / 512 * e6 + 2205.0 / 2048 * e8 +
                    72765.0 / 65536 * e10;
  const double Sc = 15.0 / 64 * e4 + 105.0 / 256 * e6 + 2205.0 / 4096 * e8 +
                    10395.0 / 16384 * e10;
  const double Sd = 35.0 / 512 * e6 + 315.0 / 2048 * e8 + 31185.0 / 131072 * e10;
  g.alpha0 = m0 * Sa;
  const double a2 = -m0 * Sb / 2;
  const double a4 = m0 * Sc / 4;
  const double a6 = -m0 * Sd / 6;
  g.K0 = 2 * a2 + 4 * a4 + 6 * a6;
  g.K2 = -8 * a4 - 32 * a6;
  g.K4 = 32 * a6;
  // Reversion of the arc series by the fixed three-step recurrence.
  double P[5] = {0, 0, 0, 0, 0}, Q[5] = {0, 0, 0, 0, 0}, R[5] = {0, 0, 0, 0, 0};
  P[1] = -a2 / g.alpha0;
  Q[1] = -a4 / g.alpha0;
  R[1] = -a6 / g.alpha0;
  for (int i = 1; i <= 3; ++i) {
    P[i + 1] = P[1] + Q[i] * P[1] - 2 * Q[1] * P[i] - 1.5 * P[1] * P[i] * P[i];
    Q[i + 1] = Q[1] + P[i] * P[1];
    R[i + 1] = R[1] + Q[i] * P[1] + P[i] * P[i] * P[1] / 2 + 2 * Q[1] * P[i];
  }
  g.F0 = 2 * P[4] + 4 * Q[4] + 6 * R[4];
  g.F2 = -8 * Q[4] - 32 * R[4];
  g.F4 = 32 * R[4];
  return g;
}

}  // namespace

GaussSeries DeriveGaussSeries(double a, double e2) {
  static const GaussSeries kNamed[] = {Derive(kEllipsoid54.a, kEllipsoid54.e2),
                                       Derive(kEllipsoid80.a, kEllipsoid80.e2),
                                       Derive(kEllipsoid84.a, kEllipsoid84.e2),
                                       Derive(kEllipsoid2000.a, kEllipsoid2000.e2)};
  for (const GaussSeries& g : kNamed)
    if (g.a == a && g.e2 == e2) return g;
  return Derive(a, e2);
}

const GaussSeries& KeptGaussSeries(GaussSeries& kept, double a, double e2) {
  if (kept.a != a || kept.e2 != e2) kept = DeriveGaussSeries(a, e2);
  return kept;
}

namespace {

// The prime-vertical radius N = c / V at a latitude of cosine cB.
double PrimeVertical(const GaussSeries& g, double cB) {
  return g.c / std::sqrt(1 + g.ep2 * cB * cB);
}

// sB, cB, t and N are sin B, cos B, tan B and the prime-vertical radius, passed in because
// the lifted path has them from quotients and short series without any call. L - L0 is
// reduced here, once for every caller, so L and L0 may each be signed or in [0, 2pi) and
// a zone may straddle 180 degrees.
void Forward(const GaussSeries& g, double B, double sB, double cB, double t, double N,
             double L, double L0, const PiSet& pi, double& x, double& y) {
  const double n2 = g.ep2 * cB * cB;
  const double V2 = 1 + n2;
  const double l = ReduceLongitudeDifference(L - L0, pi);
  const double m = l * cB;
  const double m2 = m * m;
  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double s2 = sB * sB;
  const double arc = g.alpha0 * B + sB * cB * (g.K0 + s2 * (g.K2 + g.K4 * s2));
  x = arc + (t * N * m2 / 2) *
                (1 + (m2 / 12) * (V2 * (5 + 4 * n2) - t2 + (m2 / 30) * (61 - 58 * t2 + t4)));
  y = N * m *
      (1 + (m2 / 6) * (V2 - t2 + (m2 / 20) * (5 - 18 * t2 + t4 + 14 * n2 - 58 * n2 * t2)));
}

void Inverse(const GaussSeries& g, double x, double y, double L0, double& B, double& L) {
  const double beta = x / g.alpha0;
  const double sb = std::sin(beta);
  const double cb = std::cos(beta);
  const double sb2 = sb * sb;
  const double Bf = beta + sb * cb * (g.F0 + sb2 * (g.F2 + g.F4 * sb2));
  const double t = std::tan(Bf);
  const double cBf = std::cos(Bf);
  const double n2 = g.ep2 * cBf * cBf;
  const double V2 = 1 + n2;
  const double N = g.c / std::sqrt(V2);
  const double u = y / N;
  const double u2 = u * u;
  const double t2 = t * t;
  const double t4 = t2 * t2;
  B = Bf - (t * V2 * u2 / 2) *
               (1 - (u2 / 12) * (5 + 3 * t2 + n2 - 9 * n2 * t2 - (u2 / 30) * (61 + 90 * t2 + 45 * t4)));
  const double l =
      (u / cBf) *
      (1 - (u2 / 6) * (1 + 2 * t2 + n2 - (u2 / 20) * (5 + 28 * t2 + 24 * t4 + 6 * n2 + 8 * n2 * t2)));
  L = L0 + l;
}

// Heights and lifts up to which a latitude is carried between two axes by one Halley step.
constexpr double kShortLift = 1e4;

// The latitude, on the axis aTo, of the point at latitude B (sine sB, cosine cB) and height H
// over the axis aFrom (same e2): the root of
// F(phi) = P sin phi - Z cos phi - e2 aTo sin phi cos phi / W(phi), with P and Z the point's
// distance from the polar axis and from the equator. At B, F, F' and F'' have closed forms,
// and the shift is below 1e-5 for heights and lifts up to kShortLift, so one Halley step from
// B leaves an error near its cube. N is the prime-vertical radius aTo / W at the new latitude.
struct ShiftedLatitude {
  double dB, sB, cB, N;
};

ShiftedLatitude ShiftLatitude(double aFrom, double aTo, double e2, double sB, double cB,
                              double H) {
  const double W = std::sqrt(1 - e2 * sB * sB);
  const double invW = 1 / W;
  const double lift = aTo - aFrom;
  const double sc = sB * cB, c2 = cB * cB - sB * sB, iW2 = invW * invW;
  const double gp = c2 + e2 * sc * sc * iW2;  // W dg/dphi for g = sin cos / W
  const double F = -e2 * sc * invW * lift;
  const double F1 = aFrom * W + H - e2 * aTo * invW * gp;
  const double F2 = e2 * sc * invW * (aTo * (4 - 3 * e2 * iW2 * gp) - aFrom);
  const double d1 = -F / F1;
  ShiftedLatitude r;
  r.dB = d1 * (1 - d1 * F2 / (2 * F1));
  // Series of the small angle dB; the terms left out are under 1e-22.
  constexpr double k6 = 1.0 / 6, k24 = 1.0 / 24;
  const double dB2 = r.dB * r.dB;
  const double cm1 = -dB2 * (0.5 - dB2 * k24);  // cos dB - 1
  const double sn = r.dB * (1 - dB2 * k6);
  const double dsB = sB * cm1 + cB * sn;  // sin B' - sin B
  r.sB = sB + dsB;
  r.cB = cB + (cB * cm1 - sB * sn);
  // aTo / W' with W'^2 = W^2 (1 - q): the binomial series of (1 - q)^(-1/2), q ~ 1e-7.
  const double q = e2 * dsB * (r.sB + sB) * iW2;
  r.N = aTo * invW * (1 + q * (0.5 + 0.375 * q));
  return r;
}

// Whether a point of latitude B and height H is carried to a lift by ShiftLatitude; there
// it agrees with the closed form through space coordinates to about 1e-8 m, that form's own
// error. Beyond, the closed form is taken as it stands.
bool ShortLift(double B, double H, double lift, const PiSet& pi) {
  return std::fabs(B) <= pi.halfPi && std::fabs(H) <= kShortLift && std::fabs(lift) <= kShortLift;
}

// The forward projection on the ellipsoid enlarged to aLifted: the point (B, H on the
// caller's axis a) is carried over to its latitude B' on the larger axis and projected
// there. The longitude does not change when only the axis grows.
void LiftedForward(const GaussSeries& g, double a, const PiSet& pi, double B, double L,
                   double H, double L0, double& x, double& y) {
  const double aLifted = g.a, e2 = g.e2;
  if (ShortLift(B, H, aLifted - a, pi)) {
    const double sB = std::sin(B), cB = std::cos(B);
    if (aLifted == a) {
      // Nothing lifted: the step is zero and leaves sin, cos and a / W as they are, so
      // they are used without it, bit for bit what the step would give.
      Forward(g, B, sB, cB, sB / cB, aLifted * (1 / std::sqrt(1 - e2 * sB * sB)), L, L0, pi, x, y);
      return;
    }
    const ShiftedLatitude s = ShiftLatitude(a, aLifted, e2, sB, cB, H);
    Forward(g, B + s.dB, s.sB, s.cB, s.sB / s.cB, s.N, L, L0, pi, x, y);
    return;
  }
  // Through space coordinates, step by step.
  double X, Y, Z;
  BLHXYZ(B, L, H, X, Y, Z, {a, e2});
  // B stays signed: the [0, 2pi) range of the space conversion would put a southern point
  // 2pi * alpha0 (40,000 km) north. L goes on as given.
  const SpaceLatitude s = LatitudeFromSpace(X, Y, Z, {aLifted, e2}, pi);
  const double cBl = s.polar ? std::cos(s.B) : 1 / std::sqrt(1 + s.w * s.w);
  const double sBl = s.polar ? std::sin(s.B) : s.w * cBl;
  Forward(g, s.B, sBl, cBl, s.w, PrimeVertical(g, cBl), L, L0, pi, x, y);
}

// Latitudes this close to a pole (radians) go the step-by-step way back, where the space
// conversion has its own rules on the polar axis.
constexpr double kNearPole = 1e-9;

// The way back from the lifted plane: B and L found on the axis aLifted, with the height H
// over it, are taken to the caller's axis a, given in [0, 2pi) as the space conversion gives
// them (the calculator shows southern and western points that way).
void LiftedBack(double aLifted, double e2, double a, const PiSet& pi, double& B, double& L,
                double H) {
  if (ShortLift(B, H, aLifted - a, pi) && std::fabs(B) < pi.halfPi - kNearPole) {
    if (aLifted != a) B += ShiftLatitude(aLifted, a, e2, std::sin(B), std::cos(B), H).dB;
    if (B < 0) B += pi.twoPi;
    // fmod is exact, so a longitude within a turn of [0, 2pi) ends as one subtraction would
    // leave it; a far-off one (from a y of any size) does not loop.
    L = std::fmod(L, pi.twoPi);
    if (L < 0) L += pi.twoPi;
    return;
  }
  double X, Y, Z;
  BLHXYZ(B, L, H, X, Y, Z, {aLifted, e2});
  double discarded;
  xyzblh(B, L, discarded, X, Y, Z, {a, e2}, pi);
}

// One projection as the set-up object and the named routines both describe it: the series by
// reference (the object's own, or those the caller's state keeps), the rest by value.
struct Projection {
  const GaussSeries& g;
  double a, e2, L0, X0, Y0, zeta, aRestored;
  bool lifted;
  const PiSet& pi;

  void Forward(double B, double L, double H, double& x, double& y, double& h) const {
    if (lifted) {
      LiftedForward(g, a, pi, B, L, H, L0, x, y);
    } else {
      const double cB = std::cos(B);
      vantrel::Forward(g, B, std::sin(B), cB, std::tan(B), PrimeVertical(g, cB), L, L0, pi, x, y);
    }
    x = x + 1000 * X0;
    y = y + 1000 * Y0;
    h = H - zeta;
  }

  // x and y already reduced by the false origin.
  void InverseReduced(double x, double y, double h, double& B, double& L, double& H) const {
    vantrel::Inverse(g, x, y, L0, B, L);
    H = h + zeta;
    // The way back goes to the restored axis, as the calculator's state holds it by then.
    if (lifted) LiftedBack(g.a, e2, aRestored, pi, B, L, H);
  }

  // One call of the named routines: x, y left reduced by the inverse, and `axis` (the caller's
  // a) written back as restored when lifted.
  void Apply(double& axis, double& x, double& y, double& h, double& B, double& L, double& H,
             int k, const MessageHandler& onMessage) const {
    if (k == 2) {
      Forward(B, L, H, x, y, h);
    } else if (k == 1) {
      y = y - 1000 * Y0;
      x = x - 1000 * X0;
      InverseReduced(x, y, h, B, L, H);
    } else {
      if (onMessage) onMessage("Unknown k in Sub4");
      return;
    }
    if (lifted) axis = aRestored;
  }
};

// The calculator's state keeps the axis restored by the steps of the enlargement taken
// backwards, last bit included.
double RestoredAxisOf(double liftedAxis, double a, double planeHeight, double anomaly,
                      bool lifted) {
  return lifted ? (liftedAxis - anomaly) - planeHeight : a;
}

}  // namespace

GaussKruger::GaussKruger(const Ellipsoid& ellipsoid, double centralMeridian,
                         double falseNorthingKm, double falseEastingKm, double planeHeight,
                         double anomaly, bool lifted, const PiSet& pi)
    : GaussKruger(DeriveGaussSeries(ProjectedAxis(ellipsoid.a, planeHeight, anomaly, lifted),
                                    ellipsoid.e2),
                  ellipsoid, centralMeridian, falseNorthingKm, falseEastingKm, planeHeight,
                  anomaly, lifted, pi) {}

GaussKruger::GaussKruger(const GaussSeries& series, const Ellipsoid& ellipsoid,
                         double centralMeridian, double falseNorthingKm, double falseEastingKm,
                         double planeHeight, double anomaly, bool lifted, const PiSet& pi)
    : g_(series),
      a_(ellipsoid.a),
      e2_(ellipsoid.e2),
      L0_(centralMeridian),
      X0_(falseNorthingKm),
      Y0_(falseEastingKm),
      zeta_(anomaly),
      aRestored_(RestoredAxisOf(series.a, ellipsoid.a, planeHeight, anomaly, lifted)),
      lifted_(lifted),
      pi_(pi) {}

GaussKruger GaussKruger::OnMeridian(double centralMeridian) const {
  GaussKruger p = *this;
  p.L0_ = centralMeridian;
  return p;
}

void GaussKruger::Forward(double B, double L, double H, double& x, double& y, double& h) const {
  Projection{g_, a_, e2_, L0_, X0_, Y0_, zeta_, aRestored_, lifted_, pi_}.Forward(B, L, H, x, y,
                                                                                  h);
}

void GaussKruger::Inverse(double x, double y, double h, double& B, double& L, double& H) const {
  Projection{g_, a_, e2_, L0_, X0_, Y0_, zeta_, aRestored_, lifted_, pi_}.InverseReduced(
      x - 1000 * X0_, y - 1000 * Y0_, h, B, L, H);
}

void Sub4(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
          double& H, int withHeight, int k, const MessageHandler& onMessage) {
  const bool lifted = withHeight != 0;
  const double axis = GaussKruger::ProjectedAxis(state.EllipsoidA, state.PlaneHeight,
                                                 state.GeoidUndulation, lifted);
  const Projection p{KeptGaussSeries(state.Series, axis, state.EllipsoidE2),
                     state.EllipsoidA,
                     state.EllipsoidE2,
                     state.CentralMeridian,
                     state.FalseNorthingKm,
                     state.FalseEastingKm,
                     state.GeoidUndulation,
                     RestoredAxisOf(axis, state.EllipsoidA, state.PlaneHeight,
                                    state.GeoidUndulation, lifted),
                     lifted,
                     kCalculatorPi};
  p.Apply(state.EllipsoidA, x, y, h, B, L, H, k, onMessage);
}

void BL2XYg(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
            double& H) {
  Sub4(state, x, y, h, B, L, H, 1, 2);
}

void XYg2BL(ProjectionState& state, double& x, double& y, double& h, double& B, double& L,
            double& H) {
  const double x0 = x, y0 = y;
  Sub4(state, x, y, h, B, L, H, 1, 1);
  x = x0;
  y = y0;
}

void Sub4Component(ComponentProjection& p, double& x, double& y, double& h, double& B,
                   double& L, double& H, int withHeight, int k,
                   const MessageHandler& onMessage) {
  const bool lifted = withHeight != 0;
  const double axis = GaussKruger::ProjectedAxis(p.a, p.H0, 0.0, lifted);
  const GaussSeries g = DeriveGaussSeries(axis, p.e2);
  const Projection on{g, p.a, p.e2, p.L0, p.X0, p.Y0, 0.0,
                      RestoredAxisOf(axis, p.a, p.H0, 0.0, lifted), lifted, kComponentPi};
  on.Apply(p.a, x, y, h, B, L, H, k, onMessage);
}

}  // namespace vantrel
