#include "plane/ui/cross_for.h"

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

const char* const kNoIntersectionText = "两个观测角不能构成交会，无法求得P点！";

Cross_For::Cross_For(AppState& state, const Services& services)
    : VDialog(state, services, "前方交会") {
  setObjectName("Cross_For");
  Text1 = Field(this, "Text1", "100");
  Text2 = Field(this, "Text2", "100");
  Text3 = Field(this, "Text3", "0");
  Text4 = Field(this, "Text4", "200");
  Text5 = Field(this, "Text5", "45.0000");
  Text6 = Field(this, "Text6", "45.0000");
  Text7 = Field(this, "Text7");
  Text8 = Field(this, "Text8");
  Cal = Button(this, "Cal", "计算(&C)");
  Exit = MakeExitButton("Exit");

  auto* g = new QGridLayout;
  g->addWidget(Caption(this, "X"), 0, 1, Qt::AlignCenter);
  g->addWidget(Caption(this, "Y"), 0, 2, Qt::AlignCenter);
  g->addWidget(Caption(this, "A点"), 1, 0);
  g->addWidget(Text1, 1, 1);
  g->addWidget(Text2, 1, 2);
  g->addWidget(Caption(this, "B点"), 2, 0);
  g->addWidget(Text3, 2, 1);
  g->addWidget(Text4, 2, 2);
  g->addWidget(Caption(this, "α角"), 3, 0);
  g->addWidget(Text5, 3, 1);
  g->addWidget(Caption(this, "β角"), 4, 0);
  g->addWidget(Text6, 4, 1);
  LayOutPointDialog(this, g, Text7, Text8, new PlaneSketch(PlaneSketch::Kind::Intersection, this), Cal, Exit);

  SelectOnEntry({Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8});
  connect(Cal, &QPushButton::clicked, this, &Cross_For::Cal_Click);
}

void Cross_For::Cal_Click() {
  double v[6];
  QLineEdit* in[6] = {Text1, Text2, Text3, Text4, Text5, Text6};
  for (int i = 0; i < 6; ++i) {
    std::optional<double> d = ReadStrict(Std(in[i]));
    if (!d) return;  // this dialog stops silently on a field that is not a number
    v[i] = *d;
  }
  PlanePoint p;
  if (!ForwardIntersection(v[0], v[1], v[2], v[3], Dms2Rad(v[4]), Dms2Rad(v[5]), p)) {
    Message(QString::fromUtf8(kNoIntersectionText), MessageIcon::Warning, "前方交会");
    return;
  }
  Text7->setText(Q(FormatPattern(p.x, "#.0000")));
  Text8->setText(Q(FormatPattern(p.y, "#.0000")));
}

}  // namespace vantrel
