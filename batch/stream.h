#pragma once
// Whole files through one conversion, streamed in blocks of lines: memory stays flat
// whatever the size, the output keeps the input's order, layout, line ends and encoding,
// names and remarks pass byte for byte, and a line that cannot be converted is reported as
// "FILE:LINE: reason" in the dialogs' words. So is a line with a number the command does
// not read that is NaN, infinite or too large for a double (a height beside B and L, say):
// in point files the numbers after the inputs up to the remark's first word, in CSV every
// field but the first.
//
// A Command says which numbers a line holds (its input columns, in the order a point line
// gives them after the name), what is written in their place (computed values through a
// text rule, or an input column copied as it stands) and the kernel that turns the one
// into the other over a whole block of points, usually one of the array functions of
// batch/conversions.h.
#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/conversions.h"
#include "batch/layout.h"
#include "batch/records.h"
#include "common/messages.h"

namespace vantrel::batch {

// Turns a value into its text, appending it (a text rule of common/ or AngleText).
using Formatter = std::function<void(std::string& out, double value)>;

struct OutputColumn {
  std::string name;
  Formatter format;     // a computed value: output `value` of the kernel
  int value = -1;
  int copyInput = -1;   // or the text of this input column, as it stood
};

// in[k][i] is input column k of point i, out[j][i] output value j; status[i] as in
// batch/conversions.h.
using Kernel = std::function<void(std::span<const std::span<const double>> in,
                                  std::span<const std::span<double>> out,
                                  std::span<Status> status)>;

struct Command {
  std::vector<InputColumn> inputs;
  std::vector<OutputColumn> outputs;
  int values = 0;  // number of computed output values
  Kernel kernel;
  // Point files: the remark's print zone is laid out even when there is no remark, as the
  // plane transformations' result lines are.
  bool remarkZone = false;
};

// A converted point as a format writer (batch/exchange) takes it, in place of the line the
// input's layout would give: the name, each output column's text and value, and the rest of
// the line (point files: what followed the inputs; CSV: every field, as text).
struct PointRow {
  std::string_view name;
  std::span<const std::string> texts;
  std::span<const double> values;
  std::string_view rest;
  std::span<const std::string> fields;
};

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual std::string Head() = 0;
  // Appends the point's entry to `out`; else the reason it cannot be written.
  virtual std::string Row(const PointRow& row, std::string& out) = 0;
  virtual std::string Tail() = 0;
};

struct RunOptions {
  std::vector<std::string> inputs;      // paths; "-" is standard input
  std::string output;                   // "" is standard output
  bool skipBadLines = false;            // report and go on (else stop at the first)
  bool strict = false;                  // a point computed with a warning is a bad line too
  unsigned jobs = 1;                    // worker threads; output stays in input order
  bool quiet = false;                   // no progress bar even on a terminal
  std::optional<Layout> layout;         // else told from the name and first line
  std::optional<char> delimiter;        // CSV delimiter, else guessed
  std::vector<std::string> columns;     // CSV column names by position; no header line then
  std::size_t block = std::size_t{1} << 20;  // bytes of lines per block
  int errorFd = 2;                      // messages and the progress bar
  int outputFd = 1;                     // standard output
  // Set (by a signal handler, say) to stop between blocks: the run ends as failed, and an
  // output file is left as it was, without a temporary beside it.
  const volatile std::sig_atomic_t* cancel = nullptr;
  // A window's progress dialog: asked after each block with the bytes read of all inputs
  // (total 0 when unknown); false stops the run as `cancel` does.
  ProgressHandler progress;
  // Messages go here instead of errorFd (a window shows them), each without its line end.
  MessageHandler messages;
  // Points go to this writer instead (another file format); blank and '#' lines are dropped.
  RowWriter* rowWriter = nullptr;
  // Inputs made from a file of another format (a CSV of its points): keyed by the path in
  // `inputs`, the file messages name instead and the line of each of its lines there.
  struct Source {
    std::string name;
    std::vector<std::uint64_t> lines;
  };
  std::map<std::string, Source> sources;
};

struct RunResult {
  int exitCode = 0;          // 0 all converted, 1 a line or a file failed
  std::uint64_t points = 0;  // points converted
  std::uint64_t failed = 0;  // lines reported
  std::uint64_t warned = 0;  // points written with a warning (IsWarning)
  std::map<Status, std::uint64_t> warnings;  // the same by warning
  bool cancelled = false;    // stopped by `cancel` or `progress`
  bool written = false;      // the output was written whole (else a file is left as it was)
};

RunResult RunCommand(const Command& command, const RunOptions& options);

// The text rules as formatters.
Formatter PatternFormat(std::string pattern);   // FormatPattern
Formatter GeneralFormat();                      // GeneralNumberText
Formatter AngleFormat(AngleUnit unit);          // AngleText

// The name messages give an input: "<stdin>" for "-", standard input.
inline constexpr std::string_view kStdinName = "<stdin>";
std::string InputName(const std::string& path);
// "不能写入PATH：ERROR", the message of an output that could not be written.
std::string CannotWriteMessage(const std::string& path, const std::string& error);

// "#.000" for 3 decimals, "#" for none: the dialogs' pattern with another count.
std::string DecimalsPattern(int decimals);

}  // namespace vantrel::batch
