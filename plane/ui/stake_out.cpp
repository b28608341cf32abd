#include "plane/ui/stake_out.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "common/text_rules.h"
#include "plane/plane_helpers.h"
#include "plane/stakeout.h"
#include "plane/ui/ui_parts.h"

namespace vantrel {

using plane_ui::Q;
using plane_ui::Std;

namespace {

const QString kCaption = "坐标放样";
const QString kHint = "提示";

QLabel* Output(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setMinimumWidth(110);
  l->setFrameShape(QFrame::StyledPanel);
  l->setFrameShadow(QFrame::Sunken);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

QComboBox* PickList(QWidget* parent, const char* name) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);  // a typed name is not a point of the file
  // A typed name stays as typed: no completion to a listed name ("B" is not "Bk").
  c->setCompleter(nullptr);
  // Leaving the field with a typed name that matches an entry would make the box choose
  // that entry; only a choice from the drop-down is a pick.
  QObject::disconnect(c->lineEdit(), SIGNAL(editingFinished()), c, nullptr);
  c->setMinimumWidth(110);
  return c;
}

}  // namespace

StakeOut::StakeOut(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, kCaption, parent) {
  setObjectName("StakeOut");
  using plane_ui::Caption;
  using plane_ui::Field;

  // Made in the order of their names, which is also the order the Tab key visits them.
  QLineEdit** const fields[] = {&dataFileField_,      &station_.x,        &station_.y,
                                &station_.h,          &back_.x,           &back_.y,
                                &back_.h,             &stake_.x,          &stake_.y,
                                &stake_.h,            &slopeDistance_,    &verticalAngle_,
                                &horizontalDistance_, &instrumentHeight_, &prismHeight_,
                                &backReading_,        &heightDifference_};
  for (int i = 0; i < 17; ++i)
    *fields[i] = Field(this, ("Text" + QByteArray::number(i + 1)).constData());
  backReading_->setText("0.0000");
  slopeDistance_->setText("0");
  verticalAngle_->setText("0.0000");
  horizontalDistance_->setText("0");
  heightDifference_->setText("0");
  instrumentHeight_->setText("0");
  prismHeight_->setText("0");
  dataFileField_->setReadOnly(true);

  // Data file row.
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(Caption(this, "数据文件："));
  fileRow->addWidget(dataFileField_, 1);
  auto* command1 = plane_ui::Button(this, "Command1", "...");
  command1->setFixedWidth(36);
  fileRow->addWidget(command1);

  // The three points: name and X, Y, H.
  station_.name = PickList(this, "Combo1");
  back_.name = PickList(this, "Combo2");
  stake_.name = PickList(this, "Combo3");
  auto pointFrame = [this](const QString& title, const char* frameName, const PointRow& row) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(frameName);
    auto* g = new QGridLayout(box);
    g->addWidget(Caption(box, "点号"), 0, 0);
    g->addWidget(Caption(box, "X"), 0, 1);
    g->addWidget(Caption(box, "Y"), 0, 2);
    g->addWidget(Caption(box, "H"), 0, 3);
    row.name->setParent(box);
    g->addWidget(row.name, 1, 0);
    int column = 1;
    for (QLineEdit* e : {row.x, row.y, row.h}) {
      e->setParent(box);
      g->addWidget(e, 1, column++);
    }
    return box;
  };
  auto* frame1 = pointFrame("测站点点号及坐标", "Frame1", station_);
  auto* frame2 = pointFrame("后视点点号及坐标", "Frame2", back_);
  auto* frame3 = pointFrame("放样点点号及坐标", "Frame3", stake_);

  // Back-sight orientation.
  label12_ = Output(this, "Label12");
  auto* orient = new QGridLayout;
  orient->addWidget(Caption(this, "后视坐标方位角"), 0, 0);
  orient->addWidget(label12_, 0, 1);
  orient->addWidget(Caption(this, "前视水平角"), 0, 2);
  orient->addWidget(backReading_, 0, 3);
  orient->setColumnStretch(1, 1);
  orient->setColumnStretch(3, 1);

  // Total station data.
  auto* station = new QGroupBox("全站仪数据", this);
  station->setObjectName("Frame4");
  auto* gs = new QGridLayout(station);
  const std::pair<const char*, QLineEdit*> measured[] = {{"斜距", slopeDistance_},
                                                          {"高度角", verticalAngle_},
                                                          {"平距", horizontalDistance_},
                                                          {"高差", heightDifference_}};
  for (int k = 0; k < 4; ++k) {
    measured[k].second->setParent(station);
    gs->addWidget(Caption(station, measured[k].first), k, 0);
    gs->addWidget(measured[k].second, k, 1);
  }

  // Setting-out elements.
  auto* elements = new QGroupBox("放样元素", this);
  elements->setObjectName("Frame5");
  label1_ = Output(elements, "Label1");
  label2_ = Output(elements, "Label2");
  label15_ = Output(elements, "Label15");
  label10_ = Output(elements, "Label10");
  label9_ = Caption(elements, "前移", "Label9");
  auto* ge = new QGridLayout(elements);
  plane_ui::AddRows(ge, elements, {{"坐标方位角", label1_}, {"平距", label2_}, {"前视水平角", label15_}});
  ge->addWidget(label9_, 3, 0);
  ge->addWidget(label10_, 3, 1);

  auto* measures = new QHBoxLayout;
  measures->addWidget(station, 1);
  measures->addWidget(elements, 1);

  // Heights.
  label16_ = Output(this, "Label16");
  label19_ = Caption(this, "棱镜抬高", "Label19");
  auto* heights = new QHBoxLayout;
  heights->addWidget(Caption(this, "仪器高"));
  heights->addWidget(instrumentHeight_, 1);
  heights->addWidget(Caption(this, "棱镜高"));
  heights->addWidget(prismHeight_, 1);
  heights->addWidget(label19_);
  heights->addWidget(label16_, 1);

  auto* command2 = plane_ui::Button(this, "Command2", "计算(&C)");
  command2->setDefault(true);
  auto* command3 = MakeExitButton("Command3");
  auto* buttons = ButtonRow({command2, command3});

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fileRow);
  layout->addWidget(frame1);
  layout->addWidget(frame2);
  layout->addWidget(frame3);
  layout->addLayout(orient);
  layout->addLayout(measures);
  layout->addLayout(heights);
  layout->addStretch(1);
  layout->addLayout(buttons);

  connect(command1, &QPushButton::clicked, this, &StakeOut::Command1_Click);
  connect(command2, &QPushButton::clicked, this, &StakeOut::Command2_Click);
  connect(station_.name, &QComboBox::activated, this, &StakeOut::Combo1_Click);
  connect(back_.name, &QComboBox::activated, this, &StakeOut::Combo2_Click);
  connect(stake_.name, &QComboBox::activated, this, &StakeOut::Combo3_Click);
  // Typing a name (not picking one) marks the point as typed by hand.
  connect(station_.name->lineEdit(), &QLineEdit::textEdited, this, [this] { stationTyped_ = true; });
  connect(back_.name->lineEdit(), &QLineEdit::textEdited, this, [this] { backTyped_ = true; });
  connect(stake_.name->lineEdit(), &QLineEdit::textEdited, this, [this] { stakeTyped_ = true; });
  // Any change of the station or back-sight coordinates, by hand or by the dialog itself.
  for (QLineEdit* e : {station_.x, station_.y, station_.h})
    connect(e, &QLineEdit::textChanged, this, [this] { stationTyped_ = true; });
  for (QLineEdit* e : {back_.x, back_.y, back_.h})
    connect(e, &QLineEdit::textChanged, this, [this] { backTyped_ = true; });

  for (QLineEdit* e : {stake_.x, stake_.y, stake_.h})
    ClearOnEntry(e, [this] { stakeTyped_ = true; });
  for (QLineEdit* e : {slopeDistance_, verticalAngle_, horizontalDistance_, instrumentHeight_,
                       prismHeight_, backReading_, heightDifference_})
    ClearOnEntry(e);
  for (QLineEdit* e : {station_.x, station_.y, station_.h, back_.x, back_.y, back_.h})
    e->installEventFilter(this);
  // A keyboard's keys reach the focused combo box, which hands them to its line edit
  // itself (past the edit's filters): both are watched.
  for (const PointRow* row : {&station_, &back_, &stake_}) {
    row->name->installEventFilter(this);
    row->name->lineEdit()->installEventFilter(this);
  }

  resize(620, sizeHint().height());
}

bool StakeOut::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter on a typed name would make the list pick the entry it matches: only a choice
    // from the drop-down is a pick.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      for (const PointRow* row : {&station_, &back_, &stake_})
        if (watched == row->name || watched == row->name->lineEdit()) return true;
    }
  }
  if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // The message box or another window taking the focus is not leaving the field.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      for (QLineEdit* e : NumberFields()) {
        if (watched == e) {
          Normalise(e);
          break;
        }
      }
    }
  }
  return VDialog::eventFilter(watched, event);
}

std::vector<QLineEdit*> StakeOut::NumberFields() const {
  return {station_.x,        station_.y,     station_.h,          back_.x,
          back_.y,           back_.h,        stake_.x,            stake_.y,
          stake_.h,          slopeDistance_, verticalAngle_,      horizontalDistance_,
          instrumentHeight_, prismHeight_,   backReading_,        heightDifference_};
}

void StakeOut::Normalise(QLineEdit* field) {
  const QString shown =
      Q(GeneralNumberText(ReadLenient(IsNum(field->text()).toStdString())));
  // Only a real change counts as editing the field (and sets a typed flag).
  if (shown != field->text()) field->setText(shown);
}

bool StakeOut::ReadF64(const QLineEdit* field, double& value) {
  const auto v = ReadStrict(Std(field));
  if (!v) {
    Message("数据输入必须是数字！", MessageIcon::Warning, kHint);
    return false;
  }
  value = *v;
  return true;
}

bool StakeOut::ReadF32(const QLineEdit* field, float& value) {
  double d = 0;
  if (!ReadF64(field, d)) return false;
  value = static_cast<float>(d);
  return true;
}

bool StakeOut::ShowAngle(QLabel* label, double radians) {
  try {
    label->setText(Q(Arc_Ang(radians)));
    return true;
  } catch (const std::exception&) {
    // An angle that cannot be shown (far out of range, or not a number) ends the computation.
    Message("角度超出范围，无法计算！", MessageIcon::Warning, kCaption);
    return false;
  }
}

void StakeOut::Command1_Click() {
  const QString answer = services().files
                             ? services().files->OpenFile(
                                   this, "打开放样点数据文件", chosenFile_,
                                   "放样点数据文件 (*.out);;文本文件(*.txt);;所有文件 (*)")
                             : QString();
  if (!answer.isEmpty()) chosenFile_ = answer;  // cancelling keeps the name chosen last
  if (chosenFile_.isEmpty()) return;
  LoadFile();
}

void StakeOut::LoadFile() {
  const StakeFileRead read = ReadStakeoutFile(chosenFile_.toStdString());
  if (!read.opened) {
    // The points and lists loaded before stay as they were.
    Message("数据文件无法打开：" + Q(read.error), MessageIcon::Warning, kCaption);
    return;
  }
  dataFileField_->setText(chosenFile_);
  dataFile_ = chosenFile_;
  points_ = read.load.points;
  for (QComboBox* c : {station_.name, back_.name, stake_.name}) {
    c->clear();
    for (const StakePoint& p : points_) c->addItem(Q(p.PtName));
    c->setCurrentIndex(-1);  // nothing is picked until the user picks
    c->clearEditText();
  }
  if (!read.load.complete)
    Message("数据文件中坐标项包含有非数字字符！", MessageIcon::Warning, "数据文件数据输入有误");
}

void StakeOut::Find(const QString& name) {
  const std::string n = name.toStdString();
  for (const StakePoint& p : points_) {
    if (p.PtName == n) {
      foundX_ = p.PtX;
      foundY_ = p.PtY;
      foundH_ = p.PtH;
      return;
    }
  }
}

void StakeOut::ShowPicked(const PointRow& row) {
  Find(row.name->currentText());
  row.x->setText(Q(GeneralNumberText(foundX_)));
  row.y->setText(Q(GeneralNumberText(foundY_)));
  row.h->setText(Q(GeneralNumberText(foundH_)));
}

void StakeOut::PickStationOrBack(const PointRow& row, const PointRow& other,
                                 const QString& sameName, bool& typed) {
  ShowPicked(row);
  if (row.name->currentText() == other.name->currentText()) {
    Message(sameName, MessageIcon::Warning, kHint);
    return;
  }
  if (!IsBlank(Std(other.x)) && !IsBlank(Std(other.y))) {
    float xs, ys, xb, yb;
    if (!ReadF32(station_.x, xs) || !ReadF32(station_.y, ys) || !ReadF32(back_.x, xb) ||
        !ReadF32(back_.y, yb))
      return;
    backAz_ = Fwj(xs, ys, xb, yb);
    if (!ShowAngle(label12_, backAz_)) return;
  }
  typed = false;
}

void StakeOut::Combo1_Click() {
  PickStationOrBack(station_, back_, "测站点与后视点相同", stationTyped_);
}

void StakeOut::Combo2_Click() { PickStationOrBack(back_, station_, "后视点与测站点相同", backTyped_); }

void StakeOut::Combo3_Click() {
  ShowPicked(stake_);
  const QString name = stake_.name->currentText();
  if (name == station_.name->currentText()) {
    Message("放样点与测站点相同", MessageIcon::Warning, kHint);
    return;
  }
  if (name == back_.name->currentText()) {
    Message("放样点与前视点相同", MessageIcon::Warning, kHint);
    return;
  }
  if (!IsBlank(Std(station_.x)) && !IsBlank(Std(station_.y)) && !IsBlank(Std(back_.x)) &&
      !IsBlank(Std(back_.y))) {
    double xs, ys;
    if (!ShowStakeLine(xs, ys)) return;
    if (!label12_->text().isEmpty()) {
      float r0;
      if (!ReadF32(backReading_, r0)) return;
      if (!ShowAngle(label15_, StakeCircleReading(r0, stakeAz_, backAz_))) return;
    }
  }
  stakeTyped_ = false;
}

bool StakeOut::ShowStakeLine(double& xs, double& ys) {
  double xp, yp;
  if (!ReadF64(station_.x, xs) || !ReadF64(station_.y, ys) || !ReadF64(stake_.x, xp) ||
      !ReadF64(stake_.y, yp))
    return false;
  stakeAz_ = StakeAzimuth(xs, ys, xp, yp);
  if (!ShowAngle(label1_, stakeAz_)) return false;
  label2_->setText(Q(FormatPattern(StakeDistance(xs, ys, xp, yp), "0.000")));
  return true;
}

void StakeOut::Command2_Click() {
  // Pressing Alt+C leaves the caret in its field: check that field as leaving it would.
  for (QLineEdit* e : NumberFields())
    if (e->hasFocus()) Normalise(e);

  if (dataFile_.isEmpty()) {
    Message("请打开数据文件!", MessageIcon::Warning, kCaption);
    return;
  }
  for (QLineEdit* e : {station_.x, station_.y, stake_.x, stake_.y})
    if (IsBlank(Std(e))) return;

  double xs, ys;
  if (!ShowStakeLine(xs, ys)) return;

  for (QLineEdit* e : {station_.x, station_.y, back_.x, back_.y})
    if (IsBlank(Std(e))) return;
  double xb, yb;
  float r0, v;
  if (!ReadF64(back_.x, xb) || !ReadF64(back_.y, yb) || !ReadF32(backReading_, r0) ||
      !ReadF32(verticalAngle_, v))
    return;
  backAz_ = StakeAzimuth(xs, ys, xb, yb);
  if (!ShowAngle(label12_, backAz_)) return;
  if (!ShowAngle(label15_, StakeCircleReading(r0, stakeAz_, backAz_))) return;

  const double sd = ReadLenient(Std(slopeDistance_));
  if (sd != 0) {
    const SlopeReduction r = ReduceSlope(sd, v);
    horizontalDistance_->setText(Q(FormatPattern(r.horizontal, "0.000")));
    heightDifference_->setText(Q(FormatPattern(r.height, "0.000")));
  }
  const PrismMove move = StakePrismMove(ReadLenient(Std(horizontalDistance_)),
                                        ReadLenient(label2_->text().toStdString()));
  label10_->setText(Q(FormatPattern(move.amount, "0.000")));
  label9_->setText(move.forward ? "前移" : "后移");

  const double c = StakeHeightCorrection(
      ReadLenient(Std(instrumentHeight_)), ReadLenient(Std(station_.h)),
      ReadLenient(Std(prismHeight_)), ReadLenient(Std(heightDifference_)),
      ReadLenient(Std(stake_.h)));
  label16_->setText(Q(FormatPattern(c, "0.000")));
  label19_->setText(ReadLenient(label16_->text().toStdString()) > 0 ? "棱镜上移" : "棱镜下移");

  RecordTypedPoints();

  verticalAngle_->setText("0");
  slopeDistance_->setText("0");
}

void StakeOut::RecordTypedPoints() {
  struct Typed {
    bool* flag;
    const PointRow& row;
  } typed[] = {{&stationTyped_, station_}, {&backTyped_, back_}, {&stakeTyped_, stake_}};
  std::vector<std::string> lines;
  std::vector<bool*> written;
  bool badName = false;
  for (const Typed& t : typed) {
    if (!*t.flag) continue;
    const std::string name = Std(t.row.name->lineEdit());
    // A nameless point, or one with a blank inside its name, would not read back as itself.
    if (IsBlank(name) || name.find(' ') != std::string::npos) {
      badName = true;
      continue;
    }
    lines.push_back(StakeAddLine(name, Std(t.row.x), Std(t.row.y), Std(t.row.h)));
    written.push_back(t.flag);
  }
  if (!lines.empty()) {
    const StakeAppend a = AppendStakeoutLines(dataFile_.toStdString(), lines);
    if (!a.ok) {
      Message("无法向数据文件添加点：" + Q(a.error), MessageIcon::Warning, kCaption);
    } else {
      // Recorded once: a later edit marks the point again.
      for (bool* f : written) *f = false;
    }
  }
  if (badName)
    Message("点号为空或含有空格的点未添加到数据文件。", MessageIcon::Warning, kCaption);
}

}  // namespace vantrel
