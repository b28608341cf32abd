#include "common/text_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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

TEST(TextRules, BlankHelpers) {
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank(" \t "));
  EXPECT_FALSE(IsBlank(" x "));
  EXPECT_EQ(TrimBlanks("  12.5 \t"), "12.5");
}

}  // namespace
}  // namespace vantrel
