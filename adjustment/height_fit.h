#pragma once
// GNSS height fitting (GNSS高程拟合): the height anomaly ζ = H − h of common points (GNSS
// ellipsoidal height H, levelled normal height h) modelled over their plane coordinates
// (x north, y east, metres), so that a GNSS height elsewhere gives h = H − ζ(x, y).
//
// Coordinates are reduced to the centroid of the fitting points and divided by their RMS
// distance from it before anything is formed: Gauss coordinates of millions of metres would
// otherwise leave the quadratic terms ten or more orders of magnitude apart from the
// constant and the design matrix without usable digits. In those units:
//   constant      ζ = a0                                                    (1 parameter)
//   plane         ζ = a0 + a1·u + a2·v                                      (3)
//   quadratic     ζ = a0 + a1·u + a2·v + a3·u² + a4·u·v + a5·v²              (6)
// solved by least squares through a column-pivoted QR of the design matrix. The two radial
// models interpolate: a node at every fitting point plus a linear trend,
//   ζ = a0 + a1·u + a2·v + Σ λj·φ(rj),   Σ λj = Σ λj·uj = Σ λj·vj = 0,
// with φ(r) = √(r² + c²) (multiquadric, 多面函数) or r²·ln r (thin-plate spline); they pass
// through every fitting point. The multiquadric's c is Hardy's 0.815 times the mean distance
// from a fitting point to its nearest neighbour unless given.
//
// Residuals v = fitted − observed ζ. Internal accuracy (内符合) σ = √(Σv²/(n − u)) over the
// n fitting points and u parameters; it is not defined (NaN) when n = u, and so never for the
// radial models, whose residuals are zero. Leave-one-out σ = √(Σe²/n), e the error at a
// fitting point of the fit made without it, tells how well any model predicts (hat matrix
// for least squares, Rippa's formula for the radial ones). External accuracy (外符合)
// √(Σv²/m) over the m check points, which are kept out of the fit (NaN without any).
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::adjustment {

enum class HeightModel { Constant, Plane, Quadratic, Multiquadric, ThinPlate };

struct HeightModelName {
  HeightModel model;
  const char* code;     // constant, plane ...
  const char* chinese;  // 常数, 平面 ...
};
std::span<const HeightModelName> HeightModelNames();
// By code or Chinese name; nullptr for neither.
const HeightModelName* FindHeightModel(std::string_view name);
const char* HeightModelChinese(HeightModel model);

struct HeightPoint {
  std::string name;
  double x = 0, y = 0;  // plane coordinates, metres (x north)
  double H = 0, h = 0;  // ellipsoidal and normal height, metres
  bool check = false;   // a check point: left out of the fit, compared with it
};

struct HeightFitOptions {
  HeightModel model = HeightModel::Plane;
  double shape = 0;  // the multiquadric's c in metres; 0: Hardy's rule
  // Off only to show what the reduction guards against: the raw coordinates go into the
  // design matrix as they are.
  bool reduce = true;
};

struct HeightFitPoint {
  std::string name;
  double x = 0, y = 0, H = 0, h = 0;
  double zeta = 0;    // H − h
  double fitted = 0;  // the model's ζ
  double v = 0;       // fitted − zeta
  bool check = false;
};

struct HeightParameter {
  std::string name;  // a0 ... a5, or λ(point name)
  double value = 0;
};

class HeightFit {
 public:
  bool ok = false;
  std::string error;  // Chinese, for the user, when !ok
  HeightFitOptions options;
  double x0 = 0, y0 = 0, scale = 1;       // the reduction: u = (x − x0)/scale, v = (y − y0)/scale
  double shape = 0;                       // the multiquadric's c used, metres
  std::vector<HeightParameter> parameters;
  std::vector<HeightFitPoint> points;     // input order, check points among them
  int fitting = 0, checks = 0, unknowns = 0;
  double sigmaInternal = 0;   // metres; NaN when n = u
  double sigmaLeaveOneOut = 0;  // metres; NaN when a point cannot be left out
  double sigmaExternal = 0;   // metres; NaN without check points
  std::vector<double> hullX, hullY;  // the fitting points' convex hull, in order round it

  // ζ at a point (metres); on a fit that failed, NaN.
  double Evaluate(double x, double y) const;
  // Outside the convex hull of the fitting points (its edges count as inside): an
  // extrapolated ζ.
  bool Extrapolated(double x, double y) const;

 private:
  friend HeightFit FitHeightAnomaly(std::span<const HeightPoint>, const HeightFitOptions&);
  std::vector<double> coef_;          // a0... then λ for the radial models
  std::vector<double> nodeU_, nodeV_;  // radial nodes, reduced
  double extent_ = 1;                 // RMS distance of the fitting points from their centroid
};

HeightFit FitHeightAnomaly(std::span<const HeightPoint> points, const HeightFitOptions& options);

}  // namespace vantrel::adjustment
