#include "geodetic/ellipsoid.h"

#include <cmath>

#include "common/text_rules.h"

namespace vantrel {

double SemiMinorAxis(const Ellipsoid& e) { return e.a / std::sqrt(1 + e.e2 / (1 - e.e2)); }

double Flattening(const Ellipsoid& e) { return 1 - SemiMinorAxis(e) / e.a; }

void ProjectionState::ResetTo84() {
  SetEllipsoid(kEllipsoid84);
  FalseNorthingKm = 0;
  FalseEastingKm = 0;
  GeoidUndulation = 0;
  PlaneHeight = 0;
}

double Dms2Deg(double dms) {
  const double s = dms >= 0 ? 1.0 : -1.0;
  double x = std::fabs(dms);
  // The 1e-11 guard lets typed values such as 0.30 read as 30' despite binary rounding.
  const double d = std::floor(x + 1e-11);
  x = (x - d) * 100;
  const double m = std::floor(x + 1e-11);
  const double sec = (x - m) * 100;
  return s * (d + m / 60 + sec / 3600);
}

// The sign goes on the degrees instead of the product: negation is exact, so the bits are
// those of s * pi * (degrees / 180).
double Dms2Rad(double dms, const PiSet& pi) { return pi.pi * (Dms2Deg(dms) / 180); }

namespace {

// Shared body of both packed-text variants; they differ in the offset and in pi.
std::string PackedText(double& alf, double offset, double pi) {
  const bool negative = alf < 0;
  alf = std::fabs(alf) + offset;
  double t = alf * 180 / pi;
  const double d = std::floor(t);
  t = (t - d) * 60;
  const double m = std::floor(t);
  double s = (t - m) * 60;
  if (s > 1e-7) s = s - 1e-8;
  const double w = std::floor(s + 1e-8);
  double f = std::floor((s - w) * 1000000);
  if (f < 0) f = 0;
  std::string text = " " + GeneralNumberText(d) + "." + FormatPattern(m, "00") +
                     FormatPattern(w, "00") + FormatPattern(f, "000000");
  return negative ? "-" + text : text;
}

}  // namespace

std::string Rad2dms_Buff(double& alf) {
  return PackedText(alf, 1.0 / 206265 / 1e8, kCalculatorPi.pi);
}

double Rad2dms_Buff_Component(double& alf) {
  return ReadLenient(PackedText(alf, 1.0 / 206265 / 1e7, 4 * std::atan(1.0)));
}

double Datan2(double Y, double X, const PiSet& pi) {
  if (std::fabs(X) < 1e-10) return pi.halfPi;
  double r = std::atan(Y / X);
  if (X < 0)
    r += pi.pi;
  else if (Y < 0)
    r += pi.twoPi;
  return r;
}

namespace {

// a, e2 and what the space conversions derive from them; those of the named ellipsoids are
// derived once at start.
struct SpaceConstants {
  double a, e2, ep2, b, e;
};

SpaceConstants DeriveSpace(const Ellipsoid& ell) {
  return {ell.a, ell.e2, ell.e2 / (1 - ell.e2), SemiMinorAxis(ell), std::sqrt(ell.e2)};
}

// A named ellipsoid's constants as they stand, any other's derived into `local`.
const SpaceConstants& SpaceConstantsOf(const Ellipsoid& ell, SpaceConstants& local) {
  static const SpaceConstants kNamed[] = {DeriveSpace(kEllipsoid54), DeriveSpace(kEllipsoid80),
                                          DeriveSpace(kEllipsoid84), DeriveSpace(kEllipsoid2000)};
  for (const SpaceConstants& k : kNamed)
    if (k.a == ell.a && k.e2 == ell.e2) return k;
  local = DeriveSpace(ell);
  return local;
}

SpaceLatitude LatitudeOn(const SpaceConstants& k, const PiSet& pi, double X, double Y,
                         double Z) {
  const double a = k.a;
  const double e2 = k.e2;
  const double ep2 = k.ep2;
  SpaceLatitude r;
  r.b = k.b;
  r.P = std::sqrt(X * X + Y * Y);
  // On the polar axis the closed form divides by P (and the arctangents lose their
  // quadrant below 1e-10); the answer there is known without it.
  if (r.P * r.b < 1e-10) {
    r.polar = true;
    r.B = Z >= 0 ? pi.halfPi : -pi.halfPi;
    r.w = std::tan(r.B);
    return r;
  }
  // The auxiliary angle theta = arctan(Z a / (P b)) and B0 = arctan(num / den) are only
  // needed through their sine, cosine and tangent, which the quotients give directly.
  const double za = Z * a, pb = r.P * r.b;
  const double inv = 1 / std::sqrt(za * za + pb * pb);
  const double st = za * inv;
  const double ct = pb * inv;
  const double num = Z + ep2 * r.b * st * st * st;
  const double den = r.P - e2 * a * ct * ct * ct;
  if (std::fabs(den) < 1e-10) {
    // B0 is the rounded right angle here, as its arctangent gives it.
    const double tB0 = std::tan(pi.halfPi);
    r.w = Z / r.P + e2 * a * tB0 / (r.P * std::sqrt(1 + (1 - e2) * tB0 * tB0));
  } else {
    // tan B0 / sqrt(1 + (1 - e2) tan^2 B0) with tan B0 = num / den, in one root.
    const double s = num / std::sqrt(den * den + (1 - e2) * num * num);
    r.w = (Z + e2 * a * (den < 0 ? -s : s)) / r.P;
  }
  r.B = std::atan(r.w);
  return r;
}

// Datan2's answer of pi/2 near X = 0 is right for a plane direction read the usual way,
// but in space it would put every point near the 90 W meridian at 90 E.
double SpaceLongitude(double Y, double X, const PiSet& pi) {
  if (std::fabs(X) < 1e-10 && Y < 0) return pi.halfPi * 3;
  return Datan2(Y, X, pi);
}

void InverseOn(const SpaceConstants& k, const PiSet& pi, double X, double Y, double Z,
               double& Phi, double& Lam, double& h) {
  const SpaceLatitude s = LatitudeOn(k, pi, X, Y, Z);
  if (s.polar) {
    Phi = Z >= 0 ? pi.halfPi : pi.halfPi * 3;
    Lam = 0;
    h = std::fabs(Z) - s.b;
    return;
  }
  double B = s.B;
  double L = SpaceLongitude(Y, X, pi);
  if (B < 0) B += pi.twoPi;
  if (L < 0) L += pi.twoPi;
  // Reduced latitude u = arctan(b tan B / a); its sine and cosine come from that quotient,
  // and tan B from the one whose arctangent gave B. Going through the angle added the
  // rounded 2pi for southern points and shifted their heights by up to 8e-8 m.
  const double q = s.b * s.w / k.a;
  const double r = std::sqrt(1 + q * q);
  const double dz = Z - s.b * (q / r);
  const double dp = s.P - k.a * (1 / r);
  double H = std::sqrt(dz * dz + dp * dp);
  if (dp < 0) H = -H;
  Phi = B;
  Lam = L;
  h = H;
}

void ForwardOn(const SpaceConstants& k, double Phi, double Lam, double h, double& X, double& Y,
               double& Z) {
  const double es = k.e * std::sin(Phi);
  const double W = std::sqrt(1 - es * es);
  const double N = k.a / W;
  const double cB = std::cos(Phi);
  X = (N + h) * cB * std::cos(Lam);
  Y = (N + h) * cB * std::sin(Lam);
  Z = (N * (1 - k.e2) + h) * std::sin(Phi);
}

}  // namespace

Geocentric::Geocentric(const Ellipsoid& ellipsoid, const PiSet& pi) : pi_(pi) {
  const SpaceConstants k = DeriveSpace(ellipsoid);
  a_ = k.a;
  e2_ = k.e2;
  ep2_ = k.ep2;
  b_ = k.b;
  e_ = k.e;
}

SpaceLatitude Geocentric::Latitude(double X, double Y, double Z) const {
  return LatitudeOn({a_, e2_, ep2_, b_, e_}, pi_, X, Y, Z);
}

void Geocentric::Inverse(double X, double Y, double Z, double& B, double& L, double& H) const {
  InverseOn({a_, e2_, ep2_, b_, e_}, pi_, X, Y, Z, B, L, H);
}

void Geocentric::Forward(double B, double L, double H, double& X, double& Y, double& Z) const {
  ForwardOn({a_, e2_, ep2_, b_, e_}, B, L, H, X, Y, Z);
}

SpaceLatitude LatitudeFromSpace(double X, double Y, double Z, const Ellipsoid& ell,
                                const PiSet& pi) {
  SpaceConstants local;
  return LatitudeOn(SpaceConstantsOf(ell, local), pi, X, Y, Z);
}

void xyzblh(double& Phi, double& Lam, double& h, double X, double Y, double Z,
            const Ellipsoid& ell, const PiSet& pi) {
  SpaceConstants local;
  InverseOn(SpaceConstantsOf(ell, local), pi, X, Y, Z, Phi, Lam, h);
}

void BLHXYZ(double Phi, double Lam, double h, double& X, double& Y, double& Z,
            const Ellipsoid& ell) {
  SpaceConstants local;
  ForwardOn(SpaceConstantsOf(ell, local), Phi, Lam, h, X, Y, Z);
}

}  // namespace vantrel
