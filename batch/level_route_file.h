#pragma once
// The levelling route file, a plain-text layout in the manner of the traverse file: one item
// per field, blanks between items, GBK or UTF-8, CR LF (LF or a lone CR read too), "#" starts
// a remark, blank lines skipped. Heights, differences and readings in metres to the mm.
//
//   路线  附合              the route: 闭合 (closed), 附合 (connecting) or 支 (spur)
//   已知  BM.A  7.967       a known height: name H; the start point's, and a connecting
//                           route's end point's (its second 已知 line)
// then either sections:
//   测段  公里              the amount of each section: 公里 (length, km) or 测站 (set-ups)
//   BM.A  1  +4.362  1.5    from to dh amount, in the order of travel (a spur: out, then
//   1     2  +2.413  0.6    back the same way, as 1 BM.A -4.370 1.5 ...)
// or a level's field book:
//   手簿                    one line per point in the order of travel:
//   BM.A  1.874  -          name, back-sight (后视) and fore-sight (前视) readings, "-" where
//   ZD1   1.727  0.919      there is none (the first point has no fore-sight, the last no
//   -     1.186  1.095      back-sight), and optionally the back and fore sight distances
//   B     -      1.616      (视距, metres) in two more items, on every line or none.
// A point named "-", or ZD, TP or 转点 followed by digits (ZD1, TP.2), is a turning point;
// every other point ends a section. Each set-up gives h = back - fore; a section's set-ups
// are counted and, with sight distances, its length is their sum.
//
// Keyword lines stand once each, before the data; a first word one letter off a keyword
// (all Chinese) is refused as a misspelled keyword. Files that are not GBK or UTF-8 text are
// refused once for the whole file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/level_route.h"

namespace vantrel::batch {

// One set-up of a field book: back and fore point, readings and sight distances in metres.
struct LevelSetup {
  std::string backPoint, forePoint;
  double back = 0, fore = 0, dh = 0;
  std::optional<double> backDistance, foreDistance;
};

struct LevelFieldBook {
  std::vector<LevelSetup> setups;
  double sumBack = 0, sumFore = 0, sumDh = 0;  // Σa, Σb, Σh (metres, to the mm)
  bool distances = false;
};

struct LevelRouteFileResult {
  bool ok = false;
  std::string error;  // "FILE:LINE: reason" or "FILE: reason" when !ok
  adjustment::LevelRouteInput input;
  adjustment::LevelBasis basis = adjustment::LevelBasis::Length;  // what the file gives
  bool hasLengths = false, hasSetups = false;
  std::optional<LevelFieldBook> book;
};

LevelRouteFileResult ReadLevelRouteFile(const std::string& path);
// The same from the file's bytes; fileName is only used in messages.
LevelRouteFileResult ParseLevelRouteText(std::string_view bytes, const std::string& fileName);

// The options of a route read from a file: the grade (二等 三等 四等 图根, "" with a custom
// coefficient), the terrain (平地: ±c√L, 山地: ±c√n; "" follows the distribution), the
// distribution ("length", "stations"; "" takes what the file gives). A choice the file
// cannot serve (lengths it has not) comes back as the reason in error. rounding: "nearest"
// (or "") rounds each share to the millimetre, "cut" cuts it toward zero.
struct LevelChoice {
  std::string grade = "图根", terrain, by, rounding;
  std::optional<double> coefficient;
  bool force = false;
};
adjustment::LevelRouteOptions LevelOptionsFor(const LevelRouteFileResult& file, const LevelChoice& choice,
                                              std::string& error);

// Whether a point name is a turning point's ("-", ZD1, TP.2, 转点3).
bool IsTurningPoint(std::string_view name);

}  // namespace vantrel::batch
