#pragma once
// The point transformations of the two plane transformation dialogs, one point at a time,
// with the angle's sine and cosine taken once: the four-parameter model of the common-point
// transformation (transform/common_point_transform.h) and the rotation about typed centres
// (transform/rotation_transform.h). Written exactly as those file loops compute, so the
// digits are theirs.
#include <array>
#include <cmath>

#include "transform/rotation_transform.h"
#include "transform/transform_state.h"

namespace vantrel {

struct FourParameterModel {
  explicit FourParameterModel(const std::array<double, 4>& p)
      : dX(p[kShiftX]), dY(p[kShiftY]), c(std::cos(p[kRotation])), s(std::sin(p[kRotation])),
        k(1 + p[kScale]) {}
  void Apply(double x, double y, double& X, double& Y) const {
    X = k * (x * c + y * s) + dX;
    Y = k * (-x * s + y * c) + dY;
  }
  double dX, dY, c, s, k;
};

struct RotationModel {
  explicit RotationModel(const RotationCentres& r)
      : centres(r), c(std::cos(r.theta)), s(std::sin(r.theta)) {}
  void Apply(double x, double y, double& X, double& Y) const {
    const double dx = x - centres.x0, dy = y - centres.y0;
    X = centres.X0 + dx * c + dy * s;
    Y = centres.Y0 - dx * s + dy * c;
  }
  RotationCentres centres;
  double c, s;
};

}  // namespace vantrel
