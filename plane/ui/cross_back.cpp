#include "plane/ui/cross_back.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "plane/intersection.h"
#include "plane/ui/sketch.h"
#include "plane/ui/ui_parts.h"

namespace vantrel {

using namespace plane_ui;

Cross_Back::Cross_Back(AppState& state, const Services& services)
    : VDialog(state, services, "后方交会") {
  setObjectName("Cross_Back");
  Text1 = Field(this, "Text1", "100");
  Text2 = Field(this, "Text2", "100");
  Text3 = Field(this, "Text3", "0");
  Text4 = Field(this, "Text4", "200");
  Text5 = Field(this, "Text5", "170.0000");
  Text6 = Field(this, "Text6", "160.0000");
  Text7 = Field(this, "Text7", "250");
  Text8 = Field(this, "Text8", "250");
  Text9 = Field(this, "Text9");
  Text10 = Field(this, "Text10");
  Cal = Button(this, "Cal", "计算(&C)");
  Exit = MakeExitButton("Exit");

  auto* g = new QGridLayout;
  g->addWidget(Caption(this, "X"), 0, 1, Qt::AlignCenter);
  g->addWidget(Caption(this, "Y"), 0, 2, Qt::AlignCenter);
  const std::pair<QString, std::pair<QLineEdit*, QLineEdit*>> rows[] = {
      {"A点", {Text1, Text2}}, {"B点", {Text3, Text4}}, {"C点", {Text7, Text8}}};
  int r = 1;
  for (auto& [label, fields] : rows) {
    g->addWidget(Caption(this, label), r, 0);
    g->addWidget(fields.first, r, 1);
    g->addWidget(fields.second, r, 2);
    ++r;
  }
  g->addWidget(Caption(this, "α角"), 4, 0);
  g->addWidget(Text5, 4, 1);
  g->addWidget(Caption(this, "β角"), 5, 0);
  g->addWidget(Text6, 5, 1);
  LayOutPointDialog(this, g, Text9, Text10, new PlaneSketch(PlaneSketch::Kind::Resection, this), Cal, Exit);

  SelectOnEntry({Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10});
  connect(Cal, &QPushButton::clicked, this, &Cross_Back::Cal_Click);
}

void Cross_Back::Cal_Click() {
  double v[8];
  QLineEdit* in[8] = {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8};
  for (int i = 0; i < 8; ++i) {
    std::optional<double> d = ReadStrict(Std(in[i]));
    if (!d) return;  // silent stop, as for every field check of this dialog
    v[i] = *d;
  }
  PlanePoint p;
  switch (Resection(v[0], v[1], v[2], v[3], v[6], v[7], Dms2Rad(v[4]), Dms2Rad(v[5]), p)) {
    case ResectionStatus::DangerCircle:
      Message("危险圆！ ", MessageIcon::None, "Vantrel");
      return;
    case ResectionStatus::Fault:
      return;
    case ResectionStatus::Ok:
      break;
  }
  Text9->setText(Q(FormatPattern(p.x, "#.0000")));
  Text10->setText(Q(FormatPattern(p.y, "#.0000")));
}

}  // namespace vantrel
