#include "batch/typed_angles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "geodetic/ellipsoid.h"

namespace vantrel::batch {
namespace {

constexpr std::int64_t kTurn = 720;     // half degrees
constexpr std::int64_t kQuarter = 180;
// Values beyond this many degrees are no angle anyone typed; their digits are not read.
constexpr double kLargest = 1e6;

// Every decision here compares an angle with a whole number of half degrees: the angle as
// whole half degrees, and whether it lies exactly on one.
struct Halves {
  bool negative = false;
  std::int64_t whole = 0;
  bool on = true;
  bool packedOk = true;  // D.MMSS: minutes and seconds below 60
};

// D.MMSS read on its digits. Decimals of up to 15 significant digits are distinct doubles,
// and c / 10^4 is the double nearest the decimal c·10^-4 (division rounds correctly), so
// comparing the value with it tells whether the typed digits go on past the fourth decimal
// and on which side: floor(|dms|·10^4) = DDD MM SS exactly.
Halves FromPacked(double v) {
  const double a = std::fabs(v);
  const auto c = static_cast<std::int64_t>(a * 1e4 + 0.5);  // |v| < kLargest: no overflow
  const double exact = static_cast<double>(c) / 1e4;
  const std::int64_t n = c - (a < exact ? 1 : 0);
  const std::int64_t minutes = n / 100 % 100, seconds = n % 100;
  const std::int64_t s = n / 10000 * 3600 + minutes * 60 + seconds;  // arc seconds
  return {std::signbit(v), s / 1800, s % 1800 == 0 && a == exact, minutes < 60 && seconds < 60};
}

// Half degrees are doubles themselves: the value's own comparison is the digits'.
Halves FromDegrees(double d) {
  const double h = std::fabs(d) * 2;
  const auto f = static_cast<std::int64_t>(h);
  return {std::signbit(d), f, h == static_cast<double>(f), true};
}

// Radians in degrees by the true pi, put on a half degree within 1e-9°: a value made with
// the calculator's pi and one made with math.pi land on the same side of a zone boundary.
double RadiansAsDegrees(double rad) {
  const double d = rad * 180 / std::numbers::pi;
  const double half = std::nearbyint(d * 2) / 2;
  return std::fabs(d - half) <= 1e-9 ? half : d;
}

// Finite values below kLargest degrees only.
Halves Read(double value, AngleUnit unit) {
  switch (unit) {
    case AngleUnit::Dms: return FromPacked(value);
    case AngleUnit::Degrees: return FromDegrees(value);
    case AngleUnit::Radians: break;
  }
  return FromDegrees(RadiansAsDegrees(value));
}

bool Readable(double value, AngleUnit unit) {
  const double degrees = unit == AngleUnit::Radians ? value * 180 / std::numbers::pi : value;
  return std::isfinite(degrees) && std::fabs(degrees) < kLargest;
}

// |angle| > limit (half degrees).
bool Beyond(const Halves& h, std::int64_t limit) { return h.whole > limit || (h.whole == limit && !h.on); }

// The angle taken into [0, 360°), in whole half degrees (rounded down).
std::int64_t InTurn(const Halves& h) {
  const std::int64_t w = h.whole % kTurn;
  if (!h.negative) return w;
  return h.on ? (kTurn - w) % kTurn : kTurn - 1 - w;
}

// A finite longitude in whole half degrees of [0, 360°): exact for any typed value; far
// beyond any typed longitude, the plain floating-point remainder, for what it is worth.
std::int64_t TurnHalves(double value, AngleUnit unit) {
  if (Readable(value, unit)) return InTurn(Read(value, unit));
  double d = std::fmod(AngleToDegrees(value, unit), 360.0);
  if (d < 0) d += 360;
  return std::min(static_cast<std::int64_t>(d * 2), kTurn - 1);
}

}  // namespace

Status PackedAngleStatus(double dms) {
  if (!Readable(dms, AngleUnit::Dms)) return Status::Ok;  // no minutes to speak of
  return FromPacked(dms).packedOk ? Status::Ok : Status::BadPackedAngle;
}

Status GeodeticInputStatus(double B, double L, AngleUnit unit) {
  if (!std::isfinite(B) || !std::isfinite(L)) return Status::InputNotFinite;
  const bool readB = Readable(B, unit), readL = Readable(L, unit);
  const Halves b = readB ? Read(B, unit) : Halves{}, l = readL ? Read(L, unit) : Halves{};
  if (!b.packedOk || !l.packedOk) return Status::BadPackedAngle;
  if (!readB || Beyond(b, kQuarter)) return Status::LatitudeOutOfRange;
  if (!readL || Beyond(l, kTurn)) return Status::LongitudeOutOfRange;
  return Status::Ok;
}

Status GeodeticInputStatus(double B, double L, double H, AngleUnit unit) {
  return std::isfinite(H) ? GeodeticInputStatus(B, L, unit) : Status::InputNotFinite;
}

int ZoneNumberOf(double value, AngleUnit unit, int width) {
  if (!std::isfinite(value)) return 0;
  // A longitude on a boundary has the boundary's whole half degrees: it counts east.
  const std::int64_t h = TurnHalves(value, unit);
  if (width == 6) return static_cast<int>(h / 12) + 1;
  const int n = static_cast<int>((h + 3) / 6) % 120;
  return n == 0 ? 120 : n;
}

int UtmZoneNumberOf(double value, AngleUnit unit) {
  if (!std::isfinite(value)) return 0;
  // Zone 1 starts at 180° W, which is 180° of the [0, 360°) turn.
  return static_cast<int>((TurnHalves(value, unit) + 360) / 12) % 60 + 1;
}

void PutInRange(double& B, double& L, LongitudeRange range) {
  constexpr double kSnap = 1e-12;
  const PiSet& pi = kCalculatorPi;
  if (B > pi.pi) B -= pi.twoPi;
  if (range == LongitudeRange::Signed) {
    L = ReduceLongitudeDifference(L);
    if (L < -pi.pi + kSnap) L = pi.pi;
  } else {
    if (L < 0 || L >= pi.twoPi) L -= pi.twoPi * std::floor(L / pi.twoPi);
    if (L > pi.twoPi - kSnap || L < 0) L = 0;
  }
}

}  // namespace vantrel::batch
