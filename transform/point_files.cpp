#include "transform/point_files.h"

#include <cmath>
#include <unordered_map>

#include "common/text_files.h"
#include "common/text_rules.h"
#include "transform/common_point_transform.h"

namespace vantrel {
namespace {

constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";  // what undecodable GBK becomes

void Tell(const MessageHandler& onMessage, const std::string& text) {
  if (onMessage) onMessage(text);
}

std::string FormatErrorMessage(std::string_view which, const std::string& path) {
  return std::string(which) + path + "数据格式有错";
}

// The old file's point list as the lookups see it: names up to the first empty line,
// or up to the first line that does not split (which a failed lookup then reaches).
class OldIndex {
 public:
  explicit OldIndex(const std::vector<std::string>& lines) {
    points_.reserve(lines.size());
    for (const auto& line : lines) {
      if (line.empty()) return;
      PointLine p;
      if (!SplitPointLine(line, p)) {
        formatError_ = true;
        return;
      }
      points_.push_back({p.X, p.Y});
      // emplace keeps the first line of a name: later duplicates are never seen.
      index_.emplace(std::move(p.Name), points_.size() - 1);
    }
  }
  OldLookup Find(const std::string& name, double& x, double& y) const {
    auto it = index_.find(name);
    if (it != index_.end()) {
      x = points_[it->second].first;
      y = points_[it->second].second;
      return OldLookup::Found;
    }
    return formatError_ ? OldLookup::FormatError : OldLookup::NotFound;
  }

 private:
  std::vector<std::pair<double, double>> points_;
  std::unordered_map<std::string, size_t> index_;
  bool formatError_ = false;
};

}  // namespace

bool SplitPointFields(std::string_view line, PointFields& out) {
  // Fields end at a space; the end of the line counts as one more space.
  std::string_view w = line;
  std::string_view* fields[3] = {&out.Name, &out.XText, &out.YText};
  for (std::string_view* field : fields) {
    const size_t start = w.find_first_not_of(' ');
    if (start == std::string_view::npos) {
      *field = {};
      w = {};
      continue;
    }
    w.remove_prefix(start);
    const size_t space = w.find(' ');
    if (space == std::string_view::npos) {
      *field = TrimBlanks(w);
      w = {};
    } else {
      *field = TrimBlanks(w.substr(0, space));
      w.remove_prefix(space + 1);
    }
  }
  out.Rest = TrimBlanks(w);
  return !out.Name.empty() && IsNumeric(out.XText) && IsNumeric(out.YText);
}

bool SplitPointLine(std::string_view line, PointLine& out) {
  PointFields f;
  const bool valid = SplitPointFields(line, f);
  out.Name.assign(f.Name);
  out.XText.assign(f.XText);
  out.YText.assign(f.YText);
  out.Rest.assign(f.Rest);
  out.X = valid ? ReadLenient(f.XText) : 0;
  out.Y = valid ? ReadLenient(f.YText) : 0;
  return valid;
}

PointFile ReadPointFile(const std::string& path) {
  PointFile file;
  TextFileResult read = ReadTextFile(path);
  if (!read.ok) {
    file.error = read.error;
    return file;
  }
  // GBK holds no U+FFFD, so one in the decoded text marks bytes that are not GBK.
  for (const auto& line : read.lines) {
    if (line.find(kReplacementChar) != std::string::npos) {
      file.error = "文件内容不是GBK文本";
      return file;
    }
  }
  file.lines = std::move(read.lines);
  file.ok = true;
  return file;
}

std::string UnreadableFileMessage(std::string_view which, const std::string& path,
                                  const std::string& reason) {
  return "不能读取" + std::string(which) + path + "：" + reason;
}

OldLookup T_Co_Old(const std::string& name, const std::string& oldPath, double& x, double& y,
                   const MessageHandler& onMessage) {
  PointFile old = ReadPointFile(oldPath);
  if (!old.ok) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, old.error));
    return OldLookup::Unreadable;
  }
  for (const auto& line : old.lines) {
    if (line.empty()) return OldLookup::NotFound;
    PointLine p;
    if (!SplitPointLine(line, p)) {
      Tell(onMessage, FormatErrorMessage("老坐标文件", oldPath));
      return OldLookup::FormatError;
    }
    if (p.Name == name) {
      x = p.X;
      y = p.Y;
      return OldLookup::Found;
    }
  }
  return OldLookup::NotFound;
}

GatherOutcome T_Co_New(const std::string& oldPath, const std::string& newPath,
                       const std::string& /*oldSystemName*/, const std::string& /*newSystemName*/,
                       TransformState& state, const MessageHandler& onMessage) {
  PointFile newFile = ReadPointFile(newPath);
  if (!newFile.ok) {
    Tell(onMessage, UnreadableFileMessage("新坐标文件", newPath, newFile.error));
    return GatherOutcome::Unreadable;
  }
  PointFile oldFile = ReadPointFile(oldPath);
  if (!oldFile.ok) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, oldFile.error));
    return GatherOutcome::Unreadable;
  }
  const OldIndex old(oldFile.lines);

  state.CommonPoints.clear();
  state.CommonFound = 0;
  for (const auto& line : newFile.lines) {
    if (line.empty()) break;
    PointLine p;
    if (!SplitPointLine(line, p)) {
      Tell(onMessage, FormatErrorMessage("新坐标文件", newPath));
      return GatherOutcome::NewFormatError;
    }
    double xOld = 0, yOld = 0;
    switch (old.Find(p.Name, xOld, yOld)) {
      case OldLookup::Found:
        ++state.CommonFound;
        if (state.CommonCount() < kMaxCommonPoints)
          state.CommonPoints.push_back({std::move(p.Name), p.X, p.Y, xOld, yOld});
        break;
      case OldLookup::FormatError:
        Tell(onMessage, FormatErrorMessage("老坐标文件", oldPath));
        return GatherOutcome::OldFormatError;
      default:
        break;
    }
  }
  return GatherOutcome::Done;
}

std::string ResultLine(const std::string& name, double X, double Y, const std::string& rest) {
  return PrintZones({name, FormatPattern(X, "#.0000"), FormatPattern(Y, "#.0000"), rest});
}

AppendOutcome T_Co_Rotate(const std::string& oldPath, const std::string& newPath,
                          const TransformState& state, const MessageHandler& onMessage,
                          std::string* writeError) {
  PointFile old = ReadPointFile(oldPath);
  if (!old.ok) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, old.error));
    return AppendOutcome::Unreadable;
  }
  const PlaneSimilarity transform(state.TransParam);

  std::vector<std::string> block{"", "", "旋转后结果"};
  block.reserve(old.lines.size() + 3);
  bool formatError = false;
  for (const auto& line : old.lines) {
    if (IsBlank(line)) break;
    PointLine p;
    if (!SplitPointLine(line, p)) {
      formatError = true;
      break;
    }
    double X = 0, Y = 0;
    transform.Apply(p.X, p.Y, X, Y);
    block.push_back(ResultLine(p.Name, X, Y, p.Rest));
  }
  // The lines before a faulty one are kept, as a reader going line by line would leave them.
  WriteResult written = WriteTextFile(newPath, block, /*append=*/true);
  if (!written.ok) {
    if (writeError) *writeError = written.error;
    return AppendOutcome::WriteFailed;
  }
  if (formatError) {
    Tell(onMessage, FormatErrorMessage("老坐标文件", oldPath));
    return AppendOutcome::OldFormatError;
  }
  return AppendOutcome::Done;
}

}  // namespace vantrel
