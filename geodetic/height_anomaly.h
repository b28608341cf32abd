#pragma once
// The 1954-ellipsoid height anomaly model over China: a 1 x 1 degree grid read by
// bilinear interpolation with gap filling.

#include <string_view>

namespace vantrel {

inline constexpr std::string_view kLatitudeOutsideChina =
    "纬度不在中国范围内, 不能计算54椭球大地水准面差距!";
inline constexpr std::string_view kLongitudeOutsideChina =
    "经度不在中国范围内, 不能计算54椭球大地水准面差距!";

// The China window the dialogs check before they ask the model, on a position as typed
// (packed D.MMSS): a latitude above 52, or below 19 once rounded to an integer (ties to
// even), then a longitude above 133 or below 74 the same way, give their message; "" when
// inside. Not-a-number is outside.
std::string_view AnomalyWindowMessage(double typedB, double typedL);

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
