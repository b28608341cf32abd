#include "transform/rotation_transform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/text_files.h"
#include "tests/support/temp_files.h"
#include "geodetic/ellipsoid.h"
#include "transform/point_files.h"

namespace vantrel {
namespace {

using test::Gbk;
using test::Slurp;
using test::Spit;

namespace fs = std::filesystem;

class Rotation : public ::testing::Test {
 protected:
  void SetUp() override {
    oldPath_ = (dir_ / "old.txt").string();
    outPath_ = (dir_ / "out.txt").string();
  }
  RotateOutcome Run(const RotationCentres& c, const std::string& angle) {
    return RotatePointFile(oldPath_, outPath_, c, angle,
                           [this](const std::string& m) { messages_.push_back(m); }, error_);
  }
  test::TempDir tmp_;
  const fs::path& dir_ = tmp_.path();
  std::string oldPath_, outPath_, error_;
  std::vector<std::string> messages_;
};

const std::string kHeaderZero =
    Gbk({"坐标转换：", "老坐标旋转中心：            .0000         .0000",
         "新坐标旋转中心：            .0000         .0000", "旋转角：      90"});

TEST_F(Rotation, ZeroAngleShiftsKeepingNamesAndRemarks) {
  Spit(oldPath_, Gbk({"A 10 20 界桩 甲", "B -5.5 0"}));
  ASSERT_EQ(Run({0, 0, 1000, 2000, 0}, "0"), RotateOutcome::Done);
  EXPECT_EQ(Slurp(outPath_),
            Gbk({"坐标转换：", "老坐标旋转中心：            .0000         .0000",
                 "新坐标旋转中心：            1000.0000     2000.0000", "旋转角：      0",
                 "A             1010.0000     2020.0000     界桩 甲",
                 "B             994.5000      2000.0000     "}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(Rotation, NinetyDegreesTurnsTowardsNegativeY) {
  Spit(oldPath_, Gbk({"P 10 0", "Q 0 10"}));
  ASSERT_EQ(Run({0, 0, 0, 0, Dms2Rad(90)}, "90"), RotateOutcome::Done);
  EXPECT_EQ(Slurp(outPath_), kHeaderZero + Gbk({"P             .0000         -10.0000      ",
                                                "Q             10.0000       .0000         "}));
}

TEST_F(Rotation, EndsAtEmptyLineAndRewritesTheResultFile) {
  Spit(outPath_, "old contents that must go\r\n");
  Spit(oldPath_, Gbk({"", "P 10 0"}));
  ASSERT_EQ(Run({0, 0, 0, 0, Dms2Rad(90)}, "90"), RotateOutcome::Done);
  EXPECT_EQ(Slurp(outPath_), kHeaderZero);
  Spit(oldPath_, "");
  ASSERT_EQ(Run({0, 0, 0, 0, Dms2Rad(90)}, "90"), RotateOutcome::Done);
  EXPECT_EQ(Slurp(outPath_), kHeaderZero);
}

TEST_F(Rotation, BlankLineIsFormatErrorKeepingLinesBefore) {
  Spit(oldPath_, Gbk({"P 10 0", "   ", "Q 0 10"}));
  EXPECT_EQ(Run({0, 0, 0, 0, Dms2Rad(90)}, "90"), RotateOutcome::FormatError);
  EXPECT_EQ(Slurp(outPath_), kHeaderZero + Gbk({"P             .0000         -10.0000      "}));
  EXPECT_EQ(messages_, std::vector<std::string>{"老坐标文件" + oldPath_ + "数据格式有错!"});
}

TEST_F(Rotation, ALineThatIsNotGbkStopsItAndIsNeverWrittenBack) {
  const std::string header = Gbk({"坐标转换：", "老坐标旋转中心：            .0000         .0000",
                                  "新坐标旋转中心：            .0000         .0000", "旋转角：      0"});
  Spit(oldPath_, Gbk({"A 10 20 界桩"}) + "B 1 2 \xB2\x20stone\r\n" + Gbk({"C 3 4"}));
  EXPECT_EQ(Run({}, "0"), RotateOutcome::FormatError);
  EXPECT_EQ(Slurp(outPath_), header + Gbk({"A             10.0000       20.0000       界桩"}));
  EXPECT_EQ(messages_, std::vector<std::string>{NotGbkLineMessage("老坐标文件", oldPath_, 2)});
  // After the end of the list the bytes are never read.
  messages_.clear();
  Spit(oldPath_, Gbk({"A 10 20", ""}) + "\xFF\xFF\r\n");
  EXPECT_EQ(Run({}, "0"), RotateOutcome::Done);
  EXPECT_EQ(Slurp(outPath_), header + Gbk({"A             10.0000       20.0000       "}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(Rotation, ReadAndWriteFailuresComeBackWithReasons) {
  Spit(oldPath_, Gbk({"P 10 0"}));
  outPath_ = (dir_ / "no" / "such" / "out.txt").string();
  EXPECT_EQ(Run({}, "0"), RotateOutcome::WriteFailed);
  EXPECT_EQ(error_, "文件或路径不存在");
  oldPath_ = dir_.string();
  EXPECT_EQ(Run({}, "0"), RotateOutcome::Unreadable);
  EXPECT_EQ(error_, "这是一个文件夹，不是文件");
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace vantrel
