#pragma once
// The rules among the Gauss projection options, one place for vantrel-cli and the Python
// module: which options go together, in the order the dialog would meet them, and the
// defaults that follow from the others. Each caller words the refusal for its own options.
#include "batch/conversions.h"

namespace vantrel::batch {

// The rules, in the order they are checked.
enum class GaussRule {
  Kept = 0,
  MeridianAndZoneWidth,   // a central meridian and a zone width both given
  NoMeridianNorZone,      // neither given
  PrefixWithoutZones,     // the zone number in front of y needs zones
  AnomalyOff54,           // the dialog reads the anomaly on the 1954 ellipsoid only
};

// What a caller was given, before the numbers themselves are read.
struct GaussChoice {
  Ellipsoid ellipsoid = kEllipsoid54;
  bool meridian = false;   // a central meridian given
  int zoneWidth = 0;       // 3 or 6 when given
  bool zonePrefix = false;
  bool anomaly = false;    // an anomaly given (what counts as given is the caller's)
};

// The first of the rules from `first` to `last` (inclusive) that `c` breaks, or Kept. A
// caller that reads values between the rules asks for them in parts.
GaussRule BrokenGaussRule(const GaussChoice& c, GaussRule first = GaussRule::MeridianAndZoneWidth,
                          GaussRule last = GaussRule::AnomalyOff54);

// Whether the anomaly is read at all on this ellipsoid.
bool ReadsAnomaly(const Ellipsoid& e);

// With the zone number in front of y (y + zone * 10^6), the false eastings (whole km) that
// keep every point of a zone between 0 and 1000 km on its plane, so that the number reads
// back from y: about 334 to 666 km for 6-degree zones, 167 to 833 for 3-degree ones. The
// widest a zone is lies on the equator, half its width from the meridian.
struct FalseEastingRange {
  double lowKm, highKm;
};
FalseEastingRange PrefixFalseEastings(const GaussParams& p);
// Whether p.falseEastingKm lies within them (true without zonePrefix).
bool PrefixReadable(const GaussParams& p);

// The parameters of a choice that kept the rules; the false easting not given is 500 km
// with the zone number in front of y (the usual 3- and 6-degree zones), else the dialog's 0.
GaussParams GaussParamsFor(const GaussChoice& c, double centralMeridian, double falseNorthingKm,
                           const double* falseEastingKm, double planeHeight, double anomaly,
                           bool autoAnomaly);

}  // namespace vantrel::batch
