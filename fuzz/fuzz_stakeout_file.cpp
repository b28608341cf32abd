// Stakeout data files are written by hand and by instruments: any bytes must load without a
// fault, every kept point must have finite coordinates, and a loaded point written back as
// an "Add" line must read back as the same point.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/text_files.h"
#include "common/text_rules.h"
#include "plane/stakeout_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = vantrel::SplitLines(bytes);
  for (std::string& line : lines) line = vantrel::GbkToUtf8(line);
  const vantrel::StakeLoad load = vantrel::ParseStakeoutLines(lines);
  if (load.points.size() > lines.size()) std::abort();
  for (const auto& p : load.points) {
    if (!std::isfinite(p.PtX) || !std::isfinite(p.PtY) || !std::isfinite(p.PtH)) std::abort();
    if (p.PtName.empty() || p.PtName.find(' ') != std::string::npos) continue;
    const std::string added = vantrel::StakeAddLine(p.PtName, vantrel::GeneralNumberText(p.PtX),
                                                    vantrel::GeneralNumberText(p.PtY),
                                                    vantrel::GeneralNumberText(p.PtH));
    const vantrel::StakeLoad back = vantrel::ParseStakeoutLines({added});
    if (back.points.size() != 1 || back.points[0].PtName != p.PtName ||
        back.points[0].PtCode != "Add")
      std::abort();
  }
  return 0;
}
