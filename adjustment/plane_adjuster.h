#pragma once
// The plane adjustment's working parts, shared by its two sources: the observation rows, the
// frame a free network leaves open and the adjuster that holds one adjustment's state.
#include <Eigen/Dense>
#include <array>
#include <limits>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "adjustment/plane_geometry.h"
#include "adjustment/plane_network.h"
#include "adjustment/sparse_normal.h"

namespace vantrel::adjustment::plane {

inline constexpr double kPlaneNaN = std::numeric_limits<double>::quiet_NaN();

inline PlaneResult Refuse(std::string text) {
  PlaneResult result;
  result.error = std::move(text);
  return result;
}

inline std::string Nth(std::size_t k) { return "第 " + std::to_string(k + 1) + " 个观测"; }

// One whitened observation row (coefficients and l divided by the observation's σ): an
// angle touches six coordinates (eight entries before its station's two are merged), a
// direction four and its set's orientation.
struct Row {
  int count = 0;
  std::array<int, 8> unknowns{};
  std::array<double, 8> coefficients{};
  double l = 0;
  void Add(int unknown, double c) {
    if (unknown < 0) return;
    unknowns[count] = unknown;
    coefficients[count++] = c;
  }
  std::span<const int> U() const { return {unknowns.data(), std::size_t(count)}; }
  std::span<const double> C() const { return {coefficients.data(), std::size_t(count)}; }
};

// The frame a free network leaves open: shifts in X and Y, a rotation unless an azimuth is
// observed, a scale unless a distance is.
struct FreeFrame {
  bool rotation = false, scale = false;
  int Columns() const { return 2 + rotation + scale; }
};

class Adjuster {
 public:
  Adjuster(const PlaneNetwork& network, const PlaneOptions& options)
      : network_(network), options_(options), n_(static_cast<int>(network.points.size())) {}

  PlaneResult Run();

 private:
  std::string Check();
  std::string DatumShortage() const;
  std::string ChooseUnknowns(const std::vector<int>& datum);
  Row Linearize(const IndexedObservation& o) const;
  double Computed(const IndexedObservation& o) const;
  std::vector<Row> Rows() const;
  void HelmertToApproximations(const std::vector<int>& datum);
  double Cov(int fi, int fj) const;  // by full index: 2p, 2p + 1, 2n + set
  std::array<double, 4> FrameRow(int fi) const;

  const PlaneNetwork& network_;
  const PlaneOptions& options_;
  const int n_;
  bool free_ = false;
  FreeFrame frame_;
  IndexedNetwork indexed_;
  std::unordered_map<std::string, int> index_;
  std::vector<double> x_, y_, z_;        // current estimates
  std::vector<double> x0_, y0_;          // approximations (a free network keeps their frame)
  std::vector<int> unknown_;             // full index -> reduced unknown, -1 when held
  std::vector<int> fullOf_;              // reduced -> full
  SparseFactor factor_;
  // Free network: Q's carry-over to the minimum-norm datum (see Cov).
  Eigen::MatrixXd y_free_;               // Q·G_D, reduced rows × columns
  Eigen::MatrixXd b_free_, c_free_;
  double xc_ = 0, yc_ = 0;
};

}  // namespace vantrel::adjustment::plane
