#pragma once
// The text rules as they were first written (snprintf and strtod on copies), kept only as
// the oracle that the faster forms in common/text_rules.cpp are compared with, by the
// tests and by fuzz_text_rules.
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::oracle {

namespace detail {

inline bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Qt sets the process locale from the environment; decimal text is always read with '.'.
inline locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

// Length of the longest leading decimal number in s (0 if none): sign, digits with an
// optional point ("5." and ".5" both count), and an exponent only when digits follow it.
inline size_t ScanNumber(std::string_view s) {
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

// Converts a text already known to be a decimal number. Overflow gives nullopt;
// underflow gives the (possibly zero) nearest value.
inline std::optional<double> ConvertDecimal(const std::string& number) {
  errno = 0;
  char* end = nullptr;
  double v = strtod_l(number.c_str(), &end, CLocale());
  if (errno == ERANGE && std::isinf(v)) return std::nullopt;
  return v;
}

struct Decimal {
  bool negative = false;
  std::string digits;  // 15 significant digits, first non-zero unless the value is zero
  int exponent = 0;    // value = 0.d1d2... * 10^(exponent)
  bool zero = true;
};

// The value's 15-significant-digit decimal text, as a person reading it sees it.
inline Decimal ToDecimal15(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  double m = std::fabs(value);
  if (m == 0) {
    d.digits = "0";
    d.exponent = 1;
    d.zero = true;
    return d;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", m);  // d.dddddddddddddde±XX
  std::string s(buf);
  size_t e = s.find('e');
  d.digits = s.substr(0, 1) + s.substr(2, e - 2);
  d.exponent = std::atoi(s.c_str() + e + 1) + 1;
  d.zero = false;
  return d;
}

// Rounds the magnitude to `decimals` places, half away from zero on the 15 digits.
// Returns the integer digit string of value * 10^decimals.
inline std::string ScaledRounded(const Decimal& d, int decimals) {
  if (d.zero) return "0";
  int kept = d.exponent + decimals;  // number of leading digits that stay
  if (kept < 0) return "0";
  std::string out;
  if (kept >= static_cast<int>(d.digits.size())) {
    out = d.digits + std::string(kept - d.digits.size(), '0');
    return out;
  }
  out = d.digits.substr(0, kept);
  bool roundUp = d.digits[kept] >= '5';
  if (out.empty()) out = "0";
  if (roundUp) {
    int i = static_cast<int>(out.size()) - 1;
    while (i >= 0) {
      if (out[i] == '9') {
        out[i] = '0';
        --i;
      } else {
        ++out[i];
        break;
      }
    }
    if (i < 0) out.insert(out.begin(), '1');
  }
  size_t nz = out.find_first_not_of('0');
  return nz == std::string::npos ? "0" : out.substr(nz);
}

}  // namespace detail
using namespace detail;

inline std::string_view TrimBlanks(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlankChar(text[b])) ++b;
  while (e > b && IsBlankChar(text[e - 1])) --e;
  return text.substr(b, e - b);
}

inline bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

inline double ReadLenient(std::string_view text) {
  std::string compact;
  compact.reserve(std::min<size_t>(text.size(), 4096));
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    compact.push_back(c);
  }
  size_t n = ScanNumber(compact);
  if (n == 0) return 0;
  auto v = ConvertDecimal(compact.substr(0, n));
  return v ? *v : 0;
}


inline std::optional<double> ReadStrict(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (t.empty()) return std::nullopt;
  size_t n = ScanNumber(t);
  if (n == 0 || n != t.size()) return std::nullopt;
  return ConvertDecimal(std::string(t));
}

inline std::string FormatPattern(double value, std::string_view pattern) {
  if (!std::isfinite(value)) return "";
  size_t point = pattern.find('.');
  std::string_view intPart = pattern.substr(0, point);
  int decimals = point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
  int minIntDigits = 0;
  for (char c : intPart)
    if (c == '0') ++minIntDigits;

  Decimal d = ToDecimal15(value);
  std::string scaled = ScaledRounded(d, decimals);
  bool isZero = scaled == "0";
  // Split into integer and fraction digits.
  if (static_cast<int>(scaled.size()) < decimals + 1)
    scaled = std::string(decimals + 1 - scaled.size(), '0') + scaled;
  std::string intDigits = scaled.substr(0, scaled.size() - decimals);
  std::string fracDigits = scaled.substr(scaled.size() - decimals);
  size_t nz = intDigits.find_first_not_of('0');
  intDigits = nz == std::string::npos ? "" : intDigits.substr(nz);
  if (static_cast<int>(intDigits.size()) < minIntDigits)
    intDigits = std::string(minIntDigits - intDigits.size(), '0') + intDigits;

  std::string out;
  if (d.negative && !isZero) out.push_back('-');
  out += intDigits;
  if (decimals > 0) {
    out.push_back('.');
    out += fracDigits;
  } else if (intDigits.empty()) {
    out += "0";
  }
  return out;
}

inline std::string GeneralNumberText(double value) {
  if (!std::isfinite(value)) return "";
  Decimal d = ToDecimal15(value);
  if (d.zero) return "0";
  std::string digits = d.digits;
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

inline bool IsNumeric(std::string_view text) { return ReadStrict(text).has_value(); }

}  // namespace vantrel::oracle
