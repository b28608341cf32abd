#include "common/text_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/text_rules_oracle.h"

namespace vantrel {
namespace {

TEST(TextRules, LenientReadsTheLeadingNumberAndIgnoresBlanks) {
  struct Case { const char* text; double value; };
  const Case cases[] = {
      {"", 0},          {"abc", 0},        {"12.5", 12.5},     {" 1 2 . 5 ", 12.5},
      {"-3.25xyz", -3.25}, {"+7", 7},       {".5", 0.5},        {"5.", 5},
      {"1e3", 1000},    {"1e", 1},         {"1e+", 1},         {"2E-2m", 0.02},
      {"121.3030", 121.303}, {"1,5", 1},    {"-", 0},           {".", 0},
      {"1e400", 0},     {"1e-400", 0},     {"NaN", 0},         {"inf", 0},
      {"\t\r\n42", 42}, {"纬度12", 0},      {"12纬度", 12},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ReadLenient(c.text), c.value) << c.text;
}

TEST(TextRules, StrictAcceptsOnlyAWholeNumber) {
  struct Case { const char* text; bool numeric; double value; };
  const Case cases[] = {
      {"12.5", true, 12.5},   {"  -0.30  ", true, -0.3}, {"\t1e3", true, 1000},
      {".5", true, 0.5},      {"5.", true, 5},           {"+4", true, 4},
      {"", false, 0},         {"   ", false, 0},         {"abc", false, 0},
      {"1,5", false, 0},      {"1 2", false, 0},         {"12a", false, 0},
      {"1e", false, 0},       {"1e400", false, 0},       {"NaN", false, 0},
      {"inf", false, 0},      {"-", false, 0},           {".", false, 0},
      {"0x10", false, 0},     {"-0", true, 0},           {"1e-400", true, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsNumeric(c.text), c.numeric) << c.text;
    auto v = ReadStrict(c.text);
    ASSERT_EQ(v.has_value(), c.numeric) << c.text;
    if (v) {
      EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
  }
}

// What the strict rule refuses as a number no double holds, told apart from mere text.
TEST(TextRules, NonFiniteNumbersAreToldFromText) {
  for (const char* t : {"nan", "NaN", "-inf", "+INF", " Infinity\t", "nan(7)", "1e400", "-1.5E999", "1e400 "})
    EXPECT_TRUE(IsNonFiniteNumber(t)) << t;
  for (const char* t : {"", "12.5", "1e-400", "nana", "info", "inf1", "1e", "abc", "南", "-", "1e400x"})
    EXPECT_FALSE(IsNonFiniteNumber(t)) << t;
}

TEST(TextRules, FormatPatterns) {
  struct Case { double value; const char* pattern; const char* text; };
  const Case cases[] = {
      {0.25, "#.000", ".250"},          {0.5, "#.000", ".500"},
      {-0.5, "#.000", "-.500"},         {0, "#.000", ".000"},
      {0, "0.000", "0.000"},            {0.0005, "#.000", ".001"},
      {2.675, "0.00", "2.68"},          {-2.675, "0.00", "-2.68"},
      {3432012.0584, "#.000", "3432012.058"}, {144062.5555, "#.000", "144062.556"},
      {6378245, "#.0000", "6378245.0000"},    {62.9, "#.0", "62.9"},
      {0, "#.0", ".0"},                 {110576.36762, "#.000000000", "110576.367620000"},
      {0, "#.000000000", ".000000000"}, {1.23456, "0.0000", "1.2346"},
      {12.5, "####0.000", "12.500"},    {0.5, "######0.000", "0.500"},
      {99.995, "#####0.00", "100.00"},  {0.25, "#######.000", ".250"},
      {5, "00", "05"},                  {30, "00", "30"},
      {7, "000", "007"},                {123456, "000000", "123456"},
      {42, "000000", "000042"},         {5.25, "00.0", "05.3"},
      {59.96, "00.0", "60.0"},          {62.9, ".000", "62.900"},
      {0, ".000", ".000"},              {-0.0001, "#.000", ".000"},
      {-0.0004, "0.000", "0.000"},      {0.9995, "#.000", "1.000"},
      {1e20, "#.0", "100000000000000000000.0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatPattern(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(TextRules, NonFiniteValuesFormatAsEmptyText) {
  const double values[] = {std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (double v : values) {
    EXPECT_EQ(FormatPattern(v, "#.000"), "");
    EXPECT_EQ(GeneralNumberText(v), "");
  }
}

TEST(TextRules, GeneralNumberText) {
  struct Case { double value; const char* text; };
  const Case cases[] = {
      {0.25, "0.25"},       {100.0, "100"},        {-12.50, "-12.5"},
      {0, "0"},             {-0.0, "0"},           {121.303, "121.303"},
      {141.42135623730951, "141.42135623731"},     {1.0 / 3, "0.333333333333333"},
      {0.0001, "0.0001"},   {0.00001, "1E-05"},    {1.5e-7, "1.5E-07"},
      {1e14, "100000000000000"},                   {1e15, "1E+15"},
      {1e20, "1E+20"},      {-2.5e300, "-2.5E+300"},
      {0.1 + 0.2, "0.3"},   {999999999999999.4, "999999999999999"},
      {9999999999999999.0, "1E+16"},
  };
  for (const auto& c : cases) EXPECT_EQ(GeneralNumberText(c.value), c.text) << c.value;
}

TEST(TextRules, GeneralTextReadsBackToTheSameFifteenDigits) {
  // Every canonical text a field shows must read back by both rules to the value shown.
  for (double v = -1e6; v < 1e6; v += 12345.678901) {
    std::string t = GeneralNumberText(v);
    ASSERT_TRUE(IsNumeric(t)) << t;
    EXPECT_NEAR(*ReadStrict(t), v, std::fabs(v) * 1e-14 + 1e-300) << t;
    EXPECT_EQ(ReadLenient(t), *ReadStrict(t));
  }
}

TEST(TextRules, BlankHelpers) {
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank(" \t "));
  EXPECT_FALSE(IsBlank(" x "));
  EXPECT_EQ(TrimBlanks("  12.5 \t"), "12.5");
}

// ------------------------------------------------------------------ the first forms, as oracles
// Numbers were first read with strtod and formatted from printf's "%.14e" through copied
// strings (tests/support/text_rules_oracle.h, which fuzz_text_rules compares with too); the
// faster forms must give every bit and every character the first forms gave.

// Values a surveyor's files and fields hold, ties at every decimal place, and the edges.
std::vector<double> OracleValues() {
  std::mt19937_64 rng(2024);
  std::vector<double> v = {0.0, -0.0, 0.5, -0.5, 2.675, 99.995, 0.00005, 0.000049999999999,
                           1234567890123455.0, 1234567890123465.0, 9.9999999999999995e14,
                           1e15, 1e-300, 5e-324, 1.7976931348623157e308, -1e22, 123456789.5};
  std::uniform_real_distribution<double> unit(0, 1);
  for (int i = 0; i < 20000; ++i) {
    switch (i % 4) {
      case 0: v.push_back((unit(rng) - 0.5) * std::pow(10.0, static_cast<int>(rng() % 40) - 20)); break;
      case 1: v.push_back(std::round(unit(rng) * 1e9) / 1e4 + 0.00005); break;  // a tie at 4 places
      case 2: v.push_back(3.0e6 + static_cast<double>(rng() % 100000000) / 1000); break;
      default: {
        double d;
        const std::uint64_t bits = rng();
        std::memcpy(&d, &bits, sizeof d);
        v.push_back(d);  // any bit pattern: NaN and infinities too
      }
    }
  }
  return v;
}

TEST(TextRules, FormatsAndGeneralTextAsTheFirstForms) {
  const char* patterns[] = {"#.0000", "#.000", "0.000", "00", "######0.000", "000000", ".000",
                            "#.000000000", "#.0", "#####0.00", "####0.000", "0.00", "",
                            "#######.000", "00.0", "000", "#.00000000000000"};
  std::vector<double> values = OracleValues();
  // Each pattern at its own rounding boundaries and ties, whole numbers included, over
  // magnitudes from 1e-3 to 1e14, with the neighbouring doubles on both sides.
  std::mt19937_64 rng(15);
  for (int decimals : {0, 1, 2, 3, 4, 9}) {
    const double scale = std::pow(10.0, decimals);
    for (int i = 0; i < 600; ++i) {
      const double n = static_cast<double>(rng() % static_cast<uint64_t>(std::pow(10.0, 3 + i % 12)));
      for (double v : {n / scale, (n + 0.5) / scale, n, -(n + 0.5) / scale}) {
        values.push_back(v);
        values.push_back(std::nextafter(v, 0.0));
        values.push_back(std::nextafter(v, 1e300));
      }
    }
  }
  for (double value : values) {
    for (const char* p : patterns)
      ASSERT_EQ(FormatPattern(value, p), oracle::FormatPattern(value, p))
          << std::bit_cast<uint64_t>(value) << " " << p;
    ASSERT_EQ(GeneralNumberText(value), oracle::GeneralNumberText(value)) << std::bit_cast<uint64_t>(value);
  }
}

TEST(TextRules, ReadingAsTheFirstFormBitForBit) {
  std::mt19937_64 rng(7);
  std::vector<std::string> texts = {"+4", "-0", ".5", "5.", "5.e3", "+.5e-3", "1e308", "1.8e308",
                                    "1e-320", "1e-400", "2.2250738585072011e-308",
                                    "0.1000000000000000055511151231257827",
                                    "179769313486231580793728971405301e276", "00012.50",
                                    std::string(308, '9'), std::string(309, '9'),
                                    "-" + std::string(309, '9') + ".5", "0." + std::string(400, '0') + "1"};
  const char* parts[] = {"", "+", "-"};
  for (int i = 0; i < 60000; ++i) {
    std::string t = parts[rng() % 3];
    const int intLen = static_cast<int>(rng() % 12), fracLen = static_cast<int>(rng() % 12);
    for (int k = 0; k < intLen; ++k) t += static_cast<char>('0' + rng() % 10);
    if (fracLen > 0 || intLen == 0) t += '.';
    for (int k = 0; k < fracLen || (intLen == 0 && k == 0); ++k) t += static_cast<char>('0' + rng() % 10);
    if (rng() % 3 == 0) t += "e" + std::string(parts[rng() % 3]) + std::to_string(rng() % 330);
    texts.push_back(t);
  }
  // And texts that are not numbers or not only numbers: blanks, signs, points, letters.
  const char alphabet[] = "0123456789+-.eE \t\r\nx,";
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    for (std::size_t k = rng() % 12; k > 0; --k) t.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
    texts.push_back(t);
  }
  for (const std::string& t : texts) {
    const std::optional<double> strict = ReadStrict(t), want = oracle::ReadStrict(t);
    ASSERT_EQ(strict.has_value(), want.has_value()) << t;
    ASSERT_EQ(IsNumeric(t), want.has_value()) << t;
    if (strict) {
      ASSERT_EQ(std::bit_cast<uint64_t>(*strict), std::bit_cast<uint64_t>(*want)) << t;
    }
    ASSERT_EQ(std::bit_cast<uint64_t>(ReadLenient(t)), std::bit_cast<uint64_t>(oracle::ReadLenient(t))) << t;
  }
}

}  // namespace
}  // namespace vantrel
