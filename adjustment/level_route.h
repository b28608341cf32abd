#pragma once
// Levelling routes computed as the field book does (水准路线成果计算): closed (闭合),
// connecting (附合) and spur (支) routes, the misclosure f_h against its allowance by grade,
// corrections in proportion to the sections' lengths or set-ups, adjusted heights.
//
// Figures are those of the field book, so that the table adds up at its printed digits:
// heights and height differences are taken to the millimetre (finer figures are refused),
// f_h is reckoned in whole millimetres, the corrections -f_h·L_i/ΣL (or -f_h·n_i/Σn) are
// rounded to the millimetre, half away from zero (or, chosen, cut toward zero as the
// traverse's coordinate corrections are), and the millimetres their sum then lacks or has
// too many go one each to the longest sections (the earlier of equal ones first), so that
// Σv = -f_h exactly (ForcedShares); each height is the last one plus the adjusted difference.
// Published tables do both: some round each share first, some keep 8 mm of an 8.6 mm share.
//
// * Closed: the sections run from the known point around the loop back to it; f_h = Σh.
// * Connecting: from one known point to another; f_h = Σh - (H_end - H_start).
// * Spur: observed out and back (A→1→2, then 2→1→A, as a chain); f_h = Σh往 + Σh返. Each
//   section takes the mean of its two differences with the outward sign: its correction is
//   -(h往 + h返)/2 rounded to the millimetre, half away from zero. L and n are one way.
//
// Allowances (GB 50026 and the usual textbook values), L in km, n set-ups:
//   二等 ±4√L;  三等 ±12√L or ±4√n;  四等 ±20√L or ±6√n;  图根 ±40√L or ±12√n (mm),
// the √n form for hilly ground; the allowance is taken to 0.1 mm as printed, and |f_h|
// above it is refused unless forced.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adjustment/forced_shares.h"

namespace vantrel::adjustment {

enum class LevelRouteKind { Closed, Connecting, Spur };
// What a section's share of the correction (and the allowance) is reckoned by.
enum class LevelBasis { Length, Setups };

struct LevelSection {
  std::string from, to;
  double dh = 0;        // observed height difference to - from, metres (to the mm)
  double lengthKm = 0;  // 0 when not known
  int setups = 0;       // 0 when not known
};

struct LevelRouteInput {
  LevelRouteKind kind = LevelRouteKind::Connecting;
  double startHeight = 0;                 // of sections.front().from, metres
  std::optional<double> endHeight;        // connecting: of sections.back().to
  std::vector<LevelSection> sections;     // in the order of travel
};

struct LevelGrade {
  const char* name;  // 二等, 三等, 四等, 图根
  double perKm;      // c of ±c√L, mm
  double perSetup;   // c of ±c√n, mm; 0: the grade has no such form
};

const std::vector<LevelGrade>& LevelGrades();
const LevelGrade* FindLevelGrade(std::string_view name);

struct LevelRouteOptions {
  std::string grade = "图根";              // the allowance's grade; "" with a custom one
  LevelBasis distribute = LevelBasis::Length;
  LevelBasis allowanceBasis = LevelBasis::Length;  // Setups: the hilly-ground form
  std::optional<double> coefficient;      // custom c (mm) of ±c√L or ±c√n, instead of the grade's
  ShareRounding rounding = ShareRounding::Nearest;
  bool force = false;
};

// The largest height, difference or length (exclusive) the routine takes: metres, km.
inline constexpr double kLevelMaxMetres = 1e9;

struct AdjustedSection {
  std::string from, to;
  double lengthKm = 0;
  int setups = 0;
  double dh = 0;              // observed (spur: outward), metres
  std::optional<double> back; // spur: the return difference, metres
  double correction = 0;      // metres, whole millimetres
  double adjusted = 0;        // dh + correction, metres
  bool remainder = false;     // took one of the leftover millimetres
};

struct LevelRouteResult {
  bool ok = false;
  std::string error;          // Chinese, for the user, when !ok
  bool overLimit = false;     // |f_h| above its allowance (refused unless forced)
  LevelRouteOptions options;  // what was used
  double coefficient = 0;     // c of the allowance, mm
  double fh = 0;              // misclosure, metres (whole mm)
  double allowance = 0;       // c√L or c√n, metres (to 0.1 mm)
  double sumLength = 0;       // ΣL, km (one way for a spur)
  int sumSetups = 0;          // Σn (one way for a spur)
  double sumObserved = 0;     // Σh (spur: outward), metres
  double perUnit = 0;         // -f_h/ΣL (mm per km) or -f_h/Σn (mm per set-up)
  std::vector<AdjustedSection> sections;  // a spur's outward ones
  std::vector<std::string> names;         // the points, start to end (closed: back to start)
  std::vector<double> heights;            // metres, one per name
};

// Checks the input and adjusts. A refusal (bad input, or f_h over its allowance without
// force) comes back with ok = false and the reason in error; an over-limit refusal still
// carries the misclosure figures.
LevelRouteResult AdjustLevelRoute(const LevelRouteInput& input, const LevelRouteOptions& options = {});

}  // namespace vantrel::adjustment
