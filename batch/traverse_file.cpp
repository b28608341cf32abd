#include "batch/traverse_file.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "batch/observation_text.h"
#include "common/text_files.h"
#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"

namespace vantrel::batch {

namespace {

// Point lines (keyword, name, X, Y) and the reason for coordinates that are no numbers.
const std::map<std::string, std::string> kPointLines = {
    {"起点", "起算点坐标错!"},
    {"后视", "后视点坐标错!"},
    {"终点", "终点坐标错!"},
    {"前视", "前视点坐标错!"},
};
// Angle lines (keyword, one packed angle) and the reason for a bad angle.
const std::map<std::string, std::string> kAngleLines = {
    {"起始方位", "起始方位错!"},
    {"终止方位", "终止方位错!"},
    {"连接角", "连接角错!"},
    {"首边方位", "首边方位错!"},
};

// A first word one letter off a keyword is a misspelled keyword, not a station: "首边方向"
// would otherwise read as a station of that name.
const char* const kKeywords[] = {"导线",     "起点",     "后视",   "终点",    "前视",
                                 "起始方位", "终止方位", "连接角", "首边方位"};

struct StationLine {
  int line = 0;
  bool hasDistance = false;
};

class Parser {
 public:
  explicit Parser(std::string fileName) : file_(std::move(fileName)) {}

  TraverseFileResult Run(std::string_view bytes) {
    if (!IsGbkOrUtf8Text(bytes)) {
      Fail(0, kNotTextReason);
    } else {
      const std::vector<std::string> lines = SplitLines(GbkOrUtf8ToUtf8(bytes));
      for (size_t i = 0; i < lines.size() && error_.empty(); ++i) Line(static_cast<int>(i + 1), lines[i]);
    }
    if (error_.empty()) Finish();
    TraverseFileResult r;
    r.ok = error_.empty();
    r.error = error_;
    if (r.ok) {
      r.input = std::move(in_);
      for (const StationLine& s : stationLines_) r.lines.stations.push_back(s.line);
      r.lines.keywords = std::move(seen_);
    }
    return r;
  }

 private:
  void Fail(int line, const std::string& reason) {
    error_ = file_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + reason;
  }

  // The first sighting of a keyword; a second one is refused.
  bool Once(int line, const std::string& word) {
    auto [it, fresh] = seen_.emplace(word, line);
    if (!fresh) Fail(line, "重复的 " + word + " 行 (第" + std::to_string(it->second) + "行已有)!");
    return fresh;
  }

  void Line(int n, std::string line) {
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const std::vector<std::string> items = SplitBlanks(line);
    if (items.empty()) return;
    const std::string& key = items[0];
    if (key == "导线") return Kind(n, items);
    if (auto p = kPointLines.find(key); p != kPointLines.end()) return Point(n, items, p->second);
    if (auto a = kAngleLines.find(key); a != kAngleLines.end()) return Angle(n, items, a->second);
    if (const char* k = MisspeltKeyword(key, kKeywords))
      return Fail(n, "不认识的关键字: " + key + " (是 " + k + " 吗?)!");
    Station(n, items);
  }

  // A length or coordinate the tables can print to the millimetre (kTraverseMaxMetres).
  bool Size(int n, const std::string& text, double v, const char* what) {
    if (std::fabs(v) < adjustment::kTraverseMaxMetres) return true;
    Fail(n, std::string(what) + "太大: " + text + " (坐标和边长应小于 1e9 米)!");
    return false;
  }

  void Kind(int n, const std::vector<std::string>& items) {
    if (!Once(n, "导线")) return;
    bool kind = false, side = false;
    for (size_t i = 1; i < items.size(); ++i) {
      const std::string& w = items[i];
      if (!kind && (w == "附合" || w == "闭合")) {
        in_.kind = w == "附合" ? adjustment::TraverseKind::Connecting
                              : adjustment::TraverseKind::Closed;
        kind = true;
      } else if (!side && (w == "左角" || w == "右角")) {
        in_.side = w == "左角" ? adjustment::AngleSide::Left : adjustment::AngleSide::Right;
        side = true;
      } else {
        return Fail(n, "导线 行只能写类型 (附合或闭合) 和角度 (左角或右角), 不认识: " + w + "!");
      }
    }
    if (!kind || !side) Fail(n, "导线 行应写明类型 (附合或闭合) 和角度 (左角或右角)!");
  }

  void Point(int n, const std::vector<std::string>& items, const std::string& bad) {
    const std::string& w = items[0];
    if (!Once(n, w)) return;
    if (items.size() != 4) return Fail(n, w + " 行应为: " + w + " 点名 X Y!");
    auto x = ReadStrict(items[2]), y = ReadStrict(items[3]);
    if (!x || !y) return Fail(n, bad);
    if (!Size(n, items[2], *x, "坐标") || !Size(n, items[3], *y, "坐标")) return;
    adjustment::TraversePoint p{items[1], *x, *y};
    if (w == "起点") in_.start = p;
    else if (w == "后视") in_.backSight = p;
    else if (w == "终点") in_.end = p;
    else in_.foreSight = p;
  }

  void Angle(int n, const std::vector<std::string>& items, const std::string& bad) {
    const std::string& w = items[0];
    if (!Once(n, w)) return;
    if (items.size() != 2) return Fail(n, w + " 行应为: " + w + " D.MMSS!");
    auto a = ReadPackedAngle(items[1]);
    if (!a) return Fail(n, bad);
    if (!PackedAngleTenths(items[1])) return Fail(n, FinerThanTenths(items[1]));
    if (w == "起始方位") in_.startAzimuth = a;
    else if (w == "终止方位") in_.endAzimuth = a;
    else if (w == "连接角") in_.connectionAngle = a;
    else in_.firstLegAzimuth = a;
  }

  void Station(int n, const std::vector<std::string>& items) {
    if (items.size() < 2) return Fail(n, "测站 " + items[0] + " 缺少转折角!");
    if (items.size() > 3) return Fail(n, "测站行多余的数据项: " + items[3] + "!");
    auto angle = ReadPackedAngle(items[1]);
    if (!angle) return Fail(n, "转折角错!");
    if (!PackedAngleTenths(items[1])) return Fail(n, FinerThanTenths(items[1]));
    adjustment::TraverseStation s{items[0], *angle, 0};
    if (items.size() == 3) {
      auto d = ReadStrict(items[2]);
      if (!d || !(*d > 0)) return Fail(n, "边长错!");
      if (!Size(n, items[2], *d, "边长")) return;
      s.distance = *d;
    }
    in_.stations.push_back(std::move(s));
    stationLines_.push_back({n, items.size() == 3});
  }

  void Finish() {
    if (!seen_.count("导线")) return Fail(0, "缺少 导线 行 (附合或闭合, 左角或右角)!");
    if (!seen_.count("起点")) return Fail(0, "缺少起点!");
    const bool closed = in_.kind == adjustment::TraverseKind::Closed;
    const std::vector<std::string> foreign =
        closed ? std::vector<std::string>{"终点", "前视", "终止方位"}
               : std::vector<std::string>{"连接角", "首边方位"};
    for (const std::string& w : foreign)
      if (auto it = seen_.find(w); it != seen_.end())
        return Fail(it->second, std::string(closed ? "闭合" : "附合") + "导线没有 " + w + " 行!");
    if (!closed && !seen_.count("终点")) return Fail(0, "缺少终点!");
    if (in_.stations.empty()) return Fail(0, "没有测站!");
    for (size_t i = 0; i < stationLines_.size(); ++i) {
      const bool last = i + 1 == stationLines_.size();
      const bool wanted = closed || !last;
      if (wanted && !stationLines_[i].hasDistance)
        return Fail(stationLines_[i].line, "测站 " + in_.stations[i].name + " 缺少到下一站的边长!");
      if (!wanted && stationLines_[i].hasDistance)
        return Fail(stationLines_[i].line, "终点测站 " + in_.stations[i].name + " 之后没有边, 不应有边长!");
    }
  }

  std::string file_;
  std::string error_;
  adjustment::TraverseInput in_;
  std::map<std::string, int> seen_;  // keyword -> line
  std::vector<StationLine> stationLines_;
};

}  // namespace

std::optional<double> ReadPackedAngle(std::string_view text) {
  auto v = ReadStrict(text);
  if (!v || !(*v >= 0 && *v < 360)) return std::nullopt;
  // The same guard as Dms2Rad, so 30.0 and 0.30 split into whole degrees and minutes.
  const double d = std::floor(*v + 1e-11);
  const double mm = (*v - d) * 100;
  const double m = std::floor(mm + 1e-11);
  const double s = (mm - m) * 100;
  if (m >= 60 || s >= 60 - 1e-6) return std::nullopt;
  return Dms2Rad(*v);
}

std::optional<long long> PackedAngleTenths(std::string_view text) {
  auto v = ReadStrict(text);
  if (!v || !(*v >= 0 && *v < 360)) return std::nullopt;
  // The text's digits DDD MM SS s as one whole number: exact for any text of at most five
  // decimals, which a double holds to far better than the 1e-4 allowed here.
  const double scaled = *v * 1e5;
  const long long digits = std::llround(scaled);
  if (std::fabs(scaled - static_cast<double>(digits)) > 1e-4) return std::nullopt;
  const long long minutes = digits / 1000 % 100, tenths = digits % 1000;
  if (minutes >= 60 || tenths >= 600) return std::nullopt;
  return (digits / 100000 * 60 + minutes) * 600 + tenths;
}

TraverseFileResult ParseTraverseText(std::string_view bytes, const std::string& fileName) {
  return Parser(fileName).Run(bytes);
}

TraverseFileResult ReadTraverseFile(const std::string& path) {
  return ReadAndParse<TraverseFileResult>(path, [&](std::string_view bytes) { return ParseTraverseText(bytes, path); });
}

}  // namespace vantrel::batch
