#include "plane/intersection.h"

#include <cmath>

#include "geodetic/ellipsoid.h"
#include "plane/plane_helpers.h"

namespace vantrel {

AzimuthParts SplitAzimuth(double alpha) {
  AzimuthParts parts;
  double a = alpha / kPi * 180;
  parts.degrees = std::floor(a);
  parts.minutes = std::floor((a - parts.degrees) * 60);
  parts.seconds = ((a - parts.degrees) * 60 - parts.minutes) * 60;
  return parts;
}

double JoinAzimuth(double degrees, double minutes, double seconds) {
  double a = degrees + minutes / 60;
  a = a + seconds / 3600;
  return a * kPi / 180;
}

bool ForwardIntersection(double xa, double ya, double xb, double yb, double alpha,
                         double beta, PlanePoint& p) {
  double azAB = Xy2az(xa, ya, xb, yb);
  double azAP = azAB - alpha;
  double gamma = kPi - alpha - beta;
  double sinGamma = std::sin(gamma);
  // Angles summing to 180 deg leave sin(gamma) at zero or at rounding noise (about
  // 1e-15); either way the two rays are parallel and there is no point to show.
  if (std::fabs(sinGamma) < 1e-12) return false;
  double sAP = Xy2d(xa, ya, xb, yb) / sinGamma * std::sin(beta);
  double x = std::cos(azAP) * sAP + xa;
  double y = std::sin(azAP) * sAP + ya;
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  p = {x, y};
  return true;
}

ResectionStatus Resection(double xa, double ya, double xb, double yb, double xc, double yc,
                          double alpha, double beta, PlanePoint& p) {
  const double gamma = kCalculatorPi.twoPi - alpha - beta;
  const double angA = Xy2az(xa, ya, xb, yb) - Xy2az(xa, ya, xc, yc);
  const double angB = Xy2az(xb, yb, xc, yc) - Xy2az(xb, yb, xa, ya);
  const double angC = Xy2az(xc, yc, xa, ya) - Xy2az(xc, yc, xb, yb);
  const double tA = std::tan(angA), tB = std::tan(angB), tC = std::tan(angC);
  const double ta = std::tan(alpha), tb = std::tan(beta), tg = std::tan(gamma);
  if (!std::isfinite(tA + tB + tC + ta + tb + tg)) return ResectionStatus::Fault;
  if (std::fabs(tA - ta) < 1e-5) return ResectionStatus::DangerCircle;
  if (std::fabs(tB - tb) < 1e-5) return ResectionStatus::DangerCircle;
  if (std::fabs(tC - tg) < 1e-5) return ResectionStatus::DangerCircle;
  const double pa = tA * ta / (tA - ta);
  const double pb = tB * tb / (tB - tb);
  const double pc = tC * tg / (tC - tg);
  if (std::fabs(pb + pa + pc) < 1e-10) return ResectionStatus::DangerCircle;
  const double x = (xb * pb + xa * pa + pc * xc) / (pc + (pb + pa));
  const double y = (ya * pa + pb * yb + pc * yc) / (pc + (pa + pb));
  if (!std::isfinite(x) || !std::isfinite(y)) return ResectionStatus::Fault;
  p = {x, y};
  return ResectionStatus::Ok;
}

}  // namespace vantrel
