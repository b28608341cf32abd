#pragma once
// The traverse observation file, a plain-text layout in the manner of the point files: one
// item per field, blanks (spaces or tabs) between items, GBK or UTF-8, CR LF (LF or a lone
// CR read too). Angles and azimuths are packed D.MMSS (121.3030 is 121°30′30″), minutes
// and seconds below 60, angles from 0 up to below 360°; coordinates and distances in metres.
// "#" starts a remark that runs to the end of the line; blank lines are skipped.
//
//   导线  附合  左角                 kind 附合 (connecting) or 闭合 (closed) and angle side
//                                    左角 (left) or 右角 (right), in either order
//   起点  B  3456.789  2345.678      the known start point: name X Y
//   后视  A  3500.000  2300.000      its known back-sight point: name X Y, or instead
//   起始方位  135.1530               the azimuth of the known side A -> B
//   终点  C  ...                     connecting only: the known end point: name X Y
//   前视  D  ...                     connecting only: its known fore-sight, or instead
//   终止方位  D.MMSS                 connecting only: the azimuth of the known side C -> D
//   连接角  D.MMSS                   closed with 后视 or 起始方位: the angle at B from A to P1
//   首边方位  D.MMSS                 closed only, instead of 后视/起始方位 and 连接角: the
//                                    azimuth of the first leg B -> P1
//   B   205.3048  125.362            every other line is a station, in travel order: name,
//   P1  178.2236  98.714             observed angle and the horizontal distance to the next
//   ...                              station (a closed loop's last station: back to B)
//   C   167.2130                     a connecting traverse's last station (C): no distance
//
// Keyword lines may stand anywhere, each at most once; a station therefore cannot be named
// after a keyword, nor one letter off a keyword of three letters or more (or a keyword
// one letter longer), all in Chinese: such a word is refused as a misspelled keyword.
// The first station is the start point, the last station of a connecting traverse is the
// end point. Angles are written to 0.1″ at most (D.MMSSs); coordinates and distances
// of 1e9 m or more are refused, as are files that are not GBK or UTF-8 text (UTF-16,
// binary), once for the whole file.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/traverse_adjustment.h"

namespace vantrel::batch {

// Where the input's parts stand in the file (1-based lines), for readers that name them.
struct TraverseFileLines {
  std::vector<int> stations;            // one per station, in input order
  std::map<std::string, int> keywords;  // keyword ("后视", "连接角" ...) -> its line
};

struct TraverseFileResult {
  bool ok = false;
  std::string error;  // "FILE:LINE: reason" or "FILE: reason" when !ok
  adjustment::TraverseInput input;
  TraverseFileLines lines;
};

// Reads and checks the layout (not yet the geometry: AdjustTraverse does that).
TraverseFileResult ReadTraverseFile(const std::string& path);
// The same from the file's bytes; fileName is only used in messages.
TraverseFileResult ParseTraverseText(std::string_view bytes, const std::string& fileName);

// A packed D.MMSS text by the strict rule, in radians; nullopt when it is no number,
// negative, 360° or more, or has minutes or seconds of 60 or more.
std::optional<double> ReadPackedAngle(std::string_view text);

// The same text in whole tenths of an arc second, read exactly from its digits; nullopt
// also when it has digits finer than a tenth of a second (as 121.303055).
std::optional<long long> PackedAngleTenths(std::string_view text);

}  // namespace vantrel::batch
