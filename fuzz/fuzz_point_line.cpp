// Random bytes as one point line: the split fields keep their promises, the GBK reader
// agrees with the text split, and a point line written back as a result line reads back
// as the same name and coordinates.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/text_files.h"
#include "common/text_rules.h"
#include "transform/point_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  vantrel::PointLine p;
  const bool valid = vantrel::SplitPointLine(line, p);
  for (const std::string* f : {&p.Name, &p.XText, &p.YText})
    if (f->find(' ') != std::string::npos) std::abort();
  if (p.Rest != vantrel::TrimBlanks(p.Rest)) std::abort();
  if (valid && (p.Name.empty() || !vantrel::IsNumeric(p.XText) || !vantrel::IsNumeric(p.YText)))
    std::abort();

  vantrel::PointRecord r;
  const vantrel::LineRead read = vantrel::ReadPointRecord(line, r);
  if ((read == vantrel::LineRead::NotGbk) == vantrel::IsGbkText(line)) std::abort();
  if (read == vantrel::LineRead::NotGbk) return 0;
  if ((read == vantrel::LineRead::Point) != valid) std::abort();
  if (!valid) return 0;
  if (r.fields.Name != p.Name || r.fields.Rest != p.Rest || r.X != p.X || r.Y != p.Y) std::abort();
  if (p.Name.find('\t') != std::string::npos) return 0;  // a tab in a name is kept as typed

  std::string out;
  vantrel::AppendResultLine(out, r.fields.Name, r.X, r.Y, r.fields.Rest);
  if (out.size() < 2 || out.substr(out.size() - 2) != "\r\n") std::abort();
  out.resize(out.size() - 2);
  vantrel::PointRecord back;
  if (vantrel::ReadPointRecord(out, back) != vantrel::LineRead::Point) std::abort();
  if (back.fields.Name != r.fields.Name) std::abort();
  return 0;
}
