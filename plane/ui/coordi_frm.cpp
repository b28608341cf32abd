#include "plane/ui/coordi_frm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "common/text_rules.h"
#include "plane/intersection.h"
#include "plane/plane_helpers.h"
#include "plane/ui/ui_parts.h"

namespace vantrel {

using namespace plane_ui;

namespace {

bool HoldsNumber(const QLineEdit* e) {
  const std::string t = Std(e);
  return !t.empty() && IsNumeric(t);
}

double Strict(const QLineEdit* e) { return ReadStrict(Std(e)).value_or(0); }

QGroupBox* Frame(QWidget* parent, const QString& title,
                 std::initializer_list<std::pair<QString, QWidget*>> rows) {
  auto* box = new QGroupBox(title, parent);
  AddRows(new QGridLayout(box), box, rows);
  return box;
}

}  // namespace

CoordiFrm::CoordiFrm(AppState& state, const Services& services)
    : VDialog(state, services, "坐标正反算") {
  setObjectName("CoordiFrm");
  Text1 = Field(this, "Text1", "100");
  Text2 = Field(this, "Text2", "100");
  Text3 = Field(this, "Text3", "200");
  Text4 = Field(this, "Text4", "200");
  Text5 = Field(this, "Text5");
  Text6 = Field(this, "Text6");
  Text7 = Field(this, "Text7");
  Text8 = Field(this, "Text8");
  Text9 = Field(this, "Text9");
  Text10 = Field(this, "Text10");
  Command1 = Button(this, "Command1", "计算(&C)");
  Command2 = MakeExitButton("Command2");

  auto* polar = new QGroupBox("极坐标", this);
  auto* pg = new QGridLayout(polar);
  pg->addWidget(Caption(polar, "距离"), 0, 0);
  pg->addWidget(Text5, 0, 1, 1, 5);
  pg->addWidget(Caption(polar, "方位角"), 1, 0);
  pg->addWidget(Text6, 1, 1);
  pg->addWidget(Caption(polar, "度"), 1, 2);
  pg->addWidget(Text7, 1, 3);
  pg->addWidget(Caption(polar, "分"), 1, 4);
  pg->addWidget(Text8, 1, 5);
  pg->addWidget(Caption(polar, "秒"), 1, 6);
  for (QLineEdit* e : {Text6, Text7, Text8}) e->setMinimumWidth(70);

  auto* top = new QHBoxLayout;
  top->addWidget(Frame(this, "1号点", {{"X=", Text1}, {"Y=", Text2}}));
  top->addWidget(Frame(this, "2号点", {{"X=", Text3}, {"Y=", Text4}}));
  top->addWidget(Frame(this, "坐标差", {{"DX=", Text9}, {"DY=", Text10}}));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(polar);
  layout->addLayout(buttons);

  SelectOnEntry({Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10});
  connect(Command1, &QPushButton::clicked, this, &CoordiFrm::Command1_Click);
}

void CoordiFrm::Command1_Click() {
  auto showPolar = [this](double s, double alpha) {
    AzimuthParts p = SplitAzimuth(alpha);
    Text5->setText(Q(GeneralNumberText(s)));
    Text6->setText(Q(GeneralNumberText(p.degrees)));
    Text7->setText(Q(GeneralNumberText(p.minutes)));
    Text8->setText(Q(FormatPattern(p.seconds, "#.0000")));
  };
  auto clearPoints = [this] {
    for (QLineEdit* e : {Text1, Text2, Text3, Text4}) e->clear();
  };
  if (HoldsNumber(Text1) && HoldsNumber(Text2) && HoldsNumber(Text3) && HoldsNumber(Text4)) {
    const double x1 = Strict(Text1), y1 = Strict(Text2), x2 = Strict(Text3), y2 = Strict(Text4);
    Text9->setText(Q(GeneralNumberText(x2 - x1)));
    Text10->setText(Q(GeneralNumberText(y2 - y1)));
    showPolar(Xy2d(x1, y1, x2, y2), Xy2az(x1, y1, x2, y2));
  } else if (HoldsNumber(Text9) && HoldsNumber(Text10)) {
    const double dx = ReadLenient(Std(Text9)), dy = ReadLenient(Std(Text10));
    clearPoints();
    showPolar(Xy2d(0, 0, dx, dy), Xy2az(0, 0, dx, dy));
  } else if (HoldsNumber(Text5) && HoldsNumber(Text6) && HoldsNumber(Text7) &&
             HoldsNumber(Text8)) {
    const double s = Strict(Text5);
    const double alpha = JoinAzimuth(Strict(Text6), Strict(Text7), Strict(Text8));
    clearPoints();
    double dx = 0, dy = 0;
    PolarOffsets(s, alpha, dx, dy);
    Text9->setText(Q(GeneralNumberText(dx)));
    Text10->setText(Q(GeneralNumberText(dy)));
  }
}

}  // namespace vantrel
