// Closed and connecting traverse adjustment: an observation file to the calculation table.
#include "adjustment/traverse_adjustment.h"
#include "batch/traverse_file.h"
#include "batch/exchange/report_dxf.h"
#include "batch/traverse_report.h"
#include "cli/options.h"

namespace vantrel::cli {

namespace {

const char* const kTraverseFooter =
    "导线观测文件: 每项以空格分隔, GBK 或 UTF-8, # 后为注释; 角度、方位角为度.分秒 D.MMSS (最多到 0.1″),\n"
    "  坐标、距离为米 (小于 1e9 米)。\n"
    "  导线 闭合|附合 左角|右角;  起点 B X Y;  后视 A X Y 或 起始方位 D.MMSS;\n"
    "  附合: 终点 C X Y, 前视 D X Y 或 终止方位 D.MMSS;  闭合: 连接角 D.MMSS 或 首边方位 D.MMSS;\n"
    "  其余每行一个测站, 按前进顺序: 点名 观测角 到下一站的边长 (附合导线的终点无边长)。\n"
    "  详见 man vantrel-cli 与用户手册 /usr/share/vantrel/manual/index.html。\n"
    "输出: 标准输出 (UTF-8), 或 -o 文件 (文字计算表为 GBK、CR LF, 同计算器保存的文件, 点名有 GBK 没有的字\n"
    "  时报错; 网页为 UTF-8; 先写临时文件, 成功才改名替换)。\n"
    "限差 (--grade, GB 50026《工程测量标准》导线测量的主要技术要求; 图根按首级控制):\n"
    "  等级      角度闭合差    导线全长相对闭合差\n"
    "  三等      ±3.6″√n      1/55000\n"
    "  四等      ±5″√n        1/35000\n"
    "  一级      ±10″√n       1/15000\n"
    "  二级      ±16″√n       1/10000\n"
    "  三级      ±24″√n       1/5000\n"
    "  图根      ±40″√n       1/2000\n"
    "  不给 --grade: 角度 ±40″√n (或 --allowance), 相对闭合差 1/2000, 同图根。\n"
    "角度闭合差或相对闭合差超限时不平差: 原因写到标准错误, 不写 -o 文件 (--force 照样平差, 计算表注明超限)。\n"
    "计算表按手簿的位数自成一体: 角度取至 0.1″, 坐标、边长、增量取至毫米, 改正数凑整后其和等于闭合差的反号。\n"
    "退出状态: 0 平差成功; 1 文件有错 (文件:行号: 原因) 或不能平差; 2 用法错误。";

struct TraverseArgs {
  std::string file;
  std::string grade;
  std::string allowance;
  std::string step = "1";
  bool force = false;
  std::string report = "text";
};

int RunTraverse(const TraverseArgs& t, const std::string& output) {
  adjustment::TraverseOptions opt;
  if (!t.grade.empty()) {
    const adjustment::TraverseGrade* g = adjustment::FindTraverseGrade(t.grade);
    if (!g) {
      std::string names;
      for (const adjustment::TraverseGrade& k : adjustment::TraverseGrades()) names += std::string(names.empty() ? "" : "、") + k.name;
      throw UsageError("--grade 应为 " + names + " 之一");
    }
    opt = adjustment::TraverseOptionsFor(*g);
  }
  if (!t.allowance.empty()) {
    opt.allowanceSeconds = Number(t.allowance, "--allowance");
    if (!(opt.allowanceSeconds > 0)) throw UsageError("--allowance 应为正数 (秒)");
  }
  opt.correctionStepSeconds = Number(t.step, "--step");
  if (!adjustment::IsCorrectionStep(opt.correctionStepSeconds))
    throw UsageError("--step 应为 0, 或 0.1 至 60 之间 0.1 的整数倍 (秒)");
  opt.force = t.force;
  if (t.report != "text" && t.report != "html" && t.report != "dxf") throw UsageError("--report 应为 text、html 或 dxf");
  const std::string name = batch::InputName(t.file);
  const auto bytes = InputBytes(t.file);
  if (!bytes) return 1;
  const batch::TraverseFileResult read = batch::ParseTraverseText(*bytes, name);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  const adjustment::TraverseAdjustment adj = adjustment::AdjustTraverse(read.input, opt);
  if (!adj.ok) {
    Say(name + ": " + adj.error);
    return 1;
  }
  if (t.report == "html" || t.report == "dxf") {
    const std::string page = t.report == "html" ? batch::TraverseReportHtml(read.input, adj)
                                                : batch::TraverseReportDxf(read.input, adj);
    return Deliver(output, {}, &page) ? 0 : 1;
  }
  return Deliver(output, batch::TraverseReportText(read.input, adj), nullptr) ? 0 : 1;
}

}  // namespace

void AddTraverse(Registry& r) {
  struct Options {
    TraverseArgs tr;
    std::string output;
  };
  auto o = std::make_shared<Options>();
  CLI::App* app = r.Add("traverse", "闭合导线/附合导线 平差: 导线观测文件 → 导线坐标计算表 (角度闭合差按限差检查, 坐标增量按边长比例分配)",
                        [o] { return RunTraverse(o->tr, o->output); });
  TraverseArgs& tr = o->tr;
  AddReportFiles(app, tr.file, o->output, "导线观测文件 (- 为标准输入)", "计算表写到文件 (默认标准输出)");
  CLI::Option* grade = app->add_option("--grade", tr.grade, "导线等级, 定角度闭合差和相对闭合差的限差 (见下表; 默认同图根)")
                           ->type_name("三等|四等|一级|二级|三级|图根");
  app->add_option("--allowance", tr.allowance, "角度闭合差限差 ±c″√n 的 c (秒, 默认 40)")
      ->type_name("SECONDS")
      ->excludes(grade);
  app->add_option("--step", tr.step, "角度改正数取至几秒, 0.1″ 的整数倍 (默认 1; 0 为不取整, 平均分配)")->type_name("SECONDS");
  app->add_flag("--force", tr.force, "角度闭合差或相对闭合差超限也平差 (计算表注明超限)");
  app->add_option("--report", tr.report, "计算表: text 文字 (默认), html 网页 (含导线略图 SVG) 或 dxf 图 (点、点名与导线边, 供 CAD)")->type_name("text|html|dxf");
  app->footer(kTraverseFooter);
}

}  // namespace vantrel::cli
