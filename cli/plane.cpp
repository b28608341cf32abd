// The plane computations over point files: rotation about centres, inverse and forward
// (坐标正反算), and the 1954 height anomaly at each point.
#include "cli/options.h"

namespace vantrel::cli {

namespace {

// A subcommand reading input files; its options are added by the caller.
template <class Options>
CLI::App* AddPlaneCommand(Registry& r, const char* name, const std::string& text, std::shared_ptr<Options> o,
                          std::function<batch::Command(Options&, int decimals)> command) {
  CLI::App* app = r.Add(name, text, [o, command] {
    BatchRun run(o->io);
    return run.Run(command(*o, run.decimals));
  });
  AddIo(app, o->io);
  return app;
}

struct Rotation {
  Io io;
  std::string fromCentre = "0,0", toCentre = "0,0", angle = "0";
};

struct Azimuths {
  Io io;
  Geo g;
  std::string from;
};

const char* const kAzimuthText = "方位角写法: dms 度 分 秒 三列 (默认, 同对话框), deg 或 rad 一列";

}  // namespace

void AddPlaneCommands(Registry& r) {
  auto rot = std::make_shared<Rotation>();
  CLI::App* app = AddPlaneCommand<Rotation>(
      r, "rotate", "平面坐标转换2: 绕旋转中心旋转并平移点文件 (对话框 平面坐标转换2)", rot,
      [](Rotation& o, int decimals) {
        const auto a = Numbers(o.fromCentre, "--from-centre", 2);
        const auto b = Numbers(o.toCentre, "--to-centre", 2);
        const RotationCentres c{a[0], a[1], b[0], b[1], Dms2Rad(DmsOption(o.angle, "--angle"))};
        return batch::RotationCommand(c, decimals);
      });
  app->add_option("--from-centre", rot->fromCentre, "老坐标旋转中心 x0,y0 (米, 默认 0,0)")->type_name("X,Y");
  app->add_option("--to-centre", rot->toCentre, "新坐标旋转中心 X0,Y0 (米, 默认 0,0)")->type_name("X,Y");
  app->add_option("--angle", rot->angle, "旋转角, 度.分秒 D.MMSS (默认 0)")->type_name("D.MMSS");

  auto inv = std::make_shared<Azimuths>();
  app = AddPlaneCommand<Azimuths>(
      r, "inverse",
      "坐标反算: 每行两点 x1 y1 x2 y2 (或 --from 定点到每行一点 x y) → dx dy 距离 方位角 (对话框 坐标正反算)", inv,
      [](Azimuths& o, int decimals) {
        std::optional<PlanePoint> p;
        if (!o.from.empty()) {
          const auto v = Numbers(o.from, "--from", 2);
          p = PlanePoint{v[0], v[1]};
        }
        return batch::PlaneInverseCommand(AnglesOf(o.g), p, decimals);
      });
  app->add_option("--from", inv->from, "第一点 x,y (米): 每行只给第二点")->type_name("X,Y");
  app->add_option("--angles", inv->g.angles, kAzimuthText)->type_name("dms|deg|rad");

  auto fwd = std::make_shared<Azimuths>();
  app = AddPlaneCommand<Azimuths>(r, "forward", "坐标正算: 距离 方位角 → dx dy (对话框 坐标正反算)", fwd,
                                  [](Azimuths& o, int decimals) {
                                    return batch::PlaneForwardCommand(AnglesOf(o.g), decimals);
                                  });
  app->add_option("--angles", fwd->g.angles, kAzimuthText)->type_name("dms|deg|rad");

  auto an = std::make_shared<Azimuths>();
  app = AddPlaneCommand<Azimuths>(
      r, "anomaly", "54椭球大地水准面差距: 每点 B L → 差距 (米) (对话框 54椭球大地水准面差距)", an,
      [](Azimuths& o, int decimals) { return batch::AnomalyCommand(AnglesOf(o.g), decimals); });
  AddAngles(app, an->g);
}

}  // namespace vantrel::cli
