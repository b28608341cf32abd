#include "batch/network_adjustment.h"

namespace vantrel::batch {

bool NetworkAdjustment::GlobalTestsPassed() const {
  return (!plane || plane->globalTestPassed) && (!levelling || levelling->globalTestPassed);
}

NetworkAdjustment AdjustNetworkFile(const NetworkFile& file) {
  NetworkAdjustment a;
  const bool hasPlane = !file.plane.observations.empty();
  const bool hasLevelling = !file.levelLines.empty();
  if (!hasPlane && !hasLevelling) {
    a.error = "文件中没有观测值, 无从平差";
    return a;
  }
  if (hasPlane) {
    a.plane = adjustment::AdjustPlaneNetwork(file.plane, file.planeOptions);
    if (!a.plane->ok) {
      a.error = a.plane->error;
      return a;
    }
  }
  if (hasLevelling) {
    a.levelling = adjustment::AdjustLevelling(file.levelPoints, file.levelLines, file.levellingOptions);
    if (!a.levelling->ok) {
      a.error = (hasPlane ? "水准网: " : "") + a.levelling->error;
      return a;
    }
  }
  if (file.traverse) {
    adjustment::TraverseOptions compass;
    compass.force = true;
    a.compass = adjustment::AdjustTraverse(*file.traverse, compass);
  }
  a.ok = true;
  return a;
}

}  // namespace vantrel::batch
