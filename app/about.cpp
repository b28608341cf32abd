#include "app/about.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/artwork.h"

namespace vantrel {

frmAbout::frmAbout(AppState& state, const Services& services, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      state_(state), services_(services), mainWindow_(mainWindow) {
  setObjectName("frmAbout");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("关于 Vantrel");
  setWindowIcon(Artwork::AppIcon());

  auto* picture = new QLabel(this);
  picture->setObjectName("picIcon");
  picture->setPixmap(Artwork::Picture("vantrel", QSize(64, 64)));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  auto* title = new QLabel("Vantrel", this);
  title->setObjectName("lblTitle");
  QFont tf = title->font();
  tf.setPointSizeF(tf.pointSizeF() * 1.8);
  tf.setBold(true);
  title->setFont(tf);
  auto* version = new QLabel("版本1.0.0", this);
  version->setObjectName("lblVersion");
  auto* description = new QLabel("说明：该版本Vantrel程序主要用于常用的测量计算。", this);
  description->setObjectName("lblDescription");
  description->setWordWrap(true);

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* warning = new QLabel(
      "警告：本程序受著作权法保护。未经许可，不得复制、修改或传播本程序的全部或部分内容，"
      "违者将依法承担相应的法律责任。",
      this);
  warning->setObjectName("lblDisclaimer");
  warning->setWordWrap(true);

  auto* ok = new QPushButton("关闭(&C)", this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* sysInfo = new QPushButton("系统信息(&S)...", this);
  sysInfo->setObjectName("cmdSysInfo");
  connect(ok, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  connect(sysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

  auto* texts = new QVBoxLayout;
  texts->addWidget(title);
  texts->addWidget(version);
  texts->addSpacing(8);
  texts->addWidget(description);
  texts->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(texts, 1);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(sysInfo);
  buttons->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(warning, 1);
  bottom->addSpacing(12);
  bottom->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addLayout(top, 1);
  layout->addWidget(line);
  layout->addLayout(bottom);
  resize(480, 280);
}

void frmAbout::cmdOK_Click() {
  if (mainWindow_) mainWindow_->setEnabled(true);
  close();
}

void frmAbout::cmdSysInfo_Click() {
  QString program;
  if (services_.registry) {
    if (auto p = services_.registry->ReadMachineValue(kSysInfoKey, kSysInfoValue)) {
      program = *p;
    } else if (auto dir = services_.registry->ReadMachineValue(kSysInfoLocationKey,
                                                                kSysInfoLocationValue)) {
      const QString candidate = QDir(*dir).filePath(kSysInfoProgram);
      if (QFileInfo::exists(candidate)) program = candidate;
    }
  }
  const bool started = !program.isEmpty() && services_.launcher &&
                       services_.launcher->StartProgram(program, {});
  if (!started && services_.messages) {
    services_.messages->Show(this, kSysInfoUnavailable, "Vantrel", MessageIcon::None);
  }
}

void frmAbout::closeEvent(QCloseEvent* event) {
  // The close box counts as the close button: the main window must not stay disabled.
  if (mainWindow_) mainWindow_->setEnabled(true);
  event->accept();
}

}  // namespace vantrel
