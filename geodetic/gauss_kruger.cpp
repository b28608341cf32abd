// Gauss-Krueger projection: the closed series of the meridian arc to sin 6B, its
// reversion by a fixed three-step recurrence for the footpoint latitude, and the usual
// fourth/fifth-order series in l cos B (forward) and y/N (inverse). Lifting the plane to
// H0 + zeta enlarges a and carries the point over through space Cartesian coordinates.
#include "geodetic/gauss_kruger.h"

#include <cmath>

namespace vantrel {
namespace {

// Constants derived once per (a, e2); the dialogs use a few ellipsoids over and over.
struct Constants {
  double a = 0, e2 = -1;
  double ep2, c, alpha0;
  double K0, K2, K4;     // meridian arc
  double F0, F2, F4;     // footpoint
};

Constants Derive(double a, double e2) {
  Constants k;
  k.a = a;
  k.e2 = e2;
  k.ep2 = e2 / (1 - e2);
  k.c = a / std::sqrt(1 - e2);
  const double m0 = a * (1 - e2);
  const double e4 = e2 * e2, e6 = e4 * e2, e8 = e6 * e2, e10 = e8 * e2;
  const double Sa = 1 + 3.0 / 4 * e2 + 45.0 / 64 * e4 + 175.0 / 256 * e6 +
                    11025.0 / 16384 * e8 + 43659.0 / 65536 * e10;
  const double Sb = 3.0 / 4 * e2 + 15.0 / 16 * e4 + 525.0 / 512 * e6 + 2205.0 / 2048 * e8 +
                    72765.0 / 65536 * e10;
  const double Sc = 15.0 / 64 * e4 + 105.0 / 256 * e6 + 2205.0 / 4096 * e8 +
                    10395.0 / 16384 * e10;
  const double Sd = 35.0 / 512 * e6 + 315.0 / 2048 * e8 + 31185.0 / 131072 * e10;
  k.alpha0 = m0 * Sa;
  const double a2 = -m0 * Sb / 2;
  const double a4 = m0 * Sc / 4;
  const double a6 = -m0 * Sd / 6;
  k.K0 = 2 * a2 + 4 * a4 + 6 * a6;
  k.K2 = -8 * a4 - 32 * a6;
  k.K4 = 32 * a6;

  double P[5] = {0}, Q[5] = {0}, R[5] = {0};
  P[1] = -a2 / k.alpha0;
  Q[1] = -a4 / k.alpha0;
  R[1] = -a6 / k.alpha0;
  for (int i = 1; i <= 3; ++i) {
    P[i + 1] = P[1] + Q[i] * P[1] - 2 * Q[1] * P[i] - 1.5 * P[1] * P[i] * P[i];
    Q[i + 1] = Q[1] + P[i] * P[1];
    R[i + 1] = R[1] + Q[i] * P[1] + P[i] * P[i] * P[1] / 2 + 2 * Q[1] * P[i];
  }
  k.F0 = 2 * P[4] + 4 * Q[4] + 6 * R[4];
  k.F2 = -8 * Q[4] - 32 * R[4];
  k.F4 = 32 * R[4];
  return k;
}

const Constants& ConstantsFor(double a, double e2) {
  thread_local Constants cache[4];
  thread_local int next = 0;
  for (auto& k : cache)
    if (k.a == a && k.e2 == e2) return k;
  Constants& slot = cache[next];
  next = (next + 1) % 4;
  slot = Derive(a, e2);
  return slot;
}

struct Params {
  double& a;  // the ellipsoid's semi-major axis, enlarged and restored in place
  double e2;
  double L0, X0, Y0, H0, zeta;
  const PiSet& pi;
};

void Forward(Params p, double& x, double& y, double& h, double B, double L, double H,
             int withHeight) {
  const double Hin = H;
  double aLift = 0;
  if (withHeight != 0) {
    double X, Y, Z;
    BLHXYZ(B, L, H, X, Y, Z, {p.a, p.e2});
    aLift = (p.a + p.zeta) + p.H0;
    p.a = aLift;
    xyzblh(B, L, H, X, Y, Z, {aLift, p.e2}, p.pi);
    // The space conversion hands back latitudes in [0, 2pi); the series needs them signed.
    if (B > p.pi.pi) B -= p.pi.twoPi;
  }
  const Constants& k = ConstantsFor(p.a, p.e2);
  const double sB = std::sin(B), cB = std::cos(B);
  const double s2 = sB * sB;
  const double arc = k.alpha0 * B + sB * cB * (k.K0 + s2 * (k.K2 + k.K4 * s2));
  const double t = std::tan(B);
  const double t2 = t * t;
  const double eta2 = k.ep2 * cB * cB;
  const double V2 = 1 + eta2;
  const double N = k.c / std::sqrt(V2);
  double l = L - p.L0;
  // A longitude handed back in [0, 2pi) west of Greenwich must stay next to L0.
  if (withHeight != 0) {
    if (l > p.pi.pi) l -= p.pi.twoPi;
    if (l < -p.pi.pi) l += p.pi.twoPi;
  }
  const double m = l * cB;
  const double m2 = m * m;
  x = arc + (t * N * m2 / 2) *
                (1 + (m2 / 12) * (V2 * (5 + 4 * eta2) - t2 + (m2 / 30) * (61 - 58 * t2 + t2 * t2)));
  y = N * m *
      (1 + (m2 / 6) * (V2 - t2 + (m2 / 20) * (5 - 18 * t2 + t2 * t2 + 14 * eta2 - 58 * eta2 * t2)));
  x = x + 1000 * p.X0;
  y = y + 1000 * p.Y0;
  h = Hin - p.zeta;
  if (withHeight != 0) p.a = (aLift - p.zeta) - p.H0;
}

void Inverse(Params p, double& x, double& y, double h, double& B, double& L, double& H,
             int withHeight) {
  double aLift = 0;
  if (withHeight != 0) {
    aLift = (p.a + p.zeta) + p.H0;
    p.a = aLift;
  }
  const Constants& k = ConstantsFor(p.a, p.e2);
  y = y - 1000 * p.Y0;
  x = x - 1000 * p.X0;
  const double beta = x / k.alpha0;
  const double sb = std::sin(beta), cb = std::cos(beta);
  const double sb2 = sb * sb;
  const double Bf = beta + sb * cb * (k.F0 + sb2 * (k.F2 + k.F4 * sb2));
  const double t = std::tan(Bf);
  const double t2 = t * t;
  const double cBf = std::cos(Bf);
  const double eta2 = k.ep2 * cBf * cBf;
  const double V2 = 1 + eta2;
  const double N = k.c / std::sqrt(V2);
  const double u = y / N;
  const double u2 = u * u;
  B = Bf - (t * V2 * u2 / 2) *
               (1 - (u2 / 12) * (5 + 3 * t2 + eta2 - 9 * eta2 * t2 -
                                 (u2 / 30) * (61 + 90 * t2 + 45 * t2 * t2)));
  const double l =
      (u / cBf) * (1 - (u2 / 6) * (1 + 2 * t2 + eta2 -
                                   (u2 / 20) * (5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 +
                                                8 * eta2 * t2)));
  L = p.L0 + l;
  H = h + p.zeta;
  if (withHeight != 0) {
    double X, Y, Z;
    BLHXYZ(B, L, H, X, Y, Z, {aLift, p.e2});
    p.a = (aLift - p.zeta) - p.H0;
    double ignored;
    xyzblh(B, L, ignored, X, Y, Z, {p.a, p.e2}, p.pi);
  }
}

void Run(Params p, double& x, double& y, double& h, double& B, double& L, double& H,
         int withHeight, int k, const MessageHandler& onMessage) {
  if (k == 2) {
    Forward(p, x, y, h, B, L, H, withHeight);
  } else if (k == 1) {
    Inverse(p, x, y, h, B, L, H, withHeight);
  } else if (onMessage) {
    onMessage("Unknown k in Sub4");
  }
}

}  // namespace

void Sub4(ProjectionState& s, double& x, double& y, double& h, double& B, double& L,
          double& H, int withHeight, int k, const MessageHandler& onMessage) {
  Run({s.EllipsoidA, s.EllipsoidE2, s.CentralMeridian, s.FalseNorthingKm, s.FalseEastingKm,
       s.PlaneHeight, s.GeoidUndulation, kCalculatorPi},
      x, y, h, B, L, H, withHeight, k, onMessage);
}

void BL2XYg(ProjectionState& s, double& x, double& y, double& h, double& B, double& L,
            double& H) {
  Sub4(s, x, y, h, B, L, H, 1, 2);
}

void XYg2BL(ProjectionState& s, double& x, double& y, double& h, double& B, double& L,
            double& H) {
  const double x0 = x, y0 = y;
  Sub4(s, x, y, h, B, L, H, 1, 1);
  x = x0;
  y = y0;
}

void Sub4Component(ComponentProjection& c, double& x, double& y, double& h, double& B,
                   double& L, double& H, int withHeight, int k,
                   const MessageHandler& onMessage) {
  Run({c.a, c.e2, c.L0, c.X0, c.Y0, c.H0, 0.0, kComponentPi}, x, y, h, B, L, H, withHeight, k,
      onMessage);
}

}  // namespace vantrel
