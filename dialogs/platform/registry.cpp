#include "dialogs/platform/registry.h"

#include <QFile>
#include <QTextStream>

namespace vantrel {

std::optional<QString> FileRegistry::ReadMachineValue(const QString& key, const QString& name) {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
  QTextStream in(&file);
  in.setEncoding(QStringConverter::Utf8);
  bool inKey = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
    if (line.startsWith('[') && line.endsWith(']')) {
      inKey = line.mid(1, line.size() - 2).trimmed().compare(key, Qt::CaseInsensitive) == 0;
      continue;
    }
    if (!inKey) continue;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) continue;
    if (line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
      return line.mid(eq + 1).trimmed();
    }
  }
  return std::nullopt;
}

}  // namespace vantrel
