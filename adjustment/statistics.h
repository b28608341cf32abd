#pragma once
// The distributions the adjustment's tests need, computed here: Debian's Eigen has none,
// and a statistics library for two quantiles per adjustment is not worth the dependency.

namespace vantrel::adjustment {

// Regularised lower incomplete gamma function P(a, x), a > 0, x >= 0 (series below a + 1,
// continued fraction above; relative error near 1e-14).
double RegularizedGammaP(double a, double x);

// P(X <= x) for X ~ χ²(dof).
double ChiSquareCdf(double x, int dof);

// The x with ChiSquareCdf(x, dof) == probability, 0 < probability < 1, found by bisection
// on the cdf to a relative 1e-13 (exact in principle; no Wilson–Hilferty approximation).
double ChiSquareQuantile(double probability, int dof);

// Baarda's critical value of a standardized residual for α0 = 0.1 % (two-sided), with the
// test power 80 % that goes with it.
inline constexpr double kDataSnoopingCritical = 3.29;

}  // namespace vantrel::adjustment
