// GNSS height fitting: the anomaly surface from common points, its report, and with point
// files their GNSS heights turned into normal heights.
#include <cmath>

#include "adjustment/height_fit.h"
#include "batch/height_fit_file.h"
#include "cli/options.h"
#include "common/text_rules.h"

namespace vantrel::cli {

namespace {

const char* const kHeightFitFooter =
    "公共点文件: 每行一点 点名 x y 大地高H 正常高h [检核], 以空格分隔, GBK 或 UTF-8, # 后为注释;\n"
    "  x 北、y 东 (米, 高斯坐标, y 前可带带号), 高程为米; 行末写 检核 的点不参加拟合, 只用来检核。\n"
    "模型 (--model), 坐标先减去拟合点的重心、除以到重心的均方根距离 s:\n"
    "  constant  常数      ζ = a0, 至少 1 点\n"
    "  plane     平面      ζ = a0 + a1·u + a2·v, 至少 3 点, 不能共线\n"
    "  quadratic 二次曲面  再加 u·u、u·v、v·v 三项, 至少 6 点\n"
    "  multiquadric 多面函数  线性趋势 + Σλj·√(rj² + c²), 过每个拟合点; c 默认为 0.815 × 到最近点的平均距离\n"
    "  thinplate 薄板样条  线性趋势 + Σλj·rj²·ln rj, 过每个拟合点; 两者都至少 4 点、不能共线、不能重合\n"
    "精度: 内符合 ±√([vv]/(n−u)) (插值模型不评定), 留一法 ±√([ee]/n), 外符合 ±√([vv]/m) (检核点)。\n"
    "给了 FILE: 各行 点名 x y H → 点名 x y h (h = H − ζ), 名称、备注原样; 在拟合点凸包之外的点照算 (外推),\n"
    "  最后警告其个数 (--strict 作为错误行)。计算表此时只写到 --report-out, 标准错误上有一行精度摘要。\n"
    "输出: 标准输出 (UTF-8), 或文件 (文字计算表为 GBK、CR LF; 网页为 UTF-8; 先写临时文件, 成功才改名替换)。\n"
    "退出状态: 0 成功; 1 文件有错 (文件:行号: 原因)、不能拟合 (点太少、共线) 或有坏行; 2 用法错误。";

struct HeightFitArgs {
  Io io;
  std::string common;
  std::string model = "plane";
  std::string check;
  std::string shape;
  std::string report = "text";
  std::string reportOut;
};

std::vector<std::string> CheckNames(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = list.find(',', start);
    const std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!name.empty()) names.push_back(name);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return names;
}

std::string Summary(const adjustment::HeightFit& f) {
  auto mm = [](double v) { return std::isnan(v) ? std::string("—") : "±" + FormatPattern(v * 1000, "0.0") + " 毫米"; };
  return std::string(adjustment::HeightModelChinese(f.options.model)) + "拟合: 拟合点 " + std::to_string(f.fitting) +
         " 个, 检核点 " + std::to_string(f.checks) + " 个; 内符合 " + mm(f.sigmaInternal) + ", 留一法 " +
         mm(f.sigmaLeaveOneOut) + ", 外符合 " + mm(f.sigmaExternal);
}

int RunHeightFit(const HeightFitArgs& a) {
  const adjustment::HeightModelName* model = adjustment::FindHeightModel(a.model);
  if (!model) throw UsageError("--model 应为 constant、plane、quadratic、multiquadric 或 thinplate (或 常数、平面、二次曲面、多面函数、薄板样条)");
  adjustment::HeightFitOptions options{model->model};
  if (!a.shape.empty()) {
    if (model->model != adjustment::HeightModel::Multiquadric) throw UsageError("--shape 只用于 --model multiquadric");
    options.shape = Number(a.shape, "--shape");
    if (!(options.shape > 0)) throw UsageError("--shape 应为正数 (米)");
  }
  if (a.report != "text" && a.report != "html") throw UsageError("--report 应为 text 或 html");
  const bool convert = !a.io.files.empty();
  if (convert && a.reportOut.empty() && a.report == "html") throw UsageError("给了点文件时, 网页计算表要用 --report-out 写到文件");
  BatchRun run(a.io);  // the options of the conversion are checked before anything is read
  const std::string name = batch::InputName(a.common);
  const auto bytes = InputBytes(a.common);
  if (!bytes) return 1;
  batch::HeightFileResult read = batch::ParseHeightPointText(*bytes, name);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  std::string error;
  if (!batch::MarkCheckPoints(read.points, CheckNames(a.check), error)) {
    Say(name + ": " + error + " (--check)");
    return 1;
  }
  const adjustment::HeightFit fit = adjustment::FitHeightAnomaly(read.points, options);
  if (!fit.ok) {
    Say(name + ": " + fit.error);
    return 1;
  }
  const std::string html = a.report == "html" ? batch::HeightFitReportHtml(fit) : std::string();
  const std::vector<std::string> lines = a.report == "html" ? std::vector<std::string>{} : batch::HeightFitReportText(fit);
  if (!convert) return Deliver(a.reportOut.empty() ? a.io.output : a.reportOut, lines, html.empty() ? nullptr : &html) ? 0 : 1;
  if (!a.reportOut.empty() && !Deliver(a.reportOut, lines, html.empty() ? nullptr : &html)) return 1;
  Say(Summary(fit));
  return run.Run(batch::HeightFitCommand(fit, run.decimals));
}

}  // namespace

void AddHeightFit(Registry& r) {
  auto a = std::make_shared<HeightFitArgs>();
  CLI::App* app = r.Add("heightfit", "GNSS高程拟合: 由公共点 (x y 大地高 正常高) 拟合高程异常, 写出计算表; 给了点文件则把大地高换成正常高",
                        [a] { return RunHeightFit(*a); });
  app->add_option("common", a->common, "公共点文件 (- 为标准输入)")->type_name("COMMON")->required();
  AddIo(app, a->io);
  app->get_option("--decimals")->description("正常高 h 的小数位数 (默认 3)");
  app->get_option("files")->description("要换算的点文件, 每行 点名 x y 大地高H (不给则只写计算表)");
  app->get_option("-o")->description("换算结果写到文件; 不给点文件时为计算表的文件 (默认标准输出)");
  app->add_option("--model", a->model, "拟合模型 (默认 plane 平面; 见下表)")
      ->type_name("constant|plane|quadratic|multiquadric|thinplate");
  app->add_option("--check", a->check, "另把这些点作为检核点, 逗号分隔 (同文件中行末的 检核)")->type_name("P1,P2");
  app->add_option("--shape", a->shape, "多面函数的 c (米; 默认 0.815 × 拟合点到最近点的平均距离)")->type_name("METRES");
  app->add_option("--report", a->report, "计算表: text 文字 (默认) 或 html 网页 (含点位略图 SVG)")->type_name("text|html");
  app->add_option("--report-out", a->reportOut, "计算表写到文件 (给了点文件时计算表只写到这里)")->type_name("FILE");
  app->add_flag("--strict", a->io.strict, "凸包之外 (外推) 的点作为错误行; 默认照算, 最后警告其个数");
  app->footer(kHeightFitFooter);
}

}  // namespace vantrel::cli
