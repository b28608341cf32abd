#pragma once
// A closed traverse worked in a Chinese surveying textbook: exercise 9 of chapter 7 ("某闭合
// 导线如图7-13所示, 已知 αA = 45°, 列表计算各点的坐标"), as its answer key is published, e.g.
// doczj.com/doc/6e15339899.html: left angles, the first leg's azimuth 45°00′00″, A at
// (1000.00, 2000.00), lengths and coordinates to the centimetre. The book finds f_β = -36″,
// f_x = +0.10 m, f_y = +0.13 m, ΣD = 733.49 m and the points below.
#include <string>

namespace vantrel::test {

inline const std::string kTextbookTraverse =
    "导线 闭合 左角\n"
    "起点 A 1000.00 2000.00\n"
    "首边方位 45.0000\n"
    "A 103.0248 147.02\n"
    "2 117.2724 124.47\n"
    "3 113.0018 132.30\n"
    "4 110.5842 165.68\n"
    "5 95.3012 164.02\n";

struct BookPoint {
  const char* name;
  double x, y;
};

// The book's adjusted coordinates (its increments and corrections in centimetres).
inline constexpr BookPoint kTextbookPoints[] = {
    {"2", 1103.94, 2103.93}, {"3", 1222.60, 2066.40}, {"4", 1235.18, 1934.68}, {"5", 1086.82, 1860.86}};

}  // namespace vantrel::test
