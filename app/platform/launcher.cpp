#include "app/platform/launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace vantrel {

void DesktopLauncher::OpenDocument(const QString& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopLauncher::StartProgram(const QString& program, const QStringList& args) {
  return QProcess::startDetached(program, args);
}

}  // namespace vantrel
