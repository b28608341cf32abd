#pragma once
// Runs the command-line program as a user does, in a folder of the test's own: arguments as
// shell words, a given standard input, standard output and error kept, the exit status.
// VANTREL_CLI is the program's path, defined by the test target.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_files.h"

namespace vantrel::test {

class CliRunTest : public TempDirTest {
 protected:
  // Runs vantrel-cli with the arguments (shell words) and the given standard input.
  int Cli(const std::string& args, const std::string& input = "") {
    Spit(dir_ / "stdin", input);
    const std::string cmd = std::string(VANTREL_CLI) + " " + args + " < " + dir_ / "stdin" + " > " +
                            dir_ / "stdout" + " 2> " + dir_ / "stderr";
    const int status = std::system(cmd.c_str());
    out_ = Slurp(dir_ / "stdout");
    err_ = Slurp(dir_ / "stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string out_, err_;
};

// The blank-separated items of each non-empty line of a text.
inline std::vector<std::vector<std::string>> Words(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream items(line);
    std::vector<std::string> row;
    for (std::string w; items >> w;) row.push_back(w);
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

// The numbers after the name on each line of a point-file output, by name.
inline std::map<std::string, std::vector<double>> NumberRows(const std::string& text) {
  std::map<std::string, std::vector<double>> rows;
  for (const auto& w : Words(text)) {
    std::vector<double> v;
    for (size_t i = 1; i < w.size(); ++i) v.push_back(std::stod(w[i]));
    rows[w[0]] = v;
  }
  return rows;
}

// A number with so many decimals, for writing input files.
inline std::string Decimals(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// text with the first `from` replaced by `to`; a `from` that is not there fails the test.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace vantrel::test
