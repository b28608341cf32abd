#include "plane/stakeout_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "common/text_files.h"

namespace vantrel {
namespace {

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("stake_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SplitStakeLine, FieldsByRunsOfSpaces) {
  struct Case {
    const char* line;
    std::array<std::string, 6> fields;
  } cases[] = {
      {"P1 100 200 10 K", {"P1", "100", "200", "10", "K", ""}},
      {"P2 150 250 12", {"P2", "150", "250", "12", "", ""}},
      {"P3 50 80 9 x y z", {"P3", "50", "80", "9", "x", "y z"}},
      {"   A  1   2  3    c  ", {"A", "1", "2", "3", "c", ""}},
      {"P1 100 200", {"P1", "100", "200", "", "", ""}},
      {"N\t1 2 3 4", {"N\t1", "2", "3", "4", "", ""}},  // a tab stays inside its field
      {"", {"", "", "", "", "", ""}},
      {"     ", {"", "", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitStakeLine(c.line), c.fields) << '"' << c.line << '"';
  }
}

TEST(ParseStakeoutLines, StopsAtFirstEmptyLineAndKeepsCodes) {
  const StakeLoad load =
      ParseStakeoutLines({"P1 100 200 10 K", "P2 150 250 12", "P3 50 80 9 x y z", "", "P4 1 2 3"});
  ASSERT_TRUE(load.complete);
  ASSERT_EQ(load.points.size(), 3u);
  EXPECT_EQ(load.points[0].PtName, "P1");
  EXPECT_EQ(load.points[0].PtX, 100);
  EXPECT_EQ(load.points[0].PtY, 200);
  EXPECT_EQ(load.points[0].PtH, 10);
  EXPECT_EQ(load.points[0].PtCode, "K");
  EXPECT_EQ(load.points[1].PtCode, "");
  EXPECT_EQ(load.points[2].PtCode, "x");
  EXPECT_EQ(load.points[2].PtH, 9);
}

TEST(ParseStakeoutLines, BadCoordinateStopsKeepingEarlierPoints) {
  struct Case {
    std::vector<std::string> lines;
    size_t kept;
    int badLine;
  } cases[] = {
      {{"P1 1 2 3", "P2 100 200", "P3 1 2 3"}, 1, 2},  // no height
      {{"P1 1 2 3", "P2 1 2 3", "P3 1 x 3"}, 2, 3},
      {{"P1 1e400 2 3"}, 0, 1},  // too large for a double
      {{"P1 1,5 2 3"}, 0, 1},
      {{" "}, 0, 1},  // a blank line is not empty: it is a bad point
  };
  for (const auto& c : cases) {
    const StakeLoad load = ParseStakeoutLines(c.lines);
    EXPECT_FALSE(load.complete);
    EXPECT_EQ(load.points.size(), c.kept);
    EXPECT_EQ(load.badLine, c.badLine);
  }
}

TEST(ReadStakeoutFile, GbkNamesAndMixedLineEnds) {
  const std::string path = TempPath("gbk.out");
  WriteBytes(path, Utf8ToGbk("控制1 3380000.5 500000.25 12.5 桩\r\nP2 1 2 3\nP3 4 5 6"));
  const StakeFileRead r = ReadStakeoutFile(path);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.load.points.size(), 3u);
  EXPECT_EQ(r.load.points[0].PtName, "控制1");
  EXPECT_EQ(r.load.points[0].PtCode, "桩");
  EXPECT_EQ(r.load.points[0].PtX, 3380000.5);
  EXPECT_EQ(r.load.points[2].PtH, 6);
  std::filesystem::remove(path);
}

TEST(ReadStakeoutFile, UnreadableFileIsReported) {
  const StakeFileRead missing = ReadStakeoutFile(TempPath("does_not_exist.out"));
  EXPECT_FALSE(missing.opened);
  EXPECT_FALSE(missing.error.empty());
  const StakeFileRead dir = ReadStakeoutFile(std::filesystem::temp_directory_path().string());
  EXPECT_FALSE(dir.opened);
  EXPECT_FALSE(dir.error.empty());
}

TEST(AppendStakeoutLines, AddLinesWithCrLfAndReadBack) {
  struct Case {
    std::string before;
    std::string after;
  } cases[] = {
      {"P1 1 2 3\r\n", "P1 1 2 3\r\nT1 10.5 20 0 Add\r\nT2 1 2 3 Add\r\n"},
      // A last line without its end is closed first, not glued to the new point.
      {"P1 1 2 3", "P1 1 2 3\r\nT1 10.5 20 0 Add\r\nT2 1 2 3 Add\r\n"},
      {"", "T1 10.5 20 0 Add\r\nT2 1 2 3 Add\r\n"},
  };
  const std::string path = TempPath("append.out");
  for (const auto& c : cases) {
    WriteBytes(path, c.before);
    const StakeAppend a = AppendStakeoutLines(
        path, {StakeAddLine("T1", "10.5", "20", "0"), StakeAddLine("T2", "1", "2", "3")});
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_EQ(ReadBytes(path), c.after);
    const StakeFileRead r = ReadStakeoutFile(path);
    ASSERT_TRUE(r.load.complete);
    ASSERT_FALSE(r.load.points.empty());
    EXPECT_EQ(r.load.points.back().PtName, "T2");
    EXPECT_EQ(r.load.points.back().PtCode, "Add");
  }
  std::filesystem::remove(path);
}

TEST(AppendStakeoutLines, WriteFaultsAreReported) {
  const std::string dir = std::filesystem::temp_directory_path().string();
  EXPECT_FALSE(AppendStakeoutLines(dir, {"T 1 2 3 Add"}).ok);
  EXPECT_FALSE(AppendStakeoutLines("/dev/full", {"T 1 2 3 Add"}).ok);
  const std::string file = TempPath("plain.out");
  WriteBytes(file, "x");
  const StakeAppend under = AppendStakeoutLines(file + "/inner.out", {"T 1 2 3 Add"});
  EXPECT_FALSE(under.ok);
  EXPECT_FALSE(under.error.empty());
  EXPECT_EQ(ReadBytes(file), "x");
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace vantrel
