#include "common/text_rules.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantrel {
namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Qt sets the process locale from the environment; decimal text is always read with '.'.
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// Length of the longest leading decimal number in s (0 if none): sign, digits with an
// optional point ("5." and ".5" both count), and an exponent only when digits follow it.
size_t ScanNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t intDigits = 0;
  while (i < s.size() && IsDigit(s[i])) { ++i; ++intDigits; }
  size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    size_t j = i + 1;
    while (j < s.size() && IsDigit(s[j])) { ++j; ++fracDigits; }
    if (intDigits + fracDigits > 0) i = j;
  }
  if (intDigits + fracDigits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t expDigits = 0;
    while (j < s.size() && IsDigit(s[j])) { ++j; ++expDigits; }
    if (expDigits > 0) i = j;
  }
  return i;
}

// Converts a text already known to be a decimal number (as ScanNumber takes it). Overflow
// gives nullopt; underflow gives the (possibly zero) nearest value. from_chars and strtod
// both round correctly, so they agree; strtod is kept for the out-of-range cases, where
// only it tells underflow from overflow.
std::optional<double> ConvertDecimal(std::string_view number) {
  std::string_view unsigned_ = number;
  if (!unsigned_.empty() && unsigned_.front() == '+') unsigned_.remove_prefix(1);
  double v = 0;
  const auto [end, ec] =
      std::from_chars(unsigned_.data(), unsigned_.data() + unsigned_.size(), v);
  if (ec == std::errc{} && end == unsigned_.data() + unsigned_.size()) return v;
  const std::string text(number);
  errno = 0;
  char* stop = nullptr;
  v = strtod_l(text.c_str(), &stop, CLocale());
  if (errno == ERANGE && std::isinf(v)) return std::nullopt;
  return v;
}

struct Decimal {
  bool negative = false;
  char digits[15];  // 15 significant digits, the first non-zero unless the value is zero
  int count = 1;    // digits used: 15, or 1 for zero
  int exponent = 0; // value = 0.d1d2... * 10^(exponent)
  bool zero = true;
};

// The value's 15-significant-digit decimal text, as a person reading it sees it (the
// digits of printf's "%.14e", which to_chars gives exactly, without the locale).
Decimal ToDecimal15(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  const double m = std::fabs(value);
  if (m == 0) {
    d.digits[0] = '0';
    d.exponent = 1;
    return d;
  }
  char buf[32];  // d.dddddddddddddde±XXX
  const char* end = std::to_chars(buf, buf + sizeof buf, m, std::chars_format::scientific, 14).ptr;
  d.digits[0] = buf[0];
  std::memcpy(d.digits + 1, buf + 2, 14);
  d.count = 15;
  int e = 0;
  std::from_chars(buf + (buf[17] == '+' ? 18 : 17), end, e);  // buf[16] is 'e'
  d.exponent = e + 1;
  d.zero = false;
  return d;
}

// Rounds the magnitude to `decimals` places, half away from zero on the 15 digits.
// Returns the integer digit string of value * 10^decimals, without leading zeros.
std::string ScaledRounded(const Decimal& d, int decimals) {
  if (d.zero) return "0";
  const int kept = d.exponent + decimals;  // number of leading digits that stay
  if (kept < 0) return "0";
  if (kept >= d.count) {
    std::string out(d.digits, static_cast<std::size_t>(d.count));
    out.append(static_cast<std::size_t>(kept - d.count), '0');
    return out;
  }
  // One spare place in front for a carry out of the first digit.
  char out[16];
  out[0] = '0';
  std::memcpy(out + 1, d.digits, static_cast<std::size_t>(kept));
  int n = kept + 1;
  if (d.digits[kept] >= '5') {
    int i = n - 1;
    while (out[i] == '9') out[i--] = '0';
    ++out[i];
  }
  int first = 0;
  while (first < n && out[first] == '0') ++first;
  return first == n ? std::string("0") : std::string(out + first, static_cast<std::size_t>(n - first));
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlankChar(text[b])) ++b;
  while (e > b && IsBlankChar(text[e - 1])) --e;
  return text.substr(b, e - b);
}

bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

double ReadLenient(std::string_view text) {
  std::string compact;
  compact.reserve(std::min<size_t>(text.size(), 4096));
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    compact.push_back(c);
  }
  size_t n = ScanNumber(compact);
  if (n == 0) return 0;
  auto v = ConvertDecimal(std::string_view(compact).substr(0, n));
  return v ? *v : 0;
}

bool IsNumeric(std::string_view text) {
  const std::string_view t = TrimBlanks(text);
  if (t.empty() || ScanNumber(t) != t.size()) return false;
  // Without an exponent, fewer than 309 characters stay below the largest double: no
  // need to convert to know the number fits.
  if (t.size() < 309 && t.find_first_of("eE") == std::string_view::npos) return true;
  return ConvertDecimal(t).has_value();
}

std::optional<double> ReadStrict(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (t.empty()) return std::nullopt;
  size_t n = ScanNumber(t);
  if (n == 0 || n != t.size()) return std::nullopt;
  return ConvertDecimal(t);
}

std::string FormatPattern(double value, std::string_view pattern) {
  if (!std::isfinite(value)) return "";
  size_t point = pattern.find('.');
  std::string_view intPart = pattern.substr(0, point);
  int decimals = point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
  int minIntDigits = 0;
  for (char c : intPart)
    if (c == '0') ++minIntDigits;

  const Decimal d = ToDecimal15(value);
  const std::string scaled = ScaledRounded(d, decimals);
  const bool isZero = scaled == "0";
  // The digits of value * 10^decimals (none for zero): the last `decimals` are the
  // fraction, the ones before it the integer part, padded to the pattern's zeros.
  const int digits = isZero ? 0 : static_cast<int>(scaled.size());
  const int intDigits = std::max(0, digits - decimals);
  const int fracDigits = digits - intDigits;
  std::string out;
  out.reserve(static_cast<std::size_t>(std::max(intDigits, minIntDigits) + decimals + 2));
  if (d.negative && !isZero) out.push_back('-');
  if (intDigits < minIntDigits) out.append(static_cast<std::size_t>(minIntDigits - intDigits), '0');
  out.append(scaled, 0, static_cast<std::size_t>(intDigits));
  if (decimals > 0) {
    out.push_back('.');
    out.append(static_cast<std::size_t>(decimals - fracDigits), '0');
    out.append(scaled, static_cast<std::size_t>(intDigits), static_cast<std::size_t>(fracDigits));
  } else if (intDigits == 0 && minIntDigits == 0) {
    out += "0";
  }
  return out;
}

std::string GeneralNumberText(double value) {
  if (!std::isfinite(value)) return "";
  Decimal d = ToDecimal15(value);
  if (d.zero) return "0";
  std::string digits(d.digits, static_cast<std::size_t>(d.count));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = d.negative ? "-" : "";
  int e = d.exponent;  // value = 0.digits * 10^e
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      out += "0." + std::string(-e, '0') + digits;
    } else if (e >= static_cast<int>(digits.size())) {
      out += digits + std::string(e - digits.size(), '0');
    } else {
      out += digits.substr(0, e) + "." + digits.substr(e);
    }
    return out;
  }
  // Exponent form, one digit before the point: 1.5E-07, 1E+20.
  out += digits.substr(0, 1);
  if (digits.size() > 1) out += "." + digits.substr(1);
  int exp10 = e - 1;
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
  out += buf;
  return out;
}

}  // namespace vantrel
