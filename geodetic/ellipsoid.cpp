#include "geodetic/ellipsoid.h"

#include <cmath>

#include "common/text_rules.h"

namespace vantrel {

Ellipsoid Get_Earth(int code) {
  if (code == 80) return kEllipsoid80;
  if (code == 84) return kEllipsoid84;
  return kEllipsoid54;
}

Ellipsoid Get_Earth(std::string_view code) {
  if (code == "80") return kEllipsoid80;
  if (code == "84") return kEllipsoid84;
  return kEllipsoid54;
}

void ProjectionState::ResetTo84() {
  SetEllipsoid(kEllipsoid84);
  FalseNorthingKm = 0;
  FalseEastingKm = 0;
  GeoidUndulation = 0;
  PlaneHeight = 0;
}

double Dms2Rad(double dms, const PiSet& pi) {
  const double s = dms >= 0 ? 1.0 : -1.0;
  double x = std::fabs(dms);
  // The 1e-11 guard lets typed values such as 0.30 read as 30' despite binary rounding.
  const double d = std::floor(x + 1e-11);
  x = (x - d) * 100;
  const double m = std::floor(x + 1e-11);
  const double sec = (x - m) * 100;
  const double degrees = d + m / 60 + sec / 3600;
  return s * pi.pi * (degrees / 180);
}

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

void xyzblh(double& Phi, double& Lam, double& h, double X, double Y, double Z,
            const Ellipsoid& ell, const PiSet& pi) {
  const double a = ell.a;
  const double e2 = ell.e2;
  const double ep2 = e2 / (1 - e2);
  const double b = a / std::sqrt(1 + ep2);
  const double P = std::sqrt(X * X + Y * Y);
  // On the polar axis the closed form divides by P (and the arctangents lose their
  // quadrant below 1e-10); the answer there is known without it.
  if (P * b < 1e-10) {
    Phi = Z >= 0 ? pi.halfPi : pi.halfPi * 3;
    Lam = 0;
    h = std::fabs(Z) - b;
    return;
  }
  const double theta = Datan2(Z * a, P * b, pi);
  const double st = std::sin(theta);
  const double ct = std::cos(theta);
  const double B0 = Datan2(Z + ep2 * b * st * st * st, P - e2 * a * ct * ct * ct, pi);
  const double tB0 = std::tan(B0);
  const double w = Z / P + e2 * a * tB0 / (P * std::sqrt(1 + (1 - e2) * tB0 * tB0));
  double B = std::atan(w);
  double L = Datan2(Y, X, pi);
  if (B < 0) B += pi.twoPi;
  if (L < 0) L += pi.twoPi;
  // Reduced latitude u = arctan(b tan B / a); its sine and cosine come from that quotient,
  // and tan B from the one whose arctangent gave B. Going through the angle added the
  // rounded 2pi for southern points and shifted their heights by up to 8e-8 m.
  const double q = b * w / a;
  const double r = std::sqrt(1 + q * q);
  const double dz = Z - b * (q / r);
  const double dp = P - a * (1 / r);
  double H = std::sqrt(dz * dz + dp * dp);
  if (dp < 0) H = -H;
  Phi = B;
  Lam = L;
  h = H;
}

void BLHXYZ(double Phi, double Lam, double h, double& X, double& Y, double& Z,
            const Ellipsoid& ell) {
  const double e = std::sqrt(ell.e2);
  const double es = e * std::sin(Phi);
  const double W = std::sqrt(1 - es * es);
  const double N = ell.a / W;
  const double cB = std::cos(Phi);
  X = (N + h) * cB * std::cos(Lam);
  Y = (N + h) * cB * std::sin(Lam);
  Z = (N * (1 - ell.e2) + h) * std::sin(Phi);
}

}  // namespace vantrel
