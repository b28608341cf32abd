#include "batch/seven_fit.h"

#include <array>
#include <cmath>

#include "batch/crs_transform.h"
#include "batch/observation_text.h"
#include "batch/traverse_file.h"
#include "common/text_files.h"
#include "common/text_rules.h"

namespace vantrel::batch {

namespace {

std::string Fixed(double v, const char* pattern) { return FormatPattern(v, pattern); }

std::optional<double> ReadSignedPacked(std::string_view text) {
  text = TrimBlanks(text);
  const bool negative = !text.empty() && text.front() == '-';
  auto a = ReadPackedAngle(negative ? text.substr(1) : text);
  if (!a) return std::nullopt;
  return negative ? -*a : *a;
}

}  // namespace

std::vector<std::string> SevenEstimateReportText(const adjustment::SevenEstimate& e) {
  std::vector<std::string> lines{"七参数 (布尔莎模型) 由公共点求得", ""};
  lines.push_back("公共点: " + std::to_string(e.residuals.size()) + "    多余观测: " +
                  std::to_string(e.redundancy) + "    迭代次数: " + std::to_string(e.iterations));
  lines.push_back(PrintZones({"参数", "值", "中误差"}));
  const SevenParameters& p = e.parameters;
  const SevenParameters& s = e.sigma;
  const struct {
    const char* label;
    double value, sigma;
  } rows[] = {{"X平移(米)", p.dX, s.dX},   {"Y平移(米)", p.dY, s.dY},
              {"Z平移(米)", p.dZ, s.dZ},   {"尺度因子(ppm)", p.m, s.m},
              {"X轴旋转(秒)", p.ex, s.ex}, {"Y轴旋转(秒)", p.ey, s.ey},
              {"Z轴旋转(秒)", p.ez, s.ez}};
  for (const auto& r : rows)
    lines.push_back(PrintZones({r.label, GeneralNumberText(r.value), Fixed(r.sigma, "0.00000")}));
  lines.push_back("单位权中误差 σ0 = " + Fixed(e.sigma0, "0.0000") + " 米");
  lines.push_back("");
  lines.push_back("残差 (新坐标 - 转换后的老坐标), 超过 3σ0 的点注明");
  lines.push_back(PrintZones({"点名", "vX(米)", "vY(米)", "vZ(米)"}));
  for (const adjustment::SevenResidual& r : e.residuals) {
    std::vector<std::string> row{r.name, Fixed(r.vX, "0.0000"), Fixed(r.vY, "0.0000"),
                                 Fixed(r.vZ, "0.0000")};
    if (r.flagged) row.push_back("超过3σ0");
    lines.push_back(PrintZones(row));
  }
  return lines;
}

std::vector<std::string> SevenFitResultLines(const adjustment::SevenEstimate& e) {
  std::vector<std::string> lines = SevenEstimateReportText(e);
  lines.push_back("");
  lines.push_back("用于 vantrel-cli seven 的参数:");
  lines.push_back("--params " + SevenParameterText(e.parameters));
  return lines;
}

CommonPointFileResult ParseCommonPointText(std::string_view bytes, const std::string& fileName,
                                           bool geodetic) {
  CommonPointFileResult r;
  const std::vector<std::string> lines = SplitLines(GbkOrUtf8ToUtf8(bytes));
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    const std::vector<std::string> items = SplitBlanks(line);
    if (items.empty()) continue;
    const std::string where = fileName + ":" + std::to_string(i + 1) + ": ";
    if (items.size() != 7) {
      r.error = where + (geodetic ? "公共点行应为: 点名 B L H B' L' H'!"
                                  : "公共点行应为: 点名 X Y Z X' Y' Z'!");
      return r;
    }
    std::array<double, 6> v{};
    for (int k = 0; k < 6; ++k) {
      const bool angle = geodetic && k % 3 != 2;
      auto value = angle ? ReadSignedPacked(items[k + 1]) : ReadStrict(items[k + 1]);
      if (!value || (angle && k % 3 == 0 && std::fabs(*value) > kCalculatorPi.halfPi)) {
        r.error = where + (angle ? (k % 3 == 0 ? "纬度错!" : "经度错!")
                                 : (geodetic ? "大地高错!" : "空间坐标错!"));
        return r;
      }
      v[k] = *value;
    }
    if (geodetic) r.geodetic.push_back({items[0], v[0], v[1], v[2], v[3], v[4], v[5]});
    else r.space.push_back({items[0], v[0], v[1], v[2], v[3], v[4], v[5]});
  }
  r.ok = true;
  return r;
}

CommonPointFileResult ReadCommonPointFile(const std::string& path, bool geodetic) {
  return ReadAndParse<CommonPointFileResult>(path, [&](std::string_view bytes) { return ParseCommonPointText(bytes, path, geodetic); });
}

}  // namespace vantrel::batch
