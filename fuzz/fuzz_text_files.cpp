// Random file bytes through GBK decoding, line splitting, blank splitting and print zones.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/text_files.h"
#include "common/text_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto lines = vantrel::SplitLines(bytes);
  size_t total = 0;
  for (const auto& raw : lines) {
    total += raw.size();
    std::string line = vantrel::GbkToUtf8(raw);
    auto items = vantrel::SplitBlanks(line);
    for (const auto& item : items) {
      if (item.empty()) std::abort();
      vantrel::ReadLenient(item);
      vantrel::IsNumeric(item);
    }
    std::string zoned = vantrel::PrintZones(items);
    // Zoned items split back into the same items (they never run together).
    if (vantrel::SplitBlanks(zoned) != items) std::abort();
    std::string back = vantrel::Utf8ToGbk(line);
    (void)back;
  }
  if (total > size) std::abort();
  return 0;
}
