#include "transform/ui/co_chang2.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "common/text_rules.h"
#include "dialogs/file_progress.h"
#include "geodetic/ellipsoid.h"
#include "transform/rotation_transform.h"

namespace vantrel {
namespace {

const QString kCoChang2Title = "平面坐标转换";

QGroupBox* BrowseFrame(QWidget* parent, const char* name, const QString& caption, QLineEdit* field,
                     QPushButton* browse) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(name);
  field->setParent(frame);
  browse->setParent(frame);
  browse->setFixedWidth(32);
  auto* row = new QHBoxLayout(frame);
  row->addWidget(field, 1);
  row->addWidget(browse);
  return frame;
}

bool SameFile(const QString& a, const QString& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a.toStdString(), b.toStdString(), ec) && !ec;
}

}  // namespace

Co_Chang2::Co_Chang2(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, "平面坐标转换2", parent) {
  setObjectName("Co_Chang2");
  for (int i = 1; i <= 7; ++i) {
    text_[i] = new QLineEdit(i >= 2 && i <= 6 ? "0" : "", this);
    text_[i]->setObjectName(QString("Text%1").arg(i));
  }
  auto* command5 = new QPushButton("...", this);
  command5->setObjectName("Command5");
  auto* command6 = new QPushButton("...", this);
  command6->setObjectName("Command6");
  auto* rotate = new QPushButton("旋转(&R)", this);
  rotate->setObjectName("Rotate");
  rotate->setDefault(true);
  auto* exit = MakeExitButton("Co_Exit");

  auto* centre = new QGroupBox("旋转中心", this);
  centre->setObjectName("Frame3");
  auto* grid = new QGridLayout(centre);
  const char* labels[3] = {"老坐标X、Y", "新坐标X、Y", "旋转角D.MMSS"};
  for (int row = 0; row < 3; ++row) {
    auto* l = new QLabel(labels[row], centre);
    l->setObjectName(QString("Label%1").arg(row + 1));
    grid->addWidget(l, row, 0);
  }
  for (int i = 2; i <= 6; ++i) text_[i]->setParent(centre);
  grid->addWidget(text_[2], 0, 1);
  grid->addWidget(text_[3], 0, 2);
  grid->addWidget(text_[4], 1, 1);
  grid->addWidget(text_[5], 1, 2);
  grid->addWidget(text_[6], 2, 1);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  auto* left = new QVBoxLayout;
  left->addWidget(BrowseFrame(this, "Frame1", "老坐标文件", text_[7], command5));
  left->addWidget(BrowseFrame(this, "Frame2", "新坐标文件", text_[1], command6));
  left->addWidget(centre);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(rotate);
  buttons->addStretch(1);
  buttons->addWidget(exit);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttons);

  connect(rotate, &QPushButton::clicked, this, &Co_Chang2::Rotate_Click);
  connect(command5, &QPushButton::clicked, this, &Co_Chang2::Command5_Click);
  connect(command6, &QPushButton::clicked, this, &Co_Chang2::Command6_Click);
  SelectOnEntry({text_[1], text_[2], text_[3], text_[4], text_[5], text_[6], text_[7]});
  const char* leaving[5] = {"老坐标X必须是数字!", "老坐标Y必须是数字!", "新坐标X必须是数字!",
                            "新坐标Y必须是数字!", "旋转角必须是数字!"};
  for (int i = 2; i <= 6; ++i) CheckOnLeaving(text_[i], leaving[i - 2], kCoChang2Title);
  resize(520, sizeHint().height());
}

void Co_Chang2::Fail(const QString& text) { Message(text, MessageIcon::Critical, kCoChang2Title); }

void Co_Chang2::Command5_Click() {
  QString path = services().files->OpenFile(this, "打开", text_[7]->text(), "老坐标文件 (*.*)");
  if (!path.isEmpty()) text_[7]->setText(path);
}

void Co_Chang2::Command6_Click() {
  // The result file need not exist yet.
  QString path = services().files->SaveFile(this, "打开", {}, "新坐标文件 (*.*)");
  if (!path.isEmpty()) text_[1]->setText(path);
}

void Co_Chang2::Rotate_Click() {
  const QString oldPath = text_[7]->text();
  const QString resultPath = text_[1]->text();
  if (IsBlank(oldPath.toStdString())) return Fail("先选择老坐标文件!");
  if (IsBlank(resultPath.toStdString())) return Fail("先选择新坐标文件!");
  const QFileInfo old(oldPath);
  if (!old.exists()) return Fail("老坐标文件不存在!");
  if (old.isFile() && old.size() == 0) return Fail("老坐标文件为空!");
  // Writing the result over the old file would destroy the points it holds.
  if (SameFile(oldPath, resultPath)) return Fail("新坐标文件不能与老坐标文件相同!");

  auto lenient = [this](int i) { return ReadLenient(text_[i]->text().toStdString()); };
  RotationCentres c{lenient(2), lenient(3), lenient(4), lenient(5), Dms2Rad(lenient(6))};
  std::string error;
  FileProgress progress(this, services().clock);
  auto onMessage = [this, &progress](const std::string& text) {
    progress.Close();
    Fail(QString::fromStdString(text));
  };
  const RotateOutcome rotated =
      RotatePointFile(oldPath.toStdString(), resultPath.toStdString(), c,
                      text_[6]->text().toStdString(), onMessage, error,
                      progress.Stage("正在写入新坐标文件…"));
  progress.Close();
  switch (rotated) {
    case RotateOutcome::Done:
      Message("坐标旋转结束!", MessageIcon::Information, kCoChang2Title);
      break;
    case RotateOutcome::FormatError:
    case RotateOutcome::Cancelled:
      break;
    case RotateOutcome::Unreadable:
      Fail("不能读取老坐标文件" + oldPath + "：" + QString::fromStdString(error));
      break;
    case RotateOutcome::WriteFailed:
      Fail("不能写入新坐标文件" + resultPath + "：" + QString::fromStdString(error));
      break;
  }
}

}  // namespace vantrel
