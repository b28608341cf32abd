#include "batch/height_fit_file.h"

#include <cmath>
#include <map>

#include "batch/commands.h"
#include "batch/observation_text.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

constexpr double kHeightFileMax = 1e9;

struct HeightField {
  const char* bad;
  const char* big;
};
constexpr HeightField kHeightFields[] = {
    {"x坐标错!", "x坐标太大"}, {"y坐标错!", "y坐标太大"}, {"大地高错!", "大地高太大"}, {"正常高错!", "正常高太大"}};

}  // namespace

HeightFileResult ParseHeightPointText(std::string_view bytes, const std::string& fileName) {
  HeightFileResult r;
  auto fail = [&](int line, const std::string& reason) {
    r.error = fileName + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + reason;
    r.points.clear(), r.lines.clear();
    return r;
  };
  if (!IsGbkOrUtf8Text(bytes)) return fail(0, kNotTextReason);
  const std::vector<std::string> lines = SplitLines(GbkOrUtf8ToUtf8(bytes));
  std::map<std::string, int> seen;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int n = static_cast<int>(i + 1);
    std::string line = lines[i];
    if (std::size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const std::vector<std::string> items = SplitBlanks(line);
    if (items.empty()) continue;
    if (items.size() < 5) return fail(n, "公共点行应为: 点名 x y 大地高H 正常高h [检核]!");
    if (items.size() > 6) return fail(n, "多余的数据项: " + items[6] + "!");
    const bool check = items.size() == 6;
    if (check && items[5] != kCheckMarker)
      return fail(n, "不认识的数据项: " + items[5] + " (检核点在行末写 检核)!");
    double v[4];
    for (int k = 0; k < 4; ++k) {
      const std::string& text = items[static_cast<std::size_t>(k + 1)];
      const auto value = ReadStrict(text);
      if (!value) return fail(n, kHeightFields[k].bad);
      if (!(std::fabs(*value) < kHeightFileMax)) return fail(n, std::string(kHeightFields[k].big) + ": " + text + " (应小于 1e9 米)!");
      v[k] = *value;
    }
    if (auto [it, fresh] = seen.emplace(items[0], n); !fresh)
      return fail(n, "点名 " + items[0] + " 重复 (第" + std::to_string(it->second) + "行已有)!");
    r.points.push_back({items[0], v[0], v[1], v[2], v[3], check});
    r.lines.push_back(n);
  }
  if (r.points.empty()) return fail(0, "没有公共点!");
  r.ok = true;
  return r;
}

HeightFileResult ReadHeightPointFile(const std::string& path) {
  return ReadAndParse<HeightFileResult>(path, [&](std::string_view bytes) { return ParseHeightPointText(bytes, path); });
}

bool MarkCheckPoints(std::vector<adjustment::HeightPoint>& points, const std::vector<std::string>& names,
                     std::string& error) {
  for (const std::string& name : names) {
    bool found = false;
    for (adjustment::HeightPoint& p : points)
      if (p.name == name) p.check = found = true;
    if (!found) {
      error = "公共点中没有检核点 " + name + "!";
      return false;
    }
  }
  return true;
}

Command HeightFitCommand(const adjustment::HeightFit& fit, int decimals) {
  Command c;
  c.inputs = {NorthingColumn("x坐标错!"), EastingColumn("y坐标错!"),
              {"H", {"大地高", "ellipsoidal_height", "height"}, "大地高错!", "缺少大地高!"}};
  c.outputs = {{"x", nullptr, -1, 0}, {"y", nullptr, -1, 1}, {"h", PatternFormat(DecimalsPattern(decimals < 0 ? 3 : decimals)), 0, -1}};
  c.values = 1;
  c.kernel = [fit](std::span<const std::span<const double>> in, std::span<const std::span<double>> out,
                   std::span<Status> status) {
    for (std::size_t i = 0; i < status.size(); ++i) {
      const double x = in[0][i], y = in[1][i], H = in[2][i];
      if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(H)) {
        status[i] = Status::InputNotFinite;
        out[0][i] = std::nan("");
        continue;
      }
      out[0][i] = H - fit.Evaluate(x, y);
      status[i] = !std::isfinite(out[0][i]) ? Status::NotFinite
                  : fit.Extrapolated(x, y)  ? Status::Extrapolated
                                            : Status::Ok;
    }
  };
  return c;
}

}  // namespace vantrel::batch
