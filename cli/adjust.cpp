// Rigorous adjustment of a control network or a levelling network: an observation file to the
// report (text, HTML with the drawing, or JSON).
#include <cmath>

#include "batch/network_adjustment.h"
#include "batch/network_file.h"
#include "batch/exchange/report_dxf.h"
#include "batch/network_report.h"
#include "cli/options.h"

namespace vantrel::cli {

namespace {

const char* const kAdjustFooter =
    "观测文件: 每项以空格分隔, GBK 或 UTF-8, # 后为注释; 文件头给仪器精度, 然后是已知点、近似坐标和按测站\n"
    "  分组的观测值 (方向、角度、边长、方位角), 水准路线为 起点 终点 高差 路线长; 导线观测文件 (见 traverse)\n"
    "  也可以, 此时报告把严密平差与近似平差 (按边长比例分配) 的坐标并列比较。格式详见 man vantrel-cli。\n"
    "仪器精度的选项代替文件头所给的值; 个别观测值自带的中误差不变。\n"
    "报告: 中误差按验后单位权中误差计算 (--a-priori 按先验); 坐标、边长、高程取至 0.1 毫米, 中误差与误差椭圆\n"
    "  取至 0.01 毫米, 角度为度.分秒取至 0.01″; 平差值 = 观测值 + 改正数 v (按印出的位数)。全局检验为 χ2 检验\n"
    "  (95%), 数据探测为 Baarda 法 (α0 = 0.1%, |w| > 3.29 为超限, 最大者为最可能的粗差)。\n"
    "输出: 标准输出 (UTF-8), 或 -o 文件 (文字报告为 GBK、CR LF, 点名有 GBK 没有的字时报错; 网页和 JSON\n"
    "  为 UTF-8; 先写临时文件, 成功才改名替换)。JSON 的数值为国际单位 (米、弧度), 字段见用户手册。\n"
    "退出状态: 0 平差成功; 1 文件有错 (文件:行号: 原因)、不能平差 (原因写到标准错误), 或给了 --strict 而\n"
    "  全局检验不通过 (报告照样写出); 2 用法错误。";

struct AdjustArgs {
  std::string file;
  std::string directionSigma, angleSigma, distanceSigma, levelSigma;
  std::string free;  // "" not given; "*" all points; else a comma list of names
  bool aPriori = false;
  std::string ellipseScale;
  bool strict = false;
  std::string report = "text";
};

double Positive(const std::string& text, const std::string& option, const std::string& unit) {
  const double v = Number(text, option);
  if (!(v > 0) || !std::isfinite(v)) throw UsageError(option + " 应为正数 (" + unit + ")");
  return v;
}

std::vector<std::string> Names(const std::string& text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (name.empty()) throw UsageError("--free 的点名以逗号分隔, 不能为空");
    names.push_back(name);
    if (comma == std::string::npos) return names;
    start = comma + 1;
  }
}

// The command line's accuracies and datum over the file's head.
void Override(const AdjustArgs& a, batch::NetworkFile& f) {
  batch::NetworkOverrides o;
  if (!a.directionSigma.empty()) o.directionSigma = Positive(a.directionSigma, "--direction-sigma", "秒");
  if (!a.angleSigma.empty()) o.angleSigma = Positive(a.angleSigma, "--angle-sigma", "秒");
  if (!a.distanceSigma.empty()) {
    const std::vector<double> ab = Numbers(a.distanceSigma, "--distance-sigma", 2);
    if (!(ab[0] >= 0 && ab[1] >= 0 && ab[0] + ab[1] > 0 && std::isfinite(ab[0] + ab[1])))
      throw UsageError("--distance-sigma 应为 a,b: a 毫米、b ppm, 不为负, 不全为 0");
    o.distanceSigmaA = ab[0];
    o.distanceSigmaB = ab[1];
  }
  if (!a.levelSigma.empty()) o.levelSigma = Positive(a.levelSigma, "--level-sigma", "毫米");
  if (!a.free.empty()) {
    o.free = true;
    if (a.free != "*") o.datumPoints = Names(a.free);
  }
  o.aPriori = a.aPriori;
  batch::Override(o, f);
}

int RunAdjust(const AdjustArgs& a, const std::string& output) {
  if (a.report != "text" && a.report != "html" && a.report != "json" && a.report != "dxf")
    throw UsageError("--report 应为 text、html、json 或 dxf");
  batch::NetworkReportOptions options;
  if (!a.ellipseScale.empty()) options.ellipseScale = Positive(a.ellipseScale, "--ellipse-scale", "倍");
  const std::string name = batch::InputName(a.file);
  const auto bytes = InputBytes(a.file);
  if (!bytes) return 1;
  batch::NetworkFileResult read = batch::ParseNetworkText(*bytes, name);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  Override(a, read.network);
  const batch::NetworkAdjustment adj = batch::AdjustNetworkFile(read.network);
  if (!adj.ok) {
    Say(name + ": " + adj.error);
    return 1;
  }
  bool written;
  if (a.report == "text") {
    written = Deliver(output, batch::NetworkReportText(read.network, name, adj), nullptr);
  } else {
    const std::string page = a.report == "html"  ? batch::NetworkReportHtml(read.network, name, adj, options)
                             : a.report == "dxf" ? batch::NetworkReportDxf(read.network, adj)
                                                 : batch::NetworkReportJson(read.network, name, adj);
    if (page.empty()) {
      Say(name + ": 只有水准网, 没有平面坐标可画成 DXF");
      return 1;
    }
    written = Deliver(output, {}, &page);
  }
  if (!written) return 1;
  if (a.strict && !adj.GlobalTestsPassed()) {
    Say(name + ": 全局检验不通过 (--strict)");
    return 1;
  }
  return 0;
}

}  // namespace

void AddAdjust(Registry& r) {
  struct Options {
    AdjustArgs args;
    std::string output;
  };
  auto o = std::make_shared<Options>();
  CLI::App* app = r.Add("adjust",
                        "控制网/水准网 严密平差: 观测文件 → 平差报告 (坐标及中误差、误差椭圆、单位权中误差与全局检验、"
                        "改正数与多余观测分量、粗差探测)",
                        [o] { return RunAdjust(o->args, o->output); });
  AdjustArgs& a = o->args;
  AddReportFiles(app, a.file, o->output, "观测文件 (- 为标准输入)", "报告写到文件 (默认标准输出)");
  app->add_option("--direction-sigma", a.directionSigma, "方向观测中误差 (秒), 代替文件头的值")->type_name("SECONDS");
  app->add_option("--angle-sigma", a.angleSigma, "角度观测中误差 (秒), 代替文件头的值; 导线观测文件的角度也用它")
      ->type_name("SECONDS");
  app->add_option("--distance-sigma", a.distanceSigma,
                  "测距中误差 ±(a 毫米 + b ppm), 写作 a,b (如 2,2), 代替文件头的值")
      ->type_name("A,B");
  app->add_option("--level-sigma", a.levelSigma,
                  "水准每公里 (或每测站, 按文件所定) 高差中误差 (毫米), 代替文件所给的值")
      ->type_name("MM");
  app->add_flag("--free{*}", a.free,
                "自由网平差 (秩亏, 最小范数条件于全部点); --free=A,B,C 只对所列的点 (要写等号)")
      ->type_name("[=POINTS]");
  app->add_flag("--a-priori", a.aPriori, "中误差按先验单位权中误差计算 (默认按验后)");
  app->add_option("--ellipse-scale", a.ellipseScale, "网页略图中误差椭圆的放大倍数 (默认自动取整, 使最大的椭圆约为图幅的 1/12)")
      ->type_name("N");
  app->add_flag("--strict", a.strict, "全局检验不通过时退出状态为 1 (报告照样写出)");
  app->add_option("--report", a.report, "报告: text 文字 (默认), html 网页 (含控制网略图 SVG), json, 或 dxf 图 (点、点名、观测边, 高程为 Z)")
      ->type_name("text|html|json|dxf");
  app->footer(kAdjustFooter);
}

}  // namespace vantrel::cli
