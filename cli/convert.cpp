// Coordinate systems by EPSG code: the convert subcommand, and --crs on the Gauss and UTM
// subcommands. The datum rule is the batch layer's (CrsTransformRefusal); here only the
// options that give the parameters are named.
#include "batch/crs_transform.h"
#include "cli/crs_options.h"
#include "common/text_rules.h"

namespace vantrel::cli {

namespace {

const char* const kConvertFooter =
    "坐标列按各坐标系在 EPSG 中的轴序:\n"
    "  地理坐标 (4214 4610 4490 4326): 纬度 B, 经度 L (--angles, 默认十进制度);\n"
    "  空间直角坐标 (4479 4978): X Y Z (米);\n"
    "  高斯-克吕格 (2327-2390 2401-2442 4491-4554 21413-21423 21453-21463): x 北, y 东 (北坐标在前);\n"
    "  WGS84 UTM (32601-32660 32701-32760): E 东, N 北 (东坐标在前)。\n"
    "  y 前面带号的东坐标按坐标系的带检查, 别的带的点作为错误行。\n"
    "不同基准 (北京54、西安80、CGCS2000、WGS84) 之间相差几十米到一百多米, 不猜测: 只用 --params 或\n"
    "  --params-file 给的七参数 (由源坐标系到目标坐标系, 同 seven 的写法; fit7 可求), 否则拒绝。\n"
    "  两个投影坐标系之间也可给四参数 (fit4 由两坐标系下的公共点求得), 作用于文件中的 x y 本身。\n"
    "输入: 点文件或 CSV, 同其他子命令, 或交换格式 (--from-format; 输出 --to-format); 点名、备注逐字节照抄。\n"
    "退出状态: 0 全部转换成功; 1 有数据行或文件不能转换; 2 用法错误。";

struct ConvertArgs {
  Io io;
  std::string from, to, angles = "deg", params, paramsFile;
  bool heights = false, sameDatum = false;
};

void ParamsOption(const ConvertArgs& a, batch::CrsTransform& t) {
  if (!a.paramsFile.empty()) {
    const auto bytes = InputBytes(a.paramsFile);
    if (!bytes) throw UsageError("--params-file 读不出来");
    std::string error;
    if (!batch::ParseParameterText(*bytes, batch::InputName(a.paramsFile), t, error)) throw UsageError(error);
    return;
  }
  const auto v = Numbers(a.params, "--params", 0);
  if (!batch::SetParameters(t, v))
    throw UsageError("--params 应为 7 个数值 dX,dY,dZ,m,ex,ey,ez 或 4 个数值 dx,dy,旋转角,m, 这里有 " +
                     std::to_string(v.size()) + " 个");
}

int RunConvert(ConvertArgs& a) {
  BatchRun run(a.io);
  batch::CrsTransform t;
  t.from = CrsOption(a.from, "--from");
  t.to = CrsOption(a.to, "--to");
  if (!a.params.empty() || !a.paramsFile.empty()) ParamsOption(a, t);
  t.sameDatum = a.sameDatum;
  Geo g;
  // GeoJSON and KML hold decimal degrees whatever --angles says of point files.
  g.angles = GeographicInput(a.io) ? "deg" : a.angles;
  if (std::string why = batch::CrsTransformRefusal(t); !why.empty()) {
    if (!t.seven && !t.four) why += ": 用 --params dX,dY,dZ,m,ex,ey,ez 或 --params-file 给出";
    if (!t.seven && !t.four && t.from.datum != t.to.datum && batch::CrsTransformRefusal({t.from, t.to, {}, true, {}}).empty())
      why += ", 或用 --same-datum";
    throw UsageError(why);
  }
  return run.Run(batch::CrsCommand(t, AnglesOf(g), a.heights, run.decimals));
}

}  // namespace

Crs CrsOption(const std::string& text, const std::string& option) {
  Crs crs;
  std::string error;
  if (!ParseCrs(text, crs, error)) throw UsageError(option + ": " + error);
  return crs;
}

void AddConvert(Registry& r) {
  auto a = std::make_shared<ConvertArgs>();
  CLI::App* app = r.Add("convert", "按 EPSG 代码在坐标系之间转换 (地理、空间直角、高斯-克吕格、UTM), 坐标列按各坐标系的轴序",
                        [a] { return RunConvert(*a); });
  AddIo(app, a->io);
  app->get_option("--decimals")->description("米的小数位数 (默认 3, 空间直角坐标 4)");
  AddFormats(app, a->io);
  app->add_option("--from", a->from, "源坐标系, 如 EPSG:4490 (列的顺序见下)")->type_name("EPSG:CODE")->required();
  app->add_option("--to", a->to, "目标坐标系, 如 EPSG:4548")->type_name("EPSG:CODE")->required();
  app->add_option("--angles", a->angles, "地理坐标的写法: deg 十进制度 (默认, 同 EPSG), dms 度.分秒 D.MMSS, rad 弧度")
      ->type_name("deg|dms|rad");
  app->add_flag("--height", a->heights, "地理、投影坐标后还有一列大地高 H (米), 一起换算; 空间直角坐标总有 Z");
  auto* params = app->add_option("--params", a->params,
                                 "七参数 dX,dY,dZ,m,ex,ey,ez (平移 米, 尺度 ppm, 旋转 秒), 由源基准到目标基准, 同 seven; "
                                 "或两个投影坐标系之间的四参数 dx,dy,旋转角,m (平移 米, 旋转 秒, 尺度 ppm), 同 fit4")
                     ->type_name("LIST");
  auto* file = app->add_option("--params-file", a->paramsFile, "从文件读七参数或四参数 (fit7、fit4 --params-out 写的一行)")
                   ->type_name("FILE");
  params->excludes(file);
  app->add_flag("--same-datum", a->sameDatum,
                "把 CGCS2000 与 WGS84 当作同一基准 (两者的实现相差最多几厘米; 要厘米级请给七参数)");
  app->add_flag("--strict", a->io.strict, "离中央子午线超过 4° 的点作为错误行; 默认照算, 最后警告其个数");
  app->footer(kConvertFooter);
}

void AddCrsOption(CLI::App* app, Geo& g, bool utm) {
  CLI::Option* crs = app->add_option(
      "--crs", g.crs,
      utm ? "按 EPSG 代码取 UTM 投影 (32601-32660 北半球, 32701-32760 南半球), 代替 --ellipsoid/--cm/--zone-width/"
            "--false-easting/--false-northing; 列仍为 x 北 y 东"
          : "按 EPSG 代码取高斯-克吕格投影 (北京54、西安80、CGCS2000 的 3°、6° 带), 代替 --ellipsoid/--cm/"
            "--zone-width/--zone-prefix/--false-easting/--false-northing; x 北, y 东 (北坐标在前)");
  crs->type_name("EPSG:CODE");
  for (const char* name : {"--ellipsoid", "--cm", "--zone-width", "--zone-prefix", "--false-easting",
                           "--false-northing", "--plane-height", "--anomaly"}) {
    try {
      crs->excludes(app->get_option(name));
    } catch (const CLI::OptionNotFound&) {
    }
  }
}

batch::GaussParams GaussParamsWithCrs(const Geo& g, bool inverse) {
  if (g.crs.empty()) return GaussParamsOf(g);
  const Crs crs = CrsOption(g.crs, "--crs");
  if (crs.kind != CrsKind::Projected || crs.axes != AxisOrder::NorthEast)
    throw UsageError("--crs EPSG:" + std::to_string(crs.code) + " (" + crs.name +
                     ") 不是高斯-克吕格投影坐标系; 可用 convert 子命令");
  batch::GaussParams p;
  p.ellipsoid = crs.ellipsoid->ellipsoid;
  p.centralMeridian = batch::AngleToRadians(crs.tm.centralMeridian, AngleUnit::Degrees);
  p.falseNorthingKm = crs.tm.falseNorthing / 1000;
  // The inverse takes a zone number in front of y off and checks it against the meridian.
  p.falseEastingKm = (inverse && crs.tm.zoneInEasting ? 500000 : crs.tm.falseEasting) / 1000;
  p.longitudes = LongitudeRangeOf(g);
  return p;
}

bool UtmParamsFromCrs(const Geo& g, batch::UtmParams& p) {
  if (g.crs.empty()) return false;
  const Crs crs = CrsOption(g.crs, "--crs");
  if (crs.axes != AxisOrder::EastNorth)
    throw UsageError("--crs EPSG:" + std::to_string(crs.code) + " (" + crs.name + ") 不是 UTM 投影坐标系");
  // The component knows its own 84 row (GRS 80's e2): within 0.2 mm of the registry's WGS 84.
  p.ellipsoid = kEllipsoid84;
  p.zoned = false;
  // Whole degrees: the packed value is the number of degrees itself.
  p.centralMeridian = batch::ComponentMeridian(crs.tm.centralMeridian);
  p.falseEastingKm = crs.tm.falseEasting / 1000;
  p.falseNorthingKm = crs.tm.falseNorthing / 1000;
  p.planeHeight = 0;
  p.longitudes = LongitudeRangeOf(g);
  return true;
}

}  // namespace vantrel::cli
