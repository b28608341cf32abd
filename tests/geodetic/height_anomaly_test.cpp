#include "geodetic/height_anomaly.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

double Cell(int lat, int lon) { return HeightAnomaly54Cell(lat - 18, lon - 73); }

TEST(HeightAnomalyGrid, CountRangeAndEdges) {
  int data = 0, negative = 0;
  double lo = 1e9, hi = -1e9;
  for (int i = 0; i < kHeightAnomalyRows; ++i)
    for (int j = 0; j < kHeightAnomalyColumns; ++j) {
      const double v = HeightAnomaly54Cell(i, j);
      if (std::fabs(v) < 0.1) continue;
      EXPECT_TRUE(i > 0 && j > 0) << i << " " << j;
      ++data;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      if (v < 0) {
        ++negative;
        EXPECT_TRUE(i + 18 >= 40 && i + 18 <= 46 && j + 73 >= 81 && j + 73 <= 94) << i << " " << j;
      }
    }
  EXPECT_EQ(data, 933);
  EXPECT_EQ(negative, 57);
  EXPECT_EQ(lo, -10.9);
  EXPECT_EQ(hi, 68);
  EXPECT_EQ(HeightAnomaly54Cell(-1, 3), 0);
  EXPECT_EQ(HeightAnomaly54Cell(3, 62), 0);
}

TEST(HeightAnomalyGrid, TellingCells) {
  struct Case {
    int lat, lon;
    double value;
  } cases[] = {{19, 109, 45.0}, {19, 110, 48.4}, {19, 108, 0},    {19, 111, 0},
               {53, 121, 0},    {53, 122, 38.3}, {53, 125, 41.5}, {53, 126, 0},
               {31, 79, 0},     {31, 80, 38.1},  {31, 121, 62.9}, {31, 122, 0},
               {39, 74, 19.0},  {28, 121, 68},   {41, 129, 68},   {45, 86, -10.9},
               {43, 94, 0},     {43, 95, 1.6},   {47, 118, 42},   {47, 119, 0}};
  for (const Case& c : cases) EXPECT_EQ(Cell(c.lat, c.lon), c.value) << c.lat << " " << c.lon;
}

TEST(HeightAnomaly54, InterpolationWithGapFilling) {
  struct Case {
    double B, L, expected, tol;
  } cases[] = {{31, 121.50833333333333, 62.9, 1e-12},
               {40, 116, 44.8, 1e-12},
               {19.5, 109.5, 46.2, 1e-12},
               {30.5, 114.25, 44.325, 1e-12},
               {18.51, 109.5, 46.7, 1e-12},  // the 18 degree row is empty: the 19 row is taken
               {50.2, 80.3, 0, 0}};           // nothing around
  for (const Case& c : cases)
    EXPECT_NEAR(HeightAnomaly54(c.B, c.L), c.expected, c.tol) << c.B << " " << c.L;
}

TEST(HeightAnomaly54, OutsideTheGridReadsNoData) {
  EXPECT_EQ(HeightAnomaly54(-5, 100), 0);
  EXPECT_EQ(HeightAnomaly54(60, 200), 0);
  EXPECT_EQ(HeightAnomaly54(std::nan(""), 100), 0);
  EXPECT_EQ(HeightAnomaly54(1e300, 100), 0);
  EXPECT_NEAR(HeightAnomaly54(53, 124), 40.7, 1e-12);  // top row read alone
}

}  // namespace
}  // namespace vantrel
