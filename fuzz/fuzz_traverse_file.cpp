// Traverse result files come back from disk, possibly edited by hand: any bytes must be
// read, split and laid out without a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text_files.h"
#include "plane/traverse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = vantrel::SplitLines(bytes);
  for (std::string& line : lines) line = vantrel::GbkToUtf8(line);
  vantrel::NetReadResult read = vantrel::ParseTraverseLines(lines);
  vantrel::NetLayout layout = vantrel::LayoutTraverseNet(read.records, 640, 480);
  return layout.legs.size() > 20 ? 1 : 0;
}
