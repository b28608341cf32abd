// The exchange-format readers take files from CAD, GIS and the mapping software: any bytes
// must be read without a fault, and what is read must write again and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "batch/exchange/point_formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantrel::batch;
  if (size == 0) return 0;
  // The first byte picks the reader.
  const PointFormat format = static_cast<PointFormat>(data[0] % 4);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const ExchangeRead read = ReadExchangePoints(bytes, "f", format);
  if (!read.ok) return 0;
  std::string error;
  const std::string again = WriteExchangePoints(read.points, format, error);
  if (!error.empty()) return 0;
  const ExchangeRead back = ReadExchangePoints(again, "f", format);
  std::string error2;
  // A file written by us reads back and writes the same bytes again.
  if (!back.ok || WriteExchangePoints(back.points, format, error2) != again) std::abort();
  return 0;
}
