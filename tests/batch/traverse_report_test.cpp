#include "batch/traverse_report.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <regex>

#include "batch/traverse_file.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "tests/support/report_tables.h"
#include "tests/support/synthetic_traverse.h"
#include "tests/support/temp_files.h"
#include "tests/support/textbook_traverse.h"

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
    ASSERT_EQ(PackedAngleText(tenths / 10.0 / adjustment::SecondsPerRadian(), 1), want);
  }
}

struct Example {
  adjustment::TraverseInput input;
  adjustment::TraverseAdjustment adjustment;
};

Example LoadExample(const std::string& name) {
  const TraverseFileResult f = ReadTraverseFile(kExamples + name + ".txt");
  EXPECT_TRUE(f.ok) << f.error;
  return {f.input, adjustment::AdjustTraverse(f.input)};
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

// ---------------------------------------------------------------- a checker's reading
// What a checker signing the table reads: the cells of the two tables (their Σ rows
// included) and the other lines; every figure below is taken from these texts alone.
struct Printed {
  std::vector<std::vector<std::string>> angles, coordinates;
  std::vector<std::string> notes;
};

Printed FromText(const std::vector<std::string>& lines) {
  Printed p;
  std::vector<std::vector<std::string>>* table = nullptr;
  size_t width = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l == "角度与坐标方位角" || l == "坐标计算") {
      table = l == "坐标计算" ? &p.coordinates : &p.angles;
      width = SplitBlanks(lines[++i]).size();
    } else if (table && (l.rfind("Σβ测", 0) == 0 || l.rfind("fx", 0) == 0)) {
      table = nullptr;
      p.notes.push_back(l);
    } else if (table) {
      table->push_back(test::ZoneCells(l, width));
    } else {
      p.notes.push_back(l);
    }
  }
  return p;
}

std::string Unescape(std::string s) {
  for (const auto& [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
    for (size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, std::string(from).size(), to);
  return s;
}

Printed FromHtml(const std::string& html) {
  Printed p;
  const std::regex table("<table>([^]*?)</table>"), row("<tr[^>]*>([^]*?)</tr>"), cell("<td>([^]*?)</td>"),
      note("<p>([^]*?)</p>");
  int k = 0;
  for (std::sregex_iterator t(html.begin(), html.end(), table), end; t != end; ++t, ++k) {
    const std::string body = (*t)[1];
    for (std::sregex_iterator r(body.begin(), body.end(), row); r != end; ++r) {
      const std::string cells = (*r)[1];
      std::vector<std::string> out;
      for (std::sregex_iterator c(cells.begin(), cells.end(), cell); c != end; ++c) out.push_back(Unescape((*c)[1]));
      if (!out.empty()) (k == 0 ? p.angles : p.coordinates).push_back(out);
    }
  }
  for (std::sregex_iterator n(html.begin(), html.end(), note), end; n != end; ++n) p.notes.push_back(Unescape((*n)[1]));
  return p;
}

// A packed D.MMSS[s] text in tenths of a second, a metre text in millimetres, a seconds
// text in tenths: read from the digits.
long long PackedTenths(const std::string& t) {
  const size_t point = t.find('.');
  std::string frac = t.substr(point + 1);
  frac.resize(5, '0');
  return (std::stoll(t.substr(0, point)) * 3600 + std::stoll(frac.substr(0, 2)) * 60 + std::stoll(frac.substr(2, 2))) * 10 +
         (frac[4] - '0');
}
long long Millimetres(const std::string& t) {
  EXPECT_EQ(t.size() - t.find('.'), 4u) << t;
  std::string digits = t;
  std::erase(digits, '.');
  return std::stoll(digits);
}
long long SecondTenths(const std::string& t) { return std::llround(std::stod(t) * 10); }

// The text after `key` in the notes, up to the next blank.
std::string After(const Printed& p, const std::string& key) {
  for (const std::string& n : p.notes)
    if (size_t at = n.find(key); at != std::string::npos) {
      at += key.size();
      return n.substr(at, n.find(' ', at) - at);
    }
  ADD_FAILURE() << "no " << key;
  return "0";
}

// Every row and column recomputed from the printed figures, as a checker does by hand.
void CheckPrintedTables(const Printed& p) {
  const bool closed = After(p, "类型: ") == "闭合导线", left = After(p, "角度: ") == "左角";
  constexpr long long kTurn = 12960000, kHalf = kTurn / 2;
  auto wrap = [&](long long t) { return ((t % kTurn) + kTurn) % kTurn; };
  // Angles: adjusted = observed + v; each azimuth the last one turned by the adjusted angle.
  std::map<std::string, long long> azimuth;
  long long sumObserved = 0, sumV = 0, sumAdjusted = 0, arriving = -1, first = -1, chained = 0;
  std::vector<std::vector<std::string>> stations;
  for (const auto& row : p.angles) {
    if (row[0] == "Σ") {
      EXPECT_EQ(PackedTenths(row[1]), sumObserved);
      EXPECT_EQ(SecondTenths(row[2]), sumV);
      EXPECT_EQ(PackedTenths(row[3]), sumAdjusted);
    } else if (!row[1].empty()) {
      const long long beta = PackedTenths(row[1]) + SecondTenths(row[2]);
      EXPECT_EQ(PackedTenths(row[3]), wrap(beta)) << row[0];
      sumObserved += PackedTenths(row[1]), sumV += SecondTenths(row[2]), sumAdjusted += beta;
      const long long az = PackedTenths(row[4]);
      if (arriving >= 0) {
        chained = wrap(left ? arriving + beta - kHalf : arriving - beta + kHalf);
        EXPECT_EQ(az, chained) << row[0];
      }
      if (first < 0) first = beta;
      arriving = az;
      azimuth[row[0]] = az;
    } else if (!row[4].empty()) {
      arriving = PackedTenths(row[4]);  // the known side into the start
    }
  }
  // A loop ends where it began: its first leg turned by the angle at B, after the last one.
  if (closed) chained = wrap(left ? arriving + first - kHalf : arriving - first + kHalf);
  EXPECT_EQ(PackedTenths(After(p, "改正后推算 ")), chained);
  const long long f = PackedTenths(After(p, "Σβ测 = ")) - PackedTenths(After(p, "Σβ理 = "));
  EXPECT_EQ(PackedTenths(After(p, "Σβ测 = ")), sumObserved);
  EXPECT_EQ(SecondTenths(After(p, "fβ = Σβ测 - Σβ理 = ")), f);
  // Whole-second corrections total -f_β rounded half away from zero.
  if (After(p, "-fβ 取至 ") == "1″") {
    EXPECT_EQ(sumV, -(f + (f < 0 ? -5 : 5)) / 10 * 10);
  }

  // Coordinates: Δ' = Δ + v, each point the last plus Δ', the sums, f, f_s and K.
  struct Leg { long long D, dx, dy, vx, vy; };
  std::vector<Leg> legs;
  long long sD = 0, sdx = 0, sdy = 0, svx = 0, svy = 0, sax = 0, say = 0, x = 0, y = 0;
  bool started = false;
  for (const auto& row : p.coordinates) {
    if (row[0] == "Σ") {
      EXPECT_EQ(Millimetres(row[1]), sD);
      EXPECT_EQ(Millimetres(row[2]), sdx);
      EXPECT_EQ(Millimetres(row[3]), sdy);
      EXPECT_EQ(Millimetres(row[4]), svx);
      EXPECT_EQ(Millimetres(row[5]), svy);
      EXPECT_EQ(Millimetres(row[6]), sax);
      EXPECT_EQ(Millimetres(row[7]), say);
      continue;
    }
    if (started) {
      EXPECT_EQ(Millimetres(row[8]), x) << row[0];
      EXPECT_EQ(Millimetres(row[9]), y) << row[0];
    }
    started = true;
    x = Millimetres(row[8]), y = Millimetres(row[9]);
    if (row[1].empty()) continue;
    const Leg l{Millimetres(row[1]), Millimetres(row[2]), Millimetres(row[3]), Millimetres(row[4]), Millimetres(row[5])};
    const double a = azimuth.at(row[0]) / 10.0 / adjustment::SecondsPerRadian(), D = l.D / 1000.0;
    EXPECT_LE(std::fabs(l.dx - D * std::cos(a) * 1000), 0.5 + 1e-6) << row[0];
    EXPECT_LE(std::fabs(l.dy - D * std::sin(a) * 1000), 0.5 + 1e-6) << row[0];
    EXPECT_EQ(Millimetres(row[6]), l.dx + l.vx) << row[0];
    EXPECT_EQ(Millimetres(row[7]), l.dy + l.vy) << row[0];
    x += l.dx + l.vx, y += l.dy + l.vy;
    sD += l.D, sdx += l.dx, sdy += l.dy, svx += l.vx, svy += l.vy, sax += l.dx + l.vx, say += l.dy + l.vy;
    legs.push_back(l);
  }
  const auto& rows = p.coordinates;
  const long long knownDx = closed ? 0 : Millimetres(rows[rows.size() - 2][8]) - Millimetres(rows[0][8]);
  const long long knownDy = closed ? 0 : Millimetres(rows[rows.size() - 2][9]) - Millimetres(rows[0][9]);
  const long long fx = Millimetres(After(p, closed ? "fx = ΣΔx = " : "fx = ΣΔx - (X终 - X起) = "));
  const long long fy = Millimetres(After(p, closed ? "fy = ΣΔy = " : "fy = ΣΔy - (Y终 - Y起) = "));
  EXPECT_EQ(fx, sdx - knownDx);
  EXPECT_EQ(fy, sdy - knownDy);
  EXPECT_EQ(svx, -fx);
  EXPECT_EQ(svy, -fy);
  // Each correction within a millimetre of its share; those a millimetre beyond the share
  // cut toward zero are the longest legs.
  for (const auto& [f, v] : {std::pair{fx, &Leg::vx}, std::pair{fy, &Leg::vy}}) {
    long long shortestExtra = LLONG_MAX, longestPlain = 0;
    for (const Leg& l : legs) {
      const double share = -static_cast<double>(f) * l.D / sD;
      EXPECT_LT(std::fabs(l.*v - share), 1.0);
      if (l.*v != static_cast<long long>(share)) shortestExtra = std::min(shortestExtra, l.D);
      else longestPlain = std::max(longestPlain, l.D);
    }
    if (shortestExtra != LLONG_MAX) {
      EXPECT_GE(shortestExtra, longestPlain);
    }
  }
  const double fs = std::hypot(fx, fy);
  EXPECT_EQ(Millimetres(After(p, "fs = √(fx×fx + fy×fy) = ")), std::llround(fs));
  EXPECT_EQ(After(p, "1/K = "), fs > 0 ? "1/" + std::to_string(static_cast<long long>(std::floor(sD / fs))) : "1/∞");
}

TEST(TraverseReport, PrintedTablesAddUpAtTheirDigits) {
  std::vector<std::pair<std::string, TraverseFileResult>> traverses;
  for (const std::string name : {"closed", "connecting"})
    traverses.emplace_back(name, ReadTraverseFile(kExamples + name + ".txt"));
  traverses.emplace_back("textbook", ParseTraverseText(test::kTextbookTraverse, "book.txt"));
  for (const auto& [name, file] : traverses) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(file.ok) << file.error;
    const adjustment::TraverseAdjustment adj = adjustment::AdjustTraverse(file.input);
    ASSERT_TRUE(adj.ok) << adj.error;
    {
      SCOPED_TRACE("text");
      CheckPrintedTables(FromText(TraverseReportText(file.input, adj)));
    }
    {
      SCOPED_TRACE("html");
      CheckPrintedTables(FromHtml(TraverseReportHtml(file.input, adj)));
    }
  }
  // The textbook's own coordinates, to its centimetre (it rounds its increments there).
  const TraverseFileResult book = ParseTraverseText(test::kTextbookTraverse, "book.txt");
  const adjustment::TraverseAdjustment adj = adjustment::AdjustTraverse(book.input);
  EXPECT_EQ(adj.fBetaSeconds, -36);
  EXPECT_NEAR(adj.fx, 0.10, 0.005);
  EXPECT_NEAR(adj.fy, 0.13, 0.005);
  for (const test::BookPoint& b : test::kTextbookPoints)
    for (const adjustment::AdjustedStation& s : adj.stations)
      if (s.name == b.name) {
        EXPECT_NEAR(s.x, b.x, 0.011) << b.name;
        EXPECT_NEAR(s.y, b.y, 0.011) << b.name;
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
  for (const adjustment::AdjustedStation& s : e.adjustment.stations) {
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
  const adjustment::TraverseAdjustment exact = adjustment::AdjustTraverse(e.input, {.correctionStepSeconds = 0});
  std::string exactAll;
  for (const auto& l : TraverseReportText(e.input, exact)) exactAll += l + "\n";
  EXPECT_NE(exactAll.find(" 174.14200 "), std::string::npos);
  EXPECT_NE(exactAll.find(FormatPattern(exact.stations[0].correctionSeconds, "0.0")), std::string::npos);
}

TEST(TraverseReport, ForcedAdjustmentSaysSo) {
  Example e = LoadExample("closed");
  e.input.stations[2].angle += Seconds(0, 2, 0);
  const adjustment::TraverseAdjustment forced = adjustment::AdjustTraverse(e.input, {.force = true});
  ASSERT_TRUE(forced.ok && forced.overLimit);
  std::string all;
  for (const auto& l : TraverseReportText(e.input, forced)) all += l;
  EXPECT_NE(all.find("超限, 按要求强制平差"), std::string::npos);
}

// The sketch: a triangle per known point, a circle per new station, every name once,
// names that are markup written as text.
TEST(TraverseReport, SketchMarksKnownPointsAndStations) {
  for (int legs : {3, 9, 30})
    for (auto kind : {adjustment::TraverseKind::Closed, adjustment::TraverseKind::Connecting})
      for (auto orient : {test::Orientation::Points, test::Orientation::Azimuths}) {
        SCOPED_TRACE(legs);
        test::SyntheticTraverse t = test::MakeTraverse(legs, kind, adjustment::AngleSide::Left, legs, orient);
        t.input.stations[1].name = "P<1>&";
        const adjustment::TraverseAdjustment a = adjustment::AdjustTraverse(t.input);
        ASSERT_TRUE(a.ok) << a.error;
        const std::string svg = TraverseSketchSvg(t.input, a);
        const bool closed = kind == adjustment::TraverseKind::Closed;
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
