#pragma once
// Least-squares adjustment of a levelling network: heights from height differences along
// lines weighted by length or by set-ups, with precisions, the global test and data snooping.
#include <optional>
#include <string>
#include <vector>

namespace vantrel::adjustment {

struct LevelPoint {
  std::string name;
  std::optional<double> knownHeight;  // m
  // m; 0 holds the known height fixed, > 0 makes it an observation (weighted datum).
  double knownSigma = 0;
};

// Either way a line's σ is sigma · √amount; the choice says what amount counts.
enum class LineWeight { ByLength, BySetups };

struct LevelLine {
  std::string from, to;
  double dh = 0;        // observed height difference to minus from, m
  double amount = 1;    // the line's length in km (ByLength) or its number of set-ups
  LineWeight weight = LineWeight::ByLength;
  double sigma = 0.001; // m per √km (ByLength) or per √set-up (BySetups)
};

enum class Datum {
  Fixed,  // the known heights (fixed or weighted) carry the network; at least one is needed
  Free,   // every point is an unknown; the minimum-norm condition on the chosen points
};

struct LevellingOptions {
  double sigma0 = 0.001;  // a-priori σ of unit weight, m
  Datum datum = Datum::Fixed;
  // Free datum: the points whose mean height the adjustment keeps (empty: all points):
  // their known heights where given, else heights carried along the lines from the first.
  std::vector<std::string> datumPoints;
  // Standard deviations scaled by the a-posteriori σ0, as adjustment textbooks print them;
  // false scales them by the a-priori σ0.
  bool scaleByAPosteriori = true;
};

struct AdjustedLevelPoint {
  std::string name;
  double height = 0;  // m
  double sigma = 0;   // m; 0 for a fixed known height
  bool unknown = false;
};

struct AdjustedLevelLine {
  double dh = 0;            // adjusted height difference, m
  double residual = 0;      // adjusted minus observed, m
  double sigmaAdjusted = 0; // σ of the adjusted dh, m (scaled as the heights)
  double redundancy = 0;    // r = 1 - p q, 0 … 1
  // Baarda's w = v / (σ0 √q_vv) with the a-priori σ0; NaN where r is 0 (nothing to test).
  double standardized = 0;
};

struct LevellingResult {
  bool ok = false;
  std::string error;  // Chinese, names the point when one is at fault
  std::vector<AdjustedLevelPoint> points;  // in the order given
  std::vector<AdjustedLevelLine> lines;    // in the order given
  int degreesOfFreedom = 0;
  double sigma0 = 0;  // a posteriori, m
  // Global test: vᵀPv / σ0² against χ²(f) at 95 % (two-sided: 2.5 % and 97.5 % quantiles).
  double chiSquare = 0, chiSquareLower = 0, chiSquareUpper = 0;
  bool globalTestPassed = false;
  // The line with the largest |w| above the critical value 3.29, or -1.
  int suspectLine = -1;
};

LevellingResult AdjustLevelling(const std::vector<LevelPoint>& points,
                                const std::vector<LevelLine>& lines,
                                const LevellingOptions& options = {});

}  // namespace vantrel::adjustment
