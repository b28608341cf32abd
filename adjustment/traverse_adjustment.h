#pragma once
// Closed (闭合) and connecting (附合) traverse adjustment by the compass rule (Bowditch).
//
// Angles are radians here, as everywhere inside the routines; files and scripts carry them
// as packed D.MMSS (batch/traverse_file.h reads them). X north, Y east, metres.
//
// The two kinds, with n observed angles:
// * Connecting: known start point B with a back-sight (known point A, or the azimuth of
//   the known side A->B), stations B, P1 .. Pk, C in travel order, known end point C with
//   a fore-sight (known point D, or the azimuth of C->D). The angle at B is measured from A
//   to P1, the one at C from Pk to D; n = k + 2 angles, n - 1 legs.
// * Closed: stations B, P1 .. Pk around the loop, each with its polygon angle (at B from Pk
//   to P1) and the side to the next station (the last back to B); n = k + 1 angles and legs.
//   The first leg's azimuth is given, or comes from a back-sight A and the connection angle
//   at B from A to P1; the connection angle is orientation, not part of the loop, and takes
//   no correction.
//
// Left angles (左角) lie left of the direction of travel, right angles (右角) right of it;
// both are read clockwise from the back-sight to the fore-sight, so a right angle is
// 360° minus the left one: α_forward = α_back + β_left - 180° = α_back - β_right + 180°.
//
// The figures are those of a field book, so that the printed table adds up at its digits:
// * Angles are taken to 0.1″ and reckoned in whole tenths of a second, so f_β is exact;
//   known azimuths computed from coordinates are rounded to 0.1″ (half away from zero).
// * f_β is the angular misclosure Σβ_observed - Σβ_theoretical, for left and right angles
//   alike; its allowance is ±c″·√n (rounded to 0.1″ as printed). The corrections total
//   -f_β rounded to whole steps (1″ unless chosen) half away from zero: f_β = -45.5″ takes
//   46″, -44.5″ takes 45″. Every angle takes the same whole number of steps and the steps
//   left over go one each to the last angles; what is left below half a step stays
//   undistributed. A step of 0 spreads -f_β/n exactly.
// * Coordinates and distances are taken to the millimetre, increments D·cos α, D·sin α are
//   rounded to the millimetre, f_x, f_y are the sums of the rounded increments (minus the
//   known difference), the corrections -f·D/ΣD are cut to the millimetre toward zero and
//   the millimetres left over go one each to the longest legs (the earlier of equal legs
//   first), so that they sum to -f and each lies within 1 mm of its exact share; each
//   point is the last one plus the adjusted increment.
//   f_s = √(f_x² + f_y²) and K = ⌊ΣD / f_s⌋ come from those figures.
// * 1/K is checked against its allowance as f_β is (a grade chooses both, GB 50026); over
//   either the adjustment is refused unless forced.
// With exact set, nothing is rounded: the compass rule as a formula, for callers that
// want the unrounded figures (the tables then need not add up at their digits).
//
// Distances and coordinates of 1e9 m or more are refused: every figure of the tables has
// to stay within the 15 significant digits that numbers are printed with.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::adjustment {

enum class TraverseKind { Closed, Connecting };
enum class AngleSide { Left, Right };

struct TraversePoint {
  std::string name;
  double x = 0, y = 0;
};

// One station in travel order: the angle observed there and the horizontal distance to the
// next station (not used on the last station of a connecting traverse).
struct TraverseStation {
  std::string name;
  double angle = 0;     // radians, a left or right angle as the traverse says
  double distance = 0;  // metres
};

struct TraverseInput {
  TraverseKind kind = TraverseKind::Connecting;
  AngleSide side = AngleSide::Left;
  TraversePoint start;                       // B
  // Orientation at the start: a back-sight point, or the azimuth of the known side A->B.
  std::optional<TraversePoint> backSight;    // A
  std::optional<double> startAzimuth;        // radians, A -> B
  // Closed traverses only: the connection angle at B from A to P1 (with a back-sight or a
  // start azimuth), or instead the azimuth of the first leg B -> P1 itself.
  std::optional<double> connectionAngle;     // radians
  std::optional<double> firstLegAzimuth;     // radians
  // Connecting traverses only: the end point and its fore-sight (point, or azimuth C->D).
  TraversePoint end;                         // C
  std::optional<TraversePoint> foreSight;    // D
  std::optional<double> endAzimuth;          // radians, C -> D
  std::vector<TraverseStation> stations;
};

// A grade of the traverse and its allowances, as GB 50026 (工程测量标准) table 3.3.1 gives
// them (图根: the 图根 traverse of a first-order 图根 control, α = 1).
struct TraverseGrade {
  const char* name;       // 三等, 四等, 一级, 二级, 三级, 图根
  double angleSeconds;    // f_β allowance ±c″·√n
  double closureK;        // relative closure allowance 1/K
};

// The grades, from the highest; the last one (图根) is the default.
const std::vector<TraverseGrade>& TraverseGrades();
// A grade by its name; nullptr when there is none of that name.
const TraverseGrade* FindTraverseGrade(std::string_view name);

struct TraverseOptions {
  double allowanceSeconds = 40;      // f_β allowance ±c″·√n
  double closureK = 2000;            // 1/K allowance: K below this is over; 0 = no check
  std::string grade = "";            // the grade the allowances come from ("" = none named)
  double correctionStepSeconds = 1;  // angle corrections in whole steps of 0.1″ to 60″; 0 = exact
  bool force = false;                // adjust even when over an allowance
  bool exact = false;                // no rounding at all (see above)
};

// Whether a correction step (arc seconds) is one the adjustment takes: 0, or a whole number
// of tenths from 0.1″ to 60″.
bool IsCorrectionStep(double seconds);

// The options of a grade: its two allowances and its name.
TraverseOptions TraverseOptionsFor(const TraverseGrade& grade);

// The largest distance or coordinate (metres, exclusive) the adjustment takes.
inline constexpr double kTraverseMaxMetres = 1e9;

struct AdjustedStation {
  std::string name;
  double observed = 0;           // radians, as given (taken to 0.1″)
  double correctionSeconds = 0;  // arc seconds added to the observed angle
  double adjusted = 0;           // radians
  double azimuth = 0;            // adjusted azimuth of the line leaving the station
                                 // (to the fore-sight at a connecting end)
  double x = 0, y = 0;           // adjusted coordinates (the known ones at B and C)
  bool known = false;            // B, or C of a connecting traverse
};

struct AdjustedLeg {
  std::string from, to;
  double azimuth = 0;   // adjusted, radians
  double distance = 0;  // metres
  double dx = 0, dy = 0;             // increments from the adjusted azimuth (to the mm)
  double vx = 0, vy = 0;             // Bowditch corrections (to the mm, summing to -f)
  double dxAdjusted = 0, dyAdjusted = 0;
};

struct TraverseAdjustment {
  bool ok = false;
  std::string error;          // Chinese, for the user, when !ok
  bool overLimit = false;     // |f_β| above its allowance (refused unless forced)
  bool closureOverLimit = false;  // 1/K above its allowance (refused unless forced)
  TraverseOptions options;    // what was used
  int angleCount = 0;                 // n
  double startAzimuth = 0;            // known azimuth the chain starts from (A->B, or B->P1)
  std::optional<double> sideAzimuth;  // closed: the known side A->B the connection angle turns from
  double endAzimuthKnown = 0;         // known azimuth it must end on (C->D, or B->P1)
  double endAzimuthObserved = 0;      // from the observed angles
  double endAzimuthAdjusted = 0;      // from the adjusted angles
  double sumObserved = 0;             // Σβ observed, radians
  double sumTheoretical = 0;          // Σβ theoretical, radians
  double fBetaSeconds = 0;            // f_β, arc seconds
  double allowanceSeconds = 0;        // c·√n, arc seconds (to 0.1″ as printed)
  double sumDistance = 0;             // ΣD, metres
  double sumDx = 0, sumDy = 0;        // Σ increments before correction
  double fx = 0, fy = 0, fs = 0;      // coordinate misclosures, metres
  double K = 0;                       // ⌊ΣD / f_s⌋; infinity when f_s is 0
  std::vector<AdjustedStation> stations;  // in input order
  std::vector<AdjustedLeg> legs;          // in travel order (closed: n, connecting: n - 1)
};

// Checks the input and adjusts. A refusal (bad input, or f_β or 1/K over its allowance
// without force) comes back with ok = false and the reason in error; an over-limit refusal
// still carries the misclosure figures.
TraverseAdjustment AdjustTraverse(const TraverseInput& input, const TraverseOptions& options = {});

// The corrections, in arc seconds, that the rule above gives n angles for a misclosure
// f_β (arc seconds, taken to 0.1″) and a correction step (arc seconds, a whole number of
// tenths; 0 = exact).
std::vector<double> DistributeAngleCorrections(double fBetaSeconds, int n, double stepSeconds);

// Arc seconds per radian, with the calculator's π (angles come through Dms2Rad).
double SecondsPerRadian();

}  // namespace vantrel::adjustment
