// The adjustment as JSON for programs: every number in SI units (metres, radians) at full
// precision, except the plane network's σ0, which is in arc seconds as its a-priori value is
// given. The fields are described in docs/cli.md.
#include <nlohmann/json.hpp>

#include <cmath>

#include "adjustment/statistics.h"
#include "batch/network_report.h"

namespace vantrel::batch {

namespace {

using json = nlohmann::ordered_json;
using adjustment::ObservationKind;

// NaN (a standardized residual with nothing to test) is null.
json Number(double v) { return std::isfinite(v) ? json(v) : json(nullptr); }

json Line(const std::vector<int>& lines, size_t i) { return i < lines.size() ? json(lines[i]) : json(nullptr); }

json Test(double chi, double lower, double upper, bool passed) {
  return {{"value", chi}, {"lower", lower}, {"upper", upper}, {"passed", passed}, {"confidence", 0.95}};
}

json Ellipse(const adjustment::ErrorEllipse& e) {
  return {{"major", e.major}, {"minor", e.minor}, {"azimuth", e.azimuth}};
}

json PlaneJson(const NetworkFile& f, const adjustment::PlaneResult& r) {
  const adjustment::PlaneOptions& o = f.planeOptions;
  json plane = {
      {"datum", o.datum == adjustment::PlaneDatum::Free ? "free" : "fixed"},
      {"datumPoints", o.datumPoints},
      {"scaledBy", o.scaleByAPosteriori ? "a-posteriori" : "a-priori"},
      {"instrument",
       {{"direction", o.directionSigma},
        {"angle", o.angleSigma},
        {"azimuth", o.azimuthSigma},
        {"distanceA", o.distanceSigmaA},
        {"distanceB", o.distanceSigmaB}}},
      {"sigma0Apriori", o.sigma0},
      {"sigma0", r.sigma0},
      {"degreesOfFreedom", r.degreesOfFreedom},
      {"iterations", r.iterations},
      {"globalTest", Test(r.chiSquare, r.chiSquareLower, r.chiSquareUpper, r.globalTestPassed)},
      {"criticalW", adjustment::kDataSnoopingCritical},
      {"suspect", r.suspectObservation >= 0 ? json(r.suspectObservation) : json(nullptr)},
  };
  json& points = plane["points"] = json::array();
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedPlanePoint& p = r.points[i];
    const adjustment::PlanePoint& in = f.plane.points.at(i);
    points.push_back({{"name", p.name},
                      {"x", p.x},
                      {"y", p.y},
                      {"knownX", in.knownX.has_value()},
                      {"knownY", in.knownY.has_value()},
                      {"adjustedX", p.adjustedX},
                      {"adjustedY", p.adjustedY},
                      {"sigmaX", p.sigmaX},
                      {"sigmaY", p.sigmaY},
                      {"covarianceXY", p.covarianceXY},
                      {"sigmaP", p.sigmaP},
                      {"ellipse", Ellipse(p.ellipse)}});
  }
  json& observations = plane["observations"] = json::array();
  for (size_t i = 0; i < f.plane.observations.size(); ++i) {
    const adjustment::PlaneObservation& in = f.plane.observations[i];
    const adjustment::AdjustedObservation& a = r.observations.at(i);
    json o = {{"line", Line(f.observationLines, i)},
              {"kind", adjustment::ObservationKindName(in.kind)},
              {"station", in.station},
              {"target", in.target},
              {"observed", in.value},
              {"adjusted", a.adjusted},
              {"residual", a.residual},
              {"sigma", a.sigma},
              {"sigmaAdjusted", a.sigmaAdjusted},
              {"redundancy", a.redundancy},
              {"w", Number(a.standardized)},
              {"suspect", static_cast<int>(i) == r.suspectObservation}};
    if (in.kind == ObservationKind::Angle) o["target2"] = in.target2;
    if (in.kind == ObservationKind::Direction) o["set"] = in.set;
    observations.push_back(std::move(o));
  }
  json& relative = plane["relative"] = json::array();
  for (const adjustment::RelativeEllipse& e : r.relative)
    relative.push_back({{"from", r.points.at(e.from).name},
                        {"to", r.points.at(e.to).name},
                        {"ellipse", Ellipse(e.ellipse)},
                        {"sigmaDistance", e.sigmaDistance},
                        {"sigmaAzimuth", e.sigmaAzimuth}});
  json& orientations = plane["orientations"] = json::array();
  for (size_t k = 0; k < r.orientations.size() && k < r.sets.size(); ++k) {
    std::string station;
    for (const adjustment::PlaneObservation& o : f.plane.observations)
      if (o.kind == ObservationKind::Direction && o.set == r.sets[k]) {
        station = o.station;
        break;
      }
    orientations.push_back({{"set", r.sets[k]}, {"station", station}, {"orientation", r.orientations[k]}});
  }
  return plane;
}

json LevellingJson(const NetworkFile& f, const adjustment::LevellingResult& r) {
  const adjustment::LevellingOptions& o = f.levellingOptions;
  json levelling = {
      {"datum", o.datum == adjustment::Datum::Free ? "free" : "fixed"},
      {"datumPoints", o.datumPoints},
      {"scaledBy", o.scaleByAPosteriori ? "a-posteriori" : "a-priori"},
      {"sigma0Apriori", o.sigma0},
      {"sigma0", r.sigma0},
      {"degreesOfFreedom", r.degreesOfFreedom},
      {"globalTest", Test(r.chiSquare, r.chiSquareLower, r.chiSquareUpper, r.globalTestPassed)},
      {"criticalW", adjustment::kDataSnoopingCritical},
      {"suspect", r.suspectLine >= 0 ? json(r.suspectLine) : json(nullptr)},
  };
  json& points = levelling["points"] = json::array();
  for (size_t i = 0; i < r.points.size(); ++i) {
    const adjustment::AdjustedLevelPoint& p = r.points[i];
    points.push_back({{"name", p.name},
                      {"height", p.height},
                      {"sigma", p.sigma},
                      {"known", f.levelPoints.at(i).knownHeight.has_value()},
                      {"adjusted", p.unknown}});
  }
  json& lines = levelling["lines"] = json::array();
  for (size_t i = 0; i < f.levelLines.size(); ++i) {
    const adjustment::LevelLine& in = f.levelLines[i];
    const adjustment::AdjustedLevelLine& a = r.lines.at(i);
    const bool byLength = in.weight == adjustment::LineWeight::ByLength;
    lines.push_back({{"line", Line(f.levelLineLines, i)},
                     {"from", in.from},
                     {"to", in.to},
                     {"observed", in.dh},
                     {"adjusted", a.dh},
                     {"residual", a.residual},
                     {"weight", byLength ? "length" : "setups"},
                     {byLength ? "length" : "setups", byLength ? in.amount * 1000 : in.amount},
                     {"sigma", in.sigma * std::sqrt(in.amount)},
                     {"sigmaAdjusted", a.sigmaAdjusted},
                     {"redundancy", a.redundancy},
                     {"w", Number(a.standardized)},
                     {"suspect", static_cast<int>(i) == r.suspectLine}});
  }
  return levelling;
}

json CompassJson(const adjustment::TraverseAdjustment& c) {
  json compass = {{"ok", c.ok}, {"overLimit", c.overLimit || c.closureOverLimit}};
  if (!c.ok) {
    compass["error"] = c.error;
    return compass;
  }
  json& points = compass["points"] = json::array();
  for (const adjustment::AdjustedStation& s : c.stations)
    points.push_back({{"name", s.name}, {"x", s.x}, {"y", s.y}, {"known", s.known}});
  return compass;
}

}  // namespace

std::string NetworkReportJson(const NetworkFile& file, const std::string& fileName, const NetworkAdjustment& a) {
  json doc = {{"file", fileName}};
  if (a.plane) doc["plane"] = PlaneJson(file, *a.plane);
  if (a.levelling) doc["levelling"] = LevellingJson(file, *a.levelling);
  if (a.compass) doc["compass"] = CompassJson(*a.compass);
  // Names pass as they are; bytes that are not UTF-8 would stop the dump, so they are replaced.
  return doc.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace vantrel::batch
