#pragma once
// The streamed conversions written in an exchange format: the points a Command computes go
// to a writer of .dat, DXF, GeoJSON or KML instead of the input's layout.
#include <memory>
#include <string>

#include "batch/exchange/point_formats.h"
#include "batch/stream.h"

namespace vantrel::batch {

// Where a CSV input keeps what the formats have a place for (.dat read as CSV: the code is
// field 1, the height field 4); -1 for none.
struct RowSource {
  int codeField = -1;
  int heightField = -1;
};

// A writer for the command's outputs, or null with `error` (Chinese, for a usage message):
// .dat and DXF take plane x and y (outputs x, y or xg, yg), GeoJSON and KML longitude and
// latitude (outputs B and L). The height is the output H (or hg), else the CSV field the
// source names, else a point line's first word after the inputs when it is a number (the
// rest of the line is then the remark).
std::unique_ptr<RowWriter> MakeRowWriter(PointFormat format, const Command& command, const RowSource& source,
                                         std::string& error);

}  // namespace vantrel::batch
