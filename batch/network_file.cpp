#include "batch/network_file.h"

#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

#include "batch/observation_text.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

using adjustment::LevelLine;
using adjustment::LevelPoint;
using adjustment::LineWeight;
using adjustment::ObservationKind;
using adjustment::PlaneObservation;
using adjustment::PlanePoint;

// Coordinates, lengths and accuracies past this are typing errors, as in the traverse file.
constexpr double kMaxFigure = adjustment::kTraverseMaxMetres;

const char* const kTargetForm = "目标点 方向值(D.MMSS) [平距(米)], 方向未测写 -";

using Items = std::vector<std::string>;

// One 测站 block: a direction set and the distances measured with it.
struct Block {
  std::string station;
  int line = 0, set = 0;
  double sigma = 0;  // rad; 0 takes the 方向中误差
  int count = 0;     // target lines
  std::map<std::string, int> targets;  // directions of this set -> line
};

class NetworkParser {
 public:
  explicit NetworkParser(std::string fileName) : file_(std::move(fileName)) {}

  NetworkFileResult Run(std::string_view bytes) {
    if (!IsGbkOrUtf8Text(bytes)) {
      Fail(0, kNotTextReason);
    } else {
      std::vector<std::string> lines = SplitLines(GbkOrUtf8ToUtf8(bytes));
      for (std::string& line : lines)
        if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
      for (const std::string& line : lines)
        if (std::string_view t = TrimBlanks(line); t.starts_with("导线") && SplitBlanks(t)[0] == "导线")
          return FromTraverse(bytes);
      for (size_t i = 0; i < lines.size() && error_.empty(); ++i)
        if (const Items items = SplitBlanks(lines[i]); !items.empty()) Line(static_cast<int>(i + 1), items);
      if (error_.empty()) Finish();
    }
    NetworkFileResult r;
    r.ok = error_.empty();
    r.error = error_;
    if (r.ok) r.network = std::move(net_);
    return r;
  }

 private:
  // Every check returns false after Fail, so that callers stop at the first reason.
  bool Fail(int line, const std::string& reason) {
    error_ = file_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + reason;
    return false;
  }

  std::optional<double> Refuse(int line, const std::string& reason) {
    Fail(line, reason);
    return std::nullopt;
  }

  NetworkFileResult FromTraverse(std::string_view bytes) {
    NetworkFileResult r;
    TraverseFileResult t = ParseTraverseText(bytes, file_);
    if (!t.ok) {
      r.error = t.error;
      return r;
    }
    // The compass rule's own checks (station names, orientation ...) decide what a traverse is.
    adjustment::TraverseOptions check;
    check.force = true;
    if (adjustment::TraverseAdjustment a = adjustment::AdjustTraverse(t.input, check); !a.ok) {
      r.error = file_ + ": " + a.error;
      return r;
    }
    if (!OnePointPerName(t)) {
      r.error = error_;
      return r;
    }
    r.ok = true;
    r.network = TraverseNetwork(t.input, t.lines);
    return r;
  }

  // In a network a name is one point: the compass rule never asked that of a back- or
  // fore-sight, which may be the same known point (or a known station) under one name.
  bool OnePointPerName(const TraverseFileResult& t) {
    const adjustment::TraverseInput& in = t.input;
    std::map<std::string, const adjustment::TraversePoint*> known = {{in.start.name, &in.start}};
    if (in.kind == adjustment::TraverseKind::Connecting) known[in.end.name] = &in.end;
    for (const auto& [word, p] : {std::pair{"后视", &in.backSight}, std::pair{"前视", &in.foreSight}}) {
      if (!*p) continue;
      const adjustment::TraversePoint& q = **p;
      const int line = t.lines.keywords.count(word) ? t.lines.keywords.at(word) : 0;
      if (auto it = known.find(q.name); it != known.end()) {
        if (it->second->x != q.x || it->second->y != q.y)
          return Fail(line, std::string(word) + "点 " + q.name + " 与同名的已知点坐标不同!");
        continue;
      }
      for (const adjustment::TraverseStation& s : in.stations)
        if (s.name == q.name) return Fail(line, std::string(word) + "点 " + q.name + " 与待定的测站同名!");
      known[q.name] = &q;
    }
    return true;
  }

  bool Once(int n, const std::string& key) {
    auto [it, fresh] = headers_.emplace(key, n);
    return fresh || Fail(n, "重复的 " + key + " 行 (第" + std::to_string(it->second) + "行已有)!");
  }

  bool Count(int n, const Items& items, size_t least, size_t most) {
    const std::string form = Keywords().at(items[0]).form;
    if (items.size() < least) return Fail(n, items[0] + " 行缺少数据项, 应为: " + form + "!");
    if (items.size() > most)
      return Fail(n, items[0] + " 行多余的数据项: " + items[most] + " (应为: " + form + ")!");
    return true;
  }

  // A coordinate, height or height difference (m).
  std::optional<double> Figure(int n, const std::string& text, const std::string& what) {
    auto v = ReadStrict(text);
    if (!v) return Refuse(n, what + "错: " + text + "!");
    if (std::fabs(*v) >= kMaxFigure) return Refuse(n, what + "太大: " + text + " (应小于 1e9)!");
    return v;
  }

  // A distance, length or σ: positive, below 1e9.
  std::optional<double> Positive(int n, const std::string& text, const std::string& what) {
    auto v = ReadStrict(text);
    if (!v || !(*v > 0)) return Refuse(n, what + "应为正数: " + text + "!");
    if (*v >= kMaxFigure) return Refuse(n, what + "太大: " + text + " (应小于 1e9)!");
    return v;
  }

  std::optional<double> Seconds(int n, const std::string& text, const std::string& what) {
    auto v = Positive(n, text, what);
    return v ? std::optional<double>(*v / kSigmaSecondsPerRadian) : std::nullopt;
  }

  std::optional<double> PackedAngle(int n, const std::string& text, const std::string& what) {
    auto a = ReadPackedAngle(text);
    if (!a) return Refuse(n, what + "错: " + text + " (D.MMSS, 0 至 360°, 分和秒小于 60)!");
    if (!PackedAngleTenths(text)) return Refuse(n, FinerThanTenths(text));
    return a;
  }

  bool Distinct(int n, const std::string& a, const std::string& b) {
    return a != b || Fail(n, "从 " + a + " 到 " + b + " 的观测: 两端是同一个点!");
  }

  int PlaneIndex(const std::string& name) {
    auto [it, fresh] = planeIndex_.try_emplace(name, static_cast<int>(net_.plane.points.size()));
    if (fresh) net_.plane.points.emplace_back().name = name;
    return it->second;
  }

  int LevelIndex(const std::string& name) {
    auto [it, fresh] = levelIndex_.try_emplace(name, static_cast<int>(net_.levelPoints.size()));
    if (fresh) net_.levelPoints.emplace_back().name = name;
    return it->second;
  }

  void Observe(int n, ObservationKind kind, const std::string& station, const std::string& target,
               double value, double sigma, const std::string& target2 = "", int set = 0) {
    for (const std::string* name : {&station, &target, &target2}) {
      if (name->empty()) continue;
      const size_t i = PlaneIndex(*name);
      observed_.resize(net_.plane.points.size());
      observed_[i] = true;
    }
    net_.plane.observations.push_back(
        PlaneObservation{kind, station, target, target2, value, sigma, set});
    net_.observationLines.push_back(n);
  }

  // Each keyword's handler and its line as a surveyor writes it (for the messages).
  struct Keyword {
    bool (NetworkParser::*read)(int, const Items&);
    const char* form;
  };
  static const std::map<std::string, Keyword>& Keywords() {
    static const std::map<std::string, Keyword> table = {
        {"方向中误差", {&NetworkParser::SecondsHeader, "方向中误差 σ(秒)"}},
        {"测角中误差", {&NetworkParser::SecondsHeader, "测角中误差 σ(秒)"}},
        {"方位角中误差", {&NetworkParser::SecondsHeader, "方位角中误差 σ(秒)"}},
        {"单位权中误差", {&NetworkParser::SecondsHeader, "单位权中误差 σ(秒)"}},
        {"测距中误差", {&NetworkParser::DistanceHeader, "测距中误差 a(毫米) b(ppm)"}},
        {"水准中误差", {&NetworkParser::LevelHeader, "水准中误差 每公里|每站 σ(毫米)"}},
        {"已知点", {&NetworkParser::Known, "已知点 点名 X Y [σx σy(毫米)]"}},
        {"已知高程", {&NetworkParser::KnownHeight, "已知高程 点名 H [σ(毫米)]"}},
        {"近似坐标", {&NetworkParser::Approximate, "近似坐标 点名 X Y"}},
        {"测站", {&NetworkParser::Station, "测站 点名 [方向中误差(秒)]"}},
        {"角度", {&NetworkParser::AngleLine, "角度 测站 起始方向点 终止方向点 角值(D.MMSS) [σ(秒)]"}},
        {"边长", {&NetworkParser::DistanceLine, "边长 点名 点名 平距(米) [σ(毫米)]"}},
        {"方位角", {&NetworkParser::AzimuthLine, "方位角 点名 点名 方位角(D.MMSS) [σ(秒) 或 固定]"}},
        {"高差", {&NetworkParser::Levelling, "高差 起点 终点 高差(米) 路线长(公里)或测站数 [σ(毫米)]"}},
        {"自由网", {&NetworkParser::Free, "自由网 [点名 ...]"}},
    };
    return table;
  }

  void Line(int n, const Items& items) {
    // The traverse file's keyword too: "导线点" is no more a point name here than there.
    static const std::vector<const char*> misspelt = [] {
      std::vector<const char*> v{"导线"};
      for (const auto& [word, k] : Keywords()) v.push_back(word.c_str());
      return v;
    }();
    const std::string& key = items[0];
    if (auto k = Keywords().find(key); k != Keywords().end())
      (this->*k->second.read)(n, items);
    else if (const char* k = MisspeltKeyword(key, misspelt))
      Fail(n, "不认识的关键字: " + key + " (是 " + k + " 吗?)!");
    else if (!block_)
      Fail(n, "不认识的关键字: " + key + " (方向和边长的目标行应写在 测站 行之后)!");
    else
      Target(n, items);
  }

  bool SecondsHeader(int n, const Items& items) {
    if (!Once(n, items[0]) || !Count(n, items, 2, 2)) return false;
    auto s = items[0] == "单位权中误差" ? Positive(n, items[1], items[0])
                                        : Seconds(n, items[1], items[0]);
    if (!s) return false;
    auto& o = net_.planeOptions;
    (items[0] == "方向中误差"     ? o.directionSigma
     : items[0] == "测角中误差"   ? o.angleSigma
     : items[0] == "方位角中误差" ? o.azimuthSigma
                                  : o.sigma0) = *s;
    return true;
  }

  bool DistanceHeader(int n, const Items& items) {
    if (!Once(n, items[0]) || !Count(n, items, 3, 3)) return false;
    auto a = Positive(n, items[1], "测距中误差的固定部分 a (毫米)");
    if (!a) return false;
    auto b = ReadStrict(items[2]);
    if (!b || !(*b >= 0 && *b < kMaxFigure))
      return Fail(n, "测距中误差的比例部分 b (ppm) 应为零或正数: " + items[2] + "!");
    net_.planeOptions.distanceSigmaA = *a / 1000;
    net_.planeOptions.distanceSigmaB = *b * 1e-6;
    return true;
  }

  bool LevelHeader(int n, const Items& items) {
    if (!Once(n, items[0]) || !Count(n, items, 3, 3)) return false;
    if (items[1] != "每公里" && items[1] != "每站")
      return Fail(n, "水准中误差 按 每公里 或 每站 给出, 不认识: " + items[1] + "!");
    auto s = Positive(n, items[2], "水准中误差");
    if (!s) return false;
    levelWeight_ = items[1] == "每公里" ? LineWeight::ByLength : LineWeight::BySetups;
    levelSigma_ = *s / 1000;
    return true;
  }

  // A known coordinate or "-", and its optional σ in mm: "-" holds it fixed, as no σ does;
  // a coordinate not known has "-" as its σ.
  bool KnownCoordinate(int n, const Items& items, size_t at, const char* axis,
                       std::optional<double>& value, double& sigma) {
    const std::string what = "已知点 " + items[1] + " 的 " + axis;
    const bool hasSigma = items.size() == 6;
    if (items[at] == "-") {
      if (hasSigma && items[at + 2] != "-")
        return Fail(n, what + " 未知 (-), 它的中误差也应写 -!");
      return true;
    }
    value = Figure(n, items[at], what + " 坐标");
    if (!value) return false;
    if (!hasSigma || items[at + 2] == "-") return true;  // held fixed
    auto s = Positive(n, items[at + 2], what + " 的中误差 (毫米)");
    if (s) sigma = *s / 1000;
    return s.has_value();
  }

  bool Known(int n, const Items& items) {
    if (!Count(n, items, 4, 6)) return false;
    if (items.size() == 5)
      return Fail(n, "已知点 行的中误差应有 σx 和 σy 两项: " + std::string(Keywords().at("已知点").form) + "!");
    PlanePoint k;
    k.name = items[1];
    if (!KnownCoordinate(n, items, 2, "X", k.knownX, k.sigmaX) ||
        !KnownCoordinate(n, items, 3, "Y", k.knownY, k.sigmaY))
      return false;
    if (!k.knownX && !k.knownY) return Fail(n, "已知点 " + k.name + " 的 X 和 Y 都未知 (-)!");
    PlanePoint& p = net_.plane.points[PlaneIndex(k.name)];
    auto [it, fresh] = knownLine_.emplace(k.name, n);
    // A point may be listed again (a coordinate at a time, or copied with the same figures).
    auto clash = [](const std::optional<double>& a, double sa, const std::optional<double>& b, double sb) {
      return a && b && (*a != *b || sa != sb);
    };
    if (clash(p.knownX, p.sigmaX, k.knownX, k.sigmaX) || clash(p.knownY, p.sigmaY, k.knownY, k.sigmaY))
      return Fail(n, "已知点 " + k.name + " 的坐标与第" + std::to_string(it->second) + "行不同!");
    if (k.knownX) p.knownX = k.knownX, p.sigmaX = k.sigmaX;
    if (k.knownY) p.knownY = k.knownY, p.sigmaY = k.sigmaY;
    return true;
  }

  bool KnownHeight(int n, const Items& items) {
    if (!Count(n, items, 3, 4)) return false;
    auto h = Figure(n, items[2], "已知高程 " + items[1] + " 的高程");
    if (!h) return false;
    double sigma = 0;
    if (items.size() == 4) {
      auto s = Positive(n, items[3], "已知高程 " + items[1] + " 的中误差 (毫米)");
      if (!s) return false;
      sigma = *s / 1000;
    }
    LevelPoint& p = net_.levelPoints[LevelIndex(items[1])];
    auto [it, fresh] = knownHeightLine_.emplace(items[1], n);
    if (p.knownHeight && (*p.knownHeight != *h || p.knownSigma != sigma))
      return Fail(n, "已知高程 " + items[1] + " 与第" + std::to_string(it->second) + "行不同!");
    p.knownHeight = h;
    p.knownSigma = sigma;
    return true;
  }

  bool Approximate(int n, const Items& items) {
    if (!Count(n, items, 4, 4)) return false;
    auto x = Figure(n, items[2], "近似坐标 " + items[1] + " 的 X 坐标");
    auto y = x ? Figure(n, items[3], "近似坐标 " + items[1] + " 的 Y 坐标") : std::nullopt;
    if (!y) return false;
    PlanePoint& p = net_.plane.points[PlaneIndex(items[1])];
    auto [it, fresh] = approxLine_.emplace(items[1], n);
    if (p.approxX && (*p.approxX != *x || *p.approxY != *y))
      return Fail(n, "近似坐标 " + items[1] + " 与第" + std::to_string(it->second) + "行不同!");
    p.approxX = x;
    p.approxY = y;
    return true;
  }

  bool EndBlock() {
    if (!block_ || block_->count > 0) return true;
    return Fail(block_->line, "测站 " + block_->station + " 下没有观测 (" + kTargetForm + ")!");
  }

  bool Station(int n, const Items& items) {
    if (!Count(n, items, 2, 3) || !EndBlock()) return false;
    double sigma = 0;
    if (items.size() == 3) {
      auto s = Seconds(n, items[2], "测站 " + items[1] + " 的方向中误差 (秒)");
      if (!s) return false;
      sigma = *s;
    }
    PlaneIndex(items[1]);
    block_.emplace();
    block_->station = items[1];
    block_->line = n;
    block_->set = sets_++;
    block_->sigma = sigma;
    return true;
  }

  bool Target(int n, const Items& items) {
    const std::string& target = items[0];
    if (items.size() < 2) return Fail(n, "目标 " + target + " 缺少方向值, 应为: " + kTargetForm + "!");
    if (items.size() > 3)
      return Fail(n, "目标行多余的数据项: " + items[3] + " (应为: " + kTargetForm + ")!");
    if (!Distinct(n, block_->station, target)) return false;
    std::optional<double> direction, distance;
    if (items[1] != "-") {
      direction = PackedAngle(n, items[1], "方向值");
      if (!direction) return false;
    } else if (items.size() == 2) {
      return Fail(n, "目标 " + target + " 的方向未测 (-), 又没有平距!");
    }
    if (items.size() == 3) {
      distance = Positive(n, items[2], "平距");
      if (!distance) return false;
    }
    if (direction) {
      auto [it, fresh] = block_->targets.try_emplace(target, n);
      if (!fresh)
        return Fail(n, "测站 " + block_->station + " 的这组方向里 " + target + " 已在第" +
                           std::to_string(it->second) + "行观测!");
      Observe(n, ObservationKind::Direction, block_->station, target, *direction, block_->sigma,
              "", block_->set);
    }
    if (distance) Observe(n, ObservationKind::Distance, block_->station, target, *distance, 0);
    ++block_->count;
    return true;
  }

  bool AngleLine(int n, const Items& items) {
    if (!Count(n, items, 5, 6) || !Distinct(n, items[1], items[2]) || !Distinct(n, items[1], items[3]))
      return false;
    if (items[2] == items[3]) return Fail(n, "角度的起始方向和终止方向都是 " + items[2] + "!");
    auto a = PackedAngle(n, items[4], "角值");
    auto s = a && items.size() == 6 ? Seconds(n, items[5], "角度的中误差 (秒)") : std::optional<double>(0);
    if (!a || !s) return false;
    Observe(n, ObservationKind::Angle, items[1], items[2], *a, *s, items[3]);
    return true;
  }

  bool DistanceLine(int n, const Items& items) {
    if (!Count(n, items, 4, 5) || !Distinct(n, items[1], items[2])) return false;
    auto d = Positive(n, items[3], "平距");
    auto s = d && items.size() == 5 ? Positive(n, items[4], "边长的中误差 (毫米)") : std::optional<double>(0);
    if (!d || !s) return false;
    Observe(n, ObservationKind::Distance, items[1], items[2], *d, *s / 1000);
    return true;
  }

  bool AzimuthLine(int n, const Items& items) {
    if (!Count(n, items, 4, 5) || !Distinct(n, items[1], items[2])) return false;
    auto a = PackedAngle(n, items[3], "方位角");
    if (!a) return false;
    std::optional<double> s = 0;
    if (items.size() == 5)
      s = items[4] == "固定" ? kHeldAzimuthSigma : Seconds(n, items[4], "方位角的中误差 (秒)");
    if (!s) return false;
    Observe(n, ObservationKind::Azimuth, items[1], items[2], *a, *s);
    return true;
  }

  bool Levelling(int n, const Items& items) {
    if (!Count(n, items, 5, 6) || !Distinct(n, items[1], items[2])) return false;
    auto dh = Figure(n, items[3], "高差");
    auto amount = dh ? Positive(n, items[4], "路线长或测站数") : std::nullopt;
    if (!amount) return false;
    double sigma = 0;
    if (items.size() == 6) {
      auto s = Positive(n, items[5], "水准路线的中误差 (毫米)");
      if (!s) return false;
      sigma = *s / 1000;
    }
    LevelIndex(items[1]);
    LevelIndex(items[2]);
    net_.levelLines.push_back(LevelLine{items[1], items[2], *dh, *amount, LineWeight::ByLength, sigma});
    net_.levelLineLines.push_back(n);
    return true;
  }

  bool Free(int n, const Items& items) {
    if (!Once(n, items[0])) return false;
    freeNames_.assign(items.begin() + 1, items.end());
    return true;
  }

  void Finish() {
    if (!EndBlock()) return;
    if (net_.plane.observations.empty() && net_.levelLines.empty())
      return void(Fail(0, "没有观测 (方向、角度、边长、方位角或水准路线)!"));
    // Lines read before the 水准中误差 line take it too: accuracies may stand anywhere.
    for (size_t i = 0; i < net_.levelLines.size(); ++i) {
      LevelLine& l = net_.levelLines[i];
      l.weight = levelWeight_;
      if (!(l.sigma > 0)) l.sigma = levelSigma_;
      if (levelWeight_ == LineWeight::BySetups && l.amount != std::floor(l.amount))
        return void(Fail(net_.levelLineLines[i],
                         "按测站定权, 测站数应为整数: " + GeneralNumberText(l.amount) + "!"));
    }
    net_.levellingOptions.sigma0 = levelSigma_;
    observed_.resize(net_.plane.points.size());
    for (const auto& [name, line] : approxLine_)
      if (!observed_[planeIndex_.at(name)])
        return void(Fail(line, "近似坐标 " + name + " 不在任何平面观测中!"));
    if (auto it = headers_.find("自由网"); it != headers_.end()) {
      net_.planeOptions.datum = adjustment::PlaneDatum::Free;
      net_.levellingOptions.datum = adjustment::Datum::Free;
      for (const std::string& name : freeNames_) {
        const bool plane = planeIndex_.count(name) > 0, level = levelIndex_.count(name) > 0;
        if (!plane && !level) return void(Fail(it->second, "自由网 的点 " + name + " 不在观测中!"));
        if (plane) net_.planeOptions.datumPoints.push_back(name);
        if (level) net_.levellingOptions.datumPoints.push_back(name);
      }
    }
  }

  std::string file_, error_;
  NetworkFile net_;
  std::map<std::string, int> headers_, knownLine_, knownHeightLine_, approxLine_;  // -> line
  std::unordered_map<std::string, int> planeIndex_, levelIndex_;                   // -> index
  std::vector<bool> observed_;  // by plane point: named by a plane observation
  std::optional<Block> block_;
  int sets_ = 0;
  LineWeight levelWeight_ = LineWeight::ByLength;
  double levelSigma_ = 0.001;
  std::vector<std::string> freeNames_;
};

}  // namespace

NetworkFileResult ParseNetworkText(std::string_view bytes, const std::string& fileName) {
  return NetworkParser(fileName).Run(bytes);
}

NetworkFileResult ReadNetworkFile(const std::string& path) {
  return ReadAndParse<NetworkFileResult>(path, [&](std::string_view bytes) { return ParseNetworkText(bytes, path); });
}

}  // namespace vantrel::batch
