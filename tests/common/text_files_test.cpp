#include "common/text_files.h"
#include "tests/support/temp_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace vantrel {
namespace {

using test::Slurp;

namespace fs = std::filesystem;

class TextFiles : public ::testing::Test {
 protected:
  test::TempDir tmp_;
  const fs::path& dir_ = tmp_.path();
};

TEST(TextFileCodec, GbkRoundTripAndKnownBytes) {
  const std::string utf8 = "测站A1 坐标";
  const std::string gbk = Utf8ToGbk(utf8);
  EXPECT_EQ(gbk, "\xB2\xE2\xD5\xBE" "A1 \xD7\xF8\xB1\xEA");
  EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

// A file may come as GBK or as UTF-8: well-formed UTF-8 is kept, anything else is GBK.
TEST(TextFileCodec, GbkOrUtf8TellsTheTwoApart) {
  const std::string zh = "导线 闭合 左角 点号";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {zh, zh},                                  // UTF-8 as it is
      {"\xEF\xBB\xBF" + zh, zh},                // its byte-order mark dropped
      {"\xEF\xBB\xBF" + Utf8ToGbk(zh), zh},     // a mark before GBK: still GBK, never invalid UTF-8
      {Utf8ToGbk(zh), zh},                       // GBK decoded
      {"P1 100 200", "P1 100 200"},              // ASCII is both
      {"\xC0\x80", GbkToUtf8("\xC0\x80")},       // overlong: not UTF-8
      {"\xED\xA0\x80", GbkToUtf8("\xED\xA0\x80")},  // a surrogate: not UTF-8
      {"\xF4\x90\x80\x80", GbkToUtf8("\xF4\x90\x80\x80")},  // past U+10FFFF
      {"\xE4\xB8", GbkToUtf8("\xE4\xB8")},       // cut short
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // four bytes, well formed
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(GbkOrUtf8ToUtf8(bytes), text) << bytes;
}

TEST(TextFileCodec, InvalidBytesBecomeReplacementAndTheRestSurvives) {
  // 0xFF is no GBK lead byte; a lone lead byte at the end is incomplete.
  const std::string bytes = std::string("A\xFF" "B\xFF" "\xB2\xE2") + "C\xB2";
  const std::string text = GbkToUtf8(bytes);
  EXPECT_EQ(text, "A\xEF\xBF\xBD" "B\xEF\xBF\xBD" "测C\xEF\xBF\xBD");
  // Characters GBK cannot hold, and broken UTF-8, become '?'.
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80" "b\xC3"), "a?b?");
}

TEST(TextFileCodec, SplitLinesAcceptsEveryLineEnd) {
  struct Case { std::string bytes; std::vector<std::string> lines; };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r\n\r\nc", {"a", "b", "", "c"}},
      {"\r\n", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.bytes), c.lines) << c.bytes;
}

TEST(TextFileCodec, SplitBlanksOnRuns) {
  EXPECT_EQ(SplitBlanks("  P1   100.5\t200  备注 "),
            (std::vector<std::string>{"P1", "100.5", "200", "备注"}));
  EXPECT_TRUE(SplitBlanks(" \t ").empty());
}

TEST(TextFileCodec, PrintZonesAreFourteenColumnsWide) {
  struct Case { std::vector<std::string> items; std::string line; };
  const Case cases[] = {
      {{"a", "b"}, "a" + std::string(13, ' ') + "b"},
      {{"测站", "x"}, "测站" + std::string(10, ' ') + "x"},  // a Chinese character is two columns
      {{"1234567890123", "x"}, "1234567890123 x"},
      // An item ending exactly on a boundary pushes the next one a zone on.
      {{"12345678901234", "x"}, "12345678901234" + std::string(14, ' ') + "x"},
      {{"", "x"}, std::string(14, ' ') + "x"},
      {{"a", "b", "c"}, "a" + std::string(13, ' ') + "b" + std::string(13, ' ') + "c"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PrintZones(c.items), c.line);
    // Laid out from GBK bytes, the same line in GBK.
    std::string gbk = "kept ";
    std::vector<std::string> encoded;
    for (const auto& item : c.items) encoded.push_back(Utf8ToGbk(item));
    if (encoded.size() == 2) AppendPrintZones(gbk, {encoded[0], encoded[1]});
    if (encoded.size() == 3) AppendPrintZones(gbk, {encoded[0], encoded[1], encoded[2]});
    EXPECT_EQ(gbk, "kept " + Utf8ToGbk(c.line));
  }
  EXPECT_EQ(PrintWidth("测站A"), 5);
}

// The quick test of GBK text against the decoder itself, on bytes made to hit its edges:
// lead bytes at the end, lead bytes before bytes that are no trail, 0x80 and 0xFF.
TEST(TextFileCodec, IsGbkTextAgreesWithTheDecoder) {
  std::mt19937 rng(936);
  const unsigned char edges[] = {0x00, 0x20, 0x3F, 0x40, 0x7E, 0x7F, 0x80, 0x81,
                                 0xA1, 0xA9, 0xAA, 0xB0, 0xD7, 0xF7, 0xFE, 0xFF};
  for (int n = 0; n < 200000; ++n) {
    std::string s(rng() % 7, ' ');
    for (char& ch : s) {
      const unsigned r = rng();
      ch = static_cast<char>(r % 3 == 0 ? edges[(r >> 8) % sizeof edges] : (r >> 8) & 0xFF);
    }
    // An ASCII run of any length in front, so the bytes after it fall at every offset.
    s = std::string(rng() % 20, 'P') + s;
    const bool decodes = GbkToUtf8(s).find("\xEF\xBF\xBD") == std::string::npos;
    ASSERT_EQ(IsGbkText(s), decodes) << testing::PrintToString(s);
    if (decodes) {
      ASSERT_EQ(Utf8ToGbk(GbkToUtf8(s)), s) << testing::PrintToString(s);
    }
  }
  EXPECT_TRUE(IsGbkText(Utf8ToGbk("测站 A1 界桩")));
  EXPECT_FALSE(IsGbkText("A\xB2"));
}

TEST_F(TextFiles, WriteThenReadBackWithCrLfAndGbk) {
  const auto path = (dir_ / "out.txt").string();
  ASSERT_TRUE(WriteTextFile(path, {"测站 1", "B"}, false).ok);
  ASSERT_TRUE(WriteTextFile(path, {"追加"}, true).ok);
  EXPECT_EQ(Slurp(path), Utf8ToGbk("测站 1") + "\r\nB\r\n" + Utf8ToGbk("追加") + "\r\n");
  auto read = ReadTextFile(path);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.lines, (std::vector<std::string>{"测站 1", "B", "追加"}));
  ASSERT_TRUE(WriteTextFile(path, {"new"}, false).ok);
  EXPECT_EQ(Slurp(path), "new\r\n");
}

TEST_F(TextFiles, FaultsThatStopRootAreReportedAndLoseNothing) {
  const auto file = (dir_ / "plain.txt").string();
  ASSERT_TRUE(WriteTextFile(file, {"keep me"}, false).ok);
  const std::string folder = dir_.string();
  const std::string underFile = file + "/child.txt";

  struct Case { std::string path; bool append; };
  const Case writes[] = {{folder, true}, {folder, false}, {underFile, true},
                         {"/dev/full", true}, {"/dev/full", false}};
  for (const auto& c : writes) {
    auto r = WriteTextFile(c.path, {"x"}, c.append);
    EXPECT_FALSE(r.ok) << c.path;
    EXPECT_FALSE(r.error.empty()) << c.path;
  }
  EXPECT_EQ(Slurp(file), "keep me\r\n");

  for (const auto& path : {folder, underFile, (dir_ / "missing.txt").string(),
                           std::string("/dev/zero")}) {
    auto r = ReadTextFile(path);
    EXPECT_FALSE(r.ok) << path;
    EXPECT_FALSE(r.error.empty()) << path;
    EXPECT_TRUE(r.lines.empty());
  }
}

TEST_F(TextFiles, AFileWithBadBytesIsReadWhole) {
  const auto path = (dir_ / "bad.txt").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << "P1 1 2\r\n\x80\xFF bad\r\nP3 5 6";
  }
  auto r = ReadTextFile(path);
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[0], "P1 1 2");
  EXPECT_EQ(r.lines[2], "P3 5 6");
}

}  // namespace
}  // namespace vantrel
