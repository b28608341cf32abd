#include "batch/gauss_options.h"

#include <cmath>

#include "geodetic/gauss_kruger.h"

namespace vantrel::batch {

namespace {

bool Breaks(const GaussChoice& c, GaussRule rule) {
  switch (rule) {
    case GaussRule::Kept: return false;
    case GaussRule::MeridianAndZoneWidth: return c.meridian && c.zoneWidth != 0;
    case GaussRule::NoMeridianNorZone: return !c.meridian && c.zoneWidth == 0;
    case GaussRule::PrefixWithoutZones: return c.zonePrefix && c.zoneWidth == 0;
    case GaussRule::AnomalyOff54: return c.anomaly && !ReadsAnomaly(c.ellipsoid);
  }
  return false;
}

}  // namespace

bool ReadsAnomaly(const Ellipsoid& e) { return e.a == kEllipsoid54.a && e.e2 == kEllipsoid54.e2; }

GaussRule BrokenGaussRule(const GaussChoice& c, GaussRule first, GaussRule last) {
  for (int r = static_cast<int>(first); r <= static_cast<int>(last); ++r)
    if (Breaks(c, static_cast<GaussRule>(r))) return static_cast<GaussRule>(r);
  return GaussRule::Kept;
}

FalseEastingRange PrefixFalseEastings(const GaussParams& p) {
  const GaussKruger plane(p.ellipsoid, 0, 0, 0, p.planeHeight, p.anomaly);
  double x = 0, y = 0, h = 0;
  plane.Forward(0, p.zoneWidth / 2.0 * kPi / 180, 0, x, y, h);
  const double km = y / 1000;
  return {std::ceil(km), std::floor(1000 - km)};
}

bool PrefixReadable(const GaussParams& p) {
  if (!p.zonePrefix) return true;
  const FalseEastingRange r = PrefixFalseEastings(p);
  return p.falseEastingKm >= r.lowKm && p.falseEastingKm <= r.highKm;
}

GaussParams GaussParamsFor(const GaussChoice& c, double centralMeridian, double falseNorthingKm,
                           const double* falseEastingKm, double planeHeight, double anomaly,
                           bool autoAnomaly) {
  GaussParams p;
  p.ellipsoid = c.ellipsoid;
  p.zoneWidth = c.zoneWidth;
  p.zonePrefix = c.zonePrefix;
  if (c.zoneWidth == 0) p.centralMeridian = centralMeridian;
  p.falseNorthingKm = falseNorthingKm;
  p.falseEastingKm = falseEastingKm ? *falseEastingKm : c.zonePrefix ? 500 : 0;
  p.planeHeight = planeHeight;
  p.anomaly = anomaly;
  p.autoAnomaly = autoAnomaly;
  return p;
}

}  // namespace vantrel::batch
