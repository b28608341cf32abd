#pragma once
// The progress dialog of a file operation that a dialog runs inside its own handler, in
// the one thread there is: it appears once the operation has run for more than half a
// second, keeps every window painted and answering while the operation goes on, and its
// Cancel button (or Esc) stops the operation, which then leaves every file as it was.
// While it shows, it is modal: nothing else can be pressed mid-way.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "common/messages.h"
#include "dialogs/platform/clock.h"

class QProgressDialog;
class QWidget;

namespace vantrel {

class FileProgress {
 public:
  static constexpr qint64 kShowAfterMs = 500;

  // `clock` may be null: then the time is kept here.
  FileProgress(QWidget* parent, Clock* clock);
  ~FileProgress();
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // The handler to give the routine for one stage of the operation, shown as `label`.
  ProgressHandler Stage(const QString& label);
  // Takes the dialog away (before a message, say); a later stage may bring it back.
  void Close();
  bool cancelled() const { return cancelled_; }

 private:
  bool Report(const QString& label, std::uint64_t done, std::uint64_t total);
  qint64 Now();

  QWidget* parent_;
  Clock* clock_;
  QElapsedTimer own_;
  qint64 start_ = 0;
  QPointer<QProgressDialog> dialog_;
  bool cancelled_ = false;
};

}  // namespace vantrel
