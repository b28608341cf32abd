#include "geodetic/height_anomaly.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"

namespace vantrel {
namespace {

double Cell(int lat, int lon) { return HeightAnomaly54Cell(lat - 18, lon - 73); }

TEST(HeightAnomalyGrid, CountsAndTellingCells) {
  int data = 0, negative = 0;
  double lo = 1e9, hi = -1e9;
  for (int i = 0; i < kHeightAnomalyRows; ++i) {
    for (int j = 0; j < kHeightAnomalyColumns; ++j) {
      double v = HeightAnomaly54Cell(i, j);
      if (i == 0 || j == 0) {
        EXPECT_EQ(v, 0);
      }
      if (std::fabs(v) < 0.1) continue;
      ++data;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      if (v < 0) {
        ++negative;
        EXPECT_TRUE(i + 18 >= 40 && i + 18 <= 46 && j + 73 >= 81 && j + 73 <= 94);
      }
    }
  }
  EXPECT_EQ(data, 933);
  EXPECT_EQ(negative, 57);
  EXPECT_EQ(lo, -10.9);
  EXPECT_EQ(hi, 68);
  struct Case { int lat, lon; double v; };
  const Case cases[] = {{19, 109, 45.0}, {19, 110, 48.4}, {19, 111, 0},  {53, 121, 0},
                        {53, 122, 38.3}, {53, 125, 41.5}, {31, 80, 38.1}, {31, 121, 62.9},
                        {31, 122, 0},    {39, 74, 19.0},  {28, 121, 68},  {41, 129, 68},
                        {45, 86, -10.9}, {43, 94, 0},     {43, 95, 1.6}};
  for (const auto& c : cases) EXPECT_EQ(Cell(c.lat, c.lon), c.v) << c.lat << " " << c.lon;
  EXPECT_EQ(HeightAnomaly54Cell(-1, 5), 0);
  EXPECT_EQ(HeightAnomaly54Cell(36, 5), 0);
  EXPECT_EQ(HeightAnomaly54Cell(5, 62), 0);
}

TEST(HeightAnomalyModel, InterpolatedFigures) {
  struct Case { double B, L; const char* text; };
  const Case cases[] = {
      {31, Dms2Rad(121.3030) * 180 / kPi, "62.900"},
      {40, 116, "44.800"},
      {19.5, 109.5, "46.200"},
      {30.5, 114.25, "44.325"},
      {18.5, 100, ".000"},   // no data around: 0
      {18.85, 109.5, "46.700"},  // the 18 row is empty and takes the 19 row
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatPattern(HeightAnomaly54(c.B, c.L), ".000"), c.text) << c.B << " " << c.L;
}

TEST(HeightAnomalyModel, NeverReadsOutsideTheTable) {
  for (double B : {-1e300, -5.0, 17.9, 53.5, 60.0, 1e300, std::nan("")})
    for (double L : {-1e300, 0.0, 72.0, 133.99, 134.5, 1e300, std::nan("")}) {
      double v = HeightAnomaly54(B, L);
      EXPECT_TRUE(std::isfinite(v));
    }
}

}  // namespace
}  // namespace vantrel
