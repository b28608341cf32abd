#include "transform/ui/co_chang.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "common/text_rules.h"
#include "dialogs/file_progress.h"
#include "transform/common_point_transform.h"
#include "transform/point_files.h"

namespace vantrel {
namespace {

const QString kTitle = "平面坐标转换";
const QString kProgram = "Vantrel";

QLineEdit* Field(QWidget* parent, const char* name, const QString& text = {}) {
  auto* f = new QLineEdit(text, parent);
  f->setObjectName(name);
  return f;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

// A frame holding one field and, optionally, its "..." button.
QGroupBox* FileFrame(QWidget* parent, const char* name, const QString& caption, QLineEdit* field,
                     QPushButton* browse) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(name);
  field->setParent(frame);
  auto* row = new QHBoxLayout(frame);
  row->addWidget(field, 1);
  if (browse) {
    browse->setParent(frame);
    browse->setFixedWidth(32);
    row->addWidget(browse);
  }
  return frame;
}

bool Blank(const QLineEdit* f) { return IsBlank(f->text().toStdString()); }

}  // namespace

QString TextEditorProgram() {
#ifdef Q_OS_WIN
  return "notepad.EXE";
#else
  for (const char* name : {"gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma",
                           "xed", "featherpad", "leafpad", "xedit"}) {
    QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
  }
  return {};
#endif
}

// ---------------------------------------------------------------- Tran_d

Tran_d::Tran_d(const TransformState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state) {
  setObjectName("Tran_d");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("转换参数");
  const char* captions[4] = {"X平移(米)", "Y平移(米)", "旋转角(D.MMSS)", "尺度(PPm)"};
  auto* grid = new QGridLayout;
  for (int i = 0; i < 4; ++i) {
    auto* caption = new QLabel(captions[i], this);
    caption->setObjectName(QString("Label%1").arg(i + 1));
    values_[i] = new QLabel(this);
    values_[i]->setObjectName(QString("Label%1").arg(i + 5));
    values_[i]->setFrameShape(QFrame::StyledPanel);
    values_[i]->setFrameShadow(QFrame::Sunken);
    values_[i]->setMinimumWidth(220);
    values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(caption, i, 0);
    grid->addWidget(values_[i], i, 1);
  }
  grid->setColumnStretch(1, 1);
  auto* exit = Button(this, "Tran_Exit", "退出(&X)");
  connect(exit, &QPushButton::clicked, this, &Tran_d::Tran_Exit_Click);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(exit, 0, Qt::AlignRight);
  Fill();
}

void Tran_d::Fill() {
  const ParamTexts t = FormatTransParam(state_);
  const std::string* texts[4] = {&t.ShiftX, &t.ShiftY, &t.Rotation, &t.Scale};
  for (int i = 0; i < 4; ++i) values_[i]->setText(QString::fromStdString(*texts[i]));
}

// ---------------------------------------------------------------- Co_Chang

Co_Chang::Co_Chang(AppState& state, const Services& services, QWidget* parent)
    : VDialog(state, services, "平面坐标转换1", parent) {
  setObjectName("Co_Chang");
  text1_ = Field(this, "Text1");
  text2_ = Field(this, "Text2");
  text3_ = Field(this, "Text3", "老坐标系");
  text4_ = Field(this, "Text4", "新坐标系");
  auto* command5 = Button(this, "Command5", "...");
  auto* command6 = Button(this, "Command6", "...");
  auto* command1 = Button(this, "Command1", "坐标转换(&C)");
  auto* command4 = Button(this, "Command4", "转换参数(&V)");
  auto* command3 = Button(this, "Command3", "文件编辑器(&N)");
  auto* command2 = MakeExitButton("Command2");
  command1->setDefault(true);

  auto* files = new QVBoxLayout;
  files->addWidget(FileFrame(this, "Frame1", "老坐标文件", text1_, command5));
  files->addWidget(FileFrame(this, "Frame2", "新坐标文件", text2_, command6));
  auto* names = new QHBoxLayout;
  names->addWidget(FileFrame(this, "Frame3", "老坐标系名", text3_, nullptr));
  names->addWidget(FileFrame(this, "Frame4", "新坐标系名", text4_, nullptr));
  files->addLayout(names);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {command1, command4, command3}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(command2);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(files, 1);
  layout->addLayout(buttons);

  connect(command1, &QPushButton::clicked, this, &Co_Chang::Command1_Click);
  connect(command3, &QPushButton::clicked, this, &Co_Chang::Command3_Click);
  connect(command4, &QPushButton::clicked, this, &Co_Chang::Command4_Click);
  connect(command5, &QPushButton::clicked, this, &Co_Chang::Command5_Click);
  connect(command6, &QPushButton::clicked, this, &Co_Chang::Command6_Click);
  // Parameters belong to the files they came from: a new file name makes them stale.
  for (QLineEdit* f : {text1_, text2_})
    connect(f, &QLineEdit::textChanged, this, [this] { this->state().Transform.ParamsReady = false; });
  SelectOnEntry({text1_, text2_, text3_, text4_});
  resize(520, sizeHint().height());
}

void Co_Chang::Fail(const QString& text) { Message(text, MessageIcon::Critical, kTitle); }

void Co_Chang::Command5_Click() {
  QString path = services().files->OpenFile(this, "打开", lastFile_, "老坐标文件 (*.*)");
  if (path.isEmpty()) return;
  lastFile_ = path;
  text1_->setText(path);
}

void Co_Chang::Command6_Click() {
  // The file name is cleared before the dialog opens; its folder stays.
  QString dir = lastFile_.isEmpty() ? QString() : QFileInfo(lastFile_).absolutePath();
  QString path = services().files->OpenFile(this, "打开", dir, "新坐标文件 (*.*)");
  if (path.isEmpty()) return;
  lastFile_ = path;
  text2_->setText(path);
}

void Co_Chang::Command3_Click() {
  const QString editor = TextEditorProgram();
  if (editor.isEmpty() || !services().launcher->StartProgram(editor, {}))
    Message("不能启动文本编辑器!", MessageIcon::Warning, kTitle);
}

void Co_Chang::Command4_Click() {
  if (!state().Transform.ParamsReady) return;
  if (!tranD_) tranD_ = new Tran_d(state().Transform, this);
  tranD_->show();
  tranD_->raise();
}

void Co_Chang::Command1_Click() {
  const QString oldPath = text1_->text();
  const QString newPath = text2_->text();
  if (Blank(text1_)) return Fail("先选择老坐标文件!");
  if (Blank(text2_)) return Fail("先选择新坐标文件!");
  if (!QFileInfo::exists(oldPath)) return Fail("老坐标文件不存在!");
  if (!QFileInfo::exists(newPath)) return Fail("新坐标文件不存在!");

  TransformState& ts = state().Transform;
  // A large file shows its progress; every message takes the progress dialog away first.
  FileProgress progress(this, services().clock);
  auto routineMessage = [this, &progress](const std::string& text) {
    progress.Close();
    Message(QString::fromStdString(text), MessageIcon::None, kProgram);
  };
  auto fail = [this, &progress](const QString& text) {
    progress.Close();
    Fail(text);
  };
  const std::string oldFile = oldPath.toStdString(), newFile = newPath.toStdString();
  GatherOutcome gathered =
      T_Co_New(oldFile, newFile, text3_->text().toStdString(), text4_->text().toStdString(), ts,
               routineMessage, progress.Stage("正在读取坐标文件…"));
  // Nothing was read into the state: it stays as it was.
  if (gathered == GatherOutcome::Unreadable || gathered == GatherOutcome::Cancelled) return;
  if (ts.CommonCount() < 2) return fail("公共点少于2个,不能转换!");
  if (ts.CommonFound > kMaxCommonPoints) {
    progress.Close();
    Message(QString("共有%1个公共点,只用前%2个公共点计算转换参数!")
                .arg(ts.CommonFound)
                .arg(kMaxCommonPoints),
            MessageIcon::Information, kTitle);
  }

  switch (EstimateTransParam(ts)) {
    case EstimateOutcome::Converged:
      break;
    case EstimateOutcome::Rejected:
      ts.ParamsReady = false;
      return fail("公共点不能确定转换参数,不能转换!");
    default:
      ts.ParamsReady = false;
      return fail("不收敛! 坐标转换失败!");
  }
  std::string writeError;
  const AppendOutcome appended = T_Co_Rotate(oldFile, newFile, ts, routineMessage, &writeError,
                                             progress.Stage("正在写入新坐标文件…"));
  progress.Close();
  switch (appended) {
    case AppendOutcome::Unreadable:
    case AppendOutcome::Cancelled:
      ts.ParamsReady = false;
      return;
    case AppendOutcome::WriteFailed:
      ts.ParamsReady = false;
      return Fail("不能写入新坐标文件" + newPath + "：" + QString::fromStdString(writeError));
    default:
      break;
  }
  ts.ParamsReady = true;
  if (tranD_) tranD_->Fill();  // an open parameter window shows the new values
  Message("坐标旋转结束!", MessageIcon::Information, kTitle);
}

}  // namespace vantrel
