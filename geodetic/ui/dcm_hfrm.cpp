#include "geodetic/ui/dcm_hfrm.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "common/text_rules.h"
#include "geodetic/compensation_plane.h"
#include "geodetic/ui/form_parts.h"

namespace vantrel {

namespace {
QString Metres(double v) { return QString::fromStdString(FormatPattern(v, "#.000")) + "米"; }
}  // namespace

DCM_Hfrm::DCM_Hfrm(AppState& state, const Services& services)
    : VDialog(state, services, "抵偿面高程") {
  setObjectName("DCM_Hfrm");
  auto* top = new QVBoxLayout(this);
  QGridLayout* g = form::Frame(this, top, "参考点信息");
  Text[0] = nullptr;
  Text[1] = form::Field(this, g, 0, "84坐标X", "Text1", "-2882436.5359");
  Text[2] = form::Field(this, g, 1, "84坐标Y", "Text2", "4644766.6644");
  Text[3] = form::Field(this, g, 2, "84坐标Z", "Text3", "3275089.9005");
  Text[4] = form::Field(this, g, 3, "水准高", "Text4", "4.0");
  Text[5] = form::Field(this, g, 4, "中央子午线", "Text5", "123.0000");
  Label7 = form::Output(this, g, 5, "至54椭球面的抵偿面高程：", "Label7");
  Label9 = form::Output(this, g, 6, "考虑坐标差异后\n至54椭球面的抵偿面高程：", "Label9");
  Label11 = form::Output(this, g, 7, "考虑坐标差异后\n至水准面的抵偿面高程：", "Label11");
  Label13 = form::Output(this, g, 8, "椭球引起的高程差异：", "Label13");
  SelectOnEntry({Text[1], Text[2], Text[3], Text[4], Text[5]});
  auto* row = new QHBoxLayout;
  auto* compute = new QPushButton("计算(&C)", this);
  compute->setObjectName("DCM_H_Cal");
  row->addStretch(1);
  row->addWidget(compute);
  row->addWidget(MakeExitButton("DCM_H_Exit"));
  top->addLayout(row);
  connect(compute, &QPushButton::clicked, this, &DCM_Hfrm::DCM_H_Cal_Click);
}

void DCM_Hfrm::DCM_H_Cal_Click() {
  const QString title = "抵偿面高程";
  for (int i = 1; i <= 5; ++i) {
    if (!IsNumeric(form::Std(Text[i]->text()))) {
      Message("输入信息错误!", MessageIcon::Critical, title);
      return;
    }
  }
  auto lenient = [&](int i) { return ReadLenient(form::Std(Text[i]->text())); };
  CompensationResult r = CompensationPlaneHeight(state().Projection, lenient(1), lenient(2),
                                                 lenient(3), lenient(4), Dms2Rad(lenient(5)));
  if (r.status == CompensationStatus::LatitudeOutside) {
    Message("纬度不在中国范围内, 不能计算54椭球大地水准面差距!", MessageIcon::Critical, title);
    return;
  }
  if (r.status == CompensationStatus::LongitudeOutside) {
    Message("经度不在中国范围内, 不能计算54椭球大地水准面差距!", MessageIcon::Critical, title);
    return;
  }
  Label7->setText(Metres(r.dH1));
  Label9->setText(Metres(r.dH2));
  Label11->setText(Metres(r.dH3));
  Label13->setText(Metres(r.dE));
}

}  // namespace vantrel
