#include "plane/plane_helpers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "common/text_rules.h"

namespace vantrel {

namespace {

constexpr double kZeroTolerance = 1e-9;  // metres

// Reads a formatted whole number back the way the stakeout dialog keeps it: a 16-bit
// integer. Anything outside that range is the dialog's overflow error.
std::int16_t ReadBackInt16(const std::string& text) {
  const double v = ReadLenient(text);
  if (text.empty() || v < -32768.0 || v > 32767.0) {
    throw std::overflow_error("angle out of range for the degrees-minutes-seconds text");
  }
  return static_cast<std::int16_t>(v);
}

// The shortest text of a 32-bit value: the shortest digits that read back as the same
// float, then written by the general number rule.
std::string FloatText(float value) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return GeneralNumberText(std::strtod(std::string(buf, res.ptr).c_str(), nullptr));
}

}  // namespace

double Xy2az(double x1, double y1, double x2, double y2, const PiSet& pi) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  if (std::fabs(dx) < kZeroTolerance) {
    return dy > 0 ? pi.halfPi : pi.halfPi + pi.pi;
  }
  if (std::fabs(dy) < kZeroTolerance) {
    return dx > 0 ? 0.0 : pi.pi;
  }
  double a = std::atan(dy / dx);
  if (dx < 0 && dy > 0) a = a + pi.pi;
  if (dx < 0 && dy < 0) a = a + pi.pi;
  if (dx > 0 && dy < 0) a = a + pi.twoPi;
  return a;
}

double Xy2d(double x1, double y1, double x2, double y2) {
  const double dy = y2 - y1;
  const double dx = x2 - x1;
  return std::sqrt(dy * dy + dx * dx);
}

void PolarOffsets(double side, double azimuth, double& dx, double& dy) {
  dx = std::cos(azimuth) * side;
  dy = std::sin(azimuth) * side;
}

double Fwj(const float& x1, const float& y1, const float& x2, const float& y2) {
  if (x1 == x2) {
    if (y2 > y1) return kStakePi / 2;
    if (y1 > y2) return kStakeThreeHalfPi;
    return 0.0;
  }
  // The differences are exact in extended precision; the quotient goes to the
  // arctangent as a double, while the sign tests see the differences as floats.
  const long double ldy = static_cast<long double>(y2) - static_cast<long double>(y1);
  const long double ldx = static_cast<long double>(x2) - static_cast<long double>(x1);
  const double a = std::atan(static_cast<double>(ldy / ldx));
  const float dy = static_cast<float>(ldy);
  const float dx = static_cast<float>(ldx);
  if (dy > 0 && dx > 0) return a;
  if (dy > 0 && dx < 0) return a + kStakePi;
  if (dy < 0 && dx < 0) return a + kStakePi;
  if (dy < 0 && dx > 0) return a + kStakeTwoPi;
  if (dy == 0) return dx > 0 ? 0.0 : kStakePi;
  return a;  // only a NaN input gets here
}

double Ang_Arc(const float& ang) {
  if (ang < 0) {
    const float positive = -ang;
    return -Ang_Arc(positive);
  }
  const double whole = std::floor(static_cast<double>(ang));
  float c = static_cast<float>(static_cast<double>(ang) * 100.0);
  // A whole-minute angle held as a float just below its value (35.1 is 35.0999985) makes a
  // c a hair under the whole number, whose fraction would read 99.98 seconds on one minute
  // less: 40 seconds too much. When ang is the float of a whole-minute angle, c is exact.
  const double wholeMinutes = std::nearbyint(static_cast<double>(ang) * 100.0);
  if (static_cast<float>(wholeMinutes / 100.0) == ang) c = static_cast<float>(wholeMinutes);
  // Whole minutes come from the same rounded c as the seconds: 30.3 held as a float is
  // 30.2999992, whose own fraction reads 29 minutes and would lose a whole minute.
  const float m =
      static_cast<float>((std::floor(static_cast<double>(c)) - whole * 100.0) / 60.0);
  const float d = static_cast<float>(whole + static_cast<double>(m));
  const double cd = static_cast<double>(c);
  return (cd - std::floor(cd)) / 36.0 + static_cast<double>(d);
}

std::string Arc_Ang(const double& arc) {
  // A negative angle is shown as the negative of its absolute value, as Ang_Arc reads
  // it; flooring the degrees of a negative angle would show e.g. -0.5 deg as -1 30 0.
  if (arc < 0) {
    const double positive = -arc;
    return "-" + Arc_Ang(positive);
  }
  const double A = arc / kStakePi * 180;
  if (!std::isfinite(A)) {
    throw std::overflow_error("angle out of range for the degrees-minutes-seconds text");
  }
  const std::int16_t D = ReadBackInt16(FormatPattern(std::floor(A), "000"));
  const std::int16_t M = ReadBackInt16(FormatPattern(std::floor((A - D) * 60), "00"));
  const float S =
      static_cast<float>(ReadLenient(FormatPattern(((A - D) * 60 - M) * 60, "00.0")));
  return GeneralNumberText(D) + "  " + GeneralNumberText(M) + "  " + FloatText(S);
}

}  // namespace vantrel
