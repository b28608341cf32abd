// vantrel-cli level end to end: the examples, a refusal over the allowance that leaves no file,
// --force, the GBK CR LF file, usage errors.
#include <gtest/gtest.h>

#include <string>

#include "common/text_files.h"
#include "tests/support/cli_run.h"

namespace vantrel {
namespace {

using test::Slurp;
using test::Spit;
using CliLevelTest = test::CliRunTest;

const std::string kLevelExamples = std::string(VANTREL_SOURCE) + "/examples/levelling/";

TEST_F(CliLevelTest, ExamplesRefusalsAndFiles) {
  ASSERT_EQ(Cli("level " + kLevelExamples + "connecting.txt"), 0) << err_;
  EXPECT_NE(out_.find("四舍五入至毫米, 余下的毫米每段 1 毫米给最长的测段: 5→BM.B"), std::string::npos) << out_;
  EXPECT_NE(out_.find("12.314"), std::string::npos);
  ASSERT_EQ(Cli("level --rounding cut " + kLevelExamples + "connecting.txt"), 0) << err_;
  EXPECT_NE(out_.find("舍至毫米, 余下的毫米每段 1 毫米给最长的测段: BM.A→1、2→3、3→4、4→5、5→BM.B"), std::string::npos);
  ASSERT_EQ(Cli("level --by stations " + kLevelExamples + "fieldbook.txt --report html -o " + (dir_ / "r.html")), 0) << err_;
  const std::string html = Slurp(dir_ / "r.html");
  EXPECT_NE(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find("23.764"), std::string::npos);

  // 二等 allows ±4√6.7 = ±10.4 mm: +66 mm is refused, nothing written; --force marks it.
  EXPECT_EQ(Cli("level --grade 二等 -o " + (dir_ / "t.txt") + " " + kLevelExamples + "connecting.txt"), 1);
  EXPECT_NE(err_.find("connecting.txt: 高差闭合差 66 毫米超限 (限差 ±10.4 毫米)"), std::string::npos) << err_;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "t.txt"));
  ASSERT_EQ(Cli("level --grade 二等 --force -o " + (dir_ / "t.txt") + " " + kLevelExamples + "connecting.txt"), 0) << err_;
  const std::string file = Slurp(dir_ / "t.txt");
  EXPECT_NE(file.find("\r\n"), std::string::npos);
  EXPECT_NE(GbkToUtf8(file).find("超限, 按要求强制平差"), std::string::npos);

  // The committed reports are what the program writes today.
  for (const char* name : {"connecting", "closed", "fieldbook"}) {
    const std::string ex = kLevelExamples + name;
    ASSERT_EQ(Cli("level -o " + (dir_ / "e.txt") + " " + ex + ".txt"), 0) << err_;
    EXPECT_EQ(Slurp(dir_ / "e.txt"), Slurp(ex + "_report.txt")) << name;
  }

  // Lengths the file has not, a bad line from standard input, usage errors.
  EXPECT_EQ(Cli("level --by length " + kLevelExamples + "fieldbook.txt"), 1);
  EXPECT_NE(err_.find("没有各测段的长度"), std::string::npos) << err_;
  EXPECT_EQ(Cli("level -", "路线 闭合\n已知 A 1\n测段 公里\nA B x 1\n"), 1);
  EXPECT_NE(err_.find(":4: 高差不是数: x!"), std::string::npos) << err_;
  EXPECT_EQ(Cli("level --grade 五等 " + kLevelExamples + "closed.txt"), 2);
  EXPECT_EQ(Cli("level --terrain 丘陵 " + kLevelExamples + "closed.txt"), 2);
  EXPECT_EQ(Cli("level --rounding up " + kLevelExamples + "closed.txt"), 2);
  EXPECT_EQ(Cli("level --help"), 0);
  EXPECT_NE(out_.find("±12√L mm     ±4√n mm"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
