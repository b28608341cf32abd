#include "batch/ellipsoids.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel::batch {
namespace {

TEST(BatchEllipsoids, CalculatorCodesGiveTheCalculatorsRows) {
  for (int code : {54, 80, 84}) {
    const auto e = EllipsoidByCode(std::to_string(code));
    ASSERT_TRUE(e) << code;
    EXPECT_EQ(e->a, Get_Earth(code).a) << code;
    EXPECT_EQ(e->e2, Get_Earth(code).e2) << code;
  }
}

TEST(BatchEllipsoids, Cgcs2000FromItsDefiningConstants) {
  const auto e = EllipsoidByCode("2000");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->a, 6378137.0);
  // The flattening recovered from e2 must give back the defining 1/f.
  const double f = 1 - std::sqrt(1 - e->e2);
  EXPECT_NEAR(1 / f, 298.257222101, 1e-8);
  // Published value of the first eccentricity squared of CGCS2000.
  EXPECT_NEAR(e->e2, 0.00669438002290, 1e-14);
}

TEST(BatchEllipsoids, UnknownCodesAreRefusedNotDefaulted) {
  for (const char* code : {"", "55", "054", "84 ", "WGS84", "20000", "2000.0"})
    EXPECT_FALSE(EllipsoidByCode(code)) << '"' << code << '"';
  EXPECT_EQ(EllipsoidCodes().size(), 4u);
  for (auto c : EllipsoidCodes()) EXPECT_TRUE(EllipsoidByCode(c)) << c;
}

}  // namespace
}  // namespace vantrel::batch
