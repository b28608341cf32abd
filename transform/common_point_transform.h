#pragma once
// Four-parameter plane similarity transformation from old (x, y) to new (X, Y):
//   X = (1 + m)(x cos θ + y sin θ) + ΔX
//   Y = (1 + m)(-x sin θ + y cos θ) + ΔY
// estimated from the common points by iterated (Gauss-Newton) least squares on the
// normal equations, solved and inverted by INVERS.
#include <array>
#include <string>
#include <vector>

#include "transform/transform_state.h"

namespace vantrel {

enum class EstimateOutcome {
  Converged,     // TransParam, NormalMat, NormalRhs and UnitWeightError hold the result
  TooFewPoints,  // fewer than 2 common points
  Rejected,      // INVERS found the normal matrix not positive definite
  NotConverged,  // still moving after 41 iterations
};

inline constexpr int kMaxIterations = 41;

// Works on state.CommonPoints. Only a converged estimation changes the state's
// parameter values; ParamsReady is left to the caller (it also needs the result file).
EstimateOutcome EstimateTransParam(TransformState& state);

// The transformation with given parameters (TransParam's order and units), cos θ, sin θ
// and 1 + m taken once for a whole file of points.
class PlaneSimilarity {
 public:
  explicit PlaneSimilarity(const std::array<double, 4>& p);
  void Apply(double x, double y, double& X, double& Y) const {
    X = k_ * (x * c_ + y * s_) + dX_;
    Y = k_ * (-x * s_ + y * c_) + dY_;
  }

 private:
  double dX_, dY_, c_, s_, k_;
};

// Standard errors σ0·√Q(i,i) of ΔX, ΔY (m), θ (radians) and m after an estimation.
std::array<double, 4> TransParamStandardErrors(const TransformState& state);

// New minus transformed old coordinates of each common point, metres, in their order.
struct PlaneResidual {
  double vx = 0, vy = 0;
};
std::vector<PlaneResidual> CommonPointResiduals(const TransformState& state);

// The value texts of the parameter window, ΔX, ΔY, θ and m each with its standard error
// σ0·√Q(i,i) (seconds of arc for θ, parts per million for m).
struct ParamTexts {
  std::string ShiftX, ShiftY, Rotation, Scale;
};
ParamTexts FormatTransParam(const TransformState& state);

}  // namespace vantrel
