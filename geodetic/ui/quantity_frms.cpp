#include "geodetic/ui/quantity_frms.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <cmath>

#include "common/text_rules.h"
#include "geodetic/geodetic_quantities.h"
#include "geodetic/ui/form_parts.h"

namespace vantrel {

namespace {

using form::Std;

// The compute and exit buttons at the foot of a dialog.
QPushButton* Buttons(VDialog* owner, QBoxLayout* into, QPushButton* exit) {
  auto* compute = new QPushButton("计算(&C)", owner);
  compute->setObjectName("Radius_cal");
  into->addLayout(ButtonRow({compute, exit}));
  return compute;
}

void CopyOptions(QRadioButton* to[3], const form::EllipsoidOptions& o) {
  for (int i = 0; i < 3; ++i) to[i] = o.option[i];
}

Ellipsoid ChosenEllipsoid(QRadioButton* const option[3]) {
  return form::EllipsoidOptions{{option[0], option[1], option[2]}}.Chosen();
}

// The two known angles (D.MMSS in the fields) as radians, with the chosen ellipsoid set in
// the program state; false, and nothing set, when either field is not a number.
bool TwoAngles(const QLineEdit* first, const QLineEdit* second, QRadioButton* const option[3],
               ProjectionState& p, double& a, double& b) {
  if (!IsNumeric(Std(first->text())) || !IsNumeric(Std(second->text()))) return false;
  a = Dms2Rad(*ReadStrict(Std(first->text())));
  b = Dms2Rad(*ReadStrict(Std(second->text())));
  p.SetEllipsoid(ChosenEllipsoid(option));
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------
RadiusFrm::RadiusFrm(AppState& state, const Services& services)
    : VDialog(state, services, "曲率半径") {
  setObjectName("RadiusFrm");
  auto* top = new QVBoxLayout(this);
  QGridLayout* known = form::Frame(this, top, "已知数据");
  Text1 = form::Field(this, known, 0, "纬度", "Text1");
  Text2 = form::Field(this, known, 1, "方位", "Text2");
  CopyOptions(Option, form::EllipsoidFrame(this, top));
  QGridLayout* out = form::Frame(this, top, "输出结果");
  Label7 = form::Output(this, out, 0, "卯酉圈曲率半径N(米)：", "Label7");
  Label8 = form::Output(this, out, 1, "子午圈曲率半径M(米)：", "Label8");
  Label9 = form::Output(this, out, 2, "平均曲率半径R(米)：", "Label9");
  Label10 = form::Output(this, out, 3, "法截线曲率半径Ra(米)：", "Label10");
  QPushButton* compute = Buttons(this, top, MakeExitButton("Radius_Exit"));
  connect(compute, &QPushButton::clicked, this, &RadiusFrm::Radius_cal_Click);
}

void RadiusFrm::Radius_cal_Click() {
  ProjectionState& p = state().Projection;
  double B, A;
  if (!TwoAngles(Text1, Text2, Option, p, B, A)) return;
  double N, M, R, RA;
  Radius_Cal(B, A, p.EllipsoidA, p.EllipsoidE2, N, M, R, RA);
  Label7->setText(QString::fromStdString(FormatPattern(N, "#.0000")));
  Label8->setText(QString::fromStdString(FormatPattern(M, "#.0000")));
  Label9->setText(QString::fromStdString(FormatPattern(R, "#.0000")));
  Label10->setText(QString::fromStdString(FormatPattern(RA, "#.0000")));
}

// ---------------------------------------------------------------------------------------
MArcLenFrm::MArcLenFrm(AppState& state, const Services& services)
    : VDialog(state, services, "子午圈弧长") {
  setObjectName("MArcLenFrm");
  auto* top = new QVBoxLayout(this);
  QGridLayout* known = form::Frame(this, top, "已知数据");
  Text1 = form::Field(this, known, 0, "起始纬度", "Text1");
  Text2 = form::Field(this, known, 1, "结束纬度", "Text2");
  CopyOptions(Option, form::EllipsoidFrame(this, top));
  auto* result = new QGridLayout;
  Label7 = form::Output(this, result, 0, "子午圈弧长(米)：", "Label7");
  top->addLayout(result);
  SelectOnEntry({Text1, Text2});
  QPushButton* compute = Buttons(this, top, MakeExitButton("Radius_Exit"));
  connect(compute, &QPushButton::clicked, this, &MArcLenFrm::Radius_cal_Click);
}

void MArcLenFrm::Radius_cal_Click() {
  Label7->setText(QString());
  ProjectionState& p = state().Projection;
  double B1, B2;
  if (!TwoAngles(Text1, Text2, Option, p, B1, B2)) return;
  double S;
  MArcLen_cal(B1, B2, p.EllipsoidA, p.EllipsoidE2, S);
  Label7->setText(QString::fromStdString(FormatPattern(S, "#.000000000")));
}

// ---------------------------------------------------------------------------------------
NArcLenFrm::NArcLenFrm(AppState& state, const Services& services)
    : VDialog(state, services, "平行圈弧长") {
  setObjectName("NArcLenFrm");
  auto* top = new QVBoxLayout(this);
  QGridLayout* known = form::Frame(this, top, "已知数据");
  Text1 = form::Field(this, known, 0, "纬度", "Text1");
  Text2 = form::Field(this, known, 1, "经度差", "Text2");
  CopyOptions(Option, form::EllipsoidFrame(this, top));
  auto* result = new QGridLayout;
  Label7 = form::Output(this, result, 0, "平行圈弧长(米)：", "Label7");
  top->addLayout(result);
  SelectOnEntry({Text1, Text2});
  QPushButton* compute = Buttons(this, top, MakeExitButton("Radius_Exit"));
  connect(compute, &QPushButton::clicked, this, &NArcLenFrm::Radius_cal_Click);
}

void NArcLenFrm::Radius_cal_Click() {
  Label7->setText(QString());
  ProjectionState& p = state().Projection;
  double B, l;
  if (!TwoAngles(Text1, Text2, Option, p, B, l)) return;
  double S;
  NArcLen_cal(B, l, p.EllipsoidA, p.EllipsoidE2, S);
  Label7->setText(QString::fromStdString(FormatPattern(S, "#.0000")));
}

// ---------------------------------------------------------------------------------------
ThreeCorFrm::ThreeCorFrm(AppState& state, const Services& services)
    : VDialog(state, services, "三差改正") {
  setObjectName("ThreeCorFrm");
  auto* top = new QVBoxLayout(this);
  QGridLayout* known = form::Frame(this, top, "已知数据");
  Text[0] = nullptr;
  Text[1] = form::Field(this, known, 0, "测站纬度(D.MS)", "Text1");
  Text[2] = form::Field(this, known, 1, "目标纬度(D.MS)", "Text2");
  Text[3] = form::Field(this, known, 2, "垂线偏差(秒)", "Text3");
  Text[4] = new QLineEdit(this);
  Text[4]->setObjectName("Text4");
  Text[4]->setMinimumWidth(140);
  known->addWidget(Text[4], 2, 2);
  Text[5] = form::Field(this, known, 3, "目标高度(米)", "Text5");
  Text[6] = form::Field(this, known, 4, "至目标距离(米)", "Text6");
  Text[7] = form::Field(this, known, 5, "至目标方位(D.MS)", "Text7");
  Text[8] = form::Field(this, known, 6, "天顶距(D.MS)", "Text8");
  QGridLayout* out = form::Frame(this, top, "输出结果");
  Label7 = form::Output(this, out, 0, "垂线偏差改正(秒)：", "Label7");
  Label8 = form::Output(this, out, 1, "目标高度改正(秒)：", "Label8");
  Label9 = form::Output(this, out, 2, "法截弧大地线改正(秒)：", "Label9");
  SelectOnEntry({Text[1], Text[2], Text[3], Text[4], Text[5], Text[6], Text[7], Text[8]});
  QPushButton* compute = Buttons(this, top, MakeExitButton("Radius_Exit"));
  connect(compute, &QPushButton::clicked, this, &ThreeCorFrm::Radius_cal_Click);
}

void ThreeCorFrm::Radius_cal_Click() {
  Label7->setText(QString());
  Label8->setText(QString());
  Label9->setText(QString());
  for (int i = 1; i <= 8; ++i) {
    if (!IsNumeric(Std(Text[i]->text()))) return;
  }
  auto lenient = [&](int i) { return ReadLenient(Std(Text[i]->text())); };
  const double B1 = Dms2Rad(*ReadStrict(Std(Text[1]->text())));
  const double B2 = Dms2Rad(*ReadStrict(Std(Text[2]->text())));
  const double xi = lenient(3), eta = lenient(4), H = lenient(5), S = lenient(6);
  const double A = Dms2Rad(lenient(7));
  const double z = Dms2Rad(lenient(8));
  double du, dh, dg;
  Three_Cor_cal(xi, eta, A, z, B1, B2, H, S, du, dh, dg);
  if (!ZenithDistanceUsable(z)) {
    Message("天顶距无效, 不能为0!", MessageIcon::Warning, "三差改正");
    return;
  }
  // Any other overflow (deflections near the largest number) stops silently, as a field
  // that is not a number does; the zenith message would blame the wrong field.
  if (!std::isfinite(du) || !std::isfinite(dh) || !std::isfinite(dg)) return;
  Label7->setText(QString::fromStdString(FormatPattern(du, "#.0000")));
  Label8->setText(QString::fromStdString(FormatPattern(dh, "#.0000")));
  Label9->setText(QString::fromStdString(FormatPattern(dg, "#.0000")));
}

}  // namespace vantrel
