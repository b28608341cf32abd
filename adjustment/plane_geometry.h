#pragma once
// What the plane adjustment and its approximate coordinates share: observations by point
// index, and the plane geometry of azimuths and distances (X north, Y east, radians).
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "adjustment/plane_network.h"

namespace vantrel::adjustment {

inline constexpr double kTurn = 2 * std::numbers::pi;

// An angle brought into (−π, π].
inline double WrapSigned(double a) {
  a = std::remainder(a, kTurn);
  return a <= -std::numbers::pi ? a + kTurn : a;
}
// An angle brought into [0, 2π).
inline double WrapTurn(double a) {
  a = std::fmod(a, kTurn);
  return a < 0 ? a + kTurn : a;
}
inline double AzimuthOf(double dx, double dy) { return WrapTurn(std::atan2(dy, dx)); }

// An observation with its points as indices into the network's points and its direction
// set as an index into the network's sets (0 … sets − 1).
struct IndexedObservation {
  ObservationKind kind = ObservationKind::Direction;
  int station = -1, target = -1, target2 = -1;
  double value = 0;
  double sigma = 0;  // always > 0: the instrument's accuracy filled in
  int set = -1;
};

struct IndexedNetwork {
  std::vector<IndexedObservation> observations;
  int sets = 0;
  std::vector<int> setNumbers;  // the caller's number of each set
  std::vector<int> setStation;  // the station of each set
};

// Approximate coordinates of every point and the orientation of every direction set.
// x, y come in with the known (or supplied) coordinates and NaN elsewhere; on success
// every entry is finite. With no point placed (a free network in its own frame) `seed` is
// put at the origin and the first observation from it fixes the frame. On failure the
// message names a point the observations do not place and says what it lacks.
struct Approximation {
  bool ok = false;
  std::string error;
  std::vector<double> x, y, orientation;
};
Approximation Approximate(const PlaneNetwork& network, const IndexedNetwork& indexed,
                          std::vector<double> x, std::vector<double> y, int seed);
// Moves successful approximations to where all sights that come with a distance agree, by one
// linear least-squares solve, when the placed points disagree with such a sight by metres.
void Refine(const PlaneNetwork& network, const IndexedNetwork& indexed, Approximation& a);

}  // namespace vantrel::adjustment
