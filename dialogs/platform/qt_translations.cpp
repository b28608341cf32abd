#include "dialogs/platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vantrel {

bool LoadQtChinese(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  // "qt_zh_CN" is the catalogue that gathers the module catalogues (qtbase_zh_CN, …).
  if (!translator->load("qt_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace vantrel
