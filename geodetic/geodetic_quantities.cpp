#include "geodetic/geodetic_quantities.h"

#include <cmath>

namespace vantrel {

void Radius_Cal(const double& B, const double& A, const double& a, const double& e2,
                double& N, double& M, double& R, double& RA) {
  const double sB = std::sin(B);
  const double W = std::sqrt(1 - e2 * sB * sB);
  N = a / W;
  M = a * (1 - e2) / W / W / W;
  R = std::sqrt(M * N);
  const double cA = std::cos(A), sA = std::sin(A);
  RA = M * N / (N * cA * cA + M * sA * sA);
}

void MArcLen_cal(const double& B1, const double& B2, const double& a, const double& e2,
                 double& S, MeridianArcRule rule) {
  const bool native = rule == MeridianArcRule::Native;
  const int steps = native ? 100000 : 1000000;
  const double h = native ? (B2 - B1) * 0.00001 : (B2 - B1) / 1000000;
  double B = B1;
  double sum = 0;
  for (int n = 0; n < steps; ++n) {
    // The calculator compares with the signed step, so a falling arc takes every step.
    if (native ? std::fabs(B - B2) < 2e-15 : std::fabs(B - B2) < h) break;
    // The latitude advances by repeated addition, as the summation always has.
    B = B + h;
    const double sB = std::sin(B);
    const double W2 = 1 - e2 * sB * sB;
    const double W = std::sqrt(W2);
    const double M = native ? (1 - e2) / (W * W2) * a : (1 - e2) * a / W / W2;
    sum = sum + M * h;
  }
  S = sum;
}

void NArcLen_cal(const double& B, const double& l, const double& a, const double& e2,
                 double& S) {
  const double sB = std::sin(B);
  const double W = std::sqrt(1 - e2 * sB * sB);
  const double N = a / W;
  S = l * (N * std::cos(B));
}

void Three_Cor_cal(const double& xi, const double& eta, const double& A, const double& z,
                   const double& B1, const double& B2, const double& H, const double& S,
                   double& du, double& dh, double& dg, ThreeCorRule rule) {
  du = (xi * std::sin(A) - eta * std::cos(A)) / std::tan(z);
  const double s2A = std::sin(A * 2);
  if (rule == ThreeCorRule::Native) {
    // Single-precision coefficients 1.089e-4 and -2.8e-7, widened to double.
    dh = 0.00010890000313520431 * H * (std::cos(B2) * std::cos(B2)) * s2A;
    dg = -2.8000000864267354e-07 * S * (std::cos(B1) * std::cos(B1)) * s2A;
  } else {
    dh = 0.1089 * (std::cos(B2) * std::cos(B2)) * s2A * H / 1000;
    dg = -0.028 * (std::cos(B1) * std::cos(B1)) * s2A * S / 1000 / 100;
  }
}

}  // namespace vantrel
