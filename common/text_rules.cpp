#include "common/text_rules.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include <fast_float/fast_float.h>

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

// Converts a text ScanNumber matched whole. Overflow gives nullopt; underflow gives the
// (possibly zero) nearest value. fast_float reads it without a copy or the locale, rounded
// as strtod rounds; an overflow, which it gives as infinity, goes through strtod.
std::optional<double> ConvertDecimal(std::string_view number) {
  const char* first = number.data();
  const char* last = first + number.size();
  if (first != last && *first == '+') ++first;
  double v = 0;
  const auto r = fast_float::from_chars(first, last, v, fast_float::chars_format::general);
  if (r.ec == std::errc() && r.ptr == last && !std::isinf(v)) return v;
  const std::string copy(number);
  errno = 0;
  char* end = nullptr;
  v = strtod_l(copy.c_str(), &end, CLocale());
  if (errno == ERANGE && std::isinf(v)) return std::nullopt;
  return v;
}

// A value's 15-significant-digit decimal text: digits d1..d15 (d1 non-zero unless the
// value is zero) and value = 0.d1d2... * 10^exponent.
struct Decimal {
  bool negative = false;
  bool zero = true;
  int exponent = 0;
  char digits[15];
  int count = 0;
};

constexpr uint64_t kPow10[] = {1ull,
                               10ull,
                               100ull,
                               1000ull,
                               10000ull,
                               100000ull,
                               1000000ull,
                               10000000ull,
                               100000000ull,
                               1000000000ull,
                               10000000000ull,
                               100000000000ull,
                               1000000000000ull,
                               10000000000000ull,
                               100000000000000ull,
                               1000000000000000ull,
                               10000000000000000ull,
                               100000000000000000ull,
                               1000000000000000000ull,
                               10000000000000000000ull};

using u128 = unsigned __int128;

u128 Pow10Wide(int p) {
  return p <= 19 ? u128(kPow10[p]) : u128(kPow10[19]) * kPow10[p - 19];
}

// round(m * 2^-s * 10^p), ties to even: exact in 128 bits for m < 2^53, p <= 21.
uint64_t ScaledRound(uint64_t m, int s, int p) {
  const u128 num = u128(m) * Pow10Wide(p);
  if (s >= 128) return 0;
  u128 q = num >> s;
  const u128 rem = num - (q << s);
  const u128 half = u128(1) << (s - 1);
  if (rem > half || (rem == half && (q & 1))) ++q;
  return static_cast<uint64_t>(q);
}

// n / 10^k and its remainder, k in 0..15, each case a division by a constant (which the
// compiler makes a multiplication).
uint64_t DivPow10(uint64_t n, int k, uint64_t& rem) {
  uint64_t q = n;
  switch (k) {
#define VANTREL_POW10_CASE(K) \
  case K:                      \
    q = n / kPow10[K];         \
    break;
    VANTREL_POW10_CASE(1) VANTREL_POW10_CASE(2) VANTREL_POW10_CASE(3) VANTREL_POW10_CASE(4)
    VANTREL_POW10_CASE(5) VANTREL_POW10_CASE(6) VANTREL_POW10_CASE(7) VANTREL_POW10_CASE(8)
    VANTREL_POW10_CASE(9) VANTREL_POW10_CASE(10) VANTREL_POW10_CASE(11) VANTREL_POW10_CASE(12)
    VANTREL_POW10_CASE(13) VANTREL_POW10_CASE(14) VANTREL_POW10_CASE(15)
#undef VANTREL_POW10_CASE
    default:
      break;
  }
  rem = n - q * kPow10[k];
  return q;
}

// Four digits of v < 10000 at out, two at a time from a table of pairs.
void WriteDigits4(uint32_t v, char* out) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  const uint32_t hi = v / 100, lo = v % 100;
  std::memcpy(out, kPairs + 2 * hi, 2);
  std::memcpy(out + 2, kPairs + 2 * lo, 2);
}

// The fifteen digits of 10^14 <= n < 10^15 in four independent groups.
void WriteDigits15(uint64_t n, char* out) {
  const uint64_t hi = n / 100000000, lo = n % 100000000;  // 7 and 8 digits
  const uint32_t h1 = static_cast<uint32_t>(hi / 10000), h2 = static_cast<uint32_t>(hi % 10000);
  const uint32_t l1 = static_cast<uint32_t>(lo / 10000), l2 = static_cast<uint32_t>(lo % 10000);
  char first[4];
  WriteDigits4(h1, first);  // h1 < 1000: its first digit is a zero
  std::memcpy(out, first + 1, 3);
  WriteDigits4(h2, out + 3);
  WriteDigits4(l1, out + 7);
  WriteDigits4(l2, out + 11);
}

// The fifteen significant digits printf("%.14e") gives, as the integer 10^14 <= n < 10^15
// with m = n * 10^(e - 14), computed exactly for the magnitudes coordinates and angles have
// (1e-7 up to 1e15, where m is a normal double). False outside that range.
bool Fifteen(double m, uint64_t& n, int& e) {
  if (!(m >= 1e-7 && m < 1e15)) return false;
  // m = mant 2^-s with the 53-bit significand and s >= 3.
  const uint64_t bits = std::bit_cast<uint64_t>(m);
  const uint64_t mant = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int k2 = static_cast<int>(bits >> 52) - 1022;  // m = f 2^k2, f in [0.5, 1)
  const int s = 53 - k2;
  // A first guess of e from the binary exponent, put right by the digit count of the
  // rounded result (which also takes the carry of 9.99...95 into the next power, as
  // printf does).
  // floor((k2 - 1) log10 2) in integers (exact for |k2| below a few thousand).
  e = ((k2 - 1) * 78913) >> 18;
  // Powers of ten up to 1e15 are exact doubles: for m >= 1 a comparison gives e itself.
  if (m >= 1 && e < 14 && m >= static_cast<double>(kPow10[e + 1])) ++e;
  for (int guard = 0; guard < 4 && 14 - e >= 0 && 14 - e <= 22; ++guard) {
    n = ScaledRound(mant, s, 14 - e);
    if (n >= kPow10[15]) {
      ++e;
    } else if (n < kPow10[14]) {
      --e;
    } else {
      return true;
    }
  }
  return false;
}

Decimal ToDecimal15(double value) {
  Decimal d;
  d.negative = std::signbit(value);
  const double m = std::fabs(value);
  if (m == 0) {
    d.digits[0] = '0';
    d.count = 1;
    d.exponent = 1;
    return d;
  }
  d.zero = false;
  d.count = 15;
  uint64_t n = 0;
  int e = 0;
  if (Fifteen(m, n, e)) {
    WriteDigits15(n, d.digits);
    d.exponent = e + 1;
    return d;
  }
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, m, std::chars_format::scientific, 14);
  // d.dddddddddddddde±XX
  d.digits[0] = buf[0];
  std::memcpy(d.digits + 1, buf + 2, 14);
  int exp10 = 0;
  std::from_chars(buf + 17 + (buf[17] == '+' ? 1 : 0), r.ptr, exp10);
  d.exponent = exp10 + 1;
  return d;
}

// The integer digits of |value| * 10^decimals, rounded half away from zero on the 15
// digits, without leading zeros ("0" for zero). Returns the digit count written to out.
int ScaledRounded(const Decimal& d, int decimals, char* out) {
  if (d.zero) {
    out[0] = '0';
    return 1;
  }
  const int kept = d.exponent + decimals;  // leading digits that stay
  if (kept < 0) {
    out[0] = '0';
    return 1;
  }
  if (kept >= d.count) {
    std::memcpy(out, d.digits, d.count);
    std::memset(out + d.count, '0', kept - d.count);
    return kept;
  }
  int n = kept;
  std::memcpy(out, d.digits, n);
  if (n == 0) out[n++] = '0';
  if (d.digits[kept] >= '5') {
    int i = n - 1;
    while (i >= 0 && out[i] == '9') out[i--] = '0';
    if (i >= 0) {
      ++out[i];
    } else {
      std::memmove(out + 1, out, n);
      out[0] = '1';
      ++n;
    }
  }
  int nz = 0;
  while (nz < n && out[nz] == '0') ++nz;
  if (nz == n) {
    out[0] = '0';
    return 1;
  }
  std::memmove(out, out + nz, n - nz);
  return n - nz;
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
  auto read = [](std::string_view compact) {
    const size_t n = ScanNumber(compact);
    if (n == 0) return 0.0;
    const auto v = ConvertDecimal(compact.substr(0, n));
    return v ? *v : 0.0;
  };
  auto ignored = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t i = 0;
  while (i < text.size() && !ignored(text[i])) ++i;
  if (i == text.size()) return read(text);
  std::string compact;
  compact.reserve(std::min<size_t>(text.size(), 4096));
  for (char c : text)
    if (!ignored(c)) compact.push_back(c);
  return read(compact);
}

bool IsNumeric(std::string_view text) { return ReadStrict(text).has_value(); }

std::optional<double> ReadStrict(std::string_view text) {
  const std::string_view t = TrimBlanks(text);
  if (t.empty()) return std::nullopt;
  // A text from_chars reads whole, beginning with a digit, a point or a minus and one of
  // those, is a number of the strict rule (no "inf" or "nan" can start so); anything else
  // goes the long way.
  {
    const char* first = t.data();
    const char* last = first + t.size();
    const char* body = *first == '-' || *first == '+' ? first + 1 : first;
    if (body != last && (IsDigit(*body) || *body == '.')) {
      double v = 0;
      const auto r = fast_float::from_chars(*first == '+' ? body : first, last, v,
                                            fast_float::chars_format::general);
      // fast_float gives an overflow as infinity: the long way tells it.
      if (r.ec == std::errc() && r.ptr == last && !std::isinf(v)) return v;
    }
  }
  const size_t n = ScanNumber(t);
  if (n == 0 || n != t.size()) return std::nullopt;
  return ConvertDecimal(t);
}

bool IsNonFiniteNumber(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (t.empty()) return false;
  if (IsDigit(t.back()) || t.back() == '.') {
    // A decimal: one that ScanNumber takes whole and that does not convert has overflowed.
    return ScanNumber(t) == t.size() && !ConvertDecimal(t);
  }
  if (t[0] == '+' || t[0] == '-') t.remove_prefix(1);
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size() && !std::isfinite(v);
}

void AppendPattern(std::string& out, double value, std::string_view pattern) {
  if (!std::isfinite(value)) return;
  const size_t point = pattern.find('.');
  const std::string_view intPart = pattern.substr(0, point);
  const int decimals =
      point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
  int minIntDigits = 0;
  for (char c : intPart)
    if (c == '0') ++minIntDigits;
  const bool negative = std::signbit(value);

  // Write the scaled integer q (the value times 10^decimals, rounded) with its point,
  // composed on the stack and appended at once.
  auto write = [&](uint64_t q) {
    uint64_t fp = 0;
    const uint64_t ip = DivPow10(q, decimals, fp);
    char text[96];
    char* p = text;
    if (negative && q != 0) *p++ = '-';
    char digits[24];
    const int len = ip == 0 ? 0 : static_cast<int>(std::to_chars(digits, digits + sizeof digits, ip).ptr - digits);
    if (len < minIntDigits) {
      std::memset(p, '0', static_cast<size_t>(minIntDigits - len));
      p += minIntDigits - len;
    }
    std::memcpy(p, digits, static_cast<size_t>(len));
    p += len;
    if (decimals > 0) {
      *p++ = '.';
      // The decimals, zeros in front, right-aligned in their places.
      for (int i = decimals - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + fp % 10);
        fp /= 10;
      }
      p += decimals;
    } else if (len == 0 && minIntDigits == 0) {
      *p++ = '0';
    }
    out.append(text, static_cast<size_t>(p - text));
  };

  // The stack text holds the patterns in use (up to 15 decimals, 40 leading zeros).
  const bool small = decimals <= 15 && minIntDigits <= 40;
  // Whole numbers below 10^15 are their own fifteen digits.
  const double a = std::fabs(value);
  if (small && a < 1e15 && a == std::floor(a) &&
      a < 1.8e19 / static_cast<double>(kPow10[decimals])) {
    write(static_cast<uint64_t>(a) * kPow10[decimals]);
    return;
  }
  // Otherwise the value scaled in floating point decides, unless it lies near a rounding
  // or an integer boundary: the fifteen-digit text, scaled, is within 5.2e-15 t of the
  // product t, so farther than 1e-14 t from every boundary both round alike.
  if (small) {
    const double t = a * static_cast<double>(kPow10[decimals]);
    if (t < 4e15) {
      const double whole = std::floor(t);
      const double f = t - whole;
      const double margin = t * 1e-14;
      if (f > margin && f < 1 - margin && std::fabs(f - 0.5) > margin) {
        write(static_cast<uint64_t>(whole) + (f > 0.5 ? 1 : 0));
        return;
      }
    }
  }

  // The usual case in integers: the fifteen digits n, rounded half away from zero at the
  // pattern's last place, then split at the point.
  uint64_t n = 0;
  int e = 0;
  if (small && value != 0 && Fifteen(std::fabs(value), n, e)) {
    const int kept = e + 1 + decimals;  // leading digits of n that stay
    uint64_t q = 0;
    bool fits = true;
    if (kept <= 0) {
      q = kept == 0 && n >= 5 * kPow10[14] ? 1 : 0;
    } else if (kept < 15) {
      uint64_t r = 0;
      q = DivPow10(n, 15 - kept, r);
      if (r >= kPow10[15 - kept] / 2) ++q;
    } else if (kept - 15 <= 4) {
      q = n * kPow10[kept - 15];
    } else {
      fits = false;
    }
    if (fits) {
      write(q);
      return;
    }
  }

  const Decimal d = ToDecimal15(value);
  // Room for every integer digit, the decimals and a carry; on the stack for the usual sizes.
  char onStack[64];
  std::string large;
  char* scaled = onStack;
  const int room = std::max(d.exponent, 1) + decimals + 2;
  if (room > static_cast<int>(sizeof onStack)) {
    large.resize(static_cast<size_t>(room));
    scaled = large.data();
  }
  const int len = ScaledRounded(d, decimals, scaled);
  const bool isZero = len == 1 && scaled[0] == '0';
  // The integer part is what stands before the last `decimals` digits.
  const int intLen = len > decimals ? len - decimals : 0;
  const char* frac = scaled + intLen;
  const int fracLen = len - intLen;  // may be short: zeros go in front
  int intSignificant = intLen;       // no leading zeros: ScaledRounded dropped them
  if (intLen == 1 && scaled[0] == '0') intSignificant = 0;

  if (d.negative && !isZero) out.push_back('-');
  if (intSignificant < minIntDigits) out.append(minIntDigits - intSignificant, '0');
  out.append(scaled, intSignificant);
  if (decimals > 0) {
    out.push_back('.');
    out.append(decimals - fracLen, '0');
    out.append(frac, fracLen);
  } else if (intSignificant == 0 && minIntDigits == 0) {
    out += "0";
  }
}

std::string FormatPattern(double value, std::string_view pattern) {
  std::string out;
  AppendPattern(out, value, pattern);
  return out;
}

void AppendGeneralNumber(std::string& out, double value) {
  if (!std::isfinite(value)) return;
  // Composed on the stack and appended at once: a sign, 15 digits, a point, up to three
  // zeros after it, or the exponent form.
  char text[40];
  char* p = text;
  // Whole numbers below 10^15 are written out as they are.
  const double magnitude = std::fabs(value);
  if (magnitude < 1e15 && magnitude == std::floor(magnitude)) {
    if (value < 0) *p++ = '-';
    p = std::to_chars(p, text + sizeof text, static_cast<uint64_t>(magnitude)).ptr;
    out.append(text, static_cast<size_t>(p - text));
    return;
  }
  const Decimal d = ToDecimal15(value);
  if (d.zero) {
    out.push_back('0');
    return;
  }
  int n = d.count;
  while (n > 1 && d.digits[n - 1] == '0') --n;
  auto put = [&p](const char* from, int count) {
    std::memcpy(p, from, static_cast<size_t>(count));
    p += count;
  };
  if (d.negative) *p++ = '-';
  const int e = d.exponent;  // value = 0.digits * 10^e
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      *p++ = '0';
      *p++ = '.';
      for (int i = 0; i < -e; ++i) *p++ = '0';
      put(d.digits, n);
    } else if (e >= n) {
      put(d.digits, n);
      for (int i = 0; i < e - n; ++i) *p++ = '0';
    } else {
      put(d.digits, e);
      *p++ = '.';
      put(d.digits + e, n - e);
    }
  } else {
    // Exponent form, one digit before the point: 1.5E-07, 1E+20.
    *p++ = d.digits[0];
    if (n > 1) {
      *p++ = '.';
      put(d.digits + 1, n - 1);
    }
    const int exp10 = e - 1;
    *p++ = 'E';
    *p++ = exp10 < 0 ? '-' : '+';
    const int a = std::abs(exp10);
    if (a < 10) *p++ = '0';
    p = std::to_chars(p, text + sizeof text, a).ptr;
  }
  out.append(text, static_cast<size_t>(p - text));
}

std::string GeneralNumberText(double value) {
  std::string out;
  AppendGeneralNumber(out, value);
  return out;
}

}  // namespace vantrel
