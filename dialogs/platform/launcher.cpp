#include "dialogs/platform/launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace vantrel {

bool DesktopLauncher::CanOpen(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  return true;  // the shell opens its own help files and web pages
#else
  // The freedesktop answer to "which program opens this type": xdg-mime, the same
  // tools xdg-open (and so QDesktopServices) goes through.
  const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
  if (xdgMime.isEmpty()) return false;
  QProcess query;
  query.start(xdgMime, {"query", "default", QMimeDatabase().mimeTypeForFile(path).name()});
  if (!query.waitForFinished(5000) || query.exitCode() != 0) return false;
  return !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

bool DesktopLauncher::OpenDocument(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopLauncher::StartProgram(const QString& program, const QStringList& args) {
  return QProcess::startDetached(program, args);
}

}  // namespace vantrel
