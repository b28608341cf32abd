#pragma once
// A network file adjusted as a whole: the plane network when the file has plane observations,
// the levelling network when it has levelling lines, and, for a compass traverse file, the
// compass rule on the same traverse, so that a report can set the two results side by side.
// The command line and the Python module both come here; the options are the file's, as the
// caller may have changed them.
#include <optional>
#include <string>
#include <vector>

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

// What a caller changes of a file's head (the command line's options, Python's keywords), in
// the file's units; what is not set stays as the file says.
struct NetworkOverrides {
  std::optional<double> directionSigma, angleSigma, azimuthSigma;  // ″
  std::optional<double> distanceSigmaA, distanceSigmaB;            // mm, ppm
  std::optional<double> sigma0;                                    // ″, the plane network's
  std::optional<double> levelSigma;  // mm per √km (or per √set-up), for every levelling line
  std::optional<bool> free;          // the datum of both networks
  std::vector<std::string> datumPoints;  // with free: the minimum-norm points, empty for all
  bool aPriori = false;                  // σ scaled by the a-priori σ0
};

// Sets them; a traverse file's azimuths (its end angles turned by a known azimuth) follow the
// angle σ.
void Override(const NetworkOverrides& overrides, NetworkFile& file);

}  // namespace vantrel::batch
