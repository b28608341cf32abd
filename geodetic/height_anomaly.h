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

inline constexpr int kHeightAnomalyRows = 36;
inline constexpr int kHeightAnomalyColumns = 62;

}  // namespace vantrel
