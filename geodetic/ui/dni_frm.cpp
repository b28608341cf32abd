#include "geodetic/ui/dni_frm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "geodetic/height_anomaly.h"

namespace vantrel {

namespace {
const QString kTitle = "54椭球大地水准面差距";
}

DniFrm::DniFrm(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, kTitle, parent) {
  setObjectName("DniFrm");
  auto* frame = new QGroupBox("位置", this);
  frame->setObjectName("Frame1");
  text1_ = new QLineEdit("31.000000", frame);
  text1_->setObjectName("Text1");
  text1_->setPlaceholderText("度.分秒");
  text2_ = new QLineEdit("121.3030", frame);
  text2_->setObjectName("Text2");
  text2_->setPlaceholderText("度.分秒");
  auto* l1 = new QLabel("纬度", frame);
  l1->setObjectName("Label1");
  l1->setBuddy(text1_);
  auto* l2 = new QLabel("经度", frame);
  l2->setObjectName("Label3");
  l2->setBuddy(text2_);
  auto* g = new QGridLayout(frame);
  g->addWidget(l1, 0, 0);
  g->addWidget(text1_, 0, 1);
  g->addWidget(l2, 1, 0);
  g->addWidget(text2_, 1, 1);
  g->setColumnStretch(1, 1);

  auto* caption = new QLabel("大地水准面差距：", this);
  caption->setObjectName("Label4");
  label2_ = new QLabel(this);
  label2_->setObjectName("Label2");
  label2_->setMinimumWidth(120);
  label2_->setFrameShape(QFrame::StyledPanel);
  label2_->setFrameShadow(QFrame::Sunken);
  label2_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* result = new QHBoxLayout;
  result->addWidget(caption);
  result->addWidget(label2_, 1);

  auto* cal = new QPushButton("计算(&C)", this);
  cal->setObjectName("Dni_Cal");
  cal->setDefault(true);
  connect(cal, &QPushButton::clicked, this, &DniFrm::Dni_Cal_Click);
  auto* exit = MakeExitButton("Dni_Exit");
  auto* buttons = ButtonRow({cal, exit});

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(result);
  layout->addStretch(1);
  layout->addLayout(buttons);
  SelectOnEntry({text1_, text2_});
  resize(360, sizeHint().height());
}

void DniFrm::Dni_Cal_Click() {
  const auto b = ReadStrict(text1_->text().toStdString());
  const auto l = ReadStrict(text2_->text().toStdString());
  if (!b || !l) return;  // this dialog stops silently on text that is not a number
  const std::string_view outside = AnomalyWindowMessage(*b, *l);
  if (!outside.empty()) {
    Message(QString::fromUtf8(outside.data(), static_cast<int>(outside.size())),
            MessageIcon::Critical, kTitle);
    return;
  }
  const double B = Dms2Rad(*b) * 180 / kPi;
  const double L = Dms2Rad(*l) * 180 / kPi;
  const double zeta = HeightAnomaly54(B, L);
  label2_->setText(QString::fromStdString(FormatPattern(zeta, ".000")) + "米");
}

}  // namespace vantrel
