#include "common/text_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
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

// The reading and formatting forms without copies must give what the first forms gave, on
// every value and text: random bit patterns, random decimals of every magnitude, the ties
// of each pattern's last digit and the carries into the next power of ten.
TEST(TextRules, FastFormsEqualTheFirstForms) {
  const char* const patterns[] = {"#.000", "#.0000", "#.000000000", "#.0", "0.000", "0.0000",
                                  "####0.000", "######0.000", "#####0.00", "#######.000", "00",
                                  "000", "000000", "00.0", ".000", "#", "#.00000000000000"};
  std::mt19937_64 rng(15);
  std::vector<double> values = {0.0, -0.0, 1e-7, 9.9999999999999e-8, 1e15, 999999999999999.5,
                                0.0005, 0.00049999999999999, 2.675, 1.0005, 99.995, 9.9995,
                                5e-324, 1.7976931348623157e308, 0.1 + 0.2, 4503599627370495.5};
  for (int i = 0; i < 3000; ++i) {
    values.push_back(std::bit_cast<double>(rng()));                       // any double
    const double mag = std::pow(10.0, static_cast<int>(rng() % 30) - 12);  // 1e-12 .. 1e17
    values.push_back((static_cast<double>(rng() % 2000000) - 1e6) / 1e6 * mag);
    // A decimal with a 5 just past a pattern's last place, and its neighbours.
    const double tie = static_cast<double>(rng() % 100000000) / 1000 + 0.0005;
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, 1e9));
  }
  // Each pattern at its own rounding boundaries and ties, whole numbers included, over
  // magnitudes from 1e-3 to 1e14.
  const char* const byDecimals[] = {"00", "#.0", "#####0.00", "#.000", "#.0000", "#.000000000"};
  const int decimalsOf[] = {0, 1, 2, 3, 4, 9};
  for (int k = 0; k < 6; ++k) {
    const double scale = std::pow(10.0, decimalsOf[k]);
    for (int i = 0; i < 2000; ++i) {
      const double n = static_cast<double>(rng() % static_cast<uint64_t>(std::pow(10.0, 3 + i % 12)));
      for (double v : {n / scale, (n + 0.5) / scale, n, -(n + 0.5) / scale}) {
        for (double w : {v, std::nextafter(v, 0.0), std::nextafter(v, 1e300)}) {
          ASSERT_EQ(FormatPattern(w, byDecimals[k]), oracle::FormatPattern(w, byDecimals[k]))
              << std::bit_cast<uint64_t>(w) << " " << byDecimals[k];
          ASSERT_EQ(GeneralNumberText(w), oracle::GeneralNumberText(w)) << std::bit_cast<uint64_t>(w);
        }
      }
    }
  }
  for (double v : values) {
    if (!std::isfinite(v)) continue;
    ASSERT_EQ(GeneralNumberText(v), oracle::GeneralNumberText(v)) << std::bit_cast<uint64_t>(v);
    for (const char* p : patterns)
      ASSERT_EQ(FormatPattern(v, p), oracle::FormatPattern(v, p))
          << std::bit_cast<uint64_t>(v) << " " << p;
  }

  const char alphabet[] = "0123456789+-.eE \t\r\nx,";
  std::vector<std::string> texts = {"1e400", "-1e400", "1e-400", "4e-320", "+.5e+3", "5.e3",
                                    "00012", "1 2.5", ".", "+", "-.e1", "1e+", "2.2250738585072011e-308"};
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    const size_t n = rng() % 12;
    for (size_t k = 0; k < n; ++k) t.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
    texts.push_back(t);
    texts.push_back(GeneralNumberText(std::bit_cast<double>(rng())));
  }
  for (const std::string& t : texts) {
    ASSERT_EQ(std::bit_cast<uint64_t>(ReadLenient(t)), std::bit_cast<uint64_t>(oracle::ReadLenient(t)))
        << t;
    const auto a = ReadStrict(t), b = oracle::ReadStrict(t);
    ASSERT_EQ(a.has_value(), b.has_value()) << t;
    if (a) {
      ASSERT_EQ(std::bit_cast<uint64_t>(*a), std::bit_cast<uint64_t>(*b)) << t;
    }
  }
}

TEST(TextRules, BlankHelpers) {
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank(" \t "));
  EXPECT_FALSE(IsBlank(" x "));
  EXPECT_EQ(TrimBlanks("  12.5 \t"), "12.5");
}

}  // namespace
}  // namespace vantrel
