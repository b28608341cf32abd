#include "plane/ui/trav_net.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/file_replace.h"
#include "common/text_files.h"
#include "plane/traverse.h"

namespace vantrel {

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
}  // namespace

TravNet::TravNet(AppState& state, const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), services_(services) {
  setObjectName("TravNet");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("支导线网图");
  auto* bar = new QToolBar(this);
  bar->setObjectName("Toolbar1");
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QAction* save = bar->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), " 保存 ");
  save->setObjectName("Net_Save");
  QAction* exit = bar->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), " 退出 ");
  exit->setObjectName("Net_Exit");
  connect(save, &QAction::triggered, this, &TravNet::Net_Save);
  connect(exit, &QAction::triggered, this, &TravNet::Net_Exit);

  image_ = QImage(kWidth, kHeight, QImage::Format_RGB32);
  image_.fill(Qt::white);
  picture_ = new QLabel(this);
  picture_->setObjectName("Picture1");
  picture_->setPixmap(QPixmap::fromImage(image_));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar);
  layout->addWidget(picture_);
}

TravNet* TravNet::OpenOf(const AppState& state) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* net = qobject_cast<TravNet*>(w);
    if (net && !net->parentWidget() && &net->state_ == &state && net->isVisible()) return net;
  }
  return nullptr;
}

void TravNet::Message(const QString& text, MessageIcon icon, const QString& title) {
  if (services_.messages) services_.messages->Show(this, text, title, icon);
}

void TravNet::DrawFile() {
  TextFileResult file = ReadTextFile(state_.TravResultFile);
  if (!file.ok) {
    Message("无法读取结果文件：" + QString::fromStdString(state_.TravResultFile) + "\n" +
                QString::fromStdString(file.error),
            MessageIcon::Critical, "支导线网图");
    return;
  }
  NetReadResult read = ParseTraverseLines(file.lines);
  if (read.total > kMaxNetRecords) {
    Message("支导线点数超过最大值: " + QString::number(kMaxNetRecords) + "个点!",
            MessageIcon::Warning, "支导线计算");
  }
  const NetLayout layout = LayoutTraverseNet(read.records, image_.width(), image_.height());
  QPainter p(&image_);
  const QColor fore = Qt::black;
  const QPen red(QColor(255, 0, 0)), green(QColor(0, 255, 0)), black(fore);
  const int r = layout.radius;
  for (const NetLegPixels& leg : layout.legs) {
    if (image_.rect().contains(leg.newX, leg.newY)) image_.setPixelColor(leg.newX, leg.newY, fore);
    p.setPen(red);
    p.drawEllipse(QPoint(leg.newX, leg.newY), r, r);
    p.setPen(black);
    p.drawText(QRect(leg.newX, leg.newY, 400, 100), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(leg.name));
    p.setPen(red);
    p.drawEllipse(QPoint(leg.stationX, leg.stationY), r, r);
    p.setPen(black);
    p.drawLine(leg.newX, leg.newY, leg.stationX, leg.stationY);
    p.setPen(green);
    p.drawLine(QPointF(leg.markX, leg.markY), QPointF(leg.stationX, leg.stationY));
  }
  p.end();
  picture_->setPixmap(QPixmap::fromImage(image_));
}

void TravNet::Net_Save() {
  const QString path =
      services_.files ? services_.files->SaveFile(this, "保存", {}, "网图文件 (*.bmp)") : QString();
  if (path.isEmpty() || !SaveBitmap(image_, path)) Message("保存失败!", MessageIcon::Critical, "支导线网图");
}

bool SaveBitmap(const QImage& image, const QString& path) {
  // The picture is made in memory and replaces the file only once all of it is written,
  // so a failed save never leaves half a bitmap where a good one stood.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "BMP")) return false;
  FileReplacement file(path.toStdString());
  return file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) &&
         file.Commit();
}

}  // namespace vantrel
