#pragma once
// The stakeout data file: one design point a line, "name X Y H [code] [ignored...]"
// separated by runs of spaces (a tab belongs to its field), GBK text, CR LF line ends.
// Reading stops at the first empty line; points typed by hand are appended as
// "name X Y H Add" lines.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

struct StakePoint {
  std::string PtName;
  double PtX = 0;
  double PtY = 0;
  double PtH = 0;
  std::string PtCode;
};

// The six fields of one data line: name, X, Y, H, code and the ignored rest, each with
// the spaces around it removed. Missing fields are empty.
std::array<std::string, 6> SplitStakeLine(std::string_view line);

struct StakeLoad {
  std::vector<StakePoint> points;  // in file order, up to the first bad line
  bool complete = true;            // false when a line's X, Y or H is not a number
  int badLine = 0;                 // 1-based number of that line when !complete
};

// Reads decoded lines up to the first empty one. X, Y and H are read by the strict rule;
// the first line where one of them fails ends the load, keeping the points before it.
StakeLoad ParseStakeoutLines(const std::vector<std::string>& lines);

struct StakeFileRead {
  bool opened = false;
  std::string error;  // why the file could not be read, in plain words
  StakeLoad load;
};

StakeFileRead ReadStakeoutFile(const std::string& path);

// The line recorded for a point typed by hand: the four texts as typed, then "Add".
std::string StakeAddLine(const std::string& name, const std::string& x, const std::string& y,
                         const std::string& h);

struct StakeAppend {
  bool ok = false;
  std::string error;
};

// Appends the lines (UTF-8) to the data file as GBK with CR LF. A file whose last line
// has no line end gets one first, so the new point never runs into the last point.
StakeAppend AppendStakeoutLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vantrel
