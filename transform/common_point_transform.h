#pragma once
// Four-parameter plane similarity transformation from old (x, y) to new (X, Y):
//   X = (1 + m)(x cos θ + y sin θ) + ΔX
//   Y = (1 + m)(-x sin θ + y cos θ) + ΔY
// estimated from the common points by iterated (Gauss-Newton) least squares on the
// normal equations, solved and inverted by INVERS.
#include <string>

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

// The value texts of the parameter window, ΔX, ΔY, θ and m each with its standard error
// σ0·√Q(i,i) (seconds of arc for θ, parts per million for m).
struct ParamTexts {
  std::string ShiftX, ShiftY, Rotation, Scale;
};
ParamTexts FormatTransParam(const TransformState& state);

}  // namespace vantrel
