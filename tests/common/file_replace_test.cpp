#include "common/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/file_limits.h"
#include "tests/support/temp_files.h"

namespace vantrel {
namespace {

using test::Gbk;
using test::Slurp;
using test::Spit;

class FileReplace : public test::TempDirTest {};

TEST_F(FileReplace, ReplacesOnlyOnCommitAndLeavesNoTemporary) {
  const std::string path = dir_ / "out.txt";
  Spit(path, "old\r\n");
  {
    FileReplacement f(path);
    ASSERT_TRUE(f.ok()) << f.error();
    EXPECT_TRUE(f.Write("new"));
    EXPECT_EQ(Slurp(path), "old\r\n");  // nothing shows before the commit
    EXPECT_TRUE(f.Commit());
  }
  EXPECT_EQ(Slurp(path), "new");
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"out.txt"});
}

TEST_F(FileReplace, NoCommitIsACancelThatKeepsTheOldFile) {
  const std::string path = dir_ / "out.txt";
  Spit(path, "old");
  {
    FileReplacement f(path);
    f.Write(std::string(3 << 20, 'x'));  // past one flush, so bytes did reach the disk
  }
  EXPECT_EQ(Slurp(path), "old");
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"out.txt"});
}

TEST_F(FileReplace, AWriteCutOffPartWayKeepsTheOldFileByteForByte) {
  const std::string path = dir_ / "out.txt";
  const std::string old = Gbk({"点名 1 2", "P 3 4"});
  Spit(path, old);
  std::vector<std::string> lines(5000, "P             100.0000      200.0000");
  WriteResult r;
  {
    test::FileSizeLimit cut(20000);
    r = ReplaceTextFile(path, lines);
  }
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, FileErrorText(EFBIG));
  EXPECT_EQ(Slurp(path), old);
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"out.txt"});
  // Once the fault is gone the same call writes the whole file.
  EXPECT_TRUE(ReplaceTextFile(path, lines).ok);
  EXPECT_EQ(Slurp(path).size(), lines.size() * (lines[0].size() + 2));
}

TEST_F(FileReplace, FaultsGiveTheirReasons) {
  Spit(dir_ / "plain", "x");
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  struct Case {
    std::string path;
    int err;
  };
  for (const Case& c : std::vector<Case>{{dir_.path().string(), EISDIR},
                                         {dir_ / "plain/under", ENOTDIR},
                                         {dir_ / "no/such/folder.txt", ENOENT},
                                         {"/dev/full", ENOSPC},
                                         {dir_ / "fifo", ENXIO}}) {
    const WriteResult r = ReplaceTextFile(c.path, {"a line"});
    EXPECT_FALSE(r.ok) << c.path;
    EXPECT_EQ(r.error, FileErrorText(c.err)) << c.path;
  }
  EXPECT_EQ(Slurp(dir_ / "plain"), "x");
  EXPECT_TRUE(std::filesystem::is_fifo(dir_.path() / "fifo"));  // never replaced by a file
}

TEST_F(FileReplace, KeepsPermissionsAndFollowsLinks) {
  const std::string path = dir_ / "target.txt";
  Spit(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  std::filesystem::create_symlink("target.txt", dir_.path() / "link.txt");
  ASSERT_TRUE(ReplaceTextFile(dir_ / "link.txt", {"新"}).ok);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.path() / "link.txt"));
  EXPECT_EQ(Slurp(path), Gbk({"新"}));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // A link to a file not there yet makes that file and stays a link.
  std::filesystem::create_symlink("made.txt", dir_.path() / "ahead.txt");
  ASSERT_TRUE(ReplaceTextFile(dir_ / "ahead.txt", {"x"}).ok);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.path() / "ahead.txt"));
  EXPECT_EQ(Slurp(dir_ / "made.txt"), "x\r\n");

  // A new file gets the usual permissions, not the temporary's private ones.
  const mode_t mask = umask(022);
  ASSERT_TRUE(ReplaceTextFile(dir_ / "fresh.txt", {"x"}).ok);
  umask(mask);
  ASSERT_EQ(stat((dir_ / "fresh.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// Appends are all or nothing too: without a commit, or after a write cut off part-way, the
// file holds what it held (and a file the append created is gone again).
TEST_F(FileReplace, AnAppendIsTakenBackUnlessCommitted) {
  const std::string path = dir_ / "new.txt";
  const std::string old = Gbk({"A 1 2"});
  const std::string more(3 << 20, 'x');  // past one flush
  struct Case {
    const char* what;
    bool exists, commit;
    long long limit;  // 0: no limit
  };
  const Case cases[] = {
      {"committed", true, true, 0},
      {"cancelled", true, false, 0},
      {"cut off", true, true, 1 << 20},
      {"cancelled new file", false, false, 0},
      {"committed new file", false, true, 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(path);
    if (c.exists) Spit(path, old);
    bool committed = false;
    std::string error;
    {
      std::optional<test::FileSizeLimit> cut;
      if (c.limit) cut.emplace(c.limit);
      FileAppend f(path);
      ASSERT_TRUE(f.ok()) << c.what;
      f.Write(more);
      if (c.commit) committed = f.Commit();
      error = f.error();
    }
    const std::string before = c.exists ? old : "";
    if (committed) {
      EXPECT_EQ(Slurp(path), before + more) << c.what;
    } else {
      EXPECT_EQ(std::filesystem::exists(path), c.exists) << c.what;
      EXPECT_EQ(Slurp(path), before) << c.what;
    }
    EXPECT_EQ(committed, c.commit && !c.limit) << c.what;
    EXPECT_EQ(error, c.limit ? FileErrorText(EFBIG) : "") << c.what;
  }
  Spit(dir_ / "plain", "x");
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const auto& [p, err] : std::vector<std::pair<std::string, int>>{
           {dir_.path().string(), EISDIR}, {dir_ / "plain/under", ENOTDIR}, {dir_ / "fifo", ENXIO}}) {
    FileAppend f(p);
    EXPECT_FALSE(f.ok()) << p;
    EXPECT_EQ(f.error(), FileErrorText(err)) << p;
  }
  FileAppend full("/dev/full");
  EXPECT_TRUE(full.Write("x"));
  EXPECT_FALSE(full.Commit());
  EXPECT_EQ(full.error(), FileErrorText(ENOSPC));
}

}  // namespace
}  // namespace vantrel
