// Random text as one point line: the split fields keep their promises and a valid line
// written back as a result line splits into the same name and coordinates.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/text_rules.h"
#include "transform/point_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  vantrel::PointLine p;
  const bool valid = vantrel::SplitPointLine(line, p);
  for (const std::string* f : {&p.Name, &p.XText, &p.YText})
    if (f->find(' ') != std::string::npos) std::abort();
  if (p.Rest != vantrel::TrimBlanks(p.Rest)) std::abort();
  if (!valid) return 0;
  if (p.Name.empty() || !vantrel::IsNumeric(p.XText) || !vantrel::IsNumeric(p.YText)) std::abort();
  if (p.Name.find('\t') != std::string::npos) return 0;  // a tab in a name is kept as typed
  vantrel::PointLine back;
  if (!vantrel::SplitPointLine(vantrel::ResultLine(p.Name, p.X, p.Y, p.Rest), back)) std::abort();
  if (back.Name != p.Name) std::abort();
  return 0;
}
