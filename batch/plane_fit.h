#pragma once
// The estimation of 平面坐标转换1 for the batch layer: the common points of an old and a
// new point file, the four parameters by the dialog's least squares, and the parameter
// window's four lines. The messages are the dialog's.
#include <string>
#include <vector>

#include "transform/transform_state.h"

namespace vantrel::batch {

struct FitReport {
  bool ok = false;
  std::vector<std::string> messages;  // in the order the dialog shows them
  TransformState state;               // TransParam, NormalMat, UnitWeightError when ok
};

FitReport FitFourParameters(const std::string& oldPath, const std::string& newPath);
// The same estimation on common points gathered otherwise (typed in a table): at most the
// first kMaxCommonPoints of `points` are used, as from files.
FitReport FitFourParameters(const std::vector<CommonPoint>& points);

// "X平移(米)", ΔX±σ and so on, one line per parameter in print zones, as 转换参数 shows them.
std::vector<std::string> ParameterLines(const TransformState& state);

}  // namespace vantrel::batch
