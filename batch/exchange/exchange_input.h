#pragma once
// An input in an exchange format made ready for the streamed conversions, which read point
// files and CSV: a .dat file is read as CSV as it stands; DXF, GeoJSON and KML are read whole
// and their points become a tab-separated CSV text (name, the two coordinates in the order
// the commands read them, H, code, remark), with the line of each point in the original file
// so that messages name that file and line.
#include <string>

#include "batch/exchange/row_writers.h"

namespace vantrel::batch {

struct ExchangeInput {
  // The layout the stream reads it with.
  Layout layout = Layout::Csv;
  char delimiter = ',';
  std::vector<std::string> columns;  // .dat: the fields by position (no header line)
  RowSource source;                  // where a writer finds the code and the height
  // DXF, GeoJSON, KML: the CSV text to stream instead of the file, and for RunOptions::sources
  // the file's name and the line of each CSV line there (its header is line 1). Empty for .dat.
  std::string csv;
  RunOptions::Source lines;
};

// Why a command cannot take files of this format ("" when it can): it does not read the
// coordinates the format holds (plane x y for a command reading B L, say).
std::string ExchangeInputProblem(PointFormat format, const Command& command);

// False with `error` ("FILE:LINE: reason", or ExchangeInputProblem's sentence) when the file
// cannot be read or the command cannot take it. `bytes` is needed for DXF, GeoJSON and KML only.
bool PrepareExchangeInput(PointFormat format, std::string_view bytes, const std::string& name,
                          const Command& command, ExchangeInput& input, std::string& error);

}  // namespace vantrel::batch
