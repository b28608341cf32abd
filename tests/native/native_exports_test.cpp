// The shared libraries must export their functions and nothing else: no routine, no
// runtime helper, no template instantiation may leak into the dynamic symbol table.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

// Defined dynamic symbols (name -> nm type letter) of a shared library.
std::set<std::string> DefinedDynamicSymbols(const std::string& path, std::string& types) {
  const std::string cmd = "nm -D --defined-only '" + path + "' 2>&1";
  FILE* pipe = popen(cmd.c_str(), "r");
  EXPECT_NE(pipe, nullptr) << cmd;
  std::set<std::string> names;
  if (!pipe) return names;
  std::array<char, 512> line{};
  std::string all;
  while (fgets(line.data(), line.size(), pipe)) all += line.data();
  const int rc = pclose(pipe);
  EXPECT_EQ(rc, 0) << all;
  std::istringstream in(all);
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream fields(text);
    std::string addr, type, name;
    if (!(fields >> addr >> type >> name)) continue;
    names.insert(name);
    types += type;
  }
  return names;
}

struct Library {
  const char* path;
  std::set<std::string> exports;
};

TEST(NativeExports, ExactlyTheDocumentedFunctions) {
  const Library libs[] = {
      {PIRROW_PATH, {"Radius_Cal", "MArcLen_cal", "NArcLen_cal", "Three_Cor_cal"}},
      {NADRIX_PATH, {"inv"}},
  };
  for (const auto& lib : libs) {
    std::string types;
    const auto names = DefinedDynamicSymbols(lib.path, types);
    EXPECT_EQ(names, lib.exports) << lib.path;
    // All of them code symbols: no exported data.
    for (char t : types) EXPECT_EQ(t, 'T') << lib.path;
  }
}

}  // namespace
