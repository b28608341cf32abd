#include "dialogs/file_progress.h"

#include <QCoreApplication>
#include <algorithm>
#include <QProgressDialog>
#include <QWidget>

namespace vantrel {

FileProgress::FileProgress(QWidget* parent, Clock* clock) : parent_(parent), clock_(clock) {
  own_.start();
  start_ = Now();
}

FileProgress::~FileProgress() { Close(); }

qint64 FileProgress::Now() { return clock_ ? clock_->NowMs() : own_.elapsed(); }

ProgressHandler FileProgress::Stage(const QString& label) {
  return [this, label](std::uint64_t done, std::uint64_t total) { return Report(label, done, total); };
}

void FileProgress::Close() { delete dialog_.data(); }

bool FileProgress::Report(const QString& label, std::uint64_t done, std::uint64_t total) {
  if (cancelled_) return false;
  const qint64 now = Now();
  if (!dialog_ && now - start_ > kShowAfterMs) {
    dialog_ = new QProgressDialog(label, "取消", 0, 1000, parent_);
    dialog_->setObjectName("FileProgress");
    dialog_->setWindowTitle(parent_ ? parent_->windowTitle() : QString());
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->show();
  }
  if (!dialog_) return true;
  dialog_->setLabelText(label);
  dialog_->setValue(total == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total));
  // The one thread runs the operation: let the windows paint and the Cancel button answer.
  QCoreApplication::processEvents();
  if (dialog_ && dialog_->wasCanceled()) cancelled_ = true;
  return !cancelled_;
}

}  // namespace vantrel
