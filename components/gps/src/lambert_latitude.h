#pragma once
// The latitude loop of the inverse Lambert projection, on its own so that its bound on
// the number of rounds can be exercised with eccentricities no ellipsoid has.

namespace tandrel::detail {

inline constexpr int kLambertMaxRounds = 100;

// Fixed-point iteration from 0 for the latitude of isometric latitude psi on an ellipsoid
// of eccentricity e. False when it has not settled to 1e-14 within maxRounds rounds or a
// step is not finite; phi is written only on success.
bool LambertLatitude(double psi, double e, double& phi, int maxRounds = kLambertMaxRounds);

}  // namespace tandrel::detail
