#pragma once
// A network file adjusted as a whole: the plane network when the file has plane observations,
// the levelling network when it has levelling lines, and, for a compass traverse file, the
// compass rule on the same traverse, so that a report can set the two results side by side.
// The command line and the Python module both come here; the options are the file's, as the
// caller may have changed them.
#include <optional>
#include <string>

#include "batch/network_file.h"

namespace vantrel::batch {

struct NetworkAdjustment {
  bool ok = false;
  std::string error;  // Chinese, the adjustment's own reason, when !ok
  std::optional<adjustment::PlaneResult> plane;
  std::optional<adjustment::LevellingResult> levelling;
  // A traverse file: the compass rule (forced, so that a misclosure over its allowance is still
  // compared and the report says it is over).
  std::optional<adjustment::TraverseAdjustment> compass;

  // Whether every adjusted network passed the global test.
  bool GlobalTestsPassed() const;
};

NetworkAdjustment AdjustNetworkFile(const NetworkFile& file);

}  // namespace vantrel::batch
