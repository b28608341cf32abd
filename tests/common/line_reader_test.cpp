#include "common/line_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/text_files.h"
#include "tests/support/temp_files.h"

namespace vantrel {
namespace {

using test::Spit;
using test::TempDir;

// Byte strings rich in line ends of every kind, runs of them and ends at the very end.
std::vector<std::string> Samples() {
  std::vector<std::string> s = {"", "a", "\r", "\n", "\r\n", "\n\r", "\r\r\n", "a\r", "a\rb",
                                "a\r\nb\r\n", "a\n\nb", "\r\n\r\n", "x\r\r", "\xB2\xE2\r\n"};
  std::mt19937 rng(7);
  const char alphabet[] = {'a', 'b', ' ', '\r', '\n', '\xB2', '\xE2', '1'};
  for (int n = 0; n < 300; ++n) {
    std::string t(rng() % 90, 'a');
    for (char& c : t) c = alphabet[rng() % sizeof alphabet];
    s.push_back(t);
  }
  return s;
}

std::vector<std::string> ByNext(LineReader& r) {
  std::vector<std::string> lines;
  for (std::string_view l; r.Next(l);) lines.emplace_back(l);
  return lines;
}

TEST(LineReader, EveryBlockSizeCutsExactlyAsSplitLines) {
  TempDir dir;
  const std::string path = dir / "lines.txt";
  for (const std::string& bytes : Samples()) {
    Spit(path, bytes);
    const auto expected = SplitLines(bytes);
    for (std::size_t block : {1, 2, 3, 5, 64, 4096}) {
      LineReader r(path, false, block);
      ASSERT_TRUE(r.ok()) << r.error();
      EXPECT_EQ(ByNext(r), expected) << "block " << block << " bytes " << testing::PrintToString(bytes);
      EXPECT_TRUE(r.ok());
      EXPECT_EQ(r.lineNumber(), expected.size());
      EXPECT_EQ(r.consumed(), bytes.size());
      EXPECT_EQ(r.size(), bytes.size());

      // Chunks hold whole lines: joined they are the input, split they are its lines.
      LineReader c(path, false, block);
      std::string joined, chunk;
      std::vector<std::string> chunkLines;
      while (c.NextChunk(chunk)) {
        ASSERT_FALSE(chunk.empty());
        joined += chunk;
        for (auto& l : SplitLines(chunk)) chunkLines.push_back(l);
      }
      EXPECT_EQ(joined, bytes) << "block " << block;
      EXPECT_EQ(chunkLines, expected) << "block " << block << " bytes " << testing::PrintToString(bytes);
      EXPECT_EQ(c.consumed(), bytes.size());
    }
  }
}

TEST(LineReader, CursorWalksMemoryByTheSameRule) {
  for (const std::string& bytes : Samples()) {
    LineCursor cursor(bytes);
    std::vector<std::string> lines;
    for (std::string_view l; cursor.Next(l);) lines.emplace_back(l);
    EXPECT_EQ(lines, SplitLines(bytes));
    EXPECT_EQ(cursor.offset(), bytes.size());
  }
}

TEST(LineReader, ALineLongerThanManyBlocksStaysWhole) {
  TempDir dir;
  const std::string longLine(100000, 'x');
  Spit(dir / "long.txt", "a\r\n" + longLine + "\r\nb");
  LineReader r(dir / "long.txt", false, 16);
  EXPECT_EQ(ByNext(r), (std::vector<std::string>{"a", longLine, "b"}));
}

TEST(LineReader, RefusesWhatIsNoFileWithItsReason) {
  TempDir dir;
  Spit(dir / "plain", "x");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::string reason;
  };
  for (const Case& c : std::vector<Case>{{dir / "missing", FileErrorText(ENOENT)},
                                         {dir.path().string(), FileErrorText(EISDIR)},
                                         {dir / "plain/under", FileErrorText(ENOTDIR)},
                                         {dir / "fifo", "这不是一个普通文件"}}) {
    LineReader r(c.path);
    EXPECT_FALSE(r.ok()) << c.path;
    EXPECT_EQ(r.error(), c.reason) << c.path;
    std::string_view l;
    EXPECT_FALSE(r.Next(l));
  }
}

TEST(LineReader, ReadsStreamsWhenAskedAndWaitsForTheirData) {
  TempDir dir;
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    for (const char* part : {"one\r", "\ntwo", "\r\nthree"}) {
      ASSERT_GT(::write(fd, part, std::char_traits<char>::length(part)), 0);
      usleep(1000);
    }
    ::close(fd);
  });
  // Named on purpose, the stream is waited for: at the open for its writer, then for data.
  LineReader r(fifo, true, 2);
  ASSERT_TRUE(r.ok()) << r.error();
  EXPECT_FALSE(r.size());
  EXPECT_EQ(ByNext(r), (std::vector<std::string>{"one", "two", "three"}));
  writer.join();
}

TEST(LineReader, ReadsAnOpenDescriptorWithoutClosingIt) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "a\nb\n", 4), 4);
  ::close(fds[1]);
  {
    LineReader r(fds[0], 3);
    EXPECT_EQ(ByNext(r), (std::vector<std::string>{"a", "b"}));
  }
  EXPECT_EQ(fcntl(fds[0], F_GETFD), 0);  // still open
  ::close(fds[0]);
}

}  // namespace
}  // namespace vantrel
