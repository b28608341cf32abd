#include "batch/ellipsoids.h"

#include "batch/conversions.h"
#include "batch/gauss_options.h"
#include "batch/typed_angles.h"
#include "geodetic/seven_parameter.h"
#include "tandrel/tandrel.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

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

// The table's rows are the constants the dialogs and components have always used.
TEST(EllipsoidTable, RowsKeepTheirBitsAndTheComponentRule) {
  auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
  EXPECT_EQ(bits(kEllipsoid54.e2), bits(0.006693421622966));
  EXPECT_EQ(bits(kEllipsoid80.e2), bits(0.006694384999588));
  EXPECT_EQ(bits(kEllipsoid84.e2), bits(0.0066943800229));
  for (const EllipsoidRow& row : kEllipsoidRows) {
    if (!row.UsedBy(kUsedByBatch)) continue;  // the registry's WGS 84, for the systems by code only
    const bool calculators = row.code != "2000";
    EXPECT_EQ(row.UsedBy(kUsedByDialogs), calculators) << row.code;
    EXPECT_EQ(ComponentKnowsEllipsoid(row), calculators) << row.code;
    EXPECT_EQ(FindBatchEllipsoid(row.code), &row);
    // The components fall back on 54 for any code not theirs.
    const Ellipsoid c = Get_Earth(row.code);
    EXPECT_EQ(bits(c.e2), bits((calculators ? row.ellipsoid : kEllipsoid54).e2)) << row.code;
    EXPECT_EQ(ComponentRow(row.ellipsoid), calculators ? &row : nullptr) << row.code;
  }
  EXPECT_EQ(EllipsoidCodeText("、", " 或 "), "54、80、84 或 2000");
  EXPECT_EQ(ComponentEllipsoidsMessage(), "UTM 和兰勃特投影用 Tandrel 组件计算, 只有 54、80、84");
}

TEST(GaussRules, FirstBrokenRuleInReadingOrder) {
  using R = GaussRule;
  struct Case { bool meridian; int width; bool prefix; bool anomaly; Ellipsoid e; R want; };
  const Case cases[] = {
      {true, 0, false, true, kEllipsoid54, R::Kept},
      {true, 3, true, true, kEllipsoid84, R::MeridianAndZoneWidth},
      {false, 0, true, true, kEllipsoid84, R::NoMeridianNorZone},
      {true, 0, true, true, kEllipsoid84, R::PrefixWithoutZones},
      {false, 6, true, true, kEllipsoid2000, R::AnomalyOff54},
      {false, 6, true, false, kEllipsoid2000, R::Kept},
  };
  for (const Case& c : cases) {
    const GaussChoice g{c.e, c.meridian, c.width, c.prefix, c.anomaly};
    EXPECT_EQ(BrokenGaussRule(g), c.want) << c.meridian << c.width << c.prefix << c.anomaly;
    // Asked in parts, each part sees only its own rules.
    const R tail = BrokenGaussRule(g, R::PrefixWithoutZones, R::AnomalyOff54);
    EXPECT_TRUE(tail == R::Kept || tail >= R::PrefixWithoutZones);
  }
  const double east = 12;
  const GaussChoice zoned{kEllipsoid54, false, 3, true, false};
  EXPECT_EQ(GaussParamsFor(zoned, 1.5, 0, nullptr, 0, 0, false).falseEastingKm, 500);
  EXPECT_EQ(GaussParamsFor(zoned, 1.5, 0, &east, 0, 0, false).falseEastingKm, 12);
  EXPECT_EQ(GaussParamsFor(zoned, 1.5, 0, nullptr, 0, 0, false).centralMeridian, 0);
}

// Meridians are radians in the batch API; what the components and the seven-parameter
// projection read from them must be the bits they read from the packed or degree value.
TEST(MeridianUnits, RadiansGiveTheOldBitsForManyMeridians) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> deg(-179.9, 359.9), unit(0, 1);
  auto t = tandrel::CreateTandrel();
  for (int k = 0; k < 400; ++k) {
    const double d = std::floor(deg(rng)), m = std::floor(60 * unit(rng)), s = 60 * unit(rng);
    // Packed as typed: whole, minutes only, and arbitrary seconds.
    const double packed = k % 3 == 0 ? d : k % 3 == 1 ? d + std::copysign(m / 100, d) : d + std::copysign(m / 100 + s / 10000, d);
    UtmParams p;
    p.ellipsoid = kEllipsoidRows[k % 3].ellipsoid;
    p.centralMeridian = ComponentMeridian(packed);
    const std::string code(kEllipsoidRows[k % 3].code);
    const double x = 3.4e6 + 1e3 * k, y = 5e5 + 2e5 * (unit(rng) - 0.5);
    double B = 0, L = 0, phi = 0, lam = 0;
    Status st = Status::Ok;
    UtmToGeodetic(p, std::span(&x, 1), std::span(&y, 1), {}, std::span(&B, 1), std::span(&L, 1), std::span(&st, 1));
    t->XYg2BL_UTM(x, y, phi, lam, packed, 0, 500, 0, code);
    ASSERT_EQ(st, Status::Ok) << packed;
    // The component's angles, given in the batch layer's ranges.
    double b = Dms2Rad(phi, kComponentPi), l = Dms2Rad(lam, kComponentPi);
    PutInRange(b, l, LongitudeRange::Signed);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(B), std::bit_cast<std::uint64_t>(b)) << packed;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(L), std::bit_cast<std::uint64_t>(l)) << packed;
    // The seven-parameter dialog's field is degrees: the old formula, bit for bit.
    const double degrees = Dms2Deg(packed);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(SevenMeridianRadians(degrees)),
              std::bit_cast<std::uint64_t>(degrees / 180 * (4 * std::atan(1.0))));
  }
}

}  // namespace
}  // namespace vantrel::batch
