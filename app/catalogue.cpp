#include "app/catalogue.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/page4/batch_convert_frm.h"
#include "app/page4/height_fit_frm.h"
#include "app/page4/level_route_frm.h"
#include "app/page4/network_adjust_frm.h"
#include "app/page4/param_fit_frm.h"
#include "app/page4/traverse_adjust_frm.h"
#include "dialogs/vdialog.h"
#include "geodetic/ui/dni_frm.h"
#include "geodetic/ui/dcm_hfrm.h"
#include "geodetic/ui/frm_lan_ch.h"
#include "geodetic/ui/frm_seven.h"
#include "geodetic/ui/quantity_frms.h"
#include "geodetic/ui/xyz_blh_xyg.h"
#include "plane/ui/coordi_frm.h"
#include "plane/ui/cross_back.h"
#include "plane/ui/cross_for.h"
#include "plane/ui/stake_out.h"
#include "plane/ui/trav_frm.h"
#include "transform/ui/co_chang.h"
#include "transform/ui/co_chang2.h"

namespace vantrel {

const char* const kNotBuiltText = "该功能尚未实现";

namespace {

// Both coordinate entries open one dialog; it reads the mode flags while it loads.
VDialog* OpenSpaceGeodetic(AppState& s, const Services& sv) {
  s.SpaceGeodeticMode = true;
  s.GeodeticGaussMode = false;
  return new XYZ_BLH_XYG(s, sv);
}

VDialog* OpenGeodeticGauss(AppState& s, const Services& sv) {
  s.SpaceGeodeticMode = false;
  s.GeodeticGaussMode = true;
  return new XYZ_BLH_XYG(s, sv);
}

// The two parameter fits share one dialog; the entry chooses which parameters it finds.
VDialog* OpenSevenFit(AppState& s, const Services& sv) {
  return new ParamFitFrm(s, sv, ParamFitFrm::Mode::Seven);
}

VDialog* OpenFourFit(AppState& s, const Services& sv) {
  return new ParamFitFrm(s, sv, ParamFitFrm::Mode::Four);
}

// Both network entries open one dialog, each in its own mode.
VDialog* OpenNetworkAdjust(AppState& s, const Services& sv) {
  return new NetworkAdjustFrm(s, sv, NetworkAdjustFrm::Mode::Plane);
}

VDialog* OpenLevellingAdjust(AppState& s, const Services& sv) {
  return new NetworkAdjustFrm(s, sv, NetworkAdjustFrm::Mode::Levelling);
}

class NotBuiltDialog : public VDialog {
 public:
  NotBuiltDialog(AppState& state, const Services& services, const QString& caption)
      : VDialog(state, services, caption) {
    setObjectName("NotBuilt");
    auto* label = new QLabel(QString::fromUtf8(kNotBuiltText), this);
    label->setObjectName("NotBuiltLabel");
    label->setAlignment(Qt::AlignCenter);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 1.2);
    label->setFont(f);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label, 1);
    auto* exit = MakeExitButton("Command_Exit");
    layout->addWidget(exit, 0, Qt::AlignRight);
    resize(360, 160);
  }
};

}  // namespace

const std::vector<CatalogueEntry>& DispatchTable() {
  static const std::vector<CatalogueEntry> table = {
      {"平面坐标转换1", "Co_Chang", Make<Co_Chang>},
      {"平面坐标转换2", "Co_Chang2", Make<Co_Chang2>},
      {"七参数坐标转换", "FrmSeven", Make<FrmSeven>},
      {"空间坐标－大地坐标", "XYZ_BLH_XYG", OpenSpaceGeodetic},
      {"大地坐标－高斯坐标", "XYZ_BLH_XYG", OpenGeodeticGauss},
      {"高斯坐标换带", "FrmLanCh", Make<FrmLanCh>},
      {"坐标正反算", "CoordiFrm", Make<CoordiFrm>},
      {"支导线计算", "TravFrm", Make<TravFrm>},
      {"前方交会", "Cross_For", Make<Cross_For>},
      {"后方交会", "Cross_Back", Make<Cross_Back>},
      {"坐标放样", "StakeOut", Make<StakeOut>},
      {"曲率半径", "RadiusFrm", Make<RadiusFrm>},
      {"子午圈弧长", "MArcLenFrm", Make<MArcLenFrm>},
      {"平行圈弧长", "NArcLenFrm", Make<NArcLenFrm>},
      {"三差改正", "ThreeCorFrm", Make<ThreeCorFrm>},
      {"54椭球大地水准面差距", "DniFrm", Make<DniFrm>},
      {"抵偿面高程", "DCM_Hfrm", Make<DCM_Hfrm>},
      {"导线平差", "TraverseAdjustFrm", Make<TraverseAdjustFrm>},
      {"控制网平差", "NetworkAdjustFrm", OpenNetworkAdjust},
      {"水准网平差", "NetworkAdjustFrm", OpenLevellingAdjust},
      {"水准路线", "LevelRouteFrm", Make<LevelRouteFrm>},
      {"高程拟合", "HeightFitFrm", Make<HeightFitFrm>},
      {"七参数计算", "ParamFitFrm", OpenSevenFit},
      {"四参数计算", "ParamFitFrm", OpenFourFit},
      {"批量坐标转换", "BatchConvertFrm", Make<BatchConvertFrm>},
  };
  return table;
}

QStringList PageEntries(int page) {
  switch (page) {
    case 1:
      return {"平面坐标转换1", "平面坐标转换2", "七参数坐标转换", "空间坐标－大地坐标",
              "大地坐标－高斯坐标", "高斯坐标换带", "坐标正反算", "支导线计算",
              "前方交会", "后方交会", "坐标放样"};
    case 2:
      return {"曲率半径", "子午圈弧长", "平行圈弧长", "三差改正"};
    case 3:
      return {"抵偿面高程", "54椭球大地水准面差距"};
    case 4:
      return {"导线平差", "控制网平差", "水准网平差", "水准路线",
              "高程拟合", "七参数计算", "四参数计算", "批量坐标转换"};
    default:
      return {};
  }
}

VDialog* CreateDialog(const QString& text, AppState& state, const Services& services) {
  for (const CatalogueEntry& e : DispatchTable()) {
    if (e.text != text) continue;
    if (e.factory) return e.factory(state, services);
    break;
  }
  return new NotBuiltDialog(state, services, text);
}

}  // namespace vantrel
