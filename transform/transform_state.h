#pragma once
// The program-wide values of the plane transformations: the common points gathered from
// an old and a new point file, the four parameters estimated from them and what the
// parameter window shows. They outlive the dialog that fills them.
#include <array>
#include <string>
#include <vector>

namespace vantrel {

struct CommonPoint {
  std::string Name;
  double XNew = 0, YNew = 0;  // from the new coordinate file
  double XOld = 0, YOld = 0;  // from the old coordinate file
};

inline constexpr int kMaxCommonPoints = 20;
// The normal-equation arrays have room for 60 unknowns; the four-parameter
// transformation uses positions 1..10 and 1..4.
inline constexpr int kNormalMatSize = 1830;
inline constexpr int kNormalRhsSize = 60;

// Indices into TransParam (positions 1..4 of the description, counted from 0 here).
enum TransParamIndex { kShiftX = 0, kShiftY = 1, kRotation = 2, kScale = 3 };

struct TransformState {
  // In the new file's order; at most kMaxCommonPoints.
  std::vector<CommonPoint> CommonPoints;
  // Every common point the last gathering found, beyond the first 20 as well.
  int CommonFound = 0;
  int CommonCount() const { return static_cast<int>(CommonPoints.size()); }

  // ΔX (m), ΔY (m), θ (radians), m (scale difference; the scale factor is 1 + m).
  std::array<double, 4> TransParam{};
  // After an estimation: the inverse of the last normal matrix, packed (a[0] = (1,1)).
  std::array<double, kNormalMatSize> NormalMat{};
  std::array<double, kNormalRhsSize> NormalRhs{};
  double UnitWeightError = 0;  // σ0 of the last estimation
  bool ParamsReady = false;    // a transformation has finished with these values
};

}  // namespace vantrel
