#include "transform/rotation_transform.h"

#include <cmath>

#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "transform/point_files.h"

namespace vantrel {

RotationMap::RotationMap(const RotationCentres& centres)
    : k_(centres), c_(std::cos(centres.theta)), s_(std::sin(centres.theta)) {}

RotateOutcome RotatePointFile(const std::string& oldPath, const std::string& resultPath,
                              const RotationCentres& k, const std::string& angleText,
                              const MessageHandler& onMessage, std::string& error,
                              const ProgressHandler& progress) {
  LineReader old(oldPath);
  if (!old.ok()) {
    error = old.error();
    return RotateOutcome::Unreadable;
  }
  // The old result stays until the new one is whole: a failure or a cancel keeps it.
  FileReplacement out(resultPath);
  if (!out.ok()) {
    error = out.error();
    return RotateOutcome::WriteFailed;
  }
  std::string block;
  for (const std::string& line :
       {std::string("坐标转换："),
        PrintZones({"老坐标旋转中心：", FormatPattern(k.x0, "#.0000"), FormatPattern(k.y0, "#.0000")}),
        PrintZones({"新坐标旋转中心：", FormatPattern(k.X0, "#.0000"), FormatPattern(k.Y0, "#.0000")}),
        PrintZones({"旋转角：", angleText})})
    block += Utf8ToGbk(line) + "\r\n";

  const RotationMap rotation(k);
  ProgressTicker ticker(progress, old.size().value_or(0));
  LineRead stop = LineRead::Point;
  std::uint64_t stopLine = 0;
  PointRecord p;
  for (std::string_view line; old.Next(line);) {
    if (line.empty()) break;
    const LineRead read = ReadPointRecord(line, p);
    if (read != LineRead::Point) {
      stop = read;
      stopLine = old.lineNumber();
      break;
    }
    double X = 0, Y = 0;
    rotation.Apply(p.X, p.Y, X, Y);
    AppendResultLine(block, p.fields.Name, X, Y, p.fields.Rest);
    if (block.size() >= (1u << 16)) {
      out.Write(block);
      block.clear();
    }
    if (!ticker.Tick(old.consumed())) return RotateOutcome::Cancelled;
  }
  if (!old.ok()) {
    error = old.error();
    return RotateOutcome::Unreadable;
  }
  // The lines before a faulty one are written, as a reader going line by line leaves them;
  // a line that is not GBK text is never written back, so no remark comes out mangled.
  if (!out.Write(block) || !out.Commit()) {
    error = out.error();
    return RotateOutcome::WriteFailed;
  }
  if (stop == LineRead::NotAPoint && onMessage) onMessage("老坐标文件" + oldPath + "数据格式有错!");
  if (stop == LineRead::NotGbk && onMessage) onMessage(NotGbkLineMessage("老坐标文件", oldPath, stopLine));
  return stop == LineRead::Point ? RotateOutcome::Done : RotateOutcome::FormatError;
}

}  // namespace vantrel
