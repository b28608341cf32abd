// Random bytes as a point line, and as a pair of whole point files through common-point
// gathering, the appended result block and the rotation writer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "common/text_rules.h"
#include "transform/point_files.h"
#include "transform/rotation_transform.h"

namespace {

// In memory where there is such a folder: the result file is synced to disk before it
// replaces the old one, and a disk sync per input would make the run crawl.
std::string TempPath(const char* what) {
  const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/vantrel_fuzz_point_files_" + std::to_string(::getpid()) + "_" + what;
}

void Spit(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);

  vantrel::PointLine p;
  bool valid = vantrel::SplitPointLine(bytes, p);
  if (valid && (p.Name.empty() || !vantrel::IsNumeric(p.XText) || !vantrel::IsNumeric(p.YText)))
    std::abort();
  if (p.Name.find(' ') != std::string::npos || p.XText.find(' ') != std::string::npos)
    std::abort();

  // The first half is the old file, the rest the new one.
  static const std::string oldPath = TempPath("old"), newPath = TempPath("new"),
                           outPath = TempPath("out");
  Spit(oldPath, bytes.substr(0, size / 2));
  Spit(newPath, bytes.substr(size / 2));
  vantrel::TransformState state;
  vantrel::T_Co_New(oldPath, newPath, "", "", state);
  if (state.CommonCount() > vantrel::kMaxCommonPoints || state.CommonFound < state.CommonCount())
    std::abort();
  state.TransParam = {1, 2, 0.5, 1e-5};
  vantrel::T_Co_Rotate(oldPath, newPath, state);
  std::string error;
  vantrel::RotatePointFile(oldPath, outPath, {1, 2, 3, 4, 0.1}, "0.1", {}, error);
  return 0;
}
