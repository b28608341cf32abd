#pragma once
// The open traverse: one leg from a station, its back-sight direction, a turning angle
// and a side; the result file the legs are appended to (GBK, CR LF, print zones); and
// the reading and scaling of that file for the traverse diagram.
#include <string>
#include <vector>

#include "common/text_files.h"

namespace vantrel {

struct TraverseLeg {
  double x = 0, y = 0;          // the new point
  double azimuth = 0;           // forward azimuth station -> new point, in [0, 2pi]
  double leftAngle = 0;         // the turning angle as a left angle
  double reverseAzimuth = 0;    // new point -> station, the next leg's back-sight
};

// backAzimuth: station -> back-sight point; angle: the observed turning angle (radians),
// a left angle when isLeftAngle, else a right angle.
TraverseLeg ComputeTraverseLeg(double x0, double y0, double backAzimuth, double angle,
                               bool isLeftAngle, double side);

// The two heading lines differ in the X0/Y0 headings: one set is written when the
// dialog creates its default file, the other when the user chooses a file.
enum class TraverseHeadings { Default, Chosen };

std::vector<std::string> TraverseFileHead(TraverseHeadings headings);

struct TraverseRecord {
  std::string name;
  double x = 0, y = 0;       // new point
  double x0 = 0, y0 = 0;     // station
  double backAzimuth = 0;    // radians
  double side = 0;
  double leftAngle = 0;      // radians
};

// One record line (UTF-8, no line end).
std::string TraverseRecordLine(const TraverseRecord& record);

// Creates the file with its two head lines, or replaces it whole: a failure leaves the
// file that stood there as it was.
WriteResult CreateTraverseFile(const std::string& path, TraverseHeadings headings);
// Appends one record line; never truncates what the file held.
WriteResult AppendTraverseRecord(const std::string& path, const TraverseRecord& record);

// A record as the diagram reads it back: the eight blank-separated fields, numbers by
// the lenient rule, the azimuth field as packed D.MMSS.
struct NetRecord {
  std::string name;
  double x = 0, y = 0, x0 = 0, y0 = 0;
  double backAzimuth = 0;  // radians
  double side = 0;
  double turnDms = 0;      // packed, read but not drawn
};

inline constexpr int kMaxNetRecords = 20;

struct NetReadResult {
  std::vector<NetRecord> records;  // at most kMaxNetRecords
  int total = 0;                   // records in the file, counting those beyond the limit
};

// Parses the file's lines (UTF-8): the first two are the head, every further non-blank
// line is a record. A line with fewer than eight fields leaves the missing ones empty.
NetReadResult ParseTraverseLines(const std::vector<std::string>& lines);
// Splits one record line into its eight fields.
std::vector<std::string> SplitTraverseRecord(const std::string& line);

// Screen positions of the diagram in a W x H drawing area (origin top left, down).
struct NetLegPixels {
  std::string name;
  int newX = 0, newY = 0;          // floored screen position of the new point
  int stationX = 0, stationY = 0;  // floored screen position of the station
  double markX = 0, markY = 0;     // end of the back-sight mark, not floored
};

struct NetLayout {
  int radius = 0;  // circle radius, H / 100 rounded
  double scale = 0;
  std::vector<NetLegPixels> legs;
};

NetLayout LayoutTraverseNet(const std::vector<NetRecord>& records, int width, int height);

}  // namespace vantrel
