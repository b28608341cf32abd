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
  const double cA = std::cos(A);
  const double sA = std::sin(A);
  RA = M * N / (N * cA * cA + M * sA * sA);
}

void MArcLen_cal(const double& B1, const double& B2, const double& a, const double& e2,
                 double& S, MeridianArcRule rule) {
  // Copies: the caller may pass the same variable for an input and S.
  const double b1 = B1, b2 = B2, ea = a, ee = e2;
  double sum = 0;
  double B = b1;
  if (rule == MeridianArcRule::Calculator) {
    const double h = (b2 - b1) / 1000000;
    // Stop within half a step of B2: a stop at |B - B2| < h fired one step early whenever
    // the summed latitude fell a hair short, dropping a whole rectangle (3 m over 30
    // degrees), and never fired for B2 < B1. Now both directions take all the steps.
    const double stop = std::fabs(h) / 2;
    for (int n = 0; n < 1000000 && h != 0; ++n) {
      if (std::fabs(B - b2) < stop) break;
      B = B + h;
      const double sB = std::sin(B);
      const double W2 = 1 - ee * sB * sB;
      const double W = std::sqrt(W2);
      const double M = (1 - ee) * ea / W / W2;
      sum = sum + M * h;
    }
  } else {
    const double h = (b2 - b1) * 0.00001;
    for (int n = 0; n < 100000; ++n) {
      if (std::fabs(B - b2) < 2e-15) break;
      B = B + h;
      const double sB = std::sin(B);
      const double W2 = 1 - ee * sB * sB;
      const double W = std::sqrt(W2);
      const double M = (1 - ee) / (W * W2) * ea;
      sum = sum + M * h;
    }
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
  const double vxi = xi, veta = eta, vA = A, vz = z, vB1 = B1, vB2 = B2, vH = H, vS = S;
  const double s2A = std::sin(vA * 2);
  if (rule == ThreeCorRule::Calculator) {
    du = (vxi * std::sin(vA) - veta * std::cos(vA)) / std::tan(vz);
    dh = 0.1089 * std::cos(vB2) * std::cos(vB2) * s2A * vH / 1000;
    dg = -0.028 * std::cos(vB1) * std::cos(vB1) * s2A * vS / 1000 / 100;
  } else {
    // The native export takes xi as a 32-bit integer of whole seconds; its caller converts,
    // and here it is held to that whole number.
    const double wholeXi = std::trunc(vxi);
    du = (wholeXi * std::sin(vA) - veta * std::cos(vA)) / std::tan(vz);
    dh = 0.00010890000313520431 * vH * std::cos(vB2) * std::cos(vB2) * s2A;
    dg = -2.8000000864267354e-07 * vS * std::cos(vB1) * std::cos(vB1) * s2A;
  }
}

bool ZenithDistanceUsable(double z) { return std::tan(z) != 0; }

}  // namespace vantrel
