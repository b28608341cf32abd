#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "plane/intersection.h"
#include "plane/plane_helpers.h"
#include "plane/traverse.h"

using namespace vantrel;

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("vantrel_plane_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

}  // namespace

TEST(SplitAzimuth, FloorsWithoutCarry) {
  struct Case { double deg; double D, M; double secLo, secHi; } cases[] = {
      {45, 45, 0, -1e-6, 1e-6},
      {270, 270, 0, -1e-6, 1e-6},
      // 30.5 deg comes back a hair short of 30 deg 30 min: no carry is made.
      {30.5, 30, 29, 59.99999, 60.0},
      {12.999999, 12, 59, 59.99, 60.0},
  };
  for (const Case& c : cases) {
    AzimuthParts p = SplitAzimuth(c.deg * kPi / 180);
    EXPECT_EQ(p.degrees, c.D) << c.deg;
    EXPECT_EQ(p.minutes, c.M) << c.deg;
    EXPECT_GE(p.seconds, c.secLo) << c.deg;
    EXPECT_LE(p.seconds, c.secHi) << c.deg;
  }
  EXPECT_DOUBLE_EQ(JoinAzimuth(30, 90, 0), 31.5 * kPi / 180);
}

TEST(ForwardIntersection, KnownCases) {
  PlanePoint p;
  ASSERT_TRUE(ForwardIntersection(100, 100, 0, 200, Dms2Rad(45), Dms2Rad(45), p));
  EXPECT_EQ(FormatPattern(p.x, "#.0000"), "100.0000");
  EXPECT_EQ(FormatPattern(p.y, "#.0000"), "200.0000");
  ASSERT_TRUE(ForwardIntersection(0, 0, 100, 0, Dms2Rad(30), Dms2Rad(60), p));
  EXPECT_EQ(FormatPattern(p.x, "#.0000"), "75.0000");
  EXPECT_EQ(FormatPattern(p.y, "#.0000"), "-43.3013");
  // Coincident A and B: P is A.
  ASSERT_TRUE(ForwardIntersection(5, 6, 5, 6, Dms2Rad(30), Dms2Rad(60), p));
  EXPECT_DOUBLE_EQ(p.x, 5);
  EXPECT_DOUBLE_EQ(p.y, 6);
}

TEST(ForwardIntersection, ParallelRaysGiveNoPoint) {
  const double pairs[][2] = {{90, 90}, {30, 150}, {120.3, 59.3}, {0, 180}};
  for (auto& ab : pairs) {
    PlanePoint p{7, 8};
    EXPECT_FALSE(ForwardIntersection(0, 0, 100, 0, Dms2Rad(ab[0]), Dms2Rad(ab[1]), p))
        << ab[0] << " " << ab[1];
    EXPECT_EQ(p.x, 7);
  }
}

TEST(Resection, Defaults) {
  PlanePoint p;
  ASSERT_EQ(Resection(100, 100, 0, 200, 250, 250, Dms2Rad(170), Dms2Rad(160), p),
            ResectionStatus::Ok);
  EXPECT_EQ(FormatPattern(p.x, "#.0000"), "275.9555");
  EXPECT_EQ(FormatPattern(p.y, "#.0000"), "260.7011");
  PlanePoint q;
  ASSERT_EQ(Resection(100, 100, 0, 200, 250, 250, Dms2Rad(350), Dms2Rad(160), q),
            ResectionStatus::Ok);
  EXPECT_NEAR(q.x, p.x, 1e-6);
  EXPECT_NEAR(q.y, p.y, 1e-6);
  // Both senses reversed is a different configuration.
  PlanePoint r;
  ResectionStatus s =
      Resection(100, 100, 0, 200, 250, 250, Dms2Rad(190), Dms2Rad(200), r);
  EXPECT_TRUE(s != ResectionStatus::Ok || std::fabs(r.x - p.x) > 1e-3);
}

// Observed angles as the dialog's convention defines them, from a known P.
static void AnglesFrom(const PlanePoint& P, const PlanePoint& A, const PlanePoint& B,
                       const PlanePoint& C, double& alpha, double& beta) {
  const double twoPi = kCalculatorPi.twoPi;
  auto az = [](const PlanePoint& f, const PlanePoint& t) { return Xy2az(f.x, f.y, t.x, t.y); };
  alpha = std::fmod(az(P, B) - az(P, C) + 2 * twoPi, twoPi);
  beta = std::fmod(az(P, C) - az(P, A) + 2 * twoPi, twoPi);
}

TEST(Resection, PointOnTheCircleIsTheDangerCircle) {
  // A, B, C on the circle of radius 100 about the origin; P on the same circle.
  auto onCircle = [](double deg) {
    return PlanePoint{100 * std::cos(deg * kPi / 180), 100 * std::sin(deg * kPi / 180)};
  };
  PlanePoint A = onCircle(10), B = onCircle(130), C = onCircle(250);
  for (double deg : {60.0, 190.0, 300.0, 345.0}) {
    double alpha, beta;
    AnglesFrom(onCircle(deg), A, B, C, alpha, beta);
    PlanePoint p{1, 2};
    EXPECT_EQ(Resection(A.x, A.y, B.x, B.y, C.x, C.y, alpha, beta, p),
              ResectionStatus::DangerCircle)
        << deg;
    EXPECT_EQ(p.x, 1);
  }
}

TEST(Geometry, RandomConfigurationsRoundTrip) {
  std::mt19937 rng(20261208);
  std::uniform_real_distribution<double> coord(-1000, 1000);
  int checkedFor = 0, checkedBack = 0;
  for (int i = 0; i < 2000 && (checkedFor < 200 || checkedBack < 200); ++i) {
    PlanePoint A{coord(rng), coord(rng)}, B{coord(rng), coord(rng)}, C{coord(rng), coord(rng)},
        P{coord(rng), coord(rng)};
    const double ab = Xy2d(A.x, A.y, B.x, B.y);
    if (ab < 100) continue;
    // Forward intersection: P on the left of A->B, well away from the line.
    double azAB = Xy2az(A.x, A.y, B.x, B.y), azAP = Xy2az(A.x, A.y, P.x, P.y);
    double azBA = Xy2az(B.x, B.y, A.x, A.y), azBP = Xy2az(B.x, B.y, P.x, P.y);
    double alpha = std::fmod(azAB - azAP + 4 * kPi, 2 * kPi);
    double beta = std::fmod(azBP - azBA + 4 * kPi, 2 * kPi);
    if (alpha > 0.3 && alpha < 2.5 && beta > 0.3 && beta < 2.5 && alpha + beta < 2.8) {
      PlanePoint got;
      ASSERT_TRUE(ForwardIntersection(A.x, A.y, B.x, B.y, alpha, beta, got));
      EXPECT_NEAR(got.x, P.x, 1e-6);
      EXPECT_NEAR(got.y, P.y, 1e-6);
      ++checkedFor;
    }
    // Resection: P well inside the triangle-free zone, far from the circle through A, B, C.
    double d = 2 * (A.x * (B.y - C.y) + B.x * (C.y - A.y) + C.x * (A.y - B.y));
    if (std::fabs(d) < 1e5) continue;
    auto sq = [](const PlanePoint& q) { return q.x * q.x + q.y * q.y; };
    double ux = (sq(A) * (B.y - C.y) + sq(B) * (C.y - A.y) + sq(C) * (A.y - B.y)) / d;
    double uy = (sq(A) * (C.x - B.x) + sq(B) * (A.x - C.x) + sq(C) * (B.x - A.x)) / d;
    double rad = std::hypot(A.x - ux, A.y - uy);
    double dist = std::hypot(P.x - ux, P.y - uy);
    if (std::fabs(dist - rad) < 0.3 * rad || rad > 3000) continue;
    if (Xy2d(P.x, P.y, A.x, A.y) < 50 || Xy2d(P.x, P.y, B.x, B.y) < 50 ||
        Xy2d(P.x, P.y, C.x, C.y) < 50 || Xy2d(B.x, B.y, C.x, C.y) < 100 ||
        Xy2d(A.x, A.y, C.x, C.y) < 100)
      continue;
    double ra, rb;
    AnglesFrom(P, A, B, C, ra, rb);
    PlanePoint got;
    if (Resection(A.x, A.y, B.x, B.y, C.x, C.y, ra, rb, got) != ResectionStatus::Ok) continue;
    EXPECT_NEAR(got.x, P.x, 1e-6);
    EXPECT_NEAR(got.y, P.y, 1e-6);
    ++checkedBack;
  }
  EXPECT_GE(checkedFor, 200);
  EXPECT_GE(checkedBack, 200);
}

TEST(TraverseLeg, BackSightSouthLeftAndRight) {
  const double az0 = Xy2az(0, 0, -100, 0);
  TraverseLeg left = ComputeTraverseLeg(0, 0, az0, Dms2Rad(90), true, 100);
  EXPECT_NEAR(left.azimuth, 1.5 * kPi, 1e-12);
  EXPECT_NEAR(left.x, 0, 1e-10);
  EXPECT_NEAR(left.y, -100, 1e-10);
  EXPECT_NEAR(left.reverseAzimuth, kPi / 2, 1e-12);
  TraverseLeg right = ComputeTraverseLeg(0, 0, az0, Dms2Rad(90), false, 100);
  EXPECT_NEAR(right.leftAngle, 1.5 * kPi, 1e-12);
  EXPECT_NEAR(right.azimuth, kPi / 2, 1e-12);
  EXPECT_NEAR(right.x, 0, 1e-10);
  EXPECT_NEAR(right.y, 100, 1e-10);
  EXPECT_NEAR(right.reverseAzimuth, 1.5 * kPi, 1e-12);
}

// Back-sight azimuths typed far out of range once stepped down one turn at a time, which at
// such sizes never ends; the leg must come back at once with its azimuth within a turn.
TEST(TraverseLeg, AzimuthFarOutOfRangeEnds) {
  const double twoPi = kCalculatorPi.twoPi;
  const struct {
    double backAzimuth;
    bool finite;
  } cases[] = {{-157376338652328.53, true}, {1e300, true}, {-1e300, true},
               {9 * twoPi + 0.5, true}, {INFINITY, false}, {-INFINITY, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.backAzimuth);
    const TraverseLeg leg = ComputeTraverseLeg(10, 20, c.backAzimuth, 0.25, true, 100);
    if (c.finite) {
      EXPECT_GE(leg.azimuth, 0);
      EXPECT_LE(leg.azimuth, twoPi);
      EXPECT_NEAR(std::hypot(leg.x - 10, leg.y - 20), 100, 1e-6);
    } else {
      EXPECT_TRUE(std::isnan(leg.azimuth));
    }
  }
  // Within a few turns the reduction is the plain one: 9 turns + 0.5 + 0.25 gives 0.75.
  EXPECT_NEAR(ComputeTraverseLeg(0, 0, 9 * twoPi + 0.5, 0.25, true, 1).azimuth, 0.75, 1e-9);
}

TEST(TraverseFile, BytesOfHeadAndRecords) {
  const std::string path = TempPath("bytes.out");
  ASSERT_TRUE(CreateTraverseFile(path, TraverseHeadings::Default).ok);
  TraverseRecord r{"P1", 0, -100, 0, 0, kPi, 100, Dms2Rad(90)};
  ASSERT_TRUE(AppendTraverseRecord(path, r).ok);
  ASSERT_TRUE(AppendTraverseRecord(path, r).ok);
  const std::string bytes = ReadBytes(path);
  std::string head = Utf8ToGbk("支导线结 果文件") + "\r\n" +
                     Utf8ToGbk(PrintZones({"点号 ", "X   ", " Y   ", " X0  ", "   Y0 ",
                                           "至后视点(D.MS)", "边长", "转折左角(D.MS)  "})) +
                     "\r\n";
  // The angle fields carry the 1e-10 rad offset: 20 millionths of a second.
  std::string rec =
      "P1            .000          -100.000      .000          .000           180.0000000020"
      "             100.000        90.0000000020\r\n";
  EXPECT_EQ(bytes, head + rec + rec);
  ASSERT_TRUE(CreateTraverseFile(path, TraverseHeadings::Chosen).ok);
  ASSERT_TRUE(ReadTextFile(path).ok);
  EXPECT_EQ(ReadTextFile(path).lines, TraverseFileHead(TraverseHeadings::Chosen));
  EXPECT_NE(TraverseFileHead(TraverseHeadings::Chosen)[1],
            TraverseFileHead(TraverseHeadings::Default)[1]);
  std::remove(path.c_str());
}

TEST(TraverseFile, WriteFailuresAreReported) {
  const std::string dir = TempPath("adir");
  std::filesystem::create_directories(dir);
  EXPECT_FALSE(CreateTraverseFile(dir, TraverseHeadings::Default).ok);
  EXPECT_FALSE(AppendTraverseRecord(dir + "/x/none.out", TraverseRecord{}).ok);
  EXPECT_FALSE(AppendTraverseRecord("/dev/full", TraverseRecord{}).ok);
  std::filesystem::remove_all(dir);
}

TEST(TraverseFile, ReadBackSplitsOnBlanks) {
  TraverseRecord r{"新点", 1234567.891, -12.5, 0.25, 3, Dms2Rad(123.4530), 55.5,
                   Dms2Rad(271.0102)};
  std::vector<std::string> lines = TraverseFileHead(TraverseHeadings::Default);
  lines.push_back(TraverseRecordLine(r));
  lines.push_back("");
  lines.push_back("B 1 2 3 4 5.3 6 7");  // no trailing blank
  lines.push_back("C 1");
  NetReadResult got = ParseTraverseLines(lines);
  ASSERT_EQ(got.total, 3);
  ASSERT_EQ(got.records.size(), 3u);
  EXPECT_EQ(got.records[0].name, "新点");
  EXPECT_DOUBLE_EQ(got.records[0].x, 1234567.891);
  EXPECT_DOUBLE_EQ(got.records[0].y, -12.5);
  EXPECT_DOUBLE_EQ(got.records[0].x0, 0.25);
  EXPECT_NEAR(got.records[0].backAzimuth, Dms2Rad(123.4530), 1e-9);
  EXPECT_DOUBLE_EQ(got.records[0].side, 55.5);
  EXPECT_NEAR(got.records[0].turnDms, 271.0102, 1e-8);
  EXPECT_DOUBLE_EQ(got.records[1].y0, 4);
  EXPECT_NEAR(got.records[1].backAzimuth, Dms2Rad(5.3), 1e-12);
  EXPECT_DOUBLE_EQ(got.records[1].turnDms, 7);
  EXPECT_DOUBLE_EQ(got.records[2].x, 1);
  EXPECT_DOUBLE_EQ(got.records[2].y, 0);
  EXPECT_EQ(SplitTraverseRecord("  a   b ").size(), 8u);
  EXPECT_EQ(SplitTraverseRecord("  a   b ")[1], "b");
}

TEST(TraverseFile, MoreThanTwentyKeepsTheFirstTwenty) {
  std::vector<std::string> lines = {"t", "h"};
  for (int i = 1; i <= 23; ++i) lines.push_back("P" + std::to_string(i) + " 1 2 3 4 5 6 7");
  NetReadResult got = ParseTraverseLines(lines);
  EXPECT_EQ(got.total, 23);
  ASSERT_EQ(got.records.size(), 20u);
  EXPECT_EQ(got.records.back().name, "P20");
}

// Coordinates near the largest double (typed legs, or a hand-edited file) make the extents
// overflow; every pixel must still be a real position, not an int made from NaN.
TEST(NetLayout, ExtentsThatOverflowStillGivePixels) {
  const double big = 1.7e308;
  const std::vector<NetRecord> cases[] = {
      {{"A", big, -big, -big, big, 1.0, big, 0}},
      {{"B", big, big, 0, 0, 0, 10, 0}, {"C", -big, -big, 0, 0, 0, 10, 0}},
  };
  for (const auto& records : cases) {
    const NetLayout l = LayoutTraverseNet(records, 640, 480);
    ASSERT_EQ(l.legs.size(), records.size());
    for (const NetLegPixels& p : l.legs) {
      SCOPED_TRACE(p.name);
      for (int v : {p.newX, p.newY, p.stationX, p.stationY}) {
        EXPECT_GE(v, -1000000000);
        EXPECT_LE(v, 1000000000);
      }
    }
  }
}

TEST(NetLayout, ScalingRules) {
  const int W = 500, H = 400;
  // Due north single leg: the vertical extent sets the scale.
  NetRecord north{"N", 100, 0, 0, 0, 0, 90, 0};
  NetLayout l = LayoutTraverseNet({north}, W, H);
  ASSERT_EQ(l.legs.size(), 1u);
  EXPECT_EQ(l.radius, 4);
  EXPECT_EQ(l.legs[0].newX, W / 5);
  EXPECT_EQ(l.legs[0].stationX, W / 5);
  EXPECT_EQ(l.legs[0].newY, static_cast<int>(std::floor(H / 5.0)));
  EXPECT_EQ(l.legs[0].stationY, static_cast<int>(std::floor(H / 5.0 + 0.6 * H)));
  // Back-sight mark: S/3 due north of the station, not floored.
  EXPECT_NEAR(l.legs[0].markY, H / 5.0 + 0.6 * H - l.scale * 30, 1e-9);
  // East-west line: the horizontal extent sets the scale.
  NetRecord east{"E", 0, 200, 0, 0, 0, 200, 0};
  NetLayout e = LayoutTraverseNet({east}, W, H);
  EXPECT_DOUBLE_EQ(e.scale, 0.6 * W / 200);
  EXPECT_EQ(e.legs[0].stationX, W / 5);
  EXPECT_EQ(e.legs[0].newX, static_cast<int>(std::floor(W / 5.0 + 0.6 * W)));
  EXPECT_EQ(e.legs[0].newY, H / 5);
  // Empty: nothing to draw, no division fault.
  EXPECT_TRUE(LayoutTraverseNet({}, W, H).legs.empty());
}
