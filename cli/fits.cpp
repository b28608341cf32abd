// Parameters from common points: the four plane parameters (then the file transformed), and
// the seven space parameters with their accuracy.
#include "adjustment/seven_estimation.h"
#include "batch/crs_transform.h"
#include "batch/ellipsoids.h"
#include "batch/plane_fit.h"
#include "batch/seven_fit.h"
#include "cli/options.h"
#include "common/file_replace.h"
#include "common/text_rules.h"

namespace vantrel::cli {

namespace {

const char* const kFit7Footer =
    "公共点文件: 每行一点, 点名 老坐标 新坐标, 以空格分隔, GBK 或 UTF-8, # 后为注释;\n"
    "  空间坐标 点名 X Y Z X' Y' Z' (米), 或 --geodetic 时 点名 B L H B' L' H' (度.分秒, 米)。至少 3 点, 不能共线。\n"
    "七参数同 七参数坐标转换 对话框: 平移 dX dY dZ (米), 尺度 m (ppm), 旋转 ex ey ez (秒);\n"
    "  结果最后一行 --params ... 可直接给 vantrel-cli seven。残差为新坐标减转换后的老坐标, 超过 3σ0 的点注明。\n"
    "输出: 标准输出 (UTF-8), 或 -o 文件 (GBK、CR LF; 先写临时文件, 成功才改名替换)。\n"
    "退出状态: 0 求得参数; 1 文件有错 (文件:行号: 原因) 或不能求 (公共点少于 3 个、共线); 2 用法错误。";

struct Fit7Args {
  std::string file;
  bool geodetic = false;
  std::string fromEllipsoid, toEllipsoid;
  std::string paramsOut;
};

int RunFit7(const Fit7Args& f, const std::string& output) {
  std::optional<Ellipsoid> from, to;
  if (f.geodetic) {
    if (f.fromEllipsoid.empty() || f.toEllipsoid.empty())
      throw UsageError("--geodetic 需要 --ellipsoid (老坐标的椭球) 和 --to-ellipsoid (新坐标的椭球)");
    from = EllipsoidCode(f.fromEllipsoid, "--ellipsoid");
    to = EllipsoidCode(f.toEllipsoid, "--to-ellipsoid");
  } else if (!f.fromEllipsoid.empty() || !f.toEllipsoid.empty()) {
    throw UsageError("--ellipsoid 和 --to-ellipsoid 只用于 --geodetic (空间坐标不需要椭球)");
  }
  const std::string name = batch::InputName(f.file);
  const auto bytes = InputBytes(f.file);
  if (!bytes) return 1;
  const batch::CommonPointFileResult read = batch::ParseCommonPointText(*bytes, name, f.geodetic);
  if (!read.ok) {
    Say(read.error);
    return 1;
  }
  const adjustment::SevenEstimate e =
      f.geodetic ? adjustment::EstimateSevenParameters(read.geodetic, *from, *to)
                 : adjustment::EstimateSevenParameters(read.space);
  if (!e.ok) {
    Say(name + ": " + e.error);
    return 1;
  }
  const std::vector<std::string> lines = batch::SevenFitResultLines(e);
  // The parameter file is put in place only after the report went out, so that a failed run
  // leaves neither.
  std::optional<FileReplacement> params;
  if (!f.paramsOut.empty() && !params.emplace(f.paramsOut).Write(batch::SevenParameterText(e.parameters) + "\n")) {
    Say(batch::CannotWriteMessage(f.paramsOut, params->error()));
    return 1;
  }
  if (!Deliver(output, lines, nullptr)) return 1;
  if (params && !params->Commit()) {
    Say(batch::CannotWriteMessage(f.paramsOut, params->error()));
    return 1;
  }
  return 0;
}

}  // namespace

void AddFit4(Registry& r) {
  struct Options {
    Io io;
    std::string oldFile, newFile, paramsOut;
  };
  auto o = std::make_shared<Options>();
  CLI::App* app = r.Add("fit4", "平面坐标转换1: 由新老坐标文件的公共点求四参数, 按 转换参数 窗口写出, 再转换文件", [o] {
    BatchRun run(o->io);
    const batch::FitReport fit = batch::FitFourParameters(o->oldFile, o->newFile);
    for (const auto& m : fit.messages) Say(m);
    if (!fit.ok) return 1;
    if (!o->paramsOut.empty()) {
      FileReplacement params(o->paramsOut);
      if (!params.Write(batch::FourParameterText(fit.state.TransParam) + "\n") || !params.Commit()) {
        Say(batch::CannotWriteMessage(o->paramsOut, params.error()));
        return 1;
      }
    }
    const bool transform = !o->io.files.empty();
    std::string lines;
    for (const auto& l : batch::ParameterLines(fit.state)) lines += l + "\n";
    // The parameters are the result when nothing is transformed; else they go beside it.
    WriteOut(transform ? 2 : 1, lines);
    if (!transform) return 0;
    return run.Run(batch::FourParameterCommand(fit.state, run.decimals));
  });
  app->add_option("old", o->oldFile, "老坐标文件 (公共点)")->type_name("FILE")->required();
  app->add_option("new", o->newFile, "新坐标文件 (公共点)")->type_name("FILE")->required();
  AddIo(app, o->io);
  AddFormats(app, o->io);
  app->add_option("--params-out", o->paramsOut,
                  "另把四参数写到文件, 一行 dx,dy,旋转角,m (米, 秒, ppm; 15 位有效数字), convert --params-file 可读")
      ->type_name("FILE");
}

void AddFit7(Registry& r) {
  struct Options {
    Fit7Args f7;
    std::string output;
  };
  auto o = std::make_shared<Options>();
  CLI::App* app = r.Add("fit7", "由公共点求七参数 (布尔莎模型, 最小二乘): 参数及中误差、σ0、各点残差; 参数可直接用于 seven --params",
                        [o] { return RunFit7(o->f7, o->output); });
  Fit7Args& f7 = o->f7;
  const std::string codes = batch::EllipsoidCodeText(", ", " 或 ");
  AddReportFiles(app, f7.file, o->output, "公共点文件, 每行 点名 X Y Z X' Y' Z' (- 为标准输入)", "结果写到文件 (默认标准输出)");
  app->add_flag("--geodetic", f7.geodetic, "公共点为大地坐标: 每行 点名 B L H B' L' H' (度.分秒 D.MMSS, 米)");
  app->add_option("--ellipsoid", f7.fromEllipsoid, "--geodetic 时老坐标的椭球: " + codes)->type_name("CODE");
  app->add_option("--to-ellipsoid", f7.toEllipsoid, "--geodetic 时新坐标的椭球: " + codes)->type_name("CODE");
  app->add_option("--params-out", f7.paramsOut, "另把七参数写到文件, 一行 dX,dY,dZ,m,ex,ey,ez (seven --params 的写法)")->type_name("FILE");
  app->footer(kFit7Footer);
}

}  // namespace vantrel::cli
