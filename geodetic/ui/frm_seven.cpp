#include "geodetic/ui/frm_seven.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <optional>
#include <span>

#include "common/file_replace.h"
#include "common/text_rules.h"
#include "geodetic/seven_parameter.h"
#include "geodetic/ui/form_parts.h"

namespace vantrel {

namespace {
const char* const kSevenTitle = "七参数坐标转换";
QString Four(double v) { return QString::fromStdString(FormatPattern(v, "#.0000")); }
}  // namespace

FrmSeven::FrmSeven(AppState& state, const Services& services)
    : VDialog(state, services, kSevenTitle), gridPath_(CorrectionGridPath()) {
  setObjectName("FrmSeven");
  auto* top = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  top->addLayout(columns);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  Text[0] = nullptr;
  auto field = [&](QGridLayout* g, int row, int n, const QString& text) {
    const std::string_view caption = SevenFieldCaption(n);
    Text[n] = form::Field(this, g, row, QString::fromUtf8(caption.data(), static_cast<int>(caption.size())),
                          QString("Text%1").arg(n), text);
  };
  QGridLayout* old = form::Frame(this, left, "老空间坐标");
  field(old, 0, 8, "-2893349.8654");
  field(old, 1, 9, "4628753.6527");
  field(old, 2, 10, "3288072.7244");
  QGridLayout* par = form::Frame(this, left, "转换参数");
  field(par, 0, 1, "81.37785");
  field(par, 1, 2, "197.46387");
  field(par, 2, 3, "167.83978");
  field(par, 3, 4, "-1.01922");
  field(par, 4, 5, "5.04083");
  field(par, 5, 6, ".197089");
  field(par, 6, 7, "-14.99384");
  QGridLayout* proj = form::Frame(this, right, "投影参数");
  proj->addWidget(new QLabel("参考椭球", this), 0, 0);
  Combo1 = new QComboBox(this);
  Combo1->setObjectName("Combo1");
  Combo1->addItems({"54椭球", "80椭球", "84椭球"});
  Combo1->setCurrentIndex(0);
  proj->addWidget(Combo1, 0, 1);
  field(proj, 1, 11, "123");
  field(proj, 2, 12, "0");
  field(proj, 3, 13, "500");
  field(proj, 4, 14, "0");
  QGridLayout* space = form::Frame(this, right, "新空间坐标");
  Label17 = form::Output(this, space, 0, "X=", "Label17");
  Label18 = form::Output(this, space, 1, "Y=", "Label18");
  Label19 = form::Output(this, space, 2, "Z=", "Label19");
  QGridLayout* gauss = form::Frame(this, right, "新高斯坐标");
  Label8 = form::Output(this, gauss, 0, "Xg=", "Label8");
  Label9 = form::Output(this, gauss, 1, "Yg=", "Label9");
  Label10 = form::Output(this, gauss, 2, "Hg=", "Label10");
  QGridLayout* corr = form::Frame(this, right, "高程修正");
  Label21 = form::Output(this, corr, 0, "Dh=", "Label21");
  Label7 = qobject_cast<QLabel*>(corr->itemAtPosition(0, 0)->widget());
  Label7->setObjectName("Label7");
  SelectOnEntry({Text[1], Text[2], Text[3], Text[4], Text[5], Text[6], Text[7], Text[8], Text[9],
                 Text[10], Text[11], Text[12], Text[13], Text[14]});

  auto* row = new QHBoxLayout;
  Command1 = new QPushButton("计算(&C)", this);
  Command1->setObjectName("Command1");
  Command2 = new QPushButton("修正(&A)", this);
  Command2->setObjectName("Command2");
  Command2->setEnabled(false);
  row->addStretch(1);
  row->addWidget(Command1);
  row->addWidget(Command2);
  row->addWidget(MakeExitButton("Command3"));
  top->addLayout(row);
  connect(Command1, &QPushButton::clicked, this, &FrmSeven::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &FrmSeven::Command2_Click);
}

void FrmSeven::Command1_Click() {
  Command2->setEnabled(true);
  // Fields read by the strict rule in the dialog's order; the first that is not a number is
  // named in a message and the computation stops there. The new space coordinates are
  // shown before the projection fields are read, so they stay when one of those is bad.
  double v[15] = {};
  auto read = [&](std::span<const int> fields) {
    for (int n : fields) {
      std::optional<double> x = ReadStrict(form::Std(Text[n]->text()));
      if (!x) {
        Message(QString::fromStdString(SevenFieldMessage(n)), MessageIcon::Critical, kSevenTitle);
        Text[n]->setFocus();
        return false;
      }
      v[n] = *x;
    }
    return true;
  };
  if (!read(kSevenFieldsBeforeShow)) return;
  const SevenParameters p{v[1], v[2], v[3], v[4], v[5], v[6], v[7]};
  double Xn = 0, Yn = 0, Zn = 0;
  SevenParameterTransform(p, v[8], v[9], v[10], Xn, Yn, Zn);
  Label17->setText(Four(Xn));
  Label18->setText(Four(Yn));
  Label19->setText(Four(Zn));
  const Ellipsoid ell[] = {kEllipsoid54, kEllipsoid80, kEllipsoid84};
  const Ellipsoid chosen = ell[std::max(0, Combo1->currentIndex())];
  state().Projection.SetEllipsoid(chosen);
  if (!read(kSevenFieldsAfterShow)) return;
  const SevenResult r = SevenParameterCompute(state().Projection, p, v[8], v[9], v[10], chosen,
                                              v[11], v[12], v[13], v[14]);
  Label8->setText(Four(r.Xg));
  Label9->setText(Four(r.Yg));
  Label10->setText(Four(r.Hg));
}

void FrmSeven::Command2_Click() {
  const std::optional<double> x = ReadStrict(form::Std(Label8->text()));
  const std::optional<double> y = ReadStrict(form::Std(Label9->text()));
  if (!x || !y) {
    Message("没有可修正的高斯坐标, 请先计算!", MessageIcon::Critical, kSevenTitle);
    return;
  }
  const HeightCorrection c = InterpolateHeightCorrection(*x, *y);
  if (c.coincident >= 0) {
    Label7->setText("Dh=" + QString::fromStdString(FormatPattern(c.dh, "#.0000")));
    return;
  }
  Label21->setText(Four(c.dh));
  if (gridPath_.empty()) {
    Message("找不到用户主目录, 修正格网文件无法写入!", MessageIcon::Critical, kSevenTitle);
    return;
  }
  const WriteResult w = ReplaceTextFile(gridPath_, CorrectionGridLines());
  if (!w.ok) {
    Message(QString("修正格网文件 %1 无法写入: %2")
                .arg(QString::fromStdString(gridPath_), QString::fromStdString(w.error)),
            MessageIcon::Critical, kSevenTitle);
  }
}

}  // namespace vantrel
