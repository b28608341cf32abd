#include "batch/plane_fit.h"

#include <algorithm>

#include "common/text_files.h"
#include "transform/common_point_transform.h"
#include "transform/point_files.h"

namespace vantrel::batch {

namespace {

// The estimation once the common points are in r.state, with the dialog's messages.
void PlaneFitGathered(FitReport& r) {
  auto tell = [&r](const std::string& text) { r.messages.push_back(text); };
  if (r.state.CommonCount() < 2) {
    tell("公共点少于2个,不能转换!");
    return;
  }
  if (r.state.CommonFound > kMaxCommonPoints)
    tell("共有" + std::to_string(r.state.CommonFound) + "个公共点,只用前" +
         std::to_string(kMaxCommonPoints) + "个公共点计算转换参数!");
  switch (EstimateTransParam(r.state)) {
    case EstimateOutcome::Converged:
      r.ok = true;
      break;
    case EstimateOutcome::Rejected:
      tell("公共点不能确定转换参数,不能转换!");
      break;
    default:
      tell("不收敛! 坐标转换失败!");
      break;
  }
}

}  // namespace

FitReport FitFourParameters(const std::string& oldPath, const std::string& newPath) {
  FitReport r;
  auto tell = [&r](const std::string& text) { r.messages.push_back(text); };
  if (T_Co_New(oldPath, newPath, "", "", r.state, tell) == GatherOutcome::Unreadable) return r;
  PlaneFitGathered(r);
  return r;
}

FitReport FitFourParameters(const std::vector<CommonPoint>& points) {
  FitReport r;
  r.state.CommonFound = static_cast<int>(points.size());
  const size_t used = std::min(points.size(), static_cast<size_t>(kMaxCommonPoints));
  r.state.CommonPoints.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(used));
  PlaneFitGathered(r);
  return r;
}

std::vector<std::string> ParameterLines(const TransformState& state) {
  const ParamTexts t = FormatTransParam(state);
  return {PrintZones({"X平移(米)", t.ShiftX}), PrintZones({"Y平移(米)", t.ShiftY}),
          PrintZones({"旋转角(D.MMSS)", t.Rotation}), PrintZones({"尺度(PPm)", t.Scale})};
}

}  // namespace vantrel::batch
