#include "plane/ui/trav_frm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "common/text_rules.h"
#include "geodetic/ellipsoid.h"
#include "plane/plane_helpers.h"
#include "plane/traverse.h"
#include "plane/ui/trav_net.h"
#include "plane/ui/ui_parts.h"

namespace vantrel {

using namespace plane_ui;

namespace {
constexpr const char* kTitle = "支导线计算";

QString WriteFailureText(const QString& path, const std::string& error) {
  return "结果文件无法写入：" + QDir::toNativeSeparators(path) + "\n" + Q(error);
}
}  // namespace

TravFrm::TravFrm(AppState& state, const Services& services, const QString& programDir)
    : VDialog(state, services, kTitle) {
  setObjectName("TravFrm");
  Text1 = Field(this, "Text1");
  Text2 = Field(this, "Text2");
  Text3 = Field(this, "Text3");
  Text4 = Field(this, "Text4");
  Text5 = Field(this, "Text5");
  Text10 = Field(this, "Text10");
  Text11 = Field(this, "Text11");
  Text12 = Field(this, "Text12");
  Text13 = Field(this, "Text13");
  Text14 = Field(this, "Text14", "Site0");
  Text8 = Field(this, "Text8");
  Text8->setMinimumWidth(360);

  auto* known = new QGroupBox("已知数据", this);
  Option1 = new QRadioButton("已知后视点的坐标", known);
  Option1->setObjectName("Option1");
  Option2 = new QRadioButton("已知至后视点方向角", known);
  Option2->setObjectName("Option2");
  Option1->setChecked(true);
  BackPointLabel = Caption(known, "后视点坐标", "Label3");
  BackXLabel = Caption(known, "X(米)", "Label4");
  BackYLabel = Caption(known, "Y(米)", "Label5");
  BackAzLabel = Caption(known, "至后视点方向角(D.MS)", "Label6");
  auto* kg = new QGridLayout(known);
  kg->addWidget(Option1, 0, 0, 1, 2);
  kg->addWidget(Option2, 0, 2, 1, 2);
  kg->addWidget(Caption(known, "起算点坐标"), 1, 0, 1, 4);
  kg->addWidget(Caption(known, "X(米)"), 2, 0);
  kg->addWidget(Text1, 2, 1);
  kg->addWidget(Caption(known, "Y(米)"), 2, 2);
  kg->addWidget(Text2, 2, 3);
  kg->addWidget(BackPointLabel, 3, 0, 1, 4);
  kg->addWidget(BackXLabel, 4, 0);
  kg->addWidget(Text3, 4, 1);
  kg->addWidget(BackYLabel, 4, 2);
  kg->addWidget(Text4, 4, 3);
  kg->addWidget(BackAzLabel, 5, 0, 1, 2);
  kg->addWidget(Text5, 5, 2, 1, 2);

  auto* observed = new QGroupBox("观测值", this);
  AddRows(new QGridLayout(observed), observed, {{"转折角(D.MS)", Text10}, {"边长(米)", Text11}});

  auto* mode = new QGroupBox("计算方式", this);
  Check1 = new QCheckBox("转折角为左角", mode);
  Check1->setObjectName("Check1");
  Check1->setChecked(true);
  Check2 = new QCheckBox("起算点往前推", mode);
  Check2->setObjectName("Check2");
  auto* mg = new QVBoxLayout(mode);
  mg->addWidget(Check1);
  mg->addWidget(Check2);

  auto* coords = new QGroupBox("坐标", this);
  AddRows(new QGridLayout(coords), coords, {{"点名", Text14}, {"X(米)", Text12}, {"Y(米)", Text13}});

  Command2 = Button(this, "Command2", "计算(&C)");
  Command3 = Button(this, "Command3", "显示网图(&V)");
  Command4 = Button(this, "Command4", "...");
  Command4->setMaximumWidth(40);
  Command1 = MakeExitButton("Command1", "退出(&E)");

  auto* right = new QVBoxLayout;
  right->addWidget(observed);
  right->addWidget(mode);
  right->addWidget(coords);
  auto* top = new QHBoxLayout;
  top->addWidget(known, 1);
  top->addLayout(right);
  auto* file = new QHBoxLayout;
  file->addWidget(Caption(this, "结果保存至："));
  file->addWidget(Text8, 1);
  file->addWidget(Command4);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Command2);
  buttons->addWidget(Command3);
  buttons->addWidget(Command1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(file);
  layout->addLayout(buttons);

  SelectOnEntry({Text1, Text2, Text3, Text4, Text5, Text8, Text10, Text11, Text12, Text13, Text14});
  connect(Option1, &QRadioButton::clicked, this, &TravFrm::Option1_Click);
  connect(Option2, &QRadioButton::clicked, this, &TravFrm::Option2_Click);
  connect(Command2, &QPushButton::clicked, this, &TravFrm::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &TravFrm::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &TravFrm::Command4_Click);

  Option1_Click();
  CreateDefaultFile(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
}

TravFrm::~TravFrm() = default;

void TravFrm::CreateDefaultFile(const QString& programDir) {
  QString path = QDir(programDir).filePath("traverse.out");
  WriteResult w = CreateTraverseFile(path.toStdString(), TraverseHeadings::Default);
  if (!w.ok) {
    // An installed program's folder is not writable: keep the same name in the user's
    // data folder rather than failing on every leg.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    const QString fallback = QDir(data).filePath("traverse.out");
    WriteResult w2 = CreateTraverseFile(fallback.toStdString(), TraverseHeadings::Default);
    path = fallback;
    if (!w2.ok) Message(WriteFailureText(fallback, w2.error), MessageIcon::Critical, kTitle);
  }
  state().TravResultFile = path.toStdString();
  Text8->setText(QDir::toNativeSeparators(path));
}

void TravFrm::ShowBackSightBy(bool coordinates) {
  for (QWidget* w : {static_cast<QWidget*>(BackPointLabel), static_cast<QWidget*>(BackXLabel),
                     static_cast<QWidget*>(BackYLabel), static_cast<QWidget*>(Text3),
                     static_cast<QWidget*>(Text4)})
    w->setVisible(coordinates);
  BackAzLabel->setVisible(!coordinates);
  Text5->setVisible(!coordinates);
}

void TravFrm::Option1_Click() { ShowBackSightBy(true); }

void TravFrm::Option2_Click() { ShowBackSightBy(false); }

void TravFrm::Command2_Click() {
  struct Check {
    QLineEdit* field;
    bool when;
    const char* message;
  };
  const bool byPoint = Option1->isChecked();
  const Check checks[] = {
      {Text1, true, " 起算点坐标错!"},       {Text2, true, " 起算点坐标错!"},
      {Text3, byPoint, " 后视点坐标错!"},    {Text4, byPoint, " 后视点坐标错!"},
      {Text5, !byPoint, "至后视点方向角错!"}, {Text10, true, " 转折角错!"},
      {Text11, true, " 边长错!"},
  };
  for (const Check& c : checks) {
    if (c.when && !IsNumeric(Std(c.field))) {
      Message(QString::fromUtf8(c.message), MessageIcon::Critical, kTitle);
      c.field->setFocus();
      return;
    }
  }
  const double x0 = ReadLenient(Std(Text1)), y0 = ReadLenient(Std(Text2));
  const double backAz = byPoint ? Xy2az(x0, y0, ReadLenient(Std(Text3)), ReadLenient(Std(Text4)))
                                : Dms2Rad(ReadLenient(Std(Text5)));
  const double angle = Dms2Rad(ReadLenient(Std(Text10)));
  const double side = ReadLenient(Std(Text11));
  const TraverseLeg leg =
      ComputeTraverseLeg(x0, y0, backAz, angle, Check1->isChecked(), side);
  Text12->setText(Q(GeneralNumberText(leg.x)));
  Text13->setText(Q(GeneralNumberText(leg.y)));
  // A name of blanks only would vanish when the file is split on blanks.
  if (IsBlank(Std(Text14))) Text14->setText("新点");
  TraverseRecord record{Std(Text14), leg.x, leg.y, x0, y0, backAz, side, leg.leftAngle};
  WriteResult w = AppendTraverseRecord(state().TravResultFile, record);
  if (!w.ok) {
    // The station stays put: a leg missing from the file must not be walked past.
    Message(WriteFailureText(Q(state().TravResultFile), w.error), MessageIcon::Critical, kTitle);
    return;
  }
  if (Check2->isChecked()) {
    Text1->setText(Q(GeneralNumberText(leg.x)));
    Text2->setText(Q(GeneralNumberText(leg.y)));
    Text3->setText(Q(GeneralNumberText(x0)));
    Text4->setText(Q(GeneralNumberText(y0)));
    double reverse = leg.reverseAzimuth + 1e-13;
    Text5->setText(Q(Rad2dms_Buff(reverse)));
  }
}

void TravFrm::Command3_Click() {
  // A diagram an earlier traverse dialog left open is drawn over, as a second press would.
  if (!net_) net_ = TravNet::OpenOf(state());
  if (!net_) net_ = new TravNet(state(), services(), this);
  net_->show();
  net_->DrawFile();
}

void TravFrm::Command4_Click() {
  // The save dialog asks before replacing an existing file; the old wording of an open
  // dialog would wipe a previous traverse without a word.
  const QString path =
      services().files ? services().files->SaveFile(this, "结果文件", {}, "结果文件 (*.out)")
                       : QString();
  if (path.isEmpty()) return;
  WriteResult w = CreateTraverseFile(path.toStdString(), TraverseHeadings::Chosen);
  if (!w.ok) {
    Message(WriteFailureText(path, w.error), MessageIcon::Critical, kTitle);
    return;
  }
  state().TravResultFile = path.toStdString();
  Text8->setText(QDir::toNativeSeparators(path));
}

void TravFrm::OnUnload() {
  // The diagram outlives the dialog: it becomes a window of its own, where it stood, and
  // lives until its own exit button or close box.
  if (net_ && net_->parentWidget() == this) {
    const QRect where = net_->geometry();
    const bool shown = net_->isVisible();
    net_->setParent(nullptr, net_->windowFlags());
    net_->setGeometry(where);
    if (shown) net_->show();
  }
}

}  // namespace vantrel
