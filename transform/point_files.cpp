#include "transform/point_files.h"

#include <cmath>
#include <optional>
#include <functional>
#include <vector>

#include "common/file_replace.h"
#include "common/line_reader.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "transform/common_point_transform.h"

// The readers work on the files' GBK bytes and decode only the few names they keep. That
// gives what decoding every line first gave: the fields are cut at spaces and tabs, which
// are never part of a GBK character; GBK decoding is one to one, so names compare alike
// as bytes and as text; and GBK text decoded and encoded again is the same bytes.

namespace vantrel {
namespace {

void Tell(const MessageHandler& onMessage, const std::string& text) {
  if (onMessage) onMessage(text);
}

std::string FormatErrorMessage(std::string_view which, const std::string& path) {
  return std::string(which) + path + "数据格式有错";
}

// Where and why a reader stopped before the end of its list.
struct Stop {
  enum Kind { None, NotAPoint, NotGbk } kind = None;
  std::uint64_t line = 0;
  void Tell(const MessageHandler& onMessage, std::string_view which, const std::string& path) const {
    if (kind == NotAPoint) vantrel::Tell(onMessage, FormatErrorMessage(which, path));
    if (kind == NotGbk) vantrel::Tell(onMessage, NotGbkLineMessage(which, path, line));
  }
};

Stop StopAt(LineRead read, std::uint64_t line) {
  return {read == LineRead::NotGbk ? Stop::NotGbk : Stop::NotAPoint, line};
}

// The fields of a point line: each ends at a space, and the end of the line counts as one
// more space.
void CutPointFields(std::string_view line, PointFields& out) {
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
}

// A point's coordinates by the strict rule: for a valid field the lenient rule reads the
// same number, since such a field holds the number and nothing else.
bool ReadCoordinates(const PointFields& f, double& x, double& y) {
  if (f.Name.empty()) return false;
  const std::optional<double> vx = ReadStrict(f.XText);
  if (!vx) return false;
  const std::optional<double> vy = ReadStrict(f.YText);
  if (!vy) return false;
  x = *vx;
  y = *vy;
  return true;
}

// The names the new file asks for, each with its first position: an open-addressing table,
// since nine in ten old lines look up a name that is not there and a miss must be cheap.
class NameTable {
 public:
  explicit NameTable(size_t names) {
    size_t size = 16;
    while (size < 2 * names) size *= 2;
    slots_.assign(size, Slot{});
    mask_ = size - 1;
  }
  // The name's number, a new one (the count so far) when it was not there yet.
  size_t Add(std::string_view name) {
    const size_t h = std::hash<std::string_view>{}(name);
    for (size_t i = h & mask_;; i = (i + 1) & mask_) {
      Slot& s = slots_[i];
      if (s.entry == 0) {
        names_.push_back(name);
        s = {static_cast<std::uint32_t>(h >> 32), static_cast<std::uint32_t>(names_.size())};
        return names_.size() - 1;
      }
      if (s.tag == static_cast<std::uint32_t>(h >> 32) && names_[s.entry - 1] == name) return s.entry - 1;
    }
  }
  // The name's number, or npos.
  size_t Find(std::string_view name) const {
    const size_t h = std::hash<std::string_view>{}(name);
    for (size_t i = h & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.entry == 0) return std::string_view::npos;
      if (s.tag == static_cast<std::uint32_t>(h >> 32) && names_[s.entry - 1] == name) return s.entry - 1;
    }
  }
  size_t size() const { return names_.size(); }

 private:
  struct Slot {
    std::uint32_t tag = 0;    // high bits of the hash, compared before the name
    std::uint32_t entry = 0;  // the name's number + 1; 0 for an empty slot
  };
  std::vector<Slot> slots_;
  std::vector<std::string_view> names_;
  size_t mask_ = 0;
};

const std::string& ResultHeading() {
  static const std::string heading = "\r\n\r\n" + Utf8ToGbk("旋转后结果") + "\r\n";
  return heading;
}

}  // namespace

bool SplitPointFields(std::string_view line, PointFields& out) {
  CutPointFields(line, out);
  return !out.Name.empty() && IsNumeric(out.XText) && IsNumeric(out.YText);
}

bool SplitPointLine(std::string_view line, PointLine& out) {
  PointFields f;
  CutPointFields(line, f);
  double x = 0, y = 0;
  const bool valid = ReadCoordinates(f, x, y);
  out.Name.assign(f.Name);
  out.XText.assign(f.XText);
  out.YText.assign(f.YText);
  out.Rest.assign(f.Rest);
  out.X = x;
  out.Y = y;
  return valid;
}

LineRead ReadPointRecord(std::string_view gbkLine, PointRecord& out) {
  if (!IsGbkText(gbkLine)) return LineRead::NotGbk;
  CutPointFields(gbkLine, out.fields);
  return ReadCoordinates(out.fields, out.X, out.Y) ? LineRead::Point : LineRead::NotAPoint;
}

LineRead CheckPointLine(std::string_view gbkLine, PointFields& out) {
  if (!IsGbkText(gbkLine)) return LineRead::NotGbk;
  return SplitPointFields(gbkLine, out) ? LineRead::Point : LineRead::NotAPoint;
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
    if (line.find("\xEF\xBF\xBD") != std::string::npos) {
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

std::string NotGbkLineMessage(std::string_view which, const std::string& path,
                              std::uint64_t lineNumber) {
  return UnreadableFileMessage(which, path, "第" + std::to_string(lineNumber) + "行不是GBK文本");
}

OldLookup T_Co_Old(const std::string& name, const std::string& oldPath, double& x, double& y,
                   const MessageHandler& onMessage) {
  LineReader old(oldPath);
  PointRecord p;
  for (std::string_view line; old.Next(line);) {
    if (line.empty()) return OldLookup::NotFound;
    const LineRead read = ReadPointRecord(line, p);
    if (read != LineRead::Point) {
      StopAt(read, old.lineNumber()).Tell(onMessage, "老坐标文件", oldPath);
      return OldLookup::FormatError;
    }
    if (GbkToUtf8(p.fields.Name) == name) {
      x = p.X;
      y = p.Y;
      return OldLookup::Found;
    }
  }
  if (!old.ok()) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, old.error()));
    return OldLookup::Unreadable;
  }
  return OldLookup::NotFound;
}

GatherOutcome T_Co_New(const std::string& oldPath, const std::string& newPath,
                       const std::string& /*oldSystemName*/, const std::string& /*newSystemName*/,
                       TransformState& state, const MessageHandler& onMessage,
                       const ProgressHandler& progress) {
  LineReader newFile(newPath);
  if (!newFile.ok()) {
    Tell(onMessage, UnreadableFileMessage("新坐标文件", newPath, newFile.error()));
    return GatherOutcome::Unreadable;
  }
  LineReader oldFile(oldPath);
  if (!oldFile.ok()) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, oldFile.error()));
    return GatherOutcome::Unreadable;
  }
  const std::uint64_t newSize = newFile.size().value_or(0);
  ProgressTicker ticker(progress, newSize + oldFile.size().value_or(0));

  // The new file's list, up to its end or its first faulty line.
  struct Wanted {
    std::string name;  // GBK
    double x, y;
    size_t match;      // index into `found`
  };
  std::vector<Wanted> wanted;
  Stop newStop;
  PointRecord p;
  for (std::string_view line; newFile.Next(line);) {
    if (line.empty()) break;
    const LineRead read = ReadPointRecord(line, p);
    if (read != LineRead::Point) {
      newStop = StopAt(read, newFile.lineNumber());
      break;
    }
    wanted.push_back({std::string(p.fields.Name), p.X, p.Y, 0});
    if (!ticker.Tick(newFile.consumed())) return GatherOutcome::Cancelled;
  }
  if (!newFile.ok()) {
    Tell(onMessage, UnreadableFileMessage("新坐标文件", newPath, newFile.error()));
    return GatherOutcome::Unreadable;
  }

  // Each wanted name looked up once: the old file is read until every name has its first
  // line, or to the end of its list, or to the faulty line a lookup from the start would
  // stop at.
  NameTable byName(wanted.size());
  for (Wanted& w : wanted) w.match = byName.Add(w.name);
  std::vector<std::optional<std::pair<double, double>>> found(byName.size());
  size_t missing = byName.size();
  Stop oldStop;
  for (std::string_view line; missing > 0 && oldFile.Next(line);) {
    if (line.empty()) break;
    const LineRead read = CheckPointLine(line, p.fields);
    if (read != LineRead::Point) {
      oldStop = StopAt(read, oldFile.lineNumber());
      break;
    }
    // Most old lines are not asked for: only their validity counts.
    const size_t n = byName.Find(p.fields.Name);
    if (n != std::string_view::npos && !found[n]) {
      ReadCoordinates(p.fields, p.X, p.Y);
      found[n] = std::make_pair(p.X, p.Y);
      --missing;
    }
    if (!ticker.Tick(newSize + oldFile.consumed())) return GatherOutcome::Cancelled;
  }
  if (!oldFile.ok()) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, oldFile.error()));
    return GatherOutcome::Unreadable;
  }

  // The new file's order, as one lookup per line from the old file's start would go.
  state.CommonPoints.clear();
  state.CommonFound = 0;
  for (const Wanted& w : wanted) {
    const auto& old = found[w.match];
    if (!old) {
      if (oldStop.kind == Stop::None) continue;
      oldStop.Tell(onMessage, "老坐标文件", oldPath);
      return GatherOutcome::OldFormatError;
    }
    ++state.CommonFound;
    if (state.CommonCount() < kMaxCommonPoints)
      state.CommonPoints.push_back({GbkToUtf8(w.name), w.x, w.y, old->first, old->second});
  }
  if (newStop.kind != Stop::None) {
    newStop.Tell(onMessage, "新坐标文件", newPath);
    return GatherOutcome::NewFormatError;
  }
  return GatherOutcome::Done;
}

std::string ResultLine(const std::string& name, double X, double Y, const std::string& rest) {
  return PrintZones({name, FormatPattern(X, "#.0000"), FormatPattern(Y, "#.0000"), rest});
}

void AppendResultLine(std::string& out, std::string_view gbkName, double X, double Y,
                      std::string_view gbkRest) {
  AppendPrintZones(out, {gbkName, FormatPattern(X, "#.0000"), FormatPattern(Y, "#.0000"), gbkRest});
  out += "\r\n";
}

AppendOutcome T_Co_Rotate(const std::string& oldPath, const std::string& newPath,
                          const TransformState& state, const MessageHandler& onMessage,
                          std::string* writeError, const ProgressHandler& progress) {
  LineReader old(oldPath);
  if (!old.ok()) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, old.error()));
    return AppendOutcome::Unreadable;
  }
  // Nothing shows in the new file until the whole block is there: a failure or a cancel
  // takes it back.
  FileAppend out(newPath);
  if (!out.ok()) {
    if (writeError) *writeError = out.error();
    return AppendOutcome::WriteFailed;
  }
  const PlaneSimilarity transform(state.TransParam);
  ProgressTicker ticker(progress, old.size().value_or(0));

  std::string block = ResultHeading();
  Stop stop;
  PointRecord p;
  for (std::string_view line; old.Next(line);) {
    if (IsBlank(line)) break;
    const LineRead read = ReadPointRecord(line, p);
    if (read != LineRead::Point) {
      stop = StopAt(read, old.lineNumber());
      break;
    }
    double X = 0, Y = 0;
    transform.Apply(p.X, p.Y, X, Y);
    AppendResultLine(block, p.fields.Name, X, Y, p.fields.Rest);
    if (block.size() >= (1u << 16)) {
      out.Write(block);
      block.clear();
    }
    if (!ticker.Tick(old.consumed())) return AppendOutcome::Cancelled;
  }
  if (!old.ok()) {
    Tell(onMessage, UnreadableFileMessage("老坐标文件", oldPath, old.error()));
    return AppendOutcome::Unreadable;
  }
  // The lines before a faulty one are kept, as a reader going line by line would leave them.
  if (!out.Write(block) || !out.Commit()) {
    if (writeError) *writeError = out.error();
    return AppendOutcome::WriteFailed;
  }
  if (stop.kind != Stop::None) {
    stop.Tell(onMessage, "老坐标文件", oldPath);
    return AppendOutcome::OldFormatError;
  }
  return AppendOutcome::Done;
}

}  // namespace vantrel
