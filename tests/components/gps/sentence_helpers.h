#pragma once
// Receiver sentences built the way a receiver sends them: the checksum is the XOR of
// the codes between "$" and "*", as two upper-case hexadecimal digits.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "vantrel/runtime.h"

namespace tandrel_test {

inline std::string Checksum(std::string_view body) {
  unsigned x = 0;
  for (unsigned char c : body) x ^= c;
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", x);
  return hex;
}
inline std::string Nmea(std::string_view body) { return "$" + std::string(body) + "*" + Checksum(body); }
inline std::string Line(std::string_view body) { return Nmea(body) + "\r\n"; }

// n fields "f1".."fn" joined by ",".
inline std::string Fields(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += (i > 1 ? "," : "") + ("f" + std::to_string(i));
  return s;
}

// A 1-based text array of `count` elements, each holding `fill`.
inline vantrel::rt::SafeArray TextArray(std::size_t count, const std::string& fill = "", int32_t lower = 1) {
  auto a = vantrel::rt::SafeArray::Texts(lower, count);
  for (auto& t : a.texts()) t = fill;
  return a;
}
inline std::vector<std::string> Stored(const vantrel::rt::SafeArray& a, int32_t n) {
  std::vector<std::string> out;
  for (int32_t i = 1; i <= n; ++i) out.push_back(a.TextAt(i) ? *a.TextAt(i) : "<none>");
  return out;
}

inline constexpr double kParserPi = 3.14159265358979;
inline constexpr const char* kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
inline constexpr const char* kVtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48";
inline constexpr const char* kHdt = "$HEHDT,274.07,T*19";

}  // namespace tandrel_test
