#include "geodetic/ui/xyz_blh_xyg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <string>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "geodetic/gauss_kruger.h"
#include "geodetic/geodetic_gauss.h"
#include "geodetic/height_anomaly.h"

namespace vantrel {

namespace {

std::string Str(const QLineEdit* e) { return e->text().toStdString(); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// The packed angle text; a value that is not finite (coordinates far out of any range)
// shows nothing rather than digits of garbage.
QString PackedAngle(double rad) {
  if (!std::isfinite(rad)) return {};
  return Q(Rad2dms_Buff(rad));
}

}  // namespace

XYZ_BLH_XYG::XYZ_BLH_XYG(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, "空间坐标－大地坐标", parent) {
  setObjectName("XYZ_BLH_XYG");
  for (int i = 1; i <= 9; ++i) {
    text_[i] = new QLineEdit(this);
    text_[i]->setObjectName(QString("Text%1").arg(i));
    label_[i] = new QLabel(this);
    label_[i]->setObjectName(QString("Label%1").arg(i));
    label_[i]->setBuddy(text_[i]);
  }
  const char* spaceLabels[] = {"", "X=", "Y=", "Z=", "B=", "L=", "H="};
  for (int i = 1; i <= 6; ++i) {
    label_[i]->setText(spaceLabels[i]);
    text_[i]->setMinimumWidth(170);
  }
  label_[7]->setText("投影面高程(米)");
  label_[8]->setText("大地水准面差距(米)");
  label_[9]->setText("中央子午线(D.MMSSS)");
  text_[7]->setText("0");
  text_[8]->setText("0");
  text_[9]->setText("120.000");
  text_[8]->setToolTip("输入数值, 或输入 AUTO 由程序计算");

  auto group = [this](const char* name, const char* caption, int first) {
    auto* box = new QGroupBox(caption, this);
    box->setObjectName(name);
    auto* g = new QGridLayout(box);
    for (int r = 0; r < 3; ++r) {
      g->addWidget(label_[first + r], r, 0, Qt::AlignRight);
      g->addWidget(text_[first + r], r, 1);
    }
    g->setColumnStretch(1, 1);
    return box;
  };
  frame3_ = group("Frame3", "空间坐标", 1);
  frame4_ = group("Frame4", "大地坐标", 4);

  frame1_ = new QGroupBox("参考椭球", this);
  frame1_->setObjectName("Frame1");
  option1_ = new QRadioButton("54椭球", frame1_);
  option1_->setObjectName("Option1");
  option2_ = new QRadioButton("80椭球", frame1_);
  option2_->setObjectName("Option2");
  option3_ = new QRadioButton("84椭球", frame1_);
  option3_->setObjectName("Option3");
  option1_->setChecked(true);
  auto* ol = new QVBoxLayout(frame1_);
  ol->addWidget(option1_);
  ol->addWidget(option2_);
  ol->addWidget(option3_);
  ol->addStretch(1);

  frame2_ = new QGroupBox("投影参数", this);
  frame2_->setObjectName("Frame2");
  auto* pl = new QGridLayout(frame2_);
  for (int r = 0; r < 3; ++r) {
    pl->addWidget(label_[7 + r], r, 0, Qt::AlignRight);
    pl->addWidget(text_[7 + r], r, 1);
  }
  pl->setColumnStretch(1, 1);

  auto* cal = new QPushButton("计算(&C)", this);
  cal->setObjectName("XBG_Cal");
  cal->setDefault(true);
  connect(cal, &QPushButton::clicked, this, &XYZ_BLH_XYG::XBG_Cal_Click);
  auto* exit = MakeExitButton("XBG_Exit");

  auto* top = new QHBoxLayout;
  top->addWidget(frame3_, 1);
  top->addWidget(frame4_, 1);
  auto* middle = new QHBoxLayout;
  middle->addWidget(frame1_);
  middle->addWidget(frame2_, 1);
  middle->addStretch(0);
  auto* buttons = ButtonRow({cal, exit});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(middle);
  layout->addStretch(1);
  layout->addLayout(buttons);

  SelectOnEntry({text_[1], text_[2], text_[3], text_[4], text_[5], text_[6], text_[7], text_[8],
                 text_[9]});

  // Loading: captions and labels by mode.
  if (state.SpaceGeodeticMode) {
    setWindowTitle("空间坐标－大地坐标");
    frame3_->setTitle("空间坐标");
    frame4_->setTitle("大地坐标");
    for (int i = 1; i <= 6; ++i) label_[i]->setText(spaceLabels[i]);
    for (int i : {1, 2, 3, 6}) text_[i]->setPlaceholderText("米");
    for (int i : {4, 5}) text_[i]->setPlaceholderText("度.分秒");
    frame2_->hide();
  } else if (state.GeodeticGaussMode) {
    setWindowTitle("大地坐标－高斯坐标");
    frame3_->setTitle("大地坐标");
    frame4_->setTitle("高斯坐标");
    label_[1]->setText("B=");
    label_[2]->setText("L=");
    label_[4]->setText("Xg=");
    label_[5]->setText("Yg=");
    for (int i : {1, 2}) text_[i]->setPlaceholderText("度.分秒");
    for (int i : {4, 5}) text_[i]->setPlaceholderText("米");
    for (int i : {3, 6}) {
      label_[i]->hide();
      text_[i]->hide();
    }
    frame2_->setEnabled(true);
  }
  resize(sizeHint().expandedTo(QSize(560, 0)));
}

void XYZ_BLH_XYG::Warn(const QString& text) { Message(text, MessageIcon::Warning, windowTitle()); }

void XYZ_BLH_XYG::XBG_Cal_Click() {
  ProjectionState& p = state().Projection;
  const int code = option1_->isChecked() ? 54 : option2_->isChecked() ? 80 : 84;
  p.SetEllipsoid(Get_Earth(code));
  if (!option1_->isChecked()) text_[8]->clear();

  for (int i = 1; i <= 6; ++i) {
    const std::string t = Str(text_[i]);
    if (!IsBlank(t) && !IsNumeric(t)) {
      Warn(Q(CoordinateFieldMessage(i)));
      return;
    }
  }
  if (state().SpaceGeodeticMode) {
    SpaceGeodetic();
  } else if (state().GeodeticGaussMode) {
    GeodeticGauss();
  }
}

void XYZ_BLH_XYG::SpaceGeodetic() {
  ProjectionState& p = state().Projection;
  auto filled = [this](int i) { return !IsBlank(Str(text_[i])); };
  auto value = [this](int i) { return ReadLenient(Str(text_[i])); };
  if (filled(1) && filled(2) && filled(3)) {
    double B = 0, L = 0, H = 0;
    xyzblh(B, L, H, value(1), value(2), value(3), p.ellipsoid());
    text_[4]->setText(PackedAngle(B));
    text_[5]->setText(PackedAngle(L));
    text_[6]->setText(Q(FormatPattern(H, "#.000")));
  } else if (filled(4) && filled(5) && filled(6)) {
    double X = 0, Y = 0, Z = 0;
    BLHXYZ(Dms2Rad(value(4)), Dms2Rad(value(5)), value(6), X, Y, Z, p.ellipsoid());
    text_[1]->setText(Q(FormatPattern(X, "#.000")));
    text_[2]->setText(Q(FormatPattern(Y, "#.000")));
    text_[3]->setText(Q(FormatPattern(Z, "#.000")));
  }
}

void XYZ_BLH_XYG::GeodeticGauss() {
  ProjectionState& p = state().Projection;
  if (!option1_->isChecked()) text_[8]->clear();
  const GaussSetup setup = ReadGaussSetup(p, Str(text_[7]), Str(text_[8]), option1_->isChecked(),
                                          Str(text_[9]));
  if (!setup.message.empty()) {
    Warn(Q(setup.message));
    return;
  }

  auto filled = [this](int i) { return !IsBlank(Str(text_[i])); };
  auto value = [this](int i) { return ReadLenient(Str(text_[i])); };
  if (filled(1) && filled(2)) {
    const double b = value(1), l = value(2);
    if (setup.automatic) {
      const std::string_view outside = AnomalyWindowMessage(b, l);
      if (!outside.empty()) {
        Warn(Q(outside));
        return;
      }
    }
    double x = 0, y = 0;
    GaussForwardPoint(p, Dms2Rad(b), Dms2Rad(l), setup.automatic, x, y);
    text_[8]->setText(Q(FormatPattern(p.GeoidUndulation, "#.0")));
    text_[4]->setText(Q(FormatPattern(x, "#.000")));
    text_[5]->setText(Q(FormatPattern(y, "#.000")));
  } else if (filled(4) && filled(5)) {
    double B = 0, L = 0;
    const std::string_view outside =
        GaussInversePoint(p, value(4), value(5), setup.automatic, B, L);
    if (!outside.empty()) {
      Warn(Q(outside));
      return;
    }
    text_[1]->setText(PackedAngle(B));
    text_[2]->setText(PackedAngle(L));
  }
}

void XYZ_BLH_XYG::OnUnload() { state().Projection.ResetTo84(); }

}  // namespace vantrel
