#include "batch/level_route_file.h"

#include <cmath>
#include <map>

#include "batch/observation_text.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

const char* const kLevelKeywords[] = {"路线", "已知", "测段", "手簿"};

// One line of a field book as written.
struct BookRow {
  int line = 0;
  std::string name;
  std::optional<long long> back, fore;  // mm
  std::optional<double> backDistance, foreDistance;
};

class LevelParser {
 public:
  explicit LevelParser(std::string fileName) : file_(std::move(fileName)) {}

  LevelRouteFileResult Run(std::string_view bytes) {
    if (!IsGbkOrUtf8Text(bytes)) {
      Fail(0, kNotTextReason);
    } else {
      const std::vector<std::string> lines = SplitLines(GbkOrUtf8ToUtf8(bytes));
      for (size_t i = 0; i < lines.size() && error_.empty(); ++i) Line(static_cast<int>(i + 1), lines[i]);
    }
    if (error_.empty()) Finish();
    r_.ok = error_.empty();
    r_.error = error_;
    return std::move(r_);
  }

 private:
  void Fail(int line, const std::string& reason) {
    if (error_.empty()) error_ = file_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + reason;
  }

  bool Once(int line, const std::string& word) {
    auto [it, fresh] = seen_.emplace(word, line);
    if (!fresh) Fail(line, "重复的 " + word + " 行 (第" + std::to_string(it->second) + "行已有)!");
    return fresh;
  }

  // A figure in metres to the millimetre, below 1e9 m.
  std::optional<long long> Mm(int n, const std::string& text, const std::string& what) {
    auto v = ReadStrict(text);
    if (!v) return Fail(n, what + "不是数: " + text + "!"), std::nullopt;
    if (std::fabs(*v) >= adjustment::kLevelMaxMetres) return Fail(n, what + "太大: " + text + "!"), std::nullopt;
    const double mm = *v * 1000;
    if (std::fabs(mm - std::round(mm)) > 1e-6 * std::max(1.0, std::fabs(mm)))
      return Fail(n, what + "应取至毫米: " + text + "!"), std::nullopt;
    return std::llround(mm);
  }

  void Line(int n, std::string line) {
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const std::vector<std::string> items = SplitBlanks(line);
    if (items.empty()) return;
    const std::string& key = items[0];
    if (key == "路线") return Route(n, items);
    if (key == "已知") return Known(n, items);
    if (key == "测段" || key == "手簿") return Mode(n, items);
    if (const char* k = MisspeltKeyword(key, kLevelKeywords))
      return Fail(n, "不认识的关键字: " + key + " (是 " + k + " 吗?)!");
    if (mode_.empty()) return Fail(n, "数据行之前应有 测段 行 (测段 公里|测站) 或 手簿 行!");
    if (mode_ == "手簿") return BookLine(n, items);
    SectionLine(n, items);
  }

  void Route(int n, const std::vector<std::string>& items) {
    if (!Once(n, "路线")) return;
    if (items.size() != 2) return Fail(n, "路线 行应为: 路线 闭合|附合|支!");
    const std::string& w = items[1];
    if (w == "闭合") r_.input.kind = adjustment::LevelRouteKind::Closed;
    else if (w == "附合") r_.input.kind = adjustment::LevelRouteKind::Connecting;
    else if (w == "支") r_.input.kind = adjustment::LevelRouteKind::Spur;
    else Fail(n, "路线 应为 闭合、附合 或 支, 不认识: " + w + "!");
  }

  void Known(int n, const std::vector<std::string>& items) {
    if (items.size() != 3) return Fail(n, "已知 行应为: 已知 点名 高程!");
    if (known_.size() == 2) return Fail(n, "已知高程最多两个 (起点和附合路线的终点)!");
    if (!known_.empty() && known_[0].name == items[1]) return Fail(n, "点 " + items[1] + " 的已知高程重复!");
    auto h = Mm(n, items[2], "高程");
    if (h) known_.push_back({n, items[1], *h});
  }

  void Mode(int n, const std::vector<std::string>& items) {
    if (!mode_.empty()) return Fail(n, "测段 行与 手簿 行只能有一个!");
    mode_ = items[0];
    if (mode_ == "手簿") {
      if (items.size() != 1) Fail(n, "手簿 行后不应有数据项!");
      return;
    }
    if (items.size() != 2 || (items[1] != "公里" && items[1] != "测站"))
      return Fail(n, "测段 行应为: 测段 公里 或 测段 测站!");
    r_.basis = items[1] == "公里" ? adjustment::LevelBasis::Length : adjustment::LevelBasis::Setups;
    r_.hasLengths = r_.basis == adjustment::LevelBasis::Length;
    r_.hasSetups = !r_.hasLengths;
  }

  void SectionLine(int n, const std::vector<std::string>& items) {
    if (items.size() != 4) return Fail(n, "测段行应为: 起点 终点 高差 " + std::string(r_.hasLengths ? "公里数" : "测站数") + "!");
    auto dh = Mm(n, items[2], "高差");
    if (!dh) return;
    adjustment::LevelSection s{items[0], items[1], *dh / 1000.0, 0, 0};
    auto a = ReadStrict(items[3]);
    if (r_.hasLengths) {
      if (!a || !(*a > 0) || *a >= adjustment::kLevelMaxMetres / 1000) return Fail(n, "测段长度应为正的公里数: " + items[3] + "!");
      s.lengthKm = *a;
    } else {
      if (!a || !(*a >= 1) || *a != std::floor(*a) || *a > 1e6) return Fail(n, "测站数应为正整数: " + items[3] + "!");
      s.setups = static_cast<int>(*a);
    }
    if (!r_.input.sections.empty() && r_.input.sections.back().to != s.from)
      return Fail(n, "测段 " + s.from + "→" + s.to + " 不接上一测段的终点 " + r_.input.sections.back().to + "!");
    if (s.from == s.to) return Fail(n, "测段起止为同一点: " + s.from + "!");
    r_.input.sections.push_back(std::move(s));
  }

  std::optional<long long> Reading(int n, const std::string& text, const char* what) {
    if (text == "-") return std::nullopt;
    auto v = Mm(n, text, what);
    if (v && (*v < 0 || *v >= 100000)) return Fail(n, std::string(what) + "应在 0 至 100 米之间: " + text + "!"), std::nullopt;
    return v;
  }

  void BookLine(int n, const std::vector<std::string>& items) {
    if (items.size() != 3 && items.size() != 5)
      return Fail(n, "手簿行应为: 点号 后视读数 前视读数 [后视距 前视距] (没有的读数写 -)!");
    BookRow row{n, items[0], Reading(n, items[1], "后视读数"), Reading(n, items[2], "前视读数"), {}, {}};
    if (!error_.empty()) return;
    if (items.size() == 5) {
      for (int k : {3, 4}) {
        if (items[k] == "-") continue;
        auto d = ReadStrict(items[k]);
        if (!d || !(*d >= 0 && *d < 1e6)) return Fail(n, "视距应为米数 (0 至 1e6): " + items[k] + "!");
        (k == 3 ? row.backDistance : row.foreDistance) = *d;
      }
    }
    if (!rows_.empty() && (items.size() == 5) != distances_)
      return Fail(n, "视距应每行都写或都不写 (第" + std::to_string(rows_.front().line) + "行" +
                         (distances_ ? "有" : "没有") + ")!");
    distances_ = items.size() == 5;
    rows_.push_back(std::move(row));
  }

  // The set-ups of the book, then its sections between named points.
  void Reduce() {
    if (rows_.size() < 2) return Fail(rows_.empty() ? 0 : rows_[0].line, "手簿至少要有两个点 (一个测站)!");
    const BookRow &first = rows_.front(), &last = rows_.back();
    if (!first.back || first.fore) return Fail(first.line, "第一个点应只有后视读数 (前视写 -)!");
    if (last.back || !last.fore) return Fail(last.line, "最后一个点应只有前视读数 (后视写 -)!");
    if (IsTurningPoint(first.name) || IsTurningPoint(last.name))
      return Fail(IsTurningPoint(first.name) ? first.line : last.line, "路线的起点和终点不能是转点!");
    for (size_t i = 1; i + 1 < rows_.size(); ++i)
      if (!rows_[i].back || !rows_[i].fore) return Fail(rows_[i].line, "中间的点 " + rows_[i].name + " 应有前视和后视读数!");
    LevelFieldBook book;
    book.distances = distances_;
    adjustment::LevelSection s{first.name, "", 0, 0, 0};
    long long sa = 0, sb = 0, sectionMm = 0;
    double sectionMetres = 0;
    for (size_t i = 0; i + 1 < rows_.size(); ++i) {
      const BookRow &b = rows_[i], &f = rows_[i + 1];
      if (distances_ && (!b.backDistance || !f.foreDistance))
        return Fail(!b.backDistance ? b.line : f.line, "缺少视距 (后视点的后视距或前视点的前视距)!");
      LevelSetup u{b.name, f.name, *b.back / 1000.0, *f.fore / 1000.0, (*b.back - *f.fore) / 1000.0,
                   b.backDistance, f.foreDistance};
      sa += *b.back, sb += *f.fore, sectionMm += *b.back - *f.fore;
      s.setups += 1;
      if (distances_) sectionMetres += *b.backDistance + *f.foreDistance;
      book.setups.push_back(u);
      if (!IsTurningPoint(f.name)) {
        s.to = f.name;
        s.dh = sectionMm / 1000.0;
        s.lengthKm = std::round(sectionMetres * 10) / 10 / 1000;
        if (s.from == s.to) return Fail(f.line, "测段起止为同一点: " + s.to + "!");
        r_.input.sections.push_back(s);
        s = {f.name, "", 0, 0, 0};
        sectionMm = 0, sectionMetres = 0;
      }
    }
    book.sumBack = sa / 1000.0, book.sumFore = sb / 1000.0, book.sumDh = (sa - sb) / 1000.0;
    r_.book = std::move(book);
    r_.hasSetups = true;
    r_.hasLengths = distances_;
    r_.basis = distances_ ? adjustment::LevelBasis::Length : adjustment::LevelBasis::Setups;
  }

  void Finish() {
    if (!seen_.count("路线")) return Fail(0, "缺少 路线 行 (闭合、附合或支)!");
    if (mode_.empty()) return Fail(0, "缺少 测段 行或 手簿 行!");
    if (mode_ == "手簿") Reduce();
    if (!error_.empty()) return;
    auto& sec = r_.input.sections;
    if (sec.empty()) return Fail(0, "没有测段!");
    const bool connecting = r_.input.kind == adjustment::LevelRouteKind::Connecting;
    const std::string& start = sec.front().from;
    const std::string& end = sec.back().to;
    std::optional<long long> hs, he;
    for (const KnownLine& k : known_) {
      if (k.name == start && !hs) hs = k.mm;
      else if (connecting && k.name == end) he = k.mm;
      else return Fail(k.line, "已知点 " + k.name + " 不是路线的" + (connecting ? "起点或终点" : "起点") + "!");
    }
    if (!hs) return Fail(0, "起点 " + start + " 没有已知高程 (已知 " + start + " 高程)!");
    if (connecting && !he) return Fail(0, "附合路线的终点 " + end + " 没有已知高程!");
    r_.input.startHeight = *hs / 1000.0;
    if (he) r_.input.endHeight = *he / 1000.0;
  }

  struct KnownLine {
    int line;
    std::string name;
    long long mm;
  };
  std::string file_, error_, mode_;
  std::map<std::string, int> seen_;
  std::vector<KnownLine> known_;
  std::vector<BookRow> rows_;
  bool distances_ = false;
  LevelRouteFileResult r_;
};

}  // namespace

bool IsTurningPoint(std::string_view name) {
  if (name == "-") return true;
  for (std::string_view prefix : {"ZD", "zd", "TP", "tp", "转点"}) {
    if (name.substr(0, prefix.size()) != prefix) continue;
    std::string_view rest = name.substr(prefix.size());
    if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    bool digits = true;
    for (char c : rest) digits = digits && c >= '0' && c <= '9';
    if (digits) return true;
  }
  return false;
}

adjustment::LevelRouteOptions LevelOptionsFor(const LevelRouteFileResult& file, const LevelChoice& c,
                                              std::string& error) {
  using adjustment::LevelBasis;
  adjustment::LevelRouteOptions o;
  o.grade = c.coefficient ? "" : c.grade;
  o.coefficient = c.coefficient;
  o.force = c.force;
  if (c.by.empty()) o.distribute = file.basis;
  else if (c.by == "length") o.distribute = LevelBasis::Length;
  else if (c.by == "stations") o.distribute = LevelBasis::Setups;
  else error = "分配方式应为 length (按距离) 或 stations (按测站数)";
  if (c.rounding == "cut") o.rounding = adjustment::ShareRounding::TowardZero;
  else if (!c.rounding.empty() && c.rounding != "nearest") error = "取整方式应为 nearest (四舍五入) 或 cut (舍去)";
  if (c.terrain.empty()) o.allowanceBasis = o.distribute;
  else if (c.terrain == "平地") o.allowanceBasis = LevelBasis::Length;
  else if (c.terrain == "山地") o.allowanceBasis = LevelBasis::Setups;
  else error = "地形应为 平地 (限差按路线长) 或 山地 (限差按测站数)";
  for (LevelBasis b : {o.distribute, o.allowanceBasis}) {
    if (b == LevelBasis::Length && !file.hasLengths && error.empty())
      error = "没有各测段的长度 (测段 测站, 或手簿没有视距), 不能按距离计算";
    if (b == LevelBasis::Setups && !file.hasSetups && error.empty())
      error = "没有各测段的测站数 (测段 公里), 不能按测站数计算";
  }
  return o;
}

LevelRouteFileResult ParseLevelRouteText(std::string_view bytes, const std::string& fileName) {
  return LevelParser(fileName).Run(bytes);
}

LevelRouteFileResult ReadLevelRouteFile(const std::string& path) {
  return ReadAndParse<LevelRouteFileResult>(path, [&](std::string_view bytes) { return ParseLevelRouteText(bytes, path); });
}

}  // namespace vantrel::batch
