// Random field text through both reading rules and every format pattern.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text_rules.h"

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
  vantrel::TrimBlanks(text);
  for (double v : {lenient, strict.value_or(0.0)}) {
    std::string general = vantrel::GeneralNumberText(v);
    // The canonical text must always read back as a number.
    if (!vantrel::IsNumeric(general)) std::abort();
    for (const char* p : kPatterns) {
      std::string t = vantrel::FormatPattern(v, p);
      if (t.empty()) std::abort();
    }
  }
  return 0;
}
