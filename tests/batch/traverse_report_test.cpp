#include "batch/traverse_report.h"

#include <gtest/gtest.h>

#include <regex>

#include "batch/traverse_file.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "tests/support/synthetic_traverse.h"
#include "tests/support/temp_files.h"

namespace vantrel::batch {
namespace {

const std::string kExamples = std::string(VANTREL_SOURCE_DIR) + "/examples/traverse/";

double Seconds(double d, double m, double s) { return (d * 3600 + m * 60 + s) / test::kSecondsPerRadian; }

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TraverseReport, PackedAngleTextRoundsToTheShownSecond) {
  const std::vector<std::tuple<double, int, std::string>> rows = {
      {Seconds(121, 30, 30), 0, "121.3030"},
      {Seconds(121, 30, 30), 1, "121.30300"},
      {Seconds(121, 30, 30.46), 0, "121.3030"},
      {Seconds(121, 30, 30.5), 0, "121.3031"},   // half a second rounds up
      {Seconds(121, 30, 59.6), 0, "121.3100"},   // carries into the minutes
      {Seconds(121, 59, 59.96), 1, "122.00000"}, // and into the degrees
      {Seconds(0, 0, 4.25), 1, "0.00043"},
      {Seconds(359, 59, 59.7), 0, "0.0000"},     // a whole turn is no azimuth
      {Seconds(359, 59, 59.2), 0, "359.5959"},
      {0, 0, "0.0000"},
  };
  for (const auto& [radians, decimals, text] : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(PackedAngleText(radians, decimals), text);
  }
  // Every tenth of a second over the circle (sampled) comes back as its own digits.
  for (long tenths = 0; tenths < 12960000; tenths += 997) {
    const long s = tenths / 10;
    char want[32];
    std::snprintf(want, sizeof want, "%ld.%02ld%02ld%ld", s / 3600, s / 60 % 60, s % 60, tenths % 10);
    ASSERT_EQ(PackedAngleText(tenths / 10.0 / SecondsPerRadian(), 1), want);
  }
}

struct Example {
  TraverseInput input;
  TraverseAdjustment adjustment;
};

Example LoadExample(const std::string& name) {
  const TraverseFileResult f = ReadTraverseFile(kExamples + name + ".txt");
  EXPECT_TRUE(f.ok) << f.error;
  return {f.input, AdjustTraverse(f.input)};
}

// The committed reports are what the code makes now (scripts/traverse_screenshot.sh
// writes them again after a change).
TEST(TraverseReport, CommittedExampleReportsAreCurrent) {
  for (const std::string name : {"closed", "connecting"}) {
    SCOPED_TRACE(name);
    const Example e = LoadExample(name);
    ASSERT_TRUE(e.adjustment.ok) << e.adjustment.error;
    const TextFileResult text = ReadTextFile(kExamples + name + "_report.txt");
    ASSERT_TRUE(text.ok) << text.error;
    EXPECT_EQ(text.lines, TraverseReportText(e.input, e.adjustment));
    EXPECT_EQ(test::Slurp(kExamples + name + "_report.html"),
              TraverseReportHtml(e.input, e.adjustment));
  }
}

TEST(TraverseReport, TextShowsTheFiguresOfTheAdjustment) {
  const Example e = LoadExample("connecting");
  const std::vector<std::string> lines = TraverseReportText(e.input, e.adjustment);
  const std::string all = [&] {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
  }();
  EXPECT_EQ(lines.front(), "附合导线计算表");
  EXPECT_NE(all.find("fβ = Σβ测 - Σβ理 = " + FormatPattern(e.adjustment.fBetaSeconds, "0.0") + "″"),
            std::string::npos);
  EXPECT_NE(all.find("fβ允 = ±40″√5 = ±89.4″"), std::string::npos);
  EXPECT_NE(all.find("1/K = 1/" + GeneralNumberText(e.adjustment.K)), std::string::npos);
  // Each station row holds its adjusted coordinates in print zones 13 and 14 of the table.
  for (const AdjustedStation& s : e.adjustment.stations) {
    const std::string row = PrintZones({s.name});
    bool found = false;
    for (const std::string& l : lines)
      if (l.rfind(row + " ", 0) == 0 &&
          l.find(FormatPattern(s.x, "0.000") + "   " + FormatPattern(s.y, "0.000")) != std::string::npos)
        found = true;
    EXPECT_TRUE(found) << s.name;
  }
  // Whole-second corrections of whole-second angles show no decimals; exact ones show one.
  EXPECT_NE(all.find(" 174.1420 "), std::string::npos);
  const TraverseAdjustment exact = AdjustTraverse(e.input, {.correctionStepSeconds = 0});
  std::string exactAll;
  for (const auto& l : TraverseReportText(e.input, exact)) exactAll += l + "\n";
  EXPECT_NE(exactAll.find(" 174.14200 "), std::string::npos);
  EXPECT_NE(exactAll.find(FormatPattern(exact.stations[0].correctionSeconds, "0.0")), std::string::npos);
}

TEST(TraverseReport, ForcedAdjustmentSaysSo) {
  Example e = LoadExample("closed");
  e.input.stations[2].angle += Seconds(0, 2, 0);
  const TraverseAdjustment forced = AdjustTraverse(e.input, {.force = true});
  ASSERT_TRUE(forced.ok && forced.overLimit);
  std::string all;
  for (const auto& l : TraverseReportText(e.input, forced)) all += l;
  EXPECT_NE(all.find("超限, 按要求强制平差"), std::string::npos);
}

// The sketch: a triangle per known point, a circle per new station, every name once,
// names that are markup written as text.
TEST(TraverseReport, SketchMarksKnownPointsAndStations) {
  for (int legs : {3, 9, 30})
    for (auto kind : {TraverseKind::Closed, TraverseKind::Connecting})
      for (auto orient : {test::Orientation::Points, test::Orientation::Azimuths}) {
        SCOPED_TRACE(legs);
        test::SyntheticTraverse t = test::MakeTraverse(legs, kind, AngleSide::Left, legs, orient);
        t.input.stations[1].name = "P<1>&";
        const TraverseAdjustment a = AdjustTraverse(t.input);
        ASSERT_TRUE(a.ok) << a.error;
        const std::string svg = TraverseSketchSvg(t.input, a);
        const bool closed = kind == TraverseKind::Closed;
        const bool points = orient == test::Orientation::Points;
        const size_t known = (closed ? 1 : 2) + (points ? (closed ? 1 : 2) : 0);
        EXPECT_EQ(Count(svg, "<polygon "), known);
        EXPECT_EQ(Count(svg, "r=\"4\""), t.stations.size() - (closed ? 1 : 2));
        EXPECT_EQ(Count(svg, ">P&lt;1&gt;&amp;</text>"), 1u);
        EXPECT_EQ(Count(svg, "<1>"), 0u);
        EXPECT_EQ(Count(svg, ">北</text>"), 1u);
        // Dashed stubs stand for known sides given only by their azimuths.
        EXPECT_EQ(Count(svg, "stroke-dasharray") > 0, !points);
        // The scale bar is a round length: 1, 2 or 5 times a power of ten metres.
        std::smatch m;
        ASSERT_TRUE(std::regex_search(svg, m, std::regex(">([0-9.]+) 米</text>")));
        const double bar = std::stod(m[1]);
        const double mant = bar / std::pow(10, std::floor(std::log10(bar)));
        EXPECT_TRUE(std::fabs(mant - 1) < 1e-9 || std::fabs(mant - 2) < 1e-9 || std::fabs(mant - 5) < 1e-9)
            << bar;
      }
}

TEST(TraverseReport, HtmlIsOnePrintablePage) {
  const Example e = LoadExample("closed");
  const std::string html = TraverseReportHtml(e.input, e.adjustment);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(html.find("@page { size: A4"), std::string::npos);
  EXPECT_EQ(Count(html, "<table>"), 2u);
  EXPECT_EQ(Count(html, "<svg "), 1u);
  EXPECT_EQ(Count(html, "<tr"), Count(html, "</tr>"));
  EXPECT_EQ(Count(html, "<td>"), Count(html, "</td>"));
}

}  // namespace
}  // namespace vantrel::batch
