#pragma once
// Shared test fixtures for anything that reads or writes real files: a fresh folder per
// test, whole-file reads and writes, and GBK line files as the calculator writes them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/text_files.h"

namespace vantrel::test {

namespace fs = std::filesystem;

// The bytes of a file ("" when it cannot be read).
inline std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Writes bytes exactly, replacing what the file held.
inline void Spit(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// UTF-8 lines as the bytes of a GBK file with CR LF ends.
inline std::string Gbk(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += Utf8ToGbk(l) + "\r\n";
  return s;
}

// A folder of its own for one test, named after the test and the process, removed after.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "vantrel_" + std::to_string(::getpid());
    if (info) name += std::string("_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = fs::temp_directory_path() / name;
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return path_; }
  // A path inside the folder, as text.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  // Names of what the folder holds, sorted: a failed write must leave no stray file.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

// A test fixture that owns a TempDir.
class TempDirTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

}  // namespace vantrel::test
