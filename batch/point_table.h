#pragma once
// A whole point file or CSV read into a table, for callers that want the points rather than
// a converted file (the Python module). The layout is decided as the streaming conversions
// decide it (batch/layout.h), with the plane columns x (north) and y (east) as the wanted
// ones; every number of a line is kept.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/layout.h"

namespace vantrel::batch {

struct PointTable {
  Layout layout = Layout::Points;
  // Delimited with a header (or --columns): the header names of the value columns, x's and
  // y's first. Point files and headerless delimited files have none.
  std::vector<std::string> columns;
  std::vector<std::string_view> names;  // the file's bytes, as they stand
  std::vector<std::string> remarks;     // likewise
  // Per point x, y, then the other numbers: for point files the numbers after y up to the
  // first word that is none (the rest is the remark); for delimited files every other
  // column whose fields are all numbers or empty (an empty field is NaN), the remaining
  // columns making the remark, joined by the delimiter as they stood.
  std::vector<std::vector<double>> values;
  std::vector<std::uint64_t> lines;  // the line of each point, from 1
  // Delimited: a column of numbers with a field that is none (a typo, say) went whole into
  // the remark; one sentence each, naming the column and the line, for the caller to pass on.
  std::vector<std::string> notes;
};

struct PointTableRead {
  bool ok = false;
  std::uint64_t line = 0;  // the faulty line, when not ok
  std::string reason;      // "数据格式有错", or what the header lacks
  PointTable table;
};

// Blank lines, and the '#' remark lines of point files, are skipped. A line without a name,
// an x and a y that are numbers is the fault. `bytes` must outlive the table.
PointTableRead ReadPointTable(std::string_view bytes, const std::string& path, const LayoutChoice& choice);

}  // namespace vantrel::batch
