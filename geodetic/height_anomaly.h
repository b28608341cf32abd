#pragma once
// The 1954-ellipsoid height anomaly model over China: a 1 x 1 degree grid read by
// bilinear interpolation with gap filling.

namespace vantrel {

// B latitude and L longitude in decimal degrees; the caller keeps 18 <= B < 53 and
// 73 <= L < 134. Returns metres (0 where no data lies around the point).
double HeightAnomaly54(double B, double L);

// The grid cell at row i (latitude 18 + i), column j (longitude 73 + j); 0 is no data.
// Outside 0..35 x 0..61 it returns 0.
double HeightAnomaly54Cell(int i, int j);

// Where the model may be read from a decimal position (degrees): 19..52 N and 74..133 E,
// bounds included, latitude tested first. The dialogs that take packed text test the text.
enum class AnomalyRange { Inside, LatitudeOutside, LongitudeOutside };
AnomalyRange HeightAnomaly54Range(double B, double L);

// The model at B, L in radians (degrees by 180/pi with the calculator's pi), range tested
// as above; zeta is set only when Inside.
AnomalyRange HeightAnomaly54At(double B, double L, double& zeta);

inline constexpr int kHeightAnomalyRows = 36;
inline constexpr int kHeightAnomalyColumns = 62;

}  // namespace vantrel
