#include "dialogs/platform/file_dialogs.h"

#include <QFileDialog>

namespace vantrel {

QString QtFileDialogs::OpenFile(QWidget* owner, const QString& title, const QString& dir,
                                const QString& filter) {
  return QFileDialog::getOpenFileName(owner, title, dir, filter);
}

QString QtFileDialogs::SaveFile(QWidget* owner, const QString& title, const QString& dir,
                                const QString& filter) {
  return QFileDialog::getSaveFileName(owner, title, dir, filter);
}

}  // namespace vantrel
