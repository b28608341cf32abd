// The coordinate conversions over point files: space, geodetic, Gauss, zone change, seven
// parameters, UTM and Lambert, each as its dialog or the Tandrel component computes.
#include "batch/ellipsoids.h"
#include "cli/crs_options.h"
#include "cli/options.h"
#include "geodetic/seven_parameter.h"

namespace vantrel::cli {

namespace {

// The options of one conversion, kept alive by its action.
struct Conversion {
  Io io;
  Geo g;
};

// A subcommand reading input files, with the ellipsoid option and its default.
std::shared_ptr<Conversion> AddFileCommand(Registry& r, const char* name, const std::string& text,
                                           std::string_view ellipsoid,
                                           std::function<batch::Command(Conversion&, int decimals)> command,
                                           CLI::App** app = nullptr) {
  auto c = std::make_shared<Conversion>();
  CLI::App* sub = r.Add(name, text, [c, command] {
    // GeoJSON and KML hold decimal degrees whatever --angles says of point files.
    if (GeographicInput(c->io)) c->g.angles = "deg";
    BatchRun run(c->io);
    return run.Run(command(*c, run.decimals));
  });
  AddIo(sub, c->io);
  AddFormats(sub, c->io);
  AddEllipsoid(sub, c->g, ellipsoid);
  if (app) *app = sub;
  return c;
}

void AddSpace(Registry& r) {
  CLI::App* app = nullptr;
  auto c = AddFileCommand(r, "xyz2blh", "空间坐标 X Y Z → 大地坐标 B L H (对话框 空间坐标－大地坐标)", "54",
                          [](Conversion& c, int decimals) {
                            return batch::SpaceToGeodeticCommand(EllipsoidOf(c.g), AnglesOf(c.g), decimals,
                                                                 LongitudeRangeOf(c.g));
                          }, &app);
  AddAngles(app, c->g);
  AddLongitudeRange(app, c->g);
  c = AddFileCommand(r, "blh2xyz", "大地坐标 B L H → 空间坐标 X Y Z (对话框 空间坐标－大地坐标)", "54",
                     [](Conversion& c, int decimals) {
                       return batch::GeodeticToSpaceCommand(EllipsoidOf(c.g), AnglesOf(c.g), decimals);
                     }, &app);
  AddAngles(app, c->g);
}

void AddGauss(Registry& r) {
  CLI::App* app = nullptr;
  auto c = AddFileCommand(r, "blh2gauss", "大地坐标 B L → 高斯坐标 x y, 投影面抬高 (对话框 大地坐标－高斯坐标)", "54",
                          [](Conversion& c, int decimals) {
                            return batch::GeodeticToGaussCommand(GaussParamsWithCrs(c.g, false), AnglesOf(c.g), decimals);
                          }, &app);
  AddAngles(app, c->g);
  AddProjection(app, c->g, true, true);
  AddCrsOption(app, c->g, false);
  c = AddFileCommand(r, "gauss2blh", "高斯坐标 x y [带号] → 大地坐标 B L (对话框 大地坐标－高斯坐标)", "54",
                     [](Conversion& c, int) { return batch::GaussToGeodeticCommand(GaussParamsWithCrs(c.g, true), AnglesOf(c.g)); },
                     &app);
  AddAngles(app, c->g);
  AddLongitudeRange(app, c->g);
  AddProjection(app, c->g, true, true);
  AddCrsOption(app, c->g, false);
  app->add_flag("--strict", c->io.strict,
                "离中央子午线超过 4° 的点 (反算误差超过 1 毫米) 作为错误行; 默认照算, 最后警告其个数");
}

void AddZone(Registry& r) {
  auto toCm = std::make_shared<std::string>();
  CLI::App* app = nullptr;
  auto c = AddFileCommand(r, "zone", "高斯坐标换带: x y 从 --cm 带换到 --to-cm 带 (对话框 高斯坐标换带)", "54",
                          [toCm](Conversion& c, int decimals) {
                            const Geo& g = c.g;
                            batch::ZoneChangeParams p;
                            p.ellipsoid = EllipsoidOf(g);
                            if (g.cm.empty()) throw UsageError("需要 --cm (原来的中央子午线)");
                            p.fromMeridian = Dms2Rad(DmsOption(g.cm, "--cm"));
                            p.toMeridian = Dms2Rad(DmsOption(*toCm, "--to-cm"));
                            p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
                            p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", 0);
                            p.planeHeight = Number(g.planeHeight, "--plane-height");
                            p.anomaly = NumberOr(g.anomaly, "--anomaly", 0);
                            return batch::ZoneChangeCommand(p, decimals);
                          }, &app);
  app->add_option("--cm", c->g.cm, "原来的中央子午线, 度.分秒 D.MMSS")->type_name("D.MMSS");
  app->add_option("--to-cm", *toCm, "新的中央子午线, 度.分秒 D.MMSS")->type_name("D.MMSS")->required();
  AddFalseOrigin(app, c->g, "东偏 (公里, 默认 0, 同对话框)", "北偏 (公里, 默认 0)");
  app->add_option("--anomaly", c->g.anomaly, "大地水准面差距 (米, 默认 0)")->type_name("M");
}

void AddSeven(Registry& r) {
  struct Extra {
    std::string params;
    bool gauss = false;
  };
  auto x = std::make_shared<Extra>();
  CLI::App* app = nullptr;
  auto c = AddFileCommand(
      r, "seven", "七参数坐标转换: 空间坐标 X Y Z → X' Y' Z', 可再到高斯坐标 (对话框 七参数坐标转换)", "54",
      [x](Conversion& c, int decimals) {
        const Geo& g = c.g;
        batch::SevenParams p;
        const auto v = Numbers(x->params, "--params", 7);
        p.parameters = {v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
        p.ellipsoid = EllipsoidOf(g);
        // The dialog's field is decimal degrees; the option is typed D.MMSS.
        p.centralMeridian = SevenMeridianRadians(g.cm.empty() ? 123 : Dms2Deg(DmsOption(g.cm, "--cm")));
        p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
        p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", 500);
        p.planeHeight = Number(g.planeHeight, "--plane-height");
        return batch::SevenCommand(p, x->gauss, decimals);
      }, &app);
  app->add_option("--params", x->params, "七参数 dX,dY,dZ,m,ex,ey,ez: 平移(米), 尺度(ppm), 旋转(秒)")
      ->type_name("LIST")
      ->required();
  app->add_flag("--gauss", x->gauss, "再投影到高斯坐标, 写出 xg yg hg");
  app->add_option("--cm", c->g.cm, "中央子午线, 度.分秒 D.MMSS (默认 123, 同对话框)")->type_name("D.MMSS");
  AddFalseOrigin(app, c->g, "东偏 (公里, 默认 500, 同对话框)", "北偏 (公里, 默认 0)");
}

// The false origin (east `east` km unless given) and the plane height of UTM and Lambert.
template <class Params>
void ReadFalseOrigin(const Geo& g, double east, Params& p) {
  p.falseNorthingKm = NumberOr(g.falseNorthing, "--false-northing", 0);
  p.falseEastingKm = NumberOr(g.falseEasting, "--false-easting", east);
  p.planeHeight = Number(g.planeHeight, "--plane-height");
}

void AddUtm(Registry& r) {
  CLI::App* app = nullptr;
  auto c = AddFileCommand(
      r, "utm", "UTM 投影 B L → x y, 或 --inverse 反算 (Tandrel 组件 BL2XYg_UTM/XYg2BL_UTM)", "84",
      [](Conversion& c, int decimals) {
        const Geo& g = c.g;
        batch::UtmParams p;
        if (UtmParamsFromCrs(g, p))
          return g.inverse ? batch::UtmToGeodeticCommand(p, AnglesOf(g))
                           : batch::GeodeticToUtmCommand(p, AnglesOf(g), decimals);
        p.ellipsoid = ComponentEllipsoid(g);
        const int width = ZoneWidthOf(g);
        if (width == 3) throw UsageError("UTM 投影带宽 6 度: --zone-width 只能为 6");
        p.zoned = width == 6;
        if (p.zoned == !g.cm.empty()) throw UsageError("需要 --cm 或 --zone-width 6 (只给一个)");
        if (!p.zoned) p.centralMeridian = batch::ComponentMeridian(PackedAngleOption(g.cm, "--cm", AnglesOf(g)));
        ReadFalseOrigin(g, 500, p);
        p.longitudes = LongitudeRangeOf(g);
        return g.inverse ? batch::UtmToGeodeticCommand(p, AnglesOf(g))
                         : batch::GeodeticToUtmCommand(p, AnglesOf(g), decimals);
      }, &app);
  AddAngles(app, c->g);
  AddLongitudeRange(app, c->g);
  app->add_flag("--inverse", c->g.inverse, "反算: x y [带号] → B L");
  app->add_option("--cm", c->g.cm, AngleOptionText("中央子午线"))->type_name("ANGLE");
  app->add_option("--zone-width", c->g.zoneWidth, "6: 按各点经度取 UTM 带 (1-60), 带号另起一列")->type_name("6");
  AddFalseOrigin(app, c->g, "东偏 (公里, 默认 500)", "北偏 (公里, 默认 0; 南半球常用 10000)");
  AddCrsOption(app, c->g, true);
}

void AddLambert(Registry& r) {
  auto parallels = std::make_shared<std::string>();
  CLI::App* app = nullptr;
  auto c = AddFileCommand(
      r, "lambert",
      "兰勃特等角圆锥投影 B L → x y, 或 --inverse 反算 (Tandrel 组件 BL2XYg_Lambert/XYg2BL_Lambert)", "84",
      [parallels](Conversion& c, int decimals) {
        const Geo& g = c.g;
        batch::LambertParams p;
        p.ellipsoid = ComponentEllipsoid(g);
        p.centralMeridian = AngleOption(g.cm, "--cm", AnglesOf(g));
        const auto b = AngleOptions(*parallels, "--parallels", 2, AnglesOf(g));
        p.parallel1 = b[0];
        p.parallel2 = b[1];
        ReadFalseOrigin(g, 0, p);
        p.longitudes = LongitudeRangeOf(g);
        return g.inverse ? batch::LambertToGeodeticCommand(p, AnglesOf(g))
                         : batch::GeodeticToLambertCommand(p, AnglesOf(g), decimals);
      }, &app);
  AddAngles(app, c->g);
  AddLongitudeRange(app, c->g);
  app->add_flag("--inverse", c->g.inverse, "反算: x y → B L");
  app->add_option("--cm", c->g.cm, AngleOptionText("中央子午线"))->type_name("ANGLE")->required();
  app->add_option("--parallels", *parallels, AngleOptionText("标准纬线 B1,B2 (相同则为单标准纬线)"))
      ->type_name("ANGLE,ANGLE")
      ->required();
  AddFalseOrigin(app, c->g, "加在 y (沿中央子午线) 上的偏移, 公里 (默认 0)", "加在 x 上的偏移, 公里 (默认 0)");
}

}  // namespace

void AddConversions(Registry& r) {
  AddSpace(r);
  AddGauss(r);
  AddZone(r);
  AddSeven(r);
  AddUtm(r);
  AddLambert(r);
}

}  // namespace vantrel::cli
