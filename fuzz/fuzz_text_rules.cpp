// Random field text through both reading rules and every format pattern, each compared
// with the first forms of the rules (tests/support/text_rules_oracle.h), and the input
// bytes read as a double through the same comparison.
#include <cmath>
#include <cstdint>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text_rules.h"
#include "tests/support/text_rules_oracle.h"

namespace {
const char* const kPatterns[] = {"#.000", "#.0000", "#.000000000", "#.0", "0.000", "0.0000",
                                 "####0.000", "######0.000", "#####0.00", "#######.000",
                                 "00", "000", "000000", "00.0", ".000"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  double lenient = vantrel::ReadLenient(text);
  if (!std::isfinite(lenient)) std::abort();
  auto strict = vantrel::ReadStrict(text);
  if (strict.has_value() != vantrel::IsNumeric(text)) std::abort();
  if (std::bit_cast<uint64_t>(lenient) != std::bit_cast<uint64_t>(vantrel::oracle::ReadLenient(text)))
    std::abort();
  const auto oracleStrict = vantrel::oracle::ReadStrict(text);
  if (strict.has_value() != oracleStrict.has_value()) std::abort();
  if (strict && std::bit_cast<uint64_t>(*strict) != std::bit_cast<uint64_t>(*oracleStrict)) std::abort();
  vantrel::TrimBlanks(text);
  double raw = 0;
  if (size >= sizeof raw) std::memcpy(&raw, data, sizeof raw);
  for (double v : {lenient, strict.value_or(0.0), raw}) {
    if (!std::isfinite(v)) continue;
    if (vantrel::GeneralNumberText(v) != vantrel::oracle::GeneralNumberText(v)) std::abort();
    std::string general = vantrel::GeneralNumberText(v);
    // The canonical text must read back as a number, except within the last digits below
    // the largest double, whose fifteen-digit text rounds past it.
    if (std::fabs(v) < 1.79769313486231e308 && !vantrel::IsNumeric(general)) std::abort();
    for (const char* p : kPatterns) {
      std::string t = vantrel::FormatPattern(v, p);
      if (t.empty() || t != vantrel::oracle::FormatPattern(v, p)) std::abort();
    }
  }
  return 0;
}
