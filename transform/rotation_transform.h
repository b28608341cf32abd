#pragma once
// Rotation of a whole point file about typed centres, without scale change:
//   dx = x - x0, dy = y - y0
//   X = X0 + dx cos θ + dy sin θ
//   Y = Y0 - dx sin θ + dy cos θ
// (θ > 0 moves a point on the centre's old X axis towards negative Y.)
#include <string>

#include "common/messages.h"

namespace vantrel {

struct RotationCentres {
  double x0 = 0, y0 = 0;  // old coordinates of the centre
  double X0 = 0, Y0 = 0;  // new coordinates of the centre
  double theta = 0;       // radians
};

// The rotation about the centres, cos θ and sin θ taken once for a whole file of points.
class RotationMap {
 public:
  explicit RotationMap(const RotationCentres& centres);
  void Apply(double x, double y, double& X, double& Y) const {
    const double dx = x - k_.x0, dy = y - k_.y0;
    X = k_.X0 + dx * c_ + dy * s_;
    Y = k_.Y0 - dx * s_ + dy * c_;
  }

 private:
  RotationCentres k_;
  double c_, s_;
};

enum class RotateOutcome {
  Done,          // header and every point written
  FormatError,   // header and the points before the faulty line written
  Unreadable,    // the old file could not be read: the result file is untouched
  WriteFailed,   // the result file could not be written: it is as it was
  Cancelled,     // the progress handler said stop: the result file is as it was
};

// Replaces the result file (a failure leaves the old one as it was): four header lines
// (the angle as typed in angleText), then one line per old point up to the first empty
// line. A line of blanks only is a format error, reported as "老坐标文件<path>数据格式有错!"; a line that is not
// GBK text stops it too, reported as point_files.h says. Failures of reading or writing
// come back with their reason in `error`.
RotateOutcome RotatePointFile(const std::string& oldPath, const std::string& resultPath,
                              const RotationCentres& centres, const std::string& angleText,
                              const MessageHandler& onMessage, std::string& error,
                              const ProgressHandler& progress = {});

}  // namespace vantrel
