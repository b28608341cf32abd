#include "geodetic/seven_parameter.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel {

namespace {
// This dialog takes pi as 4*atan(1), unlike the calculator's shared routines.
const double kSevenPi = 4 * std::atan(1.0);

// A whole number as the grid file writes it: a sign place in front, a blank after.
std::string WholeNumberItem(long value) {
  std::string s = std::to_string(value);
  if (value >= 0) s = " " + s;
  return s + " ";
}
}  // namespace

const std::array<HeightControlPoint, 12> kHeightControlPoints = {{
    {"0002", 3411368.3281, 462418.5154, 0.767},
    {"0003", 3410268.0455, 420849.3526, 0.452},
    {"0004", 3446860.3998, 428630.9681, 0.224},
    {"0005", 3457332.9286, 405479.308, 0.111},
    {"0006", 3513280.1617, 390275.8565, 0.278},
    {"0007", 3442349.06, 387601.17, -0.006},
    {"0008", 3414314.9198, 389222.7115, 0.216},
    {"0009", 3465459.2756, 389240.6143, -0.012},
    {"0010", 3464103.4794, 389386.039, -0.016},
    {"0011", 3474239.6684, 374608.9518, 0.122},
    {"0012", 3487161.47, 385772.91, 0.061},
    {"0014", 3475521.5673, 358087.4409, -0.1},
}};

void SevenParameterTransform(const SevenParameters& p, double X, double Y, double Z,
                             double& Xn, double& Yn, double& Zn) {
  const double k = 1 + p.m * 1e-6;
  // Each rotation-coordinate product is formed first, then divided by rho.
  Xn = p.dX + k * (X + p.ez * Y / kSevenRho - p.ey * Z / kSevenRho);
  Yn = p.dY + k * (Y - p.ez * X / kSevenRho + p.ex * Z / kSevenRho);
  Zn = p.dZ + k * (Z + p.ey * X / kSevenRho - p.ex * Y / kSevenRho);
}

double SevenMeridianRadians(double degrees) { return degrees / 180 * kSevenPi; }

SevenResult SevenParameterCompute(const GaussKruger& projection, const SevenParameters& p,
                                  double X, double Y, double Z) {
  SevenResult r;
  SevenParameterTransform(p, X, Y, Z, r.Xn, r.Yn, r.Zn);
  xyzblh(r.B, r.L, r.H, r.Xn, r.Yn, r.Zn, projection.ellipsoid());
  projection.Forward(r.B, r.L, r.H, r.Xg, r.Yg, r.Hg);
  return r;
}

SevenResult SevenParameterCompute(ProjectionState& state, const SevenParameters& p, double X,
                                  double Y, double Z, const Ellipsoid& ellipsoid,
                                  double centralMeridianDeg, double falseNorthingKm,
                                  double falseEastingKm, double planeHeight) {
  state.SetEllipsoid(ellipsoid);
  state.CentralMeridian = SevenMeridianRadians(centralMeridianDeg);
  state.FalseNorthingKm = falseNorthingKm;
  state.FalseEastingKm = falseEastingKm;
  state.PlaneHeight = planeHeight;
  const GaussKruger projection(ellipsoid, state.CentralMeridian, falseNorthingKm, falseEastingKm,
                               planeHeight, state.GeoidUndulation);
  state.EllipsoidA = projection.RestoredAxis();
  return SevenParameterCompute(projection, p, X, Y, Z);
}

std::string_view SevenFieldCaption(int field) {
  static constexpr std::string_view kCaptions[] = {
      "",        "X平移(米)", "Y平移(米)",  "Z平移(米)",   "尺度因子",    "X轴旋转",
      "Y轴旋转", "Z轴旋转",   "X=",         "Y=",          "Z=",          "中央子午线",
      "X平移(公里)", "Y平移(公里)", "投影面高程(米)"};
  return field >= 1 && field <= 14 ? kCaptions[field] : std::string_view();
}

std::string SevenFieldMessage(int field) {
  return "“" + std::string(SevenFieldCaption(field)) + "”必须是数字!";
}

HeightCorrection InterpolateHeightCorrection(double x, double y) {
  double s = 0, w = 0;
  for (size_t i = 0; i < kHeightControlPoints.size(); ++i) {
    const HeightControlPoint& c = kHeightControlPoints[i];
    const double d = std::sqrt((x - c.x) * (x - c.x) + (y - c.y) * (y - c.y));
    if (d < 0.1) return {static_cast<int>(i), c.dh};
    s += c.dh / d;
    w += 1 / d;
  }
  return {-1, s / w};
}

double GridHeightCorrection(double x, double y) {
  double s = 0, w = 0;
  for (const HeightControlPoint& c : kHeightControlPoints) {
    double d = std::sqrt((x - c.x) * (x - c.x) + (y - c.y) * (y - c.y));
    if (d < 0.01) d = 0.01;
    s += c.dh / d;
    w += 1 / d;
  }
  return s / w;
}

std::vector<std::string> CorrectionGridLines() {
  std::vector<std::string> lines;
  for (long x = 3450000; x <= 3470000; x += 5000) {
    for (long y = 390000; y <= 430000; y += 5000) {
      const double dh = GridHeightCorrection(static_cast<double>(x), static_cast<double>(y));
      lines.push_back(PrintZones({WholeNumberItem(x), WholeNumberItem(y), FormatPattern(dh, "#.000")}));
    }
  }
  return lines;
}

std::string CorrectionGridPath() {
#ifdef _WIN32
  return "c:\\tmp.out";
#else
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  return (std::filesystem::path(home) / "tmp.out").string();
#endif
}

}  // namespace vantrel
