#include "geodetic/geodetic_gauss.h"

#include "common/text_rules.h"
#include "geodetic/gauss_kruger.h"
#include "geodetic/height_anomaly.h"

namespace vantrel {

std::string_view CoordinateFieldMessage(int field) {
  static constexpr std::string_view kMessages[] = {"",           "X或B应为数值!", "Y或L应为数值!",
                                                   "Z应为数值!", "B或Xg应为数值!", "L或Yg应为数值!",
                                                   "H应为数值!"};
  return field >= 1 && field <= 6 ? kMessages[field] : std::string_view();
}

bool IsAutoAnomaly(std::string_view text) {
  if (text.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    if (c != "AUTO"[i]) return false;
  }
  return true;
}

GaussSetup ReadGaussSetup(ProjectionState& state, std::string_view planeHeight,
                          std::string_view anomaly, bool ellipsoid54,
                          std::optional<std::string_view> meridian) {
  GaussSetup setup;
  state.GeoidUndulation = 0;
  const auto h0 = ReadStrict(planeHeight);
  if (!h0) {
    setup.message = kPlaneHeightMessage;
    return setup;
  }
  state.PlaneHeight = *h0;
  if (ellipsoid54) {
    if (const auto zeta = ReadStrict(anomaly)) {
      state.GeoidUndulation = *zeta;
    } else if (IsAutoAnomaly(anomaly)) {
      setup.automatic = true;
    } else {
      setup.message = kAnomalyMessage;
      return setup;
    }
  }
  if (meridian) {
    // The dialog names the anomaly here too: its message for a bad meridian.
    const auto l0 = ReadStrict(*meridian);
    if (!l0) {
      setup.message = kAnomalyMessage;
      return setup;
    }
    state.CentralMeridian = Dms2Rad(*l0);
  }
  return setup;
}

GaussPoints::GaussPoints(const Ellipsoid& ellipsoid, double centralMeridian,
                         double falseNorthingKm, double falseEastingKm, double planeHeight,
                         double anomaly)
    : a_(ellipsoid.a),
      e2_(ellipsoid.e2),
      L0_(centralMeridian),
      X0_(falseNorthingKm),
      Y0_(falseEastingKm),
      H0_(planeHeight),
      zeta_(anomaly) {}

GaussPoints::GaussPoints(const ProjectionState& s)
    : GaussPoints(s.ellipsoid(), s.CentralMeridian, s.FalseNorthingKm, s.FalseEastingKm,
                  s.PlaneHeight, s.GeoidUndulation) {}

void GaussPoints::Store(ProjectionState& state) const {
  state.EllipsoidA = a_;
  state.GeoidUndulation = zeta_;
}

GaussKruger GaussPoints::SetUp() {
  const double axis = GaussKruger::ProjectedAxis(a_, H0_, zeta_, true);
  return GaussKruger(KeptGaussSeries(series_, axis, e2_), {a_, e2_}, L0_, X0_, Y0_, H0_, zeta_,
                     true);
}

void GaussPoints::Forward(double B, double L, double H, bool automatic, double& x, double& y,
                          double& h) {
  if (automatic) zeta_ = HeightAnomaly54(B * 180 / kPi, L * 180 / kPi);
  const GaussKruger p = SetUp();
  p.Forward(B, L, H, x, y, h);
  a_ = p.RestoredAxis();
}

std::string_view GaussPoints::Inverse(double x, double y, double h, bool automatic, double& B,
                                      double& L, double& H) {
  H = 0;
  for (int round = 1;; ++round) {
    const GaussKruger p = SetUp();
    p.Inverse(x, y, h, B, L, H);
    a_ = p.RestoredAxis();
    if (!automatic) break;
    const double Bd = B * 180 / kPi, Ld = L * 180 / kPi;
    if (!(Bd >= 19 && Bd <= 52 && Ld >= 74 && Ld <= 133)) return kPointOutsideChina;
    zeta_ = HeightAnomaly54(Bd, Ld);
    if (round == 3) break;
  }
  return {};
}

void GaussForwardPoint(ProjectionState& state, double B, double L, bool automatic, double& x,
                       double& y) {
  double h = 0;
  GaussForwardPoint(state, B, L, 0.0, automatic, x, y, h);
}

void GaussForwardPoint(ProjectionState& state, double B, double L, double H, bool automatic,
                       double& x, double& y, double& h) {
  GaussPoints points(state);
  points.Forward(B, L, H, automatic, x, y, h);
  points.Store(state);
}

std::string_view GaussInversePoint(ProjectionState& state, double x, double y, bool automatic,
                                   double& B, double& L) {
  double H = 0;
  return GaussInversePoint(state, x, y, 0.0, automatic, B, L, H);
}

std::string_view GaussInversePoint(ProjectionState& state, double x, double y, double h,
                                   bool automatic, double& B, double& L, double& H) {
  GaussPoints points(state);
  const std::string_view message = points.Inverse(x, y, h, automatic, B, L, H);
  points.Store(state);
  return message;
}

}  // namespace vantrel
