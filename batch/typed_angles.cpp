#include "batch/typed_angles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string_view>

#include "geodetic/ellipsoid.h"

namespace vantrel::batch {
namespace {

constexpr std::int64_t kTurn = 360 * 3600;  // arc seconds
constexpr std::int64_t kQuarter = 90 * 3600;
// Values beyond this many degrees are no angle anyone typed; their digits are not read.
constexpr double kLargest = 1e6;

// An angle as whole arc seconds and whether a fraction of a second follows; exact.
struct Seconds {
  bool negative = false;
  std::int64_t whole = 0;
  bool fraction = false;
  bool packedOk = true;  // D.MMSS: minutes and seconds below 60
};

// The digits of the shortest decimal text of v (|v| < kLargest): before and after the point.
struct Digits {
  bool negative;
  std::int64_t integer;
  std::string_view fraction;
  char buffer[400];
};

void ReadDigits(double v, Digits& d) {
  d.negative = std::signbit(v);
  const auto r = std::to_chars(d.buffer, d.buffer + sizeof d.buffer, std::fabs(v), std::chars_format::fixed);
  const std::string_view text(d.buffer, static_cast<std::size_t>(r.ptr - d.buffer));
  const std::size_t point = text.find('.');
  d.integer = 0;
  for (char c : text.substr(0, point)) d.integer = d.integer * 10 + (c - '0');
  d.fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
}

int TwoDigits(std::string_view f, std::size_t at) {
  const int hi = at < f.size() ? f[at] - '0' : 0;
  const int lo = at + 1 < f.size() ? f[at + 1] - '0' : 0;
  return hi * 10 + lo;
}

bool AnyNonZero(std::string_view f) { return f.find_first_not_of('0') != std::string_view::npos; }

Seconds FromPacked(double v) {
  Digits d;
  ReadDigits(v, d);
  Seconds s;
  s.negative = d.negative;
  const int minutes = TwoDigits(d.fraction, 0), seconds = TwoDigits(d.fraction, 2);
  s.packedOk = minutes < 60 && seconds < 60;
  s.whole = d.integer * 3600 + minutes * 60 + seconds;
  s.fraction = d.fraction.size() > 4 && AnyNonZero(d.fraction.substr(4));
  return s;
}

Seconds FromDegrees(double v) {
  Digits d;
  ReadDigits(v, d);
  Seconds s;
  s.negative = d.negative;
  // 30 decimals of a degree times 3600 stay within 128 bits; later digits only say "more".
  const std::string_view kept = d.fraction.substr(0, 30);
  unsigned __int128 f = 0, scale = 1;
  for (char c : kept) {
    f = f * 10 + static_cast<unsigned>(c - '0');
    scale *= 10;
  }
  f *= 3600;
  s.whole = d.integer * 3600 + static_cast<std::int64_t>(f / scale);
  s.fraction = f % scale != 0 || (d.fraction.size() > kept.size() && AnyNonZero(d.fraction.substr(kept.size())));
  return s;
}

// Radians in degrees by the true pi, put on a half degree within 1e-9°: a value made with
// the calculator's pi and one made with math.pi land on the same side of a zone boundary.
double RadiansAsDegrees(double rad) {
  const double d = rad * 180 / std::numbers::pi;
  const double half = std::nearbyint(d * 2) / 2;
  return std::fabs(d - half) <= 1e-9 ? half : d;
}

// Finite values below kLargest degrees only.
Seconds Read(double value, AngleUnit unit) {
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

// |angle| > limit (whole seconds).
bool Beyond(const Seconds& s, std::int64_t limit) { return s.whole > limit || (s.whole == limit && s.fraction); }

// The angle taken into [0, 360°) as whole seconds (the fraction, if any, is kept beside it).
std::int64_t InTurn(const Seconds& s) {
  const std::int64_t w = s.whole % kTurn;
  if (!s.negative || (w == 0 && !s.fraction)) return w;
  return kTurn - w - (s.fraction ? 1 : 0);
}

// A finite longitude in whole seconds of [0, 360°): exact for any typed value; far beyond
// any typed longitude, the plain floating-point remainder, for what it is worth.
std::int64_t TurnSeconds(double value, AngleUnit unit) {
  if (Readable(value, unit)) return InTurn(Read(value, unit));
  double d = std::fmod(AngleToDegrees(value, unit), 360.0);
  if (d < 0) d += 360;
  return std::min(static_cast<std::int64_t>(d * 3600), kTurn - 1);
}

}  // namespace

Status PackedAngleStatus(double dms) {
  if (!Readable(dms, AngleUnit::Dms)) return Status::Ok;  // no minutes to speak of
  return FromPacked(dms).packedOk ? Status::Ok : Status::BadPackedAngle;
}

Status GeodeticInputStatus(double B, double L, AngleUnit unit) {
  if (!std::isfinite(B) || !std::isfinite(L)) return Status::InputNotFinite;
  const bool readB = Readable(B, unit), readL = Readable(L, unit);
  const Seconds b = readB ? Read(B, unit) : Seconds{}, l = readL ? Read(L, unit) : Seconds{};
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
  const std::int64_t s = TurnSeconds(value, unit);
  // A longitude on a boundary has the whole seconds of the boundary and no fraction: east.
  if (width == 6) return static_cast<int>(s / (6 * 3600)) + 1;
  const int n = static_cast<int>((s + 5400) / (3 * 3600)) % 120;
  return n == 0 ? 120 : n;
}

int UtmZoneNumberOf(double value, AngleUnit unit) {
  if (!std::isfinite(value)) return 0;
  // Zone 1 starts at 180° W, which is 180° of the [0, 360°) turn.
  const std::int64_t s = TurnSeconds(value, unit);
  return static_cast<int>((s + 180 * 3600) / (6 * 3600)) % 60 + 1;
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
