#include "adjustment/statistics.h"

#include <cmath>
#include <limits>

namespace vantrel::adjustment {

double RegularizedGammaP(double a, double x) {
  if (x <= 0) return 0;
  const double front = std::exp(-x + a * std::log(x) - std::lgamma(a));
  if (x < a + 1) {
    // P = e^-x x^a / Γ(a) · Σ x^n / (a (a+1) … (a+n))
    double term = 1.0 / a;
    double sum = term;
    for (int n = 1; n < 1000; ++n) {
      term *= x / (a + n);
      sum += term;
      if (std::fabs(term) < std::fabs(sum) * 1e-16) break;
    }
    return sum * front;
  }
  // Q = e^-x x^a / Γ(a) · 1/(x+1-a- 1·(1-a)/(x+3-a- 2·(2-a)/(x+5-a- …))), by Lentz's method.
  const double tiny = 1e-300;
  double b = x + 1 - a;
  double c = 1 / tiny;
  double d = 1 / b;
  double h = d;
  for (int i = 1; i < 1000; ++i) {
    const double an = -i * (i - a);
    b += 2;
    d = an * d + b;
    if (std::fabs(d) < tiny) d = tiny;
    c = b + an / c;
    if (std::fabs(c) < tiny) c = tiny;
    d = 1 / d;
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1) < 1e-16) break;
  }
  return 1 - front * h;
}

double ChiSquareCdf(double x, int dof) { return RegularizedGammaP(0.5 * dof, 0.5 * x); }

double ChiSquareQuantile(double probability, int dof) {
  if (dof <= 0 || !(probability > 0 && probability < 1))
    return std::numeric_limits<double>::quiet_NaN();
  double lo = 0;
  double hi = dof + 10.0 * std::sqrt(2.0 * dof) + 10;
  while (ChiSquareCdf(hi, dof) < probability) hi *= 2;
  for (int i = 0; i < 200 && hi - lo > 1e-13 * hi; ++i) {
    const double mid = 0.5 * (lo + hi);
    (ChiSquareCdf(mid, dof) < probability ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace vantrel::adjustment
