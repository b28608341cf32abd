#pragma once
// Coordinate point files: one point per line, "name X Y [remark...]" separated by
// spaces, GBK text with CR LF line ends. The list ends at the first line that ends it
// (each reader says which) or at the end of the file.
//
//   P1   100.5 200.25 boundary stone    -> Name P1, X 100.5, Y 200.25, Rest "boundary stone"
//
// The readers report format errors through the caller's message handler, as the
// calculator shows them: "老坐标文件<path>数据格式有错" and the like. Files are read line
// by line as the list goes: a line with bytes that are not GBK stops a reader only when it
// reaches that line ("不能读取老坐标文件<path>：第N行不是GBK文本"), like a line that is no
// point line; the lines before it are used.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "transform/transform_state.h"

namespace vantrel {

struct PointLine {
  std::string Name;
  std::string XText;
  std::string YText;
  std::string Rest;   // what follows the third field, blanks around it removed
  double X = 0;       // XText and YText by the lenient rule, set when the line is valid
  double Y = 0;
};

// Splits one line (UTF-8, no line end). Only the space separates fields; a tab stays in
// the field it stands in. Valid when Name is not empty and XText and YText pass the
// strict numeric test.
bool SplitPointLine(std::string_view line, PointLine& out);

// The same split without copies: views into the line, valid as long as it is.
struct PointFields {
  std::string_view Name, XText, YText, Rest;
};
bool SplitPointFields(std::string_view line, PointFields& out);

// A whole point file read into memory and decoded, for callers that want all of it (the
// dialogs' readers go line by line instead). `error` holds a plain-words reason when it
// cannot be read: missing, a folder, unreadable, or bytes anywhere that are not GBK text.
struct PointFile {
  bool ok = false;
  std::string error;
  std::vector<std::string> lines;
};
PointFile ReadPointFile(const std::string& path);

// One line of a point file as its GBK bytes come: the fields as views of the bytes and,
// for a point line, its coordinates.
struct PointRecord {
  PointFields fields;
  double X = 0, Y = 0;
};
enum class LineRead { Point, NotAPoint, NotGbk };
LineRead ReadPointRecord(std::string_view gbkLine, PointRecord& out);
// The same test without the coordinates, for a reader that needs only a few of them.
LineRead CheckPointLine(std::string_view gbkLine, PointFields& out);

// The message shown when a point file cannot be read, e.g.
// "不能读取老坐标文件/x/old.txt：文件或路径不存在".
std::string UnreadableFileMessage(std::string_view which, const std::string& path,
                                  const std::string& reason);

enum class OldLookup { Found = 0, NotFound = 1, FormatError = 2, Unreadable = 3 };

// Looks one name up in the old file: the first line with that exact name wins; the
// search ends, not found, at the end of the file or at an empty line; a line that does
// not split is a format error. Unreadable is reported through onMessage as well.
OldLookup T_Co_Old(const std::string& name, const std::string& oldPath, double& x, double& y,
                   const MessageHandler& onMessage = {});

// A faulty line is one that is no point line or is not GBK text.
enum class GatherOutcome {
  Done,             // the new file's list ended normally
  NewFormatError,   // stopped at a faulty new-file line (points before it kept)
  OldFormatError,   // a lookup reached a faulty old-file line (points before it kept)
  Unreadable,       // a file could not be read: the state is left as it was
  Cancelled,        // the progress handler said stop: the state is left as it was
};

// Gathers the common points into state.CommonPoints in the new file's order, at most
// kMaxCommonPoints of them, duplicates kept; state.CommonFound counts every one found.
// Reads each file once and gives exactly the results and messages of looking each
// new-file name up in the old file from its start. The coordinate-system names take no
// part in the work.
GatherOutcome T_Co_New(const std::string& oldPath, const std::string& newPath,
                       const std::string& oldSystemName, const std::string& newSystemName,
                       TransformState& state, const MessageHandler& onMessage = {},
                       const ProgressHandler& progress = {});

enum class AppendOutcome {
  Done,             // every old point transformed and appended
  OldFormatError,   // stopped at a faulty old-file line; the lines before it were appended
  Unreadable,       // the old file could not be read: the new file is untouched
  WriteFailed,      // the new file could not be written: it holds what it held before
  Cancelled,        // the progress handler said stop: the new file holds what it held
};

// One result line of four print-zone items: name, X and Y with "#.0000", and the remark.
// An empty remark is still an item, so the line runs on in blanks to its zone.
// The line is added to `out` as GBK bytes (name and remark as they came) with its CR LF.
void AppendResultLine(std::string& out, std::string_view gbkName, double X, double Y,
                      std::string_view gbkRest);
// The same line as UTF-8 text without its end, for callers that write text themselves.
std::string ResultLine(const std::string& name, double X, double Y, const std::string& rest);

// Transforms every point of the old file with state.TransParam and appends the block
// (two empty lines, "旋转后结果", one line per point) to the new file. The old list ends
// at the end of the file or at a line that is empty once blanks are removed.
AppendOutcome T_Co_Rotate(const std::string& oldPath, const std::string& newPath,
                          const TransformState& state, const MessageHandler& onMessage = {},
                          std::string* writeError = nullptr,
                          const ProgressHandler& progress = {});

// The message for a line a reader reached that is not GBK text, e.g.
// "不能读取老坐标文件/x/old.txt：第12行不是GBK文本".
std::string NotGbkLineMessage(std::string_view which, const std::string& path,
                              std::uint64_t lineNumber);

}  // namespace vantrel
