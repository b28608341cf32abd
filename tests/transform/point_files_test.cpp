#include "transform/point_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>
#include <unordered_map>

#include "common/text_files.h"
#include "tests/support/temp_files.h"
#include "common/text_rules.h"
#include "transform/rotation_transform.h"

namespace vantrel {
namespace {

using test::Gbk;
using test::Slurp;
using test::Spit;

namespace fs = std::filesystem;

class PointFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    oldPath_ = (dir_ / "old.txt").string();
    newPath_ = (dir_ / "new.txt").string();
  }

  MessageHandler Recorder() {
    return [this](const std::string& m) { messages_.push_back(m); };
  }
  GatherOutcome Gather() {
    return T_Co_New(oldPath_, newPath_, "老坐标系", "新坐标系", state_, Recorder());
  }
  // The gathered points, every field exactly as the oracle has it.
  void ExpectCommonPoints(const std::vector<CommonPoint>& want) const {
    ASSERT_EQ(state_.CommonPoints.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      const CommonPoint& got = state_.CommonPoints[i];
      EXPECT_EQ(got.Name, want[i].Name) << i;
      EXPECT_EQ(std::make_tuple(got.XNew, got.YNew, got.XOld, got.YOld),
                std::make_tuple(want[i].XNew, want[i].YNew, want[i].XOld, want[i].YOld)) << got.Name;
    }
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> n;
    for (const auto& c : state_.CommonPoints) n.push_back(c.Name);
    return n;
  }

  test::TempDir tmp_;
  const fs::path& dir_ = tmp_.path();
  std::string oldPath_, newPath_;
  TransformState state_;
  std::vector<std::string> messages_;
};

TEST(SplitPointLine, FieldsAndValidity) {
  struct Case {
    std::string line;
    bool valid;
    std::string name, x, y, rest;
  };
  const Case cases[] = {
      {"P1   100.5 200.25 boundary stone", true, "P1", "100.5", "200.25", "boundary stone"},
      {"P2 1 2", true, "P2", "1", "2", ""},
      {"  P3  -3.5   4e2   ", true, "P3", "-3.5", "4e2", ""},
      {"界桩1 10 20 甲  乙 ", true, "界桩1", "10", "20", "甲  乙"},
      {"P4 1 2 \tcode", true, "P4", "1", "2", "code"},
      // A tab separates nothing: it stays in its field.
      {"P5\t1 2", false, "P5\t1", "2", "", ""},
      {"P6 1\t 2", true, "P6", "1", "2", ""},
      {"P7 1", false, "P7", "1", "", ""},
      {"P8 a 2", false, "P8", "a", "2", ""},
      {"P9 1,5 2", false, "P9", "1,5", "2", ""},
      {"P10 1 2x", false, "P10", "1", "2x", ""},
      {"P11 nan 2", false, "P11", "nan", "2", ""},
      {"   ", false, "", "", "", ""},
      {"", false, "", "", "", ""},
  };
  for (const auto& c : cases) {
    PointLine p;
    EXPECT_EQ(SplitPointLine(c.line, p), c.valid) << c.line;
    EXPECT_EQ(p.Name, c.name) << c.line;
    EXPECT_EQ(p.XText, c.x) << c.line;
    EXPECT_EQ(p.YText, c.y) << c.line;
    EXPECT_EQ(p.Rest, c.rest) << c.line;
  }
  PointLine p;
  ASSERT_TRUE(SplitPointLine("A -12.5e1 .25", p));
  EXPECT_DOUBLE_EQ(p.X, -125);
  EXPECT_DOUBLE_EQ(p.Y, 0.25);
}

// The split as first written, copying the line and appending a space: the view form must
// cut every line exactly as it did.
void CopyingSplit(std::string_view line, std::string (&f)[4]) {
  std::string work(line);
  if (work.empty() || work.back() != ' ') work += ' ';
  std::string_view w(work);
  for (int i = 0; i < 3; ++i) {
    size_t start = w.find_first_not_of(' ');
    w.remove_prefix(start == std::string_view::npos ? w.size() : start);
    size_t space = w.find(' ');
    if (space == std::string_view::npos) {
      f[i].clear();
    } else {
      f[i] = std::string(TrimBlanks(w.substr(0, space)));
      w.remove_prefix(space + 1);
    }
  }
  f[3] = std::string(TrimBlanks(w));
}

TEST(SplitPointLine, ViewFormCutsAsTheCopyingForm) {
  std::mt19937 rng(11);
  const char alphabet[] = {' ', ' ', '\t', 'A', '1', '.', '-', 'e', '\xB2'};
  for (int n = 0; n < 200000; ++n) {
    std::string line(rng() % 14, ' ');
    for (char& c : line) c = alphabet[rng() % sizeof alphabet];
    std::string want[4];
    CopyingSplit(line, want);
    PointFields got;
    SplitPointFields(line, got);
    ASSERT_EQ(got.Name, want[0]) << '"' << line << '"';
    ASSERT_EQ(got.XText, want[1]) << '"' << line << '"';
    ASSERT_EQ(got.YText, want[2]) << '"' << line << '"';
    ASSERT_EQ(got.Rest, want[3]) << '"' << line << '"';
  }
}

TEST(ResultLine, FourPrintZoneItemsEvenWithoutARemark) {
  const struct {
    std::string name;
    double x, y;
    std::string rest, line;
  } cases[] = {
      {"P1", 1100, 1950.5, "桩 A", "P1            1100.0000     1950.5000     桩 A"},
      // An empty remark is the fourth item all the same: blanks up to its zone.
      {"P2", 0.25, -0.5, "", "P2            .2500         -.5000        "},
      // A 14-column name pushes the coordinates one more zone on, so they never run together.
      {"ABCDEFGHIJKLMN", 1, 2, "", "ABCDEFGHIJKLMN              1.0000        2.0000        "},
      // Y ending on a zone boundary pushes the empty remark a whole zone on.
      {"P3", 1, 123456789.5, "", "P3            1.0000        123456789.5000              "},
      // Double-byte characters count two columns.
      {"点1", 1, 2, "", "点1           1.0000        2.0000        "},
  };
  for (const auto& c : cases) {
    std::string gbk = "kept";  // added to what the buffer holds
    AppendResultLine(gbk, Utf8ToGbk(c.name), c.x, c.y, Utf8ToGbk(c.rest));
    EXPECT_EQ(gbk, "kept" + Utf8ToGbk(c.line) + "\r\n") << c.name;
    EXPECT_EQ(ResultLine(c.name, c.x, c.y, c.rest), c.line) << c.name;  // the text form
  }
}

TEST_F(PointFiles, OldLookupFirstMatchEmptyLineAndFormatError) {
  Spit(oldPath_, Gbk({"A 1 2", "B 3 4", "A 5 6", "", "C 7 8"}));
  double x = 0, y = 0;
  EXPECT_EQ(T_Co_Old("A", oldPath_, x, y, Recorder()), OldLookup::Found);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(T_Co_Old("a", oldPath_, x, y, Recorder()), OldLookup::NotFound);
  EXPECT_EQ(T_Co_Old("C", oldPath_, x, y, Recorder()), OldLookup::NotFound);
  EXPECT_TRUE(messages_.empty());

  Spit(oldPath_, Gbk({"A 1 2", "   ", "C 7 8"}));
  EXPECT_EQ(T_Co_Old("A", oldPath_, x, y, Recorder()), OldLookup::Found);
  EXPECT_EQ(T_Co_Old("C", oldPath_, x, y, Recorder()), OldLookup::FormatError);
  EXPECT_EQ(messages_, std::vector<std::string>{"老坐标文件" + oldPath_ + "数据格式有错"});
}

TEST_F(PointFiles, GatherKeepsNewOrderAndDuplicatesAndSkipsUnknownNames) {
  Spit(oldPath_, Gbk({"A 1 2", "B 3 4", "点C 5 6 remark", "A 9 9"}));
  Spit(newPath_, Gbk({"点C 50 60", "X 0 0", "A 10 20", "A 11 21"}));
  EXPECT_EQ(Gather(), GatherOutcome::Done);
  EXPECT_TRUE(messages_.empty());
  ASSERT_EQ(Names(), (std::vector<std::string>{"点C", "A", "A"}));
  const CommonPoint& a2 = state_.CommonPoints[2];
  EXPECT_EQ(a2.XNew, 11);
  EXPECT_EQ(a2.YNew, 21);
  EXPECT_EQ(a2.XOld, 1);  // first old line of the name wins
  EXPECT_EQ(a2.YOld, 2);
  EXPECT_EQ(state_.CommonCount(), 3);
}

TEST_F(PointFiles, GatherStopsAtFormatErrorsWhereRescanningWould) {
  struct Case {
    std::vector<std::string> oldLines, newLines;
    GatherOutcome outcome;
    std::vector<std::string> names;
    std::string message;  // "" none, "old", "new"
  };
  const Case cases[] = {
      // Blanks only in the new file: a format error, the points before it stay.
      {{"A 1 2", "B 3 4"}, {"A 1 2", "  ", "B 3 4"}, GatherOutcome::NewFormatError, {"A"}, "new"},
      // An empty line ends the new list.
      {{"A 1 2", "B 3 4"}, {"A 1 2", "", "B 3 4", "bad"}, GatherOutcome::Done, {"A"}, ""},
      // Blanks only in the old file: reached only by a name not found before it.
      {{"A 1 2", " ", "B 3 4"}, {"A 1 2", "A 1 2"}, GatherOutcome::Done, {"A", "A"}, ""},
      {{"A 1 2", " ", "B 3 4"}, {"A 1 2", "B 3 4", "A 1 2"}, GatherOutcome::OldFormatError,
       {"A"}, "old"},
      // An empty old line ends the old list before the faulty line.
      {{"A 1 2", "", "bad"}, {"Z 1 2", "A 1 2"}, GatherOutcome::Done, {"A"}, ""},
      // Nothing in the new file: the old file's fault is never reached.
      {{"bad"}, {""}, GatherOutcome::Done, {}, ""},
  };
  for (const auto& c : cases) {
    Spit(oldPath_, Gbk(c.oldLines));
    Spit(newPath_, Gbk(c.newLines));
    messages_.clear();
    EXPECT_EQ(Gather(), c.outcome);
    EXPECT_EQ(Names(), c.names);
    std::vector<std::string> expected;
    if (c.message == "old") expected = {"老坐标文件" + oldPath_ + "数据格式有错"};
    if (c.message == "new") expected = {"新坐标文件" + newPath_ + "数据格式有错"};
    EXPECT_EQ(messages_, expected) << c.newLines.size();
  }
}

// The one-pass gathering against the plain reading: each new line looked up by T_Co_Old.
TEST_F(PointFiles, GatherAgreesWithRescanningOnRandomFiles) {
  std::mt19937 rng(12345);
  auto randomLine = [&](int names) {
    switch (rng() % 12) {
      case 0: return std::string("");
      case 1: return std::string("  ");
      case 2: return "P" + std::to_string(rng() % names) + " x 1";
      default:
        return "P" + std::to_string(rng() % names) + " " + std::to_string(rng() % 1000) + " " +
               std::to_string(rng() % 1000) + (rng() % 2 ? " 备注" : "");
    }
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> oldLines, newLines;
    for (int i = 0, n = rng() % 15; i < n; ++i) oldLines.push_back(randomLine(12));
    for (int i = 0, n = rng() % 15; i < n; ++i) newLines.push_back(randomLine(12));
    Spit(oldPath_, Gbk(oldLines));
    Spit(newPath_, Gbk(newLines));

    std::vector<CommonPoint> expected;
    std::vector<std::string> expectedMessages;
    auto record = [&](const std::string& m) { expectedMessages.push_back(m); };
    for (const auto& line : newLines) {
      if (line.empty()) break;
      PointLine p;
      if (!SplitPointLine(line, p)) {
        record("新坐标文件" + newPath_ + "数据格式有错");
        break;
      }
      double x = 0, y = 0;
      OldLookup r = T_Co_Old(p.Name, oldPath_, x, y, record);
      if (r == OldLookup::FormatError) break;
      if (r == OldLookup::Found && expected.size() < kMaxCommonPoints)
        expected.push_back({p.Name, p.X, p.Y, x, y});
    }
    messages_.clear();
    Gather();
    ASSERT_EQ(messages_, expectedMessages) << round;
    ExpectCommonPoints(expected);
  }
}

TEST_F(PointFiles, GatherHoldsTwentyAndCountsTheRest) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 25; ++i) lines.push_back("P" + std::to_string(i) + " " + std::to_string(i) + " 0");
  Spit(oldPath_, Gbk(lines));
  Spit(newPath_, Gbk(lines));
  EXPECT_EQ(Gather(), GatherOutcome::Done);
  EXPECT_EQ(state_.CommonCount(), 20);
  EXPECT_EQ(state_.CommonFound, 25);
  EXPECT_EQ(state_.CommonPoints.back().Name, "P20");
}

TEST_F(PointFiles, UnreadableFilesAreReportedAndChangeNothing) {
  state_.CommonPoints = {{"KEEP", 1, 2, 3, 4}};
  state_.CommonFound = 1;
  Spit(oldPath_, Gbk({"A 1 2"}));
  fs::create_directory(dir_ / "folder");
  const std::string folder = (dir_ / "folder").string();
  const std::string missing = (dir_ / "missing.txt").string();
  struct Case {
    std::string oldPath, newPath, message;
  };
  const Case cases[] = {
      {oldPath_, folder, "不能读取新坐标文件" + folder + "：这是一个文件夹，不是文件"},
      {folder, oldPath_, "不能读取老坐标文件" + folder + "：这是一个文件夹，不是文件"},
      {missing, oldPath_, "不能读取老坐标文件" + missing + "：文件或路径不存在"},
  };
  for (const auto& c : cases) {
    messages_.clear();
    EXPECT_EQ(T_Co_New(c.oldPath, c.newPath, "", "", state_, Recorder()), GatherOutcome::Unreadable);
    EXPECT_EQ(messages_, std::vector<std::string>{c.message});
    ASSERT_EQ(Names(), std::vector<std::string>{"KEEP"});
  }
  const std::string before = Slurp(oldPath_);
  EXPECT_EQ(T_Co_Rotate(folder, oldPath_, state_, Recorder()), AppendOutcome::Unreadable);
  EXPECT_EQ(Slurp(oldPath_), before);
}

// Bytes that are not GBK stop a reader only at the line it needs and cannot read; the
// lines before it are used, lines after the end of the list are never looked at.
TEST_F(PointFiles, LinesThatAreNotGbkStopOnlyTheReaderThatReachesThem) {
  const std::string bad = "C\xFF 5 6";         // 0xFF is no GBK byte at all
  const std::string badRemark = "E 9 9 \x81\x20";  // a lead byte without its trail
  struct Case {
    std::string oldBytes, newBytes;
    GatherOutcome outcome;
    std::vector<std::string> names;
    std::string message;  // "" none, else which file and line
  };
  const Case cases[] = {
      // New file: the points before the line are gathered, the rest is not read.
      {Gbk({"A 1 2", "B 3 4", "D 7 8"}), Gbk({"A 1 2", "B 3 4"}) + bad + "\r\nD 7 8\r\n",
       GatherOutcome::NewFormatError, {"A", "B"}, "new:3"},
      {Gbk({"A 1 2", "E 9 9"}), Gbk({"A 1 2"}) + badRemark + "\r\n", GatherOutcome::NewFormatError,
       {"A"}, "new:2"},
      // After the end of the new list it is never reached.
      {Gbk({"A 1 2", "B 3 4"}), Gbk({"A 1 2", "B 3 4", ""}) + bad, GatherOutcome::Done, {"A", "B"}, ""},
      // Old file: only a lookup that gets past the names before it reaches it.
      {Gbk({"A 1 2", "B 3 4"}) + bad + "\r\n" + Gbk({"D 7 8"}), Gbk({"B 1 1", "A 2 2"}),
       GatherOutcome::Done, {"B", "A"}, ""},
      {Gbk({"A 1 2", "B 3 4"}) + bad + "\r\n" + Gbk({"D 7 8"}), Gbk({"B 1 1", "D 2 2", "A 3 3"}),
       GatherOutcome::OldFormatError, {"B"}, "old:3"},
      {Gbk({"A 1 2", ""}) + bad, Gbk({"Z 1 1", "A 2 2"}), GatherOutcome::Done, {"A"}, ""},
  };
  for (const auto& c : cases) {
    Spit(oldPath_, c.oldBytes);
    Spit(newPath_, c.newBytes);
    messages_.clear();
    EXPECT_EQ(Gather(), c.outcome) << c.message;
    EXPECT_EQ(Names(), c.names) << c.message;
    std::vector<std::string> expected;
    if (!c.message.empty()) {
      const bool old = c.message[0] == 'o';
      expected = {NotGbkLineMessage(old ? "老坐标文件" : "新坐标文件", old ? oldPath_ : newPath_,
                                    std::stoul(c.message.substr(4)))};
    }
    EXPECT_EQ(messages_, expected);
  }
  EXPECT_EQ(NotGbkLineMessage("老坐标文件", "/x/old.txt", 12),
            "不能读取老坐标文件/x/old.txt：第12行不是GBK文本");

  // The appended block takes the lines before it and never writes a mangled remark.
  Spit(oldPath_, Gbk({"A 1 2 界桩"}) + badRemark + "\r\n" + Gbk({"F 3 4"}));
  Spit(newPath_, "");
  messages_.clear();
  EXPECT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::OldFormatError);
  EXPECT_EQ(Slurp(newPath_), Gbk({"", "", "旋转后结果", "A             1.0000        2.0000        界桩"}));
  EXPECT_EQ(messages_, std::vector<std::string>{NotGbkLineMessage("老坐标文件", oldPath_, 2)});
  // Past a blank line nothing is read.
  Spit(oldPath_, Gbk({"A 1 2", " "}) + badRemark);
  Spit(newPath_, "");
  messages_.clear();
  EXPECT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::Done);
  EXPECT_EQ(Slurp(newPath_), Gbk({"", "", "旋转后结果", "A             1.0000        2.0000        "}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointFiles, RotateAppendsBlockByteForByteAndRereadingStopsBeforeIt) {
  const std::string oldBytes = Gbk({"A 1000 2000 界桩", "B 1010.5 2000", "C 0 0 甲 乙"});
  const std::string newBytes = Gbk({"A 1100 1950", "B 1110.5 1950"});
  Spit(oldPath_, oldBytes);
  Spit(newPath_, newBytes);
  ASSERT_EQ(Gather(), GatherOutcome::Done);
  state_.TransParam = {100, -50, 0, 0};
  ASSERT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::Done);
  const std::string block =
      "\r\n\r\n\xD0\xFD\xD7\xAA\xBA\xF3\xBD\xE1\xB9\xFB\r\n"  // 旋转后结果
      "A             1100.0000     1950.0000     \xBD\xE7\xD7\xAE\r\n"
      "B             1110.5000     1950.0000     \r\n"
      "C             100.0000      -50.0000      \xBC\xD7 \xD2\xD2\r\n";
  EXPECT_EQ(Slurp(newPath_), newBytes + block);

  // The second run finds the same common points and appends a second, equal block.
  ASSERT_EQ(Gather(), GatherOutcome::Done);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
  ASSERT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::Done);
  EXPECT_EQ(Slurp(newPath_), newBytes + block + block);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PointFiles, RotateScaleAndRotationFollowTheModel) {
  Spit(oldPath_, Gbk({"P 10 0"}));
  Spit(newPath_, "");
  state_.TransParam = {1, 2, 3.14159265358979 / 2, 1};  // k = 2, θ = 90°
  ASSERT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::Done);
  // X = 2(10 cos θ) + 1 = 1, Y = 2(-10 sin θ) + 2 = -18
  EXPECT_EQ(Slurp(newPath_), Gbk({"", "", "旋转后结果", "P             1.0000        -18.0000      "}));
}

TEST_F(PointFiles, RotateEndsAtBlankLineAndStopsAtFormatError) {
  Spit(newPath_, "");
  Spit(oldPath_, Gbk({"A 1 2", "  \t", "B 3 4"}));
  EXPECT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::Done);
  EXPECT_EQ(Slurp(newPath_), Gbk({"", "", "旋转后结果", "A             1.0000        2.0000        "}));
  EXPECT_TRUE(messages_.empty());

  Spit(newPath_, "");
  Spit(oldPath_, Gbk({"A 1 2", "B 3", "C 5 6"}));
  EXPECT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::OldFormatError);
  EXPECT_EQ(Slurp(newPath_), Gbk({"", "", "旋转后结果", "A             1.0000        2.0000        "}));
  EXPECT_EQ(messages_, std::vector<std::string>{"老坐标文件" + oldPath_ + "数据格式有错"});
}

TEST_F(PointFiles, RotateReportsResultFileThatCannotBeWritten) {
  Spit(oldPath_, Gbk({"A 1 2"}));
  fs::create_directory(dir_ / "folder");
  std::string error;
  EXPECT_EQ(T_Co_Rotate(oldPath_, (dir_ / "folder").string(), state_, Recorder(), &error),
            AppendOutcome::WriteFailed);
  EXPECT_FALSE(error.empty());
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(T_Co_Rotate(oldPath_, "/dev/full", state_, Recorder(), &error),
              AppendOutcome::WriteFailed);
    EXPECT_EQ(error, "磁盘已满");
  }
}

// ------------------------------------------------------------------ the first form, as oracle
// The readers first decoded whole files, split every line into copies and laid result
// lines out in UTF-8; the streaming readers on GBK bytes must write the very same bytes.

struct OraclePoint {
  std::string name, rest;
  double x = 0, y = 0;
};

// One decoded line as first read: the copying split, the strict test, the lenient values.
bool OracleSplit(const std::string& line, OraclePoint& p) {
  std::string f[4];
  CopyingSplit(line, f);
  if (f[0].empty() || !IsNumeric(f[1]) || !IsNumeric(f[2])) return false;
  p = {f[0], f[3], ReadLenient(f[1]), ReadLenient(f[2])};
  return true;
}

std::string OracleResultLine(const OraclePoint& p, double X, double Y) {
  return Utf8ToGbk(PrintZones({p.name, FormatPattern(X, "#.0000"), FormatPattern(Y, "#.0000"), p.rest})) +
         "\r\n";
}

// A point file as surveyors' tools leave them: Chinese and ASCII names of every width,
// runs of blanks and tabs, numbers in every form the strict rule takes, remarks or none,
// all three line ends, duplicate names.
std::string GeneratedPointFile(std::mt19937& rng, int lines, int names) {
  const char* numbers[] = {"-0", "+12.5", ".5", "5.", "1e3", "1.5E-2", "123456789012.345678",
                           "-0.00004", "0.00005", "99999.99995"};
  const char* rests[] = {"", "code", "界桩 甲  乙", "\t备注\t", "a  b  ", "十四列的备注文字"};
  const char* ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
  std::string out;
  char num[64];
  for (int i = 0; i < lines; ++i) {
    const int n = static_cast<int>(rng() % names);
    std::string name;
    switch (rng() % 5) {
      case 0: name = "界桩" + std::to_string(n); break;
      case 1: name = "ABCDEFGHIJ" + std::to_string(1000 + n % 9000); break;  // 14 columns
      case 2: name = "Q\t" + std::to_string(n); break;                      // a tab inside
      default: name = "P" + std::to_string(n);
    }
    std::string line = std::string(rng() % 2, ' ') + name;
    for (int k = 0; k < 2; ++k) {
      line += std::string(1 + rng() % 3, ' ');
      if (rng() % 4 == 0) {
        line += numbers[rng() % std::size(numbers)];
      } else {
        std::snprintf(num, sizeof num, "%.*f", static_cast<int>(rng() % 6),
                      (k ? 5.0e5 : 3.0e6) + static_cast<double>(rng() % 100000000) / 997);
        line += num;
      }
    }
    const std::string rest = rests[rng() % std::size(rests)];
    if (!rest.empty()) line += std::string(1 + rng() % 2, ' ') + rest;
    out += Utf8ToGbk(line) + ends[rng() % std::size(ends)];
  }
  return out;
}

TEST_F(PointFiles, StreamingGivesTheBytesOfTheFirstFormOnALargeGeneratedFile) {
  std::mt19937 rng(4242);
  // Old file over two reading blocks, ended by an empty line and bytes no reader reaches.
  const std::string oldBytes = GeneratedPointFile(rng, 40000, 14000) + "\r\n\xFF\xFF\r\n";
  const std::string newBytes = GeneratedPointFile(rng, 3000, 25000) + "\r\nignored\r\n";
  Spit(oldPath_, oldBytes);
  Spit(newPath_, newBytes);
  const std::vector<std::string> oldLines = ReadTextFile(oldPath_).lines;
  const std::vector<std::string> newLines = ReadTextFile(newPath_).lines;

  // Common points: every new line looked up, the first old line of a name winning.
  std::unordered_map<std::string, OraclePoint> firstOld;
  for (const auto& line : oldLines) {
    OraclePoint p;
    if (line.empty() || !OracleSplit(line, p)) break;
    firstOld.emplace(p.name, p);
  }
  std::vector<CommonPoint> common;
  int found = 0;
  for (const auto& line : newLines) {
    OraclePoint p;
    if (line.empty() || !OracleSplit(line, p)) break;
    const auto it = firstOld.find(p.name);
    if (it == firstOld.end()) continue;
    ++found;
    if (common.size() < kMaxCommonPoints) common.push_back({p.name, p.x, p.y, it->second.x, it->second.y});
  }
  ASSERT_EQ(Gather(), GatherOutcome::Done);
  ASSERT_GT(found, 500);
  EXPECT_EQ(state_.CommonFound, found);
  ExpectCommonPoints(common);

  // The appended block, every old point through the model.
  state_.TransParam = {100.25, -50.125, 1.234e-5, 3.5e-6};
  const double c = std::cos(state_.TransParam[kRotation]), s = std::sin(state_.TransParam[kRotation]);
  const double k = 1 + state_.TransParam[kScale];
  std::string block = Gbk({"", "", "旋转后结果"});
  for (const auto& line : oldLines) {
    OraclePoint p;
    if (IsBlank(line) || !OracleSplit(line, p)) break;
    block += OracleResultLine(p, k * (p.x * c + p.y * s) + state_.TransParam[kShiftX],
                              k * (-p.x * s + p.y * c) + state_.TransParam[kShiftY]);
  }
  ASSERT_EQ(T_Co_Rotate(oldPath_, newPath_, state_, Recorder()), AppendOutcome::Done);
  const std::string appended = Slurp(newPath_);
  ASSERT_EQ(appended.size(), newBytes.size() + block.size());
  EXPECT_TRUE(appended == newBytes + block);

  // The rotation result file, header and every point.
  const std::string out = (dir_ / "rotated.txt").string();
  const RotationCentres centres{3.0e6, 5.0e5, 3.1e6, 4.9e5, 0.3};
  std::string rotated = Gbk({"坐标转换：",
                             PrintZones({"老坐标旋转中心：", "3000000.0000", "500000.0000"}),
                             PrintZones({"新坐标旋转中心：", "3100000.0000", "490000.0000"}),
                             PrintZones({"旋转角：", "17.1108"})});
  for (const auto& line : oldLines) {
    OraclePoint p;
    if (line.empty() || !OracleSplit(line, p)) break;
    const double dx = p.x - centres.x0, dy = p.y - centres.y0;
    rotated += OracleResultLine(p, centres.X0 + dx * std::cos(0.3) + dy * std::sin(0.3),
                                centres.Y0 - dx * std::sin(0.3) + dy * std::cos(0.3));
  }
  std::string error;
  ASSERT_EQ(RotatePointFile(oldPath_, out, centres, "17.1108", Recorder(), error), RotateOutcome::Done);
  const std::string written = Slurp(out);
  ASSERT_EQ(written.size(), rotated.size());
  EXPECT_TRUE(written == rotated);
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace vantrel
