// Coordinate systems by code on hostile bytes: the first byte chooses what the rest is read
// as: a system's code as typed, a seven-parameter file, or a point file converted between two
// systems (chosen by the next bytes) through the batch layer's streaming.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/crs_transform.h"
#include "fuzz/memory_run.h"

namespace {

using namespace vantrel;
using namespace vantrel::batch;

void ConvertFile(const std::vector<int>& codes, const uint8_t* data, size_t size) {
  if (size < 3) return;
  CrsTransform t{*CrsByCode(codes[data[0] % codes.size()]), *CrsByCode(codes[data[1] % codes.size()]), {}, true, {}};
  if (t.from.datum != t.to.datum && (data[2] & 1)) t.seven = SevenParameters{-15, 120, 30, 2.5, 0.3, -0.8, 1.2};
  if (!CrsTransformRefusal(t).empty()) return;
  const Command command = CrsCommand(t, data[2] & 2 ? AngleUnit::Dms : AngleUnit::Degrees, data[2] & 4);
  MemoryRun run(std::string_view(reinterpret_cast<const char*>(data) + 3, size - 3));
  if (!run.ok()) return;
  RunOptions& o = run.options;
  o.skipBadLines = data[2] & 8;
  o.block = 1 + (data[2] >> 4) * 37;
  const RunResult r = RunCommand(command, o);
  if (r.exitCode != 0 && r.exitCode != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<int> codes = CrsCodes();
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string error;
  switch (data[0] % 3) {
    case 0: {
      Crs crs;
      const bool ok = ParseCrs(rest, crs, error);
      if (ok != error.empty() || (ok && !CrsByCode(crs.code))) std::abort();
      break;
    }
    case 1: {
      CrsTransform t;
      const bool ok = ParseParameterText(rest, "p.txt", t, error);
      if (ok ? !t.seven == !t.four : error.rfind("p.txt", 0) != 0) std::abort();
      break;
    }
    default: ConvertFile(codes, data + 1, size - 1);
  }
  return 0;
}
