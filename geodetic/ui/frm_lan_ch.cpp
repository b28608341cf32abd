#include "geodetic/ui/frm_lan_ch.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "common/text_rules.h"
#include "geodetic/zone_change.h"
#include "geodetic/ui/form_parts.h"

namespace vantrel {

FrmLanCh::FrmLanCh(AppState& state, const Services& services)
    : VDialog(state, services, "高斯坐标换带") {
  setObjectName("FrmLanCh");
  auto* top = new QVBoxLayout(this);
  auto* frames = new QHBoxLayout;
  top->addLayout(frames);
  QGridLayout* old = form::Frame(this, frames, "老高斯坐标");
  Text[0] = nullptr;
  Text[1] = form::Field(this, old, 0, "中央子午线", "Text1", "120");
  Text[2] = form::Field(this, old, 1, "X坐标(米)", "Text2", "3431498.595");
  Text[3] = form::Field(this, old, 2, "Y坐标(米)", "Text3", "95509.102");
  QGridLayout* neu = form::Frame(this, frames, "新高斯坐标");
  Text[4] = form::Field(this, neu, 0, "中央子午线", "Text4", "123");
  Text[5] = form::Field(this, neu, 1, "X坐标(米)", "Text5");
  Text[6] = form::Field(this, neu, 2, "Y坐标(米)", "Text6");
  SelectOnEntry({Text[1], Text[2], Text[3], Text[4], Text[5], Text[6]});
  auto* row = new QHBoxLayout;
  auto* compute = new QPushButton("计算(&C)", this);
  compute->setObjectName("LanCh_Cal");
  row->addStretch(1);
  row->addWidget(compute);
  row->addWidget(MakeExitButton("LAnCh_Exit"));
  top->addLayout(row);
  connect(compute, &QPushButton::clicked, this, &FrmLanCh::LanCh_Cal_Click);
}

void FrmLanCh::LanCh_Cal_Click() {
  for (int i = 1; i <= 4; ++i) {
    const std::string_view message = ZoneFieldMessage(form::Std(Text[i]->text()));
    if (!message.empty()) {
      Message(QString::fromUtf8(message.data(), static_cast<int>(message.size())),
              MessageIcon::Warning, "高斯坐标换带");
      Text[i]->setFocus();
      return;
    }
  }
  auto strict = [&](int i) { return *ReadStrict(form::Std(Text[i]->text())); };
  ProjectionState& p = state().Projection;
  state().LanChSavedMeridian = p.CentralMeridian;
  double x = strict(2), y = strict(3);
  ChangeZone(p, kEllipsoid54, Dms2Rad(strict(1)), Dms2Rad(strict(4)), x, y);
  Text[5]->setText(QString::fromStdString(FormatPattern(x, "#.000")));
  Text[6]->setText(QString::fromStdString(FormatPattern(y, "#.000")));
}

void FrmLanCh::OnUnload() { state().Projection.CentralMeridian = state().LanChSavedMeridian; }

}  // namespace vantrel
