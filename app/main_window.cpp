#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QToolBar>

#include "app/about.h"
#include "app/catalogue.h"
#include "dialogs/artwork.h"
#include "dialogs/vdialog.h"

namespace vantrel {

namespace {

struct ToolButton {
  const char* key;
  const char* caption;
  const char* icon;
};
constexpr ToolButton kButtons[] = {
    {"Coor_Cal", "坐标计算", "coor_cal"},      {"Geo_Sur", "大地测量", "geo_sur"},
    {"Proj_Sur", "投影面", "proj_sur"},        {"Adj_Batch", "平差与批量", "adj_batch"},
    {"Vantrel_About", "关于", "about"},        {"Vantrel_Help", "帮助", "help"},
    {"Vantrel_Exit", "退出", "exit"},
};
constexpr int kPages = 4;
// The large icon of each page's entries.
constexpr const char* kPageIcons[kPages] = {"page1", "page2", "page3", "page4"};

}  // namespace

Vantrel::Vantrel(AppState& state, const Services& services, QWidget* parent)
    : QMainWindow(parent), state_(state), services_(services) {
  setObjectName("Vantrel");
  setWindowTitle("Vantrel");
  setWindowIcon(Artwork::AppIcon());
  exitProgram = [] { QApplication::quit(); };

  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName("Toolbar1");
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolbar_->setIconSize(QSize(32, 32));
  toolbar_->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  addToolBar(Qt::TopToolBarArea, toolbar_);
  pageGroup_ = new QActionGroup(this);
  pageGroup_->setExclusive(true);
  int index = 0;
  for (const ToolButton& b : kButtons) {
    QAction* a = toolbar_->addAction(Artwork::Icon(b.icon), QString::fromUtf8(b.caption));
    a->setObjectName(b.key);
    a->setToolTip(QString::fromUtf8(b.caption));
    if (index < kPages) {
      a->setCheckable(true);
      pageGroup_->addAction(a);
    }
    if (index == kPages - 1) toolbar_->addSeparator();
    const QString key = b.key;
    connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    ++index;
  }

  list_ = new QListWidget(this);
  list_->setObjectName("ListView1");
  list_->setViewMode(QListView::IconMode);
  list_->setIconSize(QSize(48, 48));
  list_->setGridSize(QSize(156, 96));
  list_->setTextElideMode(Qt::ElideNone);
  list_->setMovement(QListView::Static);
  list_->setResizeMode(QListView::Adjust);
  list_->setWrapping(true);
  list_->setWordWrap(true);
  list_->setSpacing(4);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(list_, &QListWidget::itemClicked, this, &Vantrel::ListView1_ItemClick);
  setCentralWidget(list_);
  resize(680, 440);

  // Loading.
  state_.Transform.ParamsReady = false;
  if (state_.CurrentPage == 0) state_.CurrentPage = 1;
  PressPageButton(state_.CurrentPage);
  FillPage(state_.CurrentPage);
}

Vantrel::~Vantrel() {
  // Ending the program discards whatever else is open.
  if (dialog_) {
    disconnect(dialog_, nullptr, this, nullptr);
    delete dialog_;
  }
  delete about_;
}

void Vantrel::PressPageButton(int page) {
  if (page < 1 || page > kPages) return;
  findChild<QAction*>(kButtons[page - 1].key)->setChecked(true);
}

void Vantrel::FillPage(int page) {
  list_->clear();
  const QIcon icon = Artwork::Icon(kPageIcons[page - 1]);
  for (const QString& text : PageEntries(page)) {
    auto* item = new QListWidgetItem(icon, text);
    // The whole entry text stays readable: the longest is eleven Chinese characters.
    item->setSizeHint(QSize(150, 90));
    list_->addItem(item);
  }
  state_.LastItem = 0;
  list_->setCurrentRow(0);
}

void Vantrel::Form_Activate() {
  if (list_->count() == 0) return;
  int row = state_.LastItem;
  if (row < 0 || row >= list_->count()) row = 0;
  list_->setCurrentRow(row);
}

void Vantrel::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
}

void Vantrel::ListView1_ItemClick(QListWidgetItem* item) {
  if (!item || !isEnabled()) return;
  list_->setCurrentItem(item);
  state_.LastItem = list_->row(item);
  setEnabled(false);
  hide();
  Dispatch(item->text());
}

void Vantrel::Dispatch(const QString& text) {
  if (dialog_) {  // one dialog at a time: a second choice shows the open one
    dialog_->show();
    dialog_->raise();
    return;
  }
  dialog_ = CreateDialog(text, state_, services_);
  connect(dialog_, &VDialog::unloaded, this, &Vantrel::DialogUnloaded);
  dialog_->show();
  dialog_->activateWindow();
}

void Vantrel::DialogUnloaded() {
  show();
  setEnabled(true);
  activateWindow();
  Form_Activate();
}

void Vantrel::Toolbar1_ButtonClick(const QString& key) {
  const int page = key == "Coor_Cal" ? 1 : key == "Geo_Sur" ? 2 : key == "Proj_Sur" ? 3
                   : key == "Adj_Batch" ? 4 : 0;
  if (page != 0) {
    state_.CurrentPage = static_cast<std::int16_t>(page);
    PressPageButton(page);
    state_.LastItem = -1;
    FillPage(page);
  } else if (key == "Vantrel_About") {
    setEnabled(false);
    if (!about_) about_ = new frmAbout(state_, services_, this);
    about_->show();
    about_->activateWindow();
  } else if (key == "Vantrel_Help") {
    OpenHelp();
  } else if (key == "Vantrel_Exit") {
    if (dialog_) {
      disconnect(dialog_, nullptr, this, nullptr);
      dialog_->close();
    }
    if (about_) about_->close();
    close();
    if (exitProgram) exitProgram();
  }
}

QString Vantrel::ProgramFolder() const {
  return programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
}

QString Vantrel::ManualIndex() const {
  return QDir::cleanPath(QDir(ProgramFolder()).filePath(VANTREL_DATA_FROM_BIN "/manual/index.html"));
}

// The help file stays Vantrel_Help.chm beside the program; where it is missing or the
// desktop has nothing that reads it, the installed user manual opens instead, and where
// that cannot be opened either, a message says where it lies, so the button always answers.
void Vantrel::OpenHelp() {
  const QString help = QDir(ProgramFolder()).filePath("Vantrel_Help.chm");
  state_.HelpFile = QDir::toNativeSeparators(help).toStdString();
  Launcher* launcher = services_.launcher;
  if (!launcher) return;
  if (QFileInfo(help).isFile() && launcher->CanOpen(help) && launcher->OpenDocument(help)) return;
  const QString manual = ManualIndex();
  const bool haveManual = QFileInfo(manual).isFile();
  if (haveManual && launcher->OpenDocument(manual)) return;
  if (!services_.messages) return;
  const QString text =
      haveManual ? QString("没有可以打开帮助的程序。用户手册在：\n%1").arg(QDir::toNativeSeparators(manual))
                 : QString("找不到帮助文件：\n%1\n%2")
                       .arg(QDir::toNativeSeparators(help), QDir::toNativeSeparators(manual));
  services_.messages->Show(this, text, "Vantrel", MessageIcon::Information);
}

}  // namespace vantrel
