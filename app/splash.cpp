#include "app/splash.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedLayout>

#include "dialogs/artwork.h"

namespace vantrel {

namespace {
constexpr int kPictureInterval = 2000;
const QSize kPictureSize(520, 320);
}  // namespace

Splash::Splash(AppState& state, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), state_(state) {
  setObjectName("Splash");
  setWindowTitle("Vantrel");
  setWindowIcon(Artwork::AppIcon());
  picture1_ = new QLabel(this);
  picture1_->setObjectName("Picture1");
  picture1_->setPixmap(Artwork::Picture("splash1", kPictureSize));
  picture1_->installEventFilter(this);
  picture2_ = new QLabel(this);
  picture2_->setObjectName("Picture2");
  picture2_->setPixmap(Artwork::Picture("splash2", kPictureSize));
  auto* layout = new QStackedLayout(this);
  layout->setStackingMode(QStackedLayout::StackAll);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picture1_);
  layout->addWidget(picture2_);
  setFixedSize(kPictureSize);

  timer1_.setInterval(kPictureInterval);
  timer2_.setInterval(kPictureInterval);
  connect(&timer1_, &QTimer::timeout, this, &Splash::Timer1_Timer);
  connect(&timer2_, &QTimer::timeout, this, &Splash::Timer2_Timer);
  // Loading: the first picture on show with its timer running.
  timer1_.start();
  timer2_.stop();
  picture1_->show();
  picture2_->hide();
}

void Splash::Timer1_Timer() {
  timer1_.stop();
  timer2_.start();
  picture1_->hide();
  picture2_->show();
}

void Splash::Timer2_Timer() {
  timer2_.stop();
  state_.SplashDone = true;
}

void Splash::Picture1_Click() { state_.SplashDone = true; }

bool Splash::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture1_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && picture1_->isVisible()) {
    Picture1_Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Splash::closeEvent(QCloseEvent* event) {
  // Closed by the window manager before its time: go on to the main window rather than
  // leave the start-up waiting for ever.
  timer1_.stop();
  timer2_.stop();
  state_.SplashDone = true;
  event->accept();
}

}  // namespace vantrel
