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

void Override(const NetworkOverrides& o, NetworkFile& f) {
  adjustment::PlaneOptions& p = f.planeOptions;
  if (o.directionSigma) p.directionSigma = *o.directionSigma / kSigmaSecondsPerRadian;
  if (o.azimuthSigma) p.azimuthSigma = *o.azimuthSigma / kSigmaSecondsPerRadian;
  if (o.angleSigma) {
    p.angleSigma = *o.angleSigma / kSigmaSecondsPerRadian;
    // A traverse oriented by a known azimuth carries its end angles as azimuths of that σ.
    if (f.traverse && !o.azimuthSigma) p.azimuthSigma = p.angleSigma;
  }
  if (o.distanceSigmaA) p.distanceSigmaA = *o.distanceSigmaA / 1000;
  if (o.distanceSigmaB) p.distanceSigmaB = *o.distanceSigmaB * 1e-6;
  if (o.sigma0) p.sigma0 = *o.sigma0;
  if (o.levelSigma)
    for (adjustment::LevelLine& l : f.levelLines) l.sigma = *o.levelSigma / 1000;
  if (o.free) {
    p.datum = *o.free ? adjustment::PlaneDatum::Free : adjustment::PlaneDatum::Fixed;
    f.levellingOptions.datum = *o.free ? adjustment::Datum::Free : adjustment::Datum::Fixed;
    p.datumPoints = f.levellingOptions.datumPoints = o.datumPoints;
  }
  if (o.aPriori) p.scaleByAPosteriori = f.levellingOptions.scaleByAPosteriori = false;
}

}  // namespace vantrel::batch
