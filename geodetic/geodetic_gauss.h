#pragma once
// The steps of the space/geodetic/Gauss coordinate dialog without a screen, so that the
// dialog and the batch layer read, check and compute one way: the field messages in
// reading order, the projection set-up from the plane height, height anomaly and central
// meridian texts, and one point forward or back, with the 1954 height anomaly model when
// the anomaly is "AUTO".
#include <optional>
#include <string_view>

#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"

namespace vantrel {

// The message of a coordinate field that is not a number, for Text1..Text6 (1-based):
// "X或B应为数值!", "Y或L应为数值!", "Z应为数值!", "B或Xg应为数值!", "L或Yg应为数值!", "H应为数值!".
std::string_view CoordinateFieldMessage(int field);

inline constexpr std::string_view kPlaneHeightMessage = "请输入投影面高程!";
inline constexpr std::string_view kAnomalyMessage = "请输入大地水准面差距或自动由程序计算!";
inline constexpr std::string_view kPointOutsideChina =
    "点位不在中国范围内, 不能计算54椭球大地水准面差距!";

// True when an anomaly text asks for the model: "AUTO" in any case, blanks not trimmed.
bool IsAutoAnomaly(std::string_view text);

struct GaussSetup {
  std::string_view message;  // empty when every text was read
  bool automatic = false;    // the anomaly comes from the 1954 model, point by point
};

// The common part of the geodetic <-> Gauss mode, in the dialog's order: GeoidUndulation
// = 0; the plane height (strict); on the 1954 ellipsoid the anomaly as a number or AUTO
// (another ellipsoid leaves it 0 and its text unread); the central meridian in D.MMSS
// (strict). Stops at the first text that fails, with its message; what was read before it
// stays in the state. Without a meridian text the caller sets CentralMeridian per point.
GaussSetup ReadGaussSetup(ProjectionState& state, std::string_view planeHeight,
                          std::string_view anomaly, bool ellipsoid54,
                          std::optional<std::string_view> meridian);

// The points of one geodetic <-> Gauss run, forward or back, as the dialog's presses compute
// them one after another on its state: the lifted projection (BL2XYg, XYg2BL) set up from the
// values below, each call leaving the axis as enlarged and restored for the next one, and
// set up anew only when the axis or the anomaly changes. The batch layer's loops use it.
class GaussPoints {
 public:
  GaussPoints(const Ellipsoid& ellipsoid, double centralMeridian, double falseNorthingKm,
              double falseEastingKm, double planeHeight, double anomaly);
  // From and back to the program-wide state (the axis and the anomaly are what change).
  explicit GaussPoints(const ProjectionState& state);
  void Store(ProjectionState& state) const;

  void SetCentralMeridian(double radians) { L0_ = radians; }
  void SetAnomaly(double metres) { zeta_ = metres; }
  double anomaly() const { return zeta_; }

  // GaussForwardPoint and GaussInversePoint below.
  void Forward(double B, double L, double H, bool automatic, double& x, double& y, double& h);
  std::string_view Inverse(double x, double y, double h, bool automatic, double& B, double& L,
                           double& H);

 private:
  GaussKruger SetUp();

  double a_, e2_, L0_, X0_, Y0_, H0_, zeta_;
  GaussSeries series_;  // for the last axis set up on
};

// One point forward, B and L in radians: with `automatic`, GeoidUndulation becomes the
// 1954 model at the point (the caller has checked the China window on what was typed,
// AnomalyWindowMessage), then BL2XYg. x and y include the false origin.
void GaussForwardPoint(ProjectionState& state, double B, double L, bool automatic, double& x,
                       double& y);
// The same for a point at the ellipsoidal height H (m), which BL2XYg takes into the lift
// onto the projection plane; h = H - anomaly comes back as BL2XYg gives it. The dialog's
// form above is this one with H = 0.
void GaussForwardPoint(ProjectionState& state, double B, double L, double H, bool automatic,
                       double& x, double& y, double& h);

// One point back: XYg2BL; with `automatic` three rounds, the first with no anomaly and
// each next one with the model at the point the last one found. Gives the message
// kPointOutsideChina (and leaves B, L as found) when a round lands outside 19-52 N,
// 74-133 E; "" otherwise.
std::string_view GaussInversePoint(ProjectionState& state, double x, double y, bool automatic,
                                   double& B, double& L);
// The same with the height h (m) XYg2BL takes; H = h + anomaly comes back as it gives it.
// The dialog's form above is this one with h = 0.
std::string_view GaussInversePoint(ProjectionState& state, double x, double y, double h,
                                   bool automatic, double& B, double& L, double& H);

}  // namespace vantrel
