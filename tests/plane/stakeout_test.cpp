#include "plane/stakeout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "plane/plane_helpers.h"

namespace vantrel {
namespace {

TEST(Stakeout, ElementsOfTheTextbookCase) {
  // Station (0,0), back-sight (100,0), point (0,50), back-sight reading 0.
  const double stakeAz = StakeAzimuth(0, 0, 0, 50);
  const double backAz = StakeAzimuth(0, 0, 100, 0);
  EXPECT_EQ(stakeAz, kStakePi / 2);
  EXPECT_EQ(backAz, 0);
  EXPECT_EQ(Arc_Ang(stakeAz), "90  0  0");
  EXPECT_DOUBLE_EQ(StakeDistance(0, 0, 0, 50), 50);
  EXPECT_EQ(Arc_Ang(StakeCircleReading(0.0f, stakeAz, backAz)), "90  0  0");
}

TEST(Stakeout, CircleReadingWrapsOnceEachWay) {
  const double deg = kStakePi / 180;
  struct Case {
    float r0;
    double stakeAz, backAz;
    double expectDeg;
  } cases[] = {
      {350.0f, 30 * deg, 10 * deg, 10},  // 350 + 20 wraps to 10
      {0.0f, 10 * deg, 30 * deg, 340},   // negative turns to 340
      {90.0f, 0, 0, 90},
      {180.0f, 270 * deg, 10 * deg, 80},
  };
  for (const auto& c : cases) {
    const double w = StakeCircleReading(c.r0, c.stakeAz, c.backAz);
    EXPECT_NEAR(w / deg, c.expectDeg, 1e-6) << c.r0;
    EXPECT_GE(w, 0);
    EXPECT_LE(w, kStakeTwoPi);
  }
}

TEST(Stakeout, SlopeReduction) {
  const SlopeReduction r = ReduceSlope(100, 30.0f);
  EXPECT_NEAR(r.horizontal, 86.6025, 1e-4);
  EXPECT_NEAR(r.height, 50.0, 1e-6);
  const SlopeReduction dep = ReduceSlope(100, -5.3f);  // depression of 5 deg 30 min
  EXPECT_NEAR(dep.height, -100 * std::sin(5.5 * kStakePi / 180), 1e-3);
  EXPECT_NEAR(dep.horizontal, 100 * std::cos(5.5 * kStakePi / 180), 1e-3);
}

TEST(Stakeout, PrismMoveDirection) {
  struct Case {
    double measured, required, amount;
    bool forward;
  } cases[] = {
      {50.012, 50.000, 0.012, true},
      {49.990, 50.000, 0.010, false},
      {50.000, 50.000, 0.000, false},
      {50.0004, 50.000, 0.0004, false},  // shows 0.000: not a move forward
      {50.0006, 50.000, 0.0006, true},
  };
  for (const auto& c : cases) {
    const PrismMove m = StakePrismMove(c.measured, c.required);
    EXPECT_NEAR(m.amount, c.amount, 1e-9) << c.measured;
    EXPECT_EQ(m.forward, c.forward) << c.measured;
  }
}

TEST(Stakeout, HeightCorrection) {
  EXPECT_DOUBLE_EQ(StakeHeightCorrection(1.5, 100, 1.5, 0, 101), -1.0);
  EXPECT_NEAR(StakeHeightCorrection(1.6, 100, 1.5, 0.2, 100.1), 0.2, 1e-9);
}

TEST(Stakeout, AzimuthFollowsThe32BitCoordinates) {
  // At several million metres a float steps by a quarter metre: 3380000.05 and 3380000.10 round
  // to the same float, so the azimuth takes the equal-X branch and reads exactly 90 degrees, where the
  // 64-bit azimuth is about 89.9 degrees.
  const double a32 = StakeAzimuth(3380000.05, 500000, 3380000.10, 500000.5);
  const double a64 = Xy2az(3380000.05, 500000, 3380000.10, 500000.5);
  EXPECT_EQ(a32, kStakePi / 2);
  EXPECT_GT(std::fabs(a32 - a64), 1e-3);
  // Rounded coordinates can also turn the azimuth in a direction of their own.
  const double b32 = StakeAzimuth(3380000.3, 39500000.3, 3380010.0, 39500010.0);
  const double b64 = Xy2az(3380000.3, 39500000.3, 3380010.0, 39500010.0);
  EXPECT_GT(std::fabs(b32 - b64), 1e-3);
}

}  // namespace
}  // namespace vantrel
