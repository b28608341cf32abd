#include "plane/plane_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "common/text_rules.h"

namespace vantrel {
namespace {

constexpr double kP = 3.14159265358979;
constexpr double kTwoP = 6.28318530717958;

struct AzCase {
  const char* name;
  double x1, y1, x2, y2;
  double expected;
};

TEST(Xy2az, QuadrantsAxesAndTolerance) {
  const AzCase cases[] = {
      {"east", 0, 0, 0, 1, kP / 2},
      {"south", 0, 0, -1, 0, kP},
      {"west", 0, 0, 0, -1, kP / 2 + kP},
      {"coincident", 0, 0, 0, 0, kP / 2 + kP},
      {"north", 3, 4, 10, 4, 0.0},
      {"first quadrant", 0, 0, 1, 1, std::atan(1.0)},
      {"second quadrant", 0, 0, -1, 1, std::atan(-1.0) + kP},
      {"third quadrant", 0, 0, -1, -1, std::atan(1.0) + kP},
      {"fourth quadrant", 0, 0, 1, -1, std::atan(-1.0) + kTwoP},
      {"dx below tolerance", 0, 0, 1e-10, 5, kP / 2},
      {"dy below tolerance", 0, 0, -1, 1e-12, kP},
      {"dx below tolerance, dy negative", 0, 0, -5e-10, -3, kP / 2 + kP},
      {"dx just at tolerance is not zero", 0, 0, 1e-9, 1, std::atan(1.0 / 1e-9)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Xy2az(c.x1, c.y1, c.x2, c.y2), c.expected) << c.name;
  }
  // The half pi is exactly the program-wide pi halved, not the double nearest pi/2.
  EXPECT_EQ(Xy2az(0, 0, 0, 1), 1.570796326794895);
  EXPECT_NE(Xy2az(0, 0, 0, 1), std::acos(-1.0) / 2);
}

TEST(Xy2az, ResultStaysInFullCircle) {
  for (int k = 0; k < 360; ++k) {
    const double t = k * kP / 180 + 0.001;
    const double az = Xy2az(100, 200, 100 + 50 * std::cos(t), 200 + 50 * std::sin(t));
    EXPECT_GE(az, 0.0) << k;
    EXPECT_LT(az, kTwoP) << k;
    EXPECT_NEAR(az, t, 1e-12) << k;
  }
}

TEST(Xy2az, ComponentPiSet) {
  EXPECT_EQ(Xy2az(0, 0, -1, 0, kComponentPi), std::acos(-1.0));
  EXPECT_EQ(Xy2az(0, 0, 0, -1, kComponentPi), std::acos(-1.0) / 2 + std::acos(-1.0));
  EXPECT_EQ(Xy2az(0, 0, 1, -1, kComponentPi), std::atan(-1.0) + 2 * std::acos(-1.0));
}

TEST(Xy2d, Distances) {
  EXPECT_EQ(GeneralNumberText(Xy2d(100, 100, 200, 200)), "141.42135623731");
  EXPECT_EQ(Xy2d(0, 0, 3, 4), 5.0);
  EXPECT_EQ(Xy2d(-3, -4, 0, 0), 5.0);
  EXPECT_EQ(Xy2d(7, 7, 7, 7), 0.0);
}

struct FwjCase {
  const char* name;
  float x1, y1, x2, y2;
  double expected;
};

TEST(Fwj, DirectionsAndStakeoutPi) {
  const FwjCase cases[] = {
      {"coincident", 5, 7, 5, 7, 0.0},
      {"south", 0, 0, -10, 0, 3.1415926536},
      {"north", 0, 0, 10, 0, 0.0},
      {"east", 1, 1, 1, 4, 3.1415926536 / 2},
      {"west", 1, 4, 1, 1, 4.7123889804},
      {"first quadrant", 0, 0, 1, 1, std::atan(1.0)},
      {"second quadrant", 0, 0, -1, 1, std::atan(-1.0) + 3.1415926536},
      {"third quadrant", 0, 0, -1, -1, std::atan(1.0) + 3.1415926536},
      {"fourth quadrant", 0, 0, 1, -1, std::atan(-1.0) + 6.2831853072},
      // No tolerance: a tiny x difference is a real direction.
      {"tiny dx", 0, 0, 1e-12f, 5, std::atan(5.0 / static_cast<double>(1e-12f))},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fwj(c.x1, c.y1, c.x2, c.y2), c.expected) << c.name;
  }
}

TEST(Fwj, WorksOnThirtyTwoBitCoordinates) {
  // A few centimetres apart at 3.4 million metres: equal once rounded to 32 bits, so
  // the direction is due east rather than nearly north-east as in 64 bits.
  const double x1 = 3432012.05, y1 = 444062.50, x2 = 3432012.08, y2 = 444062.53;
  const float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
  const float fx2 = static_cast<float>(x2), fy2 = static_cast<float>(y2);
  ASSERT_EQ(fx1, fx2);
  EXPECT_EQ(Fwj(fx1, fy1, fx2, fy2), 3.1415926536 / 2);
  EXPECT_NEAR(Xy2az(x1, y1, x2, y2), std::atan(1.0), 1e-6);

  // Different after rounding: the azimuth follows the rounded coordinates.
  const float gx1 = 3432012.0f, gy1 = 144062.5f, gx2 = 3432112.3f, gy2 = 144162.8f;
  const double expected =
      std::atan((static_cast<double>(gy2) - gy1) / (static_cast<double>(gx2) - gx1));
  EXPECT_EQ(Fwj(gx1, gy1, gx2, gy2), expected);
  EXPECT_GT(std::fabs(Fwj(gx1, gy1, gx2, gy2) - Xy2az(3432012.0, 144062.5, 3432112.3, 144162.8)),
            1e-6);

  // Inputs are taken by reference and left as they were.
  float a = 1.5f, b = 2.5f, c = -3.5f, d = 4.5f;
  Fwj(a, b, c, d);
  EXPECT_EQ(a, 1.5f);
  EXPECT_EQ(b, 2.5f);
  EXPECT_EQ(c, -3.5f);
  EXPECT_EQ(d, 4.5f);
}

TEST(Ang_Arc, PackedToDecimalDegrees) {
  struct Case {
    float ang;
    double expected;
    double tol;
  };
  const Case cases[] = {
      {0.0f, 0.0, 0.0},
      {90.0f, 90.0, 0.0},
      {12.3456f, 12 + 34.0 / 60 + 56.0 / 3600, 1e-5},
      {-5.3f, -5.5, 1e-5},
      {-12.3456f, -(12 + 34.0 / 60 + 56.0 / 3600), 1e-5},
      {359.5959f, 359 + 59.0 / 60 + 59.0 / 3600, 1e-4},
      {0.003f, 30.0 / 3600, 1e-6},
      {45.3015f, 45 + 30.0 / 60 + 15.0 / 3600, 1e-5},
      // Floats just below the typed value must not lose a minute.
      {30.3f, 30.5, 1e-5},
      {1.1f, 1 + 10.0 / 60, 1e-5},
      {58.59f, 58 + 59.0 / 60, 1e-5},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(Ang_Arc(c.ang), c.expected, c.tol) << c.ang;
  }
  // A negative angle is exactly the negative of its absolute value.
  for (float v : {0.1234f, 5.3f, 30.0f, 123.4530f}) {
    const float neg = -v;
    EXPECT_EQ(Ang_Arc(neg), -Ang_Arc(v)) << v;
  }
}

TEST(Ang_Arc, MinutesAreRoundedToThirtyTwoBits) {
  // The whole minutes in degrees are a float: 34/60 as a float, not as a double.
  const float ang = 12.34f;
  const double got = Ang_Arc(ang);
  const double fc = static_cast<double>(static_cast<float>(static_cast<double>(ang) * 100));
  const float d = static_cast<float>(12.0 + static_cast<double>(static_cast<float>(34.0 / 60)));
  EXPECT_EQ(got, (fc - std::floor(fc)) / 36 + static_cast<double>(d));
  EXPECT_NE(got, (fc - std::floor(fc)) / 36 + 12.0 + 34.0 / 60);
}

// Every packed angle with whole seconds, as a dialog hands it over (the text read as a double,
// then held as a float), reads back as what it says. The float holds D.MMSS to half its
// spacing and the 32-bit hundredfold adds about as much; a packed unit in the seconds digits
// is 10000/3600 degrees. Near 360 degrees that allows about half an arc second.
TEST(Ang_Arc, EveryWholeSecondAngleReadsBackWithinWhatItsFloatCarries) {
  int wrong = 0;
  for (int deg = 0; deg < 360; ++deg)
    for (int min = 0; min < 60; ++min)
      for (int sec = 0; sec < 60; ++sec) {
        const float packed = static_cast<float>((deg * 10000.0 + min * 100 + sec) / 10000.0);
        const double spacing = std::nextafter(packed, INFINITY) - packed;
        const double exact = deg + min / 60.0 + sec / 3600.0;
        if (std::fabs(Ang_Arc(packed) - exact) > 2 * 10000.0 / 3600 * spacing && ++wrong <= 5)
          ADD_FAILURE() << deg << "°" << min << "′" << sec << "″ reads " << Ang_Arc(packed);
      }
  EXPECT_EQ(wrong, 0);
  // As the stakeout dialog shows them: whole minutes, no stray 40 seconds.
  const std::pair<float, const char*> shown[] = {
      {35.1f, "35  10  0"}, {0.59f, "0  59  0"}, {2.37f, "2  37  0"}, {359.59f, "359  59  0"}};
  for (const auto& [packed, text] : shown)
    EXPECT_EQ(Arc_Ang(Ang_Arc(packed) * kStakePi / 180), text) << packed;
}

TEST(Arc_Ang, DegreesMinutesSecondsText) {
  struct Case {
    double arc;
    const char* expected;
  };
  const double r = 3.1415926536 / 180;
  const Case cases[] = {
      {1.5707963268, "90  0  0"},
      {0.0, "0  0  0"},
      {(45 + 30.0 / 60 + 15.2 / 3600) * r, "45  30  15.2"},
      {(12 + 5.0 / 60) * r, "12  5  0"},
      {(359 + 59.0 / 60 + 59.96 / 3600) * r, "359  59  60"},  // no carry
      {(7 + 1.0 / 60 + 0.04 / 3600) * r, "7  1  0"},
      {(200 + 0.5 / 3600) * r, "200  0  0.5"},
      {-(10 + 30.0 / 60 + 12.3 / 3600) * r, "-10  30  12.3"},
      {-(30.0 / 60) * r, "-0  30  0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Arc_Ang(c.arc), c.expected) << c.arc;
  }
}

TEST(Arc_Ang, OutOfRangeIsARunTimeError) {
  const double huge = 1e6;  // about 57 million degrees
  const double inf = INFINITY;
  const double nan = NAN;
  EXPECT_THROW(Arc_Ang(huge), std::overflow_error);
  EXPECT_THROW(Arc_Ang(inf), std::overflow_error);
  EXPECT_THROW(Arc_Ang(nan), std::overflow_error);
  const double inRange = 32767.5 * 3.1415926536 / 180;
  EXPECT_EQ(Arc_Ang(inRange), "32767  30  0");
}

}  // namespace
}  // namespace vantrel
