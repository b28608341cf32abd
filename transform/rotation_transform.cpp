#include "transform/rotation_transform.h"

#include <cmath>
#include <vector>

#include "common/file_replace.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "transform/point_files.h"

namespace vantrel {

RotationMap::RotationMap(const RotationCentres& centres)
    : k_(centres), c_(std::cos(centres.theta)), s_(std::sin(centres.theta)) {}

RotateOutcome RotatePointFile(const std::string& oldPath, const std::string& resultPath,
                              const RotationCentres& k, const std::string& angleText,
                              const MessageHandler& onMessage, std::string& error) {
  PointFile old = ReadPointFile(oldPath);
  if (!old.ok) {
    error = old.error;
    return RotateOutcome::Unreadable;
  }
  std::vector<std::string> out{
      "坐标转换：",
      PrintZones({"老坐标旋转中心：", FormatPattern(k.x0, "#.0000"), FormatPattern(k.y0, "#.0000")}),
      PrintZones({"新坐标旋转中心：", FormatPattern(k.X0, "#.0000"), FormatPattern(k.Y0, "#.0000")}),
      PrintZones({"旋转角：", angleText}),
  };
  out.reserve(old.lines.size() + out.size());
  const RotationMap rotation(k);
  bool formatError = false;
  for (const auto& line : old.lines) {
    if (line.empty()) break;
    PointLine p;
    if (!SplitPointLine(line, p)) {
      formatError = true;
      break;
    }
    double X = 0, Y = 0;
    rotation.Apply(p.X, p.Y, X, Y);
    out.push_back(ResultLine(p.Name, X, Y, p.Rest));
  }
  WriteResult written = ReplaceTextFile(resultPath, out);
  if (!written.ok) {
    error = written.error;
    return RotateOutcome::WriteFailed;
  }
  if (formatError) {
    if (onMessage) onMessage("老坐标文件" + oldPath + "数据格式有错!");
    return RotateOutcome::FormatError;
  }
  return RotateOutcome::Done;
}

}  // namespace vantrel
