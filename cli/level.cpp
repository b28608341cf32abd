// Levelling routes (closed, connecting, spur): a section file or a field book to the
// computation table.
#include "adjustment/level_route.h"
#include "batch/level_route_file.h"
#include "batch/level_route_report.h"
#include "cli/options.h"

namespace vantrel::cli {

namespace {

const char* const kLevelFooter =
    "水准路线文件: 每项以空格分隔, GBK 或 UTF-8, # 后为注释; 高程、高差、读数为米, 取至毫米。\n"
    "  路线 闭合|附合|支;  已知 点名 高程 (起点; 附合路线再给终点);\n"
    "  测段 公里|测站, 其后每行一个测段: 起点 终点 高差 公里数|测站数 (支路线先往测后返测);\n"
    "  或 手簿, 其后每行一个点: 点号 后视读数 前视读数 [后视距 前视距], 没有的读数写 -;\n"
    "  点号为 - 或 ZD1、TP2、转点3 的是转点, 其余的点分测段。详见 man vantrel-cli 与 docs/levelling.md。\n"
    "输出: 标准输出 (UTF-8), 或 -o 文件 (文字计算表为 GBK、CR LF; 网页为 UTF-8; 成功才替换)。\n"
    "限差 (--grade; L 为路线长公里数, n 为测站数, 山地用 √n):\n"
    "  等级      平地         山地\n"
    "  二等      ±4√L mm      -\n"
    "  三等      ±12√L mm     ±4√n mm\n"
    "  四等      ±20√L mm     ±6√n mm\n"
    "  图根      ±40√L mm     ±12√n mm   (默认; 等外同)\n"
    "高差闭合差超限时不平差: 原因写到标准错误, 不写 -o 文件 (--force 照样平差, 计算表注明超限)。\n"
    "改正数 -fh·Li/ΣL (或按测站数) 四舍五入至毫米 (--rounding cut: 舍去), 凑整后多出或不足的毫米每段\n"
    "  1 毫米改在最长的测段上, 其和等于 -fh。\n"
    "退出状态: 0 计算成功; 1 文件有错 (文件:行号: 原因) 或超限; 2 用法错误。";

struct LevelArgs {
  std::string file, grade = "图根", terrain, by, rounding, allowance, report = "text";
  bool force = false;
};

int RunLevel(const LevelArgs& a, const std::string& output) {
  batch::LevelChoice c{a.grade, a.terrain, a.by, a.rounding, std::nullopt, a.force};
  if (!adjustment::FindLevelGrade(a.grade)) throw UsageError("--grade 应为 二等、三等、四等、图根 之一");
  if (!a.allowance.empty()) {
    c.coefficient = Number(a.allowance, "--allowance");
    if (!(*c.coefficient > 0)) throw UsageError("--allowance 应为正数 (毫米)");
  }
  if (a.report != "text" && a.report != "html") throw UsageError("--report 应为 text 或 html");
  if (!a.terrain.empty() && a.terrain != "平地" && a.terrain != "山地") throw UsageError("--terrain 应为 平地 或 山地");
  if (!a.by.empty() && a.by != "length" && a.by != "stations") throw UsageError("--by 应为 length 或 stations");
  if (!a.rounding.empty() && a.rounding != "nearest" && a.rounding != "cut") throw UsageError("--rounding 应为 nearest 或 cut");
  const std::string name = batch::InputName(a.file);
  const auto bytes = InputBytes(a.file);
  if (!bytes) return 1;
  const batch::LevelRouteFileResult read = batch::ParseLevelRouteText(*bytes, name);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  std::string error;
  const adjustment::LevelRouteOptions opt = batch::LevelOptionsFor(read, c, error);
  if (!error.empty()) {
    Say(name + ": " + error + "!");
    return 1;
  }
  const adjustment::LevelRouteResult r = adjustment::AdjustLevelRoute(read.input, opt);
  if (!r.ok) {
    Say(name + ": " + r.error);
    return 1;
  }
  const batch::LevelReportInput in{read.input, read.book ? &*read.book : nullptr};
  if (a.report == "html") {
    const std::string html = batch::LevelRouteReportHtml(in, r);
    return Deliver(output, {}, &html) ? 0 : 1;
  }
  return Deliver(output, batch::LevelRouteReportText(in, r), nullptr) ? 0 : 1;
}

}  // namespace

void AddLevel(Registry& r) {
  struct Options {
    LevelArgs lv;
    std::string output;
  };
  auto o = std::make_shared<Options>();
  CLI::App* app = r.Add("level", "闭合/附合/支水准路线: 测段文件或水准手簿 → 水准测量成果计算表 (闭合差按限差检查, 按距离或测站数分配)",
                        [o] { return RunLevel(o->lv, o->output); });
  LevelArgs& lv = o->lv;
  AddReportFiles(app, lv.file, o->output, "水准路线文件 (- 为标准输入)", "计算表写到文件 (默认标准输出)");
  CLI::Option* grade = app->add_option("--grade", lv.grade, "水准等级, 定闭合差限差 (见下表; 默认图根)")
                           ->type_name("二等|三等|四等|图根");
  app->add_option("--allowance", lv.allowance, "自定限差 ±c√L 或 ±c√n 的 c (毫米), 代替等级的")
      ->type_name("MM")
      ->excludes(grade);
  app->add_option("--terrain", lv.terrain, "限差按 平地 (±c√L) 或 山地 (±c√n); 默认随分配方式")->type_name("平地|山地");
  app->add_option("--by", lv.by, "改正数按 length (距离) 或 stations (测站数) 分配; 默认按文件所给")
      ->type_name("length|stations");
  app->add_option("--rounding", lv.rounding, "改正数取至毫米: nearest 四舍五入 (默认) 或 cut 舍去 (同导线)")
      ->type_name("nearest|cut");
  app->add_flag("--force", lv.force, "闭合差超限也计算 (计算表注明超限)");
  app->add_option("--report", lv.report, "计算表: text 文字 (默认) 或 html 网页 (含高程剖面 SVG)")->type_name("text|html");
  app->footer(kLevelFooter);
}

}  // namespace vantrel::cli
