#pragma once
// Reading a text report as a checker does: the cells of a table laid out in print zones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/text_files.h"

namespace vantrel::test {

// A text line laid out in print zones: each item starts a zone; cells left blank stay empty.
inline std::vector<std::string> ZoneCells(const std::string& line, size_t count) {
  std::vector<std::string> cells(count);
  int column = 0;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == ' ') {
      ++i, ++column;
      continue;
    }
    const size_t end = std::min(line.find(' ', i), line.size());
    const std::string item = line.substr(i, end - i);
    EXPECT_EQ(column % 14, 0) << line;
    cells.at(column / 14) = item;
    column += PrintWidth(item);
    i = end;
  }
  return cells;
}

// The rows of the table under a heading line (its head row first), up to the next empty line or
// `count` rows below the head, where summary lines follow the table; empty when there is no such
// heading.
inline std::vector<std::vector<std::string>> TableUnder(const std::vector<std::string>& lines,
                                                        const std::string& heading, size_t count = SIZE_MAX) {
  std::vector<std::vector<std::string>> rows;
  const auto at = std::find(lines.begin(), lines.end(), heading);
  if (at == lines.end() || at + 1 == lines.end()) return rows;
  const size_t width = SplitBlanks(*(at + 1)).size();
  for (auto l = at + 1; l != lines.end() && !l->empty() && rows.size() <= count; ++l)
    rows.push_back(ZoneCells(*l, width));
  return rows;
}

}  // namespace vantrel::test
